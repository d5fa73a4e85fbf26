#include "core/gui/form_helpers.h"

#include "core/globals.h"
#include "core/gui/key_filters.h"
#include "core/gui/list_helpers.h"
#include "core/gui/toolbar_state.h"
#include "core/settings_store.h"
#include "core/tests/settings_fixture.h"

#include "platform/db/database.h"
#include "platform/format/errors.h"
#include "platform/format/gui/masked_line_edit.h"
#include "platform/ui/help.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

class FormHelpers : public coretest::SettingsFixture {
protected:
    void SetUp() override {
        coretest::SettingsFixture::SetUp();
        UserPrefs() = TUserPrefs{};
    }
    void TearDown() override {
        UserPrefs() = TUserPrefs{};
        coretest::SettingsFixture::TearDown();
    }
    static QRect Screen() { return QGuiApplication::primaryScreen()->geometry(); }
};

TEST_F(FormHelpers, a_saved_form_position_comes_back) {
    QWidget saved;
    saved.move(30, 40);
    saved.resize(300, 200);
    core::SaveFormPosition(&saved, "QSSearch");
    EXPECT_EQ(core::ReadRegString("Forms", "QSSearch", "Layout", "Position", ""), "40,30,200,300");
    QWidget restored;
    core::RestoreFormPosition(&restored, "QSSearch", 500, 700);
    EXPECT_EQ(restored.pos(), QPoint(30, 40));
    EXPECT_EQ(restored.size(), QSize(300, 200));
}

TEST_F(FormHelpers, without_a_stored_position_or_with_layouts_off_the_form_is_centred) {
    const QRect screen = Screen();
    core::WriteRegString("Forms", "Main", "Layout", "Position", "40,30,200,300");
    UserPrefs().RestoreScreenLayout = false;
    QWidget form;
    core::RestoreFormPosition(&form, "Main", 100, 200);
    EXPECT_EQ(form.size(), QSize(200, 100));
    EXPECT_EQ(form.pos(), QPoint((screen.width() - 200) / 2, (screen.height() - 100) / 2));
    UserPrefs().RestoreScreenLayout = true;
    QWidget big;
    core::RestoreFormPosition(&big, "Never", screen.height() + 500, screen.width() + 10);
    EXPECT_EQ(big.size(), screen.size());
    EXPECT_EQ(big.pos(), QPoint(0, 0));
}

TEST_F(FormHelpers, a_stored_position_off_the_screen_is_centred_and_a_damaged_one_fails) {
    const QRect screen = Screen();
    core::WriteRegString("Forms", "Off", "Layout", "Position", QStringLiteral("-50,10,100,100"));
    QWidget form;
    core::RestoreFormPosition(&form, "Off", 10, 10);
    EXPECT_EQ(form.pos(), QPoint((screen.width() - 100) / 2, (screen.height() - 100) / 2));
    core::WriteRegString("Forms", "Bad", "Layout", "Position", "1,2,x");
    EXPECT_THROW(core::RestoreFormPosition(&form, "Bad", 10, 10), format::EConvertError);
}

TEST(FormPlacement, on_screen_tests_and_placements) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Case {
        QRect geometry;
        bool onScreen;
    };
    const Case cases[] = {
        {QRect(0, 0, 100, 100), true},
        {QRect(10, -1, 100, 100), false},
        {QRect(10, screen.height() - 10, 100, 100), false},
        {QRect(10, screen.height() - 11, 100, 100), true},
        {QRect(screen.width() - 10, 0, 100, 100), true},
        {QRect(screen.width() - 9, 0, 100, 100), false},
        {QRect(0, 0, screen.width() + 1, 100), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.geometry.x() << "," << c.geometry.y());
        QWidget w;
        w.move(c.geometry.topLeft());
        w.resize(c.geometry.size());
        EXPECT_EQ(core::IsOnScreen(&w), c.onScreen);
    }

    struct Toolbox {
        QRect window;
        QPoint expected;
    };
    const int w = screen.width();
    const int h = screen.height();
    const Toolbox boxes[] = {
        {QRect(100, 100, 200, 100), QPoint(302, 100)},               // right of the window
        {QRect(w - 220, 100, 200, 100), QPoint(w - 220, 202)},       // below it
        {QRect(w - 220, h - 110, 200, 100), QPoint(w - 220, h - 162)},  // above it
        {QRect(w - 100, 0, 100, h), QPoint(w - 100, h - 50)},        // above is off the screen: pulled in
    };
    for (const Toolbox& b : boxes) {
        SCOPED_TRACE(testing::Message() << b.window.x() << "," << b.window.y());
        QWidget window;
        window.setGeometry(b.window);
        QWidget toolbox;
        toolbox.resize(50, 50);
        EXPECT_EQ(core::PlaceToolboxBesideWindow(&window, &toolbox), b.expected);
    }

    QWidget large;
    large.resize(w + 100, 50);
    core::CenterOnScreen(&large);
    EXPECT_EQ(large.geometry(), QRect(0, (h - 50) / 2, w, 50));

    QWidget parent;
    parent.resize(400, 300);
    QWidget control(&parent);
    control.resize(100, 20);
    control.move(10, 10);
    EXPECT_EQ(core::PlaceToolbarNearControl(&control, 50, 30), QPoint(11, 31));
    control.move(10, 280);
    EXPECT_EQ(core::PlaceToolbarNearControl(&control, 50, 30), QPoint(112, 279));
    control.move(340, 280);
    EXPECT_EQ(core::PlaceToolbarNearControl(&control, 50, 30), QPoint(341, 249));
}

