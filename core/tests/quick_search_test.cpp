// The quick search, the find dialog, the index build and the full rebuild in the real main
// window on copies of the sample database. Search results are checked against an
// independent scan of the branch titles and the records of the searchable Views.

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/explorer.h"
#include "core/gui/finder.h"
#include "core/gui/main_form.h"
#include "core/gui/qs_make.h"
#include "core/gui/qs_search.h"
#include "core/gui/rebuild_forms.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/report_dictionary.h"
#include "core/search_data.h"
#include "core/settings_store.h"
#include "core/tessick_lib.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"
#include "core/win_registry.h"

#include "fulltext/errors.h"
#include "fulltext/gui/progress_dialog.h"
#include "fulltext/gui/progress_dlg.h"
#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/database.h"
#include "platform/db/fault_injection.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/settings/ini_document.h"

#include "core/tests/sample_database.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>
#include <set>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;

const QString kBin = QStringLiteral(DOSSARA_BIN_DIR);
const QString g_startFolder = QDir::currentPath();

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) QFile::copy(from + "/" + name, to + "/" + name);
}

/// The words of a text as the index splits them: runs of letters and digits, lower case.
QStringList wordsOf(const QString& text) {
    static const QRegularExpression split(QStringLiteral("[^\\p{L}\\p{N}]+"));
    QStringList words = text.toLower().split(split, Qt::SkipEmptyParts);
    return words;
}

/// An independent scan of the database: for each branch, the words of its title and of its
/// record (each as a sequence), read straight from the table files.
struct Scan {
    struct Branch {
        QString title;
        int view = 0;
        QStringList titleWords;
        QList<QStringList> recordTexts;  ///< each indexed field's words, in order
    };
    std::map<int, Branch> branches;

    void Read(const QString& folder, const TViewControl& views) {
        db::Table h;
        h.SetDatabaseName(folder);
        h.SetTableName(core::kHierarchyTable);
        h.SetReadOnly(true);
        h.Open();
        for (h.First(); !h.Eof(); h.Next()) {
            Branch& b = branches[h.FieldByName("NodeID")->AsInteger()];
            b.title = h.FieldByName("NodeName")->AsString();
            b.view = h.FieldByName("NodeType")->AsInteger();
            b.titleWords = wordsOf(b.title);
        }
        for (int v = 0; v < views.GetViewCount(); ++v) {
            if (!views.GetViewIsSearchable(v)) continue;
            db::Table t;
            t.SetDatabaseName(folder);
            t.SetTableName(core::ViewTableFile(views.GetViewTableName(v)));
            t.SetReadOnly(true);
            t.Open();
            const QStringList fields = core::TextFieldNames(db::ReadTableDef(folder, t.TableName()));
            for (t.First(); !t.Eof(); t.Next()) {
                const auto it = branches.find(t.FieldByName("NodeID")->AsInteger());
                if (it == branches.end() || it->second.view != v) continue;
                for (const QString& f : fields) it->second.recordTexts << wordsOf(t.FieldByName(f)->AsString());
            }
        }
    }

