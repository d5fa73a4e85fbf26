// The designer's Data page on a new report over a copy of the sample database (with its report
// dictionary and "ReportDB" on the copy): the page and its menu, each command's visibility rule,
// New through New Items and the query designer, the tool windows (one per view, placed, kept,
// restored and brought back inside, deleted), and ".dtm" export and import.

#include "report/designer/data/data_tab.h"
#include "report/designer/data/data_tab_unit.h"
#include "report/designer/data/data_view_tool_win.h"

#include "report/data/data_dictionary.h"
#include "report/data/engine_plugin.h"
#include "report/data/gui/query_designer.h"
#include "report/data/query_data_view.h"
#include "report/designer/gui/designer.h"
#include "report/designer/gui/designer_window.h"
#include "report/designer/gui/new_items_dialog.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/output/gui/list_view.h"
#include "report/page/units.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/settings/ini_document.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

#include "test_paths.h"

using testsupport::Click;
using testsupport::DialogAnswerer;
using testsupport::FindControl;

namespace {

/// One table of the database folder read by a pipeline (the dictionary's tables).
struct Piped {
    Piped(const QString& folder, const QString& table, const QString& name, TComponent* owner) {
        Table.SetDatabaseName(folder);
        Table.SetTableName(table);
        Source.SetDataSet(&Table);
        Pipeline = new TppDBPipeline(owner);
        Pipeline->SetName(name);
        Pipeline->SetDataSource(&Source);
    }
    db::Table Table;
    db::DataSource Source;
    TppDBPipeline* Pipeline = nullptr;
};

class DataTab : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        settings::SetConfigRoot(Config.path());
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        report::RegisterNewItemsDialog();
        report::data::RegisterDataTab();
        // A copy of the sample database.
        const QDir sample(QStringLiteral(SAMPLE_DATABASE));
        ASSERT_TRUE(sample.exists(QStringLiteral("tsTable.db"))) << "the sample database carries no dictionary";
        for (const QString& name : sample.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(sample.filePath(name), Folder.filePath(name)));
        Form = std::make_unique<TComponent>();
        Database = new db::Database(Form.get());
        Database->setObjectName(QStringLiteral("ReportDB"));
        Database->SetDatabaseName(QStringLiteral("ReportDB"));
        Database->SetDirectory(Folder.path());
        Database->Open();
        Tables = std::make_unique<Piped>(Folder.path(), "tsTable.db", "plTables", Form.get());
        Fields = std::make_unique<Piped>(Folder.path(), "tsField.db", "plFields", Form.get());
        Dictionary = new TppDataDictionary(Form.get());
        Dictionary->SetUserName(QStringLiteral("ReportDictionary"));
        Dictionary->SetTablePipeline(Tables->Pipeline);
        Dictionary->SetFieldPipeline(Fields->Pipeline);
        Report = newReport(QStringLiteral("rptNew"));
        Designer = new TppDesigner(Form.get());
        Designer->SetAllowDataSettingsChange(true);
        TppDataSettings* s = Designer->DataSettings();
        s->SetDatabaseName(QStringLiteral("ReportDB"));
        s->SetDatabaseType(TppDatabaseType::dtParadox);
        s->SetSQLType(TppSQLType::sqBDELocal);
        s->SetUseDataDictionary(true);
        s->SetDataDictionary(Dictionary);
        s->SetAllowEditSQL(true);
        Window()->resize(1000, 700);
        Window()->SetReport(Report);
        Window()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    }
    void TearDown() override {
        delete Designer;
        Form.reset();
        report::data::UnRegisterDataTab();
        report::UnRegisterNewItemsDialog();
        report::SetScreenPixelsPerInch(0);
    }

    TppReport* newReport(const QString& aName) {
        auto* r = new TppReport(Form.get());
        r->SetName(aName);
        r->CreateDefaultBands();
        return r;
    }
    TppDesignerWindow* Window() const { return Designer->Form(); }
    TdaDataManager* Tab() const { return TdaDataManager::Of(Window()); }
    void enterData() { ASSERT_TRUE(Window()->SelectPage(QStringLiteral("Data"))); }
    void enterDesign() { ASSERT_TRUE(Window()->SelectPage(QStringLiteral("Design"))); }
    TdaDataModule* Module() const { return daGetDataModule(Report); }

    /// New through New Items and the query designer: the Package View's table, its fields
    /// Package, Version and Installed size. `ok` false cancels the query designer.
    TdaDataView* newQuery(bool ok, const QString& aDescription = QStringLiteral("Packages by branch")) {
        Answers.ExpectModal<TppNewDialog>([&](TppNewDialog& d) {
            auto* list = FindControl<QListWidget>(&d, "lvwWizards");
            QStringList offered;
            for (int i = 0; i < list->count(); ++i) offered << list->item(i)->text();
            EXPECT_TRUE(offered.contains("Query Designer")) << offered.join(',').toStdString();
            const auto found = list->findItems(QStringLiteral("Query Designer"), Qt::MatchExactly);
            if (!found.isEmpty()) list->setCurrentItem(found.first());
            Click(&d, "btnOK");
        });
        Answers.ExpectModal<TdaQueryDesignerForm>([&, ok](TdaQueryDesignerForm& f) {
            if (!ok) {
                Click(&f, "btnCancel");
                return;
            }
            QWidget* sheet = FindControl<QWidget>(f.PageControl(), "tshTables");
            f.PageControl()->setCurrentWidget(sheet);
            auto* tables = FindControl<TppListView>(sheet, "FTopList");
            auto add = [](TppListView* aList, const char* aName) {
                for (QTreeWidgetItem* item : aList->Items())
                    if (item->text(0) == QLatin1String(aName)) {
                        aList->setCurrentItem(item);
                        Q_EMIT aList->itemDoubleClicked(item, 0);
                        return;
                    }
                ADD_FAILURE() << "no row " << aName;
            };
            add(tables, "Package");
            QWidget* fieldSheet = FindControl<QWidget>(f.PageControl(), "tshFields");
            f.PageControl()->setCurrentWidget(fieldSheet);
            for (const char* name : {"Package", "Version", "Installed size (KiB)"})
                add(FindControl<TppListView>(fieldSheet, "FTopList"), name);
            QWidget* sqlSheet = FindControl<QWidget>(f.PageControl(), "tshSQL");
            f.PageControl()->setCurrentWidget(sqlSheet);
            auto* description = FindControl<QLineEdit>(sqlSheet, "edtDescription");
            description->clear();
            testsupport::Type(sqlSheet, "edtDescription", aDescription);
            Q_EMIT description->editingFinished();
            Click(&f, "btnOK");
        });
        const int before = Module() ? Module()->DataViewCount() : 0;
        Tab()->NewDataView();
        return Module() && Module()->DataViewCount() > before ? Module()->DataViews(before) : nullptr;
    }

    QTemporaryDir Config;
    QTemporaryDir Folder;
    std::unique_ptr<TComponent> Form;
    db::Database* Database = nullptr;
    std::unique_ptr<Piped> Tables, Fields;
    TppDataDictionary* Dictionary = nullptr;
    TppReport* Report = nullptr;
    TppDesigner* Designer = nullptr;
    DialogAnswerer Answers;
};

