#include "report/output/producer.h"
#include "report/output/producer_adapters.h"
#include "testsupport/qt_printers.h"

#include "report/output/dialog_registry.h"
#include "report/output/gui/cancel_dialog.h"
#include "report/output/gui/output_forms.h"
#include "report/output/printer.h"
#include "report/output/printer_device.h"
#include "report/output/publisher.h"
#include "report/output/tests/output_fixtures.h"
#include "report/output/tests/recording_device.h"
#include "report/page/printer_list.h"
#include "report/page/units.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include "platform/print/testing/cups_test_server.h"
#include "platform/print/testing/fake_catalog.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

namespace {

using outputtest::FakeReport;
using outputtest::pdfPrinter;
using print::testing::FakeCatalog;
using print::testing::ScopedCatalog;

/// A print dialog without a window: the test decides what the user does.
class FakePrintDialog : public TppCustomPrintDialog {
public:
    explicit FakePrintDialog(QObject*) {}
    static inline std::function<report::ModalResult(FakePrintDialog&)> onShow;
    static inline int created = 0;
    void Init() override { ++created; }
    report::ModalResult ShowModal() override { return onShow ? onShow(*this) : report::ModalResult::mrOk; }
    void Show() override {}
    void Close() override {}
    bool IsShowing() const override { return false; }
    void EndModal(report::ModalResult) override {}
};

/// A preview form without a window: shown modally, it is activated once and closed.
class FakePreviewer : public TppCustomPreviewer {
public:
    explicit FakePreviewer(QObject*) {}
    static inline int shown = 0;
    report::ModalResult ShowModal() override {
        ++shown;
        DoActivate();
        return report::ModalResult::mrOk;
    }
    void Show() override {}
    void Close() override {}
    bool IsShowing() const override { return false; }
    void EndModal(report::ModalResult) override {}
};

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& file) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run(QStringLiteral("pdfinfo"), {file}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

/// The "Line <n>" numbers of the PDF's pages, in page order.
std::vector<int> pdfPageOrder(const QString& file) {
    std::vector<int> order;
    const QStringList pages = run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}).split(QChar(0x0C));
    for (const QString& page : pages) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Line (\\d+) of the run")).match(page);
        if (m.hasMatch()) order.push_back(m.captured(1).toInt());
    }
    return order;
}

class Producer : public outputtest::OutputFormsTest {
protected:
    void SetUp() override {
        OutputFormsTest::SetUp();
        FakePrintDialog::onShow = nullptr;
        FakePrintDialog::created = 0;
    }
    void TearDown() override {
        report::UnRegisterForm<TppCustomPrintDialog>();
        report::UnRegisterForm<TppCustomPreviewer>();
        OutputFormsTest::TearDown();
    }
    testsupport::DialogAnswerer answers;
};

TEST_F(Producer, without_a_printer_the_job_stops_with_the_printer_setup_message) {
    ScopedCatalog scoped(std::make_unique<FakeCatalog>(), report::ResetPrinterList);
    FakeReport report(3);
    TppProducer producer;
    producer.SetPageSource(&report);
    producer.SetDeviceType(QStringLiteral("Printer"));
    producer.SetShowPrintDialog(false);
    answers.ExpectMessage(QStringLiteral("^Windows cannot print due to a problem with the current printer setup\\.$"),
                          ui::Button::Ok, ui::MessageKind::Warning);
    producer.Print();
    EXPECT_EQ(report.generations, 0);
    EXPECT_FALSE(producer.Producing());
    EXPECT_EQ(producer.PrinterDevice(), nullptr);
    EXPECT_EQ(ppGetPrinter(), nullptr);
}

