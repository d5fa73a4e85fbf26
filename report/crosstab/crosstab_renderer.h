#pragma once

// The renderers of a cross-tab: they give every column of the calculated matrix a width and
// every row a height (formatting, once per calculation), decide which caption cells merge
// and which grid lines are drawn, fit one block of the matrix into the space the page leaves
// and make its draw commands. Two are registered: "Standard" (TppCrossTabRenderer) and
// "RepeatedCaptions" (TppCTRendererRepeatCaptions), which repeats the header rows and
// columns on every continuation block. All lengths are mm-thousandths.
//
// Blocks: the cross-tab sets ColumnStart and RowStart, CalcBlock answers the height used and
// leaves the block's last column and row in ColumnEnd and RowEnd; CreateDrawCommands draws it.
// A block into which not even one row (or column) fits is empty (RowEnd = RowStart - 1)
// unless ForceFit is set: then it holds that one row and column, cut at the edge of the space.

#include "report/crosstab/matrix.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

class TppCrossTab;
class TppDrawLine;
class TppDrawShape;
class TppDrawText;
class TppElement;
class TppFont;
class TppPage;

namespace paint {
class TextMetrics;
struct Font;
}  // namespace paint

namespace report {
class PrinterResolution;
}

/// The renderer base: the block cursor and the matrix and printer of the calculation.
class TppCustomCrossTabRenderer {
public:
    explicit TppCustomCrossTabRenderer(TppCrossTab* aCrossTab);
    virtual ~TppCustomCrossTabRenderer();
    TppCustomCrossTabRenderer(const TppCustomCrossTabRenderer&) = delete;
    TppCustomCrossTabRenderer& operator=(const TppCustomCrossTabRenderer&) = delete;

    /// The registry key: the class name here.
    static QString Name() { return QStringLiteral("TppCustomCrossTabRenderer"); }
    /// The caption shown to the user: Name here.
    static QString Description() { return Name(); }

    /// Keeps the matrix and printer and answers 0 here.
    virtual int CalcBlock(TppMatrix* aMatrix, int aAvailableHeight, int aAvailableWidth,
                          const report::PrinterResolution* aPrinter);
    /// Keeps the matrix here.
    virtual void CreateDrawCommands(TppPage* aPage, TppMatrix* aMatrix, int aLeft, int aTop);

    /// Stores StatusText and lets the report process pending window messages.
    void SetStatus(const QString& aText);

    TppCrossTab* CrossTab = nullptr;
    int ColumnEnd = -1;
    int RowEnd = -1;
    bool FormatNeeded = false;
    TppMatrix* Matrix = nullptr;
    const report::PrinterResolution* Printer = nullptr;
    int ColumnStart = -1;
    int RowStart = -1;
    QString StatusText;
    /// Set by the cross-tab when the previous block came out empty: the block then holds at
    /// least one row and one column.
    bool ForceFit = false;
};

/// "Standard": measures and merges once per calculation, fits blocks, draws cells.
class TppCrossTabRenderer : public TppCustomCrossTabRenderer {
public:
    explicit TppCrossTabRenderer(TppCrossTab* aCrossTab);
    ~TppCrossTabRenderer() override;

    static QString Name() { return QStringLiteral("Standard"); }
    /// Message 490.
    static QString Description();

    int CalcBlock(TppMatrix* aMatrix, int aAvailableHeight, int aAvailableWidth,
                  const report::PrinterResolution* aPrinter) override;
    void CreateDrawCommands(TppPage* aPage, TppMatrix* aMatrix, int aLeft, int aTop) override;
    /// Draws the cells of the block at (aLeft, aTop); on return aLeft is right of the last
    /// column and aTop below the last row drawn.
    virtual void DrawBlock(TppPage* aPage, int& aLeft, int& aTop);

    /// Width of a column and height of a row in mm-thousandths.
    int ColumnWidth(int c) const;
    int RowHeight(int r) const;
    /// The text of a cell, with its text event fired.
    QString GetCellText(int c, int r);

    // Formatting (once per calculation).
    void FormatValues();
    void FormatColumns();
    void FormatRows();
    /// Width and height of a text in a font, margin included.
    QSize MeasureText(const QString& aText, const TppFont& aFont);
    void MeasureCaptionCell(int c, int r);
    void AddHeight(int c, int aFirstRow, int aCount, int aAmount);
    void AddWidth(int aFirstColumn, int r, int aCount, int aAmount);

    std::vector<int> ColumnWidths;  ///< one per data column
    std::vector<int> RowHeights;    ///< one per data row

    /// Margin added to every measured size.
    static constexpr int kMeasureMargin = 3176;
    /// Inset of a cell's text from its top, and from its left or right side.
    static constexpr int kTextInset = 1588;

protected:
    /// The element that formats a cell (index -1 stands for element 0); null without one.
    TppElement* CellElement(int c, int r) const;
    /// The element the cell names, null for -1.
    TppElement* NamedElement(int c, int r) const;
    const TppFont& FontOf(TppElement* aElement) const;
    /// Draws the cells of columns [aFirstColumn, aLastColumn] and rows [aFirstRow, aLastRow].
    void drawCells(TppPage* aPage, int aFirstColumn, int aLastColumn, int aFirstRow, int aLastRow, int& aLeft,
                   int& aTop);
    int headerRowsHeight() const;
    int headerColumnsWidth() const;
    int fitRows(int aUsed, int aAvailable);
    int fitColumns(int aUsed, int aAvailable);

    int m_availableHeight = 0;
    int m_availableWidth = 0;

private:
    struct Line {
        TppDrawLine* command;
        bool vertical;
        int start() const;
        int end() const;
        void extendTo(int aEnd);
    };
    void drawCell(TppPage* aPage, int c, int r, int x, int y, int w, int h);
    void addLine(int c, int r, int x, int y, int w, int h, int aPosition);
    void commit(std::multimap<QString, Line>& aPending, std::multimap<QString, Line>& aCommitted);
    QString valueText(int c, int r);
    QString totalCaptionText(int c, int r);
    const paint::TextMetrics& metricsFor(const paint::Font& aFont);

    // Working lists of one CreateDrawCommands.
    std::vector<TppDrawShape*> m_shapes;
    std::vector<TppDrawText*> m_texts;
    std::multimap<QString, Line> m_pendingVertical, m_committedVertical;
    std::multimap<QString, Line> m_pendingHorizontal, m_committedHorizontal;
    std::map<int, int> m_rowSaveNo;  ///< matrix row -> band output number of its record
    int m_clipRight = 0;
    int m_clipBottom = 0;
    std::vector<std::pair<paint::Font, std::unique_ptr<paint::TextMetrics>>> m_metrics;
    std::unique_ptr<TppFont> m_defaultFont;
};

/// "RepeatedCaptions": a continuation block shows the header columns at its left and the
/// header rows on its top.
class TppCTRendererRepeatCaptions : public TppCrossTabRenderer {
public:
    using TppCrossTabRenderer::TppCrossTabRenderer;
    static QString Name() { return QStringLiteral("RepeatedCaptions"); }
    static QString Description() { return QStringLiteral("Repeated Captions"); }

    int CalcBlock(TppMatrix* aMatrix, int aAvailableHeight, int aAvailableWidth,
                  const report::PrinterResolution* aPrinter) override;
    void DrawBlock(TppPage* aPage, int& aLeft, int& aTop) override;
};

/// Registers the two renderers (Standard first); idempotent.
void ppRegisterCrossTabRenderers();
void ppUnRegisterCrossTabRenderers();
