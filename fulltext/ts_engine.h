#pragma once

#include "fulltext/char_rules.h"
#include "fulltext/ts_base.h"
#include "fulltext/ts_bits.h"
#include "fulltext/ts_cache.h"
#include "fulltext/ts_links.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <climits>
#include <functional>
#include <memory>

/// The word engine: splits text into words and hands each accepted word to ProcessWord,
/// which the index maker, the updater and the searches define.
///
/// States: a set of TEngineState (see SetState). While esHalt is set no word is processed.
/// Links: a text link, a words link and a cache, set from outside and forgotten when they go
/// away (after the cache is written back); the bit set is the engine's own.
///
/// Splitting: text is folded (FoldProc, preset to the plain upper case) and cut into runs of
/// non-delimiters (at most 40 characters taken of each run); each word is cut to the words
/// link's word field size, must be at least MinWordLen long and pass AcceptWord. With word
/// pairs on, each word also yields the pair key of it and the word before it.
class TtsEngine : public TtsBase {
    Q_OBJECT
public:
    using TAcceptWordEvent = std::function<bool(QObject* sender, const QString& word)>;
    /// Answers the next word of the text at `s` (`len` characters left) and advances both.
    using TParseWordEvent = std::function<QString(QObject* sender, const QChar*& s, quint32& len, bool wildcards)>;
    using TStateChangeEvent = std::function<void(QObject* sender, TEngineStates newState)>;
    using TSoundsLikeProc = QString (*)(QStringView word);
    using TFoldProc = void (*)(QChar* text, qsizetype length);

    /// Unsegmented indexes use the largest integer as segment size.
    static constexpr int kUnsegmented = INT_MAX;
    /// The extractor takes at most this many characters of a run.
    static constexpr int kMaxExtractedWord = 40;

    explicit TtsEngine(QObject* owner = nullptr);
    ~TtsEngine() override;

    /// The delimiter characters in caret notation (the default when none were set).
    QString WordDelims() const;
    /// Decodes `caretText` and rebuilds the delimiter set: every decoded character, plus the
    /// controls 0..31 when the text contains "<<<" and ANSI 128..255 when it contains ">>>".
    void SetWordDelims(const QString& caretText);
    static QString DefaultWordDelims();

    int MinWordLen() const { return m_minWordLen; }
    /// Values below 1 are ignored.
    void SetMinWordLen(int n);

    int SegmentSize() const { return m_segmentSize; }
    /// 0 or less, or above 2147483632: unsegmented; otherwise rounded up to a multiple of 16.
    void SetSegmentSize(int n);

    bool Ansi() const { return m_ansi; }
    /// Raises ETessick 30496: only the index maker may change it.
    virtual void SetAnsi(bool value);

    const QStringList& OmitList() const { return m_omitList; }
    void SetOmitList(const QStringList& words) { m_omitList = words; }

    TtsTextLink* TextLink() const { return m_textLink; }
    void SetTextLink(TtsTextLink* link);
    TtsWordsLink* WordsLink() const { return m_wordsLink; }
    void SetWordsLink(TtsWordsLink* link);
    TtsBaseCache* Cache() const { return m_cache; }
    void SetCache(TtsBaseCache* cache);
    /// The engine's own bit set.
    TtsBaseBits* Bits() const { return m_bits.get(); }

    TAcceptWordEvent OnAcceptWord;
    TParseWordEvent OnParseWord;
    TStateChangeEvent OnStateChange;

    TSoundsLikeProc SoundsLikeProc;
    TFoldProc FoldProc;

    TEngineStates States() const { return m_states; }
    /// Enters the states that are new (ascending, those in the engine's own mask), then leaves
    /// those that go, then fires OnStateChange; the set takes the new value last, also when a
    /// handler raises.
    void SetState(TEngineStates newStates);
    /// The engine's own mask: the states it forwards to its components.
    TEngineStates OwnMask() const { return m_ownMask; }

    int CurrentSegment() const { return m_segment; }
    int BitOffset() const { return m_bitOffset; }
    int CurrentRecord() const { return m_record; }

    bool WordPairs() const { return m_wordPairs; }
    void SetWordPairs(bool on) { m_wordPairs = on; }
    const QString& PreviousWord() const { return m_previous; }

    virtual bool AcceptWord(QStringView word);
    /// Sets the record number and from it the segment and bit offset (relative to the text
    /// link's minimum index).
    virtual void SetRecord(int n);
    /// Raises ETessick 30480 for a negative offset.
    virtual void SetBitOffset(int n);
    virtual void SetSegment(int n);
    virtual void Halt();
    virtual void ProcessWord(QStringView word) = 0;
    /// Folds (when asked), cuts and checks a word, then processes it and its pair.
    virtual void AddWord(QStringView word, bool fold);
    virtual void ClearPrevious();

