#include "platform/richtext/rtf_reader.h"

#include "platform/richtext/plain_lines.h"
#include "platform/richtext/tests/document_text.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTextDocument>

namespace {

QByteArray fixture(const char* name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) ADD_FAILURE() << "missing fixture " << name;
    return f.readAll();
}

struct FixtureCase {
    const char* file;
    bool rtf;
    bool damaged;
    const char* lines;      ///< expected plain lines, joined by "|"
    const char* structure;  ///< expected DescribeDocument text
};

// Good documents first, then damaged ones: a damaged document gives what could be read.
const FixtureCase kFixtures[] = {
    {"formats.rtf", true, false, "Plain bold italic under gone|Red Times and marked|both reset again",
     "P\n"
     "  \"Plain \" Arial 10\n"
     "  \"bold\" Arial 10 b\n"
     "  \" \" Arial 10\n"
     "  \"italic\" Arial 10 i\n"
     "  \" \" Arial 10\n"
     "  \"under\" Arial 10 u\n"
     "  \" \" Arial 10\n"
     "  \"gone\" Arial 10 s\n"
     "P\n"
     "  \"Red Times\" Times New Roman 14 fg=#ff0000\n"
     "  \" and \" Arial 10\n"
     "  \"marked\" Arial 10 bg=#0000ff\n"
     "P\n"
     "  \"both \" Arial 10 b i\n"
     "  \"reset\" Arial 12\n"
     "  \" again\" Arial 10 b i\n"},
    {"paragraphs.rtf", true, false, "Centred|Right|Justified and indented|Name\tValue|First line|second line||Last",
     "P center\n"
     "  \"Centred\" Arial 12\n"
     "P right\n"
     "  \"Right\" Arial 12\n"
     "P justify li=720 fi=-360 ri=360 sb=120 sa=240\n"
     "  \"Justified and indented\" Arial 12\n"
     "P tab=1440 tab=4320R tab=5000C tab=6000D\n"
     "  \"Name\\tValue\" Arial 12\n"
     "P\n"
     "  \"First line\\nsecond line\" Arial 12\n"
     "P\n"
     "  (empty 12)\n"
     "P\n"
     "  \"Last\" Arial 12\n"},
    {"bullets.rtf", true, false, "Shopping:|Apples|Pears|First|Second|Word list|After",
     "P\n"
     "  \"Shopping:\" Arial 10\n"
     "P li=120 list0=disc\n"
     "  \"Apples\" Arial 10\n"
     "P li=120 list0=disc\n"
     "  \"Pears\" Arial 10\n"
     "P list1=decimal\n"
     "  \"First\" Arial 10\n"
     "P list1=decimal\n"
     "  \"Second\" Arial 10\n"
     "P li=120 list2=disc\n"
     "  \"Word list\" Arial 10\n"
     "P\n"
     "  \"After\" Arial 10\n"},
    {"code_pages.rtf", true, false,
     "caf\u00e9 \u20ac 5\u2026|\u017ee\u0161la|\u041f\u0440\u0438\u0432\u0435\u0442|\u0416\U0001F600 \u20acx|\u00e9t\u00e9|"
     "font\u00a0name\u00adless\u2011dash",
     "P\n"
     "  \"caf\u00e9 \u20ac 5\u2026\" Arial 12\n"
     "P\n"
     "  \"\u017ee\u0161la\" Arial CE 12\n"
     "P\n"
     "  \"\u041f\u0440\u0438\u0432\u0435\u0442\" Arial Cyr 12\n"
     "P\n"
     "  \"\u0416\U0001F600 \u20acx\" Arial 12\n"
     "P\n"
     "  \"\u00e9t\u00e9\" Arial 12\n"
     "P\n"
     "  \"font\u00a0name\u00adless\u2011dash\" Caf\u00e9 Sans 12\n"},
    {"cyrillic_document.rtf", true, false, "\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440",
     "P\n"
     "  \"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440\" Arial 12\n"},
    {"unknown.rtf", true, false, "Visible  text|link text| after pict|A\tB\t|still shown",
     "P\n"
     "  \"Visible  text\" Courier New 12\n"
     "P\n"
     "  \"link text\" Courier New 12\n"
     "P\n"
     "  \" after pict\" Courier New 12\n"
     "P\n"
     "  \"A\\tB\\t\" Courier New 12\n"
     "P\n"
     "  \"still shown\" Courier New 12\n"},
    {"plain.txt", false, false, "Line one|Line two\tend",
     "P\n  \"Line one\" DejaVu Sans 9\nP\n  \"Line two\\tend\" DejaVu Sans 9\n"},
    {"plain_ansi.txt", false, false, "caf\u00e9|\u20ac 5",
     "P\n  \"caf\u00e9\" DejaVu Sans 9\nP\n  \"\u20ac 5\" DejaVu Sans 9\n"},
    {"extra_close.rtf", true, false, "text", "P\n  \"text\" DejaVu Sans 12\n"},
    {"unbalanced.rtf", true, true, "bold deep", "P\n  \"bold \" DejaVu Sans 12 b\n  \"deep\" DejaVu Sans 12 b i\n"},
    {"truncated_escape.rtf", true, true, "ab", "P\n  \"ab\" DejaVu Sans 12\n"},
    {"binary_past_end.rtf", true, true, "A", "P\n  \"A\" DejaVu Sans 12\n"},
    {"huge_numbers.rtf", true, false, "big\ufffdyz", "P\n  \"big\ufffdyz\" DejaVu Sans 1638\n"},
};

