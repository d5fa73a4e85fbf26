// Selecting and editing with the mouse and the keyboard on the Design page, driven through
// mouse events on the controls found by name; each edit is checked in the report's saved
// text form against a golden file.

#include "designer_fixture.h"

#include "report/model/palette_registry.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include "test_paths.h"

using namespace designertest;

namespace {

/// The lines of a report's text form that describe the named component ("object ppName:
/// ..." up to its "end"), without the lines that depend on the machine.
QString componentText(TppReport* r, const QString& name) {
    const QStringList lines = textForm(r).split(QLatin1Char('\n'));
    QStringList out;
    int depth = -1;
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (depth < 0 && t.startsWith(QStringLiteral("object ") + name + QLatin1Char(':'))) depth = 0;
        if (depth < 0) continue;
        out << line;
        if (t.startsWith(QStringLiteral("object ")) || t.startsWith(QStringLiteral("inherited "))) ++depth;
        if (t == QLatin1String("end") && --depth == 0) break;
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

/// Compares with the golden file of that name; DOSSARA_UPDATE_GOLDEN=1 rewrites it.
void expectGolden(const QString& text, const QString& name) {
    const QString path = QStringLiteral(DESIGNER_TEST_DATA_DIR "/") + name;
    if (qEnvironmentVariableIntValue("DOSSARA_UPDATE_GOLDEN") == 1) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
        return;
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(text, QString::fromUtf8(f.readAll())) << name.toStdString();
}

struct Open {
    explicit Open(PackagesReport& r) {
        w.resize(1000, 760);
        w.SetReport(r.report);
        w.show();
        QApplication::processEvents();
    }
    ~Open() { w.SetReport(nullptr); }
    TppDesignerWindow w;
};

QPoint centreOf(TppComponent* c) { return controlOf(c)->geometry().center(); }

void key(TppDesignerWindow& w, Qt::Key k, Qt::KeyboardModifiers mods) {
    QKeyEvent e(QEvent::KeyPress, k, mods);
    QApplication::sendEvent(testsupport::FindControl<QWidget>(&w, QStringLiteral("KeyboardEdit")), &e);
}

}  // namespace

TEST_F(DesignerTest, ClickShiftClickAndRubberBandSelect) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    QList<QObject*> notified;
    w.OnSelectionChanged = [&](const TppDesignerSelectionList& list) { notified = list; };

    click(w, centreOf(r.package));
    EXPECT_EQ(w.Selection(), (QList<TppComponent*>{r.package}));
    EXPECT_EQ(notified, (QList<QObject*>{r.package}));
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(w.SizingHandles()->Handle(i)->isHidden());
    click(w, centreOf(r.size), Qt::ShiftModifier);
    EXPECT_EQ(w.Selection(), (QList<TppComponent*>{r.package, r.size}));
    EXPECT_TRUE(w.SizingHandles()->Handle(0)->isHidden());
    EXPECT_TRUE(w.SelectionObjectOf(r.package)->SelectionHandles()->Visible());
    EXPECT_TRUE(w.SelectionObjectOf(r.size)->SelectionHandles()->Visible());
    testsupport::GrabToPng(&w, QStringLiteral("designer_two_selected"));
    click(w, centreOf(r.package), Qt::ShiftModifier);  // toggles off
    EXPECT_EQ(w.Selection(), (QList<TppComponent*>{r.size}));
    EXPECT_FALSE(w.SizingHandles()->Handle(0)->isHidden());

    // A click on the empty workspace clears; the notification then names the band or report.
    const QPoint empty(700, w.BandTop(r.detail) + 5);
    click(w, empty);
    EXPECT_TRUE(w.Selection().isEmpty());
    ASSERT_EQ(notified.size(), 1);

