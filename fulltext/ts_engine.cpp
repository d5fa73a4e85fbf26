#include "fulltext/ts_engine.h"

#include "fulltext/cx_strings.h"
#include "fulltext/ts_cache.h"
#include "fulltext/errors.h"
#include "fulltext/ts_links.h"
#include "fulltext/ts_text.h"
#include "platform/base/scope_exit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Space, the 27 punctuation characters, the caret, tilde, back-quote, double quote,
// apostrophe, carriage return, line feed and tab, in caret notation (40 characters).
const QString& defaultDelims() {
    static const QString d = QStringLiteral(" ,.;:?![]{}()<>/+-*=\\|_&#%$@^^~`\"'^M^J^I");
    return d;
}



/// The word splitter: scans `src` (`length` units), writing each unit (folded to upper case
/// with Fold) into `p` (a copy of `src` with Copy, else `src` itself) before it is classified,
/// which is what folding the whole text first and splitting it afterwards gives (the upper
/// case of an upper case is itself); a stop leaves the rest unwritten. Each run of word
/// characters goes to `addRun(start, end)`, which answers true to stop. Answers the position of
/// a stop, or -1 when the whole text was read.
template <bool Fold, bool Copy, typename Emit>
qsizetype scanWords(const char16_t* src, char16_t* p, qsizetype length, const fulltext::CharClassTable& classes,
                    Emit&& addRun) {
    const char16_t* upper = fulltext::UpperTable();
    const std::uint8_t* foldedClass = classes.FoldedClasses();
    auto classAt = [&](qsizetype i) {
        const char16_t unit = src[i];
        if constexpr (Fold) {
            // the class of the upper case, looked up by the unit itself beside the fold
            p[i] = upper[unit];
            return foldedClass[unit];
        } else {
            if constexpr (Copy) p[i] = unit;
            return classes.Class(unit);
        }
    };
    // A high surrogate: folds its pair and answers the width of a word character, or 0.
    auto pairWordWidth = [&](qsizetype i) -> int {
        const qsizetype n = std::min<qsizetype>(2, length - i);
        if constexpr (Copy) std::memcpy(static_cast<void*>(p + i), src + i, std::size_t(n) * sizeof(char16_t));
        if constexpr (Fold) fulltext::UpperInPlace(reinterpret_cast<QChar*>(p + i), n);
        int width = 1;
        return classes.IsDelimiterAt(p, i, length, width) ? 0 : width;
    };
    qsizetype i = 0;
    while (i < length) {
        while (i < length) {
            const std::uint8_t c = classAt(i);
            if (c == fulltext::CharClassTable::Word) break;
            if (c == fulltext::CharClassTable::HighSurrogate) {
                if (pairWordWidth(i)) break;
                i += (i + 1 < length && QChar::isLowSurrogate(p[i + 1])) ? 2 : 1;
                continue;
            }
            ++i;
        }
        if (i >= length) return -1;
        const qsizetype start = i;
        while (i < length) {
            const std::uint8_t c = classAt(i);
            if (c == fulltext::CharClassTable::Word) {
                ++i;
            } else if (c == fulltext::CharClassTable::HighSurrogate) {
                const int width = pairWordWidth(i);
                if (!width) break;
                i += width;
            } else {
                break;
            }
        }
        if (addRun(start, i)) return i;
    }
    return -1;
}

}  // namespace

TtsEngine::TtsEngine(QObject* owner)
    : TtsBase(owner), SoundsLikeProc(&fulltext::SoundsLikeKey), FoldProc(&fulltext::UpperInPlace) {
    m_bits = std::make_unique<TtsBits>();
    rebuildDelimiters();
}

TtsEngine::~TtsEngine() {
    for (TtsBase* c : {static_cast<TtsBase*>(m_textLink.data()), static_cast<TtsBase*>(m_wordsLink.data()),
                       static_cast<TtsBase*>(m_cache.data())})
        if (c) c->RemoveLinkedEngine(this);
}

QString TtsEngine::DefaultWordDelims() {
    return defaultDelims();
}

