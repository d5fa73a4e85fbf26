#pragma once

#include "core/tessick_lib.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TSearchData;

/// The find dialog "Find": Find First runs an all-words search over the branch titles and,
/// with "Search in Views", every View, sorts the branches found by title and selects the
/// first (or, backward, the last) in the Explorer; Find Next (Find Prior) steps on, with
/// wrap when asked. Modeless and on top; kept hidden between uses (one per program).
///
/// State: its own result array (emptied on close), the position of the branch shown last
/// and the match count of the last Find First.
class TFinder : public QDialog {
    Q_OBJECT
public:
    TFinder(TSearchData& search, QWidget* owner);
    ~TFinder() override;

    void FindFirst();
    void FindNext();
    const TResultsArray& Results() const { return m_results; }
    int Position() const { return m_position; }
    /// Text of status panel 0 or 1.
    QString StatusText(int panel) const;

    QLineEdit *FindWhat, *ReplaceWith;
    QLabel *FindWhatLabel, *ReplaceWithLabel;
    QRadioButton *Forward, *Backward;
    QCheckBox *SearchViews, *WrapNext;
    QPushButton *FindBtn, *FindNextBtn, *ReplaceBtn, *ReplaceAllBtn, *HelpBtn, *CloseBtn;
    QStatusBar* StatusBar;
    QLabel *StatusPanel0, *StatusPanel1;

    /// ShowFindDialog's preparation of the dialog for a new round.
    void Prepare(bool showReplace);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showMatch();
    /// Enables Find Next when allowed and a move is possible; it is the default button then.
    void updateFindNext(bool allowed);
    bool backward() const;

    TSearchData& m_search;
    TResultsArray m_results;
    int m_position = 0;
    int m_matchCount = 0;
};

namespace core {

/// Shows the find dialog (made on first use and kept), modeless.
TFinder* ShowFindDialog(TSearchData& search, QWidget* owner, bool showReplace);

}  // namespace core
