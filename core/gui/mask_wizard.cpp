#include "core/gui/mask_wizard.h"

#include "core/gui/customize_support.h"
#include "core/gui/form_helpers.h"
#include "core/gui/key_filters.h"
#include "core/gui/list_helpers.h"
#include "core/gui/save_mask_dialog.h"
#include "core/settings_store.h"

#include "platform/base/scope_exit.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/format/gui/masked_line_edit.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

struct MaskChar {
    const char* chars;
    const char* meaning;
};
const MaskChar kMaskChars[] = {
    {"L", "An alphabetic character (A-Z, a-z) is required here"},
    {"l", "An alphabetic character (A-Z, a-z) is permitted but not required here"},
    {"A", "An alphanumeric character (A-Z, a-z, 0-9) is required here"},
    {"a", "An alphanumeric character (A-Z, a-z, 0-9) is permitted but not required here"},
    {"C", "A character of any kind is required here"},
    {"c", "Any character is permitted but not required here"},
    {"0", "A numeric character (0-9) is required here"},
    {"9", "A numeric character (0-9) is permitted but not required here"},
    {"#", "A numeric character (0-9) or a plus (+) or minus (-) sign is permitted here"},
    {":", "Time separator character"},
    {"/", "Date separator character"},
    {">", "Convert following characters to uppercase"},
    {"<", "Convert following characters to lowercase"},
    {"<>", "Turn off upper/lower case conversion"},
    {"\\", "The next character is a literal"},
    {"!", "Right-justify the field data"},
};

const QString kSection = QStringLiteral("Wizards");
const QString kKey1 = QStringLiteral("MaskBuilder");
const QString kKey2 = QStringLiteral("Control");
const QString kWizardOn = QStringLiteral("WizardOn");

/// Typed characters of a Number or Floating Point mask go through the number filter.
class MaskKeyFilter : public QObject {
public:
    MaskKeyFilter(QLineEdit* edit, QChar type) : QObject(edit), m_edit(edit), m_type(type) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && (m_type == u'N' || m_type == u'F')) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && text[0].unicode() >= 32 &&
                core::FilterMaskedNumberKey(text[0], m_edit, m_type == u'N').isNull())
                return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit* m_edit;
    QChar m_type;
};

}  // namespace

