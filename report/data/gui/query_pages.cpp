#include "report/data/gui/query_pages.h"

#include "report/data/gui/join_dialogs.h"
#include "report/model/text_layout.h"
#include "report/output/gui/list_view.h"
#include "report/output/wizard.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using report::data::EditorKind;
using report::data::PlaceEditor;

namespace {

QString text(int aNumber) { return ppGetMessageText(aNumber); }

QObject* entryOf(QTreeWidgetItem* aItem) { return aItem ? aItem->data(0, Qt::UserRole).value<QObject*>() : nullptr; }

/// A white check box 17 pixels wide, floating over a cell.
QCheckBox* cellCheckBox(QWidget* aParent, const char* aName) {
    auto* c = ui::Make<QCheckBox>(aParent, aName);
    c->setAutoFillBackground(true);
    QPalette p = c->palette();
    p.setColor(QPalette::Window, Qt::white);
    c->setPalette(p);
    c->hide();
    return c;
}

QString yes(bool aValue) { return aValue ? QStringLiteral("Yes") : QString(); }

void setWidths(QTreeWidget* aList, std::initializer_list<int> aWidths) {
    int i = 0;
    for (int w : aWidths) aList->setColumnWidth(i++, w);
}

}  // namespace

// Tables ------------------------------------------------------------------------------------

TdaTablePage::TdaTablePage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl) : TdaDualListPage(aForm, aPageControl) {
    m_tabSheet->setObjectName(QStringLiteral("tshTables"));
}

QString TdaTablePage::GetCaption() const { return text(836); }
QString TdaTablePage::UpperLabel() const { return text(728); }
QString TdaTablePage::LowerLabel() const { return text(824); }

void TdaTablePage::CreateControls() {
    TdaDualListPage::CreateControls();
    if (!m_available) return;
    m_available->SetOwnerDrawItems(true);
    m_available->OnGetItemEnabled = [](QObject*, QTreeWidgetItem* aItem, bool& Enabled) {
        if (auto* t = qobject_cast<TdaTable*>(entryOf(aItem))) Enabled = t->Joinable();
    };
    m_distinct = ui::Make<QCheckBox>(m_selectedHeader, "chkDistinct");
    m_distinct->setText(text(754));
    const int width = m_distinct->fontMetrics().horizontalAdvance(m_distinct->text()) + 30;
    m_distinct->setGeometry(std::max(m_selectedHeader->width(), m_tabSheet->width() - 8) - width - 10, 1, width, 19);
    connect(m_distinct, &QCheckBox::clicked, this, [this](bool aChecked) {
        if (m_sql) m_sql->SetDistinct(aChecked);
    });
    m_joinButton = ui::Make<QToolButton>(m_selected->viewport(), "btnJoin");
    m_joinButton->setIcon(QIcon(QPixmap::fromImage(ppLoadBitmap(QStringLiteral("DADIALOG")))));
    m_joinButton->setFixedSize(16, 16);
    m_joinButton->hide();
    connect(m_joinButton, &QToolButton::clicked, this, [this] { ui::RunGuarded(m_tabSheet, [&] { JoinButtonClick(); }); });
}

bool TdaTablePage::NeedsRefresh() { return m_sql && !m_sql->AvailableTablesCurrent(); }

void TdaTablePage::SetUpAvailableColumns() {
    m_available->setHeaderLabels({text(833), text(834)});
    setWidths(m_available, {100, 100});
}

void TdaTablePage::SetUpSelectedColumns() {
    m_selected->setHeaderLabels({text(833), text(834), text(830), text(782)});
    setWidths(m_selected, {100, 100, 100, 100});
}

void TdaTablePage::FillAvailableItem(QTreeWidgetItem* aItem, QObject* aEntry) {
    auto* t = qobject_cast<TdaTable*>(aEntry);
    if (!t) return;
    aItem->setText(0, t->TableAlias());
    aItem->setText(1, t->TableName());
}

