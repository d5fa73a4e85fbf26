// The report and data trees: the builders on real reports over the sample database's Sources
// and Packages tables (master and detail), the saved tree states, renaming in place, the two
// tool windows in the designer, and fields dropped from the data tree laid out on bands.

#include "designer_fixture.h"

#include "report/designer/gui/auto_layout.h"
#include "report/designer/gui/designer_toolbars.h"
#include "report/designer/gui/report_tree_builders.h"
#include "report/designer/gui/tree_explorer.h"
#include "report/designer/gui/tree_windows.h"
#include "report/designer/gui/wizard_pictures.h"
#include "report/model/graphic_components.h"
#include "report/model/pipeline_field.h"
#include "report/page/page.h"
#include "report/model/page_dump.h"

#include "platform/settings/ini_file.h"
#include "testsupport/widget_helpers.h"

#include <QComboBox>
#include <QCheckBox>
#include <QDir>
#include <QProcess>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>

using namespace designertest;

namespace {

/// The sample database's table files copied into a private folder.
void copySample(const QString& folder, const QStringList& tables) {
    for (const QString& t : tables)
        ASSERT_TRUE(QFile::copy(QStringLiteral(DOSSARA_BIN_DIR "/Sample/") + t, folder + QLatin1Char('/') + t)) << t.toStdString();
}

/// A report over the sample database: Sources as master, Packages as detail by maintainer.
/// Header with a title, a group on Priority, the detail with the package, a summary with a
/// region holding a note, and a sub-report.
struct SampleReport {
    SampleReport() {
        copySample(dir.path(), {QStringLiteral("Packages.DB"), QStringLiteral("Sources.DB")});
        for (auto [table, source, name] : {std::tuple{&packages, &dsPackages, "Packages.DB"}, std::tuple{&sources, &dsSources, "Sources.DB"}}) {
            table->SetDatabaseName(dir.path());
            table->SetTableName(QString::fromLatin1(name));
            source->SetDataSet(table);
            table->Open();
        }
        plSources->SetName(QStringLiteral("plSources"));
        plSources->SetUserName(QStringLiteral("Sources"));
        plSources->SetDataSource(&dsSources);
        plPackages->SetName(QStringLiteral("plPackages"));
        plPackages->SetUserName(QStringLiteral("Packages"));
        plPackages->SetDataSource(&dsPackages);
        plPackages->SetMasterDataPipeline(plSources);
        plPackages->AddMasterFieldLink(QStringLiteral("Maintainer"), QStringLiteral("Maintainer"));
        report->SetName(QStringLiteral("rptSources"));
        report->SetDataPipeline(plPackages);
        header = new TppHeaderBand(&form);
        header->SetName(QStringLiteral("ppHeaderBand1"));
        header->SetReport(report);
        header->SetmmHeight(12700);
        title = place<TppLabel>(header, QStringLiteral("ppTitle"), 0, 2540, 50800, 6350);
        detail = new TppDetailBand(&form);
        detail->SetName(QStringLiteral("ppDetailBand1"));
        detail->SetReport(report);
        detail->SetmmHeight(6350);
        package = place<TppDBText>(detail, QStringLiteral("ppPackage"), 2540, 0, 50800, 5080);
        package->SetDataPipeline(plPackages);
        package->SetDataField(QStringLiteral("Package"));
        priority->SetName(QStringLiteral("ppPriorityGroup"));
        priority->SetReport(report);
        priority->SetDataPipeline(plPackages);
        priority->SetBreakName(QStringLiteral("Priority"));
        priority->HeaderBand()->SetName(QStringLiteral("ppGroupHeaderBand1"));
        priority->FooterBand()->SetName(QStringLiteral("ppGroupFooterBand1"));
        priorityName = place<TppDBText>(priority->HeaderBand(), QStringLiteral("ppPriority"), 0, 0, 25400, 5080);
        footer = new TppFooterBand(&form);
        footer->SetName(QStringLiteral("ppFooterBand1"));
        footer->SetReport(report);
        summary = new TppSummaryBand(&form);
        summary->SetName(QStringLiteral("ppSummaryBand1"));
        summary->SetReport(report);
        summary->SetmmHeight(25400);
        region = place<TppRegion>(summary, QStringLiteral("ppRegion1"), 0, 2540, 76200, 10160);
        note = place<TppLabel>(summary, QStringLiteral("ppNote"), 2540, 5080, 38100, 5080);
        note->SetRegion(region);
        sub = place<TppSubReport>(summary, QStringLiteral("ppSources"), 0, 15240, 101600, 6350);
        sub->CreateReport(report);
        sub->Report()->SetName(QStringLiteral("rptChild"));
        sub->Report()->CreateDefaultBands();
    }
    ~SampleReport() { delete report; }

