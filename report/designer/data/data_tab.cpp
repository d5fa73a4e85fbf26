#include "report/designer/data/data_tab.h"

#include "report/designer/data/data_view_tool_win.h"
#include "report/designer/gui/designer_window.h"
#include "report/model/report.h"
#include "report/model/report_template.h"
#include "report/page/resource_manager.h"

#include "platform/settings/ini_file.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

/// The caption of a File command: the text, with "..." added when it has none yet.
QString commandCaption(int aTextId) {
    QString text = ppGetMessageText(aTextId);
    if (!text.contains(QStringLiteral("..."))) text += QStringLiteral("...");
    return text;
}

constexpr int kCommandTextIds[7] = {701, 708, 705, 707, 702, 706, 703};
const char* const kCommandNames[7] = {"mniDataSettings", "mniNew",            "mniImport",      "mniMerge",
                                      "mniExport",       "mniImportFromFile", "mniExportToFile"};

bool isDataWizardClass(const TppWizardClass* aClass) {
    return aClass && aClass->Class && aClass->Class->inherits(&TdaCustomDataWizard::staticMetaObject);
}

}  // namespace

// Wizard manager -------------------------------------------------------------------------------

TdaDataWizardManager::TdaDataWizardManager(TdaDataManager* aDataTab)
    : TppCommunicator(nullptr), m_dataTab(aDataTab), m_dataSettings(std::make_unique<TppDataSettings>(this)) {}

TdaDataWizardManager::~TdaDataWizardManager() {
    m_dataSettings->SetDataDictionary(nullptr);
    for (const QPointer<TdaCustomDataWizard>& wizard : m_wizards)
        if (wizard) {
            wizard->RemoveNotify(this);
            if (wizard->parent() == this) delete wizard.data();
        }
}

void TdaDataWizardManager::SetDataModule(TdaDataModule* aModule) {
    if (m_dataModule == aModule) return;
    if (m_dataModule) m_dataModule->RemoveNotify(this);
    m_dataModule = aModule;
    if (m_dataModule) m_dataModule->AddNotify(this);
}

void TdaDataWizardManager::SetDataSettings(TppDataSettings* aSettings) {
    if (aSettings) m_dataSettings->Assign(aSettings);
}

TClass TdaDataWizardManager::SessionClass() const { return daFindSessionClass(m_dataSettings->SessionType()); }

int TdaDataWizardManager::HeldWizardCount() const {
    int n = 0;
    for (const auto& wizard : m_wizards) n += wizard ? 1 : 0;
    return n;
}

void TdaDataWizardManager::setCurrentView(TdaDataView* aView) {
    if (m_dataView == aView) return;
    if (m_dataView) m_dataView->RemoveNotify(this);
    m_dataView = aView;
    if (m_dataView) m_dataView->AddNotify(this);
}

void TdaDataWizardManager::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation != TppOperationType::ppopRemove) return;
    QObject* gone = aCommunicator;
    if (gone == static_cast<QObject*>(m_dataView.data())) m_dataView = nullptr;
    if (gone == static_cast<QObject*>(m_dataModule.data())) {
        m_dataModule = nullptr;
        if (m_dataTab) m_dataTab->SetDataModule(nullptr);
    }
    std::erase_if(m_wizards, [gone](const QPointer<TdaCustomDataWizard>& w) {
        return !w || static_cast<QObject*>(w.data()) == gone;
    });
}

void TdaDataWizardManager::prepare(TdaCustomDataWizard* aWizard, int aStartAction) {
    aWizard->StartAction = aStartAction;
    aWizard->LanguageIndex = m_languageIndex;
    aWizard->OnGetDataView = [this](QObject* Sender, TdaDataView*& aDataView) { GetDataViewForWizard(Sender, aDataView); };
    aWizard->OnValidateName = [](QObject*, const QString&, bool& aValid) { aValid = true; };
    aWizard->SessionClass = SessionClass();
    aWizard->SetDataSettings(m_dataSettings.get());
    aWizard->FollowUp = 0;
}

