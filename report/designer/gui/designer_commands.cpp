// The designer window's menus, toolbars and commands: files (new, open, save, recent
// reports, print), the clipboard with its one-level undelete, the formatting commands of the
// Format, Draw and Edit toolbars, the status bar, the Report and View menus and help.

#include "report/designer/gui/designer_window.h"

#include "report/designer/docking/designer_bars.h"
#include "report/designer/gui/design_dialog_commands.h"
#include "report/designer/gui/designer_toolbars.h"
#include "report/designer/gui/doc_history.h"
#include "report/designer/gui/palette_buttons.h"
#include "report/designer/gui/ruler.h"
#include "report/model/band_classes.h"
#include "report/model/custom_data_pipeline.h"
#include "report/model/graphic_components.h"
#include "report/model/pipeline_field.h"
#include "report/model/palette_registry.h"
#include "report/model/region.h"
#include "report/model/report.h"
#include "report/model/report_template.h"
#include "report/model/subreport.h"
#include "report/output/dialog_registry.h"
#include "report/output/gui/viewer.h"
#include "report/output/wizard.h"
#include "report/page/printer_setup.h"
#include "report/page/report_font.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/base/exception.h"
#include "platform/base/scope_exit.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/help.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTabBar>

namespace {

/// Data on the clipboard that is not a stream of report components.
class EReportClipboardError : public base::Exception {
public:
    explicit EReportClipboardError(QString message) : base::Exception(std::move(message), 0, 0) {}
};

QString caption(int n) { return ppGetMessageText(n); }

int pixelsOf(int mm, int selector) {
    return int(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, selector, nullptr));
}

/// The band types of the Report menu's band toggles.
struct BandToggle {
    const char* name;
    int text;
    TppBandType type;
};
const BandToggle kBandToggles[] = {
    {"mniReportTitle", 150, TppBandType::btTitle},     {"mniReportSummary", 149, TppBandType::btSummary},
    {"mniReportHeader", 193, TppBandType::btHeader},   {"mniReportFooter", 190, TppBandType::btFooter},
    {"mniReportPageStyle", 691, TppBandType::btPageStyle},
};

/// The dialog forms a menu item needs; the item is enabled only while one is registered.
bool formRegistered(const char* aAbstractClass) {
    return report::ppGetFormClass(QString::fromLatin1(aAbstractClass)) != nullptr;
}

/// Runs a registered dialog form modally with the report and its language; answers whether
/// it ended with OK.
bool runForm(const char* aAbstractClass, QObject* aOwner, TppCustomReport* aReport, QObject* aFormReport = nullptr) {
    const report::FormClass* formClass = report::ppGetFormClass(QString::fromLatin1(aAbstractClass));
    if (!formClass || !aReport) return false;
    std::unique_ptr<report::ReportForm> form(formClass->create(aOwner));
    if (!form) return false;
    report::ppSetFormReport(form.get(), aFormReport ? aFormReport : aReport);
    report::ppSetFormLanguageIndex(form.get(), aReport->LanguageIndex());
    return form->ShowModal() == report::ModalResult::mrOk;
}

}  // namespace

// Menus ---------------------------------------------------------------------------------------

QAction* TppDesignerWindow::MenuItem(const QString& aName) const { return findChild<QAction*>(aName); }

QMenu* TppDesignerWindow::Menu(const QString& aName) const { return findChild<QMenu*>(aName); }

