#include "report/designer/docking/toolbar_button_skiffrow.h"

#include "report/designer/docking/application_activity.h"
#include "report/designer/docking/custom_tool_window_skiffrow.h"
#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/skiffrow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QTimer>

TppToolbarButtonSkiffrow::TppToolbarButtonSkiffrow(QWidget* parent) : QToolButton(parent) {
    resize(23, 22);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    connect(&skiffrow::ApplicationActivity::Instance(), &skiffrow::ApplicationActivity::ActiveChanged, this, [this](bool active) {
        if (!active && !m_showBorderWhenInactive && m_state == bsHot) HotLeave();
    });
}

TppToolbarButtonSkiffrow::~TppToolbarButtonSkiffrow() {
    if (m_dragging) QApplication::restoreOverrideCursor();
}

// TDropdownList ------------------------------------------------------------------------------

TDropdownList& TDropdownList::Instance() {
    static TDropdownList* list = new TDropdownList;
    return *list;
}

void TDropdownList::Add(QMenu* menu) {
    if (!menu || Contains(menu)) return;
    m_menus.append(menu);
    connect(menu, &QMenu::hovered, this, [this](QAction* action) {
        if (OnHint) OnHint(action ? (action->statusTip().isEmpty() ? action->toolTip() : action->statusTip()) : QString());
    });
    connect(menu, &QMenu::aboutToHide, this, [this] {
        if (OnHint) OnHint(QString());
    });
    connect(menu, &QObject::destroyed, this, [this, menu] {
        m_onPopup.remove(menu);
        m_popupComponent.remove(menu);
        m_menus.removeAll(nullptr);
    });
}

void TDropdownList::Remove(QMenu* menu) {
    if (!menu) return;
    disconnect(menu, nullptr, this, nullptr);
    m_menus.removeAll(menu);
    m_onPopup.remove(menu);
    m_popupComponent.remove(menu);
}

void TDropdownList::SetOnPopup(QMenu* menu, std::function<void(QMenu*, QWidget*)> handler) {
    Add(menu);
    m_onPopup[menu] = std::move(handler);
}

QWidget* TDropdownList::PopupComponent(QMenu* menu) const { return m_popupComponent.value(menu); }

void TDropdownList::Popup(QMenu* menu, QWidget* popupComponent) {
    m_popupComponent[menu] = popupComponent;
    if (auto handler = m_onPopup.value(menu)) handler(menu, popupComponent);
}

// Properties ---------------------------------------------------------------------------------

void TppToolbarButtonSkiffrow::SetHint(const QString& hint) {
    setToolTip(hint);
    setStatusTip(hint);
}

void TppToolbarButtonSkiffrow::SetShowHint(bool value) {
    m_showHint = value;
    m_parentShowHint = false;
}

bool TppToolbarButtonSkiffrow::HintShown() const {
    if (!m_parentShowHint) return m_showHint;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        const QVariant v = w->property("ShowHint");
        if (v.isValid()) return v.toBool();
    }
    return true;
}

void TppToolbarButtonSkiffrow::SetParentFont(bool value) {
    if (value) {
        setFont(QFont());
        setAttribute(Qt::WA_SetFont, false);
    } else {
        setFont(font());
        setAttribute(Qt::WA_SetFont, true);
    }
    update();
}

void TppToolbarButtonSkiffrow::SetMargin(int value) {
    if (value < -1) return;
    m_margin = value;
    update();
}

void TppToolbarButtonSkiffrow::SetSpacing(int value) {
    m_spacing = value;
    update();
}

void TppToolbarButtonSkiffrow::SetNoBorder(bool value) {
    m_noBorder = value;
    update();
}

void TppToolbarButtonSkiffrow::SetOpaque(bool value) {
    m_opaque = value;
    update();
}

void TppToolbarButtonSkiffrow::SetOldDisabledStyle(bool value) {
    m_glyph.SetOldDisabledStyle(value);
    update();
}

void TppToolbarButtonSkiffrow::SetGlyphMask(const QImage& mask) {
    m_glyph.SetGlyphMask(mask);
    update();
}

