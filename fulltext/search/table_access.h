#pragma once

#include "fulltext/search/search_access.h"

#include <memory>

class TtsWordsLink;
class TtsTextLink;

namespace fulltext {

/// Key scans over the word table of a TtsWordsDataSetLink; null for any other words link.
std::unique_ptr<WordKeyAccess> MakeWordKeyAccess(TtsWordsLink* link);

/// Record access over the record table of a TtsTextDataSetLink; null for any other text link.
std::unique_ptr<RecordAccess> MakeRecordAccess(TtsTextLink* link);

}  // namespace fulltext
