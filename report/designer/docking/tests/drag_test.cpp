#include "report/designer/docking/tests/docking_fixture.h"

#include "report/designer/docking/float_parent.h"
#include "report/designer/docking/internal/bar_drag.h"

namespace {
/// A point on the grip (handle) of a docked toolbar, in the toolbar's coordinates.
QPoint gripOf(TppSkiffrow* bar) { return bar->orientation() == Qt::Horizontal ? QPoint(4, bar->height() / 2) : QPoint(bar->width() / 2, 4); }
}  // namespace

using Dragging = DockingForm;

TEST_F(Dragging, a_toolbar_dragged_by_its_grip_docks_at_each_edge_and_floats_elsewhere) {
    struct Case {
        const char* to;
        TppDockSkiffrow* DockingForm::*dock;  // nullptr: floating
        Qt::Orientation orientation;
    };
    static const Case cases[] = {
        {"bottom", &DockingForm::bottom, Qt::Horizontal},
        {"left", &DockingForm::left, Qt::Vertical},
        {"right", &DockingForm::right, Qt::Vertical},
        {"top", &DockingForm::top, Qt::Horizontal},
        {"middle of the form", nullptr, Qt::Horizontal},
    };
    auto* bar = makeToolbar("Standard", 4, top);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        TppDockSkiffrow* target = c.dock ? this->*c.dock : nullptr;
        QWidget* grabbed = bar->FrameWidget();
        const QPoint press = bar->DockedTo() ? gripOf(bar) : QPoint(grabbed->width() / 2, 6);
        mouse(grabbed, QEvent::MouseButtonPress, press);
        const QPoint to = target ? inside(target) : form->mapToGlobal(form->rect().center());
        moveTo(grabbed, to + QPoint(7, 3));
        moveTo(grabbed, to);
        releaseAt(grabbed, to);
        settle();
        EXPECT_EQ(bar->DockedTo(), target);
        if (target) {
            EXPECT_EQ(form->toolBarArea(bar), target->ToolBarArea());
            EXPECT_EQ(bar->orientation(), c.orientation);
            EXPECT_EQ(bar->FloatParent(), nullptr);
        } else {
            ASSERT_NE(bar->FloatParent(), nullptr);
            EXPECT_TRUE(bar->FloatParent()->isVisible());
            EXPECT_EQ(bar->FloatParent()->geometry().topLeft(), QPoint(bar->FloatLeft(), bar->FloatTop()));
        }
    }
}

TEST_F(Dragging, dropping_on_a_row_boundary_opens_a_new_row_and_moves_the_outer_rows_out) {
    auto* a = makeToolbar("A", 3, top, 0);
    auto* b = makeToolbar("B", 3, top, 1);
    auto* c = makeToolbar("C", 2, bottom, 0);
    // Drag C so that its centre lands 2 pixels past the boundary between rows 0 and 1.
    const int boundary = top->ScreenRect().top() + top->RowSizes().at(0);
    mouse(c, QEvent::MouseButtonPress, gripOf(c));
    const QPoint grab = c->mapToGlobal(gripOf(c));
    const QPoint centre = c->mapToGlobal(c->rect().center());
    const QPoint to(top->ScreenRect().left() + 300, boundary + 2 + (grab.y() - centre.y()));
    moveTo(c, to);
    releaseAt(c, to);
    settle();
    ASSERT_EQ(c->DockedTo(), top);
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_EQ(c->DockRow(), 1);
    EXPECT_EQ(b->DockRow(), 2);
    EXPECT_LT(a->geometry().top(), c->geometry().top());
    EXPECT_LT(c->geometry().top(), b->geometry().top());
}

TEST_F(Dragging, ctrl_keeps_the_outline_floating_and_switches_at_once) {
    auto* bar = makeToolbar("Standard", 4, top);
    auto* other = makeToolbar("Other", 2, bottom);
    (void)other;
    mouse(bar, QEvent::MouseButtonPress, gripOf(bar), Qt::ControlModifier);
    const QPoint over = inside(bottom);
    moveTo(bar, over);
    ASSERT_NE(skiffrow::BarDrag::Current(), nullptr);
    EXPECT_EQ(skiffrow::BarDrag::Current()->Target(), nullptr) << "Ctrl held at the press";
    key(bar, Qt::Key_Control, false);
    EXPECT_EQ(skiffrow::BarDrag::Current()->Target(), bottom) << "Ctrl released over the bottom dock";
    key(bar, Qt::Key_Control, true);
    EXPECT_EQ(skiffrow::BarDrag::Current()->Target(), nullptr);
    releaseAt(bar, over);
    settle();
    EXPECT_EQ(bar->DockedTo(), nullptr);
    EXPECT_NE(bar->FloatParent(), nullptr);
}

