#include "platform/db/field.h"

#include "platform/db/blob_stream.h"
#include "platform/db/tests/db_fixture.h"

#include <QDataStream>

#include <gtest/gtest.h>

namespace {

using namespace dbtest;

db::TableDef allKinds() {
    db::TableDef def;
    def.Fields = {{"ID", FieldType::ftAutoInc, 0, false},     {"Alpha", FieldType::ftString, 5, false},
                  {"Num", FieldType::ftFloat, 0, false},      {"Money", FieldType::ftCurrency, 0, false},
                  {"Short", FieldType::ftSmallint, 0, false}, {"Long", FieldType::ftInteger, 0, false},
                  {"BCD", FieldType::ftBCD, 2, false},        {"Day", FieldType::ftDate, 0, false},
                  {"Clock", FieldType::ftTime, 0, false},     {"Stamp", FieldType::ftDateTime, 0, false},
                  {"Note", FieldType::ftMemo, 0, false},      {"Rich", FieldType::ftFmtMemo, 0, false},
                  {"Pic", FieldType::ftGraphic, 0, false},    {"Bin", FieldType::ftBlob, 16, false},
                  {"Raw", FieldType::ftBytes, 4, false},      {"Flag", FieldType::ftBoolean, 0, false}};
    def.Indexes = {{"", "ID", IndexOption::ixPrimary}};
    return def;
}

class FieldValues : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "Kinds.db", allKinds());
        t = OpenTable("Kinds.db");
        t->Append();
    }
    std::unique_ptr<db::Table> t;
};

struct TextCase {
    const char* field;
    const char* input;
    const char* asString;  // nullptr: the assignment raises kInvalidValue
    bool isNull;
};

TEST_F(FieldValues, text_assignment_converts_cuts_and_parses_per_field_kind) {
    static const TextCase cases[] = {
        {"Alpha", "abc", "abc", false},
        {"Alpha", "abcdefgh", "abcde", false},  // cut to the size, and reads back cut
        {"Alpha", "ÄÖÜäöx", "ÄÖÜäö", false},     // characters, not bytes
        {"Alpha", "", "", true},
        {"Num", "2.5", "2.5", false},
        {"Num", "1e3", "1000", false},
        {"Num", "abc", nullptr, false},
        {"Num", "", "", true},
        {"Short", "32767", "32767", false},
        {"Short", "32768", nullptr, false},
        {"Long", "-2147483648", "-2147483648", false},
        {"Long", "12x", nullptr, false},
        {"BCD", "1.236", "1.24", false},
        {"Day", "2024-02-29", "2024-02-29", false},
        {"Day", "2024-02-30", nullptr, false},
        {"Clock", "13:45:10", "13:45:10", false},
        {"Stamp", "2001-09-09T01:46:40", "2001-09-09 01:46:40", false},
        {"Flag", "TRUE", "True", false},
        {"Flag", "f", "False", false},
        {"Flag", "maybe", nullptr, false},
        {"Raw", "ab", "ab", false},
        {"Note", "line", "line", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.input);
        db::Field* f = t->FieldByName(c.field);
        f->Clear();
        if (!c.asString) {
            ExpectEngineError(db::ErrorCode::kInvalidValue, [&] { f->SetAsString(QString::fromUtf8(c.input)); });
            EXPECT_TRUE(f->IsNull());
            continue;
        }
        f->SetAsString(QString::fromUtf8(c.input));
        if (QByteArray(c.field) == "Raw") {
            EXPECT_EQ(f->AsBytes(), QByteArray("ab\0\0", 4));  // bytes are padded to their size
        } else {
            EXPECT_EQ(f->AsString(), QString::fromUtf8(c.asString));
        }
        EXPECT_EQ(f->IsNull(), c.isNull);
    }
}

TEST_F(FieldValues, a_text_cut_to_its_field_size_keeps_whole_characters) {
    // Alpha is 5 characters (UTF-16 units) long; an emoji is two of them
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    static const struct {
        QString input;
        QString stored;
    } cases[] = {
        {QStringLiteral("abcd") + emoji, QStringLiteral("abcd")},          // the pair would straddle the limit
        {QStringLiteral("abc") + emoji, QStringLiteral("abc") + emoji},    // fits exactly
        {emoji + emoji + emoji, emoji + emoji},
        {QStringLiteral("a") + QString::fromUcs4(U"\U00020000\U00020001\U00020002"), QStringLiteral("a") + QString::fromUcs4(U"\U00020000\U00020001")},
    };
    db::Field* alpha = t->FieldByName("Alpha");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        alpha->SetAsString(c.input);
        EXPECT_EQ(alpha->AsString(), c.stored);
        t->Post();
        // what the file holds reads back whole, without a replacement character
        EXPECT_EQ(t->FieldByName("Alpha")->AsString(), c.stored);
        EXPECT_FALSE(t->FieldByName("Alpha")->AsString().contains(QChar::ReplacementCharacter));
        t->Append();
    }
}

