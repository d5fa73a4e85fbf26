#include "report/output/file_device.h"
#include "testsupport/qt_printers.h"

#include "report/model/errors.h"
#include "report/output/archive_device.h"
#include "report/output/archive_reader.h"
#include "report/output/producer.h"
#include "report/output/publisher.h"
#include "report/output/report_text_file_device.h"
#include "report/page/page.h"
#include "report/page/page_source.h"
#include "report/page/units.h"
#include "testsupport/temp_folder.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtEndian>

#include <memory>
#include <vector>
#include "test_paths.h"

namespace {

/// A text to put on a page: its position, export fields and text.
struct Text {
    int left, top, width;
    QString text;
    int band = 0;
    int order = 0;
    bool bandSave = true;
    bool componentSave = true;
    int saveLength = 0;
    TAlignment alignment = TAlignment::taLeftJustify;
    bool autoSize = false;
};

/// Pages made by hand, handed to the devices of a publisher when asked.
class HandMadeReport : public report::PageSource {
public:
    std::vector<std::vector<Text>> pages;
    int paperWidth = 210000;
    int paperHeight = 297000;

    void GeneratePages(TppPageRequest& aRequest, report::PageReceiver& aReceiver) override {
        TppPageRequest request;
        request.Assign(&aRequest);
        const int count = int(pages.size());
        for (int no = 1; no <= count; ++no) {
            TppPage page;
            page.SetAbsolutePageNo(no);
            page.SetAbsolutePageCount(count);
            page.SetFirstPage(no == 1);
            page.SetLastPage(no == count);
            page.SetFinal(true);
            page.SetDocumentName(QStringLiteral("Suppliers"));
            page.PageDef()->SetmmWidth(paperWidth);
            page.PageDef()->SetmmHeight(paperHeight);
            page.SetPassedOver(!request.IsRequested(page));
            for (const Text& t : pages[size_t(no - 1)]) {
                auto* c = new TppDrawText;
                c->SetLeft(t.left);
                c->SetTop(t.top);
                c->SetWidth(t.width);
                c->SetHeight(5000);
                c->SetText(t.text);
                c->SetBandSave(t.bandSave);
                c->SetBandSaveNo(t.band);
                c->SetComponentSave(t.componentSave);
                c->SetComponentSaveNo(t.order);
                c->SetSaveLength(t.saveLength);
                c->SetAlignment(t.alignment);
                c->SetAutoSize(t.autoSize);
                c->SetPage(&page);
            }
            aReceiver.ReceivePage(page);
            if (cancelAfter == no) return;
            if (!page.PassedOver() && request.IsLastRequested(page)) return;
        }
    }
    void CancelGeneration() override {}
    void ResetGeneration() override {}
    int cancelAfter = 0;
};

/// Three suppliers, two on the first page, one on the second, with texts that are not
/// saved beside them.
HandMadeReport suppliers() {
    HandMadeReport r;
    auto record = [](int band, const QString& name, const QString& address, const QString& notes) {
        return std::vector<Text>{
            {10000, band * 8000, 40000, notes, band, 3, true, true, 6, TAlignment::taRightJustify},
            {10000, band * 8000, 40000, name, band, 1, true, true, 12},
            {60000, band * 8000, 40000, address, band, 2, true, true, 20},
            {110000, band * 8000, 40000, QStringLiteral("not saved"), band, 4, true, false},
            {110000, band * 8000, 40000, QStringLiteral("band not saved"), band, 5, false, true},
        };
    };
    auto page1 = record(1, QStringLiteral("Zanzibar Imports"), QStringLiteral("Harbour Road 12, Stone Town"),
                        QStringLiteral("Ask for \"Amani\""));
    auto second = record(2, QStringLiteral("Ostrava Tools"), QString::fromUtf8("N\u00e1dra\u017en\u00ed 5"),
                         QStringLiteral("Two lines\nof notes"));
    page1.insert(page1.end(), second.begin(), second.end());
    r.pages = {page1, record(3, QStringLiteral("Lund Paper"), QStringLiteral("Kyrkogatan 3"), QStringLiteral("42"))};
    return r;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class FileDevices : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        report::InitializeOutputUnit();
        report::SetScreenPixelsPerInch(96);
    }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }

    /// Runs one job of the report into the device.
    void publish(HandMadeReport& report, TppDevice& device) {
        TppPublisher publisher;
        publisher.OnPageRequest = [&](TppPublisher*, TppPageRequest* r) { report.GeneratePages(*r, publisher); };
        device.SetPublisher(&publisher);
        publisher.Publish();
        device.SetPublisher(nullptr);
    }
};

