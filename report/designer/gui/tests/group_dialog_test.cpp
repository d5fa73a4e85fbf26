// The Groups dialog, reached through the dialog registry with the report and its language:
// entries shown and edited on copies, reordered by dragging, and OK creating, moving, setting
// and freeing groups, checked against what the report prints and what SQL groups.

#include "report/designer/gui/group_dialog.h"

#include "dialog_fixture.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

using designertest::GroupedReport;

class GroupDialog : public designertest::DesignerTest {
protected:
    void SetUp() override {
        DesignerTest::SetUp();
        report::RegisterGroupDialog();
    }
    void TearDown() override {
        report::UnRegisterGroupDialog();
        DesignerTest::TearDown();
    }

    /// Shows the registered group form on the report with `fill` driving it.
    report::ModalResult run(TppCustomReport* aReport, std::function<void(TppGroupDialog&)> fill) {
        std::unique_ptr<TppCustomGroupDialog> form(report::CreateForm<TppCustomGroupDialog>(nullptr));
        EXPECT_NE(form, nullptr);
        if (!form) return report::ModalResult::mrNone;
        report::ppSetFormReport(form.get(), aReport);
        report::ppSetFormLanguageIndex(form.get(), aReport->LanguageIndex());
        answers.ExpectModal<TppGroupDialog>([fill](TppGroupDialog& d) {
            d.activateWindow();
            QApplication::setActiveWindow(&d);
            QApplication::processEvents();
            fill(d);
        });
        const report::ModalResult result = form->ShowModal();
        EXPECT_EQ(answers.Pending(), 0);
        return result;
    }

    static QStringList entries(const TppGroupDialog& d) {
        QStringList texts;
        for (int i = 0; i < d.lstGroups->count(); ++i) texts << d.lstGroups->item(i)->text();
        return texts;
    }

    testsupport::DialogAnswerer answers;
};

TEST_F(GroupDialog, groups_reordered_by_dragging_print_the_breaks_sql_groups_in_the_new_order) {
    GroupedReport r;
    TppGroupHeaderBand* sectionHeader = r.section->HeaderBand();
    const auto result = run(r.report, [](TppGroupDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Groups");
        EXPECT_EQ(entries(d), (QStringList{"Group[0]:Pkgs.Section", "Group[1]:Pkgs.Initial"}));
        EXPECT_EQ(d.lstGroups->currentRow(), 0);
        EXPECT_TRUE(d.rdbDataField->isChecked());
        EXPECT_EQ(d.cbxBreakDescriptions->currentText(), "Pkgs.Section");
        // A single-column report shows no column options.
        EXPECT_TRUE(d.cbxNewColumn->isHidden());
        EXPECT_TRUE(d.edtNewColumnThreshold->isHidden());
        testsupport::GrabToPng(&d, QStringLiteral("group_dialog"));
        d.lstGroups->setCurrentRow(1);
        d.lstGroupsDragDrop(0);
        EXPECT_EQ(entries(d), (QStringList{"Group[0]:Pkgs.Initial", "Group[1]:Pkgs.Section"}));
        EXPECT_EQ(d.lstGroups->currentRow(), 0);
        d.btnOK->click();
    });
    ASSERT_EQ(result, report::ModalResult::mrOk);
    ASSERT_EQ(r.report->GroupCount(), 2);
    EXPECT_EQ(r.report->Groups(0), r.initial);
    EXPECT_EQ(r.report->Groups(1), r.section);
    EXPECT_EQ(r.section->HeaderBand(), sectionHeader);  // the group moved with its bands
    EXPECT_LT(r.report->IndexOfBand(r.initial->HeaderBand()), r.report->IndexOfBand(sectionHeader));

    // The data in the new nesting order: the inner (section) header prints once per
    // initial and section, as SQL groups them.
    r.table.SetIndexName(QStringLiteral("ByInitial"));
    QStringList printed;
    for (const QString& page : r.pages()) {
        const QStringList sections = designertest::textsOfWidth(page, GroupedReport::kSectionWidth);
        const QStringList initials = designertest::textsOfWidth(page, GroupedReport::kInitialWidth);
        ASSERT_EQ(sections.size(), initials.size());
        for (int i = 0; i < sections.size(); ++i) printed << initials.at(i) + "/" + sections.at(i);
    }
    QStringList sql;
    for (const QStringList& row : designertest::SqlRows(
             r.file(), "SELECT Initial, Section FROM \"Pkgs.DB\" GROUP BY Initial, Section ORDER BY Initial, Section"))
        sql << row.at(0) + "/" + row.at(1);
    // Both headers hold the same two texts: at a new initial the outer header prints the
    // pair the inner header then repeats, so runs of equal pairs are one break.
    QStringList breaks;
    for (const QString& p : printed)
        if (breaks.isEmpty() || breaks.last() != p) breaks << p;
    EXPECT_EQ(breaks, sql);
    EXPECT_GT(sql.size(), 10);
}