    /// Branches whose title, or whose record, satisfies the predicate over the word lists.
    std::set<int> Matching(const std::function<bool(const QList<QStringList>&)>& pred) const {
        std::set<int> ids;
        for (const auto& [id, b] : branches)
            if (pred({b.titleWords}) || pred(b.recordTexts)) ids.insert(id);
        return ids;
    }
    static bool Has(const QList<QStringList>& texts, const QString& word) {
        for (const QStringList& t : texts)
            if (t.contains(word)) return true;
        return false;
    }
    static bool HasPhrase(const QList<QStringList>& texts, const QString& a, const QString& b) {
        for (const QStringList& t : texts)
            for (int i = 0; i + 1 < t.size(); ++i)
                if (t[i] == a && t[i + 1] == b) return true;
        return false;
    }
    std::set<int> WithWord(const QString& w) const {
        return Matching([&](const QList<QStringList>& t) { return Has(t, w); });
    }
    /// Words of 4 to 15 ASCII letters found in between `lo` and `hi` branches, most common
    /// first, leaving out the search language's operators.
    QStringList Words(size_t lo, size_t hi) const {
        std::map<QString, std::set<int>> where;
        static const QRegularExpression ascii(QStringLiteral("^[a-z]{4,15}$"));
        for (const auto& [id, b] : branches) {
            for (const QString& w : b.titleWords)
                if (ascii.match(w).hasMatch()) where[w].insert(id);
            for (const QStringList& t : b.recordTexts)
                for (const QString& w : t)
                    if (ascii.match(w).hasMatch()) where[w].insert(id);
        }
        static const QStringList operators = {"and", "or", "not", "like", "near"};
        std::vector<std::pair<size_t, QString>> ranked;
        for (const auto& [w, ids] : where)
            if (ids.size() >= lo && ids.size() <= hi && !operators.contains(w)) ranked.push_back({ids.size(), w});
        std::sort(ranked.begin(), ranked.end(), [](auto& a, auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
        QStringList out;
        for (const auto& r : ranked) out << r.second;
        return out;
    }
};

std::set<int> resultIDs(const TResultsArray& results) {
    std::set<int> ids;
    for (const TResultRec& r : results) ids.insert(r.NodeID);
    return ids;
}

/// The word rows of an index of words of at least `minLength` characters (the properties
/// row, which holds the build settings, left out).
QStringList wordRowsFrom(const QStringList& rows, int minLength) {
    QStringList out;
    for (const QString& r : rows)
        if (!r.section(u'|', 0, 0).contains(QLatin1String("Properties")) && r.section(u'|', 0, 0).size() >= minLength) out << r;
    return out;
}

QStringList wordTableRows(const QString& folder, const QString& file) {
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(file);
    t.SetReadOnly(true);
    t.Open();
    QStringList rows;
    for (t.First(); !t.Eof(); t.Next()) {
        QStringList values;
        for (int i = 0; i < t.FieldCount(); ++i) {
            const QVariant v = t.Fields(i)->Value();
            values << (v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex()) : v.toString());
        }
        rows << values.join(u'|');
    }
    rows.sort();
    return rows;
}

class QuickSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        settings::SetConfigRoot(m_dir.filePath("config"));
        sample = m_dir.filePath("Sample");
        copyFolder(kBin + "/Sample", sample);
        copyFolder(kBin + "/Library", m_dir.filePath("Library"));
        Globals().LibraryFolder = m_dir.filePath("Library");
        Globals().ProgramFolder = m_dir.path() + "/";
        Globals().FirstSearchPending = true;
        core::WriteWinRegBool("Preferences", "ShowStartupWizard", false);
        form = std::make_unique<TMainForm>();
        data = new TMainDataMod(form.get());
        form->SetDataModule(data);
        form->SetSplashPauseMs(0);
        search = std::make_unique<TSearchData>(*data);
        tables = std::make_unique<core::ViewTables>(ViewControl(), *data, *search);
        tables->Install();
        search->Tables = tables.get();
        search->Views = &ViewControl();
        ViewLayer().OpenViewTable = [this](int v) { tables->OpenViewTable(v); };
        ViewLayer().OpenViewDictTable = [this](int v) { tables->OpenViewDictTable(v); };
        core::InstallExplorer(form.get());
        core::InstallSearchCommands(*search, form.get());
        form->SetParameters({"/db:" + sample});
        form->resize(900, 600);
        form->show();
        ASSERT_TRUE(testsupport::WaitFor([&] { return form->StartupDone(); }, 20000));
        ASSERT_TRUE(Globals().DatabaseOpen);
        ASSERT_TRUE(testsupport::WaitFor([&] { return core::Explorer() && core::Explorer()->TreeView->topLevelItemCount() > 0; }, 20000));
        scan.Read(sample, ViewControl());
    }
    void TearDown() override {
        if (TQSSearch* w = core::QuickSearchWindow()) delete w;
        ViewLayer() = TViewLayer{};
        core::ClearCommands();
        form->close();
        form.reset();
        ViewControl().FreeAllViews = {};
        ViewControl().CreateViewComponents = {};
        ViewControl().ApplyFieldRestructure = {};
        ViewControl().Clear();
        tables.reset();
        search.reset();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    void grab(QWidget* widget, const QString& name) {
        const QString now = QDir::currentPath();
        QDir::setCurrent(g_startFolder);
        testsupport::GrabToPng(widget, name);
        QDir::setCurrent(now);
    }

    TQSSearch* openQuickSearch() {
        EXPECT_TRUE(testsupport::TriggerAction(form.get(), "A_ViewSearch"));
        TQSSearch* w = core::QuickSearchWindow();
        EXPECT_NE(w, nullptr);
        return w;
    }
    /// Runs a quick search of `text` with the logic item `logic`; answers the results.
    std::set<int> quickSearch(TQSSearch* w, const QString& text, int logic) {
        w->SearchTerm->setPlainText(text);
        w->UserSearchLogic->setCurrentIndex(logic);
        EXPECT_TRUE(w->A_Search->isEnabled());
        w->A_Search->trigger();
        return resultIDs(ResultsArray());
    }
    int selectedNodeID() const {
        QTreeWidgetItem* item = core::Explorer()->TreeView->currentItem();
        return item ? item->data(0, TExplorer::kNodeIDRole).toInt() : -1;
    }

    QTemporaryDir m_dir;
    QString sample;
    std::unique_ptr<TMainForm> form;
    TMainDataMod* data = nullptr;
    std::unique_ptr<TSearchData> search;
    std::unique_ptr<core::ViewTables> tables;
    Scan scan;
};

