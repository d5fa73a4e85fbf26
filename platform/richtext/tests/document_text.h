#pragma once

#include <QString>

class QTextDocument;

namespace richtext::test {

/// The canonical text form of a document's structure, compared whole by the tests.
/// One "P" line per paragraph with the attributes that differ from the defaults (alignment,
/// margins in twips, tab stops, list style with its start and the text around the number
/// as "number=(#)" where they are not the defaults), then one line per run: the text in
/// quotes (tab as \t, line break as \n), family and size in points (the document's default
/// font where the run sets none) and b/i/u/s/fg/bg/sup/sub/raise/caps/scaps. An empty
/// paragraph shows its size instead of runs.
QString DescribeDocument(const QTextDocument& doc);

}  // namespace richtext::test
