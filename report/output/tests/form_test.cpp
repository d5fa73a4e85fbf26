#include "report/output/gui/form.h"
#include "testsupport/qt_printers.h"

#include "report/output/dialog_registry.h"
#include "report/output/gui/up_down.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

namespace {

TEST(Form, destroying_a_form_runs_its_close_hooks_in_order) {
    QStringList ran;
    auto* form = new TppForm;
    form->OnSecondClose = [&](report::ReportForm*) { ran << "second"; };
    delete form;
    EXPECT_EQ(ran, QStringList{"second"});

    ran.clear();
    form = new TppForm;
    form->OnFirstClose = [&](report::ReportForm*) { ran << "first"; };
    form->OnSecondClose = [&](report::ReportForm*) { ran << "second"; };
    delete form;
    EXPECT_EQ(ran, (QStringList{"first", "second"}));
}

TEST(Form, a_warning_from_an_ok_handler_keeps_the_dialog_open_and_activation_runs_once_per_show) {
    testsupport::DialogAnswerer answers;
    TppForm form;
    int activations = 0;
    form.OnActivate = [&](report::ReportForm*) { ++activations; };
    form.show();
    EXPECT_TRUE(testsupport::WaitFor([&] { return activations == 1; }));
    answers.ExpectMessage(QStringLiteral("^Enter a number of copies\\.$"), ui::Button::Ok, ui::MessageKind::Warning);
    form.setResult(QDialog::Accepted);
    form.ShowWarning(QStringLiteral("Enter a number of copies."));
    EXPECT_EQ(form.result(), 0);
    EXPECT_TRUE(form.isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(activations, 1);
}

TEST(Form, the_arrow_control_sits_inside_its_edit_box_and_steps_its_number) {
    TppForm form;
    form.resize(200, 80);
    auto* edit = new QLineEdit(&form);
    edit->setObjectName(QStringLiteral("CopiesEdit"));
    edit->setGeometry(20, 20, 80, 24);
    edit->setText(QStringLiteral("1"));
    TppUpDown* arrows = TppUpDown::CreateForEdit(edit);
    EXPECT_EQ(arrows->geometry(), QRect(20 + 80 - 15 - 2, 22, 15, 20));
    form.show();
    QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(7, 3));
    EXPECT_EQ(edit->text(), "2");
    for (int i = 0; i < 200; ++i) QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(7, 17));
    EXPECT_EQ(edit->text(), "-100");
    testsupport::GrabToPng(&form, QStringLiteral("report_up_down"));
}

}  // namespace