void TdaTablePage::FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) {
    auto* t = qobject_cast<TdaTable*>(aEntry);
    if (!t) return;
    aItem->setText(0, t->TableAlias());
    aItem->setText(1, t->TableName());
    aItem->setText(2, t->SQLAlias());
    aItem->setText(3, daJoinTypeName(t->JoinType()));
}

QObject* TdaTablePage::GetAvailable(int aIndex) { return m_sql->UnselectedTables().value(aIndex); }
int TdaTablePage::GetAvailableCount() { return int(m_sql->UnselectedTables().size()); }
QObject* TdaTablePage::GetSelected(int aIndex) { return m_sql->SelectedTables(aIndex); }
int TdaTablePage::GetSelectedCount() { return m_sql->SelectedTableCount(); }

QObject* TdaTablePage::AddSelected(int aIndex) {
    TdaTable* table = m_sql->UnselectedTables().value(aIndex);
    if (!table || !table->Joinable()) return nullptr;
    return m_sql->SelectTable(aIndex, m_sql->GetJoinTargetIndex(table));
}

QObject* TdaTablePage::RemoveSelected(int aIndex) { return m_sql->DeselectTable(aIndex); }

void TdaTablePage::ListsRefreshed() {
    if (m_distinct) m_distinct->setChecked(m_sql->Distinct());
    m_available->viewport()->update();
    placeJoinButton();
}

void TdaTablePage::SelectedItemChanged() { placeJoinButton(); }

void TdaTablePage::SelectedScrolled() { placeJoinButton(); }

void TdaTablePage::SelectedColumnResized(int) { placeJoinButton(); }

void TdaTablePage::placeJoinButton() {
    if (!m_joinButton) return;
    const QList<QTreeWidgetItem*> rows = m_selected->selectedItems();
    if (m_activating || !m_sql || !m_sql->IsManualJoinAllowed() || rows.size() != 1 || m_selected->IndexOf(rows.first()) <= 0) {
        m_joinButton->hide();
        return;
    }
    const QRect row = m_selected->visualItemRect(rows.first());
    int right = 0;
    for (int i = 0; i < 4; ++i) right += m_selected->columnWidth(i);
    right -= m_selected->header()->offset();
    m_joinButton->move(right - m_joinButton->width(), row.top() + (row.height() - m_joinButton->height()) / 2);
    m_joinButton->show();
    m_joinButton->raise();
}

void TdaTablePage::JoinButtonClick() {
    auto* table = qobject_cast<TdaTable*>(CurrentSelectedEntry());
    if (!table || m_sql->SelectedTableCount() <= 1 || table->JoinCount() == 0) return;
    TdaField* foreign = table->Joins(0)->ForeignField();
    if (!foreign) return;
    if (m_sql->EditTableJoin(foreign->TableSQLAlias(), table->SQLAlias())) {
        for (QTreeWidgetItem* item : m_selected->Items())
            if (entryOf(item) == table) FillSelectedItem(item, table);
    }
}

// Fields ------------------------------------------------------------------------------------
// (TdaFieldPage is in query_designer.cpp.)

// Calcs -------------------------------------------------------------------------------------

TdaCalcPage::TdaCalcPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl) : TdaFieldPage(aForm, aPageControl) {
    m_tabSheet->setObjectName(QStringLiteral("tshCalcs"));
}

QString TdaCalcPage::GetCaption() const { return text(735); }
QString TdaCalcPage::LowerLabel() const { return text(737); }

void TdaCalcPage::CreateControls() {
    TdaFieldPage::CreateControls();
    if (!m_checkBox) return;
    m_checkBox->hide();
    m_function = ui::Make<QComboBox>(m_selected->viewport(), "cbxFunction");
    report::data::FillCalcTypes(m_function);
    m_function->hide();
    m_expression = ui::Make<QLineEdit>(m_selected->viewport(), "edtExpression");
    m_expression->hide();
    connect(m_function, &QComboBox::activated, this, [this] { ui::RunGuarded(m_tabSheet, [&] { functionChange(); }); });
    connect(m_expression, &QLineEdit::textEdited, this,
            [this](const QString& aText) { ui::RunGuarded(m_tabSheet, [&] { expressionChange(aText); }); });
}

