#include "report/designer/gui/ruler.h"

#include "report/designer/gui/designer_texts.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/paint/color.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

/// The menu's unit items: caption number and units.
struct UnitItem {
    int text;
    TppUnitType units;
    const char* name;
};
const UnitItem kUnitItems[] = {{387, TppUnitType::utScreenPixels, "mniScreenPixels"},
                               {388, TppUnitType::utPrinterPixels, "mniPrinterPixels"},
                               {152, TppUnitType::utInches, "mniInches"},
                               {153, TppUnitType::utMillimeters, "mniMillimeters"},
                               {389, TppUnitType::utMMThousandths, "mniMMThousandths"}};

}  // namespace

TppRuler::TppRuler(QWidget* parent) : QWidget(parent) {
    report::DeclareDesignerTexts();
    setMouseTracking(true);
    const int ppi = report::ScreenPixelsPerInch();
    m_pixelsPerTick = std::lround(ppi / 8.0);
    m_ticksPerLabel = 8;
    m_unitsPerTick = 1.0 / 8;
    m_halfTicks = true;
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(8);
    setFont(f);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("RulerMenu"));
    for (const UnitItem& item : kUnitItems) {
        QAction* a = m_menu->addAction(ppGetMessageText(item.text));
        a->setObjectName(QString::fromLatin1(item.name));
        a->setProperty("Tag", item.text);
        a->setCheckable(true);
        const TppUnitType units = item.units;
        connect(a, &QAction::triggered, this, [this, units] { SetUnits(units); });
    }
    m_menu->addSeparator();
    QAction* hide = m_menu->addAction(ppGetMessageText(225));
    hide->setObjectName(QStringLiteral("mniHide"));
    hide->setProperty("Tag", 225);
    connect(hide, &QAction::triggered, this, [this] {
        if (OnHide) OnHide(this);
    });
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        for (const UnitItem& item : kUnitItems)
            if (QAction* a = m_menu->findChild<QAction*>(QString::fromLatin1(item.name)))
                a->setChecked(item.units == m_units);
    });
}

void TppRuler::SetDualGuides(bool v) {
    m_dualGuides = v;
    update();
}

void TppRuler::SetOrientation(TppRulerOrientationType v) {
    m_orientation = v;
    update();
}

void TppRuler::SetLanguage(TppLanguageType aLanguage) {
    m_language = aLanguage;
    for (QAction* a : m_menu->actions()) {
        const int tag = a->property("Tag").toInt();
        if (tag > 0) a->setText(ppGetMessageText(tag));
    }
}

void TppRuler::computeScale() {
    const double ppi = report::ScreenPixelsPerInch();
    const double ppcm = ppi / 2.54;
    switch (m_units) {
    case TppUnitType::utScreenPixels:
        m_ticksPerLabel = int(std::lround(ppi / 10));
        m_pixelsPerTick = ppi / m_ticksPerLabel;
        m_unitsPerTick = ppi / m_ticksPerLabel;
        m_halfTicks = true;
        break;
    case TppUnitType::utInches:
        m_ticksPerLabel = 8;
        m_pixelsPerTick = ppi / 8;
        m_unitsPerTick = 1.0 / 8;
        m_halfTicks = true;
        break;
    case TppUnitType::utMillimeters:
        m_ticksPerLabel = 4;
        m_pixelsPerTick = ppcm / 4;
        m_unitsPerTick = 2.5;
        m_halfTicks = false;
        break;
    case TppUnitType::utPrinterPixels: {
        const report::PrinterResolution* printer = nullptr;
        if (OnGetPrinter) OnGetPrinter(this, printer);
        int dpi = int(ppi);
        if (printer)
            dpi = m_orientation == TppRulerOrientationType::roHorizontal ? printer->PixelsPerInchX()
                                                                          : printer->PixelsPerInchY();
        m_ticksPerLabel = 10;
        m_pixelsPerTick = ppi / 10;
        m_unitsPerTick = dpi / 10.0;
        m_halfTicks = true;
        break;
    }
    case TppUnitType::utMMThousandths:
        m_ticksPerLabel = 5;
        m_pixelsPerTick = ppcm / 5;
        m_unitsPerTick = 2000;
        m_halfTicks = false;
        break;
    }
}

void TppRuler::SetUnits(TppUnitType aValue) {
    if (aValue == m_units) return;
    m_units = aValue;
    computeScale();
    update();
    if (OnSetUnits) OnSetUnits(this);
}

TppRuler::Layout TppRuler::layout() const {
    const int ppi = report::ScreenPixelsPerInch();
    const int strip = int(std::lround(ppi * 0.1354));
    Layout l{};
    if (m_orientation == TppRulerOrientationType::roHorizontal) {
        l.thickness = strip;
        l.margin = (height() - strip) / 2;
        l.guideLength = strip;
        l.stripStart = 0;  // along the ruler: the workspace's first pixel
        l.stripEnd = width();
    } else {
        l.thickness = strip;
        l.margin = (width() - strip) / 2;
        l.guideLength = int(std::lround(ppi * 0.1458));
        l.stripStart = 0;  // along the ruler: the band area's top
        l.stripEnd = height();
    }
    return l;
}

