#include "fulltext/table/ts_update.h"

#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/errors.h"
#include "platform/base/scope_exit.h"

#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {
constexpr fulltext::CxData kOmitted = 0;
constexpr fulltext::CxData kOldWord = 1;
constexpr fulltext::CxData kHandled = 2;
}  // namespace

TtsBaseUpdate::TtsBaseUpdate(QObject* owner) : TtsReadEngine(owner) {}

TtsBaseUpdate::~TtsBaseUpdate() = default;

void TtsBaseUpdate::DoAfterBatch() {
    if (AfterBatch) AfterBatch(this);
}

TtsTextDataSetLink* TtsBaseUpdate::textLink() const {
    auto* link = qobject_cast<TtsTextDataSetLink*>(TextLink());
    if (!link) throw ETessick(fulltext::msgTextLinkNotAssigned);
    return link;
}

TtsWordsDataSetLink* TtsBaseUpdate::wordsLink() const {
    auto* link = qobject_cast<TtsWordsDataSetLink*>(WordsLink());
    if (!link) throw ETessick(fulltext::msgWordsLinkNotAssigned);
    return link;
}

template <typename F>
void TtsBaseUpdate::runHook(bool writes, F&& body) {
    CheckAssigned(false, true, true);
    const TEngineStates before = States();
    SetState(before.With(TEngineState::esUpdate));
    TtsWordsDataSetLink* words = nullptr;
    bool started = false;
    {
        base::ScopeFail undo([&] {
            if (started) words->Rollback();
            // The cache may hold sets the rolled-back table does not: drop them all.
            if (Cache()) Cache()->Iterate(true, true, nullptr);
            SetState(before);
        });
        if (m_words.Count() == 0) {
            // The omit words of the index, so that they are never indexed.
            for (const QString& w : OmitList()) {
                if (w.isEmpty()) continue;
                QString folded = w;
                FoldProc(folded.data(), folded.size());
                if (!m_words.Lookup(folded)) m_words.AddAfterMiss(folded, kOmitted);
            }
        }
        words = wordsLink();
        if (writes) started = words->StartTransaction();
        body();
        if (started) words->Commit();
    }
    SetState(before);
}

void TtsBaseUpdate::clearMarkedWords() {
    m_words.VisitAll([](const QString&, fulltext::CxData& mark, bool& remove) { remove = mark != kOmitted; });
}

void TtsBaseUpdate::BeforeEdit() {
    runHook(false, [&] {
        m_mode = umBeforeEdit;
        clearMarkedWords();
        TtsTextDataSetLink* text = textLink();
        m_editedRecord = text->RecordIndex();
        text->ProcessRecord(this);
    });
}

void TtsBaseUpdate::BeforeInsert() { m_mode = umBeforeInsert; }

void TtsBaseUpdate::holdPending() {
    if (m_pendingHeld) return;
    wordsLink()->AddPendingChanges(1);
    m_pendingHeld = true;
}

void TtsBaseUpdate::BeforePost() {
    runHook(false, [&] {
        TtsTextDataSetLink* text = textLink();
        const int record = text->RecordIndex();
        const bool entering = m_mode == umBeforeInsert || (m_mode == umBeforeEdit && record != m_editedRecord);
        // Bit offsets count from the lowest record: one below it would shift them all.
        if (entering && text->MaxIndex() >= text->MinIndex() && record < text->MinIndex())
            throw ETessick(fulltext::msgDictionaryInvalidated);
        holdPending();
    });
}

void TtsBaseUpdate::BatchStarted() {
    m_inBatch = true;
    m_batchLost = false;
}

void TtsBaseUpdate::BatchEnded(bool committed) noexcept {
    m_inBatch = false;
    const bool release = committed && !m_batchLost;
    m_batchLost = false;
    if (!m_pendingHeld) return;
    if (!release) {
        // the count stays for the changes the records dropped or the word table missed
        m_pendingHeld = false;
        return;
    }
    AfterCancel();
}

bool TtsBaseUpdate::takePending() {
    if (m_inBatch) return false;
    return std::exchange(m_pendingHeld, false);
}

void TtsBaseUpdate::AfterCancel() {
    if (!m_pendingHeld || m_inBatch) return;
    m_pendingHeld = false;
    try {
        runHook(false, [&] { wordsLink()->AddPendingChanges(-1); });
    } catch (const std::exception& e) {
        // The count stays: the index reads as stale and is built again before a search.
        qCWarning(lcFulltext) << "Giving back a pending index change failed:" << e.what();
    }
}

