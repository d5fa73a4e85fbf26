#pragma once

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QWidget;
class TMainDataMod;
class TViewControl;

namespace core {
class ViewTables;
}
namespace format {
class MaskedLineEdit;
}

/// Window message the global update posts to itself: the deferred date check of the value
/// box that was left (LParam 0 the comparison box, 1 the new-value box).
inline constexpr int UM_VALIDATEEDIT = 0x0400 + 119;

/// "Global Update": sets one field of a View to one value in every record of the View's
/// table, or in the records whose value meets a condition, record by record with a
/// progress bar and "Stop".
///
/// States: idle (lists and value controls usable, "Start" shown) and running (the upper part
/// and "Close" disabled, "Stop" in the place of "Start", closing refused). Values are checked
/// when a value box is left and again on "Start"; `m_invalid` holds the last check's result.
/// Conditions compare by the field's type: numbers as numbers, dates as dates, texts by
/// character code with a to z made upper case.
class TGlobalUpdate : public QDialog {
    Q_OBJECT
public:
    /// `data` (may be null) gives the database whose transaction each record's write joins.
    TGlobalUpdate(TViewControl& views, core::ViewTables& tables, TMainDataMod* data, QWidget* parent = nullptr);
    ~TGlobalUpdate() override;

    bool Running() const { return m_running; }

    void reject() override;  ///< refused while running

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ViewListSelect(int view);
    void FieldListSelect(int field);
    void ConditionChange();
    void StartBtnClick();
    void StopBtnClick();
    void resetValueBoxes();
    void hideProgress();
    void enableValueControls(bool enable);
    /// The check of a value box when it is left; false (and m_invalid set) when it fails.
    bool checkValueBox(format::MaskedLineEdit* box);
    void validateDate(format::MaskedLineEdit* box);
    void valueKeyPress(format::MaskedLineEdit* box, QChar& key);
    void closeTable();
    void setRunning(bool running);

    TViewControl& m_views;
    core::ViewTables& m_tables;
    TMainDataMod* m_data;

    int m_view = -1;
    int m_field = -1;
    QChar m_type = u'S';
    QString m_mask;          ///< the field's mask (a Date field: the date mask)
    bool m_hasMask = false;
    bool m_openedTable = false;  ///< the dialog opened the View table and closes it again
    bool m_running = false;
    bool m_stopRequested = false;
    bool m_invalid = false;
    bool m_oldDateWarned = false;

    QWidget* UpperPanel;
    QListWidget* ViewList;
    QListWidget* FieldList;
    QLineEdit* RecordsEdit;
    QLineEdit* TypeEdit;
    QLineEdit* LengthEdit;
    QComboBox* ConditionBox;
    format::MaskedLineEdit* CompareEdit;
    QCheckBox* CompareCheck;
    format::MaskedLineEdit* NewValueEdit;
    QCheckBox* NewValueCheck;
    QLabel* ConditionLabel;
    QLabel* NewValueLabel;
    QWidget* ProgressPanel;
    QLabel* PercentLabel;
    QProgressBar* ProgressBar;
    QPushButton* StartBtn;
    QPushButton* StopBtn;
    QPushButton* CloseBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Shows the global update modally.
void ShowGlobalUpdate(TViewControl& views, ViewTables& tables, TMainDataMod* data, QWidget* parent);
/// Registers the main window's "&Global Update" command: the dialog opens only while no
/// View, note or tree note holds unsaved changes.
void InstallGlobalUpdate(TViewControl& views, ViewTables& tables, TMainDataMod* data, QWidget* host);

}  // namespace core
