#pragma once

// The report explorer: reports, code modules and data modules kept as rows of a folder table
// and an item table, reached through two dataset pipelines. It opens the explorer window (a
// form registered for TppCustomReportExplorer), ties the report of its designer to the item
// table, and while its window exists answers the templates' open and save questions with its
// own folder dialog.

#include "report/designer/gui/designer.h"
#include "report/model/communicator.h"
#include "report/model/report.h"
#include "report/model/template.h"

#include <QDateTime>
#include <QFlags>
#include <QIcon>
#include <QList>
#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;
class TppDataPipeline;
class TppOpenSaveDialog;

namespace db {
class Table;
}

/// Folder ids with a fixed meaning.
inline constexpr int kppRootFolder = 0;       ///< "All Folders"
inline constexpr int kppRecycleBin = -2;      ///< "Recycle Bin"
inline constexpr int kppNoFolder = -1;
/// Item types; 4 marks a folder entry of a list.
inline constexpr int kppReportItem = 1, kppCodeModuleItem = 2, kppDataModuleItem = 3, kppFolderItem = 4;

/// The field names of the folder table (defaults equal the property names).
class TppFolderFieldNames : public TPersistent {
    Q_OBJECT
public:
    using TPersistent::TPersistent;
    QString FolderId = QStringLiteral("FolderId");
    QString Name = QStringLiteral("Name");
    QString ParentId = QStringLiteral("ParentId");
    void Assign(TPersistent* Source) override;
};

/// The field names of the item table.
class TppItemFieldNames : public TPersistent {
    Q_OBJECT
public:
    using TPersistent::TPersistent;
    QString Deleted = QStringLiteral("Deleted");
    QString FolderId = QStringLiteral("FolderId");
    QString ItemId = QStringLiteral("ItemId");
    QString Modified = QStringLiteral("Modified");
    QString Name = QStringLiteral("Name");
    QString Size = QStringLiteral("Size");
    QString Template = QStringLiteral("Template");
    QString ItemType = QStringLiteral("ItemType");
    void Assign(TPersistent* Source) override;
};

enum class TppFolderOption { foAllowNew = 0x1, foAllowDelete = 0x2, foAllowRename = 0x4 };
Q_DECLARE_FLAGS(TppFolderOptions, TppFolderOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TppFolderOptions)
enum class TppItemOption { ioAllowDesign = 0x1, ioAllowNew = 0x2, ioAllowDelete = 0x4, ioAllowRename = 0x8 };
Q_DECLARE_FLAGS(TppItemOptions, TppItemOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TppItemOptions)
enum class TppItemActionType { iaOpenToDesign, iaOpenToPreview };

/// One folder row.
struct TppFolderInfo {
    QString Name;
    int FolderId = kppNoFolder;
    int ParentId = kppNoFolder;
};

/// One item row as the explorer lists it. Dates are day numbers (0 for a null date).
struct TppItemInfo {
    int ItemId = 0;
    int FolderId = 0;
    QString Name;
    int ItemType = 0;
    int Size = 0;
    double Modified = 0;
    double Deleted = 0;
};

/// The window the explorer creates (registered for TppCustomReportExplorer): the abstract
/// part the explorer talks to.
class TppCustomReportExplorer {
public:
    static constexpr const char* kClassName = "TppCustomReportExplorer";
    virtual ~TppCustomReportExplorer() = default;
    virtual class TppReportExplorer* GetReportExplorer() const = 0;
    virtual void SetReportExplorer(TppReportExplorer* aExplorer) = 0;
    virtual void SetLanguageIndex(int aIndex) = 0;
    /// Loads its settings, applies the options, builds the tree and shows the list's folder.
    virtual void Init() = 0;
    /// After the designer closes: rebuilds the tree and selects the current folder and item.
    virtual void Refresh() = 0;
    /// The window restored a position of its own (the explorer then keeps its geometry).
    virtual bool PositionRestored() const = 0;
    virtual QWidget* Widget() = 0;
};

