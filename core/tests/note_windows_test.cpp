// The tree-notes window, the record-list window and the search-terms and cross-reference
// dialogs in the real main window on a copy of the sample database, with the View layer's
// tables installed: what each writes is read back from the View tables and word tables.

#include "core/gui/tree_note_form.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/confirm_dialogs.h"
#include "core/gui/explorer.h"
#include "core/gui/form_helpers.h"
#include "core/gui/main_form.h"
#include "core/gui/memo_dialogs.h"
#include "core/gui/view_form.h"
#include "core/gui/view_list_form.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"
#include "core/win_registry.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/richtext/plain_lines.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/settings/ini_document.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using testsupport::DialogAnswerer;

/// A column of the View record of a NodeID, read through a table of its own.
QString storedColumn(int view, int nodeID, const QString& column) {
    db::Table t;
    t.SetDatabaseName(Globals().CurrentFolder);
    t.SetTableName(core::ViewTableFile(ViewControl().GetViewTableName(view)));
    t.Open();
    if (!t.Locate("NodeID", {nodeID})) return QStringLiteral("<no record>");
    return t.FieldByName(column)->AsString();
}

/// True when the View's word table holds the word.
bool wordIndexed(int view, const QString& word) {
    TtsWordsTableLink words;
    words.SetTable(ViewControl().ViewDefs[size_t(view)].DictTable);
    words.Open();
    return words.Locate(word, 0);
}

QString normalised(QString text) {
    text.replace("\r\n", "\n");
    return text.trimmed();
}

class NoteWindows : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(PrepareMainWindow());
        searchData.setObjectName("SearchData");
        tables = std::make_unique<core::ViewTables>(ViewControl(), *data, searchData);
        tables->Install();
        InstallViewWindows(ViewControl(), *tables, form.get(), data);
        core::InstallExplorer(form.get());
        core::InstallTreeNotes(form.get(), *tables);
        core::InstallViewListWindows(form.get());
        core::InstallMemoDialogs(*tables, *data, form.get());
        ASSERT_NO_FATAL_FAILURE(OpenSample());
        ASSERT_TRUE(testsupport::WaitFor([&] { return explorer() && tree()->topLevelItemCount() > 0; }, 20000));
    }
    void TearDown() override {
        form->close();
        form.reset();
        ViewLayer() = TViewLayer{};
        core::ClearCommands();
        ViewControl().FreeAllViews = {};
        ViewControl().CreateViewComponents = {};
        ViewControl().ApplyFieldRestructure = {};
        tables.reset();
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    TExplorer* explorer() const { return core::Explorer(); }
    QTreeWidget* tree() const { return explorer()->TreeView; }

    /// Selects in the explorer a branch of the View whose record has a note (or, with
    /// withNote false, any branch of the View); answers its NodeID.
    int selectBranchOf(int view, bool withNote) {
        TtsTable& h = *data->Hierarchy;
        db::Table t;
        t.SetDatabaseName(Globals().CurrentFolder);
        t.SetTableName(core::ViewTableFile(ViewControl().GetViewTableName(view)));
        t.Open();
        for (t.First(); !t.Eof(); t.Next()) {
            const int id = t.FieldByName("NodeID")->AsInteger();
            if (withNote && t.FieldByName("Note")->AsString().trimmed().isEmpty()) continue;
            if (!h.FindKey({id})) continue;
            QTreeWidgetItem* item = explorer()->FindNodeByID(id);
            if (!item) continue;
            tree()->setCurrentItem(item);
            return id;
        }
        return 0;
    }

    QObject searchData;
    std::unique_ptr<core::ViewTables> tables;
};