bool TdaCalcPage::NeedsRefresh() { return m_sql && !m_sql->AvailableFieldsCurrent(); }

void TdaCalcPage::SetUpSelectedColumns() {
    m_selected->setHeaderLabels({text(761), text(762), text(835), text(766), text(759)});
    setWidths(m_selected, {100, 100, 100, 100, 100});
}

void TdaCalcPage::FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) {
    auto* c = qobject_cast<TdaCalculation*>(aEntry);
    if (!c) return;
    aItem->setText(0, c->Alias());
    aItem->setText(1, c->GetSQLName());
    aItem->setText(2, c->TableSQLAlias());
    aItem->setText(3, daCalcTypeName(c->CalcType()));
    aItem->setText(4, c->Expression());
}

QObject* TdaCalcPage::GetAvailable(int aIndex) { return m_sql->AvailableFields().value(aIndex); }
int TdaCalcPage::GetAvailableCount() { return int(m_sql->AvailableFields().size()); }
QObject* TdaCalcPage::GetSelected(int aIndex) { return m_sql->CalcFields(aIndex); }
int TdaCalcPage::GetSelectedCount() { return m_sql->CalcFieldCount(); }
QObject* TdaCalcPage::AddSelected(int aIndex) { return m_sql->AddCalcField(aIndex); }

QObject* TdaCalcPage::RemoveSelected(int aIndex) {
    ShowEditors(false);
    return m_sql->RemoveCalcField(aIndex);
}

TdaCalculation* TdaCalcPage::currentCalc() const { return qobject_cast<TdaCalculation*>(CurrentSelectedEntry()); }

void TdaCalcPage::ShowEditors(bool aShow) {
    if (!m_function) return;
    TdaCalculation* calc = aShow ? currentCalc() : nullptr;
    if (!calc) {
        m_function->hide();
        m_expression->hide();
        return;
    }
    QTreeWidgetItem* row = m_selected->selectedItems().value(0);
    m_function->setCurrentIndex(int(calc->CalcType()));
    PlaceEditor(m_function, m_selected, row, 3, EditorKind::ComboBox);
    if (calc->CalcType() == TdaCalcType::dacaExpression) {
        if (m_expression->text() != calc->Expression() || !m_expression->isVisible()) m_expression->setText(calc->Expression());
        PlaceEditor(m_expression, m_selected, row, 4, EditorKind::Edit);
    } else {
        m_expression->hide();
    }
}

void TdaCalcPage::SelectedItemChanged() { ShowEditors(currentCalc() != nullptr); }

void TdaCalcPage::SelectedColumnResized(int) { ShowEditors(currentCalc() != nullptr); }

void TdaCalcPage::SelectedResize() {
    if (!m_selected || m_selected->columnCount() < 5) return;
    int others = 0;
    for (int i = 0; i < 4; ++i) others += m_selected->columnWidth(i);
    const int width = m_selected->viewport()->width();
    const QSignalBlocker block(m_selected->header());
    m_selected->setColumnWidth(4, others + 100 < width ? width - others - 4 : 100);
    ShowEditors(currentCalc() != nullptr);
}

void TdaCalcPage::refillCurrentRow() {
    TdaCalculation* calc = currentCalc();
    QTreeWidgetItem* row = m_selected->selectedItems().value(0);
    if (!calc || !row) return;
    const bool moving = m_moving;
    m_moving = true;
    FillSelectedItem(row, calc);
    m_moving = moving;
}

void TdaCalcPage::functionChange() {
    TdaCalculation* calc = currentCalc();
    if (!calc || m_function->currentIndex() < 0) return;
    calc->SetCalcType(TdaCalcType(m_function->currentIndex()));
    calc->SetAlias(calc->DefaultAlias());
    m_sql->MakeFieldAliasUnique(calc, true);
    m_sql->DoChange();
    refillCurrentRow();
    ShowEditors(true);
}

