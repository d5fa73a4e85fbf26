#pragma once

// The seven pages of the query designer: Tables, Fields (in query_designer.h), Calcs, Group,
// Search, Sort and SQL.

#include "report/data/gui/query_designer.h"

#include <functional>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QToolButton;

/// The tables of the query: available tables above (owner-drawn: tables that cannot be
/// joined to the selection are greyed), selected tables with their join type below.
class TdaTablePage : public TdaDualListPage {
    Q_OBJECT
public:
    TdaTablePage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);
    QString GetCaption() const override;
    QString PictureName() const override { return QStringLiteral("DATABLES"); }
    void CreateControls() override;
    bool NeedsRefresh() override;
    int GetChildType() override { return report::data::kSelectedTable; }
    void SetUpSelectedColumns() override;
    void FillAvailableItem(QTreeWidgetItem* aItem, QObject* aEntry) override;
    void FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    QObject* RemoveSelected(int aIndex) override;
    void SelectedItemChanged() override;
    void SelectedScrolled() override;
    void SelectedColumnResized(int aColumn) override;

    QCheckBox* DistinctBox() const { return m_distinct; }
    QToolButton* JoinButton() const { return m_joinButton; }
    /// Opens the join dialog for the selected row's table.
    void JoinButtonClick();

protected:
    void SetUpAvailableColumns() override;
    QString UpperLabel() const override;
    QString LowerLabel() const override;
    bool AllowColumnClicks() const override { return false; }
    void ListsRefreshed() override;

private:
    void placeJoinButton();
    QCheckBox* m_distinct = nullptr;
    QToolButton* m_joinButton = nullptr;
};

/// Calculated fields: a function over a field, or an expression, edited over the row.
class TdaCalcPage : public TdaFieldPage {
    Q_OBJECT
public:
    TdaCalcPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);
    QString GetCaption() const override;
    QString PictureName() const override { return QStringLiteral("DACALCS"); }
    void CreateControls() override;
    bool NeedsRefresh() override;
    int GetChildType() override { return report::data::kCalcField; }
    void SetUpSelectedColumns() override;
    void FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    QObject* RemoveSelected(int aIndex) override;
    void ShowEditors(bool aShow) override;
    void SelectedItemChanged() override;
    void SelectedColumnResized(int aColumn) override;
    void SelectedResize() override;
    void CheckBoxClick() override {}

    QComboBox* FunctionBox() const { return m_function; }
    QLineEdit* ExpressionEdit() const { return m_expression; }

protected:
    QString LowerLabel() const override;
    bool EntriesLeave() const override { return false; }
    void ListsRefreshed() override {}

private:
    TdaCalculation* currentCalc() const;
    void refillCurrentRow();
    void functionChange();
    void expressionChange(const QString& aText);
    QComboBox* m_function = nullptr;
    QLineEdit* m_expression = nullptr;
};

/// GROUP BY fields.
class TdaGroupPage : public TdaFieldPage {
    Q_OBJECT
public:
    TdaGroupPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);
    QString GetCaption() const override;
    QString PictureName() const override { return QStringLiteral("DAGROUP"); }
    void CreateControls() override;
    bool NeedsRefresh() override;
    int GetChildType() override { return report::data::kGroupByField; }
    bool IsSelectedListReadOnly() override { return true; }
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    QObject* RemoveSelected(int aIndex) override;
    void CheckBoxClick() override {}

protected:
    QString LowerLabel() const override;
};

/// The search criteria: conditions on fields, OR, NOT and parentheses.
class TdaSearchPage : public TdaFieldPage {
    Q_OBJECT
public:
    TdaSearchPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);
    QString GetCaption() const override;
    QString PictureName() const override { return QStringLiteral("DASEARCH"); }
    void CreateControls() override;
    bool NeedsRefresh() override;
    int GetChildType() override { return report::data::kCriteria; }
    bool IsSelectedListReadOnly() override { return true; }
    bool IsSelectedListMultiSelect() override { return true; }
    void SetUpSelectedColumns() override;
    void FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    QObject* RemoveSelected(int aIndex) override;
    void ShowEditors(bool aShow) override;
    void SelectedItemChanged() override;
    void SelectedColumnResized(int aColumn) override;
    void CheckBoxClick() override {}

    QMenu* PopupMenu() const { return m_menu; }
    /// Enables the menu's commands for the list that has the focus.
    void UpdateMenu(QWidget* aFocused);
    void InsertCriteriaClick();
    void InsertORClick();
    void InsertNOTClick();
    void RemoveClick();
    void AddParenthesesClick();
    void RemoveParenthesesClick();

protected:
    QString LowerLabel() const override;
    bool EntriesLeave() const override { return false; }
    void ListsRefreshed() override {}

private:
    TdaCriteria* currentCriteria() const;
    QList<int> selectedIndexes() const;
    void writeBack();
    QMenu* m_menu = nullptr;
    QAction *m_insertCriteria = nullptr, *m_insertOR = nullptr, *m_insertNOT = nullptr, *m_remove = nullptr,
            *m_addParentheses = nullptr, *m_removeParentheses = nullptr;
    QComboBox* m_operator = nullptr;
    QLineEdit* m_value = nullptr;
    QCheckBox *m_autoSearch = nullptr, *m_mandatory = nullptr, *m_showAll = nullptr;
};

/// ORDER BY fields, ascending or descending.
class TdaSortPage : public TdaFieldPage {
    Q_OBJECT
public:
    TdaSortPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);
    QString GetCaption() const override;
    QString PictureName() const override { return QStringLiteral("DASORT"); }
    void CreateControls() override;
    bool NeedsRefresh() override;
    int GetChildType() override { return report::data::kOrderByField; }
    bool IsSelectedListReadOnly() override { return true; }
    void SetUpSelectedColumns() override;
    void FillAvailableItem(QTreeWidgetItem* aItem, QObject* aEntry) override;
    void FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) override;
    QObject* GetAvailable(int aIndex) override;
    int GetAvailableCount() override;
    QObject* GetSelected(int aIndex) override;
    int GetSelectedCount() override;
    QObject* AddSelected(int aIndex) override;
    QObject* RemoveSelected(int aIndex) override;
    void ShowEditors(bool aShow) override;
    void SelectedItemChanged() override;
    void SelectedColumnResized(int aColumn) override;
    void CheckBoxClick() override;

    QCheckBox* DescendingBox() const { return m_descending; }

protected:
    QString LowerLabel() const override;
    QString CheckBoxText() const override;
    const char* CheckBoxName() const override { return "chkNaturalOrder"; }
    void ListsRefreshed() override;

private:
    QCheckBox* m_descending = nullptr;
};

/// The description, the pipeline name and the SQL text (typed, once "Edit SQL" was chosen).
class TdaSQLPage : public TdaEditPage {
    Q_OBJECT
public:
    TdaSQLPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl);
    QString GetCaption() const override;
    QString PictureName() const override { return QStringLiteral("DATEXTONLY"); }
    void CreateControls() override;
    void Refresh() override;
    bool NeedsRefresh() override { return true; }
    bool Apply() override;

    /// Asks, then turns the query into typed SQL.
    void EditSQLClick();

    bool AllowEditSQL = true;
    std::function<void()> OnAfterEdit;

    QLineEdit* DescriptionEdit() const { return m_description; }
    QLineEdit* PipelineNameEdit() const { return m_pipelineName; }
    QPlainTextEdit* Memo() const { return m_memo; }
    QAction* EditSQLAction() const { return m_editSQL; }

private:
    QLineEdit* m_description = nullptr;
    QLineEdit* m_pipelineName = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QAction* m_editSQL = nullptr;
};