bool TppToolbarButtonSkiffrow::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !HintShown()) {
        event->ignore();
        return true;
    }
    return QToolButton::event(event);
}

// Dragging -----------------------------------------------------------------------------------

namespace {

/// The button or bar under a screen point whose OnDragOver accepts the source.
QObject* dropTarget(QObject* source, const QPoint& globalPos, QPoint* local, bool deliver) {
    for (QWidget* w = QApplication::widgetAt(globalPos); w; w = w->parentWidget()) {
        const QPoint at = w->mapFromGlobal(globalPos);
        bool accept = false;
        if (auto* button = qobject_cast<TppToolbarButtonSkiffrow*>(w); button && button != source) {
            if (button->OnDragOver) button->OnDragOver(source, at, accept);
            if (accept && deliver && button->OnDragDrop) button->OnDragDrop(source, at);
        } else if (auto* bar = dynamic_cast<TppCustomToolWindowSkiffrow*>(w)) {
            if (bar->OnDragOver) bar->OnDragOver(source, at, accept);
            if (accept && deliver && bar->OnDragDrop) bar->OnDragDrop(source, at);
        } else {
            continue;
        }
        if (!accept) return nullptr;
        if (local) *local = at;
        return w;
    }
    return nullptr;
}

}  // namespace

void TppToolbarButtonSkiffrow::BeginDrag() {
    if (m_dragging) return;
    m_dragging = true;
    m_pressing = false;
    setState(m_down ? bsExclusive : bsUp);
    QApplication::setOverrideCursor(QCursor(m_dragCursor));
    if (OnStartDrag) OnStartDrag();
}

void TppToolbarButtonSkiffrow::endDrag(const QPoint& globalPos, bool drop) {
    if (!m_dragging) return;
    m_dragging = false;
    QApplication::restoreOverrideCursor();
    QPoint at = globalPos;
    QObject* target = drop ? dropTarget(this, globalPos, &at, true) : nullptr;
    if (!target) at = mapFromGlobal(globalPos);
    if (OnEndDrag) OnEndDrag(target, at);
}

void TppToolbarButtonSkiffrow::keyPressEvent(QKeyEvent* event) {
    if (m_dragging && event->key() == Qt::Key_Escape) {
        endDrag(QCursor::pos(), false);
        return;
    }
    QToolButton::keyPressEvent(event);
}

void TppToolbarButtonSkiffrow::SetCaption(const QString& caption) {
    setText(caption);
    update();
}

void TppToolbarButtonSkiffrow::SetGroupIndex(int value) {
    m_groupIndex = value;
    notifyGroup();
}

void TppToolbarButtonSkiffrow::SetAllowAllUp(bool value) {
    m_allowAllUp = value;
    notifyGroup();
}

void TppToolbarButtonSkiffrow::SetDown(bool value) {
    if (m_groupIndex == 0) value = false;
    if (value == m_down || (m_down && !m_allowAllUp)) return;
    m_down = value;
    setState(value ? bsExclusive : bsUp);
    if (value) notifyGroup();
}

void TppToolbarButtonSkiffrow::notifyGroup() {
    if (m_groupIndex == 0 || !parentWidget()) return;
    for (auto* other : parentWidget()->findChildren<TppToolbarButtonSkiffrow*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other == this || other->m_groupIndex != m_groupIndex) continue;
        if (other->m_down && m_down) {
            other->m_down = false;
            other->setState(bsUp);
        }
        other->m_allowAllUp = m_allowAllUp;
    }
}

void TppToolbarButtonSkiffrow::SetFlat(bool value) {
    m_flat = value;
    setAutoRaise(value);
    update();
}

void TppToolbarButtonSkiffrow::SetDropdownMenu(QMenu* menu) {
    if (m_menu) disconnect(m_menu, nullptr, this, nullptr);
    m_menu = menu;
    TDropdownList::Instance().Add(menu);
    if (menu)
        connect(menu, &QMenu::aboutToHide, this, [this] {
            m_menuOpen = false;
            m_menuJustClosed = true;
            QTimer::singleShot(0, this, [this] { m_menuJustClosed = false; });
            if (!m_down) setState(bsUp);
            m_arrowPressed = false;
            update();
        });
    update();
}

