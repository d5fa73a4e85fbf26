// The mask, macro-text and View-icon library managers through the real main window on
// copies of the sample database and the shipped library: every command, its questions and
// what it writes (read back with sqlite3), and a new macro key typing into a View field.

#include "services/gui/icon_manager.h"
#include "services/gui/macro_manager.h"
#include "services/gui/mask_manager.h"
#include "services/gui/picture_editor.h"
#include "services/tests/folder_checks.h"

#include "core/command_registry.h"
#include "core/gui/mask_wizard.h"
#include "core/gui/save_mask_dialog.h"
#include "core/gui/view_form.h"
#include "core/library_rows.h"
#include "core/main_data_mod.h"
#include "core/search_data.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using testsupport::DialogAnswerer;
using servicestest::sqlite;

class LibraryManagers : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        PrepareMainWindow();
        library = Globals().LibraryFolder;
        // Ctrl+Alt+T is free in this copy; icons stop at ID 12.
        sqlite(library + "/MacroLib.db", "DELETE FROM \"MacroLib.db\" WHERE Shortcut=49236");
        sqlite(library + "/IconLib.DB", "DELETE FROM \"IconLib.DB\" WHERE ID>12");
        sqlite(library + "/MaskLib.db", "DELETE FROM \"MaskLib.db\" WHERE ID>10");
        search = std::make_unique<TSearchData>(*data);
        tables = std::make_unique<core::ViewTables>(ViewControl(), *data, *search);
        tables->Install();
        search->Tables = tables.get();
        search->Views = &ViewControl();
        InstallViewWindows(ViewControl(), *tables, form.get(), data);
        InstallMaskManager(form.get());
        InstallMacroManager(form.get());
        InstallIconManager(form.get(), tables.get());
        OpenSample();
    }
    void TearDown() override {
        core::ClearCommands();
        if (ViewLayer().CloseAllViewWindows) ViewLayer().CloseAllViewWindows();
        ViewLayer() = TViewLayer{};
        if (form) form->close();
        form.reset();
        ViewControl().FreeAllViews = {};
        ViewControl().CreateViewComponents = {};
        ViewControl().ApplyFieldRestructure = {};
        ViewControl().Clear();
        tables.reset();
        search.reset();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    QString rows(const QString& table, const QString& columns) {
        return sqlite(library + "/" + table, QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY ID").arg(columns, table));
    }

    template <typename T>
    void run(DialogAnswerer& answers, const char* action, std::function<void(T&)> fill) {
        answers.ExpectModal<T>(std::move(fill));
        ASSERT_TRUE(testsupport::TriggerAction(form.get(), action));
        EXPECT_EQ(answers.Pending(), 0) << answers.Prompts().join('\n').toStdString();
    }

    static void select(QTreeWidget* list, const QString& caption) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == caption) list->setCurrentItem(list->topLevelItem(i));
        ASSERT_TRUE(list->currentItem() && list->currentItem()->text(0) == caption) << caption.toStdString();
    }

    /// Types the key into the editor's action-key box as the user does (press and release).
    static void typeKey(TMacroTextEditor& e, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyPress(e.ActionKey, key, modifiers);
        QTest::keyRelease(e.ActionKey, key, modifiers);
    }

    QString library;
    std::unique_ptr<TSearchData> search;
    std::unique_ptr<core::ViewTables> tables;
};

