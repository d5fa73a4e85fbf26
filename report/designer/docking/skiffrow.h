#pragma once

#include "report/designer/docking/custom_tool_window_skiffrow.h"
#include "report/designer/docking/toolbar_layout.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QToolBar>

class QMainWindow;

/// A toolbar: its controls (buttons, separators, combo boxes) in one line when docked, in a
/// column in a left or right dock, and, floating, in lines no wider than FloatRightX
/// (0 = one line), wrapping at separators where it can with an etched line between the
/// lines. The controls live on the toolbar's client ("Client") in their run-time order;
/// alternate pairs show their horizontal control except in a vertical dock.
class TppSkiffrow : public QToolBar, public TppCustomToolWindowSkiffrow {
    Q_OBJECT
public:
    /// The toolbar floats until it is docked (SetDockedTo).
    TppSkiffrow(QMainWindow* owner, const QString& name);
    ~TppSkiffrow() override;

    /// The toolbar a control or separator sits on, or nullptr.
    static TppSkiffrow* ToolbarOf(const QWidget* control);

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption);

    /// Client width limit of the floating layout; 0 = one line.
    int FloatRightX() const { return m_floatRightX; }
    void SetFloatRightX(int value);

    /// The controls' parent.
    QWidget* Client() const { return m_client; }
    /// Appends a control (reparented onto the client) to the run-time order.
    void AddControl(QWidget* control);
    /// Takes a control out of the order (it stays a child until reparented or deleted).
    void RemoveControl(QWidget* control);
    const QList<QPointer<QWidget>>& ControlOrder() const { return m_order; }
    /// EInvalidOperation "Control is not a child of the toolbar" for a stranger; the index is
    /// clamped to the order.
    void MoveControlTo(QWidget* control, int index);
    /// The first control is shown in horizontal and floating layouts, the second in vertical.
    void AddAlternateControls(QWidget* horizontalControl, QWidget* verticalControl);

    /// The orientation the toolbar lays out for now: 0 floating, 1 horizontal, 2 vertical.
    int CurrentOrientation() const;
    const QList<skiffrow::WrapLine>& WrapLines() const { return m_wraps; }

    int GetBarSize(int orientation) override;
    QSize GetMinimumClientSize() override { return QSize(0, 0); }
    /// A toolbar sizes by its sides only.
    void GetSizeOptions(bool& CornerSizing, bool& ClipCursor) override {
        CornerSizing = false;
        ClipCursor = false;
    }
    QSize LayoutControls(bool canMoveControls, TppDockSkiffrow* wasDockedTo, TppDockSkiffrow* dockingTo) override;
    void SizeChanging(int newClientWidth, int newClientHeight) override;
    void ReadPositionData(const skiffrow::PositionReader& reader, const QString& section) override;
    void WritePositionData(const skiffrow::PositionWriter& writer, const QString& section) override;
    void AttachToForm(TppDockSkiffrow* dock, bool newRow) override;
    void DetachFromForm() override;

protected:
    bool event(QEvent* event) override;
    void EnterFloatParent(TFloatParent* parent) override;
    void LeaveFloatParent() override;
    void ApplyClientSize(const QSize& clientSize) override;

private:
    bool shownIn(QWidget* control, int orientation) const;
    int orientationFor(TppDockSkiffrow* dock) const;
    QList<QWidget*> controlsFor(int orientation, bool moving) const;

    QWidget* m_client;
    QList<QPointer<QWidget>> m_order;
    QList<QPair<QPointer<QWidget>, QPointer<QWidget>>> m_alternates;
    QList<skiffrow::WrapLine> m_wraps;
    int m_floatRightX = 0;
};
