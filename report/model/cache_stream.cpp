#include "report/model/cache_stream.h"

namespace report {

void CacheStream::MarkWritten(qint64 aRecordIndex) {
    if (aRecordIndex < 0) return;
    if (qint64(m_written.size()) <= aRecordIndex) m_written.resize(size_t(aRecordIndex) + 1, false);
    m_written[size_t(aRecordIndex)] = true;
}

bool CacheStream::IsWritten(qint64 aRecordIndex) const {
    return aRecordIndex >= 0 && aRecordIndex < qint64(m_written.size()) && m_written[size_t(aRecordIndex)];
}

void CacheStream::ForgetFrom(qint64 aRecordIndex) {
    if (aRecordIndex >= 0 && aRecordIndex < qint64(m_written.size())) m_written.resize(size_t(aRecordIndex));
}

MemoryCacheStream::~MemoryCacheStream() {
    if (m_budget) m_budget->Used -= m_data.size();
}

bool MemoryCacheStream::Seek(qint64 aPosition) {
    if (aPosition < 0) return false;
    m_position = aPosition;
    return true;
}

qint64 MemoryCacheStream::Read(QByteArray& aBuffer) {
    const qint64 n = qBound<qint64>(0, m_data.size() - m_position, aBuffer.size());
    if (n > 0) memcpy(aBuffer.data(), m_data.constData() + m_position, size_t(n));
    m_position += n;
    return n;
}

bool MemoryCacheStream::reserve(qint64 aNewSize) {
    const qint64 growth = aNewSize - m_data.size();
    if (growth <= 0) return true;
    if (m_budget && m_budget->Limit >= 0 && m_budget->Used + growth > m_budget->Limit) return false;
    if (m_budget) m_budget->Used += growth;
    m_data.resize(aNewSize);
    return true;
}

bool MemoryCacheStream::Write(const QByteArray& aData) {
    if (WriteAllowed && !WriteAllowed(*this)) return false;
    const qint64 end = m_position + aData.size();
    const qint64 oldSize = m_data.size();
    if (!reserve(end)) return false;
    if (m_position > oldSize) memset(m_data.data() + oldSize, 0, size_t(m_position - oldSize));
    memcpy(m_data.data() + m_position, aData.constData(), size_t(aData.size()));
    m_position = end;
    return true;
}

bool MemoryCacheStream::SetSize(qint64 aSize) {
    if (aSize < 0) return false;
    if (aSize > m_data.size()) {
        const qint64 oldSize = m_data.size();
        if (!reserve(aSize)) return false;
        memset(m_data.data() + oldSize, 0, size_t(aSize - oldSize));
        return true;
    }
    if (m_budget) m_budget->Used -= m_data.size() - aSize;
    m_data.truncate(aSize);
    m_position = qMin(m_position, aSize);
    return true;
}

std::unique_ptr<FileCacheStream> FileCacheStream::Open(const QString& aFileName) {
    std::unique_ptr<FileCacheStream> s(new FileCacheStream(aFileName));
    if (!s->m_file.open(QIODevice::ReadWrite)) return nullptr;
    return s;
}

qint64 FileCacheStream::Read(QByteArray& aBuffer) {
    const qint64 n = m_file.read(aBuffer.data(), aBuffer.size());
    return n < 0 ? 0 : n;
}

bool FileCacheStream::Write(const QByteArray& aData) {
    if (WriteAllowed && !WriteAllowed(*this)) return false;
    return m_file.write(aData) == aData.size() && m_file.flush();
}

}  // namespace report
