#include "platform/db/table.h"

#include "platform/base/scope_exit.h"
#include "platform/base/text_cut.h"
#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/db_log.h"
#include "platform/db/internal/row_writes.h"
#include "platform/db/internal/table_file.h"
#include "platform/db/internal/table_impl.h"
#include "platform/db/internal/values.h"
#include "platform/db/table_utils.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMetaMethod>

#include <algorithm>
#include <utility>

namespace db {

using internal::ColumnValue;
using internal::Quote;
using internal::RowSet;
using internal::SqlQuery;
using internal::TableFile;

namespace {

bool isLazyBlob(FieldType t) { return t == FieldType::ftGraphic || t == FieldType::ftBlob; }

}  // namespace

Table::Table(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}

Table::~Table() {
    if (Active()) {
        // Closing quietly: no events from a destructor.
        if (d->lockedRow) d->file->UnlockRecord(d->lockedRow);
        d->file->Release(d->mode);
        d->file.reset();
    }
}

// ---- setup ----

void Table::checkActive() const {
    if (!Active()) Raise(ErrorCode::kTableClosed, QStringLiteral("Table: %1").arg(m_tableName));
}

void Table::checkInactive() const {
    if (Active()) Raise(ErrorCode::kTableOpen, QStringLiteral("Table: %1").arg(m_tableName));
}

void Table::SetDatabaseName(const QString& name) {
    checkInactive();
    m_databaseName = name;
}

void Table::SetTableName(const QString& name) {
    checkInactive();
    m_tableName = name;
}

void Table::SetExclusive(bool exclusive) {
    checkInactive();
    m_exclusive = exclusive;
}

void Table::SetReadOnly(bool readOnly) {
    checkInactive();
    m_readOnly = readOnly;
}

std::shared_ptr<TableFile> Table::openFile() const { return Active() ? d->file : nullptr; }

QString Table::Folder() const { return Database::ResolveFolder(m_databaseName); }

QString Table::FilePath() const { return TableFilePath(Folder(), m_tableName); }

bool Table::Exists() const { return !FindTableFile(Folder(), m_tableName).isEmpty(); }

void Table::UpdateDefs() {
    if (Active()) {
        m_def = d->file->Def();
        return;
    }
    m_def = ReadTableDef(Folder(), m_tableName);
}

void Table::CreateTable() {
    checkInactive();
    CreateTableFile(Folder(), m_tableName, m_def, true);
}

namespace {

/// Runs a whole-table operation on a closed table, or on one this cursor holds
/// exclusively by closing it around the operation and opening it again.
template <typename F>
void aroundExclusive(Table& t, F&& work) {
    if (!t.Active()) {
        work();
        return;
    }
    if (!t.Exclusive()) Raise(ErrorCode::kNeedExclusive, QStringLiteral("Table: %1").arg(t.TableName()));
    t.Close();
    base::ScopeExit reopen([&] { t.Open(); });
    work();
}

}  // namespace

void Table::DeleteTable() {
    checkInactive();
    DeleteTableFile(Folder(), m_tableName);
}

void Table::EmptyTable() {
    aroundExclusive(*this, [&] { EmptyTableFile(Folder(), m_tableName); });
}

void Table::RenameTable(const QString& newTableName) {
    checkInactive();
    RenameTableFile(Folder(), m_tableName, newTableName);
    m_tableName = newTableName;
}

void Table::AddIndex(const QString& name, const QString& fields, IndexOptions options) {
    aroundExclusive(*this, [&] { AddIndexToFile(Folder(), m_tableName, IndexDef{name, fields, options}); });
    if (!Active()) UpdateDefs();
}

void Table::DeleteIndex(const QString& name) {
    aroundExclusive(*this, [&] { DeleteIndexFromFile(Folder(), m_tableName, name); });
    if (!Active()) UpdateDefs();
}

// ---- opening ----

void Table::fire(const NotifyEvent& event) {
    if (event) event(*this);
}

void Table::DoBeforeOpen() { fire(BeforeOpen); }
void Table::DoAfterOpen() { fire(AfterOpen); }
void Table::DoBeforeClose() { fire(BeforeClose); }
void Table::DoAfterClose() { fire(AfterClose); }
void Table::DoBeforeEdit() { fire(BeforeEdit); }
void Table::DoAfterEdit() { fire(AfterEdit); }
void Table::DoBeforeInsert() { fire(BeforeInsert); }
void Table::DoAfterInsert() { fire(AfterInsert); }
void Table::DoBeforePost() { fire(BeforePost); }
void Table::DoAfterPost() { fire(AfterPost); }
void Table::DoBeforeCancel() { fire(BeforeCancel); }
void Table::DoAfterCancel() { fire(AfterCancel); }
void Table::DoBeforeDelete() { fire(BeforeDelete); }
void Table::DoAfterDelete() { fire(AfterDelete); }
void Table::DoBeforeScroll() { fire(BeforeScroll); }
void Table::DoAfterScroll() { fire(AfterScroll); }
void Table::DoOnNewRecord() { fire(OnNewRecord); }

void Table::notifyScrolled() {
    static const QMetaMethod signal = QMetaMethod::fromSignal(&Table::Scrolled);
    if (m_disableCount == 0 && isSignalConnected(signal)) emit Scrolled();
}

void Table::notifyData() {
    static const QMetaMethod signal = QMetaMethod::fromSignal(&Table::DataChanged);
    if (m_disableCount == 0 && isSignalConnected(signal)) emit DataChanged();
}

void Table::EnableControls() {
    if (m_disableCount > 0 && --m_disableCount == 0) {
        emit DataChanged();
        emit Scrolled();
    }
}

void Table::Open() {
    if (Active()) return;
    OpenCursor();
}

void Table::OpenCursor() {
    DoBeforeOpen();
    const QString folder = Folder();
    const QString found = FindTableFile(folder, m_tableName);
    if (m_tableName.isEmpty() || found.isEmpty())
        Raise(ErrorCode::kTableNotFound, QStringLiteral("Table: %1").arg(QDir(folder).filePath(m_tableName)));
    const QString path = QDir(folder).filePath(found);
    d->mode = m_exclusive ? TableFile::Mode::Exclusive : TableFile::Mode::Shared;
    d->file = TableFile::Open(path, d->mode, m_readOnly);
    openOnFile(nullptr);
}

void Table::CloneCursor(Table& source) {
    checkInactive();
    source.checkActive();
    DoBeforeOpen();
    m_databaseName = source.m_databaseName;
    m_tableName = source.m_tableName;
    m_indexName = source.m_indexName;
    m_indexFieldNames = source.m_indexFieldNames;
    m_readOnly = source.m_readOnly;
    m_exclusive = false;
    d->mode = TableFile::Mode::Shared;
    d->file = source.d->file;
    d->file->Join();
    openOnFile(&source);
}

void Table::OpenInMemory(const TableDef& definition, const std::vector<std::vector<QVariant>>& rows) {
    checkInactive();
    DoBeforeOpen();
    m_exclusive = false;
    d->mode = TableFile::Mode::Shared;
    d->file = TableFile::OpenMemory(definition, rows);
    openOnFile(nullptr);
}

void Table::openOnFile(const Table* rangeOf) {
    {
        base::ScopeFail release([&] {
            m_state = DataSetState::dsInactive;
            d->file->Release(d->mode);
            d->file.reset();
        });
        m_def = d->file->Def();
        bool same = m_fields.size() == m_def.Fields.size();
        for (size_t i = 0; same && i < m_fields.size(); ++i) same = m_fields[i]->Def() == m_def.Fields[i];
        if (!same) {
            m_fields.clear();
            for (size_t i = 0; i < m_def.Fields.size(); ++i)
                m_fields.push_back(std::make_unique<Field>(this, int(i), m_def.Fields[i]));
        }
        resolveOrder();
        if (rangeOf) {
            d->sql.CopyRange(rangeOf->d->sql);
            d->rangeStart = rangeOf->d->rangeStart;
            d->rangeEnd = rangeOf->d->rangeEnd;
        } else {
            clearRange();
        }
        m_state = DataSetState::dsBrowse;
        d->hasCurrent = false;
        d->invalidate();
        d->seenLocal = -1;
        d->loadEnd(true);
        m_bof = true;
        m_eof = !d->hasCurrent;
    }
    emit StateChanged();
    DoAfterOpen();
    DoAfterScroll();
    notifyScrolled();
}

void Table::Close() {
    if (!Active()) return;
    DoBeforeClose();
    if (d->lockedRow) {
        d->file->UnlockRecord(d->lockedRow);
        d->lockedRow = 0;
    }
    d->batchStarted = false;
    m_state = DataSetState::dsInactive;
    m_modified = false;
    d->file->Release(d->mode);
    d->file.reset();
    d->invalidate();
    d->hasCurrent = false;
    d->buffer.clear();
    d->blobs.clear();
    d->blobRow = 0;
    m_bof = m_eof = true;
    emit StateChanged();
    DoAfterClose();
}

// ---- order ----

void Table::resolveOrder() {
    std::vector<int> fields;
    IndexOptions options;
    if (!m_indexFieldNames.isEmpty()) {
        const QStringList names = IndexDef{QString(), m_indexFieldNames, {}}.FieldList();
        for (const QString& n : names) {
            const int at = m_def.FieldIndex(n);
            if (at < 0) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1").arg(n));
            if (IsBlobType(m_def.Fields[size_t(at)].DataType))
                Raise(ErrorCode::kIndexNotFound, QStringLiteral("Field: %1").arg(n));
            fields.push_back(at);
        }
        for (const auto& ix : m_def.Indexes) {
            const QStringList ixFields = ix.FieldList();
            if (ixFields.size() != names.size()) continue;
            bool match = true;
            for (int i = 0; match && i < names.size(); ++i) match = ixFields[i].compare(names[i], Qt::CaseInsensitive) == 0;
            if (match) {
                options = ix.Options;
                break;
            }
        }
    } else if (!m_indexName.isEmpty()) {
        const IndexDef* ix = m_def.FindIndex(m_indexName);
        if (!ix) Raise(ErrorCode::kIndexNotFound, QStringLiteral("Index: %1").arg(m_indexName));
        for (const QString& n : ix->FieldList()) fields.push_back(m_def.FieldIndex(n));
        options = ix->Options;
    } else if (const IndexDef* pk = m_def.PrimaryIndex()) {
        for (const QString& n : pk->FieldList()) fields.push_back(m_def.FieldIndex(n));
        options = pk->Options;
    }
    d->orderFields = fields;
    d->desc = options.testFlag(IndexOption::ixDescending);
    d->nocase = options.testFlag(IndexOption::ixCaseInsensitive);
    QStringList exprs;
    for (int f : fields) {
        QString e = Quote(m_def.Fields[size_t(f)].Name);
        if (d->nocase && IsTextType(m_def.Fields[size_t(f)].DataType)) e += QStringLiteral(" COLLATE DOSSARA_NOCASE");
        exprs << e;
    }
    QStringList cols{QStringLiteral("rowid")};
    for (const auto& f : m_def.Fields) {
        cols << (isLazyBlob(f.DataType) ? QStringLiteral("length(%1)").arg(Quote(f.Name)) : Quote(f.Name));
    }
    d->columnCount = int(m_def.Fields.size());
    d->insertSql.clear();
    d->textColumns.clear();
    for (const auto& f : m_def.Fields) d->textColumns.push_back(IsTextType(f.DataType));
    d->values.assign(m_def.Fields.size(), QVariant());
    d->valueStamp.assign(m_def.Fields.size(), 0);
    ++d->moveStamp;
    d->select = QStringLiteral("SELECT %1 FROM %2").arg(cols.join(QStringLiteral(", ")), d->file->RowTable());
    d->sql.SetOrder(d->select, d->file->RowTable(), exprs, d->desc);
}

void Table::SetIndexName(const QString& name) { switchOrder(name, {}); }

void Table::SetIndexFieldNames(const QString& fields) { switchOrder({}, fields); }

void Table::switchOrder(const QString& indexName, const QString& fieldNames) {
    if (Active()) checkBrowseMode();
    const QString oldName = m_indexName, oldFields = m_indexFieldNames;
    m_indexName = indexName;
    m_indexFieldNames = fieldNames;
    if (!Active()) return;
    {
        base::ScopeFail restore([&] {
            m_indexName = oldName;
            m_indexFieldNames = oldFields;
            resolveOrder();
        });
        resolveOrder();
    }
    clearRange();
    Refresh();
}

void Table::clearRange() {
    d->sql.ClearRange();
    d->rangeStart.clear();
    d->rangeEnd.clear();
}

QStringList Table::IndexFields() const {
    QStringList names;
    if (Active()) {
        for (int f : d->orderFields) names << m_def.Fields[size_t(f)].Name;
        return names;
    }
    if (!m_indexFieldNames.isEmpty()) return IndexDef{QString(), m_indexFieldNames, {}}.FieldList();
    if (!m_indexName.isEmpty()) {
        if (const IndexDef* ix = m_def.FindIndex(m_indexName)) return ix->FieldList();
        return {};
    }
    if (const IndexDef* pk = m_def.PrimaryIndex()) return pk->FieldList();
    return {};
}

int Table::IndexFieldCount() const { return int(IndexFields().size()); }

// ---- navigation ----

void Table::checkBrowseMode() {
    checkActive();
    if (m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) {
        if (m_modified) {
            Post();
        } else {
            Cancel();
        }
    }
}

void Table::First() {
    checkBrowseMode();
    DoBeforeScroll();
    d->loadEnd(true);
    m_bof = true;
    m_eof = !d->hasCurrent;
    DoAfterScroll();
    notifyScrolled();
}

void Table::Last() {
    checkBrowseMode();
    DoBeforeScroll();
    d->loadEnd(false);
    m_eof = true;
    m_bof = !d->hasCurrent;
    DoAfterScroll();
    notifyScrolled();
}

void Table::Next() { moveOne(true); }

void Table::Prior() { moveOne(false); }

void Table::moveOne(bool forward) {
    checkBrowseMode();
    bool& atEnd = forward ? m_eof : m_bof;
    if (!d->hasCurrent) {
        atEnd = true;
        return;
    }
    DoBeforeScroll();
    d->sync();
    if (!d->step(forward)) {
        atEnd = true;
        return;
    }
    m_bof = false;
    m_eof = false;
    DoAfterScroll();
    notifyScrolled();
}

int Table::MoveBy(int distance) {
    int moved = 0;
    while (distance > 0 && !m_eof) {
        Next();
        if (!m_eof) ++moved;
        --distance;
    }
    while (distance < 0 && !m_bof) {
        Prior();
        if (!m_bof) --moved;
        ++distance;
    }
    return moved;
}

bool Table::IsEmpty() const {
    checkActive();
    return d->read(d->sql.AnyRow()).Empty();
}

int Table::RecordCount() const {
    checkActive();
    return int(d->readCount(d->sql.Count(nullptr)));
}

int Table::RecNo() const {
    checkActive();
    if (m_state == DataSetState::dsInsert || !d->hasCurrent) return -1;
    const QVariantList key = d->currentKey();
    return int(d->readCount(d->sql.Count(&key))) + 1;
}

// ---- fields ----

Field* Table::Fields(int index) const {
    if (index < 0 || index >= int(m_fields.size()))
        Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field number %1 of table %2").arg(index).arg(m_tableName));
    return m_fields[size_t(index)].get();
}

Field* Table::FindField(const QString& name) const {
    for (const auto& f : m_fields) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f.get();
    }
    return nullptr;
}

