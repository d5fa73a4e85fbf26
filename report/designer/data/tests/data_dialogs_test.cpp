// The Database Settings and Preview Data dialogs, driven by object name: the settings dialog on
// a folder with a "ReportDB" database and, when wanted, a data dictionary; the preview on a
// data view whose pipeline reads a table of 25 records.

#include "report/designer/data/data_settings_dialog.h"
#include "report/designer/data/data_tab_unit.h"
#include "report/designer/data/preview_data_dialog.h"

#include "report/data/data_dictionary.h"
#include "report/data/data_view.h"
#include "report/data/tests/dictionary_fixture.h"
#include "report/model/custom_data_pipeline.h"
#include "report/model/db_pipeline.h"
#include "report/model/report_classes.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using testsupport::Click;
using testsupport::DialogAnswerer;
using testsupport::FindControl;

namespace {

QStringList items(QComboBox* aBox) {
    QStringList out;
    for (int i = 0; i < aBox->count(); ++i) out << aBox->itemText(i);
    return out;
}

void choose(QComboBox* aBox, const QString& aText) {
    const int at = aBox->findText(aText);
    ASSERT_GE(at, 0) << aText.toStdString();
    aBox->setCurrentIndex(at);
    Q_EMIT aBox->activated(at);
}

class DataSettingsDialog : public data_test::DictionaryFolder {
protected:
    void SetUp() override {
        DictionaryFolder::SetUp();
        report::data::RegisterDataTab();
        Database = new db::Database(&Form);
        Database->setObjectName("ReportDB");
        Database->SetDatabaseName("ReportDB");
        Database->SetDirectory(Folder());
        Communicator = Tables.pipeline;  // an object of the form: the dialog offers the form's components
        Settings = std::make_unique<TppDataSettings>(nullptr);
        Settings->SetDatabaseName("ReportDB");
        Settings->SetDatabaseType(TppDatabaseType::dtParadox);
        Settings->SetSQLType(TppSQLType::sqBDELocal);
    }
    void TearDown() override { report::data::UnRegisterDataTab(); }

    /// Opens the dialog on the settings; `drive` works it while it is shown.
    report::ModalResult run(std::function<void(TdaDataSettingsDialog&)> drive) {
        Answers.ExpectModal<TdaDataSettingsDialog>(std::move(drive));
        std::unique_ptr<TppCustomDataSettingsDialog> form(report::CreateForm<TppCustomDataSettingsDialog>(nullptr));
        EXPECT_NE(form, nullptr);
        if (!form) return report::ModalResult::mrNone;
        form->Communicator = Communicator;
        form->SetDataSettings(Settings.get());
        return form->ShowModal();
    }

    db::Database* Database = nullptr;
    TppCommunicator* Communicator = nullptr;
    std::unique_ptr<TppDataSettings> Settings;
    DialogAnswerer Answers;
};

TEST_F(DataSettingsDialog, shows_the_settings_and_the_sessions_database_types_and_writes_them_on_ok) {
    auto* dictionary = new TppDataDictionary(&Form);
    dictionary->SetUserName("ReportDictionary");
    dictionary->SetTablePipeline(Tables.pipeline);
    dictionary->SetFieldPipeline(Fields.pipeline);
    Settings->SetUseDataDictionary(true);
    Settings->SetDataDictionary(dictionary);
    const auto result = run([&](TdaDataSettingsDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Database Settings");
        EXPECT_EQ(items(FindControl<QComboBox>(&d, "cbxSessionType")), QStringList({"BDESession"}));
        EXPECT_EQ(FindControl<QComboBox>(&d, "cbxDatabaseName")->currentText(), "ReportDB");
        // Only the session's types, without "dt", in sorted order.
        EXPECT_EQ(items(FindControl<QComboBox>(&d, "cbxDatabaseType")),
                  QStringList({"InterBase", "MSAccess", "MSSQLServer", "Oracle", "Other", "Paradox", "SybaseASA",
                               "SybaseASE"}));
        EXPECT_EQ(FindControl<QComboBox>(&d, "cbxDatabaseType")->currentText(), "Paradox");
        EXPECT_EQ(FindControl<QComboBox>(&d, "cbxSQLType")->currentText(), "Local SQL");
        EXPECT_TRUE(FindControl<QCheckBox>(&d, "ckbDataDictionary")->isChecked());
        EXPECT_EQ(FindControl<QComboBox>(&d, "cbxDataDictionary")->currentText(), "ReportDictionary");
        testsupport::GrabToPng(&d, "data_settings_dialog");

        // The SQL type follows the database type.
        static const struct {
            const char* type;
            const char* sql;
        } cases[] = {{"Oracle", "SQL1"}, {"MSSQLServer", "SQL2"}, {"Paradox", "Local SQL"}, {"InterBase", "SQL2"}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.type);
            choose(FindControl<QComboBox>(&d, "cbxDatabaseType"), c.type);
            EXPECT_EQ(FindControl<QComboBox>(&d, "cbxSQLType")->currentText(), c.sql);
        }
        // Clicking the label toggles its box.
        QTest::mouseClick(FindControl<QLabel>(&d, "lblEditSQLAsText"), Qt::LeftButton);
        EXPECT_TRUE(FindControl<QCheckBox>(&d, "ckbEditSQLAsText")->isChecked());
        Click(&d, "btnOK");
    });
    EXPECT_EQ(result, report::ModalResult::mrOk);
    EXPECT_EQ(Settings->DatabaseName(), "ReportDB");
    EXPECT_EQ(Settings->DatabaseType(), TppDatabaseType::dtInterBase);
    EXPECT_EQ(Settings->SQLType(), TppSQLType::sqSQL2);
    EXPECT_TRUE(Settings->AllowEditSQL());
    EXPECT_TRUE(Settings->UseDataDictionary());
    EXPECT_EQ(Settings->DataDictionary(), dictionary);
}

