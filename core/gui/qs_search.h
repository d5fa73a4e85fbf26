#pragma once

#include "core/tessick_lib.h"

#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TSearchData;

/// The window "Advanced Search": searches the branch titles and the records of the ticked
/// Views with every search type of the engine and shows the matches (the program-wide
/// ResultsArray) as a Web View of ten results at a time and as a sortable List View.
///
/// State: busy while it fills its presentations or runs a search (the change handlers then
/// do nothing); the Web View and the List View are stale until refilled from the results;
/// results are ready after a search that ended without an engine failure.
class TQSSearch : public QWidget {
    Q_OBJECT
public:
    TQSSearch(TSearchData& search, QWidget* owner);
    ~TQSSearch() override;

    /// Runs the search with the options of the window (A_Search).
    void RunSearch();
    /// Pages the Web View: 0 first, 1 prior, 2 next, 3 last ten.
    void ShowWebPage(int direction);
    /// Sorts the results by key and shows the first Web View page.
    void SortWebView(core::TResultSortKey key);
    /// Sorts the List View by column 0 (View type), 1 (branch title) or 2 (score).
    void SortListColumn(int column);
    /// Selects Web View panel 1..10 (0: none).
    void SelectPanel(int panel);
    /// The text Copy results to clipboard puts on the clipboard (lines end with CR).
    QString ClipboardText();
    void GoToDetails();
    void ExportResults();
    /// The status panels.
    QString StatusText(int panel) const;

    QTabWidget *OptionPages, *ViewPages;
    QPlainTextEdit* SearchTerm;
    QComboBox *UserSearchMode, *UserSearchLogic;
    QAction *A_Search, *A_HaltSearch, *A_GoTo, *A_ClipCopy, *A_Export, *A_SelectAll, *A_SelectNone, *A_Help;
    QAction *A_WVFirst, *A_WVPrior, *A_WVNext, *A_WVLast, *A_WVSort, *A_SortType, *A_SortScore, *A_SortKey;
    QFrame* WVPanel[10];
    QFrame* WVShape[10];
    QLabel* WVImage[10];
    QLabel* WVScore[10];
    QTextEdit* WVResult[10];
    QScrollArea* WebScroll;
    QTreeWidget* ResultsList;
    QLabel* ResultIcon;
    QTextEdit* ResultText;
    QListWidget* ViewList;
    QCheckBox *DoTimeOut, *RankResults, *RankOnly, *DisplayNotes, *MoreThanMatch;
    QSpinBox *TimeOutSeconds, *RankCountLimit, *NearCount, *MaxMatchDisplay;
    QRadioButton *HaltSearch, *HaltSearchAsk, *RankByCount, *RankByPercent, *RankByPresence;
    QRadioButton *MatchAsk, *MatchLimitOnly, *MatchNone;
    QComboBox *WC_AnyChar, *WC_OneChar;
    QComboBox *ClipCopyOptions, *DefaultSortOrder, *OnGoTo;
    QLabel *StatusPanel0, *StatusPanel1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSearchPage(QWidget* page);
    void buildOptionsPage(QWidget* page);
    void buildDisplayPage(QWidget* page);
    void prepareShow();
    void clearWebPanels();
    void clearListPresentation();
    void copyOptionsToMaster();
    int matchLimit(int matchCount);
    void fillList();
    void updateActions();
    void showListPreview(QTreeWidgetItem* item);
    /// The note of a branch as one line (characters below 32 as blanks); empty when the
    /// branch cannot be located.
    QString noteLine(int nodeID, bool* located = nullptr);
    QString listStatus() const;
    QString webStatus() const;
    void switchedViewPage();
    QIcon viewIcon(int view, bool large) const;
    QList<int> selectedNodeIDs() const;
    bool webViewShown() const;
    bool searchPageShown() const;

    TSearchData& m_search;
    bool m_busy = false;
    int m_sortColumn = 0;
    int m_displayLimit = 999999999;
    int m_webTop = 0;
    int m_selectedPanel = 0;
    bool m_webStale = true;
    bool m_listStale = true;
    bool m_resultsReady = false;
};

namespace core {

/// Shows the quick-search window (one per program): brings an existing one to the front, or
/// makes it over `owner` and shows it modeless.
TQSSearch* ShowQuickSearch(TSearchData& search, QWidget* owner);
/// The quick-search window while it exists.
TQSSearch* QuickSearchWindow();

/// Registers the main window's search commands: "A_ViewSearch" (quick search),
/// "A_EditFind" (find dialog), "A_RebuildIndex" (index build window) and
/// "A_RebuildReport" (report dictionary window).
void InstallSearchCommands(TSearchData& search, QWidget* mainForm);

}  // namespace core
