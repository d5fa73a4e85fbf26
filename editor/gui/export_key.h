#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableWidget;
class QToolButton;
class TMainData;

/// The "Registry Key Export" window: every row of the open table in `KeyList` (a copy made
/// each time the window is shown, kept sorted by Section), from which the user selects rows
/// and writes them to the file in `ExportFileName` with the delimiter in `Delimiter`; an
/// export with no row selected is refused before the file is touched, and the status bar
/// says how many rows a finished export wrote. Browse starts in the open table's folder.
/// Not modal; created once by the main window, which centres it on itself.
class TExportKey : public QWidget {
    Q_OBJECT
public:
    explicit TExportKey(TMainData& data, QWidget* parent = nullptr);

    QLineEdit* ExportFileName = nullptr;
    QToolButton* BrowseBtn = nullptr;
    QLineEdit* Delimiter = nullptr;
    QPushButton* ExportBtn = nullptr;
    QTableWidget* KeyList = nullptr;
    QStatusBar* StatusBar = nullptr;

    /// Fills the list from the table (also done whenever the window is shown).
    void FillKeyList();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BrowseBtnClick();
    void ExportBtnClick();
    void KeyListSelectionChanged();

    TMainData& m_data;
};