    // A rubber band over the detail band from right to left meets both texts (edges count).
    const QRect p = controlOf(r.package)->geometry();
    const QRect s = controlOf(r.size)->geometry();
    drag(w, QPoint(s.right() + 40, p.top() + 21), QPoint(p.right() - 3, p.top() + 5));
    EXPECT_EQ(w.Selection().size(), 2);
    // Ctrl+drag starting on a control rubber-bands too; with Shift it adds (toggles).
    click(w, empty);
    drag(w, centreOf(r.title), centreOf(r.title) + QPoint(3, 3), Qt::ControlModifier);
    EXPECT_EQ(w.Selection(), (QList<TppComponent*>{r.title}));
    drag(w, centreOf(r.package), centreOf(r.package) + QPoint(2, 2), Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.Selection(), (QList<TppComponent*>{r.title, r.package}));
}

TEST_F(DesignerTest, DraggingMovesWithTheGridIntoOtherBandsAndNotPastTheEdges) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    w.SetSnapToGrid(true);
    // Move the package text 21 right and 4 down within its band: snapped to the 8-pixel grid.
    const QPoint from = centreOf(r.package);
    drag(w, from, from + QPoint(21, 4));
    EXPECT_EQ(r.package->Band(), r.detail);
    EXPECT_EQ(r.package->spLeft(), 32);
    EXPECT_EQ(r.package->spTop(), 0);
    expectGolden(componentText(r.report, QStringLiteral("ppPackage")), QStringLiteral("move_snapped.txt"));

    // Into the summary band, inside the region: the component joins both.
    w.SetSnapToGrid(false);
    const QRect region = controlOf(r.region)->geometry();
    const QPoint start = centreOf(r.size);
    const QPoint grip = start - controlOf(r.size)->pos();
    drag(w, start, QPoint(region.left() + 150, region.top() + 12) + grip);
    EXPECT_EQ(r.size->Band(), r.summary);
    EXPECT_EQ(r.size->Region(), r.region);
    EXPECT_EQ(controlOf(r.size)->geometry().topLeft(), QPoint(region.left() + 150, region.top() + 12));
    expectGolden(componentText(r.report, QStringLiteral("ppSize")), QStringLiteral("move_into_region.txt"));

    // Past the left edge it stops at 0; past the last strip it stops above it.
    drag(w, centreOf(r.title), centreOf(r.title) - QPoint(500, 0));
    EXPECT_EQ(controlOf(r.title)->x(), 0);
    const int lastStripTop = w.BandStrip(r.summary)->y();
    drag(w, centreOf(r.title), centreOf(r.title) + QPoint(0, 2000));
    EXPECT_EQ(controlOf(r.title)->geometry().bottom() + 1, lastStripTop);
    EXPECT_EQ(r.title->Band(), r.summary);
}

TEST_F(DesignerTest, HandlesResizeAndFlipPastTheOppositeEdge) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    click(w, centreOf(r.title));
    ASSERT_EQ(controlOf(r.title)->geometry(), QRect(0, 10, 192, 24));
    struct Case {
        int handle;
        QPoint to;
        QRect expected;
    };
    const Case cases[] = {
        {7, {250, 50}, {0, 10, 250, 40}},   // bottom right: grows
        {4, {200, 0}, {0, 10, 200, 40}},    // right edge only (Y is not looked at)
        {1, {0, 20}, {0, 20, 200, 30}},     // top edge down
        {3, {230, 0}, {199, 20, 31, 30}},   // left edge past the right edge: flips
        {7, {150, 15}, {150, 15, 50, 6}},   // bottom right past the top left: flips both ways
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.handle);
        QWidget* handle = testsupport::FindControl<QWidget>(&w, QStringLiteral("SizingHandle%1").arg(c.handle));
        ASSERT_TRUE(handle);
        ASSERT_FALSE(handle->isHidden());
        drag(w, handle->geometry().center(), c.to);
        EXPECT_EQ(controlOf(r.title)->geometry(), c.expected);
    }
    expectGolden(componentText(r.report, QStringLiteral("ppTitle")), QStringLiteral("resize_flipped.txt"));
}

