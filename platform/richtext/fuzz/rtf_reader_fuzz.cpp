// Feeds arbitrary bytes to the RTF reader, then writes the document back and reads that
// again: nothing may crash, hang or exhaust memory.

#include "platform/richtext/plain_lines.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    richtext::ReadRtf(input, doc);
    const QByteArray again = richtext::WriteRtf(doc);
    (void)richtext::RtfToPlainLines(again);
    return 0;
}
