#pragma once

// The small dialogs used while building a query: the Join Table dialog (how one selected
// table joins another), the Search Criteria dialog (one criterion) and the Calculated Fields
// dialog (one calculation).

#include "report/data/sql.h"
#include "report/output/dialog_registry.h"
#include "report/output/gui/form.h"

#include <QPointer>

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidgetItem;
class TppListView;

/// Edits the joins of one selected table (the working table) to another selected table.
/// When the table already had joins, a copy is edited and assigned back on OK.
class TdaJoinTableDialog : public TppForm, public TdaCustomJoinTableDialog {
    Q_OBJECT
public:
    explicit TdaJoinTableDialog(QObject* aOwner = nullptr);
    ~TdaJoinTableDialog() override;

    void LoadTexts();
    void Init() override;

    TdaSQL* Model() const { return qobject_cast<TdaSQL*>(SQL.data()); }
    /// The table whose joins are edited (the copy while one is edited).
    TdaTable* WorkingTable() const { return m_working; }
    TdaTable* JoinToTable() const { return qobject_cast<TdaTable*>(JoinTable.data()); }
    TppListView* JoinsList() const { return m_joins; }

    void done(int r) override;

private:
    TdaTable* editedTable() const { return qobject_cast<TdaTable*>(Table.data()); }
    void addRow(TdaTableJoin* aJoin);
    void fillRow(QTreeWidgetItem* aItem, TdaTableJoin* aJoin);
    void fillFieldList(QListWidget* aList, TdaTable* aTable, std::vector<std::unique_ptr<TdaField>>& aFields);
    void updateAddButton();
    void selectionChanged();
    void placeOperatorBox();
    void addClick();
    void removeClick();
    void operatorChange();
    void tableChange();
    void joinTypeChange();
    void freeRows();
    void setJoinToTexts();
    bool okClick();

    QLabel *m_lblJoinType, *m_lblJoinTable, *m_lblLocalTable, *m_lblForeignTable, *m_lblJoinedFields;
    QComboBox *m_cbxJoinTypes, *m_cbxTables, *m_cbxOperators;
    QListWidget *m_lbxFields, *m_lbxJoinFields;
    QPushButton *m_btnAdd, *m_btnRemove, *m_btnOK, *m_btnCancel;
    TppListView* m_joins;

    QPointer<TdaTable> m_working;
    std::unique_ptr<TdaTable> m_copy;               ///< the working copy, when one was made
    std::vector<TdaTableJoin*> m_rows;               ///< the listed joins (owned until OK)
    std::vector<std::unique_ptr<TdaField>> m_localFields, m_foreignFields;
    TdaJoinType m_oldJoinType = TdaJoinType::dajtInner;
    bool m_filling = false;
};

/// One criterion: a field, an operator and a value.
class TdaCriteriaDialog : public TppForm {
    Q_OBJECT
public:
    explicit TdaCriteriaDialog(QObject* aOwner = nullptr);
    QComboBox* cbxAvailableFields;  ///< field descriptions with the fields (QObject*) as data
    QComboBox* cbxOperators;        ///< the operator names (item index = TdaCriteriaOperatorType)
    QLineEdit* edtValue;
    /// The chosen field; null when none.
    TdaField* SelectedField() const;

private:
    QLabel *m_lblField, *m_lblOperator, *m_lblValue;
    QPushButton *m_btnOK, *m_btnCancel;
};

/// One calculated field: a function and, but for Count, a numeric field.
class TdaFunctionDialog : public TppForm {
    Q_OBJECT
public:
    explicit TdaFunctionDialog(QObject* aOwner = nullptr);
    QComboBox* cbxFunctions;        ///< the function names (item index = TdaCalcType)
    QComboBox* cbxAvailableFields;  ///< field descriptions with the fields (QObject*) as data
    TdaField* SelectedField() const;
    /// The field box and its label are usable unless the function is Count.
    void UpdateFieldBox();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel *m_lblFunction, *m_lblField;
    QPushButton *m_btnOK, *m_btnCancel;
};

namespace report::data {
/// Fills a combo box with the six function names or the fourteen criteria operator names.
void FillCalcTypes(QComboBox* aBox);
void FillCriteriaOperators(QComboBox* aBox);
/// The object kept with a combo box item or list row (a field, a table, a join).
template <class T>
T* ItemObject(const QVariant& aData) {
    return qobject_cast<T*>(aData.value<QObject*>());
}
}  // namespace report::data

namespace report::data {
/// How a cell editor sits over its cell.
enum class EditorKind { ComboBox, Edit, CheckBox };
/// Places an editor (a child of the list's viewport) over the cell of a row and column:
/// combo boxes are moved right by 2 and narrowed by 2, edits by 3 and 3, check boxes moved
/// right by 4 and narrowed by 7; hidden when no row is given or 11 pixels or less show.
void PlaceEditor(QWidget* aEditor, TppListView* aList, QTreeWidgetItem* aItem, int aColumn, EditorKind aKind);
}  // namespace report::data
