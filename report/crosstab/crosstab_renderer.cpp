#include "report/crosstab/crosstab_renderer.h"

#include "report/crosstab/crosstab.h"
#include "report/crosstab/elements.h"

#include "report/model/band.h"
#include "report/model/text_layout.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"
#include "report/page/report_font.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/paint/text_metrics.h"

#include <QSize>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QString message(int aNumber) { return report::MessageText(aNumber); }

/// Pixels of the measuring device to mm-thousandths.
int pixelsToMM(const report::PrinterResolution* aPrinter, int aSelector, int aPixels) {
    return ppToMMThousandths(aPrinter ? TppUnitType::utPrinterPixels : TppUnitType::utScreenPixels, aSelector, aPrinter,
                             float(aPixels));
}

int screenPixelsToMM(int aSelector, int aPixels) {
    return ppToMMThousandths(TppUnitType::utScreenPixels, aSelector, nullptr, float(aPixels));
}

}  // namespace

// TppCustomCrossTabRenderer ---------------------------------------------------------------------

TppCustomCrossTabRenderer::TppCustomCrossTabRenderer(TppCrossTab* aCrossTab) : CrossTab(aCrossTab) {}

TppCustomCrossTabRenderer::~TppCustomCrossTabRenderer() = default;

int TppCustomCrossTabRenderer::CalcBlock(TppMatrix* aMatrix, int, int, const report::PrinterResolution* aPrinter) {
    Matrix = aMatrix;
    Printer = aPrinter;
    return 0;
}

void TppCustomCrossTabRenderer::CreateDrawCommands(TppPage*, TppMatrix* aMatrix, int, int) { Matrix = aMatrix; }

void TppCustomCrossTabRenderer::SetStatus(const QString& aText) {
    StatusText = aText;
    if (CrossTab) CrossTab->ProcessMessages();
}

// TppCrossTabRenderer ---------------------------------------------------------------------------

TppCrossTabRenderer::TppCrossTabRenderer(TppCrossTab* aCrossTab)
    : TppCustomCrossTabRenderer(aCrossTab), m_defaultFont(std::make_unique<TppFont>()) {
    StatusText = message(76);
}

TppCrossTabRenderer::~TppCrossTabRenderer() = default;

QString TppCrossTabRenderer::Description() { return message(490); }

TppElement* TppCrossTabRenderer::NamedElement(int c, int r) const {
    const int index = Matrix->GetElementIndex(c, r);
    return index < 0 ? nullptr : CrossTab->GetElement(index);
}

TppElement* TppCrossTabRenderer::CellElement(int c, int r) const {
    const int index = Matrix->GetElementIndex(c, r);
    return CrossTab->GetElement(index < 0 ? 0 : index);
}

const TppFont& TppCrossTabRenderer::FontOf(TppElement* aElement) const {
    return aElement && aElement->Font() ? *aElement->Font() : *m_defaultFont;
}

const paint::TextMetrics& TppCrossTabRenderer::metricsFor(const paint::Font& aFont) {
    for (const auto& [font, metrics] : m_metrics)
        if (font == aFont) return *metrics;
    const int dpiX = Printer ? Printer->PixelsPerInchX() : report::ScreenPixelsPerInch();
    const int dpiY = Printer ? Printer->PixelsPerInchY() : report::ScreenPixelsPerInch();
    m_metrics.emplace_back(aFont, std::make_unique<paint::TextMetrics>(aFont, dpiX, dpiY));
    return *m_metrics.back().second;
}

QSize TppCrossTabRenderer::MeasureText(const QString& aText, const TppFont& aFont) {
    const paint::TextMetrics& metrics = metricsFor(aFont.Font());
    const int width = int(std::lround(metrics.TextWidth(aText)));
    const int height = int(std::lround(metrics.Height()));
    return QSize(pixelsToMM(Printer, report::kHorizontal, width) + kMeasureMargin,
                 pixelsToMM(Printer, report::kVertical, height) + kMeasureMargin);
}

void TppCrossTabRenderer::MeasureCaptionCell(int c, int r) {
    QString text = GetCellText(c, r);
    if (text.isEmpty()) text = QStringLiteral("W");
    const QSize size = MeasureText(text, FontOf(CellElement(c, r)));
    Matrix->SetWidth(c, r, size.width());
    Matrix->SetHeight(c, r, size.height());
}

int TppCrossTabRenderer::ColumnWidth(int c) const {
    const TppMatrix& m = *Matrix;
    if (c >= m.HeaderColumnCount) {
        const size_t i = size_t(c - m.HeaderColumnCount);
        return i < ColumnWidths.size() ? ColumnWidths[i] : 0;
    }
    // The representative cell of a header column; when the matrix has no such row, the
    // widest cell of the column (the formatting makes them equal).
    int width = 0;
    const int r = m.HeaderColumnCount - 1;
    if (r < m.RowCount())
        width = m.Width(c, r);
    else
        for (int i = 0; i < m.RowCount(); ++i) width = std::max(width, m.Width(c, i));
    return width != 0 ? width : screenPixelsToMM(report::kHorizontal, 75);
}

