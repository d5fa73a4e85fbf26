#pragma once

#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/float_parent.h"
#include "report/designer/docking/skiffrow_types.h"

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

class QMainWindow;
class QWidget;

namespace skiffrow {
/// Read and write functions of a position store (the ini file's section of one bar).
struct PositionReader {
    std::function<int(const QString& section, const QString& key, int defaultValue)> ReadInteger;
    std::function<QString(const QString& section, const QString& key, const QString& defaultValue)> ReadString;
};
struct PositionWriter {
    std::function<void(const QString& section, const QString& key, int value)> WriteInteger;
    std::function<void(const QString& section, const QString& key, const QString& value)> WriteString;
};
}  // namespace skiffrow

/// What toolbars and tool windows share: a bar is either docked in a dock of its form
/// (DockedTo set, placed by DockRow and DockPos) or floating in its own small captioned
/// window (TFloatParent) at FloatLeft, FloatTop. The concrete bars are Qt widgets
/// (TppSkiffrow a QToolBar, TppToolWindowSkiffrow a QDockWidget) that also derive from this.
///
/// States: docked (the widget is in the form's toolbar or dock area; no float parent);
/// floating (the widget is inside its float parent, a tool window of the form that never
/// takes the focus). A floating bar is inactive-hidden while its form is minimised or hidden,
/// or the application is inactive with HideWhenInactive set; docked bars never are.
/// SetDockedTo is the only move between the states. A new bar floats and stays hidden until
/// its form's first posted evaluation has run.
class TppCustomToolWindowSkiffrow {
public:
    TppCustomToolWindowSkiffrow(const TppCustomToolWindowSkiffrow&) = delete;
    TppCustomToolWindowSkiffrow& operator=(const TppCustomToolWindowSkiffrow&) = delete;
    virtual ~TppCustomToolWindowSkiffrow();

    /// The bar's widget (the QToolBar or QDockWidget this object is).
    QWidget* BarWidget() const { return m_self; }
    QMainWindow* OwnerForm() const { return m_owner; }
    QString Name() const;

    TppDockSkiffrow* DockedTo() const { return m_dock; }
    bool Docked() const { return m_dock != nullptr; }
    void SetDockedTo(TppDockSkiffrow* dock);

    int DockRow() const { return m_dockRow; }
    void SetDockRow(int row);
    /// Offset along the dock in pixels; -1 = at the end of its row.
    int DockPos() const { return m_dockPos; }
    void SetDockPos(int pos);
    /// Used by the dock while it lays out: store without laying out again.
    void SetDockRowQuietly(int row) { m_dockRow = row; }
    void SetDockPosQuietly(int pos) { m_dockPos = pos; }
    /// Screen position of the floating window.
    int FloatLeft() const { return m_floatLeft; }
    int FloatTop() const { return m_floatTop; }
    void SetFloatLeft(int x) { m_floatLeft = x; }
    void SetFloatTop(int y) { m_floatTop = y; }

    TppDockableTo DockableTo() const { return m_dockableTo; }
    void SetDockableTo(TppDockableTo edges);
    TppDockSkiffrow* DefaultDock() const { return m_defaultDock; }
    void SetDefaultDock(TppDockSkiffrow* dock) { m_defaultDock = dock; }

    bool CloseButton() const { return m_closeButton; }
    void SetCloseButton(bool value);
    bool HideWhenInactive() const { return m_hideWhenInactive; }
    void SetHideWhenInactive(bool value);
    bool ActivateParent() const { return m_activateParent; }
    void SetActivateParent(bool value) { m_activateParent = value; }

