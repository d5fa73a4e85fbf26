#include "services/gui/line_printer.h"

#include "services/errors.h"

#include "platform/format/date_time_format.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr int kFallbackDpi = 300;
}  // namespace

// ---- progress window ----

TPrntProgDlg::TPrntProgDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PrntProgDlg"));
    setWindowTitle(QStringLiteral("Print Progress"));
    // A tool window without border icons, on top; its size is fixed, so it cannot be resized.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(293, 111);
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Sunken);
    lblStatus = ui::Make<QLabel>(bevel, "lblStatus");
    lblTitle = ui::Make<QLabel>(bevel, "lblTitle");
    lblPageNumDesc = ui::Make<QLabel>(bevel, "lblPageNumDesc", QStringLiteral("Page Number:"));
    lblPageNumber = ui::Make<QLabel>(bevel, "lblPageNumber");
    auto* g = new QGridLayout(bevel);
    g->addWidget(lblStatus, 0, 0, 1, 2);
    g->addWidget(lblTitle, 1, 0, 1, 2);
    g->addWidget(lblPageNumDesc, 2, 0);
    g->addWidget(lblPageNumber, 2, 1);
    g->setColumnStretch(1, 1);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(6, 6, 6, 6);
    l->addWidget(bevel);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
}

// ---- the line printer ----

TLinePrinter::TLinePrinter(QObject* owner) : QObject(owner), m_font(QStringLiteral("Courier New"), 10) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) {
        m_printer = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter().isNull()
                                                   ? QPrinterInfo::availablePrinters().first()
                                                   : QPrinterInfo::defaultPrinter(),
                                               QPrinter::HighResolution);
        if (!m_printer->isValid()) m_printer.reset();
    }
    m_marginTop = TopOffset();
    m_marginLeft = LeftOffset();
    m_marginBottom = MinMarginBottom();
    m_marginRight = MinMarginRight();
    computeAdvance();
}

TLinePrinter::~TLinePrinter() {
    if (m_painter) m_painter->end();
}

int TLinePrinter::dpiX() const {
    const int dpi = m_printer ? m_printer->logicalDpiX() : 0;
    return dpi > 0 ? dpi : kFallbackDpi;
}
int TLinePrinter::dpiY() const {
    const int dpi = m_printer ? m_printer->logicalDpiY() : 0;
    return dpi > 0 ? dpi : kFallbackDpi;
}

int TLinePrinter::toPixelsX(double units) const {
    const double inches = m_unit == TMeasureUnit::muMillimeters ? units / 25.4 : units;
    return int(std::lround(inches * dpiX()));
}
int TLinePrinter::toPixelsY(double units) const {
    const double inches = m_unit == TMeasureUnit::muMillimeters ? units / 25.4 : units;
    return int(std::lround(inches * dpiY()));
}
double TLinePrinter::toUnits(int pixels, int dpi) const {
    const double inches = double(pixels) / (dpi > 0 ? dpi : kFallbackDpi);
    return m_unit == TMeasureUnit::muMillimeters ? inches * 25.4 : inches;
}
double TLinePrinter::limit(double inches, double mm) const { return m_unit == TMeasureUnit::muMillimeters ? mm : inches; }

double TLinePrinter::PhysicalHeight() const {
    return m_printer ? toUnits(m_printer->paperRect(QPrinter::DevicePixel).toRect().height(), dpiY()) : limit(11, 297);
}
double TLinePrinter::PhysicalWidth() const {
    return m_printer ? toUnits(m_printer->paperRect(QPrinter::DevicePixel).toRect().width(), dpiX()) : limit(8.5, 210);
}
double TLinePrinter::PrintableHeight() const {
    return m_printer ? toUnits(m_printer->pageRect(QPrinter::DevicePixel).toRect().height(), dpiY()) : limit(10.5, 284);
}
double TLinePrinter::PrintableWidth() const {
    return m_printer ? toUnits(m_printer->pageRect(QPrinter::DevicePixel).toRect().width(), dpiX()) : limit(8, 198);
}
double TLinePrinter::TopOffset() const {
    return m_printer ? toUnits(m_printer->pageRect(QPrinter::DevicePixel).toRect().top(), dpiY()) : limit(0.25, 6);
}
double TLinePrinter::LeftOffset() const {
    return m_printer ? toUnits(m_printer->pageRect(QPrinter::DevicePixel).toRect().left(), dpiX()) : limit(0.25, 6);
}
double TLinePrinter::MinMarginBottom() const { return PhysicalHeight() - PrintableHeight() - TopOffset(); }
double TLinePrinter::MinMarginRight() const { return PhysicalWidth() - PrintableWidth() - LeftOffset(); }

