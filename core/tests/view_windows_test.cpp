#include "core/gui/view_windows.h"

#include "core/globals.h"
#include "core/gui/main_form.h"
#include "core/gui/note_base_form.h"
#include "core/gui/view_form.h"
#include "core/settings_store.h"
#include "core/tests/sample_database.h"
#include "core/view_layer.h"

#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"
#include "platform/richtext/plain_lines.h"
#include "platform/ui/window_message.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>

namespace {

using testsupport::DialogAnswerer;
using testsupport::FindControl;
using testsupport::WaitFor;

/// View windows shown the program's way: through the window operations, with the main
/// window as host (its page control takes docked Views, its Windows menu lists them).
class ViewWindowsTest : public coretest::SampleDatabase {
protected:
    void SetUp() override {
        coretest::SampleDatabase::SetUp();
        savedPrefs = UserPrefs();
        main = std::make_unique<TMainForm>();
        windows = std::make_unique<core::ViewWindows>(views, *tables, main.get(), module.get());
    }
    void TearDown() override {
        for (TViewDef& v : views.ViewDefs) {
            if (auto* n = dynamic_cast<core::NoteWindowLink*>(v.NoteWindow.data())) n->CloseWindow();
            if (auto* w = dynamic_cast<core::ViewWindowLink*>(v.ViewWindow.data())) w->CloseWindow();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        windows.reset();
        main.reset();
        UserPrefs() = savedPrefs;
        coretest::SampleDatabase::TearDown();
    }
    /// Shows View `view` on its record number `skip`.
    TViewBaseForm* Show(int view, int skip = 2) {
        TViewDef& v = views.ViewDefs[size_t(view)];
        v.DataTable->First();
        v.DataTable->MoveBy(skip);
        v.CurrentNodeID = v.DataTable->FieldByName("NodeID")->AsInteger();
        windows->ShowViewWindow(view);
        return qobject_cast<TViewBaseForm*>(v.ViewWindow.data());
    }
    TNoteBaseForm* Note(int view) { return qobject_cast<TNoteBaseForm*>(views.ViewDefs[size_t(view)].NoteWindow.data()); }
    QString StoredNote(int view) {
        const TViewDef& v = views.ViewDefs[size_t(view)];
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(core::ViewTableFile(v.DataTableName));
        t.Open();
        if (!t.FindKey({v.CurrentNodeID})) return QStringLiteral("<missing>");
        return t.FieldByName("Note")->AsString();
    }
    QString Layout(int view, const char* variable) {
        return core::ReadRegString("Views", core::ViewKeyNumber(view), "Layout", variable, "<none>");
    }
    /// A View of the sample whose note opens docked.
    int ViewWithDockedNote() {
        for (int i = 0; i < views.GetViewCount(); ++i)
            if (views.ViewDefs[size_t(i)].DockNoteOnStart) return i;
        return -1;
    }

    TUserPrefs savedPrefs;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<core::ViewWindows> windows;
};

TEST_F(ViewWindowsTest, screen_fit_and_centring_follow_the_placing_rule) {
    const QSize screen(1024, 768);
    struct Case { QRect r; bool on; };
    const Case cases[] = {{{0, 0, 500, 300}, true},      {{10, -1, 500, 300}, false},   {{1014, 0, 10, 10}, true},
                          {{1015, 0, 10, 10}, false},    {{0, 757, 10, 10}, true},      {{0, 758, 10, 10}, false},
                          {{0, 0, 1025, 100}, false},    {{0, 0, 100, 769}, false},     {{-300, 20, 500, 300}, true}};
    for (const Case& c : cases) EXPECT_EQ(core::ViewWindows::IsOnScreen(c.r, screen), c.on) << c.r.x() << "," << c.r.y();
    EXPECT_EQ(core::ViewWindows::Centred(QSize(500, 300), screen), QRect(262, 234, 500, 300));
    EXPECT_EQ(core::ViewWindows::Centred(QSize(501, 301), QSize(1024, 768)), QRect(261, 233, 501, 301));
}

TEST_F(ViewWindowsTest, a_view_docks_into_the_main_windows_pages_and_floats_back_at_its_place) {
    const int view = 0;
    views.ViewDefs[size_t(view)].DockViewOnShow = true;
    UserPrefs().RestoreScreenLayout = true;
    const core::ViewRect stored = views.ViewDefs[size_t(view)].ViewPosition;
    TViewBaseForm* form = Show(view);
    ASSERT_TRUE(form);
    EXPECT_GE(main->MainPages->indexOf(form), 0);
    EXPECT_EQ(main->GetViewPageIndex(view), main->MainPages->indexOf(form));
    EXPECT_TRUE(views.ViewDefs[size_t(view)].ViewIsDocked);
    EXPECT_FALSE(form->isWindow());
    EXPECT_FALSE(Globals().ProgramDocking);

    // Shown again from the Views menu: its page comes to the front.
    main->MainPages->addTab(new QWidget, "other");
    main->MainPages->setCurrentIndex(main->MainPages->count() - 1);
    windows->ShowViewWindow(view);
    EXPECT_EQ(main->MainPages->currentWidget(), form);
    delete main->MainPages->widget(main->MainPages->count() - 1);

    form->A_Dock->trigger();
    EXPECT_TRUE(form->isWindow());
    EXPECT_LT(main->MainPages->indexOf(form), 0);
    EXPECT_FALSE(views.ViewDefs[size_t(view)].ViewIsDocked);
    EXPECT_EQ(form->geometry(), QRect(stored.Left, stored.Top, stored.Width, stored.Height));

    // Moved and resized while floating: docking keeps the new bounds for the next float.
    form->setGeometry(40, 60, 610, 420);
    windows->DockViewWindow(view);
    EXPECT_EQ(views.ViewDefs[size_t(view)].ViewPosition, (core::ViewRect{60, 40, 420, 610}));
    EXPECT_TRUE(windows->UndockViewWindow(view, 0, 0));
    EXPECT_EQ(form->geometry(), QRect(40, 60, 610, 420));
    EXPECT_FALSE(windows->UndockViewWindow(view, 0, 0));
    testsupport::GrabToPng(form, "view_window_floating");

    // Closing writes the layout.
    ASSERT_TRUE(form->close());
    EXPECT_EQ(Layout(view, "ViewPosition"), "60,40,420,610");
}

TEST_F(ViewWindowsTest, a_floating_view_writes_its_layout_when_resized_and_places_itself_as_the_preference_says) {
    const int view = 1;
    views.ViewDefs[size_t(view)].DockViewOnShow = false;
    views.ViewDefs[size_t(view)].ViewPosition = {30, 20, 280, 450};
    UserPrefs().RestoreScreenLayout = true;
    TViewBaseForm* form = Show(view);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->geometry(), QRect(20, 30, 450, 280));
    form->resize(520, 330);
    EXPECT_TRUE(WaitFor([&] { return Layout(view, "ViewPosition") == "30,20,330,520"; }))
        << Layout(view, "ViewPosition").toStdString();
    EXPECT_EQ(Layout(view, "TitlePanelHeight").toInt(), form->TitleHeight());
    form->CloseWindow();
    ASSERT_TRUE(WaitFor([&] { return !views.ViewDefs[size_t(view)].ViewWindow; }));

