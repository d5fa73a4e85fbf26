#pragma once

#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTreeWidget;
class TSearchData;
class TtsCache;
class TtsMake;
class TtsMakeTextTableLink;
class TtsMakeWordsTableLink;
class TtsProgressDialog;

namespace core {

/// The build options kept in the settings table under Preferences/QuickSearch/BuildOption.
struct IndexBuildOptions {
    bool SkipTrashKeyWords = true;
    int MinimumWordLength = 2;
    bool SkipNumericStartWords = false;
    bool SkipNoVowelWords = false;
    bool SkipMinLengthWords = true;
    QString WordDelimiters;  ///< empty: the default delimiter text
    QString AlphaCharacters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QString NumericCharacters = QStringLiteral("0123456789");
    QString VowelCharacters = QStringLiteral("AEIOUY");
};

/// The default delimiter text (40 characters, with ^^ for the caret and ^M ^J ^I for
/// carriage return, line feed and tab).
QString DefaultWordDelimiterText();

}  // namespace core

/// The window "Search Index Build": rebuilds the word index of the branch titles
/// (HierarchyDict.db) and of every searchable View, keeps the build options and shows the
/// index statistics.
///
/// Each index is built beside its word table and put in place only when its build
/// completed: a failure or a Cancel in the progress window stops the build at that index and
/// leaves its old word table as it was (the indexes built before it stay rebuilt). The word
/// tables are reopened and the index properties reloaded in every case.
class TQSMake : public QDialog {
    Q_OBJECT
public:
    TQSMake(TSearchData& search, QWidget* owner);
    ~TQSMake() override;

    /// Loads the options from the settings table into the controls (row default when a row
    /// is missing or damaged).
    void LoadOptions();
    /// Writes the options of the controls (blank boxes are not written).
    void SaveOptions();
    /// Builds every index; true when all of them were built. Unexpected engine failures are
    /// reported here; other failures pass on after the word tables were reopened.
    bool Build(bool silent);
    /// Fills the statistics page.
    void ShowStatistics();
    /// True when the last Build was stopped by the user's Cancel.
    bool Cancelled() const { return m_cancelled; }
    /// True when the last Build built every index.
    bool LastSuccess() const { return m_success; }

    QTabWidget* PageControl;
    QStatusBar* StatusBar;
    QAction *A_Build, *A_Close, *A_Help;
    QCheckBox *SkipTrashKeyWords, *SkipNumericStartWords, *SkipNoVowelWords, *SkipMinLengthWords;
    QSpinBox* MinimumWordLength;
    QLineEdit *WordDelimiters, *AlphaCharacters, *NumericCharacters, *VowelCharacters;
    QTreeWidget* StatisticsList;
    QLabel *TotalWordsLabel, *TotalDiskLabel;

    TtsMake* Maker;
    TtsCache* tsCache;
    TtsProgressDialog* MakeProgress;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    /// Builds one index from the record table into the word table; false after a reported
    /// failure or a Cancel.
    bool buildIndex(const QString& tableFile, const QString& dictFile, const QStringList& fields);
    void setStatus(const QString& text);
    void leaveTextBox(QLineEdit* box, const char* variable, const QString& defaultText);

    TSearchData& m_search;
    bool m_silent = false;
    bool m_cancelled = false;
    bool m_success = false;
};

namespace core {

/// Creates the index build window over `owner` and, silent, loads the options and builds
/// without any window; otherwise shows it modally. Answers true when the last build
/// succeeded.
bool RunIndexBuild(TSearchData& search, QWidget* owner, bool silent);

}  // namespace core
