// The editing operations of the query model: the tables and fields that can be offered,
// selecting and deselecting tables with their joins and names, select fields, calculations
// with GROUP BY kept in step, sorting, criteria and the check of the finished query.

#include "report/data/sql.h"

#include "report/model/communicator.h"
#include "report/model/pipeline_field.h"
#include "report/model/report_utils.h"
#include "report/model/text_layout.h"
#include "report/output/dialog_registry.h"
#include "report/page/resource_manager.h"

#include <algorithm>

namespace {

bool sameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool sameField(const TdaField* a, const TdaField* b) {
    return a && b && sameText(a->TableName(), b->TableName()) && sameText(a->FieldName(), b->FieldName());
}

bool isNumeric(TppDataType t) {
    switch (t) {
    case TppDataType::dtInteger:
    case TppDataType::dtLongint:
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency: return true;
    default: return false;
    }
}

/// Text N with each placeholder replaced by the arguments in turn.
QString formatText(int aNumber, const QStringList& aArgs) {
    QString text = ppMessageToFormat(ppGetMessageText(aNumber));
    for (const QString& arg : aArgs) {
        const qsizetype at = text.indexOf(QStringLiteral("%s"));
        if (at < 0) break;
        text.replace(at, 2, arg);
    }
    return text;
}

void errorMessage(const QString& aText) { ppMessageDlg(QString(), aText, ui::MessageKind::Error, ui::Buttons{ui::Button::Ok}); }

}  // namespace


// ---- available lists ----

void TdaSQL::freeAvailableTables() {
    m_availableTables.clear();
    m_unselectedTables.clear();
    m_availableTableObjects.clear();
    m_availableFields.clear();
    m_availableSelectFields.clear();
    m_availableCriteriaFields.clear();
    m_availableGroupByFields.clear();
    m_availableOrderByFields.clear();
    m_availableFieldObjects.clear();
    m_availableTablesCurrent = false;
    m_unselectedTablesCurrent = false;
    InvalidateFieldLists();
}

void TdaSQL::childListsChanged(int aChildType) {
    using namespace report::data;
    switch (aChildType) {
    case kSelectedTable:
        m_unselectedTablesCurrent = false;
        InvalidateFieldLists();
        break;
    case kSelectField: m_selectListCurrent = false; break;
    case kGroupByField: m_groupByListCurrent = false; break;
    case kOrderByField:
    case kCalcField: m_orderByListCurrent = false; break;
    default: break;
    }
}

void TdaSQL::InvalidateFieldLists() {
    m_availableFieldsCurrent = false;
    m_selectListCurrent = m_criteriaListCurrent = m_groupByListCurrent = m_orderByListCurrent = false;
}

const QList<TdaTable*>& TdaSQL::AvailableTables() {
    if (!m_availableTablesCurrent) {
        m_availableTablesCurrent = true;
        BuildAvailableTables();
    }
    return m_availableTables;
}

const QList<TdaTable*>& TdaSQL::UnselectedTables() {
    AvailableTables();
    if (!m_unselectedTablesCurrent) {
        m_unselectedTablesCurrent = true;
        m_unselectedTables = m_availableTables;
        if (!m_allowSelfJoins)
            for (int i = 0; i < SelectedTableCount(); ++i) {
                const QString name = SelectedTables(i)->TableName();
                const auto it = std::find_if(m_unselectedTables.begin(), m_unselectedTables.end(),
                                             [&](TdaTable* t) { return sameText(t->TableName(), name); });
                if (it != m_unselectedTables.end()) m_unselectedTables.erase(it);
            }
    }
    return m_unselectedTables;
}

const QList<TdaField*>& TdaSQL::AvailableFields() {
    if (!m_availableFieldsCurrent) {
        m_availableFieldsCurrent = true;
        BuildAvailableFields();
    }
    return m_availableFields;
}

void TdaSQL::orderAvailableFields() {
    m_availableFields.clear();
    for (const auto& f : m_availableFieldObjects) m_availableFields.append(f.get());
    if (m_fieldOrder != 1)
        std::stable_sort(m_availableFields.begin(), m_availableFields.end(), [](TdaField* a, TdaField* b) {
            return a->FieldAlias().compare(b->FieldAlias(), Qt::CaseInsensitive) < 0;
        });
    m_selectListCurrent = m_criteriaListCurrent = m_groupByListCurrent = m_orderByListCurrent = false;
}

void TdaSQL::SetFieldOrder(int aFieldOrder) {
    if (aFieldOrder == m_fieldOrder) return;
    m_fieldOrder = aFieldOrder;
    AvailableFields();
    orderAvailableFields();
}

const QList<TdaField*>& TdaSQL::AvailableSelectFields() {
    AvailableFields();
    if (!m_selectListCurrent) {
        m_selectListCurrent = true;
        m_availableSelectFields.clear();
        for (TdaField* f : m_availableFields) {
            if (!f->Selectable()) continue;
            bool taken = false;
            for (TppRelative* c : m_selectFields) taken = taken || sameField(qobject_cast<TdaField*>(c), f);
            if (!taken) m_availableSelectFields.append(f);
        }
    }
    return m_availableSelectFields;
}

