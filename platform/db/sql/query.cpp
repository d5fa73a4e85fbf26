#include "platform/db/sql/query.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/db_log.h"
#include "platform/db/sqlite_handles.h"
#include "platform/db/sql/local_sql.h"
#include "platform/db/sql/sql_functions.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>

#include <sqlite3.h>

namespace db::sql {

namespace {

using ConnectionPtr = SqliteConnectionPtr;
using StatementPtr = SqliteStatementPtr;

/// Raises the engine error for a failed SQLite call on the query's connection: the engine
/// code, then SQLite's text and what was being done.
[[noreturn]] void RaiseSqlite(sqlite3* db, int result, const QString& context) {
    int code = ErrorCode::kIoError;
    switch (result & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        code = ErrorCode::kTableLocked;
        break;
    case SQLITE_CORRUPT:
        code = ErrorCode::kCorruptFile;
        break;
    case SQLITE_NOTADB:
        code = ErrorCode::kCorruptHeader;
        break;
    case SQLITE_FULL:
        code = ErrorCode::kDiskFull;
        break;
    case SQLITE_CANTOPEN:
        code = ErrorCode::kTableNotFound;
        break;
    default:
        break;
    }
    const QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(result));
    throw EDBEngineError(std::vector<DBError>{{code, EngineMessage(code)}, {0, text}, {0, context}});
}

[[noreturn]] void RaiseInvalidSql(const QString& why) {
    throw EDBEngineError(std::vector<DBError>{{kInvalidSql, QStringLiteral("Invalid SQL statement.")}, {0, why}});
}

QString SqliteMessage(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

/// The table file a query names, as a path relative to the folder (or absolute): an
/// existing table file matched ignoring case, with ".DB" assumed when no extension is given.
QString ResolveTable(const QString& folder, const QString& written) {
    if (written.contains(u'/')) return written;
    QString found = FindTableFile(folder, written);
    if (found.isEmpty() && !written.contains(u'.')) {
        found = FindTableFile(folder, written + QStringLiteral(".DB"));
    }
    return found.isEmpty() ? written : QFileInfo(found).fileName();
}

// ---- typing of result columns ----

struct ColumnType {
    FieldType type = FieldType::ftUnknown;
    int size = 0;
};

/// Types a result column from its expression. Every step works on a strictly shorter part of
/// the expression than it was given, so the inference ends on any token list (one the
/// rules cannot split further is untyped), and nesting deeper than kMaxDepth is untyped.
class TypeInference {
public:
    explicit TypeInference(const std::vector<TableDef>& defs) : m_defs(defs) {}

    ColumnType Infer(const std::vector<Token>& tokens) const {
        if (m_depth >= kMaxDepth) return {};
        ++m_depth;
        const ColumnType c = inferPart(tokens);
        --m_depth;
        return c;
    }

private:
    static constexpr int kMaxDepth = 200;

    /// Infers a part that must be shorter than `whole`; an operator that leaves the whole
    /// list as one part (two operators in a row: "|| ||") makes no progress and is untyped.
    ColumnType inferShorter(const std::vector<Token>& part, size_t whole) const {
        return part.size() < whole ? Infer(part) : ColumnType{};
    }

    ColumnType inferPart(std::vector<Token> tokens) const {
        stripParens(tokens);
        if (tokens.empty()) return {};
        if (tokens.size() == 1) return single(tokens.front());
        // a column named with its table: q.name
        if (tokens.size() == 3 && tokens[1].IsSymbol(".")) return column(tokens[2]);

        // the weakest operator at the top level decides
        bool logical = false, concat = false, additive = false, multiplicative = false;
        int depth = 0;
        for (size_t i = 0; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.IsSymbol("(")) ++depth;
            if (t.IsSymbol(")")) --depth;
            if (depth != 0) continue;
            static const char* const kLogicalWords[] = {"AND", "OR", "NOT", "LIKE", "BETWEEN", "IN", "IS", "EXISTS"};
            static const char* const kComparisons[] = {"=", "==", "<>", "!=", "<", ">", "<=", ">="};
            for (const char* w : kLogicalWords) logical = logical || t.IsWord(w);
            for (const char* s : kComparisons) logical = logical || t.IsSymbol(s);
            concat = concat || t.IsSymbol("||");
            if ((t.IsSymbol("+") || t.IsSymbol("-")) && i > 0) additive = true;
            if (t.IsSymbol("*") || t.IsSymbol("/") || t.IsSymbol("%")) multiplicative = true;
        }
        if (logical) return {FieldType::ftBoolean, 0};
        if (concat) {
            int size = 0;
            for (const auto& part : split(tokens, {"||"})) size += inferShorter(part, tokens.size()).size;
            return {FieldType::ftString, std::clamp(size, 1, 255)};
        }
        if (additive || multiplicative) {
            return arithmetic(split(tokens, additive ? std::initializer_list<const char*>{"+", "-"}
                                                     : std::initializer_list<const char*>{"*", "/", "%"}),
                              additive, tokens.size());
        }
        if (tokens.front().IsSymbol("-") || tokens.front().IsSymbol("+")) {
            return Infer(std::vector<Token>(tokens.begin() + 1, tokens.end()));
        }
        if (tokens.front().kind == TokenKind::Word && tokens[1].IsSymbol("(") && tokens.back().IsSymbol(")")) {
            return function(tokens.front().text.toUpper(), std::vector<Token>(tokens.begin() + 2, tokens.end() - 1));
        }
        return {};
    }

    static void stripParens(std::vector<Token>& tokens) {
        while (tokens.size() >= 2 && tokens.front().IsSymbol("(") && tokens.back().IsSymbol(")")) {
            int depth = 0;
            for (size_t i = 0; i + 1 < tokens.size(); ++i) {
                if (tokens[i].IsSymbol("(")) ++depth;
                if (tokens[i].IsSymbol(")")) --depth;
                if (depth == 0) return;  // "(a) + (b)": the parentheses do not enclose all
            }
            tokens = std::vector<Token>(tokens.begin() + 1, tokens.end() - 1);
        }
    }

    static std::vector<std::vector<Token>> split(const std::vector<Token>& tokens, std::initializer_list<const char*> ops) {
        std::vector<std::vector<Token>> parts(1);
        int depth = 0;
        for (size_t i = 0; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.IsSymbol("(")) ++depth;
            if (t.IsSymbol(")")) --depth;
            bool isOp = false;
            for (const char* op : ops) isOp = isOp || t.IsSymbol(op);
            if (depth == 0 && isOp && !parts.back().empty()) {
                parts.emplace_back();
                continue;
            }
            parts.back().push_back(t);
        }
        return parts;
    }

