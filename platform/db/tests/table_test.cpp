#include "platform/db/table.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"

#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using db::FieldType;
using db::IndexOption;

db::TableDef registryDef() {
    db::TableDef def;
    def.Fields = {{"Section", FieldType::ftString, 50, true},
                  {"Key1", FieldType::ftString, 50, false},
                  {"Key2", FieldType::ftString, 50, false},
                  {"Variable", FieldType::ftString, 50, false},
                  {"Value", FieldType::ftString, 200, false},
                  {"CRC", FieldType::ftInteger, 0, false}};
    def.Indexes = {{"", "Section;Key1;Key2;Variable", IndexOption::ixPrimary}};
    return def;
}

class TableBasics : public testsupport::TempFolder {};

TEST_F(TableBasics, posted_rows_walk_in_primary_order_and_seek_by_key) {
    db::CreateTableFile(Path(), "Registry.DB", registryDef());
    db::Table t;
    t.SetDatabaseName(Path());
    t.SetTableName("REGISTRY.db");
    t.Open();
    EXPECT_TRUE(t.Bof());
    EXPECT_TRUE(t.Eof());
    const char* rows[][4] = {{"Views", "Control", "", "Count"}, {"Forms", "Main", "", "Pos"}, {"Forms", "Main", "", "Dock"}};
    for (auto& r : rows) {
        t.Append();
        t.FieldByName("Section")->SetAsString(r[0]);
        t.FieldByName("Key1")->SetAsString(r[1]);
        t.FieldByName("Key2")->SetAsString(r[2]);
        t.FieldByName("variable")->SetAsString(r[3]);
        t.Post();
        EXPECT_EQ(t.FieldByName("Variable")->AsString(), r[3]);
    }
    QStringList order;
    for (t.First(); !t.Eof(); t.Next()) order << t.FieldByName("Variable")->AsString();
    EXPECT_EQ(order, (QStringList{"Dock", "Pos", "Count"}));
    EXPECT_TRUE(t.FindKey({"Forms", "Main", "", "Pos"}));
    EXPECT_EQ(t.FieldByName("Variable")->AsString(), "Pos");
    EXPECT_FALSE(t.FindKey({"Forms", "Main", "", "Nope"}));
    t.SetRange({"Forms"}, {"Forms"});
    EXPECT_EQ(t.RecordCount(), 2);
    t.CancelRange();
    EXPECT_EQ(t.RecordCount(), 3);
}

TEST_F(TableBasics, duplicate_primary_key_raises_key_violation) {
    db::CreateTableFile(Path(), "Registry.DB", registryDef());
    db::Table t;
    t.SetDatabaseName(Path());
    t.SetTableName("Registry.DB");
    t.Open();
    for (int i = 0; i < 2; ++i) {
        t.Append();
        t.FieldByName("Section")->SetAsString("A");
        t.FieldByName("Key1")->SetAsString("B");
        if (i == 0) {
            t.Post();
        } else {
            try {
                t.Post();
                FAIL() << "no key violation";
            } catch (const db::EDBEngineError& e) {
                EXPECT_EQ(e.Errors(0).ErrorCode, 9729);
                EXPECT_EQ(db::EngineErrorText(e.Code()), "9729: Key violation.");
            }
        }
    }
}

}  // namespace
