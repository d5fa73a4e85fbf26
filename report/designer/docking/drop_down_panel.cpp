#include "report/designer/docking/drop_down_panel.h"

#include "report/designer/docking/designer_bars.h"
#include "report/designer/docking/float_parent.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

TppHintTimer::TppHintTimer(Role role, QObject* parent) : QTimer(parent), m_role(role) {
    setInterval(role == Show ? 1000 : 100);
}

TppHintTimer* TppDropDownPanel::ShowTimer() {
    static QPointer<TppHintTimer> timer;
    if (!timer) {
        timer = new TppHintTimer(TppHintTimer::Show, qApp);
        timer->setObjectName(QStringLiteral("HintShowTimer"));
        QObject::connect(timer, &QTimer::timeout, timer, [] {
            if (ShowTimer()->Panel) ShowTimer()->Panel->hintTick(ShowTimer());
            else ShowTimer()->stop();
        });
    }
    return timer;
}

TppHintTimer* TppDropDownPanel::HideTimer() {
    static QPointer<TppHintTimer> timer;
    if (!timer) {
        timer = new TppHintTimer(TppHintTimer::Hide, qApp);
        timer->setObjectName(QStringLiteral("HintHideTimer"));
        QObject::connect(timer, &QTimer::timeout, timer, [] {
            if (HideTimer()->Panel) HideTimer()->Panel->hintTick(HideTimer());
            else HideTimer()->stop();
        });
    }
    return timer;
}

TppDropDownPanel::TppDropDownPanel(QWidget* form, const QString& name)
    : QFrame(form, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(name);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setMouseTracking(true);
    hide();
}

TppDropDownPanel::~TppDropDownPanel() {
    FreeTornOffWindow();
    for (TppHintTimer* t : {ShowTimer(), HideTimer()})
        if (t->Panel == this) {
            t->Panel = nullptr;
            t->stop();
        }
}

void TppDropDownPanel::SetTearOff(bool value) {
    if (value == m_tearOff) return;
    m_tearOff = value;
    const int d = value ? kTearOffHeight : -kTearOffHeight;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) child->move(child->x(), child->y() + d);
    resize(width(), height() + d);
    update();
}

void TppDropDownPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!m_tearOff) return;
    QPainter p(this);
    p.fillRect(StripRect(), palette().color(m_stripHot ? QPalette::Highlight : QPalette::Mid));
}

void TppDropDownPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tearOff) return;
    const bool over = StripRect().contains(event->position().toPoint());
    if ((event->buttons() & Qt::LeftButton) && m_stripHot && !over && !m_tearing) {
        m_stripHot = false;
        TearOffNow();
        return;
    }
    if (over != m_stripHot) {
        m_stripHot = over;
        update();
    }
}

void TppDropDownPanel::enterEvent(QEnterEvent*) {
    if (m_button)
        if (TppToolbar* bar = m_button->Toolbar()) bar->PointerBack();
    if (m_hint.isEmpty()) return;
    if (m_hintShown || QToolTip::isVisible()) {
        hintTick(ShowTimer());
        return;
    }
    ShowTimer()->Panel = this;
    ShowTimer()->start();
    HideTimer()->stop();
}

void TppDropDownPanel::leaveEvent(QEvent*) {
    if (childAt(mapFromGlobal(QCursor::pos()))) return;
    if (m_button)
        if (TppToolbar* bar = m_button->Toolbar()) bar->PointerLeft();
    if (m_hintShown) {
        ShowTimer()->stop();
        HideTimer()->Panel = this;
        HideTimer()->start();
    }
}

void TppDropDownPanel::hintTick(TppHintTimer* timer) {
    const bool overStrip = m_tearOff && StripRect().contains(mapFromGlobal(QCursor::pos()));
    if (timer->TimerRole() == TppHintTimer::Show) {
        if (!overStrip) return;
        ShowTimer()->stop();
        HideTimer()->Panel = this;
        HideTimer()->start();
        m_hintShown = true;
        QToolTip::showText(mapToGlobal(QPoint(mapFromGlobal(QCursor::pos()).x(), 17)), m_hint, this);
        return;
    }
    if (overStrip) return;
    ShowTimer()->stop();
    HideTimer()->stop();
    ShowTimer()->Panel = nullptr;
    HideTimer()->Panel = nullptr;
    m_hintShown = false;
    QToolTip::hideText();
}

void TppDropDownPanel::showEvent(QShowEvent*) {
    if (m_button) m_button->PanelShown();
}

void TppDropDownPanel::hideEvent(QHideEvent*) {
    if (m_button) m_button->PanelHidden();
}

void TppDropDownPanel::TearOffNow() {
    if (!m_tornOff) m_tornOff = CreateTornOffWindow();
    if (!m_tornOff) return;
    m_tearing = true;
    const QPoint pointer = QCursor::pos();
    m_tornOff->SetFloatLeft(pointer.x() - 10);
    m_tornOff->SetFloatTop(pointer.y() - 5);
    m_tornOff->SetDockedTo(nullptr);
    m_tornOff->SetVisible(true);
    m_tornOff->UpdateFloatShowing();
    // The copy follows the still pressed mouse, as if its caption had been pressed.
    m_tornOff->StartDrag(pointer, false);
    m_tearing = false;
    hide();
}

TppToolWindowSkiffrow* TppDropDownPanel::CreateTornOffWindow() {
    auto* form = qobject_cast<QMainWindow*>(parentWidget());
    if (!form) return nullptr;
    auto* window = new TppToolWindowSkiffrow(form, objectName() + QStringLiteral("TornOff"));
    window->SetCaption(windowTitle());
    window->SetResizable(false);
    window->SetDockableTo({});
    window->SetClientSize(QSize(contentsRect().width() + 2, height() - (m_tearOff ? kTearOffHeight : 0)));
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        QWidget* copy = CopyControl(child, window->Client());
        if (!copy) continue;
        copy->setObjectName(child->objectName());
        copy->setGeometry(child->geometry().translated(0, m_tearOff ? -kTearOffHeight + 2 : 0));
        copy->setVisible(!child->isHidden());
    }
    window->Rearrange();
    return window;
}

QWidget* TppDropDownPanel::CopyControl(QWidget* control, QWidget* parent) {
    if (auto* b = qobject_cast<TppToolbarButtonSkiffrow*>(control)) {
        auto* copy = new TppToolbarButton(parent);
        copy->SetCaption(b->Caption());
        copy->SetGlyph(b->GlyphHolder().Glyph());
        copy->SetGroupIndex(b->GroupIndex());
        copy->SetAllowAllUp(b->AllowAllUp());
        copy->SetDown(b->Down());
        copy->setToolTip(b->toolTip());
        copy->OnClick = b->OnClick;
        return copy;
    }
    if (auto* l = qobject_cast<QLabel*>(control)) return new QLabel(l->text(), parent);
    return nullptr;
}

void TppDropDownPanel::FreeTornOffWindow() {
    delete m_tornOff.data();
    m_tornOff = nullptr;
}
