#include "report/model/band.h"

#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/model/stretchable.h"
#include "report/page/units.h"

#include "platform/stream/property_table.h"
#include "platform/ui/dialog_service.h"

#include "report/page/resource_manager.h"

#include <algorithm>

TppBand::TppBand(TComponent* AOwner) : TppCacheable(AOwner) {}

TppBand::~TppBand() {
    SetComponentState(csDestroying, true);
    SendDesignerMessage(report::PPM_BAND_DESTROYING, this);
    m_freeingObjects = true;
    while (!m_objects.empty()) {
        TppComponent* c = m_objects.back();
        delete c;  // leaves the list in its destructor
        if (!m_objects.empty() && m_objects.back() == c) m_objects.pop_back();
    }
    m_saves.clear();
    if (m_report) {
        TppCustomReport* report = m_report;
        m_report = nullptr;
        report->RemoveBand(this);
    }
}

TppCommunicator* TppBand::ParentCommunicator() const { return m_report; }

bool TppBand::Generating() const {
    const TppCustomReport* main = m_report ? m_report->GetMainReport() : nullptr;
    return main && main->Printing();
}

void TppBand::resetReport() const {
    if (m_report) m_report->Reset();
}

void TppBand::SendDesignerMessage(int aMsg, QObject* aObject) {
    if (m_report && !HasState(csDestroying)) m_report->SendDesignerMessage(aMsg, aObject);
    else if (m_report) m_report->SendDesignerMessage(aMsg, aObject);
}

void TppBand::PostDesignerMessage(int aMsg, QObject* aObject) {
    if (m_report) m_report->PostDesignerMessage(aMsg, aObject);
}

int TppBand::Index() const { return m_report ? m_report->IndexOfBand(this) : -1; }

// Events --------------------------------------------------------------------------------------

void TppBand::DoAfterGenerate() {
    if (AfterGenerate) AfterGenerate(this);
    ppSendEventNotify(this, this, report::ciBandAfterGenerate, nullptr);
}
void TppBand::DoAfterPrint() {
    if (AfterPrint) AfterPrint(this);
    ppSendEventNotify(this, this, report::ciBandAfterPrint, nullptr);
}
void TppBand::DoBeforeGenerate() {
    if (BeforeGenerate) BeforeGenerate(this);
    ppSendEventNotify(this, this, report::ciBandBeforeGenerate, nullptr);
}
void TppBand::DoBeforePrint() {
    if (BeforePrint) BeforePrint(this);
    ppSendEventNotify(this, this, report::ciBandBeforePrint, nullptr);
}

// Report and hooks ----------------------------------------------------------------------------

void TppBand::SetCaption(const QString& aText) { m_caption = aText; }

void TppBand::SetPrintHeight(TppPrintHeightType aValue) {
    if (aValue == m_printHeight) return;
    m_printHeight = aValue;
    if (!Reading()) PropertyChange();
    resetReport();
}

void TppBand::SetReport(TppCustomReport* aReport) {
    if (aReport == m_report) return;
    if (m_report) {
        RemoveState(ppsDesignControl);
        TppCustomReport* old = m_report;
        m_report = nullptr;
        old->RemoveBand(this);
    }
    m_report = aReport;
    if (!m_report) return;
    m_report->AddBand(this);
    SetCaption(GetCaptionText());
    SetUnits(m_report->Units());
    if (m_report->State() & ppsShowData)
        AddState(ppsShowData);
    else
        RemoveState(ppsShowData);
}

void TppBand::EndReport() {
    for (TppComponent* c : m_objects) c->FinishRun();
}

void TppBand::StartReport() {
    for (TppComponent* c : m_objects) c->PrepareRun();
}

void TppBand::InitPass() {
    for (TppComponent* c : m_objects) c->InitGeneration();
}

TppDataPipeline* TppBand::GetDataPipeline() const { return m_report ? m_report->DataPipeline() : nullptr; }

void TppBand::InitComponents() {
    for (TppComponent* c : m_objects) c->ResetGeneration();
}

void TppBand::LanguageChanged() {
    SetCaption(GetCaptionText());
    for (TppComponent* c : m_objects) c->LanguageChanged();
}

void TppBand::NotifyNewPage() {
    for (TppComponent* c : m_objects) c->PageHook();
}

void TppBand::RefreshLayout() {
    for (TppComponent* c : m_objects) c->RecalcParentSize();
}

