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

    // Preview snapshot.
    QString m_snapshotFile;
    bool m_savedModified = false;
};