TEST_F(GroupDialog, add_insert_delete_and_options_change_the_report_only_on_ok) {
    GroupedReport r;
    // Cancel after changes leaves the groups as they were.
    run(r.report, [](TppGroupDialog& d) {
        d.btnDelete->click();
        d.btnAdd->click();
        d.cbxNewPage->click();
        d.btnCancel->click();
    });
    ASSERT_EQ(r.report->GroupCount(), 2);
    EXPECT_EQ(r.report->Groups(0), r.section);
    EXPECT_FALSE(r.section->NewPage());

    QPointer<TppGroup> initial(r.initial);
    run(r.report, [](TppGroupDialog& d) {
        // Insert a custom-field group before the first: it breaks on a text component.
        d.lstGroups->setCurrentRow(0);
        d.rdbCustomField->click();
        EXPECT_GT(d.cbxBreakDescriptions->count(), 0);
        const int at = d.cbxBreakDescriptions->findText(QStringLiteral("Package: Package"));
        ASSERT_GE(at, 0);
        d.cbxBreakDescriptions->setCurrentIndex(at);
        d.btnInsert->click();
        EXPECT_EQ(d.lstGroups->count(), 3);
        EXPECT_EQ(d.lstGroups->item(0)->text(), "Group[0]:Package: Package");
        EXPECT_EQ(d.Entry(0)->BreakType, TppBreakType::btCustomField);
        EXPECT_EQ(d.Entry(0)->BreakName, "ppPackage");
        // Deleting the first of three selects the third, now at position 1.
        d.lstGroups->setCurrentRow(0);
        d.btnDelete->click();
        EXPECT_EQ(d.lstGroups->currentRow(), 1);
        EXPECT_EQ(d.lstGroups->item(1)->text(), "Group[1]:Pkgs.Initial");
        d.btnDelete->click();  // the initial group goes
        EXPECT_EQ(d.lstGroups->count(), 1);
        // Start new page: reset page number enabled, keep together off.
        d.lstGroups->setCurrentRow(0);
        d.cbxNewPage->click();
        EXPECT_TRUE(d.cbxResetPageNo->isEnabled());
        EXPECT_FALSE(d.cbxKeepTogether->isEnabled());
        EXPECT_FALSE(d.edtNewPageThreshold->isEnabled());
        d.cbxResetPageNo->click();
        // Add a new data-field group on Size at the end.
        d.rdbDataField->click();
        d.cbxBreakDescriptions->setCurrentIndex(d.cbxBreakDescriptions->findText(QStringLiteral("Pkgs.Size")));
        d.btnAdd->click();
        EXPECT_EQ(d.lstGroups->item(1)->text(), "Group[1]:Pkgs.Size");
        EXPECT_EQ(d.lstGroups->currentRow(), 1);
        testsupport::GrabToPng(&d, QStringLiteral("group_dialog_edited"));
        d.btnOK->click();
    });
    EXPECT_TRUE(initial.isNull());  // freed with its bands
    ASSERT_EQ(r.report->GroupCount(), 2);
    EXPECT_EQ(r.report->Groups(0), r.section);
    EXPECT_TRUE(r.section->NewPage());
    EXPECT_TRUE(r.section->ResetPageNo());
    TppGroup* size = r.report->Groups(1);
    EXPECT_EQ(size->BreakName(), "Size");
    EXPECT_EQ(size->DataPipeline(), r.pipeline);
    EXPECT_EQ(size->BreakType(), TppBreakType::btDataField);
    ASSERT_NE(size->HeaderBand(), nullptr);
    ASSERT_NE(size->FooterBand(), nullptr);
    EXPECT_EQ(size->HeaderBand()->Report(), r.report);
}

