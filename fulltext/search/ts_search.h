#pragma once

#include "fulltext/search/ts_logic_search.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

enum TRankMode { rmNone, rmCount, rmPercent, rmPresense };

/// Adds walking the record table through the matches in record order.
class TtsNavSearch : public TtsLogicSearch {
    Q_OBJECT
public:
    /// Directions of Navigate.
    enum { navFirst = 0, navNext = 1, navPrior = 2, navLast = 3 };

    using TtsLogicSearch::TtsLogicSearch;

    /// The number of matches (0 before any search).
    int MatchCount() const { return m_match.Count(); }
    /// Whether the record the text link stands on is a match.
    bool IsMatch();
    /// Moves the text link to the first, next, prior or last match; answers whether it now
    /// stands on one. With soNavReverse the directions are mirrored.
    virtual bool Navigate(int direction);

protected:
    bool NavigateRecordOrder(int direction);
    /// The current record's bit, or -1 when it lies outside the set.
    int CurrentBit();
};

/// One entry of the rank list.
struct TRankEntry {
    std::int32_t record = 0;  ///< record index
    std::uint16_t rank = 0;
    std::uint16_t percent = 0;  ///< rank × 100 / the largest rank, rounded
};

/// Adds ranking: a record's rank from the query words found in it, and a list of the best
/// matches (at most 8000 and RankLimit), sorted by rank, that navigation walks.
///
/// The list is built on first need after a search and freed by the next search and by
/// changes of RankMode to or from rmPresense and of soNavNatural or soNavReverse.
class TtsRankSearch : public TtsNavSearch {
    Q_OBJECT
public:
    using TRankWordEvent = std::function<int(QObject* sender, const QString& word)>;
    static constexpr int kMaxRankEntries = 8000;

    using TtsNavSearch::TtsNavSearch;

    TRankMode RankMode() const { return m_rankMode; }
    void SetRankMode(TRankMode mode);
    unsigned RankLimit() const { return m_rankLimit; }
    /// Values above 536870911 are ignored.
    void SetRankLimit(unsigned limit) {
        if (limit <= 536870911u) m_rankLimit = limit;
    }
    TRankWordEvent OnRankWord;

    void SetSearchOptions(TSearchOptions options) override;
    bool Navigate(int direction) override;
    /// The rank of the current record: 0 when it is not a match; from the rank list when
    /// there is one (-1 when the record is not in it); otherwise counted now.
    int GetRecordRank();
    /// Whether navigation walks the matches in record order (no rank list, not ranked)
    /// rather than down the rank list.
    bool WalksRecordOrder() const {
        return !((m_rankMode != rmNone || m_hasList) && !SearchOptions().testFlag(soNavNatural) && m_rankLimit != 0);
    }
    /// For loops that take every match at once (collecting results): visits the matches in
    /// the order Navigate walks them (record order, or down the rank list, which is built
    /// when needed), reading each record straight from the record table without moving it:
    /// `visit(record)` for each match whose record exists, and inside it WalkRank() is
    /// GetRecordRank of that record. Stops where navigation stops (at a match whose record no
    /// longer exists, or at the end of the list or RankLimit) or when `visit` answers false.
    void WalkMatches(const std::function<bool(int record)>& visit);
    int WalkRank();
    /// The rank list, built when it does not exist.
    const std::vector<TRankEntry>& RankList();
    bool HasRankList() const { return m_hasList; }
    /// Position in the rank list (-1 = none).
    int RankPosition() const { return m_listPos; }
    qint64 RankElapsedMs() const { return m_rankMs; }

protected:
    void Prepare() override;
    void RankWord(QStringView word) override;
    bool ConsumeText(QStringView text) override;

private:
    void freeList();
    void buildList();
    /// Hit count (or, for rmPresense, the number of query words present) of the current record.
    /// `readRecord`: the record last read by the record access's ReadRecordAt, instead of the
    /// current record.
    int countHits(bool readRecord = false);
    /// Whether `word` can be a query word: its length and first character are among theirs.
    bool maybeQueryWord(QStringView word) const {
        const std::uint64_t length = std::uint64_t(1) << std::min<qsizetype>(word.size(), 63);
        if (!(m_queryLengths & length)) return false;
        return word.isEmpty() || (m_queryFirsts & (std::uint64_t(1) << (word[0].unicode() & 63)));
    }

    TRankMode m_rankMode = rmNone;
    unsigned m_rankLimit = 8000;
    std::vector<TRankEntry> m_list;
    bool m_hasList = false;
    int m_listPos = -1;
    qint64 m_rankMs = 0;
    /// The rank list's (record, rank) pairs by record, made on the first look-up of a list.
    std::vector<std::pair<std::int32_t, std::uint16_t>> m_byRecord;
    /// While a record is counted: bit min(length, 63) of every query word's length and bit
    /// (first character & 63) of its first character, so that most words of the record are
    /// passed over without a dictionary look-up.
    std::uint64_t m_queryLengths = ~std::uint64_t(0);
    std::uint64_t m_queryFirsts = ~std::uint64_t(0);
    /// Counts the query words of a text as splitting it and ranking each word would, but
    /// folds only the words whose length and first character a query word has; answers
    /// false, counting nothing, for a text with surrogates (split the usual way then).
    bool rankDirect(QStringView text);
    bool m_rankDirect = false;  ///< while a record is counted, rankDirect takes its texts
    bool m_walking = false;     ///< inside WalkMatches
    int m_walkRecord = 0;    ///< the record WalkMatches visits
    /// The rank list's entry for `record`: its rank, or -1 when it is not in the list.
    int listedRank(int record);
    /// Whether a record's rank comes from the rank list rather than from counting it.
    bool ranksFromList() const { return m_hasList && m_rankLimit != 0 && m_rankMode != rmPresense; }
    /// countHits, with the time it took kept as the last ranking's.
    int timedHits(bool readRecord);
    /// The matches' bits in the order record-order navigation walks them (-1 past the end).
    int firstWalkBit() const;
    int nextWalkBit(int bit) const;
};

/// The published search component.
class TtsSearch : public TtsRankSearch {
    Q_OBJECT
public:
    using TtsRankSearch::TtsRankSearch;
};
