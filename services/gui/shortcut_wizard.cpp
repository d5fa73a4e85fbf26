#include "services/gui/shortcut_wizard.h"

#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/main_form.h"
#include "core/settings_store.h"

#include "platform/shell/launcher.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kSection = QStringLiteral("Wizards");

QPushButton* makeButton(QWidget* page, const char* name, const QString& caption, int helpContext) {
    auto* b = ui::Make<QPushButton>(page, name, caption);
    b->setProperty("HelpContext", helpContext);
    return b;
}

QLabel* makeText(QWidget* page, const char* name, const QString& text) {
    auto* l = ui::Make<QLabel>(page, name, text);
    l->setWordWrap(true);
    return l;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}

}  // namespace

TShortcutWizard::TShortcutWizard(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ShortcutWizard"));
    setWindowTitle(QStringLiteral("Create Dossara Shortcut"));
    Pages = ui::Make<QStackedWidget>(this, "Pages");
    StartPage = ui::Make<QWidget>(Pages, "StartPage");
    LocationPage = ui::Make<QWidget>(Pages, "LocationPage");
    DesktopPage = ui::Make<QWidget>(Pages, "DesktopPage");
    for (QWidget* p : {StartPage, LocationPage, DesktopPage}) Pages->addWidget(p);

    // ---- start page ----
    auto* startText = makeText(StartPage, "StartText",
                               QStringLiteral("A shortcut will let you run Dossara and re-open the currently open database "
                                              "in one step. The shortcut can be created on your desktop or in a location "
                                              "you choose."));
    CreateOnDesktopBtn = makeButton(StartPage, "CreateOnDesktopBtn", QStringLiteral("Create the shortcut on the desktop"), 63004);
    CreateUserLocBtn =
        makeButton(StartPage, "CreateUserLocBtn", QStringLiteral("Create the shortcut in a location I choose"), 63005);
    DoNotShowWiz = ui::Make<QCheckBox>(StartPage, "DoNotShowWiz", QStringLiteral("Do not show this wizard next time"));
    DoNotShowWiz->setProperty("HelpContext", 63006);
    StartCancelBtn = makeButton(StartPage, "StartCancelBtn", QStringLiteral("&Cancel"), 63001);
    StartHelpBtn = makeButton(StartPage, "StartHelpBtn", QStringLiteral("Help"), 63000);

    // ---- location page ----
    auto* locationText =
        makeText(LocationPage, "LocationText", QStringLiteral("The shortcut will be created in the location you choose below."));
    auto* name1Label = ui::Make<QLabel>(LocationPage, "DBName1Label", QStringLiteral("Database Name"));
    DBName1 = ui::Make<QLineEdit>(LocationPage, "DBName1");
    DBName1->setProperty("HelpContext", 63008);
    auto* group = ui::Make<QGroupBox>(LocationPage, "LocationGroup", QStringLiteral("Create the shortcut... "));
    group->setProperty("HelpContext", 63007);
    OnDesktop = ui::Make<QRadioButton>(group, "OnDesktop", QStringLiteral("On the desktop"));
    InStartMenu = ui::Make<QRadioButton>(group, "InStartMenu", QStringLiteral("In the Start menu"));
    InFolder = ui::Make<QRadioButton>(group, "InFolder", QStringLiteral("In a specific folder"));
    OnDesktop->setChecked(true);
    DBPathLabel = ui::Make<QLabel>(LocationPage, "DBPathLabel", QStringLiteral("Folder Path"));
    DBPath = ui::Make<QLineEdit>(LocationPage, "DBPath");
    DBPath->setProperty("HelpContext", 63009);
    DBPathBrowseBtn = makeButton(LocationPage, "DBPathBrowseBtn", QStringLiteral("..."), 63010);
    DBPathBrowseBtn->setToolTip(QStringLiteral("Browse for a Dossara database folder"));
    Create1Btn = makeButton(LocationPage, "Create1Btn", QStringLiteral("Create Shortcut"), 63002);
    Back1Btn = makeButton(LocationPage, "Back1Btn", QStringLiteral("Back"), 63003);
    Cancel1Btn = makeButton(LocationPage, "Cancel1Btn", QStringLiteral("&Cancel"), 63001);
    Help1Btn = makeButton(LocationPage, "Help1Btn", QStringLiteral("Help"), 63000);

    // ---- desktop page ----
    auto* desktopText = makeText(DesktopPage, "DesktopText",
                                 QStringLiteral("The database needs a name. This will also be the name of the shortcut."));
    auto* name2Label = ui::Make<QLabel>(DesktopPage, "DBName2Label", QStringLiteral("Database Name"));
    DBName2 = ui::Make<QLineEdit>(DesktopPage, "DBName2");
    DBName2->setProperty("HelpContext", 63008);
    Create2Btn = makeButton(DesktopPage, "Create2Btn", QStringLiteral("Create Shortcut"), 63002);
    Back2Btn = makeButton(DesktopPage, "Back2Btn", QStringLiteral("Back"), 63003);
    Cancel2Btn = makeButton(DesktopPage, "Cancel2Btn", QStringLiteral("&Cancel"), 63001);
    Help2Btn = makeButton(DesktopPage, "Help2Btn", QStringLiteral("Help"), 63000);
    Create1Btn->setEnabled(false);
    Create2Btn->setEnabled(false);

    // ---- layouts ----
    {
        auto* l = new QVBoxLayout(StartPage);
        l->addWidget(startText);
        l->addWidget(CreateOnDesktopBtn);
        l->addWidget(CreateUserLocBtn);
        l->addStretch();
        l->addWidget(DoNotShowWiz);
        l->addLayout(buttonRow({StartCancelBtn, StartHelpBtn}));
    }
    {
        auto* g = new QVBoxLayout(group);
        g->addWidget(OnDesktop);
        g->addWidget(InStartMenu);
        g->addWidget(InFolder);
        auto* path = new QHBoxLayout;
        path->addWidget(DBPath, 1);
        path->addWidget(DBPathBrowseBtn);
        auto* l = new QVBoxLayout(LocationPage);
        l->addWidget(locationText);
        l->addWidget(name1Label);
        l->addWidget(DBName1);
        l->addWidget(group);
        l->addWidget(DBPathLabel);
        l->addLayout(path);
        l->addStretch();
        l->addLayout(buttonRow({Back1Btn, Create1Btn, Cancel1Btn, Help1Btn}));
    }
    {
        auto* l = new QVBoxLayout(DesktopPage);
        l->addWidget(desktopText);
        l->addWidget(name2Label);
        l->addWidget(DBName2);
        l->addStretch();
        l->addLayout(buttonRow({Back2Btn, Create2Btn, Cancel2Btn, Help2Btn}));
    }
    auto* main = new QVBoxLayout(this);
    main->addWidget(Pages);
    resize(512, 352);

    // ---- connections ----
    connect(CreateOnDesktopBtn, &QPushButton::clicked, this, [this] {
        Pages->setCurrentWidget(DesktopPage);
        DBName2->setFocus();
    });
    connect(CreateUserLocBtn, &QPushButton::clicked, this, [this] {
        Pages->setCurrentWidget(LocationPage);
        OnDesktop->setFocus();
    });
    for (QPushButton* back : {Back1Btn, Back2Btn})
        connect(back, &QPushButton::clicked, this, [this] { Pages->setCurrentWidget(StartPage); });
    for (QPushButton* cancel : {StartCancelBtn, Cancel1Btn, Cancel2Btn})
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    for (QPushButton* help : {StartHelpBtn, Help1Btn, Help2Btn})
        connect(help, &QPushButton::clicked, this, [help] { ui::HelpService::ShowContext(help->property("HelpContext").toInt()); });
    for (QRadioButton* r : {OnDesktop, InStartMenu, InFolder})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on) LocationGroupClick();
        });
    connect(DBName1, &QLineEdit::textChanged, this, [this] { updateCreate1(); });
    connect(DBPath, &QLineEdit::textChanged, this, [this] { updateCreate1(); });
    connect(DBName2, &QLineEdit::textChanged, this,
            [this] { Create2Btn->setEnabled(!DBName2->text().trimmed().isEmpty()); });
    for (QLineEdit* e : {DBName1, DBPath, DBName2})
        connect(e, &QLineEdit::editingFinished, this, [e] { e->setText(e->text().trimmed()); });
    connect(Create1Btn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { Create1BtnClick(); }); });
    connect(Create2Btn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { Create2BtnClick(); }); });
    connect(DBPathBrowseBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { DBPathBrowseBtnClick(); }); });
    LocationGroupClick();
    Pages->setCurrentWidget(StartPage);
}

