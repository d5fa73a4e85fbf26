#pragma once

#include <QByteArray>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <vector>

namespace db::internal {

/// Rows read in one query, packed: one cell per field, text and bytes in one buffer, so a
/// batch costs a few allocations however many rows it holds. Values come out in their
/// storage form (null, qlonglong, double, QString, QByteArray).
class RowSet {
public:
    explicit RowSet(int columns = 0) : m_columns(columns) {}

    int Size() const { return int(m_ids.size()); }
    bool Empty() const { return m_ids.empty(); }
    qint64 Id(int row) const { return m_ids[size_t(row)]; }

    void Reserve(int rows) {
        m_ids.reserve(size_t(rows));
        m_cells.reserve(size_t(rows) * size_t(m_columns));
    }

    /// Reads the current row of a statement: rowid in column 0, then the fields; columns
    /// marked text are read as text whatever their stored kind.
    void Append(sqlite3_stmt* s, const std::vector<bool>& textColumns) {
        m_ids.push_back(sqlite3_column_int64(s, 0));
        for (int i = 0; i < m_columns; ++i) {
            Cell c;
            const int col = i + 1;
            if (textColumns[size_t(i)]) {
                const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                if (t) store(c, Kind::Text, t, sqlite3_column_bytes(s, col));
            } else {
                switch (sqlite3_column_type(s, col)) {
                case SQLITE_INTEGER:
                    c.kind = Kind::Int;
                    c.i = sqlite3_column_int64(s, col);
                    break;
                case SQLITE_FLOAT:
                    c.kind = Kind::Real;
                    c.d = sqlite3_column_double(s, col);
                    break;
                case SQLITE_TEXT: {
                    const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                    store(c, Kind::Text, t, sqlite3_column_bytes(s, col));
                    break;
                }
                case SQLITE_BLOB: {
                    const char* b = static_cast<const char*>(sqlite3_column_blob(s, col));
                    store(c, Kind::Bytes, b, sqlite3_column_bytes(s, col));
                    break;
                }
                default:
                    break;
                }
            }
            m_cells.push_back(c);
        }
    }

    /// Appends a row from storage values.
    void Append(qint64 id, const std::vector<QVariant>& values) {
        m_ids.push_back(id);
        for (int i = 0; i < m_columns; ++i) {
            const QVariant& v = values[size_t(i)];
            Cell c;
            if (v.isNull()) {
            } else if (v.typeId() == QMetaType::QString) {
                const QByteArray u = v.toString().toUtf8();
                store(c, Kind::Text, u.constData(), int(u.size()));
            } else if (v.typeId() == QMetaType::QByteArray) {
                const QByteArray b = v.toByteArray();
                store(c, Kind::Bytes, b.constData(), int(b.size()));
            } else if (v.typeId() == QMetaType::Double) {
                c.kind = Kind::Real;
                c.d = v.toDouble();
            } else {
                c.kind = Kind::Int;
                c.i = v.toLongLong();
            }
            m_cells.push_back(c);
        }
    }

    QVariant Value(int row, int column) const {
        const Cell& c = m_cells[size_t(row) * size_t(m_columns) + size_t(column)];
        switch (c.kind) {
        case Kind::Int:
            return QVariant(qlonglong(c.i));
        case Kind::Real:
            return QVariant(c.d);
        case Kind::Text:
            return QVariant(QString::fromUtf8(m_arena.constData() + c.offset, c.length));
        case Kind::Bytes:
            return QVariant(QByteArray(m_arena.constData() + c.offset, c.length));
        case Kind::Null:
            break;
        }
        return QVariant();
    }

    void Reverse() {
        std::reverse(m_ids.begin(), m_ids.end());
        const size_t n = m_ids.size();
        for (size_t a = 0, b = n ? n - 1 : 0; a < b; ++a, --b) {
            std::swap_ranges(m_cells.begin() + ptrdiff_t(a * size_t(m_columns)),
                             m_cells.begin() + ptrdiff_t((a + 1) * size_t(m_columns)),
                             m_cells.begin() + ptrdiff_t(b * size_t(m_columns)));
        }
    }

private:
    enum class Kind : quint8 { Null, Int, Real, Text, Bytes };
    struct Cell {
        Kind kind = Kind::Null;
        qint32 length = 0;
        union {
            qint64 i;
            double d;
            qint64 offset;
        };
        Cell() : i(0) {}
    };

    void store(Cell& c, Kind kind, const char* data, int length) {
        c.kind = kind;
        c.offset = m_arena.size();
        c.length = length;
        m_arena.append(data, length);
    }

    int m_columns;
    std::vector<qint64> m_ids;
    std::vector<Cell> m_cells;
    QByteArray m_arena;
};

}  // namespace db::internal
