#pragma once

#include "platform/db/db_error.h"
#include "platform/db/field_def.h"
#include "platform/db/table.h"

#include <QString>

#include <memory>
#include <vector>

class QTemporaryDir;

namespace db::sql {

/// The answer of a query: a read-only table holding the rows the query gave when it ran,
/// in the query's order, with one field object per result column. It behaves as any
/// open table in browse state (moves, bookmarks, Locate, RecordCount); editing raises
/// "Table is read only." Its rows live in a private folder removed with the cursor.
class QueryCursor : public Table {
    Q_OBJECT
public:
    ~QueryCursor() override;

    /// The query as it was given and as it ran on SQLite.
    const QString& LocalSql() const { return m_localSql; }
    const QString& SqliteText() const { return m_sqliteText; }

private:
    friend std::unique_ptr<QueryCursor> OpenQuery(const QString&, const QString&);
    QueryCursor();

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_localSql;
    QString m_sqliteText;
};

/// Runs a local-SQL SELECT over the table files of a database (a connected Database's name
/// or a folder path) and answers an open cursor on its first row.
///
/// The tables are attached read-only to one SQLite connection; at most 10 table files can
/// take part in one query. Result columns are named by their column, their alias or their
/// expression text; a name used twice gets "_1", "_2"... appended. A column read straight
/// from a table keeps that field's type and size; a computed column is typed from its
/// expression (COUNT gives a long integer, SUM and MIN/MAX the type of their argument,
/// AVG and arithmetic a number, text functions and "||" alpha, comparisons a logical) or,
/// failing that, from its values. LIKE compares case-sensitively; UPPER and LOWER know every
/// Unicode letter.
///
/// Raises EDBEngineError: kDatabaseNotFound (no such folder), kTableNotFound (a table
/// file is missing), kCorruptHeader (a file that is not a table), kTableLocked (a table
/// someone holds exclusively), kTooManyTables (more than 10 table files), kInvalidSql
/// (bad syntax, unknown column, anything but one SELECT). Nothing on disk changes.
std::unique_ptr<QueryCursor> OpenQuery(const QString& databaseName, const QString& localSql);

/// What a query answered: its result fields (typed as OpenQuery types them) and its rows
/// (values by field position), with the text that ran on SQLite.
struct QueryAnswer {
    std::vector<FieldDef> Fields;
    std::vector<std::vector<QVariant>> Rows;
    QString SqliteText;
};
/// Runs the query as OpenQuery does and answers its rows in memory. Raises as OpenQuery.
QueryAnswer RunQuery(const QString& databaseName, const QString& localSql);

/// The result fields of a query (names and types as OpenQuery would give them; a
/// computed column that only its values could type is alpha), without reading rows.
/// Raises as OpenQuery.
std::vector<FieldDef> QueryFieldDefs(const QString& databaseName, const QString& localSql);

}  // namespace db::sql