int TppCrossTabRenderer::RowHeight(int r) const {
    const TppMatrix& m = *Matrix;
    if (r >= m.HeaderRowCount) {
        const size_t i = size_t(r - m.HeaderRowCount);
        return i < RowHeights.size() ? RowHeights[i] : 0;
    }
    int height = 0;
    const int c = m.HeaderRowCount - 1;
    if (c < m.ColumnCount())
        height = m.Height(c, r);
    else
        for (int i = 0; i < m.ColumnCount(); ++i) height = std::max(height, m.Height(i, r));
    return height != 0 ? height : screenPixelsToMM(report::kVertical, 20);
}

// Cell text ---------------------------------------------------------------------------------------

QString TppCrossTabRenderer::GetCellText(int c, int r) {
    const TppMatrix& m = *Matrix;
    const bool totalCaption =
        (r < m.HeaderRowCount && m.IsTotalColumn(c)) || (c < m.HeaderColumnCount && m.IsTotalRow(r));
    return totalCaption ? totalCaptionText(c, r) : valueText(c, r);
}

QString TppCrossTabRenderer::valueText(int c, int r) {
    const TppMatrix& m = *Matrix;
    const bool caption = m.IsCaptionCell(c, r);
    if (m.IsNull(c, r)) return caption ? message(68) : QString();
    const QVariant value = m.Value(c, r);
    const TppDataType type = ppDataTypeOfVarType(value);
    TppElement* element = NamedElement(c, r);
    QString format;
    if (element && ppCompatibleDataTypes(element->GetDataType(), type)) format = element->DisplayFormat();
    // The formatting reads currency as a number.
    const QVariant formatted =
        value.metaType() == QMetaType::fromType<TCurrency>() ? QVariant(double(crosstab::ToFloat(value))) : value;
    QString text = ppFormatValue(format, type, formatted);
    if (caption)
        CrossTab->DoGetCaptionText(element, c, r, format, value, text);
    else if (m.IsTotalColumn(c) || m.IsTotalRow(r))
        CrossTab->DoGetTotalValueText(element, c, r, format, value, text);
    else
        CrossTab->DoGetValueText(element, c, r, format, value, text);
    return text;
}

QString TppCrossTabRenderer::totalCaptionText(int c, int r) {
    const TppMatrix& m = *Matrix;
    const QString caption = m.Caption(c, r);
    const QString valueCaption = m.ValueCaption(c, r);
    TppElement* element = NamedElement(c, r);
    auto* captionDef = qobject_cast<TppTotalCaptionDef*>(element);
    const bool grand = captionDef && qobject_cast<TppGrandTotal*>(captionDef->Parent());
    QString text;
    if (!valueCaption.isEmpty()) {
        text = grand ? ppBlankText(valueCaption) : ppBlankText(caption) + QLatin1Char(' ') + ppBlankText(valueCaption);
    } else if (!m.IsNull(c, r) && caption.isEmpty()) {
        return valueText(c, r);
    } else {
        text = grand ? ppBlankText(caption) : ppBlankText(caption) + QLatin1Char(' ') + message(70);
    }
    CrossTab->DoGetTotalCaptionText(element, c, r, text);
    return text;
}

// Formatting --------------------------------------------------------------------------------------

void TppCrossTabRenderer::AddHeight(int c, int aFirstRow, int aCount, int aAmount) {
    if (aCount <= 0) return;
    TppMatrix& m = *Matrix;
    const int share = aAmount / aCount;
    const bool toRows = c >= m.HeaderColumnCount && aFirstRow >= m.HeaderRowCount;
    for (int i = 0; i < aCount; ++i) {
        const int amount = i < aCount - 1 ? share : aAmount - share * (aCount - 1);
        const int r = aFirstRow + i;
        if (toRows) {
            const size_t k = size_t(r - m.HeaderRowCount);
            if (k < RowHeights.size()) RowHeights[k] += amount;
        } else {
            m.SetHeight(c, r, m.Height(c, r) + amount);
        }
    }
}

void TppCrossTabRenderer::AddWidth(int aFirstColumn, int r, int aCount, int aAmount) {
    if (aCount <= 0) return;
    TppMatrix& m = *Matrix;
    const int share = aAmount / aCount;
    const bool toColumns = aFirstColumn >= m.HeaderColumnCount && r >= m.HeaderRowCount;
    for (int i = 0; i < aCount; ++i) {
        const int amount = i < aCount - 1 ? share : aAmount - share * (aCount - 1);
        const int c = aFirstColumn + i;
        if (toColumns) {
            const size_t k = size_t(c - m.HeaderColumnCount);
            if (k < ColumnWidths.size()) ColumnWidths[k] += amount;
        } else {
            m.SetWidth(c, r, m.Width(c, r) + amount);
        }
    }
}