void TppDesignerWindow::buildMenus() {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("mnuMain"));
    setMenuBar(m_menuBar);
    auto menu = [this](const char* name, int group) {
        auto* m = new QMenu(this);
        m->setObjectName(QString::fromLatin1(name));
        m->setProperty("GroupIndex", group);
        m_menuBar->addMenu(m);
        connect(m, &QMenu::aboutToShow, this, [this, m] { menuOpening(m); });
        return m;
    };
    auto item = [this](QMenu* m, const char* name, std::function<void()> command, QKeySequence key = {}) {
        auto* a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        m->addAction(a);
        connect(a, &QAction::triggered, this, [command = std::move(command)] { command(); });
        return a;
    };
    QMenu* file = menu("mniFile", 10);
    item(file, "mniFileNew", [this] { FileNew(); }, QKeySequence(Qt::CTRL | Qt::Key_N));
    item(file, "mniFileNewReport", [this] { FileNewReport(); });
    item(file, "mniFileOpen", [this] { FileOpen(); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    item(file, "mniFileClose", [this] { FileClose(); });
    file->addSeparator();
    item(file, "mniFileSave", [this] { FileSave(); }, QKeySequence(Qt::CTRL | Qt::Key_S));
    item(file, "mniFileSaveAs", [this] { FileSaveAs(); });
    QAction* subSep = file->addSeparator();
    subSep->setObjectName(QStringLiteral("mniFileSubreportSeparator"));
    item(file, "mniFileLoadSubreport", [this] { LoadSubreport(); });
    item(file, "mniFileSaveSubreport", [this] { SaveSubreport(); });
    QAction* fileSep = file->addSeparator();
    fileSep->setObjectName(QStringLiteral("mniFileFileSeparator"));
    item(file, "mniFileLoadFromFile", [this] { LoadFromFile(m_mainReport); });
    item(file, "mniFileSaveToFile", [this] { SaveToFile(m_mainReport); });
    item(file, "mniFileLoadSubreportFromFile", [this] { LoadFromFile(m_currentReport); });
    item(file, "mniFileSaveSubReportToFile", [this] { SaveToFile(m_currentReport); });
    file->addSeparator();
    item(file, "mniFilePageSetup", [this] { PageSetup(); });
    item(file, "mniFilePrint", [this] { PrintReport(); }, QKeySequence(Qt::CTRL | Qt::Key_P));
    item(file, "mniFilePrintToFileSetup", [this] { PrintToFileSetup(); });

    QMenu* edit = menu("mniEdit", 20);
    item(edit, "mniEditUndo", [this] { Undelete(); });
    item(edit, "mniEditRedo", [] {})->setEnabled(false);
    edit->addSeparator();
    item(edit, "mniEditCut", [this] { CutSelection(); }, QKeySequence(Qt::CTRL | Qt::Key_X));
    item(edit, "mniEditCopy", [this] { CopySelection(); }, QKeySequence(Qt::CTRL | Qt::Key_C));
    item(edit, "mniEditPaste", [this] { PasteSelection(); }, QKeySequence(Qt::CTRL | Qt::Key_V));
    item(edit, "mniEditDelete", [this] { DeleteSelection(); }, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    item(edit, "mniEditSelectAll", [this] { SelectAll(); }, QKeySequence(Qt::CTRL | Qt::Key_A));
    edit->addSeparator();
    item(edit, "mniEditBringToFront", [this] { BringSelectionToFront(); });
    item(edit, "mniEditSendToBack", [this] { SendSelectionToBack(); });

    QMenu* view = menu("mniView", 30);
    QAction* toolbars = view->addMenu(m_toolbarManager->ToolbarsMenu());
    toolbars->setObjectName(QStringLiteral("mniViewToolbars"));
    item(view, "mniViewRulers", [this] { toggleRulers(); });
    MenuItem(QStringLiteral("mniViewRulers"))->setCheckable(true);
    MenuItem(QStringLiteral("mniViewRulers"))->setChecked(true);
    item(view, "mniViewGridOptions", [this] { GridOptions(); });
    item(view, "mniViewShowData", [this] {
        if (!m_currentReport) return;
        if (m_currentReport->HasState(ppsShowData)) m_currentReport->RemoveState(ppsShowData);
        else m_currentReport->AddState(ppsShowData);
        m_workspace->update();
    })->setCheckable(true);

    QMenu* rep = menu("mniReport", 40);
    item(rep, "mniReportData", [this] { ReportData(); });
    rep->addSeparator();
    for (const BandToggle& t : kBandToggles) {
        const int type = int(t.type);
        QAction* a = item(rep, t.name, [] {});
        a->setCheckable(true);
        a->setProperty("Text", t.text);
        disconnect(a, &QAction::triggered, this, nullptr);
        connect(a, &QAction::triggered, this, [this, type](bool on) { ToggleBand(type, on); });
    }
    rep->addSeparator();
    item(rep, "mniReportGroups", [this] { ReportGroups(); }, QKeySequence(Qt::CTRL | Qt::Key_G));
    rep->addSeparator();
    auto* orientation = new QActionGroup(this);
    for (const auto& [name, o] : {std::pair{"mniReportPortrait", TPrinterOrientation::poPortrait},
                                  std::pair{"mniReportLandscape", TPrinterOrientation::poLandscape}}) {
        QAction* a = item(rep, name, [this, o = o] {
            if (m_currentReport && m_currentReport->PrinterSetup()->Orientation() != o) {
                m_currentReport->PrinterSetup()->SetOrientation(o);
                Modified();
            }
        });
        a->setCheckable(true);
        orientation->addAction(a);
    }
    rep->addSeparator();
    QAction* cache = item(rep, "mniReportCachePages", [this] {
        if (m_mainReport) m_mainReport->SetCachePages(!m_mainReport->CachePages());
    });
    cache->setCheckable(true);
    cache->setChecked(true);
    auto* pass = new QMenu(this);
    pass->setObjectName(QStringLiteral("mnuPassSetting"));
    QAction* passItem = rep->addMenu(pass);
    passItem->setObjectName(QStringLiteral("mniReportPassSetting"));
    auto* passGroup = new QActionGroup(this);
    for (const auto& [name, tag] : {std::pair{"mniPassSettingOnePass", 0}, std::pair{"mniPassSettingTwoPass", 1}}) {
        QAction* a = item(pass, name, [this, tag = tag] {
            if (m_mainReport) m_mainReport->SetPassSetting(TppPassSettingType(tag));
        });
        a->setCheckable(true);
        a->setProperty("Tag", tag);
        passGroup->addAction(a);
    }
    auto* units = new QMenu(this);
    units->setObjectName(QStringLiteral("mnuUnits"));
    QAction* unitsItem = rep->addMenu(units);
    unitsItem->setObjectName(QStringLiteral("mniReportUnits"));
    auto* unitGroup = new QActionGroup(this);
    for (const auto& [name, unit] : {std::pair{"mniUnitsScreenPixels", 0}, std::pair{"mniUnitsPrinterPixels", 3},
                                     std::pair{"mniUnitsInches", 1}, std::pair{"mniUnitsMillimeters", 2},
                                     std::pair{"mniUnitsThousandthsOfMM", 4}}) {
        QAction* a = item(units, name, [this, unit = unit] {
            if (m_currentReport) m_currentReport->SetUnits(TppUnitType(unit));
            refreshStatusBar();
        });
        a->setCheckable(true);
        a->setProperty("Tag", unit);
        unitGroup->addAction(a);
    }
    connect(units, &QMenu::aboutToShow, this, [this, units] { menuOpening(units); });
    QMenu* help = menu("mniHelp", 50);
    item(help, "mniHelpContents", [this] { HelpTopics(); });
    item(help, "mniHelpAbout", [this] { About(); });
    LanguageChanged();
}

void TppDesignerWindow::LanguageChanged() {
    if (!m_menuBar || m_restoring) return;
    if (m_toolbarManager) m_toolbarManager->LanguageChanged(m_mainReport ? m_mainReport->LanguageIndex() : 0);
    const auto set = [this](const char* name, const QString& text) {
        if (QAction* a = MenuItem(QString::fromLatin1(name))) a->setText(text);
        if (QMenu* m = Menu(QString::fromLatin1(name))) m->setTitle(text);
    };
    set("mniFile", caption(131));
    set("mniFileNew", caption(133) + QStringLiteral("..."));
    const TppWizardClass* blank = ppGetBlankReportWizard();
    set("mniFileNewReport", caption(572) + (blank && blank->Class ? QStringLiteral("...") : QString()));
    set("mniFileOpen", caption(134));
    set("mniFileClose", caption(132));
    set("mniFileSave", caption(138));
    set("mniFileSaveAs", caption(139));
    set("mniFileLoadSubreport", caption(696));
    set("mniFileSaveSubreport", caption(697));
    set("mniFileLoadFromFile", caption(698));
    set("mniFileSaveToFile", caption(699));
    set("mniFileLoadSubreportFromFile", caption(700));
    set("mniFileSaveSubReportToFile", caption(1101));
    set("mniFilePageSetup", caption(135));
    set("mniFilePrint", caption(136));
    set("mniFilePrintToFileSetup", caption(137));
    set("mniEdit", caption(120));
    set("mniEditUndo", caption(129));
    set("mniEditRedo", caption(126));
    set("mniEditCut", caption(123));
    set("mniEditCopy", caption(122));
    set("mniEditPaste", caption(125));
    set("mniEditDelete", caption(124));
    set("mniEditSelectAll", caption(127));
    set("mniEditBringToFront", caption(121));
    set("mniEditSendToBack", caption(128));
    set("mniView", caption(155));
    set("mniViewToolbars", caption(499));
    m_toolbarManager->ToolbarsMenu()->setTitle(caption(499));
    set("mniViewRulers", caption(158));
    set("mniViewGridOptions", caption(344) + QStringLiteral("..."));
    set("mniViewShowData", caption(159));
    set("mniReport", caption(145));
    set("mniReportData", caption(394));
    for (const BandToggle& t : kBandToggles) set(t.name, caption(t.text));
    set("mniReportGroups", caption(146));
    set("mniReportPortrait", caption(148));
    set("mniReportLandscape", caption(147));
    set("mniReportCachePages", caption(1113));
    set("mniReportPassSetting", caption(1114));
    Menu(QStringLiteral("mnuPassSetting"))->setTitle(caption(1114));
    set("mniPassSettingOnePass", caption(1115));
    set("mniPassSettingTwoPass", caption(1116));
    set("mniReportUnits", caption(151));
    Menu(QStringLiteral("mnuUnits"))->setTitle(caption(151));
    set("mniUnitsScreenPixels", caption(387));
    set("mniUnitsPrinterPixels", caption(388));
    set("mniUnitsInches", caption(152));
    set("mniUnitsMillimeters", caption(153));
    set("mniUnitsThousandthsOfMM", caption(389));
    set("mniHelp", caption(142));
    set("mniHelpContents", caption(144));
    set("mniHelpAbout", caption(143));
    m_pages->setTabText(m_pages->indexOf(m_designSheet), caption(185));
    m_pages->setTabText(m_pages->indexOf(m_previewSheet), caption(186));
    if (m_reportTabs->count() > 0) m_reportTabs->setTabText(0, caption(374));
    refreshStatusBar();
}

void TppDesignerWindow::UpdateMenus() {
    for (const char* name : {"mniFile", "mniEdit", "mniView", "mniReport", "mnuUnits"}) menuOpening(Menu(QString::fromLatin1(name)));
}

void TppDesignerWindow::menuOpening(QMenu* aMenu) {
    if (!aMenu) return;
    const QString name = aMenu->objectName();
    auto enable = [this](const char* item, bool on) {
        if (QAction* a = MenuItem(QString::fromLatin1(item))) a->setEnabled(on);
    };
    auto show = [this](const char* item, bool on) {
        if (QAction* a = MenuItem(QString::fromLatin1(item))) a->setVisible(on);
    };
    if (name == QLatin1String("mniFile")) {
        bool canSave = false;
        bool toDatabase = false;
        if (m_currentReport) {
            TppReportTemplate* t = m_currentReport->Template();
            toDatabase = t->SaveTo() == TppSaveToType::stDatabase;
            try {
                canSave = !toDatabase || t->IsDatabaseSettingsValid();
            } catch (const std::exception&) {
                canSave = false;
            }
        }
        for (const char* item : {"mniFileOpen", "mniFileSave", "mniFileSaveAs"}) enable(item, canSave);
        const bool fileItems = AllowSaveToFile && toDatabase;
        for (const char* item : {"mniFileLoadFromFile", "mniFileSaveToFile", "mniFileFileSeparator"}) show(item, fileItems);
        const bool child = m_reportTabs->isVisible() && m_reportTabs->currentIndex() > 0;
        for (const char* item : {"mniFileLoadSubreport", "mniFileSaveSubreport", "mniFileSubreportSeparator"}) show(item, child);
        for (const char* item : {"mniFileLoadSubreportFromFile", "mniFileSaveSubReportToFile"}) show(item, child && fileItems);
        const TppWizardClass* blank = ppGetBlankReportWizard();
        if (QAction* a = MenuItem(QStringLiteral("mniFileNewReport")))
            a->setText(caption(572) + (blank && blank->Class ? QStringLiteral("...") : QString()));
        enable("mniFileNew", m_currentReport && report::ppGetFormClass(QString::fromLatin1(TppCustomNewDialog::kClassName)));
        enable("mniFileNewReport", m_currentReport && blank);
        enable("mniFilePageSetup", m_currentReport && formRegistered("TppCustomPageSetupDialog"));
        enable("mniFilePrintToFileSetup", m_currentReport && formRegistered("TppCustomPrintToFileSetupDialog"));
        enable("mniFilePrint", m_mainReport != nullptr);
    } else if (name == QLatin1String("mniEdit")) {
        const bool textFocused = m_toolbarManager && QApplication::focusWidget() &&
                                 QApplication::focusWidget()->objectName() == QLatin1String("TextBox");
        const QMimeData* data = QApplication::clipboard()->mimeData();
        enable("mniEditPaste", data && (textFocused ? data->hasText() : data->hasFormat(ClipboardMimeType())));
        if (QAction* a = MenuItem(QStringLiteral("mniEditUndo"))) {
            a->setText(textFocused && !m_editUndoText.isEmpty() ? caption(130) : caption(129));
            a->setEnabled(textFocused ? !m_editUndoText.isEmpty() : m_undoAvailable);
        }
    } else if (name == QLatin1String("mniView")) {
        if (QAction* a = MenuItem(QStringLiteral("mniViewRulers"))) a->setChecked(m_rulersVisible);
        if (QAction* a = MenuItem(QStringLiteral("mniViewShowData"))) {
            a->setEnabled(m_currentReport != nullptr);
            a->setChecked(m_currentReport && m_currentReport->HasState(ppsShowData));
        }
        enable("mniViewGridOptions", m_mainReport && formRegistered("TppCustomGridDialog"));
    } else if (name == QLatin1String("mniReport")) {
        for (const BandToggle& t : kBandToggles)
            if (QAction* a = MenuItem(QString::fromLatin1(t.name))) {
                a->setEnabled(m_currentReport != nullptr);
                a->setChecked(m_currentReport && m_currentReport->GetBand(t.type));
            }
        const bool main = m_currentReport && m_currentReport == m_mainReport;
        enable("mniReportCachePages", main);
        enable("mniReportPassSetting", main);
        if (m_mainReport) {
            MenuItem(QStringLiteral("mniReportCachePages"))->setChecked(m_mainReport->CachePages());
            MenuItem(QStringLiteral("mniPassSettingOnePass"))->setChecked(m_mainReport->PassSetting() == TppPassSettingType::psOnePass);
            MenuItem(QStringLiteral("mniPassSettingTwoPass"))->setChecked(m_mainReport->PassSetting() == TppPassSettingType::psTwoPass);
        }
        if (m_currentReport) {
            const bool portrait = m_currentReport->PrinterSetup()->Orientation() == TPrinterOrientation::poPortrait;
            MenuItem(QStringLiteral("mniReportPortrait"))->setChecked(portrait);
            MenuItem(QStringLiteral("mniReportLandscape"))->setChecked(!portrait);
        }
        enable("mniReportData", m_currentReport && formRegistered("TppCustomDataDialog"));
        enable("mniReportGroups", m_currentReport && formRegistered("TppCustomGroupDialog"));
        enable("mniReportPortrait", m_currentReport != nullptr);
        enable("mniReportLandscape", m_currentReport != nullptr);
        menuOpening(Menu(QStringLiteral("mnuUnits")));
    } else if (name == QLatin1String("mnuUnits")) {
        for (QAction* a : aMenu->actions())
            a->setChecked(m_currentReport && int(m_currentReport->Units()) == a->property("Tag").toInt());
    } else if (name == QLatin1String("mniHelp")) {
        enable("mniHelpAbout", formRegistered("TppCustomAboutDialog"));
    }
}

// Toolbars ------------------------------------------------------------------------------------

void TppDesignerWindow::buildToolbars() {
    auto dock = [this](TppDockPosition p, const char* name) {
        auto* d = new TppDock(this, p);
        d->setObjectName(QString::fromLatin1(name));
        return d;
    };
    TppDock* top = dock(ppdpTop, "TopDock");
    TppDock* bottom = dock(ppdpBottom, "BottomDock");
    TppDock* left = dock(ppdpLeft, "LeftDock");
    TppDock* right = dock(ppdpRight, "RightDock");
    m_toolbarManager = new TppToolbarManager(this);
    m_toolbarManager->setObjectName(QStringLiteral("ToolbarManager"));
    m_toolbarManager->IniFileName = SettingsFileName();
    m_toolbarManager->SetDocks(top, bottom, left, right);
    m_currentFont = std::make_unique<TppFont>();
    m_currentFont->SetName(QStringLiteral("Arial"));
    m_currentFont->SetSize(10);
    wireToolbars();
}

void TppDesignerWindow::SetHiddenPaletteClasses(const QStringList& aClassNames) {
    if (m_toolbarManager) m_toolbarManager->SetHiddenClasses(aClassNames);
}

void TppDesignerWindow::wireToolbars() {
    TppToolbarManager* tm = m_toolbarManager;
    tm->OnComponentButton = [this](const QString& aClass) { m_paletteClass = aClass; };
    bindTreeWindows();
    auto* standard = qobject_cast<TppStandardToolbar*>(tm->FindToolbarWidget(QStringLiteral("Standard")));
    standard->New->OnClick = [this] { FileNew(); };
    standard->Open->OnClick = [this] { FileOpen(); };
    standard->Save->OnClick = [this] { FileSave(); };
    standard->PageSetup->OnClick = [this] { PageSetup(); };
    standard->Print->OnClick = [this] { PrintReport(); };
    standard->PrintPreview->OnClick = [this] { m_pages->setCurrentWidget(m_previewSheet); };
    standard->Cut->OnClick = [this] { CutSelection(); };
    standard->Copy->OnClick = [this] { CopySelection(); };
    standard->Paste->OnClick = [this] { PasteSelection(); };
    auto* format = qobject_cast<TppFormatToolbar*>(tm->FindToolbarWidget(QStringLiteral("Format")));
    connect(format->FontName, &QComboBox::textActivated, this, [this] { FontNameChanged(); });
    connect(format->FontSize, &QComboBox::textActivated, this, [this] { FontSizeChanged(); });
    connect(format->FontSize->lineEdit(), &QLineEdit::returnPressed, this, [this] { FontSizeChanged(); });
    format->FontNameButton->OnClick = [this, format] {
        format->FontName->SetFontName(format->FontNameButton->Font()->Name());
        FontNameChanged();
    };
    format->FontSizeButton->OnClick = [this, format] {
        format->FontSize->setEditText(QString::number(format->FontSizeButton->Font()->Size()));
        FontSizeChanged();
    };
    format->Bold->OnClick = [this] { FontStyleClicked(0); };
    format->Italic->OnClick = [this] { FontStyleClicked(1); };
    format->Underline->OnClick = [this] { FontStyleClicked(2); };
    format->AlignLeft->OnClick = [this] { AlignmentClicked(TAlignment::taLeftJustify); };
    format->AlignCenter->OnClick = [this] { AlignmentClicked(TAlignment::taCenter); };
    format->AlignRight->OnClick = [this] { AlignmentClicked(TAlignment::taRightJustify); };
    format->FontColor->OnClick = [this, format] { ApplyFontColor(format->FontColor->SelectedColor()); };
    format->FontColor->OnColorChange = [this, format](QObject*) { ApplyFontColor(format->FontColor->SelectedColor()); };
    auto highlight = [this, format] {
        ApplyHighlightColor(format->HighlightColor->SelectedColor(), format->HighlightColor->SelectedNoColor());
    };
    format->HighlightColor->OnClick = highlight;
    format->HighlightColor->OnColorChange = [highlight](QObject*) { highlight(); };
    format->BringToFront->OnClick = [this] { BringSelectionToFront(); };
    format->SendToBack->OnClick = [this] { SendSelectionToBack(); };
    auto* draw = qobject_cast<TppDrawToolbar*>(tm->FindToolbarWidget(QStringLiteral("Draw")));
    auto fill = [this, draw] { ApplyFillColor(draw->FillColor->SelectedColor(), draw->FillColor->SelectedNoColor()); };
    draw->FillColor->OnClick = fill;
    draw->FillColor->OnColorChange = [fill](QObject*) { fill(); };
    auto line = [this, draw] { ApplyLineColor(draw->LineColor->SelectedColor(), draw->LineColor->SelectedNoColor()); };
    draw->LineColor->OnClick = line;
    draw->LineColor->OnColorChange = [line](QObject*) { line(); };
    draw->LineThickness->OnPaletteButtonClick = [this, draw](QObject*) {
        ApplyLineThickness(draw->LineThickness->LineThickness(), draw->LineThickness->LineStyle());
    };
    draw->LineStyle->OnPaletteButtonClick = [this, draw](QObject*) { ApplyLineStyle(draw->LineStyle->LineStyle()); };
    auto* align = qobject_cast<TppActionToolbar*>(tm->FindToolbarWidget(QStringLiteral("Align")));
    align->OnAction = [this](QObject*, int a) { AlignSelection(a); };
    auto* size = qobject_cast<TppActionToolbar*>(tm->FindToolbarWidget(QStringLiteral("Size")));
    size->OnAction = [this](QObject*, int a) { SizeSelection(a); };
    auto* nudge = qobject_cast<TppActionToolbar*>(tm->FindToolbarWidget(QStringLiteral("Nudge")));
    nudge->OnAction = [this](QObject*, int a) { NudgeSelection(a); };
    auto* edit = qobject_cast<TppEditToolbar*>(tm->FindToolbarWidget(QStringLiteral("Edit")));
    connect(edit->TextBox, &QLineEdit::textEdited, this, [this](const QString& t) { editTextChanged(t); });
    connect(edit->TextBox, &QLineEdit::editingFinished, this, [this] { editTextCommit(); });
    connect(edit->PipelineBox, &QComboBox::textActivated, this, [this, edit](const QString& aName) {
        if (m_fillingEditor || !m_currentComponent) return;
        TppDataPipelineList list(m_currentComponent);
        m_currentComponent->SetDataPipeline(list.GetDataPipelineForName(aName));
        Q_UNUSED(edit);
        refreshEditToolbar();
        Modified();
    });
    connect(edit->ValueBox, &QComboBox::textActivated, this, [this](const QString& aText) {
        if (m_fillingEditor || !m_currentComponent) return;
        TppComponent* c = m_currentComponent;
        if (m_editKind == 2) {
            auto* pipeline = qobject_cast<TppCustomDataPipeline*>(c->DataPipeline());
            if (!pipeline) return;
            QString field = pipeline->GetFieldNameForAlias(aText);
            if (field.isEmpty()) field = aText;
            c->SetDataField(field);
            if (OnAssignField) OnAssignField(c);
        } else if (m_editKind == 3) {
            TppDataPipelineList list(c);
            c->SetDataPipeline(list.GetDataPipelineForName(aText));
        }
        Modified();
    });
}

void TppDesignerWindow::refreshToolbars() {
    if (m_destroying || !m_currentReport || !m_mainReport || !m_toolbarManager || m_updateCount > 0) return;
    TppComponent *text = nullptr, *filler = nullptr, *line = nullptr, *graphic = nullptr;
    for (TppComponent* c : Selection()) {
        if (!text && c->HasFontColor()) text = c;
        if (!filler && !c->HasFontColor() && (c->HasColor() || qobject_cast<TppCustomGraphic*>(c)) && !qobject_cast<TppLine*>(c))
            filler = c;
        if (!line && qobject_cast<TppLine*>(c)) line = c;
        if (!graphic && qobject_cast<TppCustomGraphic*>(c)) graphic = c;
    }
    auto* format = qobject_cast<TppFormatToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Format")));
    auto* draw = qobject_cast<TppDrawToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Draw")));
    draw->LineThickness->SetPaletteEnabled(line != nullptr);
    draw->LineStyle->SetPaletteEnabled(graphic != nullptr);
    format->FontColor->SetPaletteEnabled(text != nullptr);
    format->HighlightColor->SetPaletteEnabled(text != nullptr);
    draw->FillColor->SetPaletteEnabled(filler != nullptr);
    draw->LineColor->SetPaletteEnabled(filler != nullptr || line != nullptr);
    if (text && text->Font()) {
        m_currentFont->Assign(text->Font());
        m_currentAlignment = text->Alignment();
        format->SetToolbarFont(text->Font());
        format->SetTextAlignment(text->Alignment());
        paint::TColor back;
        bool clear;
        text->GetBackground(back, clear);
        format->SetHighlightPaletteColor(back, clear);
    }
    if (auto* l = qobject_cast<TppLine*>(line)) {
        draw->LineThickness->SetLineThickness(l->Weight());
        draw->LineThickness->SetLineStyle(l->Style());
        draw->LineColor->SetPaletteColor(l->Pen().Color, false);
    }
    if (auto* g = qobject_cast<TppCustomGraphic*>(graphic)) draw->LineStyle->SetLineStyle(g->Pen().Style);
    if (auto* g = qobject_cast<TppCustomGraphic*>(filler)) {
        draw->FillColor->SetPaletteColor(g->Brush().Color, g->Brush().Style == paint::TBrushStyle::bsClear);
        draw->LineColor->SetPaletteColor(g->Pen().Color, g->Pen().Style == paint::TPenStyle::psClear);
    } else if (filler) {
        paint::TColor back;
        bool clear;
        filler->GetBackground(back, clear);
        draw->FillColor->SetPaletteColor(back, clear);
    }
    refreshEditToolbar();
}

void TppDesignerWindow::refreshEditToolbar() {
    if (!m_toolbarManager) return;
    auto* edit = qobject_cast<TppEditToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Edit")));
    m_fillingEditor = true;
    const auto done = base::ScopeExit([this] { m_fillingEditor = false; });
    edit->BeginUpdate();
    const auto end = base::ScopeExit([edit] { edit->EndUpdate(); });
    QList<TppComponent*> sel = Selection();
    TppComponent* c = sel.size() == 1 ? sel.first() : nullptr;
    m_editKind = c ? c->DefaultPropEditType() : -1;
    if (c && m_editKind == 2 && !c->IsDataAware()) m_editKind = -1;
    if (c && m_editKind == 1 && c->DefaultPropName().isEmpty()) m_editKind = -1;
    if (!c || m_editKind < 0) {
        edit->ShowEditor(nullptr);
        return;
    }
    edit->TextBox->setToolTip(c->GetDefaultPropHint());
    if (m_editKind == 0 || m_editKind == 1) {
        const QString prop = c->DefaultPropName();
        edit->TextBox->setText(prop == QLatin1String("Caption") ? c->GetCaption() : c->property(prop.toLatin1()).toString());
        edit->ShowEditor(edit->TextBox);
        return;
    }
    TppDataPipelineList list(c);
    if (m_editKind == 2) {
        edit->PipelineBox->clear();
        edit->PipelineBox->setToolTip(caption(606));
        for (int i = 0; i < list.Count(); ++i) edit->PipelineBox->addItem(list.Names(i));
        int current = -1;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Items(i) == c->DataPipeline()) current = i;
        edit->PipelineBox->setCurrentIndex(current);
        edit->ValueBox->clear();
        if (auto* pipeline = qobject_cast<TppCustomDataPipeline*>(c->DataPipeline())) {
            QStringList aliases;
            pipeline->GetFieldAliases(aliases);
            aliases.sort(Qt::CaseInsensitive);
            edit->ValueBox->addItems(aliases);
            edit->ValueBox->setCurrentIndex(aliases.indexOf(pipeline->GetFieldAlias(c->DataField())));
        }
        edit->ShowEditor(edit->PipelineBox);
    } else {
        edit->ValueBox->clear();
        for (int i = 0; i < list.Count(); ++i) edit->ValueBox->addItem(list.Names(i));
        edit->ShowEditor(edit->ValueBox);
    }
}

void TppDesignerWindow::editTextChanged(const QString& aText) {
    if (m_fillingEditor || !m_currentComponent || m_editKind != 0) return;
    TppComponent* c = m_currentComponent;
    const QString prop = c->DefaultPropName();
    if (prop == QLatin1String("Caption")) c->SetCaption(aText);
    else c->setProperty(prop.toLatin1(), aText);
    recalcBounds();
    Modified();
}

void TppDesignerWindow::editTextCommit() {
    if (m_fillingEditor || !m_currentComponent || m_editKind != 1) return;
    auto* edit = qobject_cast<TppEditToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Edit")));
    TppComponent* c = m_currentComponent;
    const QString prop = c->DefaultPropName();
    const QString text = edit->TextBox->text();
    const QString old = prop == QLatin1String("Caption") ? c->GetCaption() : c->property(prop.toLatin1()).toString();
    if (text == old) return;
    if (prop == QLatin1String("Caption")) c->SetCaption(text);
    else c->setProperty(prop.toLatin1(), text);
    m_fillingEditor = true;
    edit->TextBox->setText(prop == QLatin1String("Caption") ? c->GetCaption() : c->property(prop.toLatin1()).toString());
    m_fillingEditor = false;
    recalcBounds();
    Modified();
}

// Status bar ----------------------------------------------------------------------------------

void TppDesignerWindow::refreshStatusBar() {
    if (!m_currentReport || m_updateCount > 0 || m_statusPanels.size() < 5) {
        if (!m_currentReport && !m_statusPanels.isEmpty()) m_statusPanels[0]->setText(caption(180));
        return;
    }
    QList<TppComponent*> sel = Selection();
    if (sel.isEmpty()) m_statusPanels[0]->setText(caption(180));
    else if (sel.size() == 1) m_statusPanels[0]->setText(caption(269) + QStringLiteral(": ") + sel.first()->GetDescription());
    else m_statusPanels[0]->setText(caption(270) + QStringLiteral(": ") + QString::number(sel.size()));
    const QRect b = sel.isEmpty() ? QRect() : m_bounds->geometry();
    const TppUnitType units = m_currentReport->Units();
    auto in = [units](int pixels, int selector) {
        const int mm = ppToMMThousandths(TppUnitType::utScreenPixels, selector, nullptr, float(pixels));
        return QString::number(double(ppFromMMThousandths(mm, units, selector, nullptr)), 'g', 7);
    };
    int top = 0;
    if (!sel.isEmpty())
        if (TppBand* band = BandAt(b.top())) top = b.top() - BandTop(band);
    m_statusPanels[1]->setText(caption(181) + QStringLiteral(": ") + in(sel.isEmpty() ? 0 : b.left(), report::kHorizontal));
    m_statusPanels[2]->setText(caption(182) + QStringLiteral(": ") + in(top, report::kVertical));
    m_statusPanels[3]->setText(caption(183) + QStringLiteral(": ") + in(b.width(), report::kHorizontal));
    m_statusPanels[4]->setText(caption(184) + QStringLiteral(": ") + in(b.height(), report::kVertical));
}

QStringList TppDesignerWindow::StatusTexts() const {
    QStringList texts;
    for (QLabel* l : m_statusPanels) texts << l->text();
    return texts;
}

// Files ---------------------------------------------------------------------------------------

QString TppDesignerWindow::templateName(TppCustomReport* aReport) const {
    TppReportTemplate* t = aReport->Template();
    return t->SaveTo() == TppSaveToType::stFile ? t->FileName() : t->DatabaseSettings()->Name();
}

bool TppDesignerWindow::AskToSave(TppCustomReport* aReport) {
    if (!aReport || !aReport->SaveAsTemplate() || !aReport->Modified()) return true;
    TppReportTemplate* t = aReport->Template();
    QString name;
    for (int i = 1; i < m_reportTabs->count(); ++i)
        if (m_reportTabs->isVisible() && m_reportTabs->tabData(i).value<QObject*>() == aReport)
            name = m_reportTabs->tabText(i) + QStringLiteral(": ");
    QString own = templateName(aReport);
    if (own.isEmpty()) {
        own = caption(571);
        if (t->SaveTo() == TppSaveToType::stFile) t->SetFileName(own);
        else t->DatabaseSettings()->SetName(own);
    }
    name += own;
    switch (ui::Message(report::MessageText(357, {name}), ui::MessageKind::Confirmation,
                        ui::Button::Yes | ui::Button::No | ui::Button::Cancel)) {
    case ui::Button::Yes: return SaveReport(aReport);
    case ui::Button::No: return true;
    default: return false;
    }
}

void TppDesignerWindow::writeReport(TppCustomReport* aReport) {
    if (OnCustomSaveDoc) OnCustomSaveDoc(aReport);
    else aReport->Template()->Save();
}

bool TppDesignerWindow::SaveReport(TppCustomReport* aReport) {
    if (!aReport) return false;
    TppReportTemplate* t = aReport->Template();
    const QString name = templateName(aReport);
    if (!name.isEmpty() && !name.contains(caption(571), Qt::CaseInsensitive)) {
        if (t->SaveTo() == TppSaveToType::stFile && t->IsReadOnly()) {
            ui::Message(caption(51), ui::MessageKind::Warning, ui::Button::Ok);
            return SaveReportAs(aReport);
        }
        writeReport(aReport);
        updateCaption();
        return true;
    }
    return SaveReportAs(aReport);
}

bool TppDesignerWindow::SaveReportAs(TppCustomReport* aReport) {
    if (!aReport) return false;
    TppReportTemplate* t = aReport->Template();
    if (t->FileName().contains(caption(571), Qt::CaseInsensitive)) t->SetFileName(QString());
    if (!t->ShowSaveDialog()) return false;
    writeReport(aReport);
    if (aReport == m_mainReport) addRecent(aReport);
    updateCaption();
    return true;
}

void TppDesignerWindow::addRecent(TppCustomReport* aReport) {
    if (!m_docHistory || !aReport) return;
    TppReportTemplate* t = aReport->Template();
    const QString name = templateName(aReport);
    if (name.isEmpty()) return;
    m_docHistory->AddDocument(name, {name, QString::number(int(t->SaveTo())), QString::number(t->Offset())});
}

bool TppDesignerWindow::CanAdd(bool aReplacing) {
    // The class library's inline-frame and ancestor states are kept as dynamic properties.
    TComponent* owner = m_mainReport ? m_mainReport->Owner() : nullptr;
    if (owner && owner->property("InlineFrame").toBool()) {
        ui::Message(caption(686), ui::MessageKind::Warning, ui::Button::Ok);
        return false;
    }
    if (aReplacing && m_currentReport && m_currentReport->property("Ancestor").toBool()) {
        ui::Message(caption(687), ui::MessageKind::Warning, ui::Button::Ok);
        return false;
    }
    return true;
}

bool TppDesignerWindow::CanDelete() {
    for (TppComponent* c : Selection())
        if (c->property("Ancestor").toBool()) {
            ui::Message(caption(687), ui::MessageKind::Warning, ui::Button::Ok);
            return false;
        }
    return true;
}

bool TppDesignerWindow::LoadReport(TppCustomReport* aReport) {
    if (!aReport || !CanAdd(true)) return false;
    const auto after = base::ScopeExit([this, aReport] {
        if (aReport->HasState(TComponent::csDesigning) && !aReport->SaveAsTemplate()) aReport->SetModified(true);
    });
    if (OnCustomOpenDoc) OnCustomOpenDoc(aReport);
    else aReport->Template()->Load();
    if (aReport == m_mainReport) addRecent(aReport);
    updateCaption();
    return true;
}

TppCustomReport* TppDesignerWindow::reportOfTab(TppCustomReport* aDefault) const { return aDefault; }

namespace {

/// The template's location, put back by a file command whatever happens.
struct TemplateLocation {
    explicit TemplateLocation(TppReportTemplate* t)
        : t(t), saveTo(t->SaveTo()), offset(t->Offset()), file(t->FileName()), row(t->DatabaseSettings()->Name()) {}
    void restoreName() const {
        if (t->SaveTo() == TppSaveToType::stFile) t->SetFileName(file);
        else t->DatabaseSettings()->SetName(row);
    }
    void restoreAll() const {
        t->SetSaveTo(saveTo);
        t->SetOffset(offset);
        t->SetFileName(file);
        t->DatabaseSettings()->SetName(row);
    }
    TppReportTemplate* t;
    TppSaveToType saveTo;
    int offset;
    QString file;
    QString row;
};

}  // namespace

void TppDesignerWindow::FileOpen() {
    TppCustomReport* r = m_mainReport;
    if (!r || !CanAdd(true) || !AskToSave(r)) return;
    TppReportTemplate* t = r->Template();
    const TemplateLocation before(t);
    if (!t->ShowOpenDialog()) return;
    try {
        LoadReport(r);
    } catch (...) {
        // A failed load leaves the template where it was: storage kind, offset and name.
        before.restoreAll();
        updateCaption();
        throw;
    }
}

void TppDesignerWindow::LoadSubreport() {
    TppCustomReport* r = m_currentReport;
    if (!r || !CanAdd(true) || !AskToSave(r)) return;
    TppReportTemplate* t = r->Template();
    const TemplateLocation before(t);
    if (!t->ShowOpenDialog()) return;
    try {
        LoadReport(r);
    } catch (...) {
        before.restoreAll();
        updateCaption();
        throw;
    }
}

void TppDesignerWindow::FileClose() { close(); }
void TppDesignerWindow::FileSave() { SaveReport(m_mainReport); }
void TppDesignerWindow::FileSaveAs() { SaveReportAs(m_mainReport); }
void TppDesignerWindow::SaveSubreport() { SaveReportAs(m_currentReport); }

void TppDesignerWindow::LoadFromFile(TppCustomReport* aReport) {
    if (!aReport || !CanAdd(true) || !AskToSave(aReport)) return;
    TppReportTemplate* t = aReport->Template();
    const TemplateLocation before(t);
    const auto restore = base::ScopeExit([&] {
        t->SetSaveTo(before.saveTo);
        t->SetOffset(before.offset);
        t->DatabaseSettings()->SetName(before.row);
        if (before.saveTo != TppSaveToType::stFile) t->SetFileName(before.file);
        updateCaption();
    });
    if (!t->ShowOpenFileDialog()) return;
    t->SetSaveTo(TppSaveToType::stFile);
    LoadReport(aReport);
}

void TppDesignerWindow::SaveToFile(TppCustomReport* aReport) {
    if (!aReport) return;
    TppReportTemplate* t = aReport->Template();
    const TemplateLocation before(t);
    const auto restore = base::ScopeExit([&] {
        before.restoreAll();
        updateCaption();
    });
    t->SetSaveTo(TppSaveToType::stFile);
    if (!t->ShowSaveFileDialog()) return;
    writeReport(aReport);
}

void TppDesignerWindow::OpenRecent(QAction* aItem) {
    if (!m_mainReport || !m_docHistory) return;
    const QStringList details = m_docHistory->GetDocumentDetails(aItem);
    if (details.isEmpty()) return;
    TppReport* r = m_mainReport;
    TppReportTemplate* t = r->Template();
    if (details.first() == templateName(r)) return;
    if (!AskToSave(r)) return;
    const TemplateLocation before(t);
    if (details.size() > 1) t->SetSaveTo(TppSaveToType(details.at(1).toInt()));
    if (details.size() > 2) t->SetOffset(details.at(2).toInt());
    if (t->SaveTo() == TppSaveToType::stFile) t->SetFileName(details.first());
    else t->DatabaseSettings()->SetName(details.first());
    try {
        LoadReport(r);
    } catch (...) {
        before.restoreAll();
        updateCaption();
        throw;
    }
    if (t->SaveTo() != before.saveTo) {
        t->SetSaveTo(before.saveTo);
        before.restoreName();
    }
    t->SetOffset(before.offset);
    updateCaption();
}

void TppDesignerWindow::FileNew() {
    if (!m_currentReport) return;
    auto* dialog = report::CreateForm<TppCustomNewDialog>(this);
    if (!dialog) return;
    std::unique_ptr<report::ReportForm> owner(dialog);
    report::ppSetFormReport(dialog, m_currentReport);
    report::ppSetFormLanguageIndex(dialog, m_currentReport->LanguageIndex());
    TppWizardClassList classes;
    ppGetReportWizardClasses(classes);
    dialog->SetWizardClasses(classes);
    if (dialog->ShowModal() != report::ModalResult::mrOk) return;
    const TppWizardClass* chosen = dialog->GetSelectedItem();
    owner.reset();
    RunWizard(chosen);
}

void TppDesignerWindow::FileNewReport() {
    if (!m_currentReport || !CanAdd(true) || !AskToSave(m_currentReport)) return;
    RunWizard(ppGetBlankReportWizard());
    if (m_currentReport && !m_currentReport->SaveAsTemplate()) m_currentReport->SetModified(true);
}

void TppDesignerWindow::RunWizard(const TppWizardClass* aClass) {
    if (!aClass || !aClass->Create || !m_currentReport) return;
    spbSelectReportClick();
    TppCustomReport* r = m_currentReport;
    TppDataPipelineList pipelines(r);
    std::unique_ptr<TppWizard> made(aClass->Create(nullptr));
    auto* wizard = dynamic_cast<TppCustomWizard*>(made.get());
    if (!wizard) return;
    wizard->ShowDescription = false;
    auto* reportWizard = dynamic_cast<TppCustomReportWizard*>(wizard);
    if (reportWizard && r->DataPipeline()) reportWizard->SetDataName(r->DataPipeline()->UserName());
    wizard->OnGetDataNames = [&pipelines](QObject*, QStringList& names) {
        for (int i = 0; i < pipelines.Count(); ++i) names << pipelines.Names(i);
    };
    wizard->OnGetFields = [&pipelines](QObject*, const QString& aName, QList<std::pair<QString, QObject*>>& aList) {
        auto* p = qobject_cast<TppCustomDataPipeline*>(pipelines.GetDataPipelineForName(aName));
        if (!p) return;
        QStringList aliases;
        p->GetFieldAliases(aliases);
        for (const QString& alias : aliases) aList.append({alias, static_cast<QObject*>(p->GetFieldForAlias(alias))});
    };
    if (reportWizard)
        reportWizard->OnCreateReport = [r, &pipelines](QObject*, const QString& aDataName, QObject*& aReport) {
            r->Template()->New();
            if (!aDataName.isEmpty()) r->SetDataPipeline(pipelines.GetDataPipelineForName(aDataName));
            aReport = r;
        };
    wizard->SetLanguage(r->Language());
    r->BeginDesignerUpdate();
    bool done = false;
    {
        const auto end = base::ScopeExit([r] { r->EndDesignerUpdate(); });
        done = wizard->Execute();
    }
    if (done && wizard->FinishAction == 2) m_pages->setCurrentWidget(m_previewSheet);
}

void TppDesignerWindow::PageSetup() {
    if (runForm("TppCustomPageSetupDialog", this, m_currentReport)) Modified();
}

void TppDesignerWindow::PrintToFileSetup() {
    if (!report::RunPrintToFileSetupDialog(m_currentReport, m_mainReport, this)) return;
    if (m_producer && m_mainReport) {
        m_producer->SetAllowPrintToFile(m_mainReport->AllowPrintToFile());
        m_producer->SetTextFileName(m_mainReport->TextFileName());
        m_producer->SetTextFileType(m_mainReport->TextFileType());
    }
    Modified();
}

void TppDesignerWindow::PrintReport() {
    if (!m_mainReport || !m_viewer) return;
    m_mainReport->AddState(ppsDesignerPrinting);
    // The designer state bit goes whatever happens, and a failure is shown, not swallowed.
    const auto clear = base::ScopeExit([this] {
        if (m_mainReport) m_mainReport->RemoveState(ppsDesignerPrinting);
    });
    try {
        if (m_viewer->Report() == nullptr && m_producer) m_viewer->SetReport(m_producer.get());
        m_viewer->Print();
    } catch (const base::Exception& e) {
        ui::Message(e.Message(), ui::MessageKind::Error, ui::Button::Ok);
    } catch (const std::exception& e) {
        ui::Message(QString::fromLocal8Bit(e.what()), ui::MessageKind::Error, ui::Button::Ok);
    }
}

// Report, View and Help menus -------------------------------------------------------------------

void TppDesignerWindow::ReportData() {
    if (report::RunDataDialog(m_currentReport, this)) Modified();
}

void TppDesignerWindow::ToggleBand(int aBandType, bool aOn) {
    if (!m_currentReport) return;
    const auto type = TppBandType(aBandType);
    TppBand* existing = m_currentReport->GetBand(type);
    if (aOn && !existing) {
        TComponent* owner = m_currentReport->Owner() ? m_currentReport->Owner() : m_currentReport.data();
        TppBand* band = nullptr;
        switch (type) {
        case TppBandType::btTitle: band = new TppTitleBand(owner); break;
        case TppBandType::btSummary: band = new TppSummaryBand(owner); break;
        case TppBandType::btHeader: band = new TppHeaderBand(owner); break;
        case TppBandType::btFooter: band = new TppFooterBand(owner); break;
        case TppBandType::btPageStyle: band = new TppPageStyle(owner); break;
        default: return;
        }
        QString name;
        m_currentReport->GetDefaultName(band, name);
        band->SetName(name);
        band->SetReport(m_currentReport);
    } else if (!aOn && existing) {
        delete existing;
    }
}

void TppDesignerWindow::ReportGroups() {
    if (!runForm("TppCustomGroupDialog", this, m_currentReport)) return;
    LayoutBands();
    WorkspaceResize();
    Modified();
}

void TppDesignerWindow::GridOptions() {
    if (!m_mainReport) return;
    const report::FormClass* formClass = report::ppGetFormClass(QStringLiteral("TppCustomGridDialog"));
    if (!formClass) return;
    std::unique_ptr<report::ReportForm> form(formClass->create(this));
    auto* object = dynamic_cast<QObject*>(form.get());
    if (!object) return;
    report::ppSetFormLanguageIndex(form.get(), m_mainReport->LanguageIndex());
    object->setProperty("SnapToGrid", m_snapToGrid);
    object->setProperty("DisplayGrid", DisplayGrid());
    object->setProperty("XGridSpace", XGridSpace());
    object->setProperty("YGridSpace", YGridSpace());
    if (form->ShowModal() != report::ModalResult::mrOk) return;
    m_snapToGrid = object->property("SnapToGrid").toBool();
    SetXGridSpace(object->property("XGridSpace").toInt());
    SetYGridSpace(object->property("YGridSpace").toInt());
    // The display choice takes effect at once and is saved with the other grid settings.
    SetDisplayGrid(object->property("DisplayGrid").toBool());
    SaveSettings();
}

namespace {

/// Runs a help call with "Marlisk.HLP" in the folder of the program's help file.
template <class F>
void withDesignerHelp(F&& aCall) {
    const QString previous = ui::HelpService::HelpFile();
    const QString folder = previous.isEmpty() ? QString() : QFileInfo(previous).path();
    ui::HelpService::SetHelpFile(folder.isEmpty() ? QStringLiteral("Marlisk.HLP") : folder + QStringLiteral("/Marlisk.HLP"));
    const auto restore = base::ScopeExit([previous] { ui::HelpService::SetHelpFile(previous); });
    aCall();
}

}  // namespace

void TppDesignerWindow::ShowHelp() {
    QString keyword;
    QList<TppComponent*> sel = Selection();
    if (!sel.isEmpty()) keyword = QString::fromLatin1(sel.first()->metaObject()->className()).mid(3) + QStringLiteral("_Component");
    withDesignerHelp([&] { ui::HelpService::ShowKeyword(keyword); });
}

void TppDesignerWindow::HelpTopics() {
    withDesignerHelp([] { ui::HelpService::ShowKeyword(QString()); });
}

void TppDesignerWindow::About() { runForm("TppCustomAboutDialog", this, m_mainReport); }

// Clipboard and undo --------------------------------------------------------------------------

QByteArray TppDesignerWindow::SelectionStream(bool aDeleting) {
    stream::ValueWriter writer;
    bool first = true;
    for (TppComponent* c : Selection()) {
        // A component inside a selected region is written by the region.
        if (c->Region() && IsSelected(c->Region())) continue;
        c->AddState(ppsCopying);
        const auto clear = base::ScopeExit([c] { c->RemoveState(ppsCopying); });
        if (first && !aDeleting) {
            m_copyOrigin = QPoint(c->spLeft(), BandTop(c->Band()) + c->spTop());
            m_cascadePoint = m_copyOrigin;
        }
        first = false;
        writer.WriteRootObject(stream::ComponentToObjectData(*c));
    }
    writer.WriteRaw(QByteArray(1, '\0'));
    return writer.TakeData();
}

void TppDesignerWindow::CopySelection() {
    auto* edit = m_toolbarManager
                     ? qobject_cast<TppEditToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Edit")))
                     : nullptr;
    if (edit && edit->TextBox->hasFocus()) {
        m_editUndoText.clear();
        edit->TextBox->copy();
        return;
    }
    m_undoAvailable = false;
    if (Selection().isEmpty()) return;
    m_clipboardStream = SelectionStream(false);
    // The data carries its byte count in front, so a reader takes exactly that many bytes.
    QByteArray data = QByteArray::number(m_clipboardStream.size()) + '\n' + m_clipboardStream;
    auto* mime = new QMimeData;
    mime->setData(ClipboardMimeType(), data);
    mime->setText(QString::number(m_clipboardStream.size()));
    QApplication::clipboard()->setMimeData(mime);
    m_clipboardStream.clear();
}

void TppDesignerWindow::CutSelection() {
    auto* edit = m_toolbarManager
                     ? qobject_cast<TppEditToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Edit")))
                     : nullptr;
    if (edit && edit->TextBox->hasFocus()) {
        m_editUndoText = edit->TextBox->text();
        edit->TextBox->cut();
        return;
    }
    CopySelection();
    DeleteSelection();
    m_undoAvailable = false;
}

void TppDesignerWindow::PasteSelection() {
    auto* edit = m_toolbarManager
                     ? qobject_cast<TppEditToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Edit")))
                     : nullptr;
    if (edit && edit->TextBox->hasFocus()) {
        edit->TextBox->paste();
        return;
    }
    if (!m_currentReport || !CanAdd(false)) return;
    m_undoAvailable = false;
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime || !mime->hasFormat(ClipboardMimeType())) return;
    const QByteArray data = mime->data(ClipboardMimeType());
    try {
        const int newline = int(data.indexOf('\n'));
        if (newline <= 0 || newline > 12) throw EReportClipboardError(QStringLiteral("no length"));
        bool ok = false;
        const qint64 length = data.left(newline).toLongLong(&ok);
        if (!ok || length < 1 || length > data.size() - newline - 1)
            throw EReportClipboardError(QStringLiteral("the length does not match the data"));
        PasteStream(data.mid(newline + 1, length));
    } catch (const std::exception&) {
        ui::Message(QStringLiteral("The clipboard does not hold report components that can be pasted."),
                    ui::MessageKind::Warning, ui::Button::Ok);
    }
}

