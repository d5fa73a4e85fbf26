#include "core/internal/format_bridge.h"

#include "platform/format/date_time_format.h"
#include "platform/format/date_time_parse.h"
#include "platform/format/format_settings.h"

#include <QLocale>

namespace core {

QChar DecimalSeparator() { return format::Settings().decimalSeparator; }
QString ShortDateFormat() { return format::Settings().shortDateFormat; }
QChar DateSeparator() { return format::Settings().dateSeparator; }

std::optional<double> ParseFloat(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    const QChar separator = DecimalSeparator();
    if (separator != u'.') {
        if (t.contains(QChar(u'.'))) return std::nullopt;
        t.replace(separator, QChar(u'.'));
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok) return std::nullopt;
    return value;
}

std::optional<QDate> ParseShortDate(const QString& text) {
    const base::Result<QDate> date = format::TryStrToDate(text);
    if (!date) return std::nullopt;
    return date.value();
}

QString FormatShortDate(const QDate& date) { return format::FormatDateTime(ShortDateFormat(), date); }

}  // namespace core
