#pragma once

#include "fulltext/char_rules.h"
#include "fulltext/cx_bits.h"
#include "fulltext/ts_bits.h"
#include "fulltext/ts_cache.h"
#include "fulltext/ts_engine.h"

#include <QElapsedTimer>
#include <QFlags>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <memory>
#include <vector>

namespace fulltext {
class WordKeyAccess;
class RecordAccess;
}  // namespace fulltext

enum TSearchLogic { slAnd, slPhrase, slNear, slLike, slOr, slNot, slExpression, slSmart };
enum TSearchMode { smSearch, smNarrow, smWiden };
enum TSearchOption { soLazyPhrase = 0x1, soNavNatural = 0x2, soNavReverse = 0x4 };
Q_DECLARE_FLAGS(TSearchOptions, TSearchOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSearchOptions)

/// A search over an index: splits SearchFor into words and combines the words' record sets
/// by the search logic into the match set (bit b = record MinIndex + b).
///
/// A search runs inside one Execute (engine state esSearch): Prepare, SearchText, Finish.
/// Afterwards the match set, the query-word dictionary and the counters stay until the next
/// search; navigation and ranking read them.
class TtsBasicSearch : public TtsReadEngine {
    Q_OBJECT
public:
    using TPreviewWordEvent = std::function<void(QObject* sender, QString& word)>;
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TtsBasicSearch(QObject* owner = nullptr);
    ~TtsBasicSearch() override;

    const QString& SearchFor() const { return m_searchFor; }
    void SetSearchFor(const QString& text) { m_searchFor = text; }
    TSearchLogic SearchLogic() const { return m_logic; }
    void SetSearchLogic(TSearchLogic logic) { m_logic = logic; }
    TSearchOptions SearchOptions() const { return m_options; }
    virtual void SetSearchOptions(TSearchOptions options) { m_options = options; }
    /// Milliseconds; 0 = no limit.
    int TimeLimit() const { return m_timeLimit; }
    void SetTimeLimit(int ms) { m_timeLimit = ms; }

    TPreviewWordEvent OnPreviewWord;
    TNotifyEvent OnSearch;
    TNotifyEvent OnTimeout;

    /// Runs the search. Raises ETessick 30489 / 30490 without links, and whatever the word
    /// table or an expression raises; the engine leaves esSearch in every case.
    virtual void Execute();
    /// Reads the index properties anew at the next search.
    void Refresh();

    /// The result: bit b set when record MinIndex + b matches.
    const TwbBits& MatchBits() const { return m_match; }
    int WordsSearched() const { return m_searched; }
    int WordsIgnored() const { return m_ignored; }
    int WordsRecorded() const { return m_queryWords.Count(); }
    /// Milliseconds the last search took.
    qint64 ElapsedMs() const { return m_elapsedMs; }
    /// The words of the query recorded for ranking and verification.
    QStringList QueryWords() const;

    void ProcessWord(QStringView word) override;
    void AddWord(QStringView word, bool fold) override;
    void ClearPrevious() override;

protected:
    /// What words fed by the text link are for.
    enum class Feed { None, Verify, Rank };

    virtual void Finish();
    virtual void Prepare();
    virtual void PreviewWord(QString& word);
    virtual void DoSearch();
    virtual void DoTimeout();
    virtual void SearchWord(const QString& word);
    virtual void InitResult();
    virtual void SearchText(const QString& text);
    virtual void ProcessSearchWord(QString word);
    virtual bool IsIgnored(const QString& word) const;
    /// A word of a record read while verifying (esVerify) or ranking.
    virtual void VerifyWord(QStringView word);
    virtual void RankWord(QStringView word);

    /// True when `word` (folded) is in the omit list of the index.
    bool IsOmitted(const QString& word) const { return m_omit.contains(word); }
    /// Saves the text link's position once per search, before the first record is read; Finish
    /// restores it.
    void SaveTextPosition();
    /// Inverts the match set; records that do not exist stay out of it.
    void InvertMatch();
    /// Splits a query text (folded already) into words with the search's delimiters.
    QStringList SplitQuery(const QString& folded);
    /// Delimiter characters removed from the search's copy of the delimiter set.
    virtual QString QueryDelimiterExceptions() const { return {}; }
    /// Fires OnTimeout, or halts, when the time limit has passed.
    void CheckTimeLimit();
    bool Halted() const { return States().Contains(TEngineState::esHalt); }
    /// The engine's main bit set (a word's set after ReadWordSet).
    TwbBits& WordBits();
    /// Loads `word`'s set into WordBits(): from the cache, or from the word table (and then
    /// into the cache). Answers false when the word is not in the index.
    bool LoadWordSet(const QString& word);
    /// Records a word of the query (word-pair keys are not recorded).
    void RecordQueryWord(const QString& word);
    /// Query position of a recorded word, or -1.
    int QueryPosition(QStringView word);
    fulltext::WordKeyAccess* KeyAccess() const;
    fulltext::RecordAccess* Records() const;

