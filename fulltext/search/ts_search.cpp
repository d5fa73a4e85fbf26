#include "fulltext/search/ts_search.h"

#include "fulltext/search/search_access.h"
#include "fulltext/errors.h"
#include "platform/base/scope_exit.h"

#include <QElapsedTimer>

#include <algorithm>
#include <climits>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// TtsNavSearch

int TtsNavSearch::CurrentBit() {
    fulltext::RecordAccess* records = Records();
    if (!records || !TextLink()) return -1;
    const int index = records->RecordIndex();
    if (index == INT_MIN) return -1;
    const qint64 bit = qint64(index) - TextLink()->MinIndex();
    if (bit < 0 || bit > m_match.MaxBits()) return -1;
    return int(bit);
}

bool TtsNavSearch::IsMatch() {
    const int bit = CurrentBit();
    return bit >= 0 && m_match.IsBitSet(bit);
}

bool TtsNavSearch::Navigate(int direction) {
    return NavigateRecordOrder(direction);
}

bool TtsNavSearch::NavigateRecordOrder(int direction) {
    CheckAssigned(false, true, false);
    fulltext::RecordAccess* records = Records();
    if (!records) throw ETessick(fulltext::msgCapabilityNotSupported);
    if (SearchOptions().testFlag(soNavReverse)) {
        static const int mirrored[4] = {navLast, navPrior, navNext, navFirst};
        if (direction >= 0 && direction <= 3) direction = mirrored[direction];
    }
    int bit = -1;
    switch (direction) {
    case navFirst: bit = m_match.FirstSetBit(); break;
    case navLast: bit = m_match.LastSetBit(); break;
    case navNext: {
        const int current = CurrentBit();
        bit = m_match.NextSetBit(current);
        break;
    }
    case navPrior: {
        const int current = CurrentBit();
        bit = current < 0 ? -1 : m_match.PrevSetBit(current);
        break;
    }
    default: break;
    }
    if (bit < 0 || m_match.Count() == 0) return false;
    return records->GotoRecord(TextLink()->MinIndex() + bit);
}

// ---------------------------------------------------------------------------------------------
// TtsRankSearch

void TtsRankSearch::freeList() {
    m_list.clear();
    m_list.shrink_to_fit();
    m_byRecord.clear();
    m_byRecord.shrink_to_fit();
    m_hasList = false;
    m_listPos = -1;
}

void TtsRankSearch::SetRankMode(TRankMode mode) {
    if ((mode == rmPresense) != (m_rankMode == rmPresense)) freeList();
    m_rankMode = mode;
}

void TtsRankSearch::SetSearchOptions(TSearchOptions options) {
    const TSearchOptions nav = TSearchOptions(soNavNatural) | soNavReverse;
    if ((options & nav) != (SearchOptions() & nav)) freeList();
    TtsNavSearch::SetSearchOptions(options);
}

void TtsRankSearch::Prepare() {
    freeList();
    TtsNavSearch::Prepare();
}

bool TtsRankSearch::Navigate(int direction) {
    const bool ranked = (m_rankMode != rmNone || m_hasList) && !SearchOptions().testFlag(soNavNatural) &&
                        m_rankLimit != 0;
    if (!ranked) return NavigateRecordOrder(direction);
    const std::vector<TRankEntry>& list = RankList();
    int pos = m_listPos;
    switch (direction) {
    case navFirst: pos = 0; break;
    case navNext: pos = m_listPos + 1; break;
    case navPrior: pos = m_listPos < 0 ? int(list.size()) - 1 : m_listPos - 1; break;
    case navLast: pos = int(list.size()) - 1; break;
    default: return false;
    }
    if (pos < 0 || qint64(pos) >= qint64(m_rankLimit) || pos >= int(list.size())) return false;
    m_listPos = pos;
    fulltext::RecordAccess* records = Records();
    if (!records) throw ETessick(fulltext::msgCapabilityNotSupported);
    return records->GotoRecord(list[std::size_t(pos)].record);
}

const std::vector<TRankEntry>& TtsRankSearch::RankList() {
    if (!m_hasList) buildList();
    return m_list;
}

void TtsRankSearch::RankWord(QStringView word) {
    if (!maybeQueryWord(word)) return;
    TwbDictNode* node = m_queryWords.Lookup(word);
    if (!node) return;
    const int add = OnRankWord ? OnRankWord(this, word.toString()) : 1;
    const quint32 d = quint32(node->Data);
    const int hits = std::clamp(int(d >> 16) + add, 0, 0xFFFF);
    node->Data = fulltext::CxData((quint32(hits) << 16) | (d & 0xFFFF));
}

bool TtsRankSearch::ConsumeText(QStringView text) {
    if (m_feed == Feed::Rank && m_rankDirect) return rankDirect(text);
    return TtsLogicSearch::ConsumeText(text);
}

