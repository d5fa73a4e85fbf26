#include "report/output/publisher.h"

#include "report/output/device.h"
#include "report/page/page.h"

#include "platform/base/scope_exit.h"

#include <algorithm>

TppPublisher::TppPublisher(TComponent* AOwner)
    : TppCommunicator(AOwner), m_mergedRequest(std::make_unique<TppPageRequest>()) {
    // Cached pages are copies, made command by command through the class registry.
    report::RegisterDrawCommands();
}

TppPublisher::~TppPublisher() {
    const std::vector<TppDevice*> devices = m_devices;
    for (TppDevice* d : devices) {
        d->m_publisher = nullptr;
        if (d->OnPublisherChange) d->OnPublisherChange(d);
    }
    clearCache();
}

QString TppPublisher::keyOf(int aPageNo) {
    return QString::asprintf("%8d", aPageNo);
}

void TppPublisher::AddDevice(TppDevice* aDevice) {
    if (!aDevice) return;
    for (const auto& [group, stack] : m_exclusiveStacks)
        if (std::find(stack.begin(), stack.end(), aDevice) != stack.end()) return;
    if (aDevice->Exclusive()) {
        auto& stack = m_exclusiveStacks[aDevice->ExclusiveGroup().toLower()];
        if (!stack.empty()) m_devices.erase(std::remove(m_devices.begin(), m_devices.end(), stack.front()), m_devices.end());
        stack.insert(stack.begin(), aDevice);
    }
    if (std::find(m_devices.begin(), m_devices.end(), aDevice) == m_devices.end()) m_devices.push_back(aDevice);
    AddNotify(aDevice);
}

void TppPublisher::RemoveDevice(TppDevice* aDevice) {
    if (!aDevice) return;
    m_devices.erase(std::remove(m_devices.begin(), m_devices.end(), aDevice), m_devices.end());
    if (aDevice->Exclusive()) {
        const auto it = m_exclusiveStacks.find(aDevice->ExclusiveGroup().toLower());
        if (it != m_exclusiveStacks.end()) {
            auto& stack = it->second;
            const bool wasTop = !stack.empty() && stack.front() == aDevice;
            stack.erase(std::remove(stack.begin(), stack.end(), aDevice), stack.end());
            if (wasTop && !stack.empty()) m_devices.push_back(stack.front());
        }
    }
    RemoveNotify(aDevice);
}

void TppPublisher::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    if (aOperation == TppOperationType::ppopRemove)
        if (auto* device = qobject_cast<TppDevice*>(aCommunicator)) {
            // A freed device: take it out of the list and its stack before the link goes.
            device->m_publisher = nullptr;
            m_devices.erase(std::remove(m_devices.begin(), m_devices.end(), device), m_devices.end());
            for (auto& [group, stack] : m_exclusiveStacks) {
                const bool wasTop = !stack.empty() && stack.front() == device;
                stack.erase(std::remove(stack.begin(), stack.end(), device), stack.end());
                if (wasTop && !stack.empty()) m_devices.push_back(stack.front());
            }
        }
    TppCommunicator::Notify(aCommunicator, aOperation);
}

void TppPublisher::Publish() {
    const std::vector<TppDevice*> devices = m_devices;
    for (TppDevice* d : devices)
        if (d->Active()) d->StartJob();

    m_merging = true;
    m_resetOnMerge = true;
    {
        const auto endMerge = base::ScopeExit([this] { m_merging = false; });
        for (TppDevice* d : std::vector<TppDevice*>(m_devices)) {
            if (!d->Active() || !d->Waiting()) continue;
            d->DoPageRequest();
            if (m_resetOnMerge) {
                m_mergedRequest->Assign(d->PageRequest());
                m_resetOnMerge = false;
            } else if (m_mergedRequest->PageSetting() != TppPageSettingType::psAll) {
                m_mergedRequest->Merge(*d->PageRequest());
            }
            m_requestSatisfied = false;
        }
    }

    m_publishing = true;
    const auto endPublish = base::ScopeExit([this] {
        m_publishing = false;
        for (TppDevice* d : std::vector<TppDevice*>(m_devices))
            if (d->Active()) d->EndJob();
        m_mergedRequest->Reset();
        m_resetOnMerge = true;
    });
    requestPages();
}

void TppPublisher::requestPages() {
    if (m_merging || m_requestSatisfied) return;
    m_requestSatisfied = serveFromCache();
    if (!m_requestSatisfied && OnPageRequest) OnPageRequest(this, m_mergedRequest.get());
}

void TppPublisher::deliver(TppPage& aPage) {
    for (TppDevice* d : std::vector<TppDevice*>(m_devices))
        if (d->Active() && d->Waiting()) d->ReceivePage(aPage);
}

