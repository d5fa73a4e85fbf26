#pragma once

// The query wizard: a new query data view built step by step (tables, fields, calculations,
// grouping, search criteria, sort order, then description, pipeline name and what to do
// next) on a working copy of the view's query, handed back on Finish. The step-by-step twin
// of the query designer: the same query operations, list boxes with one text per line, and
// the calculated fields and criteria through their dialogs.

#include "report/data/data_view.h"
#include "report/data/gui/query_view_wizard.h"
#include "report/data/query_data_view.h"
#include "report/data/sql.h"
#include "report/output/gui/form.h"
#include "report/output/meta_bitmap.h"

#include <QPointer>

#include <memory>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class QWidget;
class TdaCriteriaDialog;
class TdaFunctionDialog;
class TdaQueryWizardDialog;
class TdaWizardPage;

/// The data wizard that builds a new query data view in the wizard dialog.
class TdaQueryWizard : public TdaQueryViewWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaQueryWizard(TComponent* aOwner = nullptr);
    ~TdaQueryWizard() override;

    /// Text 811 "Query Wizard".
    static QString ClassCaption(TClass aClass);
    /// The picture "DAQUERYWIZARD".
    static QImage ClassBitmap(TClass aClass);

    /// True when the user finished and the data view took the new query; FollowUp then says
    /// what the owner does next (1 open the view in its designer, 2 preview its data).
    bool Execute() override;

    /// The window while it is open.
    TdaQueryWizardDialog* Form() const { return m_form; }
    /// The window's close-query handler: after Finish the owner may refuse the pipeline name.
    bool CloseQuery(TdaQueryWizardDialog* aForm);

private:
    QPointer<TdaQueryWizardDialog> m_form;
};

/// The wizard window: the steps on a stack of hidden pages, Cancel, Back, Next and Finish.
///
/// States: on step i (0..6); Back is shown from step 1 on, Next up to step 5, Finish only on
/// step 6. Next leaves a step only when its Apply agrees; Finish also needs ValidateSQL.
class TdaQueryWizardDialog : public TppForm {
    Q_OBJECT
public:
    explicit TdaQueryWizardDialog(QObject* aOwner = nullptr);
    ~TdaQueryWizardDialog() override;

    /// The working model: an instance of aSQL's class owned by the form, assigned from it,
    /// self joins off.
    void CreateSQL(TdaSQL* aSQL);
    /// Texts, the seven steps (once) and the first step shown.
    void Init();
    /// Buttons for the current step; the step is built or refreshed.
    void UpdateButtons();

    void NextClick();
    void PreviousClick();
    void FinishClick();
    void CancelClick();

    TdaSQL* SQL() const { return m_sql.get(); }
    QStackedWidget* PageControl() const { return m_pageControl; }
    const std::vector<std::unique_ptr<TdaWizardPage>>& Pages() const { return m_pages; }
    int CurrentIndex() const { return m_current; }
    TdaWizardPage* CurrentPage() const;
    /// 0 until Finish; then 1 modify the query's design, 2 preview it.
    int FinishChoice() const { return m_finishChoice; }

    bool OKPressed = false;
    std::function<bool(TdaQueryWizardDialog*)> OnCloseQuery;

    void done(int r) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showStep(int aIndex);

    QWidget* m_pnlWizard;
    QStackedWidget* m_pageControl;
    QFrame* m_bvlSeparator;
    QPushButton *m_btnCancel, *m_btnPrevious, *m_btnNext, *m_btnFinish;
    std::unique_ptr<TdaSQL> m_sql;
    TClass m_sqlClass = nullptr;
    std::vector<std::unique_ptr<TdaWizardPage>> m_pages;
    int m_current = -1;
    int m_finishChoice = 0;
    bool m_closing = false;
};

