#pragma once

#include <QObject>
#include <QString>

class TViewControl;

namespace db {
class Table;
}

/// The structure library: changes one column of a View table while the table is held
/// exclusively. Its two table components are not used by the operations.
///
/// Frame of every operation: the table is closed and opened exclusively (another program
/// holding it: "Unable to get exclusive access to the database. ..." help 10086, nothing
/// changes), its columns are read, it is closed and the column change runs as one
/// transaction of the table file (packed afterwards); a failure of the change shows
/// "BDE error during table restructure, code is <code>: <text>." (help 10088) and leaves the
/// table as it was. In every case after the first step the table is open again, shared.
class TStructureLib : public QObject {
    Q_OBJECT
public:
    explicit TStructureLib(QObject* parent = nullptr);

    db::Table* STable;
    db::Table* DTable;
};

namespace core {

/// Adds a column of the type of `typeLetter` (S gets `length` characters). True on success.
bool AddTableField(TStructureLib& library, db::Table& table, const QString& name, const QString& typeLetter, int length);
/// Renames and/or retypes the column `oldName`; only what differs is changed, and nothing
/// at all (answer true) when name, type letter and length are the same.
bool ChangeTableField(TStructureLib& library, db::Table& table, const QString& oldName, const QString& newName,
                      const QString& newTypeLetter, int newLength, const QString& oldTypeLetter, int oldLength);
/// Drops the column `name`.
bool DropTableField(TStructureLib& library, db::Table& table, const QString& name);

/// Applies field `field` of View `view`'s pending table change (IsNew, IsChanged,
/// MarkedForDelete) to the View table and clears the flags. Answers false when the field
/// must not be written to the settings: it was dropped, or its column could not be created.
/// A change or drop that fails keeps the column as it was and the field with the values
/// that describe it (its original name, type and length), and answers true.
bool ApplyFieldRestructure(TViewControl& views, int view, int field);

/// The program's structure library (made on first use).
TStructureLib& StructureLib();

}  // namespace core
