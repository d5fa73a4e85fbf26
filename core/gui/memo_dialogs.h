#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TMainDataMod;

namespace core {
class ViewTables;
}

/// The modal dialogs that edit the two memo columns of a View record beside its fields:
/// "SearchTerms" (words or phrases the record should be found by) and "CrossReference".
/// Both have one layout: an explanation at the top, the memo, and OK, Cancel and Help.
class TMemoColumnDialog : public QDialog {
    Q_OBJECT
public:
    /// The dialog with its explanation, the memo's object name and the help contexts of the
    /// memo, OK, Cancel and Help.
    TMemoColumnDialog(QWidget* parent, const QString& explanation, const char* memoName, int memoHelp, int okHelp,
                      int cancelHelp, int helpHelp);

    QWidget* Panel2;
    QLabel* Label1;
    QPlainTextEdit* Memo;
    QWidget* Panel1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

/// "Enter words or phrases relating to this item that you want to be able to search for."
class TSearchTerm : public TMemoColumnDialog {
    Q_OBJECT
public:
    explicit TSearchTerm(QWidget* parent = nullptr);
    QPlainTextEdit* SearchTermMemo;
};

/// "Enter cross reference information for this item."
class TCrossRef : public TMemoColumnDialog {
    Q_OBJECT
public:
    explicit TCrossRef(QWidget* parent = nullptr);
    QPlainTextEdit* CrossRefMemo;
};

namespace core {

/// Edits the search terms of the View's shown record (its CurrentNodeID) in the modal
/// dialog; OK writes the memo's lines without the blank ones and posts, Cancel writes
/// nothing. A failed post is reported and cancelled. Nothing happens when the View has no
/// open table or no shown record. The record and its word table are written in one
/// transaction of the data module's database.
void EditSearchTerms(ViewTables& tables, TMainDataMod& data, int view, QWidget* parent = nullptr);
/// The same for the cross reference.
void EditCrossReference(ViewTables& tables, TMainDataMod& data, int view, QWidget* parent = nullptr);
/// Registers the View windows' "A_SearchTerms" and "A_CrossRef" commands: each edits the
/// memo of the current View's shown record.
void InstallMemoDialogs(ViewTables& tables, TMainDataMod& data, QWidget* parent);

}  // namespace core
