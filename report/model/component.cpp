#include "report/model/component.h"

#include <QCoreApplication>

#include "report/model/custom_report.h"
#include "report/model/group.h"
#include "report/model/band_classes.h"
#include "report/page/resource_manager.h"

#include "platform/stream/property_table.h"

#include <algorithm>

TppComponent::TppComponent(TComponent* AOwner) : TppPrintable(AOwner) {}

TppComponent::~TppComponent() {
    SetComponentState(csDestroying, true);
    SendDesignerMessage(report::PPM_COMPONENT_DESTROYING, report::kDesignerMarker, qintptr(this));
    if (m_region) {
        RemoveNotify(m_region);
        m_region = nullptr;
    }
    if (m_band) {
        TppBand* band = m_band;
        m_band = nullptr;
        band->RemoveObject(this);
    }
}

TppCommunicator* TppComponent::ParentCommunicator() const {
    if (m_region) return m_region;
    return m_band;
}

TppComponent* TppComponent::NextSibling() const {
    if (!m_band) return nullptr;
    TppComponent* next = m_band->Objects(Index() + 1);
    return next && next->m_region == m_region ? next : nullptr;
}

TppCommunicator* TppComponent::ComponentParent() const { return m_region ? static_cast<TppCommunicator*>(m_region) : m_band; }

int TppComponent::Index() const { return m_band ? m_band->IndexOfObject(this) : -1; }

int TppComponent::ParentIndex() const {
    if (!m_band) return -1;
    if (!m_region) return Index();
    int i = 0;
    for (int k = 0; k < m_band->ObjectCount(); ++k) {
        TppComponent* c = m_band->Objects(k);
        if (c == this) return i;
        if (c->m_region == m_region) ++i;
    }
    return -1;
}

TppCustomReport* TppComponent::GetOwnerReport() const { return m_band ? m_band->Report() : nullptr; }

TppCustomReport* TppComponent::GetReport() const {
    TppCustomReport* r = GetOwnerReport();
    return r ? r->GetMainReport() : nullptr;
}

void TppComponent::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppPrintable::PropertiesToDrawCommand(aDrawCommand);
    aDrawCommand->SetBand(m_band);
}

QObject* TppComponent::GetDesigner() const {
    TppCustomReport* r = GetOwnerReport();
    if (!r) return nullptr;
    const TppCustomReport* main = r->GetMainReport();
    if (main && main->Printing()) return nullptr;
    return r->ReportDesigner();
}

int TppComponent::GetLanguageIndex() const {
    TppCustomReport* r = GetOwnerReport();
    return r ? r->LanguageIndex() : 0;
}

bool TppComponent::IsPrinting() const {
    const TppCustomReport* main = GetReport();
    return main && main->Printing();
}

void TppComponent::Reset() {
    if (TppCustomReport* r = GetOwnerReport()) r->Reset();
}

void TppComponent::SetBand(TppBand* aBand) {
    if (m_band == aBand) return;
    if (m_band) {
        TppBand* old = m_band;
        m_band = nullptr;
        old->RemoveObject(this);
    }
    m_band = aBand;
    if (!m_band) {
        DestroyDesignControl();
    } else {
        SetUnits(m_band->Units());
        m_band->AddObject(this);
        if (!HasState(csReading | csLoading)) RecalcParentSize();
        if (m_band->State() & ppsShowData)
            AddState(ppsShowData);
        else
            RemoveState(ppsShowData);
        m_bandType = m_band->BandType();
        auto* groupBand = qobject_cast<TppGroupBand*>(m_band);
        m_groupNo = groupBand ? groupBand->GroupIndex() : -1;
    }
    if (HasState(csReading | csLoading)) return;
    PropertyChange();
    Reset();
}

