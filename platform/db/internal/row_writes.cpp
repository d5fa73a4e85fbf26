#include "platform/db/internal/row_writes.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/internal/table_file.h"

namespace db::internal {

RowWrite::RowWrite(const std::shared_ptr<TableFile>& file, const QString& databaseName) : m_file(*file) {
    Database* database = Database::FindDatabase(databaseName);
    const bool inDatabase = database && database->InTransaction();
    const bool started = m_file.BeginWrite();
    m_ownsTransaction = started && !inDatabase;
    if (inDatabase) database->JoinTransaction(file);
}

RowWrite::~RowWrite() {
    if (m_done) return;
    if (m_ownsTransaction) m_file.RollbackWrite();
    m_file.BumpLocalVersion();
}

void RowWrite::Commit() {
    if (m_ownsTransaction) m_file.CommitWrite();
    m_done = true;
    m_file.BumpLocalVersion();
}

RecordLock::RecordLock(TableFile& file, qint64 rowId, const QString& context) : m_file(file), m_rowId(rowId) {
    if (!m_file.LockRecord(rowId)) Raise(ErrorCode::kRecordLocked, context);
}

RecordLock::~RecordLock() {
    if (m_rowId) m_file.UnlockRecord(m_rowId);
}

qint64 RecordLock::Keep() noexcept { return std::exchange(m_rowId, 0); }

void Step(TableFile& file, sqlite3_stmt* s, const QString& context) {
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) RaiseSqlite(file.Db(), sqlite3_extended_errcode(file.Db()), context);
}

void RaiseRequired(const FieldDef& f, const QString& context) {
    throw EDBEngineError({{ErrorCode::kRequiredField, EngineMessage(ErrorCode::kRequiredField)},
                          {0, QStringLiteral("Field: %1").arg(f.Name)},
                          {0, context}});
}

void CheckRequired(const TableDef& def, const std::vector<QVariant>& row, const QString& context) {
    for (size_t i = 0; i < def.Fields.size(); ++i) {
        const FieldDef& f = def.Fields[i];
        if (f.Required && f.DataType != FieldType::ftAutoInc && row[i].isNull()) RaiseRequired(f, context);
    }
}

void FillAutoIncrements(TableFile& file, const TableDef& def, std::vector<QVariant>& row, const QString& context) {
    for (size_t i = 0; i < def.Fields.size(); ++i) {
        if (def.Fields[i].DataType != FieldType::ftAutoInc || !row[i].isNull()) continue;
        sqlite3_stmt* s = file.Statement(
            QStringLiteral("SELECT coalesce(max(%1), 0) + 1 FROM %2").arg(Quote(def.Fields[i].Name), file.RowTable()));
        StatementReset reset(s);
        if (sqlite3_step(s) != SQLITE_ROW) RaiseSqlite(file.Db(), sqlite3_extended_errcode(file.Db()), context);
        row[i] = qlonglong(sqlite3_column_int64(s, 0));
    }
}

void CheckBlankKeyDuplicate(TableFile& file, const TableDef& def, const std::vector<QVariant>& row, qint64 rowId,
                            const QString& context) {
    const IndexDef* pk = def.PrimaryIndex();
    if (!pk) return;
    QStringList conds;
    QVariantList binds;
    bool anyNull = false;
    for (const QString& n : pk->FieldList()) {
        const int at = def.FieldIndex(n);
        anyNull = anyNull || row[size_t(at)].isNull();
        conds << QStringLiteral("%1 IS ?").arg(Quote(def.Fields[size_t(at)].Name));
        binds << row[size_t(at)];
    }
    if (!anyNull) return;
    binds << qlonglong(rowId);
    sqlite3_stmt* s = file.Statement(QStringLiteral("SELECT 1 FROM %1 WHERE %2 AND rowid IS NOT ?")
                                         .arg(file.RowTable(), conds.join(QStringLiteral(" AND "))));
    StatementReset reset(s);
    BindAll(s, binds);
    if (sqlite3_step(s) == SQLITE_ROW) Raise(ErrorCode::kKeyViolation, context);
}

qint64 InsertRow(TableFile& file, const TableDef& def, QString& insertSql, const std::vector<QVariant>& row,
                 const QString& context) {
    if (insertSql.isEmpty()) {
        QStringList cols, marks;
        for (const auto& f : def.Fields) {
            cols << Quote(f.Name);
            marks << QStringLiteral("?");
        }
        insertSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(file.RowTable(), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    }
    sqlite3_stmt* s = file.Statement(insertSql);
    StatementReset reset(s);
    for (size_t i = 0; i < row.size(); ++i) Bind(s, int(i) + 1, row[i]);
    Step(file, s, context);
    return sqlite3_last_insert_rowid(file.Db());
}

}  // namespace db::internal