TEST_F(FileDevices, each_delimited_export_matches_its_golden_file) {
    static const struct {
        TppFileType type;
        const char* golden;
    } cases[] = {{TppFileType::ftComma, "export_comma.csv"},
                 {TppFileType::ftTab, "export_tab.txt"},
                 {TppFileType::ftFixedLength, "export_fixed.txt"},
                 {TppFileType::ftCustom, "export_custom.txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        HandMadeReport report = suppliers();
        TppTextFileDevice device;
        device.SetFileType(c.type);
        device.SetFileName(FilePath(QString::fromLatin1(c.golden)));
        publish(report, device);
        EXPECT_EQ(readFile(device.FileName()), readFile(QStringLiteral(TEST_DATA_DIR "/") + QString::fromLatin1(c.golden)));
    }
}

TEST_F(FileDevices, texts_with_the_same_save_numbers_are_all_exported_in_page_order) {
    // Two bands on the page were given the same output number (as the bands of a
    // sub-report poured into its parent's page may be), and two texts the same save order.
    HandMadeReport report;
    report.pages = {{
        {10000, 8000, 40000, QStringLiteral("Zanzibar Imports"), 1, 1},
        {60000, 8000, 40000, QStringLiteral("Harbour Road 12, Stone Town"), 1, 2},
        {10000, 16000, 40000, QStringLiteral("Ostrava Tools"), 1, 1},
        {60000, 16000, 40000, QString::fromUtf8("N\u00e1dra\u017en\u00ed 5"), 1, 2},
        {10000, 24000, 40000, QStringLiteral("Lund Paper"), 2, 1},
    }};
    TppTextFileDevice device;
    device.SetFileType(TppFileType::ftTab);
    device.SetFileName(FilePath(QStringLiteral("same_numbers.txt")));
    publish(report, device);
    EXPECT_EQ(QString::fromUtf8(readFile(device.FileName())),
              QString::fromUtf8("Zanzibar Imports\tOstrava Tools\tHarbour Road 12, Stone Town\tN\u00e1dra\u017en\u00ed 5\r\n"
                                "Lund Paper"));
}

// Spreadsheets read the comma export back as the source values.
TEST_F(FileDevices, the_comma_export_reads_back_with_pythons_csv_module) {
    HandMadeReport report = suppliers();
    TppTextFileDevice device;
    device.SetFileName(FilePath(QStringLiteral("suppliers.csv")));
    publish(report, device);
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f))))\n"),
                  device.FileName()});
    ASSERT_TRUE(python.waitForFinished(30000));
    const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    ASSERT_EQ(rows.size(), 3) << python.readAllStandardError().toStdString();
    EXPECT_EQ(rows[0].toArray().toVariantList(),
              QVariantList({"Zanzibar Imports", "Harbour Road 12, Stone Town", "Ask for \"Amani\""}));
    EXPECT_EQ(rows[1].toArray().toVariantList(),
              QVariantList({"Ostrava Tools", QString::fromUtf8("N\u00e1dra\u017en\u00ed 5"), "Two lines\nof notes"}));
    EXPECT_EQ(rows[2].toArray().toVariantList(), QVariantList({"Lund Paper", "Kyrkogatan 3", "42"}));
}

