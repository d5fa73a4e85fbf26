#include "report/designer/docking/tests/docking_fixture.h"

#include "report/designer/docking/errors.h"

using Docks = DockingForm;

TEST_F(Docks, rows_are_compacted_ordered_from_the_edge_and_placed_by_the_form) {
    auto* a = makeToolbar("A", 3, top, 0, 0);
    auto* b = makeToolbar("B", 2, top, 2, 0);
    auto* c = makeToolbar("C", 4, top, 5, 0);
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_EQ(b->DockRow(), 1);
    EXPECT_EQ(c->DockRow(), 2);
    EXPECT_LT(a->geometry().top(), b->geometry().top());
    EXPECT_LT(b->geometry().top(), c->geometry().top());
    EXPECT_EQ(top->RowSizes().size(), 3);

    auto* d = makeToolbar("D", 2, bottom, 0, 0);
    auto* e = makeToolbar("E", 2, bottom, 1, 0);
    EXPECT_GT(d->geometry().top(), e->geometry().top()) << "row 0 of a bottom dock lies at the form's bottom edge";
    auto* f = makeToolbar("F", 2, right, 0, 0);
    auto* g = makeToolbar("G", 2, right, 1, 0);
    EXPECT_GT(f->geometry().left(), g->geometry().left()) << "row 0 of a right dock lies at the form's right edge";
}

TEST_F(Docks, a_dock_tells_each_bar_that_enters_or_leaves_and_compacts_its_rows) {
    QStringList log;
    top->OnInsertRemoveBar = [&](TppDockSkiffrow* sender, bool inserting, TppCustomToolWindowSkiffrow* bar) {
        log << QStringLiteral("%1 %2 %3").arg(sender->objectName(), inserting ? "in" : "out", bar->Name());
    };
    auto* a = makeToolbar("A", 2, top, 0, 0);
    auto* b = makeToolbar("B", 2, top, 1, 0);
    b->SetDockedTo(bottom);
    settle();
    EXPECT_EQ(log, (QStringList{"TopDock in A", "TopDock in B", "TopDock out B"}));

    // Rows with gaps become 0 .. n-1 in their order; bars of one row go by DockPos, "at the
    // end" (-1) last.
    auto* c = makeToolbar("C", 2, top, 0, 0);
    top->BeginArrange();
    a->SetDockRowQuietly(4);
    c->SetDockRowQuietly(9);
    top->CompactRows();
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_EQ(c->DockRow(), 1);
    top->EndArrange();
    QList<TppCustomToolWindowSkiffrow*> bars{a, b, c};
    a->SetDockRowQuietly(1);
    a->SetDockPosQuietly(-1);
    b->SetDockRowQuietly(1);
    b->SetDockPosQuietly(30);
    c->SetDockRowQuietly(0);
    ppSortList(bars);
    EXPECT_EQ(bars, (QList<TppCustomToolWindowSkiffrow*>{c, b, a}));
    top->LayoutBars();
    top->MeasureRows();
    EXPECT_EQ(top->RowSizes().size(), 2);
    for (int size : top->RowSizes()) EXPECT_GE(size, 8);
}
