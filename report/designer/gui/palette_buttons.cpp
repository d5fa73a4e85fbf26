#include "report/designer/gui/palette_buttons.h"

#include "report/designer/docking/skiffrow.h"
#include "report/designer/docking/tool_window_skiffrow.h"
#include "report/output/gui/printer_font_dialog.h"
#include "report/output/printer.h"
#include "report/page/report_font.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/ui/dialog_service.h"

#include <QColorDialog>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <cmath>

namespace {

/// Glyph names drawn with a picture of the icon theme.
const QHash<QString, QString>& themeNames() {
    static const QHash<QString, QString> names{
        {"PPNEW", "document-new"},           {"PPOPEN", "document-open"},
        {"PPSAVE", "document-save"},         {"PPPAGESETUP", "document-page-setup"},
        {"PPPRINT", "document-print"},       {"PPPRINTPREVIEW", "document-print-preview"},
        {"PPCUT", "edit-cut"},               {"PPCOPY", "edit-copy"},
        {"PPPASTE", "edit-paste"},           {"PPBOLD", "format-text-bold"},
        {"PPITALIC", "format-text-italic"},  {"PPUNDERLINE", "format-text-underline"},
        {"PPALIGNLEFT", "format-justify-left"}, {"PPALIGNCENTER", "format-justify-center"},
        {"PPALIGNRIGHT", "format-justify-right"}, {"PPNUDGEUP", "go-up"},
        {"PPNUDGEDOWN", "go-down"},          {"PPNUDGELEFT", "go-previous"},
        {"PPNUDGERIGHT", "go-next"},         {"PPSELECTOBJECT", "edit-select"},
        {"PPFONTNAME", "font-select"},       {"PPFONTSIZE", "font-select"},
        {"PPBRINGTOFRONT", "go-top"},        {"PPSENDTOBACK", "go-bottom"},
        {"TPPIMAGE", "insert-image"},        {"TPPDBIMAGE", "insert-image"},
        {"TPPLABEL", "insert-text"},
    };
    return names;
}

/// Short letters for glyphs without a theme picture.
QString lettersOf(const QString& aName) {
    static const QHash<QString, QString> letters{
        {"TPPDBTEXT", "Ab"}, {"TPPMEMO", "M"},      {"TPPDBMEMO", "M"},   {"TPPRICHTEXT", "R"},
        {"TPPDBRICHTEXT", "R"}, {"TPPDBCALC", "\u03a3"}, {"TPPVARIABLE", "x"}, {"TPPSYSTEMVARIABLE", "#"},
        {"TPPSHAPE", "\u25a1"}, {"TPPLINE", "\u2014"}, {"TPPBARCODE", "|||"}, {"TPPDBBARCODE", "|||"},
        {"TPPREGION", "[ ]"}, {"TPPSUBREPORT", "S"}, {"PPNOBITMAP", "?"},
        {"PPALIGNLEFTEDGES", "|\u2190"}, {"PPALIGNVERTICALCENTERS", "\u2194"}, {"PPALIGNRIGHTEDGES", "\u2192|"},
        {"PPALIGNTOPEDGES", "\u2191"}, {"PPALIGNHORIZONTALCENTERS", "\u2195"}, {"PPALIGNBOTTOMEDGES", "\u2193"},
        {"PPSPACEHORIZONTALLY", "\u21d4"}, {"PPSPACEVERTICALLY", "\u21d5"}, {"PPCENTERHORIZONTALLY", "\u2295"},
        {"PPCENTERVERTICALLY", "\u229c"}, {"PPSHRINKWIDTH", "\u2192\u2190"}, {"PPGROWWIDTH", "\u2190\u2192"},
        {"PPSHRINKHEIGHT", "\u2193\u2191"}, {"PPGROWHEIGHT", "\u2191\u2193"},
    };
    const QString l = letters.value(aName);
    return l.isEmpty() ? aName.mid(aName.startsWith(QLatin1String("TPP")) ? 3 : 2, 2) : l;
}

const QColor kGlyphBack(236, 236, 236);

}  // namespace