bool TtsRankSearch::rankDirect(QStringView text) {
    // AddWord takes no word while halted or once the words are done.
    if (Halted() || WordsDone() || !WordsLink()) return true;
    const auto* s = reinterpret_cast<const char16_t*>(text.data());
    const qsizetype length = text.size();
    const char16_t* upper = fulltext::UpperTable();
    const std::uint8_t* classOf = CharClasses().FoldedClasses();
    constexpr std::uint8_t word = fulltext::CharClassTable::Word;
    constexpr std::uint8_t delimiter = fulltext::CharClassTable::Delim;
    // A word is cut to the extracted length and then to the word table's field size.
    const qsizetype fieldSize = m_feedFieldSize > 0 ? m_feedFieldSize : WordsLink()->WordFieldSize();
    const qsizetype cut = std::max<qsizetype>(0, std::min<qsizetype>(kMaxExtractedWord, fieldSize));
    // The query words found, in text order, counted once the whole text is read (a surrogate
    // met half-way hands the text back untouched); their folded texts for OnRankWord.
    std::vector<TwbDictNode*> found;
    QStringList foundWords;
    char16_t folded[kMaxExtractedWord];
    qsizetype i = 0;
    while (i < length) {
        std::uint8_t c = delimiter;
        while (i < length && (c = classOf[s[i]]) == delimiter) ++i;
        if (i >= length) break;
        if (c != word) return false;
        const qsizetype start = i;
        while (i < length && (c = classOf[s[i]]) == word) ++i;
        if (i < length && c != delimiter) return false;
        const qsizetype n = std::min(i - start, cut);
        if (!(m_queryLengths & (std::uint64_t(1) << std::min<qsizetype>(n, 63)))) continue;
        if (n > 0 && !(m_queryFirsts & (std::uint64_t(1) << (upper[s[start]] & 63)))) continue;
        for (qsizetype k = 0; k < n; ++k) folded[k] = upper[s[start + k]];
        const QStringView candidate(folded, n);
        TwbDictNode* node = m_queryWords.Lookup(candidate);
        if (!node) continue;
        found.push_back(node);
        if (OnRankWord) foundWords << candidate.toString();
    }
    for (std::size_t k = 0; k < found.size(); ++k) {
        const int add = OnRankWord ? OnRankWord(this, foundWords[qsizetype(k)]) : 1;
        const quint32 d = quint32(found[k]->Data);
        const int hits = std::clamp(int(d >> 16) + add, 0, 0xFFFF);
        found[k]->Data = fulltext::CxData((quint32(hits) << 16) | (d & 0xFFFF));
    }
    return true;
}

int TtsRankSearch::countHits(bool readRecord) {
    fulltext::RecordAccess* records = Records();
    if (!records) throw ETessick(fulltext::msgCapabilityNotSupported);
    // The query words compare binary, so a word of another length or first character is none.
    std::uint64_t lengths = 0;
    std::uint64_t firsts = 0;
    m_queryWords.VisitAll([&](const QString& name, fulltext::CxData& d, bool&) {
        d = fulltext::CxData(quint32(d) & 0xFFFF);
        lengths |= std::uint64_t(1) << std::min<qsizetype>(name.size(), 63);
        if (!name.isEmpty()) firsts |= std::uint64_t(1) << (name[0].unicode() & 63);
    });
    const Feed saved = m_feed;
    const int savedFieldSize = m_feedFieldSize;
    m_feed = Feed::Rank;
    // The words link's word size does not change while the record is read.
    m_feedFieldSize = WordsLink() ? WordsLink()->WordFieldSize() : 0;
    // Texts split and folded as the engine does by default can be counted without folding
    // every word.
    m_rankDirect = !OnParseWord && FoldProc == &fulltext::UpperInPlace;
    m_queryLengths = lengths;
    m_queryFirsts = firsts;
    {
        base::ScopeExit always([&] {
            m_feed = saved;
            m_feedFieldSize = savedFieldSize;
            m_rankDirect = false;
            m_queryLengths = m_queryFirsts = ~std::uint64_t(0);
        });
        if (readRecord) records->ProcessReadRecord(this);
        else records->ProcessRecord(this);
    }
    int total = 0;
    m_queryWords.VisitAll([&](const QString&, fulltext::CxData& d, bool&) {
        const int hits = int(quint32(d) >> 16);
        total += m_rankMode == rmPresense ? (hits > 0 ? 1 : 0) : hits;
    });
    return total;
}

int TtsRankSearch::GetRecordRank() {
    if (!IsMatch()) return 0;
    if (ranksFromList()) return listedRank(Records()->RecordIndex());
    return timedHits(false);
}

int TtsRankSearch::timedHits(bool readRecord) {
    QElapsedTimer clock;
    clock.start();
    const int rank = countHits(readRecord);
    m_rankMs = clock.elapsed();
    return rank;
}

