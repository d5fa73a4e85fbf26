// Feeds arbitrary bytes to the local-SQL layer as a query: the translation alone, then the
// whole query over a small folder of tables (open, type the result fields, read every row).
// It must answer rows or an engine error, never crash or hang.
#include "platform/base/exception.h"
#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/sql/local_sql.h"
#include "platform/db/sql/query.h"
#include "platform/db/table.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

/// A folder with Hierarchy.DB (a key, a text with a case-insensitive index) and Orders.db
/// (dates, money, a memo), a few rows each; made once per run.
const QString& fuzzFolder() {
    static QTemporaryDir dir;
    static const QString path = dir.path();
    static bool made = false;
    if (!made) {
        made = true;
        db::TableDef hierarchy;
        hierarchy.Fields = {{"NodeID", db::FieldType::ftInteger, 0, true},
                            {"ParentNodeID", db::FieldType::ftInteger, 0, false},
                            {"NodeName", db::FieldType::ftString, 100, false}};
        hierarchy.Indexes = {{"", "NodeID", db::IndexOption::ixPrimary | db::IndexOption::ixUnique},
                             {"ByName", "NodeName", db::IndexOption::ixCaseInsensitive}};
        db::CreateTableFile(dir.path(), "Hierarchy.DB", hierarchy);
        db::TableDef orders;
        orders.Fields = {{"OrderNo", db::FieldType::ftAutoInc, 0, false},
                         {"NodeID", db::FieldType::ftInteger, 0, false},
                         {"Placed", db::FieldType::ftDate, 0, false},
                         {"Amount", db::FieldType::ftCurrency, 0, false},
                         {"Note", db::FieldType::ftMemo, 0, false}};
        orders.Indexes = {{"", "OrderNo", db::IndexOption::ixPrimary | db::IndexOption::ixUnique}};
        db::CreateTableFile(dir.path(), "Orders.db", orders);
        db::Table h;
        h.SetDatabaseName(dir.path());
        h.SetTableName("Hierarchy.DB");
        h.Open();
        const char* names[] = {"Root", "abbot", "Abbey Road"};
        for (int i = 0; i < 3; ++i) {
            h.Append();
            h.Fields(0)->SetAsInteger(1000 + i);
            h.Fields(1)->SetAsInteger(i == 0 ? 0 : 1000);
            h.Fields(2)->SetAsString(QString::fromUtf8(names[i]));
            h.Post();
        }
        db::Table o;
        o.SetDatabaseName(dir.path());
        o.SetTableName("Orders.db");
        o.Open();
        o.Append();
        o.Fields(1)->SetAsInteger(1001);
        o.Fields(2)->SetValue(36526.0);
        o.Fields(3)->SetValue(10.5);
        o.Fields(4)->SetAsString(QStringLiteral("first"));
        o.Post();
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    auto r = db::sql::TranslateLocalSql(text);
    if (r.ok()) (void)r.value().text.size();
    try {
        auto cursor = db::sql::OpenQuery(fuzzFolder(), text);
        for (cursor->First(); !cursor->Eof(); cursor->Next()) {
            for (int i = 0; i < cursor->FieldCount(); ++i) (void)cursor->Fields(i)->AsString();
        }
    } catch (const base::Exception&) {
        // a refused query or a value that cannot be read: an answer, not a fault
    }
    return 0;
}
