// The design surface's pieces on their own: outlines, handles, selection records and the
// pop-up menus with their Boolean items and the report's menu cache.

#include "designer_fixture.h"

#include "report/designer/gui/popup_menu.h"
#include "report/output/dialog_registry.h"

using namespace designertest;

TEST_F(DesignerTest, BoundsRectTakesMillimetreThousandthsAsScreenPixels) {
    QWidget parent;
    TppBoundsRect r(&parent);
    r.SetMMBounds(25400, 0, 25400, 0);
    EXPECT_EQ(r.geometry().left(), 96);
    EXPECT_EQ(r.geometry().width(), 96);
    EXPECT_EQ(r.mmLeft(), 25400);
    r.SetMMBounds(12700, 50800, 6350, 2540);
    EXPECT_EQ(r.geometry(), QRect(48, 192, 24, 10));  // 9.6 pixels round to 10
}

TEST_F(DesignerTest, SizingHandlesSitOnTheEightPointsAndMarksInTheCorners) {
    QWidget parent;
    parent.resize(300, 300);
    TppSizingHandles handles;
    handles.SetParentControl(&parent);
    const QRect rect(10, 20, 101, 51);
    handles.Show(&rect);
    const QPoint centres[8] = {{10, 20}, {60, 20}, {111, 20}, {10, 45}, {111, 45}, {10, 71}, {60, 71}, {111, 71}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(handles.Handle(i)->Tag(), i);
        EXPECT_EQ(handles.Handle(i)->geometry(), QRect(centres[i] - QPoint(2, 2), QSize(5, 5)));
        EXPECT_FALSE(handles.Handle(i)->isHidden());
    }
    TppSelectionHandles marks;
    marks.SetParentControl(&parent);
    marks.Show(&rect);
    const QPoint corners[4] = {{10, 20}, {106, 20}, {10, 66}, {106, 66}};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(marks.Mark(i)->pos(), corners[i]);
    handles.Hide();
    EXPECT_TRUE(handles.Handle(3)->isHidden());
}

TEST_F(DesignerTest, PopupMenuOrdersItemsAndRefusesDuplicates) {
    TppPopupMenu menu;
    ASSERT_TRUE(menu.AddItem(30, QStringLiteral("Zeta"), 0, QStringLiteral("Z")));
    ASSERT_TRUE(menu.AddItem(10, QStringLiteral("beta"), 0, QStringLiteral("B")));
    ASSERT_TRUE(menu.AddItem(20, QStringLiteral("mniLine1"), 0, QStringLiteral("-")));
    ASSERT_TRUE(menu.AddItem(10, QStringLiteral("Alpha"), 0, QStringLiteral("A")));
    EXPECT_FALSE(menu.AddItem(5, QStringLiteral("Alpha"), 0, QStringLiteral("again")));
    EXPECT_EQ(menu.ItemNames(), (QStringList{"Alpha", "beta", "mniLine1", "Zeta"}));
    EXPECT_TRUE(menu.ItemByName(QStringLiteral("mniLine1"))->isSeparator());
    // A numbered caption comes from the library's texts.
    EXPECT_EQ(menu.AddItem(40, QStringLiteral("Visible"), 247)->text(), QStringLiteral("Visible"));
}

TEST_F(DesignerTest, ComponentAndBandMenusToggleBooleansAndWaitForTheirDialogs) {
    PackagesReport r;
    TppDesignerWindow w;
    w.SetReport(r.report);
    // A label: the component's items, then the text items; Boolean items show the values.
    TppPopupMenu* menu = w.PopupMenuFor(r.title);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->ItemNames(), (QStringList{"BringToFront", "SendToBack", "mniLine1", "AutoSize", "Position",
                                              "ReprintOnOverFlow", "ShiftWithParent", "Transparent", "Visible",
                                              "WordWrap"}));
    struct Item {
        const char* name;
        std::function<bool()> value;
    };
    const Item items[] = {{"Visible", [&] { return r.title->Visible(); }},
                          {"Transparent", [&] { return r.title->Transparent(); }},
                          {"WordWrap", [&] { return r.title->WordWrap(); }},
                          {"AutoSize", [&] { return r.title->AutoSize(); }}};
    for (const Item& item : items) {
        SCOPED_TRACE(item.name);
        menu = w.PopupMenuFor(r.title);
        QAction* a = menu->ItemByName(QString::fromLatin1(item.name));
        ASSERT_TRUE(a);
        const bool before = item.value();
        EXPECT_EQ(a->isChecked(), before);
        a->trigger();
        EXPECT_EQ(item.value(), !before);
        EXPECT_EQ(w.PopupMenuFor(r.title)->ItemByName(QString::fromLatin1(item.name))->isChecked(), !before);
    }
    // The menu of the class is cached by the report and prepared for each component.
    EXPECT_EQ(w.PopupMenuFor(r.note), w.PopupMenuFor(r.title));
    EXPECT_EQ(w.PopupMenuFor(r.note)->Component(), r.note);
    // Data texts add their own items; dialog items wait for a registered form.
    menu = w.PopupMenuFor(r.package);
    EXPECT_TRUE(menu->ItemByName(QStringLiteral("SuppressRepeatedValues")));
    EXPECT_FALSE(menu->ItemByName(QStringLiteral("Position"))->isEnabled());
    EXPECT_FALSE(menu->ItemByName(QStringLiteral("ResetGroup"))->isEnabled());
    menu->ItemByName(QStringLiteral("SuppressRepeatedValues"))->trigger();
    EXPECT_TRUE(r.package->SuppressRepeatedValues());
    // Bring to Front and Send to Back reorder the band.
    menu = w.PopupMenuFor(r.package);
    menu->ItemByName(QStringLiteral("BringToFront"))->trigger();
    EXPECT_EQ(r.detail->IndexOfObject(r.package), r.detail->ObjectCount() - 1);
    // A band: print height items are exclusive, Visible toggles.
    menu = w.PopupMenuFor(r.detail);
    EXPECT_EQ(menu->ItemNames(),
              (QStringList{"DynamicHeight", "StaticHeight", "mniLine1", "CalcOrder", "Position", "Visible"}));
    EXPECT_TRUE(menu->ItemByName(QStringLiteral("StaticHeight"))->isChecked());
    menu->ItemByName(QStringLiteral("DynamicHeight"))->trigger();
    EXPECT_EQ(r.detail->PrintHeight(), TppPrintHeightType::phDynamic);
    menu = w.PopupMenuFor(r.detail);
    EXPECT_TRUE(menu->ItemByName(QStringLiteral("DynamicHeight"))->isChecked());
    menu->ItemByName(QStringLiteral("Visible"))->trigger();
    EXPECT_FALSE(r.detail->Visible());
    // The cache goes with the design display.
    EXPECT_GT(r.report->PopupMenuCount(), 0);
    w.SetReport(nullptr);
    EXPECT_EQ(r.report->PopupMenuCount(), 0);
}