/// One step of the wizard, bound to the working model: a picture panel filling the sheet with
/// the step's picture at 16,0 (160 x 80) and its instruction at 190,15.
class TdaWizardPage : public TppCommunicator {
    Q_OBJECT
public:
    TdaWizardPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl);
    ~TdaWizardPage() override;

    // Virtual operations, in slot order (as the designer's pages).
    virtual void CreateControls();
    virtual void Refresh() {}
    virtual bool NeedsRefresh() { return true; }
    virtual QString GetCaption() const { return QString::fromLatin1(metaObject()->className()); }
    /// The step's check on Next and Finish.
    virtual bool Apply() { return true; }
    /// The step's instruction.
    virtual QString Instruction() const { return {}; }
    /// The step's picture, drawn into the picture's bitmap.
    virtual QImage Picture() const { return {}; }

    /// Builds the step on its first use, refreshes it later when it needs it.
    void ActivatePage();
    TdaSQL* SQL() const { return m_sql; }
    void SetSQL(TdaSQL* aSQL);
    QWidget* TabSheet() const { return m_tabSheet; }
    QWidget* PicturePanel() const { return m_pnlPicture; }
    TdaQueryWizardDialog* Form() const { return m_form; }
    bool Initialized() const { return m_initialized; }
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

protected:
    QPointer<TdaQueryWizardDialog> m_form;
    QPointer<QStackedWidget> m_pageControl;
    QPointer<QWidget> m_tabSheet;
    QPointer<TdaSQL> m_sql;
    QWidget* m_pnlPicture = nullptr;
    QLabel* m_imgPicture = nullptr;
    QLabel* m_lblInstruction = nullptr;
    bool m_initialized = false;
    bool m_activating = false;
};

/// A step of two list boxes side by side with buttons between them; optionally select-all
/// and deselect-all buttons (flag 1), move buttons (flag 2) and an option group of two
/// choices above the lists, whose first choice hides them (flag 4).
class TdaWizardDualListPage : public TdaWizardPage {
    Q_OBJECT
public:
    enum Option { doSelectAll = 1, doMoveButtons = 2, doOptionGroup = 4 };

    TdaWizardDualListPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl, int aOptions);

    void CreateControls() override;
    void Refresh() override;

    // Virtual operations added here, in slot order.
    virtual void FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) = 0;
    virtual void FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) = 0;
    /// Takes the selected entry at the index out of the model; answers its available entry.
    virtual QObject* RemoveSelected(int aIndex) = 0;
    virtual QObject* GetAvailable(int aIndex) = 0;
    virtual int GetAvailableCount() = 0;
    virtual QObject* GetSelected(int aIndex) = 0;
    virtual int GetSelectedCount() = 0;
    /// Adds the available entry at the index to the model; answers the new child or null.
    virtual QObject* AddSelected(int aIndex) = 0;
    virtual void AvailableDblClick();
    /// Whether a drop on the left list is taken (only lines of the right list).
    virtual bool AvailableDragOver(QObject* aSource);
    virtual void AvailableDragDrop(QObject* aSource);
    virtual void MoveDownClick();
    virtual void MoveUpClick();
    /// The lists show only for the second choice; when the option follows the selection, the
    /// first choice gives every right line back.
    virtual void OptionClick();
    virtual void SelectedClick();
    virtual void SelectedDblClick();
    virtual bool SelectedDragOver(QObject* aSource);
    virtual void SelectedDragDrop(QObject* aSource);
    /// A click on the right list reached this line (-1 for none).
    virtual void SelectedItemClicked(int aLine) { Q_UNUSED(aLine); }

    /// Chooses the left lines of these indexes.
    void SelectItems(const QList<int>& aLines);
    /// Gives the right lines of these indexes back.
    void DeselectItems(const QList<int>& aLines);
    void SelectAllClick();
    void DeselectAllClick();
    /// -1 up, +1 down: the selected right lines move in the model and stay selected.
    void MoveLines(int aDirection);
    /// 0 the first choice, 1 the second, -1 none; setting a different choice runs OptionClick.
    int OptionIndex() const;
    void SetOptionIndex(int aIndex);

    QListWidget* AvailableList() const { return m_available; }
    QListWidget* SelectedList() const { return m_selected; }
    int Options() const { return m_options; }

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;
    void FillAvailableList();
    void FillSelectedList();
    void UpdateMoveButtons();
    /// Rows of the selected lines of a list, ascending.
    static QList<int> selectedLines(QListWidget* aList);
    /// The choices of the option group (text numbers).
    virtual std::pair<int, int> OptionTexts() const { return {0, 0}; }
    virtual int AvailableLabelText() const { return 727; }
    virtual int SelectedLabelText() const { return 823; }
    /// The right list's height when a step makes room below it; 0 keeps the layout's.
    virtual int SelectedListHeight() const { return 0; }
    virtual bool MultiSelect() const { return true; }
    /// After a batch of lines was given back (the model may have refused some).
    virtual void deselectedBatch() {}

    int m_options = 0;
    /// Whether the option follows the selection (the second choice while the right list has
    /// lines).
    bool m_optionFollowsSelection = true;
    /// Whether chosen entries leave the left list.
    bool m_entriesLeave = true;
    bool m_inOption = false;
    bool m_moving = false;
    QList<int> m_lineIndexes;
    QWidget* m_pnlLists = nullptr;
    QListWidget* m_available = nullptr;
    QListWidget* m_selected = nullptr;
    QLabel* m_lblAvailable = nullptr;
    QLabel* m_lblSelected = nullptr;
    QFrame* m_bvlAvailable = nullptr;
    QFrame* m_bvlSelected = nullptr;
    QPushButton *m_btnSelect = nullptr, *m_btnDeselect = nullptr, *m_btnSelectAll = nullptr,
                *m_btnDeselectAll = nullptr, *m_btnMoveUp = nullptr, *m_btnMoveDown = nullptr;
    QWidget* m_rgpOption = nullptr;
    QRadioButton* m_rbnFirst = nullptr;
    QRadioButton* m_rbnSecond = nullptr;
};