TEST_F(FieldValues, typed_accessors_round_trip_through_a_post) {
    t->FieldByName("Alpha")->SetAsString("Hello");
    t->FieldByName("Num")->SetAsFloat(3.25);
    t->FieldByName("Money")->SetAsCurrency(19.99);
    t->FieldByName("Short")->SetAsInteger(-7);
    t->FieldByName("Long")->SetAsInteger(123456789);
    t->FieldByName("Day")->SetAsDateTime(45000.75);  // the time part is dropped
    t->FieldByName("Clock")->SetAsDateTime(0.5);
    t->FieldByName("Stamp")->SetAsDateTime(45000.25);
    t->FieldByName("Flag")->SetAsBoolean(true);
    t->FieldByName("Note")->SetLines({"first", "second"});
    t->Post();
    t->Close();
    t->Open();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 1);
    EXPECT_FALSE(t->FieldByName("ID")->CanModify());
    EXPECT_EQ(t->FieldByName("alpha")->AsString(), "Hello");
    EXPECT_DOUBLE_EQ(t->FieldByName("Num")->AsFloat(), 3.25);
    EXPECT_DOUBLE_EQ(t->FieldByName("Money")->AsFloat(), 19.99);
    EXPECT_EQ(t->FieldByName("Short")->AsInteger(), -7);
    EXPECT_EQ(t->FieldByName("Long")->AsString(), "123456789");
    EXPECT_DOUBLE_EQ(t->FieldByName("Day")->AsDateTime(), 45000.0);
    EXPECT_DOUBLE_EQ(t->FieldByName("Clock")->AsDateTime(), 0.5);
    EXPECT_DOUBLE_EQ(t->FieldByName("Stamp")->AsDateTime(), 45000.25);
    EXPECT_TRUE(t->FieldByName("Flag")->AsBoolean());
    EXPECT_EQ(t->FieldByName("Note")->Lines(), (QStringList{"first", "second"}));
    EXPECT_EQ(t->FieldByName("Note")->AsString(), "first\r\nsecond\r\n");
    EXPECT_TRUE(t->FieldByName("Pic")->IsNull());
    EXPECT_EQ(t->FieldByName("Pic")->BlobSize(), 0);
    // null fields read as zero values
    EXPECT_EQ(t->FieldByName("BCD")->AsInteger(), 0);
    EXPECT_EQ(t->FieldByName("BCD")->AsString(), "");
    EXPECT_FALSE(t->FieldByName("Rich")->AsBoolean());
    // by position and name alike
    EXPECT_EQ(t->Fields(1), t->FieldByName("ALPHA"));
    EXPECT_EQ(t->Fields(1)->Index(), 1);
    EXPECT_EQ(t->Fields(1)->Size(), 5);
    EXPECT_EQ(t->Fields(1)->DataType(), FieldType::ftString);
    EXPECT_EQ(t->Fields(1)->DisplayLabel(), "Alpha");
    EXPECT_EQ(t->FindField("nope"), nullptr);
    ExpectEngineError(db::ErrorCode::kFieldNotFound, [&] { t->FieldByName("nope"); });
    ExpectEngineError(db::ErrorCode::kFieldNotFound, [&] { t->Fields(99); });
}

TEST_F(FieldValues, blobs_read_and_write_whole_and_as_streams) {
    QByteArray picture(100000, '\0');
    for (int i = 0; i < picture.size(); ++i) picture[i] = char(i * 31);
    t->FieldByName("Pic")->SetAsBytes(picture);
    {
        db::BlobStream out(t->FieldByName("Bin"), db::BlobStreamMode::bmWrite);
        QDataStream s(&out);
        s << qint32(42) << QString("inside");
    }
    t->Post();
    EXPECT_EQ(t->FieldByName("Pic")->BlobSize(), 100000);
    EXPECT_EQ(t->FieldByName("Pic")->AsBytes(), picture);
    {
        db::BlobStream in(t->FieldByName("Bin"), db::BlobStreamMode::bmRead);
        QDataStream s(&in);
        qint32 n = 0;
        QString text;
        s >> n >> text;
        EXPECT_EQ(n, 42);
        EXPECT_EQ(text, "inside");
    }
    ExpectEngineError(db::ErrorCode::kNotEditing, [&] { db::BlobStream(t->FieldByName("Bin"), db::BlobStreamMode::bmWrite); });
    t->Edit();
    {
        db::BlobStream s(t->FieldByName("Pic"), db::BlobStreamMode::bmReadWrite);
        s.seek(s.size());
        s.write("tail");
    }
    t->FieldByName("Bin")->Clear();
    t->Post();
    EXPECT_EQ(t->FieldByName("Pic")->AsBytes(), picture + "tail");
    EXPECT_TRUE(t->FieldByName("Bin")->IsNull());
}

TEST_F(FieldValues, assign_copies_values_and_nulls_between_fields_of_different_kinds) {
    t->FieldByName("Alpha")->SetAsString("12");
    t->FieldByName("Long")->Assign(*t->FieldByName("Alpha"));
    EXPECT_EQ(t->FieldByName("Long")->AsInteger(), 12);
    t->FieldByName("Num")->SetAsFloat(2.5);
    t->FieldByName("Note")->Assign(*t->FieldByName("Num"));
    EXPECT_EQ(t->FieldByName("Note")->AsString(), "2.5");
    t->FieldByName("Day")->SetAsDateTime(2.0);
    t->FieldByName("Alpha")->Assign(*t->FieldByName("Day"));
    EXPECT_EQ(t->FieldByName("Alpha")->AsString(), "1900-");  // cut to 5 characters
    t->FieldByName("Num")->Assign(*t->FieldByName("Pic"));
    EXPECT_TRUE(t->FieldByName("Num")->IsNull());
}

}  // namespace