namespace report {
/// The window class of the explorer: made with the application as owner.
using ReportExplorerFormClass = std::function<TppCustomReportExplorer*()>;
/// Registers the window class (an empty function removes it); answers the previous one.
ReportExplorerFormClass ppRegisterReportExplorerForm(ReportExplorerFormClass aClass);
const ReportExplorerFormClass& ppReportExplorerForm();
/// How the explorer's Print and Print Preview run a loaded report on a device ("Printer",
/// "Screen"); the default runs it through a producer (a modal preview for the screen).
using ReportPrinter = std::function<void(TppReport* aReport, const QString& aDeviceType)>;
ReportPrinter SetExplorerReportPrinter(ReportPrinter aPrinter);
/// How the explorer shows its designer (Design, New Report); the default shows it modally.
using ExplorerDesignerRunner = std::function<void(TppDesigner* aDesigner)>;
ExplorerDesignerRunner SetExplorerDesignerRunner(ExplorerDesignerRunner aRunner);
}  // namespace report

/// Keeps the settings of the window it creates: caption, geometry, state, icon, tag and the
/// window's events. Reading a geometry property answers the window's while it exists.
class TppFormWrapper : public TppCommunicator {
    Q_OBJECT
public:
    explicit TppFormWrapper(TComponent* AOwner = nullptr);

    QString FormCaption() const { return m_formCaption; }
    void SetFormCaption(const QString& v);
    int FormHeight() const;
    int FormLeft() const;
    int FormTop() const;
    int FormWidth() const;
    void SetFormHeight(int v);
    void SetFormLeft(int v);
    void SetFormTop(int v);
    void SetFormWidth(int v);
    /// True: centred on the screen.
    bool FormPositionScreenCenter() const { return m_screenCenter; }
    void SetFormPositionScreenCenter(bool v) { m_screenCenter = v; }
    Qt::WindowStates FormState() const { return m_formState; }
    void SetFormState(Qt::WindowStates v) { m_formState = v; }
    int FormTag() const { return m_formTag; }
    void SetFormTag(int v) { m_formTag = v; }
    QIcon FormIcon() const { return m_formIcon; }
    void SetFormIcon(const QIcon& v);

    std::function<void(QObject*)> OnActivate, OnClose, OnCreate, OnDeactivate, OnDestroy, OnHide, OnResize, OnShow;
    std::function<void(QObject*, bool&)> OnCloseQuery;

    virtual QWidget* GetForm() const = 0;
    virtual void DestroyForm() {}
    virtual bool CreateForm() { return true; }

protected:
    /// Applies caption, icon, tag and (unless the window restored its own) geometry.
    void applyToForm(QWidget* aForm, bool aKeepGeometry);

private:
    QString m_formCaption;
    int m_formHeight = 400, m_formLeft = 100, m_formTop = 50, m_formWidth = 600;
    bool m_screenCenter = true;
    Qt::WindowStates m_formState = Qt::WindowNoState;
    int m_formTag = 0;
    QIcon m_formIcon;
};

/// The report explorer.
///
/// States: not initialised (created; nothing tied) -> initialised (Initialize passed: the
/// designer's report template is tied to the item table) -> window shown (Execute until the
/// window closes; the explorer's open/save dialog answers the templates' row questions).
/// Every table operation initialises first and does nothing (False, -1, empty) when that fails.
///
/// Walks over the folder tree (parents, children, deletes) stop at a folder met before, so a
/// damaged table whose parent ids form a cycle cannot make them run for ever; moving a folder
/// into itself or one of its sub-folders is refused, so the explorer never makes such a cycle.
class TppReportExplorer : public TppFormWrapper {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppReportExplorer(TComponent* AOwner = nullptr);
    ~TppReportExplorer() override;

