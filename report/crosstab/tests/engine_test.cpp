// The calculation: layouts compared whole with golden matrices, every figure checked against
// SQL over the same table file, sort and null order, the progress text, the field check, and
// what a failure or a cancel leaves behind.

#include "report/crosstab/tests/crosstab_fixture.h"

#include "report/model/custom_engine.h"
#include "report/model/errors.h"
#include "report/page/page.h"

#include "platform/db/database.h"
#include "platform/db/field.h"

#include <QTest>
#include <QTimer>

#include <functional>
#include <map>

using namespace crosstabtest;

namespace {

using D = TppDBCalcType;

class CrossTabEngine : public CrossTabTest {
public:
    /// A report over a small table Small.DB (Grp text, Num integer), rows in order.
    void makeSmallReport(const std::vector<std::pair<QString, int>>& rows) {
        makeReport(0);
        db::TableDef def;
        def.Fields = {{"No", db::FieldType::ftInteger, 0, true},
                      {"Grp", db::FieldType::ftString, 10, false},
                      {"Num", db::FieldType::ftInteger, 0, false}};
        def.Indexes = {{"", "No", db::IndexOption::ixPrimary}};
        db::CreateTableFile(sales->folder(), QStringLiteral("Small.DB"), def, true);
        small = std::make_unique<db::Table>();
        small->SetDatabaseName(sales->folder());
        small->SetTableName(QStringLiteral("Small.DB"));
        small->Open();
        for (size_t i = 0; i < rows.size(); ++i) {
            small->Append();
            small->Fields(0)->SetValue(int(i) + 1);
            small->Fields(1)->SetValue(rows[i].first);
            small->Fields(2)->SetValue(rows[i].second);
            small->Post();
        }
        small->First();
        smallSource.SetDataSet(small.get());
        pipeline->SetDataSource(&smallSource);
    }

    /// Fills the Sales table made empty by makeSmallReport.
    void makeSalesRows() {
        sales = std::make_unique<SalesTable>(40, TestProducts());
        table = std::make_unique<db::Table>();
        table->SetDatabaseName(sales->folder());
        table->SetTableName(QStringLiteral("Sales.DB"));
        table->Open();
        source.SetDataSet(table.get());
    }