TEST_F(LibraryManagers, masks_are_added_edited_cloned_and_deleted) {
    DialogAnswerer answers;
    run<TMaskManager>(answers, "A_MaskManager", [&](TMaskManager& m) {
        EXPECT_EQ(m.windowTitle(), "Mask Library Manager");
        EXPECT_EQ(m.MaskList->topLevelItemCount(), 10);
        EXPECT_EQ(m.MaskList->topLevelItem(0)->text(0), "Date");  // sorted by name
        grab(&m, "mask_manager");
        // Nothing selected: Edit, Clone and Delete do nothing.
        m.MaskList->setCurrentItem(nullptr);
        m.EditBtn->click();
        m.CloneBtn->click();
        m.DeleteBtn->click();

        answers.ExpectModal<TSaveFieldMask>([](TSaveFieldMask& d) {
            EXPECT_TRUE(d.NameEdit->text().isEmpty());
            d.NameEdit->setText("Licence plate");
            d.MaskEdit->setText(">LLL 000;1;_");
            d.SampleEdit->setText("ABC 123");
            d.OKBtn->click();
        });
        m.AddBtn->click();
        EXPECT_EQ(m.MaskList->topLevelItemCount(), 11);

        select(m.MaskList, "Phone");
        answers.ExpectModal<TSaveFieldMask>([](TSaveFieldMask& d) {
            EXPECT_EQ(d.NameEdit->text(), "Copy of Phone");
            d.OKBtn->click();
        });
        m.CloneBtn->click();

        select(m.MaskList, "Extension");
        answers.ExpectModal<TSaveFieldMask>([](TSaveFieldMask& d) {
            EXPECT_EQ(d.MaskEdit->text(), "!99999;1;_");
            d.NameEdit->setText("Office extension");
            d.OKBtn->click();
        });
        m.EditBtn->click();

        // Cancelling the dialog changes nothing; the list is filled again all the same.
        select(m.MaskList, "UK postcode");
        answers.ExpectModal<TSaveFieldMask>([](TSaveFieldMask& d) { d.CancelBtn->click(); });
        m.EditBtn->click();
        EXPECT_EQ(m.MaskList->currentItem()->text(0), "Copy of Phone");

        select(m.MaskList, "Short zip code");
        answers.ExpectMessage("^Are you sure you want to delete this mask\\?$", ui::Button::No);
        m.DeleteBtn->click();
        answers.ExpectMessage("^Are you sure you want to delete this mask\\?$", ui::Button::Yes);
        select(m.MaskList, "Short zip code");
        m.DeleteBtn->click();
        EXPECT_EQ(m.MaskList->topLevelItemCount(), 11);
        m.CloseBtn->click();
    });
    EXPECT_EQ(rows("MaskLib.db", "ID, Name, Mask, Sample"),
              "1|Phone|!\\(999\\)000-0000;1;_|(555)555-1212\n"
              "2|Office extension|!99999;1;_|15450\n"
              "3|Social security|000\\-00\\-0000;1;_|555-55-5555\n"
              "5|Long zip code|00000\\-9999;1;_|90504-0000\n"
              "6|Date|!99/99/00;1;_|06/27/94\n"
              "7|Long date|!99/99/0000;1;_|06/27/1994\n"
              "8|Long time|!90:00:00>LL;1;_|09:05:15PM\n"
              "9|Short time|!90:00;1;_|13:45\n"
              "10|UK postcode|>LL90 0LL;1;_|SW1A 1AA\n"
              "11|Licence plate|>LLL 000;1;_|ABC 123\n"
              "12|Copy of Phone|!\\(999\\)000-0000;1;_|(555)555-1212");
}

TEST_F(LibraryManagers, a_new_library_row_takes_the_id_after_the_highest_in_the_file_also_when_another_program_added_one) {
    db::Table& masks = *data->MaskLibrary;
    masks.Open();
    masks.Append();
    masks.FieldByName("Name")->SetAsString("Later");
    masks.FieldByName("Mask")->SetAsString("999;1;_");
    // Another program adds row 11 while this one has its row in insert state.
    sqlite(library + "/MaskLib.db", "INSERT INTO \"MaskLib.db\" (ID, Name, Mask, Sample) VALUES (11, 'Other', '0', '1')");
    EXPECT_EQ(core::PostLibraryRow(masks), 12);
    masks.Close();
    EXPECT_EQ(rows("MaskLib.db", "ID, Name").split('\n').mid(10).join(' '), "11|Other 12|Later");
}

