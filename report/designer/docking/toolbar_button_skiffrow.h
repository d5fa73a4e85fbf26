#pragma once

#include "report/designer/docking/button_glyph.h"
#include "report/designer/docking/skiffrow_types.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QToolButton>

#include <functional>

#include <QMenu>

/// The number of images of a button's glyph strip, 1 to 5.
using TppNumGlyphsSkiffrow = int;

/// Whether a press and move starts dragging the control by itself.
enum TDragMode { dmManual, dmAutomatic };

/// The drop-down menus of all toolbar buttons. A menu dropped by a button names the button
/// as its pop-up component and fires its OnPopup first; while it is open, the hint of the
/// item under the pointer goes to OnHint (the application's hint line).
class TDropdownList : public QObject {
    Q_OBJECT
public:
    static TDropdownList& Instance();
    void Add(QMenu* menu);
    void Remove(QMenu* menu);
    bool Contains(QMenu* menu) const { return m_menus.contains(menu); }
    /// Fired before a registered menu drops, with the menu and the button dropping it.
    void SetOnPopup(QMenu* menu, std::function<void(QMenu* menu, QWidget* popupComponent)> handler);
    /// The button that dropped the menu last; none before.
    QWidget* PopupComponent(QMenu* menu) const;
    /// Called by a button as its menu drops.
    void Popup(QMenu* menu, QWidget* popupComponent);
    /// The hint of the item under the pointer (its status tip, else its tool tip), or empty.
    std::function<void(const QString& hint)> OnHint;

private:
    TDropdownList() = default;
    QList<QPointer<QMenu>> m_menus;
    QHash<QMenu*, std::function<void(QMenu*, QWidget*)>> m_onPopup;
    QHash<QMenu*, QPointer<QWidget>> m_popupComponent;
};

/// The flat, hot-tracking toolbar button. States: Up; Hot (the pointer is over it and the
/// application is active, or ShowBorderWhenInactive); Down (pressed); Exclusive (latched down
/// in a group); Disabled. Buttons of one parent with the same non-zero GroupIndex latch:
/// pressing one releases the others; a down button goes up when clicked again only with
/// AllowAllUp. With a DropdownMenu the click drops the menu instead (for a DropdownCombo
/// button only a press on its 11-pixel arrow part does): below the button, or away from the
/// edge in a left or right dock; the press that closes the menu does not open it again.
class TppToolbarButtonSkiffrow : public QToolButton {
    Q_OBJECT
public:
    explicit TppToolbarButtonSkiffrow(QWidget* parent = nullptr);
    ~TppToolbarButtonSkiffrow() override;