TEST_F(Producer, cancelling_the_print_dialog_prints_nothing_and_keeps_the_printer_setup) {
    ScopedCatalog scoped(pdfPrinter(FilePath(QStringLiteral("out.pdf"))), report::ResetPrinterList);
    report::RegisterForm<TppCustomPrintDialog, FakePrintDialog>();
    FakeReport report(3);
    TppProducer producer;
    producer.SetPageSource(&report);
    producer.SetDeviceType(QStringLiteral("Printer"));
    producer.SetCurrentPage(2);
    int closed = 0;
    producer.OnPrintDialogClose = [&](QObject*) { ++closed; };
    FakePrintDialog::onShow = [](FakePrintDialog& d) {
        EXPECT_EQ(d.PageRequest()->PageRequested(), 2);
        d.Printer->PrinterSetup()->SetCopies(4);
        d.Printer->PrinterSetup()->SetOrientation(TPrinterOrientation::poLandscape);
        return report::ModalResult::mrCancel;
    };
    producer.Print();
    EXPECT_EQ(FakePrintDialog::created, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(report.generations, 0);
    EXPECT_EQ(producer.PrinterSetup()->Copies(), 1);
    EXPECT_EQ(producer.PrinterSetup()->Orientation(), TPrinterOrientation::poPortrait);
    EXPECT_EQ(producer.PrintDialog(), nullptr);
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("out.pdf"))));
}

// Copies are made by the printer device: collated copies by publishing the job again into
// the same document, uncollated ones page by page. The setup chosen in the print dialog is
// used for the job and the report's own is restored afterwards.
TEST_F(Producer, copies_come_out_collated_or_page_by_page_and_the_setup_is_restored) {
    const QString pdf = FilePath(QStringLiteral("out.pdf"));
    ScopedCatalog scoped(pdfPrinter(pdf), report::ResetPrinterList);
    report::RegisterForm<TppCustomPrintDialog, FakePrintDialog>();
    static const struct {
        bool collation;
        std::vector<int> order;
    } cases[] = {{true, {1, 2, 3, 1, 2, 3}}, {false, {1, 1, 2, 2, 3, 3}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.collation);
        QFile::remove(pdf);
        FakeReport report(3);
        TppProducer producer;
        report.setup = producer.PrinterSetup();
        producer.SetPageSource(&report);
        producer.SetDeviceType(QStringLiteral("Printer"));
        producer.SetShowCancelDialog(false);
        producer.Publisher()->SetCachePages(true);
        FakePrintDialog::onShow = [&](FakePrintDialog& d) {
            d.Printer->PrinterSetup()->SetCopies(2);
            d.Printer->PrinterSetup()->SetCollation(c.collation);
            return report::ModalResult::mrOk;
        };
        int afterPrint = 0;
        producer.AfterPrint = [&](QObject*) { ++afterPrint; };
        producer.Print();
        EXPECT_EQ(pdfPageOrder(pdf), c.order);
        EXPECT_EQ(report.generations, 1);  // the second collated pass comes from the cache
        EXPECT_EQ(producer.PrinterSetup()->Copies(), 1);
        EXPECT_TRUE(producer.PrinterSetup()->Collation());
        EXPECT_GE(afterPrint, 1);
        EXPECT_FALSE(producer.Producing());
    }
}

TEST_F(Producer, the_progress_dialog_shows_the_page_and_its_cancel_stops_the_job) {
    const QString pdf = FilePath(QStringLiteral("out.pdf"));
    ScopedCatalog scoped(pdfPrinter(pdf), report::ResetPrinterList);
    FakeReport report(6);
    TppProducer producer;
    producer.SetPageSource(&report);
    producer.SetDeviceType(QStringLiteral("Printer"));
    producer.SetShowPrintDialog(false);
    int cancelled = 0;
    producer.OnCancel = [&](QObject*) { ++cancelled; };
    QString statusAtPage2;
    report.afterPage = [&](int no) {
        if (no != 2) return;
        auto* dialog = dynamic_cast<TppCancelDialog*>(producer.CancelDialog());
        ASSERT_NE(dialog, nullptr);
        statusAtPage2 = testsupport::FindControl<QPlainTextEdit>(dialog, QStringLiteral("memMessage"))->toPlainText();
        testsupport::GrabToPng(dialog, QStringLiteral("report_progress_dialog"));
        EXPECT_TRUE(testsupport::Click(dialog, QStringLiteral("btnCancel")));
    };
    answers.ExpectModal<TppCancelDialog>([](TppCancelDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Printing");
        EXPECT_TRUE(d.btnCancel->isEnabled());
    });
    producer.Print();
    EXPECT_EQ(statusAtPage2, "Printing page 2 for report Package list on the Office Laser");
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(report.generated, (std::vector<int>{1, 2}));
    EXPECT_EQ(producer.CancelDialog(), nullptr);
    EXPECT_EQ(pdfPageOrder(pdf), (std::vector<int>{1, 2}));
}