    QTemporaryDir dir;
    db::Table packages, sources;
    db::DataSource dsPackages, dsSources;
    TComponent form;
    TppDBPipeline* plSources = new TppDBPipeline(&form);
    TppDBPipeline* plPackages = new TppDBPipeline(&form);
    TppReport* report = new TppReport(&form);
    TppGroup* priority = new TppGroup(&form);
    TppHeaderBand* header = nullptr;
    TppDetailBand* detail = nullptr;
    TppFooterBand* footer = nullptr;
    TppSummaryBand* summary = nullptr;
    TppLabel* title = nullptr;
    TppDBText* package = nullptr;
    TppDBText* priorityName = nullptr;
    TppRegion* region = nullptr;
    TppLabel* note = nullptr;
    TppSubReport* sub = nullptr;
};

/// The tree as text: one line per node, two blanks of indent per level, "+" for expanded.
QString treeText(TppReportTreeView& tree) {
    QString out;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* n, int depth) {
        out += QString(depth * 2, QLatin1Char(' ')) + n->text(0) + (n->childCount() && n->isExpanded() ? "+" : "") + "\n";
        for (int i = 0; i < n->childCount(); ++i) walk(n->child(i), depth + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i), 0);
    return out;
}

class ReportTrees : public DesignerTest {
protected:
    void SetUp() override {
        DesignerTest::SetUp();
        report::DeclareReportTreeTexts();
    }
};

}  // namespace

