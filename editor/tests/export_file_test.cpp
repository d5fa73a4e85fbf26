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
        const auto file = editor::ParseExportFile(QByteArray(c.file));
        const QString got = file ? rowsText(file->rows) : QStringLiteral("error at %1").arg(file.error().line);
        EXPECT_EQ(got, QString::fromUtf8(c.rows));
        if (!file) {
            EXPECT_EQ(file.error().text,
                      QStringLiteral("Import file format is incorrect (line %1)").arg(file.error().line));
        } else {
            EXPECT_EQ(file->encoding, QStringLiteral("UTF-8"));
        }
    }
}

// A file the earlier Windows program wrote is ANSI: it is read as Windows-1252, and says so.
TEST(ExportFile, a_file_that_is_not_utf8_is_read_as_windows_1252) {
    const QByteArray ansi("~\r\nPr\xE9" "f~B~C~D~\x80 \x93quoted\x94 \x9F\r\n");
    const auto file = editor::ParseExportFile(ansi);
    ASSERT_TRUE(file.ok()) << file.error().text.toStdString();
    EXPECT_EQ(file->encoding, QStringLiteral("Windows-1252"));
    EXPECT_EQ(rowsText(file->rows), QStringLiteral("Pr\u00E9f/B/C/D/\u20AC \u201Cquoted\u201D \u0178"));
}

// A field longer than the table holds refuses the whole file, naming the first such line,
// instead of cutting it (two long keys would silently become one row).
TEST(ExportFile, a_field_longer_than_its_column_refuses_the_file_naming_the_line) {
    const QString key50(50, u'k');
    const QString value200(200, u'v');
    const struct {
        QString line;
        int errorLine;
        const char* field;
    } cases[] = {
        // Fields at their sizes fit; the too long key of the last line is named.
        {key50 + "~" + key50 + "~" + key50 + "~" + key50 + "~" + value200, 4, "Section"},
        {key50 + "x~B~C~D~E", 3, "Section"},
        {"A~B~" + key50 + "x~D~E", 3, "Key2"},
        {"A~B~C~" + key50 + QString::fromUtf8("\xF0\x9F\x98\x80") + "~E", 3, "Variable"},
        {"A~B~C~D~" + value200 + "!", 3, "Value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const QByteArray bytes = ("~\r\nA~B~C~D~E\r\n" + c.line + "\r\n" + key50 + "yy~B~C~D~E\r\n").toUtf8();
        const auto file = editor::ParseExportFile(bytes);
        ASSERT_FALSE(file.ok());
        EXPECT_EQ(file.error().code, editor::kFieldTooLong);
        EXPECT_EQ(file.error().line, c.errorLine);
        EXPECT_TRUE(file.error().text.startsWith(QStringLiteral("Line %1 of the import file").arg(c.errorLine)));
        EXPECT_TRUE(file.error().text.contains(QLatin1String(c.field)));
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
    EXPECT_EQ(rowsText(back->rows), rowsText(rows));
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
