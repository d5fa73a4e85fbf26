#pragma once

// The cross-tab tests' report: a report with its default bands, a dataset pipeline over a
// Sales table made through the table layer, and a cross-tab in the detail band over it.

#include "report/crosstab/crosstab.h"
#include "report/crosstab/crosstab_classes.h"
#include "report/crosstab/crosstab_engine.h"
#include "report/crosstab/tests/sales_table.h"

#include "report/model/band.h"
#include "report/model/db_pipeline.h"
#include "report/model/pipeline_adapters.h"
#include "report/model/printable_adapters.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/page/units.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"

#include <gtest/gtest.h>

#include <QFile>

#include <memory>
#include "test_paths.h"

namespace crosstabtest {

/// The fixed product names of the tests' Sales table (Debian packages).
inline QStringList TestProducts() {
    return {"apt", "bash", "coreutils", "dpkg", "grep", "sed", "tar", "gzip"};
}

class CrossTabTest : public ::testing::Test {
public:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::RegisterReportClasses();
        static const bool adapters = [] {
            report::RegisterPrintableAdapters();
            report::RegisterPipelineAdapters();
            return true;
        }();
        (void)adapters;
        report::RegisterCrossTabClasses();
    }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }

    /// The report over a Sales table of `rows` rows; the cross-tab is in its detail band.
    void makeReport(int rows) {
        sales = std::make_unique<SalesTable>(rows, TestProducts());
        table = std::make_unique<db::Table>();
        table->SetDatabaseName(sales->folder());
        table->SetTableName(QStringLiteral("Sales.DB"));
        table->Open();
        source.SetDataSet(table.get());
        pipeline = new TppDBPipeline(&form);
        pipeline->SetName(QStringLiteral("plSales"));
        pipeline->SetDataSource(&source);
        report = new TppReport(&form);
        report->SetName(QStringLiteral("ppReport1"));
        report->CreateDefaultBands();
        crossTab = new TppCrossTab(&form);
        crossTab->SetName(QStringLiteral("ppCrossTab1"));
        crossTab->SetBand(report->GetBand(TppBandType::btDetail));
        crossTab->SetDataPipeline(pipeline);
    }

    /// A definition of the field, appended through the cross-tab's child list.
    template <class T>
    T* add(const QString& field) {
        auto* d = new T(crossTab);
        d->SetFieldName(field);
        d->SetFieldAlias(field);
        d->SetParent(crossTab);
        return d;
    }
    TppValueDef* addValue(const QString& field, TppDBCalcType calc) {
        auto* v = add<TppValueDef>(field);
        v->SetCalcType(calc);
        return v;
    }

    /// Runs one calculation and answers the matrix text ("" without a matrix).
    QString calculate() {
        crossTab->Engine()->Calculate();
        return crossTab->Matrix() ? crosstab::MatrixText(*crossTab->Matrix()) : QString();
    }

    /// Compares with the golden file of that name; DOSSARA_UPDATE_GOLDEN=1 rewrites it.
    static void expectGolden(const QString& text, const QString& name) {
        const QString path = QStringLiteral(TEST_DATA_DIR "/") + name;
        if (qEnvironmentVariableIsSet("DOSSARA_UPDATE_GOLDEN")) {
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(text.toUtf8());
            return;
        }
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_EQ(text, QString::fromUtf8(in.readAll()));
    }

    std::unique_ptr<SalesTable> sales;
    std::unique_ptr<db::Table> table;
    db::DataSource source;
    TppDBPipeline* pipeline = nullptr;
    TppReport* report = nullptr;
    TppCrossTab* crossTab = nullptr;
    TComponent form;  ///< last, so that it frees the report and pipeline before the table closes
};

}  // namespace crosstabtest
