// Feeds arbitrary bytes to the export-file reader: it must answer rows or an error, never crash.
#include "editor/export_file.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto file = editor::ParseExportFile(bytes);
    if (file) (void)editor::FormatExportFile(QStringLiteral("~"), file->rows);
    return 0;
}