void TppDesignerWindow::PasteStream(const QByteArray& aStream) {
    if (!m_currentReport) return;
    TppCustomReport* r = m_currentReport;
    QObject* root = r->Owner() ? static_cast<QObject*>(r->Owner()) : static_cast<QObject*>(r);
    // Read everything first: a damaged or foreign stream is refused before anything changes.
    std::vector<std::unique_ptr<stream::Component>> read;
    {
        stream::ValueReader reader(aStream);
        std::vector<stream::ObjectData> objects;
        while (true) {
            if (reader.AtEnd()) throw EReportClipboardError(QStringLiteral("the end marker is missing"));
            if (reader.EndOfList()) break;
            reader.ReadSignature();
            objects.push_back(reader.ReadObject());
        }
        if (objects.empty()) return;
        stream::ReadOptions options;
        options.onSetName = [root, r](stream::Component& c, QString& name) {
            auto* object = dynamic_cast<QObject*>(&c);
            if (!object || name.isEmpty()) return;
            for (QObject* other : root->children())
                if (other != object && other->objectName().compare(name, Qt::CaseInsensitive) == 0) {
                    if (auto* p = qobject_cast<TppPrintable*>(object)) p->AddState(ppsPasting);
                    // Names taken by what was read before in this paste count as well.
                    r->GetDefaultName(object, name);
                    return;
                }
        };
        options.findComponent = [root](const QString& name) -> stream::Component* {
            for (QObject* c : root->children())
                if (c->objectName().compare(name, Qt::CaseInsensitive) == 0)
                    if (auto* component = dynamic_cast<stream::Component*>(c)) return component;
            return nullptr;
        };
        options.onError = [](const stream::StreamError&) { return true; };  // unknown properties are skipped
        for (const stream::ObjectData& d : objects) {
            std::unique_ptr<stream::Component> c = stream::ReadComponent(d, options);
            if (!dynamic_cast<TppComponent*>(c.get())) throw EReportClipboardError(QStringLiteral("not a report component"));
            // Take the read one into the owner at once so that the next one's name is checked against it.
            dynamic_cast<QObject*>(c.get())->setParent(root);
            read.push_back(std::move(c));
        }
    }
    BeginUpdate();
    const auto end = base::ScopeExit([this] { EndUpdate(); });
    ClearSelection(false);
    QPoint offset;
    bool first = true;
    for (std::unique_ptr<stream::Component>& owned : read) {
        auto* c = dynamic_cast<TppComponent*>(owned.release());
        TppBand* band = r->GetBand(c->BandType(), std::max(0, c->GroupNo()));
        if (!band && c->GroupNo() >= 0) band = r->GetBand(c->BandType(), c->GroupNo());
        if (!band) band = r->BandCount() > 0 ? r->Bands(0) : nullptr;
        if (!band) {
            delete c;
            continue;
        }
        c->SetBand(band);
        const QPoint at(c->spLeft(), BandTop(band) + c->spTop());
        if (first) {
            if (at == m_copyOrigin && !m_undeleting) offset = m_cascadePoint - m_copyOrigin + QPoint(8, 8);
            first = false;
        }
        if (!offset.isNull()) {
            const int maxLeft = std::max(0, m_workspace->width() - c->spWidth());
            const int maxTop = std::max(0, pixelsOf(band->mmHeight(), report::kVertical) - c->spHeight());
            c->SetspLeft(std::clamp(c->spLeft() + offset.x(), 0, maxLeft));
            c->SetspTop(std::clamp(c->spTop() + offset.y(), 0, maxTop));
        }
        QList<TppComponent*> made{c};
        if (auto* region = qobject_cast<TppCustomRegion*>(c))
            for (int i = 0; i < region->ObjectCount(); ++i) {
                TppComponent* child = region->Objects(i);
                child->setParent(root);
                if (!offset.isNull()) {
                    child->SetspLeft(child->spLeft() + offset.x());
                    child->SetspTop(child->spTop() + offset.y());
                }
                made << child;
            }
        else c->SetRegion(RegionAt(band, QPoint(c->spLeft(), BandTop(band) + c->spTop())));
        for (TppComponent* m : made) {
            m->CreateDesignControl();
            if (!m->DesignControl()) createDesignControl(m);
        }
        for (TppComponent* m : made) AddToSelection(m);
        m_cascadePoint += QPoint(8, 8);
    }
    m_workspace->RaiseOverlay();
    Modified();
}