std::vector<TppRuler::Tick> TppRuler::Ticks() const {
    std::vector<Tick> ticks;
    const Layout l = layout();
    for (int i = 0;; ++i) {
        const int p = l.stripStart + int(std::lround(i * m_pixelsPerTick));
        if (p >= l.stripEnd + m_offset) break;
        Tick t{i, p - m_offset, 0, {}};
        const bool full = i % m_ticksPerLabel == 0;
        if (full) {
            t.length = l.thickness;
            const double value = i * m_unitsPerTick;
            if (value >= 10000) t.label = QString::number(std::lround(value / 1000)) + QLatin1Char('k');
            else t.label = QString::number(std::lround(value));
            t.label = t.label.left(10);
        } else if (m_halfTicks && m_ticksPerLabel / 2 > 0 && i % (m_ticksPerLabel / 2) == 0) {
            t.length = l.thickness / 2;
        } else {
            t.length = l.thickness / 4;
        }
        ticks.push_back(t);
    }
    return ticks;
}

void TppRuler::paintEvent(QPaintEvent*) {
    if (!isVisible() || !isEnabled()) return;
    QPainter painter(this);
    const Layout l = layout();
    const bool horizontal = m_orientation == TppRulerOrientationType::roHorizontal;
    painter.fillRect(rect(), Color);
    const QColor window = paint::ToQColor(paint::clWindow);
    if (horizontal) painter.fillRect(QRect(0, l.margin, width(), height() - 2 * l.margin), window);
    else painter.fillRect(QRect(l.margin, 0, width() - 2 * l.margin, height()), window);
    painter.setFont(font());
    const QColor ink = paint::ToQColor(paint::clBtnText);
    painter.setPen(QPen(ink, 1));
    const QFontMetrics fm(font());
    for (const Tick& t : Ticks()) {
        if (!t.label.isEmpty()) {
            if (horizontal) {
                painter.drawText(t.position + 2, l.margin + l.thickness - fm.descent(), t.label);
            } else {
                int y = t.position + 2;
                for (const QChar ch : t.label) {
                    const int w = fm.horizontalAdvance(ch);
                    painter.drawText(width() - l.margin - 2 - w, y + fm.ascent(), QString(ch));
                    y += fm.height() - 2;
                }
            }
        }
        if (t.position >= 0 && t.index > 0) {
            if (horizontal) painter.drawLine(t.position, l.margin, t.position, l.margin + t.length - 1);
            else painter.drawLine(l.margin, t.position, l.margin + t.length - 1, t.position);
        }
    }
    if (m_borderStyle == bsSingle) {
        painter.setPen(m_ctl3D ? paint::ToQColor(paint::clBtnShadow) : ink);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(QPen(ink, 1));
    }
    // Guides: lines across the strip drawn inverting what lies under them.
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    for (int g : {m_guide1, m_dualGuides ? m_guide2 : -1}) {
        if (g < 0) continue;
        if (horizontal) painter.drawLine(g, l.margin, g, l.margin + l.guideLength - 1);
        else painter.drawLine(l.margin, g, l.margin + l.guideLength - 1, g);
    }
    painter.end();
    if (OnPaint) OnPaint(this);
}

void TppRuler::SetGuides(int aFirst, int aSecond) {
    const Layout l = layout();
    auto place = [&](int v) {
        if (v < 0) return v;
        if (m_orientation == TppRulerOrientationType::roHorizontal) return std::max(v, l.stripStart);
        return std::min(v, l.stripEnd);
    };
    const int first = place(aFirst);
    const int second = m_dualGuides ? place(aSecond) : m_guide2;
    if (first == m_guide1 && second == m_guide2) return;
    m_guide1 = first;
    m_guide2 = second;
    update();
}

void TppRuler::ClearGuides() {
    if (m_guide1 == -1 && m_guide2 == -1) return;
    m_guide1 = -1;
    m_guide2 = -1;
    update();
}

void TppRuler::ScrollBy(int aDelta) {
    const int offset = std::max(0, m_offset + aDelta);
    if (offset == m_offset) return;
    m_offset = offset;
    update();
}

void TppRuler::ResetScroll() {
    m_offset = 0;
    update();
}

void TppRuler::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dualGuides) {
        const QPoint p = event->position().toPoint();
        SetGuides(m_orientation == TppRulerOrientationType::roHorizontal ? p.x() : p.y(), -1);
    }
    QWidget::mouseMoveEvent(event);
}

void TppRuler::contextMenuEvent(QContextMenuEvent* event) { m_menu->popup(event->globalPos()); }
