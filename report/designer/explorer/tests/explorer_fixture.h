#pragma once

// The explorer's tests work on copies of the sample database (its tsFolder.db and tsItem.DB,
// empty as shipped), wired as the records manager wires them: a table, a data source and a
// dataset pipeline for each, a report and a designer, and the explorer over them. What the
// explorer wrote is read back with SQL on the table files.

#include "report/designer/explorer/report_explorer.h"
#include "report/designer/gui/designer.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace explorertest {

/// Copies the sample database into a temporary folder; answers the folder.
QString CopySample(const QTemporaryDir& aDir);
/// Rows of a query on one table file of the folder, each row its columns joined with "|".
QStringList Sql(const QString& aFolder, const QString& aTableFile, const QString& aQuery);

class ExplorerTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;
    /// Builds the components over the folder (the sample copy unless changed before).
    void Wire();
    QStringList folders() const;  ///< "Id|Name|ParentId" by id
    QStringList items() const;    ///< "FolderId|Name|ItemType" by folder, name
    /// Saves the explorer's report as a report item in a folder.
    void saveReport(int aFolder, const QString& aName);

    QTemporaryDir dir;
    QTemporaryDir config;
    QString folder;
    std::unique_ptr<TComponent> owner;
    db::Table* tblFolder = nullptr;
    db::Table* tblItem = nullptr;
    TppBDEPipeline* plFolder = nullptr;
    TppBDEPipeline* plItem = nullptr;
    TppReport* report = nullptr;
    TppDesigner* designer = nullptr;
    TppReportExplorer* explorer = nullptr;
};

}  // namespace explorertest
