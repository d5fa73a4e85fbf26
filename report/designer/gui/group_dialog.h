#pragma once

// The Groups dialog: every group of a report at once, outermost first, with what each breaks
// on (a data field or a text component) and its page, column and keep-together options. It
// works on copies (TppGroupOptions, one per entry); the report's groups change only on OK,
// which creates, moves, sets and frees groups with their bands. Cancel changes nothing.

#include "report/output/design_dialogs.h"
#include "report/output/gui/form.h"
#include "report/page/report_types.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class TppDataPipeline;
class TppGroup;

/// The working copy of one group, shown by one entry of the group list.
class TppGroupOptions : public QObject {
    Q_OBJECT
public:
    QString BreakName;
    TppBreakType BreakType = TppBreakType::btDataField;
    QPointer<TppDataPipeline> DataPipeline;
    QPointer<TppGroup> Group;  ///< the report's group it copies; none for a new entry
    bool KeepTogether = true;
    bool NewColumn = false;
    float NewColumnThreshold = 0;
    bool NewPage = false;
    float NewPageThreshold = 0;
    bool ReprintOnSubsequentColumn = true;
    bool ReprintOnSubsequentPage = true;
    bool ResetPageNo = false;
};

class TppGroupDialog : public TppForm, public TppCustomGroupDialog {
    Q_OBJECT
public:
    explicit TppGroupDialog(QObject* aOwner = nullptr);
    ~TppGroupDialog() override;

    void LanguageChanged() override;
    void ReportAssigned() override;

    QLabel* lblGroups;
    QComboBox* cbxBreakDescriptions;
    QListWidget* lstGroups;
    QPushButton* btnAdd;
    QPushButton* btnInsert;
    QPushButton* btnDelete;
    QGroupBox* gbxBreakOn;
    QRadioButton* rdbDataField;
    QRadioButton* rdbCustomField;
    QGroupBox* gbxOnGroupBreak;
    QCheckBox* cbxNewPage;
    QCheckBox* cbxResetPageNo;
    QLabel* lblNewPageThreshold;
    QLineEdit* edtNewPageThreshold;
    QCheckBox* cbxNewColumn;
    QLabel* lblNewColumnThreshold;
    QLineEdit* edtNewColumnThreshold;
    QCheckBox* cbxKeepTogether;
    QCheckBox* cbxReprintOnPage;
    QCheckBox* cbxReprintOnColumn;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    /// The working copy of entry i (outermost first); none outside the list.
    TppGroupOptions* Entry(int aIndex) const;
    int EntryCount() const;
    /// A drop of the selected entry on the entry at aTarget (what dragging does).
    void lstGroupsDragDrop(int aTarget);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    void FormActivate();
    void FillLists();
    void Renumber();
    void ShowEntry(int aIndex);
    QString BreakDescription(const TppGroupOptions& aEntry) const;
    void FillBreakBox(TppBreakType aType);
    TppGroupOptions* Selected() const;
    /// A new entry for the break box's choice; none when the box is empty.
    std::unique_ptr<TppGroupOptions> NewEntry() const;
    void SetEntryBreak(TppGroupOptions& aEntry, const QString& aDescription) const;
    void insertEntry(int aRow, std::unique_ptr<TppGroupOptions> aEntry);
    void cbxBreakDescriptionsChange();
    void rdbDataFieldClick();
    void rdbCustomFieldClick();
    void btnAddClick();
    void btnInsertClick();
    void btnDeleteClick();
    void cbxNewPageClick();
    void cbxNewColumnClick();
    void cbxKeepTogetherClick();
    void edtThresholdExit(QLineEdit* aEdit);
    void btnOKClick();
    void arrange();

    std::vector<std::unique_ptr<TppGroupOptions>> m_entries;  ///< owned; order is the list's
    QStringList m_textNames, m_textDescriptions;
    QStringList m_fieldNames, m_fieldDescriptions;
    QList<QPointer<TppDataPipeline>> m_fieldPipelines;
    bool m_showing = false;  ///< an entry is being shown: control changes are not edits
    bool m_activated = false;
    bool m_singleColumn = false;
    bool m_thresholdFailed = false;
};

namespace report {
void RegisterGroupDialog();
void UnRegisterGroupDialog();
}  // namespace report
