// The template dialogs driven by name: the error dialog behind the template reader and the
// dialog that picks a template row of a table.

#include "report/model/gui/template_dialogs.h"

#include "report/model/db_pipeline.h"
#include "report/model/module.h"
#include "report/model/template.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/stream_error.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

/// A module with one pipeline, and a stream for it with two faults a reader meets.
struct ModuleWithFaults {
    TComponent form;
    TppReportModule* module = new TppReportModule(&form);
    QByteArray before;
    const QByteArray faulty =
        "object dmFaults: TppReportModule\r\n"
        "  object plPackages: TppChildDBPipeline\r\n"
        "    PaperColour = 12\r\n"
        "    RangeEnd = reSomewhere\r\n"
        "    UserName = 'plPackages'\r\n"
        "  end\r\n"
        "end\r\n";
    ModuleWithFaults() {
        report::RegisterPipelineClasses();
        stream::ClassRegistry::Global().Register<TppReportModule>("TppReportModule");
        module->setObjectName("dmFaults");
        auto* kept = new TppChildDBPipeline(&form);
        kept->SetName("plKept");
        kept->SetParent(module);
        before = stream::WriteComponent(*module);
        report::InstallTemplateDialogs();
    }
    ~ModuleWithFaults() {
        report::SetTemplateErrorPrompt({});
        report::SetTemplateNamePrompt({});
    }
};

TEST(TemplateErrorDialog, ignore_all_loads_the_template_and_asks_once) {
    ModuleWithFaults m;
    testsupport::DialogAnswerer answerer;
    answerer.ExpectModal<TppTemplateErrorDialog>([](TppTemplateErrorDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Error Reading Template");
        EXPECT_TRUE(d.GetMessage().contains("PaperColour"));
        EXPECT_TRUE(d.GetMessage().endsWith("Ignore the error and continue?"));
        auto* ignore = testsupport::FindControl<QPushButton>(&d, "btnIgnore");
        auto* all = testsupport::FindControl<QPushButton>(&d, "btnIgnoreAll");
        auto* cancel = testsupport::FindControl<QPushButton>(&d, "btnCancel");
        EXPECT_EQ(ignore->text(), "&Ignore");
        EXPECT_EQ(all->text(), "Ignore &All");
        EXPECT_EQ(cancel->text(), "Cancel");
        EXPECT_TRUE(ignore->isDefault());
        testsupport::GrabToPng(&d, "template_error_dialog");
        testsupport::Click(&d, "btnIgnoreAll");
    });
    m.module->Template()->LoadFromBytes(m.faulty);
    ASSERT_EQ(m.module->ChildCount(), 1);
    EXPECT_EQ(m.module->Children(0)->objectName(), "plPackages");
}

TEST(TemplateErrorDialog, ignore_goes_on_and_cancel_leaves_the_module_as_it_was) {
    ModuleWithFaults m;
    testsupport::DialogAnswerer answerer;
    answerer
        .ExpectModal<TppTemplateErrorDialog>([](TppTemplateErrorDialog& d) { testsupport::Click(&d, "btnIgnore"); })
        .ExpectModal<TppTemplateErrorDialog>([](TppTemplateErrorDialog& d) {
            EXPECT_TRUE(d.GetMessage().contains("reSomewhere"));
            testsupport::Click(&d, "btnCancel");
        });
    EXPECT_THROW(m.module->Template()->LoadFromBytes(m.faulty), stream::StreamError);
    EXPECT_EQ(stream::WriteComponent(*m.module), m.before);
    EXPECT_EQ(m.module->Children(0)->objectName(), "plKept");
}

/// A table of stored templates and a pipeline over it.
struct TemplateTable {
    QTemporaryDir dir;
    db::Table table;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = new TppDBPipeline(&form);
    TemplateTable() {
        db::TableDef def;
        def.Fields = {{"Name", db::FieldType::ftString, 40, true}, {"Template", db::FieldType::ftBlob, 0, false}};
        def.Indexes = {{"", "Name", db::IndexOption::ixPrimary}};
        db::CreateTableFile(dir.path(), "Items.DB", def);
        table.SetDatabaseName(dir.path());
        table.SetTableName("Items.DB");
        table.Open();
        for (const char* name : {"Package list", "Maintainers", "Dependencies by package"}) {
            table.Append();
            table.FieldByName("Name")->SetAsString(name);
            table.Post();
        }
        source.SetDataSet(&table);
        pipeline->SetDataSource(&source);
    }
};