const QList<TdaField*>& TdaSQL::AvailableCriteriaFields() {
    AvailableFields();
    if (!m_criteriaListCurrent) {
        m_criteriaListCurrent = true;
        m_availableCriteriaFields.clear();
        for (TdaField* f : m_availableFields)
            if (f->Searchable()) m_availableCriteriaFields.append(f);
    }
    return m_availableCriteriaFields;
}

const QList<TdaField*>& TdaSQL::AvailableGroupByFields() {
    AvailableFields();
    if (!m_groupByListCurrent) {
        m_groupByListCurrent = true;
        m_availableGroupByFields.clear();
        for (TdaField* f : m_availableFields) {
            if (!f->Selectable()) continue;
            bool taken = false;
            for (TppRelative* c : m_groupByFields) taken = taken || sameField(qobject_cast<TdaField*>(c), f);
            if (!taken) m_availableGroupByFields.append(f);
        }
    }
    return m_availableGroupByFields;
}

const QList<TdaField*>& TdaSQL::AvailableOrderByFields() {
    AvailableFields();
    if (!m_orderByListCurrent) {
        m_orderByListCurrent = true;
        m_availableOrderByFields.clear();
        auto taken = [this](TdaField* f, bool calc) {
            for (TppRelative* c : m_orderByFields) {
                auto* o = qobject_cast<TdaField*>(c);
                if (bool(qobject_cast<TdaCalculation*>(o)) == calc && sameField(o, f)) return true;
            }
            return false;
        };
        for (TdaField* f : m_availableFields)
            if (f->Sortable() && !taken(f, false)) m_availableOrderByFields.append(f);
        if (!IsAdvantage())
            for (TppRelative* c : m_calcFields)
                if (auto* calc = qobject_cast<TdaCalculation*>(c); calc && !taken(calc, true))
                    m_availableOrderByFields.append(calc);
    }
    return m_availableOrderByFields;
}

void TdaSQL::GetSelectableFieldNames(TdaNameList& aList) {
    aList.clear();
    const QList<TdaField*>& fields = AvailableFields();
    for (int i = 0; i < fields.size(); ++i)
        if (isNumeric(fields[i]->DataType())) {
            fields[i]->SetTag(i);
            aList.append({fields[i]->GetDescription(), fields[i]});
        }
}

void TdaSQL::GetCriteriaFieldNames(TdaNameList& aList) {
    aList.clear();
    const QList<TdaField*>& fields = AvailableCriteriaFields();
    for (int i = 0; i < fields.size(); ++i) {
        const TppDataType t = fields[i]->DataType();
        if (t == TppDataType::dtBLOB || t == TppDataType::dtGraphic) continue;
        fields[i]->SetTag(i);
        aList.append({fields[i]->GetDescription(), fields[i]});
    }
}

// ---- tables ----

bool TdaSQL::IsManualJoinAllowed() const {
    return !m_dataDictionary || !m_dataDictionary->AutoJoin() || m_dataDictionary->AllowManualJoins();
}

bool TdaSQL::IsAutoJoinOnly() const {
    return m_dataDictionary && m_dataDictionary->AutoJoin() && !m_dataDictionary->AllowManualJoins();
}

void TdaSQL::BuildAvailableTables() {
    m_availableTables.clear();
    m_unselectedTables.clear();
    m_availableTableObjects.clear();
    m_unselectedTablesCurrent = false;
    std::vector<std::unique_ptr<TdaTable>> found;
    if (m_dataDictionary && !m_dataDictionary->ValidateTableNames()) GetDictionaryTables(found);
    else GetDatabaseTables(found);
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a->Alias().compare(b->Alias(), Qt::CaseInsensitive) < 0;
    });
    for (auto& t : found) {
        m_availableTables.append(t.get());
        m_availableTableObjects.push_back(std::move(t));
    }
    LoadTableJoinInfo();
}

void TdaSQL::GetDictionaryTables(std::vector<std::unique_ptr<TdaTable>>& aList) {
    QStringList names, aliases;
    m_dataDictionary->GetTableNames(names, aliases);
    for (qsizetype i = 0; i < names.size(); ++i) {
        auto t = std::make_unique<TdaTable>();
        t->SetFullName(names[i]);
        t->SetAlias(aliases.value(i));
        t->SetTableAlias(aliases.value(i));
        aList.push_back(std::move(t));
    }
}

void TdaSQL::GetDatabaseTables(std::vector<std::unique_ptr<TdaTable>>& aList) {
    if (!m_session) return;
    QStringList names;
    m_session->GetTableNames(m_databaseName, names);
    for (const QString& name : names) {
        QString table, owner;
        bool file = false;
        ppParseTableName(name, table, owner, file);
        const QString base = table;  // a table file's name without its extension
        if (file) table = name;
        QString alias;
        if (m_dataDictionary) {
            alias = m_dataDictionary->GetTableAlias(file || m_dataDictionary->UseTableOwnerName() ? name : table);
            if (alias.isEmpty()) continue;
        } else {
            alias = ppProperCase(base);
        }
        auto t = std::make_unique<TdaTable>();
        t->SetFullName(name);
        t->SetAlias(alias);
        t->SetTableAlias(alias);
        aList.push_back(std::move(t));
    }
}

