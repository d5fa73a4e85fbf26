// Feeds arbitrary bytes to the binary reader, the text parser and both converters: every
// input must end in a value or a StreamError, never a crash or a hang.
#include "platform/stream/stream_error.h"
#include "platform/stream/text_form.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const stream::ObjectData tree = stream::ReadObjectBinary(bytes);
        stream::ParseObjectText(stream::ObjectDataToText(tree));
    } catch (const stream::StreamError&) {
    }
    try {
        stream::ValueReader reader(bytes);
        while (!reader.AtEnd()) reader.ReadValue();
    } catch (const stream::StreamError&) {
    }
    try {
        stream::ObjectTextToBinary(bytes);
    } catch (const stream::StreamError&) {
    }
    return 0;
}
