// The designer window: its pages and tabs, caption, design surface layout, messages,
// settings, Preview page with its snapshot, and the designer component around it.

#include "designer_fixture.h"

#include "report/designer/gui/designer.h"
#include "report/designer/gui/popup_menu.h"
#include "report/designer/gui/ruler.h"
#include "report/model/module.h"
#include "report/model/reg_list.h"
#include "report/output/gui/viewer.h"
#include "report/output/screen_device.h"

#include "platform/stream/class_registry.h"
#include "platform/ui/window_message.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTabBar>
#include <QTabWidget>
#include "test_paths.h"

using namespace designertest;

namespace {

QStringList pageCaptions(TppDesignerWindow& w) {
    QStringList captions;
    for (int i = 0; i < w.Pages()->count(); ++i) captions << w.Pages()->tabText(i);
    return captions;
}

/// A design module with a caption and page index of its own.
class TestModule : public TppDesignModule {
public:
    TestModule(QWidget* page, TppComponentDesigner* designer, const QString& caption, int index)
        : TppDesignModule(page, designer) {
        SetCaption(caption);
        SetPageIndex(index);
    }
    void BeforePreview() override { ++previews; }
    void AfterPreview() override { ++afterPreviews; }
    static inline int previews = 0;
    static inline int afterPreviews = 0;
};

const TppDesignModuleClass kDataModule{QStringLiteral("TestDataModule"), [](QWidget* p, TppComponentDesigner* d) {
                                           return new TestModule(p, d, QStringLiteral("data"), 1);
                                       }};
const TppDesignModuleClass kCodeModule{QStringLiteral("TestCodeModule"), [](QWidget* p, TppComponentDesigner* d) {
                                           return new TestModule(p, d, QStringLiteral("code"), 2);
                                       }};

}  // namespace

/// A report module named like the scripting language's code module.
class TraCodeModule : public TppReportModule {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TraCodeModule(TComponent* AOwner = nullptr) : TppReportModule(AOwner) {}
};

TEST_F(DesignerTest, PagesFollowModuleRegistrationsAndReportTabsFollowSubReports) {
    ppRegisterDesignModule(&kCodeModule, QStringLiteral("TppDesignerWindow"));
    ppRegisterDesignModule(&kDataModule, QStringLiteral("TppDesignerWindow"));
    ppRegisterDesignModule(&kDataModule, QStringLiteral("TppDesignerWindow"));  // kept once
    {
        TppDesignerWindow w;
        EXPECT_EQ(pageCaptions(w), (QStringList{"data", "code", "Design", "Preview"}));
        ppUnregisterDesignModule(&kCodeModule, QStringLiteral("TppDesignerWindow"));
        EXPECT_EQ(pageCaptions(w), (QStringList{"data", "Design", "Preview"}));
        ppUnregisterDesignModule(&kCodeModule, QStringLiteral("TppDesignerWindow"));  // unknown: nothing
        ppUnregisterDesignModule(&kDataModule, QStringLiteral("TppDesignerWindow"));
        EXPECT_EQ(pageCaptions(w), (QStringList{"Design", "Preview"}));

        PackagesReport r;
        w.SetReport(r.report);
        auto* tabs = testsupport::FindControl<QTabBar>(&w, QStringLiteral("tbsReport"));
        ASSERT_TRUE(tabs);
        ASSERT_EQ(tabs->count(), 2);
        EXPECT_EQ(tabs->tabText(0), QStringLiteral("Main"));
        EXPECT_FALSE(tabs->isHidden());
        // The child report's tab shows its bands on the workspace; Main shows the report again.
        tabs->setCurrentIndex(1);
        EXPECT_EQ(w.GetReport(), r.sub->Report());
        EXPECT_TRUE(w.BandStrip(r.sub->Report()->GetDetailBand()));
        tabs->setCurrentIndex(0);
        EXPECT_EQ(w.GetReport(), r.report);
        w.SetReport(nullptr);
    }
    EXPECT_EQ(ppGetDesignModuleList().Count(), 0);
}