void TppBand::AddState(TppCommunicatorStates aStates) {
    TppCacheable::AddState(aStates);
    for (TppComponent* c : m_objects) c->AddState(aStates);
}

void TppBand::RemoveState(TppCommunicatorStates aStates) {
    TppCacheable::RemoveState(aStates);
    for (TppComponent* c : m_objects) c->RemoveState(aStates);
}

void TppBand::PropertyChange() {
    TppCacheable::PropertyChange();
    if (!Generating() && InDesignDisplay()) SendDesignerMessage(report::PPM_COMPONENT_CHANGED, this);
}

void TppBand::ChangeOwner(TComponent* aNewOwner) {
    TComponent* old = Owner();
    TppCacheable::ChangeOwner(aNewOwner);
    for (TppComponent* c : m_objects)
        if (c->Owner() == old) c->ChangeOwner(aNewOwner);
}

// Components ----------------------------------------------------------------------------------

TppComponent* TppBand::Objects(int aIndex) const {
    return aIndex >= 0 && aIndex < ObjectCount() ? m_objects.at(size_t(aIndex)) : nullptr;
}

int TppBand::IndexOfObject(const TppComponent* aComponent) const {
    auto it = std::find(m_objects.begin(), m_objects.end(), aComponent);
    return it == m_objects.end() ? -1 : int(it - m_objects.begin());
}

int TppBand::FindComponentByName(const QString& aName) const {
    for (int i = 0; i < ObjectCount(); ++i)
        if (m_objects.at(size_t(i))->Name() == aName) return i;
    return -1;
}

void TppBand::AddObject(TppComponent* aComponent) {
    if (!aComponent || IndexOfObject(aComponent) >= 0) return;
    m_objects.push_back(aComponent);
    if (Owner() && aComponent->Owner() != Owner()) aComponent->ChangeOwner(Owner());
    if (aComponent->IsSaved()) AddSave(aComponent);
    if (Reading() || aComponent->HasState(csReading | csLoading)) return;
    if (auto* s = qobject_cast<TppStretchable*>(aComponent); s && s->Stretch() && m_printHeight == TppPrintHeightType::phStatic)
        SetPrintHeight(TppPrintHeightType::phDynamic);
    if (aComponent->UserName().isEmpty() && m_report) {
        QString name;
        m_report->GetDefaultUserName(aComponent, name);
        aComponent->SetUserName(name);
    }
    resetReport();
    SendDesignerMessage(report::PPM_COMPONENT_ADDED, aComponent);
}

void TppBand::RemoveObject(TppComponent* aComponent) {
    const int index = IndexOfObject(aComponent);
    if (index < 0) return;
    m_objects.erase(m_objects.begin() + index);
    RemoveSave(aComponent);
    if (m_freeingObjects || HasState(csDestroying)) return;
    resetReport();
    SendDesignerMessage(report::PPM_COMPONENT_REMOVED, aComponent);
}

void TppBand::MoveObject(int aFrom, int aTo) {
    if (aFrom < 0 || aFrom >= ObjectCount()) return;
    aTo = std::clamp(aTo, 0, ObjectCount() - 1);
    if (aFrom == aTo) return;
    TppComponent* c = m_objects.at(size_t(aFrom));
    m_objects.erase(m_objects.begin() + aFrom);
    m_objects.insert(m_objects.begin() + aTo, c);
    if (InDesignDisplay() && !Generating()) PostDesignerMessage(report::PPM_COMPONENT_ORDER_CHANGED, c);
}

void TppBand::BringToFront(TppComponent* aComponent) {
    const int index = IndexOfObject(aComponent);
    if (index < 0) return;
    m_objects.erase(m_objects.begin() + index);
    m_objects.push_back(aComponent);
    SendDesignerMessage(report::PPM_COMPONENT_ORDER_CHANGED, aComponent);
    resetReport();
}

void TppBand::SendToBack(TppComponent* aComponent) {
    const int index = IndexOfObject(aComponent);
    if (index < 0) return;
    m_objects.erase(m_objects.begin() + index);
    m_objects.insert(m_objects.begin(), aComponent);
    SendDesignerMessage(report::PPM_COMPONENT_ORDER_CHANGED, aComponent);
    resetReport();
}

TppComponent* TppBand::Saves(int aIndex) const {
    return aIndex >= 0 && aIndex < SaveCount() ? m_saves.at(size_t(aIndex)) : nullptr;
}

