// Streams written by an independent implementation of the format (make_fixtures.pas in
// tests/data, built with Free Pascal) must read to the expected trees and objects and
// write back byte for byte.
#include "platform/stream/object_stream.h"
#include "platform/stream/tests/sample_classes.h"
#include "platform/stream/text_form.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QFile>
#include "test_paths.h"

namespace {

using streamtest::FixColor;
using streamtest::FixStyle;
using streamtest::TFixComponent;

/// Empty when equal, else where the two byte strings first differ.
std::string Difference(const QByteArray& actual, const QByteArray& expected) {
    if (actual == expected) return {};
    qsizetype i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
    return QStringLiteral("sizes %1 and %2, first difference at offset %3: %4 against %5")
        .arg(actual.size())
        .arg(expected.size())
        .arg(i)
        .arg(QString::fromLatin1(actual.mid(i, 12).toHex(' ')), QString::fromLatin1(expected.mid(i, 12).toHex(' ')))
        .toStdString();
}

QByteArray Fixture(const char* name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

std::unique_ptr<TFixComponent> ReadFix(const QByteArray& bytes) {
    stream::ReadOptions options;
    options.registry = &streamtest::FixRegistry();
    std::unique_ptr<stream::Component> c = stream::ReadComponent(bytes, options);
    auto* fix = dynamic_cast<TFixComponent*>(c.get());
    if (!fix) return nullptr;
    c.release();
    return std::unique_ptr<TFixComponent>(fix);
}

TEST(ForeignFixtures, binary_streams_read_to_trees_that_write_back_byte_for_byte) {
    for (const char* name : {"all_kinds.bin", "flags_and_items.bin"}) {
        SCOPED_TRACE(name);
        const QByteArray bytes = Fixture(name);
        const stream::ObjectData tree = stream::ReadObjectBinary(bytes);
        EXPECT_EQ(Difference(stream::WriteObjectBinary(tree), bytes), "");
    }
}

TEST(ForeignFixtures, all_kinds_reads_into_objects_with_every_value) {
    const auto root = ReadFix(Fixture("all_kinds.bin"));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->StreamName(), "Root");
    EXPECT_EQ(root->Int8Value, -5);
    EXPECT_EQ(root->Int16Value, 1000);
    EXPECT_EQ(root->Int32Value, 100000);
    EXPECT_EQ(root->Int64Value, 10000000000LL);
    EXPECT_EQ(root->SmallValue, 3);
    EXPECT_EQ(root->FloatValue, 3.25L);
    EXPECT_EQ(root->DoubleValue, 0.1);
    EXPECT_EQ(root->SingleValue, 2.5f);
    EXPECT_EQ(root->Money, 12345678);
    EXPECT_EQ(root->When, 45351.5);
    EXPECT_EQ(root->ShortText, "It's\tshort");
    EXPECT_EQ(root->LongText.size(), 150 + 21 + 100);
    EXPECT_TRUE(root->LongText.contains(QStringLiteral("'quoted' and\r\nbroken ABC")));
    EXPECT_EQ(root->WideText, QStringLiteral("Gr\u00FC\u00DFe \u20AC"));
    EXPECT_TRUE(root->Flag);
    EXPECT_EQ(root->Color, FixColor::fcBlue);
    EXPECT_EQ(root->Styles, FixStyle::fsBold | FixStyle::fsUnderline);
    EXPECT_EQ(root->Font.Name(), "Courier");
    EXPECT_EQ(root->Font.Size(), 12);
    ASSERT_EQ(root->Items.Count(), 2);
    EXPECT_EQ(root->Items.Item(0).Caption(), "first");
    EXPECT_EQ(root->Items.Item(1).Weight(), 7);
    EXPECT_EQ(root->Lines, (QStringList{"one", "two"}));
    EXPECT_EQ(root->OnClick, "RootClick");
    ASSERT_EQ(root->Data.size(), 70);
    EXPECT_EQ(static_cast<quint8>(root->Data.at(69)), (69 * 37) & 0xFF);

    ASSERT_EQ(root->Children().size(), 2u);
    const TFixComponent& child1 = *root->Children()[0];
    const TFixComponent& child2 = *root->Children()[1];
    EXPECT_EQ(child1.Int16Value, -32768);
    EXPECT_EQ(child1.Int32Value, std::numeric_limits<qint32>::min());
    EXPECT_EQ(child1.Int64Value, std::numeric_limits<qint64>::min());
    EXPECT_EQ(child2.Int64Value, 2147483648LL);
    EXPECT_EQ(child2.FloatValue, -1.5e300L);
    EXPECT_EQ(child2.DoubleValue, 1e-7);
    EXPECT_EQ(child2.Money, -1);
    EXPECT_EQ(child2.Buddy, &child1);
    EXPECT_EQ(child2.Data, QByteArray("\x01\x02\xFF", 3));
    EXPECT_EQ(child1.loadedCalls, 1);
}

// The other implementation lays its text form out in its own way (floats in exponent
// form, lists closed on a line of their own); reading it must still give the same objects
// as its binary form.
TEST(ForeignFixtures, its_text_form_reads_to_the_same_objects_as_its_binary_form) {
    const auto fromBinary = ReadFix(Fixture("all_kinds.bin"));
    const auto fromText = ReadFix(Fixture("all_kinds.txt"));
    ASSERT_NE(fromBinary, nullptr);
    ASSERT_NE(fromText, nullptr);
    EXPECT_EQ(Difference(stream::WriteComponent(*fromText), stream::WriteComponent(*fromBinary)), "");
}

TEST(ForeignFixtures, hand_written_text_converts_to_the_same_bytes_as_the_other_implementation) {
    const QByteArray expected = Fixture("flags_and_items.bin");
    EXPECT_EQ(Difference(stream::ObjectTextToBinary(Fixture("flags_and_items.txt")), expected), "");
    EXPECT_EQ(Difference(stream::ObjectTextToBinary(Fixture("flags_and_items.out.txt")), expected), "");
}

TEST(ForeignFixtures, our_text_form_of_each_stream_converts_back_to_the_same_stream) {
    const QByteArray flags = Fixture("flags_and_items.bin");
    EXPECT_EQ(Difference(stream::ObjectTextToBinary(stream::ObjectBinaryToText(flags)), flags), "");

    // A float with an integral value is written without decimals ("Money = 0") and so reads
    // back as an integer; the objects read from either stream are the same.
    const QByteArray allKinds = Fixture("all_kinds.bin");
    const QByteArray text = stream::ObjectBinaryToText(allKinds);
    const auto fromText = ReadFix(text);
    const auto fromBinary = ReadFix(allKinds);
    ASSERT_NE(fromText, nullptr);
    EXPECT_EQ(Difference(stream::WriteComponent(*fromText), stream::WriteComponent(*fromBinary)), "")
        << text.toStdString();
}

TEST(ForeignFixtures, every_cut_of_a_valid_stream_is_reported_as_truncated) {
    const QByteArray bytes = Fixture("all_kinds.bin");
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        try {
            stream::ReadObjectBinary(bytes.left(n));
            ADD_FAILURE() << "a stream cut to " << n << " bytes was read";
        } catch (const stream::StreamError& e) {
            if (n >= 4) {
                EXPECT_EQ(e.Kind(), stream::StreamErrorKind::Truncated) << n << ": " << e.Message().toStdString();
            }
        }
    }
}

TEST(ForeignFixtures, any_damaged_byte_is_read_or_reported_never_a_crash) {
    const QByteArray bytes = Fixture("all_kinds.bin");
    stream::ReadOptions options;
    options.registry = &streamtest::FixRegistry();
    int reported = 0;
    for (qsizetype i = 4; i < bytes.size(); ++i) {
        for (const char damage : {'\x00', '\x15', '\x7F', '\xFF'}) {
            QByteArray damaged = bytes;
            damaged[i] = damage;
            try {
                const stream::ObjectData tree = stream::ReadObjectBinary(damaged);
                stream::ParseObjectText(stream::ObjectDataToText(tree));
                stream::ReadComponent(tree, options);
            } catch (const stream::StreamError& e) {
                ++reported;
                EXPECT_FALSE(e.Message().isEmpty());
            }
        }
    }
    EXPECT_GT(reported, 0);
}

}  // namespace
