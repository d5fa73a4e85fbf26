#include "fulltext/table/ts_make.h"

#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"
#include "fulltext/errors.h"

#include "platform/base/scope_exit.h"
#include "platform/db/table.h"
#include "platform/stream/value_writer.h"

#include <QCoreApplication>

TtsCustomMake::TtsCustomMake(QObject* owner) : TtsEngine(owner) {
    const TEngineStates mask{TEngineState::esMake, TEngineState::esCollect, TEngineState::esWrite,
                             TEngineState::esUpdate, TEngineState::esSearch};
    m_ownMask = mask;
    m_notifyMask = mask;
}

TtsCustomMake::~TtsCustomMake() {
    if (m_ownCache && Cache() == m_ownCache.get()) SetCache(nullptr);
}

void TtsCustomMake::checkCache() {
    if (Cache()) return;
    if (ParamBool(QStringLiteral("CacheRequired"), true)) throw ETessick(fulltext::msgCacheNotAssigned);
    // Without a cache of the caller's the sets are collected in one of the maker's own.
    if (!m_ownCache) m_ownCache = std::make_unique<TtsCache>();
    SetCache(m_ownCache.get());
}

void TtsCustomMake::SetFirstSegment(int n) {
    if (n >= 0 && n <= m_lastSegment) m_firstSegment = n;
}

void TtsCustomMake::SetLastSegment(int n) {
    if (n >= m_firstSegment && n <= 32767) m_lastSegment = n;
}

void TtsCustomMake::SetOmitList(const QStringList& words) {
    if (words.size() > kMaxOmitWords) throw ETessick(fulltext::msgTooManyOmitWords);
    TtsEngine::SetOmitList(words);
}

TtsTextDataSetLink* TtsCustomMake::textLink() const {
    auto* link = qobject_cast<TtsTextDataSetLink*>(TextLink());
    if (!link) throw ETessick(fulltext::msgTextLinkNotAssigned);
    return link;
}

TtsWordsDataSetLink* TtsCustomMake::wordsLink() const {
    auto* link = qobject_cast<TtsWordsDataSetLink*>(WordsLink());
    if (!link) throw ETessick(fulltext::msgWordsLinkNotAssigned);
    return link;
}

void TtsCustomMake::StateEntered(TtsBase* sender, TEngineState state) {
    if (state == TEngineState::esMake) {
        checkCache();
        CheckAssigned(true, true, true);
        wordsLink()->SetSegmented(SegmentSize() != kUnsegmented);
        m_counter = 0;
    }
    TtsEngine::StateEntered(sender, state);
    if (state == TEngineState::esCollect) LoadOmitList();
}

void TtsCustomMake::StateLeft(TtsBase* sender, TEngineState state) {
    TtsEngine::StateLeft(sender, state);
    if (state == TEngineState::esMake) SetBufferSize(0);
}

void TtsCustomMake::SetSegment(int n) {
    if (n != CurrentSegment() && States().Contains(TEngineState::esCollect) && Cache() && Cache()->EntryCount() > 0)
        WriteCache(false);
    TtsEngine::SetSegment(n);
}

void TtsCustomMake::ProcessWord(QStringView word) {
    // Omitted words and words already counted for this record are left alone.
    Cache()->CollectMember(word, m_recordStart, BitOffset(), this);
}

void TtsCustomMake::WriteCache(bool final) {
    TtsBaseCache* cache = Cache();
    TtsWordsDataSetLink* link = wordsLink();
    SetState(States().Without(TEngineState::esCollect).With(TEngineState::esWrite));
    cache->Iterate(false, false, [&](const QString& word, fulltext::Block& block, bool& remove) {
        // Each set as a new row, as InsertWord writes it, through the link's statements made
        // once rather than its cursor.
        if (block && !States().Contains(TEngineState::esHalt)) {
            int length = 0;
            const std::uint8_t* stored = StoredForm(block, length);
            link->InsertWordRow(word, CurrentSegment(), SoundsLikeProc(word), fulltext::BlockMembers(block), stored, length);
        }
        if (block) {
            cache->FreeBlock(block);
            block = nullptr;
        }
        remove = true;
    });
    SetState(States().Without(TEngineState::esWrite));
    if (!final) SetState(States().With(TEngineState::esCollect));
}

