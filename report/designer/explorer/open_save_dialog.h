#pragma once

#include "report/output/dialog_registry.h"
#include "report/output/gui/form.h"

#include <QPointer>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class TppItemList;
class TppReportExplorer;

/// The open and save dialog of the report explorer: looks like the system's file dialog, but
/// shows the explorer's folders and items. Mode 0 opens (the name must be an item of ItemType
/// in the folder shown), mode 1 saves (an existing name asks before it is replaced). On OK,
/// Folder, ItemType and the item name are what the caller takes back.
class TppOpenSaveDialog : public TppForm, public TppCustomTemplateDialog {
    Q_OBJECT
public:
    explicit TppOpenSaveDialog(QObject* aOwner = nullptr);

    /// The item type listed and chosen (1 to 3).
    int ItemType = 1;
    /// The folder shown.
    int Folder = 0;
    /// What the caller may read (empty in this dialog).
    QStringList Lines;
    /// The help event; without it the Help button is hidden and the form shorter.
    std::function<void()> OnHelp;

    TppReportExplorer* ReportExplorer() const { return m_explorer; }
    void SetReportExplorer(TppReportExplorer* aExplorer);
    QString GetItemName() const { return Name; }
    void SetItemName(const QString& aName);
    TppItemList* ItemList() const { return m_itemList; }
    /// The folder box's entries: name, folder id and indent level, top to bottom.
    struct FolderEntry {
        QString name;
        int id;
        int level;
    };
    QList<FolderEntry> FolderEntries() const { return m_entries; }

    /// Fills the folder box and the list and sets the captions (each time the dialog shows).
    void Activate();
    /// The name is acceptable: open mode an item of ItemType in the list, save mode a new name
    /// or, after Yes, an existing one. Says why not.
    bool ValidateName();
    void OKClick();
    void UpOneLevel();
    void NewFolder();
    void ChooseFolder(int aFolderId);
    void SetDetails(bool aDetails);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillFolders();
    void listSelectionChanged();

    QPointer<TppReportExplorer> m_explorer;
    QList<FolderEntry> m_entries;
    QLabel* lblSaveIn;
    QComboBox* cbxFolders;
    QToolButton* spbUpOneLevel;
    QToolButton* spbNewFolder;
    QToolButton* spbListView;
    QToolButton* spbDetailView;
    TppItemList* m_itemList;
    QLabel* lblItemName;
    QLineEdit* edtItemName;
    QLabel* lblSaveAsType;
    QComboBox* cbxFileType;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
    QMenu* ppmItems;
    QAction* m_menuList;
    QAction* m_menuDetails;
    QAction* m_menuNewFolder;
    QAction* m_menuDelete;
    QAction* m_menuRename;
    bool m_filling = false;
};
