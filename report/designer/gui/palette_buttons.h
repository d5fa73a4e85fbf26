#pragma once

// The drop-down palettes of the designer's Format and Draw toolbars (colours, line
// thicknesses, line styles), the buttons that drop them, the font button that stands in for
// the font boxes in a vertical dock, and the font-name combo box. A palette is made when its
// button first drops it and freed 5 seconds after it last closed.

#include "report/designer/docking/designer_bars.h"
#include "report/designer/docking/drop_down_panel.h"
#include "report/page/report_types.h"

#include "platform/paint/color.h"
#include "platform/paint/graphics.h"

#include <QComboBox>
#include <QImage>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class TppFont;
class TppFontList;
class TppPrinter;
class TppColorPalette;

/// A designer glyph by resource name ("PPBOLD", "PPNEW", ...): a 16 x 16 picture of the
/// packaged icon theme where one fits, else a small lettered picture. The bottom-left pixel is
/// the transparent colour.
QImage ppDesignerGlyph(const QString& aName);

/// A palette: choice buttons, an Enabled flag and the OnSelect handler its button installs.
class TppCustomPalette : public TppDropDownPanel {
    Q_OBJECT
public:
    TppCustomPalette(QWidget* aForm, const QString& aName);

    /// Fires OnSelect, then hides the palette.
    virtual void ButtonClick(QObject* Sender);
    virtual void EnableButtons(bool aValue);
    virtual void SetPaletteEnabled(bool aValue);
    virtual void UpdateButtons();
    bool PaletteEnabled() const { return m_enabled; }

    void AddButton(TppToolbarButton* aButton);
    TppToolbarButton* Buttons(int aIndex) const { return m_buttons.at(aIndex); }
    int ButtonCount() const { return int(m_buttons.size()); }

    std::function<void(QObject* Sender)> OnSelect;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

    QList<TppToolbarButton*> m_buttons;
    bool m_enabled = true;
};

class TppLineStylePalette : public TppCustomPalette {
    Q_OBJECT
public:
    explicit TppLineStylePalette(QWidget* aForm);
    paint::TPenStyle LineStyle() const { return m_style; }
    void SetLineStyle(paint::TPenStyle aStyle);
    void ButtonClick(QObject* Sender) override;

private:
    paint::TPenStyle m_style = paint::TPenStyle::psSolid;
};

class TppLineThicknessPalette : public TppCustomPalette {
    Q_OBJECT
public:
    explicit TppLineThicknessPalette(QWidget* aForm);
    double LineThickness() const { return m_thickness; }
    TppLineStyleType LineStyle() const { return m_style; }
    void SetLineThickness(double aValue);
    void SetLineStyle(TppLineStyleType aStyle);
    void ButtonClick(QObject* Sender) override;

private:
    void pressButtons();
    double m_thickness = 0.75;
    TppLineStyleType m_style = TppLineStyleType::lsSingle;
};

/// The colour palette: the first button (automatic or no colour), sixteen colour boxes in two
/// rows, the last button (the colour dialog). It can be torn off into a floating window.
class TppColorPalette : public TppCustomPalette {
    Q_OBJECT
public:
    explicit TppColorPalette(QWidget* aForm);

    int ColorType() const { return m_colorType; }
    void SetColorType(int aType);
    paint::TColor Color() const { return m_color; }
    bool NoColor() const { return m_noColor; }
    void SetColor(paint::TColor aColor);
    void SetNoColor(bool aValue);
    void SetFirstCaption(const QString& aText);
    void SetLastCaption(const QString& aText);
    QString FirstCaption() const { return m_firstCaption; }
    QString LastCaption() const { return m_lastCaption; }
    virtual void LanguageChanged(int aLanguageIndex);
    void EnableButtons(bool aValue) override;
    void UpdateButtons() override;
    QWidget* CopyControl(QWidget* control, QWidget* parent) override;
    TppToolWindowSkiffrow* CreateTornOffWindow() override;

    TppToolbarButton* FirstButton() const { return m_first; }
    TppToolbarButton* LastButton() const { return m_last; }
    TppToolbarButton* ColorBox(int aIndex) const { return m_boxes.at(aIndex); }
    /// The sixteen colours, row by row.
    static const paint::TColor kColors[16];

    std::function<void(QObject* Sender)> OnColorSelect;

private:
    void firstClick();
    void boxClick(TppToolbarButton* aBox);
    void lastClick();
    void drawFirstPicture();
    void pressButtons();
    void colorSelected();

    int m_colorType = 0;
    paint::TColor m_color = paint::clWindowText;
    bool m_noColor = false;
    int m_languageIndex = 0;
    QString m_firstCaption;
    QString m_lastCaption;
    TppToolbarButton* m_first = nullptr;
    TppToolbarButton* m_last = nullptr;
    QList<TppToolbarButton*> m_boxes;
    QImage m_firstPicture;
};

/// A toolbar button that drops a palette below itself.
class TppCustomPaletteButton : public TppToolbarButton {
    Q_OBJECT
public:
    explicit TppCustomPaletteButton(QWidget* aParent = nullptr);
    ~TppCustomPaletteButton() override;