TEST_F(DataTab, entering_makes_a_data_module_shows_the_pages_menu_and_ready_and_leaving_gives_the_menu_back) {
    ASSERT_NE(Tab(), nullptr);
    QMenuBar* own = Window()->MainMenu();
    EXPECT_EQ(Module(), nullptr);
    enterData();
    ASSERT_NE(Module(), nullptr);
    EXPECT_EQ(Window()->MainMenu(), Tab()->MainMenu());
    EXPECT_EQ(Tab()->MainMenu()->actions().size(), 1);
    EXPECT_EQ(Tab()->FileMenu()->title(), "&File");
    QStringList captions;
    for (int tag = 0; tag < 7; ++tag) captions << Tab()->Command(tag)->text();
    EXPECT_EQ(captions, QStringList({"&Data Settings...", "&New...", "&Import...", "&Merge...", "&Export...",
                                     "&Import From File...", "&Export To File..."}));
    EXPECT_EQ(Window()->statusBar()->currentMessage(), "Ready.");
    // The wizard manager works with the designer's settings.
    EXPECT_EQ(Tab()->WizardManager()->DataSettings()->DataDictionary(), Dictionary);
    enterDesign();
    EXPECT_EQ(Window()->MainMenu(), own);
    // The module made on the first entry is the one found on the next.
    TdaDataModule* module = Module();
    enterData();
    EXPECT_EQ(Module(), module);
}

