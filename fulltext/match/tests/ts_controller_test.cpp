#include "fulltext/match/ts_controller.h"

#include "fulltext/match/ts_match_maker.h"
#include "fulltext/testsupport/index_builder.h"
#include "fulltext/testsupport/memory_index.h"
#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include "testsupport/qt_printers.h"
#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using fulltext::testing::MemoryRecords;
using fulltext::testing::MemoryWordTable;

/// One searcher over an index of its own, created as a component of `owner`.
struct Index {
    MemoryRecords records;
    MemoryWordTable words;
    TtsCache cache;
    TtsSearch* searcher = nullptr;

    Index(QObject* owner, const std::vector<std::pair<int, QString>>& rows) {
        for (const auto& [index, text] : rows) records.Add(index, {text});
        words.Build(records, {});
        searcher = new TtsSearch(owner);
        searcher->SetTextLink(&records);
        searcher->SetWordsLink(&words);
        searcher->SetCache(&cache);
    }
    ~Index() { delete searcher; }
};

/// A data module holding a master searcher over the tree, two View searchers, other
/// components in between, and the controller last, as the quick search sets them up.
class Controller : public ::testing::Test {
protected:
    Controller() {
        firstOther = new QObject(&owner);
        master = std::make_unique<Index>(&owner, std::vector<std::pair<int, QString>>{
                                                     {1000, "red tree"}, {1001, "blue river"}, {1002, "red stone"}});
        new QObject(&owner);
        view0 = std::make_unique<Index>(&owner, std::vector<std::pair<int, QString>>{
                                                    {1, "red car"}, {2, "green car"}, {5, "red bus"}});
        view1 = std::make_unique<Index>(&owner, std::vector<std::pair<int, QString>>{
                                                    {10, "grey wall"}, {11, "blue sky"}});
        view2 = std::make_unique<Index>(&owner, std::vector<std::pair<int, QString>>{{20, "red door"}});
        controller = new TtsController(&owner);
        controller->SetMasterSearcher(master->searcher);
    }

    /// "<searcher no.>:<record>" of where the controller stands.
    QString position() {
        TtsRankSearch* s = controller->GetCurrentSearcher();
        for (auto* index : {master.get(), view0.get(), view1.get(), view2.get()}) {
            if (index->searcher == s)
                return QStringLiteral("%1:%2").arg(index == master.get() ? 'M' : index == view0.get() ? '0'
                                                                        : index == view1.get() ? '1'
                                                                                               : '2')
                    .arg(index->records.RecordIndex());
        }
        return QStringLiteral("none");
    }

    QObject owner;
    QObject* firstOther = nullptr;
    std::unique_ptr<Index> master, view0, view1, view2;
    TtsController* controller = nullptr;
};

TEST_F(Controller, execute_all_runs_every_searcher_with_the_masters_settings_and_sums_the_matches) {
    master->searcher->SetSearchFor(QStringLiteral("red"));
    master->searcher->SetSearchLogic(slOr);
    master->searcher->SetRankMode(rmCount);
    controller->ExecuteAll();
    for (auto* index : {master.get(), view0.get(), view1.get(), view2.get()}) {
        EXPECT_EQ(index->searcher->SearchFor(), QStringLiteral("red"));
        EXPECT_EQ(index->searcher->SearchLogic(), slOr);
        EXPECT_EQ(index->searcher->RankMode(), rmCount);
    }
    EXPECT_EQ(master->searcher->MatchCount(), 2);
    EXPECT_EQ(view0->searcher->MatchCount(), 2);
    EXPECT_EQ(view1->searcher->MatchCount(), 0);
    EXPECT_EQ(view2->searcher->MatchCount(), 1);
    EXPECT_EQ(controller->GetMatchCount(), 5);
}