Field* Table::FieldByName(const QString& name) const {
    Field* f = FindField(name);
    if (!f) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1 (table %2)").arg(name, m_tableName));
    return f;
}

QStringList Table::GetFieldNames() const {
    QStringList names;
    if (!m_fields.empty()) {
        for (const auto& f : m_fields) names << f->FieldName();
    } else {
        for (const auto& f : m_def.Fields) names << f.Name;
    }
    return names;
}

const QVariant& Table::currentValue(int field) const {
    static const QVariant null;
    if (m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) return d->buffer[size_t(field)];
    if (!Active() || !d->hasCurrent) return null;
    return d->value(field);
}

void Table::setBufferValue(int field, const QVariant& value) {
    if (m_state != DataSetState::dsEdit && m_state != DataSetState::dsInsert)
        Raise(ErrorCode::kNotEditing, QStringLiteral("Table: %1").arg(m_tableName));
    const Field* f = m_fields[size_t(field)].get();
    if (f->ReadOnly()) Raise(ErrorCode::kReadOnly, QStringLiteral("Field: %1").arg(f->FieldName()));
    d->buffer[size_t(field)] = value;
    d->changed[size_t(field)] = true;
    m_modified = true;
    notifyData();
}

QByteArray Table::blobValue(int field) const {
    if (!Active()) return {};
    if ((m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) && d->changed[size_t(field)])
        return d->buffer[size_t(field)].toByteArray();
    if (m_state == DataSetState::dsInsert || !d->hasCurrent) return {};
    if (d->value(field).isNull()) return {};
    if (d->blobRow != d->currentId()) {
        d->blobs.clear();
        d->blobRow = d->currentId();
    }
    auto it = d->blobs.constFind(field);
    if (it != d->blobs.constEnd()) return *it;
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                            .arg(Quote(m_def.Fields[size_t(field)].Name), d->file->RowTable());
    sqlite3_stmt* s = d->file->Statement(sql);
    internal::StatementReset reset(s);
    sqlite3_bind_int64(s, 1, d->currentId());
    QByteArray bytes;
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        bytes = QByteArray(static_cast<const char*>(sqlite3_column_blob(s, 0)), sqlite3_column_bytes(s, 0));
    } else if (rc != SQLITE_DONE) {
        internal::RaiseSqlite(d->file->Db(), sqlite3_extended_errcode(d->file->Db()), d->ctx());
    }
    d->blobs.insert(field, bytes);
    return bytes;
}