void TtsBaseUpdate::BeforeDelete() {
    runHook(false, [&] {
        m_mode = umBeforeDelete;
        clearMarkedWords();
        TtsTextDataSetLink* text = textLink();
        m_deletedRecord = text->RecordIndex();
        text->ProcessRecord(this);
        holdPending();
    });
}

void TtsBaseUpdate::AfterDelete() {
    if (m_mode != umBeforeDelete) return;
    // Given back with the words below; when they fail, the count stays for the lost change.
    const bool held = takePending();
    const bool lostBefore = std::exchange(m_batchLost, m_inBatch);
    runHook(true, [&] {
        // As for a post: the stored sets may reach records another program added since the
        // range was read, so the sets grow to the table's range before they are read.
        TtsTextDataSetLink* text = textLink();
        const int knownMax = text->MaxIndex();
        text->ForgetRange();
        if (text->MaxIndex() > knownMax) growToRange(text);
        SetRecord(m_deletedRecord);
        std::vector<QString> gone;
        m_words.VisitAll([&](const QString& w, fulltext::CxData& mark, bool&) {
            if (mark == kHandled) gone.push_back(w);
        });
        for (const QString& w : gone) UpdateWord(w, false);
        clearMarkedWords();
        m_mode = umBeforeEdit;
        text->ExtendRange(m_deletedRecord, false);
        if (held) wordsLink()->AddPendingChanges(-1);
    });
    m_batchLost = lostBefore;
    DoAfterBatch();
}

// The set grows for the text link's current range, as on entering esUpdate.
void TtsBaseUpdate::growToRange(TtsTextDataSetLink* text) {
    const qint64 size = std::min<qint64>(qint64(text->RecordRange()) + 1, SegmentSize());
    Bits()->SetSize(int(size));
    SetBufferSize(Bits()->CompressedMax() + 16);
    if (Cache()) {
        FlushCache();
        Cache()->StateEntered(this, TEngineState::esUpdate);
    }
}

void TtsBaseUpdate::AfterPost() {
    // Given back with the words below; when they fail, the count stays for the lost change.
    const bool held = takePending();
    const bool lostBefore = std::exchange(m_batchLost, m_inBatch);
    runHook(true, [&] {
        TtsTextDataSetLink* text = textLink();
        const int record = text->RecordIndex();
        // Another program may have added records since the range was read: their numbers are
        // in the stored sets this change reads, so the sets grow to the table's range first.
        const int knownMax = text->MaxIndex();
        text->ForgetRange();
        if (text->MaxIndex() > knownMax) growToRange(text);
        if (m_mode == umBeforeEdit && record != m_editedRecord) {
            // The edit changed the record's number: the old number leaves every set of its
            // words and the new one joins as if inserted.
            SetRecord(m_editedRecord);
            std::vector<QString> gone;
            m_words.VisitAll([&](const QString& w, fulltext::CxData& mark, bool&) {
                if (mark == kOldWord) gone.push_back(w);
            });
            for (const QString& w : gone) UpdateWord(w, false);
            text->ExtendRange(m_editedRecord, false);
            m_mode = umBeforeInsert;
        }
        if (m_mode != umBeforeEdit) {
            const int oldMax = text->MaxIndex();
            text->ExtendRange(record, true);
            if (record > oldMax) growToRange(text);
            m_mode = umBeforeInsert;
            clearMarkedWords();
        } else {
            m_mode = umAfterEdit;
        }
        text->ProcessRecord(this);
        if (m_mode == umAfterEdit) {
            std::vector<QString> gone;
            m_words.VisitAll([&](const QString& w, fulltext::CxData& mark, bool& remove) {
                if (mark == kOldWord) {
                    gone.push_back(w);
                    remove = true;
                }
            });
            for (const QString& w : gone) UpdateWord(w, false);
        }
        m_mode = umBeforeEdit;
        clearMarkedWords();
        if (held) wordsLink()->AddPendingChanges(-1);
    });
    m_batchLost = lostBefore;
    DoAfterBatch();
}

void TtsBaseUpdate::ProcessWord(QStringView word) {
    TwbDictNode* node = m_words.Lookup(word);
    switch (m_mode) {
    case umBeforeEdit:
        if (!node) m_words.AddAfterMiss(word.toString(), kOldWord);
        break;
    case umBeforeDelete:
        // gathered now, removed once the delete went through
        if (!node) m_words.AddAfterMiss(word.toString(), kHandled);
        break;
    case umAfterEdit:
        if (node) {
            if (node->Data != kOmitted) node->Data = kHandled;
        } else {
            const QString w = word.toString();
            m_words.AddAfterMiss(w, kHandled);
            UpdateWord(w, true);
        }
        break;
    case umBeforeInsert:
        if (!node) {
            const QString w = word.toString();
            m_words.AddAfterMiss(w, kHandled);
            UpdateWord(w, true);
        }
        break;
    default:
        break;
    }
}