TEST_F(Controller, with_no_conformity_each_searcher_runs_with_its_own_settings) {
    controller->SetConformity({});
    master->searcher->SetSearchFor(QStringLiteral("red"));
    view0->searcher->SetSearchFor(QStringLiteral("car"));
    view1->searcher->SetSearchFor(QStringLiteral("blue or grey"));
    view1->searcher->SetSearchLogic(slExpression);
    view2->searcher->SetSearchFor(QStringLiteral("door"));
    controller->ExecuteAll();
    EXPECT_EQ(master->searcher->MatchCount(), 2);
    EXPECT_EQ(view0->searcher->MatchCount(), 2);
    EXPECT_EQ(view1->searcher->MatchCount(), 2);
    EXPECT_EQ(view2->searcher->MatchCount(), 1);
    EXPECT_EQ(view1->searcher->SearchLogic(), slExpression);
}

TEST_F(Controller, each_conformity_flag_copies_its_own_setting_and_no_other) {
    struct Flag {
        TConformance flag;
        const char* name;
        std::function<bool(TtsSearch&)> copied;  ///< the searcher now has the master's value
    };
    int searches = 0;
    int previews = 0;
    TtsSearch& m = *master->searcher;
    m.SetAnyChar(u'%');
    m.SetOneChar(u'_');
    m.SetNearWord(3);
    m.OnSearch = [&](QObject*) { ++searches; };
    m.OnPreviewWord = [&](QObject*, QString&) { ++previews; };
    m.SetRankMode(rmPercent);
    m.SetRankLimit(77);
    m.SetSearchFor(QStringLiteral("red"));
    m.SetSearchLogic(slNear);
    m.SetSearchMode(smWiden);
    m.SetTokens({QStringLiteral("und"), QStringLiteral("oder"), QStringLiteral("nicht"), QStringLiteral("wie"),
                 QStringLiteral("nahe")});
    master->cache.SetMemoryLimit(4321);
    static const Flag flags[] = {
        {cnAnyChar, "AnyChar", [](TtsSearch& s) { return s.AnyChar() == u'%'; }},
        {cnMemoryLimit, "MemoryLimit",
         [](TtsSearch& s) { return static_cast<TtsCustomCache*>(s.Cache())->MemoryLimit() == 4321; }},
        {cnNearWord, "NearWord", [](TtsSearch& s) { return s.NearWord() == 3; }},
        {cnOneChar, "OneChar", [](TtsSearch& s) { return s.OneChar() == u'_'; }},
        {cnOnSearch, "OnSearch", [](TtsSearch& s) { return bool(s.OnSearch); }},
        {cnOnPreviewWord, "OnPreviewWord", [](TtsSearch& s) { return bool(s.OnPreviewWord); }},
        {cnRankMode, "RankMode", [](TtsSearch& s) { return s.RankMode() == rmPercent; }},
        {cnRankLimit, "RankLimit", [](TtsSearch& s) { return s.RankLimit() == 77u; }},
        {cnSearchFor, "SearchFor", [](TtsSearch& s) { return s.SearchFor() == QStringLiteral("red"); }},
        {cnSearchLogic, "SearchLogic", [](TtsSearch& s) { return s.SearchLogic() == slNear; }},
        {cnSearchMode, "SearchMode", [](TtsSearch& s) { return s.SearchMode() == smWiden; }},
        {cnTokens, "Tokens", [](TtsSearch& s) { return s.Tokens().value(0) == QStringLiteral("und"); }},
    };
    for (const Flag& f : flags) {
        SCOPED_TRACE(f.name);
        auto fresh = std::make_unique<Index>(&owner, std::vector<std::pair<int, QString>>{{1, "red"}});
        controller->SetConformity(f.flag);
        controller->Conform(fresh->searcher);
        for (const Flag& other : flags) {
            SCOPED_TRACE(other.name);
            EXPECT_EQ(other.copied(*fresh->searcher), &other == &f);
        }
        controller->Conform(master->searcher);  // the master is left alone
        EXPECT_TRUE(f.copied(*master->searcher));
    }

    // All flags: the handlers copied are the master's own.
    controller->SetConformity(TtsController::kAllConformity);
    master->searcher->SetSearchLogic(slOr);
    controller->ExecuteAll();
    EXPECT_GE(searches, 0);
    EXPECT_EQ(view0->searcher->SearchLogic(), slOr);
    const int previewsBefore = previews;
    view2->searcher->Execute();
    EXPECT_GT(previews, previewsBefore);
}

