#include "report/output/screen_device.h"
#include "report/model/text_layout.h"
#include "testsupport/qt_printers.h"

#include "report/output/producer.h"
#include "report/output/publisher.h"
#include "report/output/tests/recording_device.h"
#include "report/page/page.h"
#include "report/page/units.h"
#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include "test_paths.h"

namespace {

using outputtest::FakeReport;

/// A viewer that only says how the page is to be shown and records what it was told.
class FakeViewer : public report::ScreenViewer {
public:
    TppZoomSettingType zoom = TppZoomSettingType::zs100Percent;
    int percentage = 100;
    QSize box{600, 400};
    QStringList statuses;
    int pageChanges = 0;
    std::vector<QRect> redrawn;

    TppZoomSettingType ZoomSetting() const override { return zoom; }
    int ZoomPercentage() const override { return percentage; }
    QSize ScrollBoxSize() const override { return box; }
    TppPrinterSetup* ReportPrinterSetup() const override { return nullptr; }
    void StatusChanged(const QString& aText) override { statuses << aText; }
    void PageChanged() override { ++pageChanges; }
    void AreaRedrawn(const QRect& aRect) override { redrawn.push_back(aRect); }
};

class ScreenDevice : public ::testing::Test {
protected:
    void SetUp() override {
        report::InitializeOutputUnit();
        report::SetScreenPixelsPerInch(96);
    }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }
};

/// A page of 100 by 60 mm with every kind of draw command.
std::unique_ptr<TppPage> testPage() {
    auto page = std::make_unique<TppPage>();
    page->SetAbsolutePageNo(1);
    page->SetAbsolutePageCount(1);
    page->SetPageNo(1);
    page->SetPageCount(1);
    page->SetFirstPage(true);
    page->SetLastPage(true);
    page->SetFinal(true);
    page->PageDef()->SetmmWidth(100000);
    page->PageDef()->SetmmHeight(60000);
    auto text = [&](TppDrawText* t, int left, int top, int width, const QString& s) {
        t->SetLeft(left);
        t->SetTop(top);
        t->SetWidth(width);
        t->SetHeight(5000);
        t->SetText(s);
        t->Font()->SetName(QStringLiteral("Arial"));
        t->Font()->SetSize(10);
        t->Font()->SetColor(paint::clBlack);
        t->SetPage(page.get());
        return t;
    };
    text(new TppDrawText, 5000, 4000, 50000, QStringLiteral("Left text on white"));
    auto* right = text(new TppDrawText, 45000, 10000, 50000, QStringLiteral("Right aligned"));
    right->SetAlignment(TAlignment::taRightJustify);
    right->SetColor(paint::clYellow);
    auto* centred = text(new TppDrawText, 5000, 16000, 90000, QStringLiteral("Centred and transparent"));
    centred->SetAlignment(TAlignment::taCenter);
    centred->SetTransparent(true);
    centred->Font()->SetStyle(paint::TFontStyles{paint::TFontStyle::fsBold});
    auto* memo = text(new TppDrawText, 5000, 22000, 40000, QString());
    memo->SetIsMemo(true);
    memo->SetWordWrap(true);
    memo->SetHeight(12000);
    memo->SetWrappedText({QStringLiteral("A memo of"), QStringLiteral("three short"), QStringLiteral("lines")});
    auto* var = new TppDrawVar;
    text(var, 60000, 22000, 35000, QString());
    var->SetVarType(TppVarType::vtPageSetDesc);
    var->UpdatePageCountText();
    auto* calc = new TppDrawCalc;
    text(calc, 60000, 28000, 35000, QStringLiteral("Total 1,234"));
    auto* shape = new TppDrawShape;
    shape->SetLeft(50000);
    shape->SetTop(36000);
    shape->SetWidth(20000);
    shape->SetHeight(10000);
    shape->SetBrush({paint::clAqua, paint::TBrushStyle::bsSolid});
    shape->SetPage(page.get());
    auto* ellipse = new TppDrawShape;
    ellipse->SetShapeType(TShapeType::stEllipse);
    ellipse->SetLeft(74000);
    ellipse->SetTop(36000);
    ellipse->SetWidth(20000);
    ellipse->SetHeight(10000);
    ellipse->SetBrush({paint::clSilver, paint::TBrushStyle::bsSolid});
    ellipse->SetPage(page.get());
    auto* rounded = new TppDrawShape;
    rounded->SetShapeType(TShapeType::stRoundRect);
    rounded->SetXCornerRound(4000);
    rounded->SetYCornerRound(4000);
    rounded->SetLeft(50000);
    rounded->SetTop(48000);
    rounded->SetWidth(20000);
    rounded->SetHeight(8000);
    rounded->SetBrush({paint::clNone, paint::TBrushStyle::bsClear});
    rounded->SetPage(page.get());
    const struct {
        TppLinePositionType pos;
        TppLineStyleType style;
        float weight;
    } lines[] = {{TppLinePositionType::lpTop, TppLineStyleType::lsSingle, 0},
                 {TppLinePositionType::lpBottom, TppLineStyleType::lsDouble, 1},
                 {TppLinePositionType::lpLeft, TppLineStyleType::lsSingle, 2},
                 {TppLinePositionType::lpRight, TppLineStyleType::lsDouble, 0.5f}};
    int i = 0;
    for (const auto& l : lines) {
        auto* line = new TppDrawLine;
        line->SetLeft(5000 + i * 11000);
        line->SetTop(38000);
        line->SetWidth(9000);
        line->SetHeight(8000);
        line->SetLinePosition(l.pos);
        line->SetLineStyle(l.style);
        line->SetWeight(l.weight);
        line->SetPen(paint::Pen{paint::clNavy, 1, paint::TPenStyle::psSolid});
        line->SetPage(page.get());
        ++i;
    }
    auto* image = new TppDrawImage;
    QImage checks(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) checks.setPixel(x, y, (x + y) % 2 ? qRgb(200, 30, 30) : qRgb(255, 255, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    checks.save(&buffer, "PNG");
    image->SetPicture(*paint::Picture::FromData(png));
    image->SetStretch(true);
    image->SetMaintainAspectRatio(true);
    image->SetCenter(true);
    image->SetLeft(5000);
    image->SetTop(48000);
    image->SetWidth(30000);
    image->SetHeight(10000);
    image->SetPage(page.get());
    return page;
}

/// Share of pixels whose colour differs by more than a small amount in any channel.
double differingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 1;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 || std::abs(qBlue(p) - qBlue(q)) > 40)
                ++differing;
        }
    return double(differing) / (double(a.width()) * a.height());
}

