#include "services/gui/startup_wizard.h"

#include "services/database_copy.h"

#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/main_form.h"
#include "core/main_data_mod.h"

#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

QPushButton* makeButton(QWidget* page, const char* name, const QString& caption, int helpContext) {
    auto* b = ui::Make<QPushButton>(page, name, caption);
    if (helpContext) b->setProperty("HelpContext", helpContext);
    return b;
}

QPlainTextEdit* makeMemo(QWidget* page, const char* name, const QString& text, int helpContext) {
    auto* m = ui::Make<QPlainTextEdit>(page, name);
    m->setReadOnly(true);
    m->setFrameShape(QFrame::NoFrame);
    m->setPlainText(text);
    m->setProperty("HelpContext", helpContext);
    return m;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* r = new QHBoxLayout;
    r->addStretch();
    for (QPushButton* b : buttons) r->addWidget(b);
    return r;
}

}  // namespace

TStartupWizard::TStartupWizard(std::vector<TTemplateItem> templates, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_templates(std::move(templates)) {
    setObjectName(QStringLiteral("StartupWizard"));
    setWindowTitle(QStringLiteral("Getting Started Wizard"));
    setProperty("HelpContext", 64014);
    DefaultFolder = DefaultDatabaseFolder();
    Pages = ui::Make<QStackedWidget>(this, "Pages");
    StartPage = ui::Make<QWidget>(Pages, "StartPage");
    TemplatePage = ui::Make<QWidget>(Pages, "TemplatePage");
    NewDBPage = ui::Make<QWidget>(Pages, "NewDBPage");
    for (QWidget* p : {StartPage, TemplatePage, NewDBPage}) Pages->addWidget(p);

    // ---- start page ----
    auto* title = ui::Make<QLabel>(StartPage, "WelcomeTitle", QStringLiteral("Welcome to Dossara!"));
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.6);
    title->setFont(f);
    title->setStyleSheet(QStringLiteral("color: red"));
    auto* picture = ui::Make<QLabel>(StartPage, "ProductPicture");
    picture->setPixmap(core::ThemeIcon(QStringLiteral("x-office-address-book")).pixmap(64, 64));
    auto* memo = makeMemo(
        StartPage, "WelcomeMemo",
        QStringLiteral("This wizard will help you to get started using Dossara. There are three options available: click "
                       "the \"Help me get started using Dossara\" button for a getting started guide and a tutorial, or "
                       "click the \"Help me create a database\" button to have the wizard lead you through the process of "
                       "creating a database to store your data, or click \"Skip this help, just start Dossara\" if you "
                       "don't want the wizard's help. "),
        64014);
    GetGoingBtn = makeButton(StartPage, "GetGoingBtn", QStringLiteral("Help me get started using Dossara"), 64004);
    NewDBBtn = makeButton(StartPage, "NewDBBtn", QStringLiteral("Help me create a database"), 64003);
    StartDSBtn = makeButton(StartPage, "StartDSBtn", QStringLiteral("Skip this help, just start Dossara"), 64006);
    for (QPushButton* b : {GetGoingBtn, NewDBBtn, StartDSBtn}) b->setStyleSheet(QStringLiteral("color: blue"));

    // ---- template page ----
    auto* templateMemo = makeMemo(
        TemplatePage, "TemplateMemo",
        QStringLiteral("A new database will be created from a template. The available templates are shown below. Click on "
                       "a template icon to select it and read the description to see what kind of database would be "
                       "created. Some templates also have specific help; click the \"More help for this template\" "
                       "button to see this help.  When you have selected the template you want to use, click the Next "
                       "button. You can also click the Back button to return to the previous screen. "),
        64007);
    TemplateList = ui::Make<QListWidget>(TemplatePage, "TemplateList");
    TemplateList->setProperty("HelpContext", 64008);
    TemplateList->setCursor(Qt::PointingHandCursor);
    TemplateList->setToolTip(QStringLiteral("Click on an icon to select the template"));
    auto* descLabel = ui::Make<QLabel>(TemplatePage, "TemplateDescLabel", QStringLiteral("Template Description"));
    TemplateDesc = ui::Make<QPlainTextEdit>(TemplatePage, "TemplateDesc");
    TemplateDesc->setReadOnly(true);
    TemplateDesc->setProperty("HelpContext", 64009);
    TemplateHelpBtn = makeButton(TemplatePage, "TemplateHelpBtn", QStringLiteral("More help for this template"), 0);
    TemplateBackBtn = makeButton(TemplatePage, "TemplateBackBtn", QStringLiteral("Back"), 64002);
    TemplateHelpPageBtn = makeButton(TemplatePage, "TemplateHelpPageBtn", QStringLiteral("&Help"), 64000);
    NextBtn = makeButton(TemplatePage, "NextBtn", QStringLiteral("Next"), 64001);

    // ---- new-database page ----
    auto* newMemo = makeMemo(
        NewDBPage, "NewDBMemo",
        QStringLiteral("You must now select the path where you would like the database to be stored. Enter the full path "
                       "to the folder in the \"New Database Path\" field below. You can also click the Browse button to "
                       "select a folder from a list. If the folder you specify does not exist, it will be created for "
                       "you. Once you have entered the new database path, click the Create Database button to create and "
                       "open the database. You can also click the Back button to return to the previous screen."),
        64007);
    UsingTemplate = ui::Make<QLabel>(NewDBPage, "UsingTemplate");
    UsingTemplate->setProperty("HelpContext", 64019);
    auto* pathLabel = ui::Make<QLabel>(NewDBPage, "DBPathLabel", QStringLiteral("New Database Path"));
    DBPath = ui::Make<QLineEdit>(NewDBPage, "DBPath");
    DBPath->setProperty("HelpContext", 64010);
    BrowseBtn = makeButton(NewDBPage, "BrowseBtn", QStringLiteral("Browse"), 64011);
    NewDBBackBtn = makeButton(NewDBPage, "NewDBBackBtn", QStringLiteral("Back"), 64002);
    NewDBHelpBtn = makeButton(NewDBPage, "NewDBHelpBtn", QStringLiteral("&Help"), 64017);
    CreateBtn = makeButton(NewDBPage, "CreateBtn", QStringLiteral("Create database"), 64018);
    CreateBtn->setEnabled(false);

    // ---- layouts ----
    {
        auto* top = new QHBoxLayout;
        top->addWidget(picture, 0, Qt::AlignTop);
        top->addWidget(title, 1);
        auto* l = new QVBoxLayout(StartPage);
        l->addLayout(top);
        l->addWidget(memo, 1);
        for (QPushButton* b : {GetGoingBtn, NewDBBtn, StartDSBtn}) l->addWidget(b);
    }
    {
        auto* descRow = new QHBoxLayout;
        descRow->addWidget(descLabel);
        descRow->addStretch();
        descRow->addWidget(TemplateHelpBtn);
        auto* l = new QVBoxLayout(TemplatePage);
        l->addWidget(templateMemo);
        l->addWidget(TemplateList, 1);
        l->addLayout(descRow);
        l->addWidget(TemplateDesc);
        l->addLayout(buttonRow({TemplateBackBtn, TemplateHelpPageBtn, NextBtn}));
    }
    {
        auto* path = new QHBoxLayout;
        path->addWidget(DBPath, 1);
        path->addWidget(BrowseBtn);
        auto* l = new QVBoxLayout(NewDBPage);
        l->addWidget(newMemo, 1);
        l->addWidget(UsingTemplate);
        l->addWidget(pathLabel);
        l->addLayout(path);
        l->addLayout(buttonRow({NewDBBackBtn, NewDBHelpBtn, CreateBtn}));
    }
    auto* main = new QVBoxLayout(this);
    main->addWidget(Pages);
    resize(540, 420);

    // ---- connections ----
    connect(GetGoingBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(64022); });
    connect(NewDBBtn, &QPushButton::clicked, this, [this] {
        DBPath->setText(m_templates.empty() ? DefaultFolder : ProposedDatabaseFolder(DefaultFolder, m_templates.front().Name));
        Pages->setCurrentWidget(TemplatePage);
        TemplateList->setFocus();
        TemplateListChange();
    });
    connect(StartDSBtn, &QPushButton::clicked, this, [this] {
        DBPath->clear();
        accept();
    });
    connect(TemplateList, &QListWidget::currentItemChanged, this, [this] { ui::RunGuarded(this, [this] { TemplateListChange(); }); });
    connect(TemplateHelpBtn, &QPushButton::clicked, this, [this] { ShowTemplateHelp(TemplatePath); });
    connect(TemplateBackBtn, &QPushButton::clicked, this, [this] { Pages->setCurrentWidget(StartPage); });
    connect(NextBtn, &QPushButton::clicked, this, [this] {
        QString name = TemplateName;
        UsingTemplate->setText(QStringLiteral("Using template \"%1\"").arg(name.replace(u'&', QStringLiteral("&&"))));
        Pages->setCurrentWidget(NewDBPage);
        DBPath->setFocus();
    });
    connect(NewDBBackBtn, &QPushButton::clicked, this, [this] { Pages->setCurrentWidget(TemplatePage); });
    for (QPushButton* help : {TemplateHelpPageBtn, NewDBHelpBtn})
        connect(help, &QPushButton::clicked, this, [help] { ui::HelpService::ShowContext(help->property("HelpContext").toInt()); });
    connect(DBPath, &QLineEdit::textChanged, this, [this] { CreateBtn->setEnabled(!DBPath->text().trimmed().isEmpty()); });
    connect(DBPath, &QLineEdit::editingFinished, this, [this] { DBPath->setText(DBPath->text().trimmed()); });
    connect(BrowseBtn, &QPushButton::clicked, this, [this] {
        QString folder = DBPath->text().trimmed();
        QString last = Globals().LastFolder;
        if (core::BrowseForFolder(QStringLiteral("Select Dossara database folder"), folder, last, true)) {
            Globals().LastFolder = last;
            DBPath->setText(folder);
        }
    });
    connect(CreateBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { CreateBtnClick(); }); });

    FillTemplateList(TemplateList, m_templates);
    if (TemplateList->count() > 0) TemplateList->setCurrentRow(0);
    else TemplateDesc->clear();
    Pages->setCurrentWidget(StartPage);
}

