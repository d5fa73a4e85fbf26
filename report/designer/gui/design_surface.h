#pragma once

// The pieces of the designer's Design page that stand for the report while it is edited:
// the workspace that carries everything and paints the layout grid, one strip per band, one
// control per report component, the outlines used for dragging and rubber-banding, the
// eight sizing handles of a single selected component, the four corner marks of each
// component of a multiple selection, and the selection record that ties them together.
// None of them decides what the mouse does: the designer window wires their events.
//
// The old XOR drawing of outlines is done with overlay widgets of the same look: they take
// no mouse input, so the controls below them keep receiving it.

#include "platform/paint/canvas.h"

#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>

#include "report/model/band.h"
#include "report/model/printable.h"

/// Flags of TppDesignControl::DesignRestrictions and TppBoundsRect::Restrictions.
enum TppDesignRestriction : int {
    drNoHorizontalMove = 1,
    drNoVerticalMove = 2,
    drFixedWidth = 4,
    drFixedHeight = 8,
};

/// The drawing surface: the window colour, shaded columns and grid dots.
class TppWorkspace : public QWidget {
    Q_OBJECT
public:
    explicit TppWorkspace(QWidget* parent = nullptr);

    bool DisplayGrid() const { return m_displayGrid; }
    void SetDisplayGrid(bool v);
    int XGridSpace() const { return m_xGridSpace; }
    void SetXGridSpace(int v);
    int YGridSpace() const { return m_yGridSpace; }
    void SetYGridSpace(int v);
    /// One entry per band in band order: the band's height in pixels as decimal text.
    QStringList BandHeights;
    bool ShadeColumns() const { return m_shadeColumns; }
    void SetShadeColumns(bool v);
    QRect ShadedRect() const { return m_shadedRect; }
    void SetShadedRect(const QRect& r);

    /// The layer over every control that carries the selection outlines and corner marks:
    /// they take no mouse input, and keeping them out of the controls' stacking order lets
    /// them show without walking past every control.
    QWidget* OverlayLayer() const { return m_overlay; }
    /// Puts the overlay layer back over controls made after it.
    void RaiseOverlay();

    /// The grid dots a paint draws, in workspace coordinates (also what paintEvent draws).
    std::vector<QPoint> GridDots() const;

    std::function<void(QObject* Sender)> OnAfterPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_overlay = nullptr;
    bool m_displayGrid = true;
    int m_xGridSpace = 8;
    int m_yGridSpace = 8;
    bool m_shadeColumns = false;
    QRect m_shadedRect;
};

/// The strip under a band's area: the band's caption; dragged up and down to size the band.
class TppDesignBand : public QWidget {
    Q_OBJECT
public:
    explicit TppDesignBand(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v);
    /// The band (the strip's Tag).
    TppBand* Band() const { return m_band; }
    void SetBand(TppBand* b) { m_band = b; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* m) { m_popupMenu = m; }

    std::function<void(QObject* Sender)> OnAfterPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    QPointer<TppBand> m_band;
    QPointer<QMenu> m_popupMenu;
};

/// The workspace control of one report component; the component paints it.
class TppDesignControl : public QWidget {
    Q_OBJECT
public:
    explicit TppDesignControl(QWidget* parent = nullptr);

    /// The component's painting routine.
    std::function<void(paint::Canvas&)> OnPaint;
    /// The component (the control's Tag).
    TppPrintable* Printable() const { return m_printable; }
    void SetPrintable(TppPrintable* p) { m_printable = p; }
    QPoint MouseDownPoint() const { return m_mouseDownPoint; }
    int DesignRestrictions() const { return m_restrictions; }
    void SetDesignRestrictions(int v) { m_restrictions = v; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* m) { m_popupMenu = m; }
    /// The control's colour (the component's background), for the handle colour.
    QColor Color() const { return m_color; }
    void SetColor(const QColor& c) { m_color = c; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPointer<TppPrintable> m_printable;
    QPoint m_mouseDownPoint;
    int m_restrictions = 0;
    QPointer<QMenu> m_popupMenu;
    QColor m_color = Qt::white;
};

/// An outline over the workspace: a component's drag outline, a selection's outline, or the
/// rubber band (Dotted).
class TppBoundsRect : public QWidget {
    Q_OBJECT
public:
    explicit TppBoundsRect(QWidget* parent = nullptr);

