#include "report/data/session.h"

#include "report/data/reserved_words.h"
#include "report/model/pipeline_field.h"
#include "report/page/class_library.h"

#include "platform/stream/class_registry.h"

#include <QMetaClassInfo>

namespace {

QString classInfo(TClass aClass, const char* aName) {
    if (!aClass) return {};
    const int i = aClass->indexOfClassInfo(aName);
    return i >= 0 ? QString::fromLatin1(aClass->classInfo(i).value()) : QString();
}

QList<TdaSessionClassItem>& sessionClasses() {
    static QList<TdaSessionClassItem> list;
    return list;
}

int indexOfSessionType(const QString& aTypeName) {
    const auto& list = sessionClasses();
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i).Name.compare(aTypeName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QList<QPointer<QObject>>& dataModules() {
    static QList<QPointer<QObject>> list;
    return list;
}

void appendComponentsOf(TClass aClass, const QObject& aModule, TdaNameList& aList) {
    for (QObject* child : aModule.children())
        if (child->metaObject()->inherits(aClass)) aList.append({child->objectName(), child});
}

}  // namespace

// TdaSession -------------------------------------------------------------------------------------

TdaSession::TdaSession(TComponent* AOwner) : TppCommunicator(AOwner) {}

void TdaSession::SetDataOwner(QObject* aOwner) { m_dataOwner = aOwner; }

QString TdaSession::GetSessionTypeName() const { return daSessionTypeNameOf(metaObject()); }

TppSQLType TdaSession::DefaultSQLType(TppDatabaseType aDatabaseType) const {
    switch (aDatabaseType) {
    case TppDatabaseType::dtParadox:
        return TppSQLType::sqBDELocal;
    case TppDatabaseType::dtInterBase:
    case TppDatabaseType::dtMSAccess:
    case TppDatabaseType::dtMSSQLServer:
    case TppDatabaseType::dtSybaseASA:
        return TppSQLType::sqSQL2;
    case TppDatabaseType::dtAdvantage:
    case TppDatabaseType::dtSybaseASE:
    case TppDatabaseType::dtOracle:
    case TppDatabaseType::dtDBISAM:
    case TppDatabaseType::dtOther:
        break;
    }
    return TppSQLType::sqSQL1;
}

bool TdaSession::IsReservedWord(const QString& aWord, TppDatabaseType aDatabaseType) const {
    return daIsReservedWord(aWord, aDatabaseType);
}

// TdaDataSet -------------------------------------------------------------------------------------

TdaDataSet::TdaDataSet(TComponent* AOwner) : TppCommunicator(AOwner) {}

TdaDataSet::~TdaDataSet() { ClearFields(); }

void TdaDataSet::BuildFieldList() { ClearFields(); }

QString TdaDataSet::GetDataSetTypeName() const { return daDataSetTypeNameOf(metaObject()); }

int TdaDataSet::GetFieldCount() {
    if (m_fields.empty()) BuildFieldList();
    return int(m_fields.size());
}

TppField* TdaDataSet::GetField(int aIndex) {
    if (m_fields.empty()) BuildFieldList();
    return aIndex >= 0 && aIndex < int(m_fields.size()) ? m_fields[size_t(aIndex)].get() : nullptr;
}

void TdaDataSet::AddField(std::unique_ptr<TppField> aField) {
    if (aField) m_fields.push_back(std::move(aField));
}

void TdaDataSet::ClearFields() {
    while (!m_fields.empty()) m_fields.pop_back();
}

// Classes ----------------------------------------------------------------------------------------

QString daSessionTypeNameOf(TClass aClass) { return classInfo(aClass, "SessionTypeName"); }

QString daDataSetTypeNameOf(TClass aClass) { return classInfo(aClass, "DataSetTypeName"); }

std::unique_ptr<TdaSession> daCreateSession(TClass aSessionClass) {
    if (!aSessionClass) return nullptr;
    std::unique_ptr<QObject> created(aSessionClass->newInstance(Q_ARG(TComponent*, nullptr)));
    auto* session = qobject_cast<TdaSession*>(created.get());
    if (!session) return nullptr;
    created.release();
    return std::unique_ptr<TdaSession>(session);
}

TdaDataSet* daCreateDataSet(TClass aDataSetClass, TComponent* aOwner) {
    if (!aDataSetClass) return nullptr;
    std::unique_ptr<QObject> created(aDataSetClass->newInstance(Q_ARG(TComponent*, aOwner)));
    auto* dataSet = qobject_cast<TdaDataSet*>(created.get());
    if (!dataSet) return nullptr;
    created.release();
    return dataSet;
}

// Session-class registry -------------------------------------------------------------------------

void daRegisterSessionClass(TClass aClass) {
    if (!aClass) return;
    const QString typeName = daSessionTypeNameOf(aClass);
    if (indexOfSessionType(typeName) >= 0) return;
    report::RegisterClass(aClass);
    stream::ClassRegistry::Global().Register(QString::fromLatin1(aClass->className()),
                                             [aClass]() -> std::unique_ptr<stream::Component> {
                                                 std::unique_ptr<TdaSession> s = daCreateSession(aClass);
                                                 return std::unique_ptr<stream::Component>(s.release());
                                             });
    sessionClasses().append({typeName, aClass});
}

void daUnRegisterSessionClass(TClass aClass) {
    if (!aClass) return;
    const int i = indexOfSessionType(daSessionTypeNameOf(aClass));
    if (i < 0) return;
    const TClass registered = sessionClasses().at(i).Class;
    report::UnRegisterClass(registered);
    stream::ClassRegistry::Global().Unregister(QString::fromLatin1(registered->className()));
    sessionClasses().removeAt(i);
}

TClass daFindSessionClass(const QString& aTypeName) {
    const int i = indexOfSessionType(aTypeName);
    return i >= 0 ? sessionClasses().at(i).Class : nullptr;
}

const QList<TdaSessionClassItem>& daGetSessionClassList() { return sessionClasses(); }

// Pick-list helpers ------------------------------------------------------------------------------

void daGetDatabaseNames(TClass aSessionClass, TdaNameList& aList, QObject* aOwner) {
    aList.clear();
    std::unique_ptr<TdaSession> session = daCreateSession(aSessionClass);
    if (!session) return;
    session->SetDataOwner(aOwner);
    session->GetDatabaseNames(aList);
}

void daGetComponentsOfClass(TClass aSessionClass, TdaNameList& aList, QObject* aModule) {
    if (!aModule) return;
    std::unique_ptr<TdaSession> session = daCreateSession(aSessionClass);
    const TClass databaseClass = session ? session->DatabaseClass() : nullptr;
    if (!databaseClass) return;
    appendComponentsOf(databaseClass, *aModule, aList);
    const QList<QObject*> modules = report::data::DataModules();
    if (modules.contains(aModule)) return;
    for (QObject* module : modules) appendComponentsOf(databaseClass, *module, aList);
}

TppDatabaseType daGetDatabaseType(QObject* aOwner, const QString& aSessionType, const QString& aDatabaseName) {
    std::unique_ptr<TdaSession> session = daCreateSession(daFindSessionClass(aSessionType));
    if (!session) return TppDatabaseType::dtOther;
    session->SetDataOwner(aOwner);
    return session->GetDatabaseType(aDatabaseName);
}

// Data modules -----------------------------------------------------------------------------------

namespace report::data {

void AddDataModule(QObject* aModule) {
    if (aModule && !DataModules().contains(aModule)) dataModules().append(aModule);
}

void RemoveDataModule(QObject* aModule) { dataModules().removeAll(aModule); }

QList<QObject*> DataModules() {
    QList<QObject*> out;
    auto& list = dataModules();
    list.removeAll(nullptr);
    for (const QPointer<QObject>& m : list) out.append(m.data());
    return out;
}

}  // namespace report::data
