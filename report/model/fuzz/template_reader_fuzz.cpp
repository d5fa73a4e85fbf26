// Feeds arbitrary bytes to the template reader as a module's template: every input must end
// in a loaded module or an exception, never a crash or a hang, and a failed load must leave
// the module's stream as it was. The first byte picks the answer to reading errors (cancel
// or ignore all) and the offset tried first.
#include "report/model/db_pipeline.h"
#include "report/model/module.h"
#include "report/model/template.h"

#include "platform/base/exception.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "template_reader_fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = [] {
        report::RegisterPipelineClasses();
        stream::ClassRegistry::Global().Register<TppReportModule>(QStringLiteral("TppReportModule"));
        return new QCoreApplication(argc, argv);
    }();
    Q_UNUSED(app);
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    report::SetTemplateErrorPrompt([mode](const QString&) {
        return (mode & 1) ? report::TemplateErrorAnswer::IgnoreAll : report::TemplateErrorAnswer::Cancel;
    });
    TComponent form;
    auto* module = new TppReportModule(&form);
    module->setObjectName(QStringLiteral("dmFuzz"));
    auto* pipeline = new TppChildDBPipeline(&form);
    pipeline->setObjectName(QStringLiteral("plKept"));
    pipeline->SetParent(module);
    const QByteArray before = stream::WriteComponent(*module);
    module->Template()->SetOffset(mode >> 1);
    try {
        module->Template()->LoadFromBytes(bytes);
    } catch (const base::Exception&) {
        if (stream::WriteComponent(*module) != before) std::abort();  // a failed load changed the module
    }
    return 0;
}
