#include "report/designer/docking/tests/docking_fixture.h"

#include "report/designer/docking/errors.h"
#include "report/designer/docking/float_parent.h"
#include "report/designer/docking/internal/work_area.h"
#include "report/designer/docking/tool_window_positions.h"

#include "platform/settings/ini_document.h"

#include <QTemporaryDir>
#include "test_paths.h"

namespace {
QString sectionText(const QString& path, const QString& section) {
    const settings::IniDocument doc = settings::IniDocument::Load(path);
    QStringList lines;
    for (const QString& name : doc.Names(section)) lines << name + "=" + doc.Value(section, name).value_or(QString());
    return lines.join(QLatin1Char(' '));
}
}  // namespace

class Positions : public DockingForm {
public:
    QTemporaryDir dir;
    QString ini() const { return dir.filePath(QStringLiteral("Marlisk.ini")); }
    void write(const QString& section, const QString& text) {
        settings::IniDocument doc = settings::IniDocument::Load(ini());
        for (const QString& pair : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int eq = pair.indexOf(QLatin1Char('='));
            doc.SetValue(section, pair.left(eq), pair.mid(eq + 1));
        }
        doc.Save(ini());
    }
};

TEST_F(Positions, a_save_writes_each_named_bar_in_key_order) {
    auto* standard = makeToolbar("Standard", 3, top, 0);
    auto* format = makeToolbar("Format", 3, top, 1);
    format->SetDockedTo(nullptr);
    format->SetFloatRightX(40);
    format->SetFloatLeft(120);
    format->SetFloatTop(90);
    format->KeepOnScreen(false);
    auto* tw = new TppToolWindowSkiffrow(form.get(), QStringLiteral("DataTree"));
    tw->SetClientSize(QSize(150, 210));
    tw->SetDockedTo(left);
    auto* fixed = makeToolbar("Fixed", 2, bottom);
    bottom->SetAllowDrag(false);
    auto* unnamed = makeToolbar("", 1, right);
    (void)unnamed;
    standard->SetVisible(false);
    settle();
    ppSaveToolWindowPositions(form.get(), ini());
    (void)fixed;

    struct Case {
        const char* section;
        QString text;
    };
    const Case cases[] = {
        {"Standard", "Rev=2 Visible=0 DockedTo=TopDock DockRow=0 DockPos=0 FloatLeft=0 FloatTop=0 FloatRightX=0"},
        {"Format", QStringLiteral("Rev=2 Visible=1 DockedTo=+ DockRow=1 DockPos=0 FloatLeft=120 FloatTop=90 FloatRightX=40")},
        {"DataTree", QStringLiteral("Rev=2 Visible=1 DockedTo=LeftDock DockRow=0 DockPos=%1 FloatLeft=0 FloatTop=0 ClientWidth=150 ClientHeight=%2")
                         .arg(tw->DockPos()).arg(tw->ClientSize().height())},
        {"Fixed", QStringLiteral("Rev=2 Visible=1 DockedTo= DockRow=0 DockPos=0 FloatLeft=0 FloatTop=0 FloatRightX=0")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        EXPECT_EQ(sectionText(ini(), c.section), c.text);
    }
    EXPECT_EQ(settings::IniDocument::Load(ini()).Sections().size(), 4) << "the unnamed bar is left out";
}

TEST_F(Positions, a_load_applies_each_kind_of_section) {
    struct Case {
        const char* what;
        QString section;
        // expected afterwards
        TppDockSkiffrow* DockingForm::*dock;  // nullptr: floating
        bool visible;
    };
    // Every bar starts docked at the top and visible.
    const Case cases[] = {
        {"round trip into the left dock", "Rev=2 Visible=1 DockedTo=LeftDock DockRow=0 DockPos=0", &DockingForm::left, true},
        {"Rev 1 is ignored", "Rev=1 Visible=0 DockedTo=+ DockRow=0 DockPos=0", &DockingForm::top, true},
        {"+ floats", "Rev=2 Visible=1 DockedTo=+ FloatLeft=100 FloatTop=120 FloatRightX=0", nullptr, true},
        {"an unknown dock keeps the place but applies Visible", "Rev=2 Visible=0 DockedTo=GoneDock DockRow=3", &DockingForm::top, false},
        {"a hidden bar stays hidden", "Rev=2 Visible=0 DockedTo=BottomDock DockRow=0 DockPos=0", &DockingForm::bottom, false},
        {"a fixed dock keeps the design-time place", "Rev=2 Visible=1 DockedTo= DockRow=0", &DockingForm::top, true},
        {"no section at all", "", &DockingForm::top, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(ini());
        auto* bar = makeToolbar(QStringLiteral("Bar"), 3, top);
        if (!c.section.isEmpty()) write(QStringLiteral("Bar"), c.section);
        ppLoadToolWindowPositions(form.get(), ini());
        settle();
        TppDockSkiffrow* expected = c.dock ? this->*c.dock : nullptr;
        EXPECT_EQ(bar->DockedTo(), expected);
        EXPECT_EQ(bar->Visible(), c.visible);
        if (expected) EXPECT_EQ(bar->isVisible(), c.visible);
        else ASSERT_NE(bar->FloatParent(), nullptr);
        delete bar;
    }
}

TEST_F(Positions, a_floating_bar_stored_off_screen_comes_back_inside_the_work_area) {
    auto* bar = makeToolbar(QStringLiteral("Bar"), 3, top);
    write(QStringLiteral("Bar"), "Rev=2 Visible=1 DockedTo=+ FloatLeft=-5000 FloatTop=9000 FloatRightX=30");
    ppLoadToolWindowPositions(form.get(), ini());
    settle();
    ASSERT_NE(bar->FloatParent(), nullptr);
    const QRect work = skiffrow::WorkArea(form.get());
    EXPECT_TRUE(work.contains(bar->FloatParent()->geometry())) << "inside " << work.width() << "x" << work.height();
    EXPECT_EQ(bar->FloatRightX(), 30);
    EXPECT_GT(bar->WrapLines().size() + (bar->Client()->height() > 30 ? 1 : 0), 0) << "wrapped at 30 pixels";
}

TEST_F(Positions, a_hand_written_file_restores_the_layout_it_describes) {
    auto* standard = makeToolbar("Standard", 4, top, 0);
    auto* format = makeToolbar("Format", 5, top, 0, 200);
    auto* draw = makeToolbar("Draw", 3, top, 1);
    auto* tree = new TppToolWindowSkiffrow(form.get(), QStringLiteral("DataTree"));
    tree->SetDockableTo({ppdpLeft, ppdpRight});
    tree->SetDockedTo(left);
    settle();
    ppLoadToolWindowPositions(form.get(), QStringLiteral(TEST_DATA_DIR "/designer_layout.ini"));
    settle();
    EXPECT_EQ(standard->DockedTo(), left);
    EXPECT_EQ(form->toolBarArea(standard), Qt::LeftToolBarArea);
    EXPECT_EQ(standard->orientation(), Qt::Vertical);
    EXPECT_EQ(format->DockedTo(), nullptr);
    ASSERT_NE(format->FloatParent(), nullptr);
    EXPECT_EQ(format->FloatParent()->pos(), QPoint(300, 200));
    EXPECT_EQ(format->FloatRightX(), 60);
    EXPECT_FALSE(draw->Visible());
    EXPECT_FALSE(draw->isVisible());
    EXPECT_EQ(tree->DockedTo(), right);
    EXPECT_EQ(form->dockWidgetArea(tree), Qt::RightDockWidgetArea);
    EXPECT_EQ(tree->ClientSize().width(), 180);
    EXPECT_EQ(tree->Client()->width(), 180);
}

TEST_F(Positions, a_bar_in_an_unnamed_dock_stops_the_save_and_keeps_what_was_written) {
    makeToolbar("First", 2, top);
    auto* unnamedDock = new TppDockSkiffrow(form.get(), ppdpBottom);
    (void)unnamedDock;
    auto* bar = new TppSkiffrow(form.get(), QStringLiteral("Second"));
    bar->SetDockedTo(unnamedDock);
    try {
        ppSaveToolWindowPositions(form.get(), ini());
        ADD_FAILURE() << "no exception";
    } catch (const EToolWindowPositionError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot save tool window's position because DockedTo's Name property not set"));
    }
    EXPECT_TRUE(settings::IniDocument::Load(ini()).HasSection(QStringLiteral("First")));
    EXPECT_FALSE(settings::IniDocument::Load(ini()).HasSection(QStringLiteral("Second")));
}
