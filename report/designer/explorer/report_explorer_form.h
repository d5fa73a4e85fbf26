#pragma once

#include "report/designer/explorer/report_explorer.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TppItemList;

/// The report explorer's window: the folder tree on the left ("All Folders" and "Recycle
/// Bin" at the top level), the contents of the selected folder on the right (TppItemList), a
/// toolbar, a status bar and menus. It keeps its position, view and selection in
/// "Marlisk.ini" (sections "Explorer Form Position" and "Explorer Form State").
///
/// Tree node data: the folder id (0 "All Folders", -2 the recycle bin).
class TppReportExplorerForm : public QDialog, public TppCustomReportExplorer {
    Q_OBJECT
public:
    explicit TppReportExplorerForm(QWidget* aParent = nullptr);
    ~TppReportExplorerForm() override;

    TppReportExplorer* GetReportExplorer() const override { return m_explorer; }
    void SetReportExplorer(TppReportExplorer* aExplorer) override;
    void SetLanguageIndex(int aIndex) override;
    void Init() override;
    void Refresh() override;
    bool PositionRestored() const override { return m_positionRestored; }
    QWidget* Widget() override { return this; }

    /// The ini file the settings go to (bare "Marlisk.ini" by default).
    static QString SettingsFileName();

    TppItemList* ItemList() const { return m_itemList; }
    QTreeWidget* FolderTree() const { return trvFolders; }
    QTreeWidgetItem* RecycleBinNode() const { return m_recycleBinNode; }
    QTreeWidgetItem* AllFoldersNode() const { return m_allFoldersNode; }
    /// The folder of the selected tree node (0 without one).
    int SelectedFolder() const;
    /// The status bar's two panels.
    QStringList StatusTexts() const;
    /// The titles above the tree and the list.
    QString ContentsTitle() const;
    /// Whether the recycle bin shows its full picture.
    bool RecycleBinFull() const;
    /// Which side the commands work on (the tree or the list), as focus would decide.
    void SetTreeFocused(bool aTree);

    void LoadSettings();
    void SaveSettings();
    void ApplyOptions();
    void BuildTree();
    void UpdateRecycleBinIcon();
    void SelectFolder(int aFolderId);

    // ---- commands ----
    void OpenClick();
    void DesignClick();
    void PrintClick();
    void PrintPreviewClick();
    void NewFolderClick();
    void NewReportClick();
    void DeleteClick();
    void RenameClick();
    void UpOneLevelClick();
    void EmptyRecycleBinClick();
    void ViewList(bool aList);
    void HelpContentsClick();
    void AboutClick();
    /// Drops tree node aFolderId (or, with aFromList, the list's selection) on a folder node.
    void DropOnFolder(int aTargetFolder, bool aFromList, int aDraggedFolder = -1);
    /// Runs the tree popup's preparation for the node (adds or removes Empty Recycle Bin).
    void PrepareTreePopup(QTreeWidgetItem* aNode);
    QMenu* TreePopup() const { return ppmFolders; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCaptions();
    void updateTitle();
    void updateFolderCommands();
    void updateItemCommands();
    void updateStatusBar();
    QTreeWidgetItem* nodeOf(int aFolderId) const;
    void treeEdited(QTreeWidgetItem* aNode);
    void moveSelectionAwayFrom(QTreeWidgetItem* aNode);
    QAction* menuItem(QMenu* aMenu, const char* aName);

    QPointer<TppReportExplorer> m_explorer;
    QMenuBar* MainMenu;
    QWidget* tbrExplorer;
    QToolButton *spbUpOneLevel, *spbNewFolder, *spbNewReport, *spbPrint, *spbPrintPreview, *spbDelete, *spbViewList,
        *spbViewDetails;
    QList<QToolButton*> m_buttons;
    QStatusBar* sbrExplorer;
    QLabel* m_panel1;
    QLabel* m_panel2;
    QWidget* pnlFolders;
    QLabel* pnlFolderTitle;
    QTreeWidget* trvFolders;
    QSplitter* splViews;
    QWidget* pnlReports;
    QLabel* pnlReportTitle;
    TppItemList* m_itemList;
    QMenu *mniFile, *mniFileNew, *mniView, *mniHelp;
    QAction *mniFileOpen, *mniFileNewFolder, *mniFileNewReport, *mniFileDesign, *mniFilePrint, *mniFilePrintPreview,
        *mniFileDelete, *mniFileRename, *mniFileClose;
    QAction *mniViewToolbar, *mniViewStatusBar, *mniViewList, *mniViewDetails, *mniHelpTopics, *mniHelpAbout;
    QMenu* ppmReports;
    QAction *ppmReportsOpen, *ppmReportsNewFolder, *ppmReportsNewReport, *ppmReportsDesign, *ppmReportsPrint,
        *ppmReportsPrintPreview, *ppmReportsList, *ppmReportsDetails, *ppmReportsDelete, *ppmReportsRename;
    QMenu* ppmReportsView;
    QMenu* ppmFolders;
    QAction *ppmFoldersOpen, *ppmFoldersNewFolder, *ppmFoldersNewReport, *ppmFoldersDelete, *ppmFoldersRename;
    QAction* m_emptyRecycleBin = nullptr;
    QTreeWidgetItem* m_allFoldersNode = nullptr;
    QTreeWidgetItem* m_recycleBinNode = nullptr;
    bool m_positionRestored = false;
    bool m_treeFocused = true;
    bool m_building = false;
    int m_language = 0;
    QString m_savedItem;  ///< "Selected Item" as loaded
};

namespace report {
/// Registers the window for TppCustomReportExplorer (idempotent).
void RegisterReportExplorerForm();
}  // namespace report