void TppCrossTabRenderer::FormatValues() {
    SetStatus(message(77));
    TppMatrix& m = *Matrix;
    ColumnWidths.clear();
    RowHeights.clear();
    const bool noDimensions = CrossTab->ColumnDefCount() == 0 && CrossTab->RowDefCount() == 0;
    const int c0 = noDimensions ? 0 : m.HeaderColumnCount;
    const int r0 = noDimensions ? 0 : m.HeaderRowCount;
    for (int c = c0; c < m.ColumnCount(); ++c)
        for (int r = r0; r < m.RowCount(); ++r) {
            if (c % 10 == 0 && r % 10 == 0) {
                QString status = message(78);
                status.replace(status.indexOf(QLatin1String("<count>")), 7, QString::number(c));
                status.replace(status.indexOf(QLatin1String("<count>")), 7, QString::number(r));
                SetStatus(status);
            }
            const QSize size = MeasureText(GetCellText(c, r), FontOf(CellElement(c, r)));
            const size_t ci = size_t(c - c0), ri = size_t(r - r0);
            if (ColumnWidths.size() <= ci) ColumnWidths.resize(ci + 1, 0);
            if (RowHeights.size() <= ri) RowHeights.resize(ri + 1, 0);
            ColumnWidths[ci] = std::max(ColumnWidths[ci], size.width());
            RowHeights[ri] = std::max(RowHeights[ri], size.height());
        }
    if (noDimensions && m.ColumnCount() > 0)
        for (int r = 0; r < m.RowCount(); ++r) {
            m.SetHeight(0, r, size_t(r) < RowHeights.size() ? RowHeights[size_t(r)] : 0);
            m.SetWidth(0, r, ColumnWidths.empty() ? 0 : ColumnWidths[0]);
        }
}