void TdaSQL::LoadTableJoinInfo() {
    if (!IsAutoJoinOnly()) return;
    for (TdaTable* t : m_availableTables) {
        QStringList joinable;
        m_dataDictionary->GetJoinableTables(t->FullName(), joinable);
        t->SetJoinableTables(joinable);
    }
    UpdateJoinableTables();
}

void TdaSQL::UpdateJoinableTables() {
    if (!IsAutoJoinOnly()) return;
    QStringList selected;
    for (int i = 0; i < SelectedTableCount(); ++i) selected << SelectedTables(i)->FullName();
    for (TdaTable* t : m_availableTables) {
        const QStringList joinable = t->JoinableTables();
        bool value;
        if (selected.isEmpty()) value = true;
        else if (joinable.isEmpty()) value = false;
        else if (!selected.contains(t->FullName(), Qt::CaseInsensitive))
            value = std::any_of(selected.begin(), selected.end(),
                                [&](const QString& s) { return joinable.contains(s, Qt::CaseInsensitive); });
        else value = joinable.contains(t->FullName(), Qt::CaseInsensitive);
        t->SetJoinable(value);
    }
}

int TdaSQL::IndexOfAvailableTable(const QString& aFullName) {
    const QList<TdaTable*>& tables = AvailableTables();
    for (int i = 0; i < tables.size(); ++i)
        if (sameText(tables[i]->FullName(), aFullName)) return i;
    return -1;
}

int TdaSQL::GetJoinTargetIndex(TdaTable* aAvailableTable) {
    if (!IsAutoJoinOnly()) return SelectedTableCount() - 1;
    if (!aAvailableTable || !aAvailableTable->Joinable()) return -1;
    const QStringList joinable = aAvailableTable->JoinableTables();
    for (int i = SelectedTableCount() - 1; i >= 0; --i)
        if (joinable.contains(SelectedTables(i)->FullName(), Qt::CaseInsensitive)) return i;
    return -1;
}

QString TdaSQL::GetAvailableTableAlias(const QString& aTableName) {
    for (TdaTable* t : AvailableTables())
        if (sameText(t->FullName(), aTableName)) {
            if (m_dataDictionary) {
                m_dataDictionary->SetTableName(t->FullName());
                return m_dataDictionary->TableAlias();
            }
            QString table, owner;
            bool file = false;
            ppParseTableName(t->FullName(), table, owner, file);  // a table file gives its base name
            return ppProperCase(table);
        }
    return {};
}

QString TdaSQL::MakeTableAlias(TdaTable* aAvailableTable) {
    const QString alias = GetAvailableTableAlias(aAvailableTable->FullName());
    auto taken = [this](const QString& a) {
        for (int i = 0; i < SelectedTableCount(); ++i)
            if (sameText(SelectedTables(i)->TableAlias(), a)) return true;
        return false;
    };
    if (!taken(alias)) return alias;
    for (int n = 2;; ++n) {
        const QString candidate = alias + QStringLiteral(" (") + QString::number(n) + u')';
        if (!taken(candidate)) return candidate;
    }
}

TdaTable* TdaSQL::SelectTable(int aIndex, int aJoinTo) {
    const QList<TdaTable*>& unselected = UnselectedTables();
    if (aIndex < 0 || aIndex >= unselected.size()) return nullptr;
    TdaTable* b = unselected[aIndex];
    auto* t = new TdaTable(this);
    t->Assign(b);
    t->SetJoinType(TdaJoinType::dajtNone);
    t->SetAlias(GetAvailableTableAlias(b->FullName()));
    t->SetTableAlias(MakeTableAlias(b));
    t->SetSQLAlias(MakeSQLAlias(b->FullName()));
    t->SetChildType(report::data::kSelectedTable);
    t->SetParent(this);
    if (SelectedTableCount() > 1 && aJoinTo != -1) {
        if (aJoinTo >= 0 && aJoinTo < SelectedTableCount() - 1) JoinTables(SelectedTables(aJoinTo), t);
        if (t->JoinCount() == 0) {
            delete t;
            if (!m_allowSelfJoins) b->SetTag(int(UnselectedTables().indexOf(b)));
            return nullptr;
        }
    }
    InvalidateFieldLists();
    UpdateJoinableTables();
    if (m_description.isEmpty()) {
        m_description = t->TableAlias();
        m_dataPipelineName = QStringLiteral("pl") + ppTextToIdentifier(m_description);
    }
    return t;
}

void TdaSQL::JoinTables(TdaTable* aExisting, TdaTable* aNew) {
    const bool autoJoin = m_dataDictionary && m_dataDictionary->AutoJoin();
    if (autoJoin) AutoJoinFromDictionary(aExisting, aNew);
    if ((autoJoin && aNew->JoinCount() == 0 && IsManualJoinAllowed()) || !autoJoin) {
        JoinOnCommonFieldNames(aExisting, aNew);
        EditTableJoin(aExisting->SQLAlias(), aNew->SQLAlias());
    }
}

