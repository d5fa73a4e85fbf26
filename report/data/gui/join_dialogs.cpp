#include "report/data/gui/join_dialogs.h"

#include "report/data/gui/data_gui_texts.h"
#include "report/output/gui/list_view.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace {

QString text(int aNumber) { return ppGetMessageText(aNumber); }

QLabel* label(QWidget* aParent, const char* aName, int aLeft, int aTop) {
    auto* l = ui::Make<QLabel>(aParent, aName);
    l->move(aLeft, aTop);
    return l;
}

QComboBox* dropDown(QWidget* aParent, const char* aName, int aLeft, int aTop, int aWidth) {
    auto* c = ui::Make<QComboBox>(aParent, aName);
    c->setGeometry(aLeft, aTop, aWidth, c->sizeHint().height());
    return c;
}

QPushButton* button(QWidget* aParent, const char* aName, int aLeft, int aTop) {
    auto* b = ui::Make<QPushButton>(aParent, aName);
    b->setGeometry(aLeft, aTop, 75, 25);
    return b;
}

/// "<alias> <word>", or the bare word without a table.
QString tableWord(TdaTable* aTable, int aWord) {
    return aTable ? aTable->TableAlias() + QLatin1Char(' ') + text(aWord) : text(aWord);
}

}  // namespace

namespace report::data {

void FillCalcTypes(QComboBox* aBox) {
    aBox->clear();
    for (int i = int(TdaCalcType::dacaAvg); i <= int(TdaCalcType::dacaExpression); ++i)
        aBox->addItem(daCalcTypeName(TdaCalcType(i)));
}

void FillCriteriaOperators(QComboBox* aBox) {
    aBox->clear();
    for (int i = int(TdaCriteriaOperatorType::dacoEqual); i <= int(TdaCriteriaOperatorType::dacoNotBlank); ++i)
        aBox->addItem(daCriteriaOperatorName(TdaCriteriaOperatorType(i)));
}

void PlaceEditor(QWidget* aEditor, TppListView* aList, QTreeWidgetItem* aItem, int aColumn, EditorKind aKind) {
    const QRect row = aItem ? aList->visualItemRect(aItem) : QRect();
    if (!aItem || !row.isValid()) {
        aEditor->hide();
        return;
    }
    int left = aList->header()->sectionViewportPosition(aColumn);
    int width = aList->header()->sectionSize(aColumn);
    const int right = aList->viewport()->width();
    if (left + width > right) width = right - left;
    int top = row.top();
    int height = row.height();
    switch (aKind) {
    case EditorKind::ComboBox: left += 2; width -= 2; height = std::max(height, aEditor->sizeHint().height()); break;
    case EditorKind::Edit: left += 3; width -= 3; break;
    case EditorKind::CheckBox: left += 4; width = 17; break;
    }
    if (width <= 11 - (aKind == EditorKind::CheckBox ? 7 : 0) || left >= right) {
        aEditor->hide();
        return;
    }
    if (aEditor->parentWidget() != aList->viewport()) aEditor->setParent(aList->viewport());
    aEditor->setGeometry(left, top, width, height);
    aEditor->show();
    aEditor->raise();
}

}  // namespace report::data

using report::data::ItemObject;

// Join Table dialog --------------------------------------------------------------------------