TEST_F(LibraryManagers, macro_keys_are_checked_asked_about_and_type_their_text_into_a_view_field) {
    struct Case {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString keyText;
        QString question;  ///< the pattern of the question asked, empty: none
        int help;
        QString text;      ///< the macro's plain text
    };
    const std::vector<Case> cases = {
        {"Ctrl+Alt+T", Qt::Key_T, Qt::ControlModifier | Qt::AltModifier, "Ctrl+Alt+T", {}, 0, "Tarnwell settings"},
        {"Ctrl+T", Qt::Key_T, Qt::ControlModifier, "Ctrl+T",
         "^The action key you typed \\(Ctrl\\+T\\) may conflict with a menu shortcut or some other shortcut\\. If it does, "
         "the existing shortcut will be disabled\\.\n\nAre you sure you want to use that action key\\?$",
         10045, "Ctrl T text"},
        {"Ctrl+Shift+T", Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier, "Shift+Ctrl+T", {}, 0, "shifted"},
        {"F5", Qt::Key_F5, Qt::NoModifier, "F5",
         "^You did not hold down either the Control \\(Ctrl\\) or Alt key when you typed the action key\\. If you use "
         "\"F5\" as the action key, you will be unable to use that key for its normal purpose\\.\n\nAre you sure you "
         "want to use that action key\\?$",
         10044, "function key"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogAnswerer answers;
        run<TMacroManager>(answers, "A_MacroManager", [&](TMacroManager& m) {
            answers.ExpectModal<TMacroTextEditor>([&](TMacroTextEditor& e) {
                EXPECT_EQ(e.windowTitle(), "Macro Text Editor");
                EXPECT_TRUE(e.PlainTextBtn->isChecked());
                typeKey(e, c.key, c.modifiers);
                EXPECT_EQ(e.ActionKey->text(), c.keyText);
                e.PlainText->setPlainText(c.text);
                if (!c.question.isEmpty()) {
                    // No returns to the key box; Yes saves.
                    answers.ExpectMessage(c.question, ui::Button::No, ui::MessageKind::Confirmation);
                    e.OKBtn->click();
                    EXPECT_TRUE(e.isVisible());
                    answers.ExpectMessage(c.question, ui::Button::Yes, ui::MessageKind::Confirmation);
                }
                e.OKBtn->click();
            });
            m.AddBtn->click();
            ASSERT_TRUE(m.MacroList->currentItem());
            EXPECT_EQ(m.MacroList->currentItem()->text(0), c.keyText);
            EXPECT_EQ(m.MacroMemo->toPlainText(), c.text);
            m.CloseBtn->click();
        });
        if (!c.question.isEmpty()) {
            ASSERT_GE(answers.Messages().size(), 1u);
            EXPECT_EQ(answers.Messages().front().helpContext, c.help);
        }
        EXPECT_EQ(sqlite(library + "/MacroLib.db",
                         QStringLiteral("SELECT Type || '|' || Text FROM \"MacroLib.db\" WHERE Shortcut=%1")
                             .arg(TMainForm::ShortcutOfKey(c.key, c.modifiers))),
                  "0|" + c.text);
    }

    // Each accepted key types its text into a View field at once.
    ASSERT_TRUE(ViewLayer().ShowViewWindow);
    ViewLayer().ShowViewWindow(0);
    QLineEdit* field = nullptr;
    for (QLineEdit* e : form->findChildren<QLineEdit*>())
        if (e->objectName().startsWith("FE_") && !e->isReadOnly() && e->isVisible() && !field) field = e;
    ASSERT_TRUE(field);
    QApplication::setActiveWindow(form.get());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        field->setFocus();
        QCoreApplication::processEvents();
        field->clear();
        QTest::keyClick(field, c.key, c.modifiers);
        EXPECT_EQ(field->text(), c.text);
    }
    field->clear();
    field->setModified(false);
}

