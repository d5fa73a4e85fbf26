// The preferences dialog and the favourite editor through the real main window on a copy
// of the sample database: every preference round-trips into the settings table (read back
// with sqlite3) or the per-user settings, the date formats follow the dialog and come back
// on Cancel, and the favourites reach the Favorites menu.

#include "services/gui/favorite_edit.h"
#include "services/gui/preferences.h"
#include "services/tests/folder_checks.h"

#include "core/command_registry.h"
#include "core/folder_chooser.h"
#include "core/settings_store.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"
#include "core/win_registry.h"

#include "platform/format/format_settings.h"
#include "platform/format/gui/masked_line_edit.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

using testsupport::DialogAnswerer;
using servicestest::sqlite;

class Preferences : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        PrepareMainWindow();
        InstallPreferences(form.get());
        form->EnableDatabaseActions(false);  // the registered commands become usable
        savedFormats = format::Settings();
    }
    void TearDown() override {
        core::ClearCommands();
        core::SetFolderChooser({});
        if (form) form->close();
        form.reset();
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
        format::SetSettings(savedFormats);
    }

    /// The stored value of a settings row of the sample copy, read by sqlite3.
    QString row(const QString& section, const QString& key1, const QString& key2, const QString& variable) {
        return sqlite(sample + "/Registry.DB",
                      QStringLiteral("SELECT Value FROM \"Registry.DB\" WHERE Section='%1' AND Key1='%2' AND Key2='%3' "
                                     "AND Variable='%4'")
                          .arg(section, key1, key2, variable));
    }

    /// Opens the dialog through Tools > Preferences and hands it to `fill`.
    void runDialog(DialogAnswerer& answers, std::function<void(TPreferencesForm&)> fill) {
        answers.ExpectModal<TPreferencesForm>(std::move(fill));
        ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_Preferences"));
        EXPECT_EQ(answers.Pending(), 0) << answers.Prompts().join('\n').toStdString();
    }

    /// Types into an edit and leaves it, as the user does.
    static void typeAndLeave(QLineEdit* edit, const QString& text, QWidget* next) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        next->setFocus();
        QCoreApplication::processEvents();
    }

    format::FormatSettings savedFormats;
};

TEST_F(Preferences, without_a_database_only_the_global_page_shows_and_only_user_values_are_written) {
    DialogAnswerer answers;
    core::WriteWinRegInt("Favorites", "Count", 0);
    runDialog(answers, [&](TPreferencesForm& d) {
        EXPECT_TRUE(d.NoDatabase());
        EXPECT_EQ(d.Pages->count(), 1);
        EXPECT_EQ(d.Pages->tabText(0), "Global");
        EXPECT_TRUE(d.ReopenDatabase->isChecked());
        // A missing value is shown as start-up reads it: not maximised.
        EXPECT_FALSE(d.MaximizeMain->isChecked());
        EXPECT_FALSE(d.EditBtn->isEnabled());
        EXPECT_FALSE(d.DeleteBtn->isEnabled());
        grab(&d, "preferences_no_database");
        d.ReopenDatabase->setChecked(false);
        d.MaximizeMain->setChecked(true);
        d.OKBtn->click();
    });
    EXPECT_FALSE(core::ReadWinRegBool("Preferences", "ReopenLastDatabase", true));
    EXPECT_TRUE(core::ReadWinRegBool("Preferences", "MaximizeMainForm", false));
    EXPECT_EQ(core::ReadWinRegInt("Favorites", "Count", -1), 0);
}