TEST_F(Dragging, escape_or_a_second_press_leaves_the_bar_where_it_was) {
    auto* bar = makeToolbar("Standard", 4, top);
    for (bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "second press");
        mouse(bar, QEvent::MouseButtonPress, gripOf(bar));
        moveTo(bar, inside(left));
        if (escape) key(bar, Qt::Key_Escape, true);
        else mouse(bar, QEvent::MouseButtonPress, bar->mapFromGlobal(inside(left)));
        EXPECT_EQ(skiffrow::BarDrag::Current(), nullptr);
        releaseAt(bar, inside(left));
        settle();
        EXPECT_EQ(bar->DockedTo(), top);
    }
}

TEST_F(Dragging, a_double_click_floats_a_docked_bar_and_docks_it_back) {
    auto* bar = makeToolbar("Standard", 4, left);
    mouse(bar, QEvent::MouseButtonDblClick, gripOf(bar));
    settle();
    ASSERT_EQ(bar->DockedTo(), nullptr);
    ASSERT_NE(bar->FloatParent(), nullptr);
    mouse(bar->FloatParent()->Caption(), QEvent::MouseButtonDblClick, QPoint(5, 5));
    settle();
    EXPECT_EQ(bar->DockedTo(), left) << "back into its last dock";

    auto* fresh = new TppSkiffrow(form.get(), QStringLiteral("Fresh"));
    settle();
    mouse(fresh->FloatParent()->Caption(), QEvent::MouseButtonDblClick, QPoint(5, 5));
    EXPECT_EQ(fresh->DockedTo(), nullptr) << "no default dock: stays floating";
}

TEST_F(Dragging, a_fixed_dock_neither_lets_its_bars_out_nor_others_in) {
    auto* fixedBar = makeToolbar("Fixed", 3, bottom);
    auto* bar = makeToolbar("Standard", 3, top);
    bottom->SetAllowDrag(false);
    mouse(fixedBar, QEvent::MouseButtonPress, QPoint(3, 3));
    EXPECT_EQ(skiffrow::BarDrag::Current(), nullptr);
    mouse(fixedBar, QEvent::MouseButtonDblClick, QPoint(3, 3));
    EXPECT_EQ(fixedBar->DockedTo(), bottom);

    mouse(bar, QEvent::MouseButtonPress, gripOf(bar));
    moveTo(bar, inside(bottom));
    EXPECT_EQ(skiffrow::BarDrag::Current()->Target(), nullptr);
    key(bar, Qt::Key_Escape, true);
}

TEST_F(Dragging, a_tool_window_docks_only_left_and_right_and_keeps_its_size) {
    auto* tw = new TppToolWindowSkiffrow(form.get(), QStringLiteral("DataTree"));
    tw->SetDockableTo({ppdpLeft, ppdpRight});
    tw->SetClientSize(QSize(150, 200));
    tw->SetFloatLeft(200);
    tw->SetFloatTop(150);
    tw->SetDockedTo(nullptr);
    settle();
    QWidget* caption = tw->FloatParent()->Caption();
    mouse(caption, QEvent::MouseButtonPress, QPoint(10, 5));
    moveTo(caption, inside(top));
    EXPECT_EQ(skiffrow::BarDrag::Current()->Target(), nullptr) << "top is not in DockableTo";
    moveTo(caption, inside(left) + QPoint(0, 40));
    EXPECT_EQ(skiffrow::BarDrag::Current()->Target(), left);
    releaseAt(caption, inside(left) + QPoint(0, 40));
    settle();
    ASSERT_EQ(tw->DockedTo(), left);
    EXPECT_EQ(form->dockWidgetArea(tw), Qt::LeftDockWidgetArea);
    EXPECT_EQ(tw->Client()->width(), 150);
    tw->DoubleClicked();
    settle();
    ASSERT_NE(tw->FloatParent(), nullptr);
    EXPECT_EQ(tw->Client()->size(), QSize(150, 200)) << "floats at its own size";
}
