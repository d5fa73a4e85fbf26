// Traversal, ranges, master/detail and bookmarks of the pipelines, on real table files.

#include "report/model/db_pipeline.h"

#include "report/model/tests/pipeline_fixture.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

using pipeline_test::MakeTable;

/// The dataset pipeline with the index seek switched off: its detail moves scan.
class TppScanningDBPipeline : public TppDBPipeline {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppScanningDBPipeline(TComponent* AOwner = nullptr) : TppDBPipeline(AOwner) {}
    bool SeekDetailRecords(const QVariantList&) override { return false; }
};

db::TableDef numberedDef() {
    db::TableDef d;
    d.Fields = {{"ID", db::FieldType::ftInteger, 0, true},
                {"CustNo", db::FieldType::ftInteger, 0, false},
                {"Name", db::FieldType::ftString, 20, false}};
    d.Indexes = {{"", "ID", db::IndexOption::ixPrimary},
                 {"ByCust", "CustNo;ID", {}},
                 {"ByName", "Name;ID", db::IndexOption::ixCaseInsensitive}};
    return d;
}

/// A table of `count` records with ID 1..count and the given CustNo and Name values.
struct Source {
    QTemporaryDir dir;
    db::Table table;
    db::DataSource source;
    TppDBPipeline* pipeline = nullptr;
    TComponent form;

    explicit Source(const std::vector<QVariantList>& rows, const QString& index = {}, bool seek = true) {
        MakeTable(dir.path(), "Detail.DB", numberedDef(), rows);
        table.SetDatabaseName(dir.path());
        table.SetTableName("Detail.DB");
        table.SetIndexName(index);
        source.SetDataSet(&table);
        pipeline = seek ? new TppDBPipeline(&form) : new TppScanningDBPipeline(&form);
        pipeline->setObjectName("plDetail");
        pipeline->SetDataSource(&source);
    }
    static std::vector<QVariantList> ids(int count) {
        std::vector<QVariantList> rows;
        for (int i = 1; i <= count; ++i) rows.push_back({i, i, QStringLiteral("record %1").arg(i)});
        return rows;
    }
    int id() const { return table.FieldByName("ID")->AsInteger(); }
};

/// Walks the range as the engine does: First, then Next until EOF. Answers the IDs read.
QList<int> walk(TppDataPipeline& p, const QString& field = "ID", int limit = 1000) {
    QList<int> seen;
    p.First();
    while (!p.GetEOF() && limit-- > 0) {
        seen << p.GetFieldValue(field).toInt();
        p.Next();
    }
    return seen;
}

// ---- ranges ----

struct RangeCase {
    const char* name;
    int records;
    TppRangeBeginType begin;
    TppRangeEndType end;
    int endCount;
    int startAt;  ///< record the start bookmark is saved on (0: none)
    QList<int> expected;
    int moveBy;
};

TEST(PipelineRange, each_range_walks_the_records_the_rules_give) {
    using B = TppRangeBeginType;
    using E = TppRangeEndType;
    const RangeCase cases[] = {
        {"whole source", 4, B::rbFirstRecord, E::reLastRecord, 0, 0, {1, 2, 3, 4}, 1},
        {"empty source", 0, B::rbFirstRecord, E::reLastRecord, 0, 0, {}, 1},
        {"count 0", 10, B::rbFirstRecord, E::reCount, 0, 0, {}, 1},
        {"count 3 of ten", 10, B::rbFirstRecord, E::reCount, 3, 0, {1, 2, 3}, 1},
        {"count 3 of two", 2, B::rbFirstRecord, E::reCount, 3, 0, {1, 2}, 1},
        {"current record only", 6, B::rbCurrentRecord, E::reCurrentRecord, 0, 4, {4}, 1},
        {"current to last", 6, B::rbCurrentRecord, E::reLastRecord, 0, 4, {4, 5, 6}, 1},
        {"current back to first", 6, B::rbCurrentRecord, E::reFirstRecord, 0, 3, {3, 2, 1}, -1},
        {"last back to first", 5, B::rbLastRecord, E::reFirstRecord, 0, 0, {5, 4, 3, 2, 1}, -1},
        {"last back, count 2", 5, B::rbLastRecord, E::reCount, 2, 0, {5, 4}, -1},
        {"single record source", 1, B::rbFirstRecord, E::reLastRecord, 0, 0, {1}, 1},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Source s(Source::ids(c.records));
        TppDBPipeline& p = *s.pipeline;
        p.SetRangeBegin(c.begin);
        p.SetRangeEnd(c.end);
        p.SetRangeEndCount(c.endCount);
        EXPECT_EQ(p.MoveBy(), c.moveBy);
        p.Open();
        ASSERT_TRUE(p.GetActive());
        if (c.startAt > 0) {
            ASSERT_TRUE(s.table.FindKey({c.startAt}));
            p.SaveStartBookmark();
            s.table.First();  // the walk must go back to the start bookmark itself
        }
        EXPECT_EQ(walk(p), c.expected);
        EXPECT_TRUE(p.GetEOF());
        EXPECT_EQ(p.TraversalCount(), c.expected.size());
    }
}