TEST_F(Preferences, every_preference_round_trips_into_the_settings_table) {
    OpenSample();
    struct Case {
        const char* what;
        std::function<void(TPreferencesForm&)> change;
        QString section, key1, key2, variable, value;
    };
    const std::vector<Case> cases = {
        {"drag and dock", [](TPreferencesForm& d) { d.AllowDragAndDock->setChecked(false); }, "Preferences", "General", "Docking", "AllowDragDock", "FALSE"},
        {"tabs at the left", [](TPreferencesForm& d) { d.ShowTabsButtons->button(3)->click(); }, "Preferences", "Display", "MainForm", "DockPanelTabPosition", "3"},
        {"layout", [](TPreferencesForm& d) { d.RestoreLayout->setChecked(false); }, "Preferences", "Display", "General", "RestoreScreenLayout", "FALSE"},
        {"link views", [](TPreferencesForm& d) { d.LinkViews->setChecked(false); }, "Preferences", "Display", "Views", "LinkViews", "FALSE"},
        {"to front", [](TPreferencesForm& d) { d.BringActiveToFront->setChecked(false); }, "Preferences", "Display", "Views", "BringActiveToFront", "FALSE"},
        {"mask wizard", [](TPreferencesForm& d) { d.UseWiz_MaskBuilder->setChecked(false); }, "Wizards", "MaskBuilder", "Control", "WizardOn", "FALSE"},
        {"shortcut wizard", [](TPreferencesForm& d) { d.UseWiz_Shortcut->setChecked(false); }, "Wizards", "Shortcut", "Control", "WizardOn", "FALSE"},
        {"logic words", [](TPreferencesForm& d) { d.TokenAND->setText(" und "); d.TokenNEAR->setText("nahe"); }, "Preferences", "QuickSearch", "SearchOption", "DefaultLogicTokens", "und;or;not;like;nahe;"},
        {"one char", [](TPreferencesForm& d) { d.WC_OneChar->setText("%"); }, "Preferences", "QuickSearch", "SearchOption", "DefaultOneChar", "%"},
        {"any char", [](TPreferencesForm& d) { d.WC_AnyChar->setText("#"); }, "Preferences", "QuickSearch", "SearchOption", "DefaultAnyChar", "#"},
        {"match limit", [](TPreferencesForm& d) { d.FindLimit->setText(" 250 "); }, "Preferences", "QuickSearch", "Find", "MatchLimit", "250"},
        {"oldest date", [](TPreferencesForm& d) { d.OldestDate->SetText("05/06/1920"); }, "Preferences", "Dates", "General", "OldestDate", "05/06/1920"},
        {"date format", [](TPreferencesForm& d) { d.DateFormatList->setCurrentText("YYYY-MM-DD"); }, "Preferences", "Dates", "General", "DateFormat", "yyyy-mm-dd"},
        {"date separator", [](TPreferencesForm& d) { d.DateFormatList->setCurrentText("DD.MM.YYYY"); }, "Preferences", "Dates", "General", "DateSeparator", "."},
        {"long date", [](TPreferencesForm& d) { d.LongDateFormatList->setCurrentText("DD-MMM-YYYY"); }, "Preferences", "Dates", "General", "LongDateFormat", "dd-mmm-yyyy"},
        {"old date rule", [](TPreferencesForm& d) { d.OldDateError->setChecked(true); }, "Preferences", "Dates", "General", "OnOldDate", "Error"},
        {"old date ignored", [](TPreferencesForm& d) { d.OldDateIgnore->setChecked(true); }, "Preferences", "Dates", "General", "OnOldDate", "Ignore"},
        {"cut-off", [](TPreferencesForm& d) { d.Year2000CutOff->setText("30"); }, "Preferences", "Dates", "General", "Year2000Cutoff", "30"},
        {"key beep", [](TPreferencesForm& d) { d.BeepKeyError->setChecked(false); }, "Preferences", "Sounds", "ErrorBeep", "BeepOnKeyError", "FALSE"},
        {"field beep", [](TPreferencesForm& d) { d.BeepFieldError->setChecked(false); }, "Preferences", "Sounds", "ErrorBeep", "BeepOnFieldError", "FALSE"},
        {"macro text", [](TPreferencesForm& d) { d.MacroTextOn->setChecked(false); }, "Preferences", "General", "Misc", "EnableMacroText", "FALSE"},
        {"file toolbar buttons", [](TPreferencesForm& d) { d.findChild<QToolButton*>("ToolbarButton0_2")->click(); }, "Preferences", "Toolbars", "File", "ButtonState", "11011"},
        {"help toolbar hidden", [](TPreferencesForm& d) { d.ToolbarList->item(4)->setCheckState(Qt::Unchecked); }, "Preferences", "Toolbars", "Help", "Visible", "FALSE"},
    };
    bool grabbed = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogAnswerer answers;
        runDialog(answers, [&](TPreferencesForm& d) {
            EXPECT_EQ(d.Pages->count(), 7);
            if (!grabbed) {
                for (int i = 0; i < d.Pages->count(); ++i) {
                    d.Pages->setCurrentIndex(i);
                    grab(&d, "preferences_" + d.Pages->tabText(i).toLower());
                }
                grabbed = true;
            }
            c.change(d);
            EXPECT_TRUE(d.Changed());
            d.OKBtn->click();
        });
        EXPECT_EQ(row(c.section, c.key1, c.key2, c.variable), c.value);
    }
    // Every value shows again as it was stored.
    DialogAnswerer answers;
    runDialog(answers, [&](TPreferencesForm& d) {
        EXPECT_FALSE(d.AllowDragAndDock->isChecked());
        EXPECT_EQ(d.ShowTabsButtons->checkedId(), 3);
        EXPECT_EQ(d.TokenAND->text(), "und");
        EXPECT_EQ(d.WC_AnyChar->text(), "#");
        EXPECT_EQ(d.FindLimit->text(), "250");
        EXPECT_EQ(d.DateFormatList->currentText(), "DD.MM.YYYY");
        EXPECT_EQ(d.LongDateFormatList->currentText(), "DD-MMM-YYYY");
        EXPECT_TRUE(d.OldDateIgnore->isChecked());
        EXPECT_EQ(d.Year2000CutOff->text(), "30");
        EXPECT_EQ(d.ToolbarState(0), "11011");
        EXPECT_EQ(d.ToolbarList->item(4)->checkState(), Qt::Unchecked);
        EXPECT_FALSE(d.findChild<QToolButton*>("ToolbarButton0_2")->isChecked());
        EXPECT_FALSE(d.Changed());
        d.CancelBtn->click();
    });
    // The main window applied them again: the tabs moved to the left.
    EXPECT_EQ(form->MainPages->tabPosition(), QTabWidget::West);
}

