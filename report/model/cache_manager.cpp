#include "report/model/cache_manager.h"

#include "report/model/band.h"
#include "report/model/cache_stream.h"
#include "report/model/cacheable.h"
#include "report/model/component.h"
#include "report/model/custom_engine.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/errors.h"
#include "report/model/group.h"
#include "report/model/report_utils.h"
#include "report/page/resource_manager.h"

#include <QFile>

#include <algorithm>

namespace {
constexpr qint64 kDefaultMemoryLimit = 16 * 1024 * 1024;
}

TppCacheManager::TppCacheManager(TppCustomReport* aReport, TComponent* AOwner)
    : TppCommunicator(AOwner), m_report(aReport), m_tempFolder(ppGetTempPath()),
      m_budget(std::make_shared<report::MemoryBudget>()) {
    m_budget->Limit = kDefaultMemoryLimit;
    EventNotifies().set(report::ciCacheFirstWriteFailure);
    EventNotifies().set(report::ciCacheSecondWriteFailure);
}

TppCacheManager::~TppCacheManager() {
    m_destroying = true;
    Clear();
}

qint64 TppCacheManager::MemoryLimit() const { return m_budget->Limit; }
void TppCacheManager::SetMemoryLimit(qint64 aBytes) { m_budget->Limit = aBytes; }
qint64 TppCacheManager::MemoryUsed() const { return m_budget->Used; }

void TppCacheManager::Reset() {
    Clear();
    Init();
}

void TppCacheManager::Init() {
    if (!m_report) return;
    // Pipelines keep a per-page state only when their class is a cacheable.
    registerCacheable(qobject_cast<TppCacheable*>(static_cast<QObject*>(m_report->DataPipeline())));
    if (TppBand* detail = m_report->GetBand(TppBandType::btDetail))
        registerCacheable(qobject_cast<TppCacheable*>(static_cast<QObject*>(detail->GetDataPipeline())));
    if (TppCustomEngine* engine = m_report->Engine()) registerCacheable(engine);
    for (int i = 0; i < m_report->GroupCount(); ++i) registerCacheable(m_report->Groups(i));
    for (int i = 0; i < m_report->BandCount(); ++i) {
        TppBand* band = m_report->Bands(i);
        registerCacheable(band);
        for (int k = 0; k < band->ObjectCount(); ++k) registerCacheable(band->Objects(k));
    }
    for (TppCacheable* c : m_cacheables) allocateSlot(c);
    for (TppCacheable* c : m_cacheables) bind(c);
}

void TppCacheManager::registerCacheable(TppCacheable* aCacheable) {
    if (!aCacheable || std::find(m_cacheables.begin(), m_cacheables.end(), aCacheable) != m_cacheables.end()) return;
    m_cacheables.push_back(aCacheable);
    aCacheable->AddEventNotify(this);
}

void TppCacheManager::unregisterCacheable(TppCacheable* aCacheable) {
    aCacheable->SetCacheStream(nullptr);
    aCacheable->RemoveEventNotify(this);
    RemoveNotify(aCacheable);
    m_cacheables.erase(std::remove(m_cacheables.begin(), m_cacheables.end(), aCacheable), m_cacheables.end());
}

TppCacheManager::Key* TppCacheManager::findKey(int aRecordSize) {
    for (Key& k : m_keys)
        if (k.recordSize == aRecordSize) return &k;
    return nullptr;
}

std::unique_ptr<report::CacheStream> TppCacheManager::newFileStream() {
    const QString name = ppGetTempFileName(m_tempFolder, QStringLiteral("cch"));
    if (name.isEmpty()) return nullptr;
    m_tempFiles << name;
    auto stream = report::FileCacheStream::Open(name);
    if (stream) stream->WriteAllowed = WriteAllowed;
    return stream;
}

