#include "report/page/page.h"

#include "report/page/report_texts.h"
#include "report/page/resource_manager.h"

#include "platform/stream/property_table.h"

#include <algorithm>

namespace {
void eraseFrom(std::unique_ptr<std::vector<TppDrawCommand*>>& list, TppDrawCommand* c) {
    if (!list) return;
    list->erase(std::remove(list->begin(), list->end(), c), list->end());
    if (list->empty()) list.reset();
}
}  // namespace

TppPage::TppPage(TComponent* AOwner) : TComponent(AOwner), m_printerSetup(std::make_unique<TppPrinterSetup>(this)) {}

TppPage::~TppPage() {
    m_destroying = true;
    ClearDrawCommands();
}

void TppPage::SetPrinterSetup(TppPrinterSetup* aPrinterSetup) {
    if (aPrinterSetup) m_printerSetup->Assign(aPrinterSetup);
}

void TppPage::SetPageDef(TppPageDef* aPageDef) {
    if (aPageDef) m_printerSetup->PageDef()->Assign(aPageDef);
}

void TppPage::Reset() {
    ClearDrawCommands();
    m_bandOutputs = 0;
    m_absolutePageNo = 0;
    m_absolutePageCount = 0;
    m_passedOver = false;
    m_controlGroupBreakNo = 0;
    m_documentName.clear();
    m_final = false;
    m_languageIndex = 0;
    m_lastPage = false;
    m_pageCount = 0;
    m_pageNo = 0;
}

void TppPage::ClearDrawCommands() {
    std::vector<TppDrawCommand*> commands;
    commands.swap(m_drawCommands);
    m_clickList.reset();
    m_pageCountList.reset();
    for (TppDrawCommand* c : commands) {
        c->m_page = nullptr;
        delete c;
    }
}

TppDrawCommand* TppPage::GetClickCommand(int aIndex) const {
    if (!m_clickList || aIndex < 0 || aIndex >= int(m_clickList->size())) return nullptr;
    return m_clickList->at(size_t(aIndex));
}

void TppPage::AddDrawCommand(TppDrawCommand* aCommand) {
    if (!aCommand) return;
    m_drawCommands.push_back(aCommand);
    if (aCommand->IsPageCountDependent()) {
        if (!m_pageCountList) m_pageCountList = std::make_unique<std::vector<TppDrawCommand*>>();
        m_pageCountList->push_back(aCommand);
    }
    if (aCommand->HasClickHandler()) {
        if (!m_clickList) m_clickList = std::make_unique<std::vector<TppDrawCommand*>>();
        m_clickList->push_back(aCommand);
        aCommand->SetClickable(true);
    }
    if (aCommand->parent() != this) aCommand->setParent(this);
}

void TppPage::RemoveDrawCommand(TppDrawCommand* aCommand) {
    m_drawCommands.erase(std::remove(m_drawCommands.begin(), m_drawCommands.end(), aCommand), m_drawCommands.end());
    eraseFrom(m_clickList, aCommand);
    eraseFrom(m_pageCountList, aCommand);
    if (!m_destroying && aCommand->parent() == this) aCommand->setParent(nullptr);
}

void TppPage::UpdatePageCountCommands(report::PageDevice* aDevice) {
    if (!m_pageCountList) return;
    const std::vector<TppDrawCommand*> commands = *m_pageCountList;
    for (TppDrawCommand* c : commands)
        if (c->UpdatePageCountText() && aDevice) aDevice->RedrawCommand(*c);
}

QString TppPage::GetPageOfText() const {
    report::DeclareFoundationTexts();
    return QStringLiteral("%1 %2 %3 %4")
        .arg(ppGetMessageText(18))
        .arg(m_absolutePageNo)
        .arg(ppGetMessageText(16))
        .arg(m_absolutePageCount);
}

QString TppPage::GetPageText() const {
    report::DeclareFoundationTexts();
    return ppGetMessageText(18) + QLatin1Char(' ') + QString::number(m_absolutePageNo);
}

void TppPage::Assign(TPersistent* Source) {
    auto* source = qobject_cast<TppPage*>(Source);
    if (!source) {
        TComponent::Assign(Source);
        return;
    }
    m_absolutePageNo = source->m_absolutePageNo;
    m_absolutePageCount = source->m_absolutePageCount;
    m_passedOver = source->m_passedOver;
    m_controlGroupBreakNo = source->m_controlGroupBreakNo;
    m_documentName = source->m_documentName;
    m_final = source->m_final;
    m_firstPage = source->m_firstPage;
    m_languageIndex = source->m_languageIndex;
    m_lastPage = source->m_lastPage;
    m_passSetting = source->m_passSetting;
    m_pageCount = source->m_pageCount;
    m_pageNo = source->m_pageNo;
    m_printDateTime = source->m_printDateTime;
    m_printerSetup->Assign(source->m_printerSetup.get());
    ClearDrawCommands();
    for (TppDrawCommand* c : source->m_drawCommands) {
        const TClass cls = report::GetClass(QString::fromLatin1(c->metaObject()->className()));
        if (!cls) continue;
        QObject* created = cls->newInstance(Q_ARG(TComponent*, nullptr));
        auto* copy = qobject_cast<TppDrawCommand*>(created);
        if (!copy) {
            delete created;
            continue;
        }
        copy->Assign(c);
        copy->SetPage(this);
    }
}

