#include "core/gui/view_customizer.h"

#include "core/globals.h"
#include "core/gui/confirm_dialogs.h"
#include "core/gui/customize_toolbar.h"
#include "core/gui/customize_warn.h"
#include "core/gui/field_properties.h"
#include "core/gui/hidden_fields.h"
#include "core/gui/main_form.h"
#include "core/gui/view_form.h"
#include "core/gui/view_windows.h"
#include "core/tests/sample_database.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTabWidget>
#include <QToolButton>
#include <QDialog>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextEdit>

#include "platform/db/table.h"
#include "platform/ui/help.h"

namespace {

using testsupport::DialogAnswerer;
using testsupport::FindControl;
using testsupport::WaitFor;

class ViewCustomizeTest : public coretest::SampleDatabase {
protected:
    void SetUp() override {
        coretest::SampleDatabase::SetUp();
        core::WriteRegBool("Preferences", "Messages", "Confirmation", "Views: Customize Warning", false);
    }
    void TearDown() override {
        delete core::CustomizeToolbar();
        delete form.data();
        Globals().CustomizeMode = false;
        coretest::SampleDatabase::TearDown();
    }
    core::ViewCustomizer* Open(int view) {
        TViewDef& v = views.ViewDefs[size_t(view)];
        v.DataTable->First();
        v.CurrentNodeID = v.DataTable->FieldByName("NodeID")->AsInteger();
        form = new TViewBaseForm(view, views, *tables, nullptr, module.get());
        tables->FillViewFields(view, true);
        form->show();
        return form->findChild<core::ViewCustomizer*>("ViewCustomizer");
    }
    static QString Name(const char* prefix, int field) {
        return QString::fromLatin1(prefix) + QString::number(field).rightJustified(2, u'0');
    }
    int FieldIndex(int view, const QString& name) {
        const auto& defs = views.ViewDefs[size_t(view)].FieldDefs;
        for (size_t i = 0; i < defs.size(); ++i)
            if (defs[i].FieldName == name) return int(i);
        return -1;
    }
    QByteArray Bytes(const QString& file) {
        QFile f(QDir(folder).filePath(file));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file;
        return f.readAll();
    }
    /// Places a new edit field through the toolbox's field tool and the field editor.
    void PlaceField(core::ViewCustomizer* c, const QString& name) {
        auto* toolbox = core::CustomizeToolbar();
        ASSERT_TRUE(toolbox);
        ASSERT_TRUE(testsupport::Click(toolbox, "FieldToolBtn"));
        EXPECT_EQ(c->PlacingFieldType(), u'S');
        DialogAnswerer answers;
        answers.ExpectModal<TFieldProperties>([name](TFieldProperties& d) {
            d.FP_FieldName->setText(name);
            d.FP_LabelCaption->setText(name + " label");
            testsupport::Click(&d, "OKBtn");
        });
        QWidget* area = form->findChild<QWidget*>("FieldArea");
        QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(300, 200));
        EXPECT_EQ(c->PlacingFieldType(), u'*');
    }
    QPointer<TViewBaseForm> form;
};

