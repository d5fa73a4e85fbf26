#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace db {
class Table;
}

namespace core {

/// For each field of `source` whose field of the same position in `target` can be changed:
/// clears the target field of that name when the source field is null, else assigns the
/// source field to it. `target` must be in edit or insert state.
void CopyRecordFields(const db::Table& source, db::Table& target);
/// Clears `list` and adds the names of the table's text, memo and formatted-memo fields in
/// field order (the fields a View's full-text index covers).
void GetTextFieldNames(const db::Table& table, QStringList& list);

/// Checks a template name and folder against the template library table (TemplateLib.db:
/// ID, Name, Path, ...). Walks the table from its first row, skipping the current row when
/// `skipCurrent`; a row with the same name (ignoring case) answers 'N' after the error
/// "There is already a template named ..." (help context 10093), a row with the same folder
/// answers 'P' after "A template named ... is already in folder ..." (10094); otherwise
/// '*'. The table's position is restored in every case.
QChar CheckTemplateUnique(db::Table& templateLib, const QString& name, const QString& folder, bool skipCurrent);

/// The five quick-search logic words for AND, OR, NOT, LIKE and NEAR: the stored row
/// Preferences/QuickSearch/SearchOption/"DefaultLogicTokens" split at ";", completed with
/// "and", "or", "not", "like", "near" for every missing place. Appended to `list`.
void GetLogicTokens(QStringList& list);

/// The current date and time for the date macros 1 to 6 ("ddddd", "dddddd", "mmmm",
/// "hh:mm:ss ampm", "hh:mm:ss", "ddddd tt"); the empty text for any other type.
QString GetMacroDateText(int type);

}  // namespace core
