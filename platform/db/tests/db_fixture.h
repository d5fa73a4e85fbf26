#pragma once

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/table.h"

#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace dbtest {

using db::FieldType;
using db::IndexOption;

/// The settings table's layout.
inline db::TableDef RegistryDef() {
    db::TableDef def;
    def.Fields = {{"Section", FieldType::ftString, 50, true},  {"Key1", FieldType::ftString, 50, false},
                  {"Key2", FieldType::ftString, 50, false},    {"Variable", FieldType::ftString, 50, false},
                  {"Value", FieldType::ftString, 200, false},  {"CRC", FieldType::ftInteger, 0, false}};
    def.Indexes = {{"", "Section;Key1;Key2;Variable", IndexOption::ixPrimary}};
    return def;
}

/// The tree table's layout with a secondary index over parent and name.
inline db::TableDef HierarchyDef() {
    db::TableDef def;
    def.Fields = {{"NodeID", FieldType::ftInteger, 0, true},     {"ParentNodeID", FieldType::ftInteger, 0, false},
                  {"NodeName", FieldType::ftString, 100, false}, {"NodeType", FieldType::ftSmallint, 0, false},
                  {"Properties", FieldType::ftMemo, 0, false},   {"Timestamp", FieldType::ftDateTime, 0, false}};
    def.Indexes = {{"", "NodeID", IndexOption::ixPrimary},
                   {"ByParent", "ParentNodeID;NodeName", IndexOption::ixCaseInsensitive}};
    return def;
}

/// A folder of real tables for one test.
class DbFolder : public testsupport::TempFolder {
protected:
    std::unique_ptr<db::Table> OpenTable(const QString& name, bool exclusive = false) {
        auto t = std::make_unique<db::Table>();
        t->SetDatabaseName(Path());
        t->SetTableName(name);
        t->SetExclusive(exclusive);
        t->Open();
        return t;
    }

    /// Appends one row: values by field position (null QVariant leaves a field null).
    static void AppendRow(db::Table& t, const QVariantList& values) {
        t.Append();
        for (int i = 0; i < values.size(); ++i) {
            if (!values[i].isNull()) t.Fields(i)->SetValue(values[i]);
        }
        t.Post();
    }

    static QStringList Column(db::Table& t, const QString& field) {
        QStringList out;
        for (t.First(); !t.Eof(); t.Next()) out << t.FieldByName(field)->AsString();
        return out;
    }
};

/// Expects `work` to raise an engine error with this code.
inline void ExpectEngineError(int code, const std::function<void()>& work) {
    try {
        work();
        ADD_FAILURE() << "no engine error, expected " << code;
    } catch (const db::EDBEngineError& e) {
        EXPECT_EQ(e.Code(), code) << e.Message().toStdString();
    }
}

}  // namespace dbtest