TEST_F(DataSettingsDialog, an_unlisted_database_and_no_dictionary_leave_their_boxes_empty_and_ok_stores_none) {
    Settings->SetDatabaseName("Elsewhere");
    Settings->SetUseDataDictionary(true);
    const auto result = run([&](TdaDataSettingsDialog& d) {
        EXPECT_EQ(FindControl<QComboBox>(&d, "cbxDatabaseName")->currentText(), "");
        EXPECT_TRUE(items(FindControl<QComboBox>(&d, "cbxDatabaseName")).contains("ReportDB"));
        EXPECT_FALSE(FindControl<QCheckBox>(&d, "ckbDataDictionary")->isEnabled());
        EXPECT_FALSE(FindControl<QLabel>(&d, "lblUseDataDictionary")->isEnabled());
        EXPECT_FALSE(FindControl<QCheckBox>(&d, "ckbDataDictionary")->isChecked());
        EXPECT_FALSE(FindControl<QComboBox>(&d, "cbxDataDictionary")->isEnabled());
        // Typing a listed name selects it and its type.
        FindControl<QComboBox>(&d, "cbxDatabaseName")->setEditText("ReportDB");
        EXPECT_EQ(FindControl<QComboBox>(&d, "cbxDatabaseName")->currentText(), "ReportDB");
        Click(&d, "btnOK");
    });
    EXPECT_EQ(result, report::ModalResult::mrOk);
    EXPECT_EQ(Settings->DatabaseName(), "ReportDB");
    EXPECT_FALSE(Settings->UseDataDictionary());
    EXPECT_EQ(Settings->DataDictionary(), nullptr);
}

TEST_F(DataSettingsDialog, cancel_leaves_the_settings_as_they_were) {
    const auto result = run([&](TdaDataSettingsDialog& d) {
        choose(FindControl<QComboBox>(&d, "cbxDatabaseType"), "Oracle");
        Click(&d, "btnCancel");
    });
    EXPECT_EQ(result, report::ModalResult::mrCancel);
    EXPECT_EQ(Settings->DatabaseType(), TppDatabaseType::dtParadox);
    EXPECT_EQ(Settings->SQLType(), TppSQLType::sqBDELocal);
}

// ---- Preview Data ----------------------------------------------------------------------------

