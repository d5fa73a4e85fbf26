#include "report/output/gui/auto_search_dialog.h"
#include "testsupport/qt_printers.h"

#include "report/model/auto_search_field.h"
#include "report/output/gui/output_forms.h"
#include "report/output/producer.h"
#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

using testsupport::Click;

TppAutoSearchField* criterion(TComponent& owner, const QString& alias, TppDataType type, TppSearchOperatorType op,
                              const QString& expression, bool mandatory = false) {
    auto* f = new TppAutoSearchField(&owner);
    f->SetFieldName(alias);
    f->SetFieldAlias(alias);
    f->SetDataType(type);
    f->SetSearchOperator(op);
    f->SetSearchExpression(expression);
    f->SetMandatory(mandatory);
    f->SetShowAllValues(false);
    return f;
}

class AutoSearch : public ::testing::Test {
protected:
    void SetUp() override {
        report::InitializeOutputUnit();
        report::RegisterOutputForms();
        section = criterion(owner, "Section", TppDataType::dtString, TppSearchOperatorType::soEqual, "admin");
        size = criterion(owner, "Size", TppDataType::dtInteger, TppSearchOperatorType::soBetween, "100,5000");
        packages = criterion(owner, "Package", TppDataType::dtString, TppSearchOperatorType::soInList, "apt,dpkg", true);
        installed = criterion(owner, "Essential", TppDataType::dtBoolean, TppSearchOperatorType::soEqual, "Y");
        dialog.reset(report::CreateForm<TppCustomAutoSearchDialog>(nullptr));
        ASSERT_NE(dialog, nullptr);
        dialog->Criteria = {section, size, packages, installed};
        dialog->Init();
        form = dynamic_cast<TppAutoSearchDialog*>(dialog.get());
        ASSERT_NE(form, nullptr);
        form->show();
    }
    TComponent owner;
    TppAutoSearchField *section = nullptr, *size = nullptr, *packages = nullptr, *installed = nullptr;
    std::unique_ptr<TppCustomAutoSearchDialog> dialog;
    TppAutoSearchDialog* form = nullptr;
};

TEST_F(AutoSearch, panels_show_each_criterion_and_ok_stores_the_new_values) {
    ASSERT_EQ(form->Panels().size(), 4u);
    TppAutoSearchPanel* first = form->Panels()[0];
    EXPECT_EQ(first->findChild<QLabel*>("lblOpening")->text(), "Show all data where the");
    EXPECT_EQ(form->Panels()[1]->findChild<QLabel*>("lblOpening")->text(), "and the");
    EXPECT_EQ(first->edtValue->text(), "admin");
    EXPECT_EQ(form->Panels()[1]->edtValue->text(), "100");
    EXPECT_EQ(form->Panels()[1]->edtValue2->text(), "5000");
    EXPECT_EQ(form->Panels()[2]->lstValues->count(), 2);
    EXPECT_TRUE(form->Panels()[2]->chkShowAll->isHidden());
    EXPECT_TRUE(form->lblMandatory->isVisible());
    testsupport::GrabToPng(form, QStringLiteral("report_auto_search_dialog"));

    // Emptying a simple value ticks "Show all values".
    first->edtValue->selectAll();
    QTest::keyClick(first->edtValue, Qt::Key_Delete);
    EXPECT_TRUE(first->chkShowAll->isChecked());
    EXPECT_FALSE(first->edtValue->isEnabled());

    TppAutoSearchPanel* list = form->Panels()[2];
    QTest::keyClicks(list->edtValue, "mawk");
    Click(list, "btnAdd");
    EXPECT_EQ(list->lstValues->count(), 3);
    list->lstValues->setCurrentRow(0);
    Click(list, "btnRemove");

    // A range with one value stores an empty expression; thousands separators are fine.
    TppAutoSearchPanel* range = form->Panels()[1];
    range->edtValue->setText(QLocale().toString(12000));
    range->edtValue2->clear();
    Click(form, "btnOK");
    EXPECT_EQ(form->result(), int(QDialog::Accepted));
    EXPECT_TRUE(section->ShowAllValues());
    EXPECT_EQ(size->SearchExpression(), "");
    EXPECT_EQ(packages->SearchExpression(), "dpkg,mawk");
}

TEST_F(AutoSearch, wrong_values_and_missing_mandatory_values_keep_the_dialog_open) {
    struct Case {
        int panel;
        QString value;
        QString error;
    } cases[] = {
        {1, "ten", "ten is not a valid number."},
        {3, "Maybe", "Value must be either True or False."},
    };
    for (const Case& c : cases) {
        TppAutoSearchPanel* panel = form->Panels()[size_t(c.panel)];
        panel->edtValue->setText(c.value);
        Click(form, "btnOK");
        EXPECT_EQ(form->result(), 0) << c.value.toStdString();
        EXPECT_TRUE(panel->lblError->isVisible());
        EXPECT_EQ(panel->lblError->text(), c.error);
        panel->edtValue->setText(c.panel == 1 ? "10" : "0");
    }
    TppAutoSearchPanel* list = form->Panels()[2];
    while (list->lstValues->count() > 0) {
        list->lstValues->setCurrentRow(0);
        Click(list, "btnRemove");
    }
    Click(form, "btnOK");
    EXPECT_EQ(form->result(), 0);
    EXPECT_EQ(list->lblError->text(), "Search value must be entered.");
    EXPECT_EQ(packages->SearchExpression(), "apt,dpkg");
}

}  // namespace
