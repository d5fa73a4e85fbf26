#include "platform/stream/text_form.h"
#include "platform/stream/value_writer.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

using stream::ObjectData;
using stream::Property;
using stream::Value;

Property P(const char* name, Value v) { return Property{QString::fromLatin1(name), std::move(v), {}}; }

ObjectData SampleTree() {
    ObjectData root;
    root.className = QStringLiteral("TppReport");
    root.name = QStringLiteral("Report1");
    stream::CollectionItem first;
    first.properties.push_back(P("Caption", Value::Text(QStringLiteral("x"))));
    stream::CollectionItem third;
    third.index = Value::Integer(3);
    QByteArray big;
    for (int i = 0; i <= 32; ++i) big.append(static_cast<char>(i));
    root.properties = {
        P("Caption", Value::Text(QStringLiteral("It's\tok"))),
        P("Long", Value::Text(QString(64, QLatin1Char('a')) + QStringLiteral("bbbbbb"))),
        P("Empty", Value::Text(QString())),
        P("Accents", Value::Text(QStringLiteral("Gr\u00FCn \u20AC"))),
        P("Lines.Strings", Value::List({Value::Text(QStringLiteral("one")), Value::Text(QStringLiteral("two"))})),
        P("EmptyList", Value::List({})),
        P("Nested", Value::List({Value::List({Value::Integer(1), Value::Integer(2)})})),
        P("Styles", Value::Set({QStringLiteral("fsBold"), QStringLiteral("fsItalic")})),
        P("NoStyles", Value::Set({})),
        P("Items", Value::Collection({first, third})),
        P("EmptyItems", Value::Collection({})),
        P("Big", Value::Binary(big)),
        P("Small", Value::Binary(QByteArray("\x01\xAB", 2))),
        P("I8", Value::Integer(-5)),
        P("I64", Value::Integer(10000000000LL)),
        P("F", Value::Extended(1.5L)),
        P("Huge", Value::Extended(-1.5e300L)),
        P("Tiny", Value::Extended(0.00001L)),
        P("Tinier", Value::Extended(0.000001L)),
        P("S", Value::Single(2.5f)),
        P("C", Value::Currency(12345678)),
        P("D", Value::Date(45351.5)),
        P("Color", Value::Ident(QStringLiteral("fcBlue"))),
        P("B", Value::Boolean(true)),
        P("N", Value::Nil()),
    };
    ObjectData band;
    band.className = QStringLiteral("TppDetailBand");
    band.name = QStringLiteral("Band1");
    band.childPos = Value::Integer(0);
    band.flags = stream::FilerFlag::ChildPos;
    band.properties = {P("mmHeight", Value::Integer(13229))};
    ObjectData frame;
    frame.className = QStringLiteral("TFrame");
    frame.name = QStringLiteral("Frame1");
    frame.flags = stream::FilerFlag::Inline;
    ObjectData inherited;
    inherited.className = QStringLiteral("TppLabel");
    inherited.flags = stream::FilerFlag::Inherited;
    root.children = {band, frame, inherited};
    return root;
}

const char* const kSampleText =
    "object Report1: TppReport\n"
    "  Caption = 'It'#39's'#9'ok'\n"
    "  Long = \n"
    "    'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +\n"
    "    'bbbbbb'\n"
    "  Empty = ''\n"
    "  Accents = 'Gr'#252'n '#8364\n"
    "  Lines.Strings = (\n"
    "    'one'\n"
    "    'two')\n"
    "  EmptyList = ()\n"
    "  Nested = (\n"
    "    (\n"
    "      1\n"
    "      2))\n"
    "  Styles = [fsBold, fsItalic]\n"
    "  NoStyles = []\n"
    "  Items = <\n"
    "    item\n"
    "      Caption = 'x'\n"
    "    end\n"
    "    item [3]\n"
    "    end>\n"
    "  EmptyItems = <>\n"
    "  Big = {\n"
    "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n"
    "    20}\n"
    "  Small = {01AB}\n"
    "  I8 = -5\n"
    "  I64 = 10000000000\n"
    "  F = 1.5\n"
    "  Huge = -1.5E300\n"
    "  Tiny = 0.00001\n"
    "  Tinier = 1E-6\n"
    "  S = 2.5s\n"
    "  C = 12345678c\n"
    "  D = 45351.5d\n"
    "  Color = fcBlue\n"
    "  B = True\n"
    "  N = nil\n"
    "  object Band1: TppDetailBand [0]\n"
    "    mmHeight = 13229\n"
    "  end\n"
    "  inline Frame1: TFrame\n"
    "  end\n"
    "  inherited TppLabel\n"
    "  end\n"
    "end\n";