void TppToolbarButtonSkiffrow::SetDropdownCombo(bool value) {
    if (value == m_combo) return;
    m_combo = value;
    resize(value ? width() + kArrowWidth : (width() < kArrowWidth + 1 ? 1 : width() - kArrowWidth), height());
    if (TppSkiffrow* bar = TppSkiffrow::ToolbarOf(this)) bar->Rearrange();
    update();
}

void TppToolbarButtonSkiffrow::SetDropdownArrow(bool value) {
    m_dropdownArrow = value;
    update();
}

void TppToolbarButtonSkiffrow::SetDisplayMode(TppButtonDisplayMode mode) {
    m_displayMode = mode;
    update();
}

void TppToolbarButtonSkiffrow::SetGlyph(const QImage& strip) {
    m_glyph.SetGlyph(strip);
    update();
}

void TppToolbarButtonSkiffrow::SetNumGlyphs(int value) {
    m_glyph.SetNumGlyphs(value);
    update();
}

void TppToolbarButtonSkiffrow::setState(TppButtonState state) {
    if (state == m_state) return;
    m_state = state;
    update();
}

void TppToolbarButtonSkiffrow::HotEnter() {
    if (!isEnabled() || m_pointerInside) return;
    m_pointerInside = true;
    if (m_state == bsUp) setState(bsHot);
    if (OnMouseEnter) OnMouseEnter();
}

void TppToolbarButtonSkiffrow::HotLeave() {
    if (!isEnabled() || !m_pointerInside || m_pressing) return;
    if (m_state == bsHot || (m_state == bsDown && !m_menuOpen)) setState(m_down ? bsExclusive : bsUp);
    m_pointerInside = false;
    if (OnMouseExit) OnMouseExit();
}

void TppToolbarButtonSkiffrow::enterEvent(QEnterEvent*) {
    if (m_showBorderWhenInactive || skiffrow::ApplicationActivity::Instance().IsActive()) HotEnter();
}

void TppToolbarButtonSkiffrow::leaveEvent(QEvent*) { HotLeave(); }

void TppToolbarButtonSkiffrow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        m_pointerInside = false;
        setState(isEnabled() ? (m_down ? bsExclusive : bsUp) : bsDisabled);
    }
    QToolButton::changeEvent(event);
}

bool TppToolbarButtonSkiffrow::insideMain(const QPoint& p) const {
    const int right = m_combo && m_menu ? width() - kArrowWidth : width();
    return p.x() >= 0 && p.x() < right && p.y() >= 0 && p.y() < height();
}

void TppToolbarButtonSkiffrow::mousePressEvent(QMouseEvent* event) {
    if (isEnabled() && OnMouseDown) OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
    if (isEnabled() && event->button() == Qt::LeftButton) m_pressPos = event->position().toPoint();
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        if (event->button() != Qt::LeftButton) HotEnter();
        return;
    }
    if (m_menuJustClosed) return;  // the press that closed this button's menu
    if (!m_pointerInside) {
        m_pointerInside = true;
        if (OnMouseEnter) OnMouseEnter();
    }
    m_arrowPressed = m_menu && (!m_combo || event->position().x() >= width() - kArrowWidth);
    if (!m_down) setState(bsDown);
    if (m_arrowPressed) {
        dropMenu();
        return;
    }
    m_pressing = true;
}

