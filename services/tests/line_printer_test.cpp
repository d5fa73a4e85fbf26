// The line printer on a PDF queue of a CUPS scheduler of the test's own: what it prints is
// read back with `pdftotext -bbox` (word boxes in points, 72 to the inch).

#include "services/gui/line_printer.h"

#include "services/errors.h"

#include "platform/print/testing/cups_test_server.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

/// The words of a PDF with their boxes, page by page (pages counted from 1).
std::vector<Word> words(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<Word> out;
    int page = 0;
    static const QRegularExpression token(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        out.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                       m.captured(4).toDouble(), m.captured(5)});
    }
    return out;
}

class LinePrinter : public ::testing::Test {
protected:
    void SetUp() override {
        server = std::make_unique<print::testing::CupsTestServer>();
        if (!server->Start()) GTEST_SKIP() << "no CUPS scheduler of our own: " << server->Error().toStdString();
        ASSERT_TRUE(server->AddPdfQueue(QStringLiteral("LinesPDF"), true)) << server->Error().toStdString();
    }
    /// Prints through a fresh line printer set up by `setup`; answers the words printed.
    std::vector<Word> print(const std::function<void(TLinePrinter&)>& setup) {
        QFile::remove(server->OutputFile());
        {
            TLinePrinter printer;
            setup(printer);
            printer.BeginDoc();
            printer.PrintLines();
            printer.EndDoc();
        }
        EXPECT_TRUE(server->WaitForJobsDone(60000));
        return words(server->OutputFile());
    }
    std::unique_ptr<print::testing::CupsTestServer> server;
};

TEST_F(LinePrinter, table_columns_are_two_one_and_a_half_and_two_inches_wide_and_cut_what_does_not_fit) {
    const auto printed = print([](TLinePrinter& p) {
        p.SetMeasureUnit(TMeasureUnit::muInches);
        p.SetMarginLeft(1);
        p.SetMarginTop(1);
        p.SetTableFormat("<2|^1.5|>2");
        p.SetLinesAsTable(true);
        p.SetLines({"Left|Mid|Right", "a|ABCDEFGHIJKLMNOPQRSTUVWXYZ|z"});
    });
    std::map<QString, Word> at;
    for (const Word& w : printed) at[w.text] = w;
    ASSERT_TRUE(at.count("Left") && at.count("Mid") && at.count("Right"));
    EXPECT_NEAR(at["Left"].xMin, 72, 2);                                // left in [1, 3] inches
    EXPECT_NEAR((at["Mid"].xMin + at["Mid"].xMax) / 2, 72 * 3.75, 2);   // centred in [3, 4.5]
    EXPECT_NEAR(at["Right"].xMax, 72 * 6.5, 2);                         // right in [4.5, 6.5]
    // 1.5 inches of 10-point Courier hold 18 characters (6 points each): the cell is cut there.
    QString cut;
    for (const Word& w : printed)
        if (w.text.startsWith("ABC")) cut = w.text;
    // (the eighteenth character ends right on the column's edge, where rounding may drop it).
    EXPECT_TRUE(cut == "ABCDEFGHIJKLMNOPQR" || cut == "ABCDEFGHIJKLMNOPQ") << cut.toStdString();
    if (at.count(cut)) {
        EXPECT_LE(at[cut].xMax - at[cut].xMin, 72 * 1.5 + 1);
    }
}

TEST_F(LinePrinter, the_header_is_centred_in_every_pages_top_margin_and_the_footer_in_the_bottom_one) {
    QStringList lines;
    for (int i = 1; i <= 130; ++i) lines << QStringLiteral("line%1").arg(i);
    double pageHeight = 0;
    double topOffset = 0;
    const auto printed = print([&](TLinePrinter& p) {
        p.SetMarginTop(1);
        p.SetMarginBottom(1);
        p.SetTitle("Packages");
        p.SetTableFormat("<3|>3");
        p.SetHeader("{$TITLE}|Page {$PAGE}");
        p.SetFooter("|{$LINE}");
        p.SetLines(lines);
        pageHeight = p.PhysicalHeight() * 72;
        topOffset = p.TopOffset() * 72;
    });
    std::map<int, Word> pageNumbers;
    int titles = 0;
    for (size_t i = 0; i + 1 < printed.size(); ++i)
        if (printed[i].text == "Page") pageNumbers[printed[i].page] = printed[i + 1];
    for (const Word& w : printed) titles += w.text == "Packages";
    ASSERT_GE(pageNumbers.size(), 2u);
    EXPECT_EQ(titles, int(pageNumbers.size()));
    for (const auto& [page, number] : pageNumbers) {
        SCOPED_TRACE(page);
        EXPECT_EQ(number.text, QString::number(page));
        // The middle of the one-inch top margin below the printer's unprintable strip.
        EXPECT_NEAR((number.yMin + number.yMax) / 2, (72 + topOffset) / 2, 3);
    }
    // Every body line is inside the margins.
    for (const Word& w : printed)
        if (w.text.startsWith("line")) {
            EXPECT_GE(w.yMin, 72 - 1);
            EXPECT_LE(w.yMax, pageHeight - 72 + 1);
        }
}

