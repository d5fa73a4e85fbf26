#include "report/data/engine_plugin.h"

#include "report/model/pipeline_field.h"
#include "report/model/component_services.h"
#include "report/page/class_library.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/property_table.h"

#include <QHash>

#include <map>

namespace {

// ---- process-wide state ----

QList<QPointer<db::Database>>& foundDatabases() {
    static QList<QPointer<db::Database>> list;
    return list;
}

/// One default database per name: re-pointing a shared one would pull it from under a query
/// that still runs on it.
std::map<QString, std::unique_ptr<db::Database>>& defaultDatabases() {
    static std::map<QString, std::unique_ptr<db::Database>> map;
    return map;
}

void addFound(db::Database* aDatabase) {
    QList<QPointer<db::Database>>& list = foundDatabases();
    list.removeIf([](const QPointer<db::Database>& d) { return d.isNull(); });
    for (const QPointer<db::Database>& d : list)
        if (d == aDatabase) return;
    list.append(aDatabase);
}

bool sameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool g_registered = false;

}  // namespace

QList<db::Database*> daBDEFoundDatabases() {
    QList<db::Database*> list;
    for (const QPointer<db::Database>& d : foundDatabases())
        if (d) list << d.data();
    return list;
}

db::Database* daBDEDefaultDatabase(const QString& aName) {
    std::unique_ptr<db::Database>& slot = defaultDatabases()[aName];
    if (!slot) {
        slot = std::make_unique<db::Database>();
        slot->setObjectName(QStringLiteral("DefaultBDEDatabase"));
        slot->SetDatabaseName(aName);
    }
    return slot.get();
}

db::Database* daBDEFindDatabase(const QString& aName) {
    for (db::Database* d : daBDEFoundDatabases())
        if (sameText(d->DatabaseName(), aName) || sameText(d->objectName(), aName) || sameText(d->AliasName(), aName))
            return d;
    if (db::Database* open = db::Sessions::DefaultSession()->FindDatabase(aName)) return open;
    return daBDEDefaultDatabase(aName);
}

db::Session* daBDEFindSession(const QString& aName) {
    db::Database* d = daBDEFindDatabase(aName);
    if (db::Session* s = db::Sessions::FindSession(d->SessionName())) return s;
    return db::Sessions::DefaultSession();
}

QString daBDEGetDriverName(const QString& aName) {
    db::Session* defaultSession = db::Sessions::DefaultSession();
    if (!aName.isEmpty() && defaultSession->IsAlias(aName)) return defaultSession->GetAliasDriverName(aName);
    db::Database* d = daBDEFindDatabase(aName);
    if (!d->AliasName().isEmpty()) {
        db::Session* own = db::Sessions::FindSession(d->SessionName());
        if (own && own->IsAlias(d->AliasName())) return own->GetAliasDriverName(d->AliasName());
    }
    return d->DriverName();
}

TppDatabaseType daBDEGetDatabaseType(const QString& aDriverName) {
    const QString name = aDriverName.toUpper();
    auto has = [&name](const char* part) { return name.contains(QLatin1String(part)); };
    if (has("STANDARD")) return TppDatabaseType::dtParadox;
    if (has("INTRBASE") || has("INTERBASE")) return TppDatabaseType::dtInterBase;
    if (has("ACCESS")) return TppDatabaseType::dtMSAccess;
    if (has("SQL") && has("SERVER")) return TppDatabaseType::dtMSSQLServer;
    const bool anywhere = has("ANYWHERE") && (has("SQL") || has("ADAPTIVE"));
    if (anywhere) return TppDatabaseType::dtSybaseASA;
    if (has("SYBASE")) return TppDatabaseType::dtSybaseASE;
    if (has("ORACLE")) return TppDatabaseType::dtOracle;
    return TppDatabaseType::dtOther;
}

// ---- session ----

TdaBDESession::TdaBDESession(TComponent* AOwner) : TdaSession(AOwner) {}

void TdaBDESession::SetDataOwner(QObject* aOwner) {
    TdaSession::SetDataOwner(aOwner);
    TdaNameList names;
    GetDatabaseNames(names);
}

TClass TdaBDESession::DataSetClass() const { return &TdaBDEDataSet::staticMetaObject; }

void TdaBDESession::GetDatabaseNames(TdaNameList& aList) {
    aList.clear();
    for (const QString& alias : db::Sessions::DefaultSession()->GetAliasNames()) aList.append({alias, nullptr});
    TdaNameList components;
    daGetComponentsOfClass(metaObject(), components, DataOwner());
    if (!DataOwner())
        for (QObject* module : report::data::DataModules()) daGetComponentsOfClass(metaObject(), components, module);
    for (const TdaNameItem& item : components) {
        bool listed = false;
        for (const TdaNameItem& e : aList) listed = listed || sameText(e.Name, item.Name);
        if (listed) continue;
        aList.append(item);
        if (auto* d = qobject_cast<db::Database*>(item.Object.data())) addFound(d);
    }
}