void TtsBaseUpdate::Refresh() {
    Reset();
    m_words.Clear();
    SetState(States().With(TEngineState::esUpdate));
    SetState(States().Without(TEngineState::esUpdate));
}

// ---- TtsCustomUpdate ----

void TtsCustomUpdate::SetSegment(int n) {
    if (n != CurrentSegment() && Cache() && WordsLink() && Cache()->EntryCount() > 0) FlushCache();
    TtsBaseUpdate::SetSegment(n);
}

void TtsCustomUpdate::SetDelayedWrites(bool on) {
    if (m_delayedWrites == on) return;
    m_delayedWrites = on;
    if (on || !Cache() || !WordsLink()) return;
    runHook(true, [&] { WriteBackCache(); });
}

void TtsCustomUpdate::UpdateWord(const QString& word, bool add) {
    TtsWordsDataSetLink* link = wordsLink();
    TtsBaseCache* cache = Cache();
    TtsBaseBits* bits = Bits();
    const int needed = bits->CompressedMax() + 16;
    if (BufferSize() < needed) SetBufferSize(needed);

    fulltext::Block old = nullptr;
    fulltext::Block block = nullptr;
    bool inCache = false;
    if (cache) {
        cache->CheckMemory(this);
        inCache = cache->Lookup(word, old, false, INT_MAX, block);
        if (inCache && !block) return;  // an omitted word
    }
    if (!inCache && !(cache && m_delayedWrites)) {
        writeThrough(word, add);
        return;
    }
    if (!inCache) cache->Lookup(word, old, true, INT_MAX, block);  // a new entry keeps the set

    const int segment = CurrentSegment();
    fulltext::Block source = old ? old : block;
    bool located = false;
    {
        base::ScopeFail undo([&] {
            if (block) cache->RemoveWord(word);
        });
        if (!inCache) {
            located = link->Locate(word, segment);
            if (located) {
                const int length = link->ReadSet(Buffer() + 4, BufferSize() - 4);
                Q_UNUSED(length);
                fulltext::WriteInt32(Buffer(), 0);
                source = Buffer();
            } else if (!add) {
                throw ETessick(fulltext::msgDictionaryInvalidated);
            }
        }
        const int count = bits->UpdateBit(source, block, add, BitOffset());
        if (old && old != block) {
            cache->FreeBlock(old);
            old = nullptr;
        }
        if (count == 0) {
            cache->RemoveWord(word);
            block = nullptr;
            if (located || link->Locate(word, segment)) link->Delete();
            return;
        }
        if (m_delayedWrites) {
            fulltext::MarkDirty(block);
            return;
        }
        const int size = bits->Compress(block, Buffer());
        if (located || link->Locate(word, segment)) {
            link->Edit();
        } else {
            link->Append();
            link->SetLikeKey(SoundsLikeProc(word));
            link->SetSegment(segment);
            link->SetWord(word);
        }
        link->SetCount(count);
        link->WriteSet(Buffer() + 4, size - 4);
        link->Post();
        // Written through: the word table is the only truth between changes (another
        // updater may change the row next), so the set is not kept.
        cache->RemoveWord(word);
        block = nullptr;
    }
}

void TtsCustomUpdate::writeThrough(const QString& word, bool add) {
    TtsWordsDataSetLink* link = wordsLink();
    TtsBaseBits* bits = Bits();
    const int segment = CurrentSegment();
    int length = 0;
    const qint64 row = link->ReadWordRow(word, segment, Buffer() + 4, BufferSize() - 4, length);
    if (!row && !add) throw ETessick(fulltext::msgDictionaryInvalidated);
    fulltext::Block source = nullptr;
    if (row) {
        fulltext::WriteInt32(Buffer(), 0);  // the stamp in front of the stored form
        source = Buffer();
    }
    const int rawSize = bits->RawSize();
    if (int(m_raw.size()) != rawSize) m_raw.assign(std::size_t(rawSize), 0);
    fulltext::WriteInt32(m_raw.data() + 4, 0);
    fulltext::WriteInt32(m_raw.data() + 8, rawSize);
    const int count = bits->UpdateBit(source, m_raw.data(), add, BitOffset());
    if (count == 0) {
        if (row) link->DeleteWordRow(row);
        return;
    }
    const int size = bits->Compress(m_raw.data(), Buffer());
    if (row) link->WriteWordRow(row, count, Buffer() + 4, size - 4);
    else link->InsertWordRow(word, segment, SoundsLikeProc(word), count, Buffer() + 4, size - 4);
}