TEST(PipelineRange, an_empty_source_is_at_its_beginning_and_end_with_no_records) {
    Source s({});
    s.pipeline->Open();
    EXPECT_TRUE(s.pipeline->GetBOF());
    EXPECT_TRUE(s.pipeline->GetEOF());
    EXPECT_EQ(s.pipeline->PipelineState(), TppDataPipeline::kStateNoRecords);
}

TEST(PipelineRange, count_of_three_ends_after_the_third_next_and_a_single_record_range_never_moves) {
    Source s(Source::ids(10));
    TppDBPipeline& p = *s.pipeline;
    p.SetRangeEnd(TppRangeEndType::reCount);
    p.SetRangeEndCount(3);
    p.Open();
    p.First();
    p.Next();
    p.Next();
    EXPECT_FALSE(p.GetEOF());
    p.Next();
    EXPECT_TRUE(p.GetEOF());

    p.SetRangeBegin(TppRangeBeginType::rbCurrentRecord);
    p.SetRangeEnd(TppRangeEndType::reCurrentRecord);
    ASSERT_TRUE(s.table.FindKey({7}));
    p.SaveStartBookmark();
    p.First();
    EXPECT_FALSE(p.GetEOF());
    p.Next();
    EXPECT_EQ(s.id(), 7);  // the record source did not move
    EXPECT_TRUE(p.GetEOF());
}

TEST(PipelineRange, a_direct_move_by_stays_until_a_range_property_changes) {
    TppDataPipeline p;
    p.SetMoveBy(2);
    EXPECT_EQ(p.MoveBy(), 2);
    p.SetRangeEnd(TppRangeEndType::reCount);
    EXPECT_EQ(p.MoveBy(), 1);
}

TEST(PipelineRange, skip_next_from_the_second_of_three_records_does_not_count_the_skipped_one) {
    Source s(Source::ids(3));
    TppDBPipeline& p = *s.pipeline;
    p.Open();
    p.First();
    p.Next();
    ASSERT_EQ(s.id(), 2);
    ASSERT_EQ(p.TraversalCount(), 1);
    p.SkipNext();
    EXPECT_EQ(s.id(), 3);
    EXPECT_EQ(p.TraversalCount(), 1);
}

TEST(PipelineEvents, moves_raise_their_numbered_events_in_order) {
    QList<int> ids;
    QStringList fired;  // outlive the pipeline, which closes (and fires OnClose) when freed
    Source s(Source::ids(2));
    TppDBPipeline& p = *s.pipeline;
    TppCommunicator listener;
    for (int id = 36; id <= 47; ++id) listener.EventNotifies().set(size_t(id));
    listener.OnEventNotify = [&](QObject*, TppCommunicator*, int id, TraParamList*) { ids << id; };
    p.AddEventNotify(&listener);
    p.OnOpen = [&](QObject*) { fired << "Open"; };
    p.OnFirst = [&](QObject*) { fired << "First"; };
    p.OnNext = [&](QObject*) { fired << "Next"; };
    p.OnClose = [&](QObject*) { fired << "Close"; };
    p.Open();
    p.First();
    p.Next();
    p.Close();
    EXPECT_EQ(fired, (QStringList{"Open", "First", "Next", "Close"}));
    // Open: 36 (the cursor opened: data set exchanged), 41 data change, 46 open; First: 42,
    // 37; Next: 43, 37; Close: 41, 47 and the cursor's own closing is not the pipeline's.
    EXPECT_TRUE(ids.contains(46));
    EXPECT_EQ(ids.mid(ids.indexOf(46) + 1), (QList<int>{42, 37, 43, 37, 41, 47}));
}

