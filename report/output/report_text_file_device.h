#pragma once

#include "report/output/file_device.h"

/// Writes each page as a grid of characters, so that a plain text file looks like the
/// printed page: every text command sits at the row and column of its position, cut or
/// padded to the cells it spans. Every page takes exactly LinesPerPage lines (trailing
/// blanks trimmed); the file is UTF-8 and ends without a line break.
class TppReportTextFileDevice : public TppFileDevice {
    Q_OBJECT
    Q_CLASSINFO("DeviceName", "ReportTextFile")
public:
    Q_INVOKABLE explicit TppReportTextFileDevice(TComponent* AOwner = nullptr);

    /// Derive the grid from the character size of the chosen font.
    bool GridFromFont() const { return m_gridFromFont; }
    void SetGridFromFont(bool v) { m_gridFromFont = v; }
    /// Choose the font size from the page's first text.
    bool FontSizeFromText() const { return m_fontSizeFromText; }
    void SetFontSizeFromText(bool v) { m_fontSizeFromText = v; }
    int CharsPerLine() const { return m_charsPerLine; }
    void SetCharsPerLine(int v) { m_charsPerLine = v; }
    int LinesPerPage() const { return m_linesPerPage; }
    void SetLinesPerPage(int v) { m_linesPerPage = v; }
    /// Point size of Courier New when it is not taken from the text.
    int FontSize() const { return m_fontSize; }
    void SetFontSize(int v) { m_fontSize = v; }

    QString DefaultExt() const override { return QStringLiteral("txt"); }
    QString FileFilter() const override { return QStringLiteral("Text files|*.TXT|All files|*.*"); }
    QString Description() const override;

    void ReceivePage(TppPage& aPage) override;

private:
    void writePage(TppPage& aPage);

    bool m_gridFromFont = true;
    bool m_fontSizeFromText = true;
    int m_charsPerLine = 80;
    int m_linesPerPage = 66;
    int m_fontSize = 12;
};
