// Feeds arbitrary text to the edit-mask reader and the pattern and text readers of the
// format layer; none of them may crash, hang or fail an assertion.

#include "platform/format/date_time_format.h"
#include "platform/format/date_time_parse.h"
#include "platform/format/edit_mask.h"
#include "platform/format/number_format.h"
#include "platform/format/number_parse.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    format::FormatSettings settings;
    settings.shortDateFormat = text.left(12);
    (void)format::CheckEditMask(text);
    const format::EditMask mask = format::EditMask::ParseLenient(text);
    const QString shown = mask.FormatValue(text);
    (void)mask.FirstInvalidPosition(shown);
    (void)mask.ValueOf(shown);
    (void)format::FormatDateTime(text, 45000.5);
    (void)format::FormatDateTime(QStringLiteral("c"), 45000.5, settings);
    (void)format::FormatFloat(text, -1234.5678);
    (void)format::TryStrToDate(text, settings);
    (void)format::TryStrToDateTime(text);
    (void)format::TryStrToFloat(text);
    (void)format::TryStrToInt(text);
    return 0;
}
