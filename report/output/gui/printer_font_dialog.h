#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QListWidget;
class QSpinBox;
class TppFont;
class TppPrinter;

/// The font dialog of the report printer: the faces the printer can print (the installed
/// families, which the print system renders), a size and the four styles, with a sample.
/// Execute runs it modally through the dialog service; after OK, Font holds the choice.
class TppPrinterFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit TppPrinterFontDialog(QWidget* aParent = nullptr);
    ~TppPrinterFontDialog() override;

    /// The font shown first (copied).
    void SetFont(const TppFont* aFont);
    /// The font chosen (the one set until OK).
    TppFont* Font() const { return m_font.get(); }
    TppPrinter* Printer() const { return m_printer; }
    /// Set before Execute; the list shows this printer's fonts (none: the default printer's).
    void SetPrinter(TppPrinter* aPrinter) { m_printer = aPrinter; }
    /// True when the user chose OK (Font is then the choice).
    bool Execute();

private:
    void fillFaces();
    void showFont();
    void updateSample();
    void takeChoice();

    std::unique_ptr<TppFont> m_font;
    TppPrinter* m_printer = nullptr;
    QListWidget* m_faces = nullptr;
    QSpinBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_strikeOut = nullptr;
    QLabel* m_sample = nullptr;
};