QString TtsEngine::WordDelims() const {
    return m_delimsSet ? fulltext::CaretEncode(m_delims) : defaultDelims();
}

void TtsEngine::SetWordDelims(const QString& caretText) {
    m_delims = fulltext::CaretDecode(caretText);
    m_delimsSet = true;
    rebuildDelimiters();
}

void TtsEngine::rebuildDelimiters() {
    const QString decoded = m_delimsSet ? m_delims : fulltext::CaretDecode(defaultDelims());
    fulltext::AnsiSet set;
    if (decoded.contains(QLatin1String("<<<")))
        for (int c = 0; c < 32; ++c) set.set(std::size_t(c));
    if (decoded.contains(QLatin1String(">>>")))
        for (int c = 128; c < 256; ++c) set.set(std::size_t(c));
    for (QChar ch : decoded) {
        const int code = fulltext::AnsiCode(ch.unicode());
        if (code >= 0) set.set(std::size_t(code));
    }
    m_classes = std::make_unique<fulltext::CharClassTable>(set);
}

void TtsEngine::SetMinWordLen(int n) {
    if (n >= 1) m_minWordLen = n;
}

void TtsEngine::SetSegmentSize(int n) {
    if (n <= 0 || n > 2147483632) m_segmentSize = kUnsegmented;
    else m_segmentSize = (n + 15) & ~15;
}

void TtsEngine::SetAnsi(bool) {
    throw ETessick(fulltext::msgReadOnlyProperty);
}

void TtsEngine::SetTextLink(TtsTextLink* link) {
    if (m_textLink == link) return;
    if (m_textLink) m_textLink->RemoveLinkedEngine(this);
    m_textLink = link;
    if (link) link->AddLinkedEngine(this);
}

void TtsEngine::SetWordsLink(TtsWordsLink* link) {
    if (m_wordsLink == link) return;
    if (m_wordsLink) m_wordsLink->RemoveLinkedEngine(this);
    m_wordsLink = link;
    if (link) link->AddLinkedEngine(this);
}

void TtsEngine::SetCache(TtsBaseCache* cache) {
    if (m_cache == cache) return;
    if (m_cache) m_cache->RemoveLinkedEngine(this);
    m_cache = cache;
    if (cache) cache->AddLinkedEngine(this);
}

void TtsEngine::CheckAssigned(bool cache, bool textLink, bool wordsLink) const {
    if (cache && !m_cache) throw ETessick(fulltext::msgCacheNotAssigned);
    if (textLink && !m_textLink) throw ETessick(fulltext::msgTextLinkNotAssigned);
    if (wordsLink && !m_wordsLink) throw ETessick(fulltext::msgWordsLinkNotAssigned);
}

void TtsEngine::ComponentRemoving(TtsBase* component) {
    const bool linked = component == m_cache || component == m_wordsLink || component == m_textLink ||
                        component == m_bits.get();
    if (!linked) return;
    if (m_cache && m_wordsLink) {
        try {
            FlushCache();
        } catch (const std::exception& e) {
            qCWarning(lcFulltext) << "Writing back the word cache failed:" << e.what();
        }
    }
    if (component == m_cache) m_cache = nullptr;
    if (component == m_wordsLink) m_wordsLink = nullptr;
    if (component == m_textLink) m_textLink = nullptr;
}

void TtsEngine::SetState(TEngineStates newStates) {
    const TEngineStates old = m_states;
    if (newStates == old) return;
    base::RunThen(
        [&] {
            for (int s = 0; s <= 10; ++s)
                if (newStates.Contains(s) && !old.Contains(s) && m_ownMask.Contains(s))
                    StateEntered(this, TEngineState(s));
            for (int s = 0; s <= 10; ++s)
                if (!newStates.Contains(s) && old.Contains(s) && m_ownMask.Contains(s))
                    StateLeft(this, TEngineState(s));
            if (OnStateChange) OnStateChange(this, newStates);
        },
        [&] { m_states = newStates; });
}