void TppToolbarButtonSkiffrow::mouseMoveEvent(QMouseEvent* event) {
    if (isEnabled() && OnMouseMove) OnMouseMove(event->modifiers(), event->position().toPoint());
    if (m_dragging) return;
    if (m_pressing && m_dragMode == dmAutomatic &&
        (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        BeginDrag();
        return;
    }
    if (!m_pressing) return;
    setState(m_down ? bsExclusive : (insideMain(event->position().toPoint()) ? bsDown : bsUp));
}

void TppToolbarButtonSkiffrow::mouseReleaseEvent(QMouseEvent* event) {
    if (isEnabled() && OnMouseUp) OnMouseUp(event->button(), event->modifiers(), event->position().toPoint());
    if (m_dragging && event->button() == Qt::LeftButton) {
        endDrag(event->globalPosition().toPoint(), true);
        return;
    }
    if (!m_pressing || event->button() != Qt::LeftButton) return;
    m_pressing = false;
    const bool inside = insideMain(event->position().toPoint());
    if (m_groupIndex != 0 && inside) {
        if (!m_down) SetDown(true);
        else if (m_allowAllUp) {
            m_down = false;
            setState(bsUp);
        }
    }
    if (!inside) {
        setState(m_down ? bsExclusive : bsUp);
        return;
    }
    setState(m_down ? bsExclusive : bsHot);
    Click();
}

void TppToolbarButtonSkiffrow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_down && OnDblClick) OnDblClick();
    else mousePressEvent(event);
}

void TppToolbarButtonSkiffrow::Click() {
    if (OnClick) OnClick();
    emit clicked();
}

void TppToolbarButtonSkiffrow::dropMenu() {
    if (!m_menu) return;
    QPoint at = mapToGlobal(QPoint(0, height()));
    TppSkiffrow* bar = TppSkiffrow::ToolbarOf(this);
    TppDockSkiffrow* dock = bar ? bar->DockedTo() : nullptr;
    if (dock && dock->Position() == ppdpLeft) at = mapToGlobal(QPoint(width(), 0));
    else if (dock && dock->Position() == ppdpRight) at = mapToGlobal(QPoint(-m_menu->sizeHint().width(), 0));
    m_menuOpen = true;
    setState(bsDown);
    TDropdownList::Instance().Popup(m_menu, this);
    m_menu->popup(at);
}

void TppToolbarButtonSkiffrow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool hot = m_state == bsHot;
    const bool pushed = m_state == bsDown || m_state == bsExclusive;
    const bool comboArrow = m_combo && m_menu;
    const QRect main = comboArrow ? rect().adjusted(0, 0, -kArrowWidth, 0) : rect();
    if (m_opaque || !m_flat) {
        QWidget* behind = parentWidget() ? parentWidget() : this;
        p.fillRect(rect(), behind->palette().color(behind->backgroundRole()));
    }
    auto panel = [&](const QRect& r, bool sunken) {
        if (m_noBorder) return;
        QStyleOptionToolButton opt;
        opt.initFrom(this);
        opt.rect = r;
        opt.state |= QStyle::State_AutoRaise;
        if (hot || pushed || !m_flat) opt.state |= QStyle::State_Raised | QStyle::State_MouseOver;
        if (sunken) opt.state |= QStyle::State_Sunken | QStyle::State_On;
        if (hot || pushed || !m_flat) style()->drawPrimitive(QStyle::PE_PanelButtonTool, &opt, &p, this);
    };
    panel(main, pushed && !m_arrowPressed);
    if (comboArrow) {
        const QRect arrow(width() - kArrowWidth, 0, kArrowWidth - 2, height());
        panel(arrow, pushed && m_arrowPressed);
        QStyleOption o;
        o.initFrom(this);
        o.rect = arrow;
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &o, &p, this);
    }
    const int offset = pushed && !m_arrowPressed ? 1 : 0;
    const QRect face = main.adjusted(1, 1, -1, -1);
    const bool showGlyph = m_displayMode != ppdmTextOnly;
    const bool showText = m_displayMode != ppdmGlyphOnly;
    const bool innerArrow = m_menu && !m_combo && m_dropdownArrow;
    QRect textBounds;
    m_glyph.PaintFace(p, face, textBounds, isEnabled() ? m_state : bsDisabled, innerArrow, m_spacing, m_margin,
                      blGlyphLeft, false, text(), showText, showGlyph, QPoint(offset, offset), palette());
}