TEST(TemplateDialog, open_lists_the_rows_and_takes_a_name_that_matches_in_another_case) {
    TemplateTable t;
    TppTemplateDialog d;
    d.SetDataPipeline(t.pipeline);
    d.SetNameField("Name");
    d.show();
    EXPECT_EQ(d.GetTemplateList(), (QStringList{"Dependencies by package", "Maintainers", "Package list"}));
    EXPECT_EQ(d.windowTitle(), "Open");
    EXPECT_EQ(testsupport::FindControl<QPushButton>(&d, "btnOK")->text(), "&Open...");
    EXPECT_EQ(testsupport::FindControl<QLabel>(&d, "lblTemplateName")->text(), "Name");
    auto* list = testsupport::FindControl<QListWidget>(&d, "lbxTemplates");
    list->setCurrentRow(1);
    emit list->itemClicked(list->currentItem());
    EXPECT_EQ(d.GetTemplateName(), "Maintainers");
    testsupport::GrabToPng(&d, "template_dialog_open");

    {
        testsupport::DialogAnswerer answerer;
        answerer.ExpectMessage("^Record not found: Nothing here$", ui::Button::Ok, ui::MessageKind::Warning);
        d.SetTemplateName("Nothing here");
        testsupport::Click(&d, "btnOK");
        EXPECT_TRUE(d.isVisible());
    }
    d.SetTemplateName("");
    testsupport::Click(&d, "btnOK");
    EXPECT_TRUE(d.isVisible());  // an empty name does nothing
    d.SetTemplateName("PACKAGE LIST");
    testsupport::Click(&d, "btnOK");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(TemplateDialog, saving_over_an_existing_name_asks_first) {
    TemplateTable t;
    TppTemplateDialog d;
    d.SetMode(TppTemplateDialog::Save);
    d.SetDataPipeline(t.pipeline);
    d.SetNameField("Name");
    d.SetTemplateName("Maintainers");
    d.show();
    EXPECT_EQ(d.windowTitle(), "Save Maintainers As");
    EXPECT_EQ(testsupport::FindControl<QPushButton>(&d, "btnOK")->text(), "&Save");
    testsupport::GrabToPng(&d, "template_dialog_save");
    {
        testsupport::DialogAnswerer answerer;
        answerer.ExpectMessage("^Maintainers already exists\\.\r\n\r\nReplace existing report\\?$", ui::Button::No);
        testsupport::Click(&d, "btnOK");
    }
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.GetTemplateName(), "Maintainers");
    {
        testsupport::DialogAnswerer answerer;
        answerer.ExpectMessage("already exists", ui::Button::Yes);
        testsupport::Click(&d, "btnOK");
    }
    EXPECT_FALSE(d.isVisible());
    d.SetTemplateName("A new report");
    d.show();
    testsupport::Click(&d, "btnOK");  // a new name closes without asking
    EXPECT_FALSE(d.isVisible());
}

TEST(TemplateDialog, the_template_asks_for_its_row_through_the_dialog) {
    TemplateTable t;
    ModuleWithFaults m;
    TppReportModuleTemplate* tpl = m.module->Template();
    tpl->SetSaveTo(TppSaveToType::stDatabase);
    tpl->DatabaseSettings()->SetDataPipeline(t.pipeline);
    tpl->DatabaseSettings()->SetNameField("Name");
    tpl->DatabaseSettings()->SetTemplateField("Template");
    testsupport::DialogAnswerer answerer;
    answerer.ExpectModal<TppTemplateDialog>([](TppTemplateDialog& d) {
        EXPECT_EQ(d.DialogMode(), TppTemplateDialog::Save);
        testsupport::Type(&d, "edtTemplateName", "Faults module");
        testsupport::Click(&d, "btnOK");
    });
    ASSERT_TRUE(tpl->ShowSaveDialog());
    EXPECT_EQ(tpl->DatabaseSettings()->Name(), "Faults module");
    tpl->Save();
    ASSERT_TRUE(t.table.FindKey({"Faults module"}));
    EXPECT_TRUE(t.table.FieldByName("Template")->AsBytes().startsWith("TPF0"));
}

}  // namespace
