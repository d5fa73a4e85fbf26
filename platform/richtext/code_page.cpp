#include "platform/richtext/code_page.h"

#include "platform/richtext/log.h"

#include "platform/base/ansi.h"

#include <QStringDecoder>

#include <map>
#include <mutex>

Q_LOGGING_CATEGORY(lcRichText, "dossara.richtext")

namespace richtext {

namespace {

// Names under which Qt's converters know a Windows code page, tried in order.
QList<QByteArray> converterNames(int codePage) {
    switch (codePage) {
    case 437: return {"IBM437"};
    case 850: return {"IBM850"};
    case 932: return {"windows-31j", "Shift_JIS"};
    case 936: return {"GBK", "windows-936"};
    case 949: return {"windows-949", "EUC-KR"};
    case 950: return {"windows-950", "Big5"};
    case 10000: return {"macintosh"};
    default: break;
    }
    return {"windows-" + QByteArray::number(codePage), "cp" + QByteArray::number(codePage)};
}

// One converter per code page, made on first use; an invalid entry marks a code page
// nobody knows. Rich text is read on the GUI thread, but the fuzz target and tests may
// not be, so the cache is guarded.
struct ConverterCache {
    std::mutex mutex;
    std::map<int, QStringDecoder> decoders;
};

ConverterCache& cache() {
    static ConverterCache c;
    return c;
}

QStringDecoder* decoderFor(int codePage) {
    if (codePage <= 0 || codePage > 65535) return nullptr;  // no such code page; nothing is cached for it
    auto& c = cache();
    auto it = c.decoders.find(codePage);
    if (it == c.decoders.end()) {
        QStringDecoder found;
        for (const QByteArray& name : converterNames(codePage)) {
            QStringDecoder d(name.constData(), QStringConverter::Flag::Stateless);
            if (d.isValid()) {
                found = std::move(d);
                break;
            }
        }
        if (!found.isValid()) qCInfo(lcRichText) << "code page" << codePage << "is not known; read as Windows-1252";
        it = c.decoders.emplace(codePage, std::move(found)).first;
    }
    return it->second.isValid() ? &it->second : nullptr;
}

QString decodeAnsi(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) out.append(QChar(AnsiToUnicode(static_cast<unsigned char>(b))));
    return out;
}

}  // namespace

int CodePageForCharset(int charset) {
    switch (charset) {
    case 77: return 10000;   // Macintosh
    case 128: return 932;    // Shift-JIS
    case 129: return 949;    // Hangul
    case 130: return 1361;   // Johab
    case 134: return 936;    // GB2312
    case 136: return 950;    // Big5
    case 161: return 1253;   // Greek
    case 162: return 1254;   // Turkish
    case 163: return 1258;   // Vietnamese
    case 177: return 1255;   // Hebrew
    case 178: return 1256;   // Arabic
    case 186: return 1257;   // Baltic
    case 204: return 1251;   // Cyrillic
    case 222: return 874;    // Thai
    case 238: return 1250;   // Central European
    case 254: return 437;    // PC 437
    case 255: return 850;    // OEM
    default: return 0;       // ANSI, DEFAULT, SYMBOL and unknown ones
    }
}

char16_t AnsiToUnicode(unsigned char byte) { return base::AnsiToUnicode(byte); }

int UnicodeToAnsi(char16_t ch) {
    const int ansi = base::UnicodeToAnsi(ch);
    return ansi >= 0 && base::IsUndefinedAnsi(static_cast<std::uint8_t>(ansi)) ? -1 : ansi;
}

bool IsKnownCodePage(int codePage) {
    if (codePage == kAnsiCodePage) return true;
    std::lock_guard lock(cache().mutex);
    return decoderFor(codePage) != nullptr;
}

QString DecodeCodePage(QByteArrayView bytes, int codePage) {
    if (bytes.isEmpty()) return {};
    if (codePage != kAnsiCodePage) {
        std::lock_guard lock(cache().mutex);
        if (QStringDecoder* d = decoderFor(codePage)) {
            QString out = d->decode(bytes);
            d->resetState();
            return out;
        }
    }
    return decodeAnsi(bytes);
}

}  // namespace richtext