    TppDesigner* Designer() const { return m_designer; }
    void SetDesigner(TppDesigner* aDesigner);
    TppFolderFieldNames* FolderFieldNames() const { return m_folderFieldNames; }
    TppItemFieldNames* ItemFieldNames() const { return m_itemFieldNames; }
    TppFolderOptions FolderOptions() const { return m_folderOptions; }
    /// foAllowDelete also sets ioAllowDelete.
    void SetFolderOptions(TppFolderOptions v);
    TppItemOptions ItemOptions() const { return m_itemOptions; }
    /// Without ioAllowDesign the action becomes iaOpenToPreview; ioAllowDelete adds foAllowDelete.
    void SetItemOptions(TppItemOptions v);
    TppItemActionType ItemAction() const { return m_itemAction; }
    void SetItemAction(TppItemActionType v) { m_itemAction = v; }
    TppDataPipeline* FolderPipeline() const { return m_folderPipeline; }
    void SetFolderPipeline(TppDataPipeline* p) { m_folderPipeline = p; m_initialized.reset(); }
    TppDataPipeline* ItemPipeline() const { return m_itemPipeline; }
    void SetItemPipeline(TppDataPipeline* p) { m_itemPipeline = p; m_initialized.reset(); }
    QMenuBar* MergeMenu() const { return m_mergeMenu; }
    void SetMergeMenu(QMenuBar* m) { m_mergeMenu = m; }
    bool ModalForm() const { return m_modalForm; }
    void SetModalForm(bool v) { m_modalForm = v; }
    bool ValidateSettings() const { return m_validateSettings; }
    void SetValidateSettings(bool v) { m_validateSettings = v; }

    /// The item the user works on.
    int CurrentFolderId() const { return m_currentFolderId; }
    void SetCurrentFolderId(int v) { m_currentFolderId = v; }
    QString CurrentItemName() const { return m_currentItemName; }
    void SetCurrentItemName(const QString& v) { m_currentItemName = v; }
    int CurrentItemType() const { return m_currentItemType; }
    QString ErrorMessage() const { return m_errorMessage; }
    TppReport* Report() const { return m_report; }
    bool TemplateIsMemo() const { return m_memo; }
    /// The window while it exists.
    TppCustomReportExplorer* Form() const { return m_form; }
    QWidget* GetForm() const override;
    /// Puts the explorer's open/save dialog behind the templates' row questions, initialises
    /// and creates the window; False (with the error text) when that fails.
    bool CreateForm() override;
    /// Puts the previous row question back and frees the window.
    void DestroyForm() override;

    // ---- operations (the window, the item list and the dialog call them) ----
    virtual bool Execute();
    virtual void SetReport(TppReport* aReport);
    virtual bool CheckSettings();
    virtual bool MoveItem(const QString& aName, int aItemType, int aDestination, int aSource);
    /// The same for the row with that id (rows of the recycle bin may share a name).
    bool MoveItemById(int aItemId, int aDestination);
    virtual void DeleteItem(const QString& aName, int aItemType, int aFolderId);
    /// Deletes the item row with that id (rows of the recycle bin may share a name).
    void DeleteItemById(int aItemId);
    virtual QString GetNewReportName(int aFolderId);
    /// The items of a folder (aItemType 0: all types), in table order.
    virtual QList<TppItemInfo> GetItems(int aFolderId, int aItemType = 0);
    virtual bool ReportExists(const QString& aName, int aFolderId);
    virtual void LoadReport(const QString& aName, int aFolderId);
    virtual void DesignReport(const QString& aName, int aFolderId);
    virtual void PrintReport(const QString& aName, int aFolderId);
    virtual void PreviewReport(const QString& aName, int aFolderId);
    virtual void RenameItem(const QString& aName, const QString& aNewName, int aFolderId, int aItemType);
    virtual void SaveReport(const QString& aName);
    virtual bool ItemNameAvailable(const QString& aName, int aItemType, int aFolderId);
    virtual int AddFolder(int aParentId, const QString& aName);
    virtual bool MoveFolder(int aFolderId, int aDestination);
    virtual bool DeleteFolder(int aFolderId);
    virtual QList<TppFolderInfo> GetChildFolders(int aParentId);
    virtual int GetParentId(int aFolderId);
    virtual QString GetNewFolderName(int aParentId);
    virtual QString GetFolderName(int aFolderId);
    virtual QList<TppFolderInfo> GetFolders();
    /// The folder's parent, its parent and so on, nearest first (stops at a folder met before).
    virtual QList<TppFolderInfo> GetParentFolders(int aFolderId);
    virtual void RenameFolder(int aFolderId, const QString& aNewName);
    virtual bool FolderNameAvailable(int aParentId, const QString& aName);
    virtual bool ConfirmFolderDelete(const QString& aName);
    virtual bool ConfirmFoldersDelete(const QStringList& aNames);
    virtual bool ConfirmItemDelete(const QString& aName);
    virtual bool ConfirmItemsDelete(const QStringList& aNames);
    virtual bool ConfirmItemRecycle(const QString& aName);
    /// aFolders/aItems: the names of the selected folders and items.
    virtual bool ConfirmRecycle(const QStringList& aFolders, const QStringList& aItems);
    virtual bool CheckFolderRename(const QString& aOldName, const QString& aNewName, int aParentId);
    virtual bool CheckItemRename(const QString& aOldName, const QString& aNewName, int aFolderId, int aItemType);
    /// Yes, No, Cancel or YesToAll (ui::Button values).
    virtual int ConfirmFolderReplace(const QString& aName);
    virtual bool ConfirmItemReplace(const QString& aName);
    virtual void ShowMoveFolderError(const QString& aName);

