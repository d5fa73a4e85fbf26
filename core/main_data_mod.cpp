#include "core/main_data_mod.h"

#include "core/globals.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/view_control.h"
#include "core/win_registry.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/base/scope_exit.h"
#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/db/table.h"

#include <QDir>

#include <climits>

namespace {

template <typename T>
T* makeChild(QObject* owner, const char* name) {
    auto* o = new T(owner);
    o->setObjectName(QString::fromLatin1(name));
    return o;
}

/// A table owned by `owner`, named `name`, that reads the table file `tableName`.
template <typename T = db::Table>
T* makeTable(QObject* owner, const char* name, const QString& tableName) {
    auto* t = makeChild<T>(owner, name);
    t->SetTableName(tableName);
    return t;
}

/// Opens `cursor` read-only on the table file of `table`, in the order of the key `field`.
void openKeyCursor(db::Table& cursor, const db::Table& table, const QString& field) {
    cursor.SetDatabaseName(table.DatabaseName());
    cursor.SetTableName(table.TableName());
    cursor.SetReadOnly(true);
    cursor.SetIndexFieldNames(field);
    cursor.Open();
}

/// Runs a table's write transaction: rolled back unless Commit() ran.
/// A table's batch, rolled back unless committed. An indexed table's batch is started as
/// the indexed table's own, so that its updater knows a batch is open (and keeps the index's
/// pending mark until the batch ends).
class BatchGuard {
public:
    explicit BatchGuard(db::Table& table) : m_table(table), m_indexed(dynamic_cast<TtsTable*>(&table)) {
        if (m_indexed) m_indexed->StartBatch();
        else m_table.StartBatch();
    }
    ~BatchGuard() {
        if (m_open) {
            try {
                if (m_table.State() != db::DataSetState::dsBrowse && m_table.Active()) m_table.Cancel();
                end(false);
            } catch (...) {
            }
        }
    }
    void Commit() {
        m_open = false;
        end(true);
    }

private:
    void end(bool commit) {
        if (m_indexed) m_indexed->EndBatch(commit);
        else m_table.EndBatch(commit);
    }
    db::Table& m_table;
    TtsTable* m_indexed;
    bool m_open = true;
};

}  // namespace

TMainDataMod::TMainDataMod(QObject* parent, TViewControl* views)
    : QObject(parent), m_views(views ? views : &ViewControl()) {
    setObjectName(QStringLiteral("MainDataMod"));
    DSDB = makeChild<db::Database>(this, "DSDB");
    LibraryDB = makeChild<db::Database>(this, "LibraryDB");
    LibraryDB->SetDatabaseName(QStringLiteral("Library"));

    Registry = makeTable(this, "Registry", core::kSettingsTableName);
    Hierarchy = makeTable<TtsTable>(this, "Hierarchy", core::kHierarchyTable);
    Hierarchy->SetTag(core::kHierarchyTag);
    HierarchyDict = makeTable(this, "HierarchyDict", core::kHierarchyDictTable);
    tsTable = makeTable(this, "tsTable", core::kTsTableTable);
    tsField = makeTable(this, "tsField", core::kTsFieldTable);
    SrcTable = makeChild<db::Table>(this, "SrcTable");
    SrcTable->SetReadOnly(true);
    SrcTable->SetIndexFieldNames(QStringLiteral("NodeID"));

    HierarchyTextLink = makeChild<TtsMakeTextTableLink>(this, "HierarchyTextLink");
    HierarchyTextLink->SetFieldNames({QStringLiteral("NodeName")});
    HierarchyTextLink->SetIndexFieldName(QStringLiteral("NodeID"));
    HierarchyTextLink->OnMinIndex = [this](QObject* sender) { return HierarchyTextLinkMinIndex(sender); };
    HierarchyWordsLink = makeChild<TtsMakeWordsTableLink>(this, "HierarchyWordsLink");
    HierarchyWordsLink->SetTable(HierarchyDict);
    HierarchyWordsLink->SetReverseField(false);
    HierarchyWordsLink->SetBlobFieldSize(0);
    HierarchyWordsLink->SetBytesFieldSize(0);
    HierarchyWordsLink->SetCharFieldSize(0);
    HierarchyWordsLink->SetTransactions(0);
    HierarchyCache = makeChild<TtsCache>(this, "HierarchyCache");
    HierarchyCache->SetMemoryLimit(4000);
    HierarchyCache->SetAltMemMgr(false);
    HierarchyUpdate = makeChild<TtsUpdate>(this, "HierarchyUpdate");
    HierarchyUpdate->SetCache(HierarchyCache);
    HierarchyUpdate->SetTextLink(HierarchyTextLink);
    HierarchyUpdate->SetWordsLink(HierarchyWordsLink);
    HierarchyUpdate->SetDelayedWrites(false);
    Hierarchy->SetUpdater(HierarchyUpdate);

    IconLibrary = makeTable(this, "IconLibrary", core::kIconLibTable);
    MaskLibrary = makeTable(this, "MaskLibrary", core::kMaskLibTable);
    MacroLibrary = makeTable(this, "MacroLibrary", core::kMacroLibTable);
    TemplateLib = makeTable(this, "TemplateLib", core::kTemplateLibTable);
    TemplateLib->SetIndexName(QStringLiteral("Name"));
    for (db::Table* t : {IconLibrary, MaskLibrary, MacroLibrary, TemplateLib}) t->SetDatabaseName(QStringLiteral("Library"));

    Hierarchy->AfterOpen = [this](db::Table& t) { HierarchyAfterOpen(t); };
    for (db::Table* t : {Registry, static_cast<db::Table*>(Hierarchy), HierarchyDict, IconLibrary, MaskLibrary,
                         MacroLibrary, tsTable, tsField})
        t->AfterPost = [this](db::Table& table) { AfterPost(table); };
    TemplateLib->AfterOpen = [this](db::Table& t) { TemplateLibAfterOpen(t); };
    TemplateLib->AfterInsert = [this](db::Table& t) { TemplateLibAfterInsert(t); };
    TemplateLib->AfterPost = [this](db::Table& t) { TemplateLibAfterPost(t); };
}