    /// The bar's own visibility, whatever its floating window shows at the moment.
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);

    bool InactiveHidden() const { return m_inactiveHidden; }
    bool InactiveCaption() const { return m_inactiveCaption; }
    void SetInactiveHidden(bool value);
    void SetInactiveCaption(bool value);

    /// The floating window while the bar floats, else nullptr.
    TFloatParent* FloatParent() const { return m_floatParent; }
    /// Moves the floating window into the screen's work area; with onlyWhenOutside only when
    /// it lies wholly outside it.
    void KeepOnScreen(bool onlyWhenOutside);

    void BeginUpdate();
    void EndUpdate();
    /// Lays out the bar's controls for where it is now.
    void Rearrange();

    /// Bar thickness across a dock of the given orientation (1, 2; 0 = floating).
    virtual int GetBarSize(int orientation) = 0;
    virtual QSize GetMinimumClientSize() = 0;
    /// Lays out the controls for `dockingTo` (none = floating) and answers the client size;
    /// moves them only when canMoveControls.
    virtual QSize LayoutControls(bool canMoveControls, TppDockSkiffrow* wasDockedTo, TppDockSkiffrow* dockingTo) = 0;
    /// The user resized the floating window to this client size.
    virtual void SizeChanging(int newClientWidth, int newClientHeight);
    virtual void DockChanging();
    virtual void DockChanged();
    /// Whether the floating window can be resized by its frame.
    virtual bool FloatResizable() const { return true; }

    /// The extra keys of the bar in the position store (FloatRightX, ClientWidth, ...).
    virtual void ReadPositionData(const skiffrow::PositionReader& reader, const QString& section);
    virtual void WritePositionData(const skiffrow::PositionWriter& writer, const QString& section);

    /// Whether the hints of the bar's buttons show (they follow it while their ParentShowHint
    /// is set); with ParentShowHint the bar itself follows its form's "ShowHint" property.
    bool ShowHint() const;
    void SetShowHint(bool value);
    bool ParentShowHint() const { return m_parentShowHint; }
    void SetParentShowHint(bool value);
    /// Corner sizing of the floating window (tool windows: yes; toolbars: no) and whether the
    /// pointer is to be kept on the screen while sizing (answered for the designer; Qt keeps
    /// the pointer free).
    virtual void GetSizeOptions(bool& CornerSizing, bool& ClipCursor);
    /// The floating window, made on first use (while docked too); FreeFloatParent frees it
    /// while the bar is docked.
    TFloatParent* GetFloatParent();
    void FreeFloatParent();
    /// LayoutControls under its other name: lays the controls out for `dockingTo` and
    /// answers the client size, moving them only when canMoveControls.
    QSize ArrangeContents(bool canMoveControls, TppDockSkiffrow* wasDockedTo, TppDockSkiffrow* dockingTo) {
        return LayoutControls(canMoveControls, wasDockedTo, dockingTo);
    }

    std::function<void()> OnClose;
    /// Something dragged in the application (a toolbar button) is over the bar; set accept.
    std::function<void(QObject* source, const QPoint& pos, bool& accept)> OnDragOver;
    std::function<void(QObject* source, const QPoint& pos)> OnDragDrop;
    std::function<void()> OnDockChanged;
    std::function<void()> OnDockChanging;
    std::function<void()> OnVisibleChanged;
    std::function<void()> OnRecreated;
    std::function<void()> OnRecreating;

    /// Used by the dock: put the widget into the form's area for `dock`, opening a new row
    /// before it when newRow, or take it out.
    virtual void AttachToForm(TppDockSkiffrow* dock, bool newRow) = 0;
    virtual void DetachFromForm() = 0;
    /// The widget that is moved and sized on screen: the float parent while floating, else
    /// the bar widget.
    QWidget* FrameWidget() const;
    /// The size of the bar in `dock` (none = floating, including caption and frame) for a drag.
    QSize OutlineSizeFor(TppDockSkiffrow* dock);
    /// Starts dragging at a press on the grip, caption or an empty spot (global position).
    void StartDrag(const QPoint& globalPos, bool ctrlHeld);
    /// A double-click on the grip or caption: float a docked bar, dock a floating one back.
    void DoubleClicked();
    /// The close button of the floating window was clicked: hide the bar and fire OnClose.
    void CloseClicked();
    /// Internal move count: positions made by the framework itself.
    bool IsInternalMove() const { return m_internalMove > 0; }
    void BeginInternalMove() { ++m_internalMove; }
    void EndInternalMove() { --m_internalMove; }
    /// Applies the showing state of the floating window.
    void UpdateFloatShowing();

protected:
    /// `self` is the concrete bar's widget; `owner` its form (EInvalidOperation when none).
    TppCustomToolWindowSkiffrow(QWidget* self, QMainWindow* owner);
    /// Call at the end of the concrete bar's constructor: the bar floats.
    void FinishCreation();
    /// The widget is moved into / out of the float parent.
    virtual void EnterFloatParent(TFloatParent* parent) = 0;
    virtual void LeaveFloatParent() = 0;
    /// Applies the client size to the widget (after LayoutControls).
    virtual void ApplyClientSize(const QSize& clientSize) = 0;
    void ApplyFloatGeometry();

private:
    void freeFloatParent();

    QWidget* m_self;
    QMainWindow* m_owner;
    QPointer<TppDockSkiffrow> m_dock;
    QPointer<TppDockSkiffrow> m_defaultDock;
    QPointer<TFloatParent> m_floatParent;
    int m_dockRow = 0;
    int m_dockPos = -1;
    int m_floatLeft = 0;
    int m_floatTop = 0;
    TppDockableTo m_dockableTo = TppDockableTo::All();
    bool m_closeButton = true;
    bool m_hideWhenInactive = true;
    bool m_activateParent = true;
    bool m_visible = true;
    bool m_inactiveHidden = true;
    bool m_inactiveCaption = false;
    bool m_arrangePending = false;
    bool m_destroying = false;
    int m_updateCount = 0;
    int m_internalMove = 0;
    bool m_showHint = true;
    bool m_parentShowHint = true;
};

/// The screen's work area near a widget (the desktop without panels), the whole screen
/// when the system gives none.
QRect ppGetWorkArea(const QWidget* near);
/// The form that floating bars of `form` belong to: its top-level window.
QWidget* ppFloatOwnerForm(QWidget* form);
/// The frame of a floating window on every side, in pixels.
int ppFloatingFrameSize(bool resizable);
/// The height of a floating window's small caption, in pixels.
int ppSmallCaptionHeight();
