#pragma once

#include "report/designer/docking/button_glyph.h"
#include "report/designer/docking/skiffrow_types.h"

#include <QPointer>
#include <QToolButton>

#include <functional>

#include <QMenu>

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
    int NumGlyphs() const { return m_glyph.NumGlyphs(); }
    void SetNumGlyphs(int value);

    TppButtonState State() const { return m_state; }
    /// Whether the last press hit the arrow part.
    bool ArrowPressed() const { return m_arrowPressed; }
    bool MenuOpen() const { return m_menuOpen; }

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseExit;

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
    /// Whether a point counts as inside the main part of the button.
    bool insideMain(const QPoint& p) const;
    void dropMenu();

private:
    void notifyGroup();
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
};
