#pragma once

#include <QStringList>

namespace fulltext::bench {

/// `count` records of real text of about `recordChars` characters each (cut at line ends),
/// from the fortune files and the installed manual pages, repeated when they give less.
/// Built at first use; nothing of it is kept on disk.
const QStringList& Records(int count, int recordChars);

}  // namespace fulltext::bench