qint64 Table::blobSize(int field) const {
    if (!Active()) return 0;
    if ((m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) && d->changed[size_t(field)])
        return d->buffer[size_t(field)].toByteArray().size();
    if (m_state == DataSetState::dsInsert || !d->hasCurrent) return 0;
    return d->value(field).toLongLong();
}

// ---- seeks ----

static QVariantList convertKey(const TableDef& def, const std::vector<int>& fields, const QVariantList& values,
                               const QString& table) {
    if (values.size() > qsizetype(fields.size()))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("More key values than index fields (table %1).").arg(table));
    QVariantList key;
    for (qsizetype i = 0; i < values.size(); ++i) key << internal::ToStorage(def.Fields[size_t(fields[size_t(i)])], values[i]);
    return key;
}

bool Table::positionOnFirstMatch(const QString& whereSql, const QVariantList& binds, bool forward) {
    if (!d->positionOnFirst(d->sql.FirstWhere(whereSql, binds, forward))) return false;
    m_bof = m_eof = false;
    return true;
}

bool Table::FindKey(const QVariantList& keyValues) {
    checkBrowseMode();
    const QVariantList key = convertKey(m_def, d->orderFields, keyValues, m_tableName);
    DoBeforeScroll();
    if (!d->positionOnFirst(d->sql.Seek(false, key))) return false;
    m_bof = m_eof = false;
    DoAfterScroll();
    notifyScrolled();
    return true;
}

