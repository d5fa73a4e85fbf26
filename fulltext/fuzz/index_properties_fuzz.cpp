// Reads arbitrary bytes as an index property stream, a "STR0" string table and a stored
// container: each must end in a clean exception or a result, never a crash.

#include "fulltext/cx_bits.h"
#include "fulltext/cx_dictionary.h"
#include "fulltext/cx_strings.h"
#include "fulltext/ts_engine.h"

#include "platform/stream/value_reader.h"

#include <QBuffer>

#include <cstdint>
#include <exception>

namespace {
class FuzzEngine : public TtsEngine {
public:
    void ProcessWord(QStringView) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        FuzzEngine engine;
        stream::ValueReader reader(bytes);
        int version = 0;
        engine.ReadIndexPropertiesFrom(reader, version);
    } catch (const std::exception&) {
    }
    try {
        fulltext::RegisterStringResource(QStringLiteral("FUZZ"), bytes);
        TCxStringResource table(QStringLiteral("FUZZ"));
        for (std::uint32_t id = 0; id < 8; ++id) table.GetString(id);
    } catch (const std::exception&) {
    }
    try {
        TCxBits set(1);
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        set.LoadFromStream(buffer);
    } catch (const std::exception&) {
    }
    try {
        TCxDictionary dict(1);
        dict.LoadDataProc = [](stream::ValueReader& r) { return fulltext::CxData(r.ReadInteger()); };
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        dict.LoadFromStream(buffer);
    } catch (const std::exception&) {
    }
    return 0;
}