    ColumnType single(const Token& t) const {
        switch (t.kind) {
        case TokenKind::Number:
            return {t.text.contains(u'.') || t.text.contains(u'e', Qt::CaseInsensitive) ? FieldType::ftFloat : FieldType::ftInteger, 0};
        case TokenKind::SingleQuoted:
            return {FieldType::ftString, std::clamp(int(t.Unquoted().size()), 1, 255)};
        case TokenKind::Word:
            if (t.IsWord("TRUE") || t.IsWord("FALSE")) return {FieldType::ftBoolean, 0};
            if (t.IsWord("NULL")) return {};
            return column(t);
        case TokenKind::DoubleQuoted:
        case TokenKind::QuotedName:
            return column(t);
        default:
            return {};
        }
    }

    ColumnType column(const Token& t) const {
        const QString name = t.IsQuotedName() ? t.Unquoted() : t.text;
        for (const TableDef& def : m_defs) {
            const int i = def.FieldIndex(name);
            if (i >= 0) return {def.Fields[size_t(i)].DataType, def.Fields[size_t(i)].Size};
        }
        return {};
    }

    ColumnType arithmetic(const std::vector<std::vector<Token>>& parts, bool additive, size_t whole) const {
        bool anyFloat = false, anyMoney = false, anyDate = false, allInteger = true;
        int dates = 0;
        for (const auto& part : parts) {
            const ColumnType c = inferShorter(part, whole);
            switch (c.type) {
            case FieldType::ftSmallint:
            case FieldType::ftInteger:
            case FieldType::ftAutoInc:
                break;
            case FieldType::ftCurrency:
                anyMoney = true;
                allInteger = false;
                break;
            case FieldType::ftDate:
            case FieldType::ftDateTime:
                anyDate = true;
                ++dates;
                allInteger = false;
                break;
            default:
                anyFloat = true;
                allInteger = false;
                break;
            }
        }
        if (additive && anyDate) return {dates == 1 ? FieldType::ftDate : FieldType::ftFloat, 0};
        if (allInteger) return {FieldType::ftInteger, 0};
        if (anyMoney && !anyFloat && !anyDate) return {FieldType::ftCurrency, 0};
        return {FieldType::ftFloat, 0};
    }