// ---- master/detail ----

struct Linked {
    QTemporaryDir dir;
    db::Table masterTable, detailTable;
    db::DataSource masterSource, detailSource;
    TComponent form;
    TppDBPipeline* master = nullptr;
    TppDBPipeline* detail = nullptr;

    /// Master customers 1..4 (Name "Customer n"), detail records with the given CustNo values
    /// in ID order, ordered by CustNo.
    Linked(const QList<QVariant>& detailCust, bool seek, const QString& linkField = "CustNo",
           const QList<QVariant>& masterNames = {}) {
        std::vector<QVariantList> masters, details;
        for (int i = 1; i <= 4; ++i)
            masters.push_back({i, i, masterNames.isEmpty() ? QStringLiteral("Customer %1").arg(i) : masterNames.value(i - 1)});
        int id = 0;
        for (const QVariant& c : detailCust) {
            ++id;
            if (linkField == "Name") details.push_back({id, id, c});
            else details.push_back({id, c, QStringLiteral("line %1").arg(id)});
        }
        MakeTable(dir.path(), "Master.DB", numberedDef(), masters);
        MakeTable(dir.path(), "Detail.DB", numberedDef(), details);
        masterTable.SetDatabaseName(dir.path());
        masterTable.SetTableName("Master.DB");
        detailTable.SetDatabaseName(dir.path());
        detailTable.SetTableName("Detail.DB");
        detailTable.SetIndexName(linkField == "Name" ? "ByName" : "ByCust");
        masterSource.SetDataSet(&masterTable);
        detailSource.SetDataSet(&detailTable);
        master = new TppDBPipeline(&form);
        master->setObjectName("plMaster");
        master->SetDataSource(&masterSource);
        detail = seek ? new TppDBPipeline(&form) : new TppScanningDBPipeline(&form);
        detail->setObjectName("plDetail");
        detail->SetDataSource(&detailSource);
        detail->SetMasterDataPipeline(master);
        detail->AddMasterFieldLink(linkField, linkField);
        master->Open();
        detail->Open();
    }
    int detailId() const { return detailTable.FieldByName("ID")->AsInteger(); }
};

class MasterDetail : public ::testing::TestWithParam<bool> {};

TEST_P(MasterDetail, first_and_last_detail_records_are_found_from_any_start) {
    const QList<QVariant> cust = {1, 1, 2, 2, 2, 3};
    struct Expect {
        int master;
        int first, last;
    };
    for (const Expect e : {Expect{2, 3, 5}, Expect{1, 1, 2}, Expect{3, 6, 6}}) {
        SCOPED_TRACE(QStringLiteral("master %1").arg(e.master));
        Linked l(cust, GetParam());
        ASSERT_TRUE(l.masterTable.FindKey({e.master}));
        for (int start = 0; start < cust.size(); ++start) {
            SCOPED_TRACE(QStringLiteral("detail starting on record %1").arg(start + 1));
            l.detailTable.First();
            l.detailTable.MoveBy(start);
            l.detail->GotoFirstDetailRecord();
            EXPECT_EQ(l.detailId(), e.first);
            l.detailTable.First();
            l.detailTable.MoveBy(start);
            l.detail->GotoLastDetailRecord();
            EXPECT_EQ(l.detailId(), e.last);
        }
        EXPECT_EQ(walk(*l.detail), [&] {
            QList<int> ids;
            for (int id = e.first; id <= e.last; ++id) ids << id;
            return ids;
        }());
    }
}

