#pragma once

#include "report/output/gui/list_view.h"

#include <QIcon>
#include <QPointer>

#include <functional>

class TppReportExplorer;

namespace report {
/// A picture of the explorer from the Adwaita theme: "folder", "folder-open", "user-trash",
/// "user-trash-full", "x-office-document", "text-x-script", "x-office-spreadsheet", or an
/// action's symbolic picture ("go-up-symbolic", ...).
QIcon ExplorerIcon(const QString& aName);
}  // namespace report

/// The contents of one folder: its sub-folders first, then its items, with size, type and
/// modification time; sorted by any column either way; renamed in place; dragged onto folders;
/// deleted or sent to the recycle bin. Every table change goes through the explorer.
///
/// Each entry keeps (roles from Qt::UserRole): the folder id (its own for a folder, the folder
/// it lies in for an item), the item id (0 for a folder), the type (1 to 3, 4 folder), the
/// modification time as a day number and the size in bytes, so sorting and deleting never
/// read the shown texts back.
class TppItemList : public TppListView {
    Q_OBJECT
public:
    enum Role { FolderRole = Qt::UserRole, ItemIdRole, TypeRole, ModifiedRole, SizeRole, OldNameRole };

    explicit TppItemList(QWidget* aParent = nullptr);

    TppReportExplorer* Explorer() const { return m_explorer; }
    void SetExplorer(TppReportExplorer* aExplorer) { m_explorer = aExplorer; }
    void SetLanguage(int aIndex);
    int FolderId() const { return m_folderId; }
    void SetFolder(int aFolderId);
    int SortMode() const { return m_sortMode; }
    void SetSortMode(int aMode);
    /// Details (all columns with headers) or list (names only).
    bool Details() const { return m_details; }
    void SetDetails(bool aDetails);
    void SelectItem(const QString& aName);
    int GetSelectedFolder() const;
    int GetSelectedType() const;
    QString GetSelectedName() const;
    /// Entries counted for the status bar, their total size in bytes, and the selection kind.
    int Count() const { return m_count; }
    qint64 TotalSize() const { return m_size; }
    bool OnlyFoldersSelected() const { return m_onlyFolders; }
    bool AnyFolderSelected() const { return m_anyFolder; }

    void RefreshItems();
    void Sort();
    void MoveSelection(int aDestination);
    void EmptyRecycleBin();
    void DeleteSelection();
    void RenameSelection();
    /// Header click on column 1 to 4.
    void ColumnClick(int aColumn);

    std::function<void()> OnOpenItem;
    std::function<void()> OnFolderChange;
    std::function<void(int aFolderId, const QString& aNewName)> OnFolderRename;
    std::function<void()> OnSelectionChange;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setCaptions();
    void selectionChanged();
    void doubleClicked(QTreeWidgetItem* aItem);
    void edited(QTreeWidgetItem* aItem, int aColumn);

    QPointer<TppReportExplorer> m_explorer;
    int m_folderId = 0;
    int m_sortMode = 1;
    int m_language = 0;
    int m_count = 0;
    qint64 m_size = 0;
    bool m_onlyFolders = false;
    bool m_anyFolder = false;
    bool m_details = false;
    bool m_filling = false;
};
