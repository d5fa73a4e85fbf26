#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QFile>
#include "test_paths.h"

namespace {

using stream::Value;
using stream::ValueType;

Value Item(std::optional<Value> index, const char* name, Value v) {
    stream::CollectionItem item;
    item.index = std::move(index);
    item.properties.push_back(stream::Property{QString::fromLatin1(name), std::move(v), {}});
    return Value::Collection({item});
}

struct ValueCase {
    const char* label;
    Value value;
    const char* hex;  ///< the stored bytes, tag first
};

TEST(ValueStream, every_value_kind_has_its_stored_bytes_in_both_directions) {
    const ValueCase cases[] = {
        {"int8", Value::Integer(-5), "02fb"},
        {"int16", Value::Integer(1000), "03e803"},
        {"int32", Value::Integer(100000), "04a0860100"},
        {"int64", Value::Integer(10000000000LL), "1300e40b5402000000"},
        {"int64 min", Value::Integer(std::numeric_limits<qint64>::min()), "130000000000000080"},
        {"extended", Value::Extended(0.5L), "050000000000000080fe3f"},
        {"single", Value::Single(2.5f), "0f00002040"},
        {"currency", Value::Currency(12345678), "104e61bc0000000000"},
        {"date", Value::Date(45351.5), "1100000000f024e640"},
        {"short string", Value::Text(QStringLiteral("ab")), "06026162"},
        {"empty string", Value::Text(QString()), "0600"},
        {"ansi string", Value::Text(QStringLiteral("\u00FC\u00E9")), "0602fce9"},
        {"euro sign is an ansi character", Value::Text(QStringLiteral("\u20AC")), "060180"},
        {"curly quotes and y with diaeresis", Value::Text(QStringLiteral("\u201C\u201D\u0178")), "060393949f"},
        {"c1 control has no ansi byte", Value::Text(QStringLiteral("\u0080")), "12010000008000"},
        {"ansi string with the euro byte", Value::TextOf(ValueType::String, QStringLiteral("\u20AC")), "060180"},
        {"wide string", Value::Text(QStringLiteral("G\u0100")), "1202000000470000" "01"},
        {"utf-8 string", Value::TextOf(ValueType::Utf8String, QStringLiteral("\u00E9")), "1402000000c3a9"},
        {"identifier", Value::Ident(QStringLiteral("fcBlue")), "0706666342" "6c7565"},
        {"true", Value::Boolean(true), "09"},
        {"false", Value::Ident(QStringLiteral("False")), "08"},
        {"nil", Value::Nil(), "0d"},
        {"null", Value::Null(), "00"},
        {"binary", Value::Binary(QByteArray("\x01\x02", 2)), "0a020000000102"},
        {"set", Value::Set({QStringLiteral("a"), QStringLiteral("bc")}), "0b016102626300"},
        {"empty set", Value::Set({}), "0b00"},
        {"list", Value::List({Value::Integer(1), Value::Text(QStringLiteral("a"))}), "010201060161" "00"},
        {"collection item with index", Item(Value::Integer(2), "A", Value::Integer(1)), "0e0202010141020100" "00"},
        {"collection item without index", Item(std::nullopt, "A", Value::Nil()), "0e0101410d0000"},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.label);
        const QByteArray bytes = QByteArray::fromHex(c.hex);
        stream::ValueWriter w;
        w.WriteValue(c.value);
        EXPECT_EQ(w.Data().toHex(), QByteArray(c.hex));
        stream::ValueReader r(bytes);
        EXPECT_TRUE(r.ReadValue() == c.value);
        EXPECT_TRUE(r.AtEnd());
    }
}