    TwbBits m_match{0};
    /// Query word -> low 16 bits its position in the query, high 16 bits its hit counter.
    TwbDictionary m_queryWords{40};
    int m_queryPos = 0;
    int m_searched = 0;
    int m_ignored = 0;
    TSearchLogic m_logic = slAnd;
    Feed m_feed = Feed::None;
    /// The words link's word field size while records are verified (0: ask the link).
    int m_feedFieldSize = 0;

private:
    QString m_searchFor;
    TSearchOptions m_options;
    int m_timeLimit = 0;
    QElapsedTimer m_clock;
    qint64 m_elapsedMs = 0;
    QSet<QString> m_omit;
    QString m_classesKey;
    QString m_wordScratch;  ///< a fed word being folded
    /// A word's set read without the cache (its count is not kept).
    std::optional<TwbBits> m_wordSetScratch;
    std::unique_ptr<fulltext::CharClassTable> m_queryClasses;
    bool m_savedPosition = false;
    bool m_noRecords = false;  ///< the record table is empty
    mutable std::unique_ptr<fulltext::WordKeyAccess> m_keyAdapter;
    mutable QPointer<TtsWordsLink> m_keyAdapterFor;
    mutable std::unique_ptr<fulltext::RecordAccess> m_recordAdapter;
    mutable QPointer<TtsTextLink> m_recordAdapterFor;
    /// The records that exist, found at the first inversion and kept until the record range
    /// changes or Refresh() (null before).
    std::unique_ptr<TwbBits> m_existing;
};

/// Adds the search mode: a new search, narrowing the previous result, or widening it.
class TtsModeSearch : public TtsBasicSearch {
    Q_OBJECT
public:
    using TtsBasicSearch::TtsBasicSearch;

    TSearchMode SearchMode() const { return m_mode; }
    void SetSearchMode(TSearchMode mode) { m_mode = mode; }

protected:
    void InitResult() override;
    void Finish() override;
    /// The previous result kept while narrowing or widening (null otherwise).
    std::unique_ptr<TwbBits> m_previous;

private:
    TSearchMode m_mode = smSearch;
};

/// Adds wildcards (prefix and suffix scans of the word table) and sounds-like look-ups.
class TtsWildSearch : public TtsModeSearch {
    Q_OBJECT
public:
    using TtsModeSearch::TtsModeSearch;

    QChar AnyChar() const { return m_any; }
    /// Ignored when `c` already is AnyChar or OneChar.
    void SetAnyChar(QChar c);
    QChar OneChar() const { return m_one; }
    void SetOneChar(QChar c);
    /// Accent-insensitive matching of wildcard words.
    bool International() const { return m_international; }
    void SetInternational(bool on) { m_international = on; }

protected:
    void ProcessSearchWord(QString word) override;
    bool IsIgnored(const QString& word) const override;
    QString QueryDelimiterExceptions() const override { return QString(m_any) + m_one; }
    /// Scans the word table by key `kind` for keys matching `pattern` and combines the sets
    /// of the matching words into the match set.
    void PatternSearch(QString pattern, int kind);
    void SoundsLikeSearch(const QString& word);
    bool HasWildcard(const QString& word) const { return word.contains(m_any) || word.contains(m_one); }
    static QString AccentFold(QString text);

private:
    QChar m_any = u'*';
    QChar m_one = u'?';
    bool m_international = false;
};

/// Adds the checks that read the records: phrases, nearness and sub-fields.
namespace fulltext {
/// At most this many ASCII units begin the words a phrase check skips to.
inline constexpr int kMaxSkipTargets = 16;
}

class TtsProximitySearch : public TtsWildSearch {
    Q_OBJECT
public:
    using TtsWildSearch::TtsWildSearch;

    int NearWord() const { return m_nearWord; }
    /// Values below 1 are ignored.
    void SetNearWord(int n) {
        if (n >= 1) m_nearWord = n;
    }

protected:
    void SearchText(const QString& text) override;
    void VerifyWord(QStringView word) override;
    void ClearPrevious() override;
    /// While records are verified for a plain phrase or nearness, reads a field's text in one
    /// pass (see directVerify); otherwise leaves the text to be split word by word.
    bool ConsumeText(QStringView text) override;
    /// Reads every candidate record and keeps those in which the phrase is found.
    void Verify(const QString& text);

private:
    /// A record word's number: its place in the phrase as the query words tell it, or -1.
    int wordNumber(QStringView word);
    /// wordNumber worked out from the query words and the phrase.
    int lookUpWordNumber(QStringView word);
    void resetFieldCounters();
    /// The one-pass check of a field's text: the same words, numbers and counters as the text
    /// split word by word through VerifyWord, without handing each word on. Only for phrases
    /// without wildcards or repeated words, plain upper-case folding and no parse hook; a
    /// text holding surrogates is left to the word-by-word path.
    bool directVerify(QStringView text);

    int m_nearWord = 8;
    bool m_direct = false;  ///< directVerify applies to the records being verified
    QStringList m_phrase;
    bool m_phraseRepeats = false;
    bool m_phraseWild = false;  ///< a phrase word holds a wildcard
    /// Bit n set: a phrase word has n characters (n < 64; bit 63 stands for 63 or more).
    quint64 m_phraseLengths = 0;
    /// Per phrase word: the word number of its text while records are verified.
    std::vector<int> m_phraseNumbers;
    std::vector<char> m_wordWild;  ///< per phrase word: it holds a wildcard
    bool m_found = false;
    /// Phrase matching: partial[i] is set when the last i words read match the phrase's first
    /// i words (partial[0] always).
    std::vector<char> m_partial;
    int m_position = 0;
    std::vector<int> m_stored;  ///< per phrase word: its last position, or -1
    std::vector<char> m_seen;   ///< per phrase word: seen in the current field
};
