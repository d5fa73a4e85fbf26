#pragma once

// The query designer: a tabbed window over a working copy of a query data view's query, one
// page each for tables, fields, calculations, grouping, search criteria, sorting and the SQL
// text; OK hands the edited query back to the view.

#include "report/data/data_view.h"
#include "report/data/gui/query_view_wizard.h"
#include "report/data/query_data_view.h"
#include "report/data/sql.h"
#include "report/output/gui/form.h"

#include <QPointer>

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeWidgetItem;
class QWidget;
class TdaEditPage;
class TdaQueryDesignerForm;
class TppListView;

/// The data wizard that edits a query data view in the query designer window.
class TdaQueryDesigner : public TdaQueryViewWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaQueryDesigner(TComponent* aOwner = nullptr);
    ~TdaQueryDesigner() override;

    /// Text 810 "Query Designer".
    static QString ClassCaption(TClass aClass);
    /// The picture "DAQUERYDESIGNER".
    static QImage ClassBitmap(TClass aClass);

    /// True when the user confirmed and the data view took the new query.
    bool Execute() override;

    /// The window while it is open (for tests and the owner).
    TdaQueryDesignerForm* Form() const { return m_form; }
    /// The window's close-query handler: true when the window may close.
    bool CloseQuery(TdaQueryDesignerForm* aForm);

private:
    QPointer<TdaQueryDesignerForm> m_form;
};

/// The query designer window: the page control with the pages and OK and Cancel.
class TdaQueryDesignerForm : public TppForm {
    Q_OBJECT
public:
    explicit TdaQueryDesignerForm(QObject* aOwner = nullptr);
    ~TdaQueryDesignerForm() override;

    /// The working model: an instance of aSQL's class owned by the form, assigned from it.
    void CreateSQL(TdaSQL* aSQL);
    void Init();
    /// Calls Apply on every page; false when one refuses.
    bool ApplyPages();
    /// Frees every page but the SQL page (the query became typed SQL).
    void DropVisualPages();

    TdaSQL* SQL() const { return m_sql.get(); }
    QTabWidget* PageControl() const { return m_pageControl; }
    const std::vector<std::unique_ptr<TdaEditPage>>& Pages() const { return m_pages; }
    TdaEditPage* CurrentPage() const { return m_currentPage; }
    /// The page of that tab sheet; null for none.
    TdaEditPage* PageOfSheet(QWidget* aSheet) const;

    bool AllowEditSQL = true;
    int StartPage = 0;
    bool EditSQLAsText = false;
    bool OKPressed = false;
    bool CancelPressed = false;
    std::function<bool(TdaQueryDesignerForm*)> OnCloseQuery;

    void done(int r) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void pageChanged(int aIndex);

    QWidget* m_pnlForm;
    QTabWidget* m_pageControl;
    QPushButton *m_btnOK, *m_btnCancel;
    std::unique_ptr<TdaSQL> m_sql;
    TClass m_sqlClass = nullptr;
    std::vector<std::unique_ptr<TdaEditPage>> m_pages;
    TdaEditPage* m_currentPage = nullptr;
    bool m_closing = false;
};

/// One tab of the query designer, bound to the working model.
class TdaEditPage : public TppCommunicator {
    Q_OBJECT
public:
    TdaEditPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);
    ~TdaEditPage() override;

    // Virtual operations added here, in slot order.
    virtual void CreateControls() {}
    virtual void Refresh() {}
    virtual bool NeedsRefresh() { return false; }
    virtual QString GetCaption() const { return QString::fromLatin1(metaObject()->className()); }
    virtual bool Apply() { return true; }
    /// The name of the page's picture (tab and header).
    virtual QString PictureName() const { return {}; }

    /// Builds the page on its first activation, refreshes it later when it needs it.
    void ActivatePage();
    TdaSQL* SQL() const { return m_sql; }
    void SetSQL(TdaSQL* aSQL);
    QWidget* TabSheet() const { return m_tabSheet; }
    TdaQueryDesignerForm* Form() const { return m_form; }
    bool Initialized() const { return m_initialized; }
    bool Activating() const { return m_activating; }
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

protected:
    QPointer<TdaQueryDesignerForm> m_form;
    QPointer<QTabWidget> m_pageControl;
    QPointer<QWidget> m_tabSheet;
    QPointer<TdaSQL> m_sql;
    bool m_initialized = false;
    bool m_activating = false;
};