TEST(ValueStream, texts_longer_than_255_bytes_become_long_strings) {
    const QString text(300, QLatin1Char('x'));
    stream::ValueWriter w;
    w.WriteString(text);
    EXPECT_EQ(w.Data().left(5).toHex(), "0c2c010000");
    // A short string that cannot hold its text is written long rather than cut.
    stream::ValueWriter forced;
    forced.WriteValue(Value::TextOf(ValueType::String, text));
    EXPECT_EQ(forced.Data(), w.Data());
    stream::ValueReader r(w.Data());
    EXPECT_EQ(r.ReadString(), text);
}

TEST(ValueStream, extremes_of_extended_floats_survive_the_ten_byte_form) {
    const long double values[] = {0.0L, -0.0L, 1.0L, -1.5e300L, 1e-4940L, 1.18973149535723176502e+4932L,
                                  std::numeric_limits<long double>::infinity()};
    for (long double v : values) {
        SCOPED_TRACE(static_cast<double>(v));
        const QByteArray ten = stream::EncodeExtended(v);
        ASSERT_EQ(ten.size(), 10);
        const long double back = stream::DecodeExtended(ten.constData());
        EXPECT_EQ(back, v);
        EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
}

struct BadCase {
    const char* label;
    QByteArray bytes;
    stream::StreamErrorKind kind;
    qint64 offset;
};

TEST(ValueStream, truncated_and_damaged_values_raise_with_their_offset) {
    const BadCase cases[] = {
        {"nothing", QByteArray(), stream::StreamErrorKind::Truncated, 0},
        {"unknown tag", QByteArray::fromHex("15"), stream::StreamErrorKind::Damaged, 0},
        {"int16 cut", QByteArray::fromHex("03e8"), stream::StreamErrorKind::Truncated, 1},
        {"long string past the end", QByteArray::fromHex("0cffffff7f61"), stream::StreamErrorKind::Truncated, 1},
        {"wide string past the end", QByteArray::fromHex("1203000000410042"), stream::StreamErrorKind::Truncated, 1},
        {"list without end", QByteArray::fromHex("010205"), stream::StreamErrorKind::Truncated, 3},
        {"set name cut", QByteArray::fromHex("0b0561"), stream::StreamErrorKind::Truncated, 2},
        {"collection item without list", QByteArray::fromHex("0e0201" "09"), stream::StreamErrorKind::WrongValueKind, 3},
        {"lists nested too deeply", QByteArray(300, '\x01'), stream::StreamErrorKind::Damaged, 257},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.label);
        stream::ValueReader r(c.bytes);
        try {
            r.ReadValue();
            ADD_FAILURE() << "no error";
        } catch (const stream::StreamError& e) {
            EXPECT_EQ(e.Kind(), c.kind) << e.Message().toStdString();
            EXPECT_EQ(e.Pos().offset, c.offset) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QStringLiteral("offset"))) << e.Message().toStdString();
        }
    }
}

TEST(ValueStream, typed_reads_name_the_kind_they_found) {
    stream::ValueReader r(QByteArray::fromHex("0609"));
    try {
        r.ReadInteger();
        ADD_FAILURE() << "no error";
    } catch (const stream::StreamError& e) {
        EXPECT_EQ(e.Kind(), stream::StreamErrorKind::WrongValueKind);
        EXPECT_EQ(e.Message(), "Integer expected, found short string (at offset 0)");
    }
}

TEST(ValueStream, signature_is_checked_and_other_signatures_can_be_used) {
    stream::ValueReader tpf(QByteArray("TPF1"));
    EXPECT_THROW(tpf.ReadSignature(), stream::StreamError);
    stream::ValueWriter w;
    w.WriteSignature("STR0");
    w.WriteInteger(7);
    w.WriteRaw(QByteArray("\x01\x02", 2));
    stream::ValueReader r(w.Data());
    r.ReadSignature("STR0");
    EXPECT_EQ(r.ReadInteger(), 7);
    EXPECT_EQ(r.ReadRaw(2), QByteArray("\x01\x02", 2));
    EXPECT_THROW(r.ReadRaw(1), stream::StreamError);
}