TEST_F(NoteWindows, tree_notes_follow_the_selection_and_save_or_cancel_the_changed_note) {
    DialogAnswerer answers;
    form->A_ViewNotes->trigger();
    TTreeNoteForm* notes = core::TreeNotes();
    ASSERT_NE(notes, nullptr);
    // No layout stored yet (the default "50,50,100,100" is no usable size): a floating window
    // of the usual size.
    EXPECT_FALSE(notes->Docked());
    EXPECT_EQ(notes->size(), QSize(320, 240));
    EXPECT_TRUE(notes->ToolBar->isHidden());

    // The tree notes edit only a View whose own note window is closed: the sample shows the
    // notes of some Views at start-up.
    int view = 0;
    while (view < ViewControl().GetViewCount() && ViewControl().IsNoteWindowOpen(view)) ++view;
    ASSERT_LT(view, ViewControl().GetViewCount());
    const int first = selectBranchOf(view, true);
    ASSERT_GT(first, 0);
    const QString stored = storedColumn(view, first, "Note");
    EXPECT_EQ(notes->windowTitle(), ViewControl().GetViewName(view) + " Notes");
    EXPECT_EQ(normalised(notes->Note->toPlainText()), normalised(stored));
    EXPECT_FALSE(notes->Note->isReadOnly());

    // Typing shows the toolbar and marks the View's note changed; another branch is then
    // refused with the save-or-cancel message.
    notes->Note->moveCursor(QTextCursor::Start);
    QTest::keyClicks(notes->Note, "Quillwort ");
    ASSERT_TRUE(testsupport::WaitFor([&] { return !notes->ToolBar->isHidden(); }));
    EXPECT_TRUE(ViewControl().GetNoteModified(view));
    QTreeWidgetItem* before = tree()->currentItem();
    answers.ExpectMessage("You must save or cancel your changes before you can continue.", ui::Button::Ok,
                          ui::MessageKind::Error);
    QTreeWidgetItem* other = tree()->topLevelItem(0);
    other->setExpanded(true);
    if (other == before) other = other->child(0);
    tree()->setCurrentItem(other);
    ASSERT_TRUE(testsupport::WaitFor([&] { return answers.Pending() == 0; }));
    EXPECT_EQ(tree()->currentItem(), before);
    // Closing is refused the same way.
    answers.ExpectMessage("You must save or cancel your changes", ui::Button::Ok, ui::MessageKind::Error);
    notes->close();
    EXPECT_EQ(core::TreeNotes(), notes);

    // Cancel restores the stored note and writes nothing.
    QTest::mouseClick(notes->CancelBtn, Qt::LeftButton);
    EXPECT_TRUE(notes->ToolBar->isHidden());
    EXPECT_FALSE(ViewControl().GetNoteModified(view));
    EXPECT_EQ(normalised(notes->Note->toPlainText()), normalised(stored));
    EXPECT_EQ(storedColumn(view, first, "Note"), stored);

    // Save writes the note as rich text, indexed by its words.
    notes->Note->moveCursor(QTextCursor::Start);
    QTest::keyClicks(notes->Note, "Quillwort ");
    ASSERT_TRUE(testsupport::WaitFor([&] { return !notes->ToolBar->isHidden(); }));
    QTest::mouseClick(notes->SaveBtn, Qt::LeftButton);
    EXPECT_TRUE(notes->ToolBar->isHidden());
    EXPECT_FALSE(ViewControl().GetNoteModified(view));
    const QString saved = storedColumn(view, first, "Note");
    EXPECT_TRUE(richtext::LooksLikeRtf(saved.toUtf8()));
    EXPECT_EQ(normalised(richtext::RtfToPlainLines(saved.toUtf8()).join("\n")), normalised("Quillwort " + stored));
    EXPECT_TRUE(wordIndexed(view, "QUILLWORT"));
    EXPECT_EQ(normalised(notes->Note->toPlainText()), normalised("Quillwort " + stored));

    // Another branch shows its own note; no branch empties the window.
    tree()->setCurrentItem(other);
    const int otherView = other->data(0, TExplorer::kNodeTypeRole).toInt();
    EXPECT_EQ(notes->ShownView(), otherView);
    EXPECT_EQ(notes->windowTitle(), ViewControl().GetViewName(otherView) + " Notes");
    EXPECT_EQ(normalised(notes->Note->toPlainText()),
              normalised(storedColumn(otherView, other->data(0, TExplorer::kNodeIDRole).toInt(), "Note")));
    // While the View has a note window of its own, that window owns the note: the tree
    // notes show it read-only.
    QObject ownNoteWindow;
    ViewControl().ViewDefs[size_t(otherView)].NoteWindow = &ownNoteWindow;
    tree()->setCurrentItem(before);
    tree()->setCurrentItem(other);
    EXPECT_TRUE(notes->Note->isReadOnly());
    ViewControl().ViewDefs[size_t(otherView)].NoteWindow = nullptr;
    tree()->setCurrentItem(before);
    EXPECT_FALSE(notes->Note->isReadOnly());

    notes->ShowBranchNotes(-1);
    EXPECT_EQ(notes->windowTitle(), "Notes");
    EXPECT_TRUE(notes->Note->toPlainText().isEmpty());
    EXPECT_TRUE(notes->Note->isReadOnly());
}