QImage ppDesignerGlyph(const QString& aName) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(kGlyphBack);
    QPainter p(&img);
    const QString theme = themeNames().value(aName.toUpper());
    const QString path =
        QStringLiteral("/usr/share/icons/Adwaita/16x16/actions/%1-symbolic.symbolic.png").arg(theme);
    if (!theme.isEmpty() && QFileInfo::exists(path)) {
        p.drawImage(0, 0, QImage(path));
    } else if (aName.startsWith(QLatin1String("PPLINE")) || aName.startsWith(QLatin1String("PPDOUBLELINE")) ||
               aName.startsWith(QLatin1String("PPSTYLE"))) {
        p.setPen(Qt::black);
        p.drawLine(1, 8, 14, 8);
    } else {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(40, 40, 40));
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, lettersOf(aName.toUpper()));
    }
    p.end();
    img.setPixel(0, 15, kGlyphBack.rgb());
    return img;
}

// Palettes -----------------------------------------------------------------------------------

TppCustomPalette::TppCustomPalette(QWidget* aForm, const QString& aName) : TppDropDownPanel(aForm, aName) {}

void TppCustomPalette::ButtonClick(QObject* Sender) {
    if (OnSelect) OnSelect(Sender);
    hide();
}

void TppCustomPalette::EnableButtons(bool aValue) {
    const bool current = m_buttons.isEmpty() ? true : m_buttons.first()->isEnabled();
    if (current == aValue) return;
    for (TppToolbarButton* b : m_buttons) b->setEnabled(aValue);
}

void TppCustomPalette::SetPaletteEnabled(bool aValue) {
    if (aValue == m_enabled) return;
    m_enabled = aValue;
    if (isVisible()) EnableButtons(aValue);
}

void TppCustomPalette::UpdateButtons() {
    if (isVisible()) EnableButtons(m_enabled);
}

void TppCustomPalette::AddButton(TppToolbarButton* aButton) {
    aButton->OnClick = [this, aButton] { ButtonClick(aButton); };
    m_buttons << aButton;
}

void TppCustomPalette::showEvent(QShowEvent* e) {
    TppDropDownPanel::showEvent(e);
    UpdateButtons();
}

void TppCustomPalette::hideEvent(QHideEvent* e) {
    TppDropDownPanel::hideEvent(e);
    UpdateButtons();
}

namespace {

TppToolbarButton* choiceButton(QWidget* parent, const QString& name, const QString& glyph, int tag, QRect r) {
    auto* b = new TppToolbarButton(parent);
    b->setObjectName(name);
    b->setProperty("Tag", tag);
    b->SetGlyph(ppDesignerGlyph(glyph));
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);  // a value that no choice has presses none
    b->setGeometry(r);
    return b;
}

struct ThicknessChoice {
    const char* glyph;
    double thickness;
    TppLineStyleType style;
};
const ThicknessChoice kThickness[13] = {
    {"PPLINE18", 0.125, TppLineStyleType::lsSingle}, {"PPLINE14", 0.25, TppLineStyleType::lsSingle},
    {"PPLINE12", 0.5, TppLineStyleType::lsSingle},   {"PPLINE34", 0.75, TppLineStyleType::lsSingle},
    {"PPLINE1", 1, TppLineStyleType::lsSingle},      {"PPLINE112", 1.5, TppLineStyleType::lsSingle},
    {"PPLINE214", 2.25, TppLineStyleType::lsSingle}, {"PPLINE3", 3, TppLineStyleType::lsSingle},
    {"PPLINE412", 4.5, TppLineStyleType::lsSingle},  {"PPLINE6", 6, TppLineStyleType::lsSingle},
    {"PPDOUBLELINE3", 3, TppLineStyleType::lsDouble}, {"PPDOUBLELINE412", 4.5, TppLineStyleType::lsDouble},
    {"PPDOUBLELINE6", 6, TppLineStyleType::lsDouble},
};
const char* const kStyleGlyphs[5] = {"PPSTYLESOLID", "PPSTYLEDOT", "PPSTYLEDASH", "PPSTYLEDASHDOT", "PPSTYLEDASHDOTDOT"};
const paint::TPenStyle kStyles[5] = {paint::TPenStyle::psSolid, paint::TPenStyle::psDot, paint::TPenStyle::psDash,
                                     paint::TPenStyle::psDashDot, paint::TPenStyle::psDashDotDot};

