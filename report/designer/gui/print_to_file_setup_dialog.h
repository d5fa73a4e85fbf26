#pragma once

// The Print to File Setup dialog: what a report writes when it prints to a text file: the
// file name, the file type, and band by band which text components are written, in which
// order and, for fixed-length files, how wide. It works on copies (TppSaveSetting, one per
// text); OK writes each text's Save, SaveOrder and SaveLength, each band's Save and the
// report's AllowPrintToFile, TextFileName and TextFileType. Cancel writes nothing.

#include "report/output/design_dialogs.h"
#include "report/output/gui/form.h"

#include <QObject>
#include <QPointer>

#include <map>
#include <memory>
#include <vector>

class QComboBox;
class QPoint;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class TppBand;
class TppCustomText;

/// The dialog's working copy of one text component's export settings.
class TppSaveSetting : public QObject {
    Q_OBJECT
public:
    explicit TppSaveSetting(QObject* aOwner) : QObject(aOwner) {}
    QPointer<TppBand> Band;
    QPointer<TppCustomText> Text;
    QString Name;  ///< the text's user name, shown in the lists
    bool Save = false;
    int SaveLength = 0;
    int SaveOrder = -1;
    /// "%8d" of SaveOrder when saved, else "99999999": written texts first, in order.
    QString SortKey() const;
};

class TppPrintToFileSetupDialog : public TppForm, public TppCustomPrintToFileSetupDialog {
    Q_OBJECT
public:
    explicit TppPrintToFileSetupDialog(QObject* aOwner = nullptr);
    ~TppPrintToFileSetupDialog() override;

    void LanguageChanged() override;
    void ReportAssigned() override;
    void ReportChanged() override;

    QFrame* pnlPrintToFile;
    QLabel* lblFileName;
    QLineEdit* edtTextFileName;
    QPushButton* btnFile;
    QLabel* lblFileType;
    QComboBox* cbxTextFileType;
    QLabel* lblBands;
    QListWidget* lbxBands;
    QLabel* lblAvailableControls;
    QListWidget* lbxItemsAvailable;
    QToolButton* spbSelectItem;
    QToolButton* spbSelectAllItems;
    QToolButton* spbDeselectItem;
    QToolButton* spbDeselectAllItems;
    QLabel* lblSelectedControls;
    QListWidget* lbxItemsSelected;
    QToolButton* spbMoveFieldUp;
    QToolButton* spbMoveFieldDown;
    QLabel* lblOrder;
    QLabel* lblSaveLength;
    QLineEdit* edtSaveLength;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    QString FileName() const { return m_fileName; }
    /// Applies the naming rule (".txt" added) and shows the name.
    void SetFileName(const QString& aName);
    /// The end of a drag of the current selected entry over the entry at aTarget: the
    /// entry moves there and stays current.
    void lbxItemsSelectedEndDrag(int aTarget);
    /// The settings of the band shown by lbxBands row aIndex, in their list's order.
    QList<TppSaveSetting*> BandSettings(int aIndex) const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    void FormCreate();
    void FormDestroy();
    void FormActivate();
    void lbxBandsClick();
    void spbSelectItemClick();
    void spbSelectAllItemsClick();
    void spbDeselectItemClick();
    void spbDeselectAllItemsClick();
    /// A press on an entry: the drag starts once the mouse has moved the drag threshold.
    void lbxItemsSelectedMouseDown(const QPoint& aPosition);
    /// Whether a drop over the entry at aRow is accepted: any entry but the dragged one.
    bool lbxItemsSelectedDragOver(int aRow) const;
    void buildBandSettings();
    void showBand(int aIndex);
    void storeBand();
    void moveEntries(QListWidget* aSource, QListWidget* aTarget, bool aAll);
    void updateMoveButtons();
    void arrange();
    void spbDragUpClick();
    void spbDragDownClick();
    void lbxItemsSelectedClick();
    void edtSaveLengthChange();
    void btnFileClick();
    void cbxTextFileTypeChange();
    void btnOKClick();
    TppSaveSetting* settingOf(QListWidget* aList, int aRow) const;
    void addEntry(QListWidget* aList, TppSaveSetting* aSetting, int aRow = -1);

    /// One band's settings, sorted by SortKey.
    struct BandEntry {
        QString Caption;
        QPointer<TppBand> Band;
        std::vector<TppSaveSetting*> Settings;
    };
    std::vector<BandEntry> m_bands;
    int m_shownBand = -1;
    QString m_fileName;
    int m_fileType = 0;
    int m_savedCount = 0;
    bool m_firstActivation = true;
};

namespace report {
/// The naming rule of the text file: a name without "." gets ".txt", a name whose first "."
/// is its last character gets "txt"; an empty name stays empty.
QString ppTextFileNameWithExtension(const QString& aName);
void RegisterPrintToFileSetupDialog();
void UnRegisterPrintToFileSetupDialog();
}  // namespace report