void TppPublisher::ReceivePage(TppPage& aPage) {
    cachePage(aPage);
    deliver(aPage);
    m_requestSatisfied = m_mergedRequest->IsLastRequested(aPage);
    if (!m_pageCountKnown && aPage.LastPage()) {
        m_pageCountKnown = true;
        m_pageCount = aPage.AbsolutePageNo();
    }
}

void TppPublisher::cachePage(TppPage& aPage) {
    if (!m_cachePages || m_servingFromCache || !aPage.Final() || aPage.PassedOver()) return;
    const QString key = keyOf(aPage.AbsolutePageNo());
    m_cache.erase(key);
    auto copy = std::make_unique<TppPage>();
    copy->Assign(&aPage);
    copy->SetPassedOver(false);
    TppPage* added = copy.get();
    m_cache[key] = std::move(copy);
    if (m_cache.size() <= 1) return;
    for (auto& [k, cached] : m_cache) {
        if (cached.get() == added) continue;
        if (cached->AbsolutePageCount() < added->AbsolutePageCount()) {
            cached->SetAbsolutePageCount(added->AbsolutePageCount());
            if (cached->ControlGroupBreakNo() == added->ControlGroupBreakNo() && cached->PageCount() < added->PageCount())
                cached->SetPageCount(added->PageCount());
            if (cached->HasPageCountCommands()) cached->UpdatePageCountCommands(nullptr);
        }
    }
}

bool TppPublisher::serveFromCache() {
    if (!m_cachePages) return false;
    m_servingFromCache = true;
    const auto endServe = base::ScopeExit([this] { m_servingFromCache = false; });
    TppPageRequest& request = *m_mergedRequest;
    switch (request.PageSetting()) {
    case TppPageSettingType::psAll: {
        TppPage* first = GetCachedPage(1);
        if (!m_pageCountKnown || !first || int(m_cache.size()) != first->AbsolutePageCount()) return false;
        const int count = first->AbsolutePageCount();
        for (int i = 1; i <= count; ++i) {
            TppPage* page = GetCachedPage(i);
            if (!page) return false;
            ReceivePage(*page);
        }
        return true;
    }
    case TppPageSettingType::psPageList: {
        // Served only when every listed page is cached; otherwise the report generates the
        // request, so each page reaches each device once.
        std::vector<TppPage*> pages;
        for (const QString& entry : request.PageList()) {
            TppPage* page = GetCachedPage(entry.trimmed().toInt());
            if (!page) return false;
            pages.push_back(page);
        }
        if (pages.empty()) return false;
        for (TppPage* page : pages) ReceivePage(*page);
        return true;
    }
    case TppPageSettingType::psSinglePage:
        if (TppPage* page = GetCachedPage(request.PageRequested())) {
            ReceivePage(*page);
            return true;
        }
        return false;
    case TppPageSettingType::psFirstPage:
        if (TppPage* page = GetCachedPage(1)) {
            ReceivePage(*page);
            return true;
        }
        return false;
    case TppPageSettingType::psLastPage:
        if (!m_pageCountKnown) return false;
        if (TppPage* page = GetCachedPage(m_pageCount)) {
            ReceivePage(*page);
            return true;
        }
        return false;
    case TppPageSettingType::psPageRange: return false;
    }
    return false;
}

void TppPublisher::clearCache() {
    m_cache.clear();
}

void TppPublisher::Reset() {
    m_pageCountKnown = false;
    m_pageCount = 0;
    m_requestSatisfied = false;
    m_mergedRequest->Reset();
    m_resetOnMerge = true;
    clearCache();
}

void TppPublisher::InvalidatePages() {
    m_pageCountKnown = false;
    m_pageCount = 0;
    m_requestSatisfied = false;
    clearCache();
}

void TppPublisher::ResetDevices() {
    for (TppDevice* d : std::vector<TppDevice*>(m_devices))
        if (d->Active()) d->Reset();
}

void TppPublisher::CancelJobs() {
    for (TppDevice* d : std::vector<TppDevice*>(m_devices))
        if (d->Active() && d->Waiting()) d->CancelJob();
}

void TppPublisher::SetStatus(const QString& aText) {
    for (TppDevice* d : std::vector<TppDevice*>(m_devices)) d->SetStatus(aText);
}

QString TppPublisher::GetStatus() const {
    for (TppDevice* d : m_devices)
        if (!d->Status().isEmpty()) return d->Status();
    return QString();
}

bool TppPublisher::HasOnlyScreenDevices() const {
    for (TppDevice* d : m_devices)
        if (QString::fromLatin1(d->metaObject()->className()).compare(QLatin1String("TppScreenDevice"), Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

TppPage* TppPublisher::GetCachedPage(int aPageNo) const {
    const auto it = m_cache.find(keyOf(aPageNo));
    return it != m_cache.end() ? it->second.get() : nullptr;
}