int TtsRankSearch::listedRank(int index) {
    if (m_byRecord.size() != m_list.size()) {
        // Looked up by record with a binary search instead of a scan of the list per match;
        // an equal record keeps its first entry as the scan would.
        m_byRecord.clear();
        m_byRecord.reserve(m_list.size());
        for (const TRankEntry& e : m_list) m_byRecord.emplace_back(e.record, e.rank);
        std::stable_sort(m_byRecord.begin(), m_byRecord.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    const auto it = std::lower_bound(m_byRecord.begin(), m_byRecord.end(), index,
                                     [](const auto& e, int record) { return e.first < record; });
    return it != m_byRecord.end() && it->first == index ? it->second : -1;
}

int TtsRankSearch::firstWalkBit() const {
    return SearchOptions().testFlag(soNavReverse) ? m_match.LastSetBit() : m_match.FirstSetBit();
}

int TtsRankSearch::nextWalkBit(int bit) const {
    return SearchOptions().testFlag(soNavReverse) ? m_match.PrevSetBit(bit) : m_match.NextSetBit(bit);
}

void TtsRankSearch::WalkMatches(const std::function<bool(int record)>& visit) {
    CheckAssigned(false, true, false);
    fulltext::RecordAccess* records = Records();
    if (!records) throw ETessick(fulltext::msgCapabilityNotSupported);
    if (m_match.Count() == 0) return;
    const bool byRank = !WalksRecordOrder();
    const std::vector<TRankEntry>* list = byRank ? &RankList() : nullptr;
    base::ScopeExit always([&] {
        m_walking = false;
        records->EndRecordLoop();
    });
    m_walking = true;
    if (byRank) {
        const std::size_t n = std::min<std::size_t>(list->size(), m_rankLimit);
        for (std::size_t pos = 0; pos < n; ++pos) {
            m_listPos = int(pos);
            m_walkRecord = (*list)[pos].record;
            if (!records->ReadRecordAt(m_walkRecord) || !visit(m_walkRecord)) break;
        }
        return;
    }
    const int minIndex = TextLink()->MinIndex();
    for (int bit = firstWalkBit(); bit >= 0; bit = nextWalkBit(bit)) {
        m_walkRecord = minIndex + bit;
        if (!records->ReadRecordAt(m_walkRecord) || !visit(m_walkRecord)) break;
    }
}

int TtsRankSearch::WalkRank() {
    if (!m_walking) return GetRecordRank();
    if (ranksFromList()) return listedRank(m_walkRecord);
    return timedHits(true);
}

void TtsRankSearch::buildList() {
    freeList();
    const int matches = m_match.Count();
    if (matches == 0 || m_rankLimit == 0) return;
    const int n = int(std::min<qint64>({qint64(kMaxRankEntries), qint64(matches), qint64(m_rankLimit)}));
    fulltext::RecordAccess* records = Records();
    if (!records) throw ETessick(fulltext::msgCapabilityNotSupported);
    m_list.assign(std::size_t(n), TRankEntry{});
    m_hasList = true;

    const TRankMode savedMode = m_rankMode;
    QElapsedTimer clock;
    clock.start();
    SetState(States().With(TEngineState::esRank));
    m_rankMode = rmNone;
    auto finish = [&] {
        m_rankMode = savedMode;
        if (m_rankMode != rmNone && !SearchOptions().testFlag(soNavNatural)) {
            std::sort(m_list.begin(), m_list.end(), [](const TRankEntry& a, const TRankEntry& b) {
                if (a.rank != b.rank) return a.rank > b.rank;
                return a.record < b.record;
            });
        }
        m_listPos = -1;
        m_byRecord.clear();
        m_rankMs = clock.elapsed();
        SetState(States().Without(TEngineState::esRank));
    };
    {
        base::ScopeFail undo([&] {
            finish();
            freeList();
        });
        records->SavePosition();
        {
            base::ScopeExit always([&] {
                records->RestorePosition();
            });
            int filled = 0;
            int largest = 0;
            // The matches in record order, as navigating first and next would walk them, each
            // read straight from the table (which does not move).
            const int minIndex = TextLink()->MinIndex();
            db::ReadSnapshot snapshot = records->HoldReads();
            base::ScopeExit endLoop([&] { records->EndRecordLoop(); });
            for (int bit = firstWalkBit(); bit >= 0 && filled < n && !Halted(); bit = nextWalkBit(bit)) {
                if (!snapshot.Holding()) snapshot = records->HoldReads();
                snapshot.Renew();
                if (!records->ReadRecordAt(minIndex + bit)) break;
                TRankEntry& e = m_list[std::size_t(filled++)];
                e.record = minIndex + bit;
                // rmNone is in force meanwhile; presence is counted for rmPresense.
                m_rankMode = savedMode;
                const int hits = countHits(true);
                m_rankMode = rmNone;
                e.rank = std::uint16_t(std::min(hits, 0xFFFF));
                largest = std::max(largest, int(e.rank));
            }
            m_list.resize(std::size_t(filled));
            if (largest > 0)
                for (TRankEntry& e : m_list) e.percent = std::uint16_t(std::lround(e.rank * 100.0 / largest));
        }
    }
    finish();
}
