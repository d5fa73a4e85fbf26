#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class TtsTable;
class TtsMakeTextTableLink;
class TtsMakeWordsTableLink;
class TtsCache;
class TtsUpdate;
class TViewControl;

namespace db {
class Database;
class Table;
}  // namespace db

/// The records manager's main data module: the connections to the open database folder
/// (`DSDB`) and to the shared library folder (`LibraryDB`, database name "Library"), the
/// tables every database folder and the library folder hold (layouts in
/// core/product_tables.h), the full-text components that keep the hierarchy's word index
/// current, and the View image lists.
///
/// States: no database (DSDB disconnected, database tables closed) and database connected
/// (ConnectDatabase: DSDB on the folder, Registry open as the settings table, Hierarchy and
/// HierarchyDict open with HierarchyUpdate attached). The library connection is independent
/// (ConnectLibrary / DisconnectLibrary); its tables are opened on demand.
///
/// NodeIDs and template IDs: a new branch or template takes its ID from the table inside
/// the transaction that inserts the row (InsertBranch, PostTemplate), so two programs on one
/// database never hand out the same ID; gaps are allowed. NodeIDs are never below 1000.
class TMainDataMod : public QObject {
    Q_OBJECT
public:
    /// `views` receives NextNodeID and the View image lists; the program's ViewControl()
    /// when null.
    explicit TMainDataMod(QObject* parent = nullptr, TViewControl* views = nullptr);
    ~TMainDataMod() override;

    // ---- components (children of the module) ----
    db::Database* DSDB;
    db::Database* LibraryDB;
    db::Table* Registry;
    TtsTable* Hierarchy;       ///< Tag 999; updater HierarchyUpdate
    db::Table* HierarchyDict;
    db::Table* tsTable;
    db::Table* tsField;
    db::Table* SrcTable;       ///< read-only, index NodeID: the source of a record copy
    TtsMakeTextTableLink* HierarchyTextLink;
    TtsMakeWordsTableLink* HierarchyWordsLink;
    TtsCache* HierarchyCache;
    TtsUpdate* HierarchyUpdate;
    db::Table* IconLibrary;
    db::Table* MaskLibrary;
    db::Table* MacroLibrary;
    db::Table* TemplateLib;

    /// The View icons, filled from IconLib.DB by LoadViewImages (image index = position).
    std::vector<QImage> ViewImageSmall;
    std::vector<QImage> ViewImageLarge;

    /// The ID the next new TemplateLib.db row gets (valid while TemplateLib is open).
    int NextTemplateID = 1;

    // ---- connections ----
    /// Connects DSDB to the folder (database name and "PATH=<folder>"), opens Registry and
    /// installs it as the settings table, opens HierarchyDict and Hierarchy with the index
    /// components. Raises the table layer's error; on failure everything opened is closed.
    void ConnectDatabase(const QString& folder);
    /// Closes every database table of the module and disconnects DSDB.
    void DisconnectDatabase();
    /// Connects LibraryDB with the single parameter "PATH=<folder>".
    void ConnectLibrary(const QString& folder);
    void DisconnectLibrary();
    /// Fills ViewImageSmall/ViewImageLarge and the View control's IconMap from IconLib.DB
    /// (opened and closed again when it was closed). A picture that cannot be read gives an
    /// empty image at its place.
    void LoadViewImages();

    // ---- branches ----
    /// Positions Hierarchy.DB on the NodeID and then the table of the View named by the row's
    /// NodeType on the same NodeID; true when both are found. NodeID 0 or less answers false
    /// without moving either table.
    bool LocateNode(int nodeID);
    /// Adds a branch row and answers its NodeID: inside one write transaction of Hierarchy.DB
    /// the ID is the highest NodeID in the table + 1 (at least NextNodeID and at least 1000;
    /// when the highest is the largest integer, the lowest free ID from 1000 on), then the row
    /// is posted and the View control's NextNodeID set past it. Raises the table layer's
    /// error (nothing is added then). Inside a running transaction of DSDB the row joins it.
    int InsertBranch(int parentNodeID, const QString& nodeName, int nodeType, double timestamp);

    // ---- templates ----
    /// Opens TemplateLib.db (when closed); its after-open step runs.
    void OpenTemplateLib();
    /// Posts the TemplateLib row being inserted or edited. An inserted row gets its ID inside
    /// the write transaction: the highest ID in the table + 1, at least NextTemplateID.
    void PostTemplate();

    // ---- table events ----
    void HierarchyAfterOpen(db::Table& table);
    void AfterPost(db::Table& table);
    void TemplateLibAfterOpen(db::Table& table);
    void TemplateLibAfterInsert(db::Table& table);
    void TemplateLibAfterPost(db::Table& table);
    int HierarchyTextLinkMinIndex(QObject* sender);
    void MainDataModDestroy();

    /// The highest NodeID of Hierarchy.DB as the file holds it now (this process's running
    /// transaction included), 0 for an empty table.
    int HighestNodeID() const;

private:
    /// Highest value of the integer key field of `table`'s file, read through a cursor of its
    /// own (so it sees the transaction this process runs on the file); 0 for an empty table.
    static int highestKey(const db::Table& table, const QString& field);
    /// Takes the next NodeID and posts the branch row (inside the caller's transaction).
    int postBranch(int parentNodeID, const QString& nodeName, int nodeType, double timestamp);
    static int lowestFreeKey(const db::Table& table, const QString& field, int from);

    TViewControl* m_views;
};