    // Without the preference: 500 by 300 in the middle of the screen.
    UserPrefs().RestoreScreenLayout = false;
    form = Show(view);
    ASSERT_TRUE(form);
    const QSize screen = form->screen()->geometry().size();
    EXPECT_EQ(form->geometry(), core::ViewWindows::Centred(QSize(std::min(500, screen.width()), std::min(300, screen.height())), screen));
}

TEST_F(ViewWindowsTest, the_note_window_docks_saves_as_rich_text_and_cancel_restores_the_stored_note) {
    const int view = ViewWithDockedNote();
    ASSERT_GE(view, 0);
    views.ViewDefs[size_t(view)].DockViewOnShow = false;
    views.ViewDefs[size_t(view)].ShowNoteOnStart = true;
    TViewBaseForm* form = Show(view);
    ASSERT_TRUE(form);
    TNoteBaseForm* note = Note(view);
    ASSERT_TRUE(note);
    EXPECT_FALSE(note->isWindow());
    EXPECT_TRUE(views.ViewDefs[size_t(view)].NoteIsDocked);
    EXPECT_EQ(note->parentWidget(), form->BottomDockPanel());
    EXPECT_EQ(note->windowTitle(), views.GetViewName(view) + " Notes");
    const QString original = StoredNote(view);
    ASSERT_FALSE(original.isEmpty());
    EXPECT_EQ(note->Note->toPlainText(), richtext::RtfToPlainLines(original.toUtf8()).join('\n'));
    EXPECT_FALSE(views.ViewDefs[size_t(view)].NoteModified);
    auto* toolBar = FindControl<QToolBar>(note, "ToolBar");
    EXPECT_FALSE(toolBar->isVisible());
    testsupport::GrabToPng(form, "view_window_with_docked_note");

    // The split follows NoteDockHeight, also after a resize; moving the splitter stores it.
    auto* split = FindControl<QSplitter>(form, "SplitPanel");
    auto splitFollows = [&] {
        const QList<int> sizes = split->sizes();
        const int s = sizes[0] + sizes[1];
        return std::abs(sizes[0] - (s - s * views.ViewDefs[size_t(view)].NoteDockHeight / 100000.0)) <= 1.0;
    };
    EXPECT_TRUE(WaitFor(splitFollows));
    form->resize(form->width() + 40, form->height() + 120);
    EXPECT_TRUE(WaitFor(splitFollows));
    {
        const QList<int> sizes = split->sizes();
        const int s = sizes[0] + sizes[1];
        split->setSizes({s / 4, s - s / 4});
        emit split->splitterMoved(s / 4, 1);
        EXPECT_EQ(views.ViewDefs[size_t(view)].NoteDockHeight, int(double(s - s / 4) / s * 100000.0));
    }

    // Typing shows the toolbar; Cancel restores the stored note.
    note->Note->setFocus();
    EXPECT_FALSE(note->Note->isReadOnly());
    note->Note->moveCursor(QTextCursor::End);
    QTest::keyClicks(note->Note, " wombat");
    ASSERT_TRUE(WaitFor([&] { return toolBar->isVisible(); }));
    EXPECT_TRUE(views.ViewDefs[size_t(view)].NoteModified);
    EXPECT_EQ(tables->FindUnsavedChanges(true), view);
    {
        // The unsaved-changes test of a command goes through the View window to its docked note.
        DialogAnswerer answers;
        answers.ExpectMessage("^You must save or cancel your changes before you can continue\\.$", ui::Button::Ok,
                              ui::MessageKind::Error);
        EXPECT_EQ(tables->FindUnsavedChanges(false), view);
        ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
    }
    ASSERT_TRUE(testsupport::Click(note, "CancelBtn"));
    EXPECT_FALSE(toolBar->isVisible());
    EXPECT_FALSE(views.ViewDefs[size_t(view)].NoteModified);
    EXPECT_FALSE(note->Note->toPlainText().contains("wombat"));
    EXPECT_EQ(StoredNote(view), original);

    // A bold word saved: the column holds RTF with it, and the word table is current.
    note->Note->moveCursor(QTextCursor::End);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    note->Note->textCursor().insertText(" numbat", bold);
    ASSERT_TRUE(WaitFor([&] { return toolBar->isVisible(); }));
    ASSERT_TRUE(testsupport::Click(note, "SaveBtn"));
    EXPECT_FALSE(toolBar->isVisible());
    EXPECT_FALSE(views.ViewDefs[size_t(view)].NoteModified);
    const QString saved = StoredNote(view);
    EXPECT_TRUE(saved.startsWith("{\\rtf1"));
    EXPECT_TRUE(saved.contains("\\b")) << saved.left(300).toStdString();
    EXPECT_TRUE(richtext::RtfToPlainLines(saved.toUtf8()).join('\n').endsWith(" numbat"));
    ExpectIndexCurrent(view);

    // Read back as it was written.
    note->ReloadNote();
    EXPECT_TRUE(note->Note->toPlainText().endsWith(" numbat"));
    EXPECT_FALSE(views.ViewDefs[size_t(view)].NoteModified);
}

TEST_F(ViewWindowsTest, docking_the_note_by_program_does_not_mark_it_changed_and_a_changed_note_cannot_close) {
    const int view = ViewWithDockedNote();
    ASSERT_GE(view, 0);
    views.ViewDefs[size_t(view)].DockViewOnShow = false;
    TViewBaseForm* form = Show(view);
    ASSERT_TRUE(form);
    ASSERT_TRUE(windows->ShowNoteWindow(view));
    TNoteBaseForm* note = Note(view);
    ASSERT_TRUE(note);
    auto* toolBar = FindControl<QToolBar>(note, "ToolBar");
    for (int round = 0; round < 2; ++round) {
        note->A_Dock->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(note->isWindow(), round == 0);
        EXPECT_EQ(views.ViewDefs[size_t(view)].NoteIsDocked, round == 1);
        EXPECT_EQ(note->A_Dock->text(), round == 0 ? "Doc&k" : "Undoc&k notes");
        EXPECT_FALSE(toolBar->isVisible());
        EXPECT_FALSE(views.ViewDefs[size_t(view)].NoteModified);
        EXPECT_EQ(form->BottomDockPanel()->isVisibleTo(form), round == 1);
    }
    note->A_Dock->trigger();  // floating again
    testsupport::GrabToPng(note, "note_window_floating");

    note->Note->setFocus();
    QTest::keyClicks(note->Note, "echidna ");
    ASSERT_TRUE(WaitFor([&] { return views.ViewDefs[size_t(view)].NoteModified; }));
    {
        DialogAnswerer answers;
        answers.ExpectMessage("^You must save or cancel your changes before you can continue\\.$", ui::Button::Ok,
                              ui::MessageKind::Error);
        EXPECT_FALSE(note->close());
        ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
        // The View window cannot close either: its note holds changes.
        answers.ExpectMessage("^You must save or cancel your changes before you can continue\\.$", ui::Button::Ok,
                              ui::MessageKind::Error);
        EXPECT_FALSE(form->close());
        ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
    }
    ASSERT_TRUE(Note(view));
    ASSERT_TRUE(testsupport::Click(note, "CancelBtn"));
    const QPointer<TNoteBaseForm> watch(note);
    EXPECT_TRUE(note->close());
    EXPECT_TRUE(WaitFor([&] { return watch.isNull(); }));
    EXPECT_FALSE(views.ViewDefs[size_t(view)].NoteWindow);
}

TEST_F(ViewWindowsTest, a_note_without_a_selected_branch_is_read_only) {
    const int view = ViewWithDockedNote();
    ASSERT_GE(view, 0);
    views.ViewDefs[size_t(view)].DockViewOnShow = false;
    ASSERT_TRUE(Show(view));
    ASSERT_TRUE(windows->ShowNoteWindow(view));
    TNoteBaseForm* note = Note(view);
    views.ViewDefs[size_t(view)].CurrentNodeID = -1;
    note->Note->clearFocus();
    note->Note->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(note->Note->isReadOnly());
}

TEST_F(ViewWindowsTest, the_view_toolbar_follows_the_broadcasts_and_the_menus_open_on_the_right_button) {
    const int view = 0;
    views.ViewDefs[size_t(view)].DockViewOnShow = false;
    TViewBaseForm* form = Show(view);
    ASSERT_TRUE(form);
    auto* toolBar = FindControl<QToolBar>(form, "ViewFormToolBar");
    ASSERT_TRUE(toolBar->isVisible());
    tables->PostToViewWindows(UM_VIEWTOOLBAR, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !toolBar->isVisible(); }));
    core::WriteRegBool("Preferences", "Toolbars", "Views Form", "Visible", true);
    tables->PostToViewWindows(UM_PREFSCHANGED, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return toolBar->isVisible(); }));
    EXPECT_TRUE(main->A_TBViewForm->isChecked());
    core::WriteRegBool("Preferences", "Toolbars", "Views Form", "Visible", false);
    tables->PostToViewWindows(UM_PREFSCHANGED, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !toolBar->isVisible(); }));

    // Right button on the field area: the window's menu; on a field: the field's menu.
    QTest::mouseClick(form->findChild<QWidget*>("FieldArea"), Qt::RightButton, {}, QPoint(2, 2));
    ASSERT_TRUE(WaitFor([&] { return form->FormPUMenu->isVisible(); }));
    form->FormPUMenu->close();
    QWidget* field = nullptr;
    for (size_t i = 0; i < views.ViewDefs[size_t(view)].FieldDefs.size() && !field; ++i)
        field = qobject_cast<QWidget*>(views.ViewDefs[size_t(view)].FieldDefs[i].EditControl.data());
    ASSERT_TRUE(field);
    QTest::mouseClick(field, Qt::RightButton, {}, QPoint(3, 3));
    ASSERT_TRUE(WaitFor([&] { return form->FieldPUMenu->isVisible(); }));
    EXPECT_TRUE(form->FieldPUMenu->actions().contains(main->A_EditCopy));
    form->FieldPUMenu->close();

    // The Notes command shows the note window; with no record shown it is disabled.
    form->A_ViewCategoryNotes->trigger();
    EXPECT_TRUE(Note(view));
    tables->BroadcastNodeChanged(-1, 1);
    ASSERT_TRUE(WaitFor([&] { return !form->A_ViewCategoryNotes->isEnabled(); }));
}

