#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace fulltext::testing {

/// Visits every text of the real-text corpus once, in a fixed order: the fortune files, the
/// English manual pages, then the translated ones (each group sorted by path). A text whose
/// bytes equal an earlier one's (a link or second name of the same page, a fortune file's
/// UTF-8 twin) is skipped. Stops when `visit` answers false. Nothing is kept in memory.
void ForEachCorpusText(const std::function<bool(const QString& text)>& visit);

/// Up to `count` records of real text of about `recordChars` characters each (cut at the
/// first line end after that many), each corpus text read once; fewer records when the
/// corpus runs out (never repeated). Built at first use for each (count, recordChars) pair.
const QStringList& CorpusRecords(int count, int recordChars);

/// The corpus cut into records of about 2,000 characters, up to `maxBytes` bytes of UTF-8
/// (each text once). Built at first use.
const QStringList& Corpus(qint64 maxBytes = 50 * 1024 * 1024);

/// Total number of characters of Corpus().
qint64 CorpusChars();

/// The words of `text` split at the engine's default delimiters (unfolded, uncut).
QStringList SplitWords(const QString& text);

}  // namespace fulltext::testing