TEST_F(DesignerTest, DraggingAStripSetsTheBandHeightButNotAboveItsLowestComponent) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    TppDesignBand* strip = w.BandStrip(r.detail);
    ASSERT_TRUE(strip);
    const QPoint grip = strip->geometry().topLeft() + QPoint(300, 5);
    drag(w, grip, grip + QPoint(0, 30));
    EXPECT_EQ(w.BandStrip(r.detail)->y() - w.BandTop(r.detail), 54);
    EXPECT_EQ(int(ppFromMMThousandths(r.detail->mmHeight(), TppUnitType::utScreenPixels, report::kVertical, nullptr)), 54);
    // Up past the texts: the band keeps their bottom (19 pixels).
    const QPoint grip2 = w.BandStrip(r.detail)->geometry().topLeft() + QPoint(300, 5);
    drag(w, grip2, grip2 - QPoint(0, 200));
    EXPECT_EQ(w.BandStrip(r.detail)->y() - w.BandTop(r.detail), 19);
    // The bands below followed.
    EXPECT_EQ(w.BandTop(r.section->FooterBand()), w.BandStrip(r.detail)->geometry().bottom() + 1);
}

TEST_F(DesignerTest, KeysMoveAndSizeByOnePixel) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    click(w, centreOf(r.size));
    const QRect before = controlOf(r.size)->geometry();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QRect delta;  // left, top, width, height changes
    };
    const Case cases[] = {{Qt::Key_Right, Qt::ControlModifier, {1, 0, 0, 0}},
                          {Qt::Key_Down, Qt::ControlModifier, {0, 1, 0, 0}},
                          {Qt::Key_Left, Qt::ControlModifier, {-1, 0, 0, 0}},
                          {Qt::Key_Right, Qt::ShiftModifier, {0, 0, 1, 0}},
                          {Qt::Key_Up, Qt::ShiftModifier, {0, 0, 0, -1}},
                          {Qt::Key_Right, Qt::NoModifier, {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.key));
        const QRect was = controlOf(r.size)->geometry();
        key(w, c.key, c.mods);
        const QRect now = controlOf(r.size)->geometry();
        EXPECT_EQ(now.left() - was.left(), c.delta.left());
        EXPECT_EQ(now.top() - was.top(), c.delta.top());
        EXPECT_EQ(now.width() - was.width(), c.delta.width());
        EXPECT_EQ(now.height() - was.height(), c.delta.height());
    }
    Q_UNUSED(before);
}