TMainDataMod::~TMainDataMod() {
    MainDataModDestroy();
    // The View control outlives the module: it must not keep pointing at its image lists.
    if (m_views->ViewImagesSmall == &ViewImageSmall) m_views->ViewImagesSmall = nullptr;
    if (m_views->ViewImagesLarge == &ViewImageLarge) m_views->ViewImagesLarge = nullptr;
}

// ---- connections ----

void TMainDataMod::ConnectDatabase(const QString& folder) {
    DisconnectDatabase();
    const QString path = QDir::cleanPath(folder);
    DSDB->SetDatabaseName(path);
    DSDB->SetParams({QStringLiteral("PATH=") + path});
    base::ScopeFail undo([&] { DisconnectDatabase(); });
    DSDB->Open();
    for (db::Table* t : {Registry, static_cast<db::Table*>(Hierarchy), HierarchyDict, tsTable, tsField, SrcTable})
        t->SetDatabaseName(path);
    Registry->Open();
    core::SetSettingsTable(Registry);
    HierarchyTextLink->SetTable(Hierarchy);
    HierarchyDict->Open();
    core::AddHierarchyParentIndex(path);
    Hierarchy->Open();
}

void TMainDataMod::DisconnectDatabase() {
    if (core::SettingsTable() == Registry) core::SetSettingsTable(nullptr);
    for (db::Table* t : {SrcTable, tsField, tsTable, static_cast<db::Table*>(Hierarchy), HierarchyDict, Registry})
        if (t->Active()) t->Close();
    HierarchyUpdate->Reset();
    if (DSDB->Connected()) DSDB->Close();
}

void TMainDataMod::ConnectLibrary(const QString& folder) {
    DisconnectLibrary();
    LibraryDB->SetParams({QStringLiteral("PATH=") + QDir::cleanPath(folder)});
    LibraryDB->Open();
}

void TMainDataMod::DisconnectLibrary() {
    for (db::Table* t : {IconLibrary, MaskLibrary, MacroLibrary, TemplateLib})
        if (t->Active()) t->Close();
    if (LibraryDB->Connected()) LibraryDB->Close();
}