void TppDesignerWindow::DeleteSelection() {
    auto* edit = m_toolbarManager
                     ? qobject_cast<TppEditToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Edit")))
                     : nullptr;
    if (edit && edit->TextBox->hasFocus()) {
        m_editUndoText = edit->TextBox->text();
        edit->TextBox->del();
        return;
    }
    if (!m_currentReport || Selection().isEmpty() || !CanDelete()) return;
    m_deleting = true;
    m_undoStream = SelectionStream(true);
    QList<TppComponent*> sel = Selection();
    ClearSelection(false);
    for (int i = int(sel.size()) - 1; i >= 0; --i) {
        TppComponent* c = sel.at(i);
        if (c->Region() && sel.contains(c->Region())) continue;  // freed with its region below
        delete c;
    }
    m_deleting = false;
    m_undoAvailable = true;
    Modified();
    fullRefresh();
}

void TppDesignerWindow::Undelete() {
    auto* edit = m_toolbarManager
                     ? qobject_cast<TppEditToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Edit")))
                     : nullptr;
    if (edit && edit->TextBox->hasFocus()) {
        if (!m_editUndoText.isEmpty()) edit->TextBox->setText(m_editUndoText);
        m_editUndoText.clear();
        return;
    }
    if (!m_undoAvailable || m_undoStream.isEmpty()) return;
    m_undeleting = true;
    const auto done = base::ScopeExit([this] {
        m_undeleting = false;
        m_undoAvailable = false;
        m_undoStream.clear();
    });
    PasteStream(m_undoStream);
}