void TppCacheManager::allocateSlot(TppCacheable* aCacheable) {
    const int size = aCacheable->CacheRecordSize();
    if (size <= 0) return;
    if (Key* key = findKey(size)) {
        aCacheable->SetCachePosition(++key->highestSlot);
        return;
    }
    Key key;
    key.recordSize = size;
    if (m_mode == smTempFile) {
        key.stream = newFileStream();
        if (!key.stream) stopJob();
    } else {
        key.stream = std::make_unique<report::MemoryCacheStream>(m_budget);
        key.stream->WriteAllowed = WriteAllowed;
    }
    m_keys.push_back(std::move(key));
    aCacheable->SetCachePosition(0);
}

void TppCacheManager::bind(TppCacheable* aCacheable) {
    Key* key = findKey(aCacheable->CacheRecordSize());
    aCacheable->SetCacheStream(key ? key->stream.get() : nullptr);
    aCacheable->SetCacheCount(key ? key->highestSlot + 1 : 0);
    aCacheable->SetCachePageCount(m_highestPage);
}

void TppCacheManager::Clear() {
    const std::vector<TppCacheable*> cacheables = m_cacheables;
    for (TppCacheable* c : cacheables) {
        c->ResetCache(0);
        c->SetCachePageCount(-1);
    }
    m_highestPage = -1;
    for (TppCacheable* c : cacheables) unregisterCacheable(c);
    m_keys.clear();
    deleteTempFiles();
}

void TppCacheManager::deleteTempFiles() {
    for (const QString& name : std::as_const(m_tempFiles))
        if (QFile::exists(name)) QFile::remove(name);
    m_tempFiles.clear();
}

void TppCacheManager::SaveToCache(int aPageNo) {
    const std::vector<TppCacheable*> cacheables = m_cacheables;
    for (TppCacheable* c : cacheables) {
        bind(c);
        c->SaveToCache(aPageNo);
    }
    m_highestPage = std::max(m_highestPage, aPageNo);
}

void TppCacheManager::RestoreFromCache(int aPageNo) {
    const std::vector<TppCacheable*> cacheables = m_cacheables;
    for (TppCacheable* c : cacheables) {
        bind(c);
        c->RestoreFromCache(aPageNo);
    }
}

void TppCacheManager::Truncate(int aPageNo) {
    aPageNo = std::max(aPageNo, 0);
    for (TppCacheable* c : m_cacheables) {
        bind(c);
        c->ResetCache(aPageNo);
        c->SetCachePageCount(aPageNo - 1);
    }
    for (Key& k : m_keys) {
        const qint64 count = k.highestSlot + 1;
        if (k.stream->Size() > qint64(k.recordSize) * count * aPageNo)
            k.stream->SetSize(qint64(k.recordSize) * count * aPageNo);
        k.stream->ForgetFrom(count * aPageNo);
    }
    m_highestPage = aPageNo - 1;
}

void TppCacheManager::moveToFiles() {
    if (m_mode == smTempFile) stopJob();
    m_mode = smTempFile;
    for (Key& k : m_keys) {
        auto* memory = dynamic_cast<report::MemoryCacheStream*>(k.stream.get());
        if (!memory) continue;
        std::unique_ptr<report::CacheStream> file = newFileStream();
        if (!file || !file->Write(memory->Data())) stopJob();
        file->Seek(file->Size());
        file->TakeWrittenFrom(*memory);
        k.stream = std::move(file);
    }
    for (TppCacheable* c : m_cacheables) bind(c);
}

void TppCacheManager::stopJob() {
    if (m_report && m_report->Engine() && m_report->Engine()->Busy()) m_report->Engine()->SetCancelled(true);
    // The cache is useless once the job stops: free it so no file stays behind.
    Clear();
    throw EPrintError(report::MessageText(284));
}

void TppCacheManager::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation != ppopRemove) return;
    auto it = std::find_if(m_cacheables.begin(), m_cacheables.end(),
                           [&](TppCacheable* c) { return static_cast<TppCommunicator*>(c) == aCommunicator; });
    if (it != m_cacheables.end()) m_cacheables.erase(it);
}

void TppCacheManager::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID == report::ciCacheFirstWriteFailure)
        moveToFiles();
    else if (aEventID == report::ciCacheSecondWriteFailure)
        stopJob();
}
