#pragma once

#include "fulltext/search/search_access.h"
#include "fulltext/ts_engine.h"
#include "fulltext/ts_links.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace fulltext::testing {

/// A record table held in memory: record index -> field texts. Searches may be restricted to
/// some fields (sub-fields) by their numbers.
class MemoryRecords : public TtsTextLink, public RecordAccess {
    Q_OBJECT
public:
    MemoryRecords() = default;
    ~MemoryRecords() override { AnnounceRemoval(); }

    void Add(int index, const QStringList& fields) { m_records[index] = fields; }
    const std::map<int, QStringList>& Records() const { return m_records; }
    void SetSubFields(const QSet<int>& fields) { m_subFields = fields; }
    /// Number of records read through ProcessRecord.
    int RecordsRead() const { return m_read; }

    int MinIndex() override { return m_records.empty() ? 0 : m_records.begin()->first; }
    int MaxIndex() override { return m_records.empty() ? -1 : m_records.rbegin()->first; }

    bool GotoRecord(int index) override;
    int RecordIndex() override;
    void SavePosition() override;
    void RestorePosition() override;
    void MarkExistingRecords(TCxBits& set, int minIndex) override;
    bool HasSubFields() const override { return !m_subFields.isEmpty(); }
    void ProcessRecord(TtsEngine* engine) override;

private:
    std::map<int, QStringList> m_records;
    QSet<int> m_subFields;
    std::map<int, QStringList>::iterator m_current = m_records.end();
    std::vector<int> m_saved;
    int m_read = 0;
};

/// A read-only word table held in memory, built from a MemoryRecords with the engine's own
/// word splitting: one row per word with its sounds-like key, reversed word and stored set,
/// walkable by word, by sounds-like key and by reversed word.
class MemoryWordTable : public TtsWordsLink, public WordKeyAccess {
    Q_OBJECT
public:
    struct Options {
        int wordFieldSize = 20;
        int minWordLen = 1;
        bool wordPairs = false;
        bool reverse = true;
        bool like = true;
        QStringList omit;
    };

    MemoryWordTable() = default;
    ~MemoryWordTable() override { AnnounceRemoval(); }

    /// Indexes every field of every record.
    void Build(MemoryRecords& records, const Options& options);

    int WordFieldSize() const override { return m_options.wordFieldSize; }
    bool Segmented() const override { return false; }
    bool Locate(QStringView word, int segment) override;
    bool EndOfTable() const override { return m_pos >= m_order->size(); }
    void Next() override {
        if (m_pos < m_order->size()) ++m_pos;
    }
    QString CurrentWord() const override { return row().word; }
    int Segment() const override { return 0; }
    void Append() override { readOnly(); }
    void Edit() override { readOnly(); }
    void Post() override { readOnly(); }
    void SetWord(QStringView) override { readOnly(); }
    void SetSegment(int) override { readOnly(); }
    void SetCount(int) override { readOnly(); }
    void SetLikeKey(QStringView) override { readOnly(); }
    void WriteSet(const std::uint8_t*, int) override { readOnly(); }
    int ReadSet(std::uint8_t* buffer, int capacity) override;
    QByteArray ReadPropertiesStream() override { return {}; }
    void WritePropertiesStream(const QByteArray&) override { readOnly(); }

    bool HasReverse() const override { return m_options.reverse; }
    void SetKeyKind(int kind) override;
    void PartialLookup(QStringView prefix, QChar wildcard) override;
    QString CurrentKey() const override;

    int WordCount() const { return int(m_rows.size()); }
    /// Rows visited by scans and look-ups since the last reset.
    int RowsVisited() const { return m_visited; }

private:
    struct Row {
        QString word;
        QString like;
        QString reverse;
        QByteArray stored;
    };
    [[noreturn]] static void readOnly();
    const Row& row() const { return m_rows[(*m_order)[m_pos]]; }
    QString keyOf(const Row& r, int kind) const;

    Options m_options;
    std::vector<Row> m_rows;  ///< in word order
    std::vector<std::size_t> m_byWord, m_byLike, m_byReverse;
    const std::vector<std::size_t>* m_order = &m_byWord;
    int m_kind = kkWord;
    std::size_t m_pos = 0;
    int m_visited = 0;
};

}  // namespace fulltext::testing
