#include "platform/db/blob_stream.h"

#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/db/table.h"

#include <cstring>

namespace db {

BlobStream::BlobStream(Field* field, BlobStreamMode mode) : m_field(field), m_mode(mode) {
    if (!field) Raise(ErrorCode::kInvalidParameter, QStringLiteral("No field for the BLOB stream."));
    if (mode != BlobStreamMode::bmRead) {
        const DataSetState s = field->DataSet()->State();
        if (s != DataSetState::dsEdit && s != DataSetState::dsInsert)
            Raise(ErrorCode::kNotEditing, QStringLiteral("Field: %1").arg(field->FieldName()));
    }
    if (mode != BlobStreamMode::bmWrite) m_data = field->AsBytes();
    if (mode == BlobStreamMode::bmWrite) m_dirty = true;  // opening for writing empties the field
    QIODevice::open(mode == BlobStreamMode::bmRead ? QIODevice::ReadOnly : QIODevice::ReadWrite);
}

BlobStream::~BlobStream() {
    try {
        flushToField();
    } catch (...) {
    }
}

bool BlobStream::seek(qint64 pos) {
    if (pos < 0) return false;
    return QIODevice::seek(pos);
}

void BlobStream::close() {
    flushToField();
    QIODevice::close();
}

void BlobStream::Truncate() {
    if (m_mode == BlobStreamMode::bmRead) return;
    m_data.clear();
    m_dirty = true;
    QIODevice::seek(0);
}

qint64 BlobStream::readData(char* data, qint64 maxSize) {
    const qint64 p = pos();
    const qint64 n = qMin(maxSize, qint64(m_data.size()) - p);
    if (n <= 0) return 0;
    std::memcpy(data, m_data.constData() + p, size_t(n));
    return n;
}

qint64 BlobStream::writeData(const char* data, qint64 maxSize) {
    if (m_mode == BlobStreamMode::bmRead) return -1;
    const qint64 p = pos();
    if (p + maxSize > m_data.size()) m_data.resize(p + maxSize);
    std::memcpy(m_data.data() + p, data, size_t(maxSize));
    m_dirty = true;
    return maxSize;
}

void BlobStream::flushToField() {
    if (!m_dirty || m_mode == BlobStreamMode::bmRead) return;
    m_dirty = false;
    m_field->SetAsBytes(m_data);
}

}  // namespace db
