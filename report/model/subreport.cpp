#include "report/model/subreport.h"

#include "report/model/band_classes.h"
#include "report/model/cache_manager.h"
#include "report/model/engine.h"
#include "report/model/errors.h"
#include "report/model/report.h"
#include "report/page/page.h"
#include "report/page/page_def.h"
#include "report/page/draw_command.h"
#include "report/model/internal/component_properties.h"

#include "platform/stream/property_table.h"

#include <QDataStream>
#include <QIODevice>

#include <map>

namespace {

quint16 bandBits(std::initializer_list<TppBandType> types) {
    quint16 bits = 0;
    for (TppBandType t : types) bits |= quint16(1u << int(t));
    return bits;
}

void setArea(TppPageDef* aDef, int aHeight, int aWidth) {
    aDef->SetmmHeight(aHeight);
    aDef->SetmmWidth(aWidth);
    aDef->SetmmMarginLeft(0);
    aDef->SetmmMarginRight(0);
    aDef->SetmmMarginTop(0);
    aDef->SetmmMarginBottom(0);
}

}  // namespace

TppSubReport::TppSubReport(TComponent* AOwner) : TppStretchable(AOwner) {
    TppStretchable::SetStretch(true);
    SetmmHeight(5027);  // 19 screen pixels
}

TppSubReport::~TppSubReport() {
    m_childCache.reset();
    delete m_report;
    m_report = nullptr;
}

TppEngine* TppSubReport::childEngine() const { return m_report ? qobject_cast<TppEngine*>(m_report->Engine()) : nullptr; }

void TppSubReport::CreateReport(TppCustomReport* aMasterReport) {
    if (m_report) return;
    m_report = new TppChildReport();
    TppCustomReport* parent = aMasterReport ? aMasterReport : GetReport();
    if (parent) {
        m_report->SetParentReport(parent);
        if (TppCustomReport* main = parent->GetMainReport()) {
            m_report->PageDef()->Assign(main->PageDef());
            m_report->SetReportDesigner(main->ReportDesigner());
        }
    }
    m_report->SetUnits(Units());
    applyDefaultBands();
}

void TppSubReport::applyDefaultBands() {
    if (!m_report) return;
    m_report->SetChildDefaultBands(m_printBehavior == TppPrintBehaviorType::pbChild
                                       ? bandBits({TppBandType::btTitle, TppBandType::btDetail, TppBandType::btSummary})
                                       : bandBits({TppBandType::btHeader, TppBandType::btDetail, TppBandType::btFooter}));
}

void TppSubReport::SetBand(TppBand* aBand) {
    TppStretchable::SetBand(aBand);
    if (aBand && m_report && aBand->Report() && m_report->ParentReport() != aBand->Report())
        m_report->SetParentReport(aBand->Report());
    if (aBand && Stretch() && aBand->PrintHeight() == TppPrintHeightType::phStatic)
        aBand->SetPrintHeight(TppPrintHeightType::phDynamic);
}

void TppSubReport::SetPrintBehavior(TppPrintBehaviorType aBehavior) {
    if (HasState(csReading | csLoading)) {
        m_printBehavior = aBehavior;
        return;
    }
    if (aBehavior == TppPrintBehaviorType::pbSection && Region()) return;
    m_printBehavior = aBehavior;
    SetStretch(aBehavior == TppPrintBehaviorType::pbChild);
    if (aBehavior == TppPrintBehaviorType::pbFixed) SetmmStopPosition(0);
    if (aBehavior == TppPrintBehaviorType::pbSection) {
        m_parentWidth = true;
        SetShiftRelativeTo(nullptr);
    } else {
        m_newPrintJob = false;
        m_resetPageNo = false;
    }
    applyDefaultBands();
    InvalidateDesignControl();
}

void TppSubReport::SetParentPrinterSetup(bool v) {
    m_parentPrinterSetup = v;
    if (v && m_report && GetReport()) m_report->PageDef()->Assign(GetReport()->PageDef());
}

void TppSubReport::SetResetPageNo(bool v) {
    if (HasState(csReading | csLoading) || m_printBehavior == TppPrintBehaviorType::pbSection) m_resetPageNo = v;
}

void TppSubReport::SetNewPrintJob(bool v) {
    m_newPrintJob = v;
    if (v && !HasState(csReading | csLoading)) SetPrintBehavior(TppPrintBehaviorType::pbSection);
}

void TppSubReport::SetParentWidth(bool v) {
    if (!v && !HasState(csReading | csLoading) && m_printBehavior == TppPrintBehaviorType::pbSection) return;
    m_parentWidth = v;
}

