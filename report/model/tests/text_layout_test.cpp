#include "report/model/text_layout.h"

#include "platform/format/format_settings.h"
#include "platform/paint/text_metrics.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include "test_paths.h"

namespace {

class Printer600 : public report::PrinterResolution {
public:
    int PixelsPerInchX() const override { return 600; }
    int PixelsPerInchY() const override { return 600; }
};

/// A fixed-pitch test font: Courier New (drawn as Liberation Mono), 10 points.
const TppFont& testFont() {
    static TppFont* f = [] {
        auto* font = new TppFont;
        font->SetName("Courier New");
        font->SetSize(10);
        return font;
    }();
    return *f;
}

/// mm-thousandths that hold `chars` characters of the test font.
int widthOfChars(double chars) {
    const paint::TextMetrics m(testFont().Font(), 7200, 7200);
    const double inches = m.WidthUnits("x") * chars / 7200.0;
    return int(inches / 0.03937 * 1000.0);
}

QStringList wrap(const QString& text, double widthChars, bool charWrap, const report::PrinterResolution* printer,
                 int& startPos, int heightMM = 1000000) {
    QStringList lines;
    const TppFont& font = testFont();
    ppWordWrap(text, QRect(0, 0, widthOfChars(widthChars), heightMM), font, 0, true, lines, nullptr, printer, startPos,
               charWrap);
    return lines;
}

TEST(WordWrap, breaks_text_into_the_lines_that_fit) {
    struct Case {
        const char* text;
        double width;  // in characters of the test font
        bool charWrap;
        QStringList expected;
    };
    static const Case cases[] = {
        {"aaa bbb ccc", 7.5, false, {"aaa bbb", "ccc"}},
        {"aaa bbb ccc ddd", 7.5, true, {"aaa bbb", "ccc ddd"}},
        {"aaaaaaaaaaaa bb", 7.5, false, {"aaaaaaaaaaaa", "bb"}},
        {"aaaaaaaaaaaa bb", 5.5, true, {"aaaaa", "aaaaa", "aa", "bb"}},
        {"x aaaaaaaaaaaa", 5.5, true, {"x", "aaaaa", "aaaaa", "aa"}},
        {"a\r\n\r\nb", 10, false, {"a", "", "b"}},
        {"one two  ", 20, false, {"one two"}},
        {"aaa    bbb", 5.5, false, {"aaa", "bbb"}},
        {"  indented text", 20, false, {"  indented text"}},
        {"last line\n", 20, false, {"last line"}},
        {"", 20, false, {}},
    };
    Printer600 printer;
    for (const report::PrinterResolution* device : {static_cast<const report::PrinterResolution*>(nullptr),
                                                     static_cast<const report::PrinterResolution*>(&printer)}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(QString("%1 / %2 / %3").arg(c.text).arg(c.width).arg(device ? 600 : 96).toStdString());
            int start = 0;
            EXPECT_EQ(wrap(c.text, c.width, c.charWrap, device, start), c.expected);
            EXPECT_EQ(start, -1);
        }
    }
}

TEST(WordWrap, a_full_rectangle_hands_back_where_the_next_page_starts) {
    Printer600 printer;
    int lineHeight = 0;
    const TppFont& font = testFont();
    const int lines = ppGetLinesPerHeight(font, 0, 100000, lineHeight, &printer);
    ASSERT_GT(lineHeight, 0);
    EXPECT_EQ(lines, 100000 / lineHeight);
    const int twoLines = lineHeight * 2 + lineHeight / 2;
    const QString text = "aaa bbb ccc ddd eee";
    int start = 0;
    EXPECT_EQ(wrap(text, 7.5, false, &printer, start, twoLines), (QStringList{"aaa bbb", "ccc ddd"}));
    EXPECT_EQ(start, int(text.indexOf("eee")));
    EXPECT_EQ(wrap(text, 7.5, false, &printer, start, twoLines), QStringList{"eee"});
    EXPECT_EQ(start, -1);

    // Broken words continue where the pieces stopped.
    const QString word = "abcdefghijklmnop";
    start = 0;
    EXPECT_EQ(wrap(word, 5.5, true, &printer, start, twoLines), (QStringList{"abcde", "fghij"}));
    EXPECT_EQ(start, 10);
    EXPECT_EQ(wrap(word, 5.5, true, &printer, start, twoLines), (QStringList{"klmno", "p"}));
    EXPECT_EQ(start, -1);

    // No room for one line: no lines.
    start = 0;
    EXPECT_TRUE(wrap(text, 7.5, false, &printer, start, lineHeight / 2).isEmpty());
}

