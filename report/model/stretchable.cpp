#include "report/model/stretchable.h"

#include "report/model/band_classes.h"
#include "report/model/errors.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/stream/property_table.h"

#include <algorithm>

TppStretchable::TppStretchable(TComponent* AOwner) : TppComponent(AOwner) {}

TppStretchable::~TppStretchable() {
    if (m_shiftRelativeTo) m_shiftRelativeTo->RemoveShiftDependent(this);
    m_shiftRelativeTo = nullptr;
    for (TppStretchable* d : m_dependents) d->m_shiftRelativeTo = nullptr;
    m_dependents.clear();
}

void TppStretchable::AddShiftDependent(TppStretchable* aComponent) {
    if (std::find(m_dependents.begin(), m_dependents.end(), aComponent) == m_dependents.end()) {
        m_dependents.push_back(aComponent);
        AddNotify(aComponent);
    }
}

void TppStretchable::RemoveShiftDependent(TppStretchable* aComponent) {
    m_dependents.erase(std::remove(m_dependents.begin(), m_dependents.end(), aComponent), m_dependents.end());
}

void TppStretchable::SetStretch(bool v) {
    if (HasState(csReading | csLoading)) {
        m_stretch = v;
        return;
    }
    if (!v && !m_dependents.empty()) return;
    m_stretch = v;
    if (v) {
        SetReprintOnOverFlow(false);
        SetShiftWithParent(false);
        SetStretchWithParent(false);
        if (Band() && Band()->PrintHeight() == TppPrintHeightType::phStatic) Band()->SetPrintHeight(TppPrintHeightType::phDynamic);
    }
    InvalidateDesignControl();
}

bool TppStretchable::IsValidShiftAnchor(const TppStretchable* aCandidate) const {
    for (const TppStretchable* s = aCandidate; s; s = s->m_shiftRelativeTo)
        if (s == this) return false;
    return true;
}

void TppStretchable::SetShiftRelativeTo(TppStretchable* aAnchor) {
    if (aAnchor == m_shiftRelativeTo) return;
    if (!IsValidShiftAnchor(aAnchor)) throw EInvalidPropertyError(report::MessageText(342));
    if (m_shiftRelativeTo) m_shiftRelativeTo->RemoveShiftDependent(this);
    m_shiftRelativeTo = aAnchor;
    if (aAnchor) {
        aAnchor->AddShiftDependent(this);
        if (!HasState(csReading | csLoading)) {
            aAnchor->SetStretch(true);
            SetReprintOnOverFlow(false);
            SetShiftWithParent(false);
            SetStretchWithParent(false);
        }
    }
    InvalidateDesignControl();
}

void TppStretchable::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppComponent::Notify(aCommunicator, aOperation);
    if (aOperation != ppopRemove) return;
    if (aCommunicator == m_shiftRelativeTo) m_shiftRelativeTo = nullptr;
    m_dependents.erase(std::remove(m_dependents.begin(), m_dependents.end(), aCommunicator), m_dependents.end());
}

const stream::PropertyList& TppStretchable::StreamProperties() const {
    using T = TppStretchable;
    static const auto table = stream::PropertyTable<T>(TppComponent::StreamProperties())
        .Reference("ShiftRelativeTo", &T::ShiftRelativeTo, [](T& c, TppStretchable* a) { c.SetShiftRelativeTo(a); })
        .Boolean("Stretch", &T::Stretch, &T::SetStretch, false);
    return table;
}

void TppStretchable::DefineProperties(stream::Filer& filer) {
    TppComponent::DefineProperties(filer);
    const struct {
        const char* name;
        int TppStretchable::*field;
    } lengths[] = {{"mmBottomOffset", &TppStretchable::m_mmBottomOffset},
                   {"mmOverFlowOffset", &TppStretchable::m_mmOverFlowOffset},
                   {"mmStopPosition", &TppStretchable::m_mmStopPosition}};
    for (const auto& l : lengths) {
        int TppStretchable::*field = l.field;
        filer.DefineProperty(
            QString::fromLatin1(l.name), [this, field](const stream::Value& v) { this->*field = ppReadMMValue(v); },
            [this, field] { return stream::Value::Integer(this->*field); }, true);
    }
}

// Generation ----------------------------------------------------------------------------------