// Generation ----------------------------------------------------------------------------------

void TppSubReport::PrepareRun() {
    TppStretchable::PrepareRun();
    m_printCount = 0;
    TppEngine* engine = childEngine();
    if (!engine) return;
    // A child read from a template before its sub-report joined a report is linked now.
    if (GetReport() && m_report->ParentReport() != GetReport()) m_report->SetParentReport(GetReport());
    // The child prints as a part of this report: one pass, its state kept by this component
    // (the child engine's own cache hooks are off; its objects are cached under parent pages).
    m_report->SetPassSetting(TppPassSettingType::psOnePass);
    engine->SetPrintingSubReport(true);
    engine->OnInitialize = nullptr;
    engine->OnPageStart = nullptr;
    engine->OnSaveCache = nullptr;
    const bool child = m_printBehavior == TppPrintBehaviorType::pbChild;
    for (int i = 0; i < m_report->BandCount(); ++i) {
        TppBand* b = m_report->Bands(i);
        if (b->BandType() == TppBandType::btHeader || b->BandType() == TppBandType::btFooter) b->SetVisible(!child);
    }
    engine->SetBusy(false);
    engine->Invalidate();
    if (!m_childCache) m_childCache = std::make_unique<TppCacheManager>(m_report);
    m_childCache->Reset();
}

void TppSubReport::ResetGeneration() {
    TppStretchable::ResetGeneration();
    m_sectionStarted = m_childDone = m_childProducedPage = m_childInProgress = m_childComplete = false;
    m_childPageCountKnown = false;
    m_nextChildPage = 1;
    m_childPageCount = 0;
    m_cachedChildPage = 0;
    if (TppEngine* engine = childEngine()) {
        engine->SetBusy(false);
        engine->Invalidate();
    }
}

void TppSubReport::generateChildPage() {
    TppEngine* engine = childEngine();
    if (!engine) return;
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psSinglePage);
    request.SetPageRequested(m_nextChildPage);
    engine->SetBusy(false);
    engine->SetCachedPageCount(m_cachedChildPage);
    try {
        engine->RequestPages(&request);
    } catch (const EPrintError&) {
    } catch (const ECodeError&) {
    } catch (const EDataError&) {
    }
    if (engine->Cancelled()) engine->Invalidate();
}

void TppSubReport::startChild() {
    m_childInProgress = true;
    m_childComplete = m_childDone = false;
    m_childPageCountKnown = false;
    m_nextChildPage = 1;
    m_childPageCount = 1;
    m_cachedChildPage = 0;
    childEngine()->SetBusy(false);
    childEngine()->Invalidate();
}

void TppSubReport::cacheBookkeeping() {
    TppEngine* engine = childEngine();
    if (SpaceUsed() <= 0 && !m_childProducedPage) {
        m_cachedChildPage = 0;
    } else if (OverFlow()) {
        ++m_nextChildPage;
        m_cachedChildPage = engine->AbsolutePageNo();
    }
    m_childPageCount = engine->AbsolutePageCount();
    m_childPageCountKnown = engine->PageCountKnown();
    m_childComplete = engine->DataFinished() && engine->ReportComplete();
}

void TppSubReport::CalcSpaceUsed() {
    m_generated = true;
    m_childProducedPage = false;
    if (!childEngine()) {
        SetSpaceUsed(Stretching() ? 0 : mmHeight());
        SetOverFlow(false);
        return;
    }
    switch (m_printBehavior) {
    case TppPrintBehaviorType::pbChild: childFlow(); break;
    case TppPrintBehaviorType::pbSection: sectionFlow(); break;
    case TppPrintBehaviorType::pbFixed:
        if (m_traverseAllData)
            childFlow();
        else
            fixedFlow();
        break;
    }
}

void TppSubReport::Generate() {
    if (m_printBehavior != TppPrintBehaviorType::pbFixed || !m_traverseAllData) {
        TppStretchable::Generate();
        return;
    }
    // Traversing all data, a fixed sub-report continues its child page by page, each time
    // within its design box.
    const int saved = mmStopPosition();
    // A continued print starts at the band's top plus OverFlowOffset, a first one at Top.
    SetmmStopPosition((OverFlow() ? mmOverFlowOffset() : mmTop()) + mmHeight());
    TppStretchable::Generate();
    SetmmStopPosition(saved);
}

