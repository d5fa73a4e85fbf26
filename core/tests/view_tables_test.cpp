#include "core/view_tables.h"

#include "core/internal/format_bridge.h"
#include "core/tests/sample_database.h"

#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/base/day_time.h"
#include "platform/db/fault_injection.h"
#include "platform/ui/window_message.h"
#include "testsupport/dialog_answerer.h"

#include <QCoreApplication>

#include <algorithm>
#include <climits>
#include <functional>

namespace {

/// A View window as the View layer sees it: records the messages it receives and what the
/// layer asked of it.
class FakeViewWindow : public QObject, public core::ViewWindowLink {
public:
    void SetLoadingFields(bool loading) override { loadingCalls << loading; }
    void SetTitleStripText(const QString& text) override { title = text; }
    void CancelEdits() override { ++cancels; }
    void CloseWindow() override { closed = true; }
    bool event(QEvent* e) override {
        if (ui::WindowMessage* m = ui::AsWindowMessage(e)) {
            messages << QStringLiteral("%1,%2,%3").arg(m->Msg - ui::kWmUser).arg(m->WParam).arg(m->LParam);
            return true;
        }
        return QObject::event(e);
    }
    bool closed = false;
    QList<bool> loadingCalls;
    QString title;
    int cancels = 0;
    QStringList messages;
};

class FakeNoteWindow : public QObject, public core::NoteWindowLink {
public:
    QString NoteLines() const override { return text; }
    void SetNoteLines(const QString& t) override { text = t; }
    void ReloadNote() override { ++reloads; }
    void CancelEdits() override { ++cancels; }
    void CloseWindow() override { closed = true; }
    bool event(QEvent* e) override {
        if (ui::WindowMessage* m = ui::AsWindowMessage(e)) {
            messages << QStringLiteral("%1,%2,%3").arg(m->Msg - ui::kWmUser).arg(m->WParam).arg(m->LParam);
            return true;
        }
        return QObject::event(e);
    }
    QString text;
    bool closed = false;
    int reloads = 0;
    int cancels = 0;
    QStringList messages;
};

class ViewTablesTest : public coretest::SampleDatabase {
protected:
    /// Gives every field of the View a control (a plain object with the property the View
    /// window's edit or check box has), as a View window would.
    FakeViewWindow* OpenWindow(int view) {
        auto* window = new FakeViewWindow;
        windows.emplace_back(window);
        TViewDef& v = views.ViewDefs[size_t(view)];
        v.ViewWindow = window;
        for (TViewFieldDef& f : v.FieldDefs) {
            auto* control = new QObject(window);
            if (f.FieldType == u'B')
                f.CheckBoxControl = control;
            else
                f.EditControl = control;
        }
        return window;
    }
    QObject* Control(int view, const QString& field) {
        for (TViewFieldDef& f : views.ViewDefs[size_t(view)].FieldDefs)
            if (f.FieldName == field) return f.FieldType == u'B' ? f.CheckBoxControl.data() : f.EditControl.data();
        ADD_FAILURE() << field.toStdString();
        return nullptr;
    }
    /// A NodeID whose record is in the View's table.
    int SomeNode(int view, int skip = 0) {
        db::Table& t = *views.ViewDefs[size_t(view)].DataTable;
        t.First();
        t.MoveBy(skip);
        return t.FieldByName("NodeID")->AsInteger();
    }
    QVariant Stored(int view, int node, const QString& field) {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(core::ViewTableFile(views.ViewDefs[size_t(view)].DataTableName));
        t.Open();
        if (!t.FindKey({node})) return QStringLiteral("<missing>");
        return t.FieldByName(field)->Value();
    }
    int ViewWithType(QChar type) {
        for (int i = 0; i < views.GetViewCount(); ++i)
            for (const TViewFieldDef& f : views.ViewDefs[size_t(i)].FieldDefs)
                if (f.FieldType == type) return i;
        return -1;
    }
    QString FieldWithType(int view, QChar type) {
        for (const TViewFieldDef& f : views.ViewDefs[size_t(view)].FieldDefs)
            if (f.FieldType == type) return f.FieldName;
        return {};
    }
    /// The number of file writes an operation takes.
    static int WritesOf(const std::function<void()>& operation) {
        constexpr int kMany = 1 << 30;
        db::testing::FailNthWrite(kMany);
        operation();
        const int writes = kMany - db::testing::WritesUntilFailure();
        db::testing::FailNthWrite(0);
        return writes;
    }
    /// Where to fail an operation of about `writes` writes: its first writes, the middle and
    /// the last ones (the commit of each file), then nowhere (0).
    static std::vector<int> FailurePoints(int writes) {
        std::vector<int> points{1, 2, writes / 3, writes / 2};
        for (int n = std::max(3, writes - 10); n <= writes + 2; ++n) points.push_back(n);
        std::sort(points.begin(), points.end());
        points.erase(std::unique(points.begin(), points.end()), points.end());
        points.push_back(0);
        return points;
    }
    void TearDown() override {
        db::testing::FailNthWrite(0);
        coretest::SampleDatabase::TearDown();
        windows.clear();
    }
    std::vector<std::unique_ptr<QObject>> windows;
};

TEST_F(ViewTablesTest, every_view_gets_its_eight_components_named_and_tagged) {
    ASSERT_GE(views.GetViewCount(), 2);
    for (int i = 0; i < views.GetViewCount(); ++i) {
        SCOPED_TRACE(i);
        const TViewDef& v = views.ViewDefs[size_t(i)];
        const QString nn = core::ViewKeyNumber(i);
        ASSERT_TRUE(v.DataTable && v.DictTable && v.SearchCache && v.TextLink && v.WordsLink && v.Searcher &&
                    v.UpdateCache && v.Updater);
        EXPECT_EQ(v.DataTable->objectName(), v.DataTableName);
        EXPECT_EQ(v.DataTable->parent(), module.get());
        EXPECT_EQ(v.DataTable->Tag(), i);
        EXPECT_EQ(v.DataTable->IndexFieldNames(), "NodeID");
        EXPECT_EQ(v.DataTable->Updater(), v.Updater.data());
        EXPECT_EQ(v.DictTable->objectName(), v.DataTableName + "Dict");
        EXPECT_EQ(v.DictTable->Tag(), i);
        EXPECT_EQ(v.Updater->objectName(), "tsUpdater" + nn);
        EXPECT_EQ(v.Updater->parent(), module.get());
        EXPECT_EQ(v.SearchCache->objectName(), "tsCacheS" + nn);
        EXPECT_EQ(v.UpdateCache->objectName(), "tsCacheU" + nn);
        EXPECT_EQ(v.TextLink->objectName(), "tsTextTableLink" + nn);
        EXPECT_EQ(v.WordsLink->objectName(), "tsWordsTableLink" + nn);
        EXPECT_EQ(v.Searcher->objectName(), "tsSearcher" + nn);
        for (QObject* o : {static_cast<QObject*>(v.SearchCache.data()), static_cast<QObject*>(v.Searcher.data())}) {
            EXPECT_EQ(o->parent(), searchData.get());
            EXPECT_EQ(o->property("Tag").toInt(), i);
        }
        EXPECT_TRUE(v.DataTable->Active());
        EXPECT_TRUE(v.DictOpen);
        EXPECT_FALSE(tables->OpenViewTable(i)) << "already open";
    }
    EXPECT_FALSE(tables->OpenViewTable(-1));
    EXPECT_TRUE(tables->FreeAllViews());
    EXPECT_EQ(views.GetViewCount(), 0);
    EXPECT_TRUE(searchData->children().isEmpty());
}

TEST_F(ViewTablesTest, a_data_table_name_that_is_no_table_name_is_refused) {
    static const struct {
        const char* name;
        bool accepted;
    } cases[] = {
        {"Sources", true}, {"My_Table2", true}, {"../Registry", false}, {"sub/Table", false},
        {"a\\b", false},   {"..", false},       {"Table.DB", false},    {"", false},
        {"Registry", false}, {"hierarchydict", false}, {"two words", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(core::ViewTables::CheckDataTableName(QString::fromUtf8(c.name)).isEmpty(), c.accepted);
    }
    // A damaged settings row naming a file outside the folder gives no components at all.
    const int view = views.AddViewDef();
    views.ViewDefs[size_t(view)].ViewName = QStringLiteral("Damaged");
    views.ViewDefs[size_t(view)].DataTableName = QStringLiteral("../Registry");
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(QStringLiteral("The View \"Damaged\" cannot be opened\\. .*holds a path"), ui::Button::Ok);
    tables->CreateViewComponents(view);
    EXPECT_FALSE(views.ViewDefs[size_t(view)].DataTable);
    EXPECT_FALSE(tables->OpenViewTable(view));
    EXPECT_EQ(module->findChild<QObject*>(QStringLiteral("../Registry")), nullptr);
}

TEST_F(ViewTablesTest, fields_show_and_save_with_their_conversions_and_the_word_table_stays_current) {
    const int view = ViewWithType(u'D');
    ASSERT_GE(view, 0);
    FakeViewWindow* window = OpenWindow(view);
    const int node = SomeNode(view, 3);
    views.ViewDefs[size_t(view)].CurrentNodeID = node;
    ASSERT_TRUE(tables->FillViewFields(view, false));
    EXPECT_EQ(window->loadingCalls, (QList<bool>{true, false}));
    EXPECT_FALSE(views.GetRecordModified(view));

    const QString s = FieldWithType(view, u'S'), n = FieldWithType(view, u'N'), f = FieldWithType(view, u'F'),
                  d = FieldWithType(view, u'D'), b = FieldWithType(view, u'B');
    EXPECT_EQ(Control(view, s)->property("text").toString(), Stored(view, node, s).toString());
    EXPECT_EQ(Control(view, n)->property("text").toString(), QString::number(Stored(view, node, n).toInt()));

    Control(view, s)->setProperty("text", QStringLiteral("zebrafish quokka"));
    Control(view, n)->setProperty("text", QStringLiteral(" -2147483648 "));
    Control(view, f)->setProperty("text", QStringLiteral("12.5"));
    Control(view, d)->setProperty("text", core::FormatShortDate(QDate(2021, 3, 4)));
    Control(view, b)->setProperty("checked", true);
    views.SetRecordModified(view, true);
    ASSERT_TRUE(tables->SaveViewRecord(view, false));
    EXPECT_FALSE(views.GetRecordModified(view));
    EXPECT_EQ(Stored(view, node, s).toString(), "zebrafish quokka");
    EXPECT_EQ(Stored(view, node, n).toInt(), INT_MIN);
    EXPECT_DOUBLE_EQ(Stored(view, node, f).toDouble(), 12.5);
    EXPECT_EQ(Stored(view, node, d).toDate(), QDate(2021, 3, 4)) << Stored(view, node, d).toString().toStdString();
    EXPECT_TRUE(Stored(view, node, b).toBool());
    ExpectIndexCurrent(view);

    // A blank date (only separators) clears the column, and a null date shows empty.
    Control(view, d)->setProperty("text", QStringLiteral("  %1  %1    ").arg(core::DateSeparator()));
    ASSERT_TRUE(tables->SaveViewRecord(view, false));
    EXPECT_TRUE(Stored(view, node, d).isNull());
    Control(view, d)->setProperty("text", QStringLiteral("junk"));
    ASSERT_TRUE(tables->FillViewFields(view, false));
    EXPECT_EQ(Control(view, d)->property("text").toString(), "");
    EXPECT_EQ(Control(view, s)->property("text").toString(), "zebrafish quokka");
    ExpectIndexCurrent(view);
}

TEST_F(ViewTablesTest, a_number_field_refuses_what_is_not_an_integer_in_range) {
    const int view = ViewWithType(u'N');
    OpenWindow(view);
    const int node = SomeNode(view);
    views.ViewDefs[size_t(view)].CurrentNodeID = node;
    ASSERT_TRUE(tables->FillViewFields(view, false));
    const QString n = FieldWithType(view, u'N');
    const QString s = FieldWithType(view, u'S');
    const QVariant before = Stored(view, node, n);
    const QVariant textBefore = Stored(view, node, s);
    static const struct {
        const char* text;
        bool accepted;
        qint64 stored;
    } cases[] = {
        {"abc", false, 0},          {"12abc", false, 0},       {"1.5", false, 0},
        {"2147483648", false, 0},   {"-2147483649", false, 0}, {"99999999999999999999", false, 0},
        {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN}, {"+42", true, 42},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Control(view, n)->setProperty("text", QString::fromUtf8(c.text));
        Control(view, s)->setProperty("text", QStringLiteral("changed with the number"));
        views.SetRecordModified(view, true);
        testsupport::DialogAnswerer answers;
        if (!c.accepted) answers.ExpectMessage(QStringLiteral("whole number"), ui::Button::Ok, ui::MessageKind::Error);
        EXPECT_EQ(tables->SaveViewRecord(view, false), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(Stored(view, node, n).toLongLong(), c.stored);
        } else {
            EXPECT_EQ(Stored(view, node, n), before) << "nothing written";
            EXPECT_EQ(Stored(view, node, s), textBefore) << "nothing written";
            EXPECT_TRUE(views.GetRecordModified(view)) << "the edit stays";
            EXPECT_EQ(Control(view, n)->property("text").toString(), QString::fromUtf8(c.text));
        }
    }
}

TEST_F(ViewTablesTest, a_save_that_fails_keeps_the_edit_and_says_why_and_writes_nothing) {
    const int view = ViewWithType(u'S');
    OpenWindow(view);
    auto* note = new FakeNoteWindow;
    windows.emplace_back(note);
    views.ViewDefs[size_t(view)].NoteWindow = note;
    const int node = SomeNode(view, 1);
    views.ViewDefs[size_t(view)].CurrentNodeID = node;
    ASSERT_TRUE(tables->FillViewFields(view, false));
    const QString s = FieldWithType(view, u'S');
    const QVariant before = Stored(view, node, s);
    const QVariant noteBefore = Stored(view, node, QStringLiteral("Note"));
    const int writes = WritesOf([&] {
        coretest::RecordMessages quiet;
        views.ViewDefs[size_t(view)].CurrentNodeID = SomeNode(view, 5);
        Control(view, s)->setProperty("text", QStringLiteral("platypus wombat echidna"));
        note->text = QStringLiteral("a note about numbats");
        ASSERT_TRUE(tables->SaveViewRecord(view, true));
        views.ViewDefs[size_t(view)].CurrentNodeID = node;
    });
    bool saved = false;
    for (int n : FailurePoints(writes)) {
        if (saved) break;
        SCOPED_TRACE(n);
        Control(view, s)->setProperty("text", QStringLiteral("platypus wombat echidna"));
        note->text = QStringLiteral("a note about numbats");
        views.SetRecordModified(view, true);
        views.SetNoteModified(view, true);
        coretest::RecordMessages answers;
        db::testing::FailNthWrite(n);
        saved = tables->SaveViewRecord(view, true);
        const bool fired = n > 0 && db::testing::WritesUntilFailure() == 0;
        db::testing::FailNthWrite(0);
        if (!saved) {
            ASSERT_TRUE(fired);
            ASSERT_EQ(answers.Prompts().size(), 1);
            EXPECT_TRUE(answers.Prompts()[0].contains("Unable to save changes to field data.")) << answers.Prompts()[0].toStdString();
            EXPECT_TRUE(views.GetRecordModified(view));
            EXPECT_TRUE(views.GetNoteModified(view));
            EXPECT_EQ(Control(view, s)->property("text").toString(), "platypus wombat echidna");
            EXPECT_EQ(Stored(view, node, s), before);
            EXPECT_EQ(Stored(view, node, QStringLiteral("Note")), noteBefore);
            EXPECT_EQ(views.ViewDefs[size_t(view)].DataTable->State(), db::DataSetState::dsBrowse);
        } else {
            EXPECT_TRUE(answers.Prompts().isEmpty());
            EXPECT_FALSE(views.GetRecordModified(view));
            EXPECT_EQ(Stored(view, node, s).toString(), "platypus wombat echidna");
        }
        ExpectIndexCurrent(view);
    }
    EXPECT_TRUE(saved);

    // The same for a note saved on its own.
    const int noteWrites = WritesOf([&] {
        coretest::RecordMessages quiet;
        views.ViewDefs[size_t(view)].CurrentNodeID = SomeNode(view, 5);
        ASSERT_TRUE(tables->SaveViewNote(view, QStringLiteral("bilby bandicoot")));
        views.ViewDefs[size_t(view)].CurrentNodeID = node;
    });
    saved = false;
    for (int n : FailurePoints(noteWrites)) {
        if (saved) break;
        SCOPED_TRACE(n);
        views.SetNoteModified(view, true);
        coretest::RecordMessages answers;
        db::testing::FailNthWrite(n);
        saved = tables->SaveViewNote(view, QStringLiteral("bilby bandicoot"));
        db::testing::FailNthWrite(0);
        if (!saved) {
            ASSERT_EQ(answers.Prompts().size(), 1);
            EXPECT_TRUE(answers.Prompts()[0].contains("Unable to save notes."));
            EXPECT_TRUE(views.GetNoteModified(view));
            EXPECT_EQ(Stored(view, node, QStringLiteral("Note")).toString(), "a note about numbats");
        }
        ExpectIndexCurrent(view);
    }
    EXPECT_TRUE(saved);
    EXPECT_FALSE(views.GetNoteModified(view));
    QString loaded;
    ASSERT_TRUE(tables->LoadViewNote(view, loaded));
    EXPECT_EQ(loaded, "bilby bandicoot");
}

TEST_F(ViewTablesTest, a_branch_and_its_record_are_added_together_or_not_at_all) {
    const int view = ViewWithType(u'S');
    const int source = SomeNode(view, 2);
    const int writes = WritesOf([&] {
        coretest::RecordMessages quiet;
        ASSERT_GT(tables->AddBranchWithRecord(0, QStringLiteral("Copied kookaburra"), view, source), 0);
    });
    const int hierarchyRows = int(RowsOf(folder, core::kHierarchyTable).size());
    const int recordRows = views.ViewDefs[size_t(view)].DataTable->RecordCount();
    int id = 0;
    for (int n : FailurePoints(writes)) {
        if (id != 0) break;
        SCOPED_TRACE(n);
        coretest::RecordMessages answers;
        db::testing::FailNthWrite(n);
        id = tables->AddBranchWithRecord(0, QStringLiteral("Copied kookaburra"), view, source);
        db::testing::FailNthWrite(0);
        const int hierarchyNow = int(RowsOf(folder, core::kHierarchyTable).size());
        const int recordsNow = int(RowsOf(folder, core::ViewTableFile(views.ViewDefs[size_t(view)].DataTableName)).size());
        if (id == 0) {
            EXPECT_EQ(answers.Prompts().size(), 1);
            ASSERT_EQ(hierarchyNow, hierarchyRows) << "no orphan branch";
            ASSERT_EQ(recordsNow, recordRows);
        } else {
            EXPECT_EQ(hierarchyNow, hierarchyRows + 1);
            EXPECT_EQ(recordsNow, recordRows + 1);
        }
        ExpectSameRows(RowsOf(folder, core::kHierarchyDictTable), [&] {
            const QString scratch = FilePath(QStringLiteral("h%1").arg(n));
            QDir().mkpath(scratch);
            db::CopyTableFile(folder, core::kHierarchyTable, scratch, core::kHierarchyTable);
            core::BuildWordIndex(scratch, core::kHierarchyTable, core::kHierarchyDictTable, {QStringLiteral("NodeName")});
            return RowsOf(scratch, core::kHierarchyDictTable);
        }(), QStringLiteral("HierarchyDict"));
        ExpectIndexCurrent(view);
    }
    ASSERT_GE(id, 1000);
    const QString s = FieldWithType(view, u'S');
    EXPECT_EQ(Stored(view, id, s), Stored(view, source, s));
}

TEST_F(ViewTablesTest, copying_a_record_whose_source_is_missing_appends_nothing) {
    const int view = 0;
    const int rows = views.ViewDefs[0].DataTable->RecordCount();
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(QStringLiteral("^Unable to find the data record for the tree branch\\.$"), ui::Button::Ok);
    EXPECT_FALSE(tables->CopyViewRecord(view, 999999, 123456789));
    EXPECT_EQ(views.ViewDefs[0].DataTable->RecordCount(), rows);
    EXPECT_FALSE(module->SrcTable->Active());
    const int source = SomeNode(view);
    EXPECT_TRUE(tables->CopyViewRecord(view, 999999, source));
    EXPECT_NE(Stored(view, 999999, QStringLiteral("TimeSTamp")), Stored(view, source, QStringLiteral("TimeSTamp")));
    EXPECT_FALSE(module->SrcTable->Active());
    ExpectIndexCurrent(view);
}

TEST_F(ViewTablesTest, broadcasts_are_posted_and_the_unsaved_changes_test_finds_the_first_view) {
    FakeViewWindow* w0 = OpenWindow(0);
    FakeViewWindow* w1 = OpenWindow(1);
    tables->BroadcastNodeChanged(1, 1);
    EXPECT_TRUE(w0->messages.isEmpty()) << "posted, not sent";
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(w0->messages, QStringList{"101,1,1"});
    EXPECT_EQ(w1->messages, QStringList{"101,1,1"});
    w0->messages.clear();
    w1->messages.clear();

    EXPECT_EQ(tables->FindUnsavedChanges(false), -1);
    views.SetRecordModified(1, true);
    views.SetRecordModified(0, true);
    EXPECT_EQ(tables->FindUnsavedChanges(true), 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(w0->messages.isEmpty()) << "a query posts nothing";
    EXPECT_EQ(tables->FindUnsavedChanges(false), 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(w0->messages, QStringList{"112,1,0"});
    EXPECT_TRUE(w1->messages.isEmpty());

    // A changed note comes first; a docked note is told through its View window.
    views.SetRecordModified(0, false);
    auto* note = new FakeNoteWindow;
    windows.emplace_back(note);
    views.ViewDefs[1].NoteWindow = note;
    views.ViewDefs[1].NoteIsDocked = true;
    views.SetNoteModified(1, true);
    w0->messages.clear();
    EXPECT_EQ(tables->FindUnsavedChanges(false), 1);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(w1->messages, QStringList{"112,1,1"});
    views.ViewDefs[1].NoteIsDocked = false;
    EXPECT_EQ(tables->FindUnsavedChanges(false), 1);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(note->messages, QStringList{"112,1,0"});

    tables->CancelViewEdits(1);
    EXPECT_EQ(w1->cancels, 1);
    EXPECT_EQ(note->cancels, 1);
}

}  // namespace

namespace {

TEST_F(ViewTablesTest, customize_mode_shows_samples_and_freeing_closes_the_windows) {
    const int view = ViewWithType(u'D');
    FakeViewWindow* window = OpenWindow(view);
    auto* note = new FakeNoteWindow;
    windows.emplace_back(note);
    views.ViewDefs[size_t(view)].NoteWindow = note;
    note->text = QStringLiteral("a note");
    ASSERT_TRUE(tables->ShowCustomizeSamples(view));
    for (const TViewFieldDef& f : views.ViewDefs[size_t(view)].FieldDefs) {
        SCOPED_TRACE(f.FieldName.toStdString());
        const int n = f.FieldLength;
        switch (f.FieldType.unicode()) {
        case u'S':
            EXPECT_EQ(f.EditControl->property("text").toString(), QString(n, u'X'));
            break;
        case u'N':
            EXPECT_EQ(f.EditControl->property("text").toString(), QString(n, u'9'));
            break;
        case u'F':
            EXPECT_EQ(f.EditControl->property("text").toString(), QString(n - 3, u'9') + ".99");
            break;
        case u'D':
            EXPECT_EQ(f.EditControl->property("text").toString(), core::FormatShortDate(QDate::currentDate()));
            break;
        case u'B':
            EXPECT_TRUE(f.CheckBoxControl->property("checked").toBool());
            break;
        }
    }
    EXPECT_EQ(window->title, "== Customizing View ==");
    EXPECT_EQ(note->text, "");
    EXPECT_EQ(note->messages, (QStringList{"115,1,0", "115,0,0"})) << "sent around the change, not posted";

    // Back to the record: the note reloads and nothing counts as changed.
    views.ViewDefs[size_t(view)].CurrentNodeID = SomeNode(view);
    views.SetNoteModified(view, true);
    views.SetRecordModified(view, true);
    ASSERT_TRUE(tables->FillViewFields(view, true));
    EXPECT_EQ(note->reloads, 1);
    EXPECT_FALSE(views.GetNoteModified(view));
    EXPECT_FALSE(views.GetRecordModified(view));

    EXPECT_TRUE(tables->FreeAllViews());
    EXPECT_TRUE(window->closed);
    EXPECT_TRUE(note->closed);
    EXPECT_TRUE(window->children().isEmpty()) << "the field controls are freed";
}

}  // namespace

namespace {

TEST_F(ViewTablesTest, a_saved_word_is_found_by_the_views_searcher_also_after_the_word_tables_reopened) {
    const int view = ViewWithType(u'S');
    OpenWindow(view);
    views.ViewDefs[size_t(view)].CurrentNodeID = SomeNode(view, 4);
    ASSERT_TRUE(tables->FillViewFields(view, false));
    Control(view, FieldWithType(view, u'S'))->setProperty("text", QStringLiteral("xylophonist"));
    ASSERT_TRUE(tables->SaveViewRecord(view, false));

    TtsSearch& searcher = *views.ViewDefs[size_t(view)].Searcher;
    tables->ReloadSearchIndexes();
    tables->ResetViewSearchers();
    searcher.SetSearchFor(QStringLiteral("xylophonist"));
    searcher.Execute();
    EXPECT_EQ(searcher.MatchCount(), 1);

    tables->CloseDictTables();
    EXPECT_FALSE(module->HierarchyDict->Active());
    for (const TViewDef& v : views.ViewDefs) {
        EXPECT_FALSE(v.DictTable->Active());
        EXPECT_FALSE(v.DictOpen);
    }
    tables->OpenDictTables();
    EXPECT_TRUE(module->HierarchyDict->Active());
    for (const TViewDef& v : views.ViewDefs) EXPECT_TRUE(v.DictOpen);
    tables->ReloadSearchIndexes();
    tables->ResetViewSearchers();
    searcher.SetSearchFor(QStringLiteral("xylophonist"));
    searcher.Execute();
    EXPECT_EQ(searcher.MatchCount(), 1);
}

}  // namespace
