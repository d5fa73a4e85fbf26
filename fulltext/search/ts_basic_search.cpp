#include "fulltext/search/ts_basic_search.h"

#include "fulltext/search/search_access.h"
#include "fulltext/search/set_ops.h"
#include "fulltext/search/stored_set_or.h"
#include "fulltext/search/table_access.h"
#include "fulltext/errors.h"
#include "fulltext/ts_links.h"
#include "fulltext/ts_text.h"
#include "platform/base/scope_exit.h"

#include "platform/base/assert.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr fulltext::CxData packQueryData(int position, int hits) {
    return fulltext::CxData((quint32(hits & 0xFFFF) << 16) | quint32(position & 0xFFFF));
}
constexpr int queryPositionOf(fulltext::CxData d) { return int(quint32(d) & 0xFFFF); }
constexpr int queryHitsOf(fulltext::CxData d) { return int((quint32(d) >> 16) & 0xFFFF); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// TtsBasicSearch

TtsBasicSearch::TtsBasicSearch(QObject* owner) : TtsReadEngine(owner) {}

TtsBasicSearch::~TtsBasicSearch() = default;

fulltext::WordKeyAccess* TtsBasicSearch::KeyAccess() const {
    TtsWordsLink* link = WordsLink();
    if (auto* own = dynamic_cast<fulltext::WordKeyAccess*>(link)) return own;
    if (!link) return nullptr;
    if (m_keyAdapterFor != link || !m_keyAdapter) {
        m_keyAdapter = fulltext::MakeWordKeyAccess(link);
        m_keyAdapterFor = link;
    }
    return m_keyAdapter.get();
}

fulltext::RecordAccess* TtsBasicSearch::Records() const {
    TtsTextLink* link = TextLink();
    if (auto* own = dynamic_cast<fulltext::RecordAccess*>(link)) return own;
    if (!link) return nullptr;
    if (m_recordAdapterFor != link || !m_recordAdapter) {
        m_recordAdapter = fulltext::MakeRecordAccess(link);
        m_recordAdapterFor = link;
    }
    return m_recordAdapter.get();
}

TwbBits& TtsBasicSearch::WordBits() {
    auto* bits = dynamic_cast<TtsBits*>(Bits());
    if (!bits) throw ETessick(fulltext::msgInvalidParameter);
    return bits->Main();
}

QStringList TtsBasicSearch::QueryWords() const {
    QStringList words;
    m_queryWords.ForEach([&](const TCxDictNode& node) {
        words << node.Name;
        return true;
    });
    words.sort();
    return words;
}

void TtsBasicSearch::Execute() {
    SetState(TEngineStates{TEngineState::esSearch});
    base::RunThen(
        [&] {
            base::RunThen(
                [&] {
                    Prepare();
                    if (m_noRecords) m_match.ClearAllBits();
                    else SearchText(m_searchFor);
                },
                [&] { Finish(); });
        },
        [&] { SetState(States().Without(TEngineState::esSearch)); });
}

void TtsBasicSearch::Refresh() {
    m_existing.reset();
    Reset();
    const TEngineStates before = States();
    SetState(before.With(TEngineState::esSearch));
    SetState(before.Without(TEngineState::esSearch));
}

void TtsBasicSearch::Prepare() {
    CheckAssigned(false, true, true);
    m_clock.start();
    // The search's own delimiter set: the engine's, less the wildcard characters.
    const QString key = WordDelims() + QChar(0) + QueryDelimiterExceptions();
    if (!m_queryClasses || key != m_classesKey) {
        const QString decoded = fulltext::CaretDecode(WordDelims());
        fulltext::AnsiSet set;
        if (decoded.contains(QLatin1String("<<<")))
            for (int c = 0; c < 32; ++c) set.set(std::size_t(c));
        if (decoded.contains(QLatin1String(">>>")))
            for (int c = 128; c < 256; ++c) set.set(std::size_t(c));
        for (QChar ch : decoded) {
            const int code = fulltext::AnsiCode(ch.unicode());
            if (code >= 0) set.set(std::size_t(code));
        }
        for (QChar ch : QueryDelimiterExceptions()) {
            const int code = fulltext::AnsiCode(ch.unicode());
            if (code >= 0) set.reset(std::size_t(code));
        }
        m_queryClasses = std::make_unique<fulltext::CharClassTable>(set);
        m_classesKey = key;
    }
    m_omit.clear();
    for (const QString& w : OmitList()) {
        if (w.isEmpty()) continue;
        QString folded = w;
        FoldProc(folded.data(), folded.size());
        m_omit.insert(folded);
    }
    // A table without records has a negative range: nothing can match.
    const int range = TextLink()->RecordRange();
    m_noRecords = range < 0;
    if (m_match.MaxBits() != std::max(range, 0)) m_match.Resize(std::max(range, 0));
    InitResult();
}

void TtsBasicSearch::SaveTextPosition() {
    // Saved on first need: searches that read no record leave the record table alone.
    if (m_savedPosition) return;
    if (auto* records = Records()) {
        records->SavePosition();
        m_savedPosition = true;
    }
}

void TtsBasicSearch::InitResult() {
    m_queryWords.Clear();
    m_queryPos = 0;
    if (m_logic == slOr || m_logic == slNot) m_match.ClearAllBits();
    else m_match.SetAllBits();
}

void TtsBasicSearch::Finish() {
    m_feed = Feed::None;
    if (Cache()) Cache()->CheckMemory(this);
    if (m_savedPosition) {
        m_savedPosition = false;
        if (auto* records = Records()) records->RestorePosition();
    }
    m_elapsedMs = m_clock.isValid() ? m_clock.elapsed() : 0;
}

void TtsBasicSearch::PreviewWord(QString& word) {
    if (OnPreviewWord) OnPreviewWord(this, word);
}

void TtsBasicSearch::DoSearch() {
    if (OnSearch) OnSearch(this);
}

void TtsBasicSearch::DoTimeout() {
    if (OnTimeout) OnTimeout(this);
    else Halt();
}

void TtsBasicSearch::CheckTimeLimit() {
    if (m_timeLimit > 0 && m_clock.isValid() && m_clock.elapsed() > m_timeLimit) DoTimeout();
}

QStringList TtsBasicSearch::SplitQuery(const QString& folded) {
    QStringList words;
    if (OnParseWord) {
        const QChar* s = folded.constData();
        quint32 left = quint32(folded.size());
        while (left > 0) {
            const quint32 before = left;
            const QString w = OnParseWord(this, s, left, true);
            if (!w.isEmpty()) words << w;
            if (left >= before) break;
        }
        return words;
    }
    const char16_t* p = reinterpret_cast<const char16_t*>(folded.constData());
    const qsizetype n = folded.size();
    const fulltext::CharClassTable& classes = *m_queryClasses;
    auto isDelim = [&](qsizetype i, int& width) {
        width = 1;
        const std::uint8_t c = classes.Class(p[i]);
        if (c == fulltext::CharClassTable::HighSurrogate) return classes.IsDelimiterAt(p, i, n, width);
        return c != fulltext::CharClassTable::Word;
    };
    qsizetype i = 0;
    while (i < n) {
        int width = 1;
        while (i < n && isDelim(i, width)) i += width;
        if (i >= n) break;
        const qsizetype start = i;
        while (i < n && !isDelim(i, width)) i += width;
        const QChar* s = folded.constData() + start;
        words << QString(s, fulltext::CutLength(s, i - start, TtsEngine::kMaxExtractedWord));
    }
    return words;
}

void TtsBasicSearch::SearchText(const QString& text) {
    if (text.isEmpty()) {
        m_match.ClearAllBits();
        return;
    }
    QString folded = text;
    FoldProc(folded.data(), folded.size());
    m_searched = 0;
    m_ignored = 0;
    // every word of the query is looked up and read from the word table under one snapshot
    fulltext::WordKeyAccess* keys = KeyAccess();
    const db::ReadSnapshot snapshot = keys ? keys->HoldReads() : db::ReadSnapshot();
    for (const QString& w : SplitQuery(folded)) {
        if (Halted()) break;
        ProcessSearchWord(w);
    }
    fulltext::Recount(m_match);
    if (m_logic == slNot) InvertMatch();
    if (m_searched == 0 && m_logic != slNot) m_match.ClearAllBits();
}

void TtsBasicSearch::InvertMatch() {
    m_match.Invert();
    fulltext::RecordAccess* records = Records();
    if (!records) return;
    if (!m_existing || m_existing->MaxBits() != m_match.MaxBits()) {
        m_existing = std::make_unique<TwbBits>(m_match.MaxBits());
        records->MarkExistingRecords(*m_existing, TextLink()->MinIndex());
    }
    fulltext::Intersect(m_match, *m_existing);
}

void TtsBasicSearch::ProcessSearchWord(QString word) {
    PreviewWord(word);
    const int size = WordsLink()->WordFieldSize();
    word.truncate(fulltext::CutLength(word.constData(), word.size(), size));
    if (IsIgnored(word)) {
        ++m_ignored;
        return;
    }
    ++m_searched;
    SearchWord(word);
}

bool TtsBasicSearch::IsIgnored(const QString& word) const {
    if (m_logic == slLike) return false;
    return word.size() < MinWordLen() || IsOmitted(word);
}

bool TtsBasicSearch::LoadWordSet(const QString& word) {
    TtsBaseCache* cache = Cache();
    if (cache) {
        fulltext::Block old = nullptr;
        fulltext::Block block = nullptr;
        if (cache->Lookup(word, old, false, INT_MAX, block) && (block || old)) {
            if (old && block) {
                auto* bits = dynamic_cast<TtsBits*>(Bits());
                if (fulltext::IsCompressedBlock(old))
                    TtsBits::ExpandStored(old + 4, fulltext::BlockSize(old) - 4, WordBits());
                else
                    bits->LoadRaw(old);
                bits->ToRaw(block);
                cache->FreeBlock(old);
            } else if (block) {
                dynamic_cast<TtsBits*>(Bits())->LoadRaw(block);
            } else {
                TtsBits::ExpandStored(old + 4, fulltext::BlockSize(old) - 4, WordBits());
            }
            return true;
        }
    }
    if (!WordsLink()->Locate(word, -1)) return false;
    ReadWordSet();
    if (cache) {
        auto* bits = dynamic_cast<TtsBits*>(Bits());
        fulltext::Block block = cache->AllocBlock(bits->RawSize());
        bits->ToRaw(block);
        fulltext::SetBlockStamp(block, 0);
        try {
            cache->AddEntry(word, block);
        } catch (...) {
            cache->FreeBlock(block);
        }
    }
    return true;
}

void TtsBasicSearch::RecordQueryWord(const QString& word) {
    if (word.startsWith(u'.')) return;
    if (TwbDictNode* node = m_queryWords.Lookup(word)) {
        node->Data = packQueryData(m_queryPos, queryHitsOf(node->Data));
        return;
    }
    m_queryWords.AddAfterMiss(word, packQueryData(m_queryPos, 0));
}

int TtsBasicSearch::QueryPosition(QStringView word) {
    TwbDictNode* node = m_queryWords.Lookup(word);
    return node ? queryPositionOf(node->Data) : -1;
}

void TtsBasicSearch::SearchWord(const QString& word) {
    const bool conjunctive = m_logic == slAnd || m_logic == slPhrase || m_logic == slNear || m_logic == slLike;
    const TwbBits* set = nullptr;
    if (!Cache() && !WordsLink()->Segmented()) {
        // Without a cache the stored set goes straight into a scratch set, uncounted.
        if (!WordsLink()->Locate(word, -1)) {
            if (conjunctive) m_match.ClearAllBits();
            return;
        }
        if (!m_wordSetScratch.has_value() || m_wordSetScratch->MaxBits() != m_match.MaxBits())
            m_wordSetScratch.emplace(m_match.MaxBits());
        m_wordSetScratch->ClearAllBits();
        const int capacity = m_wordSetScratch->ByteCount() + 24;
        if (BufferSize() < capacity) SetBufferSize(capacity);
        fulltext::OrStoredSet(Buffer(), WordsLink()->ReadSet(Buffer(), BufferSize()), *m_wordSetScratch);
        set = &*m_wordSetScratch;
    } else {
        if (!LoadWordSet(word)) {
            if (conjunctive) m_match.ClearAllBits();
            return;
        }
        set = &WordBits();
    }
    if (m_match.MaxBits() != set->MaxBits()) throw ETessick(fulltext::msgInvalidParameter);
    RecordQueryWord(word);
    // Combined without counting; SearchText counts the match set once at its end.
    if (conjunctive) fulltext::AndInto(m_match, *set);
    else fulltext::OrInto(m_match, *set);
}

void TtsBasicSearch::ProcessWord(QStringView) {
    // Words reach a search only through AddWord while it reads records.
}

void TtsBasicSearch::AddWord(QStringView word, bool fold) {
    if (m_feed == Feed::None) return;
    if (Halted() || !WordsLink()) return;
    if (fold) {
        m_wordScratch = word.toString();
        FoldProc(m_wordScratch.data(), m_wordScratch.size());
        word = m_wordScratch;
    }
    if (WordsDone()) return;
    const int fieldSize = m_feedFieldSize > 0 ? m_feedFieldSize : WordsLink()->WordFieldSize();
    word = word.left(fulltext::CutLength(word.data(), word.size(), fieldSize));
    if (m_feed == Feed::Verify) VerifyWord(word);
    else RankWord(word);
}

void TtsBasicSearch::ClearPrevious() {
    TtsReadEngine::ClearPrevious();
}

void TtsBasicSearch::VerifyWord(QStringView) {}

void TtsBasicSearch::RankWord(QStringView) {}

// ---------------------------------------------------------------------------------------------
// TtsModeSearch

void TtsModeSearch::InitResult() {
    m_previous.reset();
    const bool orLike = m_logic == slOr || m_logic == slNot;
    const bool expression = m_logic == slExpression || m_logic == slSmart;
    switch (m_mode) {
    case smSearch:
        TtsBasicSearch::InitResult();
        return;
    case smNarrow:
        m_queryWords.Clear();
        m_queryPos = 0;
        if (!orLike && !expression) return;  // every word narrows the previous result
        m_previous = std::make_unique<TwbBits>(m_match.MaxBits());
        m_previous->CopyFrom(&m_match);
        if (orLike) m_match.ClearAllBits();
        return;
    case smWiden:
        m_queryWords.Clear();
        m_queryPos = 0;
        m_previous = std::make_unique<TwbBits>(m_match.MaxBits());
        m_previous->CopyFrom(&m_match);
        if (orLike) m_match.ClearAllBits();
        else m_match.SetAllBits();
        return;
    }
}

void TtsModeSearch::Finish() {
    if (m_previous) {
        if (m_mode == smWiden) fulltext::Unite(m_match, *m_previous);
        else if (m_mode == smNarrow) fulltext::Intersect(m_match, *m_previous);
        m_previous.reset();
    }
    TtsBasicSearch::Finish();
}

// ---------------------------------------------------------------------------------------------
// TtsWildSearch

void TtsWildSearch::SetAnyChar(QChar c) {
    if (c == m_any || c == m_one) return;
    m_any = c;
}

void TtsWildSearch::SetOneChar(QChar c) {
    if (c == m_any || c == m_one) return;
    m_one = c;
}

QString TtsWildSearch::AccentFold(QString text) {
    for (QChar& c : text) c = QChar(fulltext::SoundsLikeFold(c.unicode()));
    return text;
}

bool TtsWildSearch::IsIgnored(const QString& word) const {
    if (m_logic == slLike) return false;
    if (word.size() < MinWordLen() && !word.contains(m_any)) return true;
    return IsOmitted(word);
}

void TtsWildSearch::ProcessSearchWord(QString word) {
    ++m_queryPos;
    PreviewWord(word);
    word.truncate(fulltext::CutLength(word.constData(), word.size(), WordsLink()->WordFieldSize()));
    if (IsIgnored(word)) {
        ++m_ignored;
        return;
    }
    ++m_searched;
    if (m_logic == slLike) SoundsLikeSearch(word);
    else if (HasWildcard(word) || m_international) PatternSearch(word, fulltext::WordKeyAccess::kkWord);
    else SearchWord(word);
}

void TtsWildSearch::SoundsLikeSearch(const QString& word) {
    fulltext::WordKeyAccess* keys = KeyAccess();
    if (!keys) throw ETessick(fulltext::msgLikeNotAvailable);
    keys->SetKeyKind(fulltext::WordKeyAccess::kkLike);
    base::RunThen([&] { PatternSearch(SoundsLikeProc(word), fulltext::WordKeyAccess::kkLike); },
            [&] { keys->SetKeyKind(fulltext::WordKeyAccess::kkWord); });
}

void TtsWildSearch::PatternSearch(QString p, int kind) {
    fulltext::WordKeyAccess* keys = KeyAccess();
    if (!keys) throw ETessick(fulltext::msgCapabilityNotSupported);
    if (m_international) p = AccentFold(p);
    const QString wildcards = QString(m_any) + m_one;
    const QString prefix = fulltext::LeadingPart(p, wildcards);
    const QString rsuffix = fulltext::LeadingPart(fulltext::Reversed(p), wildcards);
    const bool like = kind == fulltext::WordKeyAccess::kkLike;
    const bool reverse = !like && prefix.isEmpty() && !rsuffix.isEmpty() && keys->HasReverse();
    const bool wild = HasWildcard(p);
    std::optional<TWildMatcher> matcher;
    if (wild) matcher.emplace(reverse ? fulltext::Reversed(p) : p, m_any, m_one, false);
    if (!like && !reverse && prefix.isEmpty() && WordPairs()) throw ETessick(fulltext::msgLeadingWildcard);

    const bool direct = m_logic == slOr || m_logic == slNot;
    std::unique_ptr<TwbBits> temp;
    if (!direct) temp = std::make_unique<TwbBits>(m_match.MaxBits());
    TwbBits& target = direct ? m_match : *temp;

    const QString start = reverse ? rsuffix : prefix;
    const QString stop = AccentFold(start);
    const QString equal = reverse ? fulltext::Reversed(p) : p;
    TtsWordsLink* words = WordsLink();
    bool full = target.Count() == target.MaxBits() + 1;
    int merged = 0;
    base::RunThen(
        [&] {
            if (!like) keys->SetKeyKind(reverse ? fulltext::WordKeyAccess::kkReverse : fulltext::WordKeyAccess::kkWord);
            db::ReadSnapshot snapshot = keys->HoldReads();
            keys->PartialLookup(start, m_any);
            while (!words->EndOfTable() && !Halted()) {
                snapshot.Renew();
                QString key = keys->CurrentKey();
                if (m_international) key = AccentFold(key);
                const QString word = words->CurrentWord();
                bool moved = false;
                if ((matcher && matcher->Matches(key)) || key == equal) {
                    RecordQueryWord(word);
                    // Sets are ORed in without counting; the target is counted once at the end
                    // (and now and then, to stop reading sets once it is full).
                    if (!full) {
                        if (words->Segmented()) {
                            ReadWordSet();
                            moved = true;
                            fulltext::OrInto(target, WordBits());
                        } else {
                            const int capacity = Bits()->CompressedMax();
                            if (BufferSize() < capacity) SetBufferSize(capacity);
                            fulltext::OrStoredSet(Buffer(), words->ReadSet(Buffer(), BufferSize()), target);
                        }
                        if (++merged % 64 == 0) {
                            fulltext::Recount(target);
                            full = target.Count() == target.MaxBits() + 1;
                        }
                    }
                }
                DoSearch();
                CheckTimeLimit();
                if (!(m_international ? key : AccentFold(key)).startsWith(stop)) break;
                if (!moved) {
                    if (words->Segmented())
                        while (!words->EndOfTable() && words->CurrentWord() == word) words->Next();
                    else
                        words->Next();
                }
            }
        },
        [&] {
            fulltext::Recount(target);
            if (!like) keys->SetKeyKind(fulltext::WordKeyAccess::kkWord);
        });
    if (temp) fulltext::Intersect(m_match, *temp);
}

namespace {

/// The first unit in [p, end) that is outside ASCII or one of the `count` ASCII `targets`
/// (end when there is none).
const char16_t* FindUnitOfInterest(const char16_t* p, const char16_t* end, const char16_t* targets, int count) {
    DOSSARA_ASSERT(count >= 0 && count <= fulltext::kMaxSkipTargets, return p);
#if defined(__SSE2__)
    __m128i wanted[fulltext::kMaxSkipTargets];
    for (int i = 0; i < count; ++i) wanted[i] = _mm_set1_epi16(short(targets[i]));
    const __m128i highestAscii = _mm_set1_epi16(0x7F);
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi16(-1);
    while (end - p >= 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // a unit above 0x7F leaves something after the saturating subtraction
        __m128i hit = _mm_andnot_si128(_mm_cmpeq_epi16(_mm_subs_epu16(units, highestAscii), zero), ones);
        for (int i = 0; i < count; ++i) hit = _mm_or_si128(hit, _mm_cmpeq_epi16(units, wanted[i]));
        const int mask = _mm_movemask_epi8(hit);
        if (mask) return p + (__builtin_ctz(unsigned(mask)) >> 1);
        p += 8;
    }
#endif
    for (; p < end; ++p) {
        if (*p >= 128) return p;
        for (int i = 0; i < count; ++i)
            if (*p == targets[i]) return p;
    }
    return end;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TtsProximitySearch

void TtsProximitySearch::SearchText(const QString& text) {
    TtsWildSearch::SearchText(text);
    fulltext::RecordAccess* records = Records();
    if ((records && records->HasSubFields()) || m_logic == slPhrase || m_logic == slNear) Verify(text);
}

void TtsProximitySearch::Verify(const QString& text) {
    if (text.isEmpty()) return;
    if (m_match.Count() == 0 && m_logic != slNot) return;
    fulltext::RecordAccess* records = Records();
    const bool subFields = records && records->HasSubFields();

    QString folded = text;
    if (International()) folded = AccentFold(folded);
    else FoldProc(folded.data(), folded.size());
    m_phrase = SplitQuery(folded);
    for (QString& w : m_phrase) w.truncate(fulltext::CutLength(w.constData(), w.size(), WordsLink()->WordFieldSize()));
    if (m_phrase.isEmpty()) return;
    m_phraseRepeats = QSet<QString>(m_phrase.begin(), m_phrase.end()).size() != m_phrase.size();
    m_wordWild.assign(std::size_t(m_phrase.size()), 0);
    for (int i = 0; i < m_phrase.size(); ++i) m_wordWild[std::size_t(i)] = HasWildcard(m_phrase[i]);
    m_phraseWild = std::any_of(m_wordWild.begin(), m_wordWild.end(), [](char w) { return w != 0; });
    m_phraseLengths = 0;
    for (const QString& w : m_phrase) m_phraseLengths |= quint64(1) << std::min<qsizetype>(w.size(), 63);
    const bool proximity = m_logic == slPhrase || m_logic == slNear;
    if (proximity && !subFields && m_phrase.size() == 1) return;

    bool verified = false;
    if (WordPairs() && m_logic == slPhrase) {
        const int size = WordsLink()->WordFieldSize();
        for (int i = 0; i + 1 < m_phrase.size(); ++i) {
            const QString key = TtsEngine::PairKey(m_phrase[i], m_phrase[i + 1], size);
            if (key.contains(AnyChar()) || International()) PatternSearch(key, fulltext::WordKeyAccess::kkWord);
            else SearchWord(key);
        }
        const QString both = m_phrase.size() == 2 ? m_phrase[0] + m_phrase[1] : QString();
        if (m_phrase.size() == 2 && !both.contains(AnyChar()) && size >= both.size() + 2) verified = true;
        else if (SearchOptions().testFlag(soLazyPhrase)) verified = true;
    }

    if (!verified && records) {
        SetState(States().With(TEngineState::esVerify));
        base::RunThen(
            [&] {
                if (SearchMode() == smNarrow && m_previous) fulltext::Intersect(m_match, *m_previous);
                const bool notLogic = m_logic == slNot;
                const int minIndex = TextLink()->MinIndex();
                SaveTextPosition();
                m_feed = Feed::Verify;
                m_feedFieldSize = WordsLink()->WordFieldSize();
                int bit = notLogic ? m_match.FirstClearBit() : m_match.FirstSetBit();
                // candidates are read under one snapshot of the record table (taken once the
                // table is open), renewed now and then to let writers elsewhere in
                db::ReadSnapshot snapshot = records->HoldReads();
                // The query words do not change while records are read.
                m_phraseNumbers.resize(std::size_t(m_phrase.size()));
                for (int i = 0; i < m_phrase.size(); ++i)
                    m_phraseNumbers[std::size_t(i)] = lookUpWordNumber(m_phrase[i]);
                m_direct = proximity && !m_phraseWild && !m_phraseRepeats && !International() && m_phrase.size() < 64 &&
                           FoldProc == &fulltext::UpperInPlace && !OnParseWord;
                // Hit counters of the query words start from zero for each record; reading a
                // record never counts hits, so clearing them once before the first is the same.
                if (bit >= 0)
                    m_queryWords.VisitAll(
                        [](const QString&, fulltext::CxData& d, bool&) { d = fulltext::CxData(quint32(d) & 0xFFFF); });
                while (bit >= 0 && !Halted()) {
                    m_found = false;
                    resetFieldCounters();
                    // A record stops being read as soon as its check is settled.
                    StopWords(false);
                    const bool exists = records->ProcessRecordAt(minIndex + bit, this);
                    StopWords(false);
                    if (!snapshot.Holding()) snapshot = records->HoldReads();
                    snapshot.Renew();
                    if (notLogic) {
                        if (!m_found && exists) m_match.SetBitOn(bit);
                    } else if (!m_found) {
                        m_match.SetBitOff(bit);
                    }
                    DoSearch();
                    CheckTimeLimit();
                    bit = notLogic ? m_match.NextClearBit(bit) : m_match.NextSetBit(bit);
                }
            },
            [&] {
                records->EndRecordLoop();
                m_feed = Feed::None;
                m_feedFieldSize = 0;
                m_direct = false;
                StopWords(false);
                SetState(States().Without(TEngineState::esVerify));
            });
    }
    fulltext::Recount(m_match);
    for (const QString& w : m_phrase)
        if (QueryPosition(w) < 0) RecordQueryWord(w);
}

void TtsProximitySearch::resetFieldCounters() {
    m_partial.assign(std::size_t(m_phrase.size()) + 1, 0);
    m_partial[0] = 1;
    m_position = 0;
    m_stored.assign(std::size_t(m_phrase.size()), -1);
    m_seen.assign(std::size_t(m_phrase.size()), 0);
}

void TtsProximitySearch::ClearPrevious() {
    TtsWildSearch::ClearPrevious();
    if (m_feed == Feed::Verify) resetFieldCounters();
}

bool TtsProximitySearch::ConsumeText(QStringView text) {
    if (!m_direct || m_feed != Feed::Verify) return false;
    return directVerify(text);
}

bool TtsProximitySearch::directVerify(QStringView text) {
    if (m_found || WordsDone() || Halted() || !WordsLink()) return true;
    const auto* s = reinterpret_cast<const char16_t*>(text.data());
    const qsizetype length = text.size();
    const char16_t* upper = fulltext::UpperTable();
    // Word and delimiter runs by the classes of the folded units.
    const std::uint8_t* folded = CharClasses().FoldedClasses();
    // Surrogate pairs have their own splitting and cutting rules: on meeting one, the whole
    // text goes word by word instead (nothing of this pass is kept).
    bool surrogate = false;
    // A unit's upper case when it is a word character, else -1.
    auto wordUnit = [&](char16_t c) -> int {
        const std::uint8_t k = folded[c];
        if (k == fulltext::CharClassTable::Word) return upper[c];
        if (k != fulltext::CharClassTable::Delim) surrogate = true;
        return -1;
    };
    const int fieldSize = m_feedFieldSize > 0 ? m_feedFieldSize : WordsLink()->WordFieldSize();
    const qsizetype cut = std::max(0, std::min(fieldSize, int(kMaxExtractedWord)));
    const int n = int(m_phrase.size());
    // The fixed arrays below and the partial-match bits hold at most 63 phrase words (m_direct
    // is set only then); a longer phrase goes word by word.
    DOSSARA_ASSERT(n < 64 && m_phraseNumbers.size() == std::size_t(n) && m_stored.size() == std::size_t(n), return false);
    const bool phrase = m_logic == slPhrase;
    struct Word {
        const char16_t* text;
        qsizetype size;
        int number;
    };
    std::array<Word, 64> words;
    for (int w = 0; w < n; ++w) {
        const QString& p = std::as_const(m_phrase)[w];
        words[std::size_t(w)] = {reinterpret_cast<const char16_t*>(p.constData()), p.size(),
                                 m_phraseNumbers[std::size_t(w)]};
    }
    // The partial phrase matches as bits (bit i: the last i words match the phrase's first i),
    // and for nearness the position and the last position of each phrase word.
    quint64 partial = 1;
    for (int i = 1; i <= n; ++i)
        if (m_partial[std::size_t(i)]) partial |= quint64(1) << i;
    int position = m_position;
    std::array<int, 64> stored;
    std::copy(m_stored.begin(), m_stored.end(), stored.begin());
    const int nearWord = NearWord();
    bool found = false;

    auto isWord = [&](char16_t c) { return folded[c] == fulltext::CharClassTable::Word; };

    // While no partial phrase match is open, the words before the next one that can open one
    // change nothing: only a phrase word numbered first can. Those stretches are skipped to the
    // next unit that may begin such a word: an ASCII unit folding to its first unit, or any unit
    // outside ASCII (looked at one by one). Only when that first unit is ASCII, and for phrases
    // only: nearness would look for the first units of all its words, so many that skipping
    // would stop about as often as reading word by word does.
    std::array<char16_t, fulltext::kMaxSkipTargets> targets;
    int targetCount = 0;
    bool skipping = phrase;
    for (int w = 0; w < n && skipping; ++w) {
        const Word& word = words[std::size_t(w)];
        if (!(word.number == 0 && word.size == words[0].size)) continue;
        const char16_t first = word.text[0];
        if (first >= 128) skipping = false;
        for (char16_t u = 0; u < 128 && skipping; ++u) {
            if (upper[u] != first ||
                std::find(targets.begin(), targets.begin() + targetCount, u) != targets.begin() + targetCount)
                continue;
            if (targetCount == fulltext::kMaxSkipTargets)
                skipping = false;
            else
                targets[std::size_t(targetCount++)] = u;
        }
    }

    const char16_t* const end = s + length;
    const char16_t* p = s;
    while (p < end && !found) {
        if (skipping && partial == 1) {
            for (;; ++p) {
                p = FindUnitOfInterest(p, end, targets.data(), targetCount);
                if (p >= end) break;
                const char16_t c = *p;
                const int unit = wordUnit(c);
                if (surrogate) return false;
                if (unit < 0) continue;
                if (c >= 128 && std::find(targets.begin(), targets.begin() + targetCount, char16_t(unit)) ==
                                    targets.begin() + targetCount)
                    continue;
                // only the start of a word counts
                if (p > s && folded[p[-1]] != fulltext::CharClassTable::Delim) {
                    if (!isWord(p[-1])) return false;
                    continue;
                }
                break;
            }
            if (p >= end) break;
        }
        while (p < end && folded[*p] == fulltext::CharClassTable::Delim) ++p;
        if (p >= end) break;
        if (folded[*p] != fulltext::CharClassTable::Word) return false;
        const char16_t* const first = p;
        while (p < end && folded[*p] == fulltext::CharClassTable::Word) ++p;
        if (p < end && folded[*p] != fulltext::CharClassTable::Delim) return false;
        const qsizetype start = first - s;
        const qsizetype size = std::min<qsizetype>(p - first, cut);
        // The word's number, as wordNumber tells it: only a phrase word of the same length can have one.
        int number = -1;
        if (m_phraseLengths & (quint64(1) << std::min<qsizetype>(size, 63))) {
            for (int w = 0; w < n; ++w) {
                const Word& candidate = words[std::size_t(w)];
                if (candidate.size != size) continue;
                qsizetype k = 0;
                while (k < size && wordUnit(s[start + k]) == int(candidate.text[k])) ++k;
                if (k == size) {
                    number = candidate.number;
                    break;
                }
            }
        }
        if (phrase) {
            quint64 continues = 0;
            if (number >= 0 && number < n && words[std::size_t(number)].size == size)
                continues = partial & (quint64(1) << number);
            partial = 1 | (continues << 1);
            found = (partial >> n) & 1;
        } else {
            ++position;
            if (number < 0) continue;
            stored[std::size_t(number)] = position;
            found = true;
            for (int w = 0; w < n && found; ++w)
                found = stored[std::size_t(w)] >= 0 && position < stored[std::size_t(w)] + nearWord;
        }
    }
    if (phrase) {
        for (int k = 1; k <= n; ++k) m_partial[std::size_t(k)] = char((partial >> k) & 1);
    } else {
        m_position = position;
        std::copy(stored.begin(), stored.begin() + n, m_stored.begin());
    }
    if (found) {
        m_found = true;
        StopWords(true);
    }
    return true;
}

int TtsProximitySearch::wordNumber(QStringView word) {
    if (!m_phraseWild) {
        // Without wildcards only the phrase's own words can have a number, worked out before
        // the records are read: most words of a record are told apart here by their length.
        if (!(m_phraseLengths & (quint64(1) << std::min<qsizetype>(word.size(), 63)))) return -1;
        for (int i = 0; i < m_phrase.size(); ++i) {
            const QString& p = m_phrase[i];
            if (p.size() == word.size() && p == word) return m_phraseNumbers[std::size_t(i)];
        }
        return -1;
    }
    return lookUpWordNumber(word);
}

int TtsProximitySearch::lookUpWordNumber(QStringView word) {
    const int pos = QueryPosition(word);
    if (pos >= 0) {
        const int n = int(m_phrase.size()) + pos - m_queryPos - 1;
        if (n >= 0 && n < m_phrase.size()) return n;
    }
    for (int i = 0; i < m_phrase.size(); ++i)
        if (m_phrase[i] == word) return i;
    return -1;
}

void TtsProximitySearch::VerifyWord(QStringView rawWord) {
    if (m_found || m_phrase.isEmpty()) return;
    QString folded;
    QStringView word = rawWord;
    if (International()) {
        folded = AccentFold(rawWord.toString());
        word = folded;
    }
    const int number = wordNumber(word);
    if (number < 0 && !m_phraseRepeats) {
        // A word outside the phrase: it ends every partial phrase match and, for nearness, only
        // ages the stored positions, which cannot complete a match that was not complete before.
        if (m_logic == slPhrase) std::fill(m_partial.begin() + 1, m_partial.end(), 0);
        else if (m_logic == slNear) ++m_position;
        return;
    }
    switch (m_logic) {
    case slPhrase: {
        // Every partial match is followed at once, so that a word that breaks one partial
        // match may still continue a shorter one or start a new one ("a a b" holds "a b").
        auto matches = [&](int i) {
            const QString& expected = m_phrase[i];
            const bool quick = m_wordWild[std::size_t(i)] || expected.size() == word.size();
            return quick && (number == i || (m_phraseRepeats && word == expected));
        };
        const int n = int(m_phrase.size());
        for (int i = n - 1; i >= 0; --i)
            m_partial[std::size_t(i + 1)] = m_partial[std::size_t(i)] && matches(i);
        m_partial[0] = 1;
        if (m_partial[std::size_t(n)]) m_found = true;
        break;
    }
    case slNear: {
        ++m_position;
        if (number >= 0) m_stored[std::size_t(number)] = m_position;
        bool all = true;
        for (int p : m_stored)
            if (p < 0 || m_position >= p + NearWord()) {
                all = false;
                break;
            }
        if (all) m_found = true;
        break;
    }
    case slOr:
        if (number >= 0) m_found = true;
        break;
    default: {
        if (number < 0) break;
        m_seen[std::size_t(number)] = 1;
        m_found = std::all_of(m_seen.begin(), m_seen.end(), [](char s) { return s != 0; });
        break;
    }
    }
    // Once found, a record stays found: the rest of its words need not be read.
    if (m_found) StopWords(true);
}
