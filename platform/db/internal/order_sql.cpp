#include "platform/db/internal/order_sql.h"

namespace db::internal {

namespace {

QString bindText(const QVariant& v) {
    if (v.isNull()) return QStringLiteral("NULL");
    switch (v.typeId()) {
    case QMetaType::QString: {
        QString s = v.toString();
        s.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + s + QLatin1Char('\'');
    }
    case QMetaType::QByteArray:
        return QStringLiteral("x'%1'").arg(QString::fromLatin1(v.toByteArray().toHex()));
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 17);
    default:
        return v.toString();
    }
}

bool anyNull(const QVariantList& key) {
    for (const auto& v : key) {
        if (v.isNull()) return true;
    }
    return false;
}

}  // namespace

QString SqlQuery::Text() const {
    QStringList values;
    for (const auto& v : binds) values << bindText(v);
    return values.isEmpty() ? sql : sql + QStringLiteral(" | ") + values.join(QStringLiteral(", "));
}

void OrderSql::SetOrder(const QString& select, const QString& rowTable, const QStringList& fieldExprs,
                        bool descending) {
    m_select = select;
    m_rowTable = rowTable;
    m_desc = descending;
    m_exprs = fieldExprs;
    m_exprs << QStringLiteral("rowid");
    QStringList fwd, back;
    for (const QString& e : std::as_const(m_exprs)) {
        fwd << e + (m_desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
        back << e + (m_desc ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }
    m_orderForward = QStringLiteral(" ORDER BY ") + fwd.join(QStringLiteral(", "));
    m_orderBackward = QStringLiteral(" ORDER BY ") + back.join(QStringLiteral(", "));
    m_seeks.clear();
}

void OrderSql::SetRange(const QVariantList& start, const QVariantList& end) {
    QStringList parts;
    QVariantList binds;
    bool equal = start.size() == end.size();
    for (qsizetype i = 0; equal && i < start.size(); ++i) equal = !start[i].isNull() && start[i] == end[i];
    if (equal) {
        for (qsizetype i = 0; i < start.size(); ++i) {
            parts << QStringLiteral("%1 = ?").arg(m_exprs[i]);
            binds << start[i];
        }
    } else {
        if (!start.isEmpty()) parts << RowComparison(m_exprs, start, !m_desc, true, binds);
        if (!end.isEmpty()) parts << RowComparison(m_exprs, end, m_desc, true, binds);
    }
    m_rangeWhere = parts.join(QStringLiteral(" AND "));
    m_rangeBinds = binds;
    m_seeks.clear();
}

void OrderSql::CopyRange(const OrderSql& other) {
    m_rangeWhere = other.m_rangeWhere;
    m_rangeBinds = other.m_rangeBinds;
    m_seeks.clear();
}

void OrderSql::ClearRange() {
    m_rangeWhere.clear();
    m_rangeBinds.clear();
    m_seeks.clear();
}

QString OrderSql::Where(const QString& extra) const {
    QStringList parts;
    if (!m_rangeWhere.isEmpty()) parts << m_rangeWhere;
    if (!extra.isEmpty()) parts << extra;
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

QVariantList OrderSql::withRange(const QVariantList& binds) const {
    QVariantList all = m_rangeBinds;
    all += binds;
    return all;
}

QString OrderSql::RowComparison(const QStringList& exprs, const QVariantList& key, bool after, bool inclusive,
                                QVariantList& binds) {
    const int n = int(key.size());
    if (!anyNull(key) && (after || n == 1)) {
        QStringList l;
        for (int i = 0; i < n; ++i) {
            l << exprs[i];
            binds << key[i];
        }
        const QString op = after ? (inclusive ? QStringLiteral(">=") : QStringLiteral(">"))
                                 : (inclusive ? QStringLiteral("<=") : QStringLiteral("<"));
        if (n == 1) {
            if (after) return QStringLiteral("%1 %2 ?").arg(exprs[0], op);
            return QStringLiteral("(%1 %2 ? OR %1 IS NULL)").arg(exprs[0], op);
        }
        QStringList qs(n, QStringLiteral("?"));
        return QStringLiteral("(%1) %2 (%3)").arg(l.join(QLatin1Char(',')), op, qs.join(QLatin1Char(',')));
    }
    // General form: e1 op k1 OR (e1 = k1 AND (e2 op k2 OR (... AND (1 or 0)))), with the
    // placeholders in text order strict_0, equal_0, strict_1, equal_1, ...
    QString result = inclusive ? QStringLiteral("1") : QStringLiteral("0");
    for (int i = n - 1; i >= 0; --i) {
        QString strict;
        QString equal;
        if (key[i].isNull()) {
            strict = after ? QStringLiteral("%1 IS NOT NULL").arg(exprs[i]) : QStringLiteral("0");
            equal = QStringLiteral("%1 IS NULL").arg(exprs[i]);
        } else {
            strict = after ? QStringLiteral("%1 > ?").arg(exprs[i]) : QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(exprs[i]);
            equal = QStringLiteral("%1 = ?").arg(exprs[i]);
        }
        result = QStringLiteral("(%1 OR (%2 AND %3))").arg(strict, equal, result);
    }
    for (int i = 0; i < n; ++i) {
        if (!key[i].isNull()) binds << key[i] << key[i];
    }
    return result;
}

SqlQuery OrderSql::FromEnd(bool forward) const {
    return {m_select + Where(QString()) + (forward ? m_orderForward : m_orderBackward) + QStringLiteral(" LIMIT ?"),
            m_rangeBinds};
}

std::vector<SqlQuery> OrderSql::Beyond(bool forward, const QVariantList& key, bool inclusive) const {
    // forward in an ascending order means "greater"; a descending order flips it
    const bool greater = forward != m_desc;
    if (!greater || anyNull(key)) return segments(forward, greater, key, inclusive);
    QVariantList binds = m_rangeBinds;
    const QString cond = RowComparison(m_exprs, key, greater, inclusive, binds);
    return {{m_select + Where(cond) + (forward ? m_orderForward : m_orderBackward) + QStringLiteral(" LIMIT ?"), binds}};
}

/// Rows above or below the key in natural order (null lowest), nearest first, as a series
/// of index ranges, each with the leading fields fixed to the key: for position i from the
/// last to the first, the rows equal to the key before i with field i above the key's value
/// (not null when that is null), or below it and then those with field i null. (One
/// expression would need OR terms that keep SQLite from walking the index; a key without
/// nulls goes above with one row-value comparison instead.)
std::vector<SqlQuery> OrderSql::segments(bool forward, bool greater, const QVariantList& key, bool inclusive) const {
    std::vector<SqlQuery> queries;
    const int n = int(key.size());
    const QString order = forward ? m_orderForward : m_orderBackward;
    for (int i = n - 1; i >= 0; --i) {
        QStringList prefix;
        QVariantList prefixBinds;
        for (int j = 0; j < i; ++j) {
            if (key[j].isNull()) {
                prefix << QStringLiteral("%1 IS NULL").arg(m_exprs[j]);
            } else {
                prefix << QStringLiteral("%1 = ?").arg(m_exprs[j]);
                prefixBinds << key[j];
            }
        }
        const bool last = i == n - 1;
        const bool isRowId = i == int(m_exprs.size()) - 1;
        QStringList parts;
        if (last && inclusive && key[i].isNull()) {
            // the key itself (all fields equal, the last one null) comes first
            parts << QStringLiteral("%1 IS NULL").arg(m_exprs[i]);
        }
        if (greater) {
            if (key[i].isNull()) {
                parts << QStringLiteral("%1 IS NOT NULL").arg(m_exprs[i]);
            } else {
                parts << QStringLiteral("%1 %2 ?").arg(m_exprs[i], last && inclusive ? QStringLiteral(">=") : QStringLiteral(">"));
            }
        } else if (!key[i].isNull()) {  // nothing lies below null at this position
            parts << QStringLiteral("%1 %2 ?").arg(m_exprs[i], last && inclusive ? QStringLiteral("<=") : QStringLiteral("<"));
            if (!isRowId) parts << QStringLiteral("%1 IS NULL").arg(m_exprs[i]);
        }
        for (const QString& part : std::as_const(parts)) {
            QStringList conds = prefix;
            conds << part;
            QVariantList binds = withRange(prefixBinds);
            if (part.endsWith(QLatin1Char('?'))) binds << key[i];
            queries.push_back({m_select + Where(conds.join(QStringLiteral(" AND "))) + order + QStringLiteral(" LIMIT ?"),
                               binds});
        }
    }
    return queries;
}

SqlQuery OrderSql::FirstWhere(const QString& condition, const QVariantList& binds, bool forward) const {
    return {m_select + Where(condition) + (forward ? m_orderForward : m_orderBackward) + QStringLiteral(" LIMIT 1"),
            withRange(binds)};
}

OrderSql::SeekShape OrderSql::makeSeek(bool nearest, const QVariantList& key) const {
    // the SQL depends on which values are null only: built over the values' positions
    QVariantList positions;
    for (qsizetype i = 0; i < key.size(); ++i) positions << (key[i].isNull() ? QVariant() : QVariant(qlonglong(i)));
    QVariantList binds;
    QString cond;
    if (nearest) {
        if (!key.isEmpty()) cond = RowComparison(m_exprs, positions, !m_desc, true, binds);
    } else {
        QStringList conds;
        for (qsizetype i = 0; i < key.size(); ++i) {
            if (key[i].isNull()) {
                conds << QStringLiteral("%1 IS NULL").arg(m_exprs[i]);
            } else {
                conds << QStringLiteral("%1 = ?").arg(m_exprs[i]);
                binds << positions[i];
            }
        }
        cond = conds.join(QStringLiteral(" AND "));
    }
    SeekShape made;
    made.sql = m_select + Where(cond) + m_orderForward + QStringLiteral(" LIMIT 1");
    for (const auto& b : std::as_const(binds)) made.keyOf.push_back(int(b.toLongLong()));
    return made;
}

SqlQuery OrderSql::Seek(bool nearest, const QVariantList& key) {
    constexpr qsizetype kShapeFields = 48;
    const SeekShape* shape = nullptr;
    SeekShape oneOff;
    if (key.size() < kShapeFields) {
        quint64 bits = quint64(nearest) | (quint64(key.size()) << 1);
        for (qsizetype i = 0; i < key.size(); ++i)
            if (key[i].isNull()) bits |= quint64(1) << (8 + i);
        auto it = m_seeks.constFind(bits);
        if (it == m_seeks.constEnd()) it = m_seeks.insert(bits, makeSeek(nearest, key));
        shape = &*it;
    } else {
        oneOff = makeSeek(nearest, key);  // a key too long for the shape bits: not kept
        shape = &oneOff;
    }
    SqlQuery q{shape->sql, m_rangeBinds};
    for (int k : shape->keyOf) q.binds << key[k];
    return q;
}

SqlQuery OrderSql::Count(const QVariantList* before) const {
    QVariantList binds = m_rangeBinds;
    const QString cond = before ? RowComparison(m_exprs, *before, m_desc, false, binds) : QString();
    return {QStringLiteral("SELECT count(*) FROM %1").arg(m_rowTable) + Where(cond), binds};
}

SqlQuery OrderSql::AnyRow() const {
    return {QStringLiteral("SELECT 1 FROM %1").arg(m_rowTable) + Where(QString()) + QStringLiteral(" LIMIT 1"), m_rangeBinds};
}

SqlQuery OrderSql::LookupColumn(const QString& column, const QString& condition, const QVariantList& binds) const {
    return {QStringLiteral("SELECT %1 FROM %2").arg(column, m_rowTable) + Where(condition) + m_orderForward +
                QStringLiteral(" LIMIT 1"),
            withRange(binds)};
}

SqlQuery OrderSql::RowInRange(qint64 rowId) const {
    return {m_select + Where(QStringLiteral("rowid = ?")), withRange({QVariant(qlonglong(rowId))})};
}

SqlQuery OrderSql::Row(qint64 rowId) const {
    return {m_select + QStringLiteral(" WHERE rowid = ?"), {QVariant(qlonglong(rowId))}};
}

}  // namespace db::internal
