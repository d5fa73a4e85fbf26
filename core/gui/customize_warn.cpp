#include "core/gui/customize_warn.h"

#include "core/command_registry.h"
#include "core/confirmation.h"
#include "core/settings_store.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kWarningName = QStringLiteral("Views: Customize Warning");
}

TCustomizeWarn::TCustomizeWarn(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CustomizeWarn"));
    setWindowTitle(QStringLiteral("Customization"));
    WarningLabel = ui::Make<QLabel>(this, "WarningLabel", QStringLiteral("WARNING"));
    WarningLabel->setAlignment(Qt::AlignCenter);
    WarningLabel->setAutoFillBackground(true);
    QPalette p = WarningLabel->palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::yellow);
    WarningLabel->setPalette(p);
    QFont big(QStringLiteral("MS Sans Serif"));
    big.setPixelSize(20);
    big.setBold(true);
    WarningLabel->setFont(big);
    WarningLabel->setMinimumHeight(36);
    WarnMemo = ui::Make<QPlainTextEdit>(this, "WarnMemo");
    WarnMemo->setReadOnly(true);
    WarnMemo->setFrameShape(QFrame::NoFrame);
    WarnMemo->setFocusPolicy(Qt::NoFocus);
    QPalette m = WarnMemo->palette();
    m.setColor(QPalette::Base, m.color(QPalette::Window));
    WarnMemo->setPalette(m);
    // The advice names only the tools this program has: the sentences about "Save database as"
    // and "Check and Repair database" go in once those commands are there.
    QString text = QStringLiteral(
        "Customizing a View could possibly cause loss of or damage to your data. You should make a backup of your "
        "database before customizing Views.");
    if (core::HasCommand(QStringLiteral("A_FileSaveAs")))
        text += QStringLiteral(" You can make a backup of this database by selecting \"Save database as\" from the File "
                               "menu, and specifying a backup directory.");
    if (core::HasCommand(QStringLiteral("A_Repair")))
        text += QStringLiteral(" It is also a good idea to test your database before customizing. You can do this by "
                               "selecting \"Check and Repair database\" from the Tools | Maintenance menu.");
    WarnMemo->setPlainText(text);
    DontShowCheck = ui::Make<QCheckBox>(this, "DontShowCheck", QStringLiteral("Do not show this warning again"));
    DontShowCheck->setProperty("HelpContext", 42501);
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setDefault(true);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", 42500);

    auto* main = new QVBoxLayout(this);
    main->addWidget(WarningLabel);
    main->addWidget(WarnMemo, 1);
    main->addWidget(DontShowCheck);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(HelpBtn);
    main->addLayout(buttons);
    resize(400, 260);

    connect(OKBtn, &QPushButton::clicked, this, [this] { accept(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(42500); });
}

namespace core {

void ShowCustomizeWarning(QWidget* parent) {
    if (!ReadRegBool(kMessagesSection, kMessagesKey1, kMessagesKey2, kWarningName, true)) return;
    TCustomizeWarn dialog(parent);
    ui::ExecModal(dialog);
    WriteRegBool(kMessagesSection, kMessagesKey1, kMessagesKey2, kWarningName, !dialog.DontShowCheck->isChecked());
}

}  // namespace core
