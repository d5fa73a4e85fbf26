#pragma once

#include <QByteArray>
#include <QIODevice>

namespace db {

class Field;

enum class BlobStreamMode { bmRead, bmWrite, bmReadWrite };

/// A stream over a BLOB or memo field of the current record. bmRead reads the stored
/// contents; bmWrite starts empty; bmReadWrite starts with the stored contents. Written
/// contents go into the field (which needs the table in edit or insert state) when the
/// stream is closed or destroyed; the record is written by the table's Post.
class BlobStream : public QIODevice {
    Q_OBJECT
public:
    BlobStream(Field* field, BlobStreamMode mode);
    ~BlobStream() override;

    qint64 size() const override { return m_data.size(); }
    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override;
    void close() override;
    /// Empties the stream (bmWrite, bmReadWrite).
    void Truncate();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    void flushToField();

    Field* m_field;
    BlobStreamMode m_mode;
    QByteArray m_data;
    bool m_dirty = false;
};

}  // namespace db