/// A picture of a line choice: the pen style or the thickness (double lines as two).
QImage linePicture(int w, int h, paint::TPenStyle style, double points, bool dbl) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kGlyphBack);
    QPainter p(&img);
    QPen pen(Qt::black);
    const Qt::PenStyle qs[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
    pen.setStyle(qs[std::min(int(style), 4)]);
    const int px = std::max(1, int(std::lround(points * 96 / 72.0)));
    pen.setWidth(dbl ? std::max(1, px / 3) : px);
    p.setPen(pen);
    if (dbl) {
        p.drawLine(4, h / 2 - px / 2, w - 5, h / 2 - px / 2);
        p.drawLine(4, h / 2 + px / 2, w - 5, h / 2 + px / 2);
    } else {
        p.drawLine(4, h / 2, w - 5, h / 2);
    }
    p.end();
    img.setPixel(0, h - 1, kGlyphBack.rgb());
    return img;
}

}  // namespace

TppLineStylePalette::TppLineStylePalette(QWidget* aForm) : TppCustomPalette(aForm, QStringLiteral("LineStylePalette")) {
    resize(104, 77);
    int y = 3;
    for (int i = 0; i < 5; ++i) {
        TppToolbarButton* b =
            choiceButton(this, QString::fromLatin1(kStyleGlyphs[i]), QString::fromLatin1(kStyleGlyphs[i]), i, QRect(3, y, 98, 14));
        b->SetGlyph(linePicture(90, 12, kStyles[i], 0.75, false));
        y += 14;
        AddButton(b);
    }
    SetLineStyle(m_style);
}

void TppLineStylePalette::SetLineStyle(paint::TPenStyle aStyle) {
    m_style = aStyle;
    for (int i = 0; i < m_buttons.size(); ++i) m_buttons[i]->SetDown(kStyles[i] == aStyle);
    update();
}

void TppLineStylePalette::ButtonClick(QObject* Sender) {
    const int tag = Sender->property("Tag").toInt();
    if (tag >= 0 && tag < 5) m_style = kStyles[tag];
    TppCustomPalette::ButtonClick(Sender);
}

TppLineThicknessPalette::TppLineThicknessPalette(QWidget* aForm)
    : TppCustomPalette(aForm, QStringLiteral("LineThicknessPalette")) {
    resize(134, 215);
    int y = 3;
    for (int i = 0; i < 13; ++i) {
        const ThicknessChoice& c = kThickness[i];
        TppToolbarButton* b = choiceButton(this, QString::fromLatin1(c.glyph), QString::fromLatin1(c.glyph), i, QRect(3, y, 128, 16));
        b->SetGlyph(linePicture(120, 14, paint::TPenStyle::psSolid, c.thickness, c.style == TppLineStyleType::lsDouble));
        y += 16;
        AddButton(b);
    }
    pressButtons();
}

void TppLineThicknessPalette::pressButtons() {
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->SetDown(kThickness[i].thickness == m_thickness && kThickness[i].style == m_style);
    update();
}

void TppLineThicknessPalette::SetLineThickness(double aValue) {
    m_thickness = aValue;
    pressButtons();
}

void TppLineThicknessPalette::SetLineStyle(TppLineStyleType aStyle) {
    m_style = aStyle;
    pressButtons();
}

void TppLineThicknessPalette::ButtonClick(QObject* Sender) {
    const int tag = Sender->property("Tag").toInt();
    if (tag >= 0 && tag < 13) {
        m_thickness = kThickness[tag].thickness;
        m_style = kThickness[tag].style;
    }
    TppCustomPalette::ButtonClick(Sender);
}

// Colour palette -----------------------------------------------------------------------------

const paint::TColor TppColorPalette::kColors[16] = {
    paint::clBlack, paint::clGray,   paint::clMaroon, paint::clOlive,  paint::clGreen, paint::clTeal,
    paint::clNavy,  paint::clPurple, paint::clWhite,  paint::clSilver, paint::clRed,   paint::clYellow,
    paint::clLime,  paint::clAqua,   paint::clBlue,   paint::clFuchsia};

namespace {

struct ColorTexts {
    int hint, first, last;
};
ColorTexts colorTexts(int type) {
    switch (type) {
    case 0: return {480, 472, 473};
    case 1: return {483, 478, 479};
    case 2: return {482, 476, 477};
    case 3: return {481, 474, 475};
    default: return {0, 0, 0};
    }
}

}  // namespace

