#include "report/designer/docking/float_parent.h"

#include "report/designer/docking/custom_tool_window_skiffrow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <qdrawutil.h>

namespace skiffrow {

/// The caption strip of a floating bar: its text in the active or inactive caption colours;
/// presses drag the bar, a double-click docks it back.
class FloatCaption : public QWidget {
public:
    FloatCaption(TFloatParent* owner) : QWidget(owner), m_owner(owner) {
        setObjectName(QStringLiteral("Caption"));
        QFont f = font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        setFont(f);
        setFixedHeight(fontMetrics().height() + 3);
    }
    QString text;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const bool inactive = m_owner->Bar()->InactiveCaption();
        const QPalette pal = palette();
        p.fillRect(rect(), inactive ? pal.color(QPalette::Mid) : pal.color(QPalette::Highlight));
        p.setPen(inactive ? pal.color(QPalette::Window) : pal.color(QPalette::HighlightedText));
        QRect textRect = rect().adjusted(2, 0, -height() - 1, 0);
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                   fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        m_owner->Bar()->StartDrag(e->globalPosition().toPoint(), e->modifiers() & Qt::ControlModifier);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) m_owner->Bar()->DoubleClicked();
    }

private:
    TFloatParent* m_owner;
};

}  // namespace skiffrow

TFloatParent::TFloatParent(TppCustomToolWindowSkiffrow* bar, QWidget* form)
    : QWidget(form, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_bar(bar) {
    setObjectName(bar->Name() + QStringLiteral("Float"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_caption = new skiffrow::FloatCaption(this);
    m_close = new QToolButton(m_caption);
    m_close->setObjectName(QStringLiteral("CloseButton"));
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setFixedSize(m_caption->height() - 1, m_caption->height() - 1);
    auto* captionLayout = new QHBoxLayout(m_caption);
    captionLayout->setContentsMargins(0, 0, 1, 0);
    captionLayout->addStretch();
    captionLayout->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(FrameSize(), FrameSize(), FrameSize(), FrameSize());
    layout->setSpacing(1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_caption);
    connect(m_close, &QToolButton::clicked, this, [this] { m_bar->CloseClicked(); });
    UpdateCaption();
}

TFloatParent::~TFloatParent() { endSizing(false); }

QWidget* TFloatParent::Caption() const { return m_caption; }
int TFloatParent::CaptionHeight() const { return m_caption->height() + 1; }

void TFloatParent::Embed(QWidget* barWidget) {
    barWidget->setParent(this);
    static_cast<QVBoxLayout*>(layout())->addWidget(barWidget);
    barWidget->show();
}

void TFloatParent::Release(QWidget* barWidget) { layout()->removeWidget(barWidget); }

QSize TFloatParent::OuterSizeFor(const QSize& clientSize) const {
    return QSize(clientSize.width() + 2 * FrameSize(), clientSize.height() + 2 * FrameSize() + CaptionHeight());
}

void TFloatParent::FitToBar() {
    m_bar->BeginInternalMove();
    layout()->activate();
    adjustSize();
    m_bar->EndInternalMove();
}

void TFloatParent::UpdateCaption() {
    m_close->setVisible(m_bar->CloseButton());
    m_caption->update();
}

void TFloatParent::SetCaptionText(const QString& text) {
    m_caption->text = text;
    m_caption->update();
}

void TFloatParent::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (QWidget* form = parentWidget()) form->close();
}

void TFloatParent::moveEvent(QMoveEvent*) {
    if (m_bar->IsInternalMove()) return;
    m_bar->SetFloatLeft(pos().x());
    m_bar->SetFloatTop(pos().y());
}

int TFloatParent::sizingEdgesAt(const QPoint& p) const {
    if (!m_bar->FloatResizable()) return 0;
    int edges = 0;
    const int f = FrameSize();
    if (p.x() < f) edges |= Qt::LeftEdge;
    if (p.x() >= width() - f) edges |= Qt::RightEdge;
    if (p.y() < f) edges |= Qt::TopEdge;
    if (p.y() >= height() - f) edges |= Qt::BottomEdge;
    bool corners = true, clip = true;
    m_bar->GetSizeOptions(corners, clip);
    // Without corner sizing a corner sizes across the bar's length only.
    if (!corners && (edges & (Qt::LeftEdge | Qt::RightEdge)) && (edges & (Qt::TopEdge | Qt::BottomEdge)))
        edges &= (Qt::LeftEdge | Qt::RightEdge);
    return edges;
}

void TFloatParent::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int edges = sizingEdgesAt(event->position().toPoint());
    if (!edges) {
        m_bar->StartDrag(event->globalPosition().toPoint(), event->modifiers() & Qt::ControlModifier);
        return;
    }
    m_sizingEdges = edges;
    m_sizingStart = event->globalPosition().toPoint();
    m_sizingStartRect = geometry();
    qApp->installEventFilter(this);
}

void TFloatParent::mouseMoveEvent(QMouseEvent* event) {
    if (!m_sizingEdges) return;
    const QPoint d = event->globalPosition().toPoint() - m_sizingStart;
    QRect r = m_sizingStartRect;
    if (m_sizingEdges & Qt::LeftEdge) r.setLeft(r.left() + d.x());
    if (m_sizingEdges & Qt::RightEdge) r.setRight(r.right() + d.x());
    if (m_sizingEdges & Qt::TopEdge) r.setTop(r.top() + d.y());
    if (m_sizingEdges & Qt::BottomEdge) r.setBottom(r.bottom() + d.y());
    const QSize minClient = m_bar->GetMinimumClientSize();
    const QSize minOuter = OuterSizeFor(minClient);
    if (r.width() < minOuter.width()) {
        if (m_sizingEdges & Qt::LeftEdge) r.setLeft(r.right() - minOuter.width() + 1);
        else r.setWidth(minOuter.width());
    }
    if (r.height() < minOuter.height()) {
        if (m_sizingEdges & Qt::TopEdge) r.setTop(r.bottom() - minOuter.height() + 1);
        else r.setHeight(minOuter.height());
    }
    m_bar->SizeChanging(r.width() - 2 * FrameSize(), r.height() - 2 * FrameSize() - CaptionHeight());
    FitToBar();
    m_bar->BeginInternalMove();
    // The edge that was dragged stays under the pointer; the opposite edge stays put.
    QPoint topLeft = r.topLeft();
    if (!(m_sizingEdges & Qt::LeftEdge)) topLeft.setX(m_sizingStartRect.left());
    else topLeft.setX(r.right() + 1 - width());
    if (!(m_sizingEdges & Qt::TopEdge)) topLeft.setY(m_sizingStartRect.top());
    else topLeft.setY(r.bottom() + 1 - height());
    move(topLeft);
    m_bar->EndInternalMove();
}

void TFloatParent::mouseReleaseEvent(QMouseEvent* event) {
    if (m_sizingEdges && event->button() == Qt::LeftButton) endSizing(true);
}

bool TFloatParent::eventFilter(QObject*, QEvent* event) {
    if (m_sizingEdges && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        endSizing(false);
        return true;
    }
    return false;
}

void TFloatParent::endSizing(bool accept) {
    if (!m_sizingEdges) return;
    qApp->removeEventFilter(this);
    const QRect start = m_sizingStartRect;
    m_sizingEdges = 0;
    if (accept) {
        m_bar->SetFloatLeft(pos().x());
        m_bar->SetFloatTop(pos().y());
        m_bar->KeepOnScreen(true);
        return;
    }
    m_bar->SizeChanging(start.width() - 2 * FrameSize(), start.height() - 2 * FrameSize() - CaptionHeight());
    FitToBar();
    m_bar->BeginInternalMove();
    move(start.topLeft());
    m_bar->EndInternalMove();
}

void TFloatParent::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    qDrawShadePanel(&p, rect(), palette(), false, 1);
}