void TShortcutWizard::SetStartPageOn(bool on) {
    Back1Btn->setVisible(on);
    Back2Btn->setVisible(on);
    Pages->setCurrentWidget(on ? StartPage : LocationPage);
}

void TShortcutWizard::LocationGroupClick() {
    const bool desktop = OnDesktop->isChecked();
    DBPathLabel->setVisible(!desktop);
    DBPath->setVisible(!desktop);
    DBPathBrowseBtn->setVisible(InFolder->isChecked());
    DBPathLabel->setText(InStartMenu->isChecked() ? QStringLiteral("Start Menu sub-folder") : QStringLiteral("Folder Path"));
    updateCreate1();
    DBName1->setFocus();
}

void TShortcutWizard::updateCreate1() {
    const bool named = !DBName1->text().trimmed().isEmpty();
    const bool located = OnDesktop->isChecked() || !DBPath->text().trimmed().isEmpty();
    Create1Btn->setEnabled(named && located);
}

void TShortcutWizard::DBPathBrowseBtnClick() {
    QString folder = InStartMenu->isChecked() ? core::GetSpecialFolder(this, core::SpecialFolderId::kStartMenu) : QString();
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Choose Start Menu folder"), folder, last, true)) return;
    Globals().LastFolder = last;
    if (!folder.trimmed().isEmpty()) DBPath->setText(folder);
}

