#include "report/designer/gui/designer_toolbars.h"

#include "report/designer/gui/tree_windows.h"

#include "report/designer/docking/tool_window_positions.h"
#include "report/designer/docking/toolbar_sep_skiffrow.h"
#include "report/model/palette_registry.h"
#include "report/page/report_font.h"
#include "report/page/resource_manager.h"

#include "platform/settings/ini_file.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>

TppToolbarButton* ppMakeToolbarButton(TppSkiffrow* aBar, const QString& aName, const QString& aGlyph, int aHint) {
    auto* b = new TppToolbarButton;
    b->setObjectName(aName);
    b->SetGlyph(ppDesignerGlyph(aGlyph));
    b->setProperty("Tag", aHint);
    if (aHint > 0) b->SetHint(ppGetMessageText(aHint));
    b->resize(23, 22);
    if (aBar) aBar->AddControl(b);
    return b;
}

namespace {

void separator(TppSkiffrow* bar) { bar->AddControl(new TppToolbarSepSkiffrow); }

/// Hints again from the Tags of the bar's buttons.
void rehint(TppSkiffrow* bar) {
    for (auto* b : bar->Client()->findChildren<TppToolbarButton*>())
        if (int tag = b->property("Tag").toInt(); tag > 0 && !qobject_cast<TppColorButton*>(b)) b->SetHint(ppGetMessageText(tag));
}

}  // namespace

// Standard -----------------------------------------------------------------------------------

TppStandardToolbar::TppStandardToolbar(QMainWindow* aOwner, const QString& aName) : TppToolbar(aOwner, aName) {
    BeginUpdate();
    New = ppMakeToolbarButton(this, QStringLiteral("New"), QStringLiteral("PPNEW"), 156);
    Open = ppMakeToolbarButton(this, QStringLiteral("Open"), QStringLiteral("PPOPEN"), 361);
    Save = ppMakeToolbarButton(this, QStringLiteral("Save"), QStringLiteral("PPSAVE"), 362);
    separator(this);
    PageSetup = ppMakeToolbarButton(this, QStringLiteral("PageSetup"), QStringLiteral("PPPAGESETUP"), 218);
    Print = ppMakeToolbarButton(this, QStringLiteral("Print"), QStringLiteral("PPPRINT"), 22);
    PrintPreview = ppMakeToolbarButton(this, QStringLiteral("PrintPreview"), QStringLiteral("PPPRINTPREVIEW"), 23);
    separator(this);
    Cut = ppMakeToolbarButton(this, QStringLiteral("Cut"), QStringLiteral("PPCUT"), 365);
    Copy = ppMakeToolbarButton(this, QStringLiteral("Copy"), QStringLiteral("PPCOPY"), 366);
    Paste = ppMakeToolbarButton(this, QStringLiteral("Paste"), QStringLiteral("PPPASTE"), 367);
    EndUpdate();
    LanguageChanged(0);
}

void TppStandardToolbar::LanguageChanged(int aLanguageIndex) {
    TppToolbar::LanguageChanged(aLanguageIndex);
    SetCaption(ppGetMessageText(490));
    rehint(this);
}

// Format -------------------------------------------------------------------------------------

TppCustomFormatToolbar::TppCustomFormatToolbar(QMainWindow* aOwner, const QString& aName)
    : TppToolbar(aOwner, aName), m_font(std::make_unique<TppFont>()) {
    m_font->SetName(QStringLiteral("Arial"));
    m_font->SetSize(10);
}

TppCustomFormatToolbar::~TppCustomFormatToolbar() = default;

