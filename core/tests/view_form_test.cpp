#include "core/gui/view_form.h"

#include "core/globals.h"
#include "platform/base/day_time.h"
#include "core/gui/main_form.h"
#include "core/internal/format_bridge.h"
#include "core/win_registry.h"
#include "core/tests/sample_database.h"
#include "core/view_layer.h"
#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/fault_injection.h"
#include "platform/db/table_utils.h"
#include "platform/format/gui/masked_line_edit.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/loop_length.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QMenu>
#include <QTabWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QToolBar>

#include <climits>
#include <map>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;
using testsupport::FindControl;
using testsupport::WaitFor;

class ViewFormTest : public coretest::SampleDatabase {
protected:
    TViewBaseForm* OpenForm(int view, int skip = 2) {
        TViewDef& v = views.ViewDefs[size_t(view)];
        db::Table& t = *v.DataTable;
        t.First();
        t.MoveBy(skip);
        v.CurrentNodeID = t.FieldByName("NodeID")->AsInteger();
        form = new TViewBaseForm(view, views, *tables, nullptr, module.get());
        tables->FillViewFields(view, true);
        form->show();
        return form;
    }
    int ViewWithType(QChar type) {
        for (int i = 0; i < views.GetViewCount(); ++i)
            for (const TViewFieldDef& f : views.ViewDefs[size_t(i)].FieldDefs)
                if (f.FieldType == type && f.FieldIsVisible) return i;
        return -1;
    }
    int FieldWithType(int view, QChar type) {
        const auto& defs = views.ViewDefs[size_t(view)].FieldDefs;
        for (size_t i = 0; i < defs.size(); ++i)
            if (defs[i].FieldType == type && defs[i].FieldIsVisible) return int(i);
        return -1;
    }
    static QString Name(int field) { return QStringLiteral("FE_%1").arg(field, 2, 10, QLatin1Char('0')); }
    QVariant Stored(int view, const QString& column) {
        const TViewDef& v = views.ViewDefs[size_t(view)];
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(core::ViewTableFile(v.DataTableName));
        t.Open();
        if (!t.FindKey({v.CurrentNodeID})) return QStringLiteral("<missing>");
        return t.FieldByName(column)->Value();
    }
    /// Replaces the text of a field edit by typing, as the user does.
    void Retype(int field, const QString& text) {
        auto* edit = FindControl<QLineEdit>(form, Name(field));
        ASSERT_TRUE(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClicks(edit, text);
    }
    bool BarVisible() { return FindControl<QToolBar>(form, "SaveCancelToolBar")->isVisible(); }
    void TearDown() override {
        delete form.data();
        coretest::SampleDatabase::TearDown();
    }
    QPointer<TViewBaseForm> form;
};

TEST_F(ViewFormTest, the_window_shows_the_record_with_the_definitions_controls_labels_and_places) {
    for (int view = 0; view < views.GetViewCount(); ++view) {
        OpenForm(view);
        const TViewDef& v = views.ViewDefs[size_t(view)];
        EXPECT_EQ(form->windowTitle(), v.ViewName);
        EXPECT_EQ(v.ViewWindow.data(), form.data());
        for (size_t i = 0; i < v.FieldDefs.size(); ++i) {
            const TViewFieldDef& f = v.FieldDefs[i];
            const QString name = Name(int(i));
            if (!f.FieldIsVisible || !QString("SNFDB").contains(f.FieldType)) {
                EXPECT_FALSE(form->findChild<QWidget*>(name)) << name.toStdString();
                continue;
            }
            QWidget* control = f.FieldType == u'B' ? static_cast<QWidget*>(FindControl<QCheckBox>(form, name))
                                                   : FindControl<format::MaskedLineEdit>(form, name);
            ASSERT_TRUE(control) << name.toStdString();
            const core::ViewRect& p = f.FieldPosition;
            EXPECT_EQ(control->geometry(), QRect(p.Left, p.Top, p.Width, p.Height)) << name.toStdString();
            const QVariant stored = Stored(view, f.FieldName);
            switch (f.FieldType.unicode()) {
            case u'S':
                // A mask may convert the case of what it shows.
                EXPECT_EQ(form->GetFieldText(int(i)).compare(stored.toString().trimmed(),
                                                             f.FieldMask.isEmpty() ? Qt::CaseSensitive
                                                                                   : Qt::CaseInsensitive),
                          0);
                break;
            case u'N':
                EXPECT_EQ(form->GetFieldText(int(i)).remove(u' ').toInt(), stored.toInt());
                break;
            case u'B':
                EXPECT_EQ(static_cast<QCheckBox*>(control)->isChecked(), stored.toBool());
                EXPECT_EQ(static_cast<QCheckBox*>(control)->text(), f.LabelIsVisible ? f.LabelCaption : QString());
                break;
            case u'D':
                EXPECT_TRUE(static_cast<format::MaskedLineEdit*>(control)->IsMasked());
                if (!stored.isNull()) {
                    EXPECT_EQ(core::ParseShortDate(form->GetFieldText(int(i))), stored.toDate());
                }
                break;
            default:
                break;
            }
            if (f.FieldType != u'B' && f.LabelIsVisible) {
                auto* label = FindControl<QLabel>(form, QStringLiteral("FL_%1").arg(int(i), 2, 10, QLatin1Char('0')));
                ASSERT_TRUE(label);
                EXPECT_EQ(label->text(), f.LabelCaption);
            }
        }
        // Pictures at the screen's scale (run with QT_SCALE_FACTOR=2 for 200 %).
        testsupport::GrabToPng(form, QStringLiteral("view_window_%1_%2pc").arg(view).arg(qRound(form->devicePixelRatioF() * 100)));
        delete form.data();
    }
}

TEST_F(ViewFormTest, label_places_follow_the_relative_position_and_alignment) {
    const int view = ViewWithType(u'S');
    const int field = FieldWithType(view, u'S');
    OpenForm(view);
    TViewFieldDef& f = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)];
    f.FieldPosition = {50, 100, 20, 80};
    f.LabelUseBasic = true;
    const QFontMetrics m(form->findChild<QLabel*>(QStringLiteral("FL_%1").arg(field, 2, 10, QLatin1Char('0')))->font());
    const int w = m.horizontalAdvance(f.LabelCaption), h = m.height();
    struct Case { short relative, align; int top, left; };
    const Case cases[] = {{0, 0, 50 - h - 2, 100},          {0, 1, 50 - h - 2, 100 + 80 - w},
                          {0, 2, 50 - h - 2, 100 + (80 - w) / 2}, {1, 0, 50 + 20 + 2, 100},
                          {2, 0, 50 + (20 - h) / 2, 100 - w - 3}, {3, 0, 50 + (20 - h) / 2, 100 + 80 + 3}};
    for (const Case& c : cases) {
        f.LabelRelative = c.relative;
        f.LabelAlign = c.align;
        const core::ViewRect r = form->GetLabelBounds(field);
        EXPECT_EQ(r.Top, c.top) << c.relative << "/" << c.align;
        EXPECT_EQ(r.Left, c.left) << c.relative << "/" << c.align;
    }
    f.LabelUseBasic = false;
    f.LabelRelative = 4;
    f.LabelPosition = {7, 9, 11, 13};
    EXPECT_EQ(form->GetLabelBounds(field), (core::ViewRect{7, 9, 11, 13}));
}

