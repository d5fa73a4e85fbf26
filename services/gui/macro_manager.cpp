#include "services/gui/macro_manager.h"

#include "core/command_registry.h"
#include "core/gui/action_icons.h"
#include "core/gui/main_form.h"
#include "core/library_helpers.h"
#include "core/library_rows.h"
#include "core/main_data_mod.h"

#include "platform/base/scope_exit.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kShift = 0x2000;
constexpr int kCtrl = 0x4000;
constexpr int kAlt = 0x8000;

QString keyName(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return QString(QChar(vk));
    if (vk >= 0x70 && vk <= 0x87) return QStringLiteral("F%1").arg(vk - 0x70 + 1);
    switch (vk) {
    case 0x08: return QStringLiteral("BkSp");
    case 0x09: return QStringLiteral("Tab");
    case 0x0D: return QStringLiteral("Enter");
    case 0x1B: return QStringLiteral("Esc");
    case 0x20: return QStringLiteral("Space");
    case 0x21: return QStringLiteral("PgUp");
    case 0x22: return QStringLiteral("PgDn");
    case 0x23: return QStringLiteral("End");
    case 0x24: return QStringLiteral("Home");
    case 0x25: return QStringLiteral("Left");
    case 0x26: return QStringLiteral("Up");
    case 0x27: return QStringLiteral("Right");
    case 0x28: return QStringLiteral("Down");
    case 0x2D: return QStringLiteral("Ins");
    case 0x2E: return QStringLiteral("Del");
    default: return {};
    }
}

QToolButton* toolButton(QWidget* parent, const char* name, const QString& hint, int tag, const QString& icon) {
    auto* b = ui::Make<QToolButton>(parent, name);
    b->setToolTip(hint);
    b->setProperty("Tag", tag);
    b->setAutoRaise(true);
    b->setIcon(core::ThemeIcon(icon));
    b->setIconSize(QSize(24, 24));
    return b;
}

db::Table& macroTable(TMainForm& form) { return *form.DataModule()->MacroLibrary; }

}  // namespace

namespace services {

const QStringList& MacroTypeNames() {
    static const QStringList names = {
        QStringLiteral("Today's date (short form)"),    QStringLiteral("Today's date (long form)"),
        QStringLiteral("Month name"),                   QStringLiteral("Current time (12-hour clock)"),
        QStringLiteral("Current time (24-hour clock)"), QStringLiteral("Timestamp (short date + time)")};
    return names;
}

QString ShortCutToText(int shortcut) {
    const QString name = keyName(shortcut & 0xFF);
    if (name.isEmpty()) return {};
    QString text;
    if (shortcut & kShift) text += QStringLiteral("Shift+");
    if (shortcut & kCtrl) text += QStringLiteral("Ctrl+");
    if (shortcut & kAlt) text += QStringLiteral("Alt+");
    return text + name;
}

}  // namespace services

// ---- editor ----