const TppWizardClass* TdaDataWizardManager::wizardClassOf(TClass aClass) const {
    TppWizardClassList list;
    ppGetWizardClasses(list, &TdaCustomDataWizard::staticMetaObject);
    for (const auto& [caption, cls] : list)
        if (cls->Class == aClass) return cls;
    return nullptr;
}

TdaCustomDataWizard* TdaDataWizardManager::GetWizard(const TppWizardClass* aClass) {
    if (!isDataWizardClass(aClass)) return nullptr;
    auto held = [&]() -> TdaCustomDataWizard* {
        for (const auto& wizard : m_wizards)
            if (wizard && wizard->metaObject() == aClass->Class) return wizard;
        return nullptr;
    };
    if (TdaCustomDataWizard* wizard = held()) return wizard;
    // The data wizards placed on the designer, the module's owner or the data modules.
    QList<QObject*> places;
    if (m_dataModule && m_dataModule->Owner()) places << m_dataModule->Owner();
    for (QObject* module : report::data::DataModules())
        if (!places.contains(module)) places << module;
    for (QObject* place : places)
        for (QObject* child : place->children())
            if (auto* wizard = qobject_cast<TdaCustomDataWizard*>(child)) {
                if (std::any_of(m_wizards.begin(), m_wizards.end(), [wizard](const auto& w) { return w == wizard; }))
                    continue;
                wizard->AddNotify(this);
                m_wizards.push_back(wizard);
            }
    if (TdaCustomDataWizard* wizard = held()) return wizard;
    if (!aClass->Create) return nullptr;
    auto* wizard = qobject_cast<TdaCustomDataWizard*>(aClass->Create(nullptr));
    if (!wizard) return nullptr;
    wizard->setParent(this);
    wizard->AddNotify(this);
    m_wizards.push_back(wizard);
    return wizard;
}

void TdaDataWizardManager::ReleaseWizard(TdaCustomDataWizard* aWizard) {
    if (!aWizard) return;
    if (std::any_of(m_wizards.begin(), m_wizards.end(), [aWizard](const auto& w) { return w == aWizard; })) return;
    delete aWizard;
}

void TdaDataWizardManager::GetDataViewForWizard(QObject* Sender, TdaDataView*& aDataView) {
    if (!m_dataView) {
        auto* wizard = qobject_cast<TdaCustomDataWizard*>(Sender);
        if (!wizard) return;
        const TppWizardClass* wizardClass = wizardClassOf(wizard->metaObject());
        TClass viewClass = wizardClass ? daFindDataViewClassForWizard(SessionClass(), wizardClass) : nullptr;
        if (!viewClass) return;
        setCurrentView(CreateDataView(viewClass));
    }
    aDataView = m_dataView;
}

TdaDataView* TdaDataWizardManager::CreateDataView(TClass aClass) {
    if (!aClass || !m_dataModule) return nullptr;
    QObject* made = aClass->newInstance(Q_ARG(TComponent*, m_dataModule->Owner()));
    auto* view = qobject_cast<TdaDataView*>(made);
    if (!view) {
        delete made;
        return nullptr;
    }
    view->SetParent(m_dataModule);
    if (auto* report = qobject_cast<TppCustomReport*>(m_dataModule->Report())) view->SetReport(report);
    return view;
}