void TShortcutWizard::Create1BtnClick() {
    const QString name = DBName1->text().trimmed();
    const QString path = DBPath->text().trimmed();
    if (name.isEmpty()) {
        ui::Message(QStringLiteral("You must specify a database name."), ui::MessageKind::Error, ui::Button::Ok, 10116);
        DBName1->setFocus();
        return;
    }
    if (!shell::IsSingleFileName(name)) {
        ui::Message(QStringLiteral("The database name \"%1\" cannot be the name of a shortcut: it must not hold \"/\" or "
                                   "a line break.")
                        .arg(name),
                    ui::MessageKind::Error, ui::Button::Ok, 10116);
        DBName1->setFocus();
        return;
    }
    if (!OnDesktop->isChecked() && path.isEmpty()) {
        ui::Message(QStringLiteral("You must specify a database path."), ui::MessageKind::Error, ui::Button::Ok, 10015);
        DBPath->setFocus();
        return;
    }
    if (OnDesktop->isChecked())
        ShortcutFolder = core::GetSpecialFolder(this, core::SpecialFolderId::kDesktopDirectory);
    else if (InStartMenu->isChecked())
        ShortcutFolder = QDir(core::GetSpecialFolder(this, core::SpecialFolderId::kStartMenu)).filePath(path);
    else
        ShortcutFolder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    ShortcutName = name;
    if (QFileInfo(ShortcutFolder).isDir() || OnDesktop->isChecked()) {
        accept();
        return;
    }
    const QString kind = InStartMenu->isChecked() ? QStringLiteral("Start Menu folder") : QStringLiteral("Folder");
    if (ui::Message(QStringLiteral("%1 \"%2\" does not exist - do you want to create it?").arg(kind, ShortcutFolder),
                    ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10033) != ui::Button::Yes)
        return;
    QDir().mkpath(ShortcutFolder);
    if (!QFileInfo(ShortcutFolder).isDir()) {
        ui::Message(QStringLiteral("Unable to create the folder. Press F1 for help."), ui::MessageKind::Error,
                    ui::Button::Ok, 10034);
        return;
    }
    accept();
}

void TShortcutWizard::Create2BtnClick() {
    const QString name = DBName2->text().trimmed();
    if (name.isEmpty() || !shell::IsSingleFileName(name)) {
        ui::Message(name.isEmpty() ? QStringLiteral("You must specify a database name.")
                                   : QStringLiteral("The database name \"%1\" cannot be the name of a shortcut: it must "
                                                    "not hold \"/\" or a line break.")
                                         .arg(name),
                    ui::MessageKind::Error, ui::Button::Ok, 10116);
        DBName2->setFocus();
        return;
    }
    ShortcutFolder = core::GetSpecialFolder(this, core::SpecialFolderId::kDesktopDirectory);
    ShortcutName = name;
    accept();
}

bool RunShortcutWizard(const QString& programFile) {
    auto wizard = std::make_unique<TShortcutWizard>();
    wizard->ShortcutName.clear();
    wizard->ShortcutFolder.clear();
    const bool wizardOn = core::ReadRegBool(kSection, QStringLiteral("Shortcut"), QStringLiteral("Control"),
                                            QStringLiteral("WizardOn"), true);
    wizard->DoNotShowWiz->setChecked(!wizardOn);
    wizard->SetStartPageOn(wizardOn);
    bool created = false;
    if (ui::ExecModal(*wizard) == QDialog::Accepted) {
        shell::Launcher launcher;
        launcher.Name = wizard->ShortcutName;
        launcher.Program = programFile;
        launcher.Arguments = {QStringLiteral("/DB:") + Globals().CurrentFolder};
        launcher.WorkingFolder = Globals().CurrentFolder;
        QString error;
        created = shell::WriteLauncher(wizard->ShortcutFolder, launcher, error);
        if (created)
            ui::Message(QStringLiteral("Shortcut created (it may take a few seconds for the new shortcut to become visible)."),
                        ui::MessageKind::Information, ui::Button::Ok, 10115);
        else
            ui::Message(QStringLiteral("The shortcut could not be created.\n%1").arg(error), ui::MessageKind::Error,
                        ui::Button::Ok);
    }
    core::WriteRegBool(kSection, QStringLiteral("Shortcut"), QStringLiteral("Control"), QStringLiteral("WizardOn"),
                       !wizard->DoNotShowWiz->isChecked());
    return created;
}

void InstallShortcutWizard(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_FileShortcut"), [form] {
        if (form && Globals().DatabaseOpen) RunShortcutWizard(QCoreApplication::applicationFilePath());
    });
}
