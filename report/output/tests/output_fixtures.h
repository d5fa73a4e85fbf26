#pragma once

// Shared pieces of the output tests: a fixture with the output forms registered, a printer
// catalogue with one printer that prints into a PDF file, the records of a report-emulation
// text file, and a list report over a table file of the Debian package list.

#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "testsupport/temp_folder.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/print/testing/fake_catalog.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace outputtest {

/// A test folder with the output unit initialized, its forms registered and the screen at
/// 96 pixels per inch.
class OutputFormsTest : public testsupport::TempFolder {
protected:
    void SetUp() override;
    void TearDown() override;
};

/// One printer, "Office Laser" (A4 and Letter), whose documents go into the PDF file given.
std::unique_ptr<print::testing::FakeCatalog> pdfPrinter(const QString& pdfFile);

/// The non-empty lines of a report-emulation text file, blanks between words squeezed.
QStringList textRecords(const QString& file);

/// A list report over Packages.db in the test's folder, made from the package list of the
/// model's test data (primary index on Package): one detail band with a data text for each of
/// Package, Section and Size, all saved with the report.
class PackageListReport : public testsupport::TempFolder {
protected:
    void SetUp() override;
    void TearDown() override;

    std::vector<QStringList> rows;  ///< the package list as read: section, package, size
    db::Table table;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = nullptr;
    TppReport* report = nullptr;
};

}  // namespace outputtest