TEST_F(ViewFormTest, enter_saves_numbers_in_range_and_refuses_others_with_the_message) {
    const int view = ViewWithType(u'N');
    ASSERT_GE(view, 0);
    const int field = FieldWithType(view, u'N');
    TViewFieldDef& def = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)];
    const QString column = def.FieldName;
    def.FieldMask.clear();  // room for every digit of the cases
    def.FieldLength = 13;
    OpenForm(view);
    struct Case { const char* typed; bool saves; int stored; };
    const Case cases[] = {{"2147483647", true, INT_MAX},   {"2147483648", false, 0}, {"-2147483647", true, -INT_MAX},
                          {"-2147483648", true, INT_MIN},  {"-2147483649", false, 0},  {"0000000000001", true, 1}, {"", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const QVariant before = Stored(view, column);
        DialogAnswerer answers;
        if (!c.saves) answers.ExpectMessage("^\"" + QString(c.typed) + "\" is too large to store in a Number field\\. \\n"
                                            "The largest positive or negative number allowed is 2147483647\\.$",
                                            ui::Button::Ok, ui::MessageKind::Error);
        Retype(field, c.typed);
        ASSERT_TRUE(BarVisible());
        QTest::keyClick(FindControl<QWidget>(form, Name(field)), Qt::Key_Return);
        ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
        QCoreApplication::processEvents();
        if (c.saves) {
            EXPECT_FALSE(BarVisible());
            EXPECT_FALSE(views.ViewDefs[size_t(view)].RecordModified);
            EXPECT_EQ(Stored(view, column).toInt(), c.stored);
        } else {
            EXPECT_TRUE(BarVisible());
            EXPECT_TRUE(views.ViewDefs[size_t(view)].RecordModified);
            EXPECT_EQ(Stored(view, column), before);
            form->CancelRecord();
        }
    }
    ExpectIndexCurrent(view);
}