    /// The longest name the Name fields take (the smaller of the two tables'); 0 without limit.
    int MaxNameLength();
    /// A name too long for the Name field: says so and answers False.
    bool CheckNameLength(const QString& aName);

    /// Empties the recycle bin after ConfirmItemsDelete; True when rows were deleted.
    bool EmptyRecycleBin();
    /// New report in a folder: numbered name, empty template, the designer shown modally.
    void NewReport(int aFolderId);
    /// Sets up the explorer's open/save dialog for a template question (mode 0 open, 1 save).
    void PrepareDialog(TppOpenSaveDialog& aDialog, int aMode, TppTemplate* aTemplate);
    /// Takes the folder, name and type of a dialog closed with OK.
    void TakeFromDialog(const TppOpenSaveDialog& aDialog);
    /// Runs the explorer's dialog for a template question; the chosen name or nothing.
    std::optional<QString> AskForTemplateRow(int aMode, TppTemplate* aTemplate);

    /// Item type of a template file extension: "rtm" 1, "ctm" 2, "dtm" 3, else 1.
    static int ItemTypeOfExtension(const QString& aExtension);

    bool Initialize();

private:
    db::Table* folderTable() const;
    db::Table* itemTable() const;
    bool locateFolder(const QString& aName, int aParentId);
    bool locateFolderId(int aFolderId);
    bool locateItem(const QString& aName, int aItemType, int aFolderId);
    bool locateItemId(int aItemId);
    TppItemInfo readItem() const;
    QList<int> childFolderIds(int aParentId);
    void deleteFolderRows(int aFolderId, QList<int>& aSeen);
    bool moveFolder(int aFolderId, int aDestination, QList<int>& aSeen);
    bool isFolderOrBelow(int aFolderId, int aCandidate);
    bool moveItemRow(int aItemId, int aDestination);
    void tieReportTemplate();
    void installDialog();
    void removeDialog();
    int question(int aCaption, const QString& aText, int aKind, int aButtons);

    QPointer<TppDesigner> m_designer;
    TppFolderFieldNames* m_folderFieldNames;
    TppItemFieldNames* m_itemFieldNames;
    TppFolderOptions m_folderOptions = TppFolderOption::foAllowNew | TppFolderOption::foAllowDelete | TppFolderOption::foAllowRename;
    TppItemOptions m_itemOptions = TppItemOption::ioAllowDesign | TppItemOption::ioAllowNew | TppItemOption::ioAllowDelete |
                                   TppItemOption::ioAllowRename;
    TppItemActionType m_itemAction = TppItemActionType::iaOpenToDesign;
    QPointer<TppDataPipeline> m_folderPipeline;
    QPointer<TppDataPipeline> m_itemPipeline;
    QPointer<QMenuBar> m_mergeMenu;
    QPointer<TppReport> m_report;
    bool m_modalForm = true;
    bool m_validateSettings = true;
    int m_currentFolderId = kppNoFolder;
    QString m_currentItemName;
    int m_currentItemType = -1;
    QString m_errorMessage;
    bool m_memo = false;
    std::optional<bool> m_initialized;
    bool m_recycling = false;
    bool m_replaceAll = false;
    bool m_askReplace = true;
    TppCustomReportExplorer* m_form = nullptr;
    bool m_dialogInstalled = false;
    report::TemplateNamePrompt m_previousPrompt;
    /// The current item before a dialog's OK, put back when the open that follows fails.
    struct Current {
        int folder;
        QString name;
        int type;
    };
    std::optional<Current> m_beforeOpen;
    QString m_openedName;
};