TppColorPalette::TppColorPalette(QWidget* aForm) : TppCustomPalette(aForm, QStringLiteral("ColorPalette")) {
    resize(150, 103);
    // Scale from the font: 11 pixels is the size the layout was made for.
    QFont f = font();
    if (auto* form = qobject_cast<QMainWindow*>(parentWidget())) f = form->font();
    const double size = f.pointSizeF() > 0 ? f.pointSizeF() : 8;
    const int pixels = int(std::lround(size * report::ScreenPixelsPerInch() / 72.0));
    const double factor = pixels == 11 ? 1.0 : pixels / 11.0;
    const int h = int(std::lround(23 * factor));
    m_first = new TppToolbarButton(this);
    m_first->setObjectName(QStringLiteral("FirstButton"));
    m_first->setGeometry(3, 2, 144, h);
    m_first->SetGroupIndex(1);
    m_first->SetAllowAllUp(true);
    m_first->OnClick = [this] { firstClick(); };
    const int top = m_first->geometry().bottom() + 1 + 4;
    for (int i = 0; i < 16; ++i) {
        auto* b = new TppToolbarButton(this);
        b->setObjectName(QStringLiteral("ColorBox%1").arg(i));
        b->setProperty("Tag", int(kColors[i]));
        b->SetGroupIndex(1);
        b->SetAllowAllUp(true);
        b->setGeometry(3 + (i % 8) * 18, top + (i / 8) * 18, 18, 18);
        QImage glyph(12, 12, QImage::Format_RGB32);
        glyph.fill(kGlyphBack);
        QPainter p(&glyph);
        p.fillRect(QRect(1, 1, 10, 10), paint::ToQColor(kColors[i]));
        p.setPen(Qt::gray);
        p.drawRect(QRect(1, 1, 9, 9));
        p.end();
        glyph.setPixel(0, 11, kGlyphBack.rgb());
        b->SetGlyph(glyph);
        b->OnClick = [this, b] { boxClick(b); };
        m_boxes << b;
    }
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(3, m_first->geometry().bottom() + 1 + 43, width() - 6, 3);
    m_last = new TppToolbarButton(this);
    m_last->setObjectName(QStringLiteral("LastButton"));
    m_last->setGeometry(3, m_first->geometry().bottom() + 1 + 47, 142, h);
    m_last->OnClick = [this] { lastClick(); };
    m_buttons << m_first;
    m_buttons << m_boxes;
    m_buttons << m_last;
    resize(width(), m_last->geometry().bottom() + 1 + 3);
    SetTearOff(true);
    LanguageChanged(m_languageIndex);
}