void TLinePrinter::SetMarginTop(double value) {
    if (Printing()) throw ELinePrinter(QStringLiteral("Unable to change top margin while printing"));
    m_marginTop = std::clamp(value, TopOffset(), std::max(TopOffset(), PhysicalHeight() - MinMarginBottom()));
}
void TLinePrinter::SetMarginBottom(double value) {
    if (Printing()) throw ELinePrinter(QStringLiteral("Unable to change bottom margin while printing"));
    m_marginBottom = std::clamp(value, MinMarginBottom(), std::max(MinMarginBottom(), PhysicalHeight() - TopOffset()));
}
void TLinePrinter::SetMarginLeft(double value) {
    if (Printing()) throw ELinePrinter(QStringLiteral("Unable to change left margin while printing"));
    m_marginLeft = std::clamp(value, LeftOffset(), std::max(LeftOffset(), PhysicalWidth() - MinMarginRight()));
}
void TLinePrinter::SetMarginRight(double value) {
    if (Printing()) throw ELinePrinter(QStringLiteral("Unable to change right margin while printing"));
    m_marginRight = std::clamp(value, MinMarginRight(), std::max(MinMarginRight(), PhysicalWidth() - LeftOffset()));
}

void TLinePrinter::SetMeasureUnit(TMeasureUnit unit) {
    if (unit == m_unit) return;
    const double factor = unit == TMeasureUnit::muMillimeters ? 25.4 : 1 / 25.4;
    m_unit = unit;
    m_marginTop *= factor;
    m_marginBottom *= factor;
    m_marginLeft *= factor;
    m_marginRight *= factor;
    m_borderOffset *= factor;
    m_defaultColWidth *= factor;
    if (Printing()) return;
    SetMarginTop(m_marginTop);
    SetMarginBottom(m_marginBottom);
    SetMarginLeft(m_marginLeft);
    SetMarginRight(m_marginRight);
}

void TLinePrinter::SetLineSpacing(TLineSpacing spacing) {
    m_spacing = spacing;
    computeAdvance();
}

void TLinePrinter::SetFont(const QFont& font) {
    m_font = font;
    if (m_painter) m_painter->setFont(m_font);
    computeAdvance();
}

TPrinterOrientation TLinePrinter::Orientation() const {
    return m_printer ? m_printer->pageLayout().orientation() : QPageLayout::Portrait;
}

void TLinePrinter::SetOrientation(TPrinterOrientation orientation) {
    if (Printing()) throw ELinePrinter(QStringLiteral("Unable to change orientation while printing"));
    if (m_printer) m_printer->setPageOrientation(orientation);
}

QString TLinePrinter::Title() const { return m_printer ? m_printer->docName() : QStringLiteral("<Unknown>"); }

void TLinePrinter::SetTitle(const QString& title) {
    if (Printing()) throw ELinePrinter(QStringLiteral("Unable to change title while printing"));
    m_title = title;
    if (m_printer) m_printer->setDocName(title);
}

void TLinePrinter::SetDefaultColWidth(double width) {
    if (width < 0) {
        m_defaultColWidth = 0;
        throw ELinePrinter(QStringLiteral("DefaultColWidth must be greater than or equal to 0"));
    }
    m_defaultColWidth = width;
}

void TLinePrinter::computeAdvance() {
    int height = 10;
    if (m_printer) {
        const QFontMetricsF metrics(m_font, m_printer.get());
        height = int(std::lround(Printing() ? metrics.height() + metrics.leading() : metrics.height()));
    }
    switch (m_spacing) {
    case TLineSpacing::lsHalfSpace: m_advance = height / 2; break;
    case TLineSpacing::lsSingleSpace: m_advance = height; break;
    case TLineSpacing::lsSingleAndAHalf: m_advance = height * 3 / 2; break;
    case TLineSpacing::lsDoubleSpace: m_advance = height * 2; break;
    }
    if (m_advance < 1) m_advance = 1;
}

int TLinePrinter::leftPx() const { return toPixelsX(m_marginLeft) - toPixelsX(LeftOffset()); }
int TLinePrinter::topPx() const { return toPixelsY(m_marginTop) - toPixelsY(TopOffset()); }
int TLinePrinter::rightPx() const { return toPixelsX(m_marginRight) - toPixelsX(MinMarginRight()); }
int TLinePrinter::bottomPx() const { return toPixelsY(m_marginBottom) - toPixelsY(MinMarginBottom()); }
int TLinePrinter::printableWidthPx() const {
    const int page = m_printer ? m_printer->pageRect(QPrinter::DevicePixel).toRect().width() : 8 * kFallbackDpi;
    return std::max(0, page - leftPx() - rightPx());
}
int TLinePrinter::printableHeightPx() const {
    const int page = m_printer ? m_printer->pageRect(QPrinter::DevicePixel).toRect().height() : 21 * kFallbackDpi / 2;
    return std::max(0, page - topPx() - bottomPx());
}