void TppCustomFormatToolbar::CreateControls() {
    BeginUpdate();
    FontName = new TppFontComboBox;
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setFixedWidth(148);
    FontName->SetFontName(QStringLiteral("Arial"));
    FontName->setProperty("Tag", 168);
    AddControl(FontName);
    FontSize = new QComboBox;
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setEditable(true);
    FontSize->setInsertPolicy(QComboBox::NoInsert);
    FontSize->setFixedWidth(51);
    for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}) FontSize->addItem(QString::number(s));
    FontSize->setEditText(QStringLiteral("10"));
    FontSize->setProperty("Tag", 169);
    AddControl(FontSize);
    FontNameButton = new TppFontButton;
    FontNameButton->setObjectName(QStringLiteral("FontNameButton"));
    FontNameButton->setProperty("Tag", 168);
    FontNameButton->resize(23, 22);
    FontSizeButton = new TppFontButton;
    FontSizeButton->setObjectName(QStringLiteral("FontSizeButton"));
    FontSizeButton->SetShowsSize(true);
    FontSizeButton->setProperty("Tag", 169);
    FontSizeButton->resize(23, 22);
    AddAlternateControls(FontName, FontNameButton);
    AddAlternateControls(FontSize, FontSizeButton);
    separator(this);
    Bold = ppMakeToolbarButton(this, QStringLiteral("Bold"), QStringLiteral("PPBOLD"), 160);
    Bold->SetGroupIndex(1);
    Bold->SetAllowAllUp(true);
    Italic = ppMakeToolbarButton(this, QStringLiteral("Italic"), QStringLiteral("PPITALIC"), 171);
    Italic->SetGroupIndex(2);
    Italic->SetAllowAllUp(true);
    Underline = ppMakeToolbarButton(this, QStringLiteral("Underline"), QStringLiteral("PPUNDERLINE"), 179);
    Underline->SetGroupIndex(3);
    Underline->SetAllowAllUp(true);
    separator(this);
    AlignLeft = ppMakeToolbarButton(this, QStringLiteral("AlignLeft"), QStringLiteral("PPALIGNLEFT"), 173);
    AlignCenter = ppMakeToolbarButton(this, QStringLiteral("AlignCenter"), QStringLiteral("PPALIGNCENTER"), 229);
    AlignRight = ppMakeToolbarButton(this, QStringLiteral("AlignRight"), QStringLiteral("PPALIGNRIGHT"), 176);
    for (TppToolbarButton* b : {AlignLeft, AlignCenter, AlignRight}) b->SetGroupIndex(4);
    separator(this);
    FontColor = new TppColorButton;
    FontColor->setObjectName(QStringLiteral("FontColor"));
    FontColor->SetColorType(0);
    FontColor->SetPaletteEnabled(false);
    FontColor->resize(34, 22);
    AddControl(FontColor);
    HighlightColor = new TppColorButton;
    HighlightColor->setObjectName(QStringLiteral("HighlightColor"));
    HighlightColor->SetColorType(3);
    HighlightColor->SetPaletteEnabled(false);
    HighlightColor->resize(34, 22);
    AddControl(HighlightColor);
    EndUpdate();
}

void TppCustomFormatToolbar::LanguageChanged(int aLanguageIndex) {
    TppToolbar::LanguageChanged(aLanguageIndex);
    SetCaption(ppGetMessageText(200));
    rehint(this);
    for (QWidget* w : std::initializer_list<QWidget*>{FontName, FontSize, FontNameButton, FontSizeButton})
        if (w) w->setToolTip(ppGetMessageText(w->property("Tag").toInt()));
    for (TppColorButton* b : {FontColor, HighlightColor})
        if (b) b->LanguageChanged(aLanguageIndex);
}

TAlignment TppCustomFormatToolbar::GetTextAlignment() const {
    if (AlignRight->Down()) return TAlignment::taRightJustify;
    if (AlignCenter->Down()) return TAlignment::taCenter;
    return TAlignment::taLeftJustify;
}

void TppCustomFormatToolbar::SetTextAlignment(TAlignment aAlignment) {
    AlignLeft->SetDown(aAlignment == TAlignment::taLeftJustify);
    AlignCenter->SetDown(aAlignment == TAlignment::taCenter);
    AlignRight->SetDown(aAlignment == TAlignment::taRightJustify);
}

TppFont* TppCustomFormatToolbar::GetToolbarFont() {
    m_font->SetName(FontName->currentText());
    bool ok = false;
    const int size = FontSize->currentText().trimmed().toInt(&ok);
    if (ok && size > 0) m_font->SetSize(size);
    paint::TFontStyles style = m_font->Style();
    auto setStyle = [&style](paint::TFontStyle s, bool on) {
        if (on) style.Include(s);
        else style.Exclude(s);
    };
    setStyle(paint::TFontStyle::fsBold, Bold->Down());
    setStyle(paint::TFontStyle::fsItalic, Italic->Down());
    setStyle(paint::TFontStyle::fsUnderline, Underline->Down());
    m_font->SetStyle(style);
    m_font->SetColor(FontColor->SelectedColor());
    return m_font.get();
}