/// Step 1: the tables. Tables that cannot be joined to the selection are greyed; a table is
/// never chosen twice.
class TdaWizardTablePage : public TdaWizardDualListPage {
    Q_OBJECT
public:
    TdaWizardTablePage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl);
    QString GetCaption() const override;
    QString Instruction() const override;
    QImage Picture() const override;
    void CreateControls() override;
    void Refresh() override;
    bool Apply() override;
    void FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) override;
    void FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) override;
    QObject* RemoveSelected(int aIndex) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    void SelectedItemClicked(int aLine) override;
    /// Opens the join dialog for the clicked table and the table its first join refers to.
    void JoinClick();

protected:
    int AvailableLabelText() const override { return 728; }
    int SelectedLabelText() const override { return 824; }
    int SelectedListHeight() const override;
    bool MultiSelect() const override { return false; }

private:
    QPushButton* m_btnJoin = nullptr;
    int m_clickedLine = -1;
};

/// Step 2: the fields, all of them or chosen ones.
class TdaWizardFieldPage : public TdaWizardDualListPage {
    Q_OBJECT
public:
    TdaWizardFieldPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl);
    QString GetCaption() const override;
    QString Instruction() const override;
    QImage Picture() const override;
    void Refresh() override;
    void OptionClick() override;
    void FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) override;
    void FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) override;
    QObject* RemoveSelected(int aIndex) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;

protected:
    std::pair<int, int> OptionTexts() const override { return {718, 739}; }
};

/// Step 3: calculated fields, added and changed through the Calculated Fields dialog.
class TdaWizardCalcPage : public TdaWizardDualListPage {
    Q_OBJECT
public:
    TdaWizardCalcPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl);
    ~TdaWizardCalcPage() override;
    QString GetCaption() const override;
    QString Instruction() const override;
    QImage Picture() const override;
    void CreateControls() override;
    void FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) override;
    void FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) override;
    QObject* RemoveSelected(int aIndex) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    /// Asks for the function and the numeric field; null when there is none or on Cancel.
    QObject* AddSelected(int aIndex) override;
    /// Changes the selected calculation through the dialog.
    void FunctionClick();
    TdaFunctionDialog* FunctionDialog() const { return m_dialog.get(); }

protected:
    std::pair<int, int> OptionTexts() const override { return {792, 715}; }
    int SelectedListHeight() const override { return 121; }
    bool MultiSelect() const override { return false; }