TEST_F(ViewFormTest, a_typed_text_saves_with_its_word_table_and_escape_restores_the_stored_values) {
    const int view = ViewWithType(u'S');
    const int field = FieldWithType(view, u'S');
    const QString column = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)].FieldName;
    OpenForm(view);
    const QString original = Stored(view, column).toString();

    Retype(field, "wombat");
    EXPECT_TRUE(BarVisible());
    QTest::keyClick(FindControl<QWidget>(form, Name(field)), Qt::Key_Escape);
    EXPECT_FALSE(BarVisible());
    EXPECT_EQ(form->GetFieldText(field), original.trimmed());
    EXPECT_EQ(Stored(view, column).toString(), original);

    Retype(field, "platypus");
    ASSERT_TRUE(testsupport::Click(form, "SaveBtn"));
    EXPECT_FALSE(BarVisible());
    EXPECT_EQ(Stored(view, column).toString(), "platypus");
    ExpectIndexCurrent(view);
}

TEST_F(ViewFormTest, a_save_failing_at_any_write_keeps_the_old_record_or_the_new_one_with_its_word_table) {
    const int view = ViewWithType(u'S');
    const int field = FieldWithType(view, u'S');
    const TViewDef& v = views.ViewDefs[size_t(view)];
    const QString column = v.FieldDefs[size_t(field)].FieldName;
    const QString tableFile = core::ViewTableFile(v.DataTableName), dictFile = core::ViewDictTableFile(v.DataTableName);
    OpenForm(view);
    // Words of the sample's own catalogue, one new title for each try.
    const QStringList words = {"dictionary", "spelling", "hyphenation", "thesaurus", "typesetting", "collation"};
    bool saved = false;
    int tries = 0;
    for (int n = 1; !saved && n < 4000; n += std::max(1, n / testsupport::LoopLength(6, 1000)), ++tries) {
        SCOPED_TRACE(n);
        const QString before = Stored(view, column).toString();
        const QString typed = words[tries % words.size()] + QStringLiteral(" %1").arg(n);
        Retype(field, typed);
        coretest::RecordMessages messages;
        db::testing::FailNthWrite(n);
        try {
            saved = form->SaveRecord();
        } catch (const std::exception&) {
            saved = false;
        }
        db::testing::FailNthWrite(0);
        if (!saved) form->CancelRecord();
        const QString after = Stored(view, column).toString();
        EXPECT_TRUE(after == before || after == typed) << after.toStdString();
        EXPECT_EQ(saved, after == typed);
        for (const QString& file : {tableFile, dictFile}) {
            const db::VerifyResult r = db::VerifyTableFile(folder, file);
            EXPECT_EQ(r.Level, 0) << file.toStdString() << ": " << r.Problems.join("; ").toStdString();
        }
        // The word table holds the words of what is stored, unless it is marked for a rebuild.
        QStringList live = RowsOf(folder, dictFile);
        const bool pending = live.filter(TtsWordsTableLink::PendingWord()).size() > 0;
        if (!pending) ExpectSameRows(live, RebuiltWordRows(v.DataTableName), v.DataTableName);
        EXPECT_FALSE(BarVisible());
    }
    EXPECT_TRUE(saved);
    EXPECT_GT(tries, 3);
}

