#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace db {

class Database;

/// A session of the table layer: a named scope holding database aliases (a name standing for
/// a folder of table files and its driver) and the databases connected under its name. The
/// default session always exists and starts without aliases; programs and tests register
/// aliases and further sessions themselves, nothing is read from the machine.
class Session : public QObject {
    Q_OBJECT
public:
    /// The name of the default session.
    static constexpr const char* kDefaultName = "Default";
    /// The driver of a folder of table files.
    static constexpr const char* kStandardDriver = "STANDARD";

    explicit Session(const QString& aSessionName, QObject* aParent = nullptr);
    ~Session() override;

    QString SessionName() const { return m_sessionName; }

    /// Adds (or replaces) an alias: its driver and its folder.
    void AddAlias(const QString& aName, const QString& aDriverName, const QString& aPath);
    /// An alias of the standard driver on a folder.
    void AddStandardAlias(const QString& aName, const QString& aPath);
    void DeleteAlias(const QString& aName);
    /// Alias names (compared without regard to case) in the order they were added.
    QStringList GetAliasNames() const;
    bool IsAlias(const QString& aName) const;
    /// The driver of an alias; raises kUnknownAlias for a name that is none.
    QString GetAliasDriverName(const QString& aName) const;
    /// The folder of an alias; raises kUnknownAlias for a name that is none.
    QString GetAliasPath(const QString& aName) const;

    /// The connected database of that name in this session (its SessionName is this
    /// session's name, or empty for the default session); null when none.
    Database* FindDatabase(const QString& aDatabaseName) const;
    /// The folder a database name stands for here: a connected database's folder, an alias's
    /// path, else the name itself.
    QString DatabaseFolder(const QString& aDatabaseName) const;
    /// The table files of a database matching a wildcard pattern ("*.*", "*.db"; "*" and "?",
    /// without regard to case), sorted; with aExtensions false the file extensions are cut.
    /// The table layer has no system tables: aSystemTables adds nothing.
    QStringList GetTableNames(const QString& aDatabaseName, const QString& aPattern, bool aExtensions,
                              bool aSystemTables) const;

private:
    struct Alias {
        QString name;
        QString driverName;
        QString path;
    };
    const Alias* findAlias(const QString& aName) const;

    QString m_sessionName;
    QList<Alias> m_aliases;
};

/// The registry of sessions: the default session and those registered.
class Sessions {
public:
    /// The default session (made on first use, lives until the program ends).
    static Session* DefaultSession();
    /// The session of that name (any case); an empty name or "Default" answers the default
    /// session; null when none is registered under the name.
    static Session* FindSession(const QString& aSessionName);
    /// Registers a session under its name (a later one of the same name replaces it); the
    /// registry does not own it, and a freed session leaves it.
    static void AddSession(Session* aSession);
    static void RemoveSession(Session* aSession);
    /// The default session's name, then the registered ones in order.
    static QStringList GetSessionNames();
};

}  // namespace db
