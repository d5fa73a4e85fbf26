#include "report/model/graphic_components.h"

#include "report/model/internal/component_properties.h"
#include "report/page/units.h"

#include <algorithm>
#include <cmath>

TppCustomGraphic::TppCustomGraphic(TComponent* AOwner) : TppCustomComponent(AOwner) {}

void TppCustomGraphic::SetPen(const paint::Pen& aPen) {
    m_pen.Value = aPen;
    GraphicChanged();
}

void TppCustomGraphic::SetBrush(const paint::Brush& aBrush) {
    m_brush.Value = aBrush;
    GraphicChanged();
}

void TppCustomGraphic::GraphicChanged() {
    if (HasState(csReading | csLoading)) return;
    InvalidateDesignControl();
    PropertyChange();
}

TppShape::TppShape(TComponent* AOwner) : TppCustomGraphic(AOwner) {
    SetDrawCommandClass(&TppDrawShape::staticMetaObject);
}

void TppShape::SetShape(TShapeType v) {
    m_shape = v;
    GraphicChanged();
}

void TppShape::GraphicChanged() {
    TppCustomGraphic::GraphicChanged();
    const bool clear = m_brush.Value.Style == paint::TBrushStyle::bsClear;
    if (clear != Transparent()) SetTransparent(clear);
}

void TppShape::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppCustomGraphic::PropertiesToDrawCommand(aDrawCommand);
    auto* d = qobject_cast<TppDrawShape*>(aDrawCommand);
    if (!d) return;
    // The shape's geometry in screen pixels, as on the design surface, then back in
    // mm-thousandths within the print rectangle.
    const QRect r = PrintRect();
    const int w = ppToScreenPixels(TppUnitType::utMMThousandths, report::kHorizontal, nullptr, float(r.right() - r.left()));
    const int h = ppToScreenPixels(TppUnitType::utMMThousandths, report::kVertical, nullptr, float(r.bottom() - r.top()));
    const int half = m_pen.Value.Width / 2;
    int left = half, top = half, right = w - half, bottom = h - half;
    const int m = std::min(w, h);
    const bool square = m_shape == TShapeType::stSquare || m_shape == TShapeType::stRoundSquare || m_shape == TShapeType::stCircle;
    if (square) {
        left += (w - m) / 2;
        right -= (w - m) / 2;
        top += (h - m) / 2;
        bottom -= (h - m) / 2;
    }
    auto mmX = [](int px) { return ppToMMThousandths(TppUnitType::utScreenPixels, report::kHorizontal, nullptr, float(px)); };
    auto mmY = [](int px) { return ppToMMThousandths(TppUnitType::utScreenPixels, report::kVertical, nullptr, float(px)); };
    d->SetBrush(m_brush.Value);
    d->SetPen(m_pen.Value);
    d->SetLeft(r.left() + mmX(left));
    d->SetTop(r.top() + mmY(top));
    d->SetWidth(mmX(right) - mmX(left));
    d->SetHeight(mmY(bottom) - mmY(top));
    TShapeType kind = m_shape;
    if (kind == TShapeType::stSquare) kind = TShapeType::stRectangle;
    if (kind == TShapeType::stRoundSquare) kind = TShapeType::stRoundRect;
    if (kind == TShapeType::stCircle) kind = TShapeType::stEllipse;
    d->SetShapeType(kind);
    d->SetXCornerRound(mmX(m / 4));
    d->SetYCornerRound(mmY(m / 4));
}

const stream::PropertyList& TppShape::StreamProperties() const {
    using T = TppShape;
    static const QStringList shapes = EnumTypeOf(TShapeType{}).values;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        t.Object("Brush", [](const T& c) -> const report::BrushObject& { return c.m_brush; })
            .Object("Pen", [](const T& c) -> const report::PenObject& { return c.m_pen; })
            .Enum("Shape", &T::Shape, &T::SetShape, shapes, TShapeType::stRectangle);
        report::internal::AddParentSizeProperties(t);
        report::internal::AddPlacementProperties(t);
        return t;
    }(TppCustomGraphic::StreamProperties());
    return table;
}

TppLine::TppLine(TComponent* AOwner) : TppCustomGraphic(AOwner) {
    SetDrawCommandClass(&TppDrawLine::staticMetaObject);
    SetTransparent(true);
    SetWeight(0.75f);
}

void TppLine::SetPosition(TppLinePositionType v) {
    m_position = v;
    GraphicChanged();
}

void TppLine::SetStyle(TppLineStyleType v) {
    m_style = v;
    GraphicChanged();
}

void TppLine::SetWeight(float aPoints) {
    m_settingWeight = true;
    m_weight = aPoints;
    m_pen.Value.Width = int(std::nearbyint(aPoints * report::ScreenPixelsPerInch() / 72.0));
    m_rememberedPenWidth = m_pen.Value.Width;
    m_settingWeight = false;
    GraphicChanged();
}

void TppLine::GraphicChanged() {
    TppCustomGraphic::GraphicChanged();
    if (m_settingWeight || HasState(csReading | csLoading)) return;
    if (m_pen.Value.Width != m_rememberedPenWidth) {
        m_rememberedPenWidth = m_pen.Value.Width;
        m_weight = float(double(m_pen.Value.Width) / report::ScreenPixelsPerInch() * 72.0);
    }
}

void TppLine::ConvertFromVersion(int aVersion) {
    TppCustomGraphic::ConvertFromVersion(aVersion);
    if (aVersion < 3000) m_weight = float(double(m_pen.Value.Width) / report::ScreenPixelsPerInch() * 72.0);
}

void TppLine::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppCustomGraphic::PropertiesToDrawCommand(aDrawCommand);
    auto* d = qobject_cast<TppDrawLine*>(aDrawCommand);
    if (!d) return;
    const QRect r = PrintRect();
    d->SetLineStyle(m_style);
    d->SetLinePosition(m_position);
    d->SetLeft(r.left());
    d->SetTop(r.top());
    d->SetWidth(r.right() - r.left());
    d->SetHeight(r.bottom() - r.top());
    d->SetPen(m_pen.Value);
    d->SetWeight(m_weight);
}

const stream::PropertyList& TppLine::StreamProperties() const {
    using T = TppLine;
    static const QStringList positions = EnumTypeOf(TppLinePositionType{}).values;
    static const QStringList styles = EnumTypeOf(TppLineStyleType{}).values;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        t.Object("Pen", [](const T& c) -> const report::PenObject& { return c.m_pen; })
            .Enum("Position", &T::Position, &T::SetPosition, positions, TppLinePositionType::lpTop)
            .Enum("Style", &T::Style, &T::SetStyle, styles, TppLineStyleType::lsSingle)
            .Single("Weight", &T::Weight, [](T& c, float v) { c.m_weight = v; }, 0.75);
        report::internal::AddParentSizeProperties(t);
        report::internal::AddPlacementProperties(t);
        return t;
    }(TppCustomGraphic::StreamProperties());
    return table;
}