void TppDesignerWindow::SelectAll() {
    auto* edit = m_toolbarManager
                     ? qobject_cast<TppEditToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Edit")))
                     : nullptr;
    if (edit && edit->TextBox->hasFocus()) {
        edit->TextBox->selectAll();
        return;
    }
    if (!m_currentReport) return;
    ClearSelection(false);
    BeginUpdate();
    for (int i = 0; i < m_currentReport->BandCount(); ++i) {
        TppBand* band = m_currentReport->Bands(i);
        for (int k = 0; k < band->ObjectCount(); ++k) AddToSelection(band->Objects(k));
    }
    EndUpdate();
}

void TppDesignerWindow::BringSelectionToFront() {
    QList<TppComponent*> sel = Selection();
    for (TppComponent* c : sel) c->BringToFront();
    ClearSelection(false);
    BeginUpdate();
    for (TppComponent* c : sel) AddToSelection(c);
    EndUpdate();
}

void TppDesignerWindow::SendSelectionToBack() {
    QList<TppComponent*> sel = Selection();
    for (TppComponent* c : sel) c->SendToBack();
    ClearSelection(false);
    BeginUpdate();
    for (TppComponent* c : sel) AddToSelection(c);
    EndUpdate();
}

// Formatting ----------------------------------------------------------------------------------