TEST_F(DataTab, each_command_is_shown_by_its_rule) {
    static const struct {
        bool allowSettings, allowSaveToFile;
        TppSaveToType saveTo;
        bool settingsShown, fileCommandsShown;
    } cases[] = {
        {true, true, TppSaveToType::stDatabase, true, true},
        {false, true, TppSaveToType::stDatabase, false, true},
        {true, false, TppSaveToType::stDatabase, true, false},
        {true, true, TppSaveToType::stFile, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.allowSettings << c.allowSaveToFile << int(c.saveTo));
        enterDesign();
        Designer->SetAllowDataSettingsChange(c.allowSettings);
        Designer->SetAllowSaveToFile(c.allowSaveToFile);
        Report->Template()->SetSaveTo(c.saveTo);
        enterData();
        Tab()->FileMenuClick();
        QStringList shown;
        for (QAction* a : Tab()->FileMenu()->actions())
            if (a->isVisible()) shown << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QStringList expected;
        if (c.settingsShown) expected << "mniDataSettings" << "-";
        expected << "mniNew" << "-" << "mniImport" << "mniMerge" << "mniExport";
        if (c.fileCommandsShown) expected << "-" << "mniImportFromFile" << "mniExportToFile";
        EXPECT_EQ(shown, expected);
    }
}

TEST_F(DataTab, new_with_the_query_designer_makes_a_view_with_its_tool_window_and_cancel_leaves_none) {
    enterData();
    TdaDataView* view = newQuery(true);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->Complete());
    EXPECT_EQ(view->Description(), "Packages by branch");
    EXPECT_EQ(qobject_cast<TdaCustomDataView*>(view)->Template()->DatabaseSettings()->Name(), "Packages by branch");
    EXPECT_EQ(view->Report(), Report);
    TdaDataViewToolWin* window = Tab()->ToolWindowOf(view);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Packages by branch");
    EXPECT_EQ(window->geometry(), QRect(10, 10, 242, 305));
    ASSERT_EQ(window->Tree()->topLevelItemCount(), 1);
    QStringList fields;
    for (QTreeWidgetItem* item : window->List()->Items()) fields << item->text(0);
    EXPECT_EQ(fields, QStringList({"Package", "Version", "Installed size (KiB)"}));
    EXPECT_TRUE(Module()->Modified());

    // Cancelling the designer leaves no view behind; the wizard is the same instance.
    TdaCustomDataWizard* wizard =
        Tab()->WizardManager()->GetWizard(ppWizardClass<TdaQueryDesigner>());
    EXPECT_EQ(newQuery(false), nullptr);
    EXPECT_EQ(Module()->DataViewCount(), 1);
    EXPECT_EQ(Tab()->ToolWindows().size(), 1);
    EXPECT_EQ(Tab()->WizardManager()->HeldWizardCount(), 1);
    EXPECT_EQ(Tab()->WizardManager()->GetWizard(ppWizardClass<TdaQueryDesigner>()), wizard);
    EXPECT_EQ(Tab()->WizardManager()->CurrentDataView(), nullptr);

    // A second view goes to the right of the first.
    TdaDataView* second = newQuery(true, QStringLiteral("Second"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Tab()->ToolWindowOf(second)->pos(), QPoint(10 + 242 + 10, 10));
    testsupport::GrabToPng(Window(), "data_tab_two_tool_windows");
}