TEST_F(GroupDialog, thresholds_keep_together_and_the_column_options) {
    GroupedReport r;
    r.report->SetColumns(2);
    run(r.report, [this](TppGroupDialog& d) {
        answers.ExpectMessage(QStringLiteral("^Invalid Number\\.$"), ui::Button::Ok, ui::MessageKind::Warning);
        answers.ExpectMessage(QStringLiteral("^Invalid Number\\.$"), ui::Button::Ok, ui::MessageKind::Warning);
        EXPECT_FALSE(d.cbxNewColumn->isHidden());
        EXPECT_FALSE(d.cbxReprintOnColumn->isHidden());
        // Keep together on the inner group takes it from the outer ones.
        d.lstGroups->setCurrentRow(1);
        if (d.cbxKeepTogether->isChecked()) d.cbxKeepTogether->click();
        d.cbxKeepTogether->click();
        EXPECT_TRUE(d.Entry(1)->KeepTogether);
        EXPECT_FALSE(d.Entry(0)->KeepTogether);
        // A threshold typed with a comma is refused and the value stays.
        d.edtNewPageThreshold->setFocus();
        d.edtNewPageThreshold->setText("1,5");
        QTest::keyClick(d.edtNewPageThreshold, Qt::Key_Return);
        EXPECT_EQ(d.edtNewPageThreshold->text(), "0");
        d.edtNewPageThreshold->setText("");
        QTest::keyClick(d.edtNewPageThreshold, Qt::Key_Return);
        EXPECT_EQ(d.edtNewPageThreshold->text(), "0");
        // OK reads the threshold being typed.
        d.edtNewPageThreshold->setFocus();
        d.edtNewPageThreshold->setText("1.5");
        testsupport::GrabToPng(&d, QStringLiteral("group_dialog_columns"));
        d.btnOK->click();
    });
    EXPECT_FLOAT_EQ(r.initial->NewPageThreshold(), 1.5f);
    EXPECT_TRUE(r.initial->KeepTogether());
    EXPECT_FALSE(r.section->KeepTogether());
}

TEST_F(GroupDialog, without_data_fields_or_texts_add_says_there_is_nothing_to_group_on) {
    TComponent form;
    auto* bare = new TppReport(&form);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(bare);
    run(bare, [this](TppGroupDialog& d) {
        answers.ExpectMessage(QStringLiteral("^There are no custom fields on which to group\\.$"), ui::Button::Ok,
                              ui::MessageKind::Information);
        answers.ExpectMessage(QStringLiteral("^There are no data fields on which to group\\.$"), ui::Button::Ok,
                              ui::MessageKind::Information);
        EXPECT_TRUE(d.rdbCustomField->isChecked());
        EXPECT_TRUE(d.cbxReprintOnPage->isChecked());
        EXPECT_EQ(d.lstGroups->currentRow(), -1);
        d.btnAdd->click();
        d.rdbDataField->click();
        d.btnAdd->click();
        EXPECT_EQ(d.lstGroups->count(), 0);
        d.btnOK->click();
    });
    EXPECT_EQ(bare->GroupCount(), 0);
    delete bare;
}

TEST_F(GroupDialog, supplied_entries_are_translated_by_the_field_alias_hook) {
    GroupedReport r;
    std::unique_ptr<TppCustomGroupDialog> form(report::CreateForm<TppCustomGroupDialog>(nullptr));
    ASSERT_NE(form, nullptr);
    report::ppSetFormReport(form.get(), r.report);
    form->SetGroups({QStringLiteral("Section of the package"), QStringLiteral("Name")});
    form->OnGetFieldAlias = [&](TppCustomGroupDialog*, const QString& description, QString& name, QObject*& pipeline) {
        name = description == QLatin1String("Name") ? QStringLiteral("Package") : QStringLiteral("Section");
        pipeline = r.pipeline;
    };
    answers.ExpectModal<TppGroupDialog>([](TppGroupDialog& d) {
        QApplication::processEvents();
        d.lstGroups->setCurrentRow(1);
        d.cbxBreakDescriptions->setCurrentIndex(d.cbxBreakDescriptions->findText(QStringLiteral("Name")));
        Q_EMIT d.cbxBreakDescriptions->activated(d.cbxBreakDescriptions->currentIndex());
        EXPECT_EQ(d.cbxBreakDescriptions->itemText(0), "Section of the package");  // unsorted
        d.btnOK->click();
    });
    form->ShowModal();
    EXPECT_EQ(r.report->Groups(1)->BreakName(), "Package");
}

}  // namespace