void TppCustomFormatToolbar::SetToolbarFont(const TppFont* aFont) {
    if (!aFont) return;
    FontName->SetFontName(aFont->Name());
    {
        const QSignalBlocker block(FontSize);
        FontSize->setEditText(QString::number(aFont->Size()));
    }
    Bold->SetDown(aFont->Style().Contains(paint::TFontStyle::fsBold));
    Italic->SetDown(aFont->Style().Contains(paint::TFontStyle::fsItalic));
    Underline->SetDown(aFont->Style().Contains(paint::TFontStyle::fsUnderline));
    FontColor->SetPaletteColor(aFont->Color(), false);
    FontNameButton->SetFont(aFont);
    FontSizeButton->SetFont(aFont);
}

void TppCustomFormatToolbar::SetHighlightPaletteColor(paint::TColor aColor, bool aClear) {
    HighlightColor->SetPaletteColor(aColor, aClear);
}

TppFormatToolbar::TppFormatToolbar(QMainWindow* aOwner, const QString& aName) : TppCustomFormatToolbar(aOwner, aName) {
    CreateControls();
    LanguageChanged(0);
}

void TppFormatToolbar::CreateControls() {
    TppCustomFormatToolbar::CreateControls();
    BeginUpdate();
    separator(this);
    BringToFront = ppMakeToolbarButton(this, QStringLiteral("BringToFront"), QStringLiteral("PPBRINGTOFRONT"), 161);
    SendToBack = ppMakeToolbarButton(this, QStringLiteral("SendToBack"), QStringLiteral("PPSENDTOBACK"), 177);
    EndUpdate();
}

void TppFormatToolbar::LanguageChanged(int aLanguageIndex) { TppCustomFormatToolbar::LanguageChanged(aLanguageIndex); }

// Edit ---------------------------------------------------------------------------------------

TppEditToolbar::TppEditToolbar(QMainWindow* aOwner, const QString& aName) : TppToolbar(aOwner, aName) {
    BeginUpdate();
    PipelineBox = new QComboBox;
    PipelineBox->setObjectName(QStringLiteral("PipelineBox"));
    PipelineBox->setFixedWidth(150);
    PipelineBox->setMaxVisibleItems(10);
    PipelineBox->hide();
    AddControl(PipelineBox);
    Panel = new QWidget;
    Panel->setObjectName(QStringLiteral("EditPanel"));
    Panel->setFixedSize(200, 22);
    TextBox = new QLineEdit(Panel);
    TextBox->setObjectName(QStringLiteral("TextBox"));
    TextBox->setGeometry(0, 0, 200, 22);
    ValueBox = new QComboBox(Panel);
    ValueBox->setObjectName(QStringLiteral("ValueBox"));
    ValueBox->setGeometry(0, 0, 200, 22);
    ValueBox->setMaxVisibleItems(10);
    ValueBox->hide();
    AddControl(Panel);
    EndUpdate();
    ShowEditor(nullptr);
    LanguageChanged(0);
}

void TppEditToolbar::LanguageChanged(int aLanguageIndex) {
    TppToolbar::LanguageChanged(aLanguageIndex);
    SetCaption(ppGetMessageText(264));
}

void TppEditToolbar::ShowEditor(QWidget* aControl) {
    BeginUpdate();
    auto paint = [this](paint::TColor c) {
        QPalette pal = TextBox->palette();
        pal.setColor(QPalette::Base, paint::ToQColor(c));
        TextBox->setPalette(pal);
    };
    if (aControl == TextBox) {
        PipelineBox->hide();
        ValueBox->hide();
        TextBox->setEnabled(true);
        paint(paint::clWindow);
        TextBox->show();
    } else if (aControl == ValueBox) {
        TextBox->hide();
        ValueBox->show();
        PipelineBox->hide();
    } else if (aControl == PipelineBox) {
        TextBox->hide();
        ValueBox->show();
        PipelineBox->show();
    } else {
        PipelineBox->hide();
        ValueBox->hide();
        TextBox->clear();
        TextBox->setEnabled(false);
        paint(paint::clBtnFace);
        TextBox->show();
    }
    EndUpdate();
}

