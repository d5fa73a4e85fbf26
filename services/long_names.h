#pragma once

#include <QString>

namespace services {

// Long and short names: file names here have one form only, so the long and the short name
// of a path are the path itself (made absolute and clean).

/// The last element of `path` ("/" for the root).
QString LongNameOf(const QString& path);
/// The absolute, clean form of `path`.
QString LongPathName(const QString& path);
/// The absolute, clean form of `path` (there is no separate short form).
QString ShortPathName(const QString& path);

}  // namespace services