TEST_F(Producer, a_modal_progress_dialog_ends_by_its_close_timer_when_the_job_is_done) {
    const QString pdf = FilePath(QStringLiteral("out.pdf"));
    ScopedCatalog scoped(pdfPrinter(pdf), report::ResetPrinterList);
    FakeReport report(2);
    TppProducer producer;
    producer.SetPageSource(&report);
    producer.SetDeviceType(QStringLiteral("Printer"));
    producer.SetShowPrintDialog(false);
    int dialogClosed = 0;
    producer.OnCancelDialogClose = [&](QObject*) { ++dialogClosed; };
    answers.ExpectModal<TppCancelDialog>([](TppCancelDialog& d) {
        EXPECT_TRUE(testsupport::WaitFor([&] { return !d.isVisible(); }));
        EXPECT_EQ(d.result(), int(report::ModalResult::mrOk));
        EXPECT_EQ(d.memMessage->toPlainText(), "Printing page 2 for report Package list on the Office Laser");
    });
    producer.Print();
    EXPECT_EQ(dialogClosed, 1);
    EXPECT_EQ(pdfPages(pdf), 2);
}

TEST_F(Producer, the_progress_dialog_sizes_its_cancel_button_to_the_caption_and_centres_it) {
    TppCancelDialog dialog;
    const QRect before = dialog.btnCancel->geometry();
    EXPECT_LE(std::abs(before.center().x() - 270 / 2), 1);
    dialog.AllowPrintCancel = false;
    dialog.show();
    EXPECT_FALSE(dialog.btnCancel->isEnabled());
    EXPECT_EQ(before.width(), dialog.btnCancel->fontMetrics().horizontalAdvance(QStringLiteral("Cancel")) + 30);
}

