#include "platform/richtext/rtf_reader.h"

#include "platform/richtext/plain_lines.h"
#include "platform/richtext/tests/document_text.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTextDocument>
#include "test_paths.h"

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
    // Lists of a list table: the kind, start and text of each level; numbering runs on
    // past a paragraph outside the list; a level without number or bullet is no list.
    {"lists.rtf", true, false,
     "Steps:|Open the file|read the header|check its size|A note between the steps.|Close it|Third part|"
     "Fourth part|A bullet|Heading|Seventh|Last",
     "P\n"
     "  \"Steps:\" Arial 10\n"
     "P li=120 list0=decimal\n"
     "  \"Open the file\" Arial 10\n"
     "P li=840 list1=lower-alpha number=#)\n"
     "  \"read the header\" Arial 10\n"
     "P li=840 list1=lower-alpha number=#)\n"
     "  \"check its size\" Arial 10\n"
     "P li=720\n"
     "  \"A note between the steps.\" Arial 10\n"
     "P li=120 list0=decimal\n"
     "  \"Close it\" Arial 10\n"
     "P li=120 list2=upper-roman start=3\n"
     "  \"Third part\" Arial 10\n"
     "P li=120 list2=upper-roman start=3\n"
     "  \"Fourth part\" Arial 10\n"
     "P li=120 list3=disc\n"
     "  \"A bullet\" Arial 10\n"
     "P\n"
     "  \"Heading\" Arial 10 b\n"
     "P li=120 list4=decimal start=7 number=(#)\n"
     "  \"Seventh\" Arial 10\n"
     "P\n"
     "  \"Last\" Arial 10\n"},
    // Hidden text and tracked deletions are left out, their paragraph marks too;
    // tracked insertions are ordinary text.
    {"hidden_deleted.rtf", true, false,
     "Shown text|Kept and added words|First halfsecond half|Before after a hidden mark|Visible again",
     "P\n"
     "  \"Shown text\" Arial 10\n"
     "P\n"
     "  \"Kept and added words\" Arial 10\n"
     "P\n"
     "  \"First halfsecond half\" Arial 10\n"
     "P\n"
     "  \"Before after a hidden mark\" Arial 10\n"
     "P\n"
     "  \"Visible again\" Arial 10\n"},
    {"character_formats.rtf", true, false,
     "shaded grey mixed|E = mc2 H2O xupdown back plain|all caps Small Caps highlight wins",
     "P\n"
     "  \"shaded\" Arial 10 bg=#ffff00\n"
     "  \" \" Arial 10\n"
     "  \"grey\" Arial 10 bg=#cccccc\n"
     "  \" \" Arial 10\n"
     "  \"mixed\" Arial 10 bg=#808080\n"
     "P\n"
     "  \"E = mc\" Arial 10\n"
     "  \"2\" Arial 10 sup\n"
     "  \" H\" Arial 10\n"
     "  \"2\" Arial 10 sub\n"
     "  \"O x\" Arial 10\n"
     "  \"up\" Arial 10 raise=30%\n"
     "  \"down\" Arial 10 raise=-20%\n"
     "  \" back plain\" Arial 10\n"
     "P\n"
     "  \"all caps\" Arial 10 caps\n"
     "  \" \" Arial 10\n"
     "  \"Small Caps\" Arial 10 scaps\n"
     "  \" \" Arial 10\n"
     "  \"highlight wins\" Arial 10 bg=#ffff00\n"},
    // The object replacement character stays in the document (and out of the plain
    // lines); the characters the document keeps for frames do not.
    {"object_character.rtf", true, false, "See attached and \ufffd",
     "P\n"
     "  \"See \ufffcattached\ufffc and \ufffd\" Arial 10\n"},
    // A field without a result shows the text of a placeholder instruction, with its formats.
    {"placeholder_fields.rtf", true, false,
     "To: [Click here and type name]|Fax: [Number]|See the introduction|Link: Debian|Page  of the letter|Kept result",
     "P\n"
     "  \"To: \" Arial 10\n"
     "  \"[Click here and type name]\" Arial 10 b\n"
     "P\n"
     "  \"Fax: [Number]\" Arial 10\n"
     "P\n"
     "  \"See \" Arial 10\n"
     "  \"the introduction\" Arial 10 i\n"
     "P\n"
     "  \"Link: \" Arial 10\n"
     "  \"Debian\" Arial 10 u\n"
     "P\n"
     "  \"Page  of the letter\" Arial 10\n"
     "P\n"
     "  \"Kept result\" Arial 10\n"},
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
        {"{\\rtf1 \\u64976?obj\\u65532?}", "\ufffdobj"},  // a frame character; an object mark is not a line's text
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

