#pragma once

#include "fulltext/ts_engine.h"

#include <QStringList>

#include <memory>

class TtsBaseCache;
class TtsTextDataSetLink;
class TtsWordsDataSetLink;

/// The index maker: builds a word table from scratch. It walks the record table in key
/// order, splits every indexed field into words, collects each word's record set in the
/// cache segment by segment, writes the sets as rows, creates the indexes and stores the
/// index properties.
///
/// Execute runs with esMake set throughout (the words link builds the new word table beside
/// the old one and puts it in place when esMake is left); the records are read with
/// esCollect set and each segment's sets written with esWrite set. A halt (esHalt) or
/// CounterLimit ends the reading; what was collected is still written and the index is
/// complete for the records read. A failure leaves the old word table as it was.
///
/// Params "CacheRequired" (default true): a build without a cache raises ETessick 30488
/// "Cache not assigned"; when false, the maker collects in a cache of its own instead.
class TtsCustomMake : public TtsEngine {
    Q_OBJECT
public:
    static constexpr int kMaxOmitWords = 500;

    explicit TtsCustomMake(QObject* owner = nullptr);
    ~TtsCustomMake() override;

    int FirstSegment() const { return m_firstSegment; }
    /// 0 to LastSegment; other values are ignored.
    void SetFirstSegment(int n);
    int LastSegment() const { return m_lastSegment; }
    /// FirstSegment to 32767; other values are ignored.
    void SetLastSegment(int n);
    /// Records to read at most (0: all).
    int CounterLimit() const { return m_counterLimit; }
    void SetCounterLimit(int n) { m_counterLimit = n; }
    /// Records read by the last build.
    int Counter() const { return m_counter; }

    /// The maker may set Ansi; texts are kept as Unicode either way.
    void SetAnsi(bool value) override { m_makeAnsi = value; }
    bool MakeAnsi() const { return m_makeAnsi; }
    /// At most 500 words (ETessick 30501 "Too many omit words").
    void SetOmitList(const QStringList& words);

    /// Builds the whole index.
    void Execute();

    void ProcessWord(QStringView word) override;
    void SetSegment(int n) override;
    void StateEntered(TtsBase* sender, TEngineState state) override;
    void StateLeft(TtsBase* sender, TEngineState state) override;

protected:
    /// Writes every collected set as a new row and empties the cache; unless `final`, goes
    /// on collecting.
    void WriteCache(bool final);

private:
    TtsTextDataSetLink* textLink() const;
    TtsWordsDataSetLink* wordsLink() const;
    void writeProperties();
    /// The cache check of a build's start (see CacheRequired).
    void checkCache();

    int m_firstSegment = 0;
    int m_lastSegment = 32767;
    int m_counterLimit = 0;
    int m_counter = 0;
    int m_recordStart = 0;
    bool m_makeAnsi = true;
    std::unique_ptr<TtsBaseCache> m_ownCache;  ///< used when no cache is assigned and none is required
};

/// The published index maker.
class TtsMake : public TtsCustomMake {
    Q_OBJECT
public:
    using TtsCustomMake::TtsCustomMake;
};