TEST_F(Producer, a_preview_publishes_the_report_when_the_form_is_activated) {
    report::RegisterForm<TppCustomPreviewer, FakePreviewer>();
    FakePreviewer::shown = 0;
    FakeReport report(2);
    TppProducer producer;
    producer.SetPageSource(&report);
    int closed = 0, afterPrint = 0;
    producer.OnPreviewFormClose = [&](QObject*) { ++closed; };
    producer.AfterPrint = [&](QObject*) { ++afterPrint; };
    producer.Print();
    EXPECT_EQ(FakePreviewer::shown, 1);
    EXPECT_EQ(report.generations, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_GE(afterPrint, 1);
    EXPECT_FALSE(producer.Producing());
    EXPECT_EQ(producer.PreviewForm(), nullptr);
}

TEST_F(Producer, stored_versions_are_upgraded_when_loaded) {
    static const struct {
        const char* version;
        int versionNo;
        bool converted;
        bool pre40;
    } cases[] = {
        {"4.0", 5000, true, false},
        {"3.52", 5000, true, true},
        {"5.0 Beta Build 8", 5000, true, true},
        {"5.0 Beta Build 3", 5000, true, true},
        {"5.0", 5000, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        TppProducer producer;
        producer.SetVersion(QString::fromLatin1(c.version));
        producer.Loaded();
        EXPECT_EQ(producer.VersionNo(), c.versionNo);
        EXPECT_EQ(producer.Version(), "5.0");
        EXPECT_EQ(producer.Converted(), c.converted);
        EXPECT_EQ(producer.ConvertedFromPre40(), c.pre40);
    }
    TppProducer beta;
    beta.SetVersion(QStringLiteral("5.0 Beta Build 3"));
    EXPECT_EQ(beta.VersionNo(), 5000);
}

// A real CUPS queue, started by the test on a folder and port of its own.
TEST_F(Producer, a_report_prints_on_a_cups_pdf_queue) {
    print::testing::CupsTestServer server;
    if (!server.Start()) GTEST_SKIP() << "no CUPS scheduler of our own: " << server.Error().toStdString();
    ASSERT_TRUE(server.AddPdfQueue(QStringLiteral("DossaraPDF"), true)) << server.Error().toStdString();
    report::ResetPrinterList();
    EXPECT_EQ(ppGetPrinterList()->Names(), (QStringList{"Default", "DossaraPDF"}));
    ASSERT_NE(ppGetPrinter(), nullptr);
    EXPECT_EQ(ppGetPrinter()->PrinterName(), "DossaraPDF");

    FakeReport report(3);
    TppProducer producer;
    producer.SetPageSource(&report);
    producer.SetDeviceType(QStringLiteral("Printer"));
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    producer.PrinterSetup()->SetPaperName(QStringLiteral("A4"));
    EXPECT_TRUE(producer.PrinterSetup()->GetBinNames().contains(QStringLiteral("Manual")));
    producer.Print();
    ASSERT_TRUE(server.WaitForJobsDone(30000)) << server.Error().toStdString();
    EXPECT_EQ(pdfPages(server.OutputFile()), 3);
    EXPECT_EQ(pdfPageOrder(server.OutputFile()), (std::vector<int>{1, 2, 3}));
    const QString text = run(QStringLiteral("pdftotext"), {server.OutputFile(), QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Page 3 of 3"))) << text.toStdString();
    report::ResetPrinterList();
}

}  // namespace

TEST(ProducerAdapter, describes_the_job_events_and_settings_of_the_producer) {
    TComponent owner;
    auto* producer = new TppProducer(&owner);
    const TraRTTI* rtti = raGetRTTI(producer->metaObject());
    ASSERT_EQ(rtti, &RTTIInstance<TraTppProducerRTTI>());
    struct Row {
        const char* name;
        TraDataType type;
        bool readOnly;
        bool listed;
        int eventId;
    };
    using D = TraDataType;
    const Row rows[] = {
        {"AfterPrint", D::daMethod, true, true, report::ciProducerAfterPrint},
        {"OnCancel", D::daMethod, true, true, report::ciProducerCancel},
        {"OnSaveText", D::daMethod, true, true, report::ciProducerSaveText},
        {"DeviceType", D::daString, false, true, -1},
        {"TextFileType", D::daEnum, false, true, -1},
        {"Language", D::daEnum, true, true, -1},
        {"PrinterSetup", D::daClass, true, true, -1},
        {"CancelDialog", D::daClass, true, false, -1},
        {"Printing", D::daBoolean, true, false, -1},
        {"EnableProcessMessages", D::daBoolean, true, false, -1},
        {"VersionNo", D::daInteger, true, false, -1},
    };
    TraPropList props, events;
    rtti->GetPropList(producer->metaObject(), props);
    rtti->GetEventList(producer->metaObject(), events);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TraPropRec rec;
        ASSERT_TRUE(rtti->GetPropRec(producer->metaObject(), QString::fromLatin1(r.name), rec));
        EXPECT_EQ(rec.DataType, r.type);
        EXPECT_EQ(rec.ReadOnly, r.readOnly);
        EXPECT_EQ(rec.EventID, r.eventId);
        const bool listed = props.Names().contains(QString::fromLatin1(r.name), Qt::CaseInsensitive) ||
                            events.Names().contains(QString::fromLatin1(r.name), Qt::CaseInsensitive);
        EXPECT_EQ(listed, r.listed);
    }
    // OnSaveText passes Text by reference.
    const auto params = rtti->GetParams(QStringLiteral("OnSaveText"));
    ASSERT_TRUE(params);
    ASSERT_EQ(params->Count(), 1);
    EXPECT_TRUE(params->Param(0).IsVar);

    QVariant v = QStringLiteral("out.txt");
    EXPECT_TRUE(rtti->SetPropValue(producer, QStringLiteral("TextFileName"), v));
    EXPECT_EQ(producer->TextFileName(), QStringLiteral("out.txt"));
    QVariant back;
    ASSERT_TRUE(rtti->GetPropValue(producer, QStringLiteral("ShowPrintDialog"), back));
    EXPECT_EQ(back.toBool(), producer->ShowPrintDialog());
}