void TdaSQL::AutoJoinFromDictionary(TdaTable* aExisting, TdaTable* aNew) {
    if (!m_dataDictionary) return;
    QString joinType;
    QStringList fields1, fields2, operators;
    if (!m_dataDictionary->GetJoinInfo(aExisting->FullName(), aNew->FullName(), joinType, fields1, fields2, operators))
        return;
    // A type name that names no join type is taken as an inner join.
    const int type = ppEnumNameToOrdinal(EnumTypeOf(TdaJoinType::dajtNone), joinType);
    aNew->SetJoinType(type > int(TdaJoinType::dajtNone) ? TdaJoinType(type) : TdaJoinType::dajtInner);
    static const QStringList symbols = {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral(">"),
                                        QStringLiteral(">="), QStringLiteral("<"), QStringLiteral("<=")};
    // The joins go position by position over the first table's fields; a position the
    // second table's list lacks is no join.
    for (qsizetype i = 0; i < fields1.size() && i < fields2.size(); ++i) {
        const qsizetype op = symbols.indexOf(operators.value(i).trimmed());
        AddJoin(aNew, aExisting, fields1[i].trimmed(), op < 0 ? TdaJoinOperatorType::dajoEqual : TdaJoinOperatorType(op),
                fields2[i].trimmed());
    }
}

void TdaSQL::JoinOnCommonFieldNames(TdaTable* aExisting, TdaTable* aNew) {
    aNew->SetJoinType(TdaJoinType::dajtInner);
    QStringList names1, names2;
    std::vector<std::unique_ptr<TdaField>> fields1, fields2;
    GetTableFieldNames(aExisting, names1, fields1);
    GetTableFieldNames(aNew, names2, fields2);
    for (const QString& name : names1)
        for (const QString& other : names2)
            if (sameText(name, other)) {
                AddJoin(aNew, aExisting, name, TdaJoinOperatorType::dajoEqual, other);
                break;
            }
}

void TdaSQL::AddJoin(TdaTable* aTable, TdaTable* aOther, const QString& aOtherField, TdaJoinOperatorType aOperator,
                     const QString& aTableField) {
    if (aTable->SQL() != this) return;
    auto* join = new TdaTableJoin(this);
    join->SetOperator(aOperator);
    if (std::unique_ptr<TdaField> f = CreateFieldForTable(aOther, aOtherField)) {
        f->SetChildType(report::data::kJoinForeignField);
        f.release()->SetParent(join);
    }
    if (std::unique_ptr<TdaField> f = CreateFieldForTable(aTable, aTableField)) {
        f->SetChildType(report::data::kJoinLocalField);
        f.release()->SetParent(join);
    }
    join->SetChildType(report::data::kTableJoin);
    join->SetParent(aTable);
}

bool TdaSQL::EditTableJoin(const QString& aJoinToAlias, const QString& aSQLAlias) {
    TdaTable* joinTo = FindSelectedTable(aJoinToAlias);
    TdaTable* table = FindSelectedTable(aSQLAlias);
    if (!joinTo || !table) return false;
    // The form is the query designer's; without a registered one the dialog counts as
    // cancelled.
    std::unique_ptr<TdaCustomJoinTableDialog> dialog(report::CreateForm<TdaCustomJoinTableDialog>(this));
    if (!dialog) return false;
    dialog->SQL = this;
    dialog->JoinTable = joinTo;
    dialog->Table = table;
    dialog->Init();
    return dialog->ShowModal() == report::ModalResult::mrOk;
}

TdaTable* TdaSQL::DeselectTable(int aIndex) {
    if (aIndex < 0 || aIndex >= SelectedTableCount()) return nullptr;
    TdaTable* t = SelectedTables(aIndex);
    if (aIndex == 0 && m_description == t->Alias()) {
        m_description.clear();
        m_dataPipelineName.clear();
    }
    TdaTable* entry = nullptr;
    const int available = IndexOfAvailableTable(t->FullName());
    if (available >= 0) entry = m_availableTables[available];
    RemoveTable(t);
    InvalidateFieldLists();
    UpdateJoinableTables();
    if (entry && !m_allowSelfJoins) entry->SetTag(int(UnselectedTables().indexOf(entry)));
    return entry;
}

bool TdaSQL::RemoveTable(TdaTable* aTable) {
    bool dependants = false;
    for (int i = SelectedTableCount() - 1; i >= 0; --i) {
        if (i >= SelectedTableCount()) continue;
        TdaTable* other = SelectedTables(i);
        if (other == aTable || other->JoinCount() == 0) continue;
        TdaField* foreign = other->Joins(0)->ForeignField();
        if (foreign && sameText(foreign->TableSQLAlias(), aTable->SQLAlias())) {
            RemoveTable(other);
            dependants = true;
            i = SelectedTableCount();  // the list changed: scan again
        }
    }
    delete aTable;
    if (dependants) m_unselectedTablesCurrent = false;
    return dependants;
}

// ---- fields ----

void TdaSQL::BuildAvailableFields() {
    m_availableFields.clear();
    m_availableFieldObjects.clear();
    for (int i = 0; i < SelectedTableCount(); ++i) BuildTableFields(SelectedTables(i), m_availableFieldObjects);
    // A rebuild lists the fields in table order, whatever FieldOrder says.
    for (const auto& f : m_availableFieldObjects) m_availableFields.append(f.get());
    m_selectListCurrent = m_criteriaListCurrent = m_groupByListCurrent = m_orderByListCurrent = false;
}

