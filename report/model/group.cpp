#include "report/model/group.h"
#include "report/model/cache_stream.h"

#include "report/model/band_classes.h"
#include "report/model/cache_manager.h"
#include "report/model/component.h"
#include "report/model/custom_engine.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/report_utils.h"
#include "report/model/script_adapter.h"
#include "report/model/text_components.h"
#include "report/page/page.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/stream/property_table.h"

#include <QDataStream>
#include <QIODevice>

#include <cmath>

TppGroup::TppGroup(TComponent* AOwner) : TppCacheable(AOwner) {
    m_headerBand = new TppGroupHeaderBand(Owner() ? Owner() : this);
    m_headerBand->SetGroup(this);
    m_footerBand = new TppGroupFooterBand(Owner() ? Owner() : this);
    m_footerBand->SetGroup(this);
}

TppGroup::~TppGroup() {
    SetComponentState(csDestroying, true);
    m_cacheManager.reset();
    m_snapshotPage.reset();
    SetDataPipeline(nullptr);
    unregisterFromBreakComponent();
    SetReport(nullptr);
    delete m_headerBand;  // unlinks itself
    delete m_footerBand;
}

void TppGroup::BandFreed(TppCustomBand* aBand) {
    if (aBand == static_cast<TppCustomBand*>(m_headerBand)) m_headerBand = nullptr;
    if (aBand == static_cast<TppCustomBand*>(m_footerBand)) m_footerBand = nullptr;
}

TppCommunicator* TppGroup::ParentCommunicator() const { return m_report; }

void TppGroup::resetReport() const {
    if (m_report) m_report->Reset();
}

int TppGroup::GroupNo() const { return m_report ? m_report->IndexOfGroup(this) : -1; }

void TppGroup::SetReport(TppCustomReport* aReport) {
    if (aReport == m_report) return;
    if (m_report) {
        TppCustomReport* old = m_report;
        if (m_headerBand) m_headerBand->SetReport(nullptr);
        if (m_footerBand) m_footerBand->SetReport(nullptr);
        m_report = nullptr;
        old->RemoveGroup(this);
    }
    m_report = aReport;
    if (!m_report) return;
    m_report->AddGroup(this);
    if (m_headerBand) m_headerBand->SetReport(m_report);
    if (m_footerBand) m_footerBand->SetReport(m_report);
    m_units = m_report->Units();
    RefreshBandCaptions();
}

void TppGroup::SetHeaderBand(TppGroupHeaderBand* aBand) {
    if (aBand == m_headerBand) return;
    TppGroupHeaderBand* old = m_headerBand;
    m_headerBand = nullptr;
    if (old) {
        old->SetReport(nullptr);
        delete old;
    }
    m_headerBand = aBand;
    if (aBand) {
        aBand->SetGroup(this);
        if (m_report) aBand->SetReport(m_report);
    }
}

void TppGroup::SetFooterBand(TppGroupFooterBand* aBand) {
    if (aBand == m_footerBand) return;
    TppGroupFooterBand* old = m_footerBand;
    m_footerBand = nullptr;
    if (old) {
        old->SetReport(nullptr);
        delete old;
    }
    m_footerBand = aBand;
    if (aBand) {
        aBand->SetGroup(this);
        if (m_report) aBand->SetReport(m_report);
    }
}

void TppGroup::ResetForReport() {
    m_firstPageNo = 1;
    m_lastPageNo = 1;
    m_firstColumn = 1;
    m_breakValue.clear();
    m_priorValue.clear();
}

void TppGroup::RefreshBandCaptions() {
    if (m_headerBand) m_headerBand->SetCaption(m_headerBand->GetCaptionText());
    if (m_footerBand) m_footerBand->SetCaption(m_footerBand->GetCaptionText());
}

void TppGroup::AddState(TppCommunicatorStates aStates) {
    TppCacheable::AddState(aStates);
    if (m_headerBand) m_headerBand->AddState(aStates);
    if (m_footerBand) m_footerBand->AddState(aStates);
}

void TppGroup::RemoveState(TppCommunicatorStates aStates) {
    TppCacheable::RemoveState(aStates);
    if (m_headerBand) m_headerBand->RemoveState(aStates);
    if (m_footerBand) m_footerBand->RemoveState(aStates);
}

void TppGroup::ChangeOwner(TComponent* aNewOwner) {
    TComponent* old = Owner();
    TppCacheable::ChangeOwner(aNewOwner);
    if (m_headerBand && m_headerBand->Owner() == old) m_headerBand->ChangeOwner(aNewOwner);
    if (m_footerBand && m_footerBand->Owner() == old) m_footerBand->ChangeOwner(aNewOwner);
}

