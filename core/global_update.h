#pragma once

#include <QChar>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class TtsTable;

namespace db {
class Database;
class Field;
}

namespace core {

/// The conditions the global update offers, in the order of its condition list.
enum class UpdateCondition { Always, Equal, Less, Greater, LessOrEqual, GreaterOrEqual, Contains };

/// The condition list's items for a field type letter (B: "Always" and "value is equal
/// to"; S: all seven; N, D, F: all but "value contains").
QStringList UpdateConditionTexts(QChar type);

/// One field's value in the form the global update compares it: by the field's type, so
/// numbers compare as numbers and dates as dates (never as padded texts).
///   S: the text with a to z made upper case; N and F: the number; D: the day number
///   (an empty date is the zero date 30 December 1899, day 0); B: the Boolean.
using UpdateValue = QVariant;

/// The record value of a column as compared (an empty column is its type's zero value).
UpdateValue RecordUpdateValue(const db::Field& column, QChar type);
/// The comparison box's text as compared: S upper-cased; N the trimmed text as an integer;
/// F the trimmed text (with a mask, its number part first) as a number; D the text as a
/// date (blank or not converting: the zero date). nullopt when an N or F text does not
/// convert: such a comparison is never met.
std::optional<UpdateValue> ComparisonUpdateValue(const QString& text, bool checked, QChar type, const QString& mask);
/// Whether a record value meets the condition against the comparison value.
bool MeetsUpdateCondition(const UpdateValue& record, UpdateCondition condition,
                          const std::optional<UpdateValue>& comparison, QChar type);

/// What one global update does: set `column` (type `type`) to the new value in every
/// record of the table that meets the condition.
struct GlobalUpdateRequest {
    QString column;
    QChar type = u'S';
    UpdateCondition condition = UpdateCondition::Always;
    std::optional<UpdateValue> comparison;
    /// The new value as typed (S as is; D blank or the zero date empties the field; N the
    /// trimmed integer, 0 when it does not convert; F the trimmed number, with a mask its
    /// number part) or, for B, `newChecked`.
    QString newText;
    bool newChecked = false;
    QString mask;  ///< the field's mask (F: the number part of newText is taken)
};

/// The result of a run.
struct GlobalUpdateResult {
    int visited = 0;   ///< records looked at
    int changed = 0;   ///< records written
    bool stopped = false;  ///< ended by a stop request
    bool failed = false;   ///< ended by a write error (the user was told)
};

/// Runs the update record by record from the first record. Each change is posted inside a
/// database transaction of `database` (when given), so the record and its word table (the
/// table's updater) commit together. After every record `step(position, count)` runs
/// (position 1-based); it answers false to stop. A failed edit or post shows "An error
/// occurred while updating the field. ..." (help 10139), drops the pending change and ends
/// the run. The table is left in browse state.
GlobalUpdateResult RunGlobalUpdate(TtsTable& table, const GlobalUpdateRequest& request, db::Database* database,
                                   const std::function<bool(int position, int count)>& step);

}  // namespace core