    std::unique_ptr<db::Table> small;
    db::DataSource smallSource;
};

// Golden layouts ------------------------------------------------------------------------------

TEST_F(CrossTabEngine, layouts_of_dimensions_and_values_match_their_golden_matrices) {
    struct Case {
        const char* golden;
        std::function<void(CrossTabEngine&)> define;
    };
    const Case cases[] = {
        {"one_value_no_dimension.txt", [](CrossTabEngine& t) { t.addValue("Amount", D::dcSum); }},
        {"one_value_one_row.txt",
         [](CrossTabEngine& t) {
             t.add<TppRowDef>("Region");
             t.addValue("Amount", D::dcSum);
         }},
        {"one_value_one_column.txt",
         [](CrossTabEngine& t) {
             t.add<TppColumnDef>("Year");
             t.addValue("Qty", D::dcMaximum);
         }},
        {"two_values_column_and_row.txt",
         [](CrossTabEngine& t) {
             t.add<TppColumnDef>("Year");
             t.add<TppRowDef>("Region");
             t.addValue("Amount", D::dcSum);
             t.addValue("Qty", D::dcCount);
         }},
        {"two_values_no_row.txt",
         [](CrossTabEngine& t) {
             t.add<TppColumnDef>("Quarter");
             t.addValue("Amount", D::dcMinimum);
             t.addValue("Qty", D::dcAverage);
         }},
        {"year_quarter_by_region_product.txt",
         [](CrossTabEngine& t) {
             t.add<TppColumnDef>("Year");
             t.add<TppColumnDef>("Quarter");
             t.add<TppRowDef>("Region");
             t.add<TppRowDef>("Product");
             t.addValue("Amount", D::dcSum);
             t.addValue("Qty", D::dcAverage);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        makeReport(24);
        c.define(*this);
        expectGolden(calculate(), QString::fromLatin1(c.golden));
    }
}

// Figures against SQL ---------------------------------------------------------------------------

/// The figures of SQL GROUP BY over the table file, one query per total level, by key
/// "R=<region>|P=<product>|Y=<year>|Q=<quarter>" (a level left out is absent from the key).
std::map<QString, std::pair<QString, double>> sqlFigures(const SalesTable& sales) {
    std::map<QString, std::pair<QString, double>> out;
    const QStringList rowLevels[] = {{"UPPER(Region)", "UPPER(Product)"}, {"UPPER(Region)"}, {}};
    const QStringList columnLevels[] = {{"Year", "Quarter"}, {"Year"}, {}};
    const char* const tags[] = {"R", "P", "Y", "Q"};
    for (const QStringList& rows : rowLevels)
        for (const QStringList& columns : columnLevels) {
            const QStringList keys = rows + columns;
            QString query = QStringLiteral("SELECT printf('%.4f', SUM(Amount)), AVG(Qty)");
            for (const QString& k : keys) query += u',' + k;
            query += QStringLiteral(" FROM \"Sales.DB\" WHERE Region IS NOT NULL");
            if (!keys.isEmpty()) query += QStringLiteral(" GROUP BY ") + keys.join(u',');
            for (const QStringList& r : sales.sql(query)) {
                QStringList key;
                for (int i = 0; i < keys.size(); ++i) {
                    const int tag = keys[i].contains(QLatin1String("Region"))    ? 0
                                    : keys[i].contains(QLatin1String("Product")) ? 1
                                    : keys[i] == QLatin1String("Year")           ? 2
                                                                                 : 3;
                    key << QStringLiteral("%1=%2").arg(QLatin1String(tags[tag]), r[2 + i]);
                }
                out[key.join(u'|')] = {r[0], r[1].toDouble()};
            }
        }
    return out;
}

TEST_F(CrossTabEngine, every_cell_subtotal_and_grand_total_equals_sql_group_by_over_the_table_file) {
    makeReport(3000);
    add<TppColumnDef>("Year");
    add<TppColumnDef>("Quarter");
    add<TppRowDef>("Region");
    add<TppRowDef>("Product");
    TppValueDef* sum = addValue("Amount", D::dcSum);
    TppValueDef* average = addValue("Qty", D::dcAverage);
    ASSERT_FALSE(calculate().isEmpty());
    const TppMatrix& m = *crossTab->Matrix();
    const auto expected = sqlFigures(*sales);
    const QString sumName = sum->GetName(), averageName = average->GetName();
    ASSERT_EQ(m.HeaderRowCount, 3);
    ASSERT_EQ(m.HeaderColumnCount, 3);

    int checked = 0, crossTotals = 0;
    for (int c = m.HeaderColumnCount; c < m.ColumnCount(); ++c) {
        QStringList columnKey;
        const int columnLevel = m.IsTotalColumn(c) ? m.Level(c, 2) : 2;  // 0 year subtotal, -1 grand total
        if (columnLevel != -1) columnKey << QStringLiteral("Y=") + m.Value(c, 1).toString();
        if (columnLevel == 2) columnKey << QStringLiteral("Q=") + m.Value(c, 2).toString();
        for (int r = m.HeaderRowCount; r < m.RowCount(); ++r) {
            QStringList rowKey;
            int v = -1;
            if (m.IsTotalRow(r)) {
                v = m.ValueIndex(2, r);
                if (m.Level(0, r) == 0) rowKey << QStringLiteral("R=") + m.Value(0, r).toString().toUpper();
            } else {
                rowKey << QStringLiteral("R=") + m.Value(0, r).toString().toUpper() << QStringLiteral("P=") + m.Value(1, r).toString().toUpper();
                v = m.Value(2, r).toString() == sumName ? 0 : (m.Value(2, r).toString() == averageName ? 1 : -1);
            }
            ASSERT_GE(v, 0) << "row " << r;
            const QString key = (rowKey + columnKey).join(u'|');
            SCOPED_TRACE(key.toStdString());
            auto it = expected.find(key);
            if (it == expected.end()) {
                EXPECT_TRUE(m.IsEmpty(c, r)) << "a figure where SQL has no rows";
                continue;
            }
            ASSERT_FALSE(m.IsEmpty(c, r));
            if (v == 0) EXPECT_EQ(crosstab::ValueText(m.Value(c, r)), it->second.first);
            else EXPECT_NEAR(m.Value(c, r).toDouble(), it->second.second, 1e-9);
            ++checked;
            if (m.IsTotalColumn(c) && m.Level(c, 2) == 0 && m.IsTotalRow(r) && m.Level(0, r) == 0) ++crossTotals;
        }
    }
    EXPECT_GT(checked, 500);
    // Where a year subtotal meets a region subtotal the cell is computed too.
    EXPECT_EQ(crossTotals, 4 /* years */ * 2 /* regions */ * 2 /* values */);
}

TEST_F(CrossTabEngine, cells_do_the_same_arithmetic_whether_or_not_a_handler_answers_each_step) {
    const auto define = [this] {
        add<TppColumnDef>("Quarter");
        add<TppRowDef>("Region");
        for (D calc : {D::dcCount, D::dcSum, D::dcMinimum, D::dcMaximum, D::dcAverage}) {
            addValue("Amount", calc);
            addValue("Qty", calc);
        }
    };
    makeReport(500);
    define();
    const QString plain = calculate();
    makeReport(500);
    define();
    int steps = 0;
    crossTab->OnCalcDimensionValue = [&](QObject*, TppDimension*, QVariant&) { ++steps; };
    EXPECT_EQ(calculate(), plain);
    EXPECT_GT(steps, 0);
}

// Sort order and case folding -------------------------------------------------------------------

TEST_F(CrossTabEngine, columns_follow_sort_and_null_order_with_a_to_z_folded_and_the_first_records_form) {
    struct Case {
        TppSortOrderType sort;
        TppNullOrderType nulls;
        QStringList expected;  ///< upper-cased captions, "null" for the null column
    };
    const Case cases[] = {
        {TppSortOrderType::soAscending, TppNullOrderType::ctnoLast, {"EAST", "WEST", "null"}},
        {TppSortOrderType::soAscending, TppNullOrderType::ctnoFirst, {"null", "EAST", "WEST"}},
        {TppSortOrderType::soDescending, TppNullOrderType::ctnoLast, {"WEST", "EAST", "null"}},
        {TppSortOrderType::soDescending, TppNullOrderType::ctnoFirst, {"null", "WEST", "EAST"}},
    };
    for (const Case& k : cases) {
        makeReport(60);
        auto* region = add<TppColumnDef>("Region");
        region->SetSkipNulls(false);
        region->SetSortType(k.sort);
        region->SetNullOrder(k.nulls);
        addValue("Amount", D::dcCount);
        calculate();
        const TppMatrix& m = *crossTab->Matrix();
        QStringList captions;
        for (int c = m.HeaderColumnCount; c < m.ColumnCount() - 1; ++c) {
            const QVariant v = m.Value(c, 1);
            captions << (crosstab::IsNull(v) ? QStringLiteral("null") : v.toString().toUpper());
            if (!crosstab::IsNull(v)) {
                // The caption keeps the form of the group's first record.
                const auto first = sales->sql(QStringLiteral("SELECT Region FROM \"Sales.DB\" WHERE UPPER(Region) = '%1' "
                                                             "ORDER BY No LIMIT 1").arg(v.toString().toUpper()));
                ASSERT_EQ(first.size(), 1u);
                EXPECT_EQ(v.toString(), first[0][0]);
            }
        }
        EXPECT_EQ(captions, k.expected);
    }
}

TEST_F(CrossTabEngine, two_column_levels_put_each_subtotal_after_its_group) {
    makeReport(24);
    add<TppColumnDef>("Year");
    add<TppColumnDef>("Quarter");
    addValue("Amount", D::dcCount);
    calculate();
    const TppMatrix& m = *crossTab->Matrix();
    QStringList columns;
    for (int c = m.HeaderColumnCount; c < m.ColumnCount(); ++c) {
        if (!m.IsTotalColumn(c)) columns << m.Value(c, 1).toString() + u' ' + m.Value(c, 2).toString();
        else if (m.Level(c, 2) == 0) columns << m.Value(c, 1).toString() + QStringLiteral(" sub");
        else columns << QStringLiteral("grand");
    }
    EXPECT_EQ(columns, QStringList({"1999 1", "1999 2", "1999 3", "1999 4", "1999 sub", "2000 1", "2000 2", "2000 3",
                                    "2000 4", "2000 sub", "2001 1", "2001 2", "2001 3", "2001 4", "2001 sub", "2002 1",
                                    "2002 2", "2002 3", "2002 4", "2002 sub", "grand"}));
}

// Mends -----------------------------------------------------------------------------------------

TEST_F(CrossTabEngine, an_average_over_an_integer_field_keeps_its_fraction_and_sums_do_not_wrap) {
    makeSmallReport({{"a", 1}, {"a", 2}, {"b", 2000000000}, {"b", 2000000000}, {"b", 2000000000}});
    add<TppRowDef>("Grp");
    addValue("Num", D::dcAverage);
    addValue("Num", D::dcSum);
    calculate();
    const TppMatrix& m = *crossTab->Matrix();
    // Rows: a (average, sum), b (average, sum), grand totals (average, sum).
    const int r0 = m.HeaderRowCount;
    EXPECT_EQ(m.Value(m.HeaderColumnCount, r0).toDouble(), 1.5);
    EXPECT_EQ(m.Value(m.HeaderColumnCount, r0 + 1).toLongLong(), 3);
    EXPECT_EQ(m.Value(m.HeaderColumnCount, r0 + 3).toLongLong(), 6000000000LL);
    EXPECT_EQ(m.Value(m.HeaderColumnCount, r0 + 5).toLongLong(), 6000000003LL);
    EXPECT_DOUBLE_EQ(m.Value(m.HeaderColumnCount, r0 + 4).toDouble(), 6000000003.0 / 5.0);
    EXPECT_EQ(m.GetCount(m.HeaderColumnCount, r0), 2);
}

TEST_F(CrossTabEngine, a_failing_handler_restores_the_pipeline_and_leaves_no_matrix) {
    makeReport(300);
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    pipeline->Open();
    pipeline->First();
    for (int i = 0; i < 7; ++i) pipeline->Next();
    const TppBookmark before = pipeline->GetBookmark();
    const quint8 state = pipeline->PipelineState();
    const QVariant no = pipeline->GetFieldValue(QStringLiteral("No"));
    int calls = 0;
    crossTab->OnGetDimensionValue = [&](QObject*, TppDimension*, QVariant&, bool&) {
        if (++calls == 400) throw EDataError(QStringLiteral("handler failed"));
    };
    EXPECT_THROW(crossTab->Engine()->Calculate(), EDataError);
    EXPECT_EQ(crossTab->Matrix(), nullptr);
    EXPECT_EQ(pipeline->GetBookmark(), before);
    EXPECT_EQ(pipeline->PipelineState(), state);
    EXPECT_EQ(pipeline->GetFieldValue(QStringLiteral("No")), no);
}

TEST_F(CrossTabEngine, the_reports_cancel_stops_the_calculation_at_the_next_message_pump_with_the_pipeline_restored) {
    makeReport(2000);
    add<TppColumnDef>("Year");
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    report->SetEnableProcessMessages(true);
    pipeline->Open();
    pipeline->First();
    pipeline->Next();
    const TppBookmark before = pipeline->GetBookmark();
    int traversed = 0, after = 0;
    crossTab->OnTraverseRecord = [&](QObject*, TppDataPipeline*, bool&) { ++traversed; };
    crossTab->AfterCalc = [&](QObject*) { ++after; };
    // The Cancel button's click waits in the event queue until the calculation pumps messages.
    QTimer::singleShot(0, report, [this] { report->Engine()->SetCancelled(true); });
    crossTab->Engine()->Calculate();
    report->Engine()->SetCancelled(false);
    EXPECT_EQ(crossTab->Matrix(), nullptr);
    EXPECT_EQ(after, 0);
    EXPECT_LT(traversed, 200);  // the records up to the first message pump, skipped ones included
    EXPECT_EQ(pipeline->GetBookmark(), before);
}

// Progress, missing fields, no records ------------------------------------------------------------

TEST_F(CrossTabEngine, the_status_timer_shows_the_progress_text_while_the_report_pumps_messages) {
    makeReport(250);
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    report->SetEnableProcessMessages(true);
    QStringList shown;
    report->OnStatusMessage = [&](const QString& text) { shown << text; };
    int traversed = 0;
    crossTab->OnTraverseRecord = [&](QObject*, TppDataPipeline*, bool&) {
        if (++traversed == 150) QTest::qWait(300);  // a slow handler: the 250 ms timer fires meanwhile
    };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    report->RequestPages(&request);
    EXPECT_TRUE(shown.contains(QStringLiteral("Calculating Crosstab: Record 100."))) << shown.join(u'/').toStdString();
    EXPECT_EQ(crossTab->Engine()->ProgressText(), QStringLiteral("Calculating Crosstab: Record 200."));
}

TEST_F(CrossTabEngine, a_field_missing_from_the_pipeline_stops_the_report_with_its_name) {
    makeReport(10);
    add<TppColumnDef>("Year");
    auto* bad = add<TppValueDef>("Amout");
    bad->SetFieldAlias(QStringLiteral("Takings"));
    try {
        crossTab->Engine()->Calculate();
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot generate report.\r\n\r\nCrossTab: CrossTab1 references field "
                                              "'Takings' which is not a field of data pipeline: plSales."));
    }
    EXPECT_EQ(crossTab->Matrix(), nullptr);
}

TEST_F(CrossTabEngine, a_traversal_that_skips_every_record_leaves_no_matrix_and_fires_no_after_calc) {
    makeReport(30);
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    int before = 0, after = 0;
    crossTab->BeforeCalc = [&](QObject*) { ++before; };
    crossTab->AfterCalc = [&](QObject*) { ++after; };
    crossTab->OnTraverseRecord = [](QObject*, TppDataPipeline*, bool& skip) { skip = true; };
    EXPECT_EQ(calculate(), QString());
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
}

TEST_F(CrossTabEngine, a_null_column_value_with_skip_nulls_leaves_the_whole_record_out) {
    makeReport(70);
    add<TppColumnDef>("Region");
    addValue("Amount", D::dcCount);
    calculate();
    const TppMatrix& m = *crossTab->Matrix();
    const int grand = m.ColumnCount() - 1;
    const auto rows = sales->sql(QStringLiteral("SELECT COUNT(*) FROM \"Sales.DB\" WHERE Region IS NOT NULL"));
    EXPECT_EQ(m.Value(grand, m.HeaderRowCount).toString(), rows[0][0]);
}

// Generation in a report ------------------------------------------------------------------------

TEST_F(CrossTabEngine, each_new_generation_calculates_once_and_draw_off_takes_no_space) {
    makeReport(40);
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    int calculations = 0;
    crossTab->BeforeCalc = [&](QObject*) { ++calculations; };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    report->RequestPages(&request);
    EXPECT_EQ(calculations, 1);
    EXPECT_EQ(crossTab->GenerationCount(), 1);
    EXPECT_EQ(crossTab->CalculatedGeneration(), 1);
    ASSERT_NE(crossTab->Matrix(), nullptr);
    EXPECT_GT(crossTab->SpaceUsed(), 0);
    EXPECT_EQ(crossTab->StatusTimer(), nullptr);
    EXPECT_FALSE(crossTab->Calculating());

    crossTab->SetDraw(false);
    report->ResetEngines();
    report->RequestPages(&request);
    EXPECT_EQ(calculations, 2);
    EXPECT_EQ(crossTab->SpaceUsed(), 0);
    EXPECT_FALSE(crossTab->OverFlow());
}

TEST_F(CrossTabEngine, a_cross_tab_in_the_detail_band_calculates_once_for_every_record_it_prints_with) {
    makeSmallReport({{"a", 1}, {"b", 2}, {"c", 3}});
    // The report walks Small.DB; the cross-tab summarises Sales.DB again for each of its records.
    auto* detail = new TppDBPipeline(&form);
    detail->SetName(QStringLiteral("plSmall"));
    detail->SetDataSource(&smallSource);
    pipeline->SetDataSource(&source);
    report->SetDataPipeline(detail);
    makeSalesRows();
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    int calculations = 0;
    crossTab->BeforeCalc = [&](QObject*) { ++calculations; };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    report->RequestPages(&request);
    EXPECT_EQ(calculations, 3);
    EXPECT_EQ(crossTab->GenerationCount(), 3);
    EXPECT_EQ(crossTab->CalculatedGeneration(), 3);
}

TEST_F(CrossTabEngine, a_cross_tab_without_value_definitions_never_calculates) {
    makeReport(10);
    add<TppRowDef>("Region");
    int calculations = 0;
    crossTab->BeforeCalc = [&](QObject*) { ++calculations; };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    report->RequestPages(&request);
    EXPECT_EQ(calculations, 0);
    EXPECT_EQ(crossTab->Matrix(), nullptr);
}

}  // namespace