void TppColorPalette::drawFirstPicture() {
    const QSize s = m_first->size() - QSize(2, 2);
    QImage img(s, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(QRect(QPoint(2, 2), QPoint(s.width() - 3, s.height() - 2)));
    const int h = s.height();
    if (m_colorType == 0) {
        p.drawRect(QRect(QPoint(5, 4), QPoint(h - 5, h - 5)));
        p.fillRect(QRect(QPoint(6, 5), QPoint(h - 6, h - 6)), m_enabled ? QColor(Qt::black) : QColor(Qt::white));
    }
    p.setPen(Qt::black);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    p.setFont(f);
    p.drawText(QRect(0, 0, s.width(), h), Qt::AlignCenter, QString(m_firstCaption).remove(QLatin1Char('&')));
    p.end();
    img.setPixel(0, h - 1, qRgb(255, 255, 255));
    m_firstPicture = img;
    m_first->SetGlyph(img);
}

void TppColorPalette::pressButtons() {
    const bool firstDown = m_colorType == 0 ? m_color == paint::clWindowText && !m_noColor : m_noColor;
    m_first->SetDown(firstDown);
    for (TppToolbarButton* b : m_boxes) b->SetDown(!firstDown && b->property("Tag").toInt() == m_color);
}

void TppColorPalette::EnableButtons(bool aValue) {
    TppCustomPalette::EnableButtons(aValue);
    drawFirstPicture();
}

void TppColorPalette::UpdateButtons() {
    TppCustomPalette::UpdateButtons();
    pressButtons();
}

void TppColorPalette::colorSelected() {
    if (OnColorSelect) OnColorSelect(this);
}

void TppColorPalette::firstClick() {
    if (m_colorType == 0) {
        m_color = paint::clWindowText;
        m_noColor = false;
    } else {
        m_noColor = true;
        m_color = paint::clWindow;
    }
    if (isVisible()) {
        UpdateButtons();
        hide();
    }
    colorSelected();
}

void TppColorPalette::boxClick(TppToolbarButton* aBox) {
    m_noColor = false;
    m_color = aBox->property("Tag").toInt();
    colorSelected();
    hide();
    UpdateButtons();
}

void TppColorPalette::lastClick() {
    QColorDialog dialog(paint::ToQColor(m_color), this);
    dialog.setObjectName(QStringLiteral("ColorDialog"));
    if (ui::ExecModal(dialog) == QDialog::Accepted) {
        m_noColor = false;
        const QColor c = dialog.selectedColor();
        m_color = paint::TColor(c.red() | (c.green() << 8) | (c.blue() << 16));
    }
    hide();
    colorSelected();
}

void TppColorPalette::SetColorType(int aType) {
    m_colorType = aType;
    m_noColor = aType != 0;
    m_color = paint::clWindowText;
    LanguageChanged(m_languageIndex);
    colorSelected();
}

void TppColorPalette::SetColor(paint::TColor aColor) {
    m_color = aColor;
    pressButtons();
}

void TppColorPalette::SetNoColor(bool aValue) {
    m_noColor = aValue;
    pressButtons();
}

void TppColorPalette::SetFirstCaption(const QString& aText) {
    m_firstCaption = aText;
    drawFirstPicture();
}

void TppColorPalette::SetLastCaption(const QString& aText) {
    m_lastCaption = aText;
    m_last->SetCaption(aText);
}

void TppColorPalette::LanguageChanged(int aLanguageIndex) {
    m_languageIndex = aLanguageIndex;
    SetTearOffHint(ppGetMessageText(207));
    const ColorTexts t = colorTexts(m_colorType);
    if (t.first) SetFirstCaption(ppGetMessageText(t.first));
    SetLastCaption(t.last ? ppGetMessageText(t.last) : QStringLiteral("More Colors..."));
    if (TornOffWindow() && t.hint) TornOffWindow()->SetCaption(ppGetMessageText(t.hint));
    pressButtons();
}

TppToolWindowSkiffrow* TppColorPalette::CreateTornOffWindow() {
    TppToolWindowSkiffrow* w = TppDropDownPanel::CreateTornOffWindow();
    const ColorTexts t = colorTexts(m_colorType);
    if (w && t.hint) w->SetCaption(ppGetMessageText(t.hint));
    return w;
}

QWidget* TppColorPalette::CopyControl(QWidget* control, QWidget* parent) {
    // The copies act as the originals: the first and last buttons and the colour boxes.
    auto* source = qobject_cast<TppToolbarButton*>(control);
    if (!source) return TppDropDownPanel::CopyControl(control, parent);
    auto* copy = new TppToolbarButton(parent);
    copy->setObjectName(source->objectName());
    copy->setGeometry(source->geometry());
    copy->SetCaption(source->Caption());
    copy->SetGlyph(source == m_first ? m_firstPicture : source->GlyphHolder().Glyph());
    copy->setProperty("Tag", source->property("Tag"));
    if (source == m_first) copy->OnClick = [this] { firstClick(); };
    else if (source == m_last) copy->OnClick = [this] { lastClick(); };
    else copy->OnClick = [this, source] { boxClick(source); };
    return copy;
}

// Palette buttons ----------------------------------------------------------------------------

TppCustomPaletteButton::TppCustomPaletteButton(QWidget* aParent) : TppToolbarButton(aParent), m_timer(new QTimer) {
    m_timer->setObjectName(QStringLiteral("PaletteFreeTimer"));
    m_timer->setInterval(5000);
    m_timer->setSingleShot(false);
    QObject::connect(m_timer, &QTimer::timeout, this, [this] {
        if (PanelActive()) return;
        m_timer->stop();
        FreePalette();
    });
}

TppCustomPaletteButton::~TppCustomPaletteButton() {
    delete m_timer;
    delete m_palette.data();
}

void TppCustomPaletteButton::SetPaletteEnabled(bool aValue) {
    if (aValue == m_paletteEnabled) return;
    m_paletteEnabled = aValue;
    if (m_palette) m_palette->SetPaletteEnabled(aValue);
}

TppCustomPalette* TppCustomPaletteButton::GetDropDownPanel() {
    m_timer->stop();
    if (m_palette) return m_palette;
    TppCustomPalette* palette = CreatePalette();
    palette->hide();
    palette->SetPaletteEnabled(m_paletteEnabled);
    palette->OnSelect = [this](QObject*) { DoPaletteButtonClick(); };
    m_palette = palette;
    SetDropDownPanel(palette);
    palette->SetButton(this);
    return palette;
}

void TppCustomPaletteButton::DropDown() {
    GetDropDownPanel();
    SetDropDownActive(true);
}

void TppCustomPaletteButton::Click() {
    GetDropDownPanel();
    TppToolbarButton::Click();
}

void TppCustomPaletteButton::PanelHidden() {
    TppToolbarButton::PanelHidden();
    m_timer->start();
}

void TppCustomPaletteButton::FreePalette() {
    SetDropDownPanel(nullptr);
    delete m_palette.data();
}

void TppCustomPaletteButton::DoPaletteButtonClick() {
    if (OnPaletteButtonClick) OnPaletteButtonClick(this);
}

TppColorButton::TppColorButton(QWidget* aParent) : TppCustomPaletteButton(aParent) {
    SetDropdownCombo(true);
    SetDropdownArrow(true);
    SetColorType(0);
}

TppColorPalette* TppColorButton::ColorPalette() const { return qobject_cast<TppColorPalette*>(m_palette.data()); }

void TppColorButton::SetColorType(int aType) {
    m_colorType = aType;
    static const char* const glyphs[4] = {"PPFONTCOLOR", "PPLINECOLOR", "PPFILLCOLOR", "PPHIGHLIGHTCOLOR"};
    static const char* const letters[4] = {"A", "\u2571", "\u25a7", "ab"};
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(kGlyphBack);
    QPainter p(&img);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRect(0, 0, 16, 12), Qt::AlignCenter, QString::fromUtf8(letters[std::clamp(aType, 0, 3)]));
    p.end();
    Q_UNUSED(glyphs);
    m_glyph = img;
    if (ColorPalette()) ColorPalette()->SetColorType(aType);
    LanguageChanged(m_languageIndex);
    drawStrip();
}