void TdaSQL::BuildTableFields(TdaTable* aTable, std::vector<std::unique_ptr<TdaField>>& aList) {
    if (m_dataDictionary) m_dataDictionary->SetTableName(aTable->FullName());
    if (m_dataDictionary && !m_dataDictionary->ValidateFieldNames()) {
        const int count = m_dataDictionary->GetFieldCount();
        for (int i = 0; i < count; ++i) {
            auto f = std::make_unique<TdaField>();
            CopyFieldDefinition(m_dataDictionary->GetField(i), f.get());
            f->SetTableAlias(aTable->TableAlias());
            f->SetTableSQLAlias(aTable->SQLAlias());
            aList.push_back(std::move(f));
        }
        return;
    }
    if (aTable->TableName().isEmpty()) return;
    TdaDataSet* dataSet = daCreateDataSet(m_dataSetClass, nullptr);
    if (!dataSet) return;
    dataSet->SetDatabaseName(m_databaseName);
    dataSet->SetDataName(aTable->GetSQLName());
    if (!OpenDataSet(dataSet)) return;
    const int count = dataSet->GetFieldCount();
    for (int i = 0; i < count; ++i) {
        TppField* source = dataSet->GetField(i);
        if (m_dataDictionary && !m_dataDictionary->GetFieldForName(source->FieldName())) continue;
        std::unique_ptr<TdaField> f = CreateFieldFromDataSetField(source);
        f->SetTableAlias(aTable->TableAlias());
        f->SetTableSQLAlias(aTable->SQLAlias());
        aList.push_back(std::move(f));
    }
    dataSet->SetActive(false);
    delete dataSet;
}

std::unique_ptr<TdaField> TdaSQL::CreateFieldForTable(TdaTable* aTable, const QString& aFieldName) {
    std::unique_ptr<TdaField> result;
    if (!m_dataDictionary || m_dataDictionary->ValidateFieldNames()) {
        TdaDataSet* dataSet = daCreateDataSet(m_dataSetClass, nullptr);
        if (!dataSet) return nullptr;
        dataSet->SetDatabaseName(m_databaseName);
        dataSet->SetDataName(aTable->GetSQLName());
        if (!OpenDataSet(dataSet)) return nullptr;
        for (int i = 0; i < dataSet->GetFieldCount() && !result; ++i)
            if (sameText(dataSet->GetField(i)->FieldName(), aFieldName))
                result = CreateFieldFromDataSetField(dataSet->GetField(i));
        dataSet->SetActive(false);
        delete dataSet;
    } else {
        m_dataDictionary->SetTableName(aTable->FullName());
        if (TppField* field = m_dataDictionary->GetFieldForName(aFieldName)) {
            result = std::make_unique<TdaField>();
            CopyFieldDefinition(field, result.get());
        }
    }
    if (result) {
        result->SetTableAlias(aTable->TableAlias());
        result->SetTableSQLAlias(aTable->SQLAlias());
    }
    return result;
}

void TdaSQL::GetTableFieldNames(TdaTable* aTable, QStringList& aNames, std::vector<std::unique_ptr<TdaField>>& aFields) {
    aNames.clear();
    aFields.clear();
    BuildTableFields(aTable, aFields);
    for (const auto& f : aFields) aNames << f->FieldName();
}

void TdaSQL::GetTableFieldAliases(TdaTable* aTable, QStringList& aAliases,
                                  std::vector<std::unique_ptr<TdaField>>& aFields) {
    aAliases.clear();
    aFields.clear();
    BuildTableFields(aTable, aFields);
    for (const auto& f : aFields) aAliases << f->FieldAlias();
}

std::unique_ptr<TdaField> TdaSQL::CreateFieldFromDataSetField(TppField* aDataSetField) {
    auto f = std::make_unique<TdaField>();
    CopyFieldDefinition(aDataSetField, f.get());
    TppField* known = m_dataDictionary ? m_dataDictionary->GetFieldForName(aDataSetField->FieldName()) : nullptr;
    if (known) {
        f->SetFieldAlias(known->FieldAlias());
        f->SetAlias(known->FieldAlias());
        f->SetSelectable(known->Selectable());
        f->SetSearchable(known->Searchable());
        f->SetSortable(known->Sortable());
        f->SetAutoSearch(known->AutoSearch());
        f->SetMandatory(known->Mandatory());
    } else {
        f->SetFieldAlias(ppProperCase(aDataSetField->FieldName()));
        f->SetAlias(f->FieldAlias());
    }
    return f;
}

void TdaSQL::CopyFieldDefinition(TppField* aDataSetField, TdaField* aField) {
    aField->SetDataType(aDataSetField->DataType());
    aField->SetDisplayFormat(aDataSetField->DisplayFormat());
    aField->SetFieldName(aDataSetField->FieldName());
    aField->SetTableName(aDataSetField->TableName());
    aField->SetFieldAlias(aDataSetField->FieldAlias());
    aField->SetAlias(aDataSetField->FieldAlias());
    aField->SetSelectable(aDataSetField->Selectable());
    aField->SetSearchable(aDataSetField->Searchable());
    aField->SetSortable(aDataSetField->Sortable());
    aField->SetAutoSearch(aDataSetField->AutoSearch());
    aField->SetMandatory(aDataSetField->Mandatory());
}

