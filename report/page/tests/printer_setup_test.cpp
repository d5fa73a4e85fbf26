#include "report/page/paper_tables.h"
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "testsupport/qt_printers.h"

#include "platform/format/format_settings.h"
#include "platform/print/testing/fake_catalog.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/property_table.h"
#include "platform/stream/text_form.h"

#include <gtest/gtest.h>

namespace {

using print::DriverCapabilities;
using print::testing::FakeCatalog;
using print::testing::ScopedCatalog;

/// One printer "Office Laser" (the default) with what the test gives it.
std::unique_ptr<FakeCatalog> catalogWith(const DriverCapabilities& caps) {
    auto catalog = std::make_unique<FakeCatalog>();
    catalog->printers = {{QStringLiteral("Office Laser"), false}, {QStringLiteral("Hall Copier"), true}};
    catalog->defaultPrinter = QStringLiteral("Office Laser");
    catalog->capabilities[QStringLiteral("Office Laser")] = caps;
    return catalog;
}

/// Letter, A4 and an envelope, with sizes, and two trays.
DriverCapabilities officeLaser() {
    DriverCapabilities caps;
    caps.paperNames = {QStringLiteral("Letter"), QStringLiteral("A4"), QStringLiteral("Envelope #10 4 18 x 9 1/2")};
    caps.paperCodes = {1, 9, 20};
    caps.paperSizesTenthsMm = {QSize(2159, 2794), QSize(2100, 2970), QSize(1048, 2413)};
    caps.binNames = {QStringLiteral("Upper Tray"), QStringLiteral("Manual Feed")};
    caps.binCodes = {1, 4};
    return caps;
}

class PrinterSetupTest : public ::testing::Test {
protected:
    void SetUp() override { report::SetScreenPixelsPerInch(96); }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }
};

struct ReconcileCase {
    const char* what;
    QStringList names;
    std::vector<int> codes;
    std::vector<QSize> sizes;
    QStringList binNames;
    std::vector<int> binCodes;
    const char* papers;  ///< "name=code:w x h" joined by "|"
    const char* bins;    ///< "name=code" joined by "|"
};

QString describePapers(const TppPrinterCapabilities& c) {
    QStringList out;
    for (int i = 0; i < c.PaperNames.size(); ++i)
        out << QStringLiteral("%1=%2:%3x%4").arg(c.PaperNames[i], c.PaperCodes[i], c.PaperWidths[i], c.PaperHeights[i]);
    return out.join(QLatin1Char('|'));
}

QString describeBins(const TppPrinterCapabilities& c) {
    QStringList out;
    for (int i = 0; i < c.BinNames.size(); ++i) out << c.BinNames[i] + QLatin1Char('=') + c.BinCodes[i];
    return out.join(QLatin1Char('|'));
}

