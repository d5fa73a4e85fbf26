#include "platform/db/db_error.h"

#include <QStringList>

#include <iterator>

namespace db {

namespace {

struct CodeText {
    int code;
    const char* text;
};

constexpr CodeText kTexts[] = {
    {ErrorCode::kCorruptHeader, "Corrupt table/index header."},
    {ErrorCode::kCorruptFile, "Corrupt file - other than header."},
    {ErrorCode::kIoError, "I/O error."},
    {ErrorCode::kDiskFull, "Not enough disk space."},
    {ErrorCode::kBof, "At beginning of table."},
    {ErrorCode::kEof, "At end of table."},
    {ErrorCode::kRecordDeleted, "Record/key deleted."},
    {ErrorCode::kRecordNotFound, "Could not find record."},
    {ErrorCode::kKeyViolation, "Key violation."},
    {ErrorCode::kRequiredField, "Field value required."},
    {ErrorCode::kIndexNotFound, "Index does not exist."},
    {ErrorCode::kTableNotFound, "Table does not exist."},
    {ErrorCode::kFieldNotFound, "Field not found."},
    {ErrorCode::kInvalidDefinition, "Invalid field or index definition."},
    {ErrorCode::kTableExists, "Table already exists."},
    {ErrorCode::kRecordLocked, "Record locked by another user."},
    {ErrorCode::kTableBusy, "Table is busy."},
    {ErrorCode::kTableLocked, "Table is locked."},
    {ErrorCode::kNeedExclusive, "Table not opened exclusively."},
    {ErrorCode::kReadOnly, "Table is read only."},
    {ErrorCode::kTableClosed, "Cannot perform this operation on a closed table."},
    {ErrorCode::kTableOpen, "Cannot perform this operation on an open table."},
    {ErrorCode::kNotEditing, "Table not in edit or insert mode."},
    {ErrorCode::kInvalidValue, "Invalid field value."},
    {ErrorCode::kTransactionActive, "A transaction is already active."},
    {ErrorCode::kNoTransaction, "No transaction is active."},
    {ErrorCode::kDatabaseNotFound, "Database not found."},
    {ErrorCode::kTooManyTables, "Too many tables in one query."},
    {ErrorCode::kDataLoss, "The change would lose data."},
    {ErrorCode::kInvalidParameter, "Invalid parameter."},
    {ErrorCode::kInvalidSql, "Invalid SQL statement."},
    {ErrorCode::kNotSupported, "Capability not supported."},
    {ErrorCode::kUnknownAlias, "Unknown database alias."},
};

constexpr bool codesDistinct() {
    for (size_t i = 0; i < std::size(kTexts); ++i) {
        if (kTexts[i].code <= 0) return false;
        for (size_t j = i + 1; j < std::size(kTexts); ++j) {
            if (kTexts[i].code == kTexts[j].code) return false;
        }
    }
    return true;
}
static_assert(codesDistinct(), "every engine code is its own, with a text of its own");

}  // namespace

QString EngineMessage(int code) {
    for (const auto& t : kTexts) {
        if (t.code == code) return QString::fromLatin1(t.text);
    }
    return {};
}

QString EngineErrorText(int code) {
    const QString text = EngineMessage(code);
    if (text.isEmpty()) return QStringLiteral("Unknown error, code is %1.").arg(code);
    return QStringLiteral("%1: %2").arg(code).arg(text);
}

static std::vector<DBError> makeErrors(int code, const QString& detail) {
    std::vector<DBError> errors;
    QString text = EngineMessage(code);
    if (text.isEmpty()) text = QStringLiteral("Unknown error, code is %1.").arg(code);
    errors.push_back({code, text});
    if (!detail.isEmpty()) errors.push_back({0, detail});
    return errors;
}

EDBEngineError::EDBEngineError(int code, const QString& detail)
    : EDBEngineError(makeErrors(code, detail)) {}

EDBEngineError::EDBEngineError(std::vector<DBError> errors)
    : base::Exception(joined(errors), 0, errors.empty() ? 0 : errors.front().ErrorCode),
      m_errors(std::move(errors)) {}

void EDBEngineError::AddContext(const QString& text) {
    m_errors.push_back({0, text});
    SetMessage(joined(m_errors));
}

QString EDBEngineError::joined(const std::vector<DBError>& errors) {
    QStringList lines;
    for (const auto& e : errors) lines << e.Message;
    return lines.join(QLatin1Char('\n'));
}

void Raise(int code, const QString& detail) { throw EDBEngineError(code, detail); }

}  // namespace db