TEST_F(ViewFormTest, a_bad_date_is_reported_and_not_saved) {
    const int view = ViewWithType(u'D');
    const int field = FieldWithType(view, u'D');
    const QString column = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)].FieldName;
    OpenForm(view);
    const QVariant before = Stored(view, column);
    // Month and day 0 are no date in any order of the parts.
    const QString bad = core::ShortDateFormat().startsWith(u'y', Qt::CaseInsensitive) ? "20210000" : "00002021";
    DialogAnswerer answers;
    answers.ExpectMessage(" is not a valid date\\.$", ui::Button::Ok, ui::MessageKind::Error);
    auto* edit = FindControl<format::MaskedLineEdit>(form, Name(field));
    edit->setFocus();
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, bad);
    ASSERT_TRUE(BarVisible());
    EXPECT_FALSE(form->SaveRecord());
    ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
    EXPECT_EQ(Stored(view, column), before);
}

TEST_F(ViewFormTest, a_date_older_than_the_oldest_date_warns_refuses_or_passes_as_the_preference_says) {
    const int view = ViewWithType(u'D');
    const int field = FieldWithType(view, u'D');
    const int other = FieldWithType(view, u'S');
    const QString column = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)].FieldName;
    const TUserPrefs saved = UserPrefs();
    UserPrefs().OldestDate = base::DateToDays(QDate(2000, 1, 1));
    struct Case { const char* onOld; bool messageOnExit; bool messageOnSave; bool saves; };
    const Case cases[] = {{"Warn", true, false, true}, {"Error", true, true, false}, {"Ignore", false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.onOld);
        UserPrefs().OnOldDate = c.onOld;
        OpenForm(view);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        const QVariant before = Stored(view, column);
        DialogAnswerer answers;
        const ui::MessageKind kind = c.saves ? ui::MessageKind::Warning : ui::MessageKind::Error;
        const QString text = " is older than the oldest acceptable date \\(" +
                             QRegularExpression::escape(core::FormatShortDate(QDate(2000, 1, 1))) + "\\)\\.$";
        if (c.messageOnExit) answers.ExpectMessage(text, ui::Button::Ok, kind);
        auto* edit = FindControl<format::MaskedLineEdit>(form, Name(field));
        edit->setFocus();
        edit->setCursorPosition(0);
        QString digits = core::FormatShortDate(QDate(1990, 6, 7));
        digits.remove(QRegularExpression("[^0-9]"));
        QTest::keyClicks(edit, digits);
        FindControl<QWidget>(form, Name(other))->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
        QCoreApplication::processEvents();
        if (c.messageOnSave) answers.ExpectMessage(text, ui::Button::Ok, kind);
        EXPECT_EQ(form->SaveRecord(), c.saves);
        ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(answers.Prompts().size(), int(c.messageOnExit) + int(c.messageOnSave));
        if (c.saves)
            EXPECT_EQ(Stored(view, column).toDate(), QDate(1990, 6, 7));
        else
            EXPECT_EQ(Stored(view, column), before);
        delete form.data();
    }
    UserPrefs() = saved;
}

TEST_F(ViewFormTest, a_float_too_wide_for_its_mask_shows_stars_and_asks_to_fix_the_mask) {
    const int view = ViewWithType(u'F');
    ASSERT_GE(view, 0);
    const int field = FieldWithType(view, u'F');
    TViewFieldDef& f = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)];
    f.FieldMask = "999.99";
    OpenForm(view);
    {
        // The stored value has five digits before the point.
        db::Table& t = *views.ViewDefs[size_t(view)].DataTable;
        tables->PositionViewTable(view);
        t.Edit();
        t.FieldByName(f.FieldName)->SetAsFloat(12345.5);
        t.Post();
    }
    ASSERT_TRUE(tables->FillViewFields(view, false));
    EXPECT_TRUE(form->GetFieldText(field).contains(u'*')) << form->GetFieldText(field).toStdString();
    DialogAnswerer answers;
    answers.ExpectMessage("^The mask for this field is not long enough to show the field contents \\(the missing digits "
                          "are shown as \"\\*\"\\)\\. You must either fix the mask, or enter a new value for this "
                          "field\\.$",
                          ui::Button::Ok, ui::MessageKind::Error);
    EXPECT_FALSE(form->ValidateField(field));
    ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
}