TdaJoinTableDialog::TdaJoinTableDialog(QObject* aOwner) : TppForm(aOwner) {
    report::data::DeclareQueryDesignerTexts();
    setObjectName(QStringLiteral("daJoinTableDialog"));
    setFixedSize(493, 362);
    m_lblJoinType = label(this, "lblJoinType", 4, 8);
    m_cbxJoinTypes = dropDown(this, "cbxJoinTypes", 4, 24, 200);
    m_lblJoinTable = label(this, "lblJoinTable", 287, 6);
    m_cbxTables = dropDown(this, "cbxTables", 287, 24, 200);
    m_lblLocalTable = label(this, "lblLocalTable", 4, 53);
    m_lbxFields = ui::Make<QListWidget>(this, "lbxFields");
    m_lbxFields->setGeometry(4, 69, 200, 119);
    m_lblForeignTable = label(this, "lblForeignTable", 287, 53);
    m_lbxJoinFields = ui::Make<QListWidget>(this, "lbxJoinFields");
    m_lbxJoinFields->setGeometry(287, 69, 200, 119);
    m_btnAdd = button(this, "btnAdd", 208, 102);
    m_btnRemove = button(this, "btnRemove", 208, 134);
    m_btnAdd->setEnabled(false);
    m_btnRemove->setEnabled(false);
    m_lblJoinedFields = label(this, "lblJoinedFields", 4, 196);
    m_joins = ui::Make<TppListView>(this, "lvwJoins");
    m_joins->setGeometry(4, 212, 483, 112);
    m_joins->setColumnCount(3);
    m_joins->setColumnWidth(0, 200);
    m_joins->setColumnWidth(1, 83);
    m_joins->setColumnWidth(2, 196);
    m_joins->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_joins->header()->setSectionsClickable(false);
    m_joins->setIconSize(QSize(1, 16));
    m_cbxOperators = ui::Make<QComboBox>(m_joins->viewport(), "cbxOperators");
    m_cbxOperators->hide();
    m_btnOK = button(this, "btnOK", 322, 334);
    m_btnOK->setDefault(true);
    m_btnCancel = button(this, "btnCancel", 409, 334);

    connect(m_lbxFields, &QListWidget::itemSelectionChanged, this, [this] { updateAddButton(); });
    connect(m_lbxJoinFields, &QListWidget::itemSelectionChanged, this, [this] { updateAddButton(); });
    connect(m_btnAdd, &QPushButton::clicked, this, [this] { addClick(); });
    connect(m_btnRemove, &QPushButton::clicked, this, [this] { removeClick(); });
    connect(m_joins, &QTreeWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
    connect(m_joins, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* aItem) {
        if (aItem && aItem->isSelected()) removeClick();
    });
    connect(m_joins, &TppListView::ColumnResized, this, [this] { placeOperatorBox(); });
    connect(m_joins, &TppListView::Scrolled, this, [this] { m_cbxOperators->hide(); });
    connect(m_cbxOperators, &QComboBox::activated, this, [this] { operatorChange(); });
    connect(m_cbxTables, &QComboBox::activated, this, [this] { tableChange(); });
    connect(m_cbxJoinTypes, &QComboBox::activated, this, [this] { joinTypeChange(); });
    connect(m_btnOK, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
}

TdaJoinTableDialog::~TdaJoinTableDialog() {
    freeRows();
}

void TdaJoinTableDialog::freeRows() {
    for (TdaTableJoin* j : m_rows) delete j;
    m_rows.clear();
    m_cbxOperators->hide();
    m_joins->clear();
}

void TdaJoinTableDialog::LoadTexts() {
    setWindowTitle(text(781));
    m_btnAdd->setText(text(713));
    m_btnRemove->setText(text(813));
    m_btnOK->setText(text(17));
    m_btnCancel->setText(text(5));
    const QString alias = m_working ? m_working->TableAlias() : QString();
    m_lblLocalTable->setText(alias + QLatin1Char(' ') + text(763));
    m_lblJoinTable->setText(report::MessageText(779, {alias}));
    m_lblJoinType->setText(text(782));
    m_lblJoinedFields->setText(text(783));
    m_joins->setHeaderLabels({alias + QLatin1Char(' ') + text(760), text(802), QString()});
    setJoinToTexts();
    m_cbxJoinTypes->clear();
    for (int i = int(TdaJoinType::dajtInner); i <= int(TdaJoinType::dajtRightOuter); ++i)
        m_cbxJoinTypes->addItem(daJoinTypeName(TdaJoinType(i)));
    m_cbxOperators->clear();
    for (int i = int(TdaJoinOperatorType::dajoEqual); i <= int(TdaJoinOperatorType::dajoLessThanOrEqualTo); ++i)
        m_cbxOperators->addItem(daJoinOperatorName(TdaJoinOperatorType(i)));
    for (QLabel* l : {m_lblJoinType, m_lblJoinTable, m_lblLocalTable, m_lblForeignTable, m_lblJoinedFields})
        l->adjustSize();
}

void TdaJoinTableDialog::setJoinToTexts() {
    m_lblForeignTable->setText(tableWord(JoinToTable(), 763));
    m_lblForeignTable->adjustSize();
    m_joins->headerItem()->setText(2, tableWord(JoinToTable(), 760));
}

void TdaJoinTableDialog::Init() {
    TdaSQL* sql = Model();
    TdaTable* table = editedTable();
    if (!sql || !table) return;
    m_oldJoinType = table->JoinType();
    m_working = table;
    if (table->JoinCount() > 0) {
        m_copy = std::make_unique<TdaTable>(sql);
        m_copy->Assign(table);
        m_working = m_copy.get();
    }
    LoadTexts();
    // The listed joins are held apart from the table until OK.
    while (m_working->JoinCount() > 0) {
        TdaTableJoin* j = m_working->Joins(0);
        j->SetParent(nullptr);
        m_rows.push_back(j);
    }
    m_filling = true;
    fillFieldList(m_lbxFields, m_working, m_localFields);
    m_cbxTables->clear();
    for (int i = 0; i < sql->SelectedTableCount(); ++i) {
        TdaTable* t = sql->SelectedTables(i);
        if (t->SQLAlias().compare(m_working->SQLAlias(), Qt::CaseInsensitive) == 0) continue;
        m_cbxTables->addItem(t->TableAlias(), QVariant::fromValue<QObject*>(t));
    }
    m_cbxTables->setCurrentIndex(m_cbxTables->findData(QVariant::fromValue<QObject*>(JoinToTable())));
    fillFieldList(m_lbxJoinFields, JoinToTable(), m_foreignFields);
    m_cbxJoinTypes->setCurrentIndex(int(m_working->JoinType()) - 1);
    const std::vector<TdaTableJoin*> rows = m_rows;
    m_rows.clear();
    for (TdaTableJoin* j : rows) addRow(j);
    m_lbxFields->clearSelection();
    m_lbxJoinFields->clearSelection();
    m_filling = false;
    updateAddButton();
}

void TdaJoinTableDialog::fillFieldList(QListWidget* aList, TdaTable* aTable,
                                       std::vector<std::unique_ptr<TdaField>>& aFields) {
    aList->clear();
    aFields.clear();
    if (!aTable || !Model()) return;
    QStringList aliases;
    Model()->GetTableFieldAliases(aTable, aliases, aFields);
    aList->addItems(aliases);
}

void TdaJoinTableDialog::addRow(TdaTableJoin* aJoin) {
    m_rows.push_back(aJoin);
    auto* item = new QTreeWidgetItem(m_joins);
    fillRow(item, aJoin);
}

void TdaJoinTableDialog::fillRow(QTreeWidgetItem* aItem, TdaTableJoin* aJoin) {
    aItem->setText(0, aJoin->LocalField() ? aJoin->LocalField()->GetDescription() : QString());
    aItem->setText(1, daJoinOperatorName(aJoin->Operator()));
    aItem->setText(2, aJoin->ForeignField() ? aJoin->ForeignField()->GetDescription() : QString());
}

void TdaJoinTableDialog::updateAddButton() {
    m_btnAdd->setEnabled(m_lbxFields->currentRow() >= 0 && !m_lbxFields->selectedItems().isEmpty() &&
                         m_lbxJoinFields->currentRow() >= 0 && !m_lbxJoinFields->selectedItems().isEmpty());
}

void TdaJoinTableDialog::selectionChanged() {
    const int selected = int(m_joins->selectedItems().size());
    m_btnRemove->setEnabled(selected > 0);
    placeOperatorBox();
}

void TdaJoinTableDialog::placeOperatorBox() {
    const QList<QTreeWidgetItem*> selected = m_joins->selectedItems();
    if (selected.size() != 1) {
        m_cbxOperators->hide();
        return;
    }
    QTreeWidgetItem* item = selected.first();
    m_cbxOperators->setCurrentIndex(int(m_rows.at(size_t(m_joins->IndexOf(item)))->Operator()));
    report::data::PlaceEditor(m_cbxOperators, m_joins, item, 1, report::data::EditorKind::ComboBox);
}

void TdaJoinTableDialog::addClick() {
    const int local = m_lbxFields->currentRow(), foreign = m_lbxJoinFields->currentRow();
    if (local < 0 || foreign < 0 || !m_working || !JoinToTable()) return;
    const int before = m_working->JoinCount();
    Model()->AddJoin(m_working, JoinToTable(), m_foreignFields.at(size_t(foreign))->FieldName(),
                     TdaJoinOperatorType::dajoEqual, m_localFields.at(size_t(local))->FieldName());
    if (m_working->JoinCount() > before) {
        TdaTableJoin* j = m_working->Joins(m_working->JoinCount() - 1);
        j->SetParent(nullptr);
        addRow(j);
    }
    m_lbxFields->clearSelection();
    m_lbxJoinFields->clearSelection();
    m_lbxFields->setCurrentRow(-1);
    m_lbxJoinFields->setCurrentRow(-1);
    updateAddButton();
}

void TdaJoinTableDialog::removeClick() {
    for (int i = m_joins->ItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* item = m_joins->Item(i);
        if (!item->isSelected()) continue;
        delete m_rows.at(size_t(i));
        m_rows.erase(m_rows.begin() + i);
        delete item;
    }
    selectionChanged();
}

void TdaJoinTableDialog::operatorChange() {
    const QList<QTreeWidgetItem*> selected = m_joins->selectedItems();
    if (selected.size() != 1 || m_cbxOperators->currentIndex() < 0) return;
    const int row = m_joins->IndexOf(selected.first());
    TdaTableJoin* j = m_rows.at(size_t(row));
    j->SetOperator(TdaJoinOperatorType(m_cbxOperators->currentIndex()));
    selected.first()->setText(1, daJoinOperatorName(j->Operator()));
}

void TdaJoinTableDialog::tableChange() {
    auto* table = ItemObject<TdaTable>(m_cbxTables->currentData());
    if (!table || !Model()) return;
    TdaTable* current = JoinToTable();
    if (current && current->TableAlias().compare(m_cbxTables->currentText(), Qt::CaseInsensitive) == 0) return;
    freeRows();
    JoinTable = Model()->FindSelectedTable(table->SQLAlias());
    setJoinToTexts();
    fillFieldList(m_lbxJoinFields, JoinToTable(), m_foreignFields);
    selectionChanged();
    updateAddButton();
}

void TdaJoinTableDialog::joinTypeChange() {
    if (m_working && m_cbxJoinTypes->currentIndex() >= 0)
        m_working->SetJoinType(TdaJoinType(m_cbxJoinTypes->currentIndex() + 1));
}

bool TdaJoinTableDialog::okClick() {
    if (m_rows.empty()) {
        ui::Message(text(780), ui::MessageKind::Information, ui::Button::Ok);
        return false;
    }
    for (TdaTableJoin* j : m_rows) j->SetParent(m_working);
    m_rows.clear();
    m_joins->clear();
    if (m_copy) editedTable()->Assign(m_copy.get());
    // The joins changed: the query's text is written again.
    if (Model()) Model()->DoChange();
    return true;
}

void TdaJoinTableDialog::done(int r) {
    if (r == int(report::ModalResult::mrOk)) {
        if (!okClick()) {
            setResult(0);
            return;
        }
    } else if (!m_copy && editedTable()) {
        // Cancel leaves the table as it was: its join type too.
        editedTable()->SetJoinType(m_oldJoinType);
    }
    TppForm::done(r);
}

// Search Criteria dialog ----------------------------------------------------------------------

TdaCriteriaDialog::TdaCriteriaDialog(QObject* aOwner) : TppForm(aOwner) {
    report::data::DeclareQueryDesignerTexts();
    setObjectName(QStringLiteral("daCriteriaDialog"));
    setFixedSize(341, 161);
    setWindowTitle(text(819));
    m_lblField = label(this, "lblField", 8, 8);
    cbxAvailableFields = dropDown(this, "cbxAvailableFields", 8, 24, 233);
    m_lblOperator = label(this, "lblOperator", 8, 61);
    cbxOperators = dropDown(this, "cbxOperators", 8, 77, 233);
    m_lblValue = label(this, "lblValue", 8, 109);
    edtValue = ui::Make<QLineEdit>(this, "edtValue");
    edtValue->setGeometry(8, 128, 233, edtValue->sizeHint().height());
    m_btnOK = button(this, "btnOK", 261, 21);
    m_btnOK->setDefault(true);
    m_btnCancel = button(this, "btnCancel", 261, 46);
    m_btnOK->setText(text(17));
    m_btnCancel->setText(text(5));
    m_lblField->setText(text(760));
    m_lblOperator->setText(text(802));
    m_lblValue->setText(text(837));
    for (QLabel* l : {m_lblField, m_lblOperator, m_lblValue}) l->adjustSize();
    report::data::FillCriteriaOperators(cbxOperators);
    cbxOperators->setCurrentIndex(-1);
    connect(m_btnOK, &QPushButton::clicked, this, [this] {
        if (cbxAvailableFields->currentIndex() < 0 || cbxOperators->currentIndex() < 0) {
            ShowWarning(text(806));
            return;
        }
        EndModal(report::ModalResult::mrOk);
    });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
}

TdaField* TdaCriteriaDialog::SelectedField() const {
    return ItemObject<TdaField>(cbxAvailableFields->currentData());
}

// Calculated Fields dialog --------------------------------------------------------------------

TdaFunctionDialog::TdaFunctionDialog(QObject* aOwner) : TppForm(aOwner) {
    report::data::DeclareQueryDesignerTexts();
    setObjectName(QStringLiteral("daFunctionDialog"));
    setFixedSize(341, 110);
    setWindowTitle(text(736));
    m_lblFunction = label(this, "lblFunction", 8, 8);
    cbxFunctions = dropDown(this, "cbxFunctions", 8, 24, 233);
    m_lblField = label(this, "lblField", 8, 61);
    cbxAvailableFields = dropDown(this, "cbxAvailableFields", 8, 77, 233);
    m_btnOK = button(this, "btnOK", 261, 21);
    m_btnOK->setDefault(true);
    m_btnCancel = button(this, "btnCancel", 261, 46);
    m_btnOK->setText(text(17));
    m_btnCancel->setText(text(5));
    m_lblFunction->setText(text(766));
    m_lblField->setText(text(799));
    for (QLabel* l : {m_lblFunction, m_lblField}) l->adjustSize();
    connect(cbxFunctions, &QComboBox::currentIndexChanged, this, [this] { UpdateFieldBox(); });
    connect(m_btnOK, &QPushButton::clicked, this, [this] {
        const bool count = cbxFunctions->currentIndex() == int(TdaCalcType::dacaCount);
        if (!count && (cbxFunctions->currentIndex() < 0 || cbxAvailableFields->currentIndex() < 0)) {
            setResult(0);
            ui::Message(QStringLiteral("Please select a function and a numeric field."), ui::MessageKind::Error,
                        ui::Button::Ok);
            return;
        }
        EndModal(report::ModalResult::mrOk);
    });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
}

TdaField* TdaFunctionDialog::SelectedField() const {
    return ItemObject<TdaField>(cbxAvailableFields->currentData());
}

void TdaFunctionDialog::UpdateFieldBox() {
    const bool enabled = cbxFunctions->currentIndex() != int(TdaCalcType::dacaCount);
    cbxAvailableFields->setEnabled(enabled);
    m_lblField->setEnabled(enabled);
}

void TdaFunctionDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    UpdateFieldBox();
}