TMaskWizard::TMaskWizard(db::Table& maskLib, QChar typeLetter, const QString& initialMask, bool fromLibraryManager,
                         QWidget* parent)
    : QDialog(parent), m_maskLib(maskLib), m_type(typeLetter), m_fromManager(fromLibraryManager) {
    setObjectName(QStringLiteral("MaskWizard"));
    setWindowTitle(QStringLiteral("Mask Builder"));
    m_wizardOn = m_fromManager ? false : core::ReadRegBool(kSection, kKey1, kKey2, kWizardOn, true);

    // ---- controls ----
    Pages = ui::Make<QStackedWidget>(this, "Pages");
    StartPage = ui::Make<QWidget>(Pages, "StartPage");
    LibraryPage = ui::Make<QWidget>(Pages, "LibraryPage");
    MaskPage = ui::Make<QWidget>(Pages, "MaskPage");
    FinishPage = ui::Make<QWidget>(Pages, "FinishPage");
    auto help = [](QWidget* w, int context) { w->setProperty("HelpContext", context); };

    auto* picture = ui::Make<QLabel>(StartPage, "StartPicture");
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(48, 48));
    auto* intro = ui::Make<QLabel>(StartPage, "IntroLabel",
                                   QStringLiteral("A mask is a pattern that controls what can be typed into an edit "
                                                  "field, and how it looks when it is displayed. You create a mask by "
                                                  "defining the pattern."));
    auto* question = ui::Make<QLabel>(StartPage, "QuestionLabel",
                                      QStringLiteral("There is a library of masks that  have already been defined. Do "
                                                     "you want to use one of the pre-defined masks? "));
    for (QLabel* l : {intro, question}) l->setWordWrap(true);
    YesBtn = ui::Make<QPushButton>(StartPage, "YesBtn", QStringLiteral("&Yes"));
    YesBtn->setToolTip(QStringLiteral("Use a pre-defined mask"));
    NoBtn = ui::Make<QPushButton>(StartPage, "NoBtn", QStringLiteral("&No"));
    NoBtn->setToolTip(QStringLiteral("Create a mask"));
    help(YesBtn, 65004);
    help(NoBtn, 65004);
    DontShowCheck = ui::Make<QCheckBox>(StartPage, "DontShowCheck", QStringLiteral("Do not show this wizard next time"));
    help(DontShowCheck, 65005);

    LibraryText = ui::Make<QPlainTextEdit>(LibraryPage, "LibraryText");
    LibraryText->setReadOnly(true);
    LibraryText->setPlainText(QStringLiteral(
        "If there is a mask in the list below that meets your needs, select it and click \"Use this mask\". If there "
        "is a mask here that is partly right, you can use it as a starting point - select it and click \"Modify this "
        "mask\". If none of these masks is what you want, you can define your own mask - just click \"Make a new "
        "mask\"."));
    LibraryText->setFixedHeight(96);
    MaskList = ui::Make<QTreeWidget>(LibraryPage, "MaskList");
    MaskList->setHeaderLabels({QStringLiteral("Mask Name"), QStringLiteral("Mask"), QStringLiteral("Sample")});
    MaskList->setRootIsDecorated(false);
    help(MaskList, 65006);
    UseLibraryMaskBtn = ui::Make<QPushButton>(LibraryPage, "UseLibraryMaskBtn", QStringLiteral("Use this mask"));
    help(UseLibraryMaskBtn, 65007);
    ModifyMaskBtn = ui::Make<QPushButton>(LibraryPage, "ModifyMaskBtn", QStringLiteral("Modify this mask"));
    help(ModifyMaskBtn, 65008);
    NewMaskBtn = ui::Make<QPushButton>(LibraryPage, "NewMaskBtn", QStringLiteral("Make a new mask"));
    help(NewMaskBtn, 65009);
    LibraryBackBtn = ui::Make<QPushButton>(LibraryPage, "LibraryBackBtn", QStringLiteral("Back"));
    help(LibraryBackBtn, 65002);

    MaskEdit = ui::Make<QLineEdit>(MaskPage, "MaskEdit");
    help(MaskEdit, 65010);
    LibraryBtn = ui::Make<QPushButton>(MaskPage, "LibraryBtn", QStringLiteral("&Library"));
    LibraryBtn->setToolTip(QStringLiteral("Open the Mask Library Manager"));
    help(LibraryBtn, 65011);
    auto* charCaption = ui::Make<QLabel>(MaskPage, "CharCaption",
                                         QStringLiteral("Double click in the list below to select a mask character"));
    CharList = ui::Make<QTreeWidget>(MaskPage, "CharList");
    CharList->setHeaderHidden(true);
    CharList->setColumnCount(2);
    CharList->setRootIsDecorated(false);
    help(CharList, 65012);
    for (const MaskChar& c : kMaskChars) {
        auto* item = new QTreeWidgetItem(CharList);
        item->setText(0, QString::fromLatin1(c.chars));
        item->setText(1, QString::fromLatin1(c.meaning));
    }
    CharList->resizeColumnToContents(0);
    auto* trialCaption = ui::Make<QLabel>(MaskPage, "TrialCaption", QStringLiteral("Try the mask here"));
    TrialEdit = new format::MaskedLineEdit(MaskPage);
    TrialEdit->setObjectName(QStringLiteral("TrialEdit"));
    help(TrialEdit, 65013);
    SaveMaskCheck = ui::Make<QCheckBox>(MaskPage, "SaveMaskCheck", QStringLiteral("Save this mask in the mask library"));
    help(SaveMaskCheck, 65014);
    MaskBackBtn = ui::Make<QPushButton>(MaskPage, "MaskBackBtn", QStringLiteral("Back"));
    MaskBackBtn->setToolTip(QStringLiteral("Go back to previous step"));
    help(MaskBackBtn, 65002);
    FinishBtn = ui::Make<QPushButton>(MaskPage, "FinishBtn", QStringLiteral("Finish"));
    FinishBtn->setToolTip(QStringLiteral("Finish creating the mask"));
    help(FinishBtn, 65003);
    MaskOKBtn = ui::Make<QPushButton>(MaskPage, "MaskOKBtn", QStringLiteral("&OK"));
    MaskOKBtn->setToolTip(QStringLiteral("Create the mask"));
    help(MaskOKBtn, 65015);

    auto* finishCaption = ui::Make<QLabel>(FinishPage, "FinishCaption", QStringLiteral("Finished Mask"));
    FinishedMask = ui::Make<QLineEdit>(FinishPage, "FinishedMask");
    FinishedMask->setReadOnly(true);
    help(FinishedMask, 65016);
    FinishSaveCheck =
        ui::Make<QCheckBox>(FinishPage, "FinishSaveCheck", QStringLiteral("Save this mask in the mask library"));
    help(FinishSaveCheck, 65014);
    UseMaskBtn = ui::Make<QPushButton>(FinishPage, "UseMaskBtn", QStringLiteral("Use this mask"));
    help(UseMaskBtn, 65017);
    FinishBackBtn = ui::Make<QPushButton>(FinishPage, "FinishBackBtn", QStringLiteral("Back"));
    help(FinishBackBtn, 65002);

    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("&Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Cancel the Mask Builder"));
    help(CancelBtn, 65001);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    help(HelpBtn, 65000);
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);

    // ---- layouts ----
    auto* start = new QGridLayout(StartPage);
    start->addWidget(picture, 0, 0, 3, 1, Qt::AlignTop);
    start->addWidget(intro, 0, 1, 1, 2);
    start->addWidget(question, 1, 1, 1, 2);
    start->addWidget(YesBtn, 2, 1);
    start->addWidget(NoBtn, 2, 2);
    start->addWidget(DontShowCheck, 3, 1, 1, 2);
    start->setRowStretch(4, 1);
    auto* library = new QGridLayout(LibraryPage);
    library->addWidget(LibraryText, 0, 0, 1, 4);
    library->addWidget(MaskList, 1, 0, 1, 4);
    library->addWidget(UseLibraryMaskBtn, 2, 0);
    library->addWidget(ModifyMaskBtn, 2, 1);
    library->addWidget(NewMaskBtn, 2, 2);
    library->addWidget(LibraryBackBtn, 2, 3);
    auto* mask = new QGridLayout(MaskPage);
    mask->addWidget(new QLabel(QStringLiteral("Mask"), MaskPage), 0, 0);
    mask->addWidget(MaskEdit, 0, 1, 1, 2);
    mask->addWidget(LibraryBtn, 0, 3);
    mask->addWidget(charCaption, 1, 0, 1, 4);
    mask->addWidget(CharList, 2, 0, 1, 4);
    mask->addWidget(trialCaption, 3, 0);
    mask->addWidget(TrialEdit, 3, 1, 1, 3);
    mask->addWidget(SaveMaskCheck, 4, 0, 1, 4);
    auto* maskButtons = new QHBoxLayout;
    maskButtons->addStretch(1);
    maskButtons->addWidget(MaskBackBtn);
    maskButtons->addWidget(FinishBtn);
    maskButtons->addWidget(MaskOKBtn);
    mask->addLayout(maskButtons, 5, 0, 1, 4);
    auto* finish = new QGridLayout(FinishPage);
    finish->addWidget(finishCaption, 0, 0);
    finish->addWidget(FinishedMask, 0, 1);
    finish->addWidget(FinishSaveCheck, 1, 0, 1, 2);
    finish->addWidget(UseMaskBtn, 2, 0);
    finish->addWidget(FinishBackBtn, 2, 1, Qt::AlignLeft);
    finish->setRowStretch(3, 1);
    Pages->addWidget(StartPage);
    Pages->addWidget(LibraryPage);
    Pages->addWidget(MaskPage);
    Pages->addWidget(FinishPage);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* main = new QVBoxLayout(this);
    main->addWidget(Pages, 1);
    main->addLayout(buttons);
    resize(520, 400);

    // ---- connections ----
    auto guarded = [this](auto f) { return [this, f] { ui::RunGuarded(this, f); }; };
    connect(YesBtn, &QPushButton::clicked, this, [this] { showPage(LibraryPage); });
    connect(NoBtn, &QPushButton::clicked, this, [this] { showPage(MaskPage); });
    connect(UseLibraryMaskBtn, &QPushButton::clicked, this, guarded([this] { UseLibraryMaskClick(); }));
    connect(ModifyMaskBtn, &QPushButton::clicked, this, guarded([this] { ModifyMaskClick(); }));
    connect(NewMaskBtn, &QPushButton::clicked, this, [this] {
        MaskEdit->clear();
        showPage(MaskPage);
    });
    connect(LibraryBackBtn, &QPushButton::clicked, this, [this] { showPage(StartPage); });
    connect(LibraryBtn, &QPushButton::clicked, this, [this] { showPage(LibraryPage); });
    connect(MaskBackBtn, &QPushButton::clicked, this, [this] { showPage(LibraryPage); });
    connect(FinishBtn, &QPushButton::clicked, this, guarded([this] { FinishClick(false); }));
    connect(MaskOKBtn, &QPushButton::clicked, this, guarded([this] { FinishClick(true); }));
    connect(UseMaskBtn, &QPushButton::clicked, this, guarded([this] { UseFinishedMaskClick(); }));
    connect(FinishBackBtn, &QPushButton::clicked, this, [this] { showPage(MaskPage); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(65000); });
    connect(MaskEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        TrialEdit->SetEditMask(text.isEmpty() ? QString() : text + QStringLiteral(";1; "));
    });
    MaskEdit->installEventFilter(new MaskKeyFilter(MaskEdit, m_type));
    connect(CharList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        MaskEdit->insert(item->text(0));
        MaskEdit->setFocus();
    });
    connect(SaveMaskCheck, &QCheckBox::clicked, this, [this](bool on) { core::SetCheckedSilently(FinishSaveCheck, on); });
    connect(FinishSaveCheck, &QCheckBox::clicked, this, [this](bool on) { core::SetCheckedSilently(SaveMaskCheck, on); });

    // ---- opening ----
    DontShowCheck->setChecked(!m_wizardOn);
    MaskBackBtn->setVisible(m_wizardOn);
    FinishBtn->setVisible(m_wizardOn);
    MaskOKBtn->setVisible(!m_wizardOn);
    LibraryBtn->setVisible(!m_wizardOn && !m_fromManager);
    SaveMaskCheck->setVisible(!m_wizardOn && !m_fromManager);
    LibraryBackBtn->setVisible(m_wizardOn);
    MaskEdit->setText(initialMask);
    core::FillMaskListView(MaskList, m_maskLib);
    MaskList->sortItems(0, Qt::AscendingOrder);
    if (MaskList->topLevelItemCount() > 0) MaskList->setCurrentItem(MaskList->topLevelItem(0));
    for (int c = 0; c < 3; ++c) MaskList->resizeColumnToContents(c);
    showPage(m_wizardOn ? StartPage : MaskPage);
}

