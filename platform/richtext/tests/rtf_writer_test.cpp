#include "platform/richtext/rtf_writer.h"

#include "platform/richtext/plain_lines.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/tests/document_text.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include "test_paths.h"

namespace {

QTextCharFormat run(const QString& family, qreal points, bool bold = false, bool italic = false) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setFontUnderline(false);
    f.setFontStrikeOut(false);
    return f;
}

/// A document with every kind of formatting the RTF layer keeps.
void buildSample(QTextDocument& doc) {
    QTextCursor c(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    c.insertText(QStringLiteral("Hello "), run(QStringLiteral("DejaVu Sans"), 10));
    QTextCharFormat red = run(QStringLiteral("DejaVu Sans"), 10, true, true);
    red.setForeground(QColor(200, 0, 0));
    c.insertText(QStringLiteral("world"), red);

    QTextBlockFormat indented;
    indented.setAlignment(Qt::AlignRight);
    indented.setLeftMargin(30);
    indented.setRightMargin(15);
    indented.setTextIndent(-10);
    indented.setTopMargin(4);
    indented.setBottomMargin(8);
    indented.setTabPositions({QTextOption::Tab(100, QTextOption::RightTab), QTextOption::Tab(150, QTextOption::LeftTab)});
    QTextCharFormat marked = run(QStringLiteral("DejaVu Serif"), 14);
    marked.setFontUnderline(true);
    marked.setFontStrikeOut(true);
    marked.setBackground(QColor(255, 255, 0));
    c.insertBlock(indented, marked);
    c.insertText(QStringLiteral("a\tb"), marked);

    QTextBlockFormat justified;
    justified.setAlignment(Qt::AlignJustify);
    c.insertBlock(justified);
    c.insertText(QStringLiteral("justified"), run(QStringLiteral("DejaVu Sans Mono"), 9));

    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    bullets.setIndent(1);
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("one"), run(QStringLiteral("DejaVu Sans"), 10));
    c.createList(bullets);
    c.insertBlock();
    c.insertText(QStringLiteral("two"), run(QStringLiteral("DejaVu Sans"), 10));

    QTextListFormat numbers;
    numbers.setStyle(QTextListFormat::ListUpperRoman);
    numbers.setIndent(1);
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("first"), run(QStringLiteral("DejaVu Sans"), 10));
    c.createList(numbers);
    c.insertBlock();
    c.insertText(QStringLiteral("second"), run(QStringLiteral("DejaVu Sans"), 10));

    c.insertBlock(QTextBlockFormat(), run(QStringLiteral("DejaVu Sans"), 20));  // empty, tall paragraph

    c.insertBlock(QTextBlockFormat());
    c.insertText(QString::fromUtf8("line1\u2028line2 {braces} back\\slash \u00e9\u20ac \u0416 \U0001F600 \u00a0end"),
                 run(QStringLiteral("DejaVu Sans"), 12));
}

QString roundTrip(const QTextDocument& doc) {
    QTextDocument again;
    again.setDefaultFont(doc.defaultFont());
    richtext::ReadRtf(richtext::WriteRtf(doc), again);
    return richtext::test::DescribeDocument(again);
}

TEST(RtfWriter, a_document_survives_the_round_trip_through_rtf) {
    QTextDocument doc;
    buildSample(doc);
    const QString before = richtext::test::DescribeDocument(doc);
    EXPECT_EQ(roundTrip(doc), before);
    EXPECT_EQ(richtext::RtfToPlainLines(richtext::WriteRtf(doc)), richtext::DocumentLines(doc));
    // The sample really holds what the round trip is meant to keep.
    EXPECT_TRUE(before.contains(QStringLiteral("list0=disc")));
    EXPECT_TRUE(before.contains(QStringLiteral("list1=upper-roman")));
    EXPECT_TRUE(before.contains(QStringLiteral("P right li=450 fi=-150 ri=225 sb=60 sa=120 tab=1500R tab=2250")));
    EXPECT_TRUE(before.contains(QStringLiteral("(empty 20)")));
}