// Exiting (or closing the database) with Advanced Search open closes the search window
// first, while the settings table it writes its layout to is still open: no engine error.
TEST_F(QuickSearchTest, closing_the_database_closes_advanced_search_before_the_tables) {
    TQSSearch* w = openQuickSearch();
    ASSERT_NE(w, nullptr);
    const QPointer<TQSSearch> window(w);
    {
        testsupport::DialogAnswerer answers;  // no message may come
        form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(Globals().DatabaseOpen);
        EXPECT_TRUE(!window || !window->isVisible());
        if (window) window->close();  // as the application does with windows left at exit
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    db::Table t;
    t.SetDatabaseName(sample);
    t.SetTableName(core::kSettingsTableName);
    t.Open();
    core::SetSettingsTable(&t);
    EXPECT_NE(core::ReadRegInt("Forms", "QSSearch", "Layout", "ViewPageIndex", -5), -5);
    core::SetSettingsTable(nullptr);
}

TEST_F(QuickSearchTest, every_search_kind_finds_the_branches_an_independent_scan_finds) {
    const QStringList common = scan.Words(20, 400);
    const QStringList rare = scan.Words(3, 19);
    ASSERT_GE(common.size(), 4);
    ASSERT_GE(rare.size(), 4);
    TQSSearch* w = openQuickSearch();
    ASSERT_TRUE(w);
    w->ViewPages->setCurrentIndex(1);  // List View
    const QString a = common[0], b = common[1], r = rare[0], r2 = rare[1];
    enum { All = 0, Any = 1, Phrase = 2, Near = 3, Like = 4, Not = 5, Boolean = 6 };

    const auto withA = scan.WithWord(a), withB = scan.WithWord(b), withR = scan.WithWord(r), withR2 = scan.WithWord(r2);
    EXPECT_EQ(quickSearch(w, r, All), withR) << r.toStdString();
    EXPECT_EQ(w->StatusText(0), QStringLiteral("Matches: ") + QString::number(withR.size()));
    EXPECT_EQ(w->ResultsList->topLevelItemCount(), int(withR.size()));

    const auto both = scan.Matching([&](const QList<QStringList>& t) { return Scan::Has(t, a) && Scan::Has(t, b); });
    EXPECT_EQ(quickSearch(w, a + " " + b, All), both) << a.toStdString() << " " << b.toStdString();

    std::set<int> either = withR;
    either.insert(withR2.begin(), withR2.end());
    EXPECT_EQ(quickSearch(w, r + " " + r2, Any), either);

    // A phrase that occurs: two words that follow one another somewhere.
    QString p1, p2;
    for (const auto& [id, br] : scan.branches) {
        for (const QStringList& t : br.recordTexts)
            for (int i = 0; i + 1 < t.size() && p1.isEmpty(); ++i)
                if (common.contains(t[i]) && common.contains(t[i + 1]) && t[i] != t[i + 1]) {
                    p1 = t[i];
                    p2 = t[i + 1];
                }
        if (!p1.isEmpty()) break;
    }
    ASSERT_FALSE(p1.isEmpty());
    const auto phrase = scan.Matching([&](const QList<QStringList>& t) { return Scan::HasPhrase(t, p1, p2); });
    EXPECT_EQ(quickSearch(w, p1 + " " + p2, Phrase), phrase) << p1.toStdString() << " " << p2.toStdString();

    // Near lies between the phrase and all-words answers.
    const auto nearIDs = quickSearch(w, p1 + " " + p2, Near);
    const auto allIDs = scan.Matching([&](const QList<QStringList>& t) { return Scan::Has(t, p1) && Scan::Has(t, p2); });
    EXPECT_TRUE(std::includes(nearIDs.begin(), nearIDs.end(), phrase.begin(), phrase.end()));
    EXPECT_TRUE(std::includes(allIDs.begin(), allIDs.end(), nearIDs.begin(), nearIDs.end()));

    // Sounds-like finds at least the word itself.
    const auto like = quickSearch(w, r, Like);
    EXPECT_TRUE(std::includes(like.begin(), like.end(), withR.begin(), withR.end()));

    // A wildcard: the word's first letters and the any-character.
    const QString stem = r.left(r.size() - 1);
    const auto prefixed = scan.Matching([&](const QList<QStringList>& texts) {
        for (const QStringList& t : texts)
            for (const QString& x : t)
                if (x.startsWith(stem)) return true;
        return false;
    });
    EXPECT_EQ(quickSearch(w, stem + "*", All), prefixed) << stem.toStdString();

    // Boolean: (a and b) or r.
    std::set<int> boolean = both;
    boolean.insert(withR.begin(), withR.end());
    EXPECT_EQ(quickSearch(w, "(" + a + " and " + b + ") or " + r, Boolean), boolean);
    std::set<int> aNotB;
    const auto aRecords = scan.Matching([&](const QList<QStringList>& t) { return Scan::Has(t, a) && !Scan::Has(t, b); });
    EXPECT_EQ(quickSearch(w, a + " and not " + b, Boolean), aRecords);

    // Each branch once.
    std::set<int> seen;
    for (const TResultRec& rec : ResultsArray()) EXPECT_TRUE(seen.insert(rec.NodeID).second);
}

TEST_F(QuickSearchTest, views_left_unticked_are_not_searched_but_titles_always_are) {
    TQSSearch* w = openQuickSearch();
    ASSERT_TRUE(w);
    w->OptionPages->setCurrentIndex(1);
    for (int i = 0; i < w->ViewList->count(); ++i) w->ViewList->item(i)->setCheckState(Qt::Unchecked);
    w->OptionPages->setCurrentIndex(0);
    const QString word = scan.Words(3, 400)[0];
    std::set<int> expected;
    for (const auto& [id, b] : scan.branches)
        if (b.titleWords.contains(word)) expected.insert(id);
    EXPECT_EQ(quickSearch(w, word, 0), expected);
}

TEST_F(QuickSearchTest, web_and_list_views_page_sort_copy_export_and_go_to_the_branch) {
    const QString word = scan.Words(25, 400).value(0);
    ASSERT_FALSE(word.isEmpty());
    TQSSearch* w = openQuickSearch();
    ASSERT_TRUE(w);
    w->ViewPages->setCurrentIndex(0);  // Web View
    const auto expected = scan.WithWord(word);
    EXPECT_EQ(quickSearch(w, word, 0), expected);
    const int n = int(expected.size());
    EXPECT_EQ(w->StatusText(1), QStringLiteral("Displaying 1 to 10"));
    EXPECT_FALSE(w->A_WVPrior->isEnabled());
    EXPECT_TRUE(w->A_WVNext->isEnabled());
    EXPECT_FALSE(w->WVScore[0]->text().isEmpty());
    EXPECT_TRUE(w->WVResult[0]->toPlainText().startsWith(ResultsArray()[0].NodeName.left(20)));
    w->A_WVLast->trigger();
    EXPECT_EQ(w->StatusText(1), QStringLiteral("Displaying %1 to %2").arg(n - 9).arg(n));
    EXPECT_FALSE(w->A_WVNext->isEnabled());
    w->A_WVFirst->trigger();
    // Sorted by View type: View index ascending, then titles.
    for (size_t i = 1; i < ResultsArray().size(); ++i)
        EXPECT_LE(core::CompareResults(ResultsArray()[i - 1], ResultsArray()[i], core::rsViewType), 0);
    w->A_SortKey->trigger();
    for (size_t i = 1; i < ResultsArray().size(); ++i)
        EXPECT_LE(ResultsArray()[i - 1].NodeName.compare(ResultsArray()[i].NodeName), 0);
    EXPECT_TRUE(w->A_SortKey->isChecked());
    grab(w, "quick_search_web_view");

    // Selecting a panel enables Go to details, which selects the branch in the explorer.
    EXPECT_FALSE(w->A_GoTo->isEnabled());
    w->SelectPanel(3);
    EXPECT_TRUE(w->WVShape[2]->isVisible());
    ASSERT_TRUE(w->A_GoTo->isEnabled());
    const int goal = ResultsArray()[2].NodeID;
    w->A_GoTo->trigger();
    EXPECT_EQ(selectedNodeID(), goal);

    // Copying the Web View panel: View name, description, note.
    w->ClipCopyOptions->setCurrentIndex(1);
    const QString copied = w->ClipboardText();
    EXPECT_EQ(copied, ViewControl().GetViewName(ResultsArray()[2].ViewIndex) + "\r" +
                          scan.branches.at(goal).title + "\r");

    // The List View: filled when shown, sorted by column clicks.
    w->ViewPages->setCurrentIndex(1);
    ASSERT_EQ(w->ResultsList->topLevelItemCount(), n);
    w->SortListColumn(2);
    for (int i = 1; i < n; ++i)
        EXPECT_GE(w->ResultsList->topLevelItem(i - 1)->text(2).trimmed().toInt(), w->ResultsList->topLevelItem(i)->text(2).trimmed().toInt());
    w->SortListColumn(1);
    EXPECT_TRUE(w->ResultsList->headerItem()->text(1).endsWith(QChar(0x2022)));
    EXPECT_TRUE(w->ResultsList->headerItem()->text(0).endsWith(u' '));
    for (int i = 1; i < n; ++i)
        EXPECT_LE(w->ResultsList->topLevelItem(i - 1)->text(1).compare(w->ResultsList->topLevelItem(i)->text(1)), 0);
    grab(w, "quick_search_list_view");

    // Two items copied: separated by an empty line, lines by single carriage returns.
    w->ResultsList->clearSelection();
    w->ResultsList->topLevelItem(0)->setSelected(true);
    w->ResultsList->topLevelItem(1)->setSelected(true);
    w->ClipCopyOptions->setCurrentIndex(0);
    const QString two = w->ClipboardText();
    const QStringList lines = two.split(u'\r');
    ASSERT_EQ(lines.size(), 7) << two.toStdString();
    EXPECT_EQ(lines[1], w->ResultsList->topLevelItem(0)->text(1));
    EXPECT_EQ(lines[3], QString());
    EXPECT_EQ(lines[5], w->ResultsList->topLevelItem(1)->text(1));
    EXPECT_FALSE(two.contains(u'\n'));

    // Export with notes hidden: description, empty text, empty separator per item.
    const QString file = m_dir.filePath("out.txt");
    w->DisplayNotes->setChecked(false);
    w->ClipCopyOptions->setCurrentIndex(0);
    {
        DialogAnswerer answers;
        answers.ExpectFileToSave(file);
        w->A_Export->trigger();
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), w->ResultsList->topLevelItem(0)->text(1) + "\r\n\r\n\r\n" +
                                                  w->ResultsList->topLevelItem(1)->text(1) + "\r\n\r\n\r\n");

    // Go to details from the list: the focused item.
    w->ResultsList->setCurrentItem(w->ResultsList->topLevelItem(1));
    w->A_GoTo->trigger();
    EXPECT_EQ(selectedNodeID(), w->ResultsList->topLevelItem(1)->data(0, Qt::UserRole).toInt());
}

