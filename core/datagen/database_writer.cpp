#include "core/datagen/database_writer.h"

#include "core/product_tables.h"
#include "core/report_dictionary.h"
#include "core/settings_store.h"
#include "core/view_control.h"

#include "platform/base/exception.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTextStream>

namespace datagen {

std::vector<ViewSource> ReadViewSources(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw base::Exception(QStringLiteral("Cannot read the View source %1.").arg(path));
    std::vector<ViewSource> views;
    QTextStream in(&file);
    int lineNo = 0;
    enum { None, Layout, Field } target = None;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNo;
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(u'#')) continue;
        auto fail = [&](const QString& why) {
            throw base::Exception(QStringLiteral("%1:%2: %3").arg(path).arg(lineNo).arg(why));
        };
        if (t == QLatin1String("[View]")) {
            views.emplace_back();
            target = Layout;
        } else if (t == QLatin1String("[Field]")) {
            if (views.empty()) fail(QStringLiteral("a field before the first View"));
            views.back().Fields.push_back({});
            target = Field;
        } else {
            const int eq = t.indexOf(u'=');
            if (eq <= 0 || target == None) fail(QStringLiteral("expected Variable=Value"));
            const QPair<QString, QString> row{t.left(eq).trimmed(), t.mid(eq + 1).trimmed()};
            if (target == Layout) views.back().Layout.push_back(row);
            else views.back().Fields.back().push_back(row);
        }
    }
    return views;
}

namespace {

bool hasVariable(const QVector<QPair<QString, QString>>& rows, const QString& name) {
    for (const auto& r : rows)
        if (r.first == name) return true;
    return false;
}

QString valueOf(const QVector<QPair<QString, QString>>& rows, const QString& name, const QString& def = {}) {
    for (const auto& r : rows)
        if (r.first == name) return r.second;
    return def;
}

}  // namespace

struct DatabaseWriter::Impl {
    QString folder;
    std::unique_ptr<db::Table> registry;
    std::unique_ptr<db::Table> hierarchy;
    std::vector<std::unique_ptr<db::Table>> viewTables;
    std::vector<QHash<QString, db::Field*>> viewFields;
    TViewControl views;
    int nextNodeID = core::kFirstNodeID;
    bool finished = false;

    std::unique_ptr<db::Table> open(const QString& name) {
        auto t = std::make_unique<db::Table>();
        t->SetDatabaseName(folder);
        t->SetTableName(name);
        t->Open();
        return t;
    }
};

DatabaseWriter::DatabaseWriter(const QString& folder, const std::vector<ViewSource>& views) : d(std::make_unique<Impl>()) {
    d->folder = QDir::cleanPath(folder);
    QDir().mkpath(d->folder);
    core::CreateDatabaseTables(d->folder);
    d->registry = d->open(core::kSettingsTableName);
    core::SetSettingsTable(d->registry.get());
    // Every settings row in one transaction: thousands of posts, one commit.
    d->registry->StartBatch();

    // The source rows as they stand, fields placed one below the other where not given.
    const QString viewsSection = QStringLiteral("Views");
    core::WriteRegInt(viewsSection, QStringLiteral("Control"), QStringLiteral("Counts"), QStringLiteral("ViewCount"),
                      int(views.size()));
    for (int v = 0; v < int(views.size()); ++v) {
        const QString key = core::ViewKeyNumber(v);
        for (const auto& [variable, value] : views[size_t(v)].Layout)
            core::WriteRegString(viewsSection, key, QStringLiteral("Layout"), variable, value);
        core::WriteRegInt(viewsSection, key, QStringLiteral("Fields"), QStringLiteral("Count"),
                          int(views[size_t(v)].Fields.size()));
        int top = 40;
        for (int f = 0; f < int(views[size_t(v)].Fields.size()); ++f) {
            const auto& rows = views[size_t(v)].Fields[f];
            const QString fieldKey = core::FieldKey(f);
            for (const auto& [variable, value] : rows) core::WriteRegString(viewsSection, key, fieldKey, variable, value);
            if (!hasVariable(rows, QStringLiteral("FieldPosition"))) {
                const QChar type = valueOf(rows, QStringLiteral("FieldType"), QStringLiteral("S")).at(0);
                const int length = valueOf(rows, QStringLiteral("FieldLength"), QStringLiteral("20")).toInt();
                const int width = type == u'S' ? std::clamp(length * 7 + 16, 60, 460) : (type == u'B' ? 240 : 120);
                const int fieldTop = type == u'B' ? top : top;
                core::WriteRegString(viewsSection, key, fieldKey, QStringLiteral("FieldPosition"),
                                     QStringLiteral("%1,12,21,%2").arg(fieldTop).arg(width));
                if (type != u'B' && !hasVariable(rows, QStringLiteral("LabelPosition")))
                    core::WriteRegString(viewsSection, key, fieldKey, QStringLiteral("LabelPosition"),
                                         QStringLiteral("%1,12,15,%2").arg(fieldTop - 16).arg(width));
                top += type == u'B' ? 30 : 46;
            }
        }
    }
    // Loaded and saved again by the View definitions themselves: every variable in its stored form.
    if (!d->views.LoadViewDefinitions()) throw base::Exception(QStringLiteral("The View definitions did not load."));
    for (int v = 0; v < d->views.GetViewCount(); ++v) d->views.SaveViewDefinition(v);
    d->registry->EndBatch(true);

    d->hierarchy = d->open(core::kHierarchyTable);
    d->hierarchy->StartBatch();
    for (int v = 0; v < d->views.GetViewCount(); ++v) {
        const TViewDef& def = d->views.ViewDefs[size_t(v)];
        const QString file = core::ViewTableFile(def.DataTableName);
        db::CreateTableFile(d->folder, file, core::ViewTableDef(def));
        d->viewTables.push_back(d->open(file));
        d->viewTables.back()->StartBatch();
        QHash<QString, db::Field*> fields;
        for (int i = 0; i < d->viewTables.back()->FieldCount(); ++i) {
            db::Field* field = d->viewTables.back()->Fields(i);
            fields.insert(field->FieldName().toLower(), field);
        }
        d->viewFields.push_back(fields);
    }
}

