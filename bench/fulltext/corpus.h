#pragma once

#include <QStringList>

namespace fulltext::bench {

/// A real-text corpus of at least `minBytes` bytes of UTF-8, built at first use from the
/// fortune files and the installed manual pages (repeated when they give less), cut into
/// records of about 2,000 characters at line ends. Nothing of it is kept on disk.
const QStringList& Corpus(qint64 minBytes = 50 * 1024 * 1024);

/// Total number of characters of the corpus.
qint64 CorpusChars();

}  // namespace fulltext::bench
