#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class TMainDataMod;
class TViewControl;

namespace db {
class Database;
}

// Window messages of the records manager that the View layer posts or sends.
inline constexpr int UM_NODECHANGED = 0x0400 + 101;
inline constexpr int UM_PREFSCHANGED = 0x0400 + 102;
inline constexpr int UM_VIEWTOOLBAR = 0x0400 + 103;
inline constexpr int UM_SAVEORCANCEL = 0x0400 + 112;
inline constexpr int UM_BATCHUPDATE = 0x0400 + 115;

namespace core {

/// What the View layer asks of a View window (the window implements it beside QObject;
/// the layer finds it with dynamic_cast on TViewDef::ViewWindow).
class ViewWindowLink {
public:
    virtual ~ViewWindowLink() = default;
    /// While set, change events of the field controls are ignored (values being loaded).
    virtual void SetLoadingFields(bool loading) = 0;
    /// Text of the title strip above the fields.
    virtual void SetTitleStripText(const QString& text) = 0;
    /// Presses the window's Cancel button.
    virtual void CancelEdits() = 0;
    /// Floats (when docked) and closes the window; it frees itself.
    virtual void CloseWindow() = 0;
};

/// What the View layer asks of a note window.
class NoteWindowLink {
public:
    virtual ~NoteWindowLink() = default;
    /// The note as the "Note" column stores it (the note window's rich text as RTF).
    virtual QString NoteLines() const = 0;
    /// Shows a stored note (RTF, or plain text read one paragraph per line).
    virtual void SetNoteLines(const QString& text) = 0;
    /// Loads the note of the View's current record again (LoadViewNote).
    virtual void ReloadNote() = 0;
    virtual void CancelEdits() = 0;
    virtual void CloseWindow() = 0;
};

/// Writes that touch several table files of the open database (a record and its word table,
/// a branch row and its record) run in one database transaction of DSDB: all of them are
/// kept or none. Joins a transaction that is already running (then the outer one decides).
class DatabaseWrite {
public:
    explicit DatabaseWrite(db::Database& database);
    ~DatabaseWrite();
    DatabaseWrite(const DatabaseWrite&) = delete;
    DatabaseWrite& operator=(const DatabaseWrite&) = delete;
    /// Commits when this guard started the transaction; raises the engine's error (then
    /// everything is rolled back).
    void Commit();

private:
    db::Database& m_database;
    bool m_started = false;
};

/// The per-View tables and full-text components, the shown record, notes, record copies,
/// broadcasts to the View windows and the unsaved-changes test.
///
/// Components of View i (NN = i in two digits), Tag = i on each:
///   main data module: DataTableName (TtsTable, index "NodeID", updater tsUpdaterNN),
///                     DataTableName + "Dict" (word table), "tsUpdater" + NN
///   search data module: "tsCacheS" + NN, "tsTextTableLink" + NN, "tsWordsTableLink" + NN,
///                     "tsSearcher" + NN, "tsCacheU" + NN
/// DataTableName must be a component name (letters, digits, "_"; not one of the database's
/// own tables); a View with another name gets no components and its table never opens.
///
/// Every operation takes a View index and checks it (TViewControl::CheckViewIndex); with a
/// bad index it does nothing and answers false or -1.
class ViewTables {
public:
    ViewTables(TViewControl& views, TMainDataMod& data, QObject& searchData);

    /// Sets the View control's FreeAllViews, CreateViewComponents and
    /// ApplyFieldRestructure hooks to this object.
    void Install();

    // ---- components and tables ----
    void CreateViewComponents(int view);
    bool OpenViewTable(int view);
    bool OpenViewDictTable(int view);
    void OpenDictTables();
    void CloseDictTables();
    void ResetViewSearchers();
    void ReloadSearchIndexes();
    bool ViewTableHasField(int view, const QString& name) const;
    void PositionViewTable(int view);

    // ---- the shown record ----
    bool FillViewFields(int view, bool withNote);
    bool ShowCustomizeSamples(int view);
    /// Validates the values of the field controls, writes them and posts (with the note of
    /// an open note window when withNote). Answers true when the record was saved; on any
    /// failure the user is told why, nothing is written, RecordModified and the controls
    /// keep the user's edit, and the answer is false.
    bool SaveViewRecord(int view, bool withNote);
    bool CopyViewRecord(int view, int newNodeID, int sourceNodeID);
    /// Adds a branch row under `parentNodeID` and its record in View `view` (a copy of the
    /// record of `sourceNodeID`, or an empty record when it is 0) in one database
    /// transaction: answers the new NodeID, or 0 when nothing was added (the user was told).
    int AddBranchWithRecord(int parentNodeID, const QString& nodeName, int view, int sourceNodeID);
    /// Loads the "Note" column of the current record (the text; empty on failure).
    bool LoadViewNote(int view, QString& note);
    /// Saves the note; true only when it was written (the user is told why otherwise, and
    /// NoteModified stays set).
    bool SaveViewNote(int view, const QString& note);

    // ---- broadcasts and checks ----
    void BroadcastNodeChanged(int branchView, int flag);
    void PostToViewWindows(int message, qintptr wParam, qintptr lParam);
    void SendToNoteWindows(int message, qintptr wParam, qintptr lParam);
    int FindUnsavedChanges(bool queryOnly);
    void CancelViewEdits(int view);

    bool FreeAllViews();

    /// The tree-notes window (null when none) and whether it is docked; the main window.
    QPointer<QObject> TreeNotesWindow;
    std::function<bool()> TreeNotesDocked;
    std::function<void()> BringMainWindowToTop;

    /// The text of the DataTableName check: empty when the name is acceptable.
    static QString CheckDataTableName(const QString& name);

private:
    void showTitle(int view, const QString& text);

    TViewControl& m_views;
    TMainDataMod& m_data;
    QObject& m_searchData;
};

}  // namespace core