TEST_P(MasterDetail, a_master_without_details_leaves_the_detail_with_no_records) {
    for (const QList<QVariant>& cust : {QList<QVariant>{1, 1, 3}, QList<QVariant>{3, 3}, QList<QVariant>{1}}) {
        Linked l(cust, GetParam());
        ASSERT_TRUE(l.masterTable.FindKey({2}));
        l.master->RecordPositionChange();  // the detail follows the master
        EXPECT_EQ(l.detail->PipelineState(), 0);
        EXPECT_TRUE(l.detail->GetBOF());
        EXPECT_TRUE(l.detail->GetEOF());
        l.detail->UpdateState();
        EXPECT_EQ(l.detail->PipelineState(), TppDataPipeline::kStateNoRecords);
        EXPECT_TRUE(walk(*l.detail).isEmpty());
    }
}

TEST_P(MasterDetail, the_detail_follows_every_move_of_its_master) {
    Linked l({1, 1, 2, 2, 2, 3}, GetParam());
    QList<QList<int>> perMaster;
    for (l.master->First(); !l.master->GetEOF(); l.master->Next()) perMaster << walk(*l.detail);
    EXPECT_EQ(perMaster, (QList<QList<int>>{{1, 2}, {3, 4, 5}, {6}, {}}));
}

TEST_P(MasterDetail, text_link_values_that_differ_only_in_case_match) {
    Linked l({"ACME", "acme", "Acme corp", "Beta"}, GetParam(), "Name", {"acme", "Acme Corp", "BETA", "Zeta"});
    QList<QList<int>> perMaster;
    for (l.master->First(); !l.master->GetEOF(); l.master->Next()) perMaster << walk(*l.detail);
    EXPECT_EQ(perMaster, (QList<QList<int>>{{1, 2}, {3}, {4}, {}}));
}

INSTANTIATE_TEST_SUITE_P(SeekAndScan, MasterDetail, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "seek" : "scan"; });

TEST(MasterDetail, a_master_cannot_follow_its_own_detail_and_freeing_it_clears_the_link) {
    TComponent form;
    auto* a = new TppDataPipeline(&form);
    auto* b = new TppDataPipeline(&form);
    auto* c = new TppDataPipeline(&form);
    b->SetMasterDataPipeline(a);
    c->SetMasterDataPipeline(b);
    a->SetMasterDataPipeline(a);
    EXPECT_EQ(a->MasterDataPipeline(), nullptr);
    a->SetMasterDataPipeline(c);  // c follows b follows a: would close a cycle
    EXPECT_EQ(a->MasterDataPipeline(), nullptr);
    EXPECT_TRUE(c->HasMasterPipeline(a));
    delete a;
    EXPECT_EQ(b->MasterDataPipeline(), nullptr);
    EXPECT_EQ(c->MasterDataPipeline(), b);
}

TEST(MasterDetail, customers_orders_and_items_of_the_catalogue_traverse_in_two_levels) {
    pipeline_test::CatalogueDatabase database;
    ASSERT_GT(database.orderCount, 50);
    auto customers = database.OpenTable("Customers.DB", "ByCompany");  // not the orders' order
    auto orders = database.OpenTable("Orders.DB", "ByCust");
    auto items = database.OpenTable("Items.DB");
    db::DataSource cs, os, is;
    cs.SetDataSet(customers.get());
    os.SetDataSet(orders.get());
    is.SetDataSet(items.get());
    TComponent form;
    auto* plCustomer = new TppDBPipeline(&form);
    auto* plOrder = new TppDBPipeline(&form);
    auto* plItem = new TppDBPipeline(&form);
    plCustomer->SetDataSource(&cs);
    plOrder->SetDataSource(&os);
    plItem->SetDataSource(&is);
    plOrder->SetMasterDataPipeline(plCustomer);
    plOrder->AddMasterFieldLink("CustNo", "CustNo");
    plItem->SetMasterDataPipeline(plOrder);
    plItem->AddMasterFieldLink("OrderNo", "OrderNo");
    for (TppDataPipeline* p : {static_cast<TppDataPipeline*>(plCustomer), static_cast<TppDataPipeline*>(plOrder),
                               static_cast<TppDataPipeline*>(plItem)})
        p->Open();
    int customersSeen = 0, ordersSeen = 0, itemsSeen = 0;
    for (plCustomer->First(); !plCustomer->GetEOF(); plCustomer->Next()) {
        ++customersSeen;
        const int cust = plCustomer->GetFieldValue("CustNo").toInt();
        std::vector<int> orderNos;
        for (plOrder->First(); !plOrder->GetEOF(); plOrder->Next()) {
            const int orderNo = plOrder->GetFieldValue("OrderNo").toInt();
            orderNos.push_back(orderNo);
            QStringList depends;
            for (plItem->First(); !plItem->GetEOF(); plItem->Next()) depends << plItem->GetFieldAsString("Depends");
            EXPECT_EQ(depends, database.dependsOfOrder.at(orderNo)) << database.packageOfOrder.at(orderNo);
            itemsSeen += int(depends.size());
        }
        EXPECT_EQ(orderNos, database.ordersOfCustomer.at(cust)) << plCustomer->GetFieldAsString("Company");
        ordersSeen += int(orderNos.size());
    }
    EXPECT_EQ(customersSeen, database.customerCount);
    EXPECT_EQ(ordersSeen, database.orderCount);
    EXPECT_EQ(itemsSeen, database.itemCount);
}

