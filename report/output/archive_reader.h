#pragma once

#include "platform/base/result.h"

#include <QByteArray>

#include <memory>
#include <vector>

class TppPage;

namespace report {

/// Error codes of ReadArchive.
enum ArchiveError {
    kArchiveTooShort = 1,  ///< shorter than its header or index says
    kArchiveBadIndex = 2,  ///< the data offset or a page offset points outside the file
    kArchiveBadPage = 3,   ///< a page stream cannot be read
};

/// One page of an archive: its number from the index and the page read back.
struct ArchivePage {
    int pageNo = 0;
    std::unique_ptr<TppPage> page;
};

/// Reads an archive written by the archive device (the layout is documented with
/// TppArchiveDevice). The bytes are untrusted: a damaged archive answers an error that
/// says what is wrong, never a crash. Draw-command and page classes must be registered for
/// streaming (report::RegisterDrawCommands and the page class).
base::Result<std::vector<ArchivePage>> ReadArchive(const QByteArray& aBytes);

}  // namespace report