void TdaSQL::CopyToPipelineField(TdaField* aField, TppField* aPipelineField) {
    aPipelineField->SetDataType(aField->DataType());
    aPipelineField->SetDisplayFormat(aField->DisplayFormat());
    aPipelineField->SetFieldName(aField->FieldName());
    aPipelineField->SetTableName(aField->TableName());
    aPipelineField->SetFieldAlias(aField->FieldAlias());
    aPipelineField->SetSelectable(aField->Selectable());
    aPipelineField->SetSearchable(aField->Searchable());
    aPipelineField->SetSortable(aField->Sortable());
    aPipelineField->SetAutoSearch(aField->AutoSearch());
    aPipelineField->SetMandatory(aField->Mandatory());
}

bool TdaSQL::OpenDataSet(TdaDataSet* aDataSet) {
    try {
        aDataSet->SetActive(true);
        return true;
    } catch (const std::exception& e) {
        errorMessage(formatText(839, {aDataSet->DataName()}) + QStringLiteral("\n\n") +
                     formatText(840, {QString::fromUtf8(e.what())}));
        delete aDataSet;
        return false;
    }
}

// ---- selections ----

bool TdaSQL::MakeFieldAliasUnique(TdaField* aField, bool aRename) {
    QStringList taken;
    for (auto* list : {&m_selectFields, &m_calcFields})
        for (TppRelative* c : *list)
            if (c != aField) taken << qobject_cast<TdaField*>(c)->Alias();
    const bool wasFree = !taken.contains(aField->Alias(), Qt::CaseInsensitive);
    if (!wasFree && aRename) {
        const QString alias = aField->Alias();
        for (int n = 2;; ++n) {
            const QString candidate = alias + QStringLiteral(" (") + QString::number(n) + u')';
            if (!taken.contains(candidate, Qt::CaseInsensitive)) {
                aField->SetAlias(candidate);
                break;
            }
        }
    }
    return wasFree;
}

TdaField* TdaSQL::SelectField(int aIndex) {
    const QList<TdaField*>& list = AvailableSelectFields();
    if (aIndex < 0 || aIndex >= list.size()) return nullptr;
    auto* f = new TdaField(this);
    f->Assign(list[aIndex]);
    MakeFieldAliasUnique(f, true);
    f->SetChildType(report::data::kSelectField);
    f->SetParent(this);
    if (HasAggregates()) SyncGroupByFields();
    else FreeGroupByFields();
    m_groupByListCurrent = false;
    return f;
}

TdaField* TdaSQL::DeselectField(int aIndex) {
    if (aIndex < 0 || aIndex >= SelectFieldCount()) return nullptr;
    TdaField* f = SelectFields(aIndex);
    TdaField* entry = nullptr;
    for (TdaField* a : AvailableFields())
        if (sameField(a, f)) entry = a;
    delete f;
    if (HasAggregates()) SyncGroupByFields();
    else FreeGroupByFields();
    m_groupByListCurrent = false;
    if (entry) entry->SetTag(int(AvailableSelectFields().indexOf(entry)));
    return entry;
}

bool TdaSQL::HasAggregates() const {
    for (TppRelative* c : m_calcFields)
        if (auto* calc = qobject_cast<TdaCalculation*>(c);
            calc && calc->CalcType() >= TdaCalcType::dacaAvg && calc->CalcType() <= TdaCalcType::dacaSum)
            return true;
    return false;
}

void TdaSQL::CalcTypeChanged(TdaCalculation*) {
    if (HasAggregates()) SyncGroupByFields();
    else FreeGroupByFields();
}

TdaCalculation* TdaSQL::AddCalcField(int aIndex) {
    const QList<TdaField*>& list = AvailableFields();
    if (aIndex < 0 || aIndex >= list.size()) return nullptr;
    auto* calc = new TdaCalculation(this);
    calc->TdaField::Assign(list[aIndex]);
    calc->SetChildType(report::data::kCalcField);
    calc->SetParent(this);
    calc->OnCalcTypeChange = [this](TdaCalculation* c) {
        DoChange();
        CalcTypeChanged(c);
    };
    MakeFieldAliasUnique(calc, true);
    m_orderByListCurrent = false;
    SyncGroupByFields();
    return calc;
}

TdaField* TdaSQL::RemoveCalcField(int aIndex) {
    if (aIndex < 0 || aIndex >= CalcFieldCount()) return nullptr;
    TdaCalculation* calc = CalcFields(aIndex);
    TdaField* entry = nullptr;
    for (TdaField* a : AvailableFields())
        if (!entry && sameField(a, calc)) entry = a;
    delete calc;
    m_orderByListCurrent = false;
    SyncOrderByCalcFields();
    if (m_calcFields.empty() && m_groupByFieldsSynced) FreeGroupByFields();
    return entry;
}

void TdaSQL::FreeGroupByFields() {
    while (!m_groupByFields.empty()) delete m_groupByFields.back();
    m_groupByFieldsSynced = false;
    m_groupByListCurrent = false;
}