void TdaCalcPage::expressionChange(const QString& aText) {
    TdaCalculation* calc = currentCalc();
    if (!calc) return;
    const bool followed = calc->Alias() == calc->Expression();
    calc->SetExpression(aText);
    if (followed) {
        calc->SetAlias(calc->DefaultAlias());
        m_sql->MakeFieldAliasUnique(calc, true);
    }
    m_sql->DoChange();
    refillCurrentRow();
}

// Group -------------------------------------------------------------------------------------

TdaGroupPage::TdaGroupPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl) : TdaFieldPage(aForm, aPageControl) {
    m_tabSheet->setObjectName(QStringLiteral("tshGroup"));
}

QString TdaGroupPage::GetCaption() const { return text(767); }
QString TdaGroupPage::LowerLabel() const { return text(769); }

void TdaGroupPage::CreateControls() {
    TdaFieldPage::CreateControls();
    if (m_checkBox) m_checkBox->hide();
}

bool TdaGroupPage::NeedsRefresh() { return m_sql && !m_sql->GroupByListCurrent(); }
QObject* TdaGroupPage::GetAvailable(int aIndex) { return m_sql->AvailableGroupByFields().value(aIndex); }
int TdaGroupPage::GetAvailableCount() { return int(m_sql->AvailableGroupByFields().size()); }
QObject* TdaGroupPage::GetSelected(int aIndex) { return m_sql->GroupByFields(aIndex); }
int TdaGroupPage::GetSelectedCount() { return m_sql->GroupByFieldCount(); }
QObject* TdaGroupPage::AddSelected(int aIndex) { return m_sql->AddGroupByField(aIndex); }
QObject* TdaGroupPage::RemoveSelected(int aIndex) { return m_sql->RemoveGroupByField(aIndex); }

// Search ------------------------------------------------------------------------------------

TdaSearchPage::TdaSearchPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl) : TdaFieldPage(aForm, aPageControl) {
    m_tabSheet->setObjectName(QStringLiteral("tshSearch"));
}

QString TdaSearchPage::GetCaption() const { return text(818); }
QString TdaSearchPage::LowerLabel() const { return text(741); }

void TdaSearchPage::CreateControls() {
    TdaFieldPage::CreateControls();
    if (!m_checkBox) return;
    m_checkBox->hide();
    m_menu = new QMenu(m_tabSheet);
    m_menu->setObjectName(QStringLiteral("mnuSearch"));
    auto add = [this](const char* aName, int aText, void (TdaSearchPage::*aSlot)()) {
        QAction* a = m_menu->addAction(text(aText));
        a->setObjectName(QString::fromLatin1(aName));
        connect(a, &QAction::triggered, this, [this, aSlot] { ui::RunGuarded(m_tabSheet, [&] { (this->*aSlot)(); }); });
        return a;
    };
    m_insertCriteria = add("mniInsertCriteria", 774, &TdaSearchPage::InsertCriteriaClick);
    m_insertOR = add("mniInsertOR", 776, &TdaSearchPage::InsertORClick);
    m_insertNOT = add("mniInsertNOT", 775, &TdaSearchPage::InsertNOTClick);
    m_menu->addSeparator();
    m_remove = add("mniRemove", 813, &TdaSearchPage::RemoveClick);
    m_menu->addSeparator();
    m_addParentheses = add("mniAddParentheses", 716, &TdaSearchPage::AddParenthesesClick);
    m_removeParentheses = add("mniRemoveParentheses", 814, &TdaSearchPage::RemoveParenthesesClick);
    for (TppListView* list : {m_available, m_selected}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& aPos) {
            list->setFocus();
            UpdateMenu(list);
            m_menu->popup(list->viewport()->mapToGlobal(aPos));
        });
    }

    QWidget* viewport = m_selected->viewport();
    m_operator = ui::Make<QComboBox>(viewport, "cbxOperator");
    report::data::FillCriteriaOperators(m_operator);
    m_operator->hide();
    m_value = ui::Make<QLineEdit>(viewport, "edtValue");
    m_value->hide();
    m_autoSearch = cellCheckBox(viewport, "chkAutoSearch");
    m_mandatory = cellCheckBox(viewport, "chkMandatory");
    m_showAll = cellCheckBox(viewport, "chkShowAll");
    connect(m_operator, &QComboBox::activated, this, [this] { writeBack(); });
    connect(m_value, &QLineEdit::textEdited, this, [this] { writeBack(); });
    for (QCheckBox* c : {m_autoSearch, m_mandatory, m_showAll}) connect(c, &QCheckBox::clicked, this, [this] { writeBack(); });
}