private:
    void fillFunctions();
    std::unique_ptr<TdaFunctionDialog> m_dialog;
    QPushButton* m_btnFunction = nullptr;
};

/// Step 4: grouping, forced while calculations exist.
class TdaWizardGroupPage : public TdaWizardDualListPage {
    Q_OBJECT
public:
    TdaWizardGroupPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl);
    QString GetCaption() const override;
    QString Instruction() const override;
    QImage Picture() const override;
    void Refresh() override;
    bool Apply() override;
    void OptionClick() override;
    void FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) override;
    void FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) override;
    QObject* RemoveSelected(int aIndex) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;

protected:
    std::pair<int, int> OptionTexts() const override { return {793, 820}; }
    void deselectedBatch() override;

private:
    bool m_refused = false;
};

/// Step 5: the search criteria, indented by level, edited through the pop-up menu and the
/// Search Criteria dialog.
class TdaWizardSearchPage : public TdaWizardDualListPage {
    Q_OBJECT
public:
    TdaWizardSearchPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl);
    ~TdaWizardSearchPage() override;
    QString GetCaption() const override;
    QString Instruction() const override;
    QImage Picture() const override;
    void CreateControls() override;
    bool Apply() override;
    void FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) override;
    void FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) override;
    QObject* RemoveSelected(int aIndex) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    void MoveDownClick() override;
    void MoveUpClick() override;
    void SelectedItemClicked(int aLine) override;

    QMenu* PopupMenu() const { return m_menu; }
    TdaCriteriaDialog* CriteriaDialog() const { return m_dialog.get(); }
    void InsertCriteriaClick();
    void InsertORClick();
    void InsertNOTClick();
    void EditCriteriaClick();
    void RemoveClick();
    void AddParenthesesClick();
    void RemoveParenthesesClick();

protected:
    std::pair<int, int> OptionTexts() const override { return {719, 749}; }
    int SelectedLabelText() const override { return 741; }

private:
    /// The recorded lines, else the selected ones.
    QList<int> recordedLines() const;
    void moveCriteria(int aDirection);
    std::unique_ptr<TdaCriteriaDialog> m_dialog;
    QMenu* m_menu = nullptr;
};

/// Step 6: the sort order, each entry ascending or descending.
class TdaWizardSortPage : public TdaWizardDualListPage {
    Q_OBJECT
public:
    TdaWizardSortPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl);
    QString GetCaption() const override;
    QString Instruction() const override;
    QImage Picture() const override;
    void CreateControls() override;
    void FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) override;
    void FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) override;
    QObject* RemoveSelected(int aIndex) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    void SelectedItemClicked(int aLine) override;
    /// Makes the selected entry ascending (true) or descending.
    void SortDirectionClick(bool aAscending);

protected:
    std::pair<int, int> OptionTexts() const override { return {790, 826}; }
    int SelectedListHeight() const override { return 126; }

private:
    QToolButton* m_spbAscending = nullptr;
    QToolButton* m_spbDescending = nullptr;
};

/// Step 7: description, pipeline name and what to do after Finish.
class TdaWizardFinishPage : public TdaWizardPage {
    Q_OBJECT
public:
    TdaWizardFinishPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl);
    QString GetCaption() const override;
    QString Instruction() const override;
    QImage Picture() const override;
    void CreateControls() override;
    void Refresh() override;
    /// Stores the choice: 2 preview, 1 modify.
    bool Apply() override;
    int Choice() const { return m_choice; }

private:
    QLineEdit* m_edtDescription = nullptr;
    QLineEdit* m_edtPipelineName = nullptr;
    QRadioButton* m_rbnPreview = nullptr;
    QRadioButton* m_rbnModify = nullptr;
    int m_choice = 0;
};

namespace report::data {
/// Registers the query wizard as a data wizard (and as a class); idempotent. The data
/// workspace's windows call it when they start, before they register the query designer.
void RegisterQueryWizard();
void UnRegisterQueryWizard();
/// The wizard's texts. Idempotent.
void DeclareQueryWizardTexts();
}  // namespace report::data