void TdaSQL::SyncGroupByFields() {
    if (m_syncingGroupBy) return;
    m_syncingGroupBy = true;
    FreeGroupByFields();
    for (int i = 0; i < SelectFieldCount(); ++i) {
        const QList<TdaField*>& choices = AvailableGroupByFields();
        for (int j = 0; j < choices.size(); ++j)
            if (sameField(choices[j], SelectFields(i))) {
                AddGroupByField(j);
                break;
            }
    }
    m_groupByFieldsSynced = true;
    m_syncingGroupBy = false;
}

TdaField* TdaSQL::AddGroupByField(int aIndex) {
    const QList<TdaField*>& list = AvailableGroupByFields();
    if (aIndex < 0 || aIndex >= list.size()) return nullptr;
    auto* f = new TdaField(this);
    f->Assign(list[aIndex]);
    f->SetChildType(report::data::kGroupByField);
    f->SetParent(this);
    return f;
}

TdaField* TdaSQL::RemoveGroupByField(int aIndex) {
    if (aIndex < 0 || aIndex >= GroupByFieldCount()) return nullptr;
    TdaField* f = GroupByFields(aIndex);
    if (HasAggregates())
        for (TppRelative* c : m_selectFields)
            if (sameField(qobject_cast<TdaField*>(c), f)) return nullptr;
    TdaField* entry = nullptr;
    for (TdaField* a : AvailableFields())
        if (!entry && sameField(a, f)) entry = a;
    delete f;
    if (entry) entry->SetTag(int(AvailableGroupByFields().indexOf(entry)));
    return entry;
}

TdaField* TdaSQL::AddOrderByField(int aIndex) {
    const QList<TdaField*>& list = AvailableOrderByFields();
    if (aIndex < 0 || aIndex >= list.size()) return nullptr;
    TdaField* source = list[aIndex];
    TdaField* f = qobject_cast<TdaCalculation*>(source) ? new TdaCalculation(this) : new TdaField(this);
    f->Assign(source);
    f->SetChildType(report::data::kOrderByField);
    f->SetParent(this);
    return f;
}

TdaField* TdaSQL::RemoveOrderByField(int aIndex) {
    if (aIndex < 0 || aIndex >= OrderByFieldCount()) return nullptr;
    TdaField* f = OrderByFields(aIndex);
    const bool calc = qobject_cast<TdaCalculation*>(f);
    TdaField* entry = nullptr;
    if (!calc)
        for (TdaField* a : AvailableFields())
            if (!entry && sameField(a, f)) entry = a;
    if (!entry)
        for (TppRelative* c : m_calcFields)
            if (!entry && sameField(qobject_cast<TdaField*>(c), f)) entry = qobject_cast<TdaField*>(c);
    delete f;
    if (entry) entry->SetTag(int(AvailableOrderByFields().indexOf(entry)));
    return entry;
}

void TdaSQL::SyncOrderByCalcFields() {
    for (int i = OrderByFieldCount() - 1; i >= 0; --i) {
        auto* entry = qobject_cast<TdaCalculation*>(OrderByFields(i));
        if (!entry) continue;
        TdaCalculation* match = nullptr;
        for (TppRelative* c : m_calcFields)
            if (!match && sameField(qobject_cast<TdaField*>(c), entry)) match = qobject_cast<TdaCalculation*>(c);
        if (!match) {
            RemoveOrderByField(i);
            continue;
        }
        const bool ascending = entry->Ascending();
        entry->Assign(match);
        entry->SetAscending(ascending);
        entry->SetChildType(report::data::kOrderByField);
    }
    m_orderByListCurrent = false;
}

// ---- criteria ----

TdaCriteria* TdaSQL::AddCriteria(int aIndex) {
    const QList<TdaField*>& list = AvailableCriteriaFields();
    if (aIndex < 0 || aIndex >= list.size()) return nullptr;
    auto* c = new TdaCriteria(this);
    c->SetCriteriaType(TdaCriteriaType::dacrField);
    c->SetOperator(TdaCriteriaOperatorType::dacoEqual);
    c->SetCaseSensitive(true);
    auto* f = new TdaField(c);
    f->Assign(list[aIndex]);
    f->SetParent(c);
    c->SetChildType(report::data::kCriteria);
    c->SetParent(this);
    UpdateCriteriaLevels();
    return c;
}

TdaCriteria* TdaSQL::InsertCriteria(int aPosition, TdaCriteriaType aType) {
    auto* c = new TdaCriteria(this);
    c->SetCriteriaType(aType);
    c->SetChildType(report::data::kCriteria);
    c->SetParent(this);
    MoveChild(c, CriteriaCount() - 1, aPosition);
    UpdateCriteriaLevels();
    return c;
}

bool TdaSQL::RemoveCriteria(int aIndex) {
    if (aIndex < 0 || aIndex >= CriteriaCount()) return false;
    TdaCriteria* c = Criteria(aIndex);
    if (c->CriteriaType() == TdaCriteriaType::dacrBegin || c->CriteriaType() == TdaCriteriaType::dacrEnd) return false;
    delete c;
    UpdateCriteriaLevels();
    return true;
}