bool TdaDataWizardManager::NewDataView(TdaDataView*& aDataView) {
    std::unique_ptr<TppCustomNewDialog> dialog(report::CreateForm<TppCustomNewDialog>(nullptr));
    if (!dialog) return false;
    report::ppSetFormLanguageIndex(dialog.get(), m_languageIndex);
    TdaDataViewClassList viewClasses;
    daGetDataViewClasses(viewClasses);
    TppWizardClassList items;
    m_itemClasses.clear();
    for (const auto& [name, cls] : viewClasses) {
        auto description = std::make_unique<TppWizardClass>();
        description->Class = cls;
        description->Caption = [name = name] { return name; };
        description->Bitmap = [cls = cls] {
            const std::unique_ptr<TdaDataView> view = daCreateDataViewOfClass(cls);
            return view ? ppLoadBitmap(view->GetBitmap()) : QImage();
        };
        items.append({name, description.get()});
        m_itemClasses.push_back(std::move(description));
    }
    dialog->SetItemClasses(items);
    TppWizardClassList wizards;
    daGetDataWizards(SessionClass(), wizards);
    dialog->SetWizardClasses(wizards);

    int followUp = 0;
    if (dialog->ShowModal() == report::ModalResult::mrOk) {
        const TppWizardClass* chosen = dialog->GetSelectedItem();
        if (isDataWizardClass(chosen)) {
            if (TdaCustomDataWizard* wizard = GetWizard(chosen)) {
                prepare(wizard, 0);
                if (wizard->Execute()) {
                    if (auto* view = qobject_cast<TdaCustomDataView*>(m_dataView.data())) {
                        QString description;
                        wizard->GetDescription(description);
                        view->Template()->DatabaseSettings()->SetName(description);
                    }
                    followUp = wizard->FollowUp;
                } else if (m_dataView) {
                    delete m_dataView.data();
                }
                ReleaseWizard(wizard);
            }
        }
    }
    bool result = false;
    if (m_dataView && m_dataView->Complete()) {
        result = true;
        aDataView = m_dataView;
        if (followUp == 1) EditDataView(aDataView);
        else if (followUp == 2) {
            aDataView->Preview();
            setCurrentView(nullptr);
        }
    }
    setCurrentView(nullptr);
    return result;
}

bool TdaDataWizardManager::EditDataView(TdaDataView* aView) {
    if (!aView) return false;
    setCurrentView(aView);
    bool result = false;
    int followUp = 0;
    auto* view = qobject_cast<TdaCustomDataView*>(aView);
    const TppWizardClass* designer = view ? wizardClassOf(view->DesignerClass()) : nullptr;
    TdaCustomDataWizard* wizard = designer ? GetWizard(designer) : nullptr;
    if (wizard) {
        prepare(wizard, aView->DesignAction());
        if (wizard->Execute()) {
            QString description;
            wizard->GetDescription(description);
            if (view && m_dataView) view->Template()->DatabaseSettings()->SetName(description);
            result = true;
            followUp = wizard->FollowUp;
        }
        ReleaseWizard(wizard);
    } else {
        aView->RunDesignDialog();
        result = true;
    }
    if (followUp == 2 && m_dataView && m_dataView->Complete()) m_dataView->Preview();
    setCurrentView(nullptr);
    return result;
}

// Data page ------------------------------------------------------------------------------------

const TppDesignModuleClass* TdaDataManager::ModuleClass() {
    static const TppDesignModuleClass moduleClass{
        QStringLiteral("TdaDataManager"),
        [](QWidget* aPage, TppComponentDesigner* aDesigner) -> TppDesignModule* {
            return new TdaDataManager(aPage, aDesigner);
        }};
    return &moduleClass;
}

TdaDataManager::TdaDataManager(QWidget* aPage, TppComponentDesigner* aDesigner)
    : TppDesignModule(aPage, aDesigner), m_wizardManager(std::make_unique<TdaDataWizardManager>(this)) {
    SetCaption(ppGetMessageText(742));
    SetPageIndex(1);
    if (aPage) aPage->setProperty("DesignModule", QVariant::fromValue<QObject*>(this));
}

TdaDataManager* TdaDataManager::Of(TppDesignerWindow* aWindow) {
    if (!aWindow) return nullptr;
    for (int i = 0; i < aWindow->Pages()->count(); ++i)
        if (auto* tab = qobject_cast<TdaDataManager*>(aWindow->Pages()->widget(i)->property("DesignModule").value<QObject*>()))
            return tab;
    return nullptr;
}

TdaDataManager::~TdaDataManager() {
    if (TppDataSettings* settings = designerSettings()) settings->OnChange = nullptr;
    if (m_designerWindow && m_mainMenu && m_designerWindow->MainMenu() == m_mainMenu) m_designerWindow->SetMainMenu(nullptr);
    // The windows belong to the workspace; the list lets go of them.
    for (const auto& window : m_toolWindows)
        if (window) window->DetachDataView();
    m_toolWindows.clear();
    if (m_dataModule) {
        m_dataModule->OnChildRemoving = nullptr;
        m_dataModule->OnLanguageChanged = nullptr;
    }
    m_dataModule = nullptr;
    m_wizardManager.reset();
    delete m_mainMenu;
}