void TppCrossTabRenderer::FormatColumns() {
    TppMatrix& m = *Matrix;
    const int hc = m.HeaderColumnCount, hr = m.HeaderRowCount, cc = m.ColumnCount(), rc = m.RowCount();
    const int columnDefs = CrossTab->ColumnDefCount();
    const int valueDefs = CrossTab->ValueDefCount();
    const bool rowDefs = CrossTab->RowDefCount() > 0;

    // 1. Caption text sizes.
    SetStatus(message(84));
    for (int c = rowDefs ? hc : 0; c < cc; ++c)
        for (int r = 0; r < hr; ++r) MeasureCaptionCell(c, r);
    if (valueDefs == 1)
        MeasureCaptionCell(0, 0);
    else if (!rowDefs)
        for (int r = hr; r < rc; ++r) MeasureCaptionCell(0, r);

    // 2. Equal captions side by side merge into one.
    SetStatus(message(85));
    const int g = CrossTab->HasColumnGrandTotal() ? 1 : 0;
    for (int r = 0; r < hr - 1; ++r) {
        QString previous;
        int reset = -2;
        for (int c = hc; c < cc - g; ++c) {
            if (m.IsTotalColumn(c)) {
                const int level = m.Level(c, hr - 1);
                if (level != -1 && level < r) {
                    reset = c;
                    previous.clear();
                    continue;
                }
            }
            const QString text = GetCellText(c, r);
            if (text == previous) {
                m.SetShowText(c, r, false);
                m.SetGridLine(c, r, 0, false);
                if (c != reset + 1 && c != hc) m.SetGridLine(c - 1, r, 1, false);
            }
            previous = text;
        }
    }

    // 3. A total caption spans down to the last header row.
    SetStatus(message(86));
    for (int c = 0; c < cc; ++c) {
        if (!m.IsTotalColumn(c)) continue;
        const int first = m.FirstTotalLabelRow(c);
        for (int r = first + 1; r < hr; ++r) {
            m.SetShowText(c, r, false);
            m.SetGridLine(c, r, 2, false);
            m.SetGridLine(c, r - 1, 3, false);
        }
    }

    // 4. Caption widths against the widths below them.
    SetStatus(message(87));
    if (columnDefs > 0) {
        SetStatus(message(88));
        for (int c = hc; c < cc; ++c) {
            if (!m.IsTotalColumn(c)) continue;
            const int label = m.FirstTotalLabelRow(c);
            const size_t k = size_t(c - hc);
            if (k >= ColumnWidths.size()) continue;
            const int width = std::max(m.Width(c, label), ColumnWidths[k]);
            m.SetWidth(c, label, width);
            ColumnWidths[k] = width;
        }
    }
    if (hr >= 2) {
        for (int r = 1; r < hr; ++r) {
            int start = -1, captionWidth = 0, spanWidth = 0, count = 0;
            auto below = [&](int c) {
                if (r < hr - 1) return m.Width(c, r + 1);
                const size_t k = size_t(c - hc);
                return k < ColumnWidths.size() ? ColumnWidths[k] : 0;
            };
            auto close = [&] {
                if (captionWidth > 0 && count > 0) {
                    if (captionWidth < spanWidth)
                        AddWidth(start, r, count, spanWidth - captionWidth);
                    else if (captionWidth > spanWidth)
                        AddWidth(start, r + 1, count, captionWidth - spanWidth);
                }
                captionWidth = 0;
                count = 0;
            };
            for (int c = hc; c < cc; ++c) {
                if (m.IsTotalColumn(c)) {
                    close();
                } else if (m.ShowText(c, r)) {
                    close();
                    start = c;
                    captionWidth = m.Width(c, r);
                    spanWidth = below(c);
                    count = 1;
                } else if (count > 0) {
                    spanWidth += below(c);
                    ++count;
                }
            }
            close();
        }
    }

    // 5. Caption heights of the column captions and of the total captions beside them.
    SetStatus(message(91));
    if (cc > hc && hr > 1) {
        std::vector<int> H(size_t(hr), 0);
        std::vector<int> T(size_t(std::max(columnDefs - 1, 0)), 0);
        bool anyTotal = false;
        for (int c = hc; c < cc; ++c) {
            const bool total = m.IsTotalColumn(c);
            anyTotal = anyTotal || total;
            for (int r = 1; r < hr; ++r)
                if (!total) H[size_t(r)] = std::max(H[size_t(r)], m.Height(c, r));
            if (total)
                for (size_t k = 0; k < T.size(); ++k)
                    if (int(k) + 1 < hr) T[k] = std::max(T[k], m.Height(c, int(k) + 1));
        }
        for (int c = hc; c < cc; ++c)
            if (!m.IsTotalColumn(c))
                for (int r = 1; r < hr; ++r) m.SetHeight(c, r, H[size_t(r)]);
        for (size_t k = 0; k < T.size(); ++k) {
            if (int(k) + 1 >= hr) break;
            const int h = H[k + 1];
            const int t = anyTotal ? T[k] : h;
            const int rows = hr - 1 - int(k);
            for (int c = hc; c < cc; ++c) {
                const bool total = m.IsTotalColumn(c);
                if (h < t && !total) AddHeight(c, int(k) + 1, rows, t - h);
                if (t < h && total) AddHeight(c, int(k) + 1, rows, h - t);
            }
        }
    }

    // 6. The field labels of the column definitions in row 0.
    SetStatus(message(89));
    {
        const int last = std::min(hc + columnDefs, cc);
        int tallest = 0;
        for (int c = 0; c < last; ++c) tallest = std::max(tallest, m.Height(c, 0));
        for (int c = 0; c < last; ++c) m.SetHeight(c, 0, tallest);
        std::vector<int> needed;
        for (int k = 0; k < columnDefs && hc + k < cc; ++k) {
            MeasureCaptionCell(hc + k, 0);
            needed.push_back(m.Width(hc + k, 0));
            m.SetValue(hc + k, 0, QString());
            m.SetShowText(hc + k, 0, false);
        }
        int j = hc;
        for (size_t k = 0; k < needed.size() && j < cc; ++k) {
            const QString name = CrossTab->ColumnDefs(int(k))->GetName();
            m.SetValue(j, 0, name);
            m.SetShowText(j, 0, true);
            m.SetElementIndex(j, 0, 0);
            m.SetWidth(j, 0, ColumnWidth(j));
            int accumulated = ColumnWidth(j);
            while (j < cc && accumulated < needed[k]) {
                m.SetGridLine(j, 0, 1, false);
                ++j;
                if (j < cc) {
                    m.SetValue(j, 0, name);
                    m.SetShowText(j, 0, false);
                    m.SetWidth(j, 0, accumulated);
                    m.SetGridLine(j, 0, 0, false);
                    accumulated += ColumnWidth(j);
                }
            }
            ++j;
        }
        for (int c = j; c < cc - 1; ++c) {
            m.SetGridLine(c, 0, 1, false);
            m.SetGridLine(c + 1, 0, 0, false);
        }
    }

    // 7. The value names in column 0 are equally wide.
    if (!rowDefs && valueDefs > 1) {
        SetStatus(message(90));
        int widest = 0;
        for (int r = 0; r < rc; ++r) widest = std::max(widest, m.Width(0, r));
        for (int r = 0; r < rc; ++r) m.SetWidth(0, r, widest);
    }
}