void Table::FindNearest(const QVariantList& keyValues) {
    checkBrowseMode();
    const QVariantList key = convertKey(m_def, d->orderFields, keyValues, m_tableName);
    DoBeforeScroll();
    if (d->positionOnFirst(d->sql.Seek(true, key))) {
        m_bof = m_eof = false;
    } else {
        // nothing at or after the key: the end of the table
        d->sync();
        d->setBatch(d->fetchFromEnd(false, 1), 0);
        d->batchValid = d->hasCurrent;
        d->batchEndKnown = true;
        d->batchStartKnown = false;
        m_eof = true;
        m_bof = !d->hasCurrent;
    }
    DoAfterScroll();
    notifyScrolled();
}

void Table::SetRange(const QVariantList& startValues, const QVariantList& endValues) {
    checkBrowseMode();
    const QVariantList start = convertKey(m_def, d->orderFields, startValues, m_tableName);
    const QVariantList end = convertKey(m_def, d->orderFields, endValues, m_tableName);
    d->sql.SetRange(start, end);
    d->rangeStart = startValues;
    d->rangeEnd = endValues;
    d->invalidate();
    First();
}

void Table::CancelRange() {
    checkBrowseMode();
    clearRange();
    d->invalidate();
    First();
}

bool Table::HasRange() const { return Active() && d->sql.HasRange(); }

