#include "platform/stream/internal/ansi.h"

#include "platform/base/ansi.h"

namespace stream::internal {

QString AnsiToUnicode(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i) dst[i] = QChar(base::AnsiToUnicode(static_cast<std::uint8_t>(data[i])));
    return out;
}

bool UnicodeToAnsi(const QString& text, QByteArray& out) {
    out.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int ansi = base::UnicodeToAnsi(text.at(i).unicode());
        if (ansi < 0) return false;
        out[i] = static_cast<char>(ansi);
    }
    return true;
}

}  // namespace stream::internal