void TppCrossTabRenderer::FormatRows() {
    TppMatrix& m = *Matrix;
    const int hc = m.HeaderColumnCount, hr = m.HeaderRowCount, rc = m.RowCount();
    const int rowDefs = CrossTab->RowDefCount();
    const int valueDefs = CrossTab->ValueDefCount();
    const bool columnDefs = CrossTab->ColumnDefCount() > 0;

    // 1. Caption text sizes.
    SetStatus(message(79));
    for (int c = 0; c < hc; ++c)
        for (int r = columnDefs ? 1 : 0; r < rc; ++r) MeasureCaptionCell(c, r);

    // 2. Equal captions one below the other merge into one.
    SetStatus(message(80));
    const int g = CrossTab->VisibleRowGrandTotalCount();
    for (int c = 0; c < hc; ++c) {
        QString previous;
        int reset = -2;
        int counter = 0;
        for (int r = hr; r < rc - g; ++r) {
            const bool total = m.IsTotalRow(r);
            bool takesPart = true;
            if (total) {
                const int level = m.Level(hc - 1, r);
                takesPart = level == -1 || level > c;
                if (takesPart) counter = 0;
            } else {
                ++counter;
            }
            if (valueDefs > 1 && c >= hc - 2 && takesPart && counter > 1 && (counter - 1) % valueDefs == 0) {
                takesPart = false;
                counter = 0;
            }
            if (takesPart) {
                const QString text = GetCellText(c, r);
                if (text == previous) {
                    m.SetShowText(c, r, false);
                    m.SetGridLine(c, r, 2, false);
                    if (r != reset + 1 && r != hr) m.SetGridLine(c, r - 1, 3, false);
                }
                previous = text;
            } else if (total) {
                reset = r;
                previous.clear();
            } else {
                previous = GetCellText(c, r);
                ++counter;
            }
        }
    }

    // 3. A total caption spans to the last header column.
    SetStatus(message(81));
    for (int r = 0; r < rc; ++r) {
        if (!m.IsTotalRow(r)) continue;
        const int first = m.FirstTotalLabelColumn(r);
        for (int c = first + 1; c < hc; ++c) {
            m.SetShowText(c, r, false);
            m.SetGridLine(c, r, 0, false);
            m.SetGridLine(c - 1, r, 1, false);
        }
    }

    // 4. Caption heights against the heights beside them.
    SetStatus(message(81));
    SetStatus(message(82));
    for (int r = hr; r < rc; ++r) {
        if (!m.IsTotalRow(r)) continue;
        const int label = m.FirstTotalLabelColumn(r);
        const size_t k = size_t(r - hr);
        if (k >= RowHeights.size()) continue;
        const int height = std::max(m.Height(label, r), RowHeights[k]);
        m.SetHeight(label, r, height);
        RowHeights[k] = height;
    }
    for (int c = 0; c < hc; ++c) {
        int start = -1, captionHeight = 0, spanHeight = 0, count = 0;
        auto beside = [&](int r) {
            if (c < hc - 1) return m.Height(c + 1, r);
            const size_t k = size_t(r - hr);
            return k < RowHeights.size() ? RowHeights[k] : 0;
        };
        auto close = [&] {
            if (captionHeight > 0 && count > 0) {
                if (captionHeight < spanHeight)
                    AddHeight(c, start, count, spanHeight - captionHeight);
                else if (captionHeight > spanHeight)
                    AddHeight(c + 1, start, count, captionHeight - spanHeight);
            }
            captionHeight = 0;
            count = 0;
        };
        QString runText = hr < rc ? GetCellText(c, hr) : QString();
        for (int r = hr; r < rc; ++r) {
            const QString text = GetCellText(c, r);
            if (text != runText) {
                // A new text closes the run; the row starts the next one when it shows its text.
                close();
                runText = text;
            }
            if (m.ShowText(c, r)) {
                close();
                start = r;
                captionHeight = m.Height(c, r);
                spanHeight = beside(r);
                count = 1;
            } else if (count > 0) {
                spanHeight += beside(r);
                ++count;
            }
        }
        close();
    }

    // 5. Caption widths of the row captions and of the total captions beside them.
    SetStatus(message(83));
    if (hc > 0) {
        std::vector<int> W(size_t(hc), 0);
        std::vector<int> T(size_t(std::max(rowDefs - 1, 0)), 0);
        bool anyTotal = false;
        for (int r = 0; r < rc; ++r) {
            const bool total = m.IsTotalRow(r);
            anyTotal = anyTotal || total;
            for (int c = 0; c < hc; ++c) {
                if (!total) W[size_t(c)] = std::max(W[size_t(c)], m.Width(c, r));
                else if (size_t(c) < T.size()) T[size_t(c)] = std::max(T[size_t(c)], m.Width(c, r));
            }
        }
        if (valueDefs == 1) {
            int sum = 0;
            for (int w : W) sum += w;
            const int wanted = m.Width(0, 0);
            if (sum < wanted) {
                const int difference = wanted - sum;
                const int share = difference / hc;
                for (int c = 0; c < hc; ++c) W[size_t(c)] += c < hc - 1 ? share : difference - share * (hc - 1);
            }
        }
        for (int c = 0; c < hc; ++c)
            for (int r = 0; r < rc; ++r) m.SetWidth(c, r, W[size_t(c)]);
        for (size_t k = 0; k < T.size() && int(k) < hc; ++k) {
            int s = 0;
            for (int c = int(k); c < hc; ++c) s += W[size_t(c)];
            const int t = anyTotal ? T[k] : s;
            if (s < t)
                for (int r = 0; r < rc; ++r)
                    if (!m.IsTotalRow(r)) AddWidth(int(k), r, hc - int(k), t - s);
        }
    }

    // 6. Without column definitions the header rows are equally tall across.
    SetStatus(message(83));
    if (!columnDefs)
        for (int r = 0; r < hr; ++r) {
            int tallest = 0;
            for (int c = 0; c <= hc && c < m.ColumnCount(); ++c) tallest = std::max(tallest, m.Height(c, r));
            for (int c = 0; c <= hc && c < m.ColumnCount(); ++c) m.SetHeight(c, r, tallest);
        }
}

// Fitting a block -------------------------------------------------------------------------------