TEST(WordWrap, a_real_paragraph_wraps_alike_at_every_resolution_and_keeps_every_word) {
    QFile file(QStringLiteral(TEST_DATA_DIR "/gpl3_opening.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(file.read(4000));
    text = text.mid(text.indexOf("The licenses for most software")).section("\n\n", 0, 0).replace('\n', ' ');
    ASSERT_GT(text.size(), 200);
    struct Dpi : report::PrinterResolution {
        int dpi;
        explicit Dpi(int d) : dpi(d) {}
        int PixelsPerInchX() const override { return dpi; }
        int PixelsPerInchY() const override { return dpi; }
    };
    QList<QStringList> results;
    for (int dpi : {72, 96, 300, 600, 1200}) {
        Dpi printer(dpi);
        int start = 0;
        results << wrap(text, 40.5, false, &printer, start);
    }
    for (const QStringList& r : results) EXPECT_EQ(r, results.front());
    for (const QString& line : results.front()) EXPECT_LE(line.size(), 40);
    EXPECT_EQ(results.front().join(' ').simplified(), text.simplified());
}

TEST(TextHelpers, next_word_includes_its_delimiter) {
    const QString text = "one two\tthree\r\nfour";
    int pos = 0;
    QStringList words;
    while (pos != -1) words << ppGetNextWord(text, pos);
    EXPECT_EQ(words, (QStringList{"one ", "two\t", "three\r\n", "four"}));
}

TEST(TextHelpers, page_lists) {
    struct Case {
        const char* text;
        QStringList expected;
    };
    static const Case cases[] = {
        {"1,3,5-12", {"1", "3", "5", "6", "7", "8", "9", "10", "11", "12"}},
        {"5-3", {"3", "5"}},
        {"3,3", {"3"}},
        {"12 2;7", {"2", "7", "12"}},
        {"", {}},
        {"-4", {"4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QStringList list;
        ppTextToPageList(c.text, list, true);
        EXPECT_EQ(list, c.expected);
    }
    QStringList untrimmed;
    ppTextToPageList("2,10", untrimmed, false);
    EXPECT_EQ(untrimmed, (QStringList{"       2", "      10"}));
}

TEST(TextHelpers, padding_cuts_or_fills_by_justification) {
    EXPECT_EQ(ppPadText("ab", 5, 2), " ab  ");
    EXPECT_EQ(ppPadText("ab", 5, 1), "   ab");
    EXPECT_EQ(ppPadText("ab", 5, 0), "ab   ");
    EXPECT_EQ(ppPadText("abcdef", 3, 0), "abc");
}

TEST(TextHelpers, values_are_formatted_by_data_type) {
    format::ScopedSettings settings(format::FormatSettings{});
    struct Case {
        const char* displayFormat;
        TppDataType type;
        QVariant value;
        const char* expected;
    };
    const Case cases[] = {
        {"$#,0.00", TppDataType::dtCurrency, 1234.5, "$1,234.50"},
        {"", TppDataType::dtInteger, QVariant(), ""},
        {"", TppDataType::dtDouble, 0.1 + 0.2, "0.3"},
        {"#,0.00", TppDataType::dtDouble, 1234.567, "1,234.57"},
        {"Yes;No", TppDataType::dtBoolean, false, "No"},
        {"Done", TppDataType::dtBoolean, false, ""},
        {"", TppDataType::dtBoolean, true, "True"},
        {"", TppDataType::dtDate, QDate(1995, 3, 4), "3/4/1995"},
        {"mmmm d, yyyy", TppDataType::dtDate, QDate(1995, 3, 4), "March 4, 1995"},
        {"", TppDataType::dtString, "plain", "plain"},
        {"000\\-00\\-0000;0; ", TppDataType::dtString, "123456789", "123-45-6789"},
        {"", TppDataType::dtBLOB, "x", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(ppFormatValue(c.displayFormat, c.type, c.value), QString::fromLatin1(c.expected));
    }
    EXPECT_EQ(ppFormatNumericText("1,234.50", ""), "1234.5");
    EXPECT_EQ(ppFormatNumericText("12", ""), "12");
    EXPECT_EQ(ppFormatNumericText("n/a", ""), "");
}

TEST(TextHelpers, system_variable_texts) {
    struct Case {
        TppVarType type;
        bool known;
        const char* expected;
    };
    static const Case cases[] = {
        {TppVarType::vtPageSetDesc, true, "Page 3 of 12"}, {TppVarType::vtPageSet, true, "3 of 12"},
        {TppVarType::vtPageNoDesc, true, "Page 3"},        {TppVarType::vtPageCount, true, "12"},
        {TppVarType::vtPageSetDesc, false, "Page 1 of 1"}, {TppVarType::vtPageNo, false, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        QString text;
        ppGetSystemVariableText(c.type, 3, 12, text, c.known, 0);
        EXPECT_EQ(text, c.expected);
    }
    format::ScopedSettings settings(format::FormatSettings{});
    QString printed;
    ppGetSystemVariableText(TppVarType::vtPrintDateTime, 1, 1, printed, true, 34762.5);  // 1995-03-04 12:00
    EXPECT_EQ(printed, "3/4/1995 12:00:00 PM");
    QString custom = "x";
    ppGetCalcText(TppCalcType::ctCustom, 1, 1, custom, true, 0);
    EXPECT_TRUE(custom.isEmpty());
}

TEST(TextHelpers, display_format_lists_pair_a_sample_with_its_format) {
    QStringList list;
    ppGetDisplayFormats(TppDataType::dtDateTime, list);
    ASSERT_EQ(list.size(), 11);
    EXPECT_EQ(list.first(), QString("3/4/95 1:30:55 PM") + QChar(1) + "m/d/yy h:nn:ss AM/PM");
    ppGetDisplayFormats(TppDataType::dtBLOB, list);
    EXPECT_TRUE(list.isEmpty());
}

TEST(TextHelpers, small_routines) {
    EXPECT_EQ(ppVersionToInt("4.0"), 4000);
    EXPECT_EQ(ppVersionToInt("5.01"), 5010);
    EXPECT_EQ(ppVersionToInt("10.0"), 1000);
    EXPECT_EQ(ppTextToIdentifier("1st  order-date"), "st_order_date");
    EXPECT_EQ(ppProperCase("ORDER_date total"), "Order Date Total");
    EXPECT_EQ(ppGetScalableFontName("MS Sans Serif"), "Arial");
    EXPECT_EQ(ppGetScalableFontName("Courier"), "Courier New");
    EXPECT_EQ(ppGetScalableFontName("courier"), "courier");
    struct TableCase {
        const char* text;
        bool flagBefore;
        const char* name;
        const char* second;
        bool flag;
    };
    for (const TableCase& c : {TableCase{"orders.DB", false, "orders", "DB", true},
                               TableCase{"Packages.dbf", false, "Packages", "dbf", true},
                               TableCase{"dbo.orders", true, "orders", "dbo", false},
                               TableCase{"Hierarchy", true, "Hierarchy", "", true},
                               TableCase{"Hierarchy", false, "Hierarchy", "", false}}) {
        SCOPED_TRACE(c.text);
        QString name, second = "stale";
        bool flag = c.flagBefore;
        ppParseTableName(c.text, name, second, flag);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(second, c.second);
        EXPECT_EQ(flag, c.flag);
    }
    QStringList items;
    ppCommaTextToList("a,,b,", items);
    EXPECT_EQ(items, (QStringList{"a", "", "b"}));
    EXPECT_EQ(ppExtractFilePath("C:\\Reports\\sales.rtm"), "C:\\Reports\\");
    EXPECT_EQ(ppTrimText("\t x \r\n"), "x");
    QStringList old = {"object ppReport1: TppReport", "  PaperHeight = 279400", "  Version = '2.0'",
                       "    Left = 12", "    Width = 3.5"};
    EXPECT_TRUE(ppConvertOldTextTemplate(old));
    EXPECT_EQ(old, (QStringList{"object ppReport1: TppReport", "  PaperHeight = 279400.0", "  Version = '2.0'",
                                "    Left = 12.0", "    Width = 3.5"}));
}

}  // namespace
