#pragma once

// The Page Setting dialog of a page-style band: the pages the band prints on, All, First Page,
// Last Page, or a list of pages and page ranges typed as text ("2-4,1", kept as typed).
// Every activation shows the setting the dialog holds, so a choice not confirmed with OK
// gives way to it. OK with Pages and no page in the text says "No pages entered." and keeps
// the dialog open.

#include "report/output/gui/form.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TppPageSettingDialog : public TppForm, public TppCustomPageSettingDialog {
    Q_OBJECT
public:
    explicit TppPageSettingDialog(QObject* aOwner = nullptr);

    void LanguageChanged() override;

    QFrame* bvlPageRange;
    QLabel* lblPageRange;
    QRadioButton* rdbAll;
    QRadioButton* rdbFirstPage;
    QRadioButton* rdbLastPage;
    QRadioButton* rdbPages;
    QLineEdit* edtPages;
    QLabel* lblDescription;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;
    /// Every activation of the window runs Activate.
    bool event(QEvent* event) override;
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    /// Sets the radio buttons from PageSetting and fits the client height to the bevel.
    void Activate();
    void rdbAllClick();
    void rdbFirstPageClick();
    void rdbLastPageClick();
    void rdbPagesClick();
    void edtPagesClick();
    void edtPagesEnter();
    void btnOKClick();
    /// Checks aButton alone.
    void checkOnly(QRadioButton* aButton);
};

namespace report {
/// Registers TppPageSettingDialog for TppCustomPageSettingDialog and installs the page-style
/// band's page setting prompt, which runs whatever form is registered (idempotent).
void InstallPageSettingDialog();
/// Removes the registration and the prompt.
void UnInstallPageSettingDialog();
}  // namespace report
