#pragma once

#include "core/gui/customize_toolbar.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <vector>

class QAction;
class QMenu;
class QWidget;
class TMainForm;
class TViewBaseForm;
class TViewControl;

namespace core {

class ViewTables;

/// Customize mode of one View window: the window's field controls become a design surface
/// on which labels and fields are moved and sized by mouse and keyboard, new edit fields
/// and check boxes are placed, fields are hidden or marked for deletion, and the field and
/// View property dialogs edit the definition in memory. Save writes the design (the View
/// table restructured, the settings rewritten) and runs the full rebuild; Cancel reloads the
/// stored definition, so nothing reaches the database.
///
/// States: idle (the window works as a View window) and customizing (from
/// FormPU_CustomizeClick to EndCustomize): the toolbox is shown, the window cannot be
/// closed, clicks and keys on field controls design instead of editing, samples are shown,
/// and the View's layout is never written (TViewControl::SaveViewLayout skips the View while
/// its window is the CustomizingWindow), so a resize cannot save pending changes.
///
/// A child of the View window named "ViewCustomizer"; it owns nothing but its menu.
class ViewCustomizer : public QObject, public CustomizeTarget {
    Q_OBJECT
public:
    ViewCustomizer(TViewBaseForm* window, TViewControl& views, ViewTables& tables);
    ~ViewCustomizer() override;

    bool Customizing() const { return m_customizing; }
    QChar PlacingFieldType() const { return m_placing; }

    /// Starts customize mode (the customize command of the View window).
    void FormPU_CustomizeClick();
    /// The customize command was made here, not found on the window.
    bool OwnsCustomizeAction() const { return m_ownAction; }
    void SetPlacingFieldType(QChar letter) override;
    void ToggleFieldDelete(int field) override;
    void EndCustomize(bool keep) override;
    /// Stops placing and opens the field properties editor for a new field at (x, y) of
    /// the field area.
    void PlaceNewField(int x, int y);
    /// The customize pop-up menu for a field control (or, for null, the window).
    QMenu* PopupMenuFor(QWidget* control);
    /// Moves (or with `resize` sizes) a field control by (dx, dy) pixels and stores it.
    void NudgeControl(QWidget* control, int dx, int dy, bool resize);

    QAction* A_Customize;
    QMenu* CustomPUMenu;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void prepareControl(QWidget* control);
    void prepareAllControls();
    void rebuildFieldControl(int field, bool refill);
    void freeFieldControls(int field);
    void storeControl(QWidget* control, bool sized);
    void storeFieldControlBounds();
    void reloadViewDefinition();
    void showSamples();
    void installHooks();
    void finishDrag();
    QWidget* fieldArea() const;
    TMainForm* mainForm() const;
    int fieldOf(const QWidget* control) const;
    bool isFieldControl(const QObject* o) const;

    QPointer<TViewBaseForm> m_window;
    TViewControl& m_views;
    ViewTables& m_tables;
    int m_view;
    bool m_customizing = false;
    QChar m_placing = u'*';
    QString m_viewName;
    bool m_hiderVisible = true;
    bool m_wasDocked = false;
    bool m_noteClosed = false;  ///< a floating note window was closed for customizing
    int m_pageIndex = -1;  ///< the docked window's page before customizing
    std::vector<std::pair<QPointer<QAction>, bool>> m_toolbarEnabled;
    bool m_ownAction = false;
    QPointer<QWidget> m_menuControl;   ///< the control the pop-up menu was opened for
    QPointer<QWidget> m_dragged;
    QPoint m_dragStart;
    QRect m_dragGeometry;
    bool m_dragResize = false;
};

/// Gives a View window its customize command (action "A_Customize", also in the window's
/// pop-up menu "FormPU" when it has one) and its customizer.
ViewCustomizer* AttachViewCustomize(TViewBaseForm* window, TViewControl& views, ViewTables& tables);

/// The word indexes rebuilt after a saved customisation: every View's word table built
/// again over its table's present columns, then the search components reloaded. The full
/// rebuild (report dictionary and word indexes) takes its place when the program sets
/// CustomizeHooks::FullRebuild.
void RebuildWordIndexes(TViewControl& views, ViewTables& tables);

}  // namespace core
