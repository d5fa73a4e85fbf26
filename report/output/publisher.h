#pragma once

#include "report/model/communicator.h"
#include "report/page/page_source.h"

#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class TppDevice;
class TppPage;
class TppPageRequest;
class TppPublisher;

using TppPublisherPageRequestEvent = std::function<void(TppPublisher* Sender, TppPageRequest* aPageRequest)>;

/// Sits between a report and its devices. Devices attach to it; a job (Publish) starts every
/// active device, merges the requests of those still waiting into one request, serves what
/// it can from its page cache and asks the report (OnPageRequest) for the rest, hands every
/// finished page to each active waiting device, and ends the devices. It learns the page
/// count from the last page, copies final pages into its cache (keyed by "%8d" of the
/// absolute page number) and patches the page counts of cached pages when a later page
/// brings a larger count.
///
/// Exclusive devices of one group form a stack: only the one attached last takes part in
/// jobs; when it leaves, the one below it takes part again.
///
/// The flags merging, publishing and serving-from-cache keep a request that arrives while a
/// job runs (report generation processes window messages) from being collected or served
/// twice.
class TppPublisher : public TppCommunicator, public report::PageReceiver {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppPublisher(TComponent* AOwner = nullptr);
    ~TppPublisher() override;

    int PageCount() const { return m_pageCount; }
    bool PageCountKnown() const { return m_pageCountKnown; }
    bool CachePages() const { return m_cachePages; }
    void SetCachePages(bool v) { m_cachePages = v; }
    bool RequestSatisfied() const { return m_requestSatisfied; }
    TppPageRequest* MergedRequest() const { return m_mergedRequest.get(); }

    int DeviceCount() const { return int(m_devices.size()); }
    TppDevice* Device(int aIndex) const { return m_devices.at(size_t(aIndex)); }

    /// Called by TppDevice::SetPublisher.
    void AddDevice(TppDevice* aDevice);
    /// Called by TppDevice::SetPublisher and when a device is freed.
    void RemoveDevice(TppDevice* aDevice);

    /// Runs one job over the active devices.
    void Publish();
    /// Called by the report for every page it finishes.
    void ReceivePage(TppPage& aPage) override;
    /// Forgets the page count, the cache and the merged request.
    void Reset();
    /// Forgets the page count and the cache (the pages' printer setup changed).
    void InvalidatePages();
    void ResetDevices();
    void CancelJobs();
    void SetStatus(const QString& aText);
    QString GetStatus() const;
    bool HasOnlyScreenDevices() const;
    /// The cached copy of a page; null when it is not cached.
    TppPage* GetCachedPage(int aPageNo) const;
    int CachedPageCount() const { return int(m_cache.size()); }

    /// Asks the owner for pages; the producer points it at its page-request operation.
    TppPublisherPageRequestEvent OnPageRequest;

    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

private:
    void requestPages();
    bool serveFromCache();
    void cachePage(TppPage& aPage);
    void deliver(TppPage& aPage);
    void clearCache();
    static QString keyOf(int aPageNo);

    int m_pageCount = 0;
    bool m_cachePages = false;
    std::vector<TppDevice*> m_devices;
    bool m_resetOnMerge = false;
    /// Exclusive stacks by group name (compared case-insensitively: keys are lower case);
    /// index 0 is the top.
    std::map<QString, std::vector<TppDevice*>> m_exclusiveStacks;
    std::map<QString, std::unique_ptr<TppPage>> m_cache;  ///< key "%8d" of the page number
    std::unique_ptr<TppPageRequest> m_mergedRequest;
    bool m_requestSatisfied = false;
    bool m_servingFromCache = false;
    bool m_pageCountKnown = false;
    bool m_merging = false;
    bool m_publishing = false;
};