void TMaskWizard::showPage(QWidget* page) {
    Pages->setCurrentWidget(page);
    if (page == StartPage) YesBtn->setFocus();
    if (page == LibraryPage) MaskList->setFocus();
    if (page == MaskPage) {
        TrialEdit->SetText(QString());
        MaskEdit->setFocus();
    }
    if (page == FinishPage) UseMaskBtn->setFocus();
}

bool TMaskWizard::SaveToLibrary() const { return SaveMaskCheck->isChecked() || FinishSaveCheck->isChecked(); }
bool TMaskWizard::DontShowAgain() const { return DontShowCheck->isChecked(); }

bool TMaskWizard::maskPasses(const QString& mask) {
    if (core::MaskValidForFieldType(mask, m_type)) return true;
    ui::Message(QStringLiteral("There are characters in the Mask that are not valid for the field."),
                ui::MessageKind::Error, ui::Button::Ok, 10130);
    return false;
}

int TMaskWizard::selectedID() const {
    QTreeWidgetItem* item = MaskList->currentItem();
    if (!item || !item->isSelected()) return -1;
    return item->data(0, Qt::UserRole).toInt();
}

QString TMaskWizard::maskOfID(int id) {
    if (!m_maskLib.FindKey({id})) {
        ui::Message(QStringLiteral("Unable to find the mask in the library."), ui::MessageKind::Error, ui::Button::Ok,
                    10118);
        return {};
    }
    return m_maskLib.FieldByName(QStringLiteral("Mask"))->AsString();
}