bool TdaSearchPage::NeedsRefresh() { return m_sql && !m_sql->CriteriaListCurrent(); }

void TdaSearchPage::SetUpSelectedColumns() {
    m_selected->setHeaderLabels({text(760), text(802), text(837), text(841), text(842), QStringLiteral("Show All")});
    setWidths(m_selected, {100, 100, 100, 75, 75, 75});
}

void TdaSearchPage::FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) {
    auto* c = qobject_cast<TdaCriteria*>(aEntry);
    if (!c) return;
    for (int i = 0; i < 6; ++i) aItem->setText(i, QString());
    if (c->CriteriaType() != TdaCriteriaType::dacrField) {
        aItem->setText(0, c->GetDescription());
        return;
    }
    TdaField* f = c->Field();
    aItem->setText(0, f ? f->GetDescription() : QString());
    aItem->setText(1, daCriteriaOperatorName(c->Operator()));
    aItem->setText(2, c->Value());
    aItem->setText(3, yes(f && f->AutoSearch()));
    aItem->setText(4, yes(f && f->Mandatory()));
    aItem->setText(5, yes(c->ShowAllValues()));
}

QObject* TdaSearchPage::GetAvailable(int aIndex) { return m_sql->AvailableCriteriaFields().value(aIndex); }
int TdaSearchPage::GetAvailableCount() { return int(m_sql->AvailableCriteriaFields().size()); }
QObject* TdaSearchPage::GetSelected(int aIndex) { return m_sql->Criteria(aIndex); }
int TdaSearchPage::GetSelectedCount() { return m_sql->CriteriaCount(); }
QObject* TdaSearchPage::AddSelected(int aIndex) { return m_sql->AddCriteria(aIndex); }

QObject* TdaSearchPage::RemoveSelected(int aIndex) {
    m_sql->RemoveCriteria(aIndex);
    return nullptr;
}

TdaCriteria* TdaSearchPage::currentCriteria() const {
    auto* c = qobject_cast<TdaCriteria*>(CurrentSelectedEntry());
    return c && c->CriteriaType() == TdaCriteriaType::dacrField ? c : nullptr;
}

QList<int> TdaSearchPage::selectedIndexes() const {
    QList<int> out;
    for (int i = 0; i < m_selected->ItemCount(); ++i)
        if (m_selected->Item(i)->isSelected()) out << i;
    return out;
}

void TdaSearchPage::ShowEditors(bool aShow) {
    if (!m_operator) return;
    TdaCriteria* c = aShow ? currentCriteria() : nullptr;
    if (!c) {
        for (QWidget* w : std::initializer_list<QWidget*>{m_operator, m_value, m_autoSearch, m_mandatory, m_showAll})
            w->hide();
        return;
    }
    QTreeWidgetItem* row = m_selected->selectedItems().value(0);
    m_operator->setCurrentIndex(int(c->Operator()));
    if (m_value->text() != c->Value()) m_value->setText(c->Value());
    m_autoSearch->setChecked(c->Field() && c->Field()->AutoSearch());
    m_mandatory->setChecked(c->Field() && c->Field()->Mandatory());
    m_showAll->setChecked(c->ShowAllValues());
    PlaceEditor(m_operator, m_selected, row, 1, EditorKind::ComboBox);
    PlaceEditor(m_value, m_selected, row, 2, EditorKind::Edit);
    PlaceEditor(m_autoSearch, m_selected, row, 3, EditorKind::CheckBox);
    PlaceEditor(m_mandatory, m_selected, row, 4, EditorKind::CheckBox);
    PlaceEditor(m_showAll, m_selected, row, 5, EditorKind::CheckBox);
}

void TdaSearchPage::SelectedItemChanged() { ShowEditors(true); }

