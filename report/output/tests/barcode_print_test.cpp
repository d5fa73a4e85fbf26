// Barcodes printed through a real CUPS PDF queue: a data barcode over the order numbers of a
// table, in the order of the customers' index, rendered back to pictures (pdftoppm) and read
// by an independent reader (zbarimg), gives the order numbers SQL reads, in the same order.

#include "report/model/band_classes.h"
#include "report/model/barcode.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/output/printer.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "report/page/units.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/print/testing/cups_test_server.h"

#include <gtest/gtest.h>

#include <QDir>
#include <cstring>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

/// The bands of ink of a page picture, top to bottom, each cut out with a white margin: one
/// barcode with its text each, as the rows of a list stand apart by more than `gap` pixels.
QList<QImage> inkBands(const QImage& page, int gap) {
    const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    std::vector<bool> inked(size_t(gray.height()), false);
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* line = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            if (line[x] < 128) {
                inked[size_t(y)] = true;
                break;
            }
    }
    QList<QImage> bands;
    int top = -1, last = -1;
    auto cut = [&] {
        if (top < 0) return;
        QImage band(gray.width() + 80, last - top + 1 + 80, QImage::Format_Grayscale8);
        band.fill(255);
        for (int y = top; y <= last; ++y)
            std::memcpy(band.scanLine(y - top + 40) + 40, gray.constScanLine(y), size_t(gray.width()));
        bands << band;
    };
    for (int y = 0; y < gray.height(); ++y) {
        if (!inked[size_t(y)]) continue;
        if (top >= 0 && y - last > gap) {
            cut();
            top = -1;
        }
        if (top < 0) top = y;
        last = y;
    }
    cut();
    return bands;
}

TEST(BarCodePrint, order_numbers_print_on_a_cups_pdf_queue_and_scan_back_in_report_order) {
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (zbarimg.isEmpty() || pdftoppm.isEmpty()) GTEST_SKIP() << "zbarimg (zbar-tools) or pdftoppm is not installed";
    print::testing::CupsTestServer server;
    if (!server.Start()) GTEST_SKIP() << "no CUPS scheduler of our own: " << server.Error().toStdString();
    ASSERT_TRUE(server.AddPdfQueue(QStringLiteral("DossaraPDF"), true)) << server.Error().toStdString();
    report::InitializeOutputUnit();
    report::RegisterReportClasses();
    report::SetScreenPixelsPerInch(96);
    report::ResetPrinterList();
    ASSERT_NE(ppGetPrinter(), nullptr);

    pipeline_test::CatalogueDatabase database;
    db::Table orders;
    orders.SetDatabaseName(database.Folder());
    orders.SetTableName(QStringLiteral("Orders.DB"));
    orders.SetIndexName(QStringLiteral("ByCust"));  // the report's order is the customers'
    db::DataSource source;
    source.SetDataSet(&orders);
    TComponent form;
    auto* pipeline = new TppDBPipeline(&form);
    pipeline->SetName(QStringLiteral("plOrders"));
    pipeline->SetDataSource(&source);
    auto* report = new TppReport(&form);
    report->SetDataPipeline(pipeline);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(22000);
    auto* code = new TppDBBarCode(&form);
    code->SetName(QStringLiteral("ppOrderCode"));
    code->SetBand(detail);
    code->SetDataPipeline(pipeline);
    code->SetDataField(QStringLiteral("OrderNo"));
    code->SetBarCodeType(TppBarCodeType::bcCode128);
    code->SetAutoEncode(true);
    code->SetmmLeft(20000);
    code->SetmmTop(3000);

    TppProducer producer;
    report::ReportPageSource pages(report);
    producer.SetPageSource(&pages);
    producer.SetDeviceType(QStringLiteral("Printer"));
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    producer.PrinterSetup()->SetPaperName(QStringLiteral("A4"));
    producer.Print();
    ASSERT_TRUE(server.WaitForJobsDone(30000)) << server.Error().toStdString();

    QTemporaryDir dir;
    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("200"), QStringLiteral("-gray"), QStringLiteral("-png"),
                            server.OutputFile(), dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(120000));
    QStringList bandFiles;
    const QStringList pageFiles = QDir(dir.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    ASSERT_GE(pageFiles.size(), 2);  // the list runs over pages
    for (const QString& pageFile : pageFiles) {
        const QImage page(dir.filePath(pageFile));
        ASSERT_FALSE(page.isNull());
        for (const QImage& band : inkBands(page, 40)) {  // 5 mm at 200 dpi
            bandFiles << dir.filePath(QStringLiteral("band%1.png").arg(bandFiles.size(), 4, 10, QLatin1Char('0')));
            ASSERT_TRUE(band.save(bandFiles.back()));
        }
    }
    QProcess scan;
    scan.start(zbarimg, QStringList{QStringLiteral("-q"), QStringLiteral("--raw")} + bandFiles);
    ASSERT_TRUE(scan.waitForFinished(300000));
    const QStringList scanned = QString::fromUtf8(scan.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);

    QStringList expected;
    for (const QStringList& row : pipeline_test::SqlRows(database.Folder() + QStringLiteral("/Orders.DB"),
                                                         QStringLiteral(R"(SELECT OrderNo FROM "Orders.DB" ORDER BY CustNo, OrderNo)")))
        expected << row.value(0);
    ASSERT_EQ(expected.size(), database.orderCount);
    EXPECT_EQ(scanned, expected);
    delete report;
    report::ResetPrinterList();
}

}  // namespace