int TppCrossTabRenderer::fitRows(int aUsed, int aAvailable) {
    int used = aUsed;
    RowEnd = RowStart;
    const int rows = Matrix->RowCount();
    while (RowEnd < rows) {
        const int h = RowHeight(RowEnd);
        if (used + h > aAvailable) break;
        used += h;
        ++RowEnd;
    }
    --RowEnd;
    if (RowEnd < RowStart && ForceFit && RowStart < rows) {
        // Not even one row fits a fresh page: it is printed cut at the edge.
        RowEnd = RowStart;
        used = aAvailable;
    }
    return used;
}

int TppCrossTabRenderer::fitColumns(int aUsed, int aAvailable) {
    int used = aUsed;
    ColumnEnd = ColumnStart;
    const int columns = Matrix->ColumnCount();
    while (ColumnEnd < columns) {
        const int w = ColumnWidth(ColumnEnd);
        if (used + w > aAvailable) break;
        used += w;
        ++ColumnEnd;
    }
    --ColumnEnd;
    if (ColumnEnd < ColumnStart && ForceFit && ColumnStart < columns) {
        ColumnEnd = ColumnStart;
        used = aAvailable;
    }
    return used;
}

int TppCrossTabRenderer::CalcBlock(TppMatrix* aMatrix, int aAvailableHeight, int aAvailableWidth,
                                   const report::PrinterResolution* aPrinter) {
    Matrix = aMatrix;
    Printer = aPrinter;
    m_availableHeight = aAvailableHeight;
    m_availableWidth = aAvailableWidth;
    if (FormatNeeded) {
        m_metrics.clear();
        FormatValues();
        if (CrossTab->ColumnDefCount() > 0) FormatColumns();
        if (CrossTab->RowDefCount() > 0) FormatRows();
        FormatNeeded = false;
    }
    const int used = fitRows(0, aAvailableHeight);
    fitColumns(0, aAvailableWidth);
    return used;
}

int TppCrossTabRenderer::headerRowsHeight() const {
    int height = 0;
    for (int r = 0; r < Matrix->HeaderRowCount; ++r) height += RowHeight(r);
    return height;
}

int TppCrossTabRenderer::headerColumnsWidth() const {
    int width = 0;
    for (int c = 0; c < Matrix->HeaderColumnCount; ++c) width += ColumnWidth(c);
    return width;
}

int TppCTRendererRepeatCaptions::CalcBlock(TppMatrix* aMatrix, int aAvailableHeight, int aAvailableWidth,
                                           const report::PrinterResolution* aPrinter) {
    if ((ColumnStart == 0 && RowStart == 0) || FormatNeeded || !Matrix)
        return TppCrossTabRenderer::CalcBlock(aMatrix, aAvailableHeight, aAvailableWidth, aPrinter);
    m_availableHeight = aAvailableHeight;
    m_availableWidth = aAvailableWidth;
    int rowsUsed = 0;
    if (RowStart > 0) {
        rowsUsed = headerRowsHeight();
        if (rowsUsed >= aAvailableHeight) rowsUsed = 0;
    }
    int columnsUsed = 0;
    if (ColumnStart > 0) {
        columnsUsed = headerColumnsWidth();
        if (columnsUsed >= aAvailableWidth) columnsUsed = 0;
    }
    const int used = fitRows(rowsUsed, aAvailableHeight);
    fitColumns(columnsUsed, aAvailableWidth);
    return used;
}

// Drawing -----------------------------------------------------------------------------------------

int TppCrossTabRenderer::Line::start() const { return vertical ? command->Top() : command->Left(); }

int TppCrossTabRenderer::Line::end() const {
    return vertical ? command->Top() + command->Height() : command->Left() + command->Width();
}

void TppCrossTabRenderer::Line::extendTo(int aEnd) {
    if (vertical)
        command->SetHeight(aEnd - command->Top());
    else
        command->SetWidth(aEnd - command->Left());
}

void TppCrossTabRenderer::commit(std::multimap<QString, Line>& aPending, std::multimap<QString, Line>& aCommitted) {
    for (auto& [key, line] : aPending) aCommitted.emplace(key, line);
    aPending.clear();
}

