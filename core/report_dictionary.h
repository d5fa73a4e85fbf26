#pragma once

#include <QChar>
#include <QString>

class TMainDataMod;
class TViewControl;

namespace core {

/// The report data type name a View field of type letter `type` is described with in
/// tsField.db: S dtString, N dtLongInt, F dtDouble, D dtDate, B dtBoolean, R dtInteger.
QString ReportDataType(QChar type);

/// Writes the report dictionary of the open database: empties tsTable.db and tsField.db and
/// describes Hierarchy.db and the table of every View (one tsTable.db row per table, one
/// tsField.db row per field, each field typed by its real type). Answers false, after the
/// message "Unable to open the report dictionary.", when the tables cannot be emptied or
/// opened; a failure while writing closes both tables and passes on. With showDoneMessage
/// the user is told when it is done.
bool RebuildReportDictionary(TMainDataMod& data, const TViewControl& views, bool showDoneMessage);

/// Writes the same report dictionary into the tables of a database folder that no program
/// has open (the data generator's new databases), in one batch per table. Raises the table
/// layer's error.
void WriteReportDictionary(const QString& folder, const TViewControl& views);

}  // namespace core
