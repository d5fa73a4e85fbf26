#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(ValueStream, placeholder_round_trip) {
    stream::ValueWriter w;
    w.WriteInteger(5);
    stream::ValueReader r(w.Data());
    EXPECT_EQ(r.ReadInteger(), 5);
}

}  // namespace