TEST_F(ViewFormTest, a_linked_view_follows_the_nearest_branch_of_its_own_above_the_selected_one) {
    // Every branch of the sample with its parent and View.
    struct Row { int parent, type; };
    std::map<int, Row> rows;
    {
        db::Table h;
        h.SetDatabaseName(folder);
        h.SetTableName("Hierarchy.DB");
        h.Open();
        for (h.First(); !h.Eof(); h.Next())
            rows[h.FieldByName("NodeID")->AsInteger()] = {h.FieldByName("ParentNodeID")->AsInteger(),
                                                          h.FieldByName("NodeType")->AsInteger()};
    }
    auto ancestorOf = [&](int node, int view) {
        for (int id = node, steps = 0; rows.count(id) && steps < 100; id = rows[id].parent, ++steps)
            if (rows[id].type == view) return id;
        return -1;
    };
    // A View window and a branch of another View below one of its branches, and one not.
    int view = -1, linked = -1, unlinked = -1;
    for (int v = 0; v < views.GetViewCount() && linked < 0; ++v)
        for (const auto& [id, row] : rows)
            if (row.type != v && ancestorOf(id, v) > 0) {
                view = v;
                linked = id;
                break;
            }
    ASSERT_GT(linked, 0);
    for (const auto& [id, row] : rows)
        if (row.type != view && ancestorOf(id, view) < 0) unlinked = id;
    const int branchView = rows[linked].type;
    OpenForm(view);
    const int expected = ancestorOf(linked, view);
    const int hierarchyRowBefore = module->Hierarchy->FieldByName("NodeID")->AsInteger();

    views.ViewDefs[size_t(branchView)].CurrentNodeID = linked;
    tables->BroadcastNodeChanged(branchView, 0);
    ASSERT_TRUE(WaitFor([&] { return views.ViewDefs[size_t(view)].CurrentNodeID == expected; }));
    EXPECT_TRUE(FindControl<QWidget>(form, "HiderPanel")->isVisible());
    EXPECT_EQ(module->Hierarchy->FieldByName("NodeID")->AsInteger(), hierarchyRowBefore);
    const int field = FieldWithType(view, u'S');
    const QString stored = Stored(view, views.ViewDefs[size_t(view)].FieldDefs[size_t(field)].FieldName).toString();
    EXPECT_EQ(form->GetFieldText(field).compare(stored.trimmed(), Qt::CaseInsensitive), 0);

    if (unlinked > 0) {
        views.ViewDefs[size_t(rows[unlinked].type)].CurrentNodeID = unlinked;
        tables->BroadcastNodeChanged(rows[unlinked].type, 0);
        EXPECT_TRUE(WaitFor([&] { return !FindControl<QWidget>(form, "HiderPanel")->isVisible(); }));
    }
}

TEST_F(ViewFormTest, a_check_box_click_shows_the_bar_and_enter_saves_it) {
    const int view = ViewWithType(u'B');
    ASSERT_GE(view, 0);
    const int field = FieldWithType(view, u'B');
    const QString column = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)].FieldName;
    OpenForm(view);
    const bool before = Stored(view, column).toBool();
    ASSERT_TRUE(testsupport::Click(form, Name(field)));
    EXPECT_TRUE(BarVisible());
    EXPECT_TRUE(views.ViewDefs[size_t(view)].RecordModified);
    QTest::keyClick(FindControl<QWidget>(form, Name(field)), Qt::Key_Return);
    EXPECT_FALSE(BarVisible());
    EXPECT_EQ(Stored(view, column).toBool(), !before);
    EXPECT_EQ(form->GetFieldText(field), !before ? "TRUE" : "FALSE");
}

TEST_F(ViewFormTest, closing_with_unsaved_changes_asks_to_save_or_cancel_and_stays_open) {
    const int view = ViewWithType(u'S');
    const int field = FieldWithType(view, u'S');
    OpenForm(view);
    Retype(field, "koala");
    {
        DialogAnswerer answers;
        answers.ExpectMessage("^You must save or cancel your changes before you can continue\\.$", ui::Button::Ok,
                              ui::MessageKind::Error);
        EXPECT_FALSE(form->close());
        ASSERT_TRUE(WaitFor([&] { return answers.Pending() == 0; }));
    }
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->isVisible());
    ASSERT_TRUE(testsupport::Click(form, "CancelBtn"));
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(WaitFor([&] { return form.isNull(); }));
    EXPECT_FALSE(views.ViewDefs[size_t(view)].ViewWindow);
}