TEST_F(ReportTrees, ObjectTreesListBandsGroupsRegionsAndTheOutline) {
    SampleReport r;
    struct Case {
        const char* name;
        bool showReportNode;
        bool showGroups;
        bool bandsOnly;
        const char* expected;
    };
    static const Case cases[] = {
        {"bands as roots", false, false, false,
         "Header+\n  Title\nGroupHeaderBand1+\n  Priority\nDetail+\n  Package\nGroupFooterBand1\nFooter\n"
         "Summary+\n  Region1+\n    Note\n  Sources1\n"},
        {"report node with groups", true, true, false,
         "Report+\n  Header+\n    Title\n  Groups[0]+\n    Header+\n      Priority\n    Footer\n  Detail+\n"
         "    Package\n  Footer\n  Summary+\n    Region1+\n      Note\n    Sources1\n"},
        {"bands only", true, true, true,
         "Report+\n  Header\n  Groups[0]+\n    Header\n    Footer\n  Detail\n  Footer\n  Summary\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TppReportTreeView tree;
        std::unique_ptr<TppReportObjectTreeBuilder> b;
        if (c.bandsOnly)
            b = std::make_unique<TppReportBandTreeBuilder>(&tree);
        else
            b = std::make_unique<TppReportObjectTreeBuilder>(&tree);
        b->ShowGroups = c.showGroups;
        tree.SetShowReportNode(c.showReportNode);
        tree.SetReport(r.report);
        EXPECT_EQ(treeText(tree), QString::fromLatin1(c.expected));
        QTreeWidgetItem* node = nullptr;
        EXPECT_TRUE(tree.FindNodeByName(QStringLiteral("DETAIL"), node));
        EXPECT_EQ(ppNodeData(node), r.detail);
    }

    TppReportTreeView outline;
    TppReportOutlineTreeBuilder ob(&outline);
    outline.SetReport(r.report);
    EXPECT_EQ(treeText(outline), "Main+\n  Sources1\n");
    EXPECT_EQ(outline.GetSelectedObject(), r.report);

    // A child report shows its sub-report over the report node; both are expanded.
    TppReportTreeView child;
    TppReportObjectTreeBuilder cb(&child);
    child.SetReport(r.sub->Report());
    EXPECT_TRUE(treeText(child).startsWith("Sources1+\n  Report+\n")) << treeText(child).toStdString();
}

TEST_F(ReportTrees, LaterObjectsJoinInBandOrderAndRenamesOnlyRecaption) {
    SampleReport r;
    TppReportTreeView tree;
    TppReportObjectTreeBuilder b(&tree);
    tree.SetShowReportNode(false);
    tree.SetReport(r.report);
    auto* title = new TppTitleBand(&r.form);
    title->SetName(QStringLiteral("ppTitleBand1"));
    title->SetReport(r.report);
    tree.AddObject(title);
    auto* second = place<TppLabel>(r.header, QStringLiteral("ppSecond"), 0, 0, 1000, 1000);
    tree.AddObject(second);
    EXPECT_TRUE(treeText(tree).startsWith("Title\nHeader+\n  Title\n  Second\n")) << treeText(tree).toStdString();

    tree.SelectObject(r.package);
    r.package->SetUserName(QStringLiteral("PackageName"));
    tree.RefreshObject(r.package);
    EXPECT_EQ(tree.currentItem()->text(0), "PackageName");
    EXPECT_EQ(tree.GetSelectedObject(), r.package);

    tree.RemoveObject(r.region);
    EXPECT_FALSE(treeText(tree).contains("Note"));
    // Nested updates rebuild once, at the last EndUpdate; an unmatched EndUpdate does nothing.
    int rebuilds = 0;
    tree.OnAfterRebuild = [&](QObject*) { ++rebuilds; };
    tree.EndUpdate();
    tree.BeginUpdate();
    tree.BeginUpdate();
    tree.EndUpdate();
    EXPECT_EQ(rebuilds, 0);
    tree.EndUpdate();
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(treeText(tree).contains("Note"));
}

TEST_F(ReportTrees, DataTreeAndFieldListOverMasterAndDetail) {
    SampleReport r;
    QWidget host;
    host.resize(220, 400);
    TppDataExplorer explorer(&host, true);
    explorer.SetReport(r.report);
    EXPECT_EQ(treeText(*explorer.TreeView()), "Sources+\n  Packages\n");
    // The first pipeline is listed; picking the detail lists its fields.
    TppReportListView* list = explorer.ListView();
    EXPECT_EQ(list->ListedObject(), r.plSources);
    explorer.TreeView()->SelectObject(r.plPackages);
    EXPECT_EQ(list->ListedObject(), r.plPackages);
    EXPECT_EQ(explorer.ListCaption()->Caption(), "Fields for Packages");
    QTreeWidgetItem* package = nullptr;
    for (QTreeWidgetItem* i : list->Items())
        if (i->text(0) == "Package") package = i;
    ASSERT_NE(package, nullptr);
    EXPECT_EQ(package->text(1), "String");
    EXPECT_EQ(package->text(2), "60");
    EXPECT_EQ(list->headerItem()->text(0), "Name");
    EXPECT_EQ(list->headerItem()->text(2), "Size");
    host.show();
    testsupport::GrabToPng(&host, QStringLiteral("data_explorer"));

    // Fields picked C, A, B come back in that order; A deselected leaves C, B.
    auto item = [&](const char* caption) {
        for (QTreeWidgetItem* i : list->Items())
            if (i->text(0) == QLatin1String(caption)) return i;
        return static_cast<QTreeWidgetItem*>(nullptr);
    };
    list->clearSelection();
    for (const char* f : {"Version", "Architecture", "Maintainer"}) item(f)->setSelected(true);
    QList<QObject*> fields;
    explorer.GetSelectedFields(fields);
    QStringList aliases;
    for (QObject* o : fields) aliases << qobject_cast<TppField*>(o)->FieldAlias();
    EXPECT_EQ(aliases, (QStringList{"Version", "Architecture", "Maintainer"}));
    item("Architecture")->setSelected(false);
    explorer.GetSelectedFields(fields);
    aliases.clear();
    for (QObject* o : fields) aliases << qobject_cast<TppField*>(o)->FieldAlias();
    EXPECT_EQ(aliases, (QStringList{"Version", "Maintainer"}));
}

TEST_F(ReportTrees, StatesKeepThe299FirstExpansionsAndListSlots) {
    TppReportTreeView tree;
    QList<QTreeWidgetItem*> nodes;
    for (int i = 0; i < 200; ++i) {
        TppTreeNode* n = tree.AddNode(nullptr, QStringLiteral("n%1").arg(i), nullptr, -1);
        tree.AddNode(n, QStringLiteral("c%1").arg(i), nullptr, -1);
    }
    ASSERT_EQ(tree.NodeCount(), 400);
    const QList<QTreeWidgetItem*> all = tree.AllNodes();
    for (int i = 0; i < 400; i += 2) all.at(i)->setExpanded(true);
    tree.SelectNode(all.at(250));
    TppTreeStates states(&tree);
    EXPECT_FALSE(states.RestoreState(0));
    states.SaveState(0);
    for (QTreeWidgetItem* n : all) n->setExpanded(false);
    tree.SelectNode(all.at(0));
    EXPECT_TRUE(states.RestoreState(0));
    int restored = 0;
    for (int i = 0; i < 400; ++i)
        if (all.at(i)->isExpanded()) ++restored;
    EXPECT_EQ(restored, 150);  // the roots among nodes 0 to 298
    EXPECT_FALSE(all.at(300)->isExpanded());
    EXPECT_EQ(tree.currentItem(), all.at(250));

    TppReportListView list;
    TppObjectListBuilder lb(&list);
    TppListStates ls(&list);
    for (const char* c : {"Alpha", "Beta"}) list.addTopLevelItem(new QTreeWidgetItem(QStringList{QLatin1String(c)}));
    list.SelectItem(list.Item(1));
    ls.SaveState(1);
    EXPECT_EQ(ls.Captions(), QStringList{"Beta"});
    list.SelectItem(list.Item(0));
    ls.RestoreState(1);  // slot 1 holds nothing: the caption went to position 0
    EXPECT_EQ(list.Selected(), list.Item(0));
    ls.RestoreState(0);
    EXPECT_EQ(list.Selected(), list.Item(1));
}

TEST_F(ReportTrees, RenameInPlaceRefusesTakenAndInvalidNames) {
    SampleReport r;
    QWidget host;
    TppCustomTreeExplorer explorer(&host, true);
    auto b = std::make_unique<TppReportObjectTreeBuilder>(explorer.TreeView());
    explorer.SetTreeBuilder(std::move(b));
    explorer.SetListBuilder(std::make_unique<TppObjectListBuilder>(explorer.ListView()));
    explorer.SetReport(r.report);
    QStringList messages;
    explorer.OnMessage = [&](QObject*, const QString& t) { messages << t; };
    struct Case {
        const char* text;
        const char* message;
        const char* caption;
    };
    static const Case cases[] = {
        {"Package", "Package is not a unique identifier.", "Title"},
        {"Big Title", "Big Title is not a valid identifier.", "Title"},
        {"PageTitle", "", "PageTitle"},
    };
    QTreeWidgetItem* node = nullptr;
    ASSERT_TRUE(explorer.TreeView()->FindNode(r.title, node));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        messages.clear();
        QString text = QString::fromLatin1(c.text);
        explorer.TreeEdited(explorer.TreeView(), node, text);
        EXPECT_EQ(messages.join(QString()), QString::fromLatin1(c.message));
        EXPECT_EQ(text, QString::fromLatin1(c.caption));
        EXPECT_EQ(r.title->UserName(), QString::fromLatin1(c.caption));
    }
    // Bands and the report cannot be edited in place.
    bool allow = true;
    QTreeWidgetItem* band = nullptr;
    explorer.TreeView()->FindNode(r.header, band);
    explorer.TreeEditing(explorer.TreeView(), band, allow);
    EXPECT_FALSE(allow);
}