void TppSubReport::childFlow() {
    TppEngine* engine = childEngine();
    const QRect area = PrintRect();
    // The child's own page setup is kept: it lays out in the sub-report's room only here.
    TppPageDef own;
    own.Assign(m_report->PageDef());
    setArea(m_report->PageDef(), area.height(), area.width());
    if (m_childInProgress) {
        engine->SetAbsolutePageCount(m_childPageCount);
        engine->SetPageCountKnown(m_childPageCountKnown);
    } else {
        startChild();
    }
    generateChildPage();
    m_report->PageDef()->Assign(&own);
    if (Stretching()) {
        m_childDone = engine->ReportComplete();
        SetOverFlow(!m_childDone);
        SetSpaceUsed(engine->HighestPosition());
    } else {
        m_childDone = true;
        SetOverFlow(false);
        SetSpaceUsed(mmHeight());
    }
    cacheBookkeeping();
    if (m_childDone) {
        m_childInProgress = false;
        ++m_printCount;
    }
}

void TppSubReport::fixedFlow() {
    TppPageDef own;
    own.Assign(m_report->PageDef());
    setArea(m_report->PageDef(), mmHeight(), mmWidth());
    startChild();
    generateChildPage();
    m_report->PageDef()->Assign(&own);
    m_childDone = true;
    m_childInProgress = false;
    SetOverFlow(false);
    SetSpaceUsed(mmHeight());
    m_childComplete = childEngine()->DataFinished() && childEngine()->ReportComplete();
    ++m_printCount;
}

void TppSubReport::sectionFlow() {
    TppEngine* engine = childEngine();
    auto* band = qobject_cast<TppCustomBand*>(Band());
    auto* parentEngine = GetReport() ? qobject_cast<TppEngine*>(GetReport()->Engine()) : nullptr;
    SetSpaceUsed(0);
    if (!m_sectionStarted) {
        m_sectionStarted = true;
        m_childDone = false;
        // Anything above on the parent page: the section begins on the next page.
        const bool pageHasContent =
            (band && PrintRect().top() > band->BandTop()) || (parentEngine && parentEngine->BodyHasContent());
        startChild();
        if (pageHasContent) {
            SetOverFlow(true);
            return;
        }
    } else {
        engine->SetAbsolutePageCount(m_childPageCount);
        engine->SetPageCountKnown(m_childPageCountKnown);
    }
    engine->SetPageNoOffset(m_resetPageNo || !parentEngine ? 0 : parentEngine->GetPageNo() - m_nextChildPage);
    generateChildPage();
    m_childProducedPage = engine->Page()->GetDrawCommandCount() > 0;
    SetOverFlow(!engine->ReportComplete());
    m_childDone = !OverFlow();
    cacheBookkeeping();
    // The page belongs to the section: nothing else of the parent prints on it.
    if (m_childProducedPage) SetSpaceUsed(std::max(1, PageBottom() - PrintRect().top()));
    if (m_childProducedPage && parentEngine) parentEngine->OnSectionPageEnd = [this] { takeSectionPage(); };
    if (m_childDone) {
        ++m_printCount;
        m_sectionStarted = false;
        m_childInProgress = false;
    }
}

void TppSubReport::takeSectionPage() {
    TppEngine* engine = childEngine();
    TppCustomReport* parent = GetReport();
    TppEngine* parentEngine = parent ? qobject_cast<TppEngine*>(parent->Engine()) : nullptr;
    if (!engine || !parentEngine || parentEngine->Page()->PassedOver()) return;
    TppPage* page = parentEngine->Page();
    // The parent's absolute numbers and flags stay; content and page setup are the child's.
    const int pageNo = page->PageNo(), pageCount = page->PageCount();
    TppPage* source = engine->Page();
    page->ClearDrawCommands();
    page->SetPrinterSetup(source->PrinterSetup());
    while (source->GetDrawCommandCount() > 0) source->GetDrawCommand(0)->SetPage(page);
    page->SetPageNo(source->PageNo());
    page->SetPageCount(source->PageCount());
    if (!m_resetPageNo) {
        page->SetPageNo(pageNo);
        page->SetPageCount(pageCount);
        page->UpdatePageCountCommands(nullptr);
    }
}

void TppSubReport::GeneratePage(TppPage* aPage) {
    TppEngine* engine = childEngine();
    if (!aPage || !engine || !DrawComponent() || !Visible() || m_printBehavior == TppPrintBehaviorType::pbSection) return;
    const QRect area = PrintRect();
    TppPage* source = engine->Page();
    // The child's band outputs become band outputs of this page, after the parent band's
    // own, so a text export makes a record of each, in order, and none of them mixes with
    // a parent band's record.
    std::map<int, int> outputNos;
    for (int i = 0; i < source->GetDrawCommandCount(); ++i)
        if (auto* t = qobject_cast<TppDrawText*>(source->GetDrawCommand(i))) outputNos[t->BandSaveNo()] = 0;
    for (auto& [child, own] : outputNos) own = aPage->TakeBandOutputNo();
    while (source->GetDrawCommandCount() > 0) {
        TppDrawCommand* c = source->GetDrawCommand(0);
        if (auto* t = qobject_cast<TppDrawText*>(c)) t->SetBandSaveNo(outputNos[t->BandSaveNo()]);
        c->SetLeft(c->Left() + area.left());
        c->SetTop(c->Top() + area.top());
        c->SetPrintableArea(area);
        c->SetPage(aPage);
    }
}