QVariantList Table::RangeStart() const { return HasRange() ? d->rangeStart : QVariantList(); }

QVariantList Table::RangeEnd() const { return HasRange() ? d->rangeEnd : QVariantList(); }

static QString locateWhere(const TableDef& def, const QString& fieldNames, const QVariantList& values,
                           LocateOptions options, QVariantList& binds) {
    const QStringList names = IndexDef{QString(), fieldNames, {}}.FieldList();
    if (names.size() != values.size() || names.isEmpty())
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Locate needs one value per field."));
    QStringList conds;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const int at = def.FieldIndex(names[i]);
        if (at < 0) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1").arg(names[i]));
        const FieldDef& f = def.Fields[size_t(at)];
        const QString col = Quote(f.Name);
        if (IsTextType(f.DataType)) {
            QString text = values[i].isNull() ? QString() : values[i].toString();
            if (f.DataType == FieldType::ftString) text = base::CutToLength(text, f.Size);
            if (text.isEmpty()) {
                if (options.testFlag(LocateOption::loPartialKey)) continue;  // every value starts with ""
                conds << QStringLiteral("%1 IS NULL").arg(col);
                continue;
            }
            const bool ci = options.testFlag(LocateOption::loCaseInsensitive);
            const QString expr = ci ? QStringLiteral("dossara_fold(%1)").arg(col) : col;
            const QString value = ci ? text.toCaseFolded() : text;
            if (options.testFlag(LocateOption::loPartialKey)) {
                conds << QStringLiteral("substr(%1, 1, ?) = ?").arg(expr);
                binds << qlonglong(value.toUcs4().size()) << value;
            } else {
                conds << QStringLiteral("%1 = ? COLLATE BINARY").arg(expr);
                binds << value;
            }
        } else {
            const QVariant v = internal::ToStorage(f, values[i]);
            if (v.isNull()) {
                conds << QStringLiteral("%1 IS NULL").arg(col);
            } else {
                conds << QStringLiteral("%1 = ?").arg(col);
                binds << v;
            }
        }
    }
    return conds.isEmpty() ? QStringLiteral("1") : conds.join(QStringLiteral(" AND "));
}

