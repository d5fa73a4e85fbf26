#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <vector>

namespace db::internal {

/// A statement and the values of its placeholders, in order.
struct SqlQuery {
    QString sql;
    QVariantList binds;

    /// "<sql> | <bind>, <bind>, ...": NULL, numbers as written, texts in single quotes,
    /// bytes as x'..'; for tests that compare whole statements.
    QString Text() const;
};

/// The SQL of a cursor's walk over one row table: the order of an index (its fields, then
/// rowid, ascending or descending), an optional range on the leading order fields, and the
/// statements of moves and seeks within both. Null sorts below every value, as in the
/// index. Keys are given in storage form, one value per leading order field (a position's
/// key has one more value: the rowid).
///
/// Every statement that reads rows is `<select> WHERE <range> AND <condition> ORDER BY ...`
/// with the range's values first; statements that fetch several rows end in "LIMIT ?",
/// whose value the caller binds after the query's own values.
///
/// States: no order (after construction: SetOrder first); ordered without a range; ordered
/// with a range (SetRange, ClearRange). The cache of seek statements is dropped whenever
/// the order or the range changes.
class OrderSql {
public:
    /// `select` reads the rows ("SELECT rowid, ... FROM t"); `rowTable` is the quoted row
    /// table; `fieldExprs` the SQL expressions of the order fields (collation included).
    void SetOrder(const QString& select, const QString& rowTable, const QStringList& fieldExprs, bool descending);

    /// Restricts to the rows whose leading order fields lie between start and end, both
    /// inclusive (fewer values compare fewer fields; an empty list leaves that end open).
    void SetRange(const QVariantList& start, const QVariantList& end);
    void CopyRange(const OrderSql& other);
    void ClearRange();
    bool HasRange() const { return !m_rangeWhere.isEmpty(); }

    bool Descending() const { return m_desc; }
    /// SQL expressions of the order, rowid last.
    const QStringList& Exprs() const { return m_exprs; }

    /// " WHERE <range> AND <extra>", or the part that applies, or "".
    QString Where(const QString& extra) const;

    /// Rows from the start (forward) or the end of the order, nearest first, "LIMIT ?".
    SqlQuery FromEnd(bool forward) const;
    /// Rows after (forward) or before the position `key` in the order, nearest first, as
    /// one or more statements each ending in "LIMIT ?": run them in turn until enough rows
    /// are read. `inclusive` adds the position itself.
    std::vector<SqlQuery> Beyond(bool forward, const QVariantList& key, bool inclusive) const;
    /// The first row (in order or in reverse order) that meets a condition, "LIMIT 1".
    SqlQuery FirstWhere(const QString& condition, const QVariantList& binds, bool forward) const;
    /// A seek: FindKey (`nearest` false: leading fields equal to the key) or FindNearest
    /// (the first row at or after the key), "LIMIT 1". Statements are kept per shape of key.
    SqlQuery Seek(bool nearest, const QVariantList& key);
    /// Rows within the range: "SELECT count(*)"; with `before`, those before the position.
    SqlQuery Count(const QVariantList* before) const;
    /// "SELECT 1 ... LIMIT 1" within the range.
    SqlQuery AnyRow() const;
    /// One column of the first row in order that meets a condition, within the range.
    SqlQuery LookupColumn(const QString& column, const QString& condition, const QVariantList& binds) const;
    /// The row with the rowid given, within the range.
    SqlQuery RowInRange(qint64 rowId) const;
    /// The row with the rowid given, whatever the range.
    SqlQuery Row(qint64 rowId) const;

    /// Lexicographic comparison of the first key.size() expressions with the key: `after`
    /// answers the rows that lie after the key in ascending order (before it otherwise);
    /// `inclusive` adds equality. Appends the values for its placeholders to `binds`.
    static QString RowComparison(const QStringList& exprs, const QVariantList& key, bool after, bool inclusive,
                                 QVariantList& binds);

private:
    struct SeekShape {
        QString sql;
        std::vector<int> keyOf;  ///< placeholder i (after the range's) takes key[keyOf[i]]
    };
    SeekShape makeSeek(bool nearest, const QVariantList& key) const;
    std::vector<SqlQuery> segments(bool forward, bool greater, const QVariantList& key, bool inclusive) const;
    QVariantList withRange(const QVariantList& binds) const;

    QString m_select;
    QString m_rowTable;
    QStringList m_exprs;
    bool m_desc = false;
    QString m_orderForward;
    QString m_orderBackward;
    QString m_rangeWhere;
    QVariantList m_rangeBinds;
    QHash<quint64, SeekShape> m_seeks;
};

}  // namespace db::internal