const TTemplateItem* TStartupWizard::selectedTemplate() const {
    const QListWidgetItem* item = TemplateList->currentItem();
    if (!item) return nullptr;
    for (const TTemplateItem& t : m_templates)
        if (t.ID == item->data(Qt::UserRole).toInt()) return &t;
    return nullptr;
}

void TStartupWizard::TemplateListChange() {
    const TTemplateItem* t = selectedTemplate();
    if (!t) {
        TemplateDesc->clear();
        TemplateHelpBtn->setEnabled(false);
        return;
    }
    if (IsProposedPath(DBPath->text(), DefaultFolder)) DBPath->setText(ProposedDatabaseFolder(DefaultFolder, t->Name));
    TemplateDesc->setPlainText(t->Description);
    TemplatePath = t->Path;
    TemplateName = t->Name;
    const bool help = TemplateHasHelp(t->Path);
    TemplateHelpBtn->setEnabled(help);
    TemplateHelpBtn->setToolTip(help ? QStringLiteral("Help for the %1 template").arg(t->Name)
                                     : QStringLiteral("No help available for the %1 template").arg(t->Name));
}

void TStartupWizard::CreateBtnClick() {
    if (DBPath->text().trimmed().isEmpty()) {
        ui::Message(QStringLiteral("You must specify the folder where you want to store your database."),
                    ui::MessageKind::Error, ui::Button::Ok, 10117);
        DBPath->setFocus();
        return;
    }
    const TTemplateItem* t = selectedTemplate();
    if (!t || !core::IsDatabaseFolder(t->Path)) {
        // Refused before anything is made.
        ui::Message(QStringLiteral("The template data for that template cannot be found. The data may have been moved "
                                   "or deleted. A database cannot be created with the template. Press F1 for help."),
                    ui::MessageKind::Error, ui::Button::Ok, 10114);
        return;
    }
    QString path = DBPath->text().trimmed();
    if (!core::ValidateFolder(path)) return;
    services::TCopyOutcome outcome;
    {
        ui::HourglassCursor hourglass;
        outcome = services::CopyDatabaseFolder(t->Path, path);
    }
    if (!outcome.Success) {
        ui::Message(QStringLiteral("An error occurred while creating the database.\nThe error is code %1: %2\nThe "
                                   "database cannot be created.\nPress F1 for help.")
                        .arg(outcome.Code)
                        .arg(outcome.Text),
                    ui::MessageKind::Error, ui::Button::Ok, 10112);
        return;
    }
    DBPath->setText(path);
    accept();
}

bool RunStartupWizard(TMainDataMod& data, QString& Folder) {
    Globals().LastFolder.clear();
    Folder.clear();
    auto wizard = std::make_unique<TStartupWizard>(ReadTemplates(data));
    const bool ok = ui::ExecModal(*wizard) == QDialog::Accepted;
    Folder = ok ? wizard->DBPath->text().trimmed() : QString();
    return ok;
}

void InstallStartupWizard(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::SetStartupWizard([form](QString& folder) {
        if (!form || !form->DataModule()) return true;
        return RunStartupWizard(*form->DataModule(), folder);
    });
    core::RegisterCommand(QStringLiteral("A_HelpGetStarted"), [form] {
        if (!form || !form->DataModule()) return;
        QString folder;
        if (RunStartupWizard(*form->DataModule(), folder) && !folder.isEmpty()) form->OpenDatabase(folder);
    });
}
