#pragma once

// The plug-in interface through which the data workspace reaches databases: a session
// (which databases exist, their tables and SQL dialect) and a dataset (the fields of one
// table, or of what a free SQL text returns). A concrete plug-in derives from both and
// registers its session class under its session type name.

#include "report/model/communicator.h"
#include "report/page/enum_set.h"
#include "report/page/report_types.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TppField;
class TdaDataSet;

/// A set of database types: bit n stands for the type of ordinal n.
using TppDatabaseTypes = report::EnumSet<TppDatabaseType>;

/// One entry of a name list: a name and, where there is one, the object it names (a
/// database component).
struct TdaNameItem {
    QString Name;
    QPointer<QObject> Object;
};
using TdaNameList = QList<TdaNameItem>;

/// A session: what the data workspace asks about databases. Short-lived: a query data view
/// holds one for its life, the pick-list helpers make and free one per call.
///
/// Class functions: a session class names its session type with the class information
/// "SessionTypeName" (Q_CLASSINFO) and has an invokable constructor taking its owner, so that
/// the registry can make one from its class.
class TdaSession : public TppCommunicator {
    Q_OBJECT
public:
    explicit TdaSession(TComponent* AOwner = nullptr);

    /// The form or data module whose database components the session offers besides the
    /// databases the database layer knows; null on creation.
    QObject* DataOwner() const { return m_dataOwner; }

    // Virtual operations in the order descendants override them.
    virtual void SetDataOwner(QObject* aOwner);
    /// The session type name of this object's class (its class information).
    QString GetSessionTypeName() const;
    /// The TdaDataSet descendant that belongs to this session.
    virtual TClass DataSetClass() const = 0;
    /// The class of the database components the session recognises on forms and data
    /// modules; null here.
    virtual TClass DatabaseClass() const { return nullptr; }
    virtual TppSQLType DefaultSQLType(TppDatabaseType aDatabaseType) const;
    /// The database names offered to the user, each with its database component where
    /// there is one.
    virtual void GetDatabaseNames(TdaNameList& aList) = 0;
    virtual TppDatabaseType GetDatabaseType(const QString& aDatabaseName) = 0;
    virtual void GetTableNames(const QString& aDatabaseName, QStringList& aList) = 0;
    /// daIsReservedWord unchanged.
    virtual bool IsReservedWord(const QString& aWord, TppDatabaseType aDatabaseType) const;
    virtual TppDatabaseTypes SupportedDatabaseTypes() const = 0;

private:
    QPointer<QObject> m_dataOwner;
};

/// One table of one database, or the means to ask what a free SQL text returns. It owns its
/// field list, which is built on first demand.
///
/// Class functions: a dataset class names its type with the class information
/// "DataSetTypeName" and has an invokable constructor taking its owner.
class TdaDataSet : public TppCommunicator {
    Q_OBJECT
public:
    explicit TdaDataSet(TComponent* AOwner = nullptr);
    ~TdaDataSet() override;

    QString DatabaseName() const { return m_databaseName; }
    QString DataName() const { return m_dataName; }

    // Virtual operations in the order descendants override them.
    /// (Re)builds the field list: the base empties it; a descendant then adds one field per
    /// field of the table.
    virtual void BuildFieldList();
    virtual bool GetActive() const = 0;
    virtual void SetActive(bool aValue) = 0;
    virtual void SetDatabaseName(const QString& aName) { m_databaseName = aName; }
    virtual void SetDataName(const QString& aName) { m_dataName = aName; }
    /// The dataset type name of this object's class (its class information).
    QString GetDataSetTypeName() const;
    /// Clears aFieldNames and fills it with the names of the fields the SQL text returns on
    /// the dataset's database.
    virtual void GetFieldNamesOfSQL(QStringList& aFieldNames, const QString& aSQL) = 0;
    /// Replaces the contents of aFields with one new field (name and data type set) per
    /// field the SQL text returns; the caller owns them.
    virtual void GetFieldsOfSQL(std::vector<std::unique_ptr<TppField>>& aFields, const QString& aSQL) = 0;

    bool Active() const { return GetActive(); }
    /// The number of fields; builds the list first while it is empty.
    int GetFieldCount();
    /// Field aIndex (null when out of range); builds the list first while it is empty.
    TppField* GetField(int aIndex);
    /// Appends a field; the dataset owns it.
    void AddField(std::unique_ptr<TppField> aField);
    /// Frees the fields from the last to the first.
    void ClearFields();

private:
    QString m_databaseName;
    QString m_dataName;
    std::vector<std::unique_ptr<TppField>> m_fields;
};

/// The session type name a session class declares; empty for none.
QString daSessionTypeNameOf(TClass aClass);
/// The dataset type name a dataset class declares; empty for none.
QString daDataSetTypeNameOf(TClass aClass);
/// A new session of the class (no owner component); null when the class cannot make one.
std::unique_ptr<TdaSession> daCreateSession(TClass aSessionClass);
/// A new dataset of the class, owned by aOwner (a QObject child); null when the class
/// cannot make one.
TdaDataSet* daCreateDataSet(TClass aDataSetClass, TComponent* aOwner);

// Session-class registry: one process-wide list keyed by session type name, compared
// without regard to case.

/// A null class is ignored. The first class registered under a type name stays: a later
/// one of the same name changes nothing. A new entry is also registered for streaming.
void daRegisterSessionClass(TClass aClass);
/// Removes the class's type name from the list and from streaming, when present.
void daUnRegisterSessionClass(TClass aClass);
/// The class registered under the type name (any case); null when none.
TClass daFindSessionClass(const QString& aTypeName);
/// One entry of the session-class registry.
struct TdaSessionClassItem {
    QString Name;  ///< the session type name
    TClass Class = nullptr;
};
/// The registry in registration order.
const QList<TdaSessionClassItem>& daGetSessionClassList();

// Pick-list helpers.

/// Clears aList; with a session class, asks a temporary session (given aOwner as its data
/// owner) for its database names.
void daGetDatabaseNames(TClass aSessionClass, TdaNameList& aList, QObject* aOwner);
/// Appends (name, component) for every object owned by aModule that is of the session
/// class's database class, in the module's order; then, unless aModule is itself one of the
/// application's data modules, the same for each data module. Nothing without a module.
void daGetComponentsOfClass(TClass aSessionClass, TdaNameList& aList, QObject* aModule);
/// The type of a named database by a temporary session of the type's class; dtOther when
/// no class is registered under the type name (nothing is created then).
TppDatabaseType daGetDatabaseType(QObject* aOwner, const QString& aSessionType, const QString& aDatabaseName);

namespace report::data {

/// The application's data modules (objects whose database components every form may use),
/// in the order they were added. Programs add theirs when they create them; a module that
/// is freed drops out by itself.
void AddDataModule(QObject* aModule);
void RemoveDataModule(QObject* aModule);
QList<QObject*> DataModules();

}  // namespace report::data
