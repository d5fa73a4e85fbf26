#include "report/output/gui/cancel_dialog.h"

#include "report/output/output_texts.h"
#include "report/page/resource_manager.h"

#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

TppCancelDialog::TppCancelDialog(QObject* aOwner) : TppForm(aOwner) {
    report::DeclareOutputTexts();
    setObjectName(QStringLiteral("ppCancelDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(270, 133);
    setCursor(Qt::WaitCursor);
    QFont bold(QStringLiteral("MS Sans Serif"), 8);
    bold.setBold(true);
    setFont(bold);
    QFont regular(QStringLiteral("MS Sans Serif"), 8);
    regular.setBold(false);  // set explicitly, or the children take the form's bold

    memMessage = ui::Make<QPlainTextEdit>(this, "memMessage");
    memMessage->setGeometry(42, 14, 187, 75);
    memMessage->setReadOnly(true);
    memMessage->setFrameShape(QFrame::NoFrame);
    memMessage->setFont(regular);
    memMessage->viewport()->setCursor(Qt::WaitCursor);
    memMessage->setBackgroundRole(QPalette::Button);
    memMessage->viewport()->setBackgroundRole(QPalette::Button);
    memMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memMessage->setFocusPolicy(Qt::NoFocus);

    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setGeometry(98, 98, 75, 23);
    btnCancel->setFont(regular);
    btnCancel->setCursor(Qt::ArrowCursor);
    btnCancel->setAutoDefault(false);

    connect(btnCancel, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnCancelClick(); }); });

    LanguageChanged();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TppCancelDialog::~TppCancelDialog() {
    enableDisabledForm();
}

void TppCancelDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(24));
    btnCancel->setText(ppGetMessageText(5));
    const int width = btnCancel->fontMetrics().horizontalAdvance(btnCancel->text()) + 30;
    btnCancel->setGeometry((270 - width) / 2, btnCancel->y(), width, btnCancel->height());
}

void TppCancelDialog::StatusChanged() {
    memMessage->setPlainText(StatusText());
    QTextOption option = memMessage->document()->defaultTextOption();
    option.setAlignment(Qt::AlignHCenter);
    memMessage->document()->setDefaultTextOption(option);
}

void TppCancelDialog::showEvent(QShowEvent* event) {
    btnCancel->setEnabled(AllowPrintCancel);
    if (!Modal()) {
        QWidget* active = QApplication::activeWindow();
        if (active && active != this && active->isEnabled()) {
            active->setEnabled(false);
            m_disabledForm = active;
        }
    }
    TppForm::showEvent(event);
}

void TppCancelDialog::hideEvent(QHideEvent* event) {
    enableDisabledForm();
    TppForm::hideEvent(event);
}

void TppCancelDialog::enableDisabledForm() {
    if (!m_disabledForm) return;
    if (!m_disabledForm->isEnabled()) m_disabledForm->setEnabled(true);
    if (QApplication::activeWindow() == this && m_disabledForm->focusPolicy() != Qt::NoFocus) m_disabledForm->setFocus();
    m_disabledForm = nullptr;
}

void TppCancelDialog::btnCancelClick() {
    DoCancel();
    Close();
}
