#pragma once

// Shared pieces of the designer's window tests: the report classes at 96 pixels per inch, the
// settings folder in a temporary folder, and reports over Packages.DB (the package list kept
// with the report model's test data) with a section group, a region, a sub-report and a
// two-column variant, opened in a designer window.

#include "report/designer/gui/designer_texts.h"
#include "report/designer/gui/designer_window.h"
#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/group.h"
#include "report/model/region.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/model/subreport.h"
#include "report/model/text_components.h"
#include "report/page/units.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/settings/ini_document.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include "test_paths.h"

namespace designertest {

class DesignerTest : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        report::DeclareDesignerTexts();
        settings::SetConfigRoot(config.path());
    }
    void TearDown() override {
        QApplication::processEvents();
        report::SetScreenPixelsPerInch(0);
    }
    QString iniPath() const { return config.filePath(QStringLiteral("Marlisk.ini")); }
    QTemporaryDir config;
};

/// A component placed on a band, named, at the given bounds in mm-thousandths.
template <class T>
T* place(TppBand* band, const QString& name, int left, int top, int width, int height) {
    auto* c = new T(band->Owner());
    c->SetName(name);
    c->SetUserName(name.mid(2));
    c->SetBand(band);
    c->SetmmBounds(left, top, height, width);
    // A face the install script brings (Liberation Sans stands in for Arial).
    if constexpr (std::is_base_of_v<TppCustomText, T>) {
        c->Font()->SetName(QStringLiteral("Arial"));
        c->Font()->SetSize(10);
        c->FontChanged();
    }
    return c;
}

/// Packages.DB from the package list: No, Section, Package, Size (first `rows` packages).
inline void makePackagesTable(const QString& folder, int rows) {
    db::TableDef def;
    def.Fields = {{"No", db::FieldType::ftInteger, 0, true},
                  {"Section", db::FieldType::ftString, 20, false},
                  {"Package", db::FieldType::ftString, 60, false},
                  {"Size", db::FieldType::ftInteger, 0, false}};
    def.Indexes = {{"", "No", db::IndexOption::ixPrimary}, {"BySection", "Section;No", {}}};
    db::CreateTableFile(folder, QStringLiteral("Packages.DB"), def, true);
    QFile f(QStringLiteral(MODEL_TEST_DATA_DIR "/packages.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(QStringLiteral("Packages.DB"));
    t.Open();
    t.StartBatch();
    int no = 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.isEmpty() || no >= rows) continue;
        const QStringList cols = QString::fromUtf8(line).split(QLatin1Char('\t'));
        t.Append();
        t.Fields(0)->SetValue(++no);
        t.Fields(1)->SetValue(cols.at(0));
        t.Fields(2)->SetValue(cols.at(1));
        t.Fields(3)->SetValue(cols.at(2).toInt());
        t.Post();
    }
    t.EndBatch(true);
}