bool TdaSQL::AddParentheses(const QList<int>& aIndexes) {
    if (aIndexes.isEmpty()) return false;
    InsertCriteria(aIndexes.first(), TdaCriteriaType::dacrBegin);
    InsertCriteria(aIndexes.last() + 2, TdaCriteriaType::dacrEnd);
    return true;
}

bool TdaSQL::RemoveParentheses(const QList<int>& aIndexes) {
    auto isParenthesis = [this](int i) {
        if (i < 0 || i >= CriteriaCount()) return false;
        const TdaCriteriaType t = Criteria(i)->CriteriaType();
        return t == TdaCriteriaType::dacrBegin || t == TdaCriteriaType::dacrEnd;
    };
    int start = -1;
    if (aIndexes.size() == 1 && !isParenthesis(aIndexes.first())) {
        if (isParenthesis(aIndexes.first() - 1)) start = aIndexes.first() - 1;
    } else {
        for (int i : aIndexes)
            if (isParenthesis(i)) {
                start = i;
                break;
            }
    }
    if (start < 0) return false;
    TdaCriteria* first = Criteria(start);
    const bool begin = first->CriteriaType() == TdaCriteriaType::dacrBegin;
    const TdaCriteriaType wanted = begin ? TdaCriteriaType::dacrEnd : TdaCriteriaType::dacrBegin;
    TdaCriteria* second = nullptr;
    for (int i = start + (begin ? 1 : -1); i >= 0 && i < CriteriaCount(); i += begin ? 1 : -1)
        if (Criteria(i)->CriteriaType() == wanted && Criteria(i)->Level() == first->Level()) {
            second = Criteria(i);
            break;
        }
    if (!second) return false;
    delete first;
    delete second;
    UpdateCriteriaLevels();
    return true;
}

void TdaSQL::UpdateCriteriaLevels() {
    int depth = 0;
    for (int i = 0; i < CriteriaCount(); ++i) {
        TdaCriteria* c = Criteria(i);
        if (c->CriteriaType() == TdaCriteriaType::dacrBegin) {
            c->SetLevel(depth++);
        } else if (c->CriteriaType() == TdaCriteriaType::dacrEnd) {
            c->SetLevel(--depth);
        } else {
            c->SetLevel(depth);
        }
    }
}

// ---- validation ----

bool TdaSQL::GetFieldsOfSQLText(const QStringList& aSQLText, std::vector<std::unique_ptr<TppField>>& aFields) {
    aFields.clear();
    std::unique_ptr<TdaDataSet> dataSet(daCreateDataSet(m_dataSetClass, nullptr));
    if (!dataSet) return false;
    dataSet->SetDatabaseName(m_databaseName);
    try {
        dataSet->GetFieldsOfSQL(aFields, aSQLText.join(u'\n'));
        return true;
    } catch (const std::exception& e) {
        aFields.clear();
        ppMessageDlg(ppGetMessageText(829), ppGetMessageText(777) + QStringLiteral("\n\n") + QString::fromUtf8(e.what()),
                     ui::MessageKind::Error, ui::Buttons{ui::Button::Ok});
        return false;
    }
}

bool TdaSQL::ValidateSQL() {
    if (m_description.isEmpty()) {
        errorMessage(ppGetMessageText(805));
        return false;
    }
    if (!report::IsValidIdent(m_dataPipelineName)) {
        errorMessage(formatText(712, {m_dataPipelineName}));
        return false;
    }
    // A value that does not read as its field's type is refused here rather than at print time.
    QString field, value;
    if (!m_editSQLAsText && FindInvalidCriteriaValue(field, value)) {
        ppMessageDlg(ppGetMessageText(829),
                     ppGetMessageText(777) + QStringLiteral("\n\n") + field + QStringLiteral(": ") + value,
                     ui::MessageKind::Error, ui::Buttons{ui::Button::Ok});
        return false;
    }
    std::vector<std::unique_ptr<TppField>> fields;
    if (!GetFieldsOfSQLText(m_editSQLAsText ? m_sqlText : SQLText(), fields)) return false;
    if (!m_editSQLAsText) {
        size_t n = 0;
        for (auto* list : {&m_selectFields, &m_calcFields})
            for (TppRelative* c : *list)
                if (n < fields.size()) qobject_cast<TdaField*>(c)->SetSQLFieldName(fields[n++]->FieldName());
    }
    return true;
}

void TdaSQL::BuildFieldsFromSQLText() {
    const QStringList lines = SQLText();
    ClearAll();
    m_sqlText = lines;
    std::vector<std::unique_ptr<TppField>> fields;
    if (!GetFieldsOfSQLText(lines, fields)) return;
    for (const auto& source : fields) {
        auto* f = new TdaField(this);
        f->SetFieldName(source->FieldName());
        f->SetSQLFieldName(source->FieldName());
        f->SetAlias(source->FieldName());
        f->SetFieldAlias(source->FieldName());
        f->SetDataType(source->DataType());
        f->SetSelectable(true);
        f->SetSearchable(true);
        f->SetSortable(true);
        f->SetChildType(report::data::kSelectField);
        f->SetParent(this);
    }
    m_sqlText = lines;
    m_sqlTextCurrent = true;
}