TppDatabaseType TdaBDESession::GetDatabaseType(const QString& aDatabaseName) {
    return daBDEGetDatabaseType(daBDEGetDriverName(aDatabaseName));
}

void TdaBDESession::GetTableNames(const QString& aDatabaseName, QStringList& aList) {
    db::Database* d = daBDEFindDatabase(aDatabaseName);
    aList = daBDEFindSession(aDatabaseName)->GetTableNames(d->DatabaseName(), QStringLiteral("*.*"), true, false);
}

TppDatabaseTypes TdaBDESession::SupportedDatabaseTypes() const { return TppDatabaseTypes::FromBits(766); }

// ---- dataset ----

TdaBDEDataSet::TdaBDEDataSet(TComponent* AOwner) : TdaDataSet(AOwner) {}

TdaBDEDataSet::~TdaBDEDataSet() { delete m_query.data(); }

db::sql::Query* TdaBDEDataSet::GetQuery() {
    if (!m_query) m_query = new db::sql::Query(this);
    return m_query;
}

bool TdaBDEDataSet::GetActive() const { return m_query && m_query->Active(); }

void TdaBDEDataSet::SetActive(bool aValue) { GetQuery()->SetActive(aValue); }

void TdaBDEDataSet::SetDatabaseName(const QString& aName) {
    TdaDataSet::SetDatabaseName(aName);
    db::sql::Query* q = GetQuery();
    q->Close();
    q->SetDatabaseName(daBDEFindDatabase(aName)->DatabaseName());
    q->SetSessionName(daBDEFindSession(aName)->SessionName());
}

void TdaBDEDataSet::SetDataName(const QString& aName) {
    TdaDataSet::SetDataName(aName);
    db::sql::Query* q = GetQuery();
    q->Close();
    q->SetSQLText(QStringLiteral("SELECT * FROM ") + aName + QStringLiteral(" WHERE 'c' <> 'c' "));
}

void TdaBDEDataSet::BuildFieldList() {
    TdaDataSet::BuildFieldList();
    db::sql::Query* q = GetQuery();
    if (!q->Active()) q->Open();
    for (int i = 0; i < q->FieldCount(); ++i) {
        auto field = std::make_unique<TppField>();
        field->SetTableName(DataName());
        field->SetFieldName(q->Fields(i)->FieldName());
        field->SetDataType(TppDBPipeline::ppFieldTypeToDataType(int(q->Fields(i)->DataType())));
        AddField(std::move(field));
    }
}

void TdaBDEDataSet::GetFieldNamesOfSQL(QStringList& aFieldNames, const QString& aSQL) {
    aFieldNames.clear();
    db::sql::Query q;
    q.SetDatabaseName(daBDEFindDatabase(DatabaseName())->DatabaseName());
    q.SetSessionName(daBDEFindSession(DatabaseName())->SessionName());
    q.SetSQLText(aSQL);
    q.GetFieldNames(aFieldNames);
}

void TdaBDEDataSet::GetFieldsOfSQL(std::vector<std::unique_ptr<TppField>>& aFields, const QString& aSQL) {
    aFields.clear();
    db::sql::Query q;
    q.SetDatabaseName(daBDEFindDatabase(DatabaseName())->DatabaseName());
    q.SetSessionName(daBDEFindSession(DatabaseName())->SessionName());
    q.SetSQLText(aSQL);
    q.Open();
    for (int i = 0; i < q.FieldCount(); ++i) {
        auto field = std::make_unique<TppField>();
        field->SetFieldName(q.Fields(i)->FieldName());
        field->SetDataType(TppDBPipeline::ppFieldTypeToDataType(int(q.Fields(i)->DataType())));
        aFields.push_back(std::move(field));
    }
}

// ---- child dataset components ----

TdaChildBDEQuery::TdaChildBDEQuery(QObject* aOwner) : db::sql::Query(aOwner) {}

const stream::PropertyList& TdaChildBDEQuery::StreamProperties() const {
    using T = TdaChildBDEQuery;
    static const auto table =
        stream::PropertyTable<T>()
            .String("DatabaseName", [](const T& o) { return o.DatabaseName(); },
                    [](T& o, const QString& v) { o.SetDatabaseName(v); })
            .String("SessionName", [](const T& o) { return o.SessionName(); },
                    [](T& o, const QString& v) { o.SetSessionName(v); })
            .Strings("SQL", [](const T& o) { return o.SQL(); }, [](T& o, const QStringList& v) { o.SetSQL(v); });
    return table;
}

TdaChildBDETable::TdaChildBDETable(QObject* aOwner) : db::Table(aOwner) {}

const stream::PropertyList& TdaChildBDETable::StreamProperties() const {
    using T = TdaChildBDETable;
    static const auto table = stream::PropertyTable<T>()
                                  .String("DatabaseName", [](const T& o) { return o.DatabaseName(); },
                                          [](T& o, const QString& v) { o.SetDatabaseName(v); })
                                  .String("TableName", [](const T& o) { return o.TableName(); },
                                          [](T& o, const QString& v) { o.SetTableName(v); });
    return table;
}

