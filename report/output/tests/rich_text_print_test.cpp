// Rich texts printed through a real CUPS PDF queue: the words pdftotext reads back from the
// pages are the words of the text, in order, nothing lost or doubled, also where the text
// runs across pages.

#include "report/model/band_classes.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/rich_text.h"
#include "report/page/units.h"
#include "report/output/producer.h"
#include "report/output/screen_device.h"
#include "report/page/draw_rich_text.h"
#include "report/page/page.h"
#include "report/output/report_page_source.h"
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "report/output/printer.h"

#include "platform/print/testing/cups_test_server.h"
#include "platform/richtext/plain_lines.h"
#include "platform/richtext/rtf_writer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include "test_paths.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

/// An RTF of the licence opening, twice over, every fifth paragraph bold: three pages.
QByteArray licenceRtf() {
    QString text = QString::fromUtf8(readFile(QStringLiteral(MODEL_TEST_DATA_DIR "/gpl3_opening.txt")));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList paragraphs = text.trimmed().split(QLatin1Char('\n'));
    paragraphs += paragraphs;
    QTextDocument doc;
    QTextCursor cursor(&doc);
    for (int i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) cursor.insertBlock();
        QTextCharFormat f;
        f.setFontFamilies({QStringLiteral("Liberation Serif")});
        f.setFontPointSize(12);
        f.setFontWeight(i % 5 == 0 ? QFont::Bold : QFont::Normal);
        cursor.insertText(paragraphs.at(i), f);
    }
    return richtext::WriteRtf(doc);
}

QStringList words(const QString& text) {
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

QString pdfText(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(RichTextPrint, rich_texts_print_on_a_cups_pdf_queue_with_every_word_once_in_order) {
    print::testing::CupsTestServer server;
    if (!server.Start()) GTEST_SKIP() << "no CUPS scheduler of our own: " << server.Error().toStdString();
    ASSERT_TRUE(server.AddPdfQueue(QStringLiteral("DossaraPDF"), true)) << server.Error().toStdString();
    report::InitializeOutputUnit();
    report::RegisterReportClasses();
    report::SetScreenPixelsPerInch(96);
    report::ResetPrinterList();
    ASSERT_NE(ppGetPrinter(), nullptr);
    ASSERT_EQ(ppGetPrinter()->PrinterName(), "DossaraPDF");

    struct Case {
        const char* name;
        QByteArray rtf;
        int minPages;
    } cases[] = {
        {"licence", licenceRtf(), 3},
        {"paragraphs", readFile(QStringLiteral(RICHTEXT_TEST_DATA_DIR "/paragraphs.rtf")), 1},
        {"formats", readFile(QStringLiteral(RICHTEXT_TEST_DATA_DIR "/formats.rtf")), 1},
        {"character_formats", readFile(QStringLiteral(RICHTEXT_TEST_DATA_DIR "/character_formats.rtf")), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComponent form;
        auto* report = new TppReport(&form);
        auto* detail = new TppDetailBand(&form);
        detail->SetReport(report);
        detail->SetmmHeight(30000);
        auto* rich = new TppRichText(&form);
        rich->SetName(QStringLiteral("ppText"));
        rich->SetBand(detail);
        rich->SetmmBounds(10000, 5000, 20000, 150000);
        rich->SetStretch(true);
        rich->SetRichText(c.rtf);

        TppProducer producer;
        report::ReportPageSource pages(report);
        producer.SetPageSource(&pages);
        producer.SetDeviceType(QStringLiteral("Printer"));
        producer.SetShowPrintDialog(false);
        producer.SetShowCancelDialog(false);
        producer.PrinterSetup()->SetPaperName(QStringLiteral("A4"));
        producer.Print();
        ASSERT_TRUE(server.WaitForJobsDone(30000)) << server.Error().toStdString();
        const QString text = pdfText(server.OutputFile());
        EXPECT_GE(text.count(QChar(0x0C)), c.minPages);
        // Capitals drawn for \caps and \scaps read back as capitals.
        const QStringList printed = words(text.toUpper());
        const QStringList expected = words(richtext::RtfToPlainLines(c.rtf).join(QLatin1Char('\n')).toUpper());
        qsizetype firstDifference = 0;
        while (firstDifference < std::min(printed.size(), expected.size()) &&
               printed[firstDifference] == expected[firstDifference])
            ++firstDifference;
        EXPECT_EQ(printed, expected) << "first difference at word " << firstDifference << ": "
                                     << printed.mid(firstDifference, 8).join(' ').toStdString() << " | "
                                     << expected.mid(firstDifference, 8).join(' ').toStdString();
        QFile::remove(server.OutputFile());
        delete report;
    }
    report::ResetPrinterList();
}

/// The rows of a picture that hold dark pixels: first and last.
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

class ZoomViewer : public report::ScreenViewer {
public:
    int percentage = 100;
    TppZoomSettingType ZoomSetting() const override { return TppZoomSettingType::zsPercentage; }
    int ZoomPercentage() const override { return percentage; }
    QSize ScrollBoxSize() const override { return {600, 400}; }
    TppPrinterSetup* ReportPrinterSetup() const override { return nullptr; }
    void StatusChanged(const QString&) override {}
    void PageChanged() override {}
    void AreaRedrawn(const QRect&) override {}
};

TEST(RichTextPrint, the_screen_draws_a_rich_text_page_at_every_zoom) {
    report::InitializeOutputUnit();
    report::SetScreenPixelsPerInch(96);
    TppPage page;
    page.SetAbsolutePageNo(1);
    page.SetFirstPage(true);
    page.SetFinal(true);
    page.PageDef()->SetmmWidth(120000);
    page.PageDef()->SetmmHeight(60000);
    auto* command = new TppDrawRichText;
    command->SetLeft(5000);
    command->SetTop(5000);
    command->SetWidth(110000);
    command->SetHeight(50000);
    command->SetColor(0xF0FFFF);
    command->SetStartCharPos(0);
    command->SetEndCharPos(-1);
    command->SetRichTextStream(readFile(QStringLiteral(RICHTEXT_TEST_DATA_DIR "/formats.rtf")));
    command->SetPage(&page);

    std::pair<int, int> ink[2];
    int i = 0;
    for (int percent : {100, 200}) {
        ZoomViewer viewer;
        viewer.percentage = percent;
        TppScreenDevice device;
        device.SetViewer(&viewer);
        device.ReceivePage(page);
        const QImage bitmap = device.Bitmap().copy(command->GetDrawRect());
        ink[i++] = inkRows(bitmap);
        QDir().mkpath(QStringLiteral("screenshots"));
        device.Bitmap().save(QStringLiteral("screenshots/rich_text_page_%1.png").arg(percent));
    }
    ASSERT_GE(ink[0].first, 0);
    const int height100 = ink[0].second - ink[0].first, height200 = ink[1].second - ink[1].first;
    EXPECT_NEAR(height200, 2 * height100, 6);
    report::SetScreenPixelsPerInch(0);
}

}  // namespace
