#pragma once

// A database folder with the report dictionary as the records manager writes it: tsTable.db
// (one row per table: the tree "Hierarchy.db" and one table per View) and tsField.db (one row
// per field, the flags as "T"/"F", the tree's ids typed "dtLongInt"), made through the table
// layer with the records manager's field layout; beside them a join table. Each table is read
// by a dataset pipeline, as a report reads it.

#include "report/model/db_pipeline.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/field_def.h"
#include "platform/db/table.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace data_test {

using db::FieldType;

/// The records manager's layout of its two dictionary tables.
inline db::TableDef TsTableDef() {
    return {{{"TableName", FieldType::ftString, 60, false}, {"TableAlias", FieldType::ftString, 60, false}}, {}};
}
inline db::TableDef TsFieldDef() {
    return {{{"TableName", FieldType::ftString, 60, false},
             {"FieldName", FieldType::ftString, 60, false},
             {"FieldAlias", FieldType::ftString, 60, false},
             {"Selectable", FieldType::ftString, 1, false},
             {"Searchable", FieldType::ftString, 1, false},
             {"Sortable", FieldType::ftString, 1, false},
             {"DataType", FieldType::ftString, 60, false},
             {"AutoSearch", FieldType::ftString, 1, false},
             {"Mandatory", FieldType::ftString, 1, false}},
            {}};
}
inline db::TableDef JoinDef() {
    return {{{"TableName1", FieldType::ftString, 60, false},
             {"TableName2", FieldType::ftString, 60, false},
             {"JoinType", FieldType::ftString, 20, false},
             {"FieldNames1", FieldType::ftString, 120, false},
             {"FieldNames2", FieldType::ftString, 120, false},
             {"Operators", FieldType::ftString, 60, false}},
            {}};
}

/// Appends one row; a null QVariant leaves the field null.
inline void AppendRow(db::Table& table, const std::vector<std::pair<QString, QVariant>>& values) {
    table.Append();
    for (const auto& [name, value] : values) {
        db::Field* f = table.FieldByName(name);
        if (value.isNull()) f->Clear();
        else if (value.typeId() == QMetaType::Bool) f->SetAsBoolean(value.toBool());
        else f->SetAsString(value.toString());
    }
    table.Post();
}

struct FieldRow {
    QString name, alias, type;
};

/// One open table with its data source and pipeline (owned by the fixture's form).
struct PipedTable {
    std::unique_ptr<db::Table> table;
    std::unique_ptr<db::DataSource> source;
    TppDBPipeline* pipeline = nullptr;
};

class DictionaryFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        db::CreateTableFile(Folder(), "tsTable.db", TsTableDef());
        db::CreateTableFile(Folder(), "tsField.db", TsFieldDef());
        db::CreateTableFile(Folder(), "Joins.db", JoinDef());
        {
            db::Table tables, fields;
            open(tables, "tsTable.db");
            open(fields, "tsField.db");
            postTable(tables, fields, "Hierarchy.db", "Tree",
                      {{"NodeName", "Branch Title", "dtString"},
                       {"NodeID", "Branch ID", "dtLongInt"},
                       {"ParentNodeID", "Parent Branch ID", "dtLongInt"},
                       {"NodeType", "View Type", "dtInteger"},
                       {"TimeStamp", "Last Change Date/Time", "dtDateTime"}});
            postTable(tables, fields, "Packages.db", "Packages",
                      {{"NodeID", "Branch ID", "dtLongInt"},
                       {"Note", "Notes", "dtMemo"},
                       {"Package", "Package", "dtString"},
                       {"InstalledSize", "Installed-Size", "dtLongInt"},
                       {"Priority", "Priority", "dtString"}});
            postTable(tables, fields, "Maintainers.db", "Maintainers",
                      {{"NodeID", "Branch ID", "dtLongInt"},
                       {"Name", "Maintainer", "dtString"},
                       {"Email", "E-mail", "dtString"}});
        }
        {
            db::Table joins;
            open(joins, "Joins.db");
            // The records of one table are consecutive in each of the two table columns.
            AppendRow(joins, {{"TableName1", "Packages.db"}, {"TableName2", "Maintainers.db"},
                              {"JoinType", "dajtInner"}, {"FieldNames1", "NodeID"}, {"FieldNames2", "NodeID"},
                              {"Operators", "="}});
            AppendRow(joins, {{"TableName1", "Packages.db"}, {"TableName2", "Hierarchy.db"}, {"JoinType", "dajtInner"},
                              {"FieldNames1", "NodeID"}, {"FieldNames2", "NodeID"}, {"Operators", "="}});
            AppendRow(joins, {{"TableName1", "Maintainers.db"}, {"TableName2", "Hierarchy.db"},
                              {"JoinType", "dajtLeftOuter"}, {"FieldNames1", "NodeID,Name"},
                              {"FieldNames2", "NodeID,NodeName"}, {"Operators", "=,>="}});
        }
        Tables = pipe("tsTable.db", "plTables");
        Fields = pipe("tsField.db", "plFields");
        Joins = pipe("Joins.db", "plJoins");
    }

    QString Folder() const { return m_dir.path(); }

    /// A table of the folder read by a new pipeline named aName (closed until asked).
    PipedTable pipe(const QString& aTable, const QString& aName) {
        PipedTable p;
        p.table = std::make_unique<db::Table>();
        p.table->SetDatabaseName(Folder());
        p.table->SetTableName(aTable);
        p.source = std::make_unique<db::DataSource>();
        p.source->SetDataSet(p.table.get());
        p.pipeline = new TppDBPipeline(&Form);
        p.pipeline->SetName(aName);
        p.pipeline->SetDataSource(p.source.get());
        return p;
    }

    void open(db::Table& t, const QString& name) {
        t.SetDatabaseName(Folder());
        t.SetTableName(name);
        t.Open();
    }

    /// As the records manager writes a table: its row, then its fields, flags "T" and "F".
    static void postTable(db::Table& tables, db::Table& fields, const QString& name, const QString& alias,
                          const std::vector<FieldRow>& rows) {
        AppendRow(tables, {{"TableName", name}, {"TableAlias", alias}});
        for (const FieldRow& r : rows)
            AppendRow(fields, {{"TableName", name}, {"FieldName", r.name}, {"FieldAlias", r.alias},
                               {"Selectable", "T"}, {"Searchable", "T"}, {"Sortable", "T"}, {"AutoSearch", "T"},
                               {"DataType", r.type}, {"Mandatory", "F"}});
    }

    QTemporaryDir m_dir;
    PipedTable Tables, Fields, Joins;
    TComponent Form;  ///< freed first: its pipelines go before their tables
};

}  // namespace data_test
