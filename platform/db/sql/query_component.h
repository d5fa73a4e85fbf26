#pragma once

#include "platform/db/table.h"

#include <QString>
#include <QStringList>

namespace db::sql {

/// The query component: a local-SQL SELECT kept as lines of text, run on the table files of a
/// database when it opens. Its DatabaseName names the database (a connected database of its
/// session, an alias of its session, or a folder); SessionName the session (empty: the
/// default one). Opening runs the statement and opens the cursor over its answer, held in
/// memory and read-only; closing drops the answer. A data source follows it as it follows
/// any table.
class Query : public Table {
    Q_OBJECT
public:
    explicit Query(QObject* aParent = nullptr);

    QString SessionName() const { return m_sessionName; }
    /// Closes the query when it is open, then stores the name.
    void SetSessionName(const QString& aName);
    /// The statement, line by line.
    QStringList SQL() const { return m_sql; }
    /// Closes the query when it is open, then stores the lines.
    void SetSQL(const QStringList& aLines);
    /// The lines joined with line breaks.
    QString SQLText() const { return m_sql.join(u'\n'); }
    void SetSQLText(const QString& aText);

    /// The folder the query runs on (its database resolved through its session).
    QString QueryFolder() const;
    /// The names of the result fields: the open cursor's fields, or, while closed, the
    /// statement's result columns found by preparing it without running it. Raises as
    /// OpenQuery for a statement that cannot run.
    void GetFieldNames(QStringList& aList) const;
    using Table::GetFieldNames;
    /// The text that ran on SQLite at the last open.
    QString SqliteText() const { return m_sqliteText; }

protected:
    void OpenCursor() override;

private:
    QString m_sessionName;
    QStringList m_sql;
    QString m_sqliteText;
};

}  // namespace db::sql