void TtsCustomMake::writeProperties() {
    // The omit list is stored folded; the segment size only for a segmented index.
    const QStringList omit = OmitList();
    QStringList folded;
    for (QString w : omit) {
        FoldProc(w.data(), w.size());
        folded << w;
    }
    const int segmentSize = SegmentSize();
    TtsEngine::SetOmitList(folded);
    if (segmentSize == kUnsegmented) TtsEngine::SetSegmentSize(0);
    stream::ValueWriter writer;
    {
        base::ScopeExit always([&] {
            TtsEngine::SetOmitList(omit);
            TtsEngine::SetSegmentSize(segmentSize);
        });
        WriteIndexProperties(writer);
    }
    wordsLink()->WritePropertiesStream(writer.Data());
}

void TtsCustomMake::Execute() {
    checkCache();
    CheckAssigned(true, true, true);
    TtsTextDataSetLink* text = textLink();
    db::Table* table = text->Table();
    if (!table) throw ETessick(fulltext::msgInvalidTextDataSet);
    Reset();
    // The records are read in key order, so that segments follow one another.
    const QString oldIndexName = table->IndexName();
    const QString oldIndexFields = table->IndexFieldNames();
    auto restoreOrder = [&] {
        if (!table->Active()) return;
        if (oldIndexFields.isEmpty()) table->SetIndexName(oldIndexName);
        else table->SetIndexFieldNames(oldIndexFields);
    };
    {
        base::ScopeFail undo([&] {
            // The words link leaves the old word table in place when the build ends halted.
            try {
                restoreOrder();
                SetState(States().With(TEngineState::esHalt));
                SetState(TEngineStates{});
            } catch (const std::exception& e) {
                qCWarning(lcFulltext) << "Abandoning the index build failed:" << e.what();
            }
            if (Cache()) Cache()->Iterate(true, true, nullptr);
        });
        SetState(TEngineStates{TEngineState::esMake});
        if (text->IndexFieldName().isEmpty()) throw ETessick(fulltext::msgMissingIndexFieldName);
        SetState(States().With(TEngineState::esCollect));
        table->SetIndexFieldNames(text->IndexFieldName());
        const bool segmented = SegmentSize() != kUnsegmented;
        if (segmented && m_firstSegment > 0)
            text->GotoRecord(int(std::min<qint64>(qint64(text->MinIndex()) + qint64(m_firstSegment) * SegmentSize(), INT_MAX)));
        else
            text->First();
        if (!text->AtEnd()) SetRecord(text->RecordIndex());
        TtsBaseCache* cache = Cache();
        while (!text->AtEnd() && !States().Contains(TEngineState::esHalt) &&
               !(m_counterLimit > 0 && m_counter >= m_counterLimit) && CurrentSegment() <= m_lastSegment) {
            ++m_counter;
            m_recordStart = cache->AccessCounter();
            text->ProcessRecord(this);
            text->Next();
            if (CurrentSegment() == m_lastSegment && !text->AtEnd()) SetRecord(text->RecordIndex());
            if ((m_counter & 63) == 0 && QCoreApplication::instance()) QCoreApplication::processEvents();
        }
        // What was collected before a halt is written all the same.
        if (States().Contains(TEngineState::esHalt)) SetState(States().Without(TEngineState::esHalt));
        if (cache->EntryCount() > 0) WriteCache(true);
        else SetState(States().Without(TEngineState::esCollect));
        writeProperties();
        restoreOrder();
    }
    SetState(TEngineStates{});
}