TEST_F(QuickSearchTest, match_limits_and_rank_limits_bound_the_results) {
    const QString word = scan.Words(40, 100000).value(0);
    const auto expected = scan.WithWord(word);
    ASSERT_GE(expected.size(), 40u);
    TQSSearch* w = openQuickSearch();
    ASSERT_TRUE(w);
    w->ViewPages->setCurrentIndex(1);
    w->MoreThanMatch->setChecked(true);
    w->MaxMatchDisplay->setValue(30);
    w->MatchAsk->setChecked(true);
    {
        DialogAnswerer answers;
        answers.ExpectMessage("There are more than 30 matches", ui::Button::No);
        quickSearch(w, word, 0);
    }
    EXPECT_EQ(w->StatusText(0), QStringLiteral("Matches: 30+"));
    EXPECT_EQ(w->StatusText(1), QStringLiteral("Matches not displayed"));
    EXPECT_EQ(w->ResultsList->topLevelItemCount(), 0);

    w->MatchLimitOnly->setChecked(true);
    quickSearch(w, word, 0);
    EXPECT_EQ(w->StatusText(0), QStringLiteral("Matches: 30+"));
    EXPECT_EQ(w->StatusText(1), QStringLiteral("First 30 matches displayed"));
    EXPECT_EQ(w->ResultsList->topLevelItemCount(), 30);

    w->MoreThanMatch->setChecked(false);
    w->RankResults->setChecked(true);
    w->RankOnly->setChecked(true);
    w->RankCountLimit->setValue(12);
    const auto ranked = quickSearch(w, word, 0);
    EXPECT_EQ(ranked.size(), 12u);
    EXPECT_EQ(w->StatusText(0), QStringLiteral("Matches: 12+"));
    EXPECT_TRUE(std::includes(expected.begin(), expected.end(), ranked.begin(), ranked.end()));
}

