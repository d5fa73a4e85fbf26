#pragma once

#include <QDialog>

class QToolButton;
class QTreeWidget;
class TMainDataMod;
class TMainForm;

namespace db {
class Table;
}

/// The "Mask Library Manager": the edit masks of the shared mask library (MaskLib.db) in a
/// list sorted by name. Add, Edit and Clone go through "Mask Information", the wizard
/// through the "Mask Builder"; the list is filled again after every command. Edit, Clone
/// and Delete do nothing without a selected row.
class TMaskManager : public QDialog {
    Q_OBJECT
public:
    explicit TMaskManager(db::Table& maskLib, QWidget* parent = nullptr);

    QToolButton *AddBtn, *DeleteBtn, *EditBtn, *CloneBtn, *WizardBtn, *HelpBtn, *CloseBtn;
    QTreeWidget* MaskList;

    /// Fills the list from the table (the first item selected).
    void FillList();
    void AddBtnClick();
    void DeleteBtnClick();
    void EditBtnClick();
    void CloneBtnClick();
    void WizardBtnClick();

private:
    db::Table& m_maskLib;
};

/// Opens MaskLib.db, shows the manager modally and closes the table afterwards.
void ShowMaskManager(TMainDataMod& data, QWidget* parent = nullptr);

/// Registers "A_MaskManager" for this main window.
void InstallMaskManager(TMainForm* mainForm);