int TppBand::IndexOfSave(const TppComponent* aText) const {
    auto it = std::find(m_saves.begin(), m_saves.end(), aText);
    return it == m_saves.end() ? -1 : int(it - m_saves.begin());
}

void TppBand::AddSave(TppComponent* aText) {
    if (aText && IndexOfSave(aText) < 0) m_saves.push_back(aText);
}

void TppBand::InsertSave(int aIndex, TppComponent* aText) {
    if (!aText || IndexOfSave(aText) >= 0) return;
    aIndex = std::clamp(aIndex, 0, SaveCount());
    m_saves.insert(m_saves.begin() + aIndex, aText);
}

void TppBand::RemoveSave(TppComponent* aText) {
    const int index = IndexOfSave(aText);
    if (index >= 0) m_saves.erase(m_saves.begin() + index);
}

void TppBand::rebuildSaveList() {
    m_saves.clear();
    const int count = ObjectCount();
    std::vector<TppComponent*> stored(size_t(count), nullptr);
    for (TppComponent* c : m_objects) {
        if (!c->IsSaved()) continue;
        m_saves.push_back(c);
        const int p = c->StoredSaveOrder();
        if (p >= 0 && p < count) stored[size_t(p)] = c;
    }
    for (int p = 0; p < count; ++p) {
        TppComponent* c = stored[size_t(p)];
        if (!c) continue;
        RemoveSave(c);
        InsertSave(std::min(p, SaveCount()), c);
    }
}

// Lengths -------------------------------------------------------------------------------------

float TppBand::fromMM(int v) const {
    return ppFromMMThousandths(v, m_units, report::kVertical, nullptr);
}

int TppBand::toMM(float v) const { return ppToMMThousandths(m_units, report::kVertical, nullptr, v); }

float TppBand::Height() const { return fromMM(m_mmHeight); }
void TppBand::SetHeight(float aValue) { SetmmHeight(toMM(aValue)); }
float TppBand::BottomOffset() const { return fromMM(m_mmBottomOffset); }
void TppBand::SetBottomOffset(float aValue) { SetmmBottomOffset(toMM(aValue)); }
float TppBand::PrintPosition() const { return fromMM(m_mmPrintPosition); }
void TppBand::SetPrintPosition(float aValue) { SetmmPrintPosition(toMM(aValue)); }

void TppBand::SetmmHeight(int aValue) {
    if (Reading()) {
        m_mmHeight = aValue;
        return;
    }
    if (aValue <= 0 && ObjectCount() > 0 && m_report) {
        if (InDesignDisplay())
            ui::Message(report::MessageText(296), ui::MessageKind::Warning, ui::Button::Ok);
        return;
    }
    if (m_printHeight == TppPrintHeightType::phStatic && m_report) {
        const int pageHeight = m_report->PrintableHeight();
        if (pageHeight > 0 && aValue > pageHeight) {
            if (InDesignDisplay())
                ui::Message(report::MessageText(297), ui::MessageKind::Warning, ui::Button::Ok);
            return;
        }
    }
    aValue = std::max(aValue, 0);
    const int d = aValue - m_mmHeight;
    m_mmHeight = aValue;
    for (TppComponent* c : m_objects) {
        if (c->mmTop() + c->mmHeight() > aValue && d < 0) c->SetmmTop(std::max(c->mmTop() + d, 0));
    }
    RefreshLayout();
    SendDesignerMessage(report::PPM_BAND_RESIZED, this);
    resetReport();
}

void TppBand::SetmmBottomOffset(int aValue) {
    m_mmBottomOffset = aValue;
    if (Reading()) return;
    PropertyChange();
    resetReport();
}

void TppBand::SetmmPrintPosition(int aValue) {
    m_mmPrintPosition = aValue;
    if (Reading()) return;
    PropertyChange();
    resetReport();
}

int TppBand::mmWidth() const {
    if (!m_report) return 0;
    if (PrintsInColumn() && m_report->Columns() >= 2) return m_report->mmColumnWidth();
    return m_report->PrintableWidth();
}

void TppBand::SetPrintCount(int aValue) {
    m_printCount = aValue;
    m_engineMode = aValue > 0 ? 3 : DefaultEngineMode();
    if (Reading()) return;
    PropertyChange();
    resetReport();
}

void TppBand::SetSave(bool aValue) {
    m_save = aValue;
    if (Reading()) return;
    PropertyChange();
    resetReport();
}

void TppBand::SetVisible(bool aValue) {
    m_visible = aValue;
    if (Reading()) return;
    PropertyChange();
    resetReport();
}

