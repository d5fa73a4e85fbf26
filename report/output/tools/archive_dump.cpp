// raf-dump: prints a report archive (".raf") as text: its index, then each page in the
// component stream's text form.
//
//     raf-dump <archive>

#include "report/output/archive_reader.h"
#include "report/page/page.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: raf-dump <archive>\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "raf-dump: cannot open %s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    report::RegisterDrawCommands();
    stream::ClassRegistry::Global().Register<TppPage>(QStringLiteral("TppPage"));
    const auto pages = report::ReadArchive(file.readAll());
    if (!pages) {
        std::fprintf(stderr, "raf-dump: %s\n", qPrintable(pages.error().text));
        return 1;
    }
    std::printf("%d pages:", int(pages->size()));
    for (const auto& p : *pages) std::printf(" %d", p.pageNo);
    std::printf("\n");
    for (const auto& p : *pages) {
        std::printf("\n-- page %d\n", p.pageNo);
        const QByteArray text = stream::ObjectDataToText(stream::ComponentToObjectData(*p.page));
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    }
    return 0;
}
