#pragma once

// The paper tables that fill in what a printer driver leaves out: the name and the size of
// each paper-size code of the Windows page-size table (DMPAPER numbers, 1 to 68, 118 and
// 256 "Custom"). Sizes are tenths of a millimetre; the rows measured in inches are
// converted as every inch length of a report is (through screen pixels).

#include <QSize>
#include <QString>

namespace report {

/// The table's name of a paper code; "Unknown" for a code without a row (48, 49, 69 ...).
QString PaperTableName(int code);
/// The table's size of a paper code in tenths of a millimetre; 0 by 0 without a row, and
/// for 118 and 256.
QSize PaperTableSizeTenthsMm(int code);

}  // namespace report