TEST_F(LinePrinter, a_long_line_is_wrapped_or_cut_and_double_spacing_halves_the_lines_per_page) {
    const QString longLine = QString(300, QChar('w'));
    const auto wrapped = print([&](TLinePrinter& p) { p.SetLines({longLine, "end"}); });
    QString all;
    int pieces = 0;
    for (const Word& w : wrapped)
        if (w.text.startsWith('w')) {
            all += w.text;
            ++pieces;
        }
    EXPECT_EQ(all, longLine);
    EXPECT_GE(pieces, 3);

    const auto cut = print([&](TLinePrinter& p) {
        p.SetWordWrap(false);
        p.SetLines({longLine, "end"});
    });
    int cutPieces = 0;
    for (const Word& w : cut)
        if (w.text.startsWith('w')) {
            ++cutPieces;
            EXPECT_LT(w.text.size(), longLine.size());
            EXPECT_EQ(w.text, wrapped.front().text);
        }
    EXPECT_EQ(cutPieces, 1);

    QStringList lines;
    for (int i = 1; i <= 150; ++i) lines << QStringLiteral("row%1").arg(i);
    auto perPage = [&](TLineSpacing spacing) {
        int count = 0;
        for (const Word& w : print([&](TLinePrinter& p) {
                 p.SetLineSpacing(spacing);
                 p.SetLines(lines);
             }))
            count += w.page == 1 && w.text.startsWith("row");
        return count;
    };
    const int single = perPage(TLineSpacing::lsSingleSpace);
    const int twice = perPage(TLineSpacing::lsDoubleSpace);
    EXPECT_GT(single, 40);
    EXPECT_NEAR(twice, single / 2.0, 1.0);
}

TEST_F(LinePrinter, margins_keep_within_the_printer_and_properties_refuse_changes_while_printing) {
    TLinePrinter p;
    p.SetMarginLeft(0);
    EXPECT_DOUBLE_EQ(p.MarginLeft(), p.LeftOffset());
    p.SetMarginTop(100);
    EXPECT_DOUBLE_EQ(p.MarginTop(), p.PhysicalHeight() - p.MinMarginBottom());
    p.SetMarginLeft(1);
    p.SetMeasureUnit(TMeasureUnit::muMillimeters);
    EXPECT_NEAR(p.MarginLeft(), 25.4, 1e-9);
    EXPECT_THROW(p.SetDefaultColWidth(-1), ELinePrinter);
    EXPECT_EQ(p.DefaultColWidth(), 0);

    p.SetShowProgress(true);
    p.SetTitle("Progress");
    QString status;
    p.OnNewLine = [&](QObject*) {
        if (p.ProgressWindow() && status.isEmpty()) status = p.ProgressWindow()->lblStatus->text();
    };
    p.BeginDoc();
    ASSERT_TRUE(p.ProgressWindow());
    EXPECT_EQ(p.ProgressWindow()->windowTitle(), "Print Progress");
    EXPECT_EQ(p.ProgressWindow()->lblTitle->text(), "Progress");
    p.ProgressWindow()->grab().save(QDir::current().filePath("line_printer_progress.png"));
    for (auto change : std::vector<std::function<void()>>{[&] { p.SetMarginTop(1); }, [&] { p.SetMarginLeft(1); },
                                                          [&] { p.SetTitle("x"); },
                                                          [&] { p.SetOrientation(QPageLayout::Landscape); }})
        EXPECT_THROW(change(), ELinePrinter);
    p.WriteLine("one line");
    p.EndDoc();
    EXPECT_EQ(status, "Currently Printing");
    EXPECT_FALSE(p.ProgressWindow());
    EXPECT_TRUE(server->WaitForJobsDone(60000));
}

}  // namespace
