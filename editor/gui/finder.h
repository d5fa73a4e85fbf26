#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

/// The "Find" dialog: the text to find (`FindStr`, whose drop-down list is the history of
/// searched texts), the direction (`SearchDirection`: 0 Forward, 1 Backward) and `Wrap`.
/// Created once by the main window; history, direction, wrap and whether a search was made
/// last as long as the program.
class TFinder : public QDialog {
    Q_OBJECT
public:
    explicit TFinder(QWidget* parent = nullptr);

    QComboBox* FindStr = nullptr;
    QGroupBox* SearchDirection = nullptr;
    QCheckBox* Wrap = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    /// Shows the dialog modally. On Find: remembers that a search was made, adds the text
    /// to the history (every search adds an entry) and answers true.
    bool Execute();
    bool SearchMade() const { return m_searchMade; }
    /// The text of the last search, exactly as typed.
    QString SearchText() const { return m_searchText; }
    /// 0 Forward, 1 Backward.
    int DirectionIndex() const;
    void SetDirectionIndex(int index);

private:
    QButtonGroup* m_direction = nullptr;
    bool m_searchMade = false;
    QString m_searchText;
};
