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
