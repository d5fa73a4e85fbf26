#include "core/gui/confirm_dialogs.h"

#include "core/confirmation.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kHelpContext = "HelpContext";

void addHelpBase(std::initializer_list<QWidget*> controls, int base) {
    for (QWidget* w : controls) w->setProperty(kHelpContext, core::HelpContextOf(w) + base);
}

/// Fixed dialog border without the system-menu buttons, client area of the given size.
void setUpFrame(QDialog* dialog, const QString& caption, int width, int height) {
    dialog->setWindowTitle(caption);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setFixedSize(width, height);
    dialog->setModal(true);
}

QPlainTextEdit* makeMemo(QDialog* dialog) {
    auto* memo = ui::Make<QPlainTextEdit>(dialog, "MsgMemo");
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The memo takes the dialog's colour, so the message reads as text of the dialog.
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Base, dialog->palette().color(QPalette::Window));
    memo->setPalette(palette);
    return memo;
}

/// The bottom panel: the check box on the left, the buttons on the right, narrow enough
/// for the fixed dialog width.
void layOutBottom(QFrame* panel, QCheckBox* dontAsk, std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(6);
    dontAsk->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    row->addWidget(dontAsk);
    row->addStretch(1);
    for (QPushButton* b : buttons) {
        b->setFixedWidth(std::max(64, b->sizeHint().width() - 16));
        row->addWidget(b);
    }
}

QLabel* makePicture(QDialog* dialog, QStyle::StandardPixmap which) {
    auto* picture = ui::Make<QLabel>(dialog, "Picture");
    picture->setPixmap(dialog->style()->standardIcon(which, nullptr, dialog).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    picture->setFixedWidth(48);
    return picture;
}

class DialogPresenter : public core::ConfirmationPresenter {
public:
    Answer Confirm(const QString& text, int helpBase) override {
        TConfirmer dialog(QApplication::activeWindow());
        dialog.SetText(text);
        dialog.AddHelpBase(helpBase);
        const int result = ui::ExecModal(dialog);
        return {result == QDialog::Accepted, dialog.DontAskChecked()};
    }
    Answer Warn(const QString& text, int helpBase) override {
        TWarner dialog(QApplication::activeWindow());
        dialog.SetText(text);
        dialog.AddHelpBase(helpBase);
        const int result = ui::ExecModal(dialog);
        return {result == QDialog::Accepted, dialog.DontAskChecked()};
    }
};

}  // namespace

TConfirmer::TConfirmer(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Confirmer"));
    setUpFrame(this, QStringLiteral("Confirm Action"), 418, 196);

    Picture = makePicture(this, QStyle::SP_MessageBoxQuestion);
    MsgMemo = makeMemo(this);
    InfoLabel = ui::Make<QLabel>(this, "InfoLabel",
                                 QStringLiteral("Click the OK button if you want to complete this action, or click "
                                                "the Cancel button if you want to cancel it."));
    InfoLabel->setWordWrap(true);
    InfoLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    BottomPanel = ui::Make<QFrame>(this, "BottomPanel");
    BottomPanel->setFrameShape(QFrame::StyledPanel);
    OKBtn = ui::Make<QPushButton>(BottomPanel, "OKBtn", QStringLiteral("OK"));
    CancelBtn = ui::Make<QPushButton>(BottomPanel, "CancelBtn", QStringLiteral("Cancel"));
    HelpBtn = ui::Make<QPushButton>(BottomPanel, "HelpBtn", QStringLiteral("&Help"));
    DontAsk = ui::Make<QCheckBox>(BottomPanel, "DontAsk", QStringLiteral("Don't ask me this again"));
    OKBtn->setDefault(true);
    HelpBtn->setAutoDefault(false);
    CancelBtn->setAutoDefault(false);
    OKBtn->setProperty(kHelpContext, 1);
    CancelBtn->setProperty(kHelpContext, 2);
    HelpBtn->setProperty(kHelpContext, 0);
    DontAsk->setProperty(kHelpContext, 3);

    auto* upper = new QHBoxLayout;
    upper->addWidget(Picture);
    auto* texts = new QVBoxLayout;
    texts->addWidget(MsgMemo, 1);
    texts->addWidget(InfoLabel);
    upper->addLayout(texts, 1);
    layOutBottom(BottomPanel, DontAsk, {OKBtn, CancelBtn, HelpBtn});
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->addLayout(upper, 1);
    main->addWidget(BottomPanel);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}

void TConfirmer::SetText(const QString& text) { MsgMemo->setPlainText(text); }

void TConfirmer::AddHelpBase(int base) { addHelpBase({HelpBtn, OKBtn, CancelBtn, DontAsk}, base); }

bool TConfirmer::DontAskChecked() const { return DontAsk->isChecked(); }

void TConfirmer::HelpBtnClick() { ui::HelpService::ShowContext(core::HelpContextOf(HelpBtn)); }

TWarner::TWarner(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Warner"));
    setUpFrame(this, QStringLiteral("Warning"), 395, 177);

    Picture = makePicture(this, QStyle::SP_MessageBoxWarning);
    MsgMemo = makeMemo(this);
    BottomPanel = ui::Make<QFrame>(this, "BottomPanel");
    BottomPanel->setFrameShape(QFrame::StyledPanel);
    OKBtn = ui::Make<QPushButton>(BottomPanel, "OKBtn", QStringLiteral("OK"));
    HelpBtn = ui::Make<QPushButton>(BottomPanel, "HelpBtn", QStringLiteral("&Help"));
    DontAsk = ui::Make<QCheckBox>(BottomPanel, "DontAsk", QStringLiteral("Don't show this warning again"));
    OKBtn->setDefault(true);
    HelpBtn->setAutoDefault(false);
    OKBtn->setProperty(kHelpContext, 1);
    HelpBtn->setProperty(kHelpContext, 0);
    DontAsk->setProperty(kHelpContext, 2);

    auto* upper = new QHBoxLayout;
    upper->addWidget(Picture);
    upper->addWidget(MsgMemo, 1);
    layOutBottom(BottomPanel, DontAsk, {OKBtn, HelpBtn});
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->addLayout(upper, 1);
    main->addWidget(BottomPanel);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}

void TWarner::SetText(const QString& text) { MsgMemo->setPlainText(text); }

void TWarner::AddHelpBase(int base) { addHelpBase({HelpBtn, OKBtn, DontAsk}, base); }

bool TWarner::DontAskChecked() const { return DontAsk->isChecked(); }

void TWarner::reject() { accept(); }

void TWarner::HelpBtnClick() { ui::HelpService::ShowContext(core::HelpContextOf(HelpBtn)); }

namespace core {

void InstallConfirmationDialogs() { SetConfirmationPresenter(std::make_unique<DialogPresenter>()); }

int HelpContextOf(const QObject* control) { return control ? control->property(kHelpContext).toInt() : 0; }

}  // namespace core