TEST_F(Preferences, edge_cases_of_dates_match_limit_and_toolbars) {
    OpenSample();
    DialogAnswerer answers;
    runDialog(answers, [&](TPreferencesForm& d) {
        EXPECT_EQ(d.DateFormatList->currentText(), "DD/MM/YYYY");
        d.OldestDate->SetText("01/02/1950");
        d.Pages->setCurrentWidget(d.Pages->findChild<QWidget*>("DatesPage"));
        d.DateFormatList->setCurrentText("YYYY-MM-DD");
        EXPECT_EQ(d.OldestDate->Text(), "1950-02-01");
        EXPECT_TRUE(d.DateFormatChanged());
        EXPECT_EQ(format::Settings().dateSeparator, QChar('-'));
        const QString sample = d.ShortDateSample->text();
        EXPECT_EQ(sample, QDate::currentDate().toString("yyyy-MM-dd"));

        d.Pages->setCurrentWidget(d.Pages->findChild<QWidget*>("SearchPage"));
        typeAndLeave(d.FindLimit, "0", d.TokenAND);
        EXPECT_EQ(d.FindLimit->text(), "500");

        d.Pages->setCurrentWidget(d.Pages->findChild<QWidget*>("ToolbarsPage"));
        EXPECT_EQ(d.HelpContext(), 100005);
        EXPECT_EQ(d.ToolbarList->currentRow(), 0);
        d.ToolbarList->setCurrentRow(5);
        EXPECT_EQ(d.ToolbarPages->currentWidget()->objectName(), "ToolbarCopy5");
        for (int b = 0; b < 11; ++b) d.findChild<QToolButton*>(QStringLiteral("ToolbarButton5_%1").arg(b))->click();
        EXPECT_EQ(d.ToolbarList->item(5)->checkState(), Qt::Unchecked);
        grab(&d, "preferences_explorer_toolbar_up");
        d.OKBtn->click();
    });
    EXPECT_EQ(row("Preferences", "Dates", "General", "OldestDate"), "1950-02-01");
    EXPECT_EQ(row("Preferences", "Dates", "General", "DateSeparator"), "-");
    EXPECT_EQ(row("Preferences", "QuickSearch", "Find", "MatchLimit"), "500");
    EXPECT_EQ(row("Preferences", "Toolbars", "Explorer", "ButtonState"), "00000000000");
    EXPECT_EQ(row("Preferences", "Toolbars", "Explorer", "Visible"), "FALSE");
    EXPECT_EQ(format::Settings().shortDateFormat, "yyyy-mm-dd");
}