    ColumnType function(const QString& name, const std::vector<Token>& args) const {
        if (name == QLatin1String("COUNT") || name == QLatin1String("EXTRACT")) return {FieldType::ftInteger, 0};
        if (name == QLatin1String("AVG")) return {FieldType::ftFloat, 0};
        std::vector<Token> arg = args;
        if (!arg.empty() && (arg.front().IsWord("DISTINCT") || arg.front().IsWord("ALL"))) arg.erase(arg.begin());
        if (name == QLatin1String("SUM") || name == QLatin1String("TOTAL")) {
            const ColumnType c = Infer(arg);
            switch (c.type) {
            case FieldType::ftSmallint:
            case FieldType::ftInteger:
            case FieldType::ftAutoInc:
                return {FieldType::ftInteger, 0};
            case FieldType::ftCurrency:
            case FieldType::ftBCD:
                return {c.type, c.size};
            default:
                return {FieldType::ftFloat, 0};
            }
        }
        if (name == QLatin1String("MIN") || name == QLatin1String("MAX")) {
            ColumnType c = Infer(arg);
            if (c.type == FieldType::ftAutoInc) c.type = FieldType::ftInteger;
            return c;
        }
        static const char* const kText[] = {"UPPER", "LOWER", "TRIM", "LTRIM", "RTRIM", "SUBSTRING", "SUBSTR"};
        for (const char* t : kText) {
            if (name == QLatin1String(t)) {
                auto parts = split(arg, {","});
                if (!parts.empty()) {
                    // SUBSTRING(s FROM i FOR n): the text is before FROM
                    for (size_t i = 0; i < parts.front().size(); ++i) {
                        if (parts.front()[i].IsWord("FROM")) {
                            parts.front().resize(i);
                            break;
                        }
                    }
                }
                ColumnType c = parts.empty() ? ColumnType{} : Infer(parts.front());
                if (name.endsWith(QLatin1String("TRIM"))) {
                    // TRIM(BOTH 'x' FROM s): the text is after FROM
                    for (size_t i = 0; i < arg.size(); ++i) {
                        if (arg[i].IsWord("FROM")) c = Infer(std::vector<Token>(arg.begin() + long(i) + 1, arg.end()));
                    }
                }
                return {FieldType::ftString, c.type == FieldType::ftString ? c.size : 255};
            }
        }
        if (name == QLatin1String("CAST")) {
            for (size_t i = 0; i < arg.size(); ++i) {
                if (!arg[i].IsWord("AS") || i + 1 >= arg.size()) continue;
                const QString type = arg[i + 1].text.toUpper();
                int size = 255;
                if (i + 3 < arg.size() && arg[i + 2].IsSymbol("(")) size = std::clamp(arg[i + 3].text.toInt(), 1, 255);
                if (type == QLatin1String("CHAR") || type == QLatin1String("VARCHAR")) return {FieldType::ftString, size};
                if (type == QLatin1String("SMALLINT")) return {FieldType::ftSmallint, 0};
                if (type == QLatin1String("INTEGER") || type == QLatin1String("INT")) return {FieldType::ftInteger, 0};
                if (type == QLatin1String("MONEY")) return {FieldType::ftCurrency, 0};
                if (type == QLatin1String("DATE")) return {FieldType::ftDate, 0};
                if (type == QLatin1String("TIME")) return {FieldType::ftTime, 0};
                if (type == QLatin1String("TIMESTAMP")) return {FieldType::ftDateTime, 0};
                if (type == QLatin1String("BOOLEAN")) return {FieldType::ftBoolean, 0};
                return {FieldType::ftFloat, 0};
            }
        }
        return {};
    }

    const std::vector<TableDef>& m_defs;
    mutable int m_depth = 0;
};

bool IsNumeric(FieldType t) {
    switch (t) {
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
    case FieldType::ftDate:
    case FieldType::ftTime:
    case FieldType::ftDateTime:
    case FieldType::ftBoolean:
        return true;
    default:
        return false;
    }
}

/// A query prepared on its own connection with its tables attached.
class PreparedQuery {
public:
    PreparedQuery(const QString& databaseName, const QString& localSql) {
        const QString folder = Database::ResolveFolder(databaseName);
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) Raise(ErrorCode::kDatabaseNotFound, databaseName);