// Draw ---------------------------------------------------------------------------------------

TppDrawToolbar::TppDrawToolbar(QMainWindow* aOwner, const QString& aName) : TppToolbar(aOwner, aName) {
    BeginUpdate();
    FillColor = new TppColorButton;
    FillColor->setObjectName(QStringLiteral("FillColor"));
    FillColor->SetColorType(2);
    LineColor = new TppColorButton;
    LineColor->setObjectName(QStringLiteral("LineColor"));
    LineColor->SetColorType(1);
    for (TppColorButton* b : {FillColor, LineColor}) {
        b->SetPaletteEnabled(false);
        b->resize(34, 22);
        AddControl(b);
    }
    LineThickness = new TppLineThicknessButton;
    LineThickness->setObjectName(QStringLiteral("LineThickness"));
    LineThickness->setProperty("Tag", 488);
    LineStyle = new TppLineStyleButton;
    LineStyle->setObjectName(QStringLiteral("LineStyle"));
    LineStyle->setProperty("Tag", 489);
    for (TppCustomPaletteButton* b : std::initializer_list<TppCustomPaletteButton*>{LineThickness, LineStyle}) {
        b->SetPaletteEnabled(false);
        b->resize(23, 22);
        AddControl(b);
    }
    EndUpdate();
    LanguageChanged(0);
}

void TppDrawToolbar::LanguageChanged(int aLanguageIndex) {
    TppToolbar::LanguageChanged(aLanguageIndex);
    SetCaption(ppGetMessageText(487));
    rehint(this);
    FillColor->LanguageChanged(aLanguageIndex);
    LineColor->LanguageChanged(aLanguageIndex);
}

// Align, Size, Nudge -------------------------------------------------------------------------

TppActionToolbar::TppActionToolbar(QMainWindow* aOwner, const QString& aName, int aCaption, const QList<Action>& aActions)
    : TppToolbar(aOwner, aName), m_caption(aCaption), m_actions(aActions) {
    BeginUpdate();
    for (int i = 0; i < aActions.size(); ++i) {
        const Action& a = aActions.at(i);
        TppToolbarButton* b = ppMakeToolbarButton(this, QString::fromLatin1(a.glyph), QString::fromLatin1(a.glyph), a.hint);
        b->setProperty("Action", i);
        b->OnClick = [this, i, b] {
            m_lastAction = i;
            if (OnAction) OnAction(b, i);
        };
        m_buttons << b;
        if (a.separatorAfter) separator(this);
    }
    EndUpdate();
    LanguageChanged(0);
}

void TppActionToolbar::LanguageChanged(int aLanguageIndex) {
    TppToolbar::LanguageChanged(aLanguageIndex);
    SetCaption(ppGetMessageText(m_caption));
    rehint(this);
}

TppAlignToolbar::TppAlignToolbar(QMainWindow* aOwner, const QString& aName)
    : TppActionToolbar(aOwner, aName, 484,
                       {{"PPALIGNLEFTEDGES", 103, false},
                        {"PPALIGNVERTICALCENTERS", 106, false},
                        {"PPALIGNRIGHTEDGES", 104, true},
                        {"PPALIGNTOPEDGES", 105, false},
                        {"PPALIGNHORIZONTALCENTERS", 102, false},
                        {"PPALIGNBOTTOMEDGES", 101, true},
                        {"PPSPACEHORIZONTALLY", 113, false},
                        {"PPSPACEVERTICALLY", 114, true},
                        {"PPCENTERHORIZONTALLY", 107, false},
                        {"PPCENTERVERTICALLY", 108, false}}) {}

TppSizeToolbar::TppSizeToolbar(QMainWindow* aOwner, const QString& aName)
    : TppActionToolbar(aOwner, aName, 485,
                       {{"PPSHRINKWIDTH", 112, false},
                        {"PPGROWWIDTH", 110, true},
                        {"PPSHRINKHEIGHT", 111, false},
                        {"PPGROWHEIGHT", 109, false}}) {}