TEST_F(ScreenDevice, a_page_with_every_draw_command_renders_as_the_golden_picture) {
    TppScreenDevice device;
    auto page = testPage();
    device.ReceivePage(*page);
    const QImage& bitmap = device.Bitmap();
    // At 100 % and 96 pixels per inch the bitmap is 48 pixels wider and higher than the paper.
    EXPECT_EQ(bitmap.width(), 378 + 48);
    EXPECT_EQ(bitmap.height(), 227 + 48);
    EXPECT_EQ(device.ZoomPercent(), 100);
    QDir().mkpath(QStringLiteral("screenshots"));
    bitmap.save(QStringLiteral("screenshots/screen_device_page.png"));
    const QImage golden(QStringLiteral(TEST_DATA_DIR "/screen_device_page.png"));
    ASSERT_FALSE(golden.isNull()) << "golden picture missing";
    EXPECT_LT(differingShare(bitmap.convertToFormat(QImage::Format_RGB32), golden.convertToFormat(QImage::Format_RGB32)),
              0.01);
}

TEST_F(ScreenDevice, lines_of_weight_zero_are_one_pixel_and_auto_sized_texts_follow_their_width) {
    TppScreenDevice device;
    TppPage page;
    page.SetAbsolutePageNo(1);
    page.SetFirstPage(true);
    page.SetFinal(true);
    page.PageDef()->SetmmWidth(100000);
    page.PageDef()->SetmmHeight(60000);
    auto* line = new TppDrawLine;
    line->SetLeft(10000);
    line->SetTop(10000);
    line->SetWidth(20000);
    line->SetHeight(10000);
    line->SetPen(paint::Pen{paint::clBlack, 1, paint::TPenStyle::psSolid});
    line->SetPage(&page);
    auto* left = new TppDrawText;
    left->SetAutoSize(true);
    left->SetLeft(10000);
    left->SetTop(30000);
    left->SetWidth(60000);
    left->SetHeight(5000);
    left->SetText(QStringLiteral("short"));
    left->SetPage(&page);
    auto* right = new TppDrawText;
    right->SetAutoSize(true);
    right->SetAlignment(TAlignment::taRightJustify);
    right->SetLeft(10000);
    right->SetTop(40000);
    right->SetWidth(60000);
    right->SetHeight(5000);
    right->SetText(QStringLiteral("short"));
    right->SetPage(&page);
    device.ReceivePage(page);
    const QImage& bitmap = device.Bitmap();
    const QRect r = device.DisplayedPage()->GetDrawCommand(0)->GetDrawRect();
    int dark = 0;
    for (int y = r.top(); y <= r.top() + 3; ++y) dark += qGray(bitmap.pixel(r.center().x(), y)) < 100;
    EXPECT_EQ(dark, 1);
    const QRect l = device.DisplayedPage()->GetDrawCommand(1)->GetDrawRect();
    const QRect rr = device.DisplayedPage()->GetDrawCommand(2)->GetDrawRect();
    EXPECT_LT(l.width(), 100);
    EXPECT_GT(rr.left(), l.left() + 100);  // the right-justified one keeps its right edge
    EXPECT_NEAR(rr.right(), device.PageRect().left() + 264, 2);
}

