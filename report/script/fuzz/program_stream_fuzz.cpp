// Reads arbitrary bytes as a code module's program stream: the reader must either load
// programs or raise a stream error (leaving the module as it was), never crash. A stream
// that loads must write back to bytes that read to the same programs.

#include "report/script/code_module.h"

#include "platform/stream/stream_error.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TraCodeModule module;
    try {
        module.ReadProgramStream(bytes);
    } catch (const stream::StreamError&) {
        if (module.ProgramCount() != 0)
            std::abort();  // a failed read changed the module
        return 0;
    }
    const QByteArray written = module.WriteProgramStream();
    TraCodeModule again;
    again.ReadProgramStream(written);
    if (again.WriteProgramStream() != written)
        std::abort();
    return 0;
}
