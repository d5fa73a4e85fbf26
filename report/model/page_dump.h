#pragma once

#include <QString>

class TppPage;

namespace report {

/// The canonical text of a page, the fixture format of the engine's tests and the output of
/// the page-dump tool: a line "Page <absolute no> of <count>" (count "?" while unknown),
/// followed by ", numbered <no> of <count>" when page numbers restart within a group,
/// then one line per draw command in drawing order, positions in mm-thousandths:
///
///     Text 6350 6350 50800 4233 "Customers" Arial 10 B
///     Shape 6350 12000 25400 5000 stRectangle pen 0/1 brush 16777215
///     Line 6350 20000 190500 265 lpBottom lsSingle 0.75
///     Image 6350 25000 25400 25400 32x32
QString DumpPage(const TppPage& aPage, bool aCountKnown = true);

}  // namespace report