void TMaskWizard::UseLibraryMaskClick() {
    const int id = selectedID();
    if (id < 0) {
        ui::Message(QStringLiteral("Select a mask in the list first."), ui::MessageKind::Error, ui::Button::Ok, 10119);
        return;
    }
    MaskEdit->setText(maskOfID(id));
    if (MaskEdit->text().isEmpty() || !maskPasses(MaskEdit->text())) return;
    m_builtMask = MaskEdit->text();
    accept();
}

void TMaskWizard::ModifyMaskClick() {
    const int id = selectedID();
    if (id < 0) {
        ui::Message(QStringLiteral("Select a mask in the list first."), ui::MessageKind::Error, ui::Button::Ok, 10119);
        return;
    }
    MaskEdit->setText(maskOfID(id));
    showPage(MaskPage);
}

void TMaskWizard::FinishClick(bool finishAtOnce) {
    const QString mask = MaskEdit->text();
    if (mask.trimmed().isEmpty()) {
        ui::Message(QStringLiteral("You must enter a mask before you can continue."), ui::MessageKind::Error,
                    ui::Button::Ok, 10120);
        return;
    }
    if (!maskPasses(mask)) return;
    if (finishAtOnce) {
        m_builtMask = mask;
        accept();
        return;
    }
    FinishedMask->setText(mask);
    showPage(FinishPage);
}