void TppColorButton::LanguageChanged(int aLanguageIndex) {
    m_languageIndex = aLanguageIndex;
    const ColorTexts t = colorTexts(m_colorType);
    if (t.hint) SetHint(ppGetMessageText(t.hint));
    if (ColorPalette()) ColorPalette()->LanguageChanged(aLanguageIndex);
}

QColor TppColorButton::StripColor() const {
    return m_selectedNoColor ? paint::ToQColor(paint::clBtnFace) : paint::ToQColor(m_selected);
}

void TppColorButton::drawStrip() {
    QImage img = m_glyph;
    QPainter p(&img);
    p.fillRect(QRect(QPoint(0, 12), QPoint(15, 15)), StripColor());
    p.end();
    img.setPixel(0, 15, kGlyphBack.rgb());
    // The strip's corner is the transparent colour: keep it out of the strip.
    QImage shown(16, 17, QImage::Format_RGB32);
    shown.fill(kGlyphBack);
    QPainter s(&shown);
    s.drawImage(0, 0, img);
    s.fillRect(QRect(QPoint(0, 12), QPoint(15, 15)), StripColor());
    s.end();
    SetGlyph(shown);
    update();
}

bool TppColorButton::GetSelectedColor(paint::TColor& aColor, bool& aNoColor) const {
    aColor = m_selected;
    aNoColor = m_selectedNoColor;
    return aNoColor;
}

void TppColorButton::SetSelectedColor(paint::TColor aColor, bool aNoColor) {
    m_selected = aColor;
    m_selectedNoColor = aNoColor;
    drawStrip();
}

bool TppColorButton::GetPaletteColor(paint::TColor& aColor, bool& aNoColor) const {
    aColor = m_paletteColor;
    aNoColor = m_paletteNoColor;
    return aNoColor;
}

