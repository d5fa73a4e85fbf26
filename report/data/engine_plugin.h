#pragma once

// The plug-in over the table layer: its session reaches databases (aliases of the table
// layer's default session, then database components on forms and data modules), its dataset
// asks a query component for a table's fields or an SQL text's, and its query data view runs
// the query's SQL text through a query component that a pipeline reads.

#include "report/data/query_data_view.h"
#include "report/data/session.h"
#include "report/model/db_pipeline.h"

#include "platform/db/database.h"
#include "platform/db/session.h"
#include "platform/db/stored_proc.h"
#include "platform/db/sql/query_component.h"
#include "platform/stream/persistent.h"

#include <QPointer>

/// The session of the plug-in.
class TdaBDESession : public TdaSession {
    Q_OBJECT
    Q_CLASSINFO("SessionTypeName", "BDESession")
public:
    Q_INVOKABLE explicit TdaBDESession(TComponent* AOwner = nullptr);

    /// Stores the owner, then lists the database names once so that its database components
    /// become known.
    void SetDataOwner(QObject* aOwner) override;
    TClass DataSetClass() const override;
    TClass DatabaseClass() const override { return &db::Database::staticMetaObject; }
    /// The default session's aliases, then the database components of the data owner and of
    /// the application's data modules under their component names (each name once).
    void GetDatabaseNames(TdaNameList& aList) override;
    /// By the driver name: see daBDEGetDatabaseType.
    TppDatabaseType GetDatabaseType(const QString& aDatabaseName) override;
    /// The table files of the database, with extensions.
    void GetTableNames(const QString& aDatabaseName, QStringList& aList) override;
    /// Every type but Advantage and DBISAM (766).
    TppDatabaseTypes SupportedDatabaseTypes() const override;
};

/// The dataset of the plug-in: one query component of its own, made on first use.
class TdaBDEDataSet : public TdaDataSet {
    Q_OBJECT
    Q_CLASSINFO("DataSetTypeName", "BDEDataSet")
public:
    Q_INVOKABLE explicit TdaBDEDataSet(TComponent* AOwner = nullptr);
    ~TdaBDEDataSet() override;

    db::sql::Query* GetQuery();

    void BuildFieldList() override;
    bool GetActive() const override;
    void SetActive(bool aValue) override;
    void SetDatabaseName(const QString& aName) override;
    /// Prepares "SELECT * FROM <name> WHERE 'c' <> 'c' ": the table's fields, no row.
    void SetDataName(const QString& aName) override;
    void GetFieldNamesOfSQL(QStringList& aFieldNames, const QString& aSQL) override;
    void GetFieldsOfSQL(std::vector<std::unique_ptr<TppField>>& aFields, const QString& aSQL) override;

private:
    QPointer<db::sql::Query> m_query;
};

/// The query component a data view streams as its child.
class TdaChildBDEQuery : public db::sql::Query, public stream::Component {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaChildBDEQuery(QObject* aOwner = nullptr);
    bool HasParent() const { return true; }
    QString StreamClassName() const override { return QStringLiteral("TdaChildBDEQuery"); }
    QString StreamName() const override { return objectName(); }
    void SetStreamName(const QString& name) override { setObjectName(name); }
    const stream::PropertyList& StreamProperties() const override;
};

/// The table component a data view streams as its child.
class TdaChildBDETable : public db::Table, public stream::Component {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaChildBDETable(QObject* aOwner = nullptr);
    bool HasParent() const { return true; }
    QString StreamClassName() const override { return QStringLiteral("TdaChildBDETable"); }
    QString StreamName() const override { return objectName(); }
    void SetStreamName(const QString& name) override { setObjectName(name); }
    const stream::PropertyList& StreamProperties() const override;
};

/// The stored-procedure component a data view streams as its child (opening it fails: the
/// table layer has no stored procedures).
class TdaChildBDEStoredProc : public db::StoredProc, public stream::Component {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaChildBDEStoredProc(QObject* aOwner = nullptr);
    bool HasParent() const { return true; }
    QString StreamClassName() const override { return QStringLiteral("TdaChildBDEStoredProc"); }
    QString StreamName() const override { return objectName(); }
    void SetStreamName(const QString& name) override { setObjectName(name); }
    const stream::PropertyList& StreamProperties() const override;
};

/// The query data view that runs its query: a query component and a data source of its own,
/// and one pipeline over them.
class TdaBDEQueryDataView : public TdaQueryDataView {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaBDEQueryDataView(TComponent* AOwner = nullptr);
    ~TdaBDEQueryDataView() override;

    TdaChildBDEQuery* Query() const { return m_query; }
    TppChildDataSource* DataSource() const { return m_dataSource; }

    const QMetaObject* SessionClass() const override { return &TdaBDESession::staticMetaObject; }
    void CreateDataPipelines() override;
    void LinkDataPipelines() override;
    void SQLChanged() override;
    void Loaded() override;
    /// Closes the query, points it at the database and session found for the query's
    /// database name and gives it the SQL text (generated now when out of date). The pipeline
    /// opens it when the view becomes active.
    void ApplySQL();

    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;

private:
    QPointer<TdaChildBDEQuery> m_query;
    QPointer<TppChildDataSource> m_dataSource;
};

/// The database components the sessions found on forms and data modules (a freed one leaves).
QList<db::Database*> daBDEFoundDatabases();
/// The database component used for a name nothing else answers; one per name.
db::Database* daBDEDefaultDatabase(const QString& aName);
/// The database component for a name, never null: a found component (DatabaseName,
/// component name or AliasName, any case), else a database of that name the default session
/// has open, else the default database of that name.
db::Database* daBDEFindDatabase(const QString& aName);
/// The session of the database found for the name, else the default session.
db::Session* daBDEFindSession(const QString& aName);
/// The driver of a database name: an alias's driver, else the found database's alias's or
/// its own DriverName.
QString daBDEGetDriverName(const QString& aName);
/// The database type of a driver name (upper-cased substrings, first rule that holds).
TppDatabaseType daBDEGetDatabaseType(const QString& aDriverName);

namespace report::data {
/// Registers the plug-in: the three child dataset classes for streaming, the session class
/// and the query data view class. Idempotent; called by InitializeDataUnit.
void RegisterEnginePlugin();
/// Unregisters it and frees the default databases and the found list.
void UnRegisterEnginePlugin();
}  // namespace report::data