TEST_F(NoteWindows, tree_notes_keep_their_place_floating_and_docked) {
    form->A_ViewNotes->trigger();
    TTreeNoteForm* notes = core::TreeNotes();
    ASSERT_NE(notes, nullptr);
    notes->setGeometry(120, 80, 300, 200);
    notes->close();
    ASSERT_TRUE(testsupport::WaitFor([&] { return core::TreeNotes() == nullptr; }));
    EXPECT_FALSE(core::ReadRegBool("Forms", "TreeNoteForm", "Layout", "Docked", true));
    EXPECT_EQ(core::ReadRegString("Forms", "TreeNoteForm", "Layout", "Position", {}), "80,120,280,420");

    form->A_ViewNotes->trigger();
    notes = core::TreeNotes();
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->geometry(), QRect(120, 80, 300, 200));
    selectBranchOf(0, true);
    notes->A_Dock->trigger();
    EXPECT_TRUE(notes->Docked());
    EXPECT_TRUE(form->LeftDockPanel->isAncestorOf(notes));
    EXPECT_EQ(notes->A_Dock->text(), "&Undock general notes");
    EXPECT_FALSE(ViewControl().GetNoteModified(0));  // docking by program is no change
    EXPECT_TRUE(notes->ToolBar->isHidden());
    QApplication::processEvents();
    grab(form.get(), "explorer_with_tree_notes_docked");
    notes->close();
    ASSERT_TRUE(testsupport::WaitFor([&] { return core::TreeNotes() == nullptr; }));
    EXPECT_TRUE(core::ReadRegBool("Forms", "TreeNoteForm", "Layout", "Docked", false));
    EXPECT_EQ(core::ReadRegString("Forms", "TreeNoteForm", "Layout", "Position", {}), "80,120,280,420");

    // Opened again it docks where it was.
    form->A_ViewNotes->trigger();
    ASSERT_NE(core::TreeNotes(), nullptr);
    EXPECT_TRUE(core::TreeNotes()->Docked());
}

// A stored position too small for a usable window (none stored yet, or a damaged one) opens
// the floating tree notes at the usual size instead, centred; a usable one is kept.
TEST_F(NoteWindows, tree_notes_open_at_a_usable_size_whatever_position_was_stored) {
    struct Case {
        const char* stored;  ///< top,left,bottom,right; null: nothing stored
        QRect expected;      ///< empty: the usual size, centred
    };
    const Case cases[] = {{nullptr, {}},
                          {"50,50,100,100", {}},
                          {"10,10,20,400", {}},
                          {"0,0,0,0", {}},
                          {"80,120,280,420", QRect(120, 80, 300, 200)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(nothing stored)");
        if (c.stored) core::WriteRegString("Forms", "TreeNoteForm", "Layout", "Position", c.stored);
        form->A_ViewNotes->trigger();
        TTreeNoteForm* notes = core::TreeNotes();
        ASSERT_NE(notes, nullptr);
        ASSERT_FALSE(notes->Docked());
        if (c.expected.isEmpty()) {
            EXPECT_EQ(notes->size(), QSize(320, 240));
            EXPECT_TRUE(core::IsOnScreen(notes));
        } else {
            EXPECT_EQ(notes->geometry(), c.expected);
        }
        if (!c.stored) grab(notes, "tree_notes_first_opened");
        // closing stores the position shown, so the case's own text is written before each
        notes->close();
        ASSERT_TRUE(testsupport::WaitFor([&] { return core::TreeNotes() == nullptr; }));
    }
}

TEST_F(NoteWindows, the_record_list_shows_every_record_of_the_view_with_its_branch_title) {
    const int view = 1;
    selectBranchOf(view, false);
    form->A_ViewList->trigger();
    auto* list = form->findChild<TViewListBaseForm*>("ViewListBaseForm");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->windowTitle(), ViewControl().GetViewName(view) + " List");
    // The expected rows: each record of the View with a branch, by title.
    std::multimap<QString, int> expected;
    {
        db::Table t, h;
        t.SetDatabaseName(Globals().CurrentFolder);
        t.SetTableName(core::ViewTableFile(ViewControl().GetViewTableName(view)));
        t.Open();
        h.SetDatabaseName(Globals().CurrentFolder);
        h.SetTableName("Hierarchy.DB");
        h.Open();
        for (t.First(); !t.Eof(); t.Next())
            if (h.Locate("NodeID", {t.FieldByName("NodeID")->AsInteger()}))
                expected.insert({h.FieldByName("NodeName")->AsString(), t.FieldByName("NodeID")->AsInteger()});
    }
    ASSERT_FALSE(expected.empty());
    QTreeWidget* rows = list->RecordList;
    ASSERT_EQ(rows->topLevelItemCount(), int(expected.size()));
    std::multimap<QString, int> shown;
    for (int i = 0; i < rows->topLevelItemCount(); ++i) {
        shown.insert({rows->topLevelItem(i)->text(0), rows->topLevelItem(i)->data(0, Qt::UserRole).toInt()});
        if (i > 0) {
            EXPECT_LE(rows->topLevelItem(i - 1)->text(0).localeAwareCompare(rows->topLevelItem(i)->text(0)), 0);
        }
    }
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(list->A_DataSetFirst->isEnabled());
    grab(list, "record_list");
    // Refresh reads it again; closing the database closes it.
    list->A_Refresh->trigger();
    EXPECT_EQ(rows->topLevelItemCount(), int(expected.size()));
    QPointer<TViewListBaseForm> alive(list);
    form->CloseDatabase(true);
    EXPECT_TRUE(testsupport::WaitFor([&] { return alive.isNull(); }));
}

