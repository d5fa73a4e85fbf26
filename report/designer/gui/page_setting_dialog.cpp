#include "report/designer/gui/page_setting_dialog.h"

#include "report/model/band_classes.h"
#include "report/model/custom_report.h"
#include "report/model/text_layout.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cmath>

namespace {

void declarePageSettingTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {3, "All"},
            {5, "Cancel"},
            {11, "Enter page numbers and/or page ranges separated by commas.  For example, 1,3,5-12."},
            {13, "First Page"},
            {14, "Last Page"},
            {17, "OK"},
            {19, "Page Range"},
            {20, "Pages"},
            {32, "No pages entered."},
            {1117, "Page Setting"},
        });
        return true;
    }();
    (void)declared;
}

}  // namespace

TppPageSettingDialog::TppPageSettingDialog(QObject* aOwner) : TppForm(aOwner) {
    declarePageSettingTexts();
    setObjectName(QStringLiteral("ppPageSettingDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    bvlPageRange = ui::Make<QFrame>(this, "bvlPageRange");
    bvlPageRange->setFrameShape(QFrame::StyledPanel);
    bvlPageRange->setFrameShadow(QFrame::Sunken);
    bvlPageRange->setGeometry(8, 8, 250, 170);
    lblPageRange = ui::Make<QLabel>(this, "lblPageRange");
    lblPageRange->setGeometry(16, 14, 230, 18);
    rdbAll = ui::Make<QRadioButton>(this, "rdbAll");
    rdbAll->setGeometry(20, 36, 200, 20);
    rdbAll->setChecked(true);
    rdbFirstPage = ui::Make<QRadioButton>(this, "rdbFirstPage");
    rdbFirstPage->setGeometry(20, 58, 200, 20);
    rdbLastPage = ui::Make<QRadioButton>(this, "rdbLastPage");
    rdbLastPage->setGeometry(20, 80, 200, 20);
    rdbPages = ui::Make<QRadioButton>(this, "rdbPages");
    rdbPages->setGeometry(20, 104, 70, 20);
    edtPages = ui::Make<QLineEdit>(this, "edtPages");
    edtPages->setGeometry(92, 102, 156, 24);
    lblDescription = ui::Make<QLabel>(this, "lblDescription");
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setGeometry(20, 132, 228, 36);
    // Each button is checked alone by its handler, so they are not grouped.
    for (QRadioButton* r : {rdbAll, rdbFirstPage, rdbLastPage, rdbPages}) r->setAutoExclusive(false);

    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setGeometry(268, 12, 80, 26);
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setGeometry(268, 44, 80, 26);
    btnCancel->setAutoDefault(false);
    setFixedWidth(356);

    connect(rdbAll, &QRadioButton::clicked, this, [this] { rdbAllClick(); });
    connect(rdbFirstPage, &QRadioButton::clicked, this, [this] { rdbFirstPageClick(); });
    connect(rdbLastPage, &QRadioButton::clicked, this, [this] { rdbLastPageClick(); });
    connect(rdbPages, &QRadioButton::clicked, this, [this] { rdbPagesClick(); });
    edtPages->installEventFilter(this);
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });

    LanguageChanged();
}

void TppPageSettingDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(1117));
    lblPageRange->setText(ppGetMessageText(19));
    rdbAll->setText(ppGetMessageText(3));
    rdbFirstPage->setText(ppGetMessageText(13));
    rdbLastPage->setText(ppGetMessageText(14));
    rdbPages->setText(ppGetMessageText(20));
    lblDescription->setText(ppGetMessageText(11));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));
    // The description wraps to its text's height; the bevel ends 2381 thousandths of a
    // millimetre below it.
    lblDescription->setFixedHeight(lblDescription->heightForWidth(lblDescription->width()));
    const int below = int(ppFromMMThousandths(2381, TppUnitType::utScreenPixels, report::kVertical, nullptr));
    bvlPageRange->setFixedHeight(lblDescription->y() + lblDescription->height() + below - bvlPageRange->y());
}

void TppPageSettingDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);  // runs the activation hook after the show
    Activate();
}