// ---- bookmarks and the page cache ----

TEST(PipelineBookmarks, the_start_bookmark_brings_the_walk_back_to_where_the_report_started) {
    Source s(Source::ids(6));
    TppDBPipeline& p = *s.pipeline;
    p.Open();
    ASSERT_TRUE(s.table.FindKey({4}));
    p.SaveStartBookmark();
    s.table.Last();
    p.GotoStartBookmark();
    EXPECT_EQ(s.id(), 4);
}

TEST(PipelineBookmarks, a_bookmark_of_a_deleted_row_is_replaced_by_counting_from_the_first_record) {
    Source s(Source::ids(6));
    TppDBPipeline& p = *s.pipeline;
    p.Open();
    p.First();
    p.Next();
    p.Next();  // on record 3 after two counted moves
    const TppBookmark b = p.GetBookmark();
    s.table.Delete();  // record 3 goes; the walk position is count 2 from the first: record 4
    s.table.First();
    p.GotoBookmark(b);
    EXPECT_EQ(s.id(), 4);
    ASSERT_TRUE(s.table.FindKey({5}));
    p.GotoBookmark(p.GetBookmark());
    EXPECT_EQ(s.id(), 5);
}

TEST(PipelineCache, positions_saved_per_page_are_restored_and_released) {
    struct Case {
        const char* name;
        int nexts;        ///< moves before the save
        int expectedId;   ///< record after the restore
        bool bookmarked;  ///< the record holds a bookmark
    };
    const Case cases[] = {
        {"middle of the walk", 3, 4, true},
        {"at the beginning", 0, 1, false},
        {"at the end: restored through Last", 7, 6, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Source s(Source::ids(6));
        TppDBPipeline& p = *s.pipeline;
        p.Open();
        p.First();
        for (int i = 0; i < c.nexts; ++i) p.Next();
        const int count = p.TraversalCount();
        p.SaveToCache(0);
        EXPECT_EQ(p.CachedBookmarkCount(), c.bookmarked ? 1 : 0);
        ASSERT_TRUE(s.table.FindKey({2}));
        p.First();
        p.RestoreFromCache(0);
        EXPECT_EQ(s.id(), c.expectedId);
        if (c.nexts > 0 && c.nexts < 7) {
            EXPECT_EQ(p.TraversalCount(), count);
        }
        p.ResetCache(0);
        EXPECT_EQ(p.CachedBookmarkCount(), 0);
    }
}

TEST(PipelineCache, a_page_restored_after_a_reset_changes_nothing) {
    Source s(Source::ids(4));
    TppDBPipeline& p = *s.pipeline;
    p.Open();
    p.First();
    p.Next();
    p.SaveToCache(0);
    p.Next();
    p.SaveToCache(1);
    p.ResetCache(1);
    ASSERT_TRUE(s.table.FindKey({4}));
    p.RestoreFromCache(1);
    EXPECT_EQ(s.id(), 4);
    p.RestoreFromCache(0);
    EXPECT_EQ(s.id(), 2);
}

}  // namespace

#include "data_pipeline_test.moc"