void TppColorButton::SetPaletteColor(paint::TColor aColor, bool aNoColor) {
    m_paletteColor = aColor;
    m_paletteNoColor = aNoColor;
    if (TppColorPalette* p = ColorPalette()) {
        if (p->Color() != aColor) p->SetColor(aColor);
        if (p->NoColor() != aNoColor) p->SetNoColor(aNoColor);
    }
}

TppCustomPalette* TppColorButton::CreatePalette() {
    auto* palette = new TppColorPalette(window());
    palette->SetColorType(m_colorType);
    palette->SetColor(m_paletteColor);
    palette->SetNoColor(m_paletteNoColor);
    palette->OnColorSelect = [this](QObject*) { paletteColorSelected(); };
    palette->LanguageChanged(m_languageIndex);
    return palette;
}

void TppColorButton::FreePalette() {
    // A palette torn off into a floating window stays while that window shows.
    if (TppColorPalette* p = ColorPalette(); p && p->TornOffWindow() && p->TornOffWindow()->Visible()) return;
    TppCustomPaletteButton::FreePalette();
}

void TppColorButton::paletteColorSelected() {
    TppColorPalette* p = ColorPalette();
    if (!p) return;
    m_paletteColor = m_selected = p->Color();
    m_paletteNoColor = m_selectedNoColor = p->NoColor();
    drawStrip();
    if (OnColorChange) OnColorChange(this);
    DoPaletteButtonClick();
}

void TppColorButton::Click() {
    // The face applies the colour it shows; the arrow (mousePressEvent) drops the palette.
    TppToolbarButtonSkiffrow::Click();
}

void TppColorButton::mousePressEvent(QMouseEvent* e) {
    if (isEnabled() && e->button() == Qt::LeftButton && e->position().x() >= width() - kArrowWidth) {
        if (PanelActive()) SetDropDownActive(false);
        else DropDown();
        e->accept();
        return;
    }
    TppCustomPaletteButton::mousePressEvent(e);
}

TppLineStyleButton::TppLineStyleButton(QWidget* aParent) : TppCustomPaletteButton(aParent) {
    SetGlyph(linePicture(16, 16, paint::TPenStyle::psDash, 1, false));
}

void TppLineStyleButton::SetLineStyle(paint::TPenStyle aStyle) {
    m_style = aStyle;
    if (auto* p = qobject_cast<TppLineStylePalette*>(m_palette.data())) p->SetLineStyle(aStyle);
}

TppCustomPalette* TppLineStyleButton::CreatePalette() {
    auto* p = new TppLineStylePalette(window());
    p->SetLineStyle(m_style);
    return p;
}

void TppLineStyleButton::DoPaletteButtonClick() {
    if (auto* p = qobject_cast<TppLineStylePalette*>(m_palette.data())) m_style = p->LineStyle();
    TppCustomPaletteButton::DoPaletteButtonClick();
}

TppLineThicknessButton::TppLineThicknessButton(QWidget* aParent) : TppCustomPaletteButton(aParent) {
    SetGlyph(linePicture(16, 16, paint::TPenStyle::psSolid, 2.25, false));
}

void TppLineThicknessButton::SetLineThickness(double aValue) {
    if (aValue == m_thickness) return;
    m_thickness = aValue;
    if (auto* p = qobject_cast<TppLineThicknessPalette*>(m_palette.data())) p->SetLineThickness(aValue);
}

void TppLineThicknessButton::SetLineStyle(TppLineStyleType aStyle) {
    m_style = aStyle;
    if (auto* p = qobject_cast<TppLineThicknessPalette*>(m_palette.data())) p->SetLineStyle(aStyle);
}

TppCustomPalette* TppLineThicknessButton::CreatePalette() {
    auto* p = new TppLineThicknessPalette(window());
    p->SetLineStyle(m_style);
    p->SetLineThickness(m_thickness);
    return p;
}

void TppLineThicknessButton::DoPaletteButtonClick() {
    if (auto* p = qobject_cast<TppLineThicknessPalette*>(m_palette.data())) {
        m_thickness = p->LineThickness();
        m_style = p->LineStyle();
    }
    TppCustomPaletteButton::DoPaletteButtonClick();
}