TdaChildBDEStoredProc::TdaChildBDEStoredProc(QObject* aOwner) : db::StoredProc(aOwner) {}

const stream::PropertyList& TdaChildBDEStoredProc::StreamProperties() const {
    using T = TdaChildBDEStoredProc;
    static const auto table = stream::PropertyTable<T>()
                                  .String("DatabaseName", [](const T& o) { return o.DatabaseName(); },
                                          [](T& o, const QString& v) { o.SetDatabaseName(v); })
                                  .String("StoredProcName", [](const T& o) { return o.StoredProcName(); },
                                          [](T& o, const QString& v) { o.SetStoredProcName(v); });
    return table;
}

// ---- query data view ----

TdaBDEQueryDataView::TdaBDEQueryDataView(TComponent* AOwner) : TdaQueryDataView(AOwner) {
    m_query = new TdaChildBDEQuery(this);
    m_query->setObjectName(QStringLiteral("Query"));
    m_dataSource = new TppChildDataSource(this);
    m_dataSource->setObjectName(QStringLiteral("DataSource"));
    m_dataSource->SetDataSet(m_query);
    Session();  // the session of the class, now that the class is known
}

TdaBDEQueryDataView::~TdaBDEQueryDataView() {
    SetComponentState(csDestroying, true);
    // The pipelines stop reading before their source and query go.
    for (int i = 0; i < DataPipelineCount(); ++i)
        if (auto* p = qobject_cast<TppDBPipeline*>(DataPipelines(i))) p->SetDataSource(nullptr);
    delete m_dataSource.data();
    delete m_query.data();
}

void TdaBDEQueryDataView::CreateDataPipelines() {
    TdaQueryDataView::CreateDataPipelines();
    if (DataPipelineCount() > 0) return;
    auto* pipeline = qobject_cast<TppChildBDEPipeline*>(ppCreateComponent(this, &TppChildBDEPipeline::staticMetaObject));
    if (!pipeline) return;
    pipeline->SetDataSource(m_dataSource);
    pipeline->SetAutoCreateFields(false);
    pipeline->SetDataView(this);
}

void TdaBDEQueryDataView::LinkDataPipelines() {
    if (DataPipelineCount() == 0) return;
    if (auto* p = qobject_cast<TppDBPipeline*>(DataPipelines(0))) p->SetDataSource(m_dataSource);
}

void TdaBDEQueryDataView::SQLChanged() { ApplySQL(); }

void TdaBDEQueryDataView::Loaded() {
    TdaQueryDataView::Loaded();
    ApplySQL();
}

void TdaBDEQueryDataView::ApplySQL() {
    if (!m_query || !SQL()) return;
    m_query->Close();
    const QString name = SQL()->DatabaseName();
    m_query->SetDatabaseName(daBDEFindDatabase(name)->DatabaseName());
    m_query->SetSessionName(daBDEFindSession(name)->SessionName());
    m_query->SetSQL(SQL()->SQLText());
}

void TdaBDEQueryDataView::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    if (m_query) proc(*m_query);
    TdaQueryDataView::GetExtraChildren(proc);
}

bool TdaBDEQueryDataView::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    if (auto* q = dynamic_cast<TdaChildBDEQuery*>(child.get())) {
        // The stored query takes the place of the view's own.
        child.release();
        delete m_query.data();
        m_query = q;
        q->setParent(this);
        if (m_dataSource) m_dataSource->SetDataSet(q);
        return true;
    }
    if (dynamic_cast<TdaChildBDETable*>(child.get()) || dynamic_cast<TdaChildBDEStoredProc*>(child.get())) {
        auto* object = dynamic_cast<QObject*>(child.release());
        object->setParent(this);
        return true;
    }
    return TdaQueryDataView::AdoptStreamChild(child);
}

// ---- registration ----

namespace report::data {

namespace {
template <class T>
void registerChild(const char* aName) {
    stream::ClassRegistry::Global().Register<T>(QString::fromLatin1(aName));
}
}  // namespace

void RegisterEnginePlugin() {
    if (g_registered) return;
    g_registered = true;
    registerChild<TdaChildBDEQuery>("TdaChildBDEQuery");
    registerChild<TdaChildBDETable>("TdaChildBDETable");
    registerChild<TdaChildBDEStoredProc>("TdaChildBDEStoredProc");
    daRegisterSessionClass(&TdaBDESession::staticMetaObject);
    daRegisterDataViewClass(&TdaBDEQueryDataView::staticMetaObject);
}

void UnRegisterEnginePlugin() {
    if (!g_registered) return;
    g_registered = false;
    defaultDatabases().clear();
    foundDatabases().clear();
    for (const char* name : {"TdaChildBDEQuery", "TdaChildBDETable", "TdaChildBDEStoredProc"})
        stream::ClassRegistry::Global().Unregister(QString::fromLatin1(name));
    daUnRegisterSessionClass(&TdaBDESession::staticMetaObject);
    daUnRegisterDataViewClass(&TdaBDEQueryDataView::staticMetaObject);
}

}  // namespace report::data
