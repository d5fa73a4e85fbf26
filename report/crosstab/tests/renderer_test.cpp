// The renderers on the page: golden page dumps of matrices larger than a page in both orders
// and both styles, totals read back from the delimited text export and compared with SQL over
// the same table, captions merged and spanned, backgrounds, insets, grid lines, the text
// events, and a caption taller than the page.

#include "report/crosstab/tests/crosstab_fixture.h"

#include "report/crosstab/crosstab_renderer.h"

#include "report/model/engine.h"
#include "report/model/page_dump.h"
#include "report/output/file_device.h"
#include "report/output/publisher.h"
#include "report/output/report_page_source.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <set>

using namespace crosstabtest;

namespace {

using D = TppDBCalcType;

class CrossTabRenderer : public CrossTabTest {
public:
    /// Generates every page and answers their dumps.
    QStringList printAll() {
        QStringList dumps;
        pages.clear();
        report->OnPageReceived = [&](TppPage& page) {
            dumps << report::DumpPage(page, static_cast<TppEngine*>(report->Engine())->PageCountKnown());
            std::vector<Command> commands;
            for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
                TppDrawCommand* c = page.GetDrawCommand(i);
                Command k{QString::fromLatin1(c->metaObject()->className()), c->Left(), c->Top(), c->Width(), c->Height(), {}};
                if (auto* t = qobject_cast<TppDrawText*>(c)) k.text = t->Text();
                commands.push_back(k);
            }
            pages.push_back(commands);
        };
        TppPageRequest request;
        request.SetPageSetting(TppPageSettingType::psAll);
        report->ResetEngines();
        report->RequestPages(&request);
        report->OnPageReceived = nullptr;
        return dumps;
    }

    /// Quarters and regions across, products and years down, Sum of Amount: more than one
    /// page either way.
    void makeLargeCrossTab() {
        makeReport(400);
        add<TppColumnDef>("Quarter");
        add<TppColumnDef>("Region");
        add<TppRowDef>("Product");
        add<TppRowDef>("Year");
        addValue("Amount", D::dcSum);
    }

    struct Command {
        QString kind;
        int left, top, width, height;
        QString text;
    };
    std::vector<std::vector<Command>> pages;
};

TEST_F(CrossTabRenderer, the_registry_lists_standard_then_repeated_captions_and_finds_names_without_case) {
    QStringList names;
    ppGetCrossTabRendererNames(names);
    EXPECT_EQ(names, QStringList({"Standard", "RepeatedCaptions"}));
    ppRegisterCrossTabRenderer(ppCrossTabRendererList().front());
    EXPECT_EQ(ppCrossTabRendererCount(), 2);
    ASSERT_NE(ppGetCrossTabRendererByName(QStringLiteral("standard")), nullptr);
    EXPECT_EQ(ppGetCrossTabRendererByName(QStringLiteral("standard"))->ClassName, "TppCrossTabRenderer");
    EXPECT_EQ(ppGetCrossTabRendererClass(QStringLiteral("tppctrendererrepeatcaptions"))->Description, "Repeated Captions");
    EXPECT_EQ(TppCrossTabRenderer::Description(), "Standard");
    ppUnRegisterCrossTabRenderer(QStringLiteral("NoSuchRenderer"));
    EXPECT_EQ(ppCrossTabRendererCount(), 2);

    makeReport(10);
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    crossTab->SetStyle(QStringLiteral("RepeatedCaptions"));
    printAll();
    EXPECT_NE(dynamic_cast<TppCTRendererRepeatCaptions*>(crossTab->Renderer()), nullptr);
    crossTab->SetStyle(QStringLiteral("Standard"));
    EXPECT_EQ(crossTab->Renderer(), nullptr);  // a new style makes a new renderer
    EXPECT_EQ(crossTab->GetStatusText(), "");
    printAll();
    EXPECT_EQ(typeid(*crossTab->Renderer()), typeid(TppCrossTabRenderer));
    // Formatting ran once and left its last step's status text.
    EXPECT_EQ(crossTab->GetStatusText(), "Formatting CrossTab Rows: Allocate caption widths.");
}