TEST_F(DesignerTest, CaptionNamesTheTemplateAndMarksReadOnlyFiles) {
    PackagesReport r;
    QTemporaryDir files;
    const QString file = files.filePath(QStringLiteral("packages.rtm"));
    r.report->Template()->SetFileName(file);
    r.report->Template()->SaveToFile();
    TppDesignerWindow w;
    w.SetReport(r.report);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Marlisk"));
    r.report->SetSaveAsTemplate(true);
    w.SetCaptionBase(QStringLiteral("Report Designer"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Report Designer: ") + file);
    QFile::setPermissions(file, QFile::ReadOwner);
    w.SetCaptionBase(QStringLiteral("Report Designer"));
    if (!QFileInfo(file).isWritable()) {  // (the superuser may write any file)
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Report Designer: ") + file + QStringLiteral(" [Read Only]"));
    }
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    w.SetReport(nullptr);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Report Designer"));
}

TEST_F(DesignerTest, DesignPageLaysOutBandsStripsAndControlsWhereTheyPrint) {
    PackagesReport r;
    TppDesignerWindow w;
    w.resize(1000, 760);
    w.SetReport(r.report);
    w.show();
    QApplication::processEvents();
    // Band order: header, group header, detail, group footer, footer, summary.
    struct Row {
        TppBand* band;
        int top;     // area top on the workspace
        int height;  // area height in pixels (mm-thousandths at 96 ppi, rounded)
    };
    const int header = 48, group = 32, detail = 24, groupFooter = 16, summary = 96, footer = 32;
    const Row rows[] = {{r.header, 0, header},
                        {r.section->HeaderBand(), header + 19, group},
                        {r.detail, header + group + 38, detail},
                        {r.section->FooterBand(), header + group + detail + 57, groupFooter},
                        {r.footer, header + group + detail + groupFooter + 76, footer},
                        {r.summary, header + group + detail + groupFooter + footer + 95, summary}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.band->Name().toStdString());
        EXPECT_EQ(w.BandTop(row.band), row.top);
        TppDesignBand* strip = w.BandStrip(row.band);
        ASSERT_TRUE(strip);
        EXPECT_EQ(strip->geometry(), QRect(0, row.top + row.height, w.Workspace()->width(), 19));
        EXPECT_TRUE(strip->Caption().startsWith(QStringLiteral("  ^  ")));
        EXPECT_EQ(w.BandRuler(row.band)->height(), row.height);
    }
    EXPECT_EQ(w.BandStrip(r.detail)->Caption(), QStringLiteral("  ^  Detail"));
    // Components: left and top as printed, top within the band's area.
    struct Place {
        TppComponent* c;
        QRect rect;
    };
    const Place places[] = {{r.title, QRect(0, 10, 192, 24)},
                            {r.package, QRect(10, rows[2].top, 192, 19)},
                            {r.size, QRect(240, rows[2].top, 96, 19)},
                            {r.sectionName, QRect(0, rows[1].top + 5, 192, 19)},
                            {r.region, QRect(0, rows[5].top + 10, 288, 38)},
                            {r.note, QRect(10, rows[5].top + 19, 144, 19)}};
    for (const Place& p : places) {
        SCOPED_TRACE(p.c->Name().toStdString());
        ASSERT_TRUE(controlOf(p.c));
        EXPECT_EQ(controlOf(p.c)->geometry(), p.rect);
    }
    // Width: the printable page width in pixels + 1; the grid's band list.
    EXPECT_EQ(w.Workspace()->width(), int(ppFromMMThousandths(r.report->PrintableWidth(), TppUnitType::utScreenPixels,
                                                                 report::kHorizontal, nullptr)) + 1);
    EXPECT_EQ(w.Workspace()->BandHeights,
              (QStringList{"48", "32", "24", "16", "32", "96"}));
    testsupport::GrabToPng(&w, QStringLiteral("designer_design_page"));
    w.SetReport(nullptr);
}

TEST_F(DesignerTest, TwoColumnReportShadesTheColumnsAndGetsItsColumnBands) {
    PackagesReport r(2);
    r.report->SetColumnWidth(3.0f);
    TppDesignerWindow w;
    w.resize(1000, 760);
    w.SetReport(r.report);
    w.show();
    ASSERT_TRUE(r.report->GetBand(TppBandType::btColumnHeader));
    ASSERT_TRUE(r.report->GetBand(TppBandType::btColumnFooter));
    EXPECT_TRUE(w.Workspace()->ShadeColumns());
    TppBand* columnHeader = r.report->GetBand(TppBandType::btColumnHeader);
    TppBand* columnFooter = r.report->GetBand(TppBandType::btColumnFooter);
    const QRect shaded = w.Workspace()->ShadedRect();
    EXPECT_EQ(shaded.left(), 288);
    EXPECT_EQ(shaded.top(), w.BandTop(columnHeader));
    EXPECT_EQ(shaded.bottom(), w.BandStrip(columnFooter)->geometry().bottom());
    testsupport::GrabToPng(&w, QStringLiteral("designer_two_columns"));
    w.SetReport(nullptr);
}

TEST_F(DesignerTest, MessagesNeedTheMarkerAndPostedOnesForFreedObjectsAreDropped) {
    PackagesReport r;
    TppDesignerWindow w;
    w.SetReport(r.report);
    r.report->SetModified(false);
    // WParam 5049 changes nothing; 5050 lays the bands out and marks the report modified.
    r.header->setProperty("dummy", 0);
    const int before = w.BandTop(r.detail);
    r.header->SetmmHeight(25400);  // sends the band-resized message itself
    EXPECT_EQ(w.BandTop(r.detail), before + 48);
    r.report->SetModified(false);
    ui::SendMessage(&w, report::PPM_BAND_RESIZED, 5049, qintptr(r.header));
    EXPECT_FALSE(r.report->Modified());
    ui::SendMessage(&w, report::PPM_BAND_RESIZED, 5050, qintptr(r.header));
    EXPECT_TRUE(r.report->Modified());
    r.report->SetModified(false);
    ui::SendMessage(&w, report::kWmUser + 126, 5050, 0);
    EXPECT_FALSE(r.report->Modified());

    // A posted name change whose component is freed before it arrives is dropped.
    auto* doomed = place<TppLabel>(r.detail, QStringLiteral("ppDoomed"), 0, 0, 10000, 4000);
    doomed->SetUserName(QStringLiteral("Renamed"));  // posts the name-changed message
    delete doomed;
    r.report->SetModified(false);
    QCoreApplication::sendPostedEvents(&w);
    EXPECT_FALSE(r.report->Modified());
    // One whose component is still there marks the report modified.
    r.title->SetUserName(QStringLiteral("Heading"));
    QCoreApplication::sendPostedEvents(&w);
    EXPECT_TRUE(r.report->Modified());
    w.SetReport(nullptr);
}

TEST_F(DesignerTest, SettingsAreKeptInMarliskIniAndBadGridSpacingLoadsAsEight) {
    {
        TppDesignerWindow w;
        w.setGeometry(40, 30, 700, 500);
        w.SetSnapToGrid(true);
        w.SetDisplayGrid(true);
        w.SetXGridSpace(12);
        w.SetYGridSpace(6);
        w.SaveSettings();
    }
    // Read back with Python's configparser, an independent reader of ini files.
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import configparser,sys\n"
                                 "c=configparser.ConfigParser()\nc.optionxform=str\nc.read(sys.argv[1])\n"
                                 "print(c['Grid Options']['XGridSpace'],c['Grid Options']['YGridSpace'],"
                                 "c['Grid Options']['SnapToGrid'],c['Designer Position']['WindowState'],"
                                 "c['Designer Position']['Width'])"),
                  iniPath()});
    ASSERT_TRUE(python.waitForFinished(20000));
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()).trimmed(), QStringLiteral("12 6 1 0 700"));

    struct Case {
        const char* stored;
        int loaded;
    };
    for (const Case c : {Case{"0", 8}, Case{"-4", 8}, Case{"1", 8}, Case{"2", 2}, Case{"128", 128}, Case{"129", 8},
                         Case{"16", 16}}) {
        SCOPED_TRACE(c.stored);
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("[Grid Options]\nXGridSpace=") + c.stored + "\nYGridSpace=" + c.stored +
                "\nDisplayGrid=1\n[Designer Position]\nWindowState=2\nLeft=5\nTop=5\nWidth=300\nHeight=200\n");
        f.close();
        TppDesignerWindow w;
        EXPECT_EQ(w.XGridSpace(), c.loaded);
        EXPECT_EQ(w.YGridSpace(), c.loaded);
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
        w.Workspace()->BandHeights = {QStringLiteral("40")};
        w.Workspace()->resize(100, 80);
        EXPECT_FALSE(w.Workspace()->GridDots().empty());  // a bounded paint
    }
}

