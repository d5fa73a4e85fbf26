#pragma once

#include "report/model/communicator.h"

#include <QStringList>

#include <memory>
#include <vector>

class TppCacheable;
class TppCustomReport;

namespace report {
class CacheStream;
struct MemoryBudget;
}

/// Owns the streams of a report's page cache (see TppCacheable for the record layout): one
/// stream per record size, shared by every cacheable of that size. Streams live in memory
/// until a write fails, which happens when the disk is full or when the memory streams
/// would pass the memory limit; then every stream moves to a temporary file ("cch..." in
/// the temporary folder) and stays there until the manager is cleared. A failure in file
/// mode stops the job with EPrintError 284 and deletes the files.
///
/// States: empty (after Create and Clear) → Init (cacheables registered and slotted) →
/// SaveToCache / RestoreFromCache / Truncate per page → Clear. The storage mode (memory or
/// files) survives Clear, so a report that once spilled keeps using files.
class TppCacheManager : public TppCommunicator {
    Q_OBJECT
public:
    enum StorageMode { smMemory = 0, smTempFile = 1 };

    explicit TppCacheManager(TppCustomReport* aReport, TComponent* AOwner = nullptr);
    ~TppCacheManager() override;

    /// Clear, then Init.
    void Reset();
    /// Registers the report's cacheables (pipelines, engine, groups, bands with their
    /// components) and gives each its slot and count.
    void Init();
    /// Unregisters everything, frees the streams and deletes the temporary files.
    void Clear();
    void SaveToCache(int aPageNo);
    void RestoreFromCache(int aPageNo);
    /// Keeps pages 0 .. aPageNo − 1.
    void Truncate(int aPageNo);

    TppCustomReport* Report() const { return m_report; }
    StorageMode Mode() const { return m_mode; }
    int HighestPage() const { return m_highestPage; }
    int CacheableCount() const { return int(m_cacheables.size()); }
    TppCacheable* Cacheables(int aIndex) const { return m_cacheables.at(size_t(aIndex)); }
    QStringList TempFileNames() const { return m_tempFiles; }
    QString TempFolder() const { return m_tempFolder; }
    void SetTempFolder(const QString& aFolder) { m_tempFolder = aFolder; }
    /// Bytes the memory streams may hold together; negative: no limit (the default is 16 MB).
    qint64 MemoryLimit() const;
    void SetMemoryLimit(qint64 aBytes);
    /// Bytes held by memory streams now.
    qint64 MemoryUsed() const;
    /// Test hook handed to every stream (see CacheStream::WriteAllowed).
    std::function<bool(const report::CacheStream&)> WriteAllowed;

    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override;

private:
    struct Key {
        int recordSize = 0;
        int highestSlot = 0;
        std::unique_ptr<report::CacheStream> stream;
    };

    void registerCacheable(TppCacheable* aCacheable);
    void unregisterCacheable(TppCacheable* aCacheable);
    void allocateSlot(TppCacheable* aCacheable);
    void bind(TppCacheable* aCacheable);
    Key* findKey(int aRecordSize);
    std::unique_ptr<report::CacheStream> newFileStream();
    void moveToFiles();
    [[noreturn]] void stopJob();
    void deleteTempFiles();

    TppCustomReport* m_report;
    std::vector<TppCacheable*> m_cacheables;
    std::vector<Key> m_keys;
    StorageMode m_mode = smMemory;
    QStringList m_tempFiles;
    QString m_tempFolder;
    int m_highestPage = -1;
    bool m_destroying = false;
    std::shared_ptr<report::MemoryBudget> m_budget;
};
