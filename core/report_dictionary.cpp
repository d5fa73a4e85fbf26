#include "core/report_dictionary.h"

#include "core/globals.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/view_control.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"

#include <initializer_list>

namespace core {

QString ReportDataType(QChar type) {
    switch (type.toUpper().unicode()) {
    case u'N': return QStringLiteral("dtLongInt");
    case u'F': return QStringLiteral("dtDouble");
    case u'D': return QStringLiteral("dtDate");
    case u'B': return QStringLiteral("dtBoolean");
    case u'R': return QStringLiteral("dtInteger");
    default: return QStringLiteral("dtString");
    }
}

namespace {

struct FieldRow {
    QString name, alias, type;
};

void postTable(db::Table& tables, db::Table& fields, const QString& tableName, const QString& alias,
               std::initializer_list<FieldRow> fixed, const std::vector<FieldRow>& more = {}) {
    tables.Append();
    tables.FieldByName(QStringLiteral("TableName"))->SetAsString(tableName);
    tables.FieldByName(QStringLiteral("TableAlias"))->SetAsString(alias);
    tables.Post();
    // Each field row takes the table name as it was stored (cut to the field's size).
    const QString stored = tables.FieldByName(QStringLiteral("TableName"))->AsString();
    auto post = [&](const FieldRow& r) {
        fields.Append();
        fields.FieldByName(QStringLiteral("TableName"))->SetAsString(stored);
        fields.FieldByName(QStringLiteral("FieldName"))->SetAsString(r.name);
        fields.FieldByName(QStringLiteral("FieldAlias"))->SetAsString(r.alias);
        for (const char* flag : {"Selectable", "Searchable", "Sortable", "AutoSearch"})
            fields.FieldByName(QLatin1String(flag))->SetAsString(QStringLiteral("T"));
        fields.FieldByName(QStringLiteral("DataType"))->SetAsString(r.type);
        fields.FieldByName(QStringLiteral("Mandatory"))->SetAsString(QStringLiteral("F"));
        fields.Post();
    };
    for (const FieldRow& r : fixed) post(r);
    for (const FieldRow& r : more) post(r);
}

void writeDictionary(db::Table& tables, db::Table& fields, const TViewControl& views);

}  // namespace

bool RebuildReportDictionary(TMainDataMod& data, const TViewControl& views, bool showDoneMessage) {
    db::Table& tables = *data.tsTable;
    db::Table& fields = *data.tsField;
    const QString folder = Globals().CurrentFolder;
    try {
        for (db::Table* t : {&tables, &fields}) {
            if (t->Active()) t->Close();
            t->SetDatabaseName(folder);
            db::EmptyTableFile(folder, t->TableName());
            t->Open();
        }
    } catch (const std::exception&) {
        for (db::Table* t : {&tables, &fields}) {
            try {
                t->Close();
            } catch (...) {
            }
        }
        ui::Message(QStringLiteral("Unable to open the report dictionary."), ui::MessageKind::Error, ui::Button::Ok,
                    10083);
        return false;
    }
    struct CloseBoth {
        db::Table& a;
        db::Table& b;
        ~CloseBoth() {
            for (db::Table* t : {&a, &b}) {
                try {
                    if (t->Active() && t->State() != db::DataSetState::dsBrowse) t->Cancel();
                    t->Close();
                } catch (...) {
                }
            }
        }
    } closeBoth{tables, fields};
    {
        ui::HourglassCursor hourglass;
        writeDictionary(tables, fields, views);
    }
    if (showDoneMessage)
        ui::Message(QStringLiteral("The report dictionary has been rebuilt."), ui::MessageKind::Information,
                    ui::Button::Ok, 10084);
    return true;
}

void WriteReportDictionary(const QString& folder, const TViewControl& views) {
    db::Table tables, fields;
    for (auto [t, name] : {std::pair{&tables, kTsTableTable}, std::pair{&fields, kTsFieldTable}}) {
        t->SetDatabaseName(folder);
        t->SetTableName(name);
        db::EmptyTableFile(folder, name);
        t->Open();
    }
    tables.StartBatch();
    fields.StartBatch();
    writeDictionary(tables, fields, views);
    fields.EndBatch(true);
    tables.EndBatch(true);
}

namespace {

void writeDictionary(db::Table& tables, db::Table& fields, const TViewControl& views) {
    {
        postTable(tables, fields, QStringLiteral("Hierarchy.db"), QStringLiteral("Tree"),
                  {{QStringLiteral("NodeName"), QStringLiteral("Branch Title"), QStringLiteral("dtString")},
                   {QStringLiteral("NodeID"), QStringLiteral("Branch ID"), QStringLiteral("dtLongInt")},
                   {QStringLiteral("ParentNodeID"), QStringLiteral("Parent Branch ID"), QStringLiteral("dtLongInt")},
                   {QStringLiteral("NodeType"), QStringLiteral("View Type"), QStringLiteral("dtInteger")},
                   {QStringLiteral("TimeStamp"), QStringLiteral("Last Change Date/Time"), QStringLiteral("dtDateTime")}});
        for (int v = 0; v < views.GetViewCount(); ++v) {
            std::vector<FieldRow> user;
            for (int f = 0; f < views.GetViewFieldCount(v); ++f)
                user.push_back({views.GetFieldName(v, f), views.GetFieldLabelCaption(v, f),
                                ReportDataType(views.GetFieldType(v, f))});
            postTable(tables, fields, views.GetViewTableName(v) + QStringLiteral(".db"), views.GetViewName(v),
                      {{QStringLiteral("NodeID"), QStringLiteral("Branch ID"), QStringLiteral("dtLongInt")},
                       {QStringLiteral("Note"), QStringLiteral("Notes"), QStringLiteral("dtMemo")},
                       {QStringLiteral("TimeStamp"), QStringLiteral("Last Change Date/Time"), QStringLiteral("dtDateTime")},
                       {QStringLiteral("CrossReference"), QStringLiteral("Cross Reference"), QStringLiteral("dtMemo")},
                       {QStringLiteral("SearchTerms"), QStringLiteral("Search Terms"), QStringLiteral("dtMemo")}},
                      user);
        }
    }
}

}  // namespace

}  // namespace core