TEST_F(DesignerTest, GridDotsRestartAtEveryBandAreaAndSpareTheStrips) {
    TppWorkspace ws;
    ws.resize(17, 200);
    ws.SetXGridSpace(8);
    ws.SetYGridSpace(8);
    EXPECT_TRUE(ws.GridDots().empty());  // no bands, no dots
    ws.BandHeights = {QStringLiteral("10"), QStringLiteral("4")};
    std::vector<QPoint> expected;
    for (int y : {0, 8, 29}) // first band 0..10, strip 10..29, second band from 29 (height 4 < 8: one row)
        for (int x : {0, 8, 16}) expected.emplace_back(x, y);
    EXPECT_EQ(ws.GridDots(), expected);
}

TEST_F(DesignerTest, PreviewWritesRestoresAndDeletesTheSnapshotOfAScriptedReport) {
    PackagesReport r;
    TppDesignerWindow w;
    w.resize(1000, 760);
    w.SetReport(r.report);
    w.show();
    // Without a code module no snapshot is taken.
    ASSERT_TRUE(w.SelectPage(QStringLiteral("Preview")));
    EXPECT_TRUE(w.Previewing());
    EXPECT_TRUE(w.SnapshotFileName().isEmpty());
    ASSERT_TRUE(w.SelectPage(QStringLiteral("Design")));

    stream::ClassRegistry::Global().Register<TraCodeModule>(QStringLiteral("TraCodeModule"));
    report::RegisterClass(&TraCodeModule::staticMetaObject);
    auto* code = new TraCodeModule(&r.form);
    r.report->AttachModule(code);
    r.report->SetModified(true);
    ASSERT_TRUE(w.SelectPage(QStringLiteral("Preview")));
    const QString snapshot = w.SnapshotFileName();
    ASSERT_FALSE(snapshot.isEmpty());
    EXPECT_TRUE(QFileInfo(snapshot).fileName().startsWith(QLatin1Char('~')));
    EXPECT_TRUE(QFile::exists(snapshot));
    EXPECT_TRUE(testsupport::WaitFor([&] { return w.Viewer()->GetAbsolutePageNo() >= 1; }));
    testsupport::GrabToPng(&w, QStringLiteral("designer_preview_page"));
    // Page 1 as the preview shows it.
    const QImage shown = w.Viewer()->ScreenDevice()->Bitmap().copy(w.Viewer()->ScreenDevice()->PageRect());
    ASSERT_TRUE(w.SelectPage(QStringLiteral("Design")));
    EXPECT_FALSE(QFile::exists(snapshot));
    EXPECT_TRUE(w.SnapshotFileName().isEmpty());
    EXPECT_TRUE(r.report->Modified());  // the flag saved with the snapshot is back
    // The report came back from the snapshot: its components are there and designed again.
    TppComponent* title = nullptr;  // (the reader gives the components fresh names)
    for (int k = 0; k < r.report->Bands(0)->ObjectCount(); ++k)
        if (r.report->Bands(0)->Objects(k)->UserName() == QLatin1String("Title")) title = r.report->Bands(0)->Objects(k);
    ASSERT_TRUE(title);
    EXPECT_TRUE(controlOf(title));
    w.SetReport(nullptr);

    // The page equals what report-run renders of the same template at 100 %.
    Q_UNUSED(shown);
}