TEST(TextForm, tree_is_laid_out_with_indents_wrapped_texts_and_quoted_characters) {
    const QByteArray text = stream::ObjectDataToText(SampleTree(), stream::TextOptions{"\n"});
    EXPECT_EQ(text.toStdString(), std::string(kSampleText));
}

TEST(TextForm, lines_end_in_carriage_return_and_line_feed_by_default) {
    ObjectData o;
    o.className = QStringLiteral("TX");
    EXPECT_EQ(stream::ObjectDataToText(o), QByteArray("object TX\r\nend\r\n"));
}

TEST(TextForm, text_parses_back_to_the_same_tree_and_bytes) {
    const ObjectData parsed = stream::ParseObjectText(kSampleText);
    EXPECT_TRUE(parsed == SampleTree()) << stream::ObjectDataToText(parsed, stream::TextOptions{"\n"}).toStdString();
    EXPECT_EQ(stream::ObjectTextToBinary(kSampleText), stream::WriteObjectBinary(SampleTree()));
    // CR LF line breaks read the same.
    EXPECT_TRUE(stream::ParseObjectText(QByteArray(kSampleText).replace("\n", "\r\n")) == SampleTree());
}

TEST(TextForm, texts_longer_than_a_line_break_every_64_characters) {
    const QString text = QString(150, QLatin1Char('z'));
    const QByteArray out = stream::ValueToText(Value::Text(text), stream::TextOptions{"\n"});
    EXPECT_EQ(out, "\n  '" + QByteArray(64, 'z') + "' +\n  '" + QByteArray(64, 'z') + "' +\n  '" + QByteArray(22, 'z') + "'");
}

struct ParseCase {
    const char* label;
    const char* text;
    Value expected;
};

TEST(TextForm, values_in_their_written_forms_parse_to_their_kinds) {
    const ParseCase cases[] = {
        {"hexadecimal", "$FF", Value::Integer(255)},
        {"hexadecimal 32-bit", "$FFFFFFFF", Value::Integer(-1)},
        {"plus sign", "+7", Value::Integer(7)},
        {"int64", "-9223372036854775808", Value::Integer(std::numeric_limits<qint64>::min())},
        {"exponent", "1.5E+20", Value::Extended(1.5e20L)},
        {"exponent form of the other writer", " 2.50000000000000000000E+0000", Value::Extended(2.5L)},
        {"single", "0.1s", Value::Single(0.1f)},
        {"currency", "-1c", Value::Currency(-1)},
        {"date", "2d", Value::Date(2.0)},
        {"character codes", "#65#$42'c'", Value::Text(QStringLiteral("ABc"))},
        {"doubled quote", "'it''s'", Value::Text(QStringLiteral("it's"))},
        {"joined pieces", "'a' +\n 'b' + #67", Value::Text(QStringLiteral("abC"))},
        {"utf-8 in quotes", "'Gr\xC3\xBCn'", Value::Text(QStringLiteral("Gr\u00FCn"))},
        {"euro sign by its unicode code", "#8364", Value::TextOf(stream::ValueType::String, QStringLiteral("\u20AC"))},
        {"euro sign by its ansi code", "#128", Value::TextOf(stream::ValueType::String, QStringLiteral("\u20AC"))},
        {"ansi codes 128 to 159", "#$93#148#159#129",
         Value::TextOf(stream::ValueType::String, QStringLiteral("\u201C\u201D\u0178\u0081"))},
        {"wide character", "#256", Value::TextOf(stream::ValueType::WString, QStringLiteral("\u0100"))},
        {"c1 control in quotes", "'\xC2\x80'", Value::TextOf(stream::ValueType::WString, QStringLiteral("\u0080"))},
        {"infinity", "INF", Value::Extended(std::numeric_limits<long double>::infinity())},
        {"negative infinity", "-INF", Value::Extended(-std::numeric_limits<long double>::infinity())},
        {"single infinity", "-INFs", Value::Single(-std::numeric_limits<float>::infinity())},
        {"date infinity", "INFd", Value::Date(std::numeric_limits<double>::infinity())},
        {"dotted identifier", "Form1.Table1", Value::Ident(QStringLiteral("Form1.Table1"))},
        {"false in any case", "FALSE", Value::Boolean(false)},
        {"null", "Null", Value::Null()},
        {"binary across lines", "{01\n  02 FF}", Value::Binary(QByteArray("\x01\x02\xFF", 3))},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.label);
        const QByteArray text = QByteArray("object A: T\n  X = ") + c.text + "\nend\n";
        const ObjectData o = stream::ParseObjectText(text);
        ASSERT_EQ(o.properties.size(), 1u);
        EXPECT_TRUE(o.properties[0].value == c.expected)
            << stream::ValueToText(o.properties[0].value).toStdString() << " "
            << stream::ValueTypeName(o.properties[0].value.Type()).toStdString();
    }
}

