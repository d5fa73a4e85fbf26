// The rich-text draw command: the RTF travels with its page through the binary and text
// stream forms and through page copies; drawing shows only its character range.

#include "report/page/draw_rich_text.h"
#include "report/page/page.h"
#include "report/page/rtf_engine.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <memory>

namespace {

const QByteArray kRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24 "
    "{\\b apt} installs packages\\par dpkg unpacks archives\\par debconf asks questions\\par}";

TppDrawRichText* addCommand(TppPage& page, int start, int end, bool transparent) {
    auto* c = new TppDrawRichText;
    c->SetLeft(10000);
    c->SetTop(20000);
    c->SetWidth(80000);
    c->SetHeight(15000);
    c->SetColor(0x00FFFF);
    c->SetTransparent(transparent);
    c->SetStartCharPos(start);
    c->SetEndCharPos(end);
    c->SetRichTextStream(kRtf);
    c->SetPage(&page);
    return c;
}

QString describe(const TppPage& page) {
    QString out;
    for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
        auto* c = qobject_cast<TppDrawRichText*>(page.GetDrawCommand(i));
        if (!c) continue;
        out += QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                   .arg(c->Left()).arg(c->Top()).arg(c->Width()).arg(c->Height())
                   .arg(c->Color()).arg(c->Transparent()).arg(c->StartCharPos()).arg(c->EndCharPos())
                   .arg(QString::fromLatin1(c->RichTextStream()));
    }
    return out;
}

TEST(DrawRichText, travels_with_its_page_in_binary_and_text_form_and_in_copies) {
    report::RegisterDrawCommands();
    stream::ClassRegistry::Global().Register<TppPage>("TppPage");
    TppPage page;
    addCommand(page, 0, 21, false);
    addCommand(page, 22, -1, true);
    const QString expected = describe(page);

    const QByteArray binary = stream::WriteComponent(page);
    auto fromBinary = stream::ReadComponent(binary);
    EXPECT_EQ(describe(dynamic_cast<TppPage&>(*fromBinary)), expected);
    EXPECT_EQ(stream::WriteComponent(dynamic_cast<TppPage&>(*fromBinary)), binary);

    auto fromText = stream::ReadComponent(stream::ObjectDataToText(stream::ComponentToObjectData(page)));
    EXPECT_EQ(describe(dynamic_cast<TppPage&>(*fromText)), expected);

    TppPage copy;
    copy.Assign(&page);
    EXPECT_EQ(describe(copy), expected);
    // The stream holds the byte count first, little-endian.
    QByteArray count(4, '\0');
    count[0] = char(kRtf.size() & 0xFF);
    count[1] = char(kRtf.size() >> 8);
    EXPECT_NE(binary.indexOf(count + kRtf.left(8)), -1);
}

/// The rows of an image that hold dark (text) pixels, as top..bottom.
std::pair<int, int> inkRows(const QImage& img) {
    int top = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 100) {
                if (top < 0) top = y;
                bottom = y;
                break;
            }
    return {top, bottom};
}

TEST(DrawRichText, draws_only_its_range_over_its_background) {
    TppPage page;
    struct Case {
        int start, end;
        int lines;  // lines of text expected
    } cases[] = {{0, -1, 3}, {0, 21, 1}, {22, 43, 1}, {22, -1, 2}};
    int lineHeight = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        TppDrawRichText* cmd = addCommand(page, c.start, c.end, false);
        QImage img(400, 200, QImage::Format_RGB32);
        img.setDotsPerMeterX(3780);
        img.setDotsPerMeterY(3780);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            cmd->Render(p, QRectF(0, 0, 400, 200));
        }
        EXPECT_EQ(img.pixel(399, 199), QColor(Qt::yellow).rgb());  // clYellow background (BGR 0x00FFFF)
        auto [top, bottom] = inkRows(img);
        ASSERT_GE(top, 0);
        if (c.lines == 1) {
            lineHeight = bottom + 1;
            EXPECT_LT(bottom, 30);
        } else {
            EXPECT_GT(bottom - top, lineHeight * (c.lines - 1));
        }
    }
}

}  // namespace

TEST(RichTextEngine, hidden_rich_edits_share_one_parent_and_the_routines_split_a_text_where_it_fits) {
    TppRichEdit first;
    TppRichEdit second;
    ASSERT_NE(first.parent(), nullptr);
    EXPECT_EQ(first.parent(), second.parent());
    EXPECT_EQ(first.parent()->objectName(), "TppParentWnd4x0");
    EXPECT_EQ(first.parent()->parent(), QCoreApplication::instance());

    first.LoadFromStream(kRtf);
    EXPECT_EQ(ppGetRichEditLines(first), QStringList({"apt installs packages", "dpkg unpacks archives", "debconf asks questions"}));
    QImage device(600, 600, QImage::Format_RGB32);
    TppRTFEngine& engine = ppGetRTFEngine(&first);
    EXPECT_EQ(engine.RichEdit, &first);
    const QRectF wide(0, 0, 500, 500);
    const double all = MeasureRange(engine, device, {0, -1}, wide);
    ASSERT_GT(all, 0);
    double height = 0;
    int last = -2;
    EXPECT_TRUE(FitRange(engine, device, {0, -1}, height, last, QRectF(0, 0, 500, all)));
    EXPECT_EQ(last, first.TextLength());
    EXPECT_EQ(FormatRange(engine, nullptr, device, {0, -1}, wide), first.TextLength());

    // Two of the three lines fit into two thirds of the height: the split falls after the
    // second paragraph, and the rest fits from there.
    EXPECT_FALSE(FitRange(engine, device, {0, -1}, height, last, QRectF(0, 0, 500, all * 2 / 3 + 1)));
    EXPECT_EQ(last, QByteArray("apt installs packages\ndpkg unpacks archives\n").size() - 1);
    EXPECT_LE(height, all * 2 / 3 + 1);
    EXPECT_EQ(FormatRange(engine, nullptr, device, {0, -1}, QRectF(0, 0, 500, all * 2 / 3 + 1)), last + 1);
    EXPECT_TRUE(FitRange(engine, device, {last + 1, -1}, height, last, wide));

    // Drawing answers the same split as measuring.
    QPainter painter(&device);
    EXPECT_EQ(RenderRange(engine, painter, {0, -1}, QRectF(0, 0, 500, all * 2 / 3 + 1)),
              QByteArray("apt installs packages\ndpkg unpacks archives\n").size());
}

namespace {
int madeEdits = 0;
TppRichEdit* countingRichEdit(QObject* parent) {
    ++madeEdits;
    return new TppRichEdit(parent);
}
}  // namespace

TEST(RichTextEngine, the_installed_rich_edit_class_makes_the_hidden_rich_edits) {
    const TppRichEditClass previous = ppGetRichEditClass();
    ppSetRichEditClass(&countingRichEdit);
    std::unique_ptr<TppRichEdit> edit(ppGetRichEditClass()(nullptr));
    EXPECT_EQ(madeEdits, 1);
    ppSetRichEditClass(nullptr);
    EXPECT_NE(ppGetRichEditClass(), &countingRichEdit);
    ppSetRichEditClass(previous);
}