TppReport* TdaDataManager::MainReport() const { return qobject_cast<TppReport*>(Report()); }

TppDataSettings* TdaDataManager::designerSettings() const {
    return m_designerWindow ? qobject_cast<TppDataSettings*>(m_designerWindow->DataSettings) : nullptr;
}

QAction* TdaDataManager::Command(int aTag) const { return m_commands.value(aTag); }

void TdaDataManager::createControls() {
    m_mainMenu = new QMenuBar(m_designerWindow);
    m_mainMenu->setObjectName(QStringLiteral("mnuDataMain"));
    m_mainMenu->hide();
    m_fileMenu = m_mainMenu->addMenu(ppGetMessageText(704));
    m_fileMenu->setObjectName(QStringLiteral("mniDataFile"));
    using CommandFn = void (TdaDataManager::*)();
    static const CommandFn actions[7] = {&TdaDataManager::DataSettingsCommand, &TdaDataManager::NewDataView,
                                       &TdaDataManager::ImportCommand,       &TdaDataManager::MergeCommand,
                                       &TdaDataManager::ExportCommand,       &TdaDataManager::ImportFromFileCommand,
                                       &TdaDataManager::ExportToFileCommand};
    for (int tag = 0; tag < 7; ++tag) {
        QAction* command = m_fileMenu->addAction(commandCaption(kCommandTextIds[tag]));
        command->setObjectName(QString::fromLatin1(kCommandNames[tag]));
        command->setProperty("Tag", tag);
        const CommandFn action = actions[tag];
        connect(command, &QAction::triggered, this, [this, action] { ui::RunGuarded(m_designerWindow, [&] { (this->*action)(); }); });
        m_commands << command;
        if (tag == 0 || tag == 1 || tag == 4) {
            QAction* separator = m_fileMenu->addSeparator();
            separator->setObjectName(QStringLiteral("mniSeparator%1").arg(tag));
            m_separators << separator;
        }
    }
    connect(m_fileMenu, &QMenu::aboutToShow, this, [this] { FileMenuClick(); });

    m_scrollBox = ui::Make<QMdiArea>(Page(), "sbxDataViews");
    m_scrollBox->setBackground(QApplication::palette().color(QPalette::Dark));
    m_scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* layout = Page()->layout() ? Page()->layout() : new QVBoxLayout(Page());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scrollBox);
    // Made while the page may be on screen already: shown explicitly.
    m_scrollBox->show();
}

void TdaDataManager::SetReport(TppCustomReport* aReport) {
    if (aReport && !qobject_cast<TppCustomReport*>(aReport)) return;
    TppDesignModule::SetReport(aReport);
    if (!m_scrollBox) return;
    if (TppReport* report = MainReport()) LanguageChanged(report->LanguageIndex());
}

void TdaDataManager::LanguageChanged(TppLanguageType aLanguage) {
    TppDesignModule::LanguageChanged(aLanguage);
    LanguageChanged(MainReport() ? MainReport()->LanguageIndex() : 0);
}

void TdaDataManager::LanguageChanged(int aIndex) {
    SetCaption(ppGetMessageText(742));
    m_wizardManager->SetLanguageIndex(aIndex);
    if (m_fileMenu) m_fileMenu->setTitle(ppGetMessageText(704));
    for (int tag = 1; tag < m_commands.size(); ++tag) m_commands.at(tag)->setText(commandCaption(kCommandTextIds[tag]));
    for (const auto& window : m_toolWindows)
        if (window) window->LanguageChanged(aIndex);
}

void TdaDataManager::ReportLanguageChanged() {
    if (TppReport* report = MainReport()) LanguageChanged(report->LanguageIndex());
}

void TdaDataManager::LoadSettings() {
    if (!m_scrollBox) return;
    const settings::IniFile ini(report::data::kDataSettingsFile);
    m_wizardManager->DataSettings()->LoadFromIniFile(ini, m_dataModule);
}

void TdaDataManager::SaveSettings() {
    if (!m_scrollBox) return;
    settings::IniFile ini(report::data::kDataSettingsFile);
    m_wizardManager->DataSettings()->SaveToIniFile(ini);
}