void TdaSearchPage::SelectedColumnResized(int) { ShowEditors(true); }

void TdaSearchPage::writeBack() {
    TdaCriteria* c = currentCriteria();
    if (!c) return;
    if (m_operator->currentIndex() >= 0) c->SetOperator(TdaCriteriaOperatorType(m_operator->currentIndex()));
    c->SetValue(m_value->text());
    if (c->Field()) {
        c->Field()->SetAutoSearch(m_autoSearch->isChecked());
        c->Field()->SetMandatory(m_mandatory->isChecked());
    }
    c->SetShowAllValues(m_showAll->isChecked());
    m_sql->DoChange();
    if (QTreeWidgetItem* row = m_selected->selectedItems().value(0)) {
        const bool moving = m_moving;
        m_moving = true;
        FillSelectedItem(row, c);
        m_moving = moving;
    }
}

void TdaSearchPage::UpdateMenu(QWidget* aFocused) {
    for (QAction* a : {m_insertCriteria, m_insertOR, m_insertNOT, m_remove, m_addParentheses, m_removeParentheses})
        a->setEnabled(false);
    if (aFocused == m_available && m_available->currentItem()) m_insertCriteria->setEnabled(true);
    if (aFocused == m_selected && m_selected->currentItem()) {
        m_insertCriteria->setEnabled(m_available->currentItem() != nullptr);
        for (QAction* a : {m_insertOR, m_insertNOT, m_remove, m_addParentheses, m_removeParentheses}) a->setEnabled(true);
    }
}

void TdaSearchPage::InsertCriteriaClick() {
    QObject* field = entryOf(m_available->currentItem());
    const int index = int(m_sql->AvailableCriteriaFields().indexOf(qobject_cast<TdaField*>(field)));
    if (index < 0) return;
    const int position = m_selected->currentItem() ? m_selected->IndexOf(m_selected->currentItem()) : 0;
    TdaCriteria* c = m_sql->AddCriteria(index);
    if (!c) return;
    m_sql->MoveChild(c, m_sql->CriteriaCount() - 1, std::max(0, position));
    m_sql->UpdateCriteriaLevels();
    Refresh();
}

void TdaSearchPage::InsertORClick() {
    const QList<int> rows = selectedIndexes();
    m_sql->InsertCriteria(rows.isEmpty() ? 0 : rows.first(), TdaCriteriaType::dacrOR);
    Refresh();
}

void TdaSearchPage::InsertNOTClick() {
    const QList<int> rows = selectedIndexes();
    m_sql->InsertCriteria(rows.isEmpty() ? 0 : rows.first(), TdaCriteriaType::dacrNOT);
    Refresh();
}

void TdaSearchPage::RemoveClick() {
    const QList<int> rows = selectedIndexes();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) m_sql->RemoveCriteria(*it);
    Refresh();
}

void TdaSearchPage::AddParenthesesClick() {
    if (m_sql->AddParentheses(selectedIndexes())) Refresh();
}

void TdaSearchPage::RemoveParenthesesClick() {
    if (m_sql->RemoveParentheses(selectedIndexes())) Refresh();
}

// Sort --------------------------------------------------------------------------------------

TdaSortPage::TdaSortPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl) : TdaFieldPage(aForm, aPageControl) {
    m_tabSheet->setObjectName(QStringLiteral("tshSort"));
}

QString TdaSortPage::GetCaption() const { return text(827); }
QString TdaSortPage::LowerLabel() const { return text(828); }
QString TdaSortPage::CheckBoxText() const { return text(790); }

void TdaSortPage::CreateControls() {
    TdaFieldPage::CreateControls();
    if (!m_checkBox) return;
    m_checkBox->raise();
    m_descending = cellCheckBox(m_selected->viewport(), "chkDescending");
    connect(m_descending, &QCheckBox::clicked, this, [this](bool aChecked) {
        auto* f = qobject_cast<TdaField*>(CurrentSelectedEntry());
        if (!f) return;
        f->SetAscending(!aChecked);
        m_sql->DoChange();
        if (QTreeWidgetItem* row = m_selected->selectedItems().value(0)) FillSelectedItem(row, f);
    });
}

