#include "services/gui/favorite_edit.h"

#include "core/file_helpers.h"
#include "core/folder_chooser.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace services {

QString& LastFolder() {
    static QString folder;
    return folder;
}

}  // namespace services

TFavoriteEdit::TFavoriteEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FavoriteEdit"));
    setWindowTitle(QStringLiteral("Favorite List Item"));
    Label1 = ui::Make<QLabel>(this, "Label1", QStringLiteral("Database Name"));
    DBName = ui::Make<QLineEdit>(this, "DBName");
    DBName->setProperty("HelpContext", 101003);
    Label2 = ui::Make<QLabel>(this, "Label2", QStringLiteral("Database Path"));
    DBPath = ui::Make<QLineEdit>(this, "DBPath");
    BrowseBtn = ui::Make<QToolButton>(this, "BrowseBtn");
    BrowseBtn->setText(QStringLiteral("..."));
    BrowseBtn->setAutoRaise(true);
    BrowseBtn->setToolTip(QStringLiteral("Browse for a Dossara database folder"));
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("&OK"));
    OKBtn->setToolTip(QStringLiteral("Save this list item"));
    OKBtn->setProperty("HelpContext", 101001);
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("&Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Cancel without saving"));
    CancelBtn->setProperty("HelpContext", 101002);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("Help"));
    HelpBtn->setProperty("HelpContext", 101000);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(DBName, 1, 0, 1, 2);
    grid->addWidget(Label2, 2, 0, 1, 2);
    grid->addWidget(DBPath, 3, 0);
    grid->addWidget(BrowseBtn, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(buttons);
    resize(380, 150);

    for (QLineEdit* e : {DBName, DBPath})
        connect(e, &QLineEdit::editingFinished, this, [e] { e->setText(e->text().trimmed()); });
    connect(BrowseBtn, &QToolButton::clicked, this, &TFavoriteEdit::BrowseBtnClick);
    connect(OKBtn, &QPushButton::clicked, this, &TFavoriteEdit::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(101000); });
    DBName->setFocus();
}

void TFavoriteEdit::BrowseBtnClick() {
    QString folder;
    QString& last = services::LastFolder();
    if (core::BrowseForFolder(QStringLiteral("Choose Dossara folder"), folder, last, false) && !folder.isEmpty()) {
        DBPath->setText(folder);
        last = folder;
    }
}

void TFavoriteEdit::OKBtnClick() {
    const QString name = DBName->text().trimmed();
    const QString path = DBPath->text().trimmed();
    if (name.isEmpty() || path.isEmpty()) {
        ui::Message(QStringLiteral("You must enter both a name and a path."), ui::MessageKind::Error, ui::Button::Ok,
                    10012);
        (name.isEmpty() ? DBName : DBPath)->setFocus();
        return;
    }
    if (!core::IsDatabaseFolder(path)) {
        // The quote opened before the path is closed after it.
        ui::Message(QStringLiteral("The path \"%1\" does not exist or does not contain Dossara database files.").arg(path),
                    ui::MessageKind::Error, ui::Button::Ok, 10013);
        DBPath->setFocus();
        return;
    }
    accept();
}

bool EditFavorite(QString& Name, QString& Path) {
    services::LastFolder() = Path;
    TFavoriteEdit form;
    form.DBName->setText(Name);
    form.DBPath->setText(Path);
    if (ui::ExecModal(form) != QDialog::Accepted) return false;
    Name = form.DBName->text().trimmed();
    Path = form.DBPath->text().trimmed();
    return true;
}