TEST_F(ViewCustomizeTest, customize_mode_designs_by_mouse_and_keyboard_and_refuses_to_close) {
    core::ViewCustomizer* c = Open(1);
    ASSERT_TRUE(c);
    const QString name = views.ViewDefs[1].ViewName;
    testsupport::TriggerAction(form, "A_Customize");
    ASSERT_TRUE(c->Customizing());
    EXPECT_TRUE(Globals().CustomizeMode);
    EXPECT_EQ(form->windowTitle(), name + " ---- CUSTOMIZING");
    auto* toolbox = core::CustomizeToolbar();
    ASSERT_TRUE(toolbox);
    EXPECT_TRUE(toolbox->isVisible());
    EXPECT_EQ(views.CustomizingWindow.data(), form.data());
    testsupport::GrabToPng(form, "customize_view");
    testsupport::GrabToPng(toolbox, "customize_toolbox");

    form->close();
    EXPECT_TRUE(form->isVisible());
    toolbox->close();
    EXPECT_TRUE(toolbox->isVisible());

    // A check box is not changed by clicks while designing.
    const int check = FieldIndex(1, "AllInstalled");
    ASSERT_GE(check, 0);
    auto* box = FindControl<QCheckBox>(form, Name("FE_", check));
    const bool checked = box->isChecked();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(box->isChecked(), checked);

    // Dragging a label places it exactly.
    const int text = FieldIndex(1, "Maintainer");
    auto* label = FindControl<QLabel>(form, Name("FL_", text));
    const QPoint labelAt = label->pos();
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(3, 3));
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), label->mapToGlobal(QPointF(23, 13)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &move);
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(23, 13));
    const TViewFieldDef& f = views.ViewDefs[1].FieldDefs[size_t(text)];
    EXPECT_FALSE(f.LabelUseBasic);
    EXPECT_EQ(f.LabelRelative, 4);
    EXPECT_EQ(f.LabelPosition.Left, labelAt.x() + 20);
    EXPECT_EQ(f.LabelPosition.Top, labelAt.y() + 10);

    // The keyboard moves and sizes the field; typed text is not taken.
    auto* edit = FindControl<QLineEdit>(form, Name("FE_", text));
    const core::ViewRect before = f.FieldPosition;
    const QString sample = edit->text();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Right);
    QTest::keyClick(edit, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(edit, "typed");
    EXPECT_EQ(f.FieldPosition.Left, before.Left + 1);
    EXPECT_EQ(f.FieldPosition.Top, before.Top + 8);
    EXPECT_EQ(f.FieldPosition.Width, before.Width + 1);
    EXPECT_EQ(edit->text(), sample);

    // The pop-up menu names the field.
    QMenu* menu = c->PopupMenuFor(edit);
    EXPECT_EQ(menu->findChild<QAction*>("A_Properties")->text(), "\"" + f.LabelCaption + "\" field &properties");

    ASSERT_TRUE(testsupport::Click(toolbox, "CancelBtn"));
    EXPECT_FALSE(c->Customizing());
    EXPECT_FALSE(Globals().CustomizeMode);
    EXPECT_EQ(form->windowTitle(), name);
    EXPECT_TRUE(WaitFor([] { return core::CustomizeToolbar() == nullptr; }));
}

TEST_F(ViewCustomizeTest, cancel_leaves_table_settings_and_index_byte_for_byte_as_they_were) {
    const QString table = core::ViewTableFile(views.ViewDefs[0].DataTableName);
    const QString dict = core::ViewDictTableFile(views.ViewDefs[0].DataTableName);
    const QByteArray tableBytes = Bytes(table), dictBytes = Bytes(dict), settingsBytes = Bytes("Registry.DB");
    const int count = views.GetViewFieldCount(0);
    core::ViewCustomizer* c = Open(0);
    c->FormPU_CustomizeClick();
    PlaceField(c, "Pending");
    EXPECT_EQ(views.GetViewFieldCount(0), count + 1);
    c->NudgeControl(FindControl<QWidget>(form, Name("FE_", 0)), 15, 5, false);
    c->ToggleFieldDelete(1);
    EXPECT_TRUE(views.ViewDefs[0].FieldDefs[1].MarkedForDelete);
    // A resize of the floating window saves its layout, which writes nothing while customizing.
    form->resize(form->width() + 40, form->height() + 30);
    views.SaveViewLayout(0);
    testsupport::GrabToPng(form, "customize_view_new_field");

    ASSERT_TRUE(testsupport::Click(core::CustomizeToolbar(), "CancelBtn"));
    EXPECT_EQ(views.GetViewFieldCount(0), count);
    EXPECT_FALSE(views.ViewDefs[0].FieldDefs[1].MarkedForDelete);
    EXPECT_TRUE(FindControl<QWidget>(form, Name("FE_", 1))->isVisible());
    EXPECT_EQ(Bytes(table), tableBytes);
    EXPECT_EQ(Bytes(dict), dictBytes);
    EXPECT_EQ(Bytes("Registry.DB"), settingsBytes);
}