// Results are collected with the tables standing still, each match read straight from its
// table file; a View table limited to a range makes the collection walk the tables through
// the matches instead. Both must give the same branches, Views, scores and titles, in the
// same order, also over a record deleted behind the word table's back (where walking that
// View's matches stops).
TEST_F(QuickSearchTest, results_read_from_the_files_equal_those_of_walking_the_tables) {
    const QStringList common = scan.Words(20, 400);
    const QStringList rare = scan.Words(3, 19);
    ASSERT_GE(common.size(), 2);
    ASSERT_GE(rare.size(), 1);
    TViewControl& views = ViewControl();
    std::vector<TtsTable*> tablesOf;
    for (int v = 0; v < views.GetViewCount(); ++v)
        if (TtsTable* t = views.GetViewTable(v); t && t->Active()) tablesOf.push_back(t);
    ASSERT_FALSE(tablesOf.empty());
    search->SearchViewFlags.assign(std::size_t(views.GetViewCount()), true);
    search->ResetViewSearchers();

    int scrolls = 0;
    std::vector<db::Table::NotifyEvent> saved;
    for (db::Table* t : tablesOf) {
        saved.push_back(t->AfterScroll);
        t->AfterScroll = [&scrolls, old = t->AfterScroll](db::Table& table) {
            ++scrolls;
            if (old) old(table);
        };
    }
    // Ranked: each searcher's five best in the order of its rank list.
    auto collect = [&](const QString& text, TSearchLogic logic, bool ranked) {
        TtsSearch* m = search->tsSearchMaster;
        m->SetSearchFor(text);
        m->SetSearchLogic(logic);
        m->SetSearchMode(smSearch);
        m->SetRankMode(ranked ? rmCount : rmNone);
        m->SetRankLimit(ranked ? 5 : 0);
        EXPECT_TRUE(core::ExecuteSearch(*search, {}));
        TResultsArray out;
        core::CollectResults(*search, views, out, 1 << 30);
        return out;
    };
    auto compare = [&](const QString& text, TSearchLogic logic, bool ranked = false) -> TResultsArray {
        scrolls = 0;
        const TResultsArray still = collect(text, logic, ranked);
        if (!ranked) {
            EXPECT_EQ(scrolls, 0) << "the tables moved while results were collected";
        }
        for (db::Table* t : tablesOf) t->SetRange({0}, {INT_MAX});
        const TResultsArray walked = collect(text, logic, ranked);
        for (db::Table* t : tablesOf) t->CancelRange();
        EXPECT_FALSE(still.empty()) << text.toStdString();
        EXPECT_EQ(still.size(), walked.size()) << text.toStdString();
        for (std::size_t i = 0; i < std::min(still.size(), walked.size()); ++i) {
            EXPECT_EQ(still[i].NodeID, walked[i].NodeID) << text.toStdString() << " #" << i;
            EXPECT_EQ(still[i].ViewIndex, walked[i].ViewIndex);
            EXPECT_EQ(still[i].Score, walked[i].Score);
            EXPECT_EQ(still[i].NodeName, walked[i].NodeName);
        }
        return still;
    };

    // A one-word search: each branch's score is the count of the word in what matched first
    // (its title, searched first, or else its record).
    const QString word = common[0];
    const TResultsArray results = compare(word, slAnd);
    for (const TResultRec& r : results) {
        const Scan::Branch& b = scan.branches.at(r.NodeID);
        int count = int(b.titleWords.count(word));
        if (count == 0)
            for (const QStringList& t : b.recordTexts) count += int(t.count(word));
        EXPECT_EQ(r.Score, count) << r.NodeID;
        EXPECT_EQ(r.ViewIndex, b.view);
        EXPECT_EQ(r.NodeName, b.title.left(core::kResultNameLength));
    }
    compare(common[0] + " " + common[1] + " " + rare[0], slOr);
    const TResultsArray ranked = compare(common[0] + " " + common[1], slOr, true);
    EXPECT_LE(ranked.size(), 5u * std::size_t(views.GetViewCount() + 1));
    compare(rare[0].left(rare[0].size() - 1) + "*", slAnd);
    compare(common[0] + " and not " + common[1], slExpression);

    // A matching record deleted with its View's word table left as it was.
    int deleted = 0;
    for (const TResultRec& r : results) {
        const Scan::Branch& b = scan.branches.at(r.NodeID);
        if (r.NodeID == results.back().NodeID || b.titleWords.contains(word)) continue;
        TtsTable* t = views.GetViewTable(r.ViewIndex);
        if (!t || !t->FindKey({r.NodeID})) continue;
        TtsBaseUpdate* updater = t->Updater();
        t->SetUpdater(nullptr);
        t->Delete();
        t->SetUpdater(updater);
        deleted = r.NodeID;
        break;
    }
    ASSERT_NE(deleted, 0);
    const TResultsArray after = compare(word, slAnd);
    EXPECT_LT(after.size(), results.size());
    for (const TResultRec& r : after) EXPECT_NE(r.NodeID, deleted);

    for (std::size_t i = 0; i < tablesOf.size(); ++i) tablesOf[i]->AfterScroll = saved[i];
}

