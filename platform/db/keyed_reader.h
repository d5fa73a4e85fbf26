#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QStringView>

#include <functional>

#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace db {

class Table;

namespace internal {
class TableFile;
}

/// Reads chosen text (and integer) fields of single rows found by the value of an integer field, straight
/// from the table's file through one prepared statement: the table's cursor does not move,
/// no events run and no field objects are filled. For loops that read many rows by key one
/// after another (the candidate records of a search); the loop keeps a ReadSnapshot so that
/// the rows read are those of one moment:
/// \code
///   db::ReadSnapshot snapshot(table);
///   db::KeyedReader reader(table, "NodeID", {"Title", "Body"});
///   for (qint64 key : candidates) if (reader.Read(key)) check(reader.Text(0), reader.Text(1));
/// \endcode
///
/// A row is the first in (key, row) order whose key field equals the value, as FindKey finds
/// it on an index of that field. When the key field alone has a unique index, the row whose
/// row number equals the key is tried first (records appended as their numbers are given out
/// are stored that way); after a few more misses than hits the reader stops trying. Those
/// tries walk the rows in row order: a key a few rows after the last one read is reached by
/// stepping on from there rather than by a new search from the top of the table, so reading
/// keys in ascending order costs one pass where they lie close together. The walk stays
/// open between reads only while a ReadSnapshot holds the file's read transaction (it is
/// stopped before that transaction ends); without one every read ends its statement.
/// The reader sees the file as the
/// table's own cursors do (its committed rows and this process's open transaction) but knows nothing of a range set on
/// a cursor. Short-lived: it keeps the table's file open, so it must go before the table closes. Raises the engine
/// error of a failed read; a field that is not alpha, memo or an integer, or a missing field, raises kInvalidValue
/// when the reader is made.
class KeyedReader {
public:
    KeyedReader(const Table& table, const QString& keyField, const QStringList& fields);
    ~KeyedReader();
    KeyedReader(const KeyedReader&) = delete;
    KeyedReader& operator=(const KeyedReader&) = delete;

    /// Reads the row with key `key`; answers false (and no fields) when there is none.
    bool Read(qint64 key);
    /// True when field `i` (position in the list given) of the row read is null.
    bool IsNull(int i) const;
    /// The text of field `i` of the row read (empty for null); valid until the next Read.
    QStringView Text(int i) const;
    /// The value of integer field `i` of the row read (0 for null).
    qint64 Integer(int i) const { return m_integers[std::size_t(i)]; }

    /// Calls `visit` with the value of integer field `keyField` of every row of the table's file
    /// (0 for a null), in no set order, reading that field alone straight from the file (through
    /// an index on it where there is one): the table's cursor does not move and no events run.
    /// Sees the rows as KeyedReader does, so a range set on a cursor is not applied. Raises the
    /// engine error of a failed read, kInvalidValue for a missing or non-integer field.
    static void ForEachInteger(const Table& table, const QString& keyField, const std::function<void(qint64)>& visit);

    /// Row-number probes that found their row, and those that did not (for tests).
    int ProbeHits() const { return m_probeHits; }
    int ProbeMisses() const { return m_probeMisses; }
    /// Probes that stepped on from the previous row instead of searching (for tests).
    int ProbeSteps() const { return m_probeSteps; }

    /// Rows a probe steps over at most before it searches instead: each row stepped over
    /// costs the copy of its fields, so a search wins beyond a few rows.
    static constexpr qint64 kStepRows = 4;

private:
    void decode(sqlite3_stmt* s);
    /// Moves the row-order walk to the first row numbered `key` or more; answers whether it
    /// stands on the row numbered `key`.
    bool walkTo(qint64 key);
    bool stepWalk();
    static constexpr int kProbeMissesAllowed = 8;

    std::shared_ptr<internal::TableFile> m_file;
    QString m_sql;  ///< the row by key, through the key's index (statements cached by the file)
    /// The rows from a row number on, in row order (the reader's own statement); null when
    /// the key is not unique or probes stopped.
    sqlite3_stmt* m_walk = nullptr;
    qint64 m_walkRow = 0;  ///< row number the walk stands on, while it is open
    int m_probeHits = 0;
    int m_probeMisses = 0;
    int m_probeSteps = 0;
    bool m_row = false;
    std::vector<QString> m_texts;    ///< per field: decoding buffer, reused from row to row
    std::vector<qsizetype> m_sizes;  ///< per field: decoded length; -1 for null or no row
    std::vector<bool> m_integer;        ///< per field: an integer field
    std::vector<qint64> m_integers;     ///< per integer field: its value
    QStringDecoder m_decoder{QStringDecoder::Utf8};
};

}  // namespace db