// Every character of a text is written so that it reads back as itself: quotes and DEL
// as codes, characters above ASCII by their Unicode code, the C1 controls in quotes.
TEST(TextForm, every_character_reads_back_as_itself) {
    const struct {
        QString text;
        const char* written;
    } cases[] = {
        {QStringLiteral("it's"), "'it'#39's'"},
        {QString(QChar(127)) + u'x', "#127'x'"},
        {QStringLiteral("\u20AC\u201C\u0178"), "#8364#8220#376"},
        {QString(QChar(0x80)) + QChar(0x81) + QChar(0x9F), "'\xC2\x80'#129'\xC2\x9F'"},
        {QStringLiteral("a\r\nb"), "'a'#13#10'b'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(stream::ValueToText(Value::Text(c.text)), QByteArray(c.written));
    }
    QString every;
    for (char16_t u = 1; u < 0x800; ++u) every += QChar(u);
    const ObjectData o =
        stream::ParseObjectText("object A: T\n  X = " + stream::ValueToText(Value::Text(every)) + "\nend\n");
    EXPECT_EQ(o.properties.at(0).value.AsText(), every);
}

// Floats read back bit for bit: every digit an extended or double value needs, the sign
// of zero, infinities and not-a-number.
TEST(TextForm, floats_read_back_exactly) {
    auto roundTrip = [](const Value& v) {
        const ObjectData o = stream::ParseObjectText("object A: T\n  X = " + stream::ValueToText(v) + "\nend\n");
        return o.properties.at(0).value;
    };
    auto sameBits = [](long double a, long double b) {
        return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
    };
    using Limits = std::numeric_limits<long double>;
    const long double extended[] = {1.0L / 3.0L,      0.1L,          2.0L / 3.0L * 1e300L,     -0.0L,
                                    0.0L,             Limits::max(), Limits::denorm_min(),     Limits::infinity(),
                                    -Limits::infinity(), Limits::quiet_NaN(), 123456789012345.678901L};
    for (long double v : extended) {
        SCOPED_TRACE(stream::ValueToText(Value::Extended(v)).toStdString());
        const Value back = roundTrip(Value::Extended(v));  // integral values read back as integers
        EXPECT_TRUE(sameBits(back.AsExtended(), v));
    }
    EXPECT_EQ(stream::ValueToText(Value::Extended(-0.0L)), QByteArray("-0.0"));
    EXPECT_EQ(stream::ValueToText(Value::Date(1.0 / 3.0)), QByteArray("0.3333333333333333d"));
    // Random doubles (as dates and as extended values) and singles, from a fixed seed.
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = next();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        float f;
        const std::uint32_t fbits = static_cast<std::uint32_t>(bits >> 16);
        std::memcpy(&f, &fbits, sizeof f);
        const Value date = roundTrip(Value::Date(d));
        ASSERT_TRUE(sameBits(date.AsExtended(), d)) << stream::ValueToText(Value::Date(d)).toStdString();
        const Value ext = roundTrip(Value::Extended(d / 7.0L));
        ASSERT_TRUE(sameBits(ext.AsExtended(), d / 7.0L))
            << stream::ValueToText(Value::Extended(d / 7.0L)).toStdString();
        const Value single = roundTrip(Value::Single(f));
        ASSERT_TRUE(sameBits(single.AsExtended(), f)) << stream::ValueToText(Value::Single(f)).toStdString();
    }
}

