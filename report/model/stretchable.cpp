#include "report/model/stretchable.h"

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