// Page cache ----------------------------------------------------------------------------------

void TppSubReport::SaveToCache(int aPageNo) {
    QByteArray record = StretchableCacheRecord();
    QByteArray own;
    QDataStream out(&own, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8(m_sectionStarted) << quint8(m_childInProgress) << quint8(m_childDone) << quint8(m_childComplete)
        << qint32(m_nextChildPage) << qint32(m_childPageCount) << qint32(m_cachedChildPage) << qint32(m_printCount)
        << quint8(m_childPageCountKnown) << quint8(0) << quint8(0) << quint8(0);
    record += own;
    WriteCacheRecord(aPageNo, record);
    if (m_childCache) m_childCache->SaveToCache(aPageNo);
}

void TppSubReport::RestoreFromCache(int aPageNo) {
    QByteArray record(kCacheRecordSize, 0);
    if (!ReadCacheRecord(aPageNo, record) || record.size() < kCacheRecordSize) return;
    TakeStretchableCacheRecord(record.left(kStretchableRecordSize));
    QDataStream in(record.mid(kStretchableRecordSize));
    in.setByteOrder(QDataStream::LittleEndian);
    quint8 started, inProgress, done, complete, known;
    qint32 next, count, cached, prints;
    in >> started >> inProgress >> done >> complete >> next >> count >> cached >> prints >> known;
    m_sectionStarted = started != 0;
    m_childInProgress = inProgress != 0;
    m_childDone = done != 0;
    m_childComplete = complete != 0;
    m_nextChildPage = next;
    m_childPageCount = count;
    m_cachedChildPage = cached;
    m_printCount = prints;
    m_childPageCountKnown = known != 0;
    TppEngine* engine = childEngine();
    if (!engine || !m_childCache) return;
    // The child's objects take their state at the end of that parent page; an engine that has
    // not started yet opens its records first, so the state is not reset after it.
    if (m_nextChildPage == 1) {
        // Nothing of the child generated yet: it starts from its first record.
        engine->SetBusy(false);
        engine->Invalidate();
    } else if (m_childInProgress || m_sectionStarted) {
        if (!engine->Initialized()) {
            engine->SetBusy(false);
            try {
                engine->Init();
            } catch (const EPrintError&) {
            } catch (const EDataError&) {
            }
        }
        m_childCache->RestoreFromCache(aPageNo);
    }
}

// Streaming -----------------------------------------------------------------------------------

const stream::PropertyList& TppSubReport::StreamProperties() const {
    using T = TppSubReport;
    static const QStringList behaviors = EnumTypeOf(TppPrintBehaviorType{}).values;
    static const auto table = stream::PropertyTable<T>(TppStretchable::StreamProperties())
        .Boolean("NewPrintJob", &T::NewPrintJob, &T::SetNewPrintJob, false)
        .Boolean("ParentPrinterSetup", &T::ParentPrinterSetup, &T::SetParentPrinterSetup, true)
        .Boolean("ParentWidth", &T::ParentWidth, &T::SetParentWidth, true)
        .Enum("PrintBehavior", &T::PrintBehavior, &T::SetPrintBehavior, behaviors, TppPrintBehaviorType::pbChild)
        .Boolean("ResetPageNo", &T::ResetPageNo, &T::SetResetPageNo, true)
        .Boolean("TraverseAllData", &T::TraverseAllData, &T::SetTraverseAllData, false);
    return table;
}

void TppSubReport::BeginLoading() {
    TppStretchable::SetStretch(false);
    TppStretchable::BeginLoading();
}

void TppSubReport::GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const {
    if (m_report) proc(*m_report);
}

bool TppSubReport::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    auto* report = dynamic_cast<TppChildReport*>(child.get());
    if (!report) return false;
    child.release();
    delete m_report;
    m_report = report;
    m_report->setParent(nullptr);
    if (TppCustomReport* parent = GetReport()) {
        m_report->SetParentReport(parent);
        parent->SubReportLoaded(m_report);
    }
    return true;
}