bool TppPageSettingDialog::event(QEvent* event) {
    const bool handled = TppForm::event(event);
    if (event->type() == QEvent::WindowActivate) Activate();
    return handled;
}

void TppPageSettingDialog::Activate() {
    for (QRadioButton* r : {rdbAll, rdbFirstPage, rdbLastPage, rdbPages}) r->setChecked(false);
    switch (PageSetting) {
    case TppPageSettingType::psAll: rdbAll->setChecked(true); break;
    case TppPageSettingType::psPageList:
        rdbPages->setChecked(true);
        edtPages->setText(ValidPages);
        break;
    case TppPageSettingType::psFirstPage: rdbFirstPage->setChecked(true); break;
    case TppPageSettingType::psLastPage: rdbLastPage->setChecked(true); break;
    default: break;
    }
    setFixedHeight(bvlPageRange->y() + bvlPageRange->height() + int(std::lround(report::ScreenPixelsPerInch() * 0.0625)));
}

void TppPageSettingDialog::checkOnly(QRadioButton* aButton) {
    for (QRadioButton* r : {rdbAll, rdbFirstPage, rdbLastPage, rdbPages}) r->setChecked(r == aButton);
}

void TppPageSettingDialog::rdbAllClick() {
    checkOnly(rdbAll);
    edtPages->clear();
}

void TppPageSettingDialog::rdbFirstPageClick() {
    checkOnly(rdbFirstPage);
    edtPages->clear();
}

void TppPageSettingDialog::rdbLastPageClick() {
    checkOnly(rdbLastPage);
    edtPages->clear();
}

void TppPageSettingDialog::rdbPagesClick() {
    checkOnly(rdbPages);
    edtPages->setFocus();
}

void TppPageSettingDialog::edtPagesClick() { checkOnly(rdbPages); }

void TppPageSettingDialog::edtPagesEnter() { checkOnly(rdbPages); }

bool TppPageSettingDialog::eventFilter(QObject* aWatched, QEvent* aEvent) {
    if (aWatched == edtPages) {
        if (aEvent->type() == QEvent::MouseButtonPress) edtPagesClick();
        else if (aEvent->type() == QEvent::FocusIn) edtPagesEnter();
    }
    return TppForm::eventFilter(aWatched, aEvent);
}

void TppPageSettingDialog::btnOKClick() {
    if (rdbPages->isChecked()) {
        QStringList pages;
        ppTextToPageList(edtPages->text(), pages, false);
        if (pages.isEmpty()) {
            ShowWarning(ppGetMessageText(32));
            return;
        }
        PageList = pages;
        PageSetting = TppPageSettingType::psPageList;
        ValidPages = edtPages->text();
    } else if (rdbFirstPage->isChecked()) {
        PageSetting = TppPageSettingType::psFirstPage;
    } else if (rdbLastPage->isChecked()) {
        PageSetting = TppPageSettingType::psLastPage;
    } else {
        PageSetting = TppPageSettingType::psAll;
    }
    EndModal(report::ModalResult::mrOk);
}

namespace report {

void InstallPageSettingDialog() {
    RegisterForm<TppCustomPageSettingDialog, TppPageSettingDialog>();
    SetPageSettingPrompt([](TppPageSettingType& aSetting, QString& aValidPages, TppCustomReport* aReport,
                            int aLanguageIndex) {
        std::unique_ptr<TppCustomPageSettingDialog> form(CreateForm<TppCustomPageSettingDialog>(nullptr));
        if (!form) return false;
        ppSetFormLanguageIndex(form.get(), aLanguageIndex);
        ppSetFormReport(form.get(), aReport);
        form->PageSetting = aSetting;
        form->ValidPages = aValidPages;
        if (form->ShowModal() != ModalResult::mrOk) return false;
        aSetting = form->PageSetting;
        if (aSetting == TppPageSettingType::psPageList) aValidPages = form->ValidPages;
        return true;
    });
}

void UnInstallPageSettingDialog() {
    UnRegisterForm<TppCustomPageSettingDialog>();
    SetPageSettingPrompt({});
}

}  // namespace report