    static constexpr int kArrowWidth = 11;

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool value);
    bool Down() const { return m_down; }
    void SetDown(bool value);
    bool Flat() const { return m_flat; }
    void SetFlat(bool value);
    bool ShowBorderWhenInactive() const { return m_showBorderWhenInactive; }
    void SetShowBorderWhenInactive(bool value) { m_showBorderWhenInactive = value; }
    QMenu* DropdownMenu() const { return m_menu; }
    void SetDropdownMenu(QMenu* menu);
    bool DropdownCombo() const { return m_combo; }
    /// Widens the button by the arrow part (on) or narrows it (off, never below 1).
    void SetDropdownCombo(bool value);
    bool DropdownArrow() const { return m_dropdownArrow; }
    void SetDropdownArrow(bool value);
    TppButtonDisplayMode DisplayMode() const { return m_displayMode; }
    void SetDisplayMode(TppButtonDisplayMode mode);
    TppButtonGlyph& GlyphHolder() { return m_glyph; }
    void SetGlyph(const QImage& strip);
    TppNumGlyphsSkiffrow NumGlyphs() const { return m_glyph.NumGlyphs(); }
    void SetNumGlyphs(TppNumGlyphsSkiffrow value);

    TppButtonState State() const { return m_state; }
    /// Whether the last press hit the arrow part.
    bool ArrowPressed() const { return m_arrowPressed; }
    bool MenuOpen() const { return m_menuOpen; }

    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value) { setEnabled(value); }
    /// The button's hint: its tool tip and status tip.
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint);
    /// Whether the hint shows; with ParentShowHint it follows the nearest parent that has a
    /// "ShowHint" property (a bar), else it shows. Setting ShowHint clears ParentShowHint.
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return m_parentShowHint; }
    void SetParentShowHint(bool value) { m_parentShowHint = value; }
    bool HintShown() const;
    /// The font is the parent's while set; setting a font of its own clears it.
    bool ParentFont() const { return !testAttribute(Qt::WA_SetFont); }
    void SetParentFont(bool value);
    /// Pixels from the face's edge to the glyph; -1 centres it (values below -1 are ignored).
    int Margin() const { return m_margin; }
    void SetMargin(int value);
    /// Pixels between the glyph and the caption.
    int Spacing() const { return m_spacing; }
    void SetSpacing(int value);
    /// No border in any state.
    bool NoBorder() const { return m_noBorder; }
    void SetNoBorder(bool value);
    /// The face is filled with the bar's colour (always when not Flat); else what lies
    /// behind shows through.
    bool Opaque() const { return m_opaque; }
    void SetOpaque(bool value);
    bool OldDisabledStyle() const { return m_glyph.OldDisabledStyle(); }
    void SetOldDisabledStyle(bool value);
    QImage GlyphMask() const { return m_glyph.GlyphMask(); }
    void SetGlyphMask(const QImage& mask);

    /// dmAutomatic: a press and a move of the drag distance start dragging the button.
    TDragMode DragMode() const { return m_dragMode; }
    void SetDragMode(TDragMode mode) { m_dragMode = mode; }
    /// The pointer's shape while dragging.
    Qt::CursorShape DragCursor() const { return m_dragCursor; }
    void SetDragCursor(Qt::CursorShape shape) { m_dragCursor = shape; }
    /// Starts dragging the button (the pointer's button must be held): OnStartDrag fires;
    /// the release drops it on the button or bar under the pointer when that one's
    /// OnDragOver accepts it (its OnDragDrop fires), then OnEndDrag fires with the target
    /// (none when nothing accepted it). Escape cancels.
    void BeginDrag();
    bool Dragging() const { return m_dragging; }

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseExit;
    /// Any mouse button pressed or released on the enabled button; the position is the
    /// button's.
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos)> OnMouseDown;
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos)> OnMouseUp;
    std::function<void(Qt::KeyboardModifiers modifiers, const QPoint& pos)> OnMouseMove;
    std::function<void()> OnStartDrag;
    std::function<void(QObject* target, const QPoint& pos)> OnEndDrag;
    /// Something dragged is over the button (pos in the button's coordinates): set accept.
    std::function<void(QObject* source, const QPoint& pos, bool& accept)> OnDragOver;
    std::function<void(QObject* source, const QPoint& pos)> OnDragDrop;

    virtual void HotEnter();
    virtual void HotLeave();

protected:
    /// The ordinary click (not dropping a menu); fires OnClick.
    virtual void Click();
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    /// Whether a point counts as inside the main part of the button.
    bool insideMain(const QPoint& p) const;
    void dropMenu();

private:
    void notifyGroup();
    void endDrag(const QPoint& globalPos, bool drop);
    void setState(TppButtonState state);

    TppButtonGlyph m_glyph;
    TppButtonState m_state = bsUp;
    QPointer<QMenu> m_menu;
    int m_groupIndex = 0;
    bool m_allowAllUp = false;
    bool m_down = false;
    bool m_flat = true;
    bool m_showBorderWhenInactive = false;
    bool m_combo = false;
    bool m_dropdownArrow = true;
    TppButtonDisplayMode m_displayMode = ppdmBoth;
    bool m_pointerInside = false;
    bool m_pressing = false;
    bool m_arrowPressed = false;
    bool m_menuOpen = false;
    /// Set while the menu closes and until the event loop turns: the press that closed the
    /// menu is not taken as a new press on this button.
    bool m_menuJustClosed = false;
    bool m_showHint = true;
    bool m_parentShowHint = true;
    int m_margin = -1;
    int m_spacing = 4;
    bool m_noBorder = false;
    bool m_opaque = true;
    TDragMode m_dragMode = dmManual;
    Qt::CursorShape m_dragCursor = Qt::DragMoveCursor;
    bool m_dragging = false;
    QPoint m_pressPos;
};