// The windows in the designer ------------------------------------------------------------------

namespace {

struct Designer {
    explicit Designer(TppReport* r) {
        w.SetReport(r);
        w.resize(1000, 700);
        w.show();
        QApplication::processEvents();
        tree = w.ReportTreeWindow();
        data = w.DataTreeWindow();
    }
    ~Designer() { w.SetReport(nullptr); }
    TppDesignerWindow w;
    TppReportTreeWindow* tree = nullptr;
    TppDataTreeWindow* data = nullptr;
};

}  // namespace

TEST_F(ReportTrees, ReportTreeWindowFollowsTheDesignerBothWays) {
    SampleReport r;
    Designer d(r.report);
    ASSERT_NE(d.tree, nullptr);
    ASSERT_NE(d.data, nullptr);
    EXPECT_TRUE(d.w.ToolbarManager()->ToolbarNames().contains("ReportOutline"));
    d.tree->SetVisible(true);
    QApplication::processEvents();
    // With a sub-report the outline shows over the object tree.
    EXPECT_TRUE(d.tree->OutlinePane()->isVisibleTo(d.tree));
    EXPECT_EQ(treeText(*d.tree->OutlineTree()), "Main+\n  Sources1\n");

    // Tree to designer: a component is selected, a band becomes current.
    d.tree->ObjectTree()->SelectObject(r.package);
    EXPECT_EQ(d.w.Selection(), QList<TppComponent*>{r.package});
    d.tree->ObjectTree()->SelectObject(r.summary);
    EXPECT_TRUE(d.w.Selection().isEmpty());
    EXPECT_EQ(d.w.CurrentBand(), r.summary);
    // Designer to tree.
    d.w.ClearSelection(false);
    d.w.AddToSelection(r.title);
    EXPECT_EQ(d.tree->ObjectTree()->GetSelectedObject(), r.title);
    // Picking the sub-report in the outline shows its report.
    d.tree->OutlineTree()->SelectObject(r.sub->Report());
    EXPECT_EQ(d.w.GetReport(), r.sub->Report());
    d.tree->OutlineTree()->SelectObject(r.report);
    EXPECT_EQ(d.w.GetReport(), r.report);

    // Docking keeps the outline's expansion and selection.
    d.tree->OutlineTree()->topLevelItem(0)->setExpanded(false);
    TppDock* left = nullptr;
    for (TppDock* dock : d.w.findChildren<TppDock*>())
        if (dock->objectName().contains("Left", Qt::CaseInsensitive)) left = dock;
    ASSERT_NE(left, nullptr);
    d.tree->SetDockedTo(left);
    QApplication::processEvents();
    EXPECT_FALSE(d.tree->OutlineTree()->topLevelItem(0)->isExpanded());
    EXPECT_EQ(d.tree->OutlineTree()->GetSelectedObject(), r.report);
    d.tree->OutlineTree()->topLevelItem(0)->setExpanded(true);
    d.tree->ObjectTree()->SelectObject(r.title);
    testsupport::GrabToPng(d.tree, QStringLiteral("report_tree_window"));

    // Popup: hiding the object pane alone is refused; titles toggle; settings kept.
    d.tree->ShowPanes(false, false);
    EXPECT_TRUE(d.tree->ObjectPane()->isVisibleTo(d.tree));
    d.tree->ShowPanes(true, true);
    d.tree->SetShowTitles(false);
    {
        settings::IniFile ini(iniPath());
        d.tree->SaveSettings(ini);
        EXPECT_FALSE(ini.ReadBool("ReportOutline", "TitleBarVisible", true));
    }

    // Renaming in the report tree window.
    QStringList messages;
    d.tree->OnMessage = [&](QObject*, const QString& t) { messages << t; };
    QTreeWidgetItem* node = nullptr;
    ASSERT_TRUE(d.tree->ObjectTree()->FindNode(r.title, node));
    QString text = QStringLiteral("Package");
    d.tree->ObjectTree()->OnEdited(d.tree->ObjectTree(), node, text);
    EXPECT_EQ(messages, QStringList{"Package is not a unique identifier."});
    EXPECT_EQ(text, "Title");

    // A removed component leaves the tree; a new one joins it.
    delete r.note;
    r.note = nullptr;
    QApplication::processEvents();
    EXPECT_FALSE(treeText(*d.tree->ObjectTree()).contains("Note"));
}