TMacroTextEditor::TMacroTextEditor(TMainForm& mainForm, db::Table& macroLib, int RowID, QWidget* parent)
    : QDialog(parent), m_mainForm(mainForm), m_macroLib(macroLib), m_rowID(RowID) {
    setObjectName(QStringLiteral("MacroTextEditor"));
    setWindowTitle(QStringLiteral("Macro Text Editor"));
    auto* keyGroup = ui::Make<QGroupBox>(this, "ActionKeyGroup", QStringLiteral("Action Key"));
    keyGroup->setProperty("HelpContext", 161003);
    ActionKey = ui::Make<QLineEdit>(keyGroup, "ActionKey");
    ActionKey->installEventFilter(this);
    auto* kl = new QVBoxLayout(keyGroup);
    kl->addWidget(new QLabel(QStringLiteral("Press the action key combination here"), keyGroup));
    kl->addWidget(ActionKey);

    auto* typeGroup = ui::Make<QGroupBox>(this, "TypeGroup", QStringLiteral("Type"));
    typeGroup->setProperty("HelpContext", 161004);
    PlainTextBtn = ui::Make<QRadioButton>(typeGroup, "PlainTextBtn", QStringLiteral("Plain text"));
    SpecialTextBtn = ui::Make<QRadioButton>(typeGroup, "SpecialTextBtn", QStringLiteral("Special text"));
    auto* tl = new QHBoxLayout(typeGroup);
    tl->addWidget(PlainTextBtn);
    tl->addWidget(SpecialTextBtn);

    TextPages = ui::Make<QStackedWidget>(this, "TextPages");
    PlainText = ui::Make<QPlainTextEdit>(TextPages, "PlainText");
    PlainText->setProperty("HelpContext", 161005);
    auto* specialPage = new QWidget(TextPages);
    SpecialList = ui::Make<QComboBox>(specialPage, "SpecialList");
    SpecialList->setProperty("HelpContext", 161006);
    auto* sl = new QVBoxLayout(specialPage);
    sl->addWidget(new QLabel(QStringLiteral("Special text"), specialPage));
    sl->addWidget(SpecialList);
    sl->addStretch();
    TextPages->addWidget(PlainText);
    TextPages->addWidget(specialPage);

    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setToolTip(QStringLiteral("Save this macro text"));
    OKBtn->setProperty("HelpContext", 161002);
    OKBtn->setDefault(true);
    OKBtn->setAutoDefault(false);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Exit without saving"));
    CancelBtn->setProperty("HelpContext", 161003);
    CancelBtn->setAutoDefault(false);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("Help"));
    HelpBtn->setProperty("HelpContext", 161000);
    HelpBtn->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {OKBtn, CancelBtn, HelpBtn}) buttons->addWidget(b);
    auto* l = new QVBoxLayout(this);
    l->addWidget(keyGroup);
    l->addWidget(typeGroup);
    l->addWidget(TextPages, 1);
    l->addLayout(buttons);
    resize(400, 320);

    SpecialList->addItems(services::MacroTypeNames());
    SpecialList->setCurrentIndex(0);
    bool found = false;
    if (RowID != 0 && m_macroLib.Active() && m_macroLib.Locate(QStringLiteral("ID"), {qAbs(RowID)})) {
        found = true;
        const int shortcut = int(m_macroLib.FieldByName(QStringLiteral("Shortcut"))->AsInteger());
        const int type = int(m_macroLib.FieldByName(QStringLiteral("Type"))->AsInteger());
        if (RowID > 0) {
            m_shortcut = m_startShortcut = shortcut;
            ActionKey->setText(services::ShortCutToText(shortcut));
        }
        if (type >= 1 && type <= 6) {
            SpecialTextBtn->setChecked(true);
            SpecialList->setCurrentIndex(type - 1);
            showPage(true);
        } else {
            PlainText->setPlainText(m_macroLib.FieldByName(QStringLiteral("Text"))->AsString());
            PlainTextBtn->setChecked(true);
            showPage(false);
        }
    }
    if (!found) {
        PlainTextBtn->setChecked(true);
        showPage(false);
    }

    connect(PlainTextBtn, &QRadioButton::clicked, this, [this] {
        showPage(false);
        PlainText->setFocus();
    });
    connect(SpecialTextBtn, &QRadioButton::clicked, this, [this] {
        showPage(true);
        SpecialList->setFocus();
    });
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        bool ok = false;
        ui::RunGuarded(this, [&] { ok = OKBtnClick(); });
        if (ok) accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(161000); });
    ActionKey->setFocus();
}

void TMacroTextEditor::showPage(bool special) { TextPages->setCurrentIndex(special ? 1 : 0); }

void TMacroTextEditor::SetActionKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    const int shortcut = TMainForm::ShortcutOfKey(qtKey, modifiers);
    if (shortcut == 0) return;
    m_shortcut = shortcut;
    ActionKey->setText(services::ShortCutToText(shortcut));
}