TEST_F(ViewCustomizeTest, save_restructures_the_table_rewrites_the_settings_and_rebuilds_the_index) {
    const QString tableFile = core::ViewTableFile(views.ViewDefs[0].DataTableName);
    const int count = views.GetViewFieldCount(0);
    const int drop = FieldIndex(0, "InstalledCount");
    const int keep = FieldIndex(0, "PackageCount");
    core::ViewCustomizer* c = Open(0);
    c->FormPU_CustomizeClick();
    PlaceField(c, "Remark");
    c->ToggleFieldDelete(drop);
    c->ToggleFieldDelete(keep);
    {
        DialogAnswerer answers;
        // Asked in field order, by label caption.
        answers.ExpectMessage("The field \"Packages\" is about to be deleted", ui::Button::No)
            .ExpectMessage("The field \"Installed here\" is about to be deleted", ui::Button::Yes);
        ASSERT_TRUE(testsupport::Click(core::CustomizeToolbar(), "OKBtn"));
    }
    const db::TableDef def = db::ReadTableDef(folder, tableFile);
    QStringList columns;
    for (const db::FieldDef& f : def.Fields) columns << f.Name;
    EXPECT_TRUE(columns.contains("Remark"));
    EXPECT_FALSE(columns.contains("InstalledCount"));
    EXPECT_TRUE(columns.contains("PackageCount"));  // "No" keeps it

    const QString k = core::ViewKeyNumber(0);
    EXPECT_EQ(core::ReadRegInt("Views", k, "Fields", "Count", 0), count);  // one added, one dropped
    QStringList stored;
    for (int i = 0; i < count; ++i) stored << core::ReadRegString("Views", k, core::FieldKey(i), "FieldName", {});
    EXPECT_TRUE(stored.contains("Remark"));
    EXPECT_FALSE(stored.contains("InstalledCount"));
    EXPECT_EQ(views.GetViewFieldCount(0), count);
    EXPECT_TRUE(FindControl<QWidget>(form, Name("FE_", FieldIndex(0, "Remark")))->isVisible());
    ExpectIndexCurrent(0);
    ExpectIndexCurrent(1);
}

TEST_F(ViewCustomizeTest, the_warning_is_shown_until_silenced_and_the_choice_is_stored) {
    core::WriteRegBool("Preferences", "Messages", "Confirmation", "Views: Customize Warning", true);
    core::ViewCustomizer* c = Open(2);
    {
        DialogAnswerer answers;
        answers.ExpectModal<TCustomizeWarn>([](TCustomizeWarn& d) {
            testsupport::GrabToPng(&d, "customize_warning");
            EXPECT_EQ(d.windowTitle(), "Customization");
            EXPECT_TRUE(d.WarnMemo->toPlainText().startsWith("Customizing a View could possibly cause loss of"));
            testsupport::Click(&d, "DontShowCheck");
            testsupport::Click(&d, "OKBtn");
        });
        c->FormPU_CustomizeClick();
    }
    EXPECT_TRUE(c->Customizing());
    EXPECT_FALSE(core::ReadRegBool("Preferences", "Messages", "Confirmation", "Views: Customize Warning", true));
    ASSERT_TRUE(testsupport::Click(core::CustomizeToolbar(), "CancelBtn"));
    DialogAnswerer none;  // silenced: nothing is shown
    c->FormPU_CustomizeClick();
    EXPECT_TRUE(c->Customizing());
    c->EndCustomize(false);
}

TEST_F(ViewCustomizeTest, the_toolbox_field_menu_lists_visible_fields_and_follows_deletion_marks) {
    views.ViewDefs[2].FieldDefs[0].FieldIsVisible = false;
    views.ViewDefs[2].FieldDefs[1].LabelIsVisible = false;
    core::ViewCustomizer* c = Open(2);
    c->FormPU_CustomizeClick();
    TCustomizeToolbar* toolbox = core::CustomizeToolbar();
    toolbox->FillFieldMenu();
    const QList<QAction*> items = toolbox->FieldListPU->actions();
    ASSERT_EQ(items.size(), views.GetViewFieldCount(2) - 1);
    EXPECT_EQ(items[0]->data().toInt(), 1);
    EXPECT_EQ(items[0]->text(), views.ViewDefs[2].FieldDefs[1].FieldName);
    c->ToggleFieldDelete(1);
    EXPECT_FALSE(items[0]->icon().isNull());
    c->ToggleFieldDelete(1);
    EXPECT_TRUE(items[0]->icon().isNull());
    EXPECT_TRUE(FindControl<QWidget>(form, Name("FE_", 1))->isVisible());
    c->EndCustomize(false);
}

