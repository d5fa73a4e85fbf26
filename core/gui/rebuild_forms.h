#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TSearchData;

/// The window "Rebuild Report Dictionary": explains the rebuild and runs it on Build.
class TRebuildReportForm : public QDialog {
    Q_OBJECT
public:
    TRebuildReportForm(TSearchData& search, QWidget* owner);

    QPlainTextEdit* InfoMemo;
    QAction *A_Build, *A_Close, *A_Help;

private:
    TSearchData& m_search;
};

/// The small window "Rebuild" of the full rebuild: the two steps with their marks, an
/// animation while they run and, at the end, the outcome and a Close button that ends the
/// rebuild.
class TRebuildForm : public QDialog {
    Q_OBJECT
public:
    explicit TRebuildForm(QWidget* owner);

    /// Marks a step (0 dictionary, 1 search indexes) as running (bold red) or done with its
    /// mark (green tick or red cross).
    void ShowStepRunning(int step);
    void ShowStepDone(int step, bool success);
    /// Shows Close, Help and the status line; waits (pumping messages) until Close.
    void WaitForClose(bool success);

    QLabel *DictLabel, *IndexLabel, *SupportLabel, *DictMark, *IndexMark, *Animation, *StatusLabel;
    QPushButton *CloseBtn, *HelpBtn;

private:
    bool m_closed = false;
};

namespace core {

/// ShowReportRebuild: the "Rebuild Report Dictionary" window, modal.
void ShowReportRebuild(TSearchData& search, QWidget* owner);

/// The full rebuild: the report dictionary, then the silent search-index build, in the
/// "Rebuild" window, which stays until the user closes it. True when both steps succeeded.
bool RebuildDatabase(TSearchData& search, QWidget* owner);

}  // namespace core