bool Table::Locate(const QString& fieldNames, const QVariantList& values, LocateOptions options) {
    checkBrowseMode();
    QVariantList binds;
    const QString cond = locateWhere(m_def, fieldNames, values, options, binds);
    DoBeforeScroll();
    if (!positionOnFirstMatch(cond, binds, true)) return false;
    DoAfterScroll();
    notifyScrolled();
    return true;
}

QVariant Table::Lookup(const QString& keyFields, const QVariantList& values, const QString& resultField) {
    checkActive();
    Field* result = FieldByName(resultField);
    QVariantList binds;
    const QString cond = locateWhere(m_def, keyFields, values, {}, binds);
    const SqlQuery q = d->sql.LookupColumn(Quote(result->FieldName()), cond, binds);
    sqlite3_stmt* s = d->file->Statement(q.sql);
    internal::StatementReset reset(s);
    internal::BindAll(s, q.binds);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) return ColumnValue(s, 0);
    if (rc != SQLITE_DONE) internal::RaiseSqlite(d->file->Db(), sqlite3_extended_errcode(d->file->Db()), d->ctx());
    return {};
}

// ---- bookmarks ----

Bookmark Table::GetBookmark() const {
    if (!Active() || !d->hasCurrent || m_state == DataSetState::dsInsert) return {};
    return Bookmark{d->currentId()};
}

bool Table::BookmarkValid(const Bookmark& bookmark) const {
    if (!Active() || bookmark.IsNull()) return false;
    return !d->read(d->sql.Row(bookmark.rowId)).Empty();
}

void Table::GotoBookmark(const Bookmark& bookmark) {
    checkBrowseMode();
    if (bookmark.IsNull()) Raise(ErrorCode::kInvalidParameter, QStringLiteral("Bookmark is empty."));
    DoBeforeScroll();
    if (!positionOnFirstMatch(QStringLiteral("rowid = ?"), {QVariant(qlonglong(bookmark.rowId))}, true))
        Raise(ErrorCode::kRecordDeleted, d->ctx());
    DoAfterScroll();
    notifyScrolled();
}