TEST_F(Preferences, cancel_and_no_give_the_program_its_date_formats_back) {
    OpenSample();
    const format::FormatSettings before = format::Settings();
    for (const char* way : {"Cancel", "No to the close question"}) {
        SCOPED_TRACE(way);
        DialogAnswerer answers;
        const bool cancel = QString(way) == "Cancel";
        runDialog(answers, [&](TPreferencesForm& d) {
            if (!cancel)
                answers.ExpectMessage("Do you want to save your changes\\?", ui::Button::No, ui::MessageKind::Confirmation);
            d.DateFormatList->setCurrentText("YYYY.MM.DD");
            d.LongDateFormatList->setCurrentText("YYYY MMMM D");
            EXPECT_EQ(format::Settings().dateSeparator, QChar('.'));
            EXPECT_EQ(format::Settings().longDateFormat, "yyyy mmmm d");
            if (cancel) d.CancelBtn->click();
            else d.close();
        });
        EXPECT_EQ(format::Settings().shortDateFormat, before.shortDateFormat);
        EXPECT_EQ(format::Settings().dateSeparator, before.dateSeparator);
        EXPECT_EQ(format::Settings().longDateFormat, before.longDateFormat);
        EXPECT_EQ(row("Preferences", "Dates", "General", "DateFormat"), "");
    }
    // Cancel to the close question keeps the dialog open; Yes saves.
    DialogAnswerer answers;
    runDialog(answers, [&](TPreferencesForm& d) {
        answers.ExpectMessage("Do you want to save your changes\\?", ui::Button::Cancel)
            .ExpectMessage("Do you want to save your changes\\?", ui::Button::Yes);
        d.LinkViews->setChecked(false);
        d.close();
        EXPECT_TRUE(d.isVisible());
        d.close();
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    EXPECT_EQ(row("Preferences", "Display", "Views", "LinkViews"), "FALSE");
}

TEST_F(Preferences, ok_validates_each_page_and_shows_the_failing_control) {
    OpenSample();
    struct Case {
        const char* what;
        std::function<void(TPreferencesForm&)> change;
        QString message;
        int help;
        const char* page;
    };
    const std::vector<Case> cases = {
        {"blank oldest date", [](TPreferencesForm& d) { d.OldestDate->SetText(""); }, "Oldest acceptable date is not valid\\. Enter the date in the format you have selected above\\.", 10068, "DatesPage"},
        {"bad oldest date", [](TPreferencesForm& d) { d.OldestDate->SetText("31/02/1950"); }, "Oldest acceptable date is not valid", 10068, "DatesPage"},
        {"blank logic word", [](TPreferencesForm& d) { d.TokenOR->setText(" "); }, "Logic tokens cannot be blank\\.", 10071, "SearchPage"},
        {"blank cut-off", [](TPreferencesForm& d) { d.Year2000CutOff->setText(""); }, "Year 2000 cutoff cannot be blank\\.", 10071, "DatesPage"},
        {"blank wild card", [](TPreferencesForm& d) { d.WC_OneChar->setText(""); }, "Wild card characters cannot be blank\\.", 10069, "SearchPage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogAnswerer answers;
        runDialog(answers, [&](TPreferencesForm& d) {
            answers.ExpectMessage(c.message, ui::Button::Ok, ui::MessageKind::Error);
            c.change(d);
            d.OKBtn->click();
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.Pages->currentWidget()->objectName(), c.page);
            d.CancelBtn->click();
        });
        ASSERT_FALSE(answers.Messages().empty());
        EXPECT_EQ(answers.Messages().front().helpContext, c.help);
    }
    // A letter as wild card is accepted after one warning.
    DialogAnswerer answers;
    runDialog(answers, [&](TPreferencesForm& d) {
        answers.ExpectMessage("The wild card character you have chosen will prevent you from searching for some items\\.",
                              ui::Button::Ok, ui::MessageKind::Warning);
        d.WC_AnyChar->setText("x");
        d.OKBtn->click();
    });
    EXPECT_EQ(row("Preferences", "QuickSearch", "SearchOption", "DefaultAnyChar"), "x");
}

TEST_F(Preferences, favourites_are_added_edited_and_deleted_and_the_menu_follows) {
    OpenSample();
    core::WriteWinRegInt("Favorites", "Count", 0);
    const QString other = m_dir.filePath("Other");
    servicestest::copyFolder(sample, other);
    const QString plain = m_dir.filePath("Plain");
    QDir().mkpath(plain);
    int browses = 0;
    core::SetFolderChooser([&](const QString& title, QString& folder, QString& last, bool allowEdit) {
        EXPECT_EQ(title, "Choose Dossara folder");
        EXPECT_FALSE(allowEdit);
        EXPECT_TRUE(folder.isEmpty());
        // The second browse starts where the first ended.
        EXPECT_EQ(last, browses == 0 ? QString() : other);
        ++browses;
        folder = other;
        last = other;
        return true;
    });
    DialogAnswerer answers;
    runDialog(answers, [&](TPreferencesForm& d) {
        answers.ExpectModal<TFavoriteEdit>([&](TFavoriteEdit& e) {
            EXPECT_EQ(e.windowTitle(), "Favorite List Item");
            e.DBName->setText("   ");
            e.DBPath->setText(sample);
            e.OKBtn->click();  // a name of blanks is empty
            e.DBName->setText("  Club  ");
            e.DBPath->setText(plain);
            e.OKBtn->click();  // a folder without the tables
            EXPECT_TRUE(e.isVisible());
            e.BrowseBtn->click();
            e.BrowseBtn->click();
            EXPECT_EQ(e.DBPath->text(), other);
            grab(&e, "favorite_edit");
            e.OKBtn->click();
        });
        answers.ExpectMessage("^You must enter both a name and a path\\.$", ui::Button::Ok, ui::MessageKind::Error);
        answers.ExpectMessage("^The path \"" + QRegularExpression::escape(plain) +
                                  "\" does not exist or does not contain Dossara database files\\.$",
                              ui::Button::Ok, ui::MessageKind::Error);
        answers.ExpectModal<TFavoriteEdit>([&](TFavoriteEdit& e) {
            EXPECT_EQ(e.DBName->text(), "Club");
            e.DBName->setText("Archive");
            e.DBPath->setText(sample);
            e.OKBtn->click();
        });
        answers.ExpectModal<TFavoriteEdit>([&](TFavoriteEdit& e) {
            e.DBName->setText("Sample");
            e.DBPath->setText(sample);
            e.OKBtn->click();
        });
        answers.ExpectMessage("Are you sure you want to delete this name from the list\\?", ui::Button::Yes,
                              ui::MessageKind::Confirmation);
        d.AddBtn->click();
        ASSERT_EQ(d.FavoritesList->topLevelItemCount(), 1);
        EXPECT_EQ(d.FavoritesList->topLevelItem(0)->text(0), "Club");
        EXPECT_TRUE(d.EditBtn->isEnabled());
        d.EditBtn->click();
        EXPECT_EQ(d.FavoritesList->topLevelItem(0)->text(0), "Archive");
        d.AddBtn->click();
        ASSERT_EQ(d.FavoritesList->topLevelItemCount(), 2);
        d.FavoritesList->setCurrentItem(d.FavoritesList->topLevelItem(0));
        d.DeleteBtn->click();
        ASSERT_EQ(d.FavoritesList->topLevelItemCount(), 1);
        grab(&d, "preferences_global");
        d.OKBtn->click();
    });
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10012);
    EXPECT_EQ(answers.Messages().at(1).helpContext, 10013);
    EXPECT_EQ(core::ReadWinRegInt("Favorites", "Count", -1), 1);
    EXPECT_EQ(core::ReadWinRegString("Favorites", "Name1", {}), "Sample");
    EXPECT_EQ(core::ReadWinRegString("Favorites", "Path1", {}), sample);
    QStringList captions;
    for (QAction* a : form->M_Favorites->actions()) captions << a->text();
    EXPECT_TRUE(captions.join('|').contains("Sample")) << captions.join('|').toStdString();

    // Deleting the last one disables Edit and Delete; the menu then shows "None".
    DialogAnswerer more;
    runDialog(more, [&](TPreferencesForm& d) {
        more.ExpectMessage("Are you sure you want to delete this name from the list\\?", ui::Button::Yes);
        d.DeleteBtn->click();
        EXPECT_FALSE(d.EditBtn->isEnabled());
        EXPECT_FALSE(d.DeleteBtn->isEnabled());
        d.OKBtn->click();
    });
    EXPECT_EQ(core::ReadWinRegInt("Favorites", "Count", -1), 0);
    captions.clear();
    for (QAction* a : form->M_Favorites->actions()) captions << a->text();
    EXPECT_TRUE(captions.join('|').contains("None")) << captions.join('|').toStdString();
}

TEST_F(Preferences, the_confirmation_list_switches_silenced_messages_back_on) {
    OpenSample();
    core::WriteRegBool("Preferences", "Messages", "Confirmation", "Delete branch", false);
    core::WriteRegBool("Preferences", "Messages", "Confirmation", "Add View", true);
    DialogAnswerer answers;
    runDialog(answers, [&](TPreferencesForm& d) {
        ASSERT_EQ(d.ConfirmList->count(), 2);
        EXPECT_EQ(d.ConfirmList->item(0)->text(), "Add View");
        EXPECT_EQ(d.ConfirmList->item(1)->checkState(), Qt::Unchecked);
        d.ConfirmList->item(1)->setCheckState(Qt::Checked);
        d.ConfirmList->item(0)->setCheckState(Qt::Unchecked);
        EXPECT_TRUE(d.Changed());
        d.OKBtn->click();
    });
    EXPECT_EQ(row("Preferences", "Messages", "Confirmation", "Delete branch"), "TRUE");
    EXPECT_EQ(row("Preferences", "Messages", "Confirmation", "Add View"), "FALSE");
}

}  // namespace