TEST_F(DesignerTest, PreviewPageMatchesReportRun) {
    PackagesReport r;
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("packages.rtm"));
    r.report->Template()->SetFileName(file);
    r.report->Template()->SaveToFile();
    QProcess run;
    run.start(QStringLiteral(REPORT_RUN), {file, QStringLiteral("--data"), r.dir.path(), QStringLiteral("--pipeline"),
                                           QStringLiteral("plPackages=Packages.DB"), QStringLiteral("--png"),
                                           out.path(), QStringLiteral("--ignore-warnings")});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    const QImage expected(out.filePath(QStringLiteral("page-1.png")));
    ASSERT_FALSE(expected.isNull());

    TppDesignerWindow w;
    w.resize(1000, 760);
    w.SetReport(r.report);
    w.show();
    ASSERT_TRUE(w.SelectPage(QStringLiteral("Preview")));
    testsupport::Click(&w, QStringLiteral("spbPreview100Percent"));
    EXPECT_TRUE(testsupport::WaitFor([&] { return w.Viewer()->GetAbsolutePageNo() >= 1; }));
    const QImage shown = w.Viewer()->ScreenDevice()->Bitmap().copy(w.Viewer()->ScreenDevice()->PageRect());
    ASSERT_EQ(shown.size(), expected.size());
    int differing = 0;
    const QImage a = shown.convertToFormat(QImage::Format_RGB32), b = expected.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) ++differing;
    EXPECT_EQ(differing, 0);
    if (differing) {
        a.save(QStringLiteral("screenshots/designer_preview_page1.png"));
        b.save(QStringLiteral("screenshots/report_run_page1.png"));
    }
    w.SelectPage(QStringLiteral("Design"));
    w.SetReport(nullptr);
}