TEST_F(ViewCustomizeTest, a_docked_view_floats_while_customised_and_docks_again_on_its_page) {
    auto main = std::make_unique<TMainForm>();
    auto windows = std::make_unique<core::ViewWindows>(views, *tables, main.get(), module.get());
    for (int view : {0, 1}) {
        views.ViewDefs[size_t(view)].DockViewOnShow = true;
        windows->ShowViewWindow(view);
    }
    auto* window = qobject_cast<TViewBaseForm*>(views.ViewDefs[0].ViewWindow.data());
    ASSERT_TRUE(window);
    const int page = main->GetViewPageIndex(0);
    ASSERT_GE(page, 0);
    auto* c = window->findChild<core::ViewCustomizer*>("ViewCustomizer");
    c->FormPU_CustomizeClick();
    ASSERT_TRUE(c->Customizing());
    EXPECT_TRUE(window->isWindow());
    EXPECT_LT(main->GetViewPageIndex(0), 0);
    c->EndCustomize(false);
    EXPECT_FALSE(window->isWindow());
    EXPECT_EQ(main->GetViewPageIndex(0), page);
    for (TViewDef& v : views.ViewDefs)
        if (auto* w = dynamic_cast<core::ViewWindowLink*>(v.ViewWindow.data())) w->CloseWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    windows.reset();
    main.reset();
}


/// Help pages in a temporary folder, recording which topic is opened.
class HelpPages {
public:
    HelpPages() {
        ui::HelpService::SetHelpFile(m_dir.filePath("Dossara.hlp"));
        ui::HelpService::SetPageOpener([this](const QString& path) {
            opened = QFileInfo(path).completeBaseName().toInt();
            return true;
        });
    }
    ~HelpPages() {
        ui::HelpService::SetPageOpener({});
        ui::HelpService::SetHelpFile({});
    }
    void Add(int context) {
        QFile page(m_dir.filePath(QString::number(context) + ".html"));
        EXPECT_TRUE(page.open(QIODevice::WriteOnly));
    }
    int opened = 0;

private:
    QTemporaryDir m_dir;
};

// The design pop-up menu has every item of customize mode, each doing its work; the window's
// Help goes to the customize topic while designing.
TEST_F(ViewCustomizeTest, the_design_menu_offers_hidden_fields_save_cancel_and_help) {
    views.ViewDefs[2].FieldDefs[0].FieldIsVisible = false;  // for the hidden-fields list
    core::ViewCustomizer* c = Open(2);
    HelpPages help;
    for (int context : {40004, 40005}) help.Add(context);
    testsupport::TriggerAction(form, "A_FormHelp");
    EXPECT_EQ(help.opened, 40005);
    c->FormPU_CustomizeClick();
    ASSERT_TRUE(c->Customizing());
    help.opened = 0;
    ASSERT_TRUE(testsupport::Click(form, "HelpBtn"));
    EXPECT_EQ(help.opened, 40004);

    const QWidget* edit = FindControl<QWidget>(form, Name("FE_", 1));
    for (QWidget* on : {static_cast<QWidget*>(nullptr), const_cast<QWidget*>(edit)}) {
        SCOPED_TRACE(on ? "on a field" : "on the window");
        QMenu* menu = c->PopupMenuFor(on);
        struct Item {
            const char* name;
            const char* text;
            int helpContext;
        };
        static const Item items[] = {{"A_HiddenFields", "H&idden fields...", 40027},
                                     {"A_CustomSave", "&Save changes", 40029},
                                     {"A_CustomCancel", "&Cancel changes", 40030},
                                     {"A_CustomizeHelp", "&Help", 40004}};
        for (const Item& item : items) {
            auto* a = menu->findChild<QAction*>(item.name);
            ASSERT_TRUE(a) << item.name;
            EXPECT_TRUE(menu->actions().contains(a)) << item.name;
            EXPECT_EQ(a->text(), item.text);
            EXPECT_EQ(a->property("HelpContext").toInt(), item.helpContext) << item.name;
        }
    }
    help.opened = 0;
    c->PopupMenuFor(nullptr)->findChild<QAction*>("A_CustomizeHelp")->trigger();
    EXPECT_EQ(help.opened, 40004);

    // Hidden fields opens the hidden-fields list.
    {
        DialogAnswerer answers;
        bool shown = false;
        answers.ExpectModal<THiddenFieldList>([&shown](THiddenFieldList& d) {
            shown = true;
            d.reject();
        });
        c->PopupMenuFor(nullptr)->findChild<QAction*>("A_HiddenFields")->trigger();
        EXPECT_TRUE(shown);
    }
    // Cancel changes ends customizing through the toolbox's Cancel.
    c->PopupMenuFor(nullptr)->findChild<QAction*>("A_CustomCancel")->trigger();
    EXPECT_FALSE(c->Customizing());
    help.opened = 0;
    testsupport::TriggerAction(form, "A_FormHelp");
    EXPECT_EQ(help.opened, 40005);
    // and Save changes through the toolbox's Save
    c->FormPU_CustomizeClick();
    ASSERT_TRUE(c->Customizing());
    c->PopupMenuFor(nullptr)->findChild<QAction*>("A_CustomSave")->trigger();
    EXPECT_FALSE(c->Customizing());
}