TEST_F(DataTab, tool_windows_keep_their_place_come_back_inside_and_follow_their_view) {
    enterData();
    auto* kept = qobject_cast<TdaCustomDataView*>(newQuery(true, QStringLiteral("Kept")));
    auto* far = qobject_cast<TdaCustomDataView*>(newQuery(true, QStringLiteral("Far")));
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(far, nullptr);
    // Detached, the windows store their places; the views are then given others.
    Tab()->SetDataModule(nullptr);
    EXPECT_EQ(QRect(far->Left(), far->Top(), far->Width(), far->Height()), QRect(262, 10, 242, 305));
    kept->SetLeft(30);
    kept->SetTop(40);
    kept->SetWidth(250);
    kept->SetHeight(200);
    far->SetLeft(5000);
    far->SetTop(4000);
    far->SetWidth(200);
    far->SetHeight(150);
    // Attached again: the windows take the stored places.
    Tab()->SetDataModule(Module());
    const QSize client = Tab()->ScrollBox()->viewport()->size();
    EXPECT_EQ(Tab()->ToolWindowOf(kept)->geometry(), QRect(30, 40, 250, 200));
    EXPECT_EQ(Tab()->ToolWindowOf(far)->geometry(), QRect(client.width() - 25, client.height() - 25, 200, 150));
    // Moved, then the page left: the place is kept in the view.
    Tab()->ToolWindowOf(kept)->move(60, 70);
    enterDesign();
    EXPECT_EQ(kept->Left(), 60);
    EXPECT_EQ(kept->Top(), 70);
    enterData();
    EXPECT_EQ(Tab()->ToolWindows().size(), 2);

    // A renamed view keeps its one window; deleting it closes that window.
    auto* query = qobject_cast<TdaQueryDataView*>(kept);
    TdaSQL renamed;
    renamed.Assign(query->SQL());
    renamed.SetDescription(QStringLiteral("Renamed view"));
    query->AssignSQL(&renamed);
    EXPECT_NE(query->UserName(), QString());
    Tab()->ToolWindowOf(kept)->Refresh();
    Tab()->OpenMissingToolWindows();
    EXPECT_EQ(Tab()->ToolWindows().size(), 2);
    TdaDataViewToolWin* window = Tab()->ToolWindowOf(kept);
    EXPECT_EQ(window->windowTitle(), "Renamed view");

    // No keeps it; Yes deletes view and window.
    Answers.ExpectMessage("^Are you sure you want to delete the dataview Renamed view \\?$", ui::Button::No);
    window->PopupMenu()->findChild<QAction*>("mniDelete")->trigger();
    EXPECT_EQ(Module()->DataViewCount(), 2);
    Answers.ExpectMessage("^Are you sure you want to delete the dataview Renamed view \\?$", ui::Button::Yes);
    QPointer<TdaDataViewToolWin> gone = window;
    QPointer<TdaCustomDataView> goneView = kept;
    window->PopupMenu()->findChild<QAction*>("mniDelete")->trigger();
    EXPECT_TRUE(goneView.isNull());
    EXPECT_EQ(Module()->DataViewCount(), 1);
    EXPECT_EQ(Tab()->ToolWindows().size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
}

TEST_F(DataTab, a_tool_windows_buttons_and_menu_follow_the_views_actions) {
    enterData();
    TdaDataView* view = Tab()->WizardManager()->CreateDataView(&TdaBDEQueryDataView::staticMetaObject);
    static const struct {
        TdaDataView::Actions available, enabled;
        QStringList controls;  ///< the toolbar from the left: action numbers, "|" a separator
        QStringList enabledControls;
    } cases[] = {
        {0x01FE, 0x0180, {"1", "2", "3", "4", "5", "6", "|", "7", "|", "8"}, {"7", "8"}},
        {0x007E, 0x007E, {"1", "2", "3", "4", "5", "6"}, {"1", "2", "3", "4", "5", "6"}},
    };
    for (const auto& c : cases) {
        view->SetAvailableActions(c.available);
        view->SetEnabledActions(c.enabled);
        TdaDataViewToolWin window;
        window.SetDataView(view);
        QStringList controls, enabled, menuEnabled;
        for (QWidget* w : window.Toolbar()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const int tag = w->property("Tag").toInt();
            const QString name = tag > 0 ? QString::number(tag) : QStringLiteral("|");
            controls << name;
            if (tag > 0 && w->isEnabled()) enabled << name;
        }
        for (QAction* a : window.PopupMenu()->actions())
            if (!a->isSeparator() && a->property("Tag").toInt() > 0 && a->isEnabled())
                menuEnabled << QString::number(a->property("Tag").toInt());
        EXPECT_EQ(controls, c.controls);
        EXPECT_EQ(enabled, c.enabledControls);
        EXPECT_EQ(menuEnabled, c.enabledControls);
        EXPECT_EQ(window.PopupMenu()->actions().last()->text(), "Delete");
        // A view without pipelines: an empty tree and list.
        EXPECT_EQ(window.Tree()->topLevelItemCount(), 0);
        EXPECT_EQ(window.List()->ItemCount(), 0);
        // A chosen action is recorded in the view before the page is called.
        int called = 0;
        window.OnAction = [&](TdaDataViewToolWin* s) {
            ++called;
            EXPECT_EQ(s->DataView()->DesignAction(), 7);
        };
        window.ActionClick(7);
        EXPECT_EQ(called, 1);
    }
}

TEST_F(DataTab, export_proposes_its_names_and_import_into_a_new_report_gives_the_same_views_and_places) {
    Report->Template()->SetSaveTo(TppSaveToType::stFile);
    enterData();
    TdaDataView* first = newQuery(true);
    TdaDataView* second = newQuery(true, QStringLiteral("Second"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    Tab()->ToolWindowOf(second)->setGeometry(300, 120, 260, 280);

    // The first Export proposes "Data"; cancelled, nothing is written.
    Answers.ExpectFileToSave(std::nullopt);
    Tab()->ExportCommand();
    EXPECT_EQ(Module()->Template()->FileName(), "Data");
    // Saved to a file whose name has a point: its name up to the point, then "Data".
    const QString file = Folder.filePath(QStringLiteral("views.v1.dtm"));
    Answers.ExpectFileToSave(file);
    Tab()->ExportToFileCommand();
    ASSERT_TRUE(QFile::exists(file));
    Answers.ExpectFileToSave(std::nullopt);
    Tab()->ExportCommand();
    EXPECT_EQ(Module()->Template()->FileName(), Folder.filePath(QStringLiteral("viewsData")));
    Answers.ExpectFileToSave(std::nullopt);
    Module()->Template()->SetFileName(file);
    Tab()->ExportToFileCommand();
    EXPECT_EQ(Module()->Template()->FileName(), file + QStringLiteral(" data"));
    EXPECT_EQ(qobject_cast<TdaCustomDataView*>(second)->Left(), 300);

    // A new report imports the file: the same views in the same places.
    TppReport* other = newReport(QStringLiteral("rptOther"));
    enterDesign();
    Window()->SetReport(other);
    enterData();
    Answers.ExpectFileToOpen(file);
    Tab()->ImportFromFileCommand();
    TdaDataModule* imported = daGetDataModule(other);
    ASSERT_NE(imported, nullptr);
    ASSERT_EQ(imported->DataViewCount(), 2);
    static const struct {
        const char* description;
        QRect place;
    } expected[] = {{"Packages by branch", QRect(10, 10, 242, 305)}, {"Second", QRect(300, 120, 260, 280)}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        auto* view = qobject_cast<TdaQueryDataView*>(imported->DataViews(i));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->Description(), expected[i].description);
        EXPECT_EQ(QRect(view->Left(), view->Top(), view->Width(), view->Height()), expected[i].place);
        EXPECT_EQ(Tab()->ToolWindowOf(view)->geometry(), expected[i].place);
        auto* original = qobject_cast<TdaQueryDataView*>(Module() == imported ? nullptr : (i ? second : first));
        ASSERT_NE(original, nullptr);
        EXPECT_EQ(view->SQL()->SQLText().join('\n'), original->SQL()->SQLText().join('\n'));
    }
    // The first view serves the new report.
    EXPECT_EQ(imported->DataViews(0)->Report(), other);
    EXPECT_EQ(other->DataPipeline(), imported->DataViews(0)->DataPipelines(0));
    enterDesign();
    Window()->SetReport(Report);
    delete other;
}

}  // namespace