TEST_F(DesignerTest, AlignSpaceSizeAndNudgeEveryKind) {
    struct Case {
        const char* name;
        int op;  // 0 align, 1 size, 2 nudge
        int kind;
        std::vector<QRect> expected;  // of the three texts a, b, c
    };
    // Three labels in the summary band at (10,10,50,20), (100,30,80,10), (220,5,30,40).
    const std::vector<QRect> start = {{10, 10, 50, 20}, {100, 30, 80, 10}, {220, 5, 30, 40}};
    const Case cases[] = {
        {"lefts", 0, 0, {{10, 10, 50, 20}, {10, 30, 80, 10}, {10, 5, 30, 40}}},
        {"centres", 0, 1, {{10, 10, 50, 20}, {-5, 30, 80, 10}, {20, 5, 30, 40}}},
        {"rights", 0, 2, {{10, 10, 50, 20}, {-20, 30, 80, 10}, {30, 5, 30, 40}}},
        {"tops", 0, 3, {{10, 10, 50, 20}, {100, 10, 80, 10}, {220, 10, 30, 40}}},
        {"middles", 0, 4, {{10, 10, 50, 20}, {100, 15, 80, 10}, {220, 0, 30, 40}}},
        {"bottoms", 0, 5, {{10, 10, 50, 20}, {100, 20, 80, 10}, {220, -10, 30, 40}}},
        {"space across", 0, 6, {{10, 10, 50, 20}, {115, 30, 80, 10}, {220, 5, 30, 40}}},
        {"space down", 0, 7, {{10, 17, 50, 20}, {100, 30, 80, 10}, {220, 5, 30, 40}}},
        {"smallest width", 1, 0, {{10, 10, 30, 20}, {100, 30, 30, 10}, {220, 5, 30, 40}}},
        {"largest width", 1, 1, {{10, 10, 80, 20}, {100, 30, 80, 10}, {220, 5, 80, 40}}},
        {"smallest height", 1, 2, {{10, 10, 50, 10}, {100, 30, 80, 10}, {220, 5, 30, 10}}},
        {"largest height", 1, 3, {{10, 10, 50, 40}, {100, 30, 80, 40}, {220, 5, 30, 40}}},
        {"nudge up", 2, 0, {{10, 9, 50, 20}, {100, 29, 80, 10}, {220, 4, 30, 40}}},
        {"nudge right", 2, 3, {{11, 10, 50, 20}, {101, 30, 80, 10}, {221, 5, 30, 40}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PackagesReport r;
        r.summary->SetmmHeight(50800);
        std::vector<TppLabel*> labels;
        for (int i = 0; i < 3; ++i) {
            auto* l = place<TppLabel>(r.summary, QStringLiteral("ppL%1").arg(i), 0, 0, 1000, 1000);
            l->SetAutoSize(false);
            l->SetSpBounds(start[i].left(), start[i].top(), start[i].width(), start[i].height());
            labels.push_back(l);
        }
        Open o(r);
        TppDesignerWindow& w = o.w;
        const int top = w.BandTop(r.summary);
        for (TppLabel* l : labels) w.AddToSelection(l);
        if (c.op == 0) w.AlignSelection(c.kind);
        else if (c.op == 1) w.SizeSelection(c.kind);
        else w.NudgeSelection(c.kind);
        for (int i = 0; i < 3; ++i) {
            QRect e = c.expected[i];
            // Components stay inside their band: a negative place becomes 0.
            e.moveTo(std::max(e.left(), 0), std::max(e.top(), 0));
            EXPECT_EQ(QRect(labels[i]->spLeft(), labels[i]->spTop(), labels[i]->spWidth(), labels[i]->spHeight()), e)
                << "label " << i;
            EXPECT_EQ(controlOf(labels[i])->geometry(), e.translated(0, top)) << "control " << i;
        }
    }
}

TEST_F(DesignerTest, SpacingTwoComponentsDoesNothing) {
    PackagesReport r;
    Open o(r);
    o.w.AddToSelection(r.package);
    o.w.AddToSelection(r.size);
    const QString before = textForm(r.report);
    o.w.AlignSelection(6);
    EXPECT_EQ(textForm(r.report), before);
}

TEST_F(DesignerTest, PlacingAComponentThatIsNotValidatedLeavesNothing) {
    // The label on the palette, leaving the registry as the other tests of the program find it.
    const bool hadRegistry = ppPaletteHooksInstalled();
    if (!hadRegistry) report::InstallPaletteRegistry();
    const bool hadLabel = ppFindRegComponent(QStringLiteral("TppLabel")) != nullptr;
    if (!hadLabel)
        ppRegisterPaletteComponent(&TppLabel::staticMetaObject, QStringLiteral("Standard Components"), 0, 0, {}, 0);
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    const int before = r.detail->ObjectCount();
    w.OnValidateComponent = [](QObject*, QObject*, bool& valid) { valid = false; };
    w.SetPaletteComponentClass(QStringLiteral("TppLabel"));
    click(w, QPoint(400, w.BandTop(r.detail) + 2));
    EXPECT_EQ(r.detail->ObjectCount(), before);
    EXPECT_TRUE(w.Selection().isEmpty());
    // Accepted: placed where clicked, selected, and the select button is down again.
    w.OnValidateComponent = nullptr;
    w.SetPaletteComponentClass(QStringLiteral("TppLabel"));
    click(w, QPoint(400, w.BandTop(r.detail) + 2));
    ASSERT_EQ(r.detail->ObjectCount(), before + 1);
    TppComponent* placed = r.detail->Objects(before);
    EXPECT_EQ(w.Selection(), (QList<TppComponent*>{placed}));
    EXPECT_EQ(placed->spLeft(), 400);
    EXPECT_EQ(placed->spTop(), 2);
    EXPECT_TRUE(placed->Transparent());
    EXPECT_TRUE(w.PaletteComponentClass().isEmpty());
    if (!hadLabel) ppUnregisterPaletteComponent(&TppLabel::staticMetaObject);
    if (!hadRegistry) report::RemovePaletteRegistry();
}
