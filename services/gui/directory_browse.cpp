#include "services/gui/directory_browse.h"

#include "services/errors.h"
#include "services/gui/directory_tree.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Trimmed(const QString& path) {
    QString p = path.trimmed();
    while (p.size() > 1 && p.endsWith(u'/')) p.chop(1);
    return p;
}

}  // namespace

TDirectoryBrowse::TDirectoryBrowse(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Browse for Folder"));
    setObjectName(QStringLiteral("DirectoryBrowse"));
    resize(382, 328);

    auto* topPanel = ui::Make<QWidget>(this, "TopPanel");
    topPanel->setFixedHeight(36);
    TitleLabel = ui::Make<QLabel>(topPanel, "TitleLabel");
    DirTree = ui::Make<TPlDirectoryTree>(this, "DirTree");
    DirTree->setIndentation(19);
    DirTree->setProperty("HelpContext", 240003);
    auto* bottomPanel = ui::Make<QWidget>(this, "BottomPanel");
    bottomPanel->setFixedHeight(87);
    CurrentDir = ui::Make<QLineEdit>(bottomPanel, "CurrentDir");
    CurrentDir->setProperty("HelpContext", 240004);
    OKBtn = ui::Make<QPushButton>(bottomPanel, "OKBtn", QStringLiteral("&OK"));
    OKBtn->setToolTip(QStringLiteral("Select this folder path"));
    OKBtn->setProperty("HelpContext", 240001);
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(bottomPanel, "CancelBtn", QStringLiteral("&Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Cancel folder path selection"));
    CancelBtn->setProperty("HelpContext", 240002);
    HelpBtn = ui::Make<QPushButton>(bottomPanel, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", 240000);

    auto* top = new QHBoxLayout(topPanel);
    top->addWidget(TitleLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* bottom = new QVBoxLayout(bottomPanel);
    bottom->addWidget(CurrentDir);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(topPanel);
    layout->addWidget(DirTree, 1);
    layout->addWidget(bottomPanel);

    connect(OKBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { OKBtnClick(); }); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(240000); });
    connect(DirTree, &QTreeWidget::currentItemChanged, this, [this] { DirTreeChange(); });
    CurrentDir->installEventFilter(this);
    DirTree->setFocus();
}

void TDirectoryBrowse::DirTreeChange() {
    QString path = DirTree->Directory().trimmed();
    if (!path.isEmpty() && !path.endsWith(u'/')) path += u'/';
    CurrentDir->setText(path);
}

bool TDirectoryBrowse::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CurrentDir) {
        if (event->type() == QEvent::FocusIn) CurrentDir->setCursorPosition(CurrentDir->text().size());
        else if (event->type() == QEvent::FocusOut) CurrentDir->setText(CurrentDir->text().trimmed());
    }
    return QDialog::eventFilter(watched, event);
}

void TDirectoryBrowse::OKBtnClick() {
    const QString path = CurrentDir->text().trimmed();
    if (path.isEmpty()) {
        ui::Message(QStringLiteral("The folder cannot be blank."), ui::MessageKind::Error, ui::Button::Ok);
        QString current = DirTree->Directory();
        if (!current.isEmpty() && !current.endsWith(u'/')) current += u'/';
        CurrentDir->setText(current);
        CurrentDir->setFocus();
        return;
    }
    if (!QFileInfo(path).isDir()) {
        const QString question = QStringLiteral("Folder \"%1\" does not exist - do you want to create it?").arg(Trimmed(path));
        if (ui::Message(question, ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10033) != ui::Button::Yes)
            return;
        QDir().mkpath(path);
        if (!QFileInfo(path).isDir()) {
            ui::Message(QStringLiteral("Unable to create the folder. Press F1 for help."), ui::MessageKind::Error,
                        ui::Button::Ok, 10034);
            return;
        }
    }
    accept();
}

bool BrowseForFolder(const QString& Title, QString& Folder, QString& LastFolder, bool AllowEdit) {
    TDirectoryBrowse form;
    form.TitleLabel->setText(Title);
    form.CurrentDir->setEnabled(AllowEdit);
    const QString start = Folder.isEmpty() ? LastFolder : Folder;
    if (!start.isEmpty()) {
        try {
            form.DirTree->SetDirectory(start);
        } catch (const EInOutError&) {
            // Nothing of the path exists: the tree opens without a selection.
        }
    }
    if (ui::ExecModal(form) != QDialog::Accepted) return false;
    Folder = Trimmed(form.CurrentDir->text());
    LastFolder = Trimmed(form.DirTree->Directory());
    return true;
}