TppNudgeToolbar::TppNudgeToolbar(QMainWindow* aOwner, const QString& aName)
    : TppActionToolbar(aOwner, aName, 486,
                       {{"PPNUDGEUP", 467, false},
                        {"PPNUDGEDOWN", 468, true},
                        {"PPNUDGELEFT", 469, false},
                        {"PPNUDGERIGHT", 470, false}}) {}

// Toolbar manager ----------------------------------------------------------------------------

TppToolbarManager::TppToolbarManager(QMainWindow* aDesignerWindow)
    : TppRegListSubscriber(aDesignerWindow), m_window(aDesignerWindow), m_menu(new QMenu) {
    m_menu->setObjectName(QStringLiteral("ToolbarsMenu"));
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        for (QAction* a : m_menu->actions())
            for (const Entry& e : m_entries)
                if (e.name == a->data().toString() && e.bar) a->setChecked(e.bar->Visible());
    });
    ppGetComponentRegList().AddSubscriber(this);
}

TppToolbarManager::~TppToolbarManager() {
    ppGetComponentRegList().RemoveSubscriber(this);
    m_menu->clear();
    for (const QPointer<QWidget>& w : m_fixed) delete w.data();
    for (const QPointer<TppToolbar>& t : m_paletteToolbars) delete t.data();
    delete m_menu;
}

void TppToolbarManager::addEntry(const QString& aName, QWidget* aWidget, TppCustomToolWindowSkiffrow* aBar) {
    m_entries.append({aName, aWidget, aBar});
}

void TppToolbarManager::removeEntry(QWidget* aWidget) {
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries.at(i).widget == aWidget) {
            m_entries.removeAt(i);
            return;
        }
}

void TppToolbarManager::SetDocks(TppDock* aTop, TppDock* aBottom, TppDock* aLeft, TppDock* aRight) {
    m_docks[0] = aTop;
    m_docks[1] = aBottom;
    m_docks[2] = aLeft;
    m_docks[3] = aRight;
    m_copy = registryCopy();
    createPaletteToolbars();
    createFixedToolbars();
    BuildToolbarsMenu();
}

TppCustomToolWindowSkiffrow* TppToolbarManager::FindToolbar(const QString& aName) const {
    for (const Entry& e : m_entries)
        if (e.name.compare(aName, Qt::CaseInsensitive) == 0 && e.widget) return e.bar;
    return nullptr;
}

QWidget* TppToolbarManager::FindToolbarWidget(const QString& aName) const {
    for (const Entry& e : m_entries)
        if (e.name.compare(aName, Qt::CaseInsensitive) == 0) return e.widget;
    return nullptr;
}

QStringList TppToolbarManager::ToolbarNames() const {
    QStringList names;
    for (const Entry& e : m_entries)
        if (e.widget) names << e.name;
    return names;
}

QStringList TppToolbarManager::PaletteNames() const { return m_paletteNames; }

QStringList TppToolbarManager::registryCopy() const {
    QStringList names;
    const TppRegList& list = ppGetComponentRegList();
    for (int i = 0; i < list.Count(); ++i)
        if (!m_hidden.contains(list.Items(i).Name, Qt::CaseInsensitive)) names << list.Items(i).Name;
    return names;
}

QString TppToolbarManager::translatedPalette(const QString& aPalette) const {
    if (aPalette == QLatin1String("Standard Components")) return ppGetMessageText(464);
    if (aPalette == QLatin1String("Data Components")) return ppGetMessageText(465);
    if (aPalette == QLatin1String("Advanced Components")) return ppGetMessageText(466);
    return aPalette;
}

void TppToolbarManager::createPaletteToolbars() {
    for (const QPointer<TppToolbar>& t : m_paletteToolbars) {
        removeEntry(t);
        delete t.data();
    }
    m_paletteToolbars.clear();
    m_paletteNames.clear();
    m_selectButton = nullptr;
    m_componentButton = nullptr;
    for (const QString& name : m_copy) addComponentButton(name);
    if (m_copy.isEmpty()) getPaletteToolbar(QStringLiteral("Standard Components"));
    TppToolbar* first = m_paletteToolbars.value(0);
    if (!first) return;
    first->BeginUpdate();
    auto* select = ppMakeToolbarButton(first, QStringLiteral("SelectObject"), QStringLiteral("PPSELECTOBJECT"), 273);
    select->SetGroupIndex(1);
    select->SetAllowAllUp(true);
    select->SetDown(true);
    select->OnClick = [this, select] { ComponentButtonClick(select); };
    first->MoveControlTo(select, 0);
    if (!m_copy.isEmpty()) {
        auto* sep = new TppToolbarSepSkiffrow;
        sep->setObjectName(QStringLiteral("SelectSeparator"));
        first->AddControl(sep);
        first->MoveControlTo(sep, 1);
    }
    first->EndUpdate();
    m_selectButton = select;
}

