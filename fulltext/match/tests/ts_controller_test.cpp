#include "fulltext/match/ts_controller.h"

#include "fulltext/match/ts_match_maker.h"
#include "fulltext/search/tests/memory_index.h"
#include "fulltext/ts_cache.h"

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