        TranslateOptions options;
        options.resolveTable = [&](const QString& written) { return ResolveTable(folder, written); };
        auto first = TranslateLocalSql(localSql, options);
        if (!first) {
            RaiseInvalidSql(QStringLiteral("%1 (line %2, column %3)")
                                .arg(first.error().text)
                                .arg(first.error().line)
                                .arg(first.error().column));
        }
        m_tableFiles = first.value().tables;

        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
        m_db.reset(raw);
        if (rc != SQLITE_OK) RaiseSqlite(raw, rc, QStringLiteral("query"));
        sqlite3_busy_timeout(m_db.get(), 5000);  // as long as the tables wait for each other
        RegisterSqlExtensions(m_db.get());
        RegisterLocalSqlFunctions(m_db.get());

        const int limit = sqlite3_limit(m_db.get(), SQLITE_LIMIT_ATTACHED, -1);
        if (m_tableFiles.size() > limit) {
            Raise(ErrorCode::kTooManyTables,
                  QStringLiteral("The query uses %1 tables; at most %2 tables can be used in one query.")
                      .arg(m_tableFiles.size())
                      .arg(limit));
        }

        QHash<QString, QString> rowTables;
        for (int i = 0; i < m_tableFiles.size(); ++i) {
            const QString path = QDir(folder).absoluteFilePath(m_tableFiles[i]);
            if (!QFileInfo(path).isFile()) Raise(ErrorCode::kTableNotFound, m_tableFiles[i]);
            if (!IsTableFile(path)) Raise(ErrorCode::kCorruptHeader, m_tableFiles[i]);
            QUrl uri = QUrl::fromLocalFile(path);
            uri.setQuery(QStringLiteral("mode=ro"));
            exec(QStringLiteral("ATTACH DATABASE %1 AS %2").arg(SingleQuote(uri.toString(QUrl::FullyEncoded)), DoubleQuote(SchemaName(i))),
                 m_tableFiles[i]);
            rowTables.insert(m_tableFiles[i], rowTableName(i));
            m_defs.push_back(ReadTableDef(QFileInfo(path).absolutePath(), QFileInfo(path).fileName()));
        }

        options.rowTableOf = [&](const QString& file) { return rowTables.value(file, file); };
        auto second = TranslateLocalSql(localSql, options);
        m_translation = second.value();

