#pragma once

// The end-user report designer: the window in which a user lays out a report on the Design
// page, previews it on the Preview page, and works on the pages of the registered design
// modules. It receives the designer messages of its report objects as window messages (a
// posted message whose object was freed before it arrived is dropped), keeps the selection,
// and edits it with the mouse and the keyboard. Position, grid and window state are kept in
// "Marlisk.ini". The toolbars, palettes and menus are built by the toolbar manager; until it
// is attached the window offers the same commands as operations (AlignSelection, ...).

#include "report/designer/gui/design_module.h"
#include "report/designer/gui/design_surface.h"
#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/report.h"
#include "report/page/report_types.h"

#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QScrollArea;
class QStatusBar;
class QTabBar;
class QTabWidget;
class QToolButton;
class TppBand;
class TppComponent;
class TppCustomReport;
class TppPopupMenu;
class TppProducer;
class TppReport;
class TppRuler;
class TppViewer;
class TppToolbarManager;
class TppDocHistory;
class TppReportTreeWindow;
class TppDataTreeWindow;
class TppFont;
class QAction;
class QMenu;
class QMenuBar;
struct TppWizardClass;

namespace report {
class ReportPageSource;
}


class TppDesignerWindow : public TppComponentDesigner {
    Q_OBJECT
public:
    /// The height of a band's caption strip.
    static constexpr int kStripHeight = 19;

    explicit TppDesignerWindow(QWidget* parent = nullptr);
    ~TppDesignerWindow() override;

    // TppComponentDesigner.
    void DesignModulesChanged() override;
    void SetReport(TppCustomReport* aReport) override;
    TppCustomReport* GetReport() const override { return m_currentReport; }
    void SelectReport(TppCustomReport* aReport) override;
    QStatusBar* GetStatusBar() const override;
    void Modified() override;
    void SelectObjects(const QList<QObject*>& aList) override;
    /// Pasted components whose events name missing methods are read without an error.
    virtual void ReaderFindMethod(QObject* aReader, const QString& aMethodName, void*& aAddress, bool& aError);

    TppReport* MainReport() const;

    // Settings.
    void LoadSettings();
    void SaveSettings();
    /// The settings file (a bare name lives in the per-user configuration folder).
    static QString SettingsFileName() { return QStringLiteral("Marlisk.ini"); }

    // Caption and pages.
    QString CaptionBase() const { return m_captionBase; }
    void SetCaptionBase(const QString& aText);
    void SetTabsVisible(bool aValue);
    bool TabsVisible() const { return m_tabsVisible; }
    QTabWidget* Pages() const { return m_pages; }
    /// Activates the page of that caption ("Design", "Preview" or a module's caption).
    bool SelectPage(const QString& aCaption);
    bool Previewing() const { return m_previewing; }
    TppViewer* Viewer() const { return m_viewer; }

    // Grid.
    bool SnapToGrid() const { return m_snapToGrid; }
    void SetSnapToGrid(bool v) { m_snapToGrid = v; }
    bool DisplayGrid() const;
    void SetDisplayGrid(bool v);
    int XGridSpace() const;
    int YGridSpace() const;
    void SetXGridSpace(int v);
    void SetYGridSpace(int v);

    // Flags set by the designer component.
    bool ShownModally = false;
    bool AllowDataSettingsChange = false;
    bool AllowSaveToFile = true;

    // Workspace (the Design page).
    TppWorkspace* Workspace() const { return m_workspace; }
    TppRuler* HorizontalRuler() const { return m_horizontalRuler; }
    TppRuler* BandRuler(TppBand* aBand) const;
    TppDesignBand* BandStrip(TppBand* aBand) const;
    /// The top of the band's area on the workspace.
    int BandTop(const TppBand* aBand) const;
    void BeginUpdate();
    void EndUpdate();
    void AddToSelection(TppComponent* aComponent);
    void RemoveFromSelection(TppComponent* aComponent);
    void ClearSelection(bool aNotify);
    bool IsSelected(TppComponent* aComponent) const;
    QList<TppComponent*> Selection() const;
    TppComponent* CurrentComponent() const { return m_currentComponent; }
    TppBand* CurrentBand() const { return m_currentBand; }
    TppSelectionObject* SelectionObjectOf(TppComponent* aComponent) const;
    TppSizingHandles* SizingHandles() const { return m_sizingHandles; }
    /// The union of the selection in mm-thousandths and its restrictions.
    TppBoundsRect* SelectionBounds() const { return m_bounds; }
    TppBand* BandAt(int aY) const;
    TppBand* BandOfRect(const QRect& aRect) const;
    TppComponent* RegionAt(TppBand* aBand, const QPoint& aPoint) const;
    void LayoutBands();
    void UpdateWorkspaceWidth();
    void WorkspaceResize();
    void SyncRulers();
    void AlignSelection(int aKind);
    void SizeSelection(int aKind);
    void NudgeSelection(int aKind);
    void PlaceComponent(int aX, int aY);
    /// The class the palette places on the next click; empty while the select button is down.
    QString PaletteComponentClass() const { return m_paletteClass; }
    void SetPaletteComponentClass(const QString& aClassName) { m_paletteClass = aClassName; }
    /// Erases the current band's guides, forgets it and clears the selection (Select Report).
    void spbSelectReportClick();
    /// The pop-up menu of a component or band, prepared for it (what a right click shows).
    TppPopupMenu* PopupMenuFor(QObject* aObject);
    /// Clears the selection through a click outside the report (closing, hiding).
    void ClearSelectionByClick();