TEST(RtfReader, fixtures_give_their_plain_lines_and_structure) {
    for (const FixtureCase& c : kFixtures) {
        SCOPED_TRACE(c.file);
        const QByteArray data = fixture(c.file);
        QTextDocument doc;
        const richtext::RtfReadStatus status = richtext::ReadRtf(data, doc);
        EXPECT_EQ(status.rtf, c.rtf);
        EXPECT_EQ(status.damaged, c.damaged);
        EXPECT_EQ(richtext::DocumentLines(doc).join(u'|'), QString::fromUtf8(c.lines));
        EXPECT_EQ(richtext::RtfToPlainLines(data).join(u'|'), QString::fromUtf8(c.lines));
        EXPECT_EQ(richtext::test::DescribeDocument(doc), QString::fromUtf8(c.structure));
    }
}

TEST(RtfReader, short_inputs_read_as_expected) {
    static const struct {
        const char* rtf;
        const char* lines;
    } kCases[] = {
        {"", ""},
        {"{\\rtf1}", ""},
        {"{\\rtf1 A\\par}", "A"},                        // the final paragraph mark adds no paragraph
        {"{\\rtf1 A\\par\\par}", "A|"},
        {"{\\rtf1 A\\par B}", "A|B"},
        {"  \r\n{\\rtf1 lead}", "lead"},                   // white space before the group
        {"{\\rtf1 a\\\\b\\{c\\}}", "a\\b{c}"},
        {"{\\rtf1 x\\\r\ny}", "x|y"},                        // backslash-newline is a paragraph mark
        {"{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
         "\u2014\u2013\u2022\u2018\u2019\u201c\u201d"},
        {"{\\rtf1 \\u-1?x\\u65535?y}", "\uffffx\uffffy"},
        {"{\\rtf1 lone\\u-10179?end}", "lone\ufffdend"},    // half a surrogate pair
        {"{\\rtf1 \\u64976?obj\\u65532?}", "\ufffdobj\ufffd"},  // characters the document keeps for itself
        {"{\\rtf1 {\\info \\par hidden}shown}", "shown"},
        {"{\\rtf1 {\\*\\pn\\pnlvlblt}text}", "text"},
        {"{\\rtf1 \\u1046\\'3f\\'3fok}", "\u0416?ok"},      // one fallback character by default
        {"{\\rtf1 {\\uc2\\u1046 ab}c}", "\u0416c"},
        {"{\\rtf1 \\u1046{x}}", "\u0416x"},                  // a group ends fallback skipping
        {"{\\rtf1 \\'e9\\'zz.}", "\u00e9zz."},               // a bad escape is dropped
        {"{\\rtf1 \\bin3 {}\\x}", "x"},
        {"{\\rtf1\\ansicpg1251 \\'e0\\ansicpg0 }", "\u0430"},
        {"{\\rtf1\\ansicpg8 \\'e9}", "\u00e9"},               // unknown code page: Windows-1252
        {"{\\rtf1 \x01\x02tab\tchar}", "tab\tchar"},
        {"{\\rtf1 \xe9t\xe9}", "\u00e9t\u00e9"},              // 8-bit bytes in the document's code page
        {"no rtf at all", "no rtf at all"},
        {"\xef\xbb\xbfplain \xc3\xa9", "plain \u00e9"},  // a UTF-8 byte-order mark is not text
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.rtf);
        EXPECT_EQ(richtext::RtfToPlainLines(QByteArrayView(c.rtf)).join(u'|'), QString::fromUtf8(c.lines));
    }
}

TEST(RtfReader, deep_nesting_is_capped_without_losing_the_text_around_it) {
    const int depth = 200000;
    QByteArray rtf = "{\\rtf1 before ";
    rtf += QByteArray(depth, '{');
    rtf += "lost";
    rtf += QByteArray(depth, '}');
    rtf += " after}";
    QTextDocument doc;
    const richtext::RtfReadStatus status = richtext::ReadRtf(rtf, doc);
    EXPECT_TRUE(status.damaged);
    EXPECT_EQ(richtext::DocumentLines(doc), QStringList{QStringLiteral("before  after")});

    QByteArray allowed = "{\\rtf1 ";
    for (int i = 0; i < richtext::kMaxRtfGroupDepth - 2; ++i) allowed += "{\\b ";
    allowed += "kept";
    allowed += QByteArray(richtext::kMaxRtfGroupDepth - 2, '}');
    allowed += '}';
    EXPECT_FALSE(richtext::ReadRtf(allowed, doc).damaged);
    EXPECT_EQ(richtext::DocumentLines(doc), QStringList{QStringLiteral("kept")});
}

TEST(RtfReader, reading_replaces_the_previous_content) {
    QTextDocument doc;
    richtext::ReadRtf("{\\rtf1 one\\par two\\par}", doc);
    richtext::ReadRtf("{\\rtf1 three}", doc);
    EXPECT_EQ(richtext::DocumentLines(doc), QStringList{QStringLiteral("three")});
    EXPECT_TRUE(doc.isUndoRedoEnabled());
}

}  // namespace
