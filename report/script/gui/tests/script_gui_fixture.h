#pragma once

// Shared pieces of the code workspace's window tests: the report classes at 96 pixels per
// inch, the settings file in a temporary folder, the workspace's registrations (undone at the
// end), and a report over the sample database's package table with a label, a data field, a
// variable and a sub-report, opened in a designer window.

#include "report/script/code_module.h"
#include "report/script/gui/calc_dialog.h"
#include "report/script/gui/code_explorer.h"
#include "report/script/gui/code_manager.h"
#include "report/script/gui/code_toolbox.h"
#include "report/script/gui/script_gui_texts.h"
#include "report/script/program.h"
#include "report/designer/gui/designer_texts.h"
#include "report/designer/gui/designer_window.h"
#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/subreport.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/page/units.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/settings/ini_document.h"

#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMimeData>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "test_paths.h"

namespace scriptguitest {

class ScriptGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        report::DeclareDesignerTexts();
        settings::SetConfigRoot(config.path());
        script::gui::InitializeScriptGuiUnit();
    }
    void TearDown() override {
        QApplication::processEvents();
        script::gui::FinalizeScriptGuiUnit();
        report::SetScreenPixelsPerInch(0);
    }
    QTemporaryDir config;
};

template <class T>
T* place(TppBand* band, const QString& name, int left, int top, int width, int height) {
    auto* c = new T(band->Owner());
    c->SetName(name);
    c->SetBand(band);
    c->SetmmBounds(left, top, height, width);
    return c;
}

/// The packages of the sample database: Label1 in the header, the package name and Variable1
/// in the detail band, SubReport1 in the summary. The pipeline's user name is "Packages".
struct SampleReport {
    SampleReport() {
        QFile::copy(QStringLiteral(SAMPLE_DIR "/Packages.DB"), dir.filePath(QStringLiteral("Packages.DB")));
        table.SetDatabaseName(dir.path());
        table.SetTableName(QStringLiteral("Packages.DB"));
        table.Open();
        source.setObjectName(QStringLiteral("dsPackages"));
        source.SetDataSet(&table);
        pipeline->SetName(QStringLiteral("ppPackages"));
        pipeline->SetDataSource(&source);
        report->SetName(QStringLiteral("rptPackages"));
        report->SetDataPipeline(pipeline);
        header = new TppHeaderBand(&form);
        header->SetName(QStringLiteral("ppHeaderBand1"));
        header->SetReport(report);
        header->SetmmHeight(12700);
        label = place<TppLabel>(header, QStringLiteral("ppLabel1"), 0, 2540, 50800, 6350);
        label->SetCaption(QStringLiteral("Packages of the sample database"));
        detail = new TppDetailBand(&form);
        detail->SetName(QStringLiteral("ppDetailBand1"));
        detail->SetReport(report);
        detail->SetmmHeight(6350);
        package = place<TppDBText>(detail, QStringLiteral("ppPackage"), 0, 0, 50800, 5080);
        package->SetDataPipeline(pipeline);
        package->SetDataField(QStringLiteral("Package"));
        variable = place<TppVariable>(detail, QStringLiteral("ppVariable1"), 63500, 0, 25400, 5080);
        summary = new TppSummaryBand(&form);
        summary->SetName(QStringLiteral("ppSummaryBand1"));
        summary->SetReport(report);
        summary->SetmmHeight(12700);
        sub = place<TppSubReport>(summary, QStringLiteral("ppSubReport1"), 0, 2540, 101600, 6350);
        sub->CreateReport(report);
        sub->Report()->SetName(QStringLiteral("rptSub"));
        sub->Report()->CreateDefaultBands();
    }
    ~SampleReport() { delete report; }

    QTemporaryDir dir;
    db::Table table;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = new TppDBPipeline(&form);
    TppReport* report = new TppReport(&form);
    TppHeaderBand* header = nullptr;
    TppDetailBand* detail = nullptr;
    TppSummaryBand* summary = nullptr;
    TppLabel* label = nullptr;
    TppDBText* package = nullptr;
    TppVariable* variable = nullptr;
    TppSubReport* sub = nullptr;
};

/// A designer window on the report with the Calc page active.
struct CalcPage {
    explicit CalcPage(SampleReport& r) {
        window.resize(1100, 800);
        window.SetReport(r.report);
        window.show();
        EXPECT_TRUE(window.SelectPage(QStringLiteral("Calc")));
        QTabWidget* pages = window.Pages();
        for (int i = 0; i < pages->count(); ++i)
            if (TraCodeManager* m = TraCodeManager::OfPage(pages->widget(i))) manager = m;
        EXPECT_TRUE(manager);
    }
    ~CalcPage() { window.SetReport(nullptr); }
    TraCodeExplorer* explorer() const { return manager->Explorer(); }
    TraCodeEditor* editor() const { return manager->Editor(); }
    TppDesignerWindow window;
    TraCodeManager* manager = nullptr;
};

/// The list item of that caption, or none.
inline QTreeWidgetItem* listItem(QTreeWidget* aList, const QString& aCaption) {
    const QList<QTreeWidgetItem*> found = aList->findItems(aCaption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

/// Selects the tree node of that caption; false when there is none.
inline bool selectNode(QTreeWidget* aTree, const QString& aCaption) {
    QTreeWidgetItem* node = listItem(aTree, aCaption);
    if (!node) return false;
    aTree->setCurrentItem(node);
    return true;
}

/// Drops code as a drag from the toolbox does: the drop event at a point of the editor's text.
inline bool dropOnEditor(TraCodeEditor* aEditor, const QPoint& aPoint, const QString& aText) {
    QMimeData data;
    data.setData(QStringLiteral("application/x-dossara-code"), aText.toUtf8());
    QDragEnterEvent enter(aPoint, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(aEditor->Edit()->viewport(), &enter);
    QDropEvent drop(QPointF(aPoint), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(aEditor->Edit()->viewport(), &drop);
    return drop.isAccepted();
}

/// The viewport point of a line's start plus a column (both from 0).
inline QPoint pointOf(TraEdit* aEdit, int aLine, int aColumn) {
    QTextCursor c(aEdit->document()->findBlockByNumber(aLine));
    const QRect r = aEdit->cursorRect(c);
    return {r.left() + aColumn * aEdit->CharWidth() + 1, r.center().y()};
}

/// Shows the popup's opening rules and triggers one of its items.
inline bool triggerPopup(QMenu* aMenu, const char* aName) {
    Q_EMIT aMenu->aboutToShow();
    QAction* a = aMenu->findChild<QAction*>(QString::fromLatin1(aName));
    if (!a || !a->isVisible() || !a->isEnabled()) return false;
    a->trigger();
    return true;
}

}  // namespace scriptguitest