void TppBand::SetUnits(TppUnitType aUnits) {
    m_units = aUnits;
    for (TppComponent* c : m_objects) c->SetUnits(aUnits);
}

// Upgrade -------------------------------------------------------------------------------------

void TppBand::Convert(int aVersion) {
    if (aVersion <= 2096) m_mmHeight = ppToMMThousandths(TppUnitType::utScreenPixels, report::kVertical, nullptr, float(m_mmHeight));
    for (TppComponent* c : m_objects) c->ConvertFromVersion(aVersion);
    if (aVersion < 3000 && m_printHeight == TppPrintHeightType::phDynamic && m_report) {
        int lowest = 0;
        for (TppComponent* c : m_objects) lowest = std::max(lowest, c->mmTop() + c->mmHeight());
        if (lowest != 0) m_mmBottomOffset = m_mmHeight - lowest;
    }
}

// Stream --------------------------------------------------------------------------------------

const stream::PropertyList& TppBand::StreamProperties() const {
    using T = TppBand;
    static const auto table = stream::PropertyTable<T>(TppCacheable::StreamProperties())
        .Event("AfterGenerate", [](const T& b) { return b.AfterGenerateName; }, [](T& b, const QString& v) { b.AfterGenerateName = v; })
        .Event("AfterPrint", [](const T& b) { return b.AfterPrintName; }, [](T& b, const QString& v) { b.AfterPrintName = v; })
        .Event("BeforeGenerate", [](const T& b) { return b.BeforeGenerateName; }, [](T& b, const QString& v) { b.BeforeGenerateName = v; })
        .Event("BeforePrint", [](const T& b) { return b.BeforePrintName; }, [](T& b, const QString& v) { b.BeforePrintName = v; })
        .Boolean("Save", &T::Save, &T::SetSave, false)
        .String("UserName", &T::UserName, [](T& b, const QString& v) { b.SetUserName(v); })
        .Boolean("Visible", &T::Visible, &T::SetVisible, true);
    return table;
}

void TppBand::DefineProperties(stream::Filer& filer) {
    TppCacheable::DefineProperties(filer);
    const struct {
        const char* name;
        int TppBand::*field;
    } lengths[] = {{"mmBottomOffset", &TppBand::m_mmBottomOffset},
                   {"mmHeight", &TppBand::m_mmHeight},
                   {"mmPrintPosition", &TppBand::m_mmPrintPosition}};
    for (const auto& l : lengths) {
        int TppBand::*field = l.field;
        filer.DefineProperty(
            QString::fromLatin1(l.name), [this, field](const stream::Value& v) { this->*field = ppReadMMValue(v); },
            [this, field] { return stream::Value::Integer(this->*field); }, true);
    }
    if (!filer.IsWriting()) {
        filer.DefineProperty(QStringLiteral("OnPrint"), [this](const stream::Value& v) { m_legacyOnPrint = v.AsText(); }, {}, false);
        for (const char* dropped : {"OnSaveLineEnd", "OnSaveLineStart", "Left", "Top"})
            filer.DefineProperty(QString::fromLatin1(dropped), [](const stream::Value&) {}, {}, false);
    }
}

void TppBand::GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (const TppComponent* c : m_objects)
        if (!c->Region()) proc(*c);
}

bool TppBand::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    auto* c = dynamic_cast<TppComponent*>(child.get());
    if (!c) return false;
    child.release();
    c->setParent(Owner() ? static_cast<QObject*>(Owner()) : this);
    c->SetBand(this);
    return true;
}

void TppBand::Loaded() {
    rebuildSaveList();
    TppCacheable::Loaded();
}

int TppBand::GetSpWidth() const {
    if (!m_report) return 0;
    const TppBandType t = BandType();
    const bool columnBand = t == TppBandType::btColumnHeader || t == TppBandType::btColumnFooter ||
                            t == TppBandType::btDetail || t == TppBandType::btGroupHeader || t == TppBandType::btGroupFooter;
    const int mm = (columnBand && m_report->Columns() > 1 && m_report->mmColumnWidth() > 0) ? m_report->mmColumnWidth()
                                                                                             : m_report->PrintableWidth();
    return int(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, report::kHorizontal, nullptr));
}

void TppBand::SetSpHeight(int aPixels) {
    SetmmHeight(ppToMMThousandths(TppUnitType::utScreenPixels, report::kVertical, nullptr, float(aPixels)));
}
