#include "report/designer/docking/tests/docking_fixture.h"

#include "report/designer/docking/designer_bars.h"
#include "report/designer/docking/drop_down_panel.h"
#include "report/designer/docking/float_parent.h"
#include "report/designer/docking/internal/bar_drag.h"
#include "report/designer/docking/internal/work_area.h"

#include <QTimerEvent>

namespace {
void fire(QTimer* timer) {
    ASSERT_TRUE(timer->isActive());
    QTimerEvent e(timer->timerId());
    QCoreApplication::sendEvent(timer, &e);
}
void click(QWidget* w, QPoint at) {
    DockingForm::mouse(w, QEvent::MouseButtonPress, at);
    DockingForm::mouse(w, QEvent::MouseButtonRelease, at);
}
void enter(QWidget* w) {
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(w->mapToGlobal(QPoint(2, 2))));
    QCoreApplication::sendEvent(w, &e);
}
void leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}
}  // namespace

class Buttons : public DockingForm {
public:
    TppToolbar* bar = nullptr;
    TppToolbarButton* add(const QString& name) {
        auto* b = new TppToolbarButton;
        b->setObjectName(name);
        bar->AddControl(b);
        return b;
    }
    void SetUp() override {
        DockingForm::SetUp();
        bar = new TppToolbar(form.get(), QStringLiteral("Draw"));
        bar->SetDockedTo(top);
        settle();
    }
};

TEST_F(Buttons, grouped_buttons_latch_and_release_each_other) {
    auto* a = add("Left");
    auto* b = add("Centre");
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    click(a, QPoint(5, 5));
    EXPECT_TRUE(a->Down());
    click(b, QPoint(5, 5));
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    click(b, QPoint(5, 5));
    EXPECT_TRUE(b->Down()) << "without AllowAllUp a down button stays down";
    b->SetAllowAllUp(true);
    click(b, QPoint(5, 5));
    EXPECT_FALSE(b->Down());
    auto* solo = add("Solo");
    solo->SetDown(true);
    EXPECT_FALSE(solo->Down()) << "GroupIndex 0 never latches";
}

