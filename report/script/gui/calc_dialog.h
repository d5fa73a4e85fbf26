#pragma once

// The calculations dialog: the small editor the report designer opens to write the OnCalc
// script of the selected variable. It shows only the body of the variable's OnCalc handler,
// with the code toolbox at its right; OK compiles and keeps the changes, Cancel drops what
// was not applied (a handler created here is freed again, a handler deleted here is put
// back). Position and sizes are kept in the section "CalcDialog" of "Marlisk.ini".

#include "report/output/gui/form.h"
#include "report/script/code_module.h"

#include <QPointer>

class QPushButton;
class QSplitter;
class QStatusBar;
class QLabel;
class TppVariable;
class TraCodeEditor;
class TraCodeEditorPopupMenu;
class TraCodeModule;
class TraEventHandler;
class TraProgram;
class TraToolBox;

class TraCalcDialog : public TppForm, public TppCustomCalcDialog {
    Q_OBJECT
public:
    explicit TraCalcDialog(QObject* aOwner = nullptr);
    ~TraCalcDialog() override;

    void LanguageChanged() override;
    void ReportAssigned() override;

    QWidget* pnlBottom;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QStatusBar* StatusBar1;

    TraCodeEditor* Editor() const { return m_editor; }
    TraToolBox* Toolbox() const { return m_toolbox; }
    TraCodeModule* CodeModule() const { return m_codeModule; }
    TraEventHandler* Handler() const { return m_handler; }
    QObject* Variable() const { return m_variable; }
    QLabel* StatusPanel() const { return m_panels[0]; }
    /// Drops toolbox text at a point of the editor's viewport; false when refused.
    bool DropCode(int aX, int aY, const QString& aText);

private:
    void createHandler();
    void deleteHandler(TraProgram* aProgram);
    void btnOKClick();
    void btnCancelClick();
    void showCaret();
    void readSettings();
    void writeSettings();

    QSplitter* m_splitter = nullptr;
    QWidget* m_toolboxPanel = nullptr;
    TraToolBox* m_toolbox = nullptr;
    TraCodeEditor* m_editor = nullptr;
    TraCodeEditorPopupMenu* m_popup = nullptr;
    QLabel* m_panels[2] = {nullptr, nullptr};
    QPointer<TraCodeModule> m_codeModule;
    QPointer<QObject> m_variable;
    TraEventHandler* m_handler = nullptr;
    QString m_appliedSource;
    bool m_createdHere = false;
    /// A handler the user deleted, kept out of its module for Cancel.
    TraEventHandler* m_detached = nullptr;
    bool m_settingsRead = false;
};