bool TppStretchable::Stretching() const {
    const TppBand* band = Band();
    return (band && band->PrintHeight() == TppPrintHeightType::phDynamic && m_stretch) || m_mmStopPosition != 0;
}

void TppStretchable::ResetGeneration() {
    TppComponent::ResetGeneration();
    SetOverFlow(false);
    m_selfDone = false;
    for (TppStretchable* d : m_dependents) d->ResetGeneration();
}

void TppStretchable::Generate() {
    auto* band = qobject_cast<TppCustomBand*>(Band());
    const bool continuing = OverFlow();
    DoPrint();
    if (!band || !DrawComponent() || !Visible()) {
        SetSpaceUsed(0);
        SetGenerationComplete(true);
        return;
    }
    const int left = band->BandLeft() + mmLeft();
    int top = band->BandTop() + mmTop();
    int limit = band->AvailableBottom();
    if (m_shiftRelativeTo) {
        const TppStretchable* a = m_shiftRelativeTo;
        top = continuing ? a->CurrentPosition() : a->CurrentPosition() + mmTop() - a->mmTop() - a->mmHeight();
        limit = a->PageBottom() + a->mmBottomOffset();
    } else if (continuing || m_selfDone) {
        top = band->RunningBottom() + m_mmOverFlowOffset;
    }
    if (m_mmStopPosition != 0) limit = std::min(limit, band->BandTop() + m_mmStopPosition);
    m_pageBottom = limit - m_mmBottomOffset;
    m_currentPosition = top;
    SetSpaceUsed(0);
    if (!m_selfDone) {
        const bool stretching = Stretching();
        const int height = stretching ? 0 : mmHeight();
        if (top + height > m_pageBottom + 1) {
            SetOutOfSpace(true);
            return;
        }
        SetOverFlow(false);
        SetPrintRect(QRect(QPoint(left, top), QPoint(left + mmWidth(), stretching ? m_pageBottom : top + height)));
        if (!stretching) SetSpaceUsed(height);
        CalcSpaceUsed();
        SetPrintRect(QRect(QPoint(left, top), QPoint(left + mmWidth(), top + SpaceUsed())));
        if (SpaceUsed() > 0) SetSpaceUsed(SpaceUsed() + m_mmBottomOffset);
        m_currentPosition = top + SpaceUsed();
        if (SpaceUsed() > 0) band->NotePlaced(this);
        if (!OverFlow()) m_selfDone = true;
    }
    bool complete = m_selfDone;
    if (m_selfDone) {
        for (TppStretchable* d : m_dependents) {
            if (d->GenerationComplete()) continue;  // printed on an earlier page
            if (!d->OverFlow() && !d->m_selfDone) d->BeforeGenerate();
            d->SetOutOfSpace(false);
            d->Generate();
            if (d->OutOfSpace() || !d->GenerationComplete()) complete = false;
            if (!d->OutOfSpace()) m_currentPosition = std::max(m_currentPosition, d->CurrentPosition());
        }
        if (m_currentPosition > top + SpaceUsed()) SetSpaceUsed(m_currentPosition - top);
    }
    SetGenerationComplete(complete);
}

QByteArray TppStretchable::StretchableCacheRecord() const {
    QByteArray r(kStretchableRecordSize, 0);
    r[0] = char(DrawComponent());
    r[1] = char(GenerationComplete());
    r[2] = char(OverFlow());
    r[3] = char(m_selfDone);
    return r;
}

void TppStretchable::TakeStretchableCacheRecord(const QByteArray& aRecord) {
    if (aRecord.size() < kStretchableRecordSize) return;
    SetDrawComponent(aRecord.at(0) != 0);
    SetGenerationComplete(aRecord.at(1) != 0);
    SetOverFlow(aRecord.at(2) != 0);
    m_selfDone = aRecord.at(3) != 0;
}

void TppStretchable::SaveToCache(int aPageNo) { WriteCacheRecord(aPageNo, StretchableCacheRecord()); }

void TppStretchable::RestoreFromCache(int aPageNo) {
    QByteArray record = StretchableCacheRecord();
    if (ReadCacheRecord(aPageNo, record)) TakeStretchableCacheRecord(record);
}

void TppStretchable::CreatePopupMenu(TppPopupMenuItems& aMenu) { TppComponent::CreatePopupMenu(aMenu); }

void TppStretchable::PopupMenuPopup(TppPopupMenuItems& aMenu) { TppComponent::PopupMenuPopup(aMenu); }
