#include "core/global_update.h"

#include "core/date_helpers.h"
#include "core/internal/format_bridge.h"
#include "core/mask_helpers.h"
#include "core/view_tables.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "platform/base/day_time.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/ui/dialog_service.h"

#include <QStringList>

#include <climits>
#include <cmath>

namespace core {

namespace {

/// Letters a to z made upper case; every other character kept.
QString upperAscii(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return out;
}

std::optional<qint64> toInteger(const QString& text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return n;
}

/// The day number of a date text; blank or not converting: the zero date (day 0).
double dateTextDays(const QString& text) {
    if (IsBlankDate(text)) return 0.0;
    const std::optional<QDate> d = ParseShortDate(text.trimmed());
    return d ? base::DateToDays(*d) : 0.0;
}

template <typename T>
int compare3(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

void cancelPending(db::Table& table) noexcept {
    try {
        if (table.Active() && table.State() != db::DataSetState::dsBrowse) table.Cancel();
    } catch (...) {
    }
}

}  // namespace

QStringList UpdateConditionTexts(QChar type) {
    QStringList items{QStringLiteral("Always"), QStringLiteral("value is equal to")};
    if (type == u'B') return items;
    items << QStringLiteral("value is less than") << QStringLiteral("value is greater than")
          << QStringLiteral("value is less than or equal to") << QStringLiteral("value is greater than or equal to");
    if (type == u'S') items << QStringLiteral("value contains");
    return items;
}

UpdateValue RecordUpdateValue(const db::Field& column, QChar type) {
    const bool empty = column.IsNull();
    switch (type.unicode()) {
    case u'B':
        return empty ? false : column.AsBoolean();
    case u'N':
        return empty ? qint64(0) : qint64(column.AsInteger());
    case u'F':
        return empty ? 0.0 : column.AsFloat();
    case u'D':
        return empty ? 0.0 : std::floor(column.AsDateTime());
    default:
        return empty ? QString() : upperAscii(column.AsString());
    }
}

std::optional<UpdateValue> ComparisonUpdateValue(const QString& text, bool checked, QChar type, const QString& mask) {
    switch (type.unicode()) {
    case u'B':
        return UpdateValue(checked);
    case u'N': {
        const std::optional<qint64> n = toInteger(mask.isEmpty() ? text : NumberFromMaskedText(text, mask));
        if (!n) return std::nullopt;
        return UpdateValue(*n);
    }
    case u'F': {
        const QString number = mask.isEmpty() ? text.trimmed() : NumberFromMaskedText(text.trimmed(), mask);
        const std::optional<double> d = ParseFloat(number);
        if (!d) return std::nullopt;
        return UpdateValue(*d);
    }
    case u'D':
        return UpdateValue(dateTextDays(text));
    default:
        return UpdateValue(upperAscii(text));
    }
}

bool MeetsUpdateCondition(const UpdateValue& record, UpdateCondition condition,
                          const std::optional<UpdateValue>& comparison, QChar type) {
    if (condition == UpdateCondition::Always) return true;
    if (!comparison) return false;
    int order = 0;
    switch (type.unicode()) {
    case u'B':
        order = compare3(record.toBool(), comparison->toBool());
        break;
    case u'N':
        order = compare3(record.toLongLong(), comparison->toLongLong());
        break;
    case u'F':
    case u'D':
        order = compare3(record.toDouble(), comparison->toDouble());
        break;
    default: {
        const QString r = record.toString();
        const QString c = comparison->toString();
        if (condition == UpdateCondition::Contains) return !c.isEmpty() && r.contains(c, Qt::CaseSensitive);
        order = compare3(r, c);  // by character code, as the texts are
    }
    }
    switch (condition) {
    case UpdateCondition::Equal:
        return order == 0;
    case UpdateCondition::Less:
        return order < 0;
    case UpdateCondition::Greater:
        return order > 0;
    case UpdateCondition::LessOrEqual:
        return order <= 0;
    case UpdateCondition::GreaterOrEqual:
        return order >= 0;
    default:
        return false;
    }
}

namespace {

void writeNewValue(db::Field& column, const GlobalUpdateRequest& r) {
    switch (r.type.unicode()) {
    case u'B':
        column.SetAsBoolean(r.newChecked);
        return;
    case u'D': {
        const QString t = r.newText.trimmed();
        const double days = IsBlankDate(t) ? 0.0 : dateTextDays(t);
        if (days == 0.0)
            column.Clear();
        else
            column.SetAsDateTime(days);
        return;
    }
    case u'F': {
        const QString number = r.mask.isEmpty() ? r.newText.trimmed() : NumberFromMaskedText(r.newText.trimmed(), r.mask);
        column.SetAsFloat(ParseFloat(number).value_or(0.0));
        return;
    }
    case u'N': {
        const std::optional<qint64> n = toInteger(r.newText);
        column.SetAsInteger(n && *n >= INT32_MIN && *n <= INT32_MAX ? qint32(*n) : 0);
        return;
    }
    default:
        column.SetAsString(r.newText);
    }
}

}  // namespace

GlobalUpdateResult RunGlobalUpdate(TtsTable& table, const GlobalUpdateRequest& request, db::Database* database,
                                   const std::function<bool(int position, int count)>& step) {
    GlobalUpdateResult result;
    const int count = table.RecordCount();
    table.First();
    while (!table.Eof()) {
        ++result.visited;
        try {
            db::Field* column = table.FieldByName(request.column);
            if (MeetsUpdateCondition(RecordUpdateValue(*column, request.type), request.condition, request.comparison,
                                     request.type)) {
                std::optional<DatabaseWrite> write;
                if (database) write.emplace(*database);
                table.Edit();
                writeNewValue(*table.FieldByName(request.column), request);
                table.Post();
                if (write) write->Commit();
                ++result.changed;
            }
        } catch (const std::exception&) {
            cancelPending(table);
            ui::Message(QStringLiteral("An error occurred while updating the field. The update cannot continue. "
                                       "Press F1 for help."),
                        ui::MessageKind::Error, ui::Button::Ok, 10139);
            result.failed = true;
            try {
                table.Refresh();
            } catch (...) {
            }
            return result;
        }
        table.Next();
        if (step && !step(result.visited, count)) {
            result.stopped = !table.Eof();
            break;
        }
    }
    return result;
}

}  // namespace core
