#pragma once

#include <QDialog>
#include <QFlags>
#include <QFont>
#include <QObject>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLabel;
class QPainter;
class QPrinter;

enum class TMeasureUnit { muInches, muMillimeters };
enum class TLineSpacing { lsHalfSpace, lsSingleSpace, lsSingleAndAHalf, lsDoubleSpace };
enum class TPageBorderStyle { pbTop = 0x1, pbBottom = 0x2, pbLeft = 0x4, pbRight = 0x8 };
Q_DECLARE_FLAGS(TPageBorders, TPageBorderStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPageBorders)
using TPrinterOrientation = QPageLayout::Orientation;

/// "Print Progress": the status, title and page number of the running print job; it cannot
/// be resized.
class TPrntProgDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPrntProgDlg(QWidget* parent = nullptr);
    QLabel *lblStatus, *lblTitle, *lblPageNumDesc, *lblPageNumber;
};

/// Prints plain text lines on the default printer: margins in inches or millimetres kept
/// within the printer's, line spacing, tabs, alignment, wrapping or cutting at the printable
/// width, lines as table columns ("<2|^1.5|>2": alignment and width per column), a header
/// and a footer with macros ({$LINE}, {$PAGE}, {$DATE}, {$TIME}, {$TITLE}) on every page,
/// page borders and a progress window.
///
/// States: idle (`Printing` false; margins, title and orientation may change) and printing
/// (from BeginDoc to EndDoc; the print position runs over the page in printer pixels from
/// the top-left corner of the margins). Without an installed printer the component still
/// works out its sizes from a Letter page at 300 pixels per inch, and BeginDoc fails.
class TLinePrinter : public QObject {
    Q_OBJECT
public:
    explicit TLinePrinter(QObject* owner = nullptr);
    ~TLinePrinter() override;

    // ---- properties ----
    double MarginTop() const { return m_marginTop; }
    double MarginBottom() const { return m_marginBottom; }
    double MarginLeft() const { return m_marginLeft; }
    double MarginRight() const { return m_marginRight; }
    void SetMarginTop(double value);
    void SetMarginBottom(double value);
    void SetMarginLeft(double value);
    void SetMarginRight(double value);
    TMeasureUnit MeasureUnit() const { return m_unit; }
    void SetMeasureUnit(TMeasureUnit unit);
    TLineSpacing LineSpacing() const { return m_spacing; }
    void SetLineSpacing(TLineSpacing spacing);
    unsigned TabSize() const { return m_tabSize; }
    void SetTabSize(unsigned size) { m_tabSize = size; }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool on) { m_wordWrap = on; }
    const QStringList& Lines() const { return m_lines; }
    void SetLines(const QStringList& lines) { m_lines = lines; }
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    QString Header() const { return m_header; }
    void SetHeader(const QString& header) { m_header = header; }
    QString Footer() const { return m_footer; }
    void SetFooter(const QString& footer) { m_footer = footer; }
    TPageBorders PageBorders() const { return m_borders; }
    void SetPageBorders(TPageBorders borders) { m_borders = borders; }
    bool ShowProgress() const { return m_showProgress; }
    void SetShowProgress(bool on) { m_showProgress = on; }
    QFont Font() const { return m_font; }
    void SetFont(const QFont& font);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);
    /// The job's title ("<Unknown>" without a printer).
    QString Title() const;
    void SetTitle(const QString& title);
    QString TableFormat() const { return m_tableFormat; }
    void SetTableFormat(const QString& format) { m_tableFormat = format; }
    bool LinesAsTable() const { return m_linesAsTable; }
    void SetLinesAsTable(bool on) { m_linesAsTable = on; }
    double DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(double width);
    double BorderOffset() const { return m_borderOffset; }
    void SetBorderOffset(double offset) { m_borderOffset = offset; }

    std::function<void(QObject*)> OnBeginDoc, OnEndDoc, OnAbortDoc, OnNewLine, OnNewPage;

    // ---- operations ----
    void BeginDoc();
    void EndDoc();
    void PrintLines();
    void WriteLine(const QString& text);
    void WriteTableLine(const QString& text);
    void NewLine();
    void NewPage();
    bool Printing() const { return m_painter != nullptr; }
    int PageNumber() const { return m_pageNumber; }
    /// The line count on the current page.
    int LineNumber() const { return m_lineCount; }
    /// The progress window while it is shown.
    TPrntProgDlg* ProgressWindow() const { return m_progress.get(); }

    /// The printer's limits in `MeasureUnit`.
    double PhysicalHeight() const;
    double PhysicalWidth() const;
    double PrintableHeight() const;
    double PrintableWidth() const;
    double TopOffset() const;
    double LeftOffset() const;
    double MinMarginBottom() const;
    double MinMarginRight() const;
    /// The line advance in printer pixels.
    int LineAdvance() const { return m_advance; }

private:
    int dpiX() const;
    int dpiY() const;
    int toPixelsX(double units) const;
    int toPixelsY(double units) const;
    double toUnits(int pixels, int dpi) const;
    double limit(double inches, double mm) const;
    int leftPx() const;
    int topPx() const;
    int rightPx() const;
    int bottomPx() const;
    int printableWidthPx() const;
    int printableHeightPx() const;
    double textWidth(const QString& text) const;
    int fittingLength(const QString& text, double width) const;
    void drawText(int x, int y, const QString& text);
    void startPage();
    void computeAdvance();
    QString expandMacros(const QString& text) const;
    QString expandTabs(const QString& text) const;
    void progress(const QString& status);

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<TPrntProgDlg> m_progress;
    double m_marginTop = 0, m_marginBottom = 0, m_marginLeft = 0, m_marginRight = 0;
    TMeasureUnit m_unit = TMeasureUnit::muInches;
    TLineSpacing m_spacing = TLineSpacing::lsSingleSpace;
    unsigned m_tabSize = 8;
    bool m_wordWrap = true;
    QStringList m_lines;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    QString m_header, m_footer;
    TPageBorders m_borders;
    bool m_showProgress = false;
    QFont m_font;
    QString m_title;
    QString m_tableFormat;
    bool m_linesAsTable = false;
    double m_defaultColWidth = 0;
    double m_borderOffset = 0;
    int m_x = 0, m_y = 0;        ///< print position in printer pixels from the margins' corner
    int m_lineCount = 0;
    int m_pageNumber = 0;
    int m_advance = 10;
};
