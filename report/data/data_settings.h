#pragma once

#include "report/page/class_library.h"
#include "report/page/report_types.h"

#include "platform/stream/persistent.h"

#include <QPointer>
#include <QString>

#include <functional>

class TppCommunicator;
class TppDataDictionary;

namespace settings {
class IniFile;
}

namespace report::data {
/// The settings file of the report designer and the section the data settings keep in it.
inline const QString kDataSettingsFile = QStringLiteral("Marlisk.ini");
inline const QString kDataSettingsSection = QStringLiteral("DataAccess");
/// The session type of the database-engine plug-in, the default of every settings object.
inline const QString kDefaultSessionType = QStringLiteral("BDESession");
/// The database read when the settings file names none: the records manager's report
/// database.
inline const QString kDefaultDatabaseName = QStringLiteral("ReportDB");
}  // namespace report::data

/// The session type and database that a data tool works with. The settings belong to a
/// parent communicator (the designer component, a dictionary, a wizard) and tell their
/// owner of changes through OnChange, but only while notices are allowed (CanNotify): there
/// is a parent, the parent is not being read, loaded or freed, and no Assign is copying.
class TppBasicDataSettings : public TPersistent, public stream::Persistent {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    explicit TppBasicDataSettings(TppCommunicator* aParent = nullptr);

    QString DatabaseName() const { return m_databaseName; }
    QString SessionType() const { return m_sessionType; }
    TppCommunicator* Parent() const { return m_parent; }

    // Virtual operations in the order descendants override them.
    /// Stores the name and notifies.
    virtual void SetDatabaseName(const QString& aName);
    /// Stores the type; while notices are allowed also clears the database name (a database
    /// belongs to a session type) and notifies.
    virtual void SetSessionType(const QString& aType);
    /// Writes "DatabaseName" and "SessionType" to section "DataAccess".
    virtual void SaveToIniFile(settings::IniFile& aIniFile) const;
    /// Reads them back without notices; missing keys give "ReportDB" and "BDESession".
    virtual void LoadFromIniFile(const settings::IniFile& aIniFile);

    /// From basic settings or descendants only (others raise the platform's conversion
    /// error): copies the database name and session type without notices.
    void Assign(TPersistent* Source) override;

    bool CanNotify() const;
    /// Fires OnChange when notices are allowed.
    void DoChange();

    TNotifyEvent OnChange;

    const stream::PropertyList& StreamProperties() const override;

protected:
    /// Notices are off while an Assign copies.
    void setNotify(bool aOn) { m_notify = aOn; }
    QString m_databaseName;
    QString m_sessionType;

private:
    QPointer<TppCommunicator> m_parent;
    bool m_notify = true;
};

/// The data settings of the designer, the Data page and each data wizard: besides the
/// session type and database, the database type (dtOther until the session settles it),
/// the SQL dialect, whether SQL may be edited as text and the data dictionary to use.
/// Every setter but DataDictionary notifies.
class TppDataSettings : public TppBasicDataSettings {
    Q_OBJECT
public:
    explicit TppDataSettings(TppCommunicator* aParent = nullptr);

    bool AllowEditSQL() const { return m_allowEditSQL; }
    void SetAllowEditSQL(bool aValue);
    TppDatabaseType DatabaseType() const { return m_databaseType; }
    void SetDatabaseType(TppDatabaseType aValue);
    /// Null when none or when the dictionary was freed.
    TppDataDictionary* DataDictionary() const { return m_dataDictionary; }
    /// Links the new dictionary to the parent communicator (so the parent hears when it is
    /// freed) and unlinks the old one; no notice.
    void SetDataDictionary(TppDataDictionary* aValue);
    TppSQLType SQLType() const { return m_sqlType; }
    void SetSQLType(TppSQLType aValue);
    bool UseDataDictionary() const { return m_useDataDictionary; }
    void SetUseDataDictionary(bool aValue);

    /// Stores the type; while notices are allowed also clears the database name and, for a
    /// session type other than "BDESession", turns the engine's local SQL into sqSQL1; then
    /// notifies.
    void SetSessionType(const QString& aType) override;
    /// Writes "DatabaseName", "SessionType", "DatabaseType", "SQLType", "AllowEditSQL",
    /// "UseDataDictionary", then "DataDictionary" (the dictionary's user name) only when
    /// there is a dictionary.
    void SaveToIniFile(settings::IniFile& aIniFile) const override;
    void LoadFromIniFile(const settings::IniFile& aIniFile) override;
    /// Reads the keys in the same order without notices. Missing keys give "ReportDB",
    /// "BDESession", dtParadox, sqBDELocal, editing allowed, no dictionary; a number outside
    /// its type's range gives the same default. The dictionary is looked up by user name
    /// among those aCommunicator can refer to (DataDictionaryCandidates); none when not
    /// found.
    void LoadFromIniFile(const settings::IniFile& aIniFile, const TppCommunicator* aCommunicator);

    /// From data settings: copies every setting without notices (the dictionary through its
    /// setter); from basic settings: their part. Then notifies, whatever the source.
    void Assign(TPersistent* Source) override;

    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_allowEditSQL = false;
    TppDatabaseType m_databaseType = TppDatabaseType::dtOther;
    QPointer<TppDataDictionary> m_dataDictionary;
    TppSQLType m_sqlType = TppSQLType::sqBDELocal;
    bool m_useDataDictionary = false;
};
