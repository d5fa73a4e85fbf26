#include "editor/export_file.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

using editor::SettingsRow;

QString rowsText(const std::vector<SettingsRow>& rows) {
    QStringList out;
    for (const auto& r : rows) out << QStringList{r.Section, r.Key1, r.Key2, r.Variable, r.Value}.join(u'/');
    return out.join(u'\n');
}

TEST(ExportFile, reading_takes_the_value_as_the_rest_of_the_line_and_reports_malformed_lines) {
    struct Case {
        const char* file;
        const char* rows;  // "S/K1/K2/V/Value" lines, or "error at <line>"
    };
    static const Case cases[] = {
        {"~\r\nA~B~C~D~E\r\nF~G~H~I~J\r\n", "A/B/C/D/E\nF/G/H/I/J"},
        {"~\r\nA~B~C~D~E", "A/B/C/D/E"},                            // last line without a break
        {"~\r\n\r\nA~B~C~D~E\r\n   \r\n\r\n", "A/B/C/D/E"},          // blank lines skipped
        {"~\r\nA~B~C~D~\r\n", "A/B/C/D/"},                           // empty Value
        {"~\r\nA~B~C~D~x~y~\r\n", "A/B/C/D/x~y~"},                   // delimiter inside the Value
        {"~\r\n~B~C~D~E\r\n", "/B/C/D/E"},                           // empty Section
        {"|ignored\r\nA|B|C|D|E\r\n", "A/B/C/D/E"},                  // first character only
        {"~\nA~B~C~D~ E \n", "A/B/C/D/ E "},                         // LF only; fields not trimmed
        {"\xEF\xBB\xBF~\r\nA~B~C~D~E\r\n", "A/B/C/D/E"},             // byte-order mark
        {"~\r\nPr\xC3\xA9" "f~B~C~D~\xE2\x82\xAC\r\n", "Préf/B/C/D/€"},  // UTF-8
        {"~\r\n", "error at 2"},                                     // no data line
        {"", "error at 1"},
        {"~\r\nA~B~C~D~E\r\nA~B~C\r\n", "error at 3"},               // too few fields
        {"\r\nABCDE\r\n", "error at 2"},                             // empty delimiter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto rows = editor::ParseExportFile(QByteArray(c.file));
        const QString got = rows ? rowsText(*rows) : QStringLiteral("error at %1").arg(rows.error().line);
        EXPECT_EQ(got, QString::fromUtf8(c.rows));
        if (!rows) {
            EXPECT_EQ(rows.error().text, QStringLiteral("Import file format is incorrect"));
        }
    }
}

TEST(ExportFile, every_row_reads_back_as_it_was_written) {
    const std::vector<SettingsRow> rows = {
        {"Forms", "Main", "Layout", "Position", "10,10,480,640"},
        {"Preferences", "General", "Options", "Empty", ""},
        {"Preferences", "General", "Options", "Delimited", "a~b~~c~"},
        {"", "", "", "", ""},
        {" Blank ", "K", "K", "", " spaced "},
        {QString::fromUtf8("Général"), QString::fromUtf8("Écran"), "x", QString::fromUtf8("Größe"), QString::fromUtf8("½ €")},
    };
    const auto file = editor::FormatExportFile(QStringLiteral("~"), rows);
    ASSERT_TRUE(file.ok()) << file.error().text.toStdString();
    EXPECT_TRUE(file->startsWith("~\r\nForms~Main~Layout~Position~10,10,480,640\r\n"));
    const auto back = editor::ParseExportFile(*file);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(rowsText(*back), rowsText(rows));
}

TEST(ExportFile, writing_refuses_rows_that_would_not_read_back_the_same) {
    struct Case {
        const char* delimiter;
        SettingsRow row;
        int error;  // 0: written
    };
    static const Case cases[] = {
        {"~", {"A", "B", "C", "D", "value ~ with delimiter"}, 0},
        {"|", {"A", "B~", "C", "D", "E"}, 0},
        {"~", {"A", "B~", "C", "D", "E"}, editor::kUnexportableRow},
        {"~", {"A", "B", "C", "D~", "E"}, editor::kUnexportableRow},
        {"~", {"A", "B", "C", "D", "two\r\nlines"}, editor::kUnexportableRow},
        {"", {"A", "B", "C", "D", "E"}, editor::kBadDelimiter},
        {"~~", {"A", "B", "C", "D", "E"}, editor::kBadDelimiter},
        {"\n", {"A", "B", "C", "D", "E"}, editor::kBadDelimiter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.delimiter) + " " + c.row.Key1.toStdString() + c.row.Value.toStdString());
        const auto file = editor::FormatExportFile(QString::fromUtf8(c.delimiter), {c.row});
        EXPECT_EQ(file.ok() ? 0 : file.error().code, c.error);
    }
}

TEST(ExportFile, trim_blanks_removes_only_the_character_32) {
    EXPECT_EQ(editor::TrimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(editor::TrimBlanks(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
    EXPECT_EQ(editor::TrimBlanks(QStringLiteral("   ")), QString());
}

}  // namespace