DatabaseWriter::~DatabaseWriter() {
    if (!d->finished) {
        try {
            if (d->registry) d->registry->EndBatch(false);
        } catch (...) {
        }
        for (auto& t : d->viewTables) {
            try {
                t->EndBatch(false);
            } catch (...) {
            }
        }
        try {
            if (d->hierarchy) d->hierarchy->EndBatch(false);
        } catch (...) {
        }
    }
    if (core::SettingsTable() == d->registry.get()) core::SetSettingsTable(nullptr);
}

int DatabaseWriter::ViewCount() const { return d->views.GetViewCount(); }

int DatabaseWriter::AddBranch(int parentNodeID, const QString& title, int view,
                              const QVector<QPair<QString, QVariant>>& values, const QString& note, double timestamp) {
    const int id = d->nextNodeID++;
    db::Table& h = *d->hierarchy;
    h.Append();
    h.FieldByName(QStringLiteral("NodeID"))->SetAsInteger(id);
    h.FieldByName(QStringLiteral("ParentNodeID"))->SetAsInteger(parentNodeID);
    h.FieldByName(QStringLiteral("NodeName"))->SetAsString(title);
    h.FieldByName(QStringLiteral("NodeType"))->SetAsInteger(view);
    h.FieldByName(QStringLiteral("Timestamp"))->SetAsDateTime(timestamp);
    h.Post();

    db::Table& t = *d->viewTables.at(size_t(view));
    const auto& fields = d->viewFields[size_t(view)];
    t.Append();
    t.FieldByName(QStringLiteral("NodeID"))->SetAsInteger(id);
    t.FieldByName(QStringLiteral("TimeSTamp"))->SetAsDateTime(timestamp);
    if (!note.isEmpty()) t.FieldByName(QStringLiteral("Note"))->SetAsString(note);
    for (const auto& [name, value] : values) {
        db::Field* field = fields.value(name.toLower());
        if (!field) throw base::Exception(QStringLiteral("View %1 has no field %2.").arg(view).arg(name));
        if (value.isValid() && !value.isNull()) field->SetValue(value);
    }
    t.Post();
    return id;
}

void DatabaseWriter::WriteSetting(const QString& section, const QString& key1, const QString& key2,
                                  const QString& variable, const QString& value) {
    core::WriteRegString(section, key1, key2, variable, value);
}

void DatabaseWriter::Finish() {
    d->hierarchy->EndBatch(true);
    for (auto& t : d->viewTables) t->EndBatch(true);
    d->finished = true;
    std::vector<std::pair<QString, QStringList>> indexes;
    indexes.push_back({core::kHierarchyTable, {QStringLiteral("NodeName")}});
    for (int v = 0; v < d->views.GetViewCount(); ++v)
        indexes.push_back({core::ViewTableFile(d->views.ViewDefs[size_t(v)].DataTableName),
                           core::TextFieldNames(d->viewTables[size_t(v)]->Definition())});
    d->viewTables.clear();
    d->hierarchy.reset();
    core::SetSettingsTable(nullptr);
    d->registry.reset();
    // The report dictionary, as the full rebuild writes it: the Data page offers the tree
    // and every View.
    core::WriteReportDictionary(d->folder, d->views);
    for (int i = 0; i < int(indexes.size()); ++i) {
        const QString dict = i == 0 ? core::kHierarchyDictTable
                                    : core::ViewDictTableFile(d->views.ViewDefs[size_t(i - 1)].DataTableName);
        core::BuildWordIndex(d->folder, indexes[size_t(i)].first, dict, indexes[size_t(i)].second);
    }
}

}  // namespace datagen