TEST_F(LibraryManagers, the_macro_editor_refuses_a_taken_key_but_not_the_rows_own_and_checks_its_text) {
    DialogAnswerer answers;
    run<TMacroManager>(answers, "A_MacroManager", [&](TMacroManager& m) {
        grab(&m, "macro_manager");
        // The row's own key is no duplicate.
        select(m.MacroList, "Ctrl+Alt+D");
        EXPECT_EQ(m.MacroList->currentItem()->text(1), "<Today's date (short form)>");
        answers.ExpectModal<TMacroTextEditor>([&](TMacroTextEditor& e) {
            EXPECT_TRUE(e.SpecialTextBtn->isChecked());
            EXPECT_EQ(e.SpecialList->currentIndex(), 0);
            e.SpecialList->setCurrentIndex(2);
            grab(&e, "macro_editor_special");
            e.OKBtn->click();
        });
        m.EditBtn->click();
        EXPECT_EQ(m.MacroList->currentItem()->text(1), "<Month name>");

        // A key another row has is refused; no key and no text are refused.
        answers.ExpectModal<TMacroTextEditor>([&](TMacroTextEditor& e) {
            e.OKBtn->click();
            e.PlainText->setPlainText("");
            typeKey(e, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
            e.OKBtn->click();
            typeKey(e, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
            e.OKBtn->click();
            EXPECT_TRUE(e.isVisible());
            grab(&e, "macro_editor_plain");
            e.CancelBtn->click();
        });
        answers.ExpectMessage("^You must specify an action key\\.$", ui::Button::Ok, ui::MessageKind::Error);
        answers.ExpectMessage("^The action key combination \"Ctrl\\+Alt\\+D\" is already in use\\. Choose a different "
                              "action key\\.$",
                              ui::Button::Ok, ui::MessageKind::Error);
        answers.ExpectMessage("^You must enter text for this macro\\.$", ui::Button::Ok, ui::MessageKind::Error);
        const int before = m.MacroList->topLevelItemCount();
        m.AddBtn->click();
        EXPECT_EQ(m.MacroList->topLevelItemCount(), before);

        // A clone keeps type and text and gets a key of its own; 60 characters show as 50 and "...".
        const QString longText(60, QChar('x'));
        sqlite(library + "/MacroLib.db",
               "UPDATE \"MacroLib.db\" SET Text='" + longText + "' WHERE ID=9");
        m.FillList();
        select(m.MacroList, "Ctrl+Alt+U");
        EXPECT_EQ(m.MacroList->currentItem()->text(1), QString(50, QChar('x')) + "...");
        answers.ExpectModal<TMacroTextEditor>([&](TMacroTextEditor& e) {
            EXPECT_TRUE(e.ActionKey->text().isEmpty());
            EXPECT_EQ(e.PlainText->toPlainText(), longText);
            typeKey(e, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
            e.OKBtn->click();
        });
        m.CloneBtn->click();
        EXPECT_EQ(m.MacroList->currentItem()->text(0), "Ctrl+Alt+W");

        select(m.MacroList, "Ctrl+Alt+W");
        answers.ExpectMessage("^Are you sure you want to delete this macro text\\?$", ui::Button::Yes);
        m.DeleteBtn->click();
        m.CloseBtn->click();
    });
    EXPECT_EQ(rows("MacroLib.db", "ID, Shortcut, Type"),
              "1|49220|3\n2|49228|2\n3|49229|3\n5|49224|5\n6|49235|6\n7|49234|0\n8|49218|0\n9|49237|0");
    // The deleted key is free at once.
    EXPECT_EQ(form->FindMacroShortcut(0xC000 + 'W').first, -1);
    EXPECT_EQ(form->FindMacroShortcut(0xC000 + 'D').first, 1);
}

TEST_F(LibraryManagers, icons_are_added_with_the_next_id_edited_through_the_picture_editor_and_deleted) {
    DialogAnswerer answers;
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    run<TIconManager>(answers, "A_IconManager", [&](TIconManager& m) {
        EXPECT_EQ(m.windowTitle(), "View Icon Library Manager");
        ASSERT_EQ(m.IconGrid->rowCount(), 12);
        EXPECT_EQ(m.IconGrid->item(0, 1)->text(), "Address book");  // name order
        EXPECT_EQ(m.IconName->text(), "Address book");
        EXPECT_FALSE(m.SaveBtn->isEnabled());
        m.LastBtn->click();
        EXPECT_EQ(m.IconName->text(), "Web page");
        m.PriorBtn->click();
        EXPECT_EQ(m.IconName->text(), "Text");
        m.FirstBtn->click();
        m.NextBtn->click();
        EXPECT_EQ(m.IconName->text(), "Calendar");
        grab(&m, "icon_manager");

        m.AddBtn->click();
        EXPECT_TRUE(m.SaveBtn->isEnabled());
        EXPECT_FALSE(m.AddBtn->isEnabled());
        EXPECT_FALSE(m.IconGrid->isEnabled());
        EXPECT_EQ(m.LargePicture().size(), QSize(20, 20));
        EXPECT_EQ(m.SmallPicture().size(), QSize(16, 16));
        // Closing while editing is refused.
        answers.ExpectMessage("^You must save or cancel your changes before you can continue\\.$", ui::Button::Ok,
                              ui::MessageKind::Error);
        m.CloseBtn->click();
        EXPECT_TRUE(m.isVisible());
        QTest::keyClicks(m.IconName, "  Archive box with a long name");
        EXPECT_EQ(m.IconName->text(), "  Archive box with a");  // 20 characters at most
        answers.ExpectModal<TLoadGraphic>([&](TLoadGraphic& g) {
            g.SetPicture(red);
            g.OKBtn->click();
        });
        QTest::mouseDClick(m.LargeImage, Qt::LeftButton);
        answers.ExpectModal<TLoadGraphic>([&](TLoadGraphic& g) {
            g.SetPicture(blue);
            g.OKBtn->click();
        });
        QTest::mouseDClick(m.SmallImage, Qt::LeftButton);
        grab(&m, "icon_manager_adding");
        m.SaveBtn->click();
        EXPECT_FALSE(m.SaveBtn->isEnabled());
        EXPECT_EQ(m.IconGrid->rowCount(), 13);
        EXPECT_EQ(m.IconName->text(), "Archive box with a");

        // Typing a name starts editing; Cancel shows the row again.
        QTest::keyClicks(m.IconName, "!");
        EXPECT_TRUE(m.SaveBtn->isEnabled());
        m.CancelBtn->click();
        EXPECT_EQ(m.IconName->text(), "Archive box with a");

        m.LastBtn->click();
        EXPECT_EQ(m.IconName->text(), "Web page");
        answers.ExpectMessage("Are you sure you want to delete this View icon\\?$", ui::Button::Yes,
                              ui::MessageKind::Confirmation);
        m.DeleteBtn->click();
        EXPECT_EQ(m.IconGrid->rowCount(), 12);
        m.CloseBtn->click();
    });
    EXPECT_EQ(sqlite(library + "/IconLib.DB", "SELECT ID, Name FROM \"IconLib.DB\" WHERE ID>=11 ORDER BY ID"),
              "12|Script\n13|Archive box with a");
    // The main window picked up the changes: 12 icons, the new one at its place.
    ASSERT_EQ(data->ViewImageLarge.size(), 12u);
    ASSERT_GT(ViewControl().IconMap.size(), 13u);
    const size_t at = size_t(ViewControl().IconMap[13]);
    EXPECT_EQ(data->ViewImageLarge.at(at).pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(data->ViewImageSmall.at(at).pixelColor(5, 5), QColor(Qt::blue));
}

}  // namespace