void TppDesignerWindow::textComponentsDo(const std::function<void(TppComponent*)>& aAction) {
    BeginUpdate();
    const auto end = base::ScopeExit([this] { EndUpdate(); });
    for (TppComponent* c : Selection())
        if (c->HasFontColor() && c->Font()) aAction(c);
    Modified();
}

void TppDesignerWindow::FontNameChanged() {
    auto* format = qobject_cast<TppFormatToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Format")));
    TppFont* chosen = format->FontName->GetFont();
    m_currentFont->SetName(chosen->Name());
    m_currentFont->SetCharset(chosen->Charset());
    textComponentsDo([&](TppComponent* c) {
        TppFont f;
        f.Assign(c->Font());
        f.SetName(chosen->Name());
        f.SetCharset(chosen->Charset());
        c->SetFont(&f);
    });
}

void TppDesignerWindow::FontSizeChanged() {
    auto* format = qobject_cast<TppFormatToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Format")));
    bool ok = false;
    const int size = format->FontSize->currentText().trimmed().toInt(&ok);
    if (!ok || size <= 0) {
        // Not a positive whole number: the size stays and the box shows it again.
        const QSignalBlocker block(format->FontSize);
        format->FontSize->setEditText(QString::number(m_currentFont->Size()));
        return;
    }
    m_currentFont->SetSize(size);
    textComponentsDo([&](TppComponent* c) {
        TppFont f;
        f.Assign(c->Font());
        f.SetSize(size);
        c->SetFont(&f);
    });
}