void TdaDataManager::DesignerSettingsChanged() { m_wizardManager->SetDataSettings(designerSettings()); }

void TdaDataManager::AllowActiveChange(bool& aAllow) {
    aAllow = true;
    auto* window = qobject_cast<TppDesignerWindow*>(Designer());
    if (!window) return;
    if (Active()) {
        StorePlacements();
        if (TppDataSettings* settings = designerSettings()) settings->Assign(m_wizardManager->DataSettings());
        return;
    }
    if (!m_scrollBox) {
        m_designerWindow = window;
        createControls();
        SetReport(window->MainReport());
        LoadSettings();
        if (TppDataSettings* settings = designerSettings())
            settings->OnChange = [this](QObject*) { DesignerSettingsChanged(); };
    }
    SetDataModule(GetDataModule());
    m_shownReport = window->GetReport();
    window->SetMainMenu(m_mainMenu);
    if (MainReport()) {
        if (TppDataSettings* settings = designerSettings()) {
            if (settings->DatabaseType() == TppDatabaseType::dtOther)
                settings->SetDatabaseType(daGetDatabaseType(m_dataModule ? m_dataModule->Owner() : nullptr,
                                                            settings->SessionType(), settings->DatabaseName()));
            m_wizardManager->SetDataSettings(settings);
        }
        m_commands.at(0)->setVisible(window->AllowDataSettingsChange);
        m_separators.at(0)->setVisible(window->AllowDataSettingsChange);
    }
    if (QStatusBar* bar = GetStatusBar()) bar->showMessage(ppGetMessageText(180));
    if (Page()->layout()) Page()->layout()->activate();
    OpenMissingToolWindows();
}

TdaDataModule* TdaDataManager::GetDataModule() {
    TppReport* report = MainReport();
    if (!report) return nullptr;
    if (TdaDataModule* module = daGetDataModule(report)) return module;
    return TppReportModule::CreateForReport<TdaDataModule>(report);
}

void TdaDataManager::SetDataModule(TdaDataModule* aModule) {
    if (m_dataModule == aModule) return;
    if (m_dataModule) {
        m_dataModule->OnChildRemoving = nullptr;
        m_dataModule->OnLanguageChanged = nullptr;
    }
    CloseToolWindows();
    m_dataModule = aModule;
    m_wizardManager->SetDataModule(aModule);
    if (!m_dataModule) return;
    OpenToolWindows();
    m_dataModule->OnChildRemoving = [this](TppRelative* aChild) { DataViewRemoved(aChild); };
    m_dataModule->OnLanguageChanged = [this](TppReportModule*) { ReportLanguageChanged(); };
}

// Tool windows ---------------------------------------------------------------------------------

QList<TdaDataViewToolWin*> TdaDataManager::ToolWindows() const {
    QList<TdaDataViewToolWin*> out;
    for (const auto& window : m_toolWindows)
        if (window) out << window;
    return out;
}

TdaDataViewToolWin* TdaDataManager::ToolWindowOf(TdaDataView* aView) const {
    if (!aView) return nullptr;
    for (const auto& window : m_toolWindows)
        if (window && static_cast<QObject*>(window->DataView()) == static_cast<QObject*>(aView)) return window;
    return nullptr;
}

TdaDataViewToolWin* TdaDataManager::OpenToolWindow(TdaDataView* aView) {
    if (!m_scrollBox || !aView) return nullptr;
    auto* window = new TdaDataViewToolWin(m_scrollBox);
    m_scrollBox->addSubWindow(window);
    window->SetDataView(aView);
    window->OnDelete = [this](TdaDataViewToolWin* Sender) { DeleteDataView(Sender); };
    window->OnAction = [this](TdaDataViewToolWin* Sender) { DataViewAction(Sender); };
    window->resize(kToolWindowWidth, window->height());
    PlaceToolWindow(window);
    window->show();
    m_toolWindows << window;
    return window;
}