TEST(RtfWriter, every_rtf_fixture_reads_back_the_same_after_writing) {
    const QDir data(QStringLiteral(TEST_DATA_DIR));
    const QStringList files = data.entryList({QStringLiteral("*.rtf"), QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile f(data.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QTextDocument doc;
        richtext::ReadRtf(f.readAll(), doc);
        EXPECT_EQ(roundTrip(doc), richtext::test::DescribeDocument(doc));
    }
}

TEST(RtfWriter, text_is_written_as_ascii_with_ansi_and_unicode_escapes) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QString::fromUtf8("a{b}\\c \u00e9\u20ac\u0416\U0001F600\t\u2028x\u0001"));
    const QByteArray rtf = richtext::WriteRtf(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0"));
    EXPECT_TRUE(rtf.endsWith("}\r\n"));
    EXPECT_TRUE(rtf.contains(" a\\{b\\}\\\\c \\'e9\\'80\\u1046?\\u-10179?\\u-8704?\\tab \\line x\\par\r\n}")) << rtf.constData();
    for (char ch : rtf) ASSERT_LT(static_cast<unsigned char>(ch), 0x80) << rtf.constData();
}

TEST(RtfWriter, colours_and_fonts_are_listed_once_each) {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat blue = run(QStringLiteral("Serif;Font"), 10);
    blue.setForeground(QColor(0, 0, 255));
    c.insertText(QStringLiteral("x"), blue);
    c.insertText(QStringLiteral("y"), run(QStringLiteral("Serif;Font"), 11));
    blue.setBackground(QColor(0, 0, 255));
    c.insertText(QStringLiteral("z"), blue);
    const QByteArray rtf = richtext::WriteRtf(doc);
    EXPECT_EQ(rtf.count("\\red0\\green0\\blue255;"), 1) << rtf.constData();
    EXPECT_EQ(rtf.count("SerifFont;"), 1) << rtf.constData();  // the name cannot hold its own terminator
    EXPECT_TRUE(rtf.contains("\\cf1\\highlight1 z")) << rtf.constData();
}

TEST(RtfWriter, numbered_items_are_labelled_from_the_list_start_for_readers_without_lists) {
    static const struct {
        QTextListFormat::Style style;
        int start;
        const char* prefix;
        const char* suffix;
        const char* labels;  ///< \pntext of the two items, joined by "|"
    } kCases[] = {
        {QTextListFormat::ListUpperRoman, 3, "", ".", "III.|IV."},
        {QTextListFormat::ListLowerAlpha, 26, "", ")", "z)|aa)"},
        {QTextListFormat::ListDecimal, 9, "(", ")", "(9)|(10)"},
        {QTextListFormat::ListLowerRoman, 3999, "", ".", "mmmcmxcix.|4000."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.labels);
        QTextDocument doc;
        QTextCursor cursor(&doc);
        QTextListFormat lf;
        lf.setStyle(c.style);
        lf.setIndent(1);
        lf.setNumberPrefix(QString::fromUtf8(c.prefix));
        lf.setNumberSuffix(QString::fromUtf8(c.suffix));
        lf.setProperty(richtext::kListStartProperty, c.start);
        cursor.insertText(QStringLiteral("one"));
        cursor.createList(lf);
        cursor.insertBlock();
        cursor.insertText(QStringLiteral("two"));
        const QString rtf = QString::fromLatin1(richtext::WriteRtf(doc));
        QStringList labels;
        static const QRegularExpression kPnText(QStringLiteral("\\{\\\\pntext\\\\f0 ([^\\\\]*)\\\\tab\\}"));
        for (auto it = kPnText.globalMatch(rtf); it.hasNext();) labels << it.next().captured(1);
        EXPECT_EQ(labels.join(u'|'), QString::fromUtf8(c.labels)) << rtf.toStdString();
        EXPECT_EQ(roundTrip(doc), richtext::test::DescribeDocument(doc));
    }
}

}  // namespace

// \plain alone does not end a raised or lowered run for every reader (some word processors
// keep the rest of the paragraph raised, or drop it), so the writer closes it by name.
TEST(RtfWriter, a_superscript_or_subscript_run_is_closed_by_name_before_normal_text) {
    static const struct {
        QTextCharFormat::VerticalAlignment script;
        const char* opener;
    } cases[] = {
        {QTextCharFormat::AlignSuperScript, "\\super"},
        {QTextCharFormat::AlignSubScript, "\\sub"},
    };
    for (const auto& tc : cases) {
        QTextDocument doc;
        QTextCursor c(&doc);
        const QTextCharFormat normal = run(QStringLiteral("DejaVu Sans"), 10);
        QTextCharFormat raised = normal;
        raised.setVerticalAlignment(tc.script);
        c.insertText(QStringLiteral("E=mc"), normal);
        c.insertText(QStringLiteral("two"), raised);
        c.insertText(QStringLiteral("after"), normal);
        c.insertBlock();
        c.insertText(QStringLiteral("next"), normal);
        const QByteArray rtf = richtext::WriteRtf(doc);
        SCOPED_TRACE(tc.opener);
        EXPECT_TRUE(rtf.contains(QByteArray(tc.opener) + " two")) << rtf.constData();
        EXPECT_TRUE(rtf.contains("\\nosupersub after")) << rtf.constData();
        // the first run never had anything to close, and a closed script is not closed again
        EXPECT_FALSE(rtf.contains("\\nosupersub E=mc")) << rtf.constData();
        EXPECT_FALSE(rtf.contains("\\nosupersub next")) << rtf.constData();
        QTextDocument again;
        richtext::ReadRtf(rtf, again);
        EXPECT_EQ(again.toPlainText(), QStringLiteral("E=mctwoafter\nnext"));
        const QTextBlock first = again.firstBlock();
        for (auto it = first.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            EXPECT_EQ(frag.charFormat().verticalAlignment(),
                      frag.text() == QStringLiteral("two") ? tc.script : QTextCharFormat::AlignNormal)
                << frag.text().toStdString();
        }
    }
}
