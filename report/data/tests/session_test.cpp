// The session and dataset plug-in interface, the session-class registry and the pick lists.

#include "report/data/session.h"

#include "report/model/pipeline_field.h"
#include "report/page/class_library.h"

#include "platform/db/database.h"
#include "platform/stream/class_registry.h"

#include <gtest/gtest.h>

namespace {

int g_sessionsMade = 0;

/// A session over a fixed set of databases, as a plug-in would offer them.
class TdaTestSession : public TdaSession {
    Q_OBJECT
    Q_CLASSINFO("SessionTypeName", "BDESession")
public:
    Q_INVOKABLE explicit TdaTestSession(TComponent* AOwner = nullptr) : TdaSession(AOwner) { ++g_sessionsMade; }
    TClass DataSetClass() const override;
    TClass DatabaseClass() const override { return &db::Database::staticMetaObject; }
    void GetDatabaseNames(TdaNameList& aList) override {
        aList.append({QStringLiteral("ReportDB"), nullptr});
        if (DataOwner()) daGetComponentsOfClass(metaObject(), aList, DataOwner());
    }
    TppDatabaseType GetDatabaseType(const QString& aDatabaseName) override {
        return aDatabaseName == QLatin1String("ReportDB") ? TppDatabaseType::dtParadox : TppDatabaseType::dtOther;
    }
    void GetTableNames(const QString&, QStringList& aList) override { aList = {"Hierarchy.db"}; }
    TppDatabaseTypes SupportedDatabaseTypes() const override { return {TppDatabaseType::dtParadox}; }
};

/// A second class under the same type name (spelt differently).
class TdaRivalSession : public TdaTestSession {
    Q_OBJECT
    Q_CLASSINFO("SessionTypeName", "bdesession")
public:
    Q_INVOKABLE explicit TdaRivalSession(TComponent* AOwner = nullptr) : TdaTestSession(AOwner) {}
};

/// A dataset whose table has a given number of fields; counts its builds.
class TdaTestDataSet : public TdaDataSet {
    Q_OBJECT
    Q_CLASSINFO("DataSetTypeName", "TestDataSet")
public:
    Q_INVOKABLE explicit TdaTestDataSet(TComponent* AOwner = nullptr) : TdaDataSet(AOwner) {}
    void BuildFieldList() override {
        TdaDataSet::BuildFieldList();
        ++Builds;
        for (int i = 0; i < FieldsInTable; ++i) {
            auto f = std::make_unique<TppField>();
            f->SetFieldName(QStringLiteral("Field%1").arg(i + 1));
            AddField(std::move(f));
        }
    }
    bool GetActive() const override { return false; }
    void SetActive(bool) override {}
    void GetFieldNamesOfSQL(QStringList& aFieldNames, const QString&) override { aFieldNames.clear(); }
    void GetFieldsOfSQL(std::vector<std::unique_ptr<TppField>>& aFields, const QString&) override { aFields.clear(); }