void TMaskWizard::UseFinishedMaskClick() {
    if (FinishedMask->text().trimmed().isEmpty()) {
        ui::Message(QStringLiteral("You must enter a mask before you can continue."), ui::MessageKind::Error,
                    ui::Button::Ok, 10120);
        showPage(MaskPage);
        return;
    }
    m_builtMask = FinishedMask->text();
    accept();
}

namespace core {

QString RunMaskWizard(db::Table& maskLib, QChar typeLetter, const QString& initialMask, bool fromLibraryManager,
                      QWidget* parent) {
    const bool wasOpen = maskLib.Active();
    if (!wasOpen) maskLib.Open();
    base::ScopeExit close([&] {
        if (!wasOpen && maskLib.Active()) maskLib.Close();
    });
    TMaskWizard wizard(maskLib, typeLetter, initialMask, fromLibraryManager, parent);
    const bool ok = ui::ExecModal(wizard) == QDialog::Accepted;
    QString mask = ok ? wizard.BuiltMask() : QString();
    if (ok && (fromLibraryManager || wizard.SaveToLibrary()))
        ShowSaveMaskDialog(maskLib, QString(), mask, QString(), 0, u'W', parent);
    if (!fromLibraryManager) WriteRegBool(QStringLiteral("Wizards"), QStringLiteral("MaskBuilder"),
                                          QStringLiteral("Control"), QStringLiteral("WizardOn"), !wizard.DontShowAgain());
    return mask;
}

}  // namespace core