class PreviewData : public ::testing::Test {
protected:
    void SetUp() override {
        report::RegisterPipelineClasses();
        report::data::RegisterDataTab();
        db::CreateTableFile(Dir.path(), "Releases.db",
                            {{{"No", db::FieldType::ftInteger, 0, true}, {"Name", db::FieldType::ftString, 30, false}},
                             {{"", "No", db::IndexOption::ixPrimary}}});
        Table.SetDatabaseName(Dir.path());
        Table.SetTableName("Releases.db");
        Table.Open();
        // Debian's release names, oldest first.
        static const char* const names[25] = {"buzz",    "rex",    "bo",     "hamm",     "slink",
                                               "potato",  "woody",  "sarge",  "etch",     "lenny",
                                               "squeeze", "wheezy", "jessie", "stretch",  "buster",
                                               "bullseye", "bookworm", "trixie", "forky", "duke",
                                               "sid",     "experimental", "stable", "testing", "unstable"};
        for (int i = 0; i < 25; ++i) data_test::AppendRow(Table, {{"No", i + 1}, {"Name", names[i]}});
        Source.SetDataSet(&Table);
        View = new TdaCustomDataView(&Form);
        View->SetDescription("Releases");
        auto* pipeline = new TppDBPipeline(&Form);
        pipeline->SetName("plReleases");
        pipeline->SetDataSource(&Source);
        View->AddDataPipeline(pipeline);
    }
    void TearDown() override { report::data::UnRegisterDataTab(); }

    QTemporaryDir Dir;
    db::Table Table;
    db::DataSource Source;
    TComponent Form;
    TdaCustomDataView* View = nullptr;
    DialogAnswerer Answers;
};

/// Types into the record box and leaves it.
void enterRecord(TdaPreviewDataDialog& d, const QString& aText) {
    auto* box = FindControl<QLineEdit>(&d, "edtRecordNo");
    box->setText(aText);
    Q_EMIT box->returnPressed();
}

TEST_F(PreviewData, the_record_box_and_buttons_move_within_the_records) {
    Answers.ExpectModal<TdaPreviewDataDialog>([&](TdaPreviewDataDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Preview Data - Releases");
        EXPECT_EQ(FindControl<QLabel>(&d, "lblRecordCount")->text(), "of 25");
        EXPECT_EQ(FindControl<QLineEdit>(&d, "edtRecordNo")->text(), "1");
        testsupport::GrabToPng(&d, "preview_data_dialog");
        static const struct {
            const char* action;  ///< a button, or "=<text>" typed into the record box
            int record;
            const char* name;
        } steps[] = {
            {"=30", 25, "unstable"}, {"=0", 1, "buzz"},    {"btnNext", 2, "rex"},     {"btnLast", 25, "unstable"},
            {"btnPrior", 24, "testing"}, {"btnFirst", 1, "buzz"}, {"=12", 12, "wheezy"}, {"=-4", 1, "buzz"},
        };
        for (const auto& s : steps) {
            SCOPED_TRACE(s.action);
            const QString action = QString::fromLatin1(s.action);
            if (action.startsWith('=')) enterRecord(d, action.mid(1));
            else Click(&d, action);
            EXPECT_EQ(d.RecordNo(), s.record);
            EXPECT_EQ(FindControl<QLineEdit>(&d, "edtRecordNo")->text(), QString::number(s.record));
            EXPECT_EQ(d.DataSet()->FieldByName("Name")->AsString(), s.name);
        }
        // Text that is no number is refused and the current number comes back.
        Answers.ExpectMessage("^Invalid Number\\.$", ui::Button::Ok, ui::MessageKind::Error);
        enterRecord(d, "x");
        EXPECT_EQ(FindControl<QLineEdit>(&d, "edtRecordNo")->text(), "1");
        EXPECT_EQ(d.RecordNo(), 1);
        Click(&d, "btnOK");
    });
    View->Preview();
    EXPECT_TRUE(View->Active());
}

TEST_F(PreviewData, a_pipeline_without_a_data_source_shows_an_empty_grid_and_of_0) {
    auto* view = new TdaCustomDataView(&Form);
    view->SetDescription("Nothing");
    view->AddDataPipeline(new TppCustomDataPipeline(&Form));
    Answers.ExpectModal<TdaPreviewDataDialog>([&](TdaPreviewDataDialog& d) {
        EXPECT_EQ(FindControl<QLabel>(&d, "lblRecordCount")->text(), "of 0");
        EXPECT_EQ(d.DataSet(), nullptr);
        Click(&d, "btnNext");
        EXPECT_EQ(d.RecordNo(), 0);
        Click(&d, "btnOK");
    });
    view->Preview();
}

}  // namespace
