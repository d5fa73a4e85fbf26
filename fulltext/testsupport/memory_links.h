#pragma once

#include "fulltext/ts_engine.h"
#include "fulltext/errors.h"
#include "fulltext/ts_links.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <utility>
#include <vector>

namespace fulltext::testing {

/// A text link over a fixed range of record numbers.
class MemoryTextLink : public TtsTextLink {
public:
    MemoryTextLink(int minIndex, int maxIndex) : m_min(minIndex), m_max(maxIndex) {}
    ~MemoryTextLink() override { AnnounceRemoval(); }
    int MinIndex() override { return m_min; }
    int MaxIndex() override { return m_max; }
    void SetRange(int minIndex, int maxIndex) {
        m_min = minIndex;
        m_max = maxIndex;
    }

private:
    int m_min;
    int m_max;
};

/// A word table held in memory: rows ordered by (word, segment), each with its count,
/// sounds-like key and stored set; it is the sink the cache writes back into.
class MemoryWordsLink : public TtsWordsLink {
public:
    struct Row {
        int count = 0;
        QString like;
        QByteArray set;
    };
    using Key = std::pair<QString, int>;

    explicit MemoryWordsLink(int wordFieldSize = 20, bool segmented = false)
        : m_wordFieldSize(wordFieldSize), m_segmented(segmented) {}
    ~MemoryWordsLink() override { AnnounceRemoval(); }

    int WordFieldSize() const override { return m_wordFieldSize; }
    bool Segmented() const override { return m_segmented; }

    bool Locate(QStringView word, int segment) override {
        const int seg = m_segmented && segment >= 0 ? segment : 0;
        m_current = m_rows.lower_bound({word.toString(), m_segmented && segment >= 0 ? seg : INT_MIN});
        return m_current != m_rows.end() && m_current->first.first == word &&
               (!m_segmented || segment < 0 || m_current->first.second == seg);
    }
    bool EndOfTable() const override { return m_current == m_rows.end(); }
    void Next() override {
        if (m_current != m_rows.end()) ++m_current;
    }
    QString CurrentWord() const override { return m_current->first.first; }
    int Segment() const override { return m_current->first.second; }

    void Append() override {
        m_editing = false;
        m_pending = Row();
        m_pendingKey = Key();
    }
    void Edit() override {
        m_editing = true;
        m_pending = m_current->second;
        m_pendingKey = m_current->first;
    }
    void Post() override {
        if (m_editing) ++edits;
        else ++inserts;
        m_rows[m_pendingKey] = m_pending;
        m_current = m_rows.find(m_pendingKey);
    }
    void SetWord(QStringView word) override { m_pendingKey.first = word.toString(); }
    void SetSegment(int segment) override { m_pendingKey.second = m_segmented ? segment : 0; }
    void SetCount(int count) override { m_pending.count = count; }
    void SetLikeKey(QStringView key) override { m_pending.like = key.toString(); }
    void WriteSet(const std::uint8_t* data, int length) override {
        m_pending.set = QByteArray(reinterpret_cast<const char*>(data), length);
    }
    int ReadSet(std::uint8_t* buffer, int capacity) override {
        const QByteArray& set = m_current->second.set;
        if (set.size() > capacity) throw ETessick(fulltext::msgDecompressBufferTooSmall);
        std::memcpy(buffer, set.constData(), std::size_t(set.size()));
        return int(set.size());
    }
    QByteArray ReadPropertiesStream() override { return properties; }
    void WritePropertiesStream(const QByteArray& data) override { properties = data; }

    const std::map<Key, Row>& Rows() const { return m_rows; }
    const Row* Find(const QString& word, int segment = 0) const {
        const auto it = m_rows.find({word, m_segmented ? segment : 0});
        return it == m_rows.end() ? nullptr : &it->second;
    }

    QByteArray properties;
    int inserts = 0;
    int edits = 0;

private:
    int m_wordFieldSize;
    bool m_segmented;
    std::map<Key, Row> m_rows;
    std::map<Key, Row>::iterator m_current = m_rows.end();
    bool m_editing = false;
    Row m_pending;
    Key m_pendingKey;
};

/// An engine that collects the words it is given.
class CollectingEngine : public TtsReadEngine {
public:
    void ProcessWord(QStringView word) override { words.push_back(word.toString()); }
    std::vector<QString> words;
};

}  // namespace fulltext::testing