/// A page of two lists: the available entries above, the selected ones below; entries move
/// between them by double click, drag and drop, and the page's operations.
class TdaDualListPage : public TdaEditPage {
    Q_OBJECT
public:
    TdaDualListPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);

    void CreateControls() override;
    void Refresh() override;

    // Virtual operations added here, in slot order.
    virtual void SetUpSelectedColumns() {}
    virtual bool IsSelectedListReadOnly() { return true; }
    virtual bool IsSelectedListMultiSelect() { return false; }
    virtual void FillAvailableItem(QTreeWidgetItem* aItem, QObject* aEntry) = 0;
    virtual void FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) = 0;
    virtual QObject* RemoveSelected(int aIndex) = 0;
    virtual QObject* GetAvailable(int aIndex) = 0;
    virtual int GetAvailableCount() = 0;
    virtual int GetChildType() = 0;
    virtual QObject* GetSelected(int aIndex) = 0;
    virtual int GetSelectedCount() = 0;
    virtual void ShowEditors(bool aShow) { Q_UNUSED(aShow); }
    virtual QObject* AddSelected(int aIndex) = 0;
    virtual void AvailableColumnClick(int aColumn);
    virtual void AvailableDblClick();
    /// Whether a drop on the available list is taken (only rows of the selected list).
    virtual bool AvailableDragOver(QObject* aSource);
    virtual void AvailableDragDrop(QObject* aSource);
    virtual void MoveDownClick();
    virtual void MoveUpClick();
    virtual void SelectedClick() {}
    virtual void SelectedColumnResized(int aColumn);
    virtual void SelectedDblClick();
    /// Whether a drop on the selected list is taken (only items of the available list).
    virtual bool SelectedDragOver(QObject* aSource);
    virtual void SelectedDragDrop(QObject* aSource);
    virtual void SelectedEdited(QTreeWidgetItem* aItem, const QString& aText) { Q_UNUSED(aItem); Q_UNUSED(aText); }
    /// An in-place edit of a selected row begins; false refuses it.
    virtual bool SelectedEditing(QTreeWidgetItem* aItem) { Q_UNUSED(aItem); return !m_activating; }
    virtual void SelectedResize() {}
    virtual void SelectedScrolled() { ShowEditors(false); }
    virtual void SelectedItemChanged() {}

    /// Moves the available items to the selected list.
    void MoveToSelected(const QList<QTreeWidgetItem*>& aItems);
    /// Moves the selected rows back.
    void MoveToAvailable(const QList<QTreeWidgetItem*>& aItems);
    void SelectAll();
    void DeselectAll();
    void UpdateMoveButtons();
    /// -1 up, +1 down.
    void MoveSelectedItems(int aDirection);
    void FillAvailableList();
    void FillSelectedList();

    TppListView* AvailableList() const { return m_available; }
    TppListView* SelectedList() const { return m_selected; }
    QLabel* AvailableLabel() const { return m_availableLabel; }
    QLabel* SelectedLabel() const { return m_selectedLabel; }
    QWidget* SelectedHeader() const { return m_selectedHeader; }
    /// The selected row's entry; null when none or several.
    QObject* CurrentSelectedEntry() const;

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;
    /// Sets up the upper label, picture and columns of the available list.
    virtual void SetUpAvailableColumns() {}
    virtual QString UpperLabel() const;
    virtual QString LowerLabel() const { return {}; }
    virtual bool AllowColumnClicks() const { return true; }
    virtual bool EntriesLeave() const { return true; }
    /// After the lists were filled (check boxes follow the model).
    virtual void ListsRefreshed() {}

    TppListView* m_available = nullptr;
    TppListView* m_selected = nullptr;
    QLabel* m_availableLabel = nullptr;
    QLabel* m_selectedLabel = nullptr;
    QWidget* m_selectedHeader = nullptr;
    QPushButton* m_btnMoveUp = nullptr;
    QPushButton* m_btnMoveDown = nullptr;
    int m_sortState = 1;
    bool m_moving = false;
    bool m_refreshedDuringMove = false;
    QList<QTreeWidgetItem*> m_selectedRows;
};

/// The Fields page, and the base of the Calcs, Group, Search and Sort pages: adds a check box
/// in the lower header panel.
class TdaFieldPage : public TdaDualListPage {
    Q_OBJECT
public:
    TdaFieldPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);
    void CreateControls() override;
    QString GetCaption() const override;
    QString PictureName() const override { return QStringLiteral("DAFIELDS"); }
    bool NeedsRefresh() override { return true; }
    int GetChildType() override { return report::data::kSelectField; }
    bool IsSelectedListReadOnly() override { return false; }
    void SetUpSelectedColumns() override;
    void FillAvailableItem(QTreeWidgetItem* aItem, QObject* aEntry) override;
    void FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    QObject* RemoveSelected(int aIndex) override;
    void AvailableColumnClick(int aColumn) override;
    void SelectedEdited(QTreeWidgetItem* aItem, const QString& aText) override;

    virtual void CheckBoxClick();
    QCheckBox* CheckBox() const { return m_checkBox; }

protected:
    void SetUpAvailableColumns() override;
    QString LowerLabel() const override;
    void ListsRefreshed() override;
    /// The check box's text and object name.
    virtual QString CheckBoxText() const;
    virtual const char* CheckBoxName() const { return "chkAllFields"; }
    /// Places the check box at the right of the lower header panel.
    void placeCheckBox();

    QCheckBox* m_checkBox = nullptr;
};
