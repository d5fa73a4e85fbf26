#pragma once

#include "report/model/relative.h"

#include <QByteArray>

namespace report {
class CacheStream;
}

/// A relative whose generation state is kept per page in the report's page cache, so that
/// a page can be produced again by restoring the states saved at the end of the page before
/// it. A descendant declares the size of its per-page record and writes and reads it; this
/// base keeps no record (size 0) and its cache operations do nothing.
///
/// Record address: the record of page p lies at byte CacheRecordSize × (p × CacheCount +
/// CachePosition) of CacheStream, so each page holds CacheCount consecutive records, one
/// per cacheable of that record size, in slot order. A cache manager binds the stream, the
/// slot and the count (see cache_manager.h); unbound, reads and writes do nothing.
class TppCacheable : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCacheable(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}

    /// Bytes of the per-page record; 0: nothing is cached.
    virtual int CacheRecordSize() const { return 0; }
    /// Drops state saved beyond page aPageNo (0: all).
    virtual void ResetCache(int aPageNo) { Q_UNUSED(aPageNo); }
    /// Restores the state saved at the end of page aPageNo.
    virtual void RestoreFromCache(int aPageNo) { Q_UNUSED(aPageNo); }
    /// Writes the object's state at the end of page aPageNo.
    virtual void SaveToCache(int aPageNo) { Q_UNUSED(aPageNo); }

    /// Number of cacheables sharing the stream (all of the same record size).
    int CacheCount() const { return m_cacheCount; }
    /// This object's slot among them, from 0.
    int CachePosition() const { return m_cachePosition; }
    /// The highest page index saved; -1 when none.
    int CachePageCount() const { return m_cachePageCount; }
    report::CacheStream* CacheStream() const { return m_cacheStream; }

    /// Reads the record of page aPageNo into aBuffer (CacheRecordSize bytes); a record that
    /// was never written leaves the buffer as it is. Answers whether it was read.
    bool ReadCacheRecord(int aPageNo, QByteArray& aBuffer) const;
    /// Writes aBuffer as the record of page aPageNo. A failed write raises event 48 (the
    /// manager moves its streams to files) and is tried once more; a second failure raises
    /// event 49 (the manager stops the job with EPrintError 284).
    void WriteCacheRecord(int aPageNo, const QByteArray& aBuffer);

    // Set by the cache manager.
    void SetCacheCount(int v) { m_cacheCount = v; }
    void SetCachePosition(int v) { m_cachePosition = v; }
    void SetCachePageCount(int v) { m_cachePageCount = v; }
    void SetCacheStream(report::CacheStream* s) { m_cacheStream = s; }

private:
    qint64 recordOffset(int aPageNo) const;

    int m_cacheCount = 0;
    int m_cachePosition = 0;
    int m_cachePageCount = -1;
    report::CacheStream* m_cacheStream = nullptr;  ///< owned by the cache manager that bound it
};
