#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "platform/format/format_settings.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QWidget;
class TMainForm;

namespace format {
class MaskedLineEdit;
}

namespace core {
class ViewTables;
}

/// The "Preferences" dialog: the per-user preferences (start-up switches, favourite
/// databases) and, with a database open, the preferences of that database kept in its
/// settings table (display, wizards, quick search, dates, toolbars, sounds, macro text,
/// silenced confirmations).
///
/// States: no-database mode (only the Global page; only per-user values are read and
/// written; nothing is validated) or database mode (seven pages). `Changed` is set by every
/// edit and cleared when the dialog is shown, saved or cancelled. While the dialog is open
/// the program's short and long date formats and date separator follow the Dates page, so
/// that the samples and the oldest-date edit show them; Cancel or No to the close question
/// gives the program the formats it had when the dialog opened.
class TPreferencesForm : public QDialog {
    Q_OBJECT
public:
    TPreferencesForm(bool noDatabase, TMainForm* mainForm, QWidget* parent = nullptr);

    static constexpr int kToolbarCount = 7;

    QTabWidget* Pages;
    // Global
    QTreeWidget* FavoritesList;
    QToolButton *AddBtn, *EditBtn, *DeleteBtn;
    QCheckBox* ReopenDatabase;
    QCheckBox* MaximizeMain;
    // Display
    QGroupBox* ShowTabsGroup;
    QButtonGroup* ShowTabsButtons;
    QCheckBox *RestoreLayout, *AllowDragAndDock, *LinkViews, *BringActiveToFront;
    // Wizards
    QCheckBox *UseWiz_MaskBuilder, *UseWiz_Shortcut;
    // Search
    QLineEdit *WC_AnyChar, *WC_OneChar;
    QPushButton* WildCardDefaults;
    QLineEdit *TokenAND, *TokenOR, *TokenNOT, *TokenLIKE, *TokenNEAR;
    QPushButton* TokenDefaults;
    QLineEdit* FindLimit;
    QSpinBox* FindLimitUpDown;  ///< the up-down arrows of FindLimit (0 to 500)
    // Dates
    QComboBox* DateFormatList;
    QComboBox* LongDateFormatList;
    QLabel *ShortDateSample, *LongDateSample;
    format::MaskedLineEdit* OldestDate;
    QRadioButton *OldDateWarn, *OldDateError, *OldDateIgnore;
    QLineEdit* Year2000CutOff;
    // Toolbars
    QListWidget* ToolbarList;
    QStackedWidget* ToolbarPages;
    std::array<QWidget*, kToolbarCount> ToolbarCopies{};
    // General
    QCheckBox *BeepKeyError, *BeepFieldError, *MacroTextOn;
    QListWidget* ConfirmList;
    // all pages
    QPushButton *OKBtn, *CancelBtn, *HelpBtn;

    /// The list captions (settings names) and button captions of the seven toolbars.
    static const std::array<QString, kToolbarCount>& ToolbarNames();
    static QStringList ToolbarButtons(int toolbar);

    bool NoDatabase() const { return m_noDatabase; }
    bool Changed() const { return m_changed; }
    bool DateFormatChanged() const { return m_dateFormatChanged; }
    int HelpContext() const { return m_helpContext; }
    QString ToolbarState(int toolbar) const { return m_toolbarStates.at(toolbar); }
    /// The remembered folder the favourite editor starts from when adding.
    QString LastFolder;

    /// Reads every control from the stored values (the show handler).
    void FormShow();
    /// Checks the pages; false after the first failure's message (its page shown, its
    /// control focused). Nothing is checked in no-database mode.
    bool ValidatePreferences();
    /// Validates and writes; false when a check failed.
    bool SavePreferences();

    void AddBtnClick();
    void EditBtnClick();
    void DeleteBtnClick();
    void DateFormatListChange();
    void LongDateFormatListChange();
    void ToolbarButtonClick(int toolbar, int button, bool down);

    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void changed();
    void buildGlobalPage();
    void buildDisplayPage();
    void buildWizardsPage();
    void buildSearchPage();
    void buildDatesPage();
    void buildToolbarsPage();
    void buildGeneralPage();
    void renewSamples();
    void setOldestDateMask();
    void updateFavoriteButtons();
    void restoreDateFormats();
    bool validateWildCard(QLineEdit* edit);
    void fail(QWidget* page, QWidget* control, const QString& text, int helpContext);

    bool m_noDatabase;
    TMainForm* m_mainForm;
    bool m_loading = true;
    bool m_changed = false;
    bool m_dateFormatChanged = false;
    bool m_wildCardWarningShown = false;
    bool m_closing = false;
    format::FormatSettings m_savedFormats;  ///< the program's formats when the dialog was shown
    std::array<QString, kToolbarCount> m_toolbarStates;
    int m_helpContext = 100000;
    QWidget *m_globalPage, *m_displayPage = nullptr, *m_wizardsPage = nullptr, *m_searchPage = nullptr,
        *m_datesPage = nullptr, *m_toolbarsPage = nullptr, *m_generalPage = nullptr;
};

/// Shows the preferences dialog modally: with a database open all seven pages, otherwise
/// only the Global page. On OK the main window's Favorites menu is rebuilt and, when the
/// date format changed, the fields of the open View windows are shown again.
void ShowPreferences(TMainForm* mainForm);

/// Registers "A_Preferences" and "A_ViewToolbarCustomize" for this main window; `tables`
/// (may be null) lets a changed date format redraw the open View windows.
void InstallPreferences(TMainForm* mainForm, core::ViewTables* tables = nullptr);
