#pragma once

#include <QtGlobal>

#include <functional>

class TtsEngine;
class TtsTextLink;
class TtsWordsLink;

namespace fulltext::probe {

// What the progress window reads of an engine and its links, in one place, so that the
// window depends on the shapes of the index maker and the dataset links only here.

/// The build figures of an index maker; isMaker false (and the rest 0) for other engines.
struct MakerFigures {
    bool isMaker = false;
    int counterLimit = 0;   ///< 0 = no limit
    int firstSegment = 0;
    int lastSegment = 32767;
    int processed = 0;      ///< records processed so far in this build
};
MakerFigures MakerFiguresOf(const TtsEngine* engine);

/// Entries of the engine's cache (0 without one).
int CacheEntries(const TtsEngine* engine);
/// Bytes in use and the peak so far of the engine's cache (0 without one).
qint64 CacheBytesInUse(const TtsEngine* engine);
qint64 CachePeakBytes(const TtsEngine* engine);
/// Rows inserted and edited by the engine's words link in this run.
int RowsInserted(const TtsEngine* engine);
int RowsEdited(const TtsEngine* engine);

/// Points the text link's AfterProcess at `tick`; an empty `tick` clears it. Nothing for a
/// link that has no such event.
void SetAfterProcess(TtsTextLink* link, std::function<void()> tick);
/// Points the words link's AfterPost at `tick`; an empty `tick` clears it.
void SetAfterPost(TtsWordsLink* link, std::function<void()> tick);

}  // namespace fulltext::probe