/// The packages by section: a title label in the header, the section in the group header,
/// package and size in the detail band, a region with a label in the summary and a
/// sub-report of the packages in the footer-side summary. `columns` 2 makes a two-column
/// report.
struct PackagesReport {
    explicit PackagesReport(int columns = 1, int rows = 40) {
        makePackagesTable(dir.path(), rows);
        table.SetDatabaseName(dir.path());
        table.SetTableName(QStringLiteral("Packages.DB"));
        source.setObjectName(QStringLiteral("dsPackages"));
        source.SetDataSet(&table);
        pipeline->SetName(QStringLiteral("plPackages"));
        pipeline->SetDataSource(&source);
        report->SetName(QStringLiteral("rptPackages"));
        report->SetDataPipeline(pipeline);
        if (columns > 1) report->SetColumns(columns);
        header = new TppHeaderBand(&form);
        header->SetName(QStringLiteral("ppHeaderBand1"));
        header->SetReport(report);
        header->SetmmHeight(12700);
        title = place<TppLabel>(header, QStringLiteral("ppTitle"), 0, 2540, 50800, 6350);
        title->SetCaption(QStringLiteral("Packages by section"));
        detail = new TppDetailBand(&form);
        detail->SetName(QStringLiteral("ppDetailBand1"));
        detail->SetReport(report);
        detail->SetmmHeight(6350);
        package = place<TppDBText>(detail, QStringLiteral("ppPackage"), 2540, 0, 50800, 5080);
        package->SetDataPipeline(pipeline);
        package->SetDataField(QStringLiteral("Package"));
        size = place<TppDBText>(detail, QStringLiteral("ppSize"), 63500, 0, 25400, 5080);
        size->SetDataPipeline(pipeline);
        size->SetDataField(QStringLiteral("Size"));
        section->SetName(QStringLiteral("ppSectionGroup"));
        section->SetReport(report);
        section->SetDataPipeline(pipeline);
        section->SetBreakName(QStringLiteral("Section"));
        section->HeaderBand()->SetName(QStringLiteral("ppGroupHeaderBand1"));
        section->HeaderBand()->SetmmHeight(8466);
        sectionName = place<TppDBText>(section->HeaderBand(), QStringLiteral("ppSection"), 0, 1270, 50800, 5080);
        sectionName->SetDataPipeline(pipeline);
        sectionName->SetDataField(QStringLiteral("Section"));
        section->FooterBand()->SetName(QStringLiteral("ppGroupFooterBand1"));
        section->FooterBand()->SetmmHeight(4233);
        footer = new TppFooterBand(&form);
        footer->SetName(QStringLiteral("ppFooterBand1"));
        footer->SetReport(report);
        footer->SetmmHeight(8466);
        summary = new TppSummaryBand(&form);
        summary->SetName(QStringLiteral("ppSummaryBand1"));
        summary->SetReport(report);
        summary->SetmmHeight(25400);
        region = place<TppRegion>(summary, QStringLiteral("ppRegion1"), 0, 2540, 76200, 10160);
        note = place<TppLabel>(summary, QStringLiteral("ppNote"), 2540, 5080, 38100, 5080);
        note->SetCaption(QStringLiteral("End of list"));
        note->SetRegion(region);
        sub = place<TppSubReport>(summary, QStringLiteral("ppSections"), 0, 15240, 101600, 6350);
        sub->CreateReport(report);
        sub->Report()->SetName(QStringLiteral("rptSections"));
        sub->Report()->CreateDefaultBands();
    }
    ~PackagesReport() { delete report; }

    QTemporaryDir dir;
    db::Table table;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = new TppDBPipeline(&form);
    TppReport* report = new TppReport(&form);
    TppGroup* section = new TppGroup(&form);
    TppHeaderBand* header = nullptr;
    TppDetailBand* detail = nullptr;
    TppFooterBand* footer = nullptr;
    TppSummaryBand* summary = nullptr;
    TppLabel* title = nullptr;
    TppDBText* package = nullptr;
    TppDBText* size = nullptr;
    TppDBText* sectionName = nullptr;
    TppRegion* region = nullptr;
    TppLabel* note = nullptr;
    TppSubReport* sub = nullptr;
};

/// The window's workspace point of a component's control.
inline QWidget* controlOf(TppComponent* c) { return qobject_cast<QWidget*>(c->DesignControl()); }

/// Presses, moves and releases the left button from `from` to `to` (workspace coordinates)
/// on the widget that lies at `from` (what a user's drag does: the pressed widget keeps the
/// mouse), with the given keys held.
inline void drag(TppDesignerWindow& w, QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QWidget* ws = w.Workspace();
    QWidget* target = ws->childAt(from);
    if (!target) target = ws;
    const QPoint local = target == ws ? from : target->mapFrom(ws, from);
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButtons buttons) {
        const QPoint l = target == ws ? p : target->mapFrom(ws, p);
        QMouseEvent e(type, QPointF(l), QPointF(target->mapToGlobal(l)), Qt::LeftButton, buttons, keys);
        QApplication::sendEvent(target, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    Q_UNUSED(local);
    const QPoint mid = from + (to - from) / 2;
    send(QEvent::MouseMove, mid, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

/// A click (press and release at one point).
inline void click(TppDesignerWindow& w, QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QWidget* ws = w.Workspace();
    QWidget* target = ws->childAt(at);
    if (!target) target = ws;
    const QPoint l = target == ws ? at : target->mapFrom(ws, at);
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(l), QPointF(target->mapToGlobal(l)), Qt::LeftButton,
                     Qt::LeftButton, keys);
    QApplication::sendEvent(target, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(l), QPointF(target->mapToGlobal(l)), Qt::LeftButton,
                   Qt::NoButton, keys);
    QApplication::sendEvent(target, &up);
}

/// The report in its saved text form.
inline QString textForm(TppReport* r) {
    r->Template()->SetFormat(TppFormatType::ftASCII);
    return QString::fromUtf8(r->Template()->SaveToBytes());
}

}  // namespace designertest