void TppDesignerWindow::FontStyleClicked(int aStyle) {
    auto* format = qobject_cast<TppFormatToolbar*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("Format")));
    static const paint::TFontStyle styles[3] = {paint::TFontStyle::fsBold, paint::TFontStyle::fsItalic,
                                                paint::TFontStyle::fsUnderline};
    TppToolbarButton* buttons[3] = {format->Bold, format->Italic, format->Underline};
    const paint::TFontStyle s = styles[aStyle];
    const bool add = buttons[aStyle]->Down() && !m_currentFont->Style().Contains(s);
    auto apply = [add, s](TppFont& f) {
        paint::TFontStyles st = f.Style();
        if (add) st.Include(s);
        else st.Exclude(s);
        f.SetStyle(st);
    };
    apply(*m_currentFont);
    textComponentsDo([&](TppComponent* c) {
        TppFont f;
        f.Assign(c->Font());
        apply(f);
        c->SetFont(&f);
    });
}

void TppDesignerWindow::AlignmentClicked(TAlignment aAlignment) {
    m_currentAlignment = aAlignment;
    textComponentsDo([aAlignment](TppComponent* c) { c->SetAlignment(aAlignment); });
}

void TppDesignerWindow::ApplyFontColor(paint::TColor aColor) {
    textComponentsDo([aColor](TppComponent* c) {
        TppFont f;
        f.Assign(c->Font());
        f.SetColor(aColor);
        c->SetFont(&f);
    });
}

