// A label sheet printed through a real CUPS PDF queue: a report over the packages of the
// catalogue, given the Letter stock 5160 (3 x 10 address labels), prints its first page; the
// words pdftotext finds (with their boxes) lie inside the labels' rectangles computed from
// the stock's definition, one record to a label, the first 30 records of the table.

#include "report/designer/labels/label_set.h"

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/model/text_components.h"
#include "report/output/printer.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "report/page/printer_list.h"
#include "report/page/units.h"

#include "platform/db/data_source.h"
#include "platform/print/testing/cups_test_server.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>

#include <map>
#include <set>

namespace {

struct Word {
    QRectF box;  ///< points, from the page's top left
    QString text;
};

/// The words of page 1 as `pdftotext -bbox` reports them.
std::vector<Word> pageWords(const QString& aPdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                          QStringLiteral("-l"), QStringLiteral("1"), aPdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000)) return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re"));
    std::vector<Word> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.push_back({QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                         m.captured(5).normalized(QString::NormalizationForm_KC)});  // ligatures as letters
    }
    return words;
}

TEST(LabelPrint, addresses_print_inside_the_labels_of_a_letter_stock) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
    print::testing::CupsTestServer server;
    if (!server.Start()) GTEST_SKIP() << "no CUPS scheduler of our own: " << server.Error().toStdString();
    ASSERT_TRUE(server.AddPdfQueue(QStringLiteral("DossaraPDF"), true)) << server.Error().toStdString();
    report::InitializeOutputUnit();
    report::RegisterReportClasses();
    report::RegisterLabelSets();
    report::SetScreenPixelsPerInch(96);
    report::ResetPrinterList();
    ASSERT_NE(ppGetPrinter(), nullptr);

    pipeline_test::CatalogueDatabase database;
    ASSERT_GE(database.orderCount, 30);
    db::Table orders;
    orders.SetDatabaseName(database.Folder());
    orders.SetTableName(QStringLiteral("Orders.DB"));
    db::DataSource source;
    source.SetDataSet(&orders);
    TComponent form;
    auto* pipeline = new TppDBPipeline(&form);
    pipeline->SetName(QStringLiteral("plOrders"));
    pipeline->SetDataSource(&source);
    auto* report = new TppReport(&form);
    report->SetDataPipeline(pipeline);
    report->SetPageLimit(1);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    auto addText = [&](const char* aField, int aTop) {
        auto* text = new TppDBText(&form);
        text->SetBand(detail);
        text->SetDataPipeline(pipeline);
        text->SetDataField(QString::fromLatin1(aField));
        text->SetmmLeft(3000);
        text->SetmmTop(aTop);
        text->SetmmWidth(55000);
        text->SetmmHeight(5000);
    };
    addText("Package", 3000);
    addText("OrderNo", 10000);

    const TppLabelSet* set = TppAveryStdLaserJetLabels::Class();
    int stock = -1;
    for (int i = 0; i < set->GetDefinitionCount(); ++i)
        if (set->GetDefinitionText(i).startsWith(QStringLiteral("Address,5160,"))) stock = i;
    ASSERT_GE(stock, 0);
    TppLabelDefinition definition;
    set->ParseDefinition(stock, definition);
    TppLabelSet::ApplyDefinition(definition, report);

    TppProducer producer;
    report::ReportPageSource pages(report);
    producer.SetPageSource(&pages);
    producer.SetDeviceType(QStringLiteral("Printer"));
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    producer.PrinterSetup()->Assign(report->PrinterSetup());
    producer.Print();
    ASSERT_TRUE(server.WaitForJobsDone(30000)) << server.Error().toStdString();

    // The labels' rectangles from the definition, in points.
    std::vector<QRectF> labels;
    const double pitch = definition.LabelHeight + definition.RowGap;
    const int rows = int((definition.PaperHeight - definition.Top - definition.Bottom) / pitch + 1e-6);
    ASSERT_EQ(rows, 10);
    for (int c = 0; c < definition.Columns; ++c)
        for (int r = 0; r < rows; ++r)
            labels.emplace_back(definition.ColumnPositions[size_t(c)] * 72.0, (definition.Top + r * pitch) * 72.0,
                                definition.LabelWidth * 72.0, definition.LabelHeight * 72.0);

    std::map<int, QStringList> textOfLabel;
    const std::vector<Word> words = pageWords(server.OutputFile());
    ASSERT_FALSE(words.empty());
    for (const Word& w : words) {
        SCOPED_TRACE(w.text.toStdString());
        int inside = -1;
        for (size_t i = 0; i < labels.size(); ++i)
            if (labels[i].adjusted(-0.5, -0.5, 0.5, 0.5).contains(w.box)) inside = int(i);
        ASSERT_GE(inside, 0) << "outside every label: " << w.box.x() << "," << w.box.y();
        textOfLabel[inside] << w.text;
    }
    // One record to a label, each of the first 30 records once.
    EXPECT_EQ(textOfLabel.size(), 30u);
    std::set<int> printed;
    for (const auto& [label, texts] : textOfLabel) {
        ASSERT_EQ(texts.size(), 2) << texts.join(u' ').toStdString();
        const int orderNo = texts.at(1).toInt();
        EXPECT_EQ(texts.at(0), database.packageOfOrder.at(orderNo));
        printed.insert(orderNo);
    }
    std::set<int> expected;
    for (int orderNo = 1; orderNo <= 30; ++orderNo) expected.insert(orderNo);
    EXPECT_EQ(printed, expected);
    delete report;
    report::UnRegisterLabelSets();
    report::ResetPrinterList();
}

}  // namespace