TppToolbar* TppToolbarManager::getPaletteToolbar(const QString& aPalette) {
    const int at = m_paletteNames.indexOf(aPalette);
    if (at >= 0) return m_paletteToolbars.at(at);
    auto* bar = new TppToolbar(m_window, QString(aPalette).remove(QLatin1Char(' ')));
    bar->SetCaption(translatedPalette(aPalette));
    TppCustomToolWindowSkiffrow* previous = m_entries.isEmpty() ? nullptr : m_entries.last().bar;
    if (previous && previous->Docked()) {
        bar->SetDockRowQuietly(previous->DockRow());
        bar->SetDockPosQuietly(previous->DockPos() + previous->BarWidget()->width());
    } else {
        bar->SetDockRowQuietly(0);
        bar->SetDockPosQuietly(0);
    }
    addEntry(aPalette, bar, bar);
    m_paletteToolbars << bar;
    m_paletteNames << aPalette;
    bar->SetDockedTo(m_docks[0]);
    return bar;
}

void TppToolbarManager::addComponentButton(const QString& aClassName) {
    const TppRegComponent* reg = ppFindRegComponent(aClassName);
    if (!reg || !reg->ComponentClass) return;
    TppToolbar* bar = getPaletteToolbar(reg->Palette);
    if (bar->DockRow() != 0) bar->SetDockRow(0);
    auto* b = new TppToolbarButton;
    b->setObjectName(aClassName);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->resize(23, 22);
    b->OnClick = [this, b] { ComponentButtonClick(b); };
    bar->AddControl(b);
    const bool selectHere = m_selectButton && TppSkiffrow::ToolbarOf(m_selectButton) == bar;
    bar->MoveControlTo(b, reg->Position + (selectHere ? 2 : 0));
    b->SetGlyph(ppDesignerGlyph(aClassName.toUpper()));
    QString hint;
    if (reg->HintNumber > 0) {
        hint = ppGetMessageText(reg->HintNumber);
        b->setProperty("Tag", reg->HintNumber);
    } else {
        hint = reg->HintText;
    }
    if (hint.isEmpty()) hint = QString::fromLatin1(reg->ComponentClass->className());
    b->SetHint(hint);
}

void TppToolbarManager::removeComponentButton(const QString& aClassName) {
    for (int i = 0; i < m_paletteToolbars.size(); ++i) {
        TppToolbar* bar = m_paletteToolbars.at(i);
        if (!bar) continue;
        auto* b = bar->Client()->findChild<TppToolbarButton*>(aClassName, Qt::FindDirectChildrenOnly);
        if (!b) continue;
        if (m_componentButton == b) {
            m_componentButton = nullptr;
            if (m_selectButton) m_selectButton->SetDown(true);
            if (OnComponentButton) OnComponentButton(QString());
        }
        bar->RemoveControl(b);
        delete b;
        bool empty = true;
        for (const QPointer<QWidget>& w : bar->ControlOrder())
            if (w) empty = false;
        if (empty) {
            removeEntry(bar);
            m_paletteToolbars.removeAt(i);
            m_paletteNames.removeAt(i);
            delete bar;
        }
        return;
    }
}

void TppToolbarManager::Changed() {
    const QStringList old = m_copy;
    m_copy = registryCopy();
    for (const QString& name : m_copy)
        if (!old.contains(name, Qt::CaseInsensitive)) addComponentButton(name);
    for (const QString& name : old)
        if (!m_copy.contains(name, Qt::CaseInsensitive)) removeComponentButton(name);
    BuildToolbarsMenu();
    TppRegListSubscriber::Changed();
}

void TppToolbarManager::SetHiddenClasses(const QStringList& aClassNames) {
    m_hidden = aClassNames;
    if (m_docks[0]) Changed();
}