// Options -------------------------------------------------------------------------------------

void TppGroup::SetBreakType(TppBreakType aType) {
    if (aType == m_breakType) return;
    if (!reading()) {
        if (!m_report || m_report->GetMainReport() == nullptr || m_report->GetMainReport()->Printing()) return;
    }
    m_breakType = aType;
    m_breakComponentStale = true;
}

void TppGroup::SetBreakName(const QString& aName) {
    if (aName == m_breakName) return;
    if (reading() || m_breakType == TppBreakType::btDataField) {
        m_breakName = aName;
        m_breakComponentStale = true;
        if (!reading()) {
            resetReport();
            RefreshBandCaptions();
        }
        return;
    }
    unregisterFromBreakComponent();
    m_breakName = aName;
    m_breakComponentStale = true;
    TppComponent* c = BreakComponent();
    if (qobject_cast<TppCustomText*>(c))
        registerWithBreakComponent();
    else {
        m_breakName.clear();
        m_breakComponentStale = true;
    }
    resetReport();
    RefreshBandCaptions();
}

void TppGroup::registerWithBreakComponent() {
    if (auto* t = qobject_cast<TppCustomText*>(BreakComponent())) t->AddGroup(this);
}

void TppGroup::unregisterFromBreakComponent() {
    if (m_breakType != TppBreakType::btCustomField) return;
    if (auto* t = qobject_cast<TppCustomText*>(BreakComponent())) t->RemoveGroup(this);
}

TppComponent* TppGroup::BreakComponent() const {
    if (m_breakType != TppBreakType::btCustomField || !m_report) return nullptr;
    if (m_breakComponentStale) {
        m_breakComponent = m_report->FindComponentByName(m_breakName);
        m_breakComponentStale = false;
    }
    return m_breakComponent;
}

void TppGroup::BreakComponentRenamed(const QString& aOldName, const QString& aNewName) {
    if (m_breakType != TppBreakType::btCustomField || m_breakName != aOldName) return;
    m_breakName = aNewName;
    m_breakComponentStale = true;
    RefreshBandCaptions();
}

void TppGroup::SetDataPipeline(TppDataPipeline* aPipeline) {
    if (aPipeline == m_dataPipeline) return;
    if (m_dataPipeline) RemoveNotify(m_dataPipeline);
    m_dataPipeline = aPipeline;
    if (m_dataPipeline) AddNotify(m_dataPipeline);
    if (HasState(csDestroying)) return;
    resetReport();
    RefreshBandCaptions();
}

void TppGroup::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCacheable::Notify(aCommunicator, aOperation);
    if (aOperation != ppopRemove) return;
    if (aCommunicator == m_dataPipeline) {
        m_dataPipeline = nullptr;
        resetReport();
    }
    if (aCommunicator == m_breakComponent) {
        m_breakComponent = nullptr;
        m_breakComponentStale = true;
    }
}

#define GROUP_OPTION_SETTER(Name, member) \
    void TppGroup::Set##Name(bool v) {    \
        member = v;                       \
        if (!reading()) resetReport();    \
    }
GROUP_OPTION_SETTER(HeaderForOrphanedFooter, m_headerForOrphanedFooter)
GROUP_OPTION_SETTER(ReprintOnSubsequentColumn, m_reprintOnSubsequentColumn)
GROUP_OPTION_SETTER(ReprintOnSubsequentPage, m_reprintOnSubsequentPage)
GROUP_OPTION_SETTER(ResetPageNo, m_resetPageNo)
#undef GROUP_OPTION_SETTER

void TppGroup::SetKeepTogether(bool v) {
    m_keepTogether = v;
    if (v) {
        m_newPage = false;
        m_newColumn = false;
    }
    if (!reading()) resetReport();
}

void TppGroup::SetNewColumn(bool v) {
    m_newColumn = v;
    if (v) m_keepTogether = false;
    if (!reading()) resetReport();
}

void TppGroup::SetNewPage(bool v) {
    m_newPage = v;
    if (v) m_keepTogether = false;
    if (!reading()) resetReport();
}

void TppGroup::SetmmNewColumnThreshold(int v) {
    m_mmNewColumnThreshold = v;
    if (!reading()) resetReport();
}

void TppGroup::SetmmNewPageThreshold(int v) {
    m_mmNewPageThreshold = v;
    if (!reading()) resetReport();
}