    int FieldsInTable = 0;
    int Builds = 0;
};

TClass TdaTestSession::DataSetClass() const { return &TdaTestDataSet::staticMetaObject; }

class SessionRegistry : public ::testing::Test {
protected:
    void SetUp() override { daRegisterSessionClass(&TdaTestSession::staticMetaObject); }
    void TearDown() override {
        daUnRegisterSessionClass(&TdaTestSession::staticMetaObject);
        for (QObject* m : report::data::DataModules()) report::data::RemoveDataModule(m);
    }
};

TEST_F(SessionRegistry, the_first_class_of_a_type_name_stays_and_is_found_in_any_case) {
    daRegisterSessionClass(&TdaRivalSession::staticMetaObject);
    daRegisterSessionClass(nullptr);
    ASSERT_EQ(daGetSessionClassList().size(), 1);
    EXPECT_EQ(daGetSessionClassList().first().Name, "BDESession");
    for (const char* name : {"BDESession", "bdesession", "BDESESSION"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(daFindSessionClass(name), &TdaTestSession::staticMetaObject);
    }
    EXPECT_EQ(daFindSessionClass("Session"), nullptr);
    EXPECT_TRUE(stream::ClassRegistry::Global().Contains("TdaTestSession"));
    EXPECT_FALSE(stream::ClassRegistry::Global().Contains("TdaRivalSession"));
    EXPECT_EQ(report::GetClass("TdaTestSession"), &TdaTestSession::staticMetaObject);

    // A class made from its stream name is a session of that class.
    std::unique_ptr<stream::Component> made = stream::ClassRegistry::Global().Create("TdaTestSession");
    EXPECT_NE(dynamic_cast<TdaTestSession*>(made.get()), nullptr);

    daUnRegisterSessionClass(&TdaTestSession::staticMetaObject);
    EXPECT_EQ(daFindSessionClass("BDESession"), nullptr);
    EXPECT_FALSE(stream::ClassRegistry::Global().Contains("TdaTestSession"));
    EXPECT_TRUE(daGetSessionClassList().isEmpty());
}

TEST(Session, default_sql_type_follows_the_database_type) {
    using D = TppDatabaseType;
    using S = TppSQLType;
    struct Case {
        D type;
        S sql;
    };
    static const Case cases[] = {
        {D::dtAdvantage, S::sqSQL1}, {D::dtInterBase, S::sqSQL2},   {D::dtMSAccess, S::sqSQL2},
        {D::dtMSSQLServer, S::sqSQL2}, {D::dtSybaseASE, S::sqSQL1}, {D::dtSybaseASA, S::sqSQL2},
        {D::dtOracle, S::sqSQL1},    {D::dtParadox, S::sqBDELocal}, {D::dtDBISAM, S::sqSQL1},
        {D::dtOther, S::sqSQL1},
    };
    TdaTestSession session;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        EXPECT_EQ(session.DefaultSQLType(c.type), c.sql);
    }
    EXPECT_EQ(session.GetSessionTypeName(), "BDESession");
    EXPECT_TRUE(session.IsReservedWord("lineno", D::dtMSSQLServer));
    EXPECT_FALSE(session.IsReservedWord("lineno", D::dtOracle));
}

TEST(DataSet, fields_are_built_on_first_demand_and_again_only_while_none) {
    TComponent owner;
    TdaDataSet* made = daCreateDataSet(&TdaTestDataSet::staticMetaObject, &owner);
    auto* ds = qobject_cast<TdaTestDataSet*>(made);
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(ds->parent(), &owner);
    EXPECT_EQ(ds->GetDataSetTypeName(), "TestDataSet");
    EXPECT_EQ(ds->Builds, 0);

    ds->FieldsInTable = 3;
    EXPECT_EQ(ds->GetFieldCount(), 3);
    EXPECT_EQ(ds->GetField(2)->FieldName(), "Field3");
    EXPECT_EQ(ds->GetField(3), nullptr);
    EXPECT_EQ(ds->GetFieldCount(), 3);
    EXPECT_EQ(ds->Builds, 1);

    QPointer<TppField> kept = ds->GetField(0);
    ds->ClearFields();
    EXPECT_TRUE(kept.isNull());
    EXPECT_EQ(ds->GetFieldCount(), 3);
    EXPECT_EQ(ds->Builds, 2);

    // A table without fields is asked again each time.
    ds->ClearFields();
    ds->FieldsInTable = 0;
    EXPECT_EQ(ds->GetFieldCount(), 0);
    EXPECT_EQ(ds->GetField(0), nullptr);
    EXPECT_EQ(ds->Builds, 4);
}

TEST_F(SessionRegistry, database_components_come_from_the_module_then_the_data_modules) {
    QObject form, dataModule, otherModule;
    form.setObjectName("ReportForm");
    auto* local = new db::Database(&form);
    local->setObjectName("dbLocal");
    new QObject(&form);  // not a database component
    auto* shared = new db::Database(&dataModule);
    shared->setObjectName("dbShared");
    auto* other = new db::Database(&otherModule);
    other->setObjectName("dbOther");
    report::data::AddDataModule(&dataModule);
    report::data::AddDataModule(&otherModule);

    const TClass cls = &TdaTestSession::staticMetaObject;
    auto names = [](const TdaNameList& list) {
        QStringList out;
        for (const TdaNameItem& i : list) out << i.Name;
        return out;
    };
    TdaNameList list;
    daGetComponentsOfClass(cls, list, nullptr);
    EXPECT_TRUE(list.isEmpty());
    daGetComponentsOfClass(cls, list, &form);
    EXPECT_EQ(names(list), QStringList({"dbLocal", "dbShared", "dbOther"}));
    EXPECT_EQ(list.first().Object, local);
    list.clear();
    daGetComponentsOfClass(cls, list, &dataModule);
    EXPECT_EQ(names(list), QStringList({"dbShared"}));

    // The database-name pick list: a temporary session told its data owner.
    list = {{"stale", nullptr}};
    daGetDatabaseNames(cls, list, &form);
    EXPECT_EQ(names(list), QStringList({"ReportDB", "dbLocal", "dbShared", "dbOther"}));
    daGetDatabaseNames(nullptr, list, &form);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(SessionRegistry, database_type_of_an_unknown_session_type_is_other_without_a_session) {
    g_sessionsMade = 0;
    EXPECT_EQ(daGetDatabaseType(nullptr, "SqliteSession", "ReportDB"), TppDatabaseType::dtOther);
    EXPECT_EQ(g_sessionsMade, 0);
    EXPECT_EQ(daGetDatabaseType(nullptr, "bdesession", "ReportDB"), TppDatabaseType::dtParadox);
    EXPECT_EQ(g_sessionsMade, 1);
}

}  // namespace

#include "session_test.moc"
