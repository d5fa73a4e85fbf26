#pragma once

#include <QString>

namespace db {
class Table;
}

namespace services {

/// Checking and repairing one closed table given by its component (DatabaseName and
/// TableName set). Paths have no length limit.

/// Packs the table in place (deleted rows give their space back). An engine failure shows
/// "Error while trying to pack table." with the engine's code and text; nothing is raised
/// for it and the caller goes on.
void PackTable(db::Table& table);

/// Opens the table under each of its indexes in turn, then checks that every index exists
/// in the file and agrees with the rows. True when all do. An engine failure ends the check:
/// `errorText` becomes "Error code is [<code>: <message>]." and `indexText` names the index
/// being tried ("<name> [<fields>]"). The table is left closed with no index fields set.
bool CheckTableIndexes(db::Table& table, QString& errorText, QString& indexText);

/// The same check of a table that `VerifyTable` has just found sound: the verify already
/// compared every index with the rows and with its definition, so only the opens are made.
bool CheckTableIndexes(db::Table& table, QString& errorText, QString& indexText, bool verified);

/// Verifies the table file. True when it is sound. A header damaged: false with "Severe
/// corruption detected: Table structure (header) is damaged."; rows or indexes damaged:
/// false with what the verify found (never an empty text); a file that cannot be verified
/// (missing, held exclusively elsewhere): false with "Error verifying file [<code>]."
bool VerifyTable(db::Table& table, QString& errorText);

/// The verify's level of a table file: 0 sound, 1-2 damaged, 3 header damaged.
int VerifyTableLevel(db::Table& table);

}  // namespace services
