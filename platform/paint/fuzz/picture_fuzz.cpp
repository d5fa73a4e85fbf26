// Feeds arbitrary bytes to the picture readers, in the plain and the streamed form.

#include "platform/paint/picture.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char arg0[] = "picture_fuzz";
    static char* argv[] = {arg0, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)paint::Picture::FromData(bytes);
    (void)paint::Picture::FromGraphicData(bytes);
    return 0;
}