TEST_F(Controller, a_searcher_refused_by_on_accept_search_is_neither_run_nor_counted) {
    view0->searcher->SetSearchFor(QStringLiteral("car"));
    view0->searcher->Execute();
    ASSERT_EQ(view0->searcher->MatchCount(), 2);

    std::vector<TtsRankSearch*> asked;
    controller->OnAcceptSearch = [&](QObject* sender, TtsRankSearch* s) {
        EXPECT_EQ(sender, controller);
        asked.push_back(s);
        return s != view0->searcher;
    };
    master->searcher->SetSearchFor(QStringLiteral("red"));
    controller->ExecuteAll();
    EXPECT_EQ(view0->searcher->SearchFor(), QStringLiteral("car"));  // not conformed, not run
    EXPECT_EQ(view0->searcher->MatchCount(), 2);
    EXPECT_EQ(controller->GetMatchCount(), 3);  // master 2 + view2 1
    EXPECT_NE(std::find(asked.begin(), asked.end(), view0->searcher), asked.end());

    ASSERT_TRUE(controller->FirstMatch());
    QStringList walked{position()};
    while (controller->NextMatch()) walked << position();
    EXPECT_EQ(walked, (QStringList{"M:1000", "M:1002", "2:20"}));
}

TEST_F(Controller, next_match_goes_on_with_the_first_match_of_the_next_searcher_that_has_one) {
    master->searcher->SetSearchFor(QStringLiteral("red"));
    controller->ExecuteAll();
    ASSERT_TRUE(controller->FirstMatch());
    QStringList walked{position()};
    while (controller->NextMatch()) walked << position();
    // view1 has no match and is passed over.
    EXPECT_EQ(walked, (QStringList{"M:1000", "M:1002", "0:1", "0:5", "2:20"}));
    EXPECT_EQ(controller->CurrentIndex(), -1);
    // With no current searcher left, a further NextMatch starts again from the first one.
    EXPECT_TRUE(controller->NextMatch());
    EXPECT_EQ(position(), QStringLiteral("M:1000"));

    master->searcher->SetSearchFor(QStringLiteral("nothing"));
    controller->ExecuteAll();
    EXPECT_FALSE(controller->FirstMatch());
    EXPECT_EQ(controller->GetMatchCount(), 0);
}

TEST_F(Controller, searchers_are_walked_in_component_order_down_to_the_first_component) {
    const auto indexOf = [&](QObject* o) { return int(owner.children().indexOf(o)); };
    EXPECT_EQ(controller->FirstSearcher(), master->searcher);
    EXPECT_EQ(controller->CurrentIndex(), indexOf(master->searcher));
    EXPECT_EQ(controller->NextSearcher(), view0->searcher);
    EXPECT_EQ(controller->NextSearcher(), view1->searcher);
    EXPECT_EQ(controller->NextSearcher(), view2->searcher);
    EXPECT_EQ(controller->NextSearcher(), nullptr);
    EXPECT_EQ(controller->CurrentIndex(), -1);
    EXPECT_EQ(controller->GetCurrentSearcher(), nullptr);

    EXPECT_EQ(controller->LastSearcher(), view2->searcher);
    EXPECT_EQ(controller->PriorSearcher(), view1->searcher);
    EXPECT_EQ(controller->PriorSearcher(), view0->searcher);
    EXPECT_EQ(controller->PriorSearcher(), master->searcher);
    EXPECT_EQ(controller->PriorSearcher(), nullptr);

    // A searcher that is the owner's very first component is reached too.
    delete firstOther;
    ASSERT_EQ(indexOf(master->searcher), 0);
    EXPECT_EQ(controller->LastSearcher(), view2->searcher);
    controller->PriorSearcher();
    controller->PriorSearcher();
    EXPECT_EQ(controller->PriorSearcher(), master->searcher);
    EXPECT_EQ(controller->CurrentIndex(), 0);

    // Any removal from the owner resets the current index; removing the master clears it.
    controller->NextSearcher();
    EXPECT_EQ(controller->GetCurrentSearcher(), view0->searcher);
    delete view2->searcher;
    view2->searcher = nullptr;
    EXPECT_EQ(controller->CurrentIndex(), -1);
    delete master->searcher;
    master->searcher = nullptr;
    EXPECT_EQ(controller->MasterSearcher(), nullptr);
    EXPECT_EQ(controller->FirstSearcher(), view0->searcher);
}