void TppCrossTabRenderer::CreateDrawCommands(TppPage* aPage, TppMatrix* aMatrix, int aLeft, int aTop) {
    Matrix = aMatrix;
    m_clipRight = aLeft + m_availableWidth;
    m_clipBottom = aTop + m_availableHeight;
    struct Working {
        TppCrossTabRenderer* r;
        ~Working() {
            // Commands not handed to the page yet belong to nobody else.
            for (TppDrawShape* s : r->m_shapes) delete s;
            for (TppDrawText* t : r->m_texts) delete t;
            for (auto* list : {&r->m_pendingVertical, &r->m_committedVertical, &r->m_pendingHorizontal,
                               &r->m_committedHorizontal})
                for (auto& entry : *list) delete entry.second.command;
            r->m_shapes.clear();
            r->m_texts.clear();
            r->m_pendingVertical.clear();
            r->m_committedVertical.clear();
            r->m_pendingHorizontal.clear();
            r->m_committedHorizontal.clear();
        }
    } working{this};
    m_rowSaveNo.clear();
    if (TppBand* band = CrossTab->Band(); aPage && band && band->Save()) {
        // One record per printed row, in the order of the rows (repeated header rows first).
        if (RowStart > 0)
            for (int r = 0; r < Matrix->HeaderRowCount; ++r) m_rowSaveNo[r] = aPage->TakeBandOutputNo();
        for (int r = RowStart; r <= RowEnd; ++r) m_rowSaveNo[r] = aPage->TakeBandOutputNo();
    }
    int left = aLeft, top = aTop;
    DrawBlock(aPage, left, top);
    for (TppDrawShape*& s : m_shapes) std::exchange(s, nullptr)->SetPage(aPage);
    m_shapes.clear();
    for (TppDrawText*& t : m_texts) std::exchange(t, nullptr)->SetPage(aPage);
    m_texts.clear();
    commit(m_pendingVertical, m_committedVertical);
    commit(m_pendingHorizontal, m_committedHorizontal);
    for (auto* list : {&m_committedVertical, &m_committedHorizontal}) {
        for (auto& entry : *list) {
            TppDrawLine* line = std::exchange(entry.second.command, nullptr);
            if (CrossTab->GridLines())
                line->SetPage(aPage);
            else
                delete line;
        }
        list->clear();
    }
}

void TppCrossTabRenderer::DrawBlock(TppPage* aPage, int& aLeft, int& aTop) {
    drawCells(aPage, ColumnStart, ColumnEnd, RowStart, RowEnd, aLeft, aTop);
}

void TppCrossTabRenderer::drawCells(TppPage* aPage, int aFirstColumn, int aLastColumn, int aFirstRow, int aLastRow,
                                    int& aLeft, int& aTop) {
    int x = aLeft;
    int y = aTop;
    for (int c = aFirstColumn; c <= aLastColumn; ++c) {
        int w = ColumnWidth(c);
        if (w == 0) continue;
        w = std::min(w, m_clipRight - x);
        if (w <= 0) break;
        y = aTop;
        for (int r = aFirstRow; r <= aLastRow; ++r) {
            int h = RowHeight(r);
            if (h == 0) continue;
            h = std::min(h, m_clipBottom - y);
            if (h <= 0) break;
            drawCell(aPage, c, r, x, y, w, h);
            y += h;
        }
        x += w;
    }
    aLeft = x;
    aTop = y;
}

void TppCrossTabRenderer::drawCell(TppPage* aPage, int c, int r, int x, int y, int w, int h) {
    TppMatrix& m = *Matrix;
    TppElement* element = CellElement(c, r);
    CrossTab->DoFormatCell(element, c, r);

    // Background.
    if (element && element->Color() != paint::clWhite) {
        const int p = pixelsToMM(Printer, report::kHorizontal, 1);
        const int q = pixelsToMM(Printer, report::kVertical, 1);
        auto* shape = new TppDrawShape(nullptr);
        shape->SetShapeType(TShapeType::stRectangle);
        paint::Brush brush = shape->Brush();
        brush.Color = element->Color();
        shape->SetBrush(brush);
        paint::Pen pen = shape->Pen();
        pen.Style = paint::TPenStyle::psClear;
        shape->SetPen(pen);
        shape->SetLeft(x - p);
        shape->SetTop(y - q);
        shape->SetWidth(w + p);
        shape->SetHeight(h + q);
        m_shapes.push_back(shape);
    }

    // Grid lines.
    if (CrossTab->GridLines()) {
        if (m.IsTotalRow(r))
            commit(m_pendingVertical, m_committedVertical);
        else if (m.IsTotalColumn(c))
            commit(m_pendingHorizontal, m_committedHorizontal);
        bool flags[4];
        if (m.IsCaptionCell(c, r)) {
            for (int side = 0; side < 4; ++side) flags[side] = m.GridLine(c, r, side);
        } else {
            auto flag = [&](int cc, int rr, int side) { return m.StringCell(cc, rr) && m.GridLine(cc, rr, side); };
            flags[0] = flag(c, m.HeaderRowCount - 1, 0);
            flags[1] = flag(c, m.HeaderRowCount - 1, 1);
            flags[2] = flag(m.HeaderColumnCount - 1, r, 2);
            flags[3] = m.HeaderColumnCount == 0 || flag(m.HeaderColumnCount - 1, r, 3);
        }
        for (int side = 0; side < 4; ++side)
            if (flags[side]) addLine(c, r, x, y, w, h, side);
    }

    // Text.
    const bool caption = m.IsCaptionCell(c, r);
    if (caption && !m.ShowText(c, r)) return;
    const QString text = GetCellText(c, r);
    if (text.isEmpty()) return;
    int width = w, height = h;
    if (caption) {
        auto growDown = [&](int column) {
            int grown = h;
            for (int below = r + 1; below <= RowEnd; ++below) {
                if (!m.IsCaptionCell(column, below) || m.ShowText(column, below) || GetCellText(column, below) != text)
                    break;
                grown += m.Height(column, below);
            }
            height = std::max(height, grown);
        };
        growDown(c);
        for (int next = c + 1; next <= ColumnEnd; ++next) {
            if (!m.IsCaptionCell(next, r) || m.ShowText(next, r) || GetCellText(next, r) != text) break;
            width += m.Width(next, r);
            growDown(next);
        }
        // A merged caption never reaches past the space of the block.
        width = std::min(width, m_clipRight - x);
        height = std::min(height, m_clipBottom - y);
    }
    auto* draw = new TppDrawText(nullptr);
    const TAlignment alignment = element ? element->Alignment() : TAlignment::taLeftJustify;
    draw->SetAlignment(alignment);
    draw->SetFont(const_cast<TppFont*>(&FontOf(element)));
    draw->SetLeft(x);
    draw->SetTop(y + kTextInset);
    draw->SetWidth(width);
    draw->SetHeight(height);
    draw->SetAutoSize(false);
    draw->SetTransparent(true);
    if (alignment == TAlignment::taLeftJustify)
        draw->SetLeft(x + kTextInset);
    else if (alignment == TAlignment::taRightJustify)
        draw->SetWidth(width - kTextInset);
    draw->SetText(text);
    // With the band's Save on, each printed row of the matrix is one record of a text export
    // and each column one field.
    if (TppBand* band = CrossTab->Band(); band && band->Save()) {
        draw->SetBandSave(true);
        draw->SetComponentSave(true);
        draw->SetComponentSaveNo(c);
        auto [it, added] = m_rowSaveNo.try_emplace(r, 0);
        if (added) it->second = aPage ? aPage->TakeBandOutputNo() : r;
        draw->SetBandSaveNo(it->second);
    }
    m_texts.push_back(draw);
}