// While a View is designed its note cannot be typed into: a docked note turns read-only, a
// floating one is closed and comes back floating when designing ends.
TEST_F(ViewCustomizeTest, the_note_is_read_only_or_closed_while_the_view_is_designed) {
    for (const bool docked : {true, false}) {
        SCOPED_TRACE(docked ? "docked note" : "floating note");
        core::ViewCustomizer* c = Open(2);
        core::ViewWindows& windows = form->Windows();
        ASSERT_TRUE(windows.ShowNoteWindow(2));
        if (docked && !windows.IsNoteDocked(2)) windows.DockNoteWindow(2);
        if (!docked && windows.IsNoteDocked(2)) windows.UndockNoteWindow(2, true);
        ASSERT_EQ(windows.IsNoteDocked(2), docked);
        c->FormPU_CustomizeClick();
        ASSERT_TRUE(c->Customizing());
        QPointer<QObject> note = views.ViewDefs[2].NoteWindow;
        if (docked) {
            ASSERT_TRUE(note);
            auto* editor = note->findChild<QTextEdit*>("Note");
            ASSERT_TRUE(editor);
            EXPECT_TRUE(editor->isReadOnly());
        } else {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(!note || !qobject_cast<QWidget*>(note)->isVisible());
        }
        c->EndCustomize(false);
        note = views.ViewDefs[2].NoteWindow;
        ASSERT_TRUE(note);
        auto* noteWidget = qobject_cast<QWidget*>(note.data());
        EXPECT_TRUE(noteWidget->isVisible());
        EXPECT_EQ(windows.IsNoteDocked(2), docked);
        EXPECT_FALSE(note->findChild<QTextEdit*>("Note")->isReadOnly());
        windows.CloseNoteWindow(2);
        delete form.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// After designing ends, the title strip names the branch the View shows, wherever the
// hierarchy table's cursor was left meanwhile.
TEST_F(ViewCustomizeTest, after_cancel_the_title_strip_names_the_views_branch) {
    TViewDef& v = views.ViewDefs[2];
    v.ViewTitleVisible = true;
    core::ViewCustomizer* c = Open(2);
    db::Table& h = *module->Hierarchy;
    ASSERT_TRUE(h.FindKey({v.CurrentNodeID}));
    const QString branch = h.FieldByName("NodeName")->AsString();
    tables->FillViewFields(2, true);
    auto* title = FindControl<QPlainTextEdit>(form, "TitleMemo");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->toPlainText(), branch);
    c->FormPU_CustomizeClick();
    EXPECT_EQ(title->toPlainText(), "== Customizing View ==");
    h.First();  // another branch, as the explorer's reading of the tree leaves it
    ASSERT_NE(h.FieldByName("NodeID")->AsInteger(), v.CurrentNodeID);
    c->EndCustomize(false);
    EXPECT_EQ(title->toPlainText(), branch);
}

}  // namespace
