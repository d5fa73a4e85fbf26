#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class TMainForm;

namespace db {
class Table;
}

namespace services {

/// The names of the macro text types 1 to 6 (index 0 is type 1).
const QStringList& MacroTypeNames();
/// The action key of a shortcut value (virtual-key code + 0x2000 Shift, 0x4000 Ctrl, 0x8000
/// Alt) as text: "Shift+", "Ctrl+" and "Alt+" in this order before the key's name ("Ctrl+Alt+D",
/// "F5"); the empty text for 0.
QString ShortCutToText(int shortcut);

}  // namespace services

/// The "Macro Text Editor": one row of the macro library (MacroLib.db: ID, Shortcut, Type,
/// Text). The action key is typed into `ActionKey`: the key released there, other than Shift,
/// Ctrl or Alt alone, with the modifiers then held, becomes the action key.
class TMacroTextEditor : public QDialog {
    Q_OBJECT
public:
    /// RowID 0: a new macro; > 0 the row with that ID; < 0 a copy of the row -RowID (its
    /// type and text, no action key).
    TMacroTextEditor(TMainForm& mainForm, db::Table& macroLib, int RowID, QWidget* parent = nullptr);

    QLineEdit* ActionKey;
    QRadioButton* PlainTextBtn;
    QRadioButton* SpecialTextBtn;
    QStackedWidget* TextPages;
    QPlainTextEdit* PlainText;
    QComboBox* SpecialList;
    QPushButton *OKBtn, *CancelBtn, *HelpBtn;

    int Shortcut() const { return m_shortcut; }
    /// Sets the action key as typing the key with these modifiers does.
    void SetActionKey(int qtKey, Qt::KeyboardModifiers modifiers);
    /// The checks and questions of OK, then the write; false keeps the editor open.
    bool OKBtnClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPage(bool special);

    TMainForm& m_mainForm;
    db::Table& m_macroLib;
    int m_rowID;
    int m_shortcut = 0;          ///< the action key typed; 0 while none
    int m_startShortcut = 0;     ///< the row's action key when the editor opened (0: new or copy)
    Qt::KeyboardModifiers m_modifiers;
};

/// Runs the editor for RowID (see TMacroTextEditor); on OK the row is written. The action
/// key's text as the editor closes goes into ActionKeyText, also after Cancel.
bool ShowMacroTextEditor(TMainForm& mainForm, int RowID, QString& ActionKeyText, QWidget* parent = nullptr);

/// The "Macro Text Library Manager": the macro library in a list sorted by action key, the
/// selected macro's text below it. The main window's action-key cache is reloaded after
/// every command, so a new key works at once.
class TMacroManager : public QDialog {
    Q_OBJECT
public:
    explicit TMacroManager(TMainForm& mainForm, QWidget* parent = nullptr);

    QToolButton *AddBtn, *DeleteBtn, *EditBtn, *CloneBtn, *HelpBtn, *CloseBtn;
    QTreeWidget* MacroList;
    QPlainTextEdit* MacroMemo;

    void FillList();
    /// Selects the item whose caption is `caption`; false when there is none.
    bool SelectCaption(const QString& caption);
    void AddBtnClick();
    void EditBtnClick();
    void CloneBtnClick();
    void DeleteBtnClick();

private:
    void showText();
    db::Table& m_macroLib;
    TMainForm& m_mainForm;
};

/// Shows the manager modally over the main window's macro library.
void ShowMacroManager(TMainForm& mainForm);

/// Registers "A_MacroManager" for this main window.
void InstallMacroManager(TMainForm* mainForm);