void TppDesignerWindow::ApplyHighlightColor(paint::TColor aColor, bool aClear) {
    textComponentsDo([aColor, aClear](TppComponent* c) { c->SetBackground(aColor, aClear); });
}

void TppDesignerWindow::ApplyFillColor(paint::TColor aColor, bool aClear) {
    BeginUpdate();
    const auto end = base::ScopeExit([this] { EndUpdate(); });
    for (TppComponent* c : Selection()) {
        if (c->HasFontColor()) continue;
        if (auto* g = qobject_cast<TppCustomGraphic*>(c)) {
            if (qobject_cast<TppLine*>(c)) continue;
            paint::Brush b = g->Brush();
            b.Style = aClear ? paint::TBrushStyle::bsClear : paint::TBrushStyle::bsSolid;
            if (!aClear) b.Color = aColor;
            g->SetBrush(b);
        } else if (c->HasColor()) {
            c->SetBackground(aColor, aClear);
        }
    }
    Modified();
}

void TppDesignerWindow::ApplyLineColor(paint::TColor aColor, bool aClear) {
    BeginUpdate();
    const auto end = base::ScopeExit([this] { EndUpdate(); });
    for (TppComponent* c : Selection())
        if (auto* g = qobject_cast<TppCustomGraphic*>(c)) {
            paint::Pen p = g->Pen();
            if (aClear) p.Style = paint::TPenStyle::psClear;
            else {
                if (p.Style == paint::TPenStyle::psClear) p.Style = paint::TPenStyle::psSolid;
                p.Color = aColor;
            }
            g->SetPen(p);
        }
    Modified();
}

void TppDesignerWindow::ApplyLineThickness(double aWeight, TppLineStyleType aStyle) {
    BeginUpdate();
    const auto end = base::ScopeExit([this] { EndUpdate(); });
    for (TppComponent* c : Selection())
        if (auto* l = qobject_cast<TppLine*>(c)) {
            l->SetWeight(float(aWeight));
            l->SetStyle(aStyle);
        }
    Modified();
}

void TppDesignerWindow::ApplyLineStyle(paint::TPenStyle aStyle) {
    BeginUpdate();
    const auto end = base::ScopeExit([this] { EndUpdate(); });
    for (TppComponent* c : Selection())
        if (auto* g = qobject_cast<TppCustomGraphic*>(c)) {
            paint::Pen p = g->Pen();
            p.Style = aStyle;
            g->SetPen(p);
        }
    Modified();
}
