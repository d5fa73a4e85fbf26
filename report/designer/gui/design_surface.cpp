#include "report/designer/gui/design_surface.h"

#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/printable.h"
#include "report/page/units.h"

#include "platform/paint/color.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

int mmToPixels(int mm, int selector) {
    return int(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, selector, nullptr));
}

/// The height of a band's caption strip.
constexpr int kStripHeight = 19;

}  // namespace

// TppWorkspace ------------------------------------------------------------------------------

TppWorkspace::TppWorkspace(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Workspace"));
    setAutoFillBackground(false);
    move(16, 16);
    m_overlay = new QWidget(this);
    m_overlay->setObjectName(QStringLiteral("SelectionLayer"));
    m_overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_overlay->setAttribute(Qt::WA_NoSystemBackground);
    m_overlay->setGeometry(rect());
}

void TppWorkspace::RaiseOverlay() { m_overlay->raise(); }

void TppWorkspace::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_overlay->setGeometry(rect());
}

void TppWorkspace::SetDisplayGrid(bool v) {
    m_displayGrid = v;
    update();
}

void TppWorkspace::SetXGridSpace(int v) {
    m_xGridSpace = v;
    update();
}

void TppWorkspace::SetYGridSpace(int v) {
    m_yGridSpace = v;
    update();
}

void TppWorkspace::SetShadeColumns(bool v) {
    m_shadeColumns = v;
    update();
}

void TppWorkspace::SetShadedRect(const QRect& r) {
    m_shadedRect = r;
    update();
}

std::vector<QPoint> TppWorkspace::GridDots() const {
    std::vector<QPoint> dots;
    // A spacing below 1 would never advance: no grid rather than an endless paint.
    if (m_xGridSpace < 1 || m_yGridSpace < 1) return dots;
    const int w = width();
    int y = 0;
    int bottom = 0;
    for (const QString& entry : BandHeights) {
        bottom += entry.toInt();
        while (y <= bottom) {
            int limit = w;
            if (m_shadeColumns && m_shadedRect.top() <= y && y <= m_shadedRect.bottom() + 1)
                limit = w - (m_shadedRect.width()) - 1;
            for (int x = 0; x <= limit; x += m_xGridSpace) dots.emplace_back(x, y);
            y += m_yGridSpace;
        }
        bottom += kStripHeight;
        y = bottom;
    }
    return dots;
}

void TppWorkspace::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), paint::ToQColor(paint::clWindow));
    if (m_shadeColumns) painter.fillRect(m_shadedRect, paint::ToQColor(paint::clBtnShadow));
    if (m_displayGrid) {
        QImage bitmap(size(), QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        QPainter dots(&bitmap);
        dots.setPen(Qt::black);
        for (const QPoint& p : GridDots()) dots.drawPoint(p);
        dots.end();
        painter.drawImage(event->rect(), bitmap, event->rect());
    }
    if (OnAfterPaint) OnAfterPaint(this);
}

// TppDesignBand -----------------------------------------------------------------------------

TppDesignBand::TppDesignBand(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SizeVerCursor);
    setGeometry(0, 0, 100, 16);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    setFont(f);
    setAutoFillBackground(false);
}

void TppDesignBand::SetCaption(const QString& v) {
    m_caption = v;
    update();
}