// One list definition with two levels (decimal "1.", lower-alpha "a)") and one that
// shows nothing, named by \ls1 and \ls2.
#define LIST_TABLES                                                                                        \
    "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"                                   \
    "{\\listlevel\\levelnfc4{\\leveltext\\'02\\'01);}}\\listid7}"                                                \
    "{\\list{\\listlevel\\levelnfc255{\\leveltext\\'00;}}\\listid8}}"                                            \
    "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}{\\listoverride\\listid8\\ls2}}"

TEST(RtfReader, numbering_formats_and_fields_give_their_structure) {
    static const struct {
        const char* rtf;
        const char* structure;
    } kCases[] = {
        // \pn with start and the text before and after the number
        {"{\\rtf1\\pard{\\*\\pn\\pnlvlbody\\pnstart4\\pnlcltr{\\pntxtb (}{\\pntxta )}}x\\par}",
         "P list0=lower-alpha start=4 number=(#)\n  \"x\" DejaVu Sans 12\n"},
        // a list of the list table wins over the \pn of the same paragraph
        {"{\\rtf1" LIST_TABLES "\\pard{\\*\\pn\\pnlvlblt}\\ls1 x\\par}", "P list0=decimal\n  \"x\" DejaVu Sans 12\n"},
        // a level without number or bullet wins over \pn too: no list
        {"{\\rtf1" LIST_TABLES "\\pard{\\*\\pn\\pnlvlblt}\\ls2 x\\par}", "P\n  \"x\" DejaVu Sans 12\n"},
        // an item restarts the deeper levels of its list; a level beyond the defined ones
        // takes the last one
        {"{\\rtf1" LIST_TABLES "\\pard\\ls1 A\\par\\ilvl1 a\\par\\ilvl0 B\\par\\ilvl5 a\\par}",
         "P list0=decimal\n  \"A\" DejaVu Sans 12\nP list1=lower-alpha number=#)\n  \"a\" DejaVu Sans 12\n"
         "P list0=decimal\n  \"B\" DejaVu Sans 12\nP list2=lower-alpha number=#)\n  \"a\" DejaVu Sans 12\n"},
        // \ls of a list the document does not define: a bullet
        {"{\\rtf1\\pard\\ls9 x\\par}", "P list0=disc\n  \"x\" DejaVu Sans 12\n"},
        {"{\\rtf1\\pard\\ls2147483647\\ilvl99 x\\par}", "P list0=disc\n  \"x\" DejaVu Sans 12\n"},
        // \plain ends hidden text; \up without a value raises by 3 points
        {"{\\rtf1 a\\v b\\plain c\\up d}", "P\n  \"ac\" DejaVu Sans 12\n  \"d\" DejaVu Sans 12 raise=25%\n"},
        // a placeholder's hidden characters stay hidden; a field inside the instruction adds nothing
        {"{\\rtf1 {\\field{\\*\\fldinst MACROBUTTON M {\\v secret}{\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}text}}}",
         "P\n  \"text\" DejaVu Sans 12\n"},
        // other fields without a result show nothing; a field left open shows nothing either
        {"{\\rtf1 a{\\field{\\*\\fldinst DATE}}b{\\field{\\*\\fldinst MACROBUTTON M open",
         "P\n  \"ab\" DejaVu Sans 12\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.rtf);
        QTextDocument doc;
        richtext::ReadRtf(QByteArrayView(c.rtf), doc);
        EXPECT_EQ(richtext::test::DescribeDocument(doc), QString::fromUtf8(c.structure));
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
