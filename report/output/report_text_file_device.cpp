#include "report/output/report_text_file_device.h"

#include "report/model/text_layout.h"
#include "report/output/output_texts.h"
#include "report/page/page.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/paint/text_metrics.h"

#include <map>

namespace {

paint::Font courierNew(int size) {
    paint::Font font;
    font.Name = QStringLiteral("Courier New");
    font.Size = size;
    return font;
}

qreal zeroWidth(const paint::Font& font) {
    const int ppi = report::ScreenPixelsPerInch();
    return paint::TextMetrics(font, ppi, ppi).TextWidth(QStringLiteral("0"));
}

}  // namespace

TppReportTextFileDevice::TppReportTextFileDevice(TComponent* AOwner) : TppFileDevice(AOwner) {}

QString TppReportTextFileDevice::Description() const {
    report::DeclareOutputTexts();
    return ppGetMessageText(12);
}

void TppReportTextFileDevice::ReceivePage(TppPage& aPage) {
    TppFileDevice::ReceivePage(aPage);
    if (!PageIsRequested() || !OutputStream()) return;
    UpdatePageStatus(&aPage);
    if (!SkipPage()) writePage(aPage);
}

void TppReportTextFileDevice::writePage(TppPage& aPage) {
    std::map<QString, TppDrawText*> texts;
    for (int i = 0; i < aPage.GetDrawCommandCount(); ++i)
        if (auto* text = qobject_cast<TppDrawText*>(aPage.GetDrawCommand(i)))
            texts[QString::asprintf("%8d%8d", text->Top(), text->Left())] = text;
    if (texts.empty()) return;

    int size = m_fontSize;
    if (m_fontSizeFromText) {
        const qreal width = zeroWidth(texts.begin()->second->Font()->Font());
        size = zeroWidth(courierNew(8)) >= width ? 8 : zeroWidth(courierNew(10)) >= width ? 10 : 12;
    }
    const int ppi = report::ScreenPixelsPerInch();
    const paint::TextMetrics cell(courierNew(size), ppi, ppi);
    const int paperWidth = aPage.PageDef()->mmWidth();
    const int paperHeight = aPage.PageDef()->mmHeight();
    int cellWidth = 0;
    int cellHeight = 0;
    if (m_gridFromFont) {
        cellWidth = qRound(ppFromScreenPixels(qRound(cell.TextWidth(QStringLiteral("0"))), TppUnitType::utMMThousandths,
                                              report::kHorizontal, nullptr));
        cellHeight = qRound(ppFromScreenPixels(qRound(cell.Height()), TppUnitType::utMMThousandths, report::kVertical, nullptr));
        if (cellWidth > 0) m_charsPerLine = paperWidth / cellWidth;
        if (cellHeight > 0) m_linesPerPage = paperHeight / cellHeight;
    } else {
        cellWidth = m_charsPerLine > 0 ? paperWidth / m_charsPerLine : 0;
        cellHeight = m_linesPerPage > 0 ? paperHeight / m_linesPerPage : 0;
    }
    if (cellWidth <= 0 || cellHeight <= 0) return;

    int row = 1;
    QString line(m_charsPerLine, QLatin1Char(' '));
    const auto writeLine = [&] {
        QString out = line;
        while (out.endsWith(QLatin1Char(' '))) out.chop(1);
        if (!out.isEmpty()) OutputStream()->write(out.toUtf8());
        if (!(aPage.LastPage() && row == m_linesPerPage)) OutputStream()->write("\r\n");
        ++row;
        line = QString(m_charsPerLine, QLatin1Char(' '));
    };
    auto it = texts.begin();
    while (it != texts.end() && row <= m_linesPerPage) {
        TppDrawText* text = it->second;
        if (text->Top() / cellHeight + 1 == row) {
            const int column = text->Left() / cellWidth + 1;
            int span = text->Width() / cellWidth + 1;
            if (text->AutoSize() && text->Text().size() > span) span = int(text->Text().size());
            const QString cellText = ppPadText(text->Text(), span, int(text->Alignment()));
            if (column - 1 > line.size()) line += QString(column - 1 - line.size(), QLatin1Char(' '));
            line.replace(column - 1, cellText.size(), cellText);
            ++it;
        } else {
            writeLine();
        }
    }
    while (row <= m_linesPerPage) writeLine();
}