void TppCrossTabRenderer::addLine(int, int, int x, int y, int w, int h, int aSide) {
    const bool vertical = aSide < 2;
    const int coordinate = aSide == 0 ? x : aSide == 1 ? x + w : aSide == 2 ? y : y + h;
    const int s = vertical ? y : x;
    const int n = vertical ? h : w;
    const QString key = QString::number(coordinate);
    auto& pending = vertical ? m_pendingVertical : m_pendingHorizontal;
    auto& committed = vertical ? m_committedVertical : m_committedHorizontal;
    if (auto it = pending.find(key); it != pending.end()) {
        Line& line = it->second;
        if (s >= line.start() && line.end() < s + n) line.extendTo(s + n);
        return;
    }
    for (auto [it, end] = committed.equal_range(key); it != end; ++it) {
        Line& line = it->second;
        if (line.start() <= s && line.end() >= s + n) return;
        if (line.end() > s && line.end() < s + n) {
            line.extendTo(s + n);
            return;
        }
    }
    auto* command = new TppDrawLine(nullptr);
    command->SetLeft(x);
    command->SetTop(y);
    command->SetWidth(w);
    command->SetHeight(h);
    static const TppLinePositionType kPositions[] = {TppLinePositionType::lpLeft, TppLinePositionType::lpRight,
                                                     TppLinePositionType::lpTop, TppLinePositionType::lpBottom};
    command->SetLinePosition(kPositions[aSide]);
    pending.emplace(key, Line{command, vertical});
}

void TppCTRendererRepeatCaptions::DrawBlock(TppPage* aPage, int& aLeft, int& aTop) {
    int x = aLeft, y = aTop;
    const int hc = Matrix->HeaderColumnCount, hr = Matrix->HeaderRowCount;
    if (ColumnStart > 0 && hc > 0) {
        if (RowStart > 0 && hr > 0) {
            int cx = x, cy = y;
            drawCells(aPage, 0, hc - 1, 0, hr - 1, cx, cy);
            y = cy;
        }
        int cx = x, cy = y;
        drawCells(aPage, 0, hc - 1, RowStart, RowEnd, cx, cy);
        x = cx;
        y = aTop;
    }
    if (RowStart > 0 && hr > 0) {
        int cx = x, cy = y;
        drawCells(aPage, ColumnStart, ColumnEnd, 0, hr - 1, cx, cy);
        y = cy;
    }
    aLeft = x;
    aTop = y;
    TppCrossTabRenderer::DrawBlock(aPage, aLeft, aTop);
}

// Registry ----------------------------------------------------------------------------------------

void ppRegisterCrossTabRenderers() {
    ppRegisterCrossTabRenderer({QStringLiteral("TppCrossTabRenderer"), TppCrossTabRenderer::Name(),
                                TppCrossTabRenderer::Description(),
                                [](TppCrossTab* x) { return std::make_unique<TppCrossTabRenderer>(x); }});
    ppRegisterCrossTabRenderer({QStringLiteral("TppCTRendererRepeatCaptions"), TppCTRendererRepeatCaptions::Name(),
                                TppCTRendererRepeatCaptions::Description(),
                                [](TppCrossTab* x) { return std::make_unique<TppCTRendererRepeatCaptions>(x); }});
}

void ppUnRegisterCrossTabRenderers() {
    ppUnRegisterCrossTabRenderer(QStringLiteral("TppCrossTabRenderer"));
    ppUnRegisterCrossTabRenderer(QStringLiteral("TppCTRendererRepeatCaptions"));
}