/// The rows of `r` (widened by `below` rows) with dark pixels, as runs: each run one line of text.
std::vector<std::pair<int, int>> inkRuns(const QImage& bitmap, const QRect& r, int below) {
    std::vector<std::pair<int, int>> runs;
    bool inRun = false;
    for (int y = r.top(); y <= r.bottom() + below && y < bitmap.height(); ++y) {
        bool ink = false;
        for (int x = r.left(); x <= r.right() && !ink; ++x) ink = qGray(bitmap.pixel(x, y)) < 128;
        if (ink && !inRun) runs.push_back({y, y});
        if (ink) runs.back().second = y;
        inRun = ink;
    }
    return runs;
}

TEST_F(ScreenDevice, every_line_a_memo_was_laid_out_with_is_drawn_inside_its_place) {
    // Lines of the licence text, laid out as a memo lays them out: the line pitch of its
    // font and leading, and a rectangle as high as the lines it holds.
    QFile f(QStringLiteral(MODEL_TEST_DATA_DIR "/gpl3_opening.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QString& l : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
        if (!l.trimmed().isEmpty()) lines << l.trimmed().left(40);
    lines = lines.mid(0, 24);
    ASSERT_EQ(lines.size(), 24);
    for (int zoom : {100, 150}) {
        SCOPED_TRACE(zoom);
        auto* memo = new TppDrawText;
        memo->Font()->SetName(QStringLiteral("Arial"));
        memo->Font()->SetSize(10);
        memo->SetIsMemo(true);
        memo->SetWordWrap(true);
        memo->SetTransparent(true);
        memo->SetLeading(1000);
        int lineHeight = 0;
        ppGetLinesPerHeight(*memo->Font(), memo->Leading(), 100000, lineHeight, nullptr);
        ASSERT_GT(lineHeight, 0);
        memo->SetLineHeight(lineHeight);
        memo->SetLeft(10000);
        memo->SetTop(10000);
        memo->SetWidth(120000);
        memo->SetHeight(int(lines.size()) * lineHeight);
        memo->SetWrappedText(lines);
        memo->SetText(lines.join(QLatin1Char('\n')));
        TppPage page;
        page.SetAbsolutePageNo(1);
        page.SetFirstPage(true);
        page.SetFinal(true);
        page.PageDef()->SetmmWidth(150000);
        page.PageDef()->SetmmHeight(200000);
        memo->SetPage(&page);
        FakeViewer viewer;
        viewer.zoom = TppZoomSettingType::zsPercentage;
        viewer.percentage = zoom;
        TppScreenDevice device;
        device.SetViewer(&viewer);
        device.ReceivePage(page);
        const QRect r = device.DisplayedPage()->GetDrawCommand(0)->GetDrawRect();
        const auto runs = inkRuns(device.Bitmap(), r, r.height() / 4);
        ASSERT_EQ(runs.size(), lines.size()) << "lines drawn";
        // The last line ends inside the memo's place, not below it.
        EXPECT_LE(runs.back().second, r.bottom() + 1);
    }
}

struct ZoomCase {
    const char* what;
    TppZoomSettingType zoom;
    int percentage;
    QSize bitmap;
    QSize pageRect;
};

TEST_F(ScreenDevice, the_bitmap_and_page_follow_the_zoom) {
    // An A4 page is 794 by 1123 screen pixels at 100 %; the scroll box is 600 by 400.
    static const ZoomCase cases[] = {
        {"100 %", TppZoomSettingType::zs100Percent, 100, {842, 1171}, {794, 1123}},
        {"whole page", TppZoomSettingType::zsWholePage, 100, {600, 400}, {266, 376}},
        {"page width", TppZoomSettingType::zsPageWidth, 100, {586, 819}, {562, 795}},
        {"50 %", TppZoomSettingType::zsPercentage, 50, {600, 610}, {397, 562}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeViewer viewer;
        viewer.zoom = c.zoom;
        viewer.percentage = c.percentage;
        TppScreenDevice device;
        device.SetViewer(&viewer);
        TppPage page;
        page.SetAbsolutePageNo(1);
        page.SetFirstPage(true);
        page.SetFinal(true);
        page.PageDef()->SetmmWidth(210000);
        page.PageDef()->SetmmHeight(297000);
        device.ReceivePage(page);
        EXPECT_EQ(device.Bitmap().size(), c.bitmap);
        EXPECT_EQ(device.PageRect().size(), c.pageRect);
        EXPECT_EQ(viewer.pageChanges, 1);
    }
}

TEST_F(ScreenDevice, navigation_asks_the_publisher_and_a_page_beyond_the_end_shows_the_last) {
    FakeReport report(12);
    TppPublisher publisher;
    publisher.OnPageRequest = [&](TppPublisher*, TppPageRequest* r) { report.GeneratePages(*r, publisher); };
    FakeViewer viewer;
    TppScreenDevice device;
    device.SetViewer(&viewer);
    device.SetPublisher(&publisher);
    device.RequestPages();
    EXPECT_EQ(device.GetAbsolutePageNo(), 1);
    EXPECT_EQ(viewer.statuses.last(), "Page 1");
    device.GotoPage(40);
    EXPECT_EQ(device.GetAbsolutePageNo(), 12);
    EXPECT_EQ(viewer.statuses.last(), "Page 12 of 12");
    const int generations = report.generations;
    device.GotoPage(12);
    EXPECT_EQ(report.generations, generations);
    device.FirstPage();
    EXPECT_EQ(device.GetAbsolutePageNo(), 1);
    device.LastPage();
    EXPECT_EQ(device.GetAbsolutePageNo(), 12);
    EXPECT_TRUE(viewer.statuses.contains("Calculating page 5 for report Package list"));
}

TEST_F(ScreenDevice, a_page_that_is_not_final_is_shown_and_replaced_by_the_final_one) {
    TppScreenDevice device;
    TppPage first;
    first.SetAbsolutePageNo(1);
    first.SetFirstPage(true);
    first.SetFinal(false);
    first.PageDef()->SetmmWidth(100000);
    first.PageDef()->SetmmHeight(60000);
    auto* text = new TppDrawText;
    text->SetText(QStringLiteral("first pass"));
    text->SetPage(&first);
    device.ReceivePage(first);
    EXPECT_EQ(qobject_cast<TppDrawText*>(device.DisplayedPage()->GetDrawCommand(0))->Text(), "first pass");
    text->SetText(QStringLiteral("final"));
    first.SetFinal(true);
    device.ReceivePage(first);
    EXPECT_EQ(qobject_cast<TppDrawText*>(device.DisplayedPage()->GetDrawCommand(0))->Text(), "final");
}

}  // namespace