void TdaDataManager::PlaceToolWindow(TdaDataViewToolWin* aWindow) {
    int left = 10;
    bool any = false;
    int right = 0;
    for (const auto& window : m_toolWindows)
        if (window && window != aWindow) {
            right = any ? std::max(right, window->x() + window->width()) : window->x() + window->width();
            any = true;
        }
    if (any) left = right + 10;
    const int clientWidth = m_scrollBox->viewport()->width();
    if (left >= clientWidth) left = clientWidth - 25;
    aWindow->move(left, 10);
}

void TdaDataManager::OpenToolWindows() {
    if (!m_scrollBox || !m_dataModule) return;
    const int clientWidth = m_scrollBox->viewport()->width();
    const int clientHeight = m_scrollBox->viewport()->height();
    for (int i = 0; i < m_dataModule->DataViewCount(); ++i) {
        TdaDataView* view = m_dataModule->DataViews(i);
        TdaDataViewToolWin* window = OpenToolWindow(view);
        auto* custom = qobject_cast<TdaCustomDataView*>(view);
        if (!window || !custom || custom->Width() <= 0) continue;
        int left = custom->Left();
        int top = custom->Top();
        if (left >= clientWidth) left = clientWidth - 25;
        if (top >= clientHeight) top = clientHeight - 25;
        window->setGeometry(left, top, custom->Width(), custom->Height());
    }
}

void TdaDataManager::OpenMissingToolWindows() {
    if (!m_dataModule) return;
    for (int i = 0; i < m_dataModule->DataViewCount(); ++i)
        if (!ToolWindowOf(m_dataModule->DataViews(i))) OpenToolWindow(m_dataModule->DataViews(i));
}

void TdaDataManager::dropWindow(TdaDataViewToolWin* aWindow) {
    m_toolWindows.removeAll(aWindow);
    aWindow->DetachDataView();
    aWindow->OnAction = nullptr;
    aWindow->OnDelete = nullptr;
    aWindow->hide();
    if (m_scrollBox) m_scrollBox->removeSubWindow(aWindow);
    // Later: the window may be the one whose menu asked for this.
    aWindow->deleteLater();
}

void TdaDataManager::CloseToolWindow(TdaDataViewToolWin* aWindow) {
    if (!aWindow) return;
    aWindow->StorePlacement();
    dropWindow(aWindow);
}

void TdaDataManager::CloseToolWindows() {
    for (TdaDataViewToolWin* window : ToolWindows()) CloseToolWindow(window);
    m_toolWindows.clear();
}

void TdaDataManager::StorePlacements() {
    for (TdaDataViewToolWin* window : ToolWindows()) window->StorePlacement();
}

void TdaDataManager::DataViewRemoved(TppRelative* aChild) {
    // The view may be in its destructor: only its address is compared, nothing is stored.
    for (TdaDataViewToolWin* window : ToolWindows())
        if (static_cast<QObject*>(window->DataView()) == static_cast<QObject*>(aChild)) dropWindow(window);
}

// Tool-window callbacks ------------------------------------------------------------------------

void TdaDataManager::DeleteDataView(TdaDataViewToolWin* Sender) {
    if (!Sender || !Sender->DataView()) return;
    delete Sender->DataView();
    if (m_dataModule) m_dataModule->SetModified(true);
}

void TdaDataManager::DataViewAction(TdaDataViewToolWin* Sender) {
    TdaDataView* view = Sender ? Sender->DataView() : nullptr;
    if (!view) return;
    if (view->DesignAction() == 8) view->Preview();
    else EditDataView(view);
}

void TdaDataManager::EditDataView(TdaDataView* aView) {
    aView->SetActive(false);
    if (!m_wizardManager->EditDataView(aView)) return;
    if (TdaDataViewToolWin* window = ToolWindowOf(aView)) window->Refresh();
    if (m_dataModule) m_dataModule->SetModified(true);
}

// Commands -------------------------------------------------------------------------------------

void TdaDataManager::DataSettingsCommand() {
    if (!m_dataModule) return;
    std::unique_ptr<TppCustomDataSettingsDialog> form(report::CreateForm<TppCustomDataSettingsDialog>(nullptr));
    if (!form) return;
    form->Communicator = m_dataModule.data();
    report::ppSetFormLanguageIndex(form.get(), m_shownReport ? m_shownReport->LanguageIndex() : 0);
    form->SetDataSettings(m_wizardManager->DataSettings());
    form->ShowModal();
}