TEST_F(DesignerTest, ReportDesignOpensATemplateFile) {
    PackagesReport r;
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("packages.rtm"));
    r.report->Template()->SetFileName(file);
    r.report->Template()->SaveToFile();
    for (const char* page : {"Design", "Preview"}) {
        SCOPED_TRACE(page);
        const QString picture = out.filePath(QStringLiteral("%1.png").arg(QLatin1String(page)));
        QProcess design;
        design.start(QStringLiteral(REPORT_DESIGN),
                     {file, QStringLiteral("--data"), r.dir.path(), QStringLiteral("--pipeline"),
                      QStringLiteral("plPackages=Packages.DB"), QStringLiteral("--grab"), picture, QStringLiteral("--page"),
                      QLatin1String(page)});
        ASSERT_TRUE(design.waitForFinished(60000));
        EXPECT_EQ(design.exitCode(), 0) << design.readAllStandardError().toStdString();
        const QImage grabbed(picture);
        EXPECT_FALSE(grabbed.isNull());
    }
    QProcess missing;
    missing.start(QStringLiteral(REPORT_DESIGN), {out.filePath(QStringLiteral("none.rtm"))});
    ASSERT_TRUE(missing.waitForFinished(60000));
    EXPECT_EQ(missing.exitCode(), 1);
}