void TppToolbarManager::createFixedToolbars() {
    struct Fixed {
        const char* name;
        int row;
        bool visible;
    };
    auto place = [this](TppToolbar* bar, int row, bool visible) {
        bar->SetDockRowQuietly(row);
        bar->SetDockPosQuietly(0);
        bar->SetDockedTo(m_docks[0]);
        bar->SetVisible(visible);
        addEntry(bar->objectName(), bar, bar);
        m_fixed << bar;
    };
    for (TppToolWindow* tool : {static_cast<TppToolWindow*>(new TppReportTreeWindow(m_window, QStringLiteral("ReportOutline"))),
                                static_cast<TppToolWindow*>(new TppDataTreeWindow(m_window, QStringLiteral("DataTree")))}) {
        tool->SetDockRowQuietly(2);
        tool->SetDockPosQuietly(0);
        tool->SetVisible(false);
        addEntry(tool->objectName(), tool, tool);
        m_fixed << tool;
    }
    place(new TppStandardToolbar(m_window, QStringLiteral("Standard")), 2, false);
    auto* format = new TppFormatToolbar(m_window, QStringLiteral("Format"));
    place(format, 1, true);
    place(new TppEditToolbar(m_window, QStringLiteral("Edit")), 1, true);
    auto* draw = new TppDrawToolbar(m_window, QStringLiteral("Draw"));
    place(draw, 2, false);
    place(new TppAlignToolbar(m_window, QStringLiteral("Align")), 2, false);
    place(new TppSizeToolbar(m_window, QStringLiteral("Size")), 2, false);
    place(new TppNudgeToolbar(m_window, QStringLiteral("Nudge")), 2, false);
    m_colorButtons = {format->FontColor, format->HighlightColor, draw->LineColor, draw->FillColor};
    Load();
}

void TppToolbarManager::BuildToolbarsMenu() {
    m_menu->clear();
    for (const Entry& e : m_entries) {
        if (!e.widget || !e.bar) continue;
        QAction* a = m_menu->addAction(e.widget->windowTitle());
        a->setObjectName(QStringLiteral("mniToolbar") + QString(e.name).remove(QLatin1Char(' ')));
        a->setData(e.name);
        a->setCheckable(true);
        a->setChecked(e.bar->Visible());
        TppCustomToolWindowSkiffrow* bar = e.bar;
        QPointer<QWidget> w = e.widget;
        connect(a, &QAction::triggered, this, [bar, w] {
            if (w) bar->SetVisible(!bar->Visible());
        });
    }
}

bool TppToolbarManager::SelectMode() const { return m_selectButton && m_selectButton->Down(); }

void TppToolbarManager::ComponentButtonClick(TppToolbarButton* Sender) {
    if (m_componentButton && m_componentButton != Sender) m_componentButton->SetDown(false);
    else if (m_selectButton && m_selectButton != Sender && m_selectButton->Down()) m_selectButton->SetDown(false);
    if (Sender == m_selectButton) {
        m_selectButton->SetDown(true);
        m_componentButton = nullptr;
    } else {
        Sender->SetDown(true);
        m_componentButton = Sender;
        if (m_selectButton) m_selectButton->SetDown(false);
    }
    if (OnComponentButton) OnComponentButton(m_componentButton ? m_componentButton->objectName() : QString());
}

void TppToolbarManager::ResetSelectButton() {
    if (m_selectButton) ComponentButtonClick(m_selectButton);
}

void TppToolbarManager::LanguageChanged(int aLanguageIndex) {
    m_languageIndex = aLanguageIndex;
    for (const QPointer<QWidget>& w : m_fixed)
        if (auto* bar = qobject_cast<TppToolbar*>(w.data())) bar->LanguageChanged(aLanguageIndex);
        else if (auto* tool = qobject_cast<TppToolWindow*>(w.data())) tool->LanguageChanged(aLanguageIndex);
    for (int i = 0; i < m_paletteToolbars.size(); ++i) {
        TppToolbar* bar = m_paletteToolbars.at(i);
        if (!bar) continue;
        bar->SetCaption(translatedPalette(m_paletteNames.at(i)));
        for (auto* b : bar->Client()->findChildren<TppToolbarButton*>())
            if (int tag = b->property("Tag").toInt(); tag > 0) b->SetHint(ppGetMessageText(tag));
    }
    BuildToolbarsMenu();
}