    /// The data settings given by the designer component (none by default).
    QObject* DataSettings = nullptr;
    /// How the code workspace is offered and what of it may be seen and edited (set by the
    /// designer component); every change emits OrvelOptionsChanged.
    TppOrvelInterfaceOptions OrvelInterface() const { return m_orvelInterface; }
    TppOrvelOptions OrvelOptions() const { return m_orvelOptions; }
    void SetOrvelSettings(TppOrvelInterfaceOptions aInterface, TppOrvelOptions aOptions);
    /// The object the designer has selected (the one component selected), else none.
    QObject* SelectedObject() const;
    /// The form's own events (activation, closing, hiding, resizing) for the designer component.
    enum FormEvent { feActivate, feDeactivate, feClose, feCloseQuery, feHide, feResize };
    std::function<void(QObject* Sender, int aEvent, bool& Allow)> OnFormEvent;

    // Events (the designer component passes its own through).
    TppComponentEvent OnCreateComponent;
    TppComponentEvent OnDestroyComponent;
    TppValidateComponentEvent OnValidateComponent;
    std::function<void(QObject* Sender, QStringList& DisplayFormats)> OnGetDisplayFormats;
    std::function<void(QObject* Sender)> OnReportSelected;
    TppTabChangeEvent OnTabChange;
    /// Callbacks to the owning designer component.
    std::function<void()> OnWindowDestroyed;
    std::function<void(TppReport*)> OnReportFreed;
    std::function<void()> OnWindowShown;

    /// The snapshot file of the last Preview (empty when none is kept).
    QString SnapshotFileName() const { return m_snapshotFile; }
    /// Runs the close request (modules, saving the settings); answers whether closing is allowed.
    bool CloseQueryHandler();

    // Menus, toolbars and commands (designer_commands.cpp) -------------------------------------
    TppToolbarManager* ToolbarManager() const { return m_toolbarManager; }
    TppDocHistory* DocHistory() const { return m_docHistory; }
    /// A menu item by its name ("mniFileOpen", "mniEditCut", ...).
    QAction* MenuItem(const QString& aName) const;
    QMenu* Menu(const QString& aName) const;
    /// Runs the menu-opening rules of every menu (what opening each menu does).
    void UpdateMenus();
    /// The menu bar shown: the window's own, or one a design module puts in its place while
    /// its page is active (null puts the window's own back; entering Design or Preview does).
    /// The module keeps owning its menu bar.
    void SetMainMenu(QMenuBar* aMenu);
    QMenuBar* MainMenu() const;
    /// Reloads every caption from the numbered texts (the report's language).
    void LanguageChanged();

    // Files.
    /// Asks "Save changes to <name> ?" for a modified report saved as a template: Yes saves
    /// (goes on only when saved), No goes on, Cancel stops. Answers whether to go on.
    bool AskToSave(TppCustomReport* aReport);
    bool SaveReport(TppCustomReport* aReport);
    bool SaveReportAs(TppCustomReport* aReport);
    /// Loads the report's template (answers false when a permission refused it).
    bool LoadReport(TppCustomReport* aReport);
    void FileNew();
    void FileNewReport();
    void FileOpen();
    void FileClose();
    void FileSave();
    void FileSaveAs();
    void LoadSubreport();
    void SaveSubreport();
    void LoadFromFile(TppCustomReport* aReport);
    void SaveToFile(TppCustomReport* aReport);
    void PageSetup();
    void PrintReport();
    void PrintToFileSetup();
    void OpenRecent(QAction* aItem);
    void RunWizard(const TppWizardClass* aClass);

    // Report and View menus.
    void ReportData();
    void ToggleBand(int aBandType, bool aOn);
    void ReportGroups();
    void GridOptions();
    void ShowHelp();
    void HelpTopics();
    void About();