float TppGroup::NewColumnThreshold() const {
    return ppFromMMThousandths(m_mmNewColumnThreshold, m_units, report::kVertical, nullptr);
}
void TppGroup::SetNewColumnThreshold(float v) {
    SetmmNewColumnThreshold(ppToMMThousandths(m_units, report::kVertical, nullptr, v));
}
float TppGroup::NewPageThreshold() const {
    return ppFromMMThousandths(m_mmNewPageThreshold, m_units, report::kVertical, nullptr);
}
void TppGroup::SetNewPageThreshold(float v) {
    if (reading()) {
        m_legacyNewPageThreshold = v;
        m_hasLegacyThreshold = true;
        return;
    }
    SetmmNewPageThreshold(ppToMMThousandths(m_units, report::kVertical, nullptr, v));
}

QString TppGroup::Description() const {
    if (!m_report) return QString();
    QString text = report::MessageText(331) + QStringLiteral(" [") + QString::number(GroupNo()) + QStringLiteral("]: ");
    if (m_breakType == TppBreakType::btDataField) {
        if (m_dataPipeline && !m_breakName.isEmpty()) text += m_dataPipeline->GetFieldAlias(m_breakName);
        else text += m_breakName;
    } else if (TppComponent* c = BreakComponent()) {
        text += c->GetCaption();
    }
    return text;
}

bool TppGroup::FirstPage() const {
    TppCustomReport* main = m_report ? m_report->GetMainReport() : nullptr;
    return main && main->AbsolutePageNo() == m_firstPageNo;
}

int TppGroup::PageNo() const {
    TppCustomReport* main = m_report ? m_report->GetMainReport() : nullptr;
    return (main ? main->AbsolutePageNo() : 0) - m_firstPageNo + 1;
}

// Breaks --------------------------------------------------------------------------------------

QString TppGroup::GetBreakValue() {
    QString value = m_breakValue;
    if (m_breakType == TppBreakType::btDataField) {
        if (m_dataPipeline) value = m_dataPipeline->GetFieldAsString(m_breakName);
    } else if (TppComponent* c = BreakComponent()) {
        value = c->GetText();
    }
    if (OnGetBreakValue) OnGetBreakValue(this, value);
    TraParamList params;
    params.AddParam(QStringLiteral("BreakValue"), TraDataType::daString, nullptr, QString(), false, true);
    QVariant buffer(value);
    params.SetParamValuePtr(0, &buffer);
    ppSendEventNotify(this, this, report::ciGroupGetBreakValue, &params);
    return buffer.toString();
}

void TppGroup::StartGroup() {
    m_breakNo = 0;
    m_firstPageNo = 1;
    m_lastPageNo = 1;
    m_firstColumn = 1;
    m_breakValue = GetBreakValue();
    m_priorValue = m_breakValue;
    m_breaking = false;
    ppSendEventNotify(this, this, report::ciGroupBreakReset, nullptr);
    if (m_keepTogether && m_report) {
        m_keptTogether = false;
        if (!m_cacheManager) m_cacheManager = std::make_unique<TppCacheManager>(m_report);
        m_cacheManager->Reset();
        m_snapshotPage = std::make_unique<TppPage>();
    }
}

void TppGroup::CheckBreak() {
    m_priorValue = m_breakValue;
    m_breakValue = GetBreakValue();
    // A pipeline without records stands at its first and its last record at once.
    const bool empty = m_dataPipeline && ppGetOrdPropValue(m_dataPipeline, QStringLiteral("BOF")) != 0 &&
                       ppGetOrdPropValue(m_dataPipeline, QStringLiteral("EOF")) != 0;
    if (m_priorValue != m_breakValue || empty) MarkBreak();
}

void TppGroup::MarkBreak() {
    m_breaking = true;
    if (m_headerBand) m_headerBand->SetNewBreak(true);
    if (m_footerBand) m_footerBand->SetNewBreak(true);
    ppSendEventNotify(this, this, report::ciGroupBreakReset, nullptr);
}

void TppGroup::DoBeforeGroupBreak() {
    if (BeforeGroupBreak) BeforeGroupBreak(this);
    ppSendEventNotify(this, this, report::ciGroupBeforeGroupBreak, nullptr);
}

void TppGroup::DoBeforeHeader() { ppSendEventNotify(this, this, report::ciGroupBeforeHeader, nullptr); }

void TppGroup::DoBeforeFooter() { ppSendEventNotify(this, this, report::ciGroupBeforeFooter, nullptr); }

void TppGroup::DoAfterGroupBreak() {
    if (AfterGroupBreak) AfterGroupBreak(this);
    ppSendEventNotify(this, this, report::ciGroupAfterGroupBreak, nullptr);
    if (m_report && m_report->KeepTogetherGroup() == this) m_keptTogether = false;
    ++m_breakNo;
}

