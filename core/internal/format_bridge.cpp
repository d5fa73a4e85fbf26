#include "core/internal/format_bridge.h"

#include "platform/format/date_time_format.h"
#include "platform/format/date_time_parse.h"
#include "platform/format/format_settings.h"
#include "platform/format/number_parse.h"

namespace core {

QChar DecimalSeparator() { return format::Settings().decimalSeparator; }
QString ShortDateFormat() { return format::Settings().shortDateFormat; }
QChar DateSeparator() { return format::Settings().dateSeparator; }

std::optional<double> ParseFloat(const QString& text) {
    const base::Result<double> value = format::TryStrToFloat(text);
    if (!value) return std::nullopt;
    return value.value();
}

std::optional<QDate> ParseShortDate(const QString& text) {
    const base::Result<QDate> date = format::TryStrToDate(text);
    if (!date) return std::nullopt;
    return date.value();
}

QString FormatShortDate(const QDate& date) { return format::FormatDateTime(ShortDateFormat(), date); }

}  // namespace core