    // Editing.
    bool CanAdd(bool aReplacing);
    bool CanDelete();
    void CutSelection();
    void CopySelection();
    void PasteSelection();
    void DeleteSelection();
    void Undelete();
    void SelectAll();
    void BringSelectionToFront();
    void SendSelectionToBack();
    bool UndoAvailable() const { return m_undoAvailable; }
    /// Reads a component stream (what Paste reads): every component joins its band, is moved
    /// by the cascade offset and selected. EReportClipboardError for data that is not a
    /// report component stream; nothing is changed then.
    void PasteStream(const QByteArray& aStream);
    /// The selection as a component stream (what Copy puts on the clipboard).
    QByteArray SelectionStream(bool aDeleting);
    /// The clipboard format of report components; its data starts with its own byte count.
    static QString ClipboardMimeType() { return QStringLiteral("application/x-dossara-report-components"); }

    // Formatting.
    TppFont* CurrentFont() const { return m_currentFont.get(); }
    TAlignment CurrentAlignment() const { return m_currentAlignment; }
    void FontNameChanged();
    void FontSizeChanged();
    void FontStyleClicked(int aStyle);
    void AlignmentClicked(TAlignment aAlignment);
    void ApplyFontColor(paint::TColor aColor);
    void ApplyHighlightColor(paint::TColor aColor, bool aClear);
    void ApplyFillColor(paint::TColor aColor, bool aClear);
    void ApplyLineColor(paint::TColor aColor, bool aClear);
    void ApplyLineThickness(double aWeight, TppLineStyleType aStyle);
    void ApplyLineStyle(paint::TPenStyle aStyle);
    /// The status bar's five panels (what the user reads).
    QStringList StatusTexts() const;

    /// Replace the template's own load and save.
    std::function<void(QObject* Sender)> OnCustomOpenDoc, OnCustomSaveDoc;
    /// After the Edit toolbar assigned a data field.
    std::function<void(QObject* Sender)> OnAssignField;
    /// The classes left off the palettes.
    void SetHiddenPaletteClasses(const QStringList& aClassNames);

    // Tree tool windows (designer_tree_windows.cpp) ----------------------------------------------
    TppReportTreeWindow* ReportTreeWindow() const;
    TppDataTreeWindow* DataTreeWindow() const;
    /// Fields of the data tree released at a workspace point become components on the band there.
    void DataTreeDrop(const QPoint& aPoint);
Q_SIGNALS:
    /// OrvelInterface or OrvelOptions changed (the code workspace listens).
    void OrvelOptionsChanged();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildMenus();
    void buildToolbars();
    void refreshToolbars();
    void refreshStatusBar();
    void refreshEditToolbar();
    void wireToolbars();
    void bindTreeWindows();
    void treeWindowsReport(TppCustomReport* aReport);
    void treeWindowsSelection();
    void treeWindowsTabs(TppCustomReport* aDropped);
    void treeWindowsMessage(int aMsg, QObject* aObject);
    void menuOpening(QMenu* aMenu);
    void addRecent(TppCustomReport* aReport);
    void writeReport(TppCustomReport* aReport);
    TppCustomReport* reportOfTab(TppCustomReport* aDefault) const;
    QString templateName(TppCustomReport* aReport) const;
    void editTextChanged(const QString& aText);
    void editTextCommit();
    void textComponentsDo(const std::function<void(TppComponent*)>& aAction);
    void formEvent(FormEvent aEvent) {
        bool allow = true;
        if (OnFormEvent) OnFormEvent(this, aEvent, allow);
    }
    struct ModulePage {
        QWidget* sheet;
        TppDesignModule* module;
    };

    void buildDesignPage();
    void buildPreviewPage();
    void buildModulePages();
    void freeModulePages();
    void handleMessage(int aMsg, qintptr aWParam, QObject* aObject, qintptr aLParam);
    void designReport(TppReport* aReport);
    void showReport(TppCustomReport* aReport);
    void enterDesignDisplay(TppCustomReport* aReport);
    void leaveDesignDisplay(TppCustomReport* aReport);
    void createDesignControl(TppComponent* aComponent);
    void createDesignBand(TppBand* aBand);
    void positionControl(TppComponent* aComponent);
    void rebuildReportTabs();
    void dropReportTab(TppCustomReport* aReport);
    void updateCaption();
    void fullRefresh();
    void notifySelectionChanged();
    void recalcBounds();
    void setBounds(const QRect& aRect, int aRestrictions);
    void pageChanging(int aIndex);
    bool pageRoutine(QWidget* aSheet, bool aEntering);
    bool previewRoutine(bool aEntering);
    void takeSnapshot();
    void restoreSnapshot();
    void focusKeyboard();
    int snap(int aValue, int aGrid, bool aVertical) const;
    QRect outlineOf(TppComponent* aComponent) const;
    void setDualGuides(bool aOn);
    void showDragGuides(const QRect& aRect);
    void propagateUnits(TppRuler* aSender);
    void toggleRulers();
    void moveBy(int aDx, int aDy);
    void sizeBy(int aDw, int aDh);

