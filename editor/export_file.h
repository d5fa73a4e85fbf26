#pragma once

#include "editor/settings_row.h"
#include "platform/base/result.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace editor {

/// The export file of the settings-table editor, UTF-8 text with lines ended by CR LF:
///
/// | line     | content                                                                   |
/// |----------|---------------------------------------------------------------------------|
/// | 1        | the delimiter, one character ("~" proposed); a reader takes the first      |
/// |          | character and ignores the rest of the line                                |
/// | 2 and on | Section, Key1, Key2, Variable and Value of one row joined by the delimiter, |
/// |          | no quoting; the Value is everything after the fourth delimiter, so it may  |
/// |          | be empty and may itself contain the delimiter                             |
///
/// Blank lines (only blanks) are skipped on reading; the last line may end without a line
/// break. A key cannot hold the delimiter and no field can hold a line break: the writer
/// refuses such rows rather than write a file that does not read back the same.

/// Text without leading and trailing blanks; only the character 32 counts as a blank.
QString TrimBlanks(const QString& text);

/// Error codes of the two routines below.
enum ExportFileError {
    kBadDelimiter = 1,   ///< the delimiter is not one character, or is a line break
    kUnexportableRow,    ///< a key holds the delimiter or a field holds a line break
    kBadFormat,          ///< no data line, or a data line with fewer than five fields
};

/// The whole file for `rows`, in the given order; fails without producing anything when a
/// row cannot be written so that it reads back the same.
base::Result<QByteArray> FormatExportFile(const QString& delimiter, const std::vector<SettingsRow>& rows);

/// Reads a whole export file. Fails, with the 1-based line of the fault, when the file has
/// no line after the delimiter line or a data line does not split into five fields; nothing
/// is answered then, so a caller can leave its table untouched.
base::Result<std::vector<SettingsRow>> ParseExportFile(const QByteArray& content);

}  // namespace editor