TEST_F(NoteWindows, search_terms_and_cross_references_are_stored_without_blank_lines) {
    struct Case {
        const char* column;
        const char* caption;
        void (*edit)(core::ViewTables&, TMainDataMod&, int, QWidget*);
        bool searchTerms;
        const char* viewCommand;  ///< the View window's command that opens the dialog
    };
    static const Case cases[] = {
        {"SearchTerms", " Search Terms", core::EditSearchTerms, true, "A_SearchTerms"},
        {"CrossReference", " Cross Reference", core::EditCrossReference, false, "A_CrossRef"},
    };
    const int view = 0;
    const int id = selectBranchOf(view, false);
    ASSERT_GT(id, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        DialogAnswerer answers;
        const QString before = storedColumn(view, id, c.column);
        // Cancel writes nothing.
        const auto fill = [&](QDialog& d, bool ok) {
            auto* dialog = static_cast<TMemoColumnDialog*>(&d);
            EXPECT_EQ(dialog->windowTitle(), ViewControl().GetViewName(view) + c.caption);
            EXPECT_EQ(dialog->Memo->toPlainText(), before);
            dialog->Memo->setPlainText("Marram grass\n\n   \nsea holly\n");
            if (c.searchTerms) grab(dialog, "search_terms");
            QTest::mouseClick(ok ? dialog->OKBtn : dialog->CancelBtn, Qt::LeftButton);
        };
        if (c.searchTerms) {
            answers.ExpectModal<TSearchTerm>([&](TSearchTerm& d) { fill(d, false); });
            answers.ExpectModal<TSearchTerm>([&](TSearchTerm& d) { fill(d, true); });
        } else {
            answers.ExpectModal<TCrossRef>([&](TCrossRef& d) { fill(d, false); });
            answers.ExpectModal<TCrossRef>([&](TCrossRef& d) { fill(d, true); });
        }
        c.edit(*tables, *data, view, form.get());
        EXPECT_EQ(storedColumn(view, id, c.column), before);
        // OK through the View window's own command.
        auto* viewWindow = qobject_cast<QWidget*>(ViewControl().GetViewWindow(view));
        ASSERT_NE(viewWindow, nullptr);
        ASSERT_TRUE(testsupport::TriggerAction(viewWindow, c.viewCommand));
        EXPECT_EQ(storedColumn(view, id, c.column), "Marram grass\r\nsea holly");
        EXPECT_TRUE(wordIndexed(view, "MARRAM"));
    }
}

}  // namespace