TEST_F(PrinterSetupTest, driver_papers_and_trays_are_reconciled_with_the_paper_tables) {
    static const ReconcileCase cases[] = {
        {"custom first stands last, named Custom",
         {"User size", "Letter", "A4"}, {256, 1, 9}, {QSize(0, 0), QSize(2159, 2794), QSize(2100, 2970)},
         {"Default", "Tray 2"}, {7, 2},
         "Letter=1:2159x2794|A4=9:2100x2970|Custom=256:0x0", "Default=7|Tray 2=2"},
        {"no custom paper: one is appended; no Default tray: one is put first",
         {"A4"}, {9}, {QSize(2100, 2970)}, {"Upper"}, {1},
         "A4=9:2100x2970|Custom=256:0x0", "Default=7|Upper=1"},
        {"codes without names take the table's names and sizes",
         {}, {9, 11}, {}, {}, {},
         "A4 210 x 297 mm=9:2100x2970|A5 148 x 210 mm=11:1480x2100|Custom=256:0x0", "Default=7"},
        {"an unknown code is named by the driver's size, or by its code without one",
         {}, {300, 301}, {QSize(1000, 1500)}, {}, {},
         "100 x 150 mm=300:1000x1500|Custom=256:0x0", "Default=7"},
        {"a paper of size 0 by 0 other than Custom is removed",
         {"Odd", "A4"}, {118, 9}, {QSize(0, 0), QSize(2100, 2970)}, {}, {},
         "A4=9:2100x2970|Custom=256:0x0", "Default=7"},
        {"a name with CUSTOM stands for the custom paper; extra names and bins are cut",
         {"A4", "Custom size", "Spare"}, {9, 270}, {QSize(2100, 2970), QSize(0, 0)}, {"Default", "Lower"}, {7},
         "A4=9:2100x2970|Custom=270:0x0", "Default=7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DriverCapabilities d;
        d.paperNames = c.names;
        d.paperCodes = c.codes;
        d.paperSizesTenthsMm = c.sizes;
        d.binNames = c.binNames;
        d.binCodes = c.binCodes;
        const TppPrinterCapabilities caps(QStringLiteral("P"), d);
        EXPECT_EQ(describePapers(caps), QString::fromLatin1(c.papers));
        EXPECT_EQ(describeBins(caps), QString::fromLatin1(c.bins));
    }
}

TEST_F(PrinterSetupTest, paper_table_rows_in_inches_are_converted_to_tenths_of_a_millimetre) {
    EXPECT_EQ(report::PaperTableName(5), "Legal 8 12 x 14 in");
    EXPECT_EQ(report::PaperTableName(50), "Letter Extra 9 \\275 x 12 in");
    EXPECT_EQ(report::PaperTableName(48), "Unknown");
    EXPECT_EQ(report::PaperTableSizeTenthsMm(9), QSize(2100, 2970));
    EXPECT_EQ(report::PaperTableSizeTenthsMm(1), QSize(2159, 2794));
    EXPECT_EQ(report::PaperTableSizeTenthsMm(256), QSize(0, 0));
}

TEST_F(PrinterSetupTest, the_printer_list_puts_Default_first_and_resolves_names) {
    ScopedCatalog scoped(catalogWith(officeLaser()), report::ResetPrinterList);
    TppPrinterList* list = ppGetPrinterList();
    EXPECT_EQ(list->Names(), (QStringList{"Default", "Office Laser", "Hall Copier"}));
    EXPECT_EQ(list->FindPrinter(QStringLiteral("Default"))->Name(), "Office Laser");
    EXPECT_EQ(list->FindPrinter(QStringLiteral("hall copier"))->Name(), "Hall Copier");
    EXPECT_EQ(list->FindPrinter(QStringLiteral("Hall Copier on LPT1:"))->Name(), "Hall Copier");
    EXPECT_EQ(list->FindPrinter(QStringLiteral("Nowhere"))->Name(), "Office Laser");
    EXPECT_FALSE(list->FindPrinter(QStringLiteral("Hall Copier"))->Local());
    EXPECT_TRUE(list->FindPrinter(QStringLiteral("Office Laser"))->Local());
}

TEST_F(PrinterSetupTest, without_printers_the_placeholder_answers_Custom_and_Default) {
    ScopedCatalog scoped(std::make_unique<FakeCatalog>(), report::ResetPrinterList);
    EXPECT_EQ(ppGetPrinterList()->Count(), 1);
    EXPECT_EQ(ppGetPrinterList()->FindPrinter(QStringLiteral("Default")), nullptr);
    TppPrinterSetup setup;
    EXPECT_EQ(setup.PrinterInfo(), nullptr);
    EXPECT_EQ(setup.GetPaperNames(), QStringList{"Custom"});
    EXPECT_EQ(setup.GetBinNames(), QStringList{"Default"});
    setup.SetPrinterName(QStringLiteral("Office Laser"));
    EXPECT_EQ(setup.PrinterName(), "Default");
}

TEST_F(PrinterSetupTest, a_new_setup_is_Letter_with_a_point_and_A4_with_a_comma) {
    ScopedCatalog scoped(catalogWith(officeLaser()), report::ResetPrinterList);
    TppPrinterSetup letter;
    EXPECT_EQ(letter.PageDef()->mmWidth(), 215900);
    EXPECT_EQ(letter.PageDef()->mmHeight(), 279401);
    EXPECT_EQ(letter.PageDef()->mmMarginLeft(), 6350);
    EXPECT_EQ(letter.PaperName(), "Letter");

    format::FormatSettings comma;
    comma.decimalSeparator = QLatin1Char(',');
    format::ScopedSettings scopedComma(comma);
    TppPrinterSetup a4;
    EXPECT_EQ(a4.PageDef()->mmWidth(), 210000);
    EXPECT_EQ(a4.PageDef()->mmHeight(), 297000);
    EXPECT_EQ(a4.PageDef()->mmMarginBottom(), 6350);
    EXPECT_EQ(a4.PaperName(), "A4");
}

TEST_F(PrinterSetupTest, printer_names_copies_and_envelopes) {
    ScopedCatalog scoped(catalogWith(officeLaser()), report::ResetPrinterList);
    TppPrinterSetup setup;
    int printerChanges = 0;
    setup.OnPrinterChange = [&](TppPrinterSetup*) { ++printerChanges; };

    setup.SetPrinterName(QStringLiteral("Not Installed Anywhere"));
    EXPECT_EQ(setup.PrinterName(), "Default");
    setup.SetPrinterName(QStringLiteral("Hall Copier"));
    EXPECT_EQ(setup.PrinterName(), "Hall Copier");
    setup.SetPrinterName(QStringLiteral("Current"));
    EXPECT_EQ(setup.PrinterName(), "Default");
    EXPECT_EQ(setup.GetPrinterDescription(), "Office Laser");
    EXPECT_EQ(printerChanges, 3);

    setup.SetCopies(3);
    setup.SetCopies(0);
    setup.SetCopies(-2);
    EXPECT_EQ(setup.Copies(), 3);

    setup.SetUnits(TppUnitType::utMMThousandths);
    setup.SetPaperName(QStringLiteral("Envelope #10 4 18 x 9 1/2"));
    EXPECT_EQ(setup.Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(setup.PageDef()->mmWidth(), 241300);
    EXPECT_EQ(setup.PageDef()->mmHeight(), 104800);
    EXPECT_EQ(setup.PaperName(), "Envelope #10 4 18 x 9 1/2");
}

TEST_F(PrinterSetupTest, a_page_within_one_millimetre_finds_its_paper_else_it_is_Custom) {
    ScopedCatalog scoped(catalogWith(officeLaser()), report::ResetPrinterList);
    TppPrinterSetup setup;
    setup.SetUnits(TppUnitType::utMillimeters);
    setup.SetPaperWidth(215.5f);
    setup.SetPaperHeight(279.4f);
    EXPECT_EQ(setup.PaperName(), "Letter");
    setup.SetPaperWidth(213.0f);
    EXPECT_EQ(setup.PaperName(), "Custom");
    setup.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(setup.PageDef()->mmWidth(), 279400);
    setup.SetPaperHeight(210.0f);
    setup.SetPaperWidth(297.0f);
    EXPECT_EQ(setup.PaperName(), "A4");
}

TEST_F(PrinterSetupTest, a_refused_change_leaves_the_page_and_calls_no_hook) {
    ScopedCatalog scoped(catalogWith(officeLaser()), report::ResetPrinterList);
    TppPrinterSetup setup;
    setup.SetUnits(TppUnitType::utMMThousandths);
    int changes = 0;
    setup.OnPageDefChange = [&](TppPrinterSetup*) { ++changes; };
    setup.OnValidatePageDef = [](TppPrinterSetup*, TppPageDef* candidate, bool& accept) {
        accept = candidate->mmMarginLeft() < 50000;
    };
    setup.SetMarginLeft(60000);
    setup.SetOrientation(TPrinterOrientation::poPortrait);
    EXPECT_EQ(setup.PageDef()->mmMarginLeft(), 6350);
    EXPECT_EQ(changes, 0);
    setup.SetMarginLeft(10000);
    setup.SetMarginTop(-5);
    EXPECT_EQ(setup.PageDef()->mmMarginLeft(), 10000);
    EXPECT_EQ(setup.PageDef()->mmMarginTop(), 6350);
    EXPECT_EQ(changes, 1);
}

/// A component holding a setup, so that it can be streamed on its own.
class SetupHolder : public TComponent, public stream::Component {
public:
    SetupHolder() : setup(this) {}
    TppPrinterSetup setup;
    const stream::PropertyList& StreamProperties() const override {
        static const auto table = stream::PropertyTable<SetupHolder>().Object(
            "PrinterSetup", [](const SetupHolder& h) -> const TppPrinterSetup& { return h.setup; });
        return table;
    }
    QString StreamClassName() const override { return QStringLiteral("TSetupHolder"); }
    QString StreamName() const override { return objectName(); }
    void SetStreamName(const QString& n) override { setObjectName(n); }
    void BeginLoading() override { SetComponentState(csLoading | csReading, true); }
    void Loaded() override { SetComponentState(csLoading | csReading, false); }
};

TEST_F(PrinterSetupTest, a_setup_streams_its_six_lengths_in_thousandths_and_never_the_unit_values) {
    ScopedCatalog scoped(catalogWith(officeLaser()), report::ResetPrinterList);
    stream::ClassRegistry::Global().Register<SetupHolder>("TSetupHolder");
    SetupHolder holder;
    holder.setObjectName(QStringLiteral("Holder"));
    holder.setup.SetUnits(TppUnitType::utMMThousandths);
    holder.setup.SetPaperName(QStringLiteral("A4"));
    holder.setup.SetCopies(2);
    holder.setup.SetBinName(QStringLiteral("Manual Feed"));
    const QString text =
        QString::fromUtf8(stream::ObjectDataToText(stream::ComponentToObjectData(holder))).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(text,
              "object Holder: TSetupHolder\n"
              "  PrinterSetup.BinName = 'Manual Feed'\n"
              "  PrinterSetup.Copies = 2\n"
              "  PrinterSetup.PaperName = 'A4'\n"
              "  PrinterSetup.PrinterName = 'Default'\n"
              "  PrinterSetup.mmMarginBottom = 6350\n"
              "  PrinterSetup.mmMarginLeft = 6350\n"
              "  PrinterSetup.mmMarginRight = 6350\n"
              "  PrinterSetup.mmMarginTop = 6350\n"
              "  PrinterSetup.mmPaperHeight = 297000\n"
              "  PrinterSetup.mmPaperWidth = 210000\n"
              "end\n");

    // Older versions stored floats; they are rounded.
    QString old = text;
    old.replace(QStringLiteral("mmPaperWidth = 210000"), QStringLiteral("mmPaperWidth = 209999.6"));
    auto read = stream::ReadComponent(stream::ParseObjectText(old.toUtf8()));
    auto& copy = dynamic_cast<SetupHolder&>(*read);
    EXPECT_TRUE(copy.setup.IsEqual(holder.setup));
    EXPECT_EQ(copy.setup.PageDef()->mmWidth(), 210000);
    EXPECT_EQ(copy.setup.BinName(), "Manual Feed");
}

}  // namespace
