#include "report/model/region.h"

#include "report/model/band_classes.h"
#include "report/model/internal/component_properties.h"
#include "report/page/units.h"

#include <algorithm>

TppCustomRegion::TppCustomRegion(TComponent* AOwner) : TppStretchable(AOwner) {
    SetDrawCommandClass(&TppDrawShape::staticMetaObject);
}

TppCustomRegion::~TppCustomRegion() {
    for (TppComponent* c : children()) c->SetRegion(nullptr);
}

std::vector<TppComponent*> TppCustomRegion::children() const {
    std::vector<TppComponent*> out;
    if (!Band()) return out;
    for (int i = 0; i < Band()->ObjectCount(); ++i)
        if (Band()->Objects(i)->Region() == this) out.push_back(Band()->Objects(i));
    return out;
}

int TppCustomRegion::ObjectCount() const { return int(children().size()); }

TppComponent* TppCustomRegion::Objects(int aIndex) const {
    const std::vector<TppComponent*> list = children();
    return aIndex >= 0 && aIndex < int(list.size()) ? list[size_t(aIndex)] : nullptr;
}

void TppCustomRegion::AddObject(TppComponent* aComponent) {
    if (!aComponent || aComponent == this || aComponent->IsRegion()) return;
    if (!Band()) {
        m_pendingChildren.push_back(aComponent);
        return;
    }
    if (aComponent->Band() != Band()) aComponent->SetBand(Band());
    aComponent->SetRegion(this);
    if (!HasState(csReading | csLoading)) aComponent->BringToFront();  // in front of the frame
    auto* stretchable = qobject_cast<TppStretchable*>(aComponent);
    if (stretchable && stretchable->Stretch() && !Stretch()) SetStretch(true);
}

void TppCustomRegion::RemoveObject(TppComponent* aComponent) {
    if (aComponent && aComponent->Region() == this) aComponent->SetRegion(nullptr);
}

bool TppCustomRegion::ChildOverFlow() const {
    for (TppComponent* c : children())
        if (c->OverFlow()) return true;
    return false;
}

void TppCustomRegion::SetPen(const paint::Pen& aPen) {
    m_pen.Value = aPen;
    InvalidateDesignControl();
}

void TppCustomRegion::SetBrush(const paint::Brush& aBrush) {
    m_brush.Value = aBrush;
    InvalidateDesignControl();
}

void TppCustomRegion::SetBand(TppBand* aBand) {
    const std::vector<TppComponent*> moving = children();
    TppStretchable::SetBand(aBand);
    for (TppComponent* c : moving) {
        c->SetBand(aBand);
        c->SetRegion(aBand ? this : nullptr);
    }
    if (!aBand) return;
    const std::vector<TppComponent*> pending = std::move(m_pendingChildren);
    m_pendingChildren.clear();
    for (TppComponent* c : pending) AddObject(c);
}

bool TppCustomRegion::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    auto* c = dynamic_cast<TppComponent*>(child.get());
    if (!c || c->IsRegion()) return false;
    child.release();
    c->setParent(Owner() ? static_cast<QObject*>(Owner()) : this);
    AddObject(c);
    return true;
}

void TppCustomRegion::Generate() {
    const bool wasDrawing = DrawComponent();
    DoPrint();
    if (!wasDrawing && Visible()) SetDrawComponent(true);
    auto* band = qobject_cast<TppCustomBand*>(Band());
    if (band && DrawComponent() && Visible()) {
        const bool continuing = OverFlow();
        const int left = band->BandLeft() + mmLeft();
        const int top = band->BandTop() + (continuing ? mmOverFlowOffset() : mmTop());
        if (!continuing && band->PrintHeight() == TppPrintHeightType::phDynamic && !Stretch() &&
            band->AvailableBottom() + 1 < top + mmHeight()) {
            SetOutOfSpace(true);
            return;
        }
        SetSpaceUsed(mmHeight());
        SetPrintRect(QRect(QPoint(left, top), QPoint(left + mmWidth(), top + mmHeight())));
        band->NotePlaced(this);
    }
    SetGenerationComplete(true);
}

void TppCustomRegion::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppStretchable::PropertiesToDrawCommand(aDrawCommand);
    auto* d = qobject_cast<TppDrawShape*>(aDrawCommand);
    if (!d) return;
    QRect r = PrintRect();
    if (Stretch()) {
        // The frame grows to what its components printed on this page.
        int bottom = r.bottom();
        for (TppComponent* c : children())
            if (c->SpaceUsed() > 0 && c->DrawComponent()) bottom = std::max(bottom, c->PrintRect().bottom());
        if (auto* band = qobject_cast<TppCustomBand*>(Band())) bottom = std::min(bottom, std::max(band->AvailableBottom(), r.top()));
        r.setBottom(bottom);
    }
    const int halfPen = m_pen.Value.Width / 2;
    const int insetX = ppToMMThousandths(TppUnitType::utScreenPixels, report::kHorizontal, nullptr, float(halfPen));
    const int insetY = ppToMMThousandths(TppUnitType::utScreenPixels, report::kVertical, nullptr, float(halfPen));
    d->SetBrush(m_brush.Value);
    d->SetPen(m_pen.Value);
    d->SetShapeType(TShapeType::stRectangle);
    d->SetLeft(r.left() + insetX);
    d->SetTop(r.top() + insetY);
    d->SetWidth(std::max(r.right() - r.left() - 2 * insetX, 0));
    d->SetHeight(std::max(r.bottom() - r.top() - 2 * insetY, 0));
    const int m = std::min(d->Width(), d->Height());
    d->SetXCornerRound(m / 4);
    d->SetYCornerRound(m / 4);
}

void TppCustomRegion::EndGenerate() {
    TppStretchable::EndGenerate();
    SetOverFlow(ChildOverFlow());
}

void TppCustomRegion::SaveToCache(int aPageNo) {
    QByteArray r(2, '\0');
    r[0] = char(DrawComponent() ? 1 : 0);
    r[1] = char(OverFlow() ? 1 : 0);
    WriteCacheRecord(aPageNo, r);
}

void TppCustomRegion::RestoreFromCache(int aPageNo) {
    QByteArray r;
    if (!ReadCacheRecord(aPageNo, r) || r.size() < 2) return;
    SetDrawComponent(r.at(0) != 0);
    SetOverFlow(r.at(1) != 0);
}

const stream::PropertyList& TppCustomRegion::StreamProperties() const {
    using T = TppCustomRegion;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        t.Object("Brush", [](const T& c) -> const report::BrushObject& { return c.m_brush; })
            .Object("Pen", [](const T& c) -> const report::PenObject& { return c.m_pen; })
            .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false);
        report::internal::AddParentSizeProperties(t);
        report::internal::AddPlacementProperties(t);
        return t;
    }(TppStretchable::StreamProperties());
    return table;
}

TppRegion::TppRegion(TComponent* AOwner) : TppCustomRegion(AOwner) {}