    /// Folds `text` in place and adds each of its words.
    void ParseText(QChar* text, qsizetype length);
    /// True once the word consumer has asked to hear no more words of the current text (see
    /// StopWords); AddWord, the splitting loops and the text link's field loop end quietly then.
    bool WordsDone() const { return m_wordsDone; }
    /// ParseText over a copy of a non-empty text.
    void ParseString(QStringView text);
    /// Splits each line (split) or adds it whole as one folded word.
    void ParseLines(const QStringList& lines, bool split);

    /// The pair key "." + first + second + "." (each cut to W div 2 - 1 when the pair would
    /// not fit a word field of W characters).
    static QString PairKey(QStringView first, QStringView second, int wordFieldSize);

    /// Enters every non-empty omit word, folded, into the cache with no record set.
    void LoadOmitList();

    /// Writes back every changed set of the cache.
    void WriteBackCache();
    /// Writes back every changed set, frees every set and empties the cache.
    void FlushCache();
    /// Like FlushCache, for the entries not used since the cache's flush mark.
    void FlushOld();
    /// Appends a word-table row for `word` with `set` (compressed when raw). In esMake the
    /// set is freed at once and `set` becomes null.
    void InsertWord(QStringView word, fulltext::Block& set);

    void Reset() override;
    void StateLeft(TtsBase* sender, TEngineState state) override;
    void StateEntered(TtsBase* sender, TEngineState state) override;

    /// Writes the index property stream (layout in ts_properties.cpp).
    void WriteIndexProperties(stream::ValueWriter& writer);
    /// Reads the index property stream into the engine and its links; `version` gets the
    /// stored index version. A damaged stream raises stream::StreamError.
    void ReadIndexPropertiesFrom(stream::ValueReader& reader, int& version);

    /// Raises 30488, 30489 or 30490 when the cache, text link or words link asked for is missing.
    void CheckAssigned(bool cache, bool textLink, bool wordsLink) const;

    /// Called by a linked component that goes away (see TtsBase).
    void ComponentRemoving(TtsBase* component);

    /// The character classes under the current delimiter set.
    const fulltext::CharClassTable& CharClasses() const { return *m_classes; }

protected:
    /// A consumer that has decided (a record's check is settled) stops the splitting of the
    /// current text, without the state events of Halt; it clears the flag before its next text.
    void StopWords(bool stop) { m_wordsDone = stop; }
    /// Lets a consumer take a whole text at once instead of word by word: ParseString asks
    /// first and splits the text only when the answer is false (the base's answer).
    virtual bool ConsumeText(QStringView text);
    /// Writes one entry back when its set is dirty (stamp negative); makes the stamp positive.
    void WriteIfDirty(const QString& word, fulltext::Block& set);
    /// Stored form of `set` (compressing a raw set into the work buffer); answers its length.
    const std::uint8_t* StoredForm(fulltext::Block set, int& length);

    TEngineStates m_ownMask{TEngineState::esMake, TEngineState::esUpdate, TEngineState::esSearch};
    std::unique_ptr<TtsBaseBits> m_bits;

private:
    void rebuildDelimiters();
    /// Splits `source` into words, writing its (folded) units into `text` as they are scanned;
    /// `source` may be `text` itself. `foldRest`: on a stop, the rest of an in-place text is
    /// still folded (ParseText's contract).
    void extractWords(const QChar* source, QChar* text, qsizetype length, bool foldUpper, bool foldRest);
    void parseText(QChar* text, qsizetype length, bool foldRest);

    QString m_delims;         ///< decoded delimiter text; empty = default
    bool m_delimsSet = false;
    std::unique_ptr<fulltext::CharClassTable> m_classes;
    int m_minWordLen = 1;
    int m_segmentSize = kUnsegmented;
    bool m_ansi = true;
    QStringList m_omitList;
    QPointer<TtsTextLink> m_textLink;
    QPointer<TtsWordsLink> m_wordsLink;
    QPointer<TtsBaseCache> m_cache;
    TEngineStates m_states;
    int m_segment = 0;
    int m_bitOffset = 0;
    int m_record = INT_MIN;  ///< INT_MIN: none yet
    bool m_wordPairs = false;
    bool m_wordsDone = false;
    QString m_previous;
    QString m_pairKey;  ///< the word-pair key being handed on (its buffer reused from word to word)
    QString m_parseScratch;

    friend class TtsReadEngine;
};

/// An engine that reads an index: it loads the index properties from the word table and
/// reads a word's record set; its Reset writes the cache back first.
class TtsReadEngine : public TtsEngine {
    Q_OBJECT
public:
    explicit TtsReadEngine(QObject* owner = nullptr);

    /// The index version stored with the properties (0 before they were read).
    int IndexVersion() const { return m_indexVersion; }
    bool PropertiesRead() const { return m_propertiesRead; }

    /// Reads the index properties from the words link, once (both links must be set).
    void ReadIndexProperties();
    /// Reads the set of the words link's current word into the bit set (all its segment rows
    /// on a segmented table).
    void ReadWordSet();

    void Reset() override;
    void StateEntered(TtsBase* sender, TEngineState state) override;

private:
    int m_indexVersion = 0;
    bool m_propertiesRead = false;
};
