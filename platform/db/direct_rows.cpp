#include "platform/db/table.h"

#include "platform/base/text_cut.h"
#include "platform/db/db_error.h"
#include "platform/db/internal/row_writes.h"
#include "platform/db/internal/table_file.h"
#include "platform/db/internal/table_impl.h"
#include "platform/db/internal/values.h"

#include <algorithm>

namespace db {

using internal::ColumnValue;
using internal::Quote;
using internal::TableFile;

namespace {

std::vector<int> fieldPositions(const TableDef& def, const QString& names) {
    std::vector<int> at;
    if (names.isEmpty()) return at;
    for (const QString& n : IndexDef{QString(), names, {}}.FieldList()) {
        const int i = def.FieldIndex(n);
        if (i < 0) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1").arg(n));
        at.push_back(i);
    }
    return at;
}

}  // namespace

DirectRows::DirectRows(Table& table, const QString& keyFields, const QString& readFields, const QString& writeFields)
    : m_table(&table) {
    table.checkActive();
    const TableDef& def = table.m_def;
    const QString rowTable = table.d->file->RowTable();
    m_key = fieldPositions(def, keyFields);
    m_read = fieldPositions(def, readFields);
    m_write = fieldPositions(def, writeFields);
    if (m_key.empty()) Raise(ErrorCode::kInvalidParameter, QStringLiteral("Direct row access needs key fields."));
    if (!m_write.empty() && !table.CanModify()) Raise(ErrorCode::kReadOnly, table.d->ctx());
    if (const IndexDef* pk = def.PrimaryIndex()) {
        for (const QString& n : pk->FieldList()) {
            if (std::find(m_write.begin(), m_write.end(), def.FieldIndex(n)) != m_write.end())
                Raise(ErrorCode::kInvalidParameter, QStringLiteral("Field %1 of the primary index cannot be written directly.").arg(n));
        }
    }
    QStringList cols{QStringLiteral("rowid")};
    for (int f : m_read) cols << Quote(def.Fields[size_t(f)].Name);
    QStringList conds;
    for (int f : m_key) {
        const FieldDef& fd = def.Fields[size_t(f)];
        conds << QStringLiteral("%1 IS ?%2").arg(Quote(fd.Name), IsTextType(fd.DataType) ? QStringLiteral(" COLLATE BINARY") : QString());
    }
    m_findSql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
                    .arg(cols.join(QLatin1Char(',')), rowTable, conds.join(QStringLiteral(" AND ")));
    QStringList sets;
    for (int f : m_write) sets << QStringLiteral("%1 = ?").arg(Quote(def.Fields[size_t(f)].Name));
    if (!sets.isEmpty())
        m_writeSql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(rowTable, sets.join(QLatin1Char(',')));
    m_deleteSql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(rowTable);
    m_values.assign(m_read.size(), QVariant());
}

DirectRows::~DirectRows() = default;

std::shared_ptr<internal::TableFile> DirectRows::file() const {
    if (!m_table) Raise(ErrorCode::kTableClosed, QStringLiteral("Table: (freed)"));
    m_table->checkActive();
    return m_table->d->file;
}

qint64 DirectRows::Find(const QVariantList& key) {
    const auto shared = file();
    TableFile& f = *shared;
    const TableDef& def = m_table->m_def;
    if (key.size() != qsizetype(m_key.size()))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Direct row access needs one value per key field."));
    sqlite3_stmt* s = f.Statement(m_findSql);
    internal::StatementReset reset(s);
    for (size_t i = 0; i < m_key.size(); ++i) {
        // compared as Locate compares: text cut to the field's size, "" as null
        const FieldDef& fd = def.Fields[size_t(m_key[i])];
        const QVariant& given = key[qsizetype(i)];
        if (IsTextType(fd.DataType)) {
            QString text = given.isNull() ? QString() : given.toString();
            if (fd.DataType == FieldType::ftString) text = base::CutToLength(text, fd.Size);
            internal::Bind(s, int(i) + 1, text.isEmpty() ? QVariant() : QVariant(text));
        } else {
            internal::Bind(s, int(i) + 1, internal::ToStorage(fd, given));
        }
    }
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        for (size_t i = 0; i < m_read.size(); ++i) m_values[i] = ColumnValue(s, int(i) + 1);
        return sqlite3_column_int64(s, 0);
    }
    if (rc != SQLITE_DONE) internal::RaiseSqlite(f.Db(), sqlite3_extended_errcode(f.Db()), m_table->d->ctx());
    for (QVariant& v : m_values) v = QVariant();
    return 0;
}

const QVariant& DirectRows::Value(int i) const {
    if (i < 0 || i >= int(m_values.size())) Raise(ErrorCode::kInvalidParameter, QStringLiteral("Read field %1 does not exist.").arg(i));
    return m_values[size_t(i)];
}