    int mmLeft() const { return m_mmLeft; }
    int mmTop() const { return m_mmTop; }
    int mmWidth() const { return m_mmWidth; }
    int mmHeight() const { return m_mmHeight; }
    /// Stores the four values (mm-thousandths) and takes them as screen-pixel bounds.
    void SetMMBounds(int aLeft, int aTop, int aWidth, int aHeight);
    /// Only stores the four values (for a union kept in mm-thousandths).
    void StoreMMBounds(int aLeft, int aTop, int aWidth, int aHeight);
    int Restrictions = 0;
    /// Drawn dotted and 1 pixel wide (the rubber band).
    bool Dotted = false;
    /// The drag display: a thin black outline instead of the grey one.
    bool DragDisplay = false;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_mmLeft = 0, m_mmTop = 0, m_mmWidth = 0, m_mmHeight = 0;
};

/// One small square of the handles (Tag = its number).
class TppHandleShape : public QWidget {
    Q_OBJECT
public:
    TppHandleShape(int aTag, QWidget* parent);
    int Tag() const { return m_tag; }
    QColor PenColor, BrushColor;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_tag;
};

/// The eight black grab handles of the single selected component.
class TppSizingHandles : public QObject {
    Q_OBJECT
public:
    explicit TppSizingHandles(QObject* owner = nullptr);
    ~TppSizingHandles() override;

    QColor Color() const { return m_color; }
    void SetColor(const QColor& c);
    QWidget* ParentControl() const { return m_parent; }
    virtual void SetParentControl(QWidget* control);
    TppHandleShape* Handle(int i) const { return m_handles[size_t(i)]; }
    /// Centres handle i on point i of the rectangle and shows it.
    void Show(const QRect* rect);
    void Hide();
    bool Visible() const;
    /// The handlers every handle routes to (mouse down, drag over, end of drag); the
    /// designer window's event filter calls them with the handle and the workspace point.
    using HandleEvent = std::function<void(TppHandleShape* aHandle, const QPoint& aPoint)>;
    void SetOnMouseDown(HandleEvent h) { OnMouseDown = std::move(h); }
    void SetOnDragOver(HandleEvent h) { OnDragOver = std::move(h); }
    void SetOnEndDrag(HandleEvent h) { OnEndDrag = std::move(h); }
    HandleEvent OnMouseDown, OnDragOver, OnEndDrag;

private:
    std::array<QPointer<TppHandleShape>, 8> m_handles{};  ///< the parent control may free them first
    QColor m_color = Qt::black;
    QPointer<QWidget> m_parent;
};

/// The four grey corner marks of a component in a multiple selection.
class TppSelectionHandles : public QObject {
    Q_OBJECT
public:
    explicit TppSelectionHandles(QObject* owner = nullptr);
    ~TppSelectionHandles() override;

    virtual void SetParentControl(QWidget* control);
    TppHandleShape* Mark(int i) const { return m_marks[size_t(i)]; }
    void Show(const QRect* rect);
    void Hide();
    bool Visible() const;

private:
    std::array<QPointer<TppHandleShape>, 4> m_marks{};
    QPointer<QWidget> m_parent;
};

/// One selected printable: its outline, its corner marks and (alone) the sizing handles.
class TppSelectionObject : public QObject {
    Q_OBJECT
public:
    explicit TppSelectionObject(QObject* owner = nullptr);
    ~TppSelectionObject() override;

    bool Tracking = true;
    virtual void SetWorkspace(QWidget* aWorkspace);
    void SetPrintable(TppPrintable* aPrintable);
    TppPrintable* Printable() const { return m_printable; }
    TppDesignControl* DesignControl() const { return m_control; }
    TppBoundsRect* BoundsRect() const { return m_boundsRect; }
    TppSelectionHandles* SelectionHandles() const { return m_selectionHandles; }
    TppSizingHandles* SizingHandles() const { return m_sizingHandles; }
    int GetRestrictions() const;
    void SetSizingHandles(TppSizingHandles* aHandles);
    void SetHandlesVisible(bool aShow);
    void ShowBoundsRect(bool aShow);
    void UpdateHandleColor();
    /// The outline follows the control again (while Tracking).
    void UpdateBounds();
    /// Gives the printable the outline as its screen-pixel bounds, top within its band.
    void ApplyBounds();
    /// The top of the printable's band area on the workspace (set by the window; stands in
    /// for the band's GetSpTop, which the window keeps).
    std::function<int(TppPrintable*)> BandTopOf;
    /// The handlers of the outline (drag over, end of drag, mouse up), in workspace points.
    using OutlineEvent = std::function<void(TppSelectionObject* aSender, const QPoint& aPoint)>;
    void SetOnDragOver(OutlineEvent h) { OnDragOver = std::move(h); }
    void SetOnEndDrag(OutlineEvent h) { OnEndDrag = std::move(h); }
    void SetOnMouseUp(OutlineEvent h) { OnMouseUp = std::move(h); }
    OutlineEvent OnDragOver, OnEndDrag, OnMouseUp;

private:
    QPointer<TppPrintable> m_printable;
    QPointer<TppDesignControl> m_control;
    QPointer<TppBoundsRect> m_boundsRect;  ///< parented to the workspace, which may go first
    TppSelectionHandles* m_selectionHandles = nullptr;
    QPointer<TppSizingHandles> m_sizingHandles;
    QPointer<QWidget> m_workspace;
};
