#include "fulltext/testsupport/memory_index.h"

#include "fulltext/cx_bits.h"
#include "fulltext/ts_bits.h"
#include "fulltext/errors.h"
#include "fulltext/ts_text.h"

#include <algorithm>
#include <climits>
#include <set>

namespace fulltext::testing {

bool MemoryRecords::GotoRecord(int index) {
    const auto it = m_records.find(index);
    if (it == m_records.end()) return false;
    m_current = it;
    return true;
}

int MemoryRecords::RecordIndex() {
    return m_current == m_records.end() ? INT_MIN : m_current->first;
}

void MemoryRecords::MarkExistingRecords(TCxBits& set, int minIndex) {
    set.ClearAllBits();
    for (const auto& [index, fields] : m_records) {
        const qint64 bit = qint64(index) - minIndex;
        if (bit >= 0 && bit <= set.MaxBits()) set.SetBitOn(int(bit));
    }
}

void MemoryRecords::SavePosition() {
    m_saved.push_back(RecordIndex());
}

void MemoryRecords::RestorePosition() {
    if (m_saved.empty()) return;
    const int index = m_saved.back();
    m_saved.pop_back();
    m_current = index == INT_MIN ? m_records.end() : m_records.find(index);
}

void MemoryRecords::ProcessRecord(TtsEngine* engine) {
    if (m_current == m_records.end()) return;
    ++m_read;
    const TEngineStates s = engine->States();
    const bool all = m_subFields.isEmpty() || s.Contains(TEngineState::esMake) || s.Contains(TEngineState::esUpdate);
    const QStringList& fields = m_current->second;
    for (int f = 0; f < fields.size(); ++f) {
        if (!all && !m_subFields.contains(f)) continue;
        engine->ClearPrevious();
        engine->ParseString(fields[f]);
    }
}

namespace {

/// Collects the words of one record after another.
class Collector : public TtsReadEngine {
public:
    void ProcessWord(QStringView word) override { sets[word.toString()].insert(record); }
    std::map<QString, std::set<int>> sets;
    int record = 0;
};

}  // namespace

void MemoryWordTable::Build(MemoryRecords& records, const Options& options) {
    m_options = options;
    m_rows.clear();
    Collector collector;
    collector.SetWordsLink(this);
    collector.SetMinWordLen(options.minWordLen);
    collector.SetWordPairs(options.wordPairs);
    QSet<QString> omit;
    for (QString w : options.omit) {
        UpperInPlace(w.data(), w.size());
        omit.insert(w);
    }
    collector.OnAcceptWord = [&](QObject*, const QString& w) { return !omit.contains(w); };
    const int minIndex = records.MinIndex();
    const int range = std::max(records.MaxIndex() - minIndex, 0);
    for (const auto& [index, fields] : records.Records()) {
        collector.record = index - minIndex;
        for (const QString& f : fields) {
            collector.ClearPrevious();
            collector.ParseString(f);
        }
    }
    collector.SetWordsLink(nullptr);
    TwbBits set(range);
    std::vector<std::uint8_t> block(std::size_t(set.ByteCount() + 24));
    for (const auto& [word, members] : collector.sets) {
        set.ClearAllBits();
        for (int m : members) set.SetBitOn(m);
        const int size = TtsBits::CompressSet(set, block.data());
        Row r;
        r.word = word;
        r.like = options.like ? SoundsLikeKey(word) : QString();
        r.reverse = Reversed(word);
        r.stored = QByteArray(reinterpret_cast<const char*>(block.data()) + 4, size - 4);
        m_rows.push_back(std::move(r));
    }
    const std::size_t n = m_rows.size();
    m_byWord.resize(n);
    for (std::size_t i = 0; i < n; ++i) m_byWord[i] = i;
    m_byLike = m_byWord;
    m_byReverse = m_byWord;
    std::stable_sort(m_byLike.begin(), m_byLike.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(m_rows[a].like, m_rows[a].word) < std::tie(m_rows[b].like, m_rows[b].word);
    });
    std::stable_sort(m_byReverse.begin(), m_byReverse.end(),
                     [&](std::size_t a, std::size_t b) { return m_rows[a].reverse < m_rows[b].reverse; });
    m_order = &m_byWord;
    m_kind = kkWord;
    m_pos = n;
}

void MemoryWordTable::readOnly() {
    throw ETessick(msgReadOnlyProperty);
}

QString MemoryWordTable::keyOf(const Row& r, int kind) const {
    switch (kind) {
    case kkLike: return r.like;
    case kkReverse: return r.reverse;
    default: return r.word;
    }
}

bool MemoryWordTable::Locate(QStringView word, int) {
    ++m_visited;
    m_order = &m_byWord;
    m_kind = kkWord;
    const auto it = std::lower_bound(m_byWord.begin(), m_byWord.end(), word,
                                     [&](std::size_t i, QStringView w) { return QStringView(m_rows[i].word) < w; });
    m_pos = std::size_t(it - m_byWord.begin());
    return m_pos < m_byWord.size() && m_rows[m_byWord[m_pos]].word == word;
}

int MemoryWordTable::ReadSet(std::uint8_t* buffer, int capacity) {
    const QByteArray& s = row().stored;
    if (s.size() > capacity) throw ETessick(msgDecompressBufferTooSmall);
    std::memcpy(buffer, s.constData(), std::size_t(s.size()));
    return int(s.size());
}

void MemoryWordTable::SetKeyKind(int kind) {
    if (kind == kkLike && !m_options.like) throw ETessick(msgLikeNotAvailable);
    if (kind == kkReverse && !m_options.reverse) throw ETessick(msgReverseNotAvailable);
    m_kind = kind;
    m_order = kind == kkLike ? &m_byLike : kind == kkReverse ? &m_byReverse : &m_byWord;
    m_pos = m_order->size();
}

void MemoryWordTable::PartialLookup(QStringView prefix, QChar wildcard) {
    qsizetype cut = 0;
    while (cut < prefix.size() && prefix[cut] != QChar(1) && prefix[cut] != wildcard) ++cut;
    const QString key = prefix.left(cut).toString();
    const auto it = std::lower_bound(m_order->begin(), m_order->end(), key,
                                     [&](std::size_t i, const QString& k) { return keyOf(m_rows[i], m_kind) < k; });
    m_pos = std::size_t(it - m_order->begin());
}

QString MemoryWordTable::CurrentKey() const {
    const_cast<MemoryWordTable*>(this)->m_visited++;
    return keyOf(row(), m_kind);
}

}  // namespace fulltext::testing
