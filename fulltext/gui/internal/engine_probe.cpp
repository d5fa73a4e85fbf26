#include "fulltext/gui/internal/engine_probe.h"

#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"
#include "fulltext/ts_engine.h"

namespace fulltext::probe {

namespace {

const TtsCustomCache* customCache(const TtsEngine* engine) {
    return engine ? dynamic_cast<const TtsCustomCache*>(engine->Cache()) : nullptr;
}

const TtsWordsDataSetLink* datasetWordsLink(const TtsEngine* engine) {
    return engine ? dynamic_cast<const TtsWordsDataSetLink*>(engine->WordsLink()) : nullptr;
}

}  // namespace

MakerFigures MakerFiguresOf(const TtsEngine* engine) {
    const auto* maker = dynamic_cast<const TtsCustomMake*>(engine);
    if (!maker) return {};
    MakerFigures figures;
    figures.isMaker = true;
    figures.counterLimit = maker->CounterLimit();
    figures.firstSegment = maker->FirstSegment();
    figures.lastSegment = maker->LastSegment();
    figures.processed = maker->Counter();
    return figures;
}

int CacheEntries(const TtsEngine* engine) { return engine && engine->Cache() ? engine->Cache()->EntryCount() : 0; }

qint64 CacheBytesInUse(const TtsEngine* engine) {
    const TtsCustomCache* cache = customCache(engine);
    return cache ? cache->Statistics().bytesInUse : 0;
}

qint64 CachePeakBytes(const TtsEngine* engine) {
    const TtsCustomCache* cache = customCache(engine);
    return cache ? cache->PeakBytes() : 0;
}

int RowsInserted(const TtsEngine* engine) {
    const TtsWordsDataSetLink* link = datasetWordsLink(engine);
    return link ? link->RowsInserted() : 0;
}

int RowsEdited(const TtsEngine* engine) {
    const TtsWordsDataSetLink* link = datasetWordsLink(engine);
    return link ? link->RowsEdited() : 0;
}

void SetAfterProcess(TtsTextLink* link, std::function<void()> tick) {
    auto* datasetLink = dynamic_cast<TtsTextDataSetLink*>(link);
    if (!datasetLink) return;
    if (tick) {
        datasetLink->AfterProcess = [tick = std::move(tick)](QObject*) { tick(); };
    } else {
        datasetLink->AfterProcess = nullptr;
    }
}

void SetAfterPost(TtsWordsLink* link, std::function<void()> tick) {
    auto* datasetLink = dynamic_cast<TtsWordsDataSetLink*>(link);
    if (!datasetLink) return;
    if (tick) {
        datasetLink->AfterPost = [tick = std::move(tick)](QObject*) { tick(); };
    } else {
        datasetLink->AfterPost = nullptr;
    }
}

}  // namespace fulltext::probe