void TppComponent::SetRegion(TppComponent* aRegion) {
    if (aRegion && !aRegion->IsRegion()) return;
    if (aRegion == m_region) return;
    if (m_region) RemoveNotify(m_region);
    m_region = aRegion;
    if (m_region) AddNotify(m_region);
    if (ParentWidth() || ParentHeight()) RecalcParentSize();
    if (HasState(csReading | csLoading)) return;
    PropertyChange();
    Reset();
}

void TppComponent::SetParentDataPipeline(bool aValue) {
    m_parentDataPipeline = aValue;
    if (aValue && m_band && m_band->GetDataPipeline() != DataPipeline()) TppPrintable::SetDataPipeline(m_band->GetDataPipeline());
}

void TppComponent::SetDataPipeline(TppDataPipeline* aPipeline) {
    TppPrintable::SetDataPipeline(aPipeline);
    if (HasState(csReading | csLoading) || (State() & ppsTemplateLoading)) return;
    if (m_parentDataPipeline && m_band && aPipeline != m_band->GetDataPipeline()) m_parentDataPipeline = false;
}

void TppComponent::SetResetGroup(TppGroup* aGroup) {
    if (aGroup == m_resetGroup) return;
    if (m_resetGroup) {
        m_resetGroup->RemoveEventNotify(this);
        RemoveNotify(m_resetGroup);
    }
    m_resetGroup = aGroup;
    if (m_resetGroup) m_resetGroup->AddEventNotify(this);
    if (HasState(csReading | csLoading)) return;
    PropertyChange();
    Reset();
}

void TppComponent::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppPrintable::Notify(aCommunicator, aOperation);
    if (aOperation != ppopRemove) return;
    if (aCommunicator == m_region) m_region = nullptr;
    if (aCommunicator == m_resetGroup) m_resetGroup = nullptr;
}

void TppComponent::ChangeOwner(TComponent* aNewOwner) { TppPrintable::ChangeOwner(aNewOwner); }

QRect TppComponent::GetParentBounds() const {
    if (m_region)
        return QRect(QPoint(m_region->mmLeft(), m_region->mmTop()),
                     QPoint(m_region->mmLeft() + m_region->mmWidth(), m_region->mmTop() + m_region->mmHeight()));
    if (m_band) return QRect(QPoint(0, 0), QPoint(m_band->mmWidth(), m_band->mmHeight()));
    return QRect(QPoint(mmLeft(), mmTop()), QPoint(mmLeft() + mmWidth(), mmTop() + mmHeight()));
}

void TppComponent::RecalcParentSize() {
    if (HasState(csReading | csLoading) || (!ParentWidth() && !ParentHeight())) return;
    const QRect r = GetParentBounds();
    const int width = r.right() - r.left();
    const int height = r.bottom() - r.top();
    if (ParentWidth() && ParentHeight())
        TppPrintable::SetmmBounds(r.left(), r.top(), height, width);
    else if (ParentWidth())
        TppPrintable::SetmmBounds(r.left(), mmTop(), mmHeight(), width);
    else
        TppPrintable::SetmmBounds(mmLeft(), r.top(), height, mmWidth());
}

void TppComponent::BringToFront() {
    if (m_band) m_band->BringToFront(this);
}

void TppComponent::CreatePopupMenu(TppPopupMenuItems& aMenu) {
    static const bool declared = [] {
        report::DeclareTexts({{161, "Bring to Front"}, {177, "Send to Back"}, {247, "Visible"}, {386, "Position..."}});
        return true;
    }();
    Q_UNUSED(declared);
    aMenu.AddItem(10, QStringLiteral("BringToFront"), 161, ppGetMessageText(161));
    aMenu.AddItem(10, QStringLiteral("SendToBack"), 177, ppGetMessageText(177));
    aMenu.AddItem(20, QStringLiteral("mniLine1"), 0, QStringLiteral("-"));
    aMenu.AddItem(30, QStringLiteral("Position"), 386, ppGetMessageText(386));
    aMenu.AddItem(30, QStringLiteral("Visible"), 247, ppGetMessageText(247));
}