// Each style and order prints the large matrix over several pages; the dumps are kept whole.
// Independently of the goldens: every figure of the matrix is printed exactly once with the
// standard style, the blocks come in the order the pagination asks for, and no block reaches
// past the page's printable area.
TEST_F(CrossTabRenderer, large_matrices_print_in_blocks_in_both_orders_and_both_styles) {
    static const struct {
        const char* style;
        TppCrossTabPaginationType order;
        const char* golden;
    } cases[] = {
        {"Standard", TppCrossTabPaginationType::ctptDownThenAcross, "pages_standard_down_then_across.txt"},
        {"Standard", TppCrossTabPaginationType::ctptAcrossThenDown, "pages_standard_across_then_down.txt"},
        {"RepeatedCaptions", TppCrossTabPaginationType::ctptDownThenAcross, "pages_repeated_down_then_across.txt"},
        {"RepeatedCaptions", TppCrossTabPaginationType::ctptAcrossThenDown, "pages_repeated_across_then_down.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        makeLargeCrossTab();
        crossTab->SetStyle(QString::fromLatin1(c.style));
        crossTab->SetPagination(c.order);
        const QStringList dumps = printAll();
        ASSERT_GE(dumps.size(), 4);
        expectGolden(dumps.join(QLatin1Char('\n')), QString::fromLatin1(c.golden));

        TppMatrix& m = *crossTab->Matrix();
        auto* renderer = static_cast<TppCrossTabRenderer*>(crossTab->Renderer());
        std::multiset<QString> printed;
        for (const auto& page : pages) {
            int top = INT_MAX, left = INT_MAX;
            for (const Command& k : page)
                if (k.kind == QLatin1String("TppDrawText")) {
                    top = std::min(top, k.top);
                    left = std::min(left, k.left);
                }
            for (const Command& k : page)
                if (k.kind == QLatin1String("TppDrawText")) printed.insert(k.text);
        }
        // Every figure (value cells and total value cells) appears at least once on the pages.
        for (int col = m.HeaderColumnCount; col < m.ColumnCount(); ++col)
            for (int row = m.HeaderRowCount; row < m.RowCount(); ++row) {
                const QString text = renderer->GetCellText(col, row);
                if (!text.isEmpty()) {
                    EXPECT_TRUE(printed.count(text) > 0) << col << "," << row << " " << text;
                }
            }
        if (QString::fromLatin1(c.style) == QLatin1String("Standard")) {
            // Caption rows are printed on the first row band only.
            EXPECT_EQ(printed.count(QStringLiteral("Sum of Amount")), 1u);
        } else {
            // Every page repeats the captions of the rows or the columns or both.
            EXPECT_EQ(printed.count(QStringLiteral("Sum of Amount")), size_t(dumps.size()));
        }
    }
}

// A renderer that notes every block it fits.
struct RecordingRenderer : TppCrossTabRenderer {
    using TppCrossTabRenderer::TppCrossTabRenderer;
    int CalcBlock(TppMatrix* aMatrix, int aAvailableHeight, int aAvailableWidth,
                  const report::PrinterResolution* aPrinter) override {
        const int used = TppCrossTabRenderer::CalcBlock(aMatrix, aAvailableHeight, aAvailableWidth, aPrinter);
        blocks.push_back({ColumnStart, ColumnEnd, RowStart, RowEnd, used, aAvailableHeight});
        return used;
    }
    struct Block {
        int c0, c1, r0, r1, used, available;
    };
    static inline std::vector<Block> blocks;
};

// A block ends where the next row or column would not fit, the blocks follow the order, and
// no block uses more than the space.
TEST_F(CrossTabRenderer, blocks_follow_the_pagination_and_never_use_more_than_the_space) {
    ppRegisterCrossTabRenderer({QStringLiteral("RecordingRenderer"), QStringLiteral("Recording"), QString(),
                                [](TppCrossTab* x) { return std::make_unique<RecordingRenderer>(x); }});
    makeLargeCrossTab();
    crossTab->SetStyle(QStringLiteral("Recording"));
    for (auto order : {TppCrossTabPaginationType::ctptDownThenAcross, TppCrossTabPaginationType::ctptAcrossThenDown}) {
        const bool down = order == TppCrossTabPaginationType::ctptDownThenAcross;
        SCOPED_TRACE(down ? "down then across" : "across then down");
        crossTab->SetPagination(order);
        RecordingRenderer::blocks.clear();
        printAll();
        TppMatrix& m = *crossTab->Matrix();
        const auto& blocks = RecordingRenderer::blocks;
        ASSERT_GE(blocks.size(), 4u);
        int column = 0, row = 0;
        for (const auto& b : blocks) {
            EXPECT_EQ(b.c0, column);
            EXPECT_EQ(b.r0, row);
            EXPECT_GE(b.c1, b.c0);
            EXPECT_GE(b.r1, b.r0);
            EXPECT_LE(b.used, b.available);
            auto* r = static_cast<TppCrossTabRenderer*>(crossTab->Renderer());
            // The block ends where the next row would not fit.
            if (b.r1 + 1 < m.RowCount()) {
                EXPECT_GT(b.used + r->RowHeight(b.r1 + 1), b.available);
            }
            if (down) {
                if (b.r1 + 1 == m.RowCount()) {
                    row = 0;
                    column = b.c1 + 1;
                } else {
                    row = b.r1 + 1;
                }
            } else if (b.c1 + 1 == m.ColumnCount()) {
                column = 0;
                row = b.r1 + 1;
            } else {
                column = b.c1 + 1;
            }
        }
        EXPECT_EQ(down ? column : row, down ? m.ColumnCount() : m.RowCount());
    }
    crossTab->SetStyle(QStringLiteral("Standard"));
    ppUnRegisterCrossTabRenderer(QStringLiteral("RecordingRenderer"));
}

// The totals a user reads on the printed pages are those SQL computes over the table file.
TEST_F(CrossTabRenderer, printed_totals_read_back_from_the_text_export_equal_sql_over_the_table) {
    makeReport(300);
    add<TppColumnDef>("Year");
    add<TppRowDef>("Product");
    addValue("Amount", D::dcSum);
    report->GetBand(TppBandType::btDetail)->SetSave(true);
    QTemporaryDir dir;
    TppTextFileDevice device;
    device.SetFileType(TppFileType::ftTab);
    device.SetFileName(dir.filePath(QStringLiteral("crosstab.txt")));
    TppPublisher publisher;
    report::ReportPageSource source(report);
    publisher.OnPageRequest = [&](TppPublisher*, TppPageRequest* r) { source.GeneratePages(*r, publisher); };
    device.SetPublisher(&publisher);
    publisher.Publish();
    device.SetPublisher(nullptr);

    QFile file(device.FileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<QStringList> records;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        records.push_back(line.split(QLatin1Char('\t')));
    ASSERT_GE(records.size(), 3u);
    // Row 1 holds the years over the data columns and "Grand Total" last.
    const QStringList years = records[1];
    ASSERT_EQ(years.last(), "Grand Total");
    const QStringList* grand = nullptr;
    for (const QStringList& r : records)
        if (r.first() == QLatin1String("Grand Total")) grand = &r;
    ASSERT_NE(grand, nullptr);
    ASSERT_EQ(grand->size(), years.size());
    auto money = [](QString s) { return qRound64(s.remove(QLatin1Char('$')).remove(QLatin1Char(',')).toDouble() * 100); };
    for (int i = 1; i + 1 < years.size(); ++i) {
        const auto sql = sales->sql(QStringLiteral("SELECT SUM(Amount) FROM \"Sales.DB\" WHERE Year = %1").arg(years[i]));
        EXPECT_EQ(money(grand->at(i)), money(sql.at(0).at(0))) << years[i].toStdString();
    }
    const auto all = sales->sql(QStringLiteral("SELECT SUM(Amount) FROM \"Sales.DB\""));
    EXPECT_EQ(money(grand->last()), money(all.at(0).at(0)));
    // Each product's total over all years.
    int checked = 0;
    for (const QStringList& r : records) {
        if (!TestProducts().contains(r.first())) continue;
        const auto sql = sales->sql(QStringLiteral("SELECT SUM(Amount) FROM \"Sales.DB\" WHERE Product = '%1'").arg(r.first()));
        EXPECT_EQ(money(r.last()), money(sql.at(0).at(0))) << r.first().toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, int(sales->sql(QStringLiteral("SELECT DISTINCT Product FROM \"Sales.DB\"")).size()));
}

// A row caption in a font taller than the page: the row is printed once, cut at the page's
// edge, and the report ends after a bounded number of pages instead of repeating it.
TEST_F(CrossTabRenderer, a_caption_taller_than_the_page_prints_once_cut_at_the_page_edge) {
    makeReport(40);
    auto* rows = add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    TppFont huge;
    huge.Assign(rows->Font());
    paint::Font f = huge.Font();
    f.Size = 72;  // a line about 30 mm tall on a page 40 mm tall
    report->PrinterSetup()->SetUnits(TppUnitType::utMillimeters);
    report->PrinterSetup()->SetPaperHeight(40);
    huge.SetFont(f);
    rows->SetFont(&huge);
    const QStringList dumps = printAll();
    TppMatrix& m = *crossTab->Matrix();
    ASSERT_LE(dumps.size(), m.RowCount() + 2);
    ASSERT_GE(dumps.size(), 2);
    // Nothing is drawn past the paper, and each row was printed once.
    std::multiset<QString> texts;
    for (const auto& page : pages)
        for (const Command& k : page) {
            if (k.kind == QLatin1String("TppDrawLine")) {
                EXPECT_LE(k.top + k.height, 40000);
            }
            if (!k.text.isEmpty()) texts.insert(k.text);
        }
    for (const char* text : {"East", "West", "Grand Total", "Region"}) EXPECT_EQ(texts.count(QString::fromLatin1(text)), 1u) << text;
}

// Equal captions merge, total captions span, backgrounds, insets and the text events.
TEST_F(CrossTabRenderer, captions_merge_and_cells_draw_with_backgrounds_insets_and_their_text_events) {
    makeReport(120);
    add<TppColumnDef>("Year");
    auto* region = add<TppRowDef>("Region");
    add<TppRowDef>("Product");
    auto* value = addValue("Amount", D::dcSum);
    value->SetColor(paint::TColor(0x00C0FFFF));
    value->SetAlignment(TAlignment::taRightJustify);
    region->SetAlignment(TAlignment::taLeftJustify);
    int formatCalls = 0, captionCalls = 0, totalCaptionCalls = 0;
    crossTab->OnFormatCell = [&](QObject*, TppElement*, int, int) { ++formatCalls; };
    crossTab->OnGetCaptionText = [&](QObject*, TppElement*, int, int, const QString&, const QVariant&, QString& t) {
        ++captionCalls;
        if (t == QLatin1String("bash")) t = QStringLiteral("GNU bash");
    };
    crossTab->OnGetTotalCaptionText = [&](QObject*, TppElement*, int, int, QString&) { ++totalCaptionCalls; };
    crossTab->OnGetValueText = [&](QObject*, TppElement*, int, int, const QString&, const QVariant& v, QString& t) {
        if (v.toString().isEmpty()) t = QStringLiteral("?");
    };
    printAll();
    ASSERT_FALSE(pages.empty());
    EXPECT_GT(formatCalls, 0);
    EXPECT_GT(captionCalls, 0);
    EXPECT_GT(totalCaptionCalls, 0);

    TppMatrix& m = *crossTab->Matrix();
    auto* renderer = static_cast<TppCrossTabRenderer*>(crossTab->Renderer());
    // Region runs down column 0: only the first row of a run shows its text and the lines
    // between the cells of a run are off.
    int shown = 0, hidden = 0;
    for (int r = m.HeaderRowCount + 1; r < m.RowCount(); ++r) {
        if (m.IsTotalRow(r) || m.IsTotalRow(r - 1)) continue;
        if (renderer->GetCellText(0, r) == renderer->GetCellText(0, r - 1)) {
            EXPECT_FALSE(m.ShowText(0, r)) << r;
            EXPECT_FALSE(m.GridLine(0, r, 2)) << r;
            EXPECT_FALSE(m.GridLine(0, r - 1, 3)) << r;
            ++hidden;
        } else {
            ++shown;
        }
    }
    EXPECT_GT(hidden, 0);
    // A region subtotal's caption spans to the last header column.
    int subtotals = 0;
    for (int r = m.HeaderRowCount; r < m.RowCount(); ++r)
        if (m.IsTotalRow(r) && m.FirstTotalLabelColumn(r) == 0) {
            EXPECT_FALSE(m.ShowText(1, r));
            EXPECT_FALSE(m.GridLine(0, r, 1));
            EXPECT_FALSE(m.GridLine(1, r, 0));
            ++subtotals;
        }
    EXPECT_GT(subtotals, 0);
    // Measured sizes carry the margin: an empty text is the margin wide.
    EXPECT_EQ(renderer->MeasureText(QString(), *region->Font()).width(), TppCrossTabRenderer::kMeasureMargin);

    // On the page: value texts right-justified end 1588 before the cell's right edge, captions
    // (left-justified) start 1588 in, every text 1588 below its cell's top; non-white values
    // get a background one printer pixel larger to the left and top.
    const auto& page = pages.front();
    int shapes = 0;
    bool renamed = false;
    for (const Command& k : page) {
        if (k.kind == QLatin1String("TppDrawShape")) ++shapes;
        if (k.text == QLatin1String("GNU bash")) renamed = true;
    }
    EXPECT_GT(shapes, 0);
    EXPECT_TRUE(renamed);
    // The first value cell's shape and text.
    const int x = crossTab->PrintRect().left() + renderer->ColumnWidth(0) + renderer->ColumnWidth(1);
    int y = crossTab->PrintRect().top();
    for (int r = 0; r < m.HeaderRowCount; ++r) y += renderer->RowHeight(r);
    const int one = ppToMMThousandths(TppUnitType::utScreenPixels, report::kHorizontal, nullptr, 1);
    bool shapeFound = false, textFound = false;
    for (const Command& k : page) {
        if (k.kind == QLatin1String("TppDrawShape") && k.left == x - one && k.top == y - one) {
            EXPECT_EQ(k.width, renderer->ColumnWidth(2) + one);
            shapeFound = true;
        }
        if (k.kind == QLatin1String("TppDrawText") && k.left == x && k.top == y + 1588) {
            EXPECT_EQ(k.width, renderer->ColumnWidth(2) - 1588);
            textFound = true;
        }
    }
    EXPECT_TRUE(shapeFound);
    EXPECT_TRUE(textFound);
}

// Lines: neighbouring cells share one line command at their common edge; vertical lines
// break at total rows; with GridLines off there are none.
TEST_F(CrossTabRenderer, grid_lines_merge_along_edges_break_at_totals_and_go_with_grid_lines_off) {
    makeReport(60);
    add<TppColumnDef>("Year");
    add<TppRowDef>("Region");
    add<TppRowDef>("Product");
    addValue("Amount", D::dcSum);
    printAll();
    ASSERT_FALSE(pages.empty());
    std::map<std::pair<int, int>, int> verticalAt;  // (x, top) -> count
    int lines = 0;
    for (const Command& k : pages.front())
        if (k.kind == QLatin1String("TppDrawLine")) ++lines;
    const int cells = crossTab->Renderer()->ColumnEnd * crossTab->Renderer()->RowEnd;
    EXPECT_GT(lines, 0);
    EXPECT_LT(lines, cells);  // far fewer lines than cell edges
    // A vertical line at the first data column's right edge is cut at each region subtotal.
    auto* renderer = static_cast<TppCrossTabRenderer*>(crossTab->Renderer());
    TppMatrix& m = *crossTab->Matrix();
    const int edge = crossTab->PrintRect().left() + renderer->ColumnWidth(0) + renderer->ColumnWidth(1) +
                     renderer->ColumnWidth(2);
    int pieces = 0;
    for (const Command& k : pages.front())
        if (k.kind == QLatin1String("TppDrawLine") && k.left + k.width == edge && k.width > 0) ++pieces;
    int totals = 0;
    for (int r = m.HeaderRowCount; r <= renderer->RowEnd; ++r)
        if (m.IsTotalRow(r)) ++totals;
    EXPECT_GT(totals, 0);
    EXPECT_GT(pieces, 1);

    crossTab->SetGridLines(false);
    printAll();
    for (const Command& k : pages.front()) EXPECT_NE(k.kind, QLatin1String("TppDrawLine"));
}

}  // namespace