QByteArray Fixture(const char* name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

// values.bin holds plain values (no signature) as another implementation writes them,
// the way the full-text index keeps its properties.
TEST(ValueStream, plain_values_of_another_writer_read_and_write_back_byte_for_byte) {
    const QByteArray bytes = Fixture("values.bin");
    stream::ValueReader r(bytes);
    stream::ValueWriter w;
    EXPECT_EQ(r.ReadInteger(), 2070);
    w.WriteInteger(2070);
    EXPECT_EQ(r.ReadInteger(), 32);
    w.WriteInteger(32);
    r.ReadListBegin();
    w.WriteListBegin();
    QStringList fields;
    while (!r.EndOfList()) fields << r.ReadString();
    EXPECT_EQ(fields, (QStringList{"Title", "Body"}));
    for (const QString& f : fields) w.WriteString(f);
    r.ReadListEnd();
    w.WriteListEnd();
    EXPECT_EQ(r.ReadString(), "IndexField");
    w.WriteString(QStringLiteral("IndexField"));
    EXPECT_EQ(r.ReadInteger(), 3);
    w.WriteInteger(3);
    r.ReadListBegin();
    r.ReadListEnd();
    w.WriteListBegin();
    w.WriteListEnd();
    EXPECT_EQ(r.ReadInteger(), 2147483647);
    w.WriteInteger(2147483647);
    EXPECT_EQ(r.ReadString(), "^M^J<<<");
    w.WriteString(QStringLiteral("^M^J<<<"));
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_FALSE(r.ReadBoolean());
    w.WriteBoolean(true);
    w.WriteBoolean(false);
    EXPECT_EQ(r.ReadInteger(), -5000000000LL);
    w.WriteInteger(-5000000000LL);
    EXPECT_EQ(r.ReadFloat(), 0.5L);
    w.WriteFloat(0.5L);
    EXPECT_EQ(r.ReadIdent(), "someIdent");
    w.WriteIdent(QStringLiteral("someIdent"));
    EXPECT_EQ(r.ReadIdent(), "nil");
    w.WriteIdent(QStringLiteral("nil"));
    // Single, currency, date and wide string through the general value calls.
    for (const Value& expected : {Value::Single(2.5f), Value::Currency(12345678), Value::Date(45351.5),
                                  Value::TextOf(ValueType::WString, QStringLiteral("Gr\u00FC\u20AC"))}) {
        const Value v = r.ReadValue();
        EXPECT_TRUE(v == expected) << stream::ValueTypeName(v.Type()).toStdString();
        w.WriteValue(v);
    }
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(w.Data().toHex(), bytes.toHex());
}

}  // namespace

// The length byte of a property name follows the previous property's value, where a list
// could also end; names of any length up to 255 must not be taken for a value tag.
TEST(ValueStream, property_names_of_every_length_read_back_from_the_binary_form) {
    for (const int length : {1, 20, 21, 64, 255}) {
        SCOPED_TRACE(length);
        stream::ObjectData root;
        root.className = QStringLiteral("TppPageDef");
        root.name = QStringLiteral("PageDef");
        const QString name = QString(length, u'm');
        root.properties.push_back(stream::Property{QStringLiteral("Width"), Value::Integer(8500), {}});
        root.properties.push_back(stream::Property{name, Value::Integer(6350), {}});
        root.properties.push_back(stream::Property{QStringLiteral("Items"), Item(std::nullopt, "mmMarginRightOfTheItem", Value::Integer(1)), {}});
        stream::ObjectData child;
        child.className = QStringLiteral("TppDrawText");
        child.properties.push_back(stream::Property{name, Value::Text(QStringLiteral("x")), {}});
        root.children.push_back(child);

        const stream::ObjectData read = stream::ReadObjectBinary(stream::WriteObjectBinary(root));
        EXPECT_TRUE(read == root);
        ASSERT_NE(read.FindProperty(name), nullptr);
        EXPECT_EQ(read.FindProperty(name)->value, Value::Integer(6350));
    }
}