TEST_F(QuickSearchTest, engine_errors_are_reported_with_their_messages_and_leave_no_results) {
    TQSSearch* w = openQuickSearch();
    ASSERT_TRUE(w);
    struct Case {
        QString text;
        int logic;
        QString message;
    };
    const Case cases[] = {
        {"(apple and pear", 6, "parentheses missing"},
        {"\"apple pear", 6, "quote mark missing"},
        {"apple and and pear", 6, "search term missing"},
        {"apple ) pear", 6, "syntax or formatting"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        DialogAnswerer answers;
        answers.ExpectMessage(c.message, ui::Button::Ok, ui::MessageKind::Error);
        quickSearch(w, c.text, c.logic);
        if (c.message.startsWith(QLatin1String("syntax"))) {
            // The position of the error is selected in the search text.
            EXPECT_TRUE(w->SearchTerm->textCursor().hasSelection());
        }
        EXPECT_EQ(w->StatusText(0), QStringLiteral("Matches: 0"));
        EXPECT_TRUE(ResultsArray().empty());
    }
}

TEST(SearchRoutines, the_error_map_gives_each_number_its_text_and_help) {
    struct Case {
        int number;
        int help;
        bool unexpected;
        const char* starts;
    };
    const Case cases[] = {{30476, 10077, false, "The search dictionaries need to be rebuilt."},
                          {30485, 10078, false, "There is a parentheses missing"},
                          {30486, 10079, false, "There is a quote mark missing"},
                          {30487, 10080, false, "There is a search term missing"},
                          {30498, 10081, false, "There is an error in the syntax"},
                          {30504, 10082, false, "A leading wildcard character"},
                          {30464, 10076, true, ""},
                          {30500, 10076, true, ""},
                          {12, 99, false, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        QString number, text;
        int help = 0;
        EXPECT_EQ(core::GetSearchErrorText(c.number, number, text, help), c.unexpected);
        EXPECT_EQ(number, QString::number(c.number));
        EXPECT_EQ(help, c.help);
        if (*c.starts) {
            EXPECT_TRUE(text.startsWith(QLatin1String(c.starts))) << text.toStdString();
        }
    }
}

TEST(SearchRoutines, results_sort_by_view_score_and_title_by_character_codes) {
    const TResultsArray input = {{2, 10, 12, "beta"},  {1, 11, 65535, "alpha"}, {1, 12, 12, "Alpha"},
                                 {0, 13, 43, "beta"},  {2, 14, 120, "al"},      {1, 15, 12, "alpha"}};
    // Equal elements may come in either order (the sort is not stable): such runs are sets.
    struct Case {
        core::TResultSortKey key;
        std::vector<std::set<int>> runs;
    };
    const Case cases[] = {{core::rsViewType, {{13}, {12}, {11, 15}, {14}, {10}}},
                          {core::rsScore, {{11}, {14}, {13}, {12}, {15}, {10}}},
                          {core::rsBranchTitle, {{12}, {14}, {11, 15}, {10, 13}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.key));
        TResultsArray r = input;
        core::SortResults(r, 0, int(r.size()) - 1, c.key);
        size_t i = 0;
        for (const std::set<int>& run : c.runs) {
            std::set<int> got;
            for (size_t k = 0; k < run.size() && i < r.size(); ++k) got.insert(r[i++].NodeID);
            EXPECT_EQ(got, run);
        }
        EXPECT_EQ(i, r.size());
    }
    // A part of the array alone.
    TResultsArray part = input;
    core::SortResults(part, 2, 4, core::rsBranchTitle);
    EXPECT_EQ(part[0].NodeID, 10);
    EXPECT_EQ(part[1].NodeID, 11);
    EXPECT_EQ(part[2].NodeID, 12);
    EXPECT_EQ(part[3].NodeID, 14);
    EXPECT_EQ(part[4].NodeID, 13);
}

TEST_F(QuickSearchTest, find_steps_through_the_matches_by_title_with_and_without_wrap) {
    const QString word = scan.Words(4, 30).value(0);
    ASSERT_FALSE(word.isEmpty());
    ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_EditFind"));
    auto* finder = form->findChild<TFinder*>("Finder");
    ASSERT_TRUE(finder);
    EXPECT_EQ(finder->windowTitle(), QStringLiteral("Find"));
    finder->FindWhat->setText(word);
    finder->FindFirst();
    const auto expected = scan.WithWord(word);
    ASSERT_EQ(resultIDs(finder->Results()), expected);
    const int n = int(expected.size());
    EXPECT_EQ(finder->StatusText(0), QStringLiteral(" Match 1 of %1").arg(n));
    EXPECT_EQ(selectedNodeID(), finder->Results()[0].NodeID);
    for (int i = 1; i < n; ++i) {
        ASSERT_TRUE(finder->FindNextBtn->isEnabled());
        finder->FindNextBtn->click();
        EXPECT_EQ(selectedNodeID(), finder->Results()[size_t(i)].NodeID);
        EXPECT_LE(finder->Results()[size_t(i - 1)].NodeName.compare(finder->Results()[size_t(i)].NodeName), 0);
    }
    EXPECT_FALSE(finder->FindNextBtn->isEnabled());
    EXPECT_EQ(finder->StatusText(1), QStringLiteral(" No more matches"));
    grab(finder, "find_dialog");

    finder->WrapNext->setChecked(true);
    finder->Backward->setChecked(true);
    EXPECT_EQ(finder->FindNextBtn->text(), QStringLiteral("Find &Prior"));
    finder->FindFirst();
    EXPECT_EQ(finder->StatusText(0), QStringLiteral(" Match %1 of %1").arg(n));
    EXPECT_EQ(selectedNodeID(), finder->Results().back().NodeID);
    finder->Forward->setChecked(true);
    finder->FindNextBtn->click();  // wraps to the first
    EXPECT_EQ(selectedNodeID(), finder->Results().front().NodeID);

    // Typing disables Find Next until the next Find First.
    QTest::keyClick(finder->FindWhat, Qt::Key_A);
    EXPECT_FALSE(finder->FindNextBtn->isEnabled());

    // Titles only: a word found only in records is not found.
    QString recordOnly;
    for (const QString& w : scan.Words(2, 50)) {
        bool inTitle = false;
        for (const auto& [id, b] : scan.branches) inTitle = inTitle || b.titleWords.contains(w);
        if (!inTitle) {
            recordOnly = w;
            break;
        }
    }
    ASSERT_FALSE(recordOnly.isEmpty());
    finder->SearchViews->setChecked(false);
    finder->FindWhat->setText(recordOnly);
    finder->FindFirst();
    EXPECT_EQ(finder->StatusText(0), QStringLiteral(" No matches found"));
    finder->close();
    EXPECT_TRUE(finder->Results().empty());
}

TEST_F(QuickSearchTest, the_index_build_rebuilds_every_index_and_shows_statistics) {
    const QString word = scan.Words(3, 40).value(0);
    std::map<QString, QStringList> before;
    QStringList dicts = {core::kHierarchyDictTable};
    for (int v = 0; v < ViewControl().GetViewCount(); ++v)
        dicts << core::ViewDictTableFile(ViewControl().GetViewTableName(v));
    for (const QString& d : dicts) before[d] = wordTableRows(sample, d);

    DialogAnswerer answers;
    answers.ExpectModal<TQSMake>([&](TQSMake& make) {
        EXPECT_EQ(make.windowTitle(), QStringLiteral("Search Index Build"));
        grab(&make, "index_build_window");
        make.PageControl->setCurrentIndex(1);
        grab(&make, "index_build_options");
        make.PageControl->setCurrentIndex(0);
        make.A_Build->trigger();
        EXPECT_TRUE(make.LastSuccess());
        EXPECT_EQ(make.StatusBar->currentMessage(), QStringLiteral("Build complete"));
        make.PageControl->setCurrentIndex(2);
        EXPECT_EQ(make.StatisticsList->topLevelItemCount(), ViewControl().GetViewCount());
        EXPECT_TRUE(make.TotalWordsLabel->text().startsWith("Total index words: "));
        EXPECT_TRUE(make.TotalDiskLabel->text().endsWith(" KB"));
        grab(&make, "index_build_statistics");
        make.A_Close->trigger();
    });
    ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_RebuildIndex"));
    // The rebuilt indexes hold the words of the old ones that are at least two characters long
    // (the option's minimum; the sample was built with every word).
    for (const QString& d : dicts) {
        const QStringList now = wordRowsFrom(wordTableRows(sample, d), 1), was = wordRowsFrom(before[d], 2);
        QStringList onlyNow, onlyWas;
        for (const QString& r : now)
            if (!was.contains(r)) onlyNow << r.left(50);
        for (const QString& r : was)
            if (!now.contains(r)) onlyWas << r.left(50);
        EXPECT_TRUE(onlyNow.isEmpty() && onlyWas.isEmpty())
            << d.toStdString() << " new: " << onlyNow.mid(0, 4).join(" ; ").toStdString()
            << " old: " << onlyWas.mid(0, 4).join(" ; ").toStdString();
    }
    TQSSearch* w = openQuickSearch();
    ASSERT_TRUE(w);
    EXPECT_EQ(quickSearch(w, word, 0), scan.WithWord(word));
}

TEST_F(QuickSearchTest, a_cancelled_or_failing_build_keeps_the_old_indexes_and_the_database_searches) {
    const QString word = scan.Words(3, 40).value(0);
    QStringList dicts = {core::kHierarchyDictTable};
    for (int v = 0; v < ViewControl().GetViewCount(); ++v)
        dicts << core::ViewDictTableFile(ViewControl().GetViewTableName(v));
    coretest::RecordMessages messages;
    ASSERT_TRUE(core::RunIndexBuild(*search, form.get(), true));
    std::map<QString, QStringList> before;
    for (const QString& d : dicts) before[d] = wordTableRows(sample, d);

    // Cancel in the progress window half-way through the branch titles.
    {
        TQSMake make(*search, form.get());
        make.LoadOptions();
        make.MakeProgress->OnFormCreate = [&](QObject*) {
            QTimer::singleShot(0, &make, [&] {
                if (TtsProgressDlg* dlg = make.MakeProgress->Window())
                    QTest::mouseClick(dlg->findChild<QPushButton*>("CancelBtn"), Qt::LeftButton);
            });
        };
        EXPECT_FALSE(make.Build(false));
        EXPECT_TRUE(make.Cancelled());
        EXPECT_EQ(make.StatusBar->currentMessage(), QStringLiteral("Build cancelled"));
    }
    for (const QString& d : dicts) EXPECT_EQ(wordTableRows(sample, d), before[d]) << d.toStdString();
    EXPECT_TRUE(data->HierarchyDict->Active());

    // A failing write at several points of the build: a failure passes on, every word
    // table stays whole and the open database keeps searching.
    // The writes of a whole build, counted, so the failures fall at its start, in the
    // middle and near its end (the Views are built after the branch titles).
    db::testing::FailNthWrite(100000000);
    ASSERT_TRUE(core::RunIndexBuild(*search, form.get(), true));
    const int writes = 100000000 - db::testing::WritesUntilFailure();
    db::testing::FailNthWrite(0);
    ASSERT_GT(writes, 20);
    int failed = 0;
    for (int n : {1, writes / 4, writes / 2, writes * 3 / 4, writes - 1}) {
        SCOPED_TRACE(n);
        db::testing::FailNthWrite(n);
        bool built = false;
        try {
            built = core::RunIndexBuild(*search, form.get(), true);
        } catch (const std::exception&) {
        }
        if (!built) ++failed;
        db::testing::FailNthWrite(0);
        for (const QString& d : dicts) {
            EXPECT_EQ(db::VerifyTableFile(sample, d).Level, 0) << d.toStdString();
            // Whether rebuilt or left alone, each word table holds the whole index.
            EXPECT_EQ(wordTableRows(sample, d), before[d]) << d.toStdString();
        }
        EXPECT_TRUE(data->HierarchyDict->Active());
        TQSSearch* w = openQuickSearch();
        ASSERT_TRUE(w);
        EXPECT_EQ(quickSearch(w, word, 0), scan.WithWord(word));
    }
    EXPECT_EQ(failed, 5);
    // And the database opens again.
    form->CloseDatabase(false);
    ASSERT_FALSE(Globals().DatabaseOpen);
    ASSERT_TRUE(form->OpenDatabase(sample));
    ASSERT_TRUE(Globals().DatabaseOpen);
}

TEST_F(QuickSearchTest, the_full_rebuild_types_every_report_field_and_rebuilds_the_indexes) {
    {
        DialogAnswerer answers;
        answers.ExpectModal<TRebuildReportForm>([&](TRebuildReportForm& f) {
            EXPECT_EQ(f.windowTitle(), QStringLiteral("Rebuild Report Dictionary"));
            f.A_Build->trigger();
            f.A_Close->trigger();
        });
        answers.ExpectMessage("The report dictionary has been rebuilt.", ui::Button::Ok, ui::MessageKind::Information);
        ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_RebuildReport"));
    }
    QTimer closer;
    closer.setInterval(50);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* r = qobject_cast<TRebuildForm*>(w); r && r->CloseBtn->isVisible()) {
                grab(r, "full_rebuild");
                r->CloseBtn->click();
            }
    });
    closer.start();
    EXPECT_TRUE(core::RebuildDatabase(*search, form.get()));
    closer.stop();

    const TViewControl& views = ViewControl();
    db::Table t;
    t.SetDatabaseName(sample);
    t.SetTableName(core::kTsTableTable);
    t.Open();
    EXPECT_EQ(t.RecordCount(), 1 + views.GetViewCount());
    db::Table f;
    f.SetDatabaseName(sample);
    f.SetTableName(core::kTsFieldTable);
    f.Open();
    std::map<QString, std::map<QString, QString>> types;  // table -> field -> type
    int rows = 0;
    for (f.First(); !f.Eof(); f.Next(), ++rows)
        types[f.FieldByName("TableName")->AsString()][f.FieldByName("FieldName")->AsString()] = f.FieldByName("DataType")->AsString();
    int expectedRows = 5;
    for (int v = 0; v < views.GetViewCount(); ++v) {
        expectedRows += 5 + views.GetViewFieldCount(v);
        const QString table = views.GetViewTableName(v) + ".db";
        ASSERT_TRUE(types.count(table)) << table.toStdString();
        EXPECT_EQ(types[table]["Note"], "dtMemo");
        for (int i = 0; i < views.GetViewFieldCount(v); ++i)
            EXPECT_EQ(types[table][views.GetFieldName(v, i)], core::ReportDataType(views.GetFieldType(v, i)));
    }
    EXPECT_EQ(rows, expectedRows);
    EXPECT_EQ(types["Hierarchy.db"]["NodeID"], "dtLongInt");
    struct Case {
        QChar type;
        const char* name;
    };
    for (const Case& c : {Case{'S', "dtString"}, Case{'N', "dtLongInt"}, Case{'F', "dtDouble"}, Case{'D', "dtDate"},
                          Case{'B', "dtBoolean"}, Case{'R', "dtInteger"}})
        EXPECT_EQ(core::ReportDataType(c.type), QLatin1String(c.name));

    // Missing dictionary tables: a red cross for the first step, the indexes still rebuilt.
    t.Close();
    f.Close();
    db::DeleteTableFile(sample, core::kTsFieldTable);
    closer.start();
    DialogAnswerer answers;
    answers.ExpectMessage("Unable to open the report dictionary.", ui::Button::Ok, ui::MessageKind::Error);
    bool failed = true;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* r = qobject_cast<TRebuildForm*>(w); r && r->StatusLabel->isVisible())
                failed = r->StatusLabel->text() == QStringLiteral("Errors were reported - click Help for information") &&
                         r->IndexMark->text() == QStringLiteral("\u2714");
    });
    EXPECT_FALSE(core::RebuildDatabase(*search, form.get()));
    EXPECT_TRUE(failed);
}

}  // namespace
