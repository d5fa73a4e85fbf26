#include "services/gui/save_db.h"

#include "services/database_copy.h"

#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/main_form.h"
#include "core/view_layer.h"

#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace {

/// "The database path you specified is the same as the path of the database you have open."
void showOpenFolderGuard() {
    ui::Message(QStringLiteral("The database path you specified is the same as the path of the database you have open. "
                               "You must close the database before you can use this path."),
                ui::MessageKind::Error, ui::Button::Ok, 10128);
}

}  // namespace

TSaveDB::TSaveDB(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SaveDB"));
    setWindowTitle(QStringLiteral("Save database as..."));
    DBPath = ui::Make<QLineEdit>(this, "DBPath");
    DBPath->setProperty("HelpContext", 31000);
    BrowseBtn = ui::Make<QPushButton>(this, "BrowseBtn");
    BrowseBtn->setIcon(core::ThemeIcon(QStringLiteral("folder-open")));
    BrowseBtn->setToolTip(QStringLiteral("Browse for a Dossara database folder"));
    OpenNew = ui::Make<QCheckBox>(this, "OpenNew", QStringLiteral("Open database in new location"));
    OpenNew->setProperty("HelpContext", 31001);
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("&OK"));
    OKBtn->setToolTip(QStringLiteral("Save the database"));
    OKBtn->setProperty("HelpContext", 32003);
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("&Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Do not save the database"));
    CancelBtn->setProperty("HelpContext", 31004);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("Help"));
    HelpBtn->setProperty("HelpContext", 31005);
    auto* label = ui::Make<QLabel>(this, "DBPathLabel", QStringLiteral("New Database Path"));
    label->setBuddy(DBPath);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(DBPath, 1);
    pathRow->addWidget(BrowseBtn);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(pathRow);
    layout->addWidget(OpenNew);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(421, 179);

    connect(OKBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { OKBtnClick(); }); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(31005); });
    connect(BrowseBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { BrowseBtnClick(); }); });
    connect(DBPath, &QLineEdit::editingFinished, this, [this] { DBPath->setText(DBPath->text().trimmed()); });
}

void TSaveDB::OKBtnClick() {
    QString path = DBPath->text().trimmed();
    if (path.isEmpty()) {
        ui::Message(QStringLiteral("You must enter a database path."), ui::MessageKind::Error, ui::Button::Ok, 10015);
        DBPath->setFocus();
        return;
    }
    // A copy never lands on its own source: that would read and overwrite one file at once.
    if (Globals().DatabaseOpen && services::IsSameFolder(core::NormalizePath(path), Globals().CurrentFolder)) {
        showOpenFolderGuard();
        DBPath->setFocus();
        return;
    }
    if (!core::ValidateFolder(path)) {
        DBPath->setFocus();
        return;
    }
    DBPath->setText(path.trimmed());
    accept();
}

void TSaveDB::BrowseBtnClick() {
    QString folder = DBPath->text().trimmed();
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Choose Dossara folder"), folder, last, true)) return;
    Globals().LastFolder = last;
    if (!folder.trimmed().isEmpty()) DBPath->setText(folder);
}

bool SaveDatabaseAs(QString& Path, bool& OpenNew) {
    auto dialog = std::make_unique<TSaveDB>();
    dialog->DBPath->setText(Path);
    dialog->OpenNew->setChecked(OpenNew);
    if (ui::ExecModal(*dialog) != QDialog::Accepted) return false;
    Path = dialog->DBPath->text().trimmed();
    OpenNew = dialog->OpenNew->isChecked();
    services::TCopyOutcome outcome;
    {
        ui::HourglassCursor hourglass;
        outcome = services::CopyDatabaseFolder(Globals().CurrentFolder, Path);
    }
    if (outcome.Success) return true;
    if (outcome.Code == services::CopyResult::kSameFolder) {
        showOpenFolderGuard();
        return false;
    }
    ui::Message(QStringLiteral("An error occurred while creating the database.\nThe error is code %1: %2\nThe database "
                               "cannot be created.\nPress F1 for help.")
                    .arg(outcome.Code)
                    .arg(outcome.Text),
                ui::MessageKind::Error, ui::Button::Ok, 10014);
    return false;
}

void InstallSaveDatabaseAs(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_FileSaveAs"), [form] {
        if (!form || !Globals().DatabaseOpen) return;
        if (ViewLayer().FindUnsavedChanges && ViewLayer().FindUnsavedChanges()) return;
        QString path;
        bool openNew = true;
        if (SaveDatabaseAs(path, openNew) && openNew && form) form->OpenDatabase(path);
    });
}