void DirectRows::afterWrite(qint64 rowId) {
    // the table's own cursor standing on the row shows what it holds now
    Table& t = *m_table;
    Table::Impl& d = *t.d;
    if (t.m_state != DataSetState::dsBrowse || !d.hasCurrent || d.currentId() != rowId) return;
    d.blobs.clear();
    d.blobRow = 0;
    d.sync();
    if (!d.reloadRow(rowId)) return;  // deleted: the cursor finds out on its next move
    t.notifyData();
}

void DirectRows::Write(qint64 rowId, const QVariantList& values) {
    const auto shared = file();
    TableFile& f = *shared;
    Table& t = *m_table;
    const TableDef& def = t.m_def;
    const QString ctx = t.d->ctx();
    if (m_writeSql.isEmpty() || values.size() != qsizetype(m_write.size()))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Direct row access needs one value per write field."));
    if (!t.CanModify()) Raise(ErrorCode::kReadOnly, ctx);
    {
        std::vector<QVariant> stored(m_write.size());  // outlives the statement's use of it
        sqlite3_stmt* s = f.Statement(m_writeSql);
        internal::StatementReset reset(s);
        for (size_t i = 0; i < m_write.size(); ++i) {
            const FieldDef& fd = def.Fields[size_t(m_write[i])];
            stored[i] = internal::ToStorage(fd, values[qsizetype(i)]);
            const QVariant& v = stored[i];
            if (fd.Required && fd.DataType != FieldType::ftAutoInc && v.isNull()) internal::RaiseRequired(fd, ctx);
            if (v.typeId() == QMetaType::QByteArray) {
                // bound in place: large BLOBs are not copied once more
                const QByteArray& b = *static_cast<const QByteArray*>(v.constData());
                sqlite3_bind_blob64(s, int(i) + 1, b.constData(), sqlite3_uint64(b.size()), SQLITE_STATIC);
            } else {
                internal::Bind(s, int(i) + 1, v);
            }
        }
        sqlite3_bind_int64(s, int(m_write.size()) + 1, rowId);
        // The file's write lock first, then the row's: a row lock is never held while
        // waiting for the file, where another program's write of the row would meet it.
        internal::RunWrite(shared, t.m_databaseName, [&] {
            internal::RecordLock lock(f, rowId, ctx);
            internal::Step(f, s, ctx);
            if (sqlite3_changes(f.Db()) == 0) Raise(ErrorCode::kRecordDeleted, ctx);
        });
    }
    afterWrite(rowId);
}

qint64 DirectRows::Insert(const QVariantList& keyValues, const QVariantList& values) {
    const auto shared = file();
    TableFile& f = *shared;
    Table& t = *m_table;
    const TableDef& def = t.m_def;
    const QString ctx = t.d->ctx();
    if (keyValues.size() != qsizetype(m_key.size()) || values.size() != qsizetype(m_write.size()))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Direct row access needs one value per key and write field."));
    if (!t.CanModify()) Raise(ErrorCode::kReadOnly, ctx);
    // the whole row as Post would write it: the fields given, every other one null
    std::vector<QVariant> row(def.Fields.size());
    for (size_t i = 0; i < m_key.size(); ++i)
        row[size_t(m_key[i])] = internal::ToStorage(def.Fields[size_t(m_key[i])], keyValues[qsizetype(i)]);
    for (size_t i = 0; i < m_write.size(); ++i)
        row[size_t(m_write[i])] = internal::ToStorage(def.Fields[size_t(m_write[i])], values[qsizetype(i)]);
    internal::CheckRequired(def, row, ctx);
    qint64 rowId = 0;
    internal::RunWrite(shared, t.m_databaseName, [&] {
        internal::FillAutoIncrements(f, def, row, ctx);
        internal::CheckBlankKeyDuplicate(f, def, row, 0, ctx);
        rowId = internal::InsertRow(f, def, t.d->insertSql, row, ctx);
    });
    return rowId;
}

void DirectRows::Delete(qint64 rowId) {
    const auto shared = file();
    TableFile& f = *shared;
    Table& t = *m_table;
    const QString ctx = t.d->ctx();
    if (!t.CanModify()) Raise(ErrorCode::kReadOnly, ctx);
    {
        internal::RunWrite(shared, t.m_databaseName, [&] {
            internal::RecordLock lock(f, rowId, ctx);
            sqlite3_stmt* s = f.Statement(m_deleteSql);
            internal::StatementReset reset(s);
            sqlite3_bind_int64(s, 1, rowId);
            internal::Step(f, s, ctx);
        });
    }
    afterWrite(rowId);
}

}  // namespace db