void TppComponent::PopupMenuPopup(TppPopupMenuItems& aMenu) {
    QPointer<TppComponent> self(this);
    if (TppPopupMenuItem* item = aMenu.ItemByName(QStringLiteral("BringToFront")))
        item->OnClick = [self] { if (self) self->BringToFront(); };
    if (TppPopupMenuItem* item = aMenu.ItemByName(QStringLiteral("SendToBack")))
        item->OnClick = [self] { if (self) self->SendToBack(); };
    if (TppPopupMenuItem* item = aMenu.ItemByName(QStringLiteral("Visible"))) {
        item->Checked = Visible();
        item->OnClick = [self] { if (self) self->SetVisible(!self->Visible()); };
    }
}

void TppComponent::SendToBack() {
    if (m_band) m_band->SendToBack(this);
    PropertyChange();
}

// Geometry ------------------------------------------------------------------------------------

void TppComponent::SetmmLeft(int v) {
    if (ParentWidth()) return;
    v = std::max(v, 0);
    if (m_band) v = std::min(v, m_band->mmWidth());
    if (v == mmLeft()) return;
    TppPrintable::SetmmLeft(v);
}

void TppComponent::SetmmTop(int v) {
    if (ParentHeight()) return;
    v = std::max(v, 0);
    if (m_band && (State() & ppsDesignControl) && !IsPrinting()) v = std::min(v, m_band->mmHeight());
    if (v == mmTop()) return;
    TppPrintable::SetmmTop(v);
}

void TppComponent::SetmmWidth(int v) {
    if (ParentWidth()) return;
    TppPrintable::SetmmWidth(std::max(v, 0));
}

void TppComponent::SetmmHeight(int v) {
    if (ParentHeight()) return;
    TppPrintable::SetmmHeight(std::max(v, 0));
}

void TppComponent::SetmmBounds(int aLeft, int aTop, int aHeight, int aWidth) {
    if (m_band && (State() & ppsDesignControl) && !IsPrinting()) {
        aTop = std::clamp(aTop, 0, std::max(m_band->mmHeight(), 0));
        aLeft = std::clamp(aLeft, 0, std::max(m_band->mmWidth(), 0));
    }
    TppPrintable::SetmmBounds(aLeft, aTop, aHeight, aWidth);
}

// Stream --------------------------------------------------------------------------------------

const stream::PropertyList& TppComponent::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppComponent>(TppPrintable::StreamProperties());
    return table;
}

void TppComponent::DefineProperties(stream::Filer& filer) {
    TppPrintable::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("BandType"),
        [this](const stream::Value& v) {
            if (!m_band && v.IsInteger() && v.AsInteger() >= 0 && v.AsInteger() <= 9) m_bandType = TppBandType(v.AsInteger());
        },
        [this] { return stream::Value::Integer(int(m_bandType)); }, true);
    filer.DefineProperty(
        QStringLiteral("GroupNo"),
        [this](const stream::Value& v) {
            if (!m_band && v.IsInteger()) m_groupNo = int(v.AsInteger());
        },
        [this] { return stream::Value::Integer(m_groupNo); }, m_groupNo >= 0);
}

void TppComponent::GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const {
    if (!IsRegion() || !m_band) return;
    for (int i = 0; i < m_band->ObjectCount(); ++i)
        if (m_band->Objects(i)->m_region == this) proc(*m_band->Objects(i));
}

void TppComponent::ProcessMessages() {
    TppCustomReport* r = m_band ? m_band->Report() : nullptr;
    if (r && r->EnableProcessMessages()) QCoreApplication::processEvents();
}

QString TppComponent::GetStatusMessage() const {
    TppCustomReport* r = m_band ? m_band->Report() : nullptr;
    return r ? r->StatusMessage() : QString();
}

void TppComponent::SetStatusMessage(const QString& aText) {
    if (TppCustomReport* r = m_band ? m_band->Report() : nullptr) r->SetStatusMessage(aText);
}