        const QByteArray utf8 = m_translation.text.toUtf8();
        const char* tail = nullptr;
        sqlite3_stmt* stmt = nullptr;
        const int prc = sqlite3_prepare_v2(m_db.get(), utf8.constData(), int(utf8.size()), &stmt, &tail);
        m_stmt.reset(stmt);
        if (prc != SQLITE_OK) RaiseInvalidSql(SqliteMessage(m_db.get()));
        if (!m_stmt) RaiseInvalidSql(QStringLiteral("The query text is empty."));
        auto rest = Tokenize(QString::fromUtf8(tail));
        if (rest) {
            for (const Token& t : rest.value()) {
                if (t.Significant() && !t.IsSymbol(";")) RaiseInvalidSql(QStringLiteral("Only one statement can be run as a query."));
            }
        }
        auto lead = Tokenize(m_translation.text);
        bool select = false;
        for (const Token& t : lead.value()) {
            if (!t.Significant() || t.IsSymbol("(")) continue;
            select = t.IsWord("SELECT");
            break;
        }
        if (!select || !sqlite3_stmt_readonly(m_stmt.get())) RaiseInvalidSql(QStringLiteral("Only SELECT statements can be run as queries."));
        qCDebug(lcDb) << "query" << localSql << "runs as" << m_translation.text;
    }

    sqlite3_stmt* statement() const { return m_stmt.get(); }
    sqlite3* connection() const { return m_db.get(); }
    const Translation& translation() const { return m_translation; }

    /// Result fields: unique names; types from the source field, the expression, or alpha.
    std::vector<FieldDef> fieldDefs() const {
        const int n = sqlite3_column_count(m_stmt.get());
        std::vector<FieldDef> defs;
        QSet<QString> taken = {QStringLiteral("rowid"), QStringLiteral("oid"), QStringLiteral("_rowid_")};
        std::vector<QString> names;
        for (int i = 0; i < n; ++i) names.push_back(QString::fromUtf8(sqlite3_column_name(m_stmt.get(), i)).trimmed());
        // names as given come first, so a later duplicate never takes a given name
        QSet<QString> given;
        for (const QString& name : names) given.insert(name.toCaseFolded());
        bool anyStar = false;
        for (const SelectItem& item : m_translation.columns) anyStar = anyStar || item.star;
        const TypeInference inference(m_defs);

        for (int i = 0; i < n; ++i) {
            QString name = names[size_t(i)].isEmpty() ? QStringLiteral("Column%1").arg(i + 1) : names[size_t(i)];
            if (taken.contains(name.toCaseFolded())) {
                const QString base = name;
                for (int k = 1;; ++k) {
                    name = QStringLiteral("%1_%2").arg(base).arg(k);
                    if (!taken.contains(name.toCaseFolded()) && !given.contains(name.toCaseFolded())) break;
                }
            }
            taken.insert(name.toCaseFolded());

            FieldDef def;
            def.Name = name;
            def.DataType = FieldType::ftUnknown;
            const char* schema = sqlite3_column_database_name(m_stmt.get(), i);
            const char* origin = sqlite3_column_origin_name(m_stmt.get(), i);
            if (schema && origin) {
                const int table = QString::fromUtf8(schema).mid(1).toInt() - 1;
                if (table >= 0 && table < int(m_defs.size())) {
                    const int f = m_defs[size_t(table)].FieldIndex(QString::fromUtf8(origin));
                    if (f >= 0) {
                        def.DataType = m_defs[size_t(table)].Fields[size_t(f)].DataType;
                        def.Size = m_defs[size_t(table)].Fields[size_t(f)].Size;
                    }
                }
            }
            const SelectItem* item = nullptr;
            for (const SelectItem& candidate : m_translation.columns) {
                const QString& itemName = candidate.alias.isEmpty() ? candidate.text : candidate.alias;
                if (!candidate.star && itemName.compare(names[size_t(i)], Qt::CaseInsensitive) == 0) item = &candidate;
            }
            if (!item && !anyStar && i < int(m_translation.columns.size())) item = &m_translation.columns[size_t(i)];
            if (def.DataType == FieldType::ftUnknown && item) {
                const ColumnType c = inference.Infer(item->tokens);
                def.DataType = c.type;
                def.Size = c.size;
            }
            if (def.DataType == FieldType::ftAutoInc) def.DataType = FieldType::ftInteger;
            defs.push_back(def);
        }
        return defs;
    }

private:
    void exec(const QString& sql, const QString& context) {
        char* err = nullptr;
        const int rc = sqlite3_exec(m_db.get(), sql.toUtf8().constData(), nullptr, nullptr, &err);
        sqlite3_free(err);
        if (rc != SQLITE_OK) RaiseSqlite(m_db.get(), rc, context);
    }

    QString rowTableName(int i) {
        const QString sql = QStringLiteral("SELECT value FROM %1.dossara_table WHERE key = 'rowtable'").arg(DoubleQuote(SchemaName(i)));
        sqlite3_stmt* raw = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db.get(), utf8.constData(), int(utf8.size()), &raw, nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            Raise(ErrorCode::kCorruptHeader, m_tableFiles[i]);
        }
        StatementPtr s(raw);
        if (sqlite3_step(s.get()) != SQLITE_ROW) Raise(ErrorCode::kCorruptHeader, m_tableFiles[i]);
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
    }

    ConnectionPtr m_db;
    StatementPtr m_stmt;
    QStringList m_tableFiles;
    std::vector<TableDef> m_defs;
    Translation m_translation;
};

/// Settles the type of a computed column from its values: numbers that are not all whole
/// make a number field, any text makes alpha (or memo beyond 255 characters), bytes binary.
void SettleFromValues(FieldDef& def, const std::vector<std::vector<QVariant>>& rows, int column) {
    bool anyText = false, anyBytes = false, anyReal = false, anyInteger = false;
    int longest = 0;
    for (const auto& row : rows) {
        const QVariant& v = row[size_t(column)];
        switch (v.typeId()) {
        case QMetaType::QString:
            anyText = true;
            longest = std::max(longest, int(v.toString().size()));
            break;
        case QMetaType::QByteArray:
            anyBytes = true;
            break;
        case QMetaType::Double:
            anyReal = true;
            break;
        case QMetaType::LongLong:
            anyInteger = true;
            break;
        default:
            break;
        }
    }
    if (anyBytes) {
        if (!IsBlobType(def.DataType)) def = FieldDef{def.Name, FieldType::ftBlob, 0, false};
        return;
    }
    const bool numeric = IsNumeric(def.DataType);
    if (anyText && (numeric || def.DataType == FieldType::ftUnknown || def.DataType == FieldType::ftString)) {
        if (def.DataType == FieldType::ftString && longest <= def.Size) return;
        def.DataType = longest > 255 ? FieldType::ftMemo : FieldType::ftString;
        def.Size = longest > 255 ? 0 : std::max({1, longest, def.DataType == FieldType::ftString ? def.Size : 0});
        return;
    }
    if (def.DataType == FieldType::ftUnknown) {
        if (anyReal) def.DataType = FieldType::ftFloat;
        else if (anyInteger) def.DataType = FieldType::ftInteger;
        else def = FieldDef{def.Name, FieldType::ftString, 255, false};
        return;
    }
    if (anyReal && (def.DataType == FieldType::ftInteger || def.DataType == FieldType::ftSmallint || def.DataType == FieldType::ftBoolean)) {
        def.DataType = FieldType::ftFloat;
    }
}

}  // namespace

