#include "platform/print/print_document.h"
#include "platform/print/printer_catalog.h"
#include "platform/print/testing/cups_test_server.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace {

TEST(PrinterCatalog, trays_keep_the_codes_of_the_tray_table) {
    static const struct {
        const char* keyword;
        int code;
        const char* name;
    } cases[] = {
        {"auto", 7, "Auto"},     {"manual", 4, "Manual"},           {"top", 1, "Top"},
        {"bottom", 2, "Bottom"}, {"large-capacity", 11, "Large Capacity"}, {"by-pass-tray", 256, "By Pass Tray"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyword);
        EXPECT_EQ(print::BinCodeOfMediaSource(QString::fromLatin1(c.keyword), 0), c.code);
        EXPECT_EQ(print::BinNameOfMediaSource(QString::fromLatin1(c.keyword)), QString::fromLatin1(c.name));
    }
    EXPECT_EQ(print::BinCodeOfMediaSource(QStringLiteral("side"), 2), 258);
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The system catalogue against a queue of a scheduler started by the test: its papers,
// trays and resolutions, and a two-page document printed on it.
TEST(PrinterCatalog, a_cups_queue_lists_its_papers_trays_and_resolutions_and_prints) {
    print::testing::CupsTestServer server;
    if (!server.Start()) GTEST_SKIP() << "no CUPS scheduler of our own: " << server.Error().toStdString();
    ASSERT_TRUE(server.AddPdfQueue(QStringLiteral("DossaraPDF"), true)) << server.Error().toStdString();

    const print::PrinterCatalog& catalog = print::Catalog();
    const auto printers = catalog.Printers();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, "DossaraPDF");
    EXPECT_EQ(catalog.DefaultPrinterName(), "DossaraPDF");

    const print::DriverCapabilities caps = catalog.Capabilities(QStringLiteral("DossaraPDF"));
    const auto a4 = std::find(caps.paperCodes.begin(), caps.paperCodes.end(), 9);
    ASSERT_NE(a4, caps.paperCodes.end()) << caps.paperNames.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(caps.paperSizesTenthsMm.at(size_t(a4 - caps.paperCodes.begin())), QSize(2100, 2970));
    EXPECT_NE(std::find(caps.paperCodes.begin(), caps.paperCodes.end(), 1), caps.paperCodes.end());
    EXPECT_NE(std::find(caps.paperCodes.begin(), caps.paperCodes.end(), 5), caps.paperCodes.end());
    EXPECT_EQ(caps.binCodes, (std::vector<int>{7, 4, 2})) << caps.binNames.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(caps.resolutionsDpi, (std::vector<int>{300, 600}));

    print::PrintDocument doc(QStringLiteral("DossaraPDF"));
    ASSERT_TRUE(doc.IsUsable());
    print::DeviceSettings settings;
    settings.paperCode = 9;
    doc.Apply(settings);
    ASSERT_TRUE(doc.BeginDoc(QStringLiteral("Shipping list")));
    for (const char* text : {"opening sheet of the run", "second sheet of the run"}) {
        doc.NewPage();
        doc.Painter()->setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
        doc.Painter()->drawText(600, 600, QString::fromLatin1(text));
    }
    ASSERT_TRUE(doc.EndDoc());
    ASSERT_TRUE(server.WaitForJobsDone(30000)) << server.Error().toStdString();
    EXPECT_TRUE(run(QStringLiteral("pdfinfo"), {server.OutputFile()}).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b"))));
    const QString text = run(QStringLiteral("pdftotext"), {server.OutputFile(), QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("opening sheet of the run"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("second sheet of the run")));
}

}  // namespace