TEST_F(ReportTrees, LayoutPageAndSettings) {
    SampleReport r;
    Designer d(r.report);
    // No ini file: vertical, labels and fields, Arial 12, no boxes.
    EXPECT_EQ(d.data->LayoutType, 0);
    EXPECT_TRUE(d.data->CreateLabels && d.data->CreateFields);
    EXPECT_EQ(d.data->LabelFont()->Size(), 12);
    EXPECT_FALSE(d.data->LabelGrid || d.data->FieldGrid);
    d.data->SetVisible(true);
    QApplication::processEvents();
    d.data->Explorer()->TreeView()->SelectObject(r.plPackages);
    testsupport::GrabToPng(d.data, QStringLiteral("data_tree_data_page"));

    d.data->Pages()->setCurrentIndex(1);
    TppAutoLayoutManager* m = d.data->LayoutManager();
    ASSERT_NE(m, nullptr);
    QWidget* page = d.data->Pages()->widget(1);
    testsupport::FindControl<QRadioButton>(page, "rdbLabels")->setChecked(true);
    EXPECT_FALSE(testsupport::FindControl<QCheckBox>(page, "chkFieldGrid")->isEnabled());
    EXPECT_FALSE(d.data->CreateFields);
    m->SetCreateLabels(true);
    m->SetCreateFields(false);
    EXPECT_TRUE(testsupport::FindControl<QRadioButton>(page, "rdbLabels")->isChecked());
    m->SetCreateFields(true);
    testsupport::FindControl<QComboBox>(page, "cbxStyle")->setCurrentIndex(0);
    testsupport::FindControl<QCheckBox>(page, "chkLabelGrid")->setChecked(true);
    EXPECT_EQ(d.data->LayoutType, 1);
    EXPECT_TRUE(d.data->LabelGrid);
    EXPECT_FALSE(m->Preview().isNull());
    testsupport::GrabToPng(d.data, QStringLiteral("data_tree_layout_page"));
    {
        settings::IniFile ini(iniPath());
        d.data->SaveSettings(ini);
        EXPECT_EQ(ini.ReadInteger("AutoLayout", "LayoutType", -1), 1);
        EXPECT_TRUE(ini.ReadBool("AutoLayout", "LabelGrid", false));
        EXPECT_EQ(ini.ReadString("AutoLayout", "LabelFontName", ""), "Arial");
    }
}

