#pragma once

#include "platform/base/exception.h"

#include <QString>

#include <vector>

namespace db {

/// The errors of the table layer and its SQL, all declared here:
/// - EDBEngineError (below) for every failing operation, with one of the engine codes of
///   ErrorCode; the codes are distinct (checked where their texts are kept);
/// - the refusals of the local-SQL lexer and translator, which are expected failures and
///   travel as base::Result errors with the codes of namespace sql below (small numbers,
///   apart from the engine codes); a query that cannot run raises kInvalidSql.

/// Engine error codes of the table layer. Callers test these numbers, so they never change.
namespace ErrorCode {
inline constexpr int kCorruptHeader = 8961;      ///< "Corrupt table/index header."
inline constexpr int kCorruptFile = 8962;        ///< "Corrupt file - other than header."
inline constexpr int kIoError = 8450;            ///< "I/O error."
inline constexpr int kDiskFull = 8451;           ///< "Not enough disk space."
inline constexpr int kBof = 8705;                ///< "At beginning of table."
inline constexpr int kEof = 8706;                ///< "At end of table."
inline constexpr int kRecordDeleted = 8708;      ///< "Record/key deleted."
inline constexpr int kRecordNotFound = 8710;     ///< "Could not find record."
inline constexpr int kKeyViolation = 9729;       ///< "Key violation."
inline constexpr int kRequiredField = 9732;      ///< "Field value required."
inline constexpr int kIndexNotFound = 10022;     ///< "Index does not exist."
inline constexpr int kTableNotFound = 10024;     ///< "Table does not exist."
inline constexpr int kFieldNotFound = 10038;     ///< "Field not found."
inline constexpr int kInvalidDefinition = 10050; ///< "Invalid field or index definition."
inline constexpr int kTableExists = 10051;       ///< "Table already exists."
inline constexpr int kRecordLocked = 10241;      ///< "Record locked by another user."
inline constexpr int kTableBusy = 10243;         ///< "Table is busy." (exclusive open refused: others have it open)
inline constexpr int kTableLocked = 10245;       ///< "Table is locked." (another holds it exclusively)
inline constexpr int kNeedExclusive = 10253;     ///< "Table not opened exclusively."
inline constexpr int kReadOnly = 10763;          ///< "Table is read only."
inline constexpr int kTableClosed = 10496;       ///< "Cannot perform this operation on a closed table."
inline constexpr int kTableOpen = 10497;         ///< "Cannot perform this operation on an open table."
inline constexpr int kNotEditing = 10498;        ///< "Table not in edit or insert mode."
inline constexpr int kInvalidValue = 10499;      ///< "Invalid field value."
inline constexpr int kTransactionActive = 10500; ///< "A transaction is already active."
inline constexpr int kNoTransaction = 10501;     ///< "No transaction is active."
inline constexpr int kDatabaseNotFound = 10502;  ///< "Database not found."
inline constexpr int kTooManyTables = 10503;     ///< "Too many tables in one query."
inline constexpr int kDataLoss = 10504;          ///< "The change would lose data."
inline constexpr int kInvalidParameter = 10505;  ///< "Invalid parameter."
inline constexpr int kInvalidSql = 10520;        ///< "Invalid SQL statement."
inline constexpr int kNotSupported = 10521;      ///< "Capability not supported."
inline constexpr int kUnknownAlias = 10522;      ///< "Unknown database alias."
}  // namespace ErrorCode

namespace sql {
/// base::Error codes of the lexer and the translator (Tokenize, TranslateLocalSql).
inline constexpr int kUnterminatedString = 1;   ///< a '...' string without its closing quote
inline constexpr int kUnterminatedName = 2;     ///< a "...", [...] or `...` name without its closing quote
inline constexpr int kUnterminatedComment = 3;  ///< a /* comment without its */
inline constexpr int kInvalidDate = 4;          ///< a date literal that has the date form but names no real day ('02/30/2001')
/// Engine code of a query the engine cannot run: a syntax error, an unknown column, a
/// statement other than one SELECT. The first entry's text is "Invalid SQL statement.";
/// the next one says why.
inline constexpr int kInvalidSql = ErrorCode::kInvalidSql;
}  // namespace sql

/// The engine's own text of a code; empty when the code is not one of the table layer's.
QString EngineMessage(int code);

/// "<code>: <engine text>", or "Unknown error, code is <n>." when the engine has no text.
QString EngineErrorText(int code);

/// One entry of an engine failure: the code callers test and the text shown for it.
struct DBError {
    int ErrorCode = 0;
    QString Message;
};

/// Raised by every failing operation of the table layer (open, move, seek, post, create,
/// restructure...). Carries one or more (code, text) entries; the first is the cause, later
/// ones add context (the table file, the field). Message() is the texts joined by line
/// breaks; Code() is the first entry's code.
class EDBEngineError : public base::Exception {
public:
    EDBEngineError(int code, const QString& detail = {});
    explicit EDBEngineError(std::vector<DBError> errors);

    int ErrorCount() const { return int(m_errors.size()); }
    const DBError& Errors(int i) const { return m_errors.at(size_t(i)); }
    /// Adds a context entry (code 0) after the existing ones and updates Message().
    void AddContext(const QString& text);

private:
    static QString joined(const std::vector<DBError>& errors);
    std::vector<DBError> m_errors;
};

/// Throws EDBEngineError(code, detail).
[[noreturn]] void Raise(int code, const QString& detail = {});

}  // namespace db