TEST_F(Buttons, a_combo_button_drops_its_menu_only_from_the_arrow_and_the_closing_press_does_not_reopen) {
    auto* b = add("Font");
    QMenu menu;
    menu.addAction(QStringLiteral("Arial"));
    int clicks = 0;
    b->OnClick = [&] { ++clicks; };
    b->SetDropdownMenu(&menu);
    const int narrow = b->width();
    b->SetDropdownCombo(true);
    EXPECT_EQ(b->width(), narrow + 11);
    click(b, QPoint(4, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(menu.isVisible());
    mouse(b, QEvent::MouseButtonPress, QPoint(b->width() - 5, 5));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(clicks, 0 + 1);
    EXPECT_EQ(menu.pos(), b->mapToGlobal(QPoint(0, b->height())));
    menu.hide();  // the press outside the menu closes it ...
    mouse(b, QEvent::MouseButtonPress, QPoint(b->width() - 5, 5));  // ... and reaches the button
    EXPECT_FALSE(menu.isVisible());
    settle();
    b->SetDropdownCombo(false);
    EXPECT_EQ(b->width(), narrow);
}

TEST_F(Buttons, a_menu_opens_away_from_the_edge_in_side_docks) {
    auto* b = add("Lines");
    QMenu menu;
    menu.addAction(QStringLiteral("Thin"));
    b->SetDropdownMenu(&menu);
    for (TppDockSkiffrow* d : {left, right}) {
        bar->SetDockedTo(d);
        settle();
        click(b, QPoint(5, 5));
        ASSERT_TRUE(menu.isVisible());
        const QPoint expected = d == left ? b->mapToGlobal(QPoint(b->width(), 0)) : b->mapToGlobal(QPoint(-menu.sizeHint().width(), 0));
        EXPECT_EQ(menu.pos(), expected);
        menu.hide();
        settle();
    }
}

TEST_F(Buttons, the_hot_border_goes_when_the_application_does_unless_kept) {
    auto* b = add("Bold");
    auto* kept = add("Italic");
    kept->SetShowBorderWhenInactive(true);
    enter(b);
    enter(kept);
    EXPECT_EQ(b->State(), bsHot);
    skiffrow::ApplicationActivity::Instance().Drive(false);
    EXPECT_EQ(b->State(), bsUp);
    EXPECT_EQ(kept->State(), bsHot);
    skiffrow::ApplicationActivity::Instance().Drive(true);
}

TEST_F(Buttons, mouse_events_and_a_drag_from_one_button_onto_another) {
    auto* a = add("Bold");
    auto* b = add("Italic");
    auto* c = add("Underline");
    settle();
    QStringList log;
    a->OnMouseDown = [&](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& p) {
        log << QStringLiteral("down %1 %2,%3").arg(int(button)).arg(p.x()).arg(p.y());
    };
    a->OnMouseMove = [&](Qt::KeyboardModifiers, const QPoint& p) { log << QStringLiteral("move %1").arg(p.x()); };
    a->OnMouseUp = [&](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint&) { log << QStringLiteral("up %1").arg(int(button)); };
    click(a, QPoint(4, 5));
    EXPECT_EQ(log, (QStringList{"down 1 4,5", "up 1"}));

    // A manual button does not drag; an automatic one starts at the drag distance.
    log.clear();
    a->OnStartDrag = [&] { log << "start"; };
    a->OnEndDrag = [&](QObject* target, const QPoint&) { log << QStringLiteral("end %1").arg(target ? target->objectName() : "none"); };
    b->OnDragOver = [&](QObject* source, const QPoint&, bool& accept) { accept = source == a; };
    b->OnDragDrop = [&](QObject* source, const QPoint&) { log << QStringLiteral("dropped %1").arg(source->objectName()); };
    c->OnDragOver = [&](QObject*, const QPoint&, bool& accept) { accept = false; };
    const QPoint onB = b->mapToGlobal(QPoint(5, 5));
    mouse(a, QEvent::MouseButtonPress, QPoint(4, 5));
    moveTo(a, onB);
    EXPECT_FALSE(a->Dragging());
    releaseAt(a, onB);
    EXPECT_FALSE(log.contains("start"));

    a->SetDragMode(dmAutomatic);
    for (QWidget* target : {static_cast<QWidget*>(b), static_cast<QWidget*>(c)}) {
        log.clear();
        const QPoint over = target->mapToGlobal(QPoint(5, 5));
        mouse(a, QEvent::MouseButtonPress, QPoint(4, 5));
        moveTo(a, over);
        EXPECT_TRUE(a->Dragging());
        releaseAt(a, over);
        EXPECT_FALSE(a->Dragging());
        log.removeIf([](const QString& l) { return l.startsWith("move") || l.startsWith("down") || l.startsWith("up"); });
        if (target == b) EXPECT_EQ(log, (QStringList{"start", "dropped Bold", "end Italic"}));
        else EXPECT_EQ(log, (QStringList{"start", "end none"}));  // refused: nothing dropped
    }
    // Escape ends a drag without dropping.
    log.clear();
    mouse(a, QEvent::MouseButtonPress, QPoint(4, 5));
    moveTo(a, onB);
    key(a, Qt::Key_Escape, true);
    EXPECT_FALSE(a->Dragging());
    EXPECT_EQ(log.last(), "end none");
    releaseAt(a, onB);
}

TEST_F(Buttons, hints_follow_their_bar_and_menus_name_the_button_that_dropped_them) {
    auto* b = add("Lines");
    b->SetHint(QStringLiteral("Line Style"));
    EXPECT_EQ(b->toolTip(), "Line Style");
    EXPECT_EQ(b->statusTip(), "Line Style");
    EXPECT_TRUE(b->HintShown());
    bar->SetShowHint(false);
    EXPECT_FALSE(bar->ShowHint());
    EXPECT_FALSE(b->HintShown()) << "ParentShowHint follows the bar";
    b->SetShowHint(true);
    EXPECT_FALSE(b->ParentShowHint());
    EXPECT_TRUE(b->HintShown());
    form->setProperty("ShowHint", false);
    bar->SetParentShowHint(true);
    EXPECT_FALSE(bar->ShowHint()) << "a bar with ParentShowHint follows its form";

    QMenu menu;
    QAction* thin = menu.addAction(QStringLiteral("Thin"));
    thin->setStatusTip(QStringLiteral("A thin line"));
    b->SetDropdownMenu(&menu);
    EXPECT_TRUE(TDropdownList::Instance().Contains(&menu));
    QWidget* poppedBy = nullptr;
    TDropdownList::Instance().SetOnPopup(&menu, [&](QMenu*, QWidget* component) {
        poppedBy = component;
        EXPECT_FALSE(menu.isVisible()) << "OnPopup fires before the menu shows";
    });
    QString hint = QStringLiteral("-");
    TDropdownList::Instance().OnHint = [&](const QString& h) { hint = h; };
    click(b, QPoint(5, 5));
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(poppedBy, b);
    EXPECT_EQ(TDropdownList::Instance().PopupComponent(&menu), b);
    Q_EMIT menu.hovered(thin);
    EXPECT_EQ(hint, "A thin line");
    menu.hide();
    EXPECT_EQ(hint, "");
    TDropdownList::Instance().OnHint = nullptr;
    settle();
}

TEST_F(Buttons, a_glyph_mask_hides_its_white_pixels_and_the_old_disabled_style_is_flat) {
    QImage strip(4, 4, QImage::Format_ARGB32);
    strip.fill(QColor(0, 128, 128));
    for (int x = 0; x < 3; ++x) strip.setPixel(x, 1, qRgb(0, 0, 0));
    QImage mask(4, 4, QImage::Format_RGB32);
    mask.fill(Qt::black);
    mask.setPixel(0, 1, qRgb(255, 255, 255));
    TppButtonGlyph glyph;
    glyph.SetGlyph(strip);
    QPalette pal;
    pal.setColor(QPalette::Dark, QColor(128, 128, 128));
    EXPECT_EQ(qAlpha(glyph.StateImage(bsUp, pal).pixel(0, 1)), 255);
    glyph.SetGlyphMask(mask);
    EXPECT_EQ(qAlpha(glyph.StateImage(bsUp, pal).pixel(0, 1)), 0);
    EXPECT_EQ(qAlpha(glyph.StateImage(bsUp, pal).pixel(1, 1)), 255);
    glyph.SetOldDisabledStyle(true);
    const QImage disabled = glyph.StateImage(bsDisabled, pal);
    EXPECT_EQ(disabled.size(), QSize(4, 4)) << "flat: no embossed pixel beside it";
    EXPECT_EQ(disabled.pixel(1, 1), qRgb(128, 128, 128));
    EXPECT_EQ(qAlpha(disabled.pixel(2, 2)), 0);
}

TEST_F(Buttons, a_one_image_glyph_gets_an_embossed_disabled_image) {
    // 4 by 4: transparent teal around a black square of 2 by 2 with one white pixel.
    QImage strip(4, 4, QImage::Format_ARGB32);
    strip.fill(QColor(0, 128, 128));
    strip.setPixel(1, 1, qRgb(0, 0, 0));
    strip.setPixel(2, 1, qRgb(0, 0, 0));
    strip.setPixel(1, 2, qRgb(0, 0, 0));
    strip.setPixel(2, 2, qRgb(255, 255, 255));
    TppButtonGlyph glyph;
    glyph.SetGlyph(strip);
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    QPalette pal;
    pal.setColor(QPalette::Light, Qt::white);
    pal.setColor(QPalette::Dark, Qt::gray);
    const QImage img = glyph.StateImage(bsDisabled, pal);
    QStringList rows;
    for (int y = 0; y < img.height(); ++y) {
        QString row;
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            row += qAlpha(p) == 0 ? '.' : (QColor(p) == QColor(Qt::white) ? 'H' : 'S');
        }
        rows << row;
    }
    EXPECT_EQ(rows.join('|'), QStringLiteral(".....|.SS..|.SHH.|..H..|....."));
    QImage five(80, 16, QImage::Format_ARGB32);
    glyph.SetGlyph(five);
    EXPECT_EQ(glyph.NumGlyphs(), 5);
    glyph.SetNumGlyphs(7);
    EXPECT_EQ(glyph.NumGlyphs(), 5);
}

class Panels : public Buttons {
public:
    TppToolbarButton *fill = nullptr, *line = nullptr;
    TppDropDownPanel *fillPanel = nullptr, *linePanel = nullptr;
    TppDropDownPanel* makePanel(const QString& name) {
        auto* p = new TppDropDownPanel(form.get(), name);
        p->resize(80, 60);
        auto* swatch = new TppToolbarButton(p);
        swatch->setObjectName(QStringLiteral("Red"));
        swatch->setGeometry(4, 4, 20, 20);
        return p;
    }
    void SetUp() override {
        Buttons::SetUp();
        fill = add("FillColor");
        line = add("LineColor");
        fillPanel = makePanel("FillPalette");
        linePanel = makePanel("LinePalette");
        fill->SetDropDownPanel(fillPanel);
        line->SetDropDownPanel(linePanel);
        settle();
    }
};

TEST_F(Panels, a_panel_opens_below_its_button_and_hovering_another_button_switches_panels) {
    EXPECT_GE(fill->GroupIndex(), 1);
    EXPECT_TRUE(fill->AllowAllUp());
    click(fill, QPoint(5, 5));
    ASSERT_TRUE(fillPanel->isVisible());
    EXPECT_TRUE(fill->Down());
    EXPECT_EQ(fillPanel->pos(), fill->mapToGlobal(QPoint(0, fill->height() + 1)));
    EXPECT_EQ(bar->ActiveDropDown(), fill);
    enter(line);
    EXPECT_TRUE(linePanel->isVisible());
    EXPECT_FALSE(fillPanel->isVisible());
    EXPECT_FALSE(fill->Down());
    EXPECT_EQ(bar->ActiveDropDown(), line);
    click(line, QPoint(5, 5));
    EXPECT_FALSE(linePanel->isVisible()) << "clicking the button again closes its panel";
}

TEST_F(Panels, a_panel_closes_a_second_after_the_pointer_left_unless_it_came_back) {
    click(fill, QPoint(5, 5));
    ASSERT_TRUE(fillPanel->isVisible());
    leave(fillPanel);
    EXPECT_TRUE(bar->CloseTimer()->isActive());
    EXPECT_EQ(bar->CloseTimer()->interval(), 1000);
    enter(fillPanel);
    EXPECT_FALSE(bar->CloseTimer()->isActive()) << "back in time";
    leave(fillPanel);
    fire(bar->CloseTimer());
    EXPECT_FALSE(fillPanel->isVisible());
    EXPECT_FALSE(fill->Down());
    EXPECT_EQ(bar->ActiveDropDown(), nullptr);
}

TEST_F(Panels, a_panel_near_the_screen_bottom_opens_above_its_button) {
    bar->SetDockedTo(bottom);
    form->move(form->x(), skiffrow::WorkArea(form.get()).bottom() - form->height() + 1);
    settle();
    click(fill, QPoint(5, 5));
    ASSERT_TRUE(fillPanel->isVisible());
    EXPECT_EQ(fillPanel->geometry().bottom(), fill->mapToGlobal(QPoint(0, -2)).y());
}

TEST_F(Panels, dragging_the_tear_off_strip_makes_a_floating_fixed_copy_follow_the_mouse) {
    fillPanel->SetTearOff(true);
    fillPanel->SetTearOffHint(QStringLiteral("Drag to make this menu float"));
    EXPECT_EQ(fillPanel->height(), 70);
    EXPECT_EQ(fillPanel->findChild<QWidget*>("Red")->y(), 14);
    click(fill, QPoint(5, 5));
    ASSERT_TRUE(fillPanel->isVisible());
    mouse(fillPanel, QEvent::MouseMove, QPoint(20, 5));
    mouse(fillPanel, QEvent::MouseButtonPress, QPoint(20, 5));
    mouse(fillPanel, QEvent::MouseMove, QPoint(20, 20));
    TppToolWindowSkiffrow* copy = fillPanel->TornOffWindow();
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(fillPanel->isVisible());
    EXPECT_FALSE(fill->Down());
    EXPECT_EQ(copy->DockedTo(), nullptr);
    EXPECT_TRUE(copy->DockableTo().IsEmpty());
    EXPECT_FALSE(copy->Resizable());
    EXPECT_NE(copy->Client()->findChild<TppToolbarButton*>("Red"), nullptr);
    ASSERT_NE(skiffrow::BarDrag::Current(), nullptr) << "the copy follows the mouse";
    const QPoint to = form->mapToGlobal(QPoint(300, 250));
    moveTo(fillPanel, to);
    releaseAt(fillPanel, to);
    settle();
    EXPECT_EQ(copy->DockedTo(), nullptr);
    EXPECT_TRUE(copy->FloatParent()->isVisible());
    EXPECT_LT((copy->FloatParent()->geometry().center() - to).manhattanLength(), 120);
}

TEST_F(Panels, the_tear_off_hint_shows_a_second_after_entering_over_the_strip) {
    fillPanel->SetTearOff(true);
    fillPanel->SetTearOffHint(QStringLiteral("Drag to make this menu float"));
    click(fill, QPoint(5, 5));
    QCursor::setPos(fillPanel->mapToGlobal(QPoint(20, 5)));
    enter(fillPanel);
    EXPECT_EQ(TppDropDownPanel::ShowTimer()->interval(), 1000);
    fire(TppDropDownPanel::ShowTimer());
    EXPECT_TRUE(fillPanel->HintShown());
    QCursor::setPos(fillPanel->mapToGlobal(QPoint(20, 40)));
    fire(TppDropDownPanel::HideTimer());
    EXPECT_FALSE(fillPanel->HintShown());
}
