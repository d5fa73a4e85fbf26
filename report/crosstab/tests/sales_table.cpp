#include "report/crosstab/tests/sales_table.h"

#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"

#include <sqlite3.h>

namespace crosstabtest {

QString RegionOfRow(int i) {
    static const char* const regions[] = {"West", "east", "East", "", "West", "East", "east"};
    return QString::fromLatin1(regions[(i * 5 + i / 7) % 7]);
}

SalesTable::SalesTable(int rows, const QStringList& products) {
    db::TableDef def;
    def.Fields = {{"No", db::FieldType::ftInteger, 0, true},
                  {"Region", db::FieldType::ftString, 10, false},
                  {"Year", db::FieldType::ftInteger, 0, false},
                  {"Quarter", db::FieldType::ftInteger, 0, false},
                  {"Product", db::FieldType::ftString, 60, false},
                  {"Amount", db::FieldType::ftCurrency, 0, false},
                  {"Qty", db::FieldType::ftInteger, 0, false}};
    def.Indexes = {{"", "No", db::IndexOption::ixPrimary}};
    db::CreateTableFile(folder(), QStringLiteral("Sales.DB"), def, true);
    db::Table t;
    t.SetDatabaseName(folder());
    t.SetTableName(QStringLiteral("Sales.DB"));
    t.Open();
    t.StartBatch();
    for (int i = 0; i < rows; ++i) {
        t.Append();
        t.Fields(0)->SetValue(i + 1);
        const QString region = RegionOfRow(i);
        if (!region.isEmpty()) t.Fields(1)->SetValue(region);
        t.Fields(2)->SetValue(1999 + (i * 7 + i / 13) % 4);
        t.Fields(3)->SetValue(1 + (i * 3 + i / 5) % 4);
        if (!products.isEmpty()) t.Fields(4)->SetValue(products.at((i * 17 + i / 3) % products.size()));
        // Whole cents, so that sums are exact in money and in SQL alike.
        t.Fields(5)->SetValue(double((i * 7919 + 1237) % 250000) / 100.0);
        t.Fields(6)->SetValue(1 + (i * 31 + i / 11) % 40);
        t.Post();
    }
    t.EndBatch(true);
}

std::vector<QStringList> SalesTable::sql(const QString& query) const {
    std::vector<QStringList> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return out;
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                row << (text ? QString::fromUtf8(text) : QString());
            }
            out.push_back(row);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

}  // namespace crosstabtest