void TtsEngine::StateLeft(TtsBase* sender, TEngineState state) {
    TtsBase* order[] = {m_cache.data(), m_bits.get(), m_wordsLink.data(), m_textLink.data()};
    for (TtsBase* c : order)
        if (c && c->NotifyMask().Contains(state)) c->StateLeft(sender, state);
}

void TtsEngine::StateEntered(TtsBase* sender, TEngineState state) {
    TtsBase* order[] = {m_wordsLink.data(), m_textLink.data(), m_bits.get(), m_cache.data()};
    for (TtsBase* c : order)
        if (c && c->NotifyMask().Contains(state)) c->StateEntered(sender, state);
    if (m_bits) SetBufferSize(m_bits->CompressedMax());
}

bool TtsEngine::AcceptWord(QStringView word) {
    return OnAcceptWord ? OnAcceptWord(this, word.toString()) : true;
}

void TtsEngine::SetRecord(int n) {
    if (n == m_record) return;
    CheckAssigned(false, true, false);
    const qint64 relative = qint64(n) - m_textLink->MinIndex();
    const qint64 segment = relative / m_segmentSize;
    SetSegment(int(segment));
    SetBitOffset(int(relative - segment * m_segmentSize));
    m_record = n;
}

void TtsEngine::SetBitOffset(int n) {
    if (n < 0) throw ETessick(fulltext::msgInvalidParameter);
    m_bitOffset = n;
}

void TtsEngine::SetSegment(int n) {
    m_segment = n;
}

void TtsEngine::Halt() {
    SetState(m_states.With(TEngineState::esHalt));
}

namespace {

/// Writes the pair key of `first` and `second` into `key` (see TtsEngine::PairKey).
void makePairKey(QStringView first, QStringView second, int wordFieldSize, QString& key) {
    if (first.size() + second.size() + 2 > wordFieldSize) {
        const qsizetype half = std::max(wordFieldSize / 2 - 1, 0);
        first = first.left(fulltext::CutLength(first.data(), first.size(), half));
        second = second.left(fulltext::CutLength(second.data(), second.size(), half));
    }
    key.resize(first.size() + second.size() + 2);
    QChar* out = key.data();
    *out++ = u'.';
    std::copy(first.begin(), first.end(), out);
    out += first.size();
    std::copy(second.begin(), second.end(), out);
    out += second.size();
    *out = u'.';
}

}  // namespace

QString TtsEngine::PairKey(QStringView first, QStringView second, int wordFieldSize) {
    QString key;
    makePairKey(first, second, wordFieldSize, key);
    return key;
}

void TtsEngine::AddWord(QStringView word, bool fold) {
    if (m_wordsDone || m_states.Contains(TEngineState::esHalt) || !m_wordsLink) return;
    QString folded;
    if (fold) {
        folded = word.toString();
        FoldProc(folded.data(), folded.size());
        word = folded;
    }
    const int fieldSize = m_wordsLink->WordFieldSize();
    word = word.left(fulltext::CutLength(word.data(), word.size(), fieldSize));
    if (word.size() >= m_minWordLen && AcceptWord(word)) ProcessWord(word);
    if (m_wordPairs) {
        // The pair comes from the previous word whether or not either was accepted.
        if (!m_previous.isEmpty()) {
            makePairKey(m_previous, word, fieldSize, m_pairKey);
            ProcessWord(m_pairKey);
        }
        // the previous word's buffer is reused: no allocation per word
        m_previous.resize(word.size());
        std::copy(word.begin(), word.end(), m_previous.data());
    }
}

void TtsEngine::ClearPrevious() {
    m_previous.clear();
}