TEST_F(Controller, field_names_take_a_new_list_only_of_the_same_length) {
    const QStringList defaults{"Contents", "DBName;20", "Location", "TableName;20"};
    EXPECT_EQ(controller->FieldNames(), defaults);
    controller->SetFieldNames({"A", "B", "C"});
    EXPECT_EQ(controller->FieldNames(), defaults);
    controller->SetFieldNames({"A", "B", "C", "D", "E"});
    EXPECT_EQ(controller->FieldNames(), defaults);
    controller->SetFieldNames({"Text", "Db;30", "Where", "Table;10"});
    EXPECT_EQ(controller->FieldNames(), (QStringList{"Text", "Db;30", "Where", "Table;10"}));
    EXPECT_EQ(controller->Conformity(), TtsController::kAllConformity);
}

TEST(TtsMatchMaker, keeps_its_settings_within_their_limits_and_forgets_what_goes_away) {
    TtsMatchMaker maker;
    EXPECT_EQ(maker.MatchLimit(), 25);
    EXPECT_EQ(maker.RankFieldName(), QStringLiteral("Rank"));
    EXPECT_DOUBLE_EQ(maker.Version(), 2.07);
    maker.SetMatchLimit(-1);
    maker.SetTimeLimit(-5);
    maker.SetTransactions(-2);
    EXPECT_EQ(maker.MatchLimit(), 25);
    EXPECT_EQ(maker.TimeLimit(), 0);
    EXPECT_EQ(maker.Transactions(), 0);
    maker.SetMatchLimit(0);
    maker.SetTimeLimit(1500);
    maker.SetTransactions(100);
    EXPECT_EQ(maker.MatchLimit(), 0);
    EXPECT_EQ(maker.TimeLimit(), 1500);
    EXPECT_EQ(maker.Transactions(), 100);
    maker.SetRankFieldName(QStringLiteral("Score"));
    EXPECT_EQ(maker.RankFieldName(), QStringLiteral("Score"));
    maker.SetRankFieldName(QString());
    EXPECT_EQ(maker.RankFieldName(), QStringLiteral("Rank"));

    EXPECT_TRUE(maker.AcceptRecord());
    maker.OnAcceptRecord = [&](QObject* sender) { return sender != &maker; };
    EXPECT_FALSE(maker.AcceptRecord());

    auto table = std::make_unique<db::Table>();
    auto searcher = std::make_unique<TtsSearch>();
    maker.SetDataSet(table.get());
    maker.SetSearcher(searcher.get());
    table.reset();
    searcher.reset();
    EXPECT_EQ(maker.DataSet(), nullptr);
    EXPECT_EQ(maker.Searcher(), nullptr);

    QObject owner;
    TtsController controller(&owner);
    auto* owned = new TtsMatchMaker(&owner);
    controller.SetMatchMaker(owned);
    delete owned;
    EXPECT_EQ(controller.MatchMaker(), nullptr);
}

}  // namespace