const stream::PropertyList& TppPage::StreamProperties() const {
    using T = TppPage;
    static const auto table = stream::PropertyTable<T>()
        .Integer("AbsolutePageNo", &T::AbsolutePageNo, &T::SetAbsolutePageNo, 0)
        .Integer("AbsolutePageCount", &T::AbsolutePageCount, &T::SetAbsolutePageCount, 0)
        .Integer("ControlGroupBreakNo", &T::ControlGroupBreakNo, &T::SetControlGroupBreakNo, 0)
        .String("DocumentName", &T::DocumentName, &T::SetDocumentName)
        .Boolean("FirstPage", &T::FirstPage, &T::SetFirstPage, false)
        .Integer("LanguageIndex", &T::LanguageIndex, &T::SetLanguageIndex, 0)
        .Boolean("LastPage", &T::LastPage, &T::SetLastPage, false)
        .Integer("PageNo", &T::PageNo, &T::SetPageNo, 0)
        .Integer("PageCount", &T::PageCount, &T::SetPageCount, 0)
        .Enum("PassSetting", &T::PassSetting, &T::SetPassSetting, EnumTypeOf(TppPassSettingType{}).values,
              TppPassSettingType::psOnePass)
        .Date("PrintDateTime", &T::PrintDateTime, &T::SetPrintDateTime, 0.0)
        .Object("PrinterSetup", [](const T& p) -> const TppPrinterSetup& { return *p.m_printerSetup; });
    return table;
}

void TppPage::GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (const TppDrawCommand* c : m_drawCommands) proc(*c);
}

bool TppPage::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    auto* command = dynamic_cast<TppDrawCommand*>(child.get());
    if (!command) return false;
    child.release();
    command->SetPage(this);
    return true;
}

void TppPage::BeginLoading() {
    SetComponentState(csLoading | csReading, true);
}

void TppPage::Loaded() {
    SetComponentState(csLoading | csReading, false);
    const std::vector<TppDrawCommand*> commands = m_drawCommands;
    m_drawCommands.clear();
    m_clickList.reset();
    m_pageCountList.reset();
    for (TppDrawCommand* c : commands) AddDrawCommand(c);
}

// TppPageRequest ---------------------------------------------------------------------------

TppPageRequest::TppPageRequest(QObject* parent) : TPersistent(parent) {}

void TppPageRequest::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppPageRequest*>(Source);
    if (!s) return;
    m_pageList = s->m_pageList;
    m_pageRequested = s->m_pageRequested;
    m_pageSetting = s->m_pageSetting;
    m_pageRange = s->m_pageRange;
}

void TppPageRequest::Reset() {
    m_pageList.clear();
    m_pageRange = AllPages;
    m_pageRequested = 1;
    m_pageSetting = TppPageSettingType::psAll;
}

bool TppPageRequest::IsRequested(const TppPage& aPage) {
    bool requested = false;
    switch (m_pageSetting) {
    case TppPageSettingType::psAll: requested = true; break;
    case TppPageSettingType::psPageList:
        requested = m_pageList.contains(QString::number(aPage.AbsolutePageNo()));
        break;
    case TppPageSettingType::psSinglePage:
        if (aPage.LastPage() && aPage.AbsolutePageCount() < m_pageRequested)
            m_pageRequested = aPage.AbsolutePageCount();
        else if (m_pageRequested < 1 && aPage.AbsolutePageNo() == 1)
            m_pageRequested = 1;
        requested = aPage.AbsolutePageNo() == m_pageRequested;
        break;
    case TppPageSettingType::psFirstPage: requested = aPage.FirstPage(); break;
    case TppPageSettingType::psLastPage: requested = aPage.LastPage(); break;
    case TppPageSettingType::psPageRange: requested = false; break;
    }
    if (m_pageRange == OddPages) return requested && aPage.AbsolutePageNo() % 2 != 0;
    if (m_pageRange == EvenPages) return requested && aPage.AbsolutePageNo() % 2 == 0;
    return requested;
}

bool TppPageRequest::IsLastRequested(const TppPage& aPage) const {
    switch (m_pageSetting) {
    case TppPageSettingType::psAll:
    case TppPageSettingType::psLastPage: return aPage.LastPage();
    case TppPageSettingType::psPageList: return m_pageList.isEmpty();
    case TppPageSettingType::psSinglePage: return aPage.AbsolutePageNo() == m_pageRequested;
    case TppPageSettingType::psFirstPage: return aPage.FirstPage();
    case TppPageSettingType::psPageRange: return false;
    }
    return false;
}

void TppPageRequest::Merge(const TppPageRequest& aRequest) {
    const TppPageSettingType other = aRequest.m_pageSetting;
    if (other != TppPageSettingType::psSinglePage && other != TppPageSettingType::psFirstPage) {
        m_pageSetting = TppPageSettingType::psAll;
        return;
    }
    if ((m_pageSetting == TppPageSettingType::psSinglePage && m_pageRequested != aRequest.m_pageRequested) ||
        (m_pageSetting == TppPageSettingType::psFirstPage && aRequest.m_pageRequested != 1)) {
        m_pageSetting = TppPageSettingType::psPageList;
        m_pageList << QString::number(m_pageRequested) << QString::number(aRequest.m_pageRequested);
        return;
    }
    if (m_pageSetting == TppPageSettingType::psPageList) {
        const QString page = QString::number(aRequest.m_pageRequested);
        if (!m_pageList.contains(page)) m_pageList << page;
    }
}