void TtsEngine::extractWords(const QChar* source, QChar* text, qsizetype length, bool foldUpper, bool foldRest) {
    char16_t* p = reinterpret_cast<char16_t*>(text);
    const char16_t* src = reinterpret_cast<const char16_t*>(source);
    const bool copying = src != p;
    auto addRun = [&](qsizetype start, qsizetype end) {
        AddWord(QStringView(text + start, fulltext::CutLength(text + start, end - start, kMaxExtractedWord)), false);
        return m_wordsDone || m_states.Contains(TEngineState::esHalt);
    };
    const fulltext::CharClassTable& classes = *m_classes;
    qsizetype stoppedAt = -1;
    if (foldUpper && copying) stoppedAt = scanWords<true, true>(src, p, length, classes, addRun);
    else if (foldUpper) stoppedAt = scanWords<true, false>(src, p, length, classes, addRun);
    else if (copying) stoppedAt = scanWords<false, true>(src, p, length, classes, addRun);
    else stoppedAt = scanWords<false, false>(src, p, length, classes, addRun);
    // A stop in place still folds the rest of the text.
    if (stoppedAt >= 0 && foldUpper && foldRest && !copying) fulltext::UpperInPlace(text + stoppedAt, length - stoppedAt);
}

void TtsEngine::ParseText(QChar* text, qsizetype length) {
    parseText(text, length, true);
}

void TtsEngine::parseText(QChar* text, qsizetype length, bool foldRest) {
    if (length <= 0) return;
    if (!OnParseWord && FoldProc == &fulltext::UpperInPlace) {
        extractWords(text, text, length, true, foldRest);
        return;
    }
    FoldProc(text, length);
    if (!OnParseWord) {
        extractWords(text, text, length, false, foldRest);
        return;
    }
    const QChar* s = text;
    quint32 left = quint32(length);
    while (left > 0 && !m_wordsDone && !m_states.Contains(TEngineState::esHalt)) {
        const quint32 before = left;
        const QString word = OnParseWord(this, s, left, false);
        if (!word.isEmpty()) AddWord(word, false);
        if (left >= before) break;  // a parser that does not advance would loop for ever
    }
}

bool TtsEngine::ConsumeText(QStringView) {
    return false;
}

void TtsEngine::ParseString(QStringView text) {
    if (text.isEmpty()) return;
    if (ConsumeText(text)) return;
    // A private buffer, reused from text to text, so that folding never reallocates.
    QString scratch = std::move(m_parseScratch);
    scratch.resize(text.size());
    if (!OnParseWord && FoldProc == &fulltext::UpperInPlace) {
        // Copied as it is split: a stop leaves the rest of the text untouched.
        extractWords(text.constData(), scratch.data(), scratch.size(), true, false);
        m_parseScratch = std::move(scratch);
        return;
    }
    std::memcpy(static_cast<void*>(scratch.data()), text.constData(), std::size_t(text.size()) * sizeof(QChar));
    // The copy is private: a stop leaves the rest of it unfolded.
    parseText(scratch.data(), scratch.size(), false);
    m_parseScratch = std::move(scratch);
}

void TtsEngine::ParseLines(const QStringList& lines, bool split) {
    for (const QString& line : lines) {
        if (split) ParseString(line);
        else AddWord(line, true);
    }
}

void TtsEngine::LoadOmitList() {
    CheckAssigned(true, false, false);
    for (const QString& w : m_omitList) {
        if (w.isEmpty()) continue;
        QString folded = w;
        FoldProc(folded.data(), folded.size());
        try {
            m_cache->AddEntry(folded, nullptr);
        } catch (const ECxContainerError& e) {
            if (e.ErrorCode() != 54) throw;
        }
    }
}

const std::uint8_t* TtsEngine::StoredForm(fulltext::Block set, int& length) {
    if (fulltext::IsCompressedBlock(set)) {
        length = fulltext::BlockSize(set) - 4;
        return set + 4;
    }
    if (!m_bits) throw ETessick(fulltext::msgInvalidParameter);
    if (BufferSize() < m_bits->CompressedMax()) SetBufferSize(m_bits->CompressedMax());
    const int size = m_bits->Compress(set, Buffer());
    length = size - 4;
    return Buffer() + 4;
}

void TtsEngine::InsertWord(QStringView word, fulltext::Block& set) {
    if (m_states.Contains(TEngineState::esHalt) || !set) return;
    CheckAssigned(false, false, true);
    int length = 0;
    const std::uint8_t* stored = StoredForm(set, length);
    m_wordsLink->Append();
    m_wordsLink->SetLikeKey(SoundsLikeProc(word));
    m_wordsLink->SetSegment(m_segment);
    m_wordsLink->SetWord(word);
    m_wordsLink->SetCount(fulltext::BlockMembers(set));
    m_wordsLink->WriteSet(stored, length);
    m_wordsLink->Post();
    if (m_states.Contains(TEngineState::esMake) && m_cache) {
        m_cache->FreeBlock(set);
        set = nullptr;
    }
}

