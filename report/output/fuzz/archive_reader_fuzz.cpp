// Feeds arbitrary bytes to the archive reader as a report archive file: every input must end
// in pages read back or an error that says what is wrong, never a crash or a hang.
#include "report/output/archive_reader.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"

#include "platform/stream/class_registry.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "archive_reader_fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = [] {
        report::RegisterDrawCommands();
        stream::ClassRegistry::Global().Register<TppPage>(QStringLiteral("TppPage"));
        return new QCoreApplication(argc, argv);
    }();
    Q_UNUSED(app);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto pages = report::ReadArchive(bytes);
    if (pages) {
        for (const auto& p : *pages) {
            if (!p.page) std::abort();  // a page read back is always there
        }
    }
    return 0;
}