// Font button and font box -------------------------------------------------------------------

TppFontButton::TppFontButton(QWidget* aParent) : TppToolbarButton(aParent), m_font(std::make_unique<TppFont>()) {
    SetShowsSize(false);
}

TppFontButton::~TppFontButton() = default;

void TppFontButton::SetFont(const TppFont* aFont) {
    if (aFont) m_font->Assign(const_cast<TppFont*>(aFont));
}

void TppFontButton::SetShowsSize(bool aValue) {
    m_showsSize = aValue;
    SetGlyph(ppDesignerGlyph(aValue ? QStringLiteral("PPFONTSIZE") : QStringLiteral("PPFONTNAME")));
}

void TppFontButton::Click() {
    TppPrinterFontDialog dialog(window());
    dialog.SetPrinter(ppGetPrinter());
    dialog.SetFont(m_font.get());
    if (dialog.Execute()) m_font->Assign(dialog.Font());
    TppToolbarButton::Click();
}

class TppFontComboBox::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(TppFontComboBox* box) : QStyledItemDelegate(box), m_box(box) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {m_box->width(), int(report::ScreenPixelsPerInch() * 0.15625)};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        int x = option.rect.left() + 1;
        // The glyph shows only while the list is down.
        if (m_box->m_dropped) {
            const QRect g(x, option.rect.top() + 2, 11, option.rect.height() - 4);
            p->setPen(selected ? option.palette.color(QPalette::HighlightedText) : QColor(0, 0, 128));
            QFont f = p->font();
            f.setPixelSize(g.height());
            f.setBold(true);
            p->save();
            p->setFont(f);
            p->drawText(g, Qt::AlignCenter, m_box->IsTrueType(index.row()) ? QStringLiteral("T") : QStringLiteral("P"));
            p->restore();
            x += 11 + 3;
        }
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(QRect(x, option.rect.top(), option.rect.right() - x, option.rect.height()), Qt::AlignVCenter,
                    index.data().toString());
    }

private:
    TppFontComboBox* m_box;
};

TppFontComboBox::TppFontComboBox(QWidget* aParent) : QComboBox(aParent), m_font(std::make_unique<TppFont>()) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setItemDelegate(new Delegate(this));
}

TppFontComboBox::~TppFontComboBox() = default;

bool TppFontComboBox::IsTrueType(int aIndex) const {
    if (!m_fonts) return true;
    const int i = m_fonts->IndexOf(itemText(aIndex));
    // Pitch-and-family bit 2 marks a TrueType face.
    return i < 0 || (m_fonts->FontInfo(i).PitchAndFamily & 0x04);
}

void TppFontComboBox::LoadFonts() {
    TppPrinter* printer = nullptr;
    if (OnGetPrinter) OnGetPrinter(this, printer);
    if (printer) {
        if (printer->PrinterName() == m_printerName && count() > 0) return;
        m_printerName = printer->PrinterName();
    } else if (count() > 0) {
        return;
    }
    m_fonts = std::make_unique<TppFontList>();
    const QString text = currentText();
    const QSignalBlocker block(this);
    clear();
    QStringList names = m_fonts->Names();
    names.sort(Qt::CaseInsensitive);
    addItems(names);
    setCurrentIndex(findText(text, Qt::MatchFixedString));
    setEditText(text);
}

TppFont* TppFontComboBox::GetFont() {
    if (count() == 0) LoadFonts();
    if (currentIndex() >= 0 && m_fonts) {
        const int i = m_fonts->IndexOf(itemText(currentIndex()));
        if (i >= 0) m_font->SetCharset(m_fonts->FontInfo(i).CharSet);
    }
    m_font->SetName(currentText());
    return m_font.get();
}

void TppFontComboBox::SetFontName(const QString& aName) {
    if (count() == 0) LoadFonts();
    const QSignalBlocker block(this);
    const int i = findText(aName, Qt::MatchFixedString);
    if (i >= 0) setCurrentIndex(i);
    setEditText(aName);
}

void TppFontComboBox::showPopup() {
    LoadFonts();
    m_dropped = true;
    QComboBox::showPopup();
}

void TppFontComboBox::hidePopup() {
    QComboBox::hidePopup();
    m_dropped = false;
}