bool TMacroTextEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ActionKey) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Tab and Backtab still move the focus; every other key inserts nothing.
            return key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab;
        }
        if (event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            const int k = key->key();
            if (k != Qt::Key_Shift && k != Qt::Key_Control && k != Qt::Key_Alt && k != Qt::Key_Meta && !key->isAutoRepeat())
                SetActionKey(k, key->modifiers());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TMacroTextEditor::OKBtnClick() {
    const QString keyText = services::ShortCutToText(m_shortcut);
    if (m_shortcut == 0) {
        ui::Message(QStringLiteral("You must specify an action key."), ui::MessageKind::Error, ui::Button::Ok, 10041);
        ActionKey->setFocus();
        return false;
    }
    if (m_shortcut != m_startShortcut && m_mainForm.FindMacroShortcut(m_shortcut).first != -1) {
        ui::Message(QStringLiteral("The action key combination \"%1\" is already in use. Choose a different action key.")
                        .arg(keyText),
                    ui::MessageKind::Error, ui::Button::Ok, 10042);
        ActionKey->setFocus();
        return false;
    }
    const bool special = SpecialTextBtn->isChecked();
    if (!special && PlainText->toPlainText().isEmpty()) {
        ui::Message(QStringLiteral("You must enter text for this macro."), ui::MessageKind::Error, ui::Button::Ok, 10043);
        PlainText->setFocus();
        return false;
    }
    const bool shift = m_shortcut & kShift;
    const bool ctrl = m_shortcut & kCtrl;
    const bool alt = m_shortcut & kAlt;
    if (!ctrl && !alt) {
        if (ui::Message(QStringLiteral("You did not hold down either the Control (Ctrl) or Alt key when you typed the "
                                       "action key. If you use \"%1\" as the action key, you will be unable to use that "
                                       "key for its normal purpose.\n\nAre you sure you want to use that action key?")
                            .arg(keyText),
                        ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10044) != ui::Button::Yes) {
            ActionKey->setFocus();
            return false;
        }
    } else if (!shift && !(ctrl && alt)) {
        if (ui::Message(QStringLiteral("The action key you typed (%1) may conflict with a menu shortcut or some other "
                                       "shortcut. If it does, the existing shortcut will be disabled.\n\nAre you sure "
                                       "you want to use that action key?")
                            .arg(keyText),
                        ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10045) != ui::Button::Yes) {
            ActionKey->setFocus();
            return false;
        }
    }

    db::Table& t = m_macroLib;
    const bool wasOpen = t.Active();
    if (!wasOpen) t.Open();
    base::ScopeExit close([&] {
        if (!wasOpen && t.Active()) t.Close();
    });
    base::ScopeExit cancel([&] {
        try {
            if (t.Active() && t.State() != db::DataSetState::dsBrowse) t.Cancel();
        } catch (...) {
        }
    });
    if (m_rowID > 0 && t.Locate(QStringLiteral("ID"), {m_rowID}))
        t.Edit();
    else
        t.Append();  // the ID is taken when the row is posted
    t.FieldByName(QStringLiteral("Shortcut"))->SetAsInteger(m_shortcut);
    if (special) {
        t.FieldByName(QStringLiteral("Type"))->SetAsInteger(SpecialList->currentIndex() + 1);
        t.FieldByName(QStringLiteral("Text"))->SetAsString(QString());
    } else {
        t.FieldByName(QStringLiteral("Type"))->SetAsInteger(0);
        t.FieldByName(QStringLiteral("Text"))->SetAsString(PlainText->toPlainText());
    }
    core::PostLibraryRow(t);
    return true;
}

bool ShowMacroTextEditor(TMainForm& mainForm, int RowID, QString& ActionKeyText, QWidget* parent) {
    TMacroTextEditor editor(mainForm, macroTable(mainForm), RowID, parent);
    const bool ok = ui::ExecModal(editor) == QDialog::Accepted;
    ActionKeyText = editor.ActionKey->text();
    return ok;
}

// ---- manager ----

TMacroManager::TMacroManager(TMainForm& mainForm, QWidget* parent)
    : QDialog(parent), m_macroLib(macroTable(mainForm)), m_mainForm(mainForm) {
    setObjectName(QStringLiteral("MacroManager"));
    setWindowTitle(QStringLiteral("Macro Text Library Manager"));
    AddBtn = toolButton(this, "AddBtn", QStringLiteral("Add macro text"), 160001, QStringLiteral("list-add"));
    DeleteBtn = toolButton(this, "DeleteBtn", QStringLiteral("Delete macro text"), 160002, QStringLiteral("list-remove"));
    EditBtn = toolButton(this, "EditBtn", QStringLiteral("Change macro text"), 160003, QStringLiteral("document-properties"));
    CloneBtn = toolButton(this, "CloneBtn", QStringLiteral("Clone macro text"), 160004, QStringLiteral("edit-copy"));
    HelpBtn = toolButton(this, "HelpBtn", QStringLiteral("Help"), 160000, QStringLiteral("help-browser"));
    CloseBtn = toolButton(this, "CloseBtn", QStringLiteral("Close the Macro Text Library Manager"), 160005,
                          QStringLiteral("window-close"));
    auto* splitter = ui::Make<QSplitter>(this, "Splitter", Qt::Vertical);
    MacroList = ui::Make<QTreeWidget>(splitter, "MacroList");
    MacroList->setProperty("HelpContext", 160006);
    MacroList->setHeaderLabels({QStringLiteral("Action Key"), QStringLiteral("Macro Text")});
    MacroList->setColumnWidth(0, 150);
    MacroList->setColumnWidth(1, 330);
    MacroList->setRootIsDecorated(false);
    MacroList->setSelectionBehavior(QAbstractItemView::SelectRows);
    MacroList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MacroMemo = ui::Make<QPlainTextEdit>(splitter, "MacroMemo");
    MacroMemo->setProperty("HelpContext", 160007);
    MacroMemo->setReadOnly(true);
    splitter->addWidget(MacroList);
    splitter->addWidget(MacroMemo);
    splitter->setSizes({220, 90});

    auto* tools = new QHBoxLayout;
    for (QToolButton* b : {AddBtn, DeleteBtn, EditBtn, CloneBtn, HelpBtn, CloseBtn}) tools->addWidget(b);
    tools->addStretch();
    auto* l = new QVBoxLayout(this);
    l->addLayout(tools);
    l->addWidget(splitter, 1);
    resize(520, 380);

    auto guarded = [this](void (TMacroManager::*f)()) {
        return [this, f] { ui::RunGuarded(this, [&] { (this->*f)(); }); };
    };
    connect(AddBtn, &QToolButton::clicked, this, guarded(&TMacroManager::AddBtnClick));
    connect(DeleteBtn, &QToolButton::clicked, this, guarded(&TMacroManager::DeleteBtnClick));
    connect(EditBtn, &QToolButton::clicked, this, guarded(&TMacroManager::EditBtnClick));
    connect(CloneBtn, &QToolButton::clicked, this, guarded(&TMacroManager::CloneBtnClick));
    connect(HelpBtn, &QToolButton::clicked, this, [] { ui::HelpService::ShowContext(160000); });
    connect(CloseBtn, &QToolButton::clicked, this, [this] { reject(); });
    connect(MacroList, &QTreeWidget::itemDoubleClicked, this, guarded(&TMacroManager::EditBtnClick));
    connect(MacroList, &QTreeWidget::currentItemChanged, this, [this] { ui::RunGuarded(this, [&] { showText(); }); });
}

void TMacroManager::FillList() {
    MacroList->setUpdatesEnabled(false);
    MacroList->setSortingEnabled(false);
    MacroList->clear();
    db::Table& t = m_macroLib;
    if (t.Active()) {
        t.SetIndexName(QString());
        for (t.First(); !t.Eof(); t.Next()) {
            const int type = int(t.FieldByName(QStringLiteral("Type"))->AsInteger());
            QString text;
            if (type >= 1 && type <= 6) {
                text = QStringLiteral("<") + services::MacroTypeNames().at(type - 1) + QStringLiteral(">");
            } else {
                text = t.FieldByName(QStringLiteral("Text"))->AsString();
                if (text.size() > 50) text = text.left(50) + QStringLiteral("...");
            }
            auto* item = new QTreeWidgetItem(
                MacroList, {services::ShortCutToText(int(t.FieldByName(QStringLiteral("Shortcut"))->AsInteger())), text});
            item->setData(0, Qt::UserRole, int(t.FieldByName(QStringLiteral("ID"))->AsInteger()));
        }
    }
    MacroList->setSortingEnabled(true);
    MacroList->sortByColumn(0, Qt::AscendingOrder);
    MacroList->setUpdatesEnabled(true);
    if (MacroList->topLevelItemCount() > 0) MacroList->setCurrentItem(MacroList->topLevelItem(0));
    showText();
}

void TMacroManager::showText() {
    QTreeWidgetItem* item = MacroList->currentItem();
    if (!item || !m_macroLib.Active() || !m_macroLib.Locate(QStringLiteral("ID"), {item->data(0, Qt::UserRole).toInt()})) {
        MacroMemo->clear();
        return;
    }
    const int type = int(m_macroLib.FieldByName(QStringLiteral("Type"))->AsInteger());
    MacroMemo->setPlainText(type >= 1 && type <= 6 ? core::GetMacroDateText(type)
                                                   : m_macroLib.FieldByName(QStringLiteral("Text"))->AsString());
}

bool TMacroManager::SelectCaption(const QString& caption) {
    for (int i = 0; i < MacroList->topLevelItemCount(); ++i)
        if (MacroList->topLevelItem(i)->text(0) == caption) {
            MacroList->setCurrentItem(MacroList->topLevelItem(i));
            return true;
        }
    return false;
}

void TMacroManager::AddBtnClick() {
    QString key;
    ShowMacroTextEditor(m_mainForm, 0, key, this);
    m_mainForm.LoadMacroShortcuts();
    FillList();
    SelectCaption(key);
}

void TMacroManager::EditBtnClick() {
    QTreeWidgetItem* item = MacroList->currentItem();
    if (!item) return;
    QString key;
    ShowMacroTextEditor(m_mainForm, item->data(0, Qt::UserRole).toInt(), key, this);
    m_mainForm.LoadMacroShortcuts();
    FillList();
    SelectCaption(key);
}

void TMacroManager::CloneBtnClick() {
    QTreeWidgetItem* item = MacroList->currentItem();
    if (!item) return;
    const QString clonedCaption = item->text(0);
    QString key;
    ShowMacroTextEditor(m_mainForm, -item->data(0, Qt::UserRole).toInt(), key, this);
    if (key.isEmpty()) return;
    m_mainForm.LoadMacroShortcuts();
    FillList();
    if (!SelectCaption(key)) SelectCaption(clonedCaption);
}

void TMacroManager::DeleteBtnClick() {
    QTreeWidgetItem* item = MacroList->currentItem();
    if (!item) return;
    if (ui::Message(QStringLiteral("Are you sure you want to delete this macro text?"), ui::MessageKind::Confirmation,
                    ui::Button::Yes | ui::Button::No, 10039) != ui::Button::Yes)
        return;
    if (m_macroLib.Active() && m_macroLib.Locate(QStringLiteral("ID"), {item->data(0, Qt::UserRole).toInt()}))
        m_macroLib.Delete();
    else
        ui::Message(QStringLiteral("Unable to find the macro in the library."), ui::MessageKind::Error, ui::Button::Ok,
                    10040);
    m_mainForm.LoadMacroShortcuts();
    FillList();
}

void ShowMacroManager(TMainForm& mainForm) {
    db::Table& t = macroTable(mainForm);
    const bool wasOpen = t.Active();
    if (!wasOpen) t.Open();
    base::ScopeExit close([&] {
        if (!wasOpen && t.Active()) t.Close();
    });
    TMacroManager manager(mainForm, &mainForm);
    manager.FillList();
    ui::ExecModal(manager);
}

void InstallMacroManager(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_MacroManager"), [form] {
        if (form && form->DataModule()) ShowMacroManager(*form);
    });
}