void TdaDataManager::NewDataView() {
    if (!m_dataModule || !MainReport()) return;
    TdaDataView* view = nullptr;
    if (!m_wizardManager->NewDataView(view) || !view) return;
    if (auto* report = qobject_cast<TppCustomReport*>(view->Report())) m_shownReport = report;
    if (!ToolWindowOf(view)) OpenToolWindow(view);
    m_dataModule->SetModified(true);
}

void TdaDataManager::giveFirstViewAReport(bool aFromFile) {
    if (!m_dataModule || m_dataModule->DataViewCount() == 0) return;
    TdaDataView* first = m_dataModule->DataViews(0);
    TppReport* main = MainReport();
    if (!aFromFile) {
        first->SetReport(main);
        return;
    }
    if (main && !main->DataPipeline()) first->SetReport(main);
    else if (m_shownReport && !m_shownReport->DataPipeline()) first->SetReport(m_shownReport);
}

void TdaDataManager::importInto(bool aFromFile) {
    if (!m_dataModule || !MainReport()) return;
    TppTemplate* module = m_dataModule->Template();
    module->AssignKeepingLocation(MainReport()->Template());
    if (aFromFile) module->SetSaveTo(TppSaveToType::stFile);
    if (!module->ShowOpenDialog()) return;
    module->Load();
    CloseToolWindows();
    OpenToolWindows();
    giveFirstViewAReport(aFromFile);
    m_dataModule->SetModified(true);
}

void TdaDataManager::ImportCommand() { importInto(false); }

void TdaDataManager::ImportFromFileCommand() { importInto(true); }

void TdaDataManager::MergeCommand() {
    if (!m_dataModule || !MainReport()) return;
    auto merged = std::make_unique<TdaDataModule>(m_dataModule->Owner());
    merged->Template()->AssignKeepingLocation(MainReport()->Template());
    if (!merged->Template()->ShowOpenDialog()) return;
    merged->Template()->Load();
    QList<TdaDataView*> views;
    for (int i = 0; i < merged->DataViewCount(); ++i) views << merged->DataViews(i);
    daMoveDataViews(m_dataModule, merged.get());
    for (TdaDataView* view : views)
        if (!ToolWindowOf(view)) OpenToolWindow(view);
    m_dataModule->SetModified(true);
}

void TdaDataManager::exportModule(bool aToFile) {
    if (!m_dataModule || !MainReport()) return;
    TppTemplate* module = m_dataModule->Template();
    module->AssignKeepingLocation(MainReport()->Template());
    if (aToFile) {
        module->SetSaveTo(TppSaveToType::stFile);
        module->SetFormat(TppFormatType::ftASCII);
    }
    QString name = module->SaveTo() == TppSaveToType::stFile ? module->FileName() : module->DatabaseSettings()->Name();
    if (aToFile) {
        name += QStringLiteral(" data");
    } else {
        // Cut in the file's own name: a point in a folder's name is not an extension.
        const int slash = int(name.lastIndexOf(QLatin1Char('/')));
        const int point = int(name.indexOf(QLatin1Char('.'), slash + 1));
        if (point >= 0) name.truncate(point);
        name += ppGetMessageText(742);
    }
    if (module->SaveTo() == TppSaveToType::stFile) module->SetFileName(name);
    else module->DatabaseSettings()->SetName(name);
    if (!module->ShowSaveDialog()) return;
    StorePlacements();
    module->Save();
}

void TdaDataManager::ExportCommand() { exportModule(false); }

void TdaDataManager::ExportToFileCommand() { exportModule(true); }

void TdaDataManager::FileMenuClick() {
    if (m_commands.size() < 7) return;
    const bool visible = m_designerWindow && m_designerWindow->AllowSaveToFile && m_shownReport &&
                         m_shownReport->Template()->SaveTo() == TppSaveToType::stDatabase;
    m_commands.at(5)->setVisible(visible);
    m_commands.at(6)->setVisible(visible);
    m_separators.at(2)->setVisible(visible);
}