TEST_F(ViewFormTest, branch_changes_hide_the_fields_or_load_the_branchs_record) {
    const int view = ViewWithType(u'S');
    const int field = FieldWithType(view, u'S');
    const QString column = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)].FieldName;
    OpenForm(view, 1);
    tables->BroadcastNodeChanged(-1, 0);
    ASSERT_TRUE(WaitFor([&] { return !FindControl<QWidget>(form, "HiderPanel")->isVisible(); }));
    EXPECT_TRUE(FindControl<QLabel>(form, "NoDataLabel")->isVisible());

    db::Table& t = *views.ViewDefs[size_t(view)].DataTable;
    t.First();
    t.MoveBy(4);
    views.ViewDefs[size_t(view)].CurrentNodeID = t.FieldByName("NodeID")->AsInteger();
    tables->BroadcastNodeChanged(view, 0);
    ASSERT_TRUE(WaitFor([&] { return FindControl<QWidget>(form, "HiderPanel")->isVisible(); }));
    EXPECT_EQ(form->GetFieldText(field), Stored(view, column).toString().trimmed());
}

}  // namespace

namespace {

/// The program's own assembly: the main window opens the sample database and the View
/// layer shows the start-up Views in View windows.
TEST(ViewWindowsInTheProgram, opening_a_database_shows_the_start_up_views_with_their_records) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString shots = QDir::current().absoluteFilePath("screenshots");  // the open changes the folder
    settings::SetConfigRoot(dir.filePath("config"));
    for (const char* part : {"Sample", "Library"}) {
        const QDir source(QStringLiteral(DOSSARA_BIN_DIR "/") + part);
        QDir().mkpath(dir.filePath(part));
        for (const QString& name : source.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(source.filePath(name), QDir(dir.filePath(part)).filePath(name)));
    }
    Globals().LibraryFolder = dir.filePath("Library");
    Globals().ProgramFolder = dir.path() + "/";
    const QString sample = dir.filePath("Sample");
    core::WriteWinRegBool("Preferences", "ShowStartupWizard", false);
    DialogAnswerer answers;
    {
        auto form = std::make_unique<TMainForm>();
        auto* data = new TMainDataMod(form.get());
        form->SetDataModule(data);
        QObject searchData;
        searchData.setObjectName("SearchData");
        core::ViewTables tables(ViewControl(), *data, searchData);
        tables.Install();
        InstallViewWindows(ViewControl(), tables, form.get());
        ASSERT_TRUE(form->OpenDatabase(sample));
        TViewControl& views = ViewControl();
        ASSERT_EQ(views.GetViewCount(), 3);
        int shown = 0;
        for (int v = 0; v < views.GetViewCount(); ++v) {
            TViewDef& def = views.ViewDefs[size_t(v)];
            ASSERT_TRUE(def.DataTable && def.DataTable->Active());
            if (!def.ShowViewOnStart) continue;
            auto* window = qobject_cast<TViewBaseForm*>(def.ViewWindow.data());
            ASSERT_TRUE(window) << v;
            for (size_t f = 0; f < def.FieldDefs.size(); ++f) {
                // A field hint goes through the main window's hint handler.
                const TViewFieldDef& field = def.FieldDefs[f];
                auto* edit = qobject_cast<QWidget*>(field.EditControl.data());
                if (!edit || !(field.FieldShowHint || field.FieldMaskInHint)) continue;
                const QString marker = edit->toolTip();
                EXPECT_EQ(marker, QString("~~VFH%1%2").arg(v, 3, 10, QChar('0')).arg(int(f), 3, 10, QChar('0')));
                QStringList lines;
                if (field.FieldShowHint) lines << QString(field.FieldHint).replace('|', '\r');
                if (field.FieldMaskInHint) lines << field.FieldMask;
                if (!field.FieldDateFormatHint && !field.FieldLongDateHint) {
                    EXPECT_EQ(TMainForm::ExpandFieldHint(marker, {}), lines.join('\r').trimmed());
                }
            }
            bool listed = false;  // in the Windows menu
            for (QAction* a : form->M_Windows->actions()) listed |= a->text() == def.ViewName;
            EXPECT_TRUE(listed) << v;
            // Docked Views are pages of the (hidden) main window; the others float.
            if (def.DockViewOnShow)
                EXPECT_GE(form->MainPages->indexOf(window), 0);
            else
                EXPECT_TRUE(window->isVisible());
            ++shown;
            // A branch of this View is selected: its record is shown.
            def.DataTable->First();
            def.CurrentNodeID = def.DataTable->FieldByName("NodeID")->AsInteger();
            tables.BroadcastNodeChanged(v, 0);
            for (size_t f = 0; f < def.FieldDefs.size(); ++f) {
                if (def.FieldDefs[f].FieldType != u'S' || !def.FieldDefs[f].FieldIsVisible) continue;
                const QString stored = def.DataTable->FieldByName(def.FieldDefs[f].FieldName)->AsString().trimmed();
                EXPECT_TRUE(WaitFor([&] { return window->GetFieldText(int(f)).compare(stored, Qt::CaseInsensitive) == 0; }))
                    << def.FieldDefs[f].FieldName.toStdString();
                break;
            }
        }
        EXPECT_GT(shown, 0);
        {
            // A picture of the main window's pages with the docked Views (the window itself
            // is not shown: showing it would run the start-up continuation).
            form->resize(1000, 650);
            form->MainPages->resize(700, 560);
            QCoreApplication::processEvents();
            QDir().mkpath(shots);
            form->MainPages->grab().save(shots + "/main_pages_with_docked_views.png");
        }
        form->CloseDatabase(true);
        for (const TViewDef& def : views.ViewDefs) EXPECT_FALSE(def.ViewWindow);
        EXPECT_EQ(form->MainPages->count(), 0);
        EXPECT_FALSE(Globals().DatabaseOpen);
        ViewLayer() = TViewLayer{};
        views.FreeAllViews = {};
        views.CreateViewComponents = {};
        views.ApplyFieldRestructure = {};
        form.reset();
    }
    ViewControl().Clear();
    Globals().CurrentFolder.clear();
}

}  // namespace