QList<QWidget*> TppToolbarManager::FloatingWindows() const {
    QList<QWidget*> list;
    for (const Entry& e : m_entries)
        if (e.widget && e.bar && e.bar->Visible() && !e.bar->Docked()) list << e.widget;
    for (TppColorButton* b : m_colorButtons)
        if (TppColorPalette* p = b->ColorPalette(); p && p->TornOffWindow() && p->TornOffWindow()->Visible())
            list << p->TornOffWindow()->BarWidget();
    return list;
}

void TppToolbarManager::SetActive(bool aActive) {
    for (const Entry& e : m_entries)
        if (e.widget && e.bar && e.bar->Visible() && !e.bar->Docked()) e.bar->SetInactiveCaption(!aActive);
}

void TppToolbarManager::HideFloatingWindows() {
    m_remembered.clear();
    for (const Entry& e : m_entries)
        if (e.widget && e.bar && e.bar->Visible() && !e.bar->Docked()) {
            m_remembered << e.widget;
            e.bar->SetVisible(false);
        }
}

void TppToolbarManager::ShowFloatingWindows() {
    for (const Entry& e : m_entries)
        if (e.widget && m_remembered.contains(e.widget)) {
            e.bar->SetInactiveHidden(false);
            e.bar->SetVisible(true);
        }
    m_remembered.clear();
}

void TppToolbarManager::Save() {
    if (IniFileName.isEmpty()) return;
    ppSaveToolWindowPositions(m_window, IniFileName);
    settings::IniFile ini(IniFileName);
    for (const QPointer<QWidget>& w : m_fixed)
        if (auto* tool = qobject_cast<TppToolWindow*>(w.data())) tool->SaveSettings(ini);
    auto write = [&ini](const QString& section, const QString& colorKey, const QString& clearKey, TppColorButton* b) {
        ini.WriteInteger(section, colorKey, b->SelectedColor());
        ini.WriteBool(section, clearKey, b->SelectedNoColor());
    };
    write(QStringLiteral("Format"), QStringLiteral("FontColor"), QStringLiteral("FontIsClear"), m_colorButtons.at(0));
    write(QStringLiteral("Format"), QStringLiteral("HighlightColor"), QStringLiteral("HighlightIsClear"), m_colorButtons.at(1));
    write(QStringLiteral("Draw"), QStringLiteral("LineColor"), QStringLiteral("LineIsClear"), m_colorButtons.at(2));
    write(QStringLiteral("Draw"), QStringLiteral("FillColor"), QStringLiteral("FillIsClear"), m_colorButtons.at(3));
}

void TppToolbarManager::Load() {
    if (IniFileName.isEmpty() || m_colorButtons.size() < 4) return;
    ppLoadToolWindowPositions(m_window, IniFileName);
    m_remembered.clear();
    for (QWidget* w : FloatingWindows()) m_remembered << w;
    settings::IniFile ini(IniFileName);
    for (const QPointer<QWidget>& w : m_fixed)
        if (auto* tool = qobject_cast<TppToolWindow*>(w.data())) tool->LoadSettings(ini);
    auto read = [&ini](const QString& section, const QString& colorKey, const QString& clearKey, TppColorButton* b,
                       paint::TColor color, bool clear) {
        b->SetSelectedColor(ini.ReadInteger(section, colorKey, color), ini.ReadBool(section, clearKey, clear));
    };
    read(QStringLiteral("Format"), QStringLiteral("FontColor"), QStringLiteral("FontIsClear"), m_colorButtons.at(0),
         paint::clWindowText, false);
    read(QStringLiteral("Format"), QStringLiteral("HighlightColor"), QStringLiteral("HighlightIsClear"), m_colorButtons.at(1),
         paint::clWhite, true);
    read(QStringLiteral("Draw"), QStringLiteral("LineColor"), QStringLiteral("LineIsClear"), m_colorButtons.at(2),
         paint::clWindowText, false);
    read(QStringLiteral("Draw"), QStringLiteral("FillColor"), QStringLiteral("FillIsClear"), m_colorButtons.at(3),
         paint::clWhite, true);
}
