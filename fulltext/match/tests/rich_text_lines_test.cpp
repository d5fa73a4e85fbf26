#include "fulltext/match/rich_text_lines.h"

#include "fulltext/errors.h"
#include "fulltext/testsupport/memory_links.h"

#include "platform/db/table.h"

#include "testsupport/qt_printers.h"
#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using db::FieldType;

class RichTextExtraction : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        table = std::make_unique<db::Table>();
        table->SetDatabaseName(Path());
        table->SetTableName(QStringLiteral("Notes.DB"));
        table->FieldDefs() = {{"ID", FieldType::ftInteger, 0, true},       {"Title", FieldType::ftString, 40, false},
                              {"Body", FieldType::ftFmtMemo, 0, false},    {"Plain", FieldType::ftMemo, 0, false},
                              {"Picture", FieldType::ftBlob, 0, false},    {"Amount", FieldType::ftFloat, 0, false}};
        table->IndexDefs() = {{"", "ID", db::IndexOption::ixPrimary}};
        table->CreateTable();
        table->Open();
    }

    void addRow(int id, const QByteArray& body, const QString& plain = QString(), const QByteArray& blob = {}) {
        table->Append();
        table->FieldByName("ID")->SetAsInteger(id);
        table->FieldByName("Title")->SetAsString(QStringLiteral("Row %1").arg(id));
        if (!body.isNull()) table->FieldByName("Body")->SetAsBytes(body);
        if (!plain.isNull()) table->FieldByName("Plain")->SetAsString(plain);
        if (!blob.isNull()) table->FieldByName("Picture")->SetAsBytes(blob);
        table->FieldByName("Amount")->SetAsFloat(12.5);
        table->Post();
    }

    static void expectInvalidParameter(const std::function<void()>& work) {
        try {
            work();
            ADD_FAILURE() << "no ETessick 30480";
        } catch (const ETessick& e) {
            EXPECT_EQ(e.ErrorCode(), 30480);
            EXPECT_EQ(e.Message(), QStringLiteral("Invalid parameter"));
        }
    }

    std::unique_ptr<db::Table> table;
};

TEST_F(RichTextExtraction, rich_text_of_a_stored_field_becomes_its_plain_lines) {
    addRow(1, QByteArrayLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
                                "\\f0\\fs20 First {\\b bold} line\\par Second\\line broken\\tab tabbed\\par "
                                "Caf\\'e9 au lait\\par}"));
    QStringList lines = {QStringLiteral("stale")};
    RichTextFieldToLines(table->FieldByName("Body"), &lines);
    const QStringList expected = {QStringLiteral("First bold line"), QStringLiteral("Second"),
                                  QStringLiteral("broken\ttabbed"), QString::fromUtf8("Caf\xC3\xA9 au lait")};
    EXPECT_EQ(lines, expected);
}

TEST_F(RichTextExtraction, plain_text_null_fields_and_damaged_rtf_give_what_they_hold) {
    addRow(1, QByteArray(), QString::fromUtf8("one\r\ntwo \xC3\xBC"), QByteArrayLiteral("{\\rtf1 cut {\\b off"));
    QStringList lines = {QStringLiteral("stale")};
    RichTextFieldToLines(table->FieldByName("Body"), &lines);
    EXPECT_TRUE(lines.isEmpty());
    RichTextFieldToLines(table->FieldByName("Plain"), &lines);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("one"), QString::fromUtf8("two \xC3\xBC")}));
    RichTextFieldToLines(table->FieldByName("Picture"), &lines);
    EXPECT_EQ(lines, QStringList{QStringLiteral("cut off")});
    RichTextFieldToLines(table->FieldByName("Title"), &lines);
    EXPECT_EQ(lines, QStringList{QStringLiteral("Row 1")});
}

TEST_F(RichTextExtraction, a_missing_field_or_list_or_a_field_without_text_is_refused) {
    addRow(1, QByteArrayLiteral("{\\rtf1 x}"));
    QStringList lines = {QStringLiteral("kept")};
    expectInvalidParameter([&] { RichTextFieldToLines(nullptr, &lines); });
    expectInvalidParameter([&] { RichTextFieldToLines(table->FieldByName("Body"), nullptr); });
    expectInvalidParameter([&] { RichTextFieldToLines(table->FieldByName("Amount"), &lines); });
    expectInvalidParameter([&] { RichTextFieldToLines(table->FieldByName("ID"), &lines); });
    EXPECT_EQ(lines, QStringList{QStringLiteral("kept")});
}

TEST_F(RichTextExtraction, the_lines_feed_an_engine_as_words) {
    addRow(1, QByteArrayLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 {\\i red} car\\par blue-bus\\par}"));
    fulltext::testing::CollectingEngine engine;
    fulltext::testing::MemoryWordsLink words;
    engine.SetWordsLink(&words);
    QStringList lines;
    RichTextFieldToLines(table->FieldByName("Body"), &lines);
    engine.ParseLines(lines, true);
    const std::vector<QString> expected = {QStringLiteral("RED"), QStringLiteral("CAR"), QStringLiteral("BLUE"),
                                           QStringLiteral("BUS")};
    EXPECT_EQ(engine.words, expected);
}

}  // namespace