void TppGroup::InitBreakValues() {
    m_breakValue = GetBreakValue();
    m_priorValue = m_breakValue;
}

void TppGroup::TakeSnapshot() {
    if (!m_report || m_report->KeepTogetherGroup() != this) return;
    TppCustomEngine* engine = m_report->Engine();
    if (engine && engine->GetState() == 0) {
        m_keptTogether = true;
        return;
    }
    if (m_keptTogether || !m_cacheManager) return;
    m_cacheManager->SaveToCache(0);
    if (engine && m_snapshotPage) m_snapshotPage->Assign(engine->Page());
}

void TppGroup::RollBack() {
    if (!m_report || m_report->KeepTogetherGroup() != this || !m_keepTogether || m_keptTogether) return;
    if (m_cacheManager) m_cacheManager->RestoreFromCache(0);
    m_keptTogether = true;
    TppCustomEngine* engine = m_report->Engine();
    if (engine && m_snapshotPage) engine->Page()->Assign(m_snapshotPage.get());
}

void TppGroup::UpdateLastPage() {
    TppCustomReport* main = m_report ? m_report->GetMainReport() : nullptr;
    m_lastPageNo = main ? main->AbsolutePageNo() : m_lastPageNo;
    if (!CacheStream() || CacheCount() <= 0) return;
    const qint64 perPage = qint64(kCacheRecordSize) * CacheCount();
    int page = int(std::nearbyint(double(CacheStream()->Size()) / double(perPage))) - 1;
    for (; page >= 0; --page) {
        QByteArray record;
        if (!ReadCacheRecord(page, record)) break;
        QDataStream in(record);
        in.setByteOrder(QDataStream::LittleEndian);
        qint32 first, last, breakNo, firstColumn;
        quint8 breaking, kept;
        in >> first >> last >> breaking >> breakNo >> firstColumn >> kept;
        if (breakNo != m_breakNo) break;
        QByteArray patched;
        QDataStream out(&patched, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out << qint32(m_firstPageNo) << qint32(m_lastPageNo) << breaking << breakNo << firstColumn << kept;
        WriteCacheRecord(page, patched);
        if (page == 0) break;
    }
}

// Cache ---------------------------------------------------------------------------------------

int TppGroup::CachedPageCount(int aPageNo) const {
    QByteArray record;
    if (!ReadCacheRecord(aPageNo, record)) return -1;
    QDataStream in(record);
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 first, last;
    in >> first >> last;
    return last - first + 1;
}

QByteArray TppGroup::cacheRecord() const {
    QByteArray r;
    QDataStream out(&r, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << qint32(m_firstPageNo) << qint32(m_lastPageNo) << quint8(m_breaking) << qint32(m_breakNo)
        << qint32(m_firstColumn) << quint8(m_keptTogether);
    return r;
}

void TppGroup::takeCacheRecord(const QByteArray& r) {
    QDataStream in(r);
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 first, last, breakNo, firstColumn;
    quint8 breaking, kept;
    in >> first >> last >> breaking >> breakNo >> firstColumn >> kept;
    m_firstPageNo = first;
    m_lastPageNo = last;
    m_breaking = breaking != 0;
    m_breakNo = breakNo;
    m_firstColumn = firstColumn;
    m_keptTogether = kept != 0;
}

void TppGroup::SaveToCache(int aPageNo) { WriteCacheRecord(aPageNo, cacheRecord()); }

void TppGroup::RestoreFromCache(int aPageNo) {
    QByteArray r = cacheRecord();
    if (ReadCacheRecord(aPageNo, r)) takeCacheRecord(r);
}

void TppGroup::ResetCache(int aPageNo) {
    Q_UNUSED(aPageNo);
    if (HasState(csDestroying) || !m_keepTogether || m_resettingCache) return;
    m_resettingCache = true;
    if (m_cacheManager) m_cacheManager->Reset();
    m_keptTogether = false;
    m_resettingCache = false;
}

// Upgrade and stream --------------------------------------------------------------------------

void TppGroup::Convert(int aVersion) {
    if (aVersion < 1270 && !m_legacyFieldName.isEmpty()) m_breakName = m_legacyFieldName;
    if (!m_report || aVersion > 2096) return;
    m_newColumn = m_newPage;
    m_reprintOnSubsequentPage = m_legacyReprintOnSubsequent;
    m_reprintOnSubsequentColumn = m_legacyReprintOnSubsequent;
    if (m_hasLegacyThreshold) {
        const int mm = ppToMMThousandths(m_report->Units(), report::kVertical, nullptr, m_legacyNewPageThreshold);
        m_mmNewPageThreshold = mm;
        m_mmNewColumnThreshold = mm;
    }
}

const stream::PropertyList& TppGroup::StreamProperties() const {
    using T = TppGroup;
    static const QStringList breakTypes = EnumTypeOf(TppBreakType{}).values;
    static const auto table = stream::PropertyTable<T>(TppCacheable::StreamProperties())
        .Event("AfterGroupBreak", [](const T& g) { return g.AfterGroupBreakName; }, [](T& g, const QString& v) { g.AfterGroupBreakName = v; })
        .Event("BeforeGroupBreak", [](const T& g) { return g.BeforeGroupBreakName; }, [](T& g, const QString& v) { g.BeforeGroupBreakName = v; })
        .String("BreakName", &T::BreakName, &T::SetBreakName)
        .Enum("BreakType", &T::BreakType, &T::SetBreakType, breakTypes, TppBreakType::btDataField)
        .Reference("DataPipeline", &T::DataPipeline, [](T& g, TppDataPipeline* p) { g.SetDataPipeline(p); })
        .Boolean("HeaderForOrphanedFooter", &T::HeaderForOrphanedFooter, &T::SetHeaderForOrphanedFooter, true)
        .Boolean("KeepTogether", &T::KeepTogether, &T::SetKeepTogether, false)
        .Boolean("NewColumn", &T::NewColumn, &T::SetNewColumn, false)
        .Boolean("NewPage", &T::NewPage, &T::SetNewPage, false)
        .Event("OnGetBreakValue", [](const T& g) { return g.OnGetBreakValueName; }, [](T& g, const QString& v) { g.OnGetBreakValueName = v; })
        .Boolean("ReprintOnSubsequentColumn", &T::ReprintOnSubsequentColumn, &T::SetReprintOnSubsequentColumn, true)
        .Boolean("ReprintOnSubsequentPage", &T::ReprintOnSubsequentPage, &T::SetReprintOnSubsequentPage, true)
        .Boolean("ResetPageNo", &T::ResetPageNo, &T::SetResetPageNo, false)
        .String("UserName", &T::UserName, [](T& g, const QString& v) { g.SetUserName(v); });
    return table;
}

void TppGroup::DefineProperties(stream::Filer& filer) {
    TppCacheable::DefineProperties(filer);
    filer.DefineProperty(QStringLiteral("mmNewColumnThreshold"),
                         [this](const stream::Value& v) { m_mmNewColumnThreshold = ppReadMMValue(v); },
                         [this] { return stream::Value::Integer(m_mmNewColumnThreshold); }, true);
    filer.DefineProperty(QStringLiteral("mmNewPageThreshold"),
                         [this](const stream::Value& v) { m_mmNewPageThreshold = ppReadMMValue(v); },
                         [this] { return stream::Value::Integer(m_mmNewPageThreshold); }, true);
    if (filer.IsWriting()) return;
    filer.DefineProperty(QStringLiteral("FieldName"), [this](const stream::Value& v) { m_legacyFieldName = v.AsText(); }, {}, false);
    filer.DefineProperty(QStringLiteral("ReprintOnSubsequent"),
                         [this](const stream::Value& v) { m_legacyReprintOnSubsequent = v.AsBoolean(); }, {}, false);
    filer.DefineProperty(QStringLiteral("NewPageThreshold"),
                         [this](const stream::Value& v) {
                             m_legacyNewPageThreshold = float(v.AsExtended());
                             m_hasLegacyThreshold = true;
                         },
                         {}, false);
    for (const char* dropped : {"Left", "Top"})
        filer.DefineProperty(QString::fromLatin1(dropped), [](const stream::Value&) {}, {}, false);
}

void TppGroup::GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const {
    if (m_headerBand) proc(*m_headerBand);
    if (m_footerBand) proc(*m_footerBand);
}

bool TppGroup::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    if (auto* header = dynamic_cast<TppGroupHeaderBand*>(child.get())) {
        child.release();
        header->setParent(Owner() ? static_cast<QObject*>(Owner()) : this);
        SetHeaderBand(header);
        return true;
    }
    if (auto* footer = dynamic_cast<TppGroupFooterBand*>(child.get())) {
        child.release();
        footer->setParent(Owner() ? static_cast<QObject*>(Owner()) : this);
        SetFooterBand(footer);
        return true;
    }
    return false;
}

void TppGroup::Loaded() {
    TppCacheable::Loaded();
    m_breakComponentStale = true;
    if (m_breakType == TppBreakType::btCustomField) registerWithBreakComponent();
}