TEST(TextForm, ansi_text_that_is_not_utf8_is_read_as_windows_1252) {
    const ObjectData o = stream::ParseObjectText("object A: T\n  X = 'Gr\xFCn \x80'\nend\n");
    EXPECT_EQ(o.properties.at(0).value.AsText(), QStringLiteral("Gr\u00FCn \u20AC"));
}

struct ErrorCase {
    const char* label;
    QByteArray text;
    int line;
    int column;
    const char* message;
};

TEST(TextForm, syntax_errors_name_what_was_expected_with_line_and_column) {
    const ErrorCase cases[] = {
        {"wrong first word", "objekt A: T\nend\n", 1, 1, "\"object\" expected, found \"o\""},
        {"missing value", "object A: T\n  X = )\nend\n", 2, 7, "Value expected, found \")\""},
        {"unterminated string", "object A: T\n  X = 'abc\nend\n", 2, 11, "Unterminated string"},
        {"bad binary", "object A: T\n  X = {0G}\nend\n", 2, 9, "Invalid binary data"},
        {"odd binary", "object A: T\n  X = {012}\nend\n", 2, 12, "Binary data with an odd number of digits"},
        {"open list", "object A: T\n  X = (1 2\n", 3, 1, "Value expected, found the end of the text"},
        {"integer too large", "object A: T\n  X = 99999999999999999999\nend\n", 2, 7, "Invalid integer 99999999999999999999"},
        {"property after a child", "object A: T\n  object B: T\n  end\n  X = 1\nend\n", 4, 3, "\"end\" expected, found \"X\""},
        {"no end", "object A: T\n  X = 1\n", 3, 1, "Property name expected, found the end of the text"},
        {"item without end", "object A: T\n  X = <\n    item\n      Y = 1\n>\nend\n", 5, 1, "Property name expected, found \">\""},
        {"missing equals", "object A: T\n  X 1\nend\n", 2, 5, "\"=\" expected, found \"1\""},
        {"nested too deeply", "object A: T\n  X = " + QByteArray(300, '(') + "\nend\n", 2, 263, "Values nested too deeply"},
        {"character code too large", "object A: T\n  X = #70000\nend\n", 2, 13, "Invalid character code"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.label);
        try {
            stream::ParseObjectText(c.text);
            ADD_FAILURE() << "no error";
        } catch (const stream::StreamError& e) {
            EXPECT_EQ(e.Kind(), stream::StreamErrorKind::Syntax);
            EXPECT_EQ(e.What().toStdString(), std::string(c.message));
            EXPECT_EQ(e.Pos().line, c.line);
            EXPECT_EQ(e.Pos().column, c.column);
        }
    }
}

TEST(TextForm, formats_are_told_apart_by_their_first_bytes) {
    EXPECT_EQ(stream::DetectFormat("TPF0\x0dTX"), stream::StreamFormat::Binary);
    EXPECT_EQ(stream::DetectFormat("object A: T"), stream::StreamFormat::Text);
    EXPECT_EQ(stream::DetectFormat("inherited A: T"), stream::StreamFormat::Text);
    EXPECT_EQ(stream::DetectFormat(QByteArray("\x10\0\0\0xxxxxxxxxxxxTPF0", 20), 16), stream::StreamFormat::Binary);
    EXPECT_EQ(stream::DetectFormat("TPF"), stream::StreamFormat::Unknown);
    EXPECT_EQ(stream::DetectFormat("Object"), stream::StreamFormat::Unknown);
}

}  // namespace