// Drops --------------------------------------------------------------------------------------------

namespace {

struct Placed {
    QString cls;
    QString band;
    QRect rect;  // screen pixels within the band
};

QList<Placed> placed(const QList<TppComponent*>& list) {
    QList<Placed> out;
    for (TppComponent* c : list)
        out << Placed{QString::fromLatin1(c->metaObject()->className()), c->Band()->Name(),
                      QRect(c->spLeft(), c->spTop(), c->spWidth(), c->spHeight())};
    return out;
}

}  // namespace

TEST_F(ReportTrees, DroppedFieldsAreLaidOutAndSaved) {
    struct Case {
        const char* name;
        int layoutType;
        bool labels, fields, labelGrid, fieldGrid;
        QStringList picked;
        int x, yFromBottom;  // drop point in the detail band; y measured from its bottom
        int detailHeightPx;
        std::function<void(const QList<Placed>&)> check;
    };
    const QList<Case> cases = {
        {"tabular: labels side by side, fields 5 below, equal widths", 1, true, true, false, false,
         {"Architecture", "Priority", "Installed"}, 10, 60, 80,
         [](const QList<Placed>& p) {
             ASSERT_EQ(p.size(), 6);
             // label, field, label, field, label, field
             EXPECT_EQ(p[0].rect.topLeft(), QPoint(10, 20));
             EXPECT_EQ(p[2].rect.left(), p[0].rect.right() + 1 + 4);
             EXPECT_EQ(p[4].rect.left(), p[2].rect.right() + 1 + 4);
             for (int i = 0; i < 6; i += 2) {
                 EXPECT_EQ(p[i].cls, "TppLabel");
                 EXPECT_EQ(p[i + 1].cls, "TppDBText");
                 EXPECT_EQ(p[i].rect.width(), p[i + 1].rect.width());
                 EXPECT_EQ(p[i + 1].rect.top(), p[0].rect.bottom() + 1 + 5);
                 EXPECT_EQ(p[i + 1].rect.left(), p[i].rect.left());
             }
         }},
        {"tabular near the bottom: fields go to the next band, boxes stretch", 1, true, true, false, true,
         {"Package", "Version"}, 10, 4, 30,
         [](const QList<Placed>& p) {
             ASSERT_EQ(p.size(), 6);
             EXPECT_EQ(p[0].band, "ppDetailBand1");
             EXPECT_EQ(p[1].band, "ppGroupFooterBand1");
             EXPECT_EQ(p[1].rect.top(), 2);
             EXPECT_EQ(p[2].cls, "TppShape");
             EXPECT_EQ(p[2].band, "ppGroupFooterBand1");
             EXPECT_EQ(p[2].rect.top(), 0);
             EXPECT_TRUE(p[2].rect.contains(p[1].rect));
         }},
        {"tabular near the right edge: later labels pile at width - 10", 1, true, false, false, false,
         {"Package", "Summary", "Homepage", "Maintainer"}, 600, 60, 80,
         [](const QList<Placed>& p) {
             ASSERT_EQ(p.size(), 4);
             const int width = 768 - 10;  // the detail band's width in pixels less 10
             EXPECT_EQ(p[3].rect.left(), width);
         }},
        {"vertical: a shorter label sits on the row's bottom", 0, true, true, false, false,
         {"Package", "Version"}, 10, 70, 80,
         [](const QList<Placed>& p) {
             ASSERT_EQ(p.size(), 4);
             EXPECT_EQ(p[0].rect.bottom(), p[1].rect.bottom());
             EXPECT_EQ(p[1].rect.left(), p[0].rect.right() + 1 + 4);
             EXPECT_EQ(p[2].rect.top(), p[0].rect.bottom() + 1 + 4 + (p[3].rect.height() - p[2].rect.height()));
             EXPECT_EQ(p[0].rect.width(), p[2].rect.width());
         }},
        {"labels only", 1, true, false, true, false, {"Package", "Version"}, 10, 60, 80,
         [](const QList<Placed>& p) {
             ASSERT_EQ(p.size(), 4);
             for (const Placed& x : p) EXPECT_NE(x.cls, "TppDBText");
             EXPECT_EQ(p[1].rect, p[0].rect.adjusted(-2, -2, 2, 2));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SampleReport r;
        r.detail->SetSpHeight(c.detailHeightPx);
        Designer d(r.report);
        d.data->SetVisible(true);
        QApplication::processEvents();
        d.data->LayoutType = c.layoutType;
        d.data->CreateLabels = c.labels;
        d.data->CreateFields = c.fields;
        d.data->LabelGrid = c.labelGrid;
        d.data->FieldGrid = c.fieldGrid;
        d.data->Explorer()->TreeView()->SelectObject(r.plPackages);
        TppReportListView* list = d.data->Explorer()->ListView();
        list->clearSelection();
        for (const QString& f : c.picked)
            for (QTreeWidgetItem* i : list->Items())
                if (i->text(0) == f) i->setSelected(true);
        const QPoint at(c.x, d.w.BandTop(r.detail) + c.detailHeightPx - c.yFromBottom);
        d.w.DataTreeDrop(at);
        const QList<TppComponent*> sel = d.w.Selection();
        c.check(placed(sel));
        // The saved text form holds every dropped component with its field.
        const QString text = textForm(r.report);
        for (TppComponent* s : sel) EXPECT_TRUE(text.contains("object " + s->Name() + ":")) << s->Name().toStdString();
        if (c.fields) {
            EXPECT_TRUE(text.contains("DataField = '" + c.picked.first() + "'"));
        }
    }
}

TEST_F(ReportTrees, DroppedReportPrintsWhatTheTableHolds) {
    QTemporaryDir dir;
    copySample(dir.path(), {QStringLiteral("Sources.DB")});
    TComponent form;
    db::Table table;
    table.SetDatabaseName(dir.path());
    table.SetTableName(QStringLiteral("Sources.DB"));
    table.Open();
    db::DataSource source;
    source.SetDataSet(&table);
    auto* pipeline = new TppDBPipeline(&form);
    pipeline->SetName(QStringLiteral("plSources"));
    pipeline->SetDataSource(&source);
    auto* rpt = new TppReport(&form);
    rpt->SetDataPipeline(pipeline);
    auto* detail = new TppDetailBand(&form);
    detail->SetName(QStringLiteral("ppDetailBand1"));
    detail->SetReport(rpt);
    detail->SetmmHeight(6350);
    {
        Designer d(rpt);
        d.data->LayoutType = 1;
        d.data->CreateLabels = false;
        d.data->Explorer()->TreeView()->SelectObject(pipeline);
        d.data->Explorer()->ListView()->clearSelection();
        for (QTreeWidgetItem* i : d.data->Explorer()->ListView()->Items())
            if (i->text(0) == "Maintainer") i->setSelected(true);
        d.w.DataTreeDrop(QPoint(10, d.w.BandTop(detail) + 2));
        ASSERT_EQ(d.w.Selection().size(), 1);
        EXPECT_TRUE(textForm(rpt).contains("DataField = 'Maintainer'"));
    }
    QStringList printed;
    rpt->OnPageReceived = [&](TppPage& page) {
        for (const QString& line : report::DumpPage(page).split(QLatin1Char('\n'))) {
            const int q = int(line.indexOf(QLatin1Char('"')));
            if (line.trimmed().startsWith(QLatin1String("Text")) && q >= 0)
                printed << line.mid(q + 1, line.lastIndexOf(QLatin1Char('"')) - q - 1);
        }
    };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    rpt->RequestPages(&request);

    QProcess sql;
    sql.start(QStringLiteral("sqlite3"), {dir.filePath(QStringLiteral("Sources.DB")),
                                          QStringLiteral("SELECT Maintainer FROM \"Sources.DB\" ORDER BY NodeID")});
    ASSERT_TRUE(sql.waitForFinished(30000));
    QStringList expected = QString::fromUtf8(sql.readAllStandardOutput()).split(QLatin1Char('\n'));
    expected.removeAll(QString());
    ASSERT_EQ(expected.size(), 355);
    EXPECT_EQ(printed, expected);
    delete rpt;
}