    // Mouse.
    void workspaceMouseDown(QMouseEvent* e, const QPoint& p);
    void workspaceMouseMove(const QPoint& p);
    void workspaceMouseUp(QMouseEvent* e, const QPoint& p, QObject* aSource);
    void controlMouseDown(TppDesignControl* aControl, QMouseEvent* e, const QPoint& p);
    void handleMouseDown(int aHandle, const QPoint& p);
    void stripMouseDown(TppDesignBand* aStrip, const QPoint& p);
    void startRubberBand(const QPoint& p, bool aAdds);
    void finishRubberBand(Qt::KeyboardModifiers aModifiers);
    void dragMove(const QPoint& p);
    void endMove();
    void dragSize(const QPoint& p);
    void endSize();
    void dragBand(const QPoint& p);
    void endBand();

    QString m_captionBase = QStringLiteral("Marlisk");
    QPointer<TppReport> m_mainReport;
    QPointer<TppCustomReport> m_currentReport;
    QList<ModulePage> m_modulePages;
    int m_previousPage = 0;
    bool m_tabsVisible = true;

    // Controls.
    QTabWidget* m_pages = nullptr;
    QWidget* m_designSheet = nullptr;
    QWidget* m_previewSheet = nullptr;
    QTabBar* m_reportTabs = nullptr;
    QWidget* m_horizontalRulerPanel = nullptr;
    QWidget* m_verticalRulerPanel = nullptr;
    QScrollArea* m_scrollBox = nullptr;
    QWidget* m_background = nullptr;
    TppWorkspace* m_workspace = nullptr;
    QLineEdit* m_keyboardEdit = nullptr;
    TppRuler* m_horizontalRuler = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QList<QLabel*> m_statusPanels;
    TppViewer* m_viewer = nullptr;
    std::unique_ptr<TppProducer> m_producer;
    std::unique_ptr<report::ReportPageSource> m_pageSource;
    QLineEdit* m_zoomEdit = nullptr;
    QLineEdit* m_pageEdit = nullptr;
    QToolButton* m_cancelButton = nullptr;
    QToolButton* m_autoSearchButton = nullptr;
    QList<QToolButton*> m_zoomButtons;

    // Workspace state.
    QHash<const TppBand*, TppDesignBand*> m_strips;
    QHash<const TppBand*, TppRuler*> m_bandRulers;
    QHash<const TppBand*, int> m_bandTops;
    QList<QPointer<TppComponent>> m_selection;
    QHash<const TppComponent*, TppSelectionObject*> m_selectionObjects;
    QPointer<TppComponent> m_currentComponent;
    QPointer<TppBand> m_currentBand;
    TppBoundsRect* m_bounds = nullptr;
    TppBoundsRect* m_dragRect = nullptr;
    TppBoundsRect* m_rubberBand = nullptr;
    TppSizingHandles* m_sizingHandles = nullptr;
    QRect m_rubberRect;
    QPoint m_mouseOffset;
    QPoint m_moveOrigin;
    int m_lowestTop = 0;
    int m_sizingHandle = -1;
    QPointer<TppBand> m_resizingBand;
    int m_updateCount = 0;
    bool m_snapToGrid = false;
    QString m_paletteClass;
    bool m_rulersVisible = true;

    // Flags.
    bool m_moving = false;
    bool m_sizing = false;
    bool m_bandResizing = false;
    bool m_rubberBanding = false;
    bool m_rubberBandAdds = false;
    bool m_selectingFromOutside = false;
    bool m_destroying = false;
    bool m_previewing = false;
    bool m_printing = false;
    bool m_updating = false;
    bool m_restoring = false;
    bool m_snapshotting = false;
    bool m_changingPage = false;

    // Menus, toolbars, clipboard.
    QMenuBar* m_menuBar = nullptr;
    TppToolbarManager* m_toolbarManager = nullptr;
    TppDocHistory* m_docHistory = nullptr;
    std::unique_ptr<TppFont> m_currentFont;
    TAlignment m_currentAlignment = TAlignment::taLeftJustify;
    QByteArray m_clipboardStream;
    QByteArray m_undoStream;
    bool m_undoAvailable = false;
    bool m_deleting = false;
    bool m_undeleting = false;
    QPoint m_copyOrigin;
    QPoint m_cascadePoint;
    QString m_editUndoText;
    bool m_fillingEditor = false;
    int m_editKind = -1;

    // Scripting interface and options.
    TppOrvelInterfaceOptions m_orvelInterface{TppOrvelInterfaceOption::riDialog, TppOrvelInterfaceOption::riNotebookTab};
    TppOrvelOptions m_orvelOptions = TppOrvelOptions::FromBits(0x3F);

    // Preview snapshot.
    QString m_snapshotFile;
    bool m_savedModified = false;
};