void TtsEngine::WriteIfDirty(const QString& word, fulltext::Block& set) {
    if (!set || fulltext::BlockStamp(set) >= 0) return;
    CheckAssigned(false, false, true);
    const std::int32_t stamp = fulltext::BlockStamp(set);
    if (m_wordsLink->Locate(word, m_segment)) {
        int length = 0;
        const std::uint8_t* stored = StoredForm(set, length);
        m_wordsLink->Edit();
        m_wordsLink->SetCount(fulltext::BlockMembers(set));
        m_wordsLink->WriteSet(stored, length);
        m_wordsLink->Post();
    } else {
        InsertWord(word, set);
    }
    if (set) fulltext::SetBlockStamp(set, -stamp);
}

void TtsEngine::WriteBackCache() {
    CheckAssigned(true, false, true);
    m_cache->Iterate(false, false, [this](const QString& word, fulltext::Block& block, bool&) {
        WriteIfDirty(word, block);
    });
}

void TtsEngine::FlushCache() {
    CheckAssigned(true, false, true);
    TtsBaseCache* cache = m_cache;
    cache->Iterate(false, false, [this, cache](const QString& word, fulltext::Block& block, bool& remove) {
        WriteIfDirty(word, block);
        if (block) cache->FreeBlock(block);
        block = nullptr;
        remove = true;
    });
}

void TtsEngine::FlushOld() {
    CheckAssigned(true, false, true);
    TtsBaseCache* cache = m_cache;
    const int mark = cache->FlushMark();
    cache->Iterate(false, false, [this, cache, mark](const QString& word, fulltext::Block& block, bool& remove) {
        if (!block || std::abs(fulltext::BlockStamp(block)) > mark) return;
        WriteIfDirty(word, block);
        if (block) cache->FreeBlock(block);
        block = nullptr;
        remove = true;
    });
}

void TtsEngine::Reset() {
    TtsBase::Reset();
    m_record = INT_MIN;
    m_segment = 0;
    m_bitOffset = 0;
    m_wordsDone = false;
    m_previous.clear();
    if (m_bits) m_bits->Reset();
    if (m_cache) m_cache->Reset();
    if (m_textLink) m_textLink->Reset();
    if (m_wordsLink) m_wordsLink->Reset();
}

TtsReadEngine::TtsReadEngine(QObject* owner) : TtsEngine(owner) {}

void TtsReadEngine::Reset() {
    if (Cache() && WordsLink()) FlushCache();
    m_propertiesRead = false;
    TtsEngine::Reset();
}

void TtsReadEngine::StateEntered(TtsBase* sender, TEngineState state) {
    // The properties come first: they may change the segment size the bit set sizes itself by.
    if (state == TEngineState::esUpdate || state == TEngineState::esSearch) ReadIndexProperties();
    TtsEngine::StateEntered(sender, state);
}

void TtsReadEngine::ReadWordSet() {
    CheckAssigned(false, false, true);
    if (!m_bits) throw ETessick(fulltext::msgInvalidParameter);
    TtsWordsLink* link = WordsLink();
    if (BufferSize() < m_bits->CompressedMax()) SetBufferSize(m_bits->CompressedMax());
    if (link->Segmented()) {
        m_bits->ClearAll();
        const QString word = link->CurrentWord();
        while (!link->EndOfTable() && link->CurrentWord() == word) {
            const int length = link->ReadSet(Buffer(), BufferSize());
            m_bits->ExpandInto(Buffer(), length, link->Segment(), SegmentSize());
            link->Next();
        }
    } else {
        const int length = link->ReadSet(Buffer(), BufferSize());
        m_bits->ExpandInto(Buffer(), length, 0, 0);
    }
}
