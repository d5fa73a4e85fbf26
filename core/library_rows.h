#pragma once

#include <QString>

namespace db {
class Table;
}

namespace core {

/// Posts a row of a shared library table (MaskLib.db, MacroLib.db, IconLib.DB). A row in
/// insert state takes its key inside the write transaction of the post: the highest value
/// of the integer key `field` in the file + 1 (1 in an empty table), so that two programs
/// adding to one library never hand out the same ID. A row in edit state is posted as it
/// is. Answers the row's key. Raises the table layer's error; the row is then cancelled and
/// nothing is written.
int PostLibraryRow(db::Table& table, const QString& field = QStringLiteral("ID"));

}  // namespace core
