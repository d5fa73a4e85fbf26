#pragma once

// Shared pieces of the report object model's tests: a designer window that records the
// designer messages it receives, a pipeline with a fixed table of fields, a fixture that
// registers the report classes at 96 pixels per inch, helpers that build reports and read
// their pages, and the package list of the test data as a table file.

#include "report/model/band.h"
#include "report/model/data_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/page/page.h"
#include "report/page/units.h"

#include "platform/ui/window_message.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <vector>

namespace reporttest {

/// Stands in for the designer window: records "<n>:<kind>" for each designer message
/// WM_USER+n, kind "send" when it arrived while the sender waited and "post" otherwise.
class DesignerRecorder : public QObject {
public:
    bool event(QEvent* e) override {
        if (auto* m = ui::AsWindowMessage(e)) {
            received << QStringLiteral("%1").arg(m->Msg - report::kWmUser);
            return true;
        }
        return QObject::event(e);
    }
    /// Delivers the posted messages.
    void Flush() { QCoreApplication::sendPostedEvents(this); }
    QStringList received;
};

/// A pipeline over a fixed set of text fields; Value sets the current values.
class TppTestPipeline : public TppDataPipeline {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppTestPipeline(TComponent* AOwner = nullptr) : TppDataPipeline(AOwner) {}
    bool GetActive() const override { return true; }
    TppDataType GetFieldDataType(const QString& f) const override {
        return fields.contains(f) ? TppDataType::dtString : TppDataType::dtNotKnown;
    }
    QString GetFieldAlias(const QString& f) const override { return f + QStringLiteral(" (alias)"); }
    QVariant GetFieldValue(const QString& f) const override { return values.value(f); }
    QStringList fields = {QStringLiteral("Company"), QStringLiteral("City"), QStringLiteral("Amount")};
    QHash<QString, QVariant> values;
};

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::RegisterReportClasses();
    }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }
};

/// A new component on a band, named, at the given bounds (micrometres).
template <class T>
T* place(TppBand* band, const QString& name, int left, int top, int height, int width) {
    auto* c = new T(band->Owner());
    c->SetName(name);
    c->SetBand(band);
    c->SetmmBounds(left, top, height, width);
    return c;
}

/// A new band of the report, named, of the given height (micrometres).
template <class T>
T* addBand(TppReport* r, const QString& name, int height) {
    auto* b = new T(r->Owner());
    b->SetName(name);
    b->SetReport(r);
    b->SetmmHeight(height);
    return b;
}

/// The dump of a page the report made, with the page count as far as its engine knows it.
QString dumpPage(TppReport* report, const TppPage& page);

/// Asks the report for pages; they arrive through its OnPageReceived.
void requestPages(TppReport* report, TppPageSettingType setting, int page = 0, const QStringList& list = {});

/// The dump without its first line (page numbers), which a later request knows better.
QString body(const QString& dump);

/// The texts of the text commands of a page dump, in order.
QStringList textsOf(const QString& dump);

/// Compares with the golden file of that name; DOSSARA_UPDATE_GOLDEN=1 rewrites it.
void expectGolden(const QString& text, const QString& name);

/// The first column of the rows of an SQL query over a table file.
QStringList sqlColumn(const QString& file, const QString& query);

/// The package list of the test data, a row each: section, package, installed size.
std::vector<QStringList> packageRows();

/// Packages.DB made through the table layer from the package list, in a folder of its own:
/// No, Section, Package, Size; primary index on No, index BySection (Section, No). Rows
/// only when asked.
struct PackagesTable {
    explicit PackagesTable(bool withRows = true);

    QString file() const { return dir.filePath(QStringLiteral("Packages.DB")); }
    /// The rows of a query on the table file through sqlite itself.
    std::vector<QStringList> sql(const QString& query) const;

    QTemporaryDir dir;
    std::map<QString, int> sizeOf;  ///< package → installed size
};

}  // namespace reporttest