TEST_F(DesignerTest, RulersShowTheUnitsAndTheirMenuSetsTheReportUnits) {
    TppRuler ruler;
    ruler.resize(400, 23);
    struct Case {
        TppUnitType units;
        int labelEvery;  // pixels between labels
        int tickEvery;   // pixels between the first ticks
        QStringList labels;
    };
    const Case cases[] = {
        {TppUnitType::utInches, 96, 12, {"0", "1", "2", "3", "4"}},
        {TppUnitType::utScreenPixels, 96, 10, {"0", "96", "192", "288", "384"}},
        {TppUnitType::utMillimeters, 38, 9, {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}},
        {TppUnitType::utMMThousandths, 38, 8, {"0", "10k", "20k", "30k", "40k", "50k", "60k", "70k", "80k", "90k", "100k"}},
    };
    int units = 0;
    ruler.OnSetUnits = [&](QObject*) { ++units; };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.units));
        ruler.SetUnits(c.units);
        QStringList labels;
        std::vector<int> labelled;
        for (const TppRuler::Tick& t : ruler.Ticks())
            if (!t.label.isEmpty()) {
                labels << t.label;
                labelled.push_back(t.position);
            }
        EXPECT_EQ(labels, c.labels);
        ASSERT_GE(labelled.size(), 2u);
        EXPECT_NEAR(labelled[1] - labelled[0], c.labelEvery, 1);
        EXPECT_NEAR(ruler.Ticks()[1].position - ruler.Ticks()[0].position, c.tickEvery, 1);
    }
    // Inches: half ticks of half length at 48.
    ruler.SetUnits(TppUnitType::utInches);
    const auto ticks = ruler.Ticks();
    EXPECT_EQ(ticks[4].position, 48);
    EXPECT_EQ(ticks[4].length, ticks[0].length / 2);
    EXPECT_EQ(ticks[1].length, ticks[0].length / 4);
    const int count = units;
    ruler.SetUnits(TppUnitType::utInches);
    EXPECT_EQ(units, count);  // the same units again fire nothing
    // Scrolling shifts the ticks; the start resets them.
    ruler.ScrollBy(50);
    EXPECT_EQ(ruler.Ticks()[8].position, 96 - 50);
    ruler.ResetScroll();
    EXPECT_EQ(ruler.Ticks()[8].position, 96);
    // Dual guides: the mouse does not move them.
    ruler.SetDualGuides(true);
    ruler.SetGuides(10, 30);
    QTest::mouseMove(&ruler, QPoint(100, 5));
    EXPECT_EQ(ruler.Guide1(), 10);
    EXPECT_EQ(ruler.Guide2(), 30);

    // The window's ruler menu sets the report's units.
    PackagesReport r;
    TppDesignerWindow w;
    w.SetReport(r.report);
    r.report->SetModified(false);
    QMenu* menu = w.HorizontalRuler()->PopupMenu();
    menu->findChild<QAction*>(QStringLiteral("mniMillimeters"))->trigger();
    EXPECT_EQ(r.report->Units(), TppUnitType::utMillimeters);
    EXPECT_TRUE(r.report->Modified());
    EXPECT_EQ(w.BandRuler(r.detail)->Units(), TppUnitType::utMillimeters);
    emit menu->aboutToShow();
    EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("mniMillimeters"))->isChecked());
    EXPECT_FALSE(menu->findChild<QAction*>(QStringLiteral("mniInches"))->isChecked());
    // Hide hides both ruler panels.
    menu->findChild<QAction*>(QStringLiteral("mniHide"))->trigger();
    EXPECT_TRUE(testsupport::FindControl<QWidget>(&w, QStringLiteral("pnlHorizontalRuler"))->isHidden());
    w.SetReport(nullptr);
}

TEST_F(DesignerTest, DesignerComponentScriptingOptionsFollowTheirRules) {
    using I = TppOrvelInterfaceOption;
    using O = TppOrvelOption;
    TppDesigner d;
    d.SetOrvelOptions({O::roEditEvents, O::roEditGlobals});
    EXPECT_EQ(d.OrvelOptions(), (TppOrvelOptions{O::roViewVariables, O::roViewEvents, O::roEditEvents,
                                                  O::roViewGlobals, O::roEditGlobals}));
    d.SetOrvelInterface({I::riDialog});
    EXPECT_EQ(d.OrvelOptions(), (TppOrvelOptions{O::roViewVariables, O::roEditVariables}));
    d.SetOrvelOptions({O::roEditGlobals});
    EXPECT_EQ(d.OrvelOptions(), (TppOrvelOptions{O::roViewVariables}));
    d.SetOrvelInterface({I::riDialog, I::riNotebookTab});
    EXPECT_EQ(d.OrvelOptions(), TppOrvelOptions::FromBits(0x3F));
    d.SetOrvelInterface({});
    EXPECT_TRUE(d.OrvelOptions().IsEmpty());

    PackagesReport r;
    d.SetReport(r.report);
    EXPECT_EQ(d.Form()->MainReport(), r.report);
    EXPECT_TRUE(r.report->State() & ppsShowData);
    d.SetShowData(false);
    EXPECT_FALSE(d.ShowData());
    d.SetReport(r.report);  // the same report: nothing detaches
    EXPECT_EQ(d.Form()->MainReport(), r.report);
    d.Form()->resize(640, 480);
    EXPECT_EQ(d.WindowWidth(), 640);
    d.SetReport(nullptr);
}

#include "designer_window_test.moc"
