// Settings values come from table files that may have been written elsewhere: the text
// forms read back from them must never crash, whatever the bytes.

#include "core/mask_helpers.h"
#include "core/text_helpers.h"

#include "platform/base/exception.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    core::PositionRecord record{};
    try {
        core::TextToPosition(text, record);
    } catch (const base::Exception&) {
    }
    (void)core::TextToFontStyle(text);
    (void)core::TextToBool(text);
    (void)core::CapitalizeWords(text);
    const qsizetype half = text.size() / 2;
    (void)core::FormatNumberForMask(text.left(half), text.mid(half));
    (void)core::NumberFromMaskedText(text.left(half), text.mid(half));
    (void)core::MaskPositionAllows(text, static_cast<int>(size % 16), text.isEmpty() ? QChar(u'1') : text.front());
    return 0;
}