TEST_F(ViewWindowsTest, closing_all_windows_saves_their_layout_and_leaves_no_window) {
    for (int v = 0; v < views.GetViewCount(); ++v) views.ViewDefs[size_t(v)].DockViewOnShow = v == 0;
    windows->ShowStartupViews();
    int open = 0;
    for (const TViewDef& v : views.ViewDefs) open += v.ViewWindow ? 1 : 0;
    EXPECT_GT(open, 0);
    windows->CloseAllViewWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const TViewDef& v : views.ViewDefs) {
        EXPECT_FALSE(v.ViewWindow);
        EXPECT_FALSE(v.NoteWindow);
    }
    EXPECT_EQ(main->MainPages->count(), 0);
    EXPECT_FALSE(Globals().ProgramDocking);
}

}  // namespace

namespace {

TEST_F(ViewWindowsTest, a_view_being_customised_cannot_close_and_a_refresh_rebuilds_it_from_its_definition) {
    const int view = 1;
    views.ViewDefs[size_t(view)].DockViewOnShow = false;
    TViewBaseForm* form = Show(view);
    ASSERT_TRUE(form);
    views.CustomizingWindow = form;
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    views.CustomizingWindow = nullptr;

    // Caption, name and a label changed in the definition: the refresh shows them.
    TViewDef& v = views.ViewDefs[size_t(view)];
    int field = -1;
    for (size_t i = 0; i < v.FieldDefs.size() && field < 0; ++i)
        if (v.FieldDefs[i].LabelControl) field = int(i);
    ASSERT_GE(field, 0);
    v.FieldDefs[size_t(field)].LabelCaption = "Renamed label";
    v.ViewName = "Renamed View";
    windows->RefreshViewWindow(view);
    EXPECT_EQ(form->windowTitle(), "Renamed View");
    auto* label = FindControl<QLabel>(form, QString("FL_%1").arg(field, 2, 10, QChar('0')));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Renamed label");
    EXPECT_FALSE(v.RecordModified);

    // Reloading reads the stored definition again: the stored caption comes back.
    const QString storedName = core::ReadRegString("Views", core::ViewKeyNumber(view), "Layout", "ViewName", {});
    EXPECT_TRUE(windows->ReloadViewDefinition(view));
    EXPECT_EQ(form->windowTitle(), storedName);
    label = FindControl<QLabel>(form, QString("FL_%1").arg(field, 2, 10, QChar('0')));
    ASSERT_TRUE(label);
    EXPECT_NE(label->text(), "Renamed label");
    EXPECT_FALSE(windows->ReloadViewDefinition(99));
}

}  // namespace


namespace {

TEST_F(ViewWindowsTest, the_note_follows_the_record_the_view_shows) {
    const int view = ViewWithDockedNote();
    ASSERT_GE(view, 0);
    views.ViewDefs[size_t(view)].DockViewOnShow = false;
    ASSERT_TRUE(Show(view, 1));
    ASSERT_TRUE(windows->ShowNoteWindow(view));
    TNoteBaseForm* note = Note(view);
    const QString first = note->Note->toPlainText();
    TViewDef& v = views.ViewDefs[size_t(view)];
    v.DataTable->First();
    v.DataTable->MoveBy(3);
    v.CurrentNodeID = v.DataTable->FieldByName("NodeID")->AsInteger();
    const QString expected = richtext::RtfToPlainLines(StoredNote(view).toUtf8()).join('\n');
    ASSERT_NE(expected, first);
    tables->BroadcastNodeChanged(view, 1);
    EXPECT_TRUE(WaitFor([&] { return note->Note->toPlainText() == expected; }));
    EXPECT_FALSE(v.NoteModified);
    EXPECT_FALSE(FindControl<QToolBar>(note, "ToolBar")->isVisible());
}

}  // namespace