TEST_F(FormHelpers, toolbar_states_hide_buttons_but_never_a_fixed_one) {
    QWidget window;
    auto* toolbar = new QToolBar(&window);
    QAction* open = toolbar->addAction("Open");
    QAction* save = toolbar->addAction("Save");
    toolbar->addSeparator();
    QAction* spell = toolbar->addAction("Spell");
    spell->setProperty("Tag", core::kFixedButtonTag);
    QAction* print = toolbar->addAction("Print");
    QAction menuAction("File toolbar");
    menuAction.setCheckable(true);

    core::LoadToolbarState(toolbar, "File", &menuAction);  // defaults: everything shown
    for (QAction* a : {open, save, spell, print}) EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(menuAction.isChecked());

    spell->setVisible(false);
    core::WriteRegString("Preferences", "Toolbars", "File", "ButtonState", "01");
    core::WriteRegBool("Preferences", "Toolbars", "File", "Visible", false);
    core::LoadToolbarState(toolbar, "File", &menuAction);
    EXPECT_FALSE(open->isVisible());
    EXPECT_TRUE(save->isVisible());
    EXPECT_FALSE(spell->isVisible());  // not touched by the state
    EXPECT_TRUE(print->isVisible());   // padded with "1"
    EXPECT_TRUE(toolbar->isHidden());
    EXPECT_FALSE(menuAction.isChecked());

    // (Qt disables hidden actions; the enabled states are kept for shown buttons.)
    for (QAction* a : {open, save, spell, print}) a->setVisible(true);
    save->setEnabled(false);
    QByteArray kept;
    core::SaveToolbarEnabled(toolbar, kept);
    core::EnableToolbarButtons(toolbar, true);
    EXPECT_TRUE(save->isEnabled());
    core::EnableToolbarButtons(toolbar, false);
    EXPECT_FALSE(open->isEnabled());
    core::RestoreToolbarEnabled(toolbar, kept);
    EXPECT_TRUE(open->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    EXPECT_TRUE(print->isEnabled());
}

TEST_F(FormHelpers, key_filters_refuse_with_a_beep_when_the_preference_asks) {
    int beeps = 0;
    ui::SetBeeper([&] { ++beeps; });
    QLineEdit edit;
    edit.setText("12");
    edit.setCursorPosition(2);
    EXPECT_EQ(core::FilterNumberKey(u'5', &edit, true), QChar(u'5'));
    EXPECT_TRUE(core::FilterNumberKey(u'-', &edit, true).isNull());
    EXPECT_EQ(beeps, 1);
    edit.setSelection(0, 2);  // the caret is the start of the selection
    EXPECT_EQ(core::FilterNumberKey(u'-', &edit, true), QChar(u'-'));
    EXPECT_TRUE(core::FilterDigitKey(u'x').isNull());
    EXPECT_EQ(beeps, 2);
    UserPrefs().BeepOnKeyError = false;
    EXPECT_TRUE(core::FilterDigitKey(u'x').isNull());
    EXPECT_EQ(beeps, 2);

    format::MaskedLineEdit masked;
    masked.SetEditMask("$###.##;1; ");
    masked.setCursorPosition(0);
    EXPECT_TRUE(core::FilterMaskedNumberKey(u'5', &masked, false).isNull());
    masked.setCursorPosition(1);
    EXPECT_EQ(core::FilterMaskedNumberKey(u'5', &masked, false), QChar(u'5'));
    ui::SetBeeper(nullptr);
}

TEST(FormControls, floating_windows_are_switched_around_modal_work) {
    QWidget floating;
    QDialog dialog;
    QWidget listed;
    for (QWidget* w : {&floating, static_cast<QWidget*>(&dialog), &listed}) w->show();
    dialog.setEnabled(false);
    core::EnableFloatingForms({&listed}, false);
    EXPECT_FALSE(floating.isEnabled());
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_TRUE(listed.isEnabled());
    core::EnableFloatingForms({}, true);
    EXPECT_TRUE(floating.isEnabled());
}

TEST(FormControls, small_control_routines) {
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* first = new QLineEdit(&form);
    auto* second = new QLineEdit(&form);
    auto* box = new QCheckBox(&form);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(box);
    form.show();
    form.activateWindow();
    first->setFocus();
    QCoreApplication::processEvents();
    core::FocusNextControl(&form);
    EXPECT_EQ(form.focusWidget(), second);

    int clicks = 0;
    QObject::connect(box, &QCheckBox::toggled, &form, [&] { ++clicks; });
    core::SetCheckedSilently(box, true);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(clicks, 0);

    first->setText("a long text that scrolls");
    first->selectAll();
    core::ResetEditSelection(first);
    EXPECT_FALSE(first->hasSelectedText());
    EXPECT_EQ(first->cursorPosition(), 0);
    EXPECT_EQ(form.focusWidget(), second);

    QFont font = form.font();
    EXPECT_GT(core::TextWidthInFont(&form, "WWWW", font), core::TextWidthInFont(&form, "W", font));

    QTextEdit rich;
    rich.setPlainText("find the hit here");
    QTextCursor cursor = rich.textCursor();
    cursor.setPosition(9);
    cursor.setPosition(12, QTextCursor::KeepAnchor);
    rich.setTextCursor(cursor);
    core::SetRichTextAttributes(&rich, Qt::red, core::FontStyle::Bold | core::FontStyle::Underline);
    const QTextCharFormat format = rich.textCursor().charFormat();
    EXPECT_EQ(format.foreground().color(), QColor(Qt::red));
    EXPECT_EQ(format.fontWeight(), QFont::Bold);
    EXPECT_TRUE(format.fontUnderline());
    EXPECT_FALSE(format.fontItalic());
}

TEST_F(FormHelpers, the_mask_list_shows_the_library_rows_in_table_order) {
    db::TableDef def;
    def.Fields = {{"ID", db::FieldType::ftInteger, 0, false},
                  {"Name", db::FieldType::ftString, 30, false},
                  {"Mask", db::FieldType::ftString, 30, false},
                  {"Sample", db::FieldType::ftString, 50, false}};
    def.Indexes = {{"", "ID", db::IndexOption::ixPrimary | db::IndexOption::ixUnique}};
    db::CreateTableFile(Path(), "MaskLib.db", def);
    db::Table masks;
    masks.SetDatabaseName(Path());
    masks.SetTableName("MaskLib.db");
    masks.Open();
    const struct {
        int id;
        const char* name;
        const char* mask;
    } rows[] = {{7, "Phone", "(999) 000-0000"}, {3, "Money", "$###.##"}};
    for (const auto& r : rows) {
        masks.Append();
        masks.FieldByName("ID")->SetAsInteger(r.id);
        masks.FieldByName("Name")->SetAsString(r.name);
        masks.FieldByName("Mask")->SetAsString(r.mask);
        masks.FieldByName("Sample")->SetAsString("s");
        masks.Post();
    }
    QTreeWidget list;
    list.setColumnCount(3);
    new QTreeWidgetItem(&list, QStringList{"stale"});
    core::FillMaskListView(&list, masks);
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(0), "Money");
    EXPECT_EQ(list.topLevelItem(0)->text(1), "$###.##");
    EXPECT_EQ(list.topLevelItem(0)->data(0, Qt::UserRole).toInt(), 3);
    EXPECT_EQ(list.topLevelItem(1)->text(0), "Phone");
    EXPECT_EQ(list.currentItem(), list.topLevelItem(0));
}

}  // namespace
