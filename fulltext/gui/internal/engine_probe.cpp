#include "fulltext/gui/internal/engine_probe.h"

#include "fulltext/ts_cache.h"
#include "fulltext/ts_engine.h"

namespace fulltext::probe {

namespace {

const TtsCustomCache* customCache(const TtsEngine* engine) {
    return engine ? dynamic_cast<const TtsCustomCache*>(engine->Cache()) : nullptr;
}

}  // namespace

MakerFigures MakerFiguresOf(const TtsEngine* engine) {
    (void)engine;
    return {};
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
    (void)engine;
    return 0;
}

int RowsEdited(const TtsEngine* engine) {
    (void)engine;
    return 0;
}

void SetAfterProcess(TtsTextLink* link, std::function<void()> tick) {
    (void)link;
    (void)tick;
}

void SetAfterPost(TtsWordsLink* link, std::function<void()> tick) {
    (void)link;
    (void)tick;
}

}  // namespace fulltext::probe