void TppDesignBand::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), paint::ToQColor(paint::clBtnFace));
    painter.setPen(paint::ToQColor(paint::clBtnText));
    painter.setFont(font());
    painter.drawText(rect().adjusted(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    if (OnAfterPaint) OnAfterPaint(this);
}

// TppDesignControl --------------------------------------------------------------------------

TppDesignControl::TppDesignControl(QWidget* parent) : QWidget(parent) {}

void TppDesignControl::paintEvent(QPaintEvent*) {
    if (!OnPaint) return;
    QPainter painter(this);
    const int ppi = report::ScreenPixelsPerInch();
    paint::Canvas canvas(painter, ppi, ppi);
    OnPaint(canvas);
}

void TppDesignControl::mousePressEvent(QMouseEvent* event) {
    m_mouseDownPoint = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

// TppBoundsRect -----------------------------------------------------------------------------

TppBoundsRect::TppBoundsRect(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void TppBoundsRect::StoreMMBounds(int aLeft, int aTop, int aWidth, int aHeight) {
    m_mmLeft = aLeft;
    m_mmTop = aTop;
    m_mmWidth = aWidth;
    m_mmHeight = aHeight;
}

void TppBoundsRect::SetMMBounds(int aLeft, int aTop, int aWidth, int aHeight) {
    StoreMMBounds(aLeft, aTop, aWidth, aHeight);
    setGeometry(mmToPixels(aLeft, report::kHorizontal), mmToPixels(aTop, report::kVertical),
                mmToPixels(aWidth, report::kHorizontal), mmToPixels(aHeight, report::kVertical));
}

void TppBoundsRect::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (Dotted) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    } else if (DragDisplay) {
        painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    } else {
        painter.setPen(QPen(paint::ToQColor(paint::clBtnShadow), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

// Handles -----------------------------------------------------------------------------------

TppHandleShape::TppHandleShape(int aTag, QWidget* parent) : QWidget(parent), m_tag(aTag) {
    resize(5, 5);
    hide();
}

void TppHandleShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrushColor);
    painter.setPen(PenColor);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

namespace {

const Qt::CursorShape kHandleCursors[8] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor,
                                           Qt::SizeHorCursor,   Qt::SizeHorCursor, Qt::SizeBDiagCursor,
                                           Qt::SizeVerCursor,   Qt::SizeFDiagCursor};

}  // namespace

TppSizingHandles::TppSizingHandles(QObject* owner) : QObject(owner) {
    for (int i = 0; i < 8; ++i) {
        auto* h = new TppHandleShape(i, nullptr);
        h->setObjectName(QStringLiteral("SizingHandle%1").arg(i));
        h->BrushColor = Qt::black;
        h->PenColor = Qt::black;
        h->setCursor(kHandleCursors[i]);
        m_handles[size_t(i)] = h;
    }
}

TppSizingHandles::~TppSizingHandles() {
    for (auto& h : m_handles) delete h.data();
}

void TppSizingHandles::SetColor(const QColor& c) {
    m_color = c;
    for (TppHandleShape* h : m_handles) {
        if (!h) continue;
        h->BrushColor = c;
        h->PenColor = c;
        h->update();
    }
}

void TppSizingHandles::SetParentControl(QWidget* control) {
    m_parent = control;
    if (!control) return;
    for (TppHandleShape* h : m_handles)
        if (h && h->parentWidget() != control) h->setParent(control);
}

void TppSizingHandles::Show(const QRect* rect) {
    if (!rect) return;
    const int l = rect->left(), t = rect->top(), w = rect->width(), h = rect->height();
    const int xs[3] = {l, l + w / 2, l + w};
    const int ys[3] = {t, t + h / 2, t + h};
    const QPoint points[8] = {{xs[0], ys[0]}, {xs[1], ys[0]}, {xs[2], ys[0]}, {xs[0], ys[1]},
                              {xs[2], ys[1]}, {xs[0], ys[2]}, {xs[1], ys[2]}, {xs[2], ys[2]}};
    for (int i = 0; i < 8; ++i) {
        TppHandleShape* handle = m_handles[size_t(i)];
        if (!handle) continue;
        handle->move(points[i] - QPoint(2, 2));
        handle->raise();
        handle->show();
    }
}

void TppSizingHandles::Hide() {
    for (TppHandleShape* h : m_handles)
        if (h) h->hide();
}

bool TppSizingHandles::Visible() const { return m_handles[0] && !m_handles[0]->isHidden(); }

TppSelectionHandles::TppSelectionHandles(QObject* owner) : QObject(owner) {
    for (int i = 0; i < 4; ++i) {
        auto* m = new TppHandleShape(i, nullptr);
        m->setObjectName(QStringLiteral("SelectionMark%1").arg(i));
        m->BrushColor = paint::ToQColor(paint::clSilver);
        m->PenColor = m->BrushColor;
        m->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_marks[size_t(i)] = m;
    }
}

TppSelectionHandles::~TppSelectionHandles() {
    for (auto& m : m_marks) delete m.data();
}

void TppSelectionHandles::SetParentControl(QWidget* control) {
    if (control == m_parent) return;
    m_parent = control;
    if (!control) return;
    for (TppHandleShape* m : m_marks)
        if (m) m->setParent(control);
}

void TppSelectionHandles::Show(const QRect* rect) {
    if (!rect) return;
    const int l = rect->left(), t = rect->top(), w = rect->width(), h = rect->height();
    const int mw = 5, mh = 5;
    const QPoint points[4] = {{l, t}, {l + w - mw, t}, {l, t + h - mh}, {l + w - mw, t + h - mh}};
    // The marks were stacked on top when they joined the workspace; raising them again on
    // every show costs a walk over all the workspace's controls.
    for (int i = 0; i < 4; ++i) {
        if (!m_marks[size_t(i)]) continue;
        m_marks[size_t(i)]->move(points[i]);
        m_marks[size_t(i)]->show();
    }
}

void TppSelectionHandles::Hide() {
    for (TppHandleShape* m : m_marks)
        if (m) m->hide();
}

bool TppSelectionHandles::Visible() const { return m_marks[0] && !m_marks[0]->isHidden(); }

// TppSelectionObject ------------------------------------------------------------------------

TppSelectionObject::TppSelectionObject(QObject* owner) : QObject(owner) {
    m_boundsRect = new TppBoundsRect(nullptr);
    m_selectionHandles = new TppSelectionHandles(nullptr);
}

TppSelectionObject::~TppSelectionObject() {
    if (m_sizingHandles) m_sizingHandles->Hide();
    m_printable = nullptr;
    delete m_selectionHandles;
    delete m_boundsRect.data();
}

void TppSelectionObject::SetWorkspace(QWidget* aWorkspace) {
    m_workspace = aWorkspace;
    // Outlines and marks go on the workspace's overlay layer (see TppWorkspace).
    QWidget* layer = aWorkspace;
    if (auto* ws = qobject_cast<TppWorkspace*>(aWorkspace)) layer = ws->OverlayLayer();
    m_boundsRect->setParent(layer);
    m_selectionHandles->SetParentControl(layer);
}

void TppSelectionObject::SetPrintable(TppPrintable* aPrintable) {
    m_printable = aPrintable;
    if (aPrintable) m_control = qobject_cast<TppDesignControl*>(aPrintable->DesignControl());
    if (m_control && m_printable)
        m_boundsRect->setGeometry(m_control->x(), m_control->y(), m_printable->spWidth(), m_printable->spHeight());
}

int TppSelectionObject::GetRestrictions() const { return m_control ? m_control->DesignRestrictions() : 0; }

void TppSelectionObject::SetSizingHandles(TppSizingHandles* aHandles) {
    if (aHandles && !m_sizingHandles) {
        m_selectionHandles->Hide();
        m_sizingHandles = aHandles;
        UpdateHandleColor();
        const QRect r = m_boundsRect->geometry();
        m_sizingHandles->Show(&r);
    } else if (!aHandles && m_sizingHandles) {
        m_sizingHandles->Hide();
        m_sizingHandles = nullptr;
        SetHandlesVisible(true);
    }
}

void TppSelectionObject::SetHandlesVisible(bool aShow) {
    if (!m_printable) return;
    if (aShow) {
        m_boundsRect->hide();
        const QRect r = m_boundsRect->geometry();
        if (m_sizingHandles) {
            UpdateHandleColor();
            m_sizingHandles->Show(&r);
        } else {
            m_selectionHandles->Show(&r);
        }
    } else if (m_sizingHandles) {
        m_sizingHandles->Hide();
    } else {
        m_selectionHandles->Hide();
    }
}

void TppSelectionObject::ShowBoundsRect(bool aShow) {
    if (!m_printable) return;
    if (aShow) {
        if (m_sizingHandles) m_sizingHandles->Hide();
        else m_selectionHandles->Hide();
        if (m_boundsRect->isHidden()) m_boundsRect->show();
    } else {
        m_boundsRect->hide();
    }
}

void TppSelectionObject::UpdateHandleColor() {
    if (!m_sizingHandles) return;
    QColor color = Qt::black;
    if (m_control) {
        const QColor c = m_control->Color();
        if (c == paint::ToQColor(paint::clBlack) || c == paint::ToQColor(paint::clNavy)) color = Qt::white;
    }
    if (color != m_sizingHandles->Color()) m_sizingHandles->SetColor(color);
}

void TppSelectionObject::UpdateBounds() {
    if (Tracking && m_printable && m_control)
        m_boundsRect->setGeometry(m_control->x(), m_control->y(), m_printable->spWidth(), m_printable->spHeight());
}

void TppSelectionObject::ApplyBounds() {
    if (!Tracking || !m_printable) return;
    const QRect r = m_boundsRect->geometry();
    const int bandTop = BandTopOf ? BandTopOf(m_printable) : 0;
    m_printable->SetSpBounds(r.left(), r.top() - bandTop, r.width(), r.height());
}