bool TdaSortPage::NeedsRefresh() { return m_sql && !m_sql->OrderByListCurrent(); }

void TdaSortPage::SetUpSelectedColumns() {
    m_selected->setHeaderLabels({text(761), text(762), text(835), text(751) + QLatin1Char(' ') + text(710)});
    setWidths(m_selected, {100, 100, 100, 100});
}

void TdaSortPage::FillAvailableItem(QTreeWidgetItem* aItem, QObject* aEntry) {
    auto* f = qobject_cast<TdaField*>(aEntry);
    if (!f) return;
    aItem->setText(0, f->Alias());
    aItem->setText(1, m_sql->QuoteIdentifier(f->FieldName()));
    aItem->setText(2, f->TableSQLAlias());
}

void TdaSortPage::FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) {
    auto* f = qobject_cast<TdaField*>(aEntry);
    if (!f) return;
    aItem->setText(0, f->Alias());
    aItem->setText(1, f->FieldName());
    aItem->setText(2, f->TableSQLAlias());
    aItem->setText(3, f->Ascending() ? QString() : text(752));
}

QObject* TdaSortPage::GetAvailable(int aIndex) { return m_sql->AvailableOrderByFields().value(aIndex); }
int TdaSortPage::GetAvailableCount() { return int(m_sql->AvailableOrderByFields().size()); }
QObject* TdaSortPage::GetSelected(int aIndex) { return m_sql->OrderByFields(aIndex); }
int TdaSortPage::GetSelectedCount() { return m_sql->OrderByFieldCount(); }
QObject* TdaSortPage::AddSelected(int aIndex) { return m_sql->AddOrderByField(aIndex); }
QObject* TdaSortPage::RemoveSelected(int aIndex) { return m_sql->RemoveOrderByField(aIndex); }

void TdaSortPage::ListsRefreshed() {
    if (!m_checkBox) return;
    const bool none = GetSelectedCount() == 0;
    m_checkBox->setChecked(none);
    m_checkBox->setEnabled(!none);
}

void TdaSortPage::CheckBoxClick() {
    if (m_moving || !m_checkBox) return;
    if (m_checkBox->isChecked()) DeselectAll();
    else ListsRefreshed();
}

void TdaSortPage::ShowEditors(bool aShow) {
    if (!m_descending) return;
    auto* f = aShow ? qobject_cast<TdaField*>(CurrentSelectedEntry()) : nullptr;
    if (!f) {
        m_descending->hide();
        return;
    }
    m_descending->setChecked(!f->Ascending());
    PlaceEditor(m_descending, m_selected, m_selected->selectedItems().value(0), 3, EditorKind::CheckBox);
}

void TdaSortPage::SelectedItemChanged() { ShowEditors(true); }

void TdaSortPage::SelectedColumnResized(int) { ShowEditors(true); }

// SQL ---------------------------------------------------------------------------------------

TdaSQLPage::TdaSQLPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl) : TdaEditPage(aForm, aPageControl) {
    m_tabSheet->setObjectName(QStringLiteral("tshSQL"));
}

QString TdaSQLPage::GetCaption() const { return text(829); }

