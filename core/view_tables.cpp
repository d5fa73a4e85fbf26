#include "core/view_tables.h"

#include "core/date_helpers.h"
#include "core/internal/format_bridge.h"
#include "core/library_helpers.h"
#include "core/main_data_mod.h"
#include "core/mask_helpers.h"
#include "core/product_tables.h"
#include "core/system_helpers.h"
#include "core/table_restructure.h"
#include "core/text_helpers.h"
#include "core/view_control.h"

#include "platform/base/scope_exit.h"

#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"
#include "fulltext/ts_engine.h"

#include "platform/base/day_time.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/format/number_format.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/window_message.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QVariant>

#include <climits>
#include <optional>

namespace core {

namespace {

ViewWindowLink* viewLink(QObject* window) { return dynamic_cast<ViewWindowLink*>(window); }
NoteWindowLink* noteLink(QObject* window) { return dynamic_cast<NoteWindowLink*>(window); }

QString tableTitle(const db::Table& table) { return QStringLiteral("View (") + table.TableName() + u')'; }

/// Cancels a pending edit or insert of the table, whatever state it is in.
void cancelPending(db::Table& table) noexcept {
    try {
        if (table.Active() && table.State() != db::DataSetState::dsBrowse) table.Cancel();
    } catch (...) {
    }
}

/// After a failed write: the pending change is dropped and the row read again as stored.
void cancelAndReread(db::Table& table) noexcept {
    cancelPending(table);
    try {
        table.Refresh();
    } catch (...) {
    }
}

/// One field's value as it is to be written (validated before anything is written).
struct PendingValue {
    QString column;
    QVariant value;  ///< null: clear the column
    QChar type;
};

}  // namespace

// ---- DatabaseWrite ----

DatabaseWrite::DatabaseWrite(db::Database& database) : m_database(database) {
    if (m_database.Connected() && !m_database.InTransaction()) {
        m_database.StartTransaction();
        m_started = true;
    }
}

DatabaseWrite::~DatabaseWrite() {
    if (m_started && m_database.InTransaction()) {
        try {
            m_database.Rollback();
        } catch (...) {
        }
    }
}

void DatabaseWrite::Commit() {
    if (!m_started) return;
    m_started = false;
    m_database.Commit();
}

// ---- ViewTables ----

ViewTables::ViewTables(TViewControl& views, TMainDataMod& data, QObject& searchData)
    : m_views(views), m_data(data), m_searchData(searchData) {}

void ViewTables::Install() {
    m_views.FreeAllViews = [this] { return FreeAllViews(); };
    m_views.CreateViewComponents = [this](int view) { CreateViewComponents(view); };
    m_views.ApplyFieldRestructure = [this](int view, int field) { return ApplyFieldRestructure(m_views, view, field); };
}

QString ViewTables::CheckDataTableName(const QString& name) {
    static const QRegularExpression componentName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (name.isEmpty()) return QStringLiteral("The View has no table name.");
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QLatin1String("..")))
        return QStringLiteral("The table name \"%1\" of the View holds a path; a View table must lie in the database folder.").arg(name);
    if (!componentName.match(name).hasMatch() || name.size() > 60)
        return QStringLiteral("\"%1\" is not a valid View table name: it may hold only letters, digits and \"_\", "
                              "without an extension.").arg(name);
    static const char* const reserved[] = {"Registry", "Hierarchy", "HierarchyDict", "tsTable", "tsField",
                                           "tsFolder", "tsItem"};
    for (const char* r : reserved) {
        if (name.compare(QLatin1String(r), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String(r) + QStringLiteral("Dict"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("\"%1\" is not a valid View table name: the database uses it for its own table.").arg(name);
    }
    return {};
}

void ViewTables::CreateViewComponents(int view) {
    if (!m_views.CheckViewIndex(view)) return;
    TViewDef& v = m_views.ViewDefs[size_t(view)];
    const QString problem = CheckDataTableName(v.DataTableName);
    if (!problem.isEmpty()) {
        ui::Message(QStringLiteral("The View \"%1\" cannot be opened. %2").arg(v.ViewName, problem), ui::MessageKind::Error,
                    ui::Button::Ok);
        return;
    }
    const QString nn = ViewKeyNumber(view);
    const QString database = m_data.DSDB->DatabaseName();
    auto named = [](QObject* o, const QString& name) { o->setObjectName(name); };

    auto* table = new TtsTable(&m_data);
    named(table, v.DataTableName);
    table->SetTableName(ViewTableFile(v.DataTableName));
    table->SetDatabaseName(database);
    table->SetIndexFieldNames(QStringLiteral("NodeID"));
    table->AfterPost = [this](db::Table& t) { m_data.AfterPost(t); };
    table->SetTag(view);
    v.DataTable = table;

    auto* dict = new db::Table(&m_data);
    named(dict, v.DataTableName + QStringLiteral("Dict"));
    dict->SetTableName(ViewDictTableFile(v.DataTableName));
    dict->SetDatabaseName(database);
    dict->AfterPost = [this](db::Table& t) { m_data.AfterPost(t); };
    dict->SetTag(view);
    v.DictTable = dict;

    auto* searchCache = new TtsCache(&m_searchData);
    named(searchCache, QStringLiteral("tsCacheS") + nn);
    searchCache->SetMemoryLimit(8000);
    searchCache->setProperty("Tag", view);
    v.SearchCache = searchCache;

    auto* text = new TtsTextTableLink(&m_searchData);
    named(text, QStringLiteral("tsTextTableLink") + nn);
    text->SetTable(table);
    text->OnMinIndex = [](QObject*) { return 0; };
    text->setProperty("Tag", view);
    v.TextLink = text;

    auto* words = new TtsWordsTableLink(&m_searchData);
    named(words, QStringLiteral("tsWordsTableLink") + nn);
    words->SetTable(dict);
    words->setProperty("Tag", view);
    v.WordsLink = words;

    auto* searcher = new TtsSearch(&m_searchData);
    named(searcher, QStringLiteral("tsSearcher") + nn);
    searcher->SetCache(searchCache);
    searcher->SetTextLink(text);
    searcher->SetWordsLink(words);
    searcher->setProperty("Tag", view);
    v.Searcher = searcher;

    auto* updateCache = new TtsCache(&m_searchData);
    named(updateCache, QStringLiteral("tsCacheU") + nn);
    updateCache->SetMemoryLimit(8000);
    updateCache->setProperty("Tag", view);
    v.UpdateCache = updateCache;

    auto* updater = new TtsUpdate(&m_data);
    named(updater, QStringLiteral("tsUpdater") + nn);
    updater->SetCache(updateCache);
    updater->SetTextLink(text);
    updater->SetWordsLink(words);
    updater->setProperty("Tag", view);
    v.Updater = updater;
    table->SetUpdater(updater);
}

bool ViewTables::OpenViewTable(int view) {
    if (!m_views.CheckViewIndex(view)) return false;
    TtsTable* table = m_views.ViewDefs[size_t(view)].DataTable;
    if (!table || table->Active()) return false;
    try {
        table->Open();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ViewTables::OpenViewDictTable(int view) {
    if (!m_views.CheckViewIndex(view)) return false;
    TViewDef& v = m_views.ViewDefs[size_t(view)];
    v.DictOpen = false;
    if (!v.DictTable) return false;
    try {
        if (!v.DictTable->Active()) v.DictTable->Open();
        v.DictOpen = true;
    } catch (const std::exception&) {
        v.DictOpen = false;
    }
    return v.DictOpen;
}

void ViewTables::OpenDictTables() {
    try {
        if (!m_data.HierarchyDict->Active()) m_data.HierarchyDict->Open();
    } catch (const std::exception&) {
    }
    for (int i = 0; i < m_views.GetViewCount(); ++i) OpenViewDictTable(i);
}

void ViewTables::CloseDictTables() {
    if (m_data.HierarchyDict->Active()) m_data.HierarchyDict->Close();
    for (TViewDef& v : m_views.ViewDefs) {
        if (v.DictTable && v.DictTable->Active()) v.DictTable->Close();
        v.DictOpen = false;
    }
}

void ViewTables::ResetViewSearchers() {
    for (TViewDef& v : m_views.ViewDefs)
        if (v.Searcher) static_cast<TtsEngine*>(v.Searcher.data())->ClearPrevious();
}

void ViewTables::ReloadSearchIndexes() {
    m_data.HierarchyTextLink->Reset();
    m_data.HierarchyWordsLink->Reset();
    for (TViewDef& v : m_views.ViewDefs) {
        if (v.TextLink) v.TextLink->Reset();
        if (v.WordsLink) v.WordsLink->Reset();
        if (v.Searcher) v.Searcher->Refresh();
        if (v.Updater) v.Updater->Refresh();
    }
}

bool ViewTables::ViewTableHasField(int view, const QString& name) const {
    if (!m_views.CheckViewIndex(view)) return false;
    TtsTable* table = m_views.ViewDefs[size_t(view)].DataTable;
    if (!table) return false;
    if (table->Active()) return table->FindField(name) != nullptr;
    try {
        table->UpdateDefs();
    } catch (const std::exception&) {
        return false;
    }
    for (const db::FieldDef& f : table->FieldDefs())
        if (f.Name.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

void ViewTables::PositionViewTable(int view) {
    if (!m_views.CheckViewIndex(view)) return;
    const TViewDef& v = m_views.ViewDefs[size_t(view)];
    TtsTable* table = v.DataTable;
    if (!table || !table->Active() || v.CurrentNodeID == -1) return;
    if (!table->Eof() || !table->Bof()) {
        if (table->FieldByName(QStringLiteral("NodeID"))->AsInteger() == v.CurrentNodeID) return;
    }
    table->FindKey({v.CurrentNodeID});
}

// ---- the shown record ----

namespace {

/// The text of a field's column as the View window shows it.
QString fieldValueText(const TViewFieldDef& f, const db::Field& column) {
    switch (f.FieldType.unicode()) {
    case u'B':
        return column.AsBoolean() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case u'D':
        return column.IsNull() ? QStringLiteral("0.0") : QString::number(column.AsDateTime(), 'f', 6);
    case u'F':
        if (!f.FieldMask.trimmed().isEmpty())
            return FormatNumberForMask(format::FormatFloat(MaskToDisplayFormat(f.FieldMask), column.AsFloat()), f.FieldMask);
        return format::FloatToStr(column.AsFloat());
    case u'N':
        return QString::number(column.AsInteger());
    default:
        return column.AsString();
    }
}

/// Puts a value text into the field's control.
void showFieldText(const TViewFieldDef& f, const QString& text) {
    if (!f.FieldIsVisible) return;
    switch (f.FieldType.unicode()) {
    case u'B':
        if (f.CheckBoxControl) f.CheckBoxControl->setProperty("checked", TextToBool(text));
        return;
    case u'D': {
        QString shown;
        const QString t = text.trimmed();
        if (!t.isEmpty() && t != QLatin1String("0.0")) {
            bool ok = false;
            const double days = t.toDouble(&ok);
            shown = ok ? ExpandDateYear(FormatShortDate(base::DaysToDate(days)), false) : t;
        }
        if (f.EditControl) f.EditControl->setProperty("text", shown);
        return;
    }
    case u'N':
        if (f.EditControl) f.EditControl->setProperty("text", text.trimmed());
        return;
    case u'R':
        return;
    default:
        if (f.EditControl) f.EditControl->setProperty("text", text);
    }
}

QString sampleText(const TViewFieldDef& f) {
    const int n = std::max<int>(0, f.FieldLength);
    switch (f.FieldType.unicode()) {
    case u'B':
        return QStringLiteral("True");
    case u'D':
        return QString::number(base::DateToDays(QDate::currentDate()), 'f', 1);
    case u'F':
        return QString(std::max(0, n - 3), u'9') + QStringLiteral(".99");
    case u'N':
        return QString(n, u'9');
    default:
        return QString(n, u'X');
    }
}

/// Reads and checks the value a field's control holds. On a value that cannot be stored,
/// answers nullopt and sets `problem`.
std::optional<PendingValue> valueOfControl(const TViewFieldDef& f, QString& problem) {
    PendingValue p{f.FieldName, {}, f.FieldType};
    const QString name = f.LabelCaption.isEmpty() ? f.FieldName : f.LabelCaption;
    if (f.FieldType == u'B') {
        if (!f.CheckBoxControl) return std::nullopt;
        p.value = f.CheckBoxControl->property("checked").toBool();
        return p;
    }
    if (!f.EditControl || !f.FieldIsVisible) return std::nullopt;
    const QString text = f.EditControl->property("text").toString();
    switch (f.FieldType.unicode()) {
    case u'D': {
        if (IsBlankDate(text)) return p;  // clears the column
        const std::optional<QDate> date = ParseShortDate(text.trimmed());
        if (!date) {
            problem = QStringLiteral("\"%1\" is not a valid date for the field \"%2\".").arg(text.trimmed(), name);
            return std::nullopt;
        }
        const double days = base::DateToDays(*date);
        if (days == 0) return p;
        p.value = days;
        return p;
    }
    case u'F': {
        const QString number = f.FieldMask.trimmed().isEmpty() ? text.trimmed() : NumberFromMaskedText(text, f.FieldMask);
        if (number.isEmpty()) {
            p.value = 0.0;
            return p;
        }
        const std::optional<double> value = ParseFloat(number);
        if (!value) {
            problem = QStringLiteral("\"%1\" is not a valid number for the field \"%2\".").arg(text.trimmed(), name);
            return std::nullopt;
        }
        p.value = *value;
        return p;
    }
    case u'N': {
        const QString t = text.trimmed();
        static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
        if (t.isEmpty()) {
            p.value = 0;
            return p;
        }
        if (!integer.match(t).hasMatch()) {
            problem = QStringLiteral("\"%1\" is not a whole number; the field \"%2\" takes only whole numbers.").arg(t, name);
            return std::nullopt;
        }
        bool ok = false;
        const qlonglong v = t.toLongLong(&ok);
        if (!ok || v < INT_MIN || v > INT_MAX) {
            problem = QStringLiteral("%1 is too large for the field \"%2\": it takes whole numbers from -2147483648 to "
                                     "2147483647.").arg(t, name);
            return std::nullopt;
        }
        p.value = int(v);
        return p;
    }
    case u'S':
        p.value = text;
        return p;
    default:
        return std::nullopt;
    }
}

void writeValue(db::Table& table, const PendingValue& p) {
    db::Field* column = table.FieldByName(p.column);
    if (p.value.isNull()) {
        column->Clear();
        return;
    }
    switch (p.type.unicode()) {
    case u'B':
        column->SetAsBoolean(p.value.toBool());
        break;
    case u'D':
        column->SetAsDateTime(p.value.toDouble());
        break;
    case u'F':
        column->SetAsFloat(p.value.toDouble());
        break;
    case u'N':
        column->SetAsInteger(p.value.toInt());
        break;
    default:
        column->SetAsString(p.value.toString());
    }
}

}  // namespace

void ViewTables::showTitle(int view, const QString& text) {
    const TViewDef& v = m_views.ViewDefs[size_t(view)];
    if (!v.ViewTitleVisible) return;
    if (ViewWindowLink* w = viewLink(v.ViewWindow)) w->SetTitleStripText(text);
}

bool ViewTables::FillViewFields(int view, bool withNote) {
    if (!m_views.CheckViewIndex(view)) return false;
    TViewDef& v = m_views.ViewDefs[size_t(view)];
    TtsTable* table = v.DataTable;
    if (!table || !table->Active()) return false;
    PositionViewTable(view);
    ViewWindowLink* window = viewLink(v.ViewWindow);
    if (window) window->SetLoadingFields(true);
    {
        base::ScopeExit loaded([&] {
            if (window) window->SetLoadingFields(false);
        });
        for (const TViewFieldDef& f : v.FieldDefs) {
            if (f.MarkedForDelete) continue;
            db::Field* column = table->FindField(f.FieldName);
            if (!column) continue;
            showFieldText(f, fieldValueText(f, *column));
        }
    }
    if (m_data.Hierarchy->Active() && !m_data.Hierarchy->Eof()) {
        // The title of the branch whose record is shown: Hierarchy.DB's current row when it is
        // that branch (as it is when the selection changes), else looked up without moving.
        db::Table& h = *m_data.Hierarchy;
        QString title = h.FieldByName(QStringLiteral("NodeName"))->AsString();
        if (v.CurrentNodeID > 0 && h.FieldByName(QStringLiteral("NodeID"))->AsInteger() != v.CurrentNodeID) {
            const QVariant found = h.Lookup(QStringLiteral("NodeID"), {v.CurrentNodeID}, QStringLiteral("NodeName"));
            if (found.isValid()) title = found.toString();
        }
        showTitle(view, title);
    }
    if (withNote && v.NoteWindow) {
        if (NoteWindowLink* note = noteLink(v.NoteWindow)) note->ReloadNote();
        v.NoteModified = false;
    }
    v.RecordModified = false;
    return true;
}

bool ViewTables::ShowCustomizeSamples(int view) {
    if (!m_views.CheckViewIndex(view)) return false;
    TViewDef& v = m_views.ViewDefs[size_t(view)];
    ViewWindowLink* window = viewLink(v.ViewWindow);
    if (window) window->SetLoadingFields(true);
    for (const TViewFieldDef& f : v.FieldDefs) showFieldText(f, sampleText(f));
    if (window) window->SetLoadingFields(false);
    if (v.ViewTitleVisible && window) window->SetTitleStripText(QStringLiteral("== Customizing View =="));
    if (NoteWindowLink* note = noteLink(v.NoteWindow)) {
        ui::SendMessage(v.NoteWindow, UM_BATCHUPDATE, 1, 0);
        note->SetNoteLines(QString());
        ui::SendMessage(v.NoteWindow, UM_BATCHUPDATE, 0, 0);
    }
    return true;
}

bool ViewTables::SaveViewRecord(int view, bool withNote) {
    if (!m_views.CheckViewIndex(view)) return false;
    TViewDef& v = m_views.ViewDefs[size_t(view)];
    TtsTable* table = v.DataTable;
    if (!table || !table->Active()) return false;
    // Every value is checked before anything is written: a value that cannot be stored
    // never reaches the table as something else.
    std::vector<PendingValue> values;
    for (const TViewFieldDef& f : v.FieldDefs) {
        if (f.MarkedForDelete) continue;
        QString problem;
        std::optional<PendingValue> p = valueOfControl(f, problem);
        if (!problem.isEmpty()) {
            ui::Message(problem + QStringLiteral("\n\nThe record was not saved; correct the value or cancel the changes."),
                        ui::MessageKind::Error, ui::Button::Ok, 10004);
            return false;
        }
        if (p) values.push_back(std::move(*p));
    }
    NoteWindowLink* note = withNote ? noteLink(v.NoteWindow) : nullptr;
    try {
        DatabaseWrite write(*m_data.DSDB);
        PositionViewTable(view);
        table->Edit();
        for (const PendingValue& p : values) writeValue(*table, p);
        if (note) table->FieldByName(QStringLiteral("Note"))->SetAsString(note->NoteLines());
        table->Post();
        write.Commit();
    } catch (const std::exception& e) {
        cancelAndReread(*table);
        ShowTableUpdateError(e, tableTitle(*table), QStringLiteral("Unable to save changes to field data."));
        return false;
    }
    v.RecordModified = false;
    if (note) v.NoteModified = false;
    return true;
}

bool ViewTables::CopyViewRecord(int view, int newNodeID, int sourceNodeID) {
    if (!m_views.CheckViewIndex(view)) return false;
    TtsTable* table = m_views.ViewDefs[size_t(view)].DataTable;
    if (!table || !table->Active()) return false;
    db::Table* src = m_data.SrcTable;
    struct CloseSource {
        db::Table* t;
        ~CloseSource() {
            try {
                if (t->Active()) t->Close();
            } catch (...) {
            }
        }
    } closeSource{src};
    try {
        if (src->Active()) src->Close();
        src->SetDatabaseName(table->DatabaseName());
        src->SetTableName(table->TableName());
        src->SetIndexFieldNames(QStringLiteral("NodeID"));
        src->Open();
    } catch (const std::exception& e) {
        ShowTableUpdateError(e, tableTitle(*table), QStringLiteral("Unable to copy branch."));
        return false;
    }
    if (!src->FindKey({sourceNodeID})) {
        ui::Message(QStringLiteral("Unable to find the data record for the tree branch."), ui::MessageKind::Error,
                    ui::Button::Ok, 10085);
        return false;
    }
    try {
        DatabaseWrite write(*m_data.DSDB);
        table->Append();
        CopyRecordFields(*src, *table);
        table->FieldByName(QStringLiteral("NodeID"))->SetAsInteger(newNodeID);
        table->FieldByName(QStringLiteral("TimeSTamp"))->SetAsDateTime(base::DateTimeToDays(QDateTime::currentDateTime()));
        table->Post();
        write.Commit();
    } catch (const std::exception& e) {
        cancelPending(*table);
        ShowTableUpdateError(e, tableTitle(*table), QStringLiteral("Unable to copy branch."));
        return false;
    }
    return true;
}

int ViewTables::AddBranchWithRecord(int parentNodeID, const QString& nodeName, int view, int sourceNodeID) {
    if (!m_views.CheckViewIndex(view)) return 0;
    TtsTable* table = m_views.ViewDefs[size_t(view)].DataTable;
    if (!table || !table->Active()) return 0;
    const double now = base::DateTimeToDays(QDateTime::currentDateTime());
    const int nextBefore = m_views.NextNodeID;
    try {
        DatabaseWrite write(*m_data.DSDB);
        const int id = m_data.InsertBranch(parentNodeID, nodeName, view, now);
        if (sourceNodeID > 0) {
            // CopyViewRecord reports its own failure; the branch row goes with it.
            if (!CopyViewRecord(view, id, sourceNodeID)) {
                m_views.NextNodeID = nextBefore;
                return 0;
            }
        } else {
            table->Append();
            table->FieldByName(QStringLiteral("NodeID"))->SetAsInteger(id);
            table->FieldByName(QStringLiteral("TimeSTamp"))->SetAsDateTime(now);
            table->Post();
        }
        write.Commit();
        return id;
    } catch (const std::exception& e) {
        cancelPending(*table);
        cancelPending(*m_data.Hierarchy);
        m_views.NextNodeID = nextBefore;
        ShowTableUpdateError(e, tableTitle(*table), QStringLiteral("Unable to add the branch."));
        return 0;
    }
}

bool ViewTables::LoadViewNote(int view, QString& note) {
    note.clear();
    if (!m_views.CheckViewIndex(view)) return false;
    TtsTable* table = m_views.ViewDefs[size_t(view)].DataTable;
    if (!table || !table->Active()) return false;
    PositionViewTable(view);
    if (!table->Eof() || !table->Bof()) note = table->FieldByName(QStringLiteral("Note"))->AsString();
    return true;
}

bool ViewTables::SaveViewNote(int view, const QString& note) {
    if (!m_views.CheckViewIndex(view)) return false;
    TViewDef& v = m_views.ViewDefs[size_t(view)];
    TtsTable* table = v.DataTable;
    if (!table || !table->Active()) return false;
    try {
        DatabaseWrite write(*m_data.DSDB);
        PositionViewTable(view);
        table->Edit();
        table->FieldByName(QStringLiteral("Note"))->SetAsString(note);
        table->Post();
        write.Commit();
    } catch (const std::exception& e) {
        cancelAndReread(*table);
        ShowTableUpdateError(e, tableTitle(*table), QStringLiteral("Unable to save notes."));
        return false;
    }
    v.NoteModified = false;
    return true;
}

// ---- broadcasts and checks ----

void ViewTables::BroadcastNodeChanged(int branchView, int flag) { PostToViewWindows(UM_NODECHANGED, flag, branchView); }

void ViewTables::PostToViewWindows(int message, qintptr wParam, qintptr lParam) {
    for (const TViewDef& v : m_views.ViewDefs)
        if (v.ViewWindow) ui::PostMessage(v.ViewWindow, message, wParam, lParam);
}

void ViewTables::SendToNoteWindows(int message, qintptr wParam, qintptr lParam) {
    for (const TViewDef& v : m_views.ViewDefs)
        if (v.NoteWindow) ui::SendMessage(v.NoteWindow, message, wParam, lParam);
}

int ViewTables::FindUnsavedChanges(bool queryOnly) {
    for (int i = 0; i < m_views.GetViewCount(); ++i) {
        const TViewDef& v = m_views.ViewDefs[size_t(i)];
        if (v.NoteModified) {
            if (queryOnly) return i;
            if (v.NoteWindow) {
                if (!v.NoteIsDocked)
                    ui::PostMessage(v.NoteWindow, UM_SAVEORCANCEL, 1, 0);
                else if (v.ViewWindow)
                    ui::PostMessage(v.ViewWindow, UM_SAVEORCANCEL, 1, 1);
            } else if (TreeNotesWindow) {
                if (TreeNotesDocked && TreeNotesDocked() && BringMainWindowToTop) BringMainWindowToTop();
                ui::PostMessage(TreeNotesWindow, UM_SAVEORCANCEL, 1, 0);
            }
            return i;
        }
        if (v.ViewWindow && v.RecordModified) {
            if (!queryOnly) ui::PostMessage(v.ViewWindow, UM_SAVEORCANCEL, 1, 0);
            return i;
        }
    }
    return -1;
}

void ViewTables::CancelViewEdits(int view) {
    if (!m_views.CheckViewIndex(view)) return;
    const TViewDef& v = m_views.ViewDefs[size_t(view)];
    if (ViewWindowLink* w = viewLink(v.ViewWindow)) w->CancelEdits();
    if (NoteWindowLink* n = noteLink(v.NoteWindow)) n->CancelEdits();
}

bool ViewTables::FreeAllViews() {
    try {
        for (TViewDef& v : m_views.ViewDefs) {
            for (TViewFieldDef& f : v.FieldDefs) {
                delete f.EditControl.data();
                delete f.LabelControl.data();
                delete f.CheckBoxControl.data();
            }
            if (v.DataTable) {
                if (v.DataTable->Active()) v.DataTable->Close();
                delete v.DataTable.data();
            }
            if (v.DictTable) {
                if (v.DictTable->Active()) v.DictTable->Close();
                delete v.DictTable.data();
            }
            if (NoteWindowLink* n = noteLink(v.NoteWindow)) n->CloseWindow();
            if (ViewWindowLink* w = viewLink(v.ViewWindow)) w->CloseWindow();
            delete v.Searcher.data();
            delete v.SearchCache.data();
            delete v.Updater.data();
            delete v.UpdateCache.data();
            delete v.TextLink.data();
            delete v.WordsLink.data();
            v.FieldDefs.clear();
        }
        m_views.ViewDefs.clear();
    } catch (...) {
        ui::Message(QStringLiteral("Internal error: Unable to free all used memory. Press F1 for help."),
                    ui::MessageKind::Error, ui::Button::Ok, 10107);
        return false;
    }
    return true;
}

}  // namespace core