TEST_F(FileDevices, the_producer_exports_to_its_text_file_through_the_save_text_event) {
    HandMadeReport report = suppliers();
    TppProducer producer;
    producer.SetPageSource(&report);
    producer.SetDeviceType(QStringLiteral("TextFile"));
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    producer.SetTextFileType(TppFileType::ftTab);
    producer.SetTextFileName(FilePath(QStringLiteral("suppliers.txt")));
    producer.OnSaveText = [](QObject*, QString& text) { text = text.toUpper(); };
    producer.Print();
    EXPECT_EQ(readFile(FilePath(QStringLiteral("suppliers.txt"))),
              QString::fromUtf8(readFile(QStringLiteral(TEST_DATA_DIR "/export_tab.txt"))).toUpper().toUtf8());
    EXPECT_EQ(producer.FileDevice(), nullptr);
    EXPECT_FALSE(producer.Producing());

    producer.SetTextFileName(FilePath(QStringLiteral("no such folder/suppliers.txt")));
    try {
        producer.Print();
        ADD_FAILURE() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to open file: %1.").arg(FilePath(QStringLiteral("no such folder/suppliers.txt"))));
    }
    EXPECT_FALSE(producer.Producing());
}

TEST_F(FileDevices, report_emulation_text_places_each_text_at_its_row_and_column) {
    HandMadeReport report;
    report.paperWidth = 200000;
    report.paperHeight = 50000;
    // Cells of 10 mm by 10 mm: 20 columns, 5 rows; a text spans its width div 10 mm + 1 cells.
    report.pages = {
        {{0, 0, 40000, QStringLiteral("Top left")},
         {50000, 10000, 50000, QStringLiteral("abc"), 0, 0, true, true, 0, TAlignment::taRightJustify},
         {30000, 30000, 50000, QStringLiteral("overwritten here")},
         {70000, 30000, 20000, QStringLiteral("XYZ")},
         {150000, 40000, 10000, QStringLiteral("longer than its span"), 0, 0, true, true, 0, TAlignment::taLeftJustify, true}},
        {},
        {{100000, 20000, 30000, QStringLiteral("last")}},
    };
    TppReportTextFileDevice device;
    device.SetGridFromFont(false);
    device.SetFontSizeFromText(false);
    device.SetCharsPerLine(20);
    device.SetLinesPerPage(5);
    device.SetFileName(FilePath(QStringLiteral("page.txt")));
    publish(report, device);
    EXPECT_EQ(QString::fromUtf8(readFile(device.FileName())),
              QStringLiteral("Top l\r\n"
                             "        abc\r\n"
                             "\r\n"
                             "   overXYZ\r\n"
                             "               longer than its span\r\n"
                             "\r\n\r\n"
                             "          last\r\n"
                             "\r\n"));
}

TEST_F(FileDevices, report_emulation_text_takes_its_grid_from_courier_new) {
    HandMadeReport report;
    report.pages = {{{0, 0, 40000, QStringLiteral("Suppliers")}}};
    TppReportTextFileDevice device;
    device.SetFileName(FilePath(QStringLiteral("grid.txt")));
    publish(report, device);
    EXPECT_GT(device.CharsPerLine(), 60);
    EXPECT_LT(device.CharsPerLine(), 140);
    EXPECT_EQ(QString::fromUtf8(readFile(device.FileName())).count(QStringLiteral("\r\n")), device.LinesPerPage() - 1);
}

qint32 int32At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