namespace {

// A number field added while customizing has length 0: its edit box takes any length then
// (the stored type bounds the value), never a maximum of nothing.
TEST_F(ViewFormTest, a_number_field_of_length_zero_takes_what_is_typed) {
    for (const QChar type : {QChar(u'N'), QChar(u'F')}) {
        SCOPED_TRACE(QString(type).toStdString());
        const int view = ViewWithType(type);
        if (view < 0) continue;  // the sample has no such field
        const int field = FieldWithType(view, type);
        TViewFieldDef& def = views.ViewDefs[size_t(view)].FieldDefs[size_t(field)];
        def.FieldMask.clear();
        def.FieldLength = 0;
        OpenForm(view);
        Retype(field, "12345");
        EXPECT_EQ(form->GetFieldText(field), "12345");
        ASSERT_TRUE(BarVisible());
        QTest::keyClick(FindControl<QWidget>(form, Name(field)), Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_FALSE(BarVisible());
        EXPECT_EQ(Stored(view, def.FieldName).toDouble(), 12345.0);
        delete form.data();
    }
}

// The changed (yellow) and refused (red) colours go when the change is saved or cancelled:
// the normal colour is the system's, never read back from the painted field.
TEST_F(ViewFormTest, after_save_or_escape_every_field_shows_its_normal_colours_again) {
    const int view = ViewWithType(u'S');
    const int field = FieldWithType(view, u'S');
    OpenForm(view);
    auto* edit = FindControl<QLineEdit>(form, Name(field));
    ASSERT_TRUE(edit);
    const QColor normal = edit->palette().color(QPalette::Base);
    ASSERT_NE(normal, QColor(Qt::yellow));
    enum class End { Escape, Save, CancelAfterRefusal };
    for (const End end : {End::Escape, End::Save, End::CancelAfterRefusal}) {
        SCOPED_TRACE(int(end));
        Retype(field, QStringLiteral("colour %1").arg(int(end)));
        ASSERT_TRUE(BarVisible());
        form->ApplyFieldState(field, u'C');  // as leaving the changed field does
        EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::yellow));
        switch (end) {
        case End::Escape:
            QTest::keyClick(edit, Qt::Key_Escape);
            break;
        case End::Save:
            ASSERT_TRUE(testsupport::Click(form, "SaveBtn"));
            break;
        case End::CancelAfterRefusal:
            form->ApplyFieldState(field, u'E');
            EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::red));
            form->CancelRecord();
            break;
        }
        EXPECT_FALSE(BarVisible());
        EXPECT_EQ(edit->palette().color(QPalette::Base), normal);
        // and on the next record shown
        tables->FillViewFields(view, true);
        EXPECT_EQ(edit->palette().color(QPalette::Base), normal);
    }
}

}  // namespace