void TMainDataMod::LoadViewImages() {
    const bool wasOpen = IconLibrary->Active();
    if (!wasOpen) IconLibrary->Open();
    ViewImageSmall.clear();
    ViewImageLarge.clear();
    m_views->IconMap.clear();
    {
        base::ScopeExit close([&] {
            if (!wasOpen) IconLibrary->Close();
        });
        for (IconLibrary->First(); !IconLibrary->Eof(); IconLibrary->Next()) {
            const int id = IconLibrary->FieldByName(QStringLiteral("ID"))->AsInteger();
            const int index = int(ViewImageSmall.size());
            ViewImageSmall.push_back(QImage::fromData(IconLibrary->FieldByName(QStringLiteral("SmallImage"))->AsBytes()));
            QImage large = QImage::fromData(IconLibrary->FieldByName(QStringLiteral("LargeImage"))->AsBytes());
            if (!large.isNull() && large.size() != QSize(20, 20))
                large = large.scaled(20, 20, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            ViewImageLarge.push_back(large);
            // IDs far beyond the number of icons are left out of the map rather than grow it.
            if (id >= 0 && id < 65536) {
                if (int(m_views->IconMap.size()) <= id) m_views->IconMap.resize(size_t(id) + 1, 0);
                m_views->IconMap[size_t(id)] = qint16(index);
            }
        }
    }
    m_views->ViewImagesSmall = &ViewImageSmall;
    m_views->ViewImagesLarge = &ViewImageLarge;
}

// ---- branches ----

bool TMainDataMod::LocateNode(int nodeID) {
    if (nodeID <= 0 || !Hierarchy->Active()) return false;
    if (!Hierarchy->FindKey({nodeID})) return false;
    const int view = Hierarchy->FieldByName(QStringLiteral("NodeType"))->AsInteger();
    if (view < 0 || view >= m_views->GetViewCount()) return false;
    TtsTable* table = m_views->ViewDefs[size_t(view)].DataTable;
    if (!table || !table->Active()) return false;
    return table->FindKey({nodeID});
}

int TMainDataMod::HighestNodeID() const { return highestKey(*Hierarchy, QStringLiteral("NodeID")); }

int TMainDataMod::highestKey(const db::Table& table, const QString& field) {
    db::Table cursor;
    openKeyCursor(cursor, table, field);
    cursor.Last();
    return cursor.Eof() && cursor.Bof() ? 0 : cursor.FieldByName(field)->AsInteger();
}

int TMainDataMod::lowestFreeKey(const db::Table& table, const QString& field, int from) {
    db::Table cursor;
    openKeyCursor(cursor, table, field);
    cursor.FindNearest({from});
    int candidate = from;
    for (; !cursor.Eof(); cursor.Next()) {
        const int key = cursor.FieldByName(field)->AsInteger();
        if (key > candidate) break;
        if (key == INT_MAX) db::Raise(db::ErrorCode::kKeyViolation, table.TableName());  // every ID is taken
        candidate = key + 1;
    }
    return candidate;
}

int TMainDataMod::InsertBranch(int parentNodeID, const QString& nodeName, int nodeType, double timestamp) {
    if (DSDB->InTransaction()) {
        // Inside a database transaction (a branch written together with its record) the
        // file's write lock is taken by the first post: an ID another program took between
        // the read and the post gives a key violation, and the next ID is tried.
        for (int attempt = 1;; ++attempt) {
            try {
                Hierarchy->TakeWriteLock();
                return postBranch(parentNodeID, nodeName, nodeType, timestamp);
            } catch (const db::EDBEngineError& e) {
                if (Hierarchy->State() != db::DataSetState::dsBrowse) Hierarchy->Cancel();
                if (e.Code() != db::ErrorCode::kKeyViolation || attempt == 20) throw;
            }
        }
    }
    BatchGuard batch(*Hierarchy);
    const int id = postBranch(parentNodeID, nodeName, nodeType, timestamp);
    batch.Commit();
    return id;
}

int TMainDataMod::postBranch(int parentNodeID, const QString& nodeName, int nodeType, double timestamp) {
    const int highest = highestKey(*Hierarchy, QStringLiteral("NodeID"));
    int id;
    if (highest == INT_MAX) {
        id = lowestFreeKey(*Hierarchy, QStringLiteral("NodeID"), core::kFirstNodeID);
    } else {
        id = std::max({highest + 1, core::kFirstNodeID, m_views->NextNodeID});
    }
    Hierarchy->Append();
    Hierarchy->FieldByName(QStringLiteral("NodeID"))->SetAsInteger(id);
    Hierarchy->FieldByName(QStringLiteral("ParentNodeID"))->SetAsInteger(parentNodeID);
    Hierarchy->FieldByName(QStringLiteral("NodeName"))->SetAsString(nodeName);
    Hierarchy->FieldByName(QStringLiteral("NodeType"))->SetAsInteger(nodeType);
    Hierarchy->FieldByName(QStringLiteral("Timestamp"))->SetAsDateTime(timestamp);
    Hierarchy->Post();
    m_views->NextNodeID = id < INT_MAX ? std::max(id + 1, core::kFirstNodeID) : core::kFirstNodeID;
    return id;
}

// ---- templates ----

void TMainDataMod::OpenTemplateLib() {
    if (!TemplateLib->Active()) TemplateLib->Open();
}

void TMainDataMod::PostTemplate() {
    if (TemplateLib->State() != db::DataSetState::dsInsert) {
        TemplateLib->Post();
        return;
    }
    BatchGuard batch(*TemplateLib);
    const int highest = highestKey(*TemplateLib, QStringLiteral("ID"));
    const int id = highest == INT_MAX ? lowestFreeKey(*TemplateLib, QStringLiteral("ID"), 1)
                                      : std::max(highest + 1, NextTemplateID);
    TemplateLib->FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
    NextTemplateID = id;
    TemplateLib->Post();
    batch.Commit();
}

// ---- table events ----

void TMainDataMod::HierarchyAfterOpen(db::Table& table) {
    table.Last();
    const qint64 last = table.Eof() && table.Bof() ? 0 : table.FieldByName(QStringLiteral("NodeID"))->AsInteger();
    const qint64 next = last + 1;
    m_views->NextNodeID = (next < core::kFirstNodeID || next > INT_MAX) ? core::kFirstNodeID : int(next);
}

void TMainDataMod::AfterPost(db::Table&) {
    // A post is on disk when it returns (each post is its own SQLite transaction), so there
    // is nothing to flush here.
}

void TMainDataMod::TemplateLibAfterOpen(db::Table& table) {
    table.SetIndexName(QString());  // the primary index, on ID
    table.Last();
    NextTemplateID = table.Eof() && table.Bof() ? 1 : table.FieldByName(QStringLiteral("ID"))->AsInteger() + 1;
    table.First();
    if (core::ReadWinRegBool(QStringLiteral("Preferences"), QStringLiteral("TemplateCleanupDone"), false)) return;
    static const QString marker = QStringLiteral("<TEMPLATES>");
    QString folder = Globals().TemplateFolder;
    while (folder.endsWith(u'/') || folder.endsWith(u'\\')) folder.chop(1);
    for (table.First(); !table.Eof(); table.Next()) {
        const QString path = table.FieldByName(QStringLiteral("Path"))->AsString();
        if (path.left(11).trimmed().toUpper() != marker) continue;
        QString rest = path.mid(11);
        rest.replace(u'\\', u'/');
        if (!rest.isEmpty() && !rest.startsWith(u'/')) rest.prepend(u'/');
        table.Edit();
        table.FieldByName(QStringLiteral("Path"))->SetAsString(folder + rest);
        table.Post();
    }
    table.First();
    core::WriteWinRegBool(QStringLiteral("Preferences"), QStringLiteral("TemplateCleanupDone"), true);
}

void TMainDataMod::TemplateLibAfterInsert(db::Table& table) {
    table.FieldByName(QStringLiteral("ID"))->SetAsInteger(NextTemplateID);
}

void TMainDataMod::TemplateLibAfterPost(db::Table& table) {
    AfterPost(table);
    ++NextTemplateID;
}

int TMainDataMod::HierarchyTextLinkMinIndex(QObject*) { return 0; }

void TMainDataMod::MainDataModDestroy() {
    for (db::Table* t : findChildren<db::Table*>()) {
        try {
            if (t->Active()) t->Close();
        } catch (...) {
        }
    }
    if (core::SettingsTable() == Registry) core::SetSettingsTable(nullptr);
}