void Table::Refresh() {
    checkBrowseMode();
    d->invalidate();
    d->seenLocal = -1;
    d->sync();
    if (d->hasCurrent) {
        const QVariantList key = d->currentKey();
        auto rows = d->read(d->sql.RowInRange(d->currentId()));
        if (rows.Empty()) {
            // the row is gone (or left the range): the next one in order, else the one before
            rows = d->fetchBeyond(true, key, false, 1);
            if (rows.Empty()) rows = d->fetchBeyond(false, key, false, 1);
            m_bof = m_eof = rows.Empty();
        }
        d->setBatch(std::move(rows), 0);
    } else {
        d->setBatch(d->fetchFromEnd(true, 1), 0);
        m_bof = true;
        m_eof = !d->hasCurrent;
    }
    d->batchValid = false;
    notifyData();
}

// ---- editing ----

bool Table::CanModify() const { return Active() && !m_readOnly && !d->file->ReadOnly(); }

void Table::Edit() {
    checkActive();
    if (m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) return;
    if (!d->hasCurrent) {
        Insert();
        return;
    }
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    DoBeforeEdit();
    const qint64 id = d->currentId();
    internal::RecordLock lock(*d->file, id, d->ctx());
    // edit what the row holds now
    auto rows = d->read(d->sql.Row(id));
    if (rows.Empty()) Raise(ErrorCode::kRecordDeleted, d->ctx());
    d->setBatch(std::move(rows), 0);
    d->batchValid = false;
    d->lockedRow = lock.Keep();
    d->buffer = d->currentValues();
    d->changed.assign(d->buffer.size(), false);
    m_modified = false;
    m_state = DataSetState::dsEdit;
    emit StateChanged();
    DoAfterEdit();
}

void Table::insertOrAppend(bool append) {
    checkBrowseMode();
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    DoBeforeInsert();
    DoBeforeScroll();
    Q_UNUSED(append);
    d->buffer.assign(m_def.Fields.size(), QVariant());
    d->changed.assign(m_def.Fields.size(), false);
    m_state = DataSetState::dsInsert;
    m_modified = false;
    emit StateChanged();
    {
        base::ScopeFail back([&] {
            m_state = DataSetState::dsBrowse;
            emit StateChanged();
        });
        DoOnNewRecord();
    }
    m_modified = false;
    DoAfterInsert();
    DoAfterScroll();
    notifyScrolled();
}

void Table::Insert() { insertOrAppend(false); }

void Table::Append() { insertOrAppend(true); }

void Table::Cancel() {
    checkActive();
    if (m_state != DataSetState::dsEdit && m_state != DataSetState::dsInsert) return;
    DoBeforeCancel();
    if (d->lockedRow) {
        d->file->UnlockRecord(d->lockedRow);
        d->lockedRow = 0;
    }
    m_state = DataSetState::dsBrowse;
    m_modified = false;
    d->blobs.clear();
    d->blobRow = 0;
    emit StateChanged();
    notifyData();
    DoAfterCancel();
}

void Table::StartBatch() {
    checkActive();
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    if (d->file->IsInTransaction()) Raise(ErrorCode::kTransactionActive, d->ctx());
    d->file->BeginWrite();
    d->batchStarted = true;
}

void Table::TakeWriteLock() {
    checkActive();
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    if (d->file->IsInTransaction()) return;
    Database* database = Database::FindDatabase(m_databaseName);
    if (!database || !database->InTransaction()) Raise(ErrorCode::kNoTransaction, d->ctx());
    d->file->BeginWrite();
    database->JoinTransaction(d->file);
}

void Table::EndBatch(bool commit) {
    checkActive();
    const bool started = std::exchange(d->batchStarted, false);
    if (!commit && started && !d->file->IsInTransaction() && !d->file->heldByDatabase) {
        // SQLite rolled the batch back itself when a write of it failed: nothing is left to undo
        d->file->RollbackWrite();
        d->file->BumpLocalVersion();
        return;
    }
    if (!d->file->IsInTransaction() || d->file->heldByDatabase) Raise(ErrorCode::kNoTransaction, d->ctx());
    TableFile& file = *d->file;
    base::ScopeExit bump([&] { file.BumpLocalVersion(); });
    if (commit) {
        base::ScopeFail rollback([&] { file.RollbackWrite(); });
        file.CommitWrite();
    } else {
        file.RollbackWrite();
    }
}