double TLinePrinter::textWidth(const QString& text) const {
    if (!m_printer) return 0;
    return QFontMetricsF(m_font, m_printer.get()).horizontalAdvance(text);
}

int TLinePrinter::fittingLength(const QString& text, double width) const {
    if (!m_printer || textWidth(text) <= width) return int(text.size());
    int low = 1;
    int high = int(text.size());
    int mid = 0;
    int last = -1;
    while (low <= high) {
        mid = (low + high) / 2;
        if (mid == last) break;
        last = mid;
        if (textWidth(text.left(mid)) <= width)
            low = mid + 1;
        else
            high = mid - 1;
    }
    // The longest prefix that fits: high after the search, at least one character.
    return std::max(1, high);
}

void TLinePrinter::drawText(int x, int y, const QString& text) {
    if (!m_painter) return;
    const QFontMetricsF metrics(m_font, m_printer.get());
    m_painter->drawText(QPointF(leftPx() + x, topPx() + y + metrics.ascent()), text);
}

QString TLinePrinter::expandTabs(const QString& text) const {
    if (m_tabSize == 0 || !text.contains(u'\t')) return text;
    QString out;
    for (QChar c : text) {
        if (c == u'\t') {
            const int blanks = int(m_tabSize) - int(out.size() % m_tabSize);
            out += QString(blanks, u' ');
        } else {
            out += c;
        }
    }
    return out;
}

QString TLinePrinter::expandMacros(const QString& text) const {
    QString out = text;
    const QDateTime now = QDateTime::currentDateTime();
    const std::pair<QString, QString> macros[] = {
        {QStringLiteral("{$LINE}"), QString::number(m_lineCount)},
        {QStringLiteral("{$PAGE}"), QString::number(m_pageNumber)},
        {QStringLiteral("{$DATE}"), format::FormatDateTime(QStringLiteral("ddddd"), now)},
        {QStringLiteral("{$TIME}"), format::FormatDateTime(QStringLiteral("tt"), now)},
        {QStringLiteral("{$TITLE}"), Title()}};
    for (const auto& [macro, value] : macros)
        if (!value.contains(macro)) out.replace(macro, value);
    return out;
}

void TLinePrinter::progress(const QString& status) {
    if (m_showProgress && Printing()) {
        if (!m_progress) m_progress = std::make_unique<TPrntProgDlg>();
        m_progress->show();
        if (!status.isEmpty()) m_progress->lblStatus->setText(status);
        m_progress->lblTitle->setText(Title());
        m_progress->lblPageNumber->setText(QString::number(m_pageNumber));
        m_progress->repaint();
    } else if (m_progress) {
        m_progress->close();
        m_progress.reset();
    }
}

void TLinePrinter::BeginDoc() {
    if (OnBeginDoc) OnBeginDoc(this);
    if (!m_printer) throw ELinePrinter(QStringLiteral("Unable to begin printing."));
    m_printer->setDocName(m_title);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(m_printer.get())) throw ELinePrinter(QStringLiteral("Unable to begin printing."));
    m_painter = std::move(painter);
    m_painter->setFont(m_font);
    m_pageNumber = 1;
    computeAdvance();
    progress(QStringLiteral("Preparing to Print"));
    if (OnNewPage) OnNewPage(this);
    startPage();
}

void TLinePrinter::startPage() {
    progress(QStringLiteral("Currently Printing"));
    if (!m_header.isEmpty()) {
        m_x = 0;
        m_y = (topPx() - m_advance) / 2 - topPx();
        WriteTableLine(m_header);
    }
    if (!m_footer.isEmpty()) {
        m_x = 0;
        m_y = (bottomPx() - m_advance) / 2 + printableHeightPx();
        WriteTableLine(m_footer);
    }
    m_x = m_y = m_lineCount = 0;
    if (OnNewLine) OnNewLine(this);
    if (!m_painter || !m_borders) return;
    const int left = leftPx(), top = topPx(), width = printableWidthPx(), height = printableHeightPx();
    const int offX = toPixelsX(m_borderOffset), offY = toPixelsY(m_borderOffset);
    QPen pen(Qt::black);
    pen.setWidth((dpiY() / 300) * 2);
    m_painter->setPen(pen);
    if (m_borders & TPageBorderStyle::pbTop)
        m_painter->drawLine(left - offX, top - offY, left + width + offX, top - offY);
    if (m_borders & TPageBorderStyle::pbBottom)
        m_painter->drawLine(left - offX, top + height + offY, left + width + offX, top + height + offY);
    pen.setWidth((dpiX() / 300) * 2);
    m_painter->setPen(pen);
    if (m_borders & TPageBorderStyle::pbLeft)
        m_painter->drawLine(left - offX, top - offY, left - offX, top + height + offY);
    if (m_borders & TPageBorderStyle::pbRight)
        m_painter->drawLine(left + width + offX, top - offY, left + width + offX, top + height + offY);
    m_painter->setPen(QPen(Qt::black));
}