QueryCursor::QueryCursor() = default;

QueryCursor::~QueryCursor() {
    // The rows' file goes with the folder, so the table lets go of it first.
    if (Active()) Close();
}

std::vector<FieldDef> QueryFieldDefs(const QString& databaseName, const QString& localSql) {
    PreparedQuery query(databaseName, localSql);
    std::vector<FieldDef> defs = query.fieldDefs();
    for (FieldDef& def : defs) {
        if (def.DataType == FieldType::ftUnknown) def = FieldDef{def.Name, FieldType::ftString, 255, false};
    }
    return defs;
}

QueryAnswer RunQuery(const QString& databaseName, const QString& localSql) {
    PreparedQuery query(databaseName, localSql);
    QueryAnswer answer;
    answer.Fields = query.fieldDefs();
    std::vector<FieldDef>& defs = answer.Fields;
    const int columns = int(defs.size());

    std::vector<std::vector<QVariant>>& rows = answer.Rows;
    sqlite3_stmt* s = query.statement();
    for (;;) {
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            if (rc == SQLITE_ERROR) RaiseInvalidSql(SqliteMessage(query.connection()));
            RaiseSqlite(query.connection(), rc, QStringLiteral("query"));
        }
        std::vector<QVariant> row;
        row.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c) row.push_back(SqliteColumnValue(s, c));
        rows.push_back(std::move(row));
    }
    for (int c = 0; c < columns; ++c) {
        const bool fromTable = sqlite3_column_origin_name(s, c) != nullptr;
        if (!fromTable) SettleFromValues(defs[size_t(c)], rows, c);
    }
    answer.SqliteText = query.translation().text;
    return answer;
}

std::unique_ptr<QueryCursor> OpenQuery(const QString& databaseName, const QString& localSql) {
    QueryAnswer answer = RunQuery(databaseName, localSql);
    const std::vector<FieldDef>& defs = answer.Fields;
    const std::vector<std::vector<QVariant>>& rows = answer.Rows;
    const int columns = int(defs.size());

    std::unique_ptr<QueryCursor> cursor(new QueryCursor);
    cursor->m_localSql = localSql;
    cursor->m_sqliteText = answer.SqliteText;
    cursor->m_folder = std::make_unique<QTemporaryDir>();
    if (!cursor->m_folder->isValid()) Raise(ErrorCode::kIoError, QStringLiteral("No folder for the query's answer."));
    const QString folder = cursor->m_folder->path();
    const QString file = QStringLiteral("Query.db");

    TableDef def;
    def.Fields = defs;
    CreateTableFile(folder, file, def);
    {
        Database session;
        session.SetDatabaseName(QStringLiteral("dossara-query-") + QUuid::createUuid().toString(QUuid::WithoutBraces));
        session.SetDirectory(folder);
        session.Open();
        Table writer;
        writer.SetDatabaseName(session.DatabaseName());
        writer.SetTableName(file);
        writer.Open();
        session.StartTransaction();
        for (const auto& row : rows) {
            writer.Append();
            for (int c = 0; c < columns; ++c) {
                if (!row[size_t(c)].isNull()) writer.Fields(c)->SetValue(row[size_t(c)]);
            }
            writer.Post();
        }
        session.Commit();
        writer.Close();
    }
    cursor->SetDatabaseName(folder);
    cursor->SetTableName(file);
    cursor->SetReadOnly(true);
    cursor->Open();
    return cursor;
}

}  // namespace db::sql