void Table::Post() {
    checkActive();
    if (m_state != DataSetState::dsEdit && m_state != DataSetState::dsInsert) return;
    emit UpdatingRecord();
    DoBeforePost();
    const bool inserting = m_state == DataSetState::dsInsert;
    TableFile& file = *d->file;
    const QString ctx = d->ctx();
    internal::CheckRequired(m_def, d->buffer, ctx);
    qint64 rowId = d->hasCurrent && !inserting ? d->currentId() : 0;
    std::vector<QVariant> values = d->buffer;
    internal::RunWrite(d->file, m_databaseName, [&] {
        if (inserting) internal::FillAutoIncrements(file, m_def, values, ctx);
        internal::CheckBlankKeyDuplicate(file, m_def, values, inserting ? 0 : rowId, ctx);
        if (inserting) {
            rowId = internal::InsertRow(file, m_def, d->insertSql, values, ctx);
        } else {
            QStringList sets;
            QVariantList binds;
            for (size_t i = 0; i < values.size(); ++i) {
                if (!d->changed[i]) continue;
                sets << QStringLiteral("%1 = ?").arg(Quote(m_def.Fields[i].Name));
                binds << values[i];
            }
            if (!sets.isEmpty()) {
                sqlite3_stmt* s = file.Statement(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                                     .arg(file.RowTable(), sets.join(QLatin1Char(','))));
                internal::StatementReset reset(s);
                binds << qlonglong(rowId);
                internal::BindAll(s, binds);
                internal::Step(file, s, ctx);
                if (sqlite3_changes(file.Db()) == 0) Raise(ErrorCode::kRecordDeleted, ctx);
            }
        }
    });
    if (d->lockedRow) {
        file.UnlockRecord(d->lockedRow);
        d->lockedRow = 0;
    }
    m_state = DataSetState::dsBrowse;
    m_modified = false;
    d->blobs.clear();
    d->blobRow = 0;
    // stay on the posted row in its new position
    d->sync();
    if (!inserting) {
        // columns not written keep what the row held
        for (size_t i = 0; i < values.size(); ++i) {
            if (!d->changed[i]) values[i] = d->value(int(i));
        }
    }
    for (size_t i = 0; i < values.size(); ++i) {
        if (isLazyBlob(m_def.Fields[i].DataType) && (inserting || d->changed[i]))
            values[i] = values[i].isNull() ? QVariant() : QVariant(qlonglong(values[i].toByteArray().size()));
    }
    RowSet posted(d->columnCount);
    posted.Append(rowId, values);
    d->setBatch(std::move(posted), 0);
    d->batchValid = false;
    d->batchStartKnown = d->batchEndKnown = false;
    m_bof = m_eof = false;
    emit StateChanged();
    notifyData();
    DoAfterPost();
}

void Table::Delete() {
    checkActive();
    if (m_state == DataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (m_state == DataSetState::dsEdit) Cancel();
    if (!d->hasCurrent) Raise(ErrorCode::kRecordNotFound, d->ctx());
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    DoBeforeDelete();
    DoBeforeScroll();
    TableFile& file = *d->file;
    const QString ctx = d->ctx();
    const qint64 oldId = d->currentId();
    const QVariantList key = d->currentKey();
    {
        internal::RecordLock lock(file, oldId, ctx);
        internal::RunWrite(d->file, m_databaseName, [&] {
            sqlite3_stmt* s = file.Statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(file.RowTable()));
            internal::StatementReset reset(s);
            sqlite3_bind_int64(s, 1, oldId);
            internal::Step(file, s, ctx);
        });
    }
    d->sync();
    auto rows = d->fetchBeyond(true, key, false, 1);
    m_eof = rows.Empty();
    m_bof = false;
    if (rows.Empty()) {
        rows = d->fetchBeyond(false, key, false, 1);
        m_bof = rows.Empty();
        m_eof = true;
    }
    d->setBatch(std::move(rows), 0);
    d->batchValid = false;
    if (d->hasCurrent && m_eof) m_eof = false;  // standing on the row before the deleted last one
    if (!d->hasCurrent) m_bof = m_eof = true;
    notifyData();
    DoAfterDelete();
    DoAfterScroll();
    notifyScrolled();
}

}  // namespace db
