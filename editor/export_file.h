#pragma once

#include "editor/settings_row.h"
#include "platform/base/result.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace editor {

/// The export file of the settings-table editor, text with lines ended by CR LF, written as
/// UTF-8; a file that is not valid UTF-8 (the earlier Windows program wrote ANSI) is read as
/// Windows-1252:
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
/// refuses such rows rather than write a file that does not read back the same. Keys hold
/// at most 50 characters and Values 200, as the table does: the reader refuses a file with
/// a longer field rather than cut it (two long keys could become one row).

/// "1 row", "2 rows": how the editor reports a count of rows.
QString CountOfRows(qsizetype count);

/// Text without leading and trailing blanks; only the character 32 counts as a blank.
QString TrimBlanks(const QString& text);

/// Error codes of the two routines below.
enum ExportFileError {
    kBadDelimiter = 1,   ///< the delimiter is not one character, or is a line break
    kUnexportableRow,    ///< a key holds the delimiter or a field holds a line break
    kBadFormat,          ///< no data line, or a data line with fewer than five fields
    kFieldTooLong,       ///< a key longer than 50 characters or a Value longer than 200
};

/// What a whole export file holds.
struct ExportFileContent {
    std::vector<SettingsRow> rows;
    /// The encoding the file was read in: "UTF-8", or "Windows-1252" for a file that is not
    /// valid UTF-8.
    QString encoding;
};

/// The whole file for `rows`, in the given order; fails without producing anything when a
/// row cannot be written so that it reads back the same.
base::Result<QByteArray> FormatExportFile(const QString& delimiter, const std::vector<SettingsRow>& rows);

/// Reads a whole export file. Fails, with the 1-based line of the fault named in the text
/// and given as the error's line, when the file has no line after the delimiter line, a
/// data line does not split into five fields, or a field is longer than the table holds;
/// nothing is answered then, so a caller can leave its table untouched.
base::Result<ExportFileContent> ParseExportFile(const QByteArray& content);

}  // namespace editor