void TdaSQLPage::CreateControls() {
    if (!m_form || !m_sql) return;
    auto* layout = new QVBoxLayout(m_tabSheet);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    auto* top = ui::Make<QFrame>(m_tabSheet.data(), "pnlTop");
    top->setFrameShape(QFrame::Panel);
    top->setFrameShadow(QFrame::Sunken);
    top->setFixedHeight(51);
    auto* picture = ui::Make<QLabel>(top, "imgPicture");
    picture->setPixmap(QPixmap::fromImage(
        ppLoadBitmap(PictureName()).scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    picture->setGeometry(6, 3, 16, 16);
    auto* lblDescription = ui::Make<QLabel>(top, "lblDescription");
    lblDescription->setText(text(753));
    lblDescription->move(28, 4);
    lblDescription->adjustSize();
    m_description = ui::Make<QLineEdit>(top, "edtDescription");
    m_description->setGeometry(28, 23, 220, 22);
    auto* lblPipeline = ui::Make<QLabel>(top, "lblDataPipelineName");
    lblPipeline->setText(text(746));
    lblPipeline->move(256, 4);
    lblPipeline->adjustSize();
    m_pipelineName = ui::Make<QLineEdit>(top, "edtDataPipelineName");
    m_pipelineName->setGeometry(256, 23, 220, 22);
    layout->addWidget(top);
    m_memo = ui::Make<QPlainTextEdit>(m_tabSheet.data(), "memSQL");
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    m_memo->setFont(mono);
    layout->addWidget(m_memo, 1);

    connect(m_description, &QLineEdit::textEdited, this, [this](const QString& aText) {
        if (!m_sql) return;
        m_sql->SetDescription(aText);
        m_sql->SetModified(true);
    });
    connect(m_description, &QLineEdit::editingFinished, this, [this] {
        if (!m_sql) return;
        const QString name = QStringLiteral("pl") + ppTextToIdentifier(m_description->text());
        m_pipelineName->setText(name);
        if (m_sql->DataPipelineName() != name) {
            m_sql->SetDataPipelineName(name);
            m_sql->SetModified(true);
        }
    });
    connect(m_pipelineName, &QLineEdit::textEdited, this, [this](const QString& aText) {
        if (!m_sql) return;
        m_sql->SetDataPipelineName(aText);
        m_sql->SetModified(true);
    });
    connect(m_pageControl, &QTabWidget::currentChanged, this, [this](int aIndex) {
        if (m_pageControl->widget(aIndex) == m_tabSheet && m_description) m_description->setFocus();
    });
}

void TdaSQLPage::Refresh() {
    if (!m_memo || !m_sql) return;
    m_memo->setPlainText(m_sql->SQLText().join(QLatin1Char('\n')));
    m_description->setText(m_sql->Description());
    m_pipelineName->setText(m_sql->DataPipelineName());
    const bool typed = m_sql->EditSQLAsText();
    m_memo->setReadOnly(!typed);
    QPalette p = m_memo->palette();
    p.setColor(QPalette::Base, typed ? m_tabSheet->palette().color(QPalette::Base)
                                     : m_tabSheet->palette().color(QPalette::Button));
    m_memo->setPalette(p);
    if (!typed && AllowEditSQL) {
        if (!m_editSQL) {
            m_editSQL = new QAction(text(757), m_memo);
            m_editSQL->setObjectName(QStringLiteral("mniEditSQL"));
            connect(m_editSQL, &QAction::triggered, this, [this] { ui::RunGuarded(m_tabSheet, [&] { EditSQLClick(); }); });
            m_memo->setContextMenuPolicy(Qt::ActionsContextMenu);
            m_memo->addAction(m_editSQL);
        }
    }
    m_description->setFocus();
}

void TdaSQLPage::EditSQLClick() {
    if (!m_sql || m_sql->EditSQLAsText()) return;
    if (ui::Message(text(725) + QStringLiteral("\n\n") + text(801), ui::MessageKind::Confirmation,
                    ui::Button::Yes | ui::Button::No) != ui::Button::Yes)
        return;
    if (m_editSQL) {
        m_memo->removeAction(m_editSQL);
        delete m_editSQL;
        m_editSQL = nullptr;
        m_memo->setContextMenuPolicy(Qt::DefaultContextMenu);
    }
    m_sql->SetEditSQLAsText(true);
    m_sql->SetModified(true);
    m_memo->setReadOnly(false);
    QPalette p = m_memo->palette();
    p.setColor(QPalette::Base, m_tabSheet->palette().color(QPalette::Base));
    m_memo->setPalette(p);
    if (OnAfterEdit) OnAfterEdit();
}

bool TdaSQLPage::Apply() {
    if (m_sql && m_sql->EditSQLAsText() && m_memo) {
        const QString typed = m_memo->toPlainText();
        if (typed != m_sql->SQLText().join(QLatin1Char('\n'))) m_sql->SetSQLText(typed.split(QLatin1Char('\n')));
    }
    return true;
}
