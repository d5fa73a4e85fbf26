#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace report {

/// A stream of the page cache: a random-access byte store kept in memory or in a temporary
/// file. Writes either store all bytes or fail (false); a write past the end appends.
///
/// A memory stream draws on a shared byte budget (the cache manager's memory limit): a
/// write that would take the streams of one manager past the budget fails, which moves
/// the manager to temporary files.
class CacheStream {
public:
    virtual ~CacheStream() = default;
    virtual qint64 Size() const = 0;
    virtual bool Seek(qint64 aPosition) = 0;
    virtual qint64 Position() const = 0;
    /// Reads up to aBuffer.size() bytes at the position; answers the bytes read.
    virtual qint64 Read(QByteArray& aBuffer) = 0;
    virtual bool Write(const QByteArray& aData) = 0;
    /// Cuts or extends the stream to aSize bytes.
    virtual bool SetSize(qint64 aSize) = 0;
    virtual bool IsFile() const = 0;

    /// Records that the record of that index (record size fixed per stream) holds data;
    /// a gap left by a record written further on holds none.
    void MarkWritten(qint64 aRecordIndex);
    bool IsWritten(qint64 aRecordIndex) const;
    /// Forgets the records from that index on (the stream was cut).
    void ForgetFrom(qint64 aRecordIndex);
    void TakeWrittenFrom(const CacheStream& aOther) { m_written = aOther.m_written; }

    /// Test hook: answers false to make the next write fail before it stores anything.
    std::function<bool(const CacheStream&)> WriteAllowed;

private:
    std::vector<bool> m_written;
};

/// Memory budget shared by the memory streams of one cache manager; negative: no limit.
struct MemoryBudget {
    qint64 Limit = -1;
    qint64 Used = 0;
};

class MemoryCacheStream : public CacheStream {
public:
    explicit MemoryCacheStream(std::shared_ptr<MemoryBudget> aBudget) : m_budget(std::move(aBudget)) {}
    ~MemoryCacheStream() override;
    qint64 Size() const override { return m_data.size(); }
    bool Seek(qint64 aPosition) override;
    qint64 Position() const override { return m_position; }
    qint64 Read(QByteArray& aBuffer) override;
    bool Write(const QByteArray& aData) override;
    bool SetSize(qint64 aSize) override;
    bool IsFile() const override { return false; }
    const QByteArray& Data() const { return m_data; }

private:
    bool reserve(qint64 aNewSize);

    std::shared_ptr<MemoryBudget> m_budget;
    QByteArray m_data;
    qint64 m_position = 0;
};

class FileCacheStream : public CacheStream {
public:
    /// Opens the (new, empty) file for reading and writing; answers null when it cannot.
    static std::unique_ptr<FileCacheStream> Open(const QString& aFileName);
    qint64 Size() const override { return m_file.size(); }
    bool Seek(qint64 aPosition) override { return m_file.seek(aPosition); }
    qint64 Position() const override { return m_file.pos(); }
    qint64 Read(QByteArray& aBuffer) override;
    bool Write(const QByteArray& aData) override;
    bool SetSize(qint64 aSize) override { return m_file.resize(aSize); }
    bool IsFile() const override { return true; }
    QString FileName() const { return m_file.fileName(); }

private:
    explicit FileCacheStream(const QString& aFileName) : m_file(aFileName) {}
    QFile m_file;
};

}  // namespace report