void TLinePrinter::NewLine() {
    if (OnNewLine) OnNewLine(this);
    m_y += m_advance;
    if (m_y + m_advance < printableHeightPx())
        ++m_lineCount;
    else
        NewPage();
}

void TLinePrinter::NewPage() {
    if (OnNewPage) OnNewPage(this);
    if (!m_printer || !m_printer->newPage()) throw ELinePrinter(QStringLiteral("Unable to print a new page."));
    ++m_pageNumber;
    startPage();
}

void TLinePrinter::WriteLine(const QString& line) {
    const QString text = expandTabs(line);
    const double width = textWidth(text);
    const double printable = printableWidthPx();
    if (width > printable) {
        if (!m_wordWrap) {
            WriteLine(text.left(fittingLength(text, printable)));
            return;
        }
        QString rest = text;
        while (!rest.isEmpty()) {
            int n = fittingLength(rest, printable);
            if (n < rest.size() && rest.at(n).unicode() < 33) {
                ++n;  // the blank or control character after the piece goes with it
            } else if (n < rest.size()) {
                int cut = -1;
                for (int i = n - 1; i >= 0; --i)
                    if (rest.at(i).unicode() < 33) {
                        cut = i;
                        break;
                    }
                if (cut >= 0) n = cut + 1;
            }
            const QString piece = rest.left(n);
            rest.remove(0, n);
            if (textWidth(piece.trimmed()) <= printable || piece.size() == 1) {
                if (m_y + m_advance >= printableHeightPx()) NewPage();
                drawText(0, m_y, piece);
                NewLine();
            } else {
                WriteLine(piece);
            }
        }
        return;
    }
    if (m_alignment & Qt::AlignRight)
        m_x = int(printable - width);
    else if (m_alignment & Qt::AlignHCenter)
        m_x = int((printable - width) / 2);
    else
        m_x = 0;
    if (m_y + m_advance >= printableHeightPx()) NewPage();
    drawText(m_x, m_y, text);
    NewLine();
}

void TLinePrinter::WriteTableLine(const QString& text) {
    const QStringList formats = m_tableFormat.split(u'|');
    const QStringList cells = text.split(u'|');
    int x = 0;
    for (int i = 0; i < formats.size(); ++i) {
        QString format = formats[i];
        if (format.isEmpty()) format = QStringLiteral("<") + QString::number(m_defaultColWidth);
        if (format == QLatin1String("<") || format == QLatin1String(">") || format == QLatin1String("^"))
            format += QString::number(m_defaultColWidth);
        Qt::Alignment align = Qt::AlignLeft;
        if (format.at(0) == u'<' || format.at(0) == u'>' || format.at(0) == u'^') {
            align = format.at(0) == u'>' ? Qt::AlignRight : format.at(0) == u'^' ? Qt::AlignHCenter : Qt::AlignLeft;
            format.remove(0, 1);
        }
        bool ok = false;
        double width = format.trimmed().toDouble(&ok);
        if (!ok) width = m_defaultColWidth;
        const int widthPx = toPixelsX(width);
        QString cell = i < cells.size() ? cells[i] : QString();
        if (cell.contains(QStringLiteral("{$"))) cell = expandMacros(cell);
        cell = cell.left(fittingLength(cell, widthPx));
        if (cell.isEmpty() || textWidth(cell) > widthPx) cell = textWidth(cell) > widthPx ? QString() : cell;
        const double w = textWidth(cell);
        int at = x;
        if (align == Qt::AlignRight)
            at = x + int(widthPx - w);
        else if (align == Qt::AlignHCenter)
            at = x + int((widthPx - w) / 2);
        drawText(at, m_y, cell);
        x += widthPx;
    }
    if (m_y >= 0 && m_y < printableHeightPx()) NewLine();
}

void TLinePrinter::PrintLines() {
    for (const QString& line : m_lines) {
        if (m_linesAsTable && !m_tableFormat.isEmpty())
            WriteTableLine(line);
        else
            WriteLine(line);
    }
}

void TLinePrinter::EndDoc() {
    progress(QStringLiteral("Finished Printing"));
    const bool ended = m_painter && m_painter->end();
    m_painter.reset();
    if (m_progress) {
        m_progress->close();
        m_progress.reset();
    }
    if (!ended) throw ELinePrinter(QStringLiteral("Unable to finish printing."));
    if (OnEndDoc) OnEndDoc(this);
}