    bool PaletteEnabled() const { return m_paletteEnabled; }
    void SetPaletteEnabled(bool aValue);
    /// The palette, made on demand (none before the first drop-down or after it was freed).
    TppCustomPalette* Palette() const { return m_palette; }
    /// Stops the free timer and answers the palette, making it when there is none.
    TppCustomPalette* GetDropDownPanel();
    /// Drops the palette down under the button.
    void DropDown();
    void PanelHidden() override;
    QTimer* FreeTimer() const { return m_timer; }

    virtual TppCustomPalette* CreatePalette() = 0;
    virtual void FreePalette();
    virtual void DoPaletteButtonClick();

    std::function<void(QObject* Sender)> OnPaletteButtonClick;

protected:
    void Click() override;
    QPointer<TppCustomPalette> m_palette;

private:
    QTimer* m_timer;
    bool m_paletteEnabled = true;
};

class TppColorButton : public TppCustomPaletteButton {
    Q_OBJECT
public:
    explicit TppColorButton(QWidget* aParent = nullptr);

    int ColorType() const { return m_colorType; }
    void SetColorType(int aType);
    bool GetSelectedColor(paint::TColor& aColor, bool& aNoColor) const;
    void SetSelectedColor(paint::TColor aColor, bool aNoColor);
    bool GetPaletteColor(paint::TColor& aColor, bool& aNoColor) const;
    void SetPaletteColor(paint::TColor aColor, bool aNoColor);
    paint::TColor SelectedColor() const { return m_selected; }
    bool SelectedNoColor() const { return m_selectedNoColor; }
    virtual void LanguageChanged(int aLanguageIndex);
    TppCustomPalette* CreatePalette() override;
    void FreePalette() override;
    TppColorPalette* ColorPalette() const;
    /// The colour strip at the glyph's bottom, (0, 12)-(16, 16).
    QColor StripColor() const;

    std::function<void(QObject* Sender)> OnColorChange;

protected:
    void Click() override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void drawStrip();
    void paletteColorSelected();

    int m_colorType = 0;
    paint::TColor m_selected = paint::clWindowText;
    bool m_selectedNoColor = false;
    paint::TColor m_paletteColor = paint::clWindowText;
    bool m_paletteNoColor = false;
    int m_languageIndex = 0;
    QImage m_glyph;
};

class TppLineStyleButton : public TppCustomPaletteButton {
    Q_OBJECT
public:
    explicit TppLineStyleButton(QWidget* aParent = nullptr);
    paint::TPenStyle LineStyle() const { return m_style; }
    void SetLineStyle(paint::TPenStyle aStyle);
    TppCustomPalette* CreatePalette() override;
    void DoPaletteButtonClick() override;

private:
    paint::TPenStyle m_style = paint::TPenStyle::psSolid;
};

class TppLineThicknessButton : public TppCustomPaletteButton {
    Q_OBJECT
public:
    explicit TppLineThicknessButton(QWidget* aParent = nullptr);
    double LineThickness() const { return m_thickness; }
    void SetLineThickness(double aValue);
    TppLineStyleType LineStyle() const { return m_style; }
    void SetLineStyle(TppLineStyleType aStyle);
    TppCustomPalette* CreatePalette() override;
    void DoPaletteButtonClick() override;

private:
    double m_thickness = 0.75;
    TppLineStyleType m_style = TppLineStyleType::lsSingle;
};

/// Stands in for the font name or size box in a vertical dock: a click opens the printer
/// font dialog with the button's font and, after OK, takes its font and clicks.
class TppFontButton : public TppToolbarButton {
    Q_OBJECT
public:
    explicit TppFontButton(QWidget* aParent = nullptr);
    ~TppFontButton() override;
    TppFont* Font() const { return m_font.get(); }
    void SetFont(const TppFont* aFont);
    bool ShowsSize() const { return m_showsSize; }
    void SetShowsSize(bool aValue);

protected:
    void Click() override;

private:
    std::unique_ptr<TppFont> m_font;
    bool m_showsSize = false;
};

/// The font-name box: sorted, drawn by itself with the TrueType or printer-font glyph before
/// each name while the list is down.
class TppFontComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TppFontComboBox(QWidget* aParent = nullptr);
    ~TppFontComboBox() override;

    void LoadFonts();
    /// The working font: the box's text as name, the selected item's character set.
    TppFont* GetFont();
    void SetFontName(const QString& aName);
    std::function<void(QObject* Sender, TppPrinter*& Printer)> OnGetPrinter;
    /// Whether a name is a TrueType face (drawn with that glyph).
    bool IsTrueType(int aIndex) const;

    void showPopup() override;
    void hidePopup() override;

private:
    class Delegate;
    std::unique_ptr<TppFontList> m_fonts;
    QString m_printerName;
    std::unique_ptr<TppFont> m_font;
    bool m_dropped = false;
    friend class Delegate;
};