namespace {

/// A search data module over real tables: the tree table with the master searcher and two
/// View tables with their searchers, every component owned by the module, the controller
/// last, as the records core's quick search holds them.
class ControllerOnTables : public testsupport::TempFolder {
protected:
    struct Searched {
        db::Table* table = nullptr;
        TtsTextTableLink* text = nullptr;
        TtsSearch* searcher = nullptr;
    };

    void SetUp() override {
        TempFolder::SetUp();
        createTable(QStringLiteral("Hierarchy.DB"),
                    {{"NodeID", db::FieldType::ftInteger, 0, true}, {"NodeName", db::FieldType::ftString, 100, false},
                     {"NodeType", db::FieldType::ftSmallint, 0, false}},
                    {{1000, "Red house", 0}, {1001, "Blue boat", 1}, {1002, "Old red barn", 0}, {1003, "Car", 1}},
                    {"NodeName"});
        createTable(QStringLiteral("View0.DB"),
                    {{"NodeID", db::FieldType::ftInteger, 0, true}, {"Owner", db::FieldType::ftString, 40, false},
                     {"Built", db::FieldType::ftDate, 0, false}, {"Note", db::FieldType::ftMemo, 0, false}},
                    {{1000, "Ann Red", 40000, "red brick\r\ntwo floors"}, {1002, "Bob", 30000, "a red barn"}},
                    {"Owner", "Note"});
        createTable(QStringLiteral("View1.DB"),
                    {{"NodeID", db::FieldType::ftInteger, 0, true}, {"Maker", db::FieldType::ftString, 40, false},
                     {"Notes", db::FieldType::ftFmtMemo, 0, false}},
                    {{1001, "Sea Co", "{\\rtf1 fast {\\b red} sails\\par second line\\par}"},
                     {1003, "Road Co", "{\\rtf1 blue paint}"}},
                    {"Maker", "Notes"});

        master = addSearcher(QStringLiteral("Hierarchy.DB"), 999);
        views.push_back(addSearcher(QStringLiteral("View0.DB"), 0));
        views.push_back(addSearcher(QStringLiteral("View1.DB"), 1));
        controller = new TtsController(&module);
        controller->setObjectName(QStringLiteral("QS_Controller"));
        controller->SetMasterSearcher(master.searcher);
    }

    void createTable(const QString& name, const std::vector<db::FieldDef>& fields,
                     const std::vector<QVariantList>& rows, const QStringList& indexed) {
        {
            db::Table t;
            t.SetDatabaseName(Path());
            t.SetTableName(name);
            t.FieldDefs() = fields;
            t.IndexDefs() = {{QString(), QStringLiteral("NodeID"), db::IndexOption::ixPrimary}};
            t.CreateTable();
            t.Open();
            for (const QVariantList& row : rows) {
                t.Append();
                for (int i = 0; i < row.size(); ++i) t.Fields(i)->SetValue(row[i]);
                t.Post();
            }
        }
        fulltext::testing::BuildIndex(Path(), name, QString(name).replace(QStringLiteral(".DB"), QStringLiteral("Dict.DB")),
                                      indexed);
    }

    Searched addSearcher(const QString& name, int tag) {
        Searched s;
        s.table = new db::Table(&module);
        s.table->SetDatabaseName(Path());
        s.table->SetTableName(name);
        s.table->SetTag(tag);
        auto* words = new db::Table(&module);
        words->SetDatabaseName(Path());
        words->SetTableName(QString(name).replace(QStringLiteral(".DB"), QStringLiteral("Dict.DB")));
        s.text = new TtsTextTableLink(&module);
        s.text->SetTable(s.table);
        auto* wordsLink = new TtsWordsTableLink(&module);
        wordsLink->SetTable(words);
        auto* cache = new TtsCache(&module);
        s.searcher = new TtsSearch(&module);
        s.searcher->SetTextLink(s.text);
        s.searcher->SetWordsLink(wordsLink);
        s.searcher->SetCache(cache);
        s.table->Open();
        return s;
    }

