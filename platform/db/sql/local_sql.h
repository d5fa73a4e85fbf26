#pragma once

#include "platform/base/result.h"
#include "platform/db/sql/sql_lexer.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace db::sql {

/// Gives the table file a query names: the name as written (quotes removed) in, the file
/// name of the table out, for example "hierarchy" -> "Hierarchy.DB". A name that matches no
/// file comes back as it is; opening it then fails with "file not found".
using TableResolver = std::function<QString(const QString& written)>;

/// Writes a date or date-time literal the way date fields are stored.
using DateLiteralWriter = std::function<QString(const QDateTime& value, bool hasTime)>;

struct TranslateOptions {
    TableResolver resolveTable;   ///< empty: the name as written
    DateLiteralWriter writeDate;  ///< empty: the day number (days from 1899-12-30, time as fraction)
    /// Name of the row table inside a table file; empty: the file name without its folder.
    std::function<QString(const QString& file)> rowTableOf;
};

/// One entry of the outermost select list, after translation.
struct SelectItem {
    std::vector<Token> tokens;  ///< its significant tokens, translated (an "AS alias" tail excluded)
    QString text;               ///< its translated text as written (the name SQLite gives it without alias)
    QString alias;              ///< the name given with AS, or empty
    bool star = false;          ///< "*" or "<table>.*"
};

/// A query text rewritten for SQLite.
struct Translation {
    QString text;
    /// Table files the query reads, each once (compared ignoring case) in order of first
    /// use. Table i must be attached as the schema SchemaName(i).
    QStringList tables;
    std::vector<SelectItem> columns;  ///< entries of the outermost select list
};

/// The schema name under which table i (0-based) of a translation is attached: "t1", "t2", ...
QString SchemaName(int tableIndex);

/// Rewrites a query in the local-SQL dialect into SQLite's:
/// - a table named after FROM, JOIN or a comma of the FROM list, as a file name in double
///   quotes ("Hierarchy.DB"), bare (Hierarchy, Hierarchy.DB) or as a path, becomes the row
///   table of that file in its attached schema; a name that differs from the file name
///   (beyond case) stays usable as the table's alias;
/// - other double-quoted texts are string values, except where the grammar wants a name:
///   after or before a "." (h."Node Name", "Hierarchy.DB".NodeID), after AS, and as a
///   table's alias in the FROM list;
/// - a single-quoted date 'MM/DD/YYYY' (month and day may have one digit, an optional
///   time "HH:MM[:SS[.zzz]]" with an optional AM/PM may follow) becomes the stored date
///   form; other single-quoted texts stay strings.
/// Everything else (LIKE, functions, operators, comments, layout) is copied unchanged;
/// the connection that runs the text supplies the case-sensitive LIKE.
/// Fails on an unterminated string, name or comment and on an impossible date, with the
/// position of the offending token.
base::Result<Translation> TranslateLocalSql(const QString& localSql, const TranslateOptions& options = {});

}  // namespace db::sql
