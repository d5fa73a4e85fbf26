#include "report/model/cacheable.h"

#include "report/model/cache_stream.h"

qint64 TppCacheable::recordOffset(int aPageNo) const {
    return qint64(CacheRecordSize()) * (qint64(aPageNo) * m_cacheCount + m_cachePosition);
}

bool TppCacheable::ReadCacheRecord(int aPageNo, QByteArray& aBuffer) const {
    const int size = CacheRecordSize();
    if (!m_cacheStream || size <= 0 || aPageNo < 0) return false;
    const qint64 offset = recordOffset(aPageNo);
    const qint64 index = qint64(aPageNo) * m_cacheCount + m_cachePosition;
    if (!m_cacheStream->IsWritten(index) || m_cacheStream->Size() < offset + size) return false;  // never written
    if (!m_cacheStream->Seek(offset)) return false;
    QByteArray record(size, '\0');
    if (m_cacheStream->Read(record) != size) return false;
    aBuffer = record;
    return true;
}

void TppCacheable::WriteCacheRecord(int aPageNo, const QByteArray& aBuffer) {
    const int size = CacheRecordSize();
    if (!m_cacheStream || size <= 0 || aPageNo < 0) return;
    QByteArray record = aBuffer.left(size);
    record.resize(size);
    const qint64 offset = recordOffset(aPageNo);
    auto writeOnce = [&] {
        report::CacheStream* s = m_cacheStream;
        if (!s) return true;  // unbound by the manager: nothing to keep
        // A record beyond the end leaves a gap of records that were never written, which
        // reads then leave alone.
        if (!s->Seek(offset) || !s->Write(record)) return false;
        s->MarkWritten(qint64(aPageNo) * m_cacheCount + m_cachePosition);
        return true;
    };
    if (writeOnce()) return;
    ppSendEventNotify(this, this, report::ciCacheFirstWriteFailure, nullptr);
    if (writeOnce()) return;
    ppSendEventNotify(this, this, report::ciCacheSecondWriteFailure, nullptr);
}