    /// "<table tag>:<NodeID>" of every match the controller walks.
    QStringList walk() {
        QStringList out;
        for (bool ok = controller->FirstMatch(); ok; ok = controller->NextMatch()) {
            TtsRankSearch* s = controller->GetCurrentSearcher();
            auto* link = static_cast<TtsTextTableLink*>(s->TextLink());
            out << QStringLiteral("%1:%2").arg(link->Table()->Tag()).arg(link->RecordIndex());
        }
        return out;
    }

    QObject module;
    Searched master;
    std::vector<Searched> views;
    TtsController* controller = nullptr;
};

TEST_F(ControllerOnTables, one_master_search_runs_over_the_tree_and_every_view_table) {
    master.searcher->SetSearchFor(QStringLiteral("red"));
    controller->ExecuteAll();
    EXPECT_EQ(controller->GetMatchCount(), 5);
    EXPECT_EQ(walk(), (QStringList{"999:1000", "999:1002", "0:1000", "0:1002", "1:1001"}));

    // Only the ticked Views: the tree and View 1.
    controller->OnAcceptSearch = [&](QObject*, TtsRankSearch* s) { return s != views[0].searcher; };
    master.searcher->SetSearchFor(QStringLiteral("blue or sails"));
    master.searcher->SetSearchLogic(slExpression);
    controller->ExecuteAll();
    EXPECT_EQ(controller->GetMatchCount(), 3);
    EXPECT_EQ(walk(), (QStringList{"999:1001", "1:1001", "1:1003"}));

    // Sub-fields of the master's text link are taken over by the Views' links.
    master.text->SetSubFieldNames({QStringLiteral("NodeName")});
    controller->Conform(views[1].searcher);
    EXPECT_EQ(views[1].text->SubFieldNames(), QStringList{QStringLiteral("NodeName")});
}

TEST_F(ControllerOnTables, merging_fields_lists_the_indexed_fields_of_the_current_searcher) {
    master.searcher->SetSearchFor(QStringLiteral("red"));
    controller->ExecuteAll();
    ASSERT_TRUE(controller->FirstMatch());
    ASSERT_TRUE(controller->NextMatch());
    ASSERT_TRUE(controller->NextMatch());  // View 0, NodeID 1000
    ASSERT_EQ(controller->GetCurrentSearcher(), views[0].searcher);
    db::Table* t = views[0].table;
    t->FieldByName(QStringLiteral("Owner"))->SetDisplayLabel(QStringLiteral("Owned by"));
    QStringList list;
    for (int i = 0; i < t->FieldCount(); ++i) controller->MergeField(t->Fields(i), list);
    EXPECT_EQ(list, (QStringList{"Owned by: Ann Red", "Note:", "red brick", "two floors"}));

    // Every kind of field that has a text, whether indexed or not.
    list.clear();
    for (int i = 0; i < t->FieldCount(); ++i) controller->AddFieldText(t->Fields(i), list);
    EXPECT_EQ(list.size(), 6);  // NodeID, Owner, Built, and the memo as a label and two lines
    EXPECT_EQ(list.value(0), QStringLiteral("NodeID: 1000"));
    EXPECT_TRUE(list.value(2).startsWith(QStringLiteral("Built: ")));

    // A formatted memo gives its plain lines.
    ASSERT_TRUE(controller->NextMatch());
    ASSERT_TRUE(controller->NextMatch());
    ASSERT_EQ(controller->GetCurrentSearcher(), views[1].searcher);
    list.clear();
    controller->MergeField(views[1].table->FieldByName(QStringLiteral("Notes")), list);
    EXPECT_EQ(list, (QStringList{"Notes:", "fast red sails", "second line"}));

    // OnMergeField takes over.
    controller->OnMergeField = [](QObject*, db::Field* f, QStringList& l) { l << f->FieldName(); };
    list.clear();
    controller->MergeField(views[1].table->FieldByName(QStringLiteral("NodeID")), list);
    EXPECT_EQ(list, QStringList{QStringLiteral("NodeID")});
}

}  // namespace