TEST_F(FileDevices, an_archive_holds_an_index_and_a_component_stream_per_page) {
    stream::ClassRegistry::Global().Register<TppPage>(QStringLiteral("TppPage"));
    report::RegisterDrawCommands();
    static const struct {
        const char* what;
        QStringList pageList;
        int cancelAfter;
        std::vector<int> pages;
    } cases[] = {{"all three pages", {}, 0, {1, 2, 3}},
                 {"pages 2 and 4 of a list", {"2", "4"}, 0, {2}},
                 {"a cancelled job keeps the pages made so far", {}, 2, {1, 2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HandMadeReport report = suppliers();
        report.pages.push_back({{0, 0, 40000, QStringLiteral("Summary")}});
        report.cancelAfter = c.cancelAfter;
        TppArchiveDevice device;
        device.SetFileName(FilePath(QStringLiteral("job.raf")));
        if (!c.pageList.isEmpty()) {
            device.PageRequest()->SetPageSetting(TppPageSettingType::psPageList);
            device.PageRequest()->SetPageList(c.pageList);
        }
        publish(report, device);
        const QByteArray archive = readFile(device.FileName());
        const int count = int(c.pages.size());
        const int dataStart = int32At(archive, 0);
        ASSERT_EQ(dataStart, 4 + 8 * count);
        EXPECT_EQ(int32At(archive, 4), 0);
        for (int i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            const int offset = int32At(archive, 4 + 8 * i);
            EXPECT_EQ(int32At(archive, 8 + 8 * i), c.pages[size_t(i)]);
            const int end = i + 1 < count ? int32At(archive, 4 + 8 * (i + 1)) : int(archive.size()) - dataStart;
            const QByteArray pageStream = archive.mid(dataStart + offset, end - offset);
            EXPECT_TRUE(pageStream.startsWith("TPF0"));
            auto read = stream::ReadComponent(pageStream);
            auto& page = dynamic_cast<TppPage&>(*read);
            EXPECT_EQ(page.AbsolutePageNo(), c.pages[size_t(i)]);
            EXPECT_EQ(page.GetDrawCommandCount(), int(report.pages[size_t(c.pages[size_t(i)] - 1)].size()));
        }
    }
}

// The archive reads back, through the reader and through the dump tool, and a damaged one
// answers what is wrong.
TEST_F(FileDevices, an_archive_reads_back_and_a_damaged_one_says_why) {
    stream::ClassRegistry::Global().Register<TppPage>(QStringLiteral("TppPage"));
    HandMadeReport report = suppliers();
    TppArchiveDevice device;
    device.SetFileName(FilePath(QStringLiteral("suppliers.raf")));
    publish(report, device);
    const QByteArray archive = readFile(device.FileName());
    const auto pages = report::ReadArchive(archive);
    ASSERT_TRUE(pages.ok()) << pages.error().text.toStdString();
    ASSERT_EQ(pages->size(), 2u);
    EXPECT_EQ((*pages)[1].pageNo, 2);
    EXPECT_EQ(qobject_cast<TppDrawText*>((*pages)[1].page->GetDrawCommand(1))->Text(), "Lund Paper");

    QProcess dump;
    dump.start(QStringLiteral(RAF_DUMP), {device.FileName()});
    ASSERT_TRUE(dump.waitForFinished(30000));
    const QString out = QString::fromUtf8(dump.readAllStandardOutput());
    EXPECT_TRUE(out.startsWith(QStringLiteral("2 pages: 1 2\n"))) << out.left(200).toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Text = 'Lund Paper'")));

    static const struct {
        const char* what;
        std::function<QByteArray(QByteArray)> damage;
        int code;
    } cases[] = {
        {"cut inside the header", [](QByteArray b) { return b.left(3); }, report::kArchiveTooShort},
        {"a data offset beyond the file", [](QByteArray b) { b[1] = char(0x7F); return b; }, report::kArchiveBadIndex},
        {"a page offset beyond the data", [](QByteArray b) { b[6] = char(0x7F); return b; }, report::kArchiveBadIndex},
        {"a page stream cut short", [](QByteArray b) { return b.left(b.size() - 30); }, report::kArchiveBadPage},
        {"a page stream overwritten", [](QByteArray b) { b[int32At(b, 0) + 1] = 'X'; return b; }, report::kArchiveBadPage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto damaged = report::ReadArchive(c.damage(archive));
        ASSERT_FALSE(damaged.ok());
        EXPECT_EQ(damaged.error().code, c.code) << damaged.error().text.toStdString();
        EXPECT_FALSE(damaged.error().text.isEmpty());
    }
}

}  // namespace
