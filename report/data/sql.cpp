#include "report/data/sql.h"

#include "report/data/data_dictionary.h"
#include "report/data/data_texts.h"
#include "report/data/session.h"
#include "report/model/text_layout.h"
#include "report/page/class_library.h"
#include "report/page/resource_manager.h"

#include "platform/base/day_time.h"
#include "platform/format/date_time_format.h"
#include "platform/format/date_time_parse.h"
#include "platform/format/format_settings.h"
#include "platform/format/number_format.h"
#include "platform/format/number_parse.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/property_table.h"

#include <algorithm>

namespace {

bool sameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool isDateType(TppDataType t) { return t == TppDataType::dtDate || t == TppDataType::dtDateTime; }

bool isNumericType(TppDataType t) {
    switch (t) {
    case TppDataType::dtInteger:
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
    case TppDataType::dtLongint:
        return true;
    default:
        return false;
    }
}

/// Deletes the children from the last to the first (each leaves the list as it goes).
template <class T>
void freeAll(std::vector<T*>& list) {
    while (!list.empty()) {
        T* child = list.back();
        delete child;
        if (!list.empty() && list.back() == child) list.pop_back();
    }
}

/// A copy of a child of the same class, owned like aOwnerOf and assigned from it.
template <class T>
T* copyOf(const T* aSource, TComponent* aOwner) {
    QObject* made = aSource->metaObject()->newInstance(Q_ARG(TComponent*, aOwner));
    auto* copy = qobject_cast<T*>(made);
    if (!copy) {
        delete made;
        return nullptr;
    }
    copy->Assign(const_cast<T*>(aSource));
    return copy;
}

TComponent* ownerFor(TppRelative* aParent) {
    return aParent->Owner() ? aParent->Owner() : static_cast<TComponent*>(aParent);
}

}  // namespace

// TdaChild ---------------------------------------------------------------------------------------

TdaChild::TdaChild(TComponent* AOwner) : TppRelative(AOwner) {}

TdaSQL* TdaChild::SQL() const {
    if (auto* sql = qobject_cast<TdaSQL*>(Parent())) return sql;
    if (auto* sql = qobject_cast<TdaSQL*>(Owner())) return sql;
    if (auto* child = qobject_cast<TdaChild*>(Parent())) return child->SQL();
    return nullptr;
}

const stream::PropertyList& TdaChild::StreamProperties() const {
    using T = TdaChild;
    static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
        .Integer("ChildType", &T::ChildType, &T::SetChildType, stream::kNoDefault);
    return table;
}

// TdaField ---------------------------------------------------------------------------------------

TdaField::TdaField(TComponent* AOwner) : TdaChild(AOwner) {}

void TdaField::Initialize() {
    m_alias.clear();
    m_ascending = true;
    m_autoSearch = false;
    m_dataType = TppDataType::dtString;
    m_displayFormat.clear();
    m_fieldAlias.clear();
    m_fieldName.clear();
    m_mandatory = false;
    m_searchable = m_selectable = m_sortable = true;
    m_selectAll = false;
    m_sqlFieldName.clear();
    m_tableAlias.clear();
    m_tableName.clear();
    m_tableSQLAlias.clear();
}

QString TdaField::sortText() const {
    if (ChildType() != report::data::kOrderByField || m_ascending) return {};
    return QStringLiteral("(") + ppGetMessageText(752) + QStringLiteral(")");
}

QString TdaField::GetDescription() const {
    QString text = m_tableAlias + QLatin1Char('.') + m_fieldAlias;
    const QString sort = sortText();
    if (!sort.isEmpty()) text += QLatin1Char(' ') + sort;
    return text;
}

QString TdaField::GetSQLName() const {
    if (m_tableSQLAlias.isEmpty() || m_fieldName.isEmpty()) return {};
    const TdaSQL* sql = SQL();
    auto quote = [sql](const QString& name) { return sql ? sql->QuoteIdentifier(name) : name; };
    return quote(m_tableSQLAlias) + QLatin1Char('.') + quote(m_fieldName);
}

void TdaField::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TdaField*>(Source);
    if (!s) return TPersistent::Assign(Source);
    const bool selectAll = m_selectAll;
    m_alias = s->m_alias;
    m_ascending = s->m_ascending;
    m_autoSearch = s->m_autoSearch;
    m_dataType = s->m_dataType;
    m_displayFormat = s->m_displayFormat;
    m_fieldAlias = s->m_fieldAlias;
    m_fieldName = s->m_fieldName;
    m_mandatory = s->m_mandatory;
    m_searchable = s->m_searchable;
    m_selectable = s->m_selectable;
    m_sortable = s->m_sortable;
    m_sqlFieldName = s->m_sqlFieldName;
    m_tableAlias = s->m_tableAlias;
    m_tableName = s->m_tableName;
    m_tableSQLAlias = s->m_tableSQLAlias;
    m_selectAll = selectAll;
}

const stream::PropertyList& TdaField::StreamProperties() const {
    using T = TdaField;
    static const auto table = stream::PropertyTable<T>(TdaChild::StreamProperties())
        .String("Alias", &T::Alias, &T::SetAlias)
        .Boolean("Ascending", &T::Ascending, &T::SetAscending, true)
        .Boolean("AutoSearch", &T::AutoSearch, &T::SetAutoSearch, false)
        .Enum("DataType", &T::DataType, &T::SetDataType, EnumTypeOf(TppDataType{}).values, TppDataType::dtString)
        .String("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat)
        .String("FieldAlias", &T::FieldAlias, &T::SetFieldAlias)
        .String("FieldName", &T::FieldName, &T::SetFieldName)
        .Boolean("Mandatory", &T::Mandatory, &T::SetMandatory, false)
        .Boolean("Searchable", &T::Searchable, &T::SetSearchable, true)
        .Boolean("Selectable", &T::Selectable, &T::SetSelectable, true)
        .Boolean("SelectAll", &T::SelectAll, &T::SetSelectAll, false)
        .Boolean("Sortable", &T::Sortable, &T::SetSortable, true)
        .String("SQLFieldName", &T::SQLFieldName, &T::SetSQLFieldName)
        .String("TableAlias", &T::TableAlias, &T::SetTableAlias)
        .String("TableName", &T::TableName, &T::SetTableName)
        .String("TableSQLAlias", &T::TableSQLAlias, &T::SetTableSQLAlias);
    return table;
}

// TdaCalculation ---------------------------------------------------------------------------------

TdaCalculation::TdaCalculation(TComponent* AOwner) : TdaField(AOwner) { SetChildType(report::data::kCalcField); }

QString daCalcTypeName(TdaCalcType aCalcType) {
    switch (aCalcType) {
    case TdaCalcType::dacaAvg: return ppGetMessageText(729);
    case TdaCalcType::dacaCount: return ppGetMessageText(740);
    case TdaCalcType::dacaMax: return ppGetMessageText(787);
    case TdaCalcType::dacaMin: return ppGetMessageText(788);
    case TdaCalcType::dacaSum: return ppGetMessageText(832);
    case TdaCalcType::dacaExpression: return ppGetMessageText(759);
    case TdaCalcType::dacaUnknown: break;
    }
    return {};
}

void TdaCalculation::Initialize() {
    TdaField::Initialize();
    m_calcType = TdaCalcType::dacaSum;
    m_expression.clear();
}

QString TdaCalculation::DefaultAlias() const {
    if (m_calcType == TdaCalcType::dacaCount) return daCalcTypeName(m_calcType) + QStringLiteral("(*)");
    if (m_calcType == TdaCalcType::dacaExpression) return m_expression;
    return daCalcTypeName(m_calcType) + QLatin1Char('(') + FieldAlias() + QLatin1Char(')');
}

QString TdaCalculation::GetDescription() const {
    QString text;
    if (m_calcType == TdaCalcType::dacaCount)
        text = daCalcTypeName(m_calcType) + QStringLiteral("(*)");
    else if (m_calcType == TdaCalcType::dacaExpression)
        text = m_expression;
    else
        text = daCalcTypeName(m_calcType) + QLatin1Char('(') + TableAlias() + QLatin1Char('.') + FieldAlias() +
               QLatin1Char(')');
    const QString sort = sortText();
    if (!sort.isEmpty()) text += QLatin1Char(' ') + sort;
    return text;
}

QString TdaCalculation::GetSQLName() const {
    const QString name = TdaField::GetSQLName();
    switch (m_calcType) {
    case TdaCalcType::dacaAvg: return QStringLiteral("AVG(") + name + QLatin1Char(')');
    case TdaCalcType::dacaCount: return QStringLiteral("COUNT(*)");
    case TdaCalcType::dacaMax: return QStringLiteral("MAX(") + name + QLatin1Char(')');
    case TdaCalcType::dacaMin: return QStringLiteral("MIN(") + name + QLatin1Char(')');
    case TdaCalcType::dacaSum: return QStringLiteral("SUM(") + name + QLatin1Char(')');
    case TdaCalcType::dacaExpression: return m_expression;
    case TdaCalcType::dacaUnknown: break;
    }
    return name;
}

void TdaCalculation::SetCalcType(TdaCalcType v) {
    m_calcType = v;
    if (!HasState(csLoading | csReading) && OnCalcTypeChange) OnCalcTypeChange(this);
}

void TdaCalculation::Assign(TPersistent* Source) {
    TdaField::Assign(Source);
    if (auto* s = qobject_cast<TdaCalculation*>(Source)) {
        m_calcType = s->m_calcType;
        m_expression = s->m_expression;
    }
}

const stream::PropertyList& TdaCalculation::StreamProperties() const {
    using T = TdaCalculation;
    static const auto table = stream::PropertyTable<T>(TdaField::StreamProperties())
        .Enum("CalcType", &T::CalcType, [](T& t, TdaCalcType v) { t.m_calcType = v; },
              EnumTypeOf(TdaCalcType{}).values, TdaCalcType::dacaSum)
        .String("Expression", &T::Expression, &T::SetExpression);
    return table;
}

// TdaTableJoin -----------------------------------------------------------------------------------

TdaTableJoin::TdaTableJoin(TComponent* AOwner) : TdaChild(AOwner) { SetChildType(report::data::kTableJoin); }

TdaTableJoin::~TdaTableJoin() {
    SetComponentState(csDestroying, true);
    delete m_localField;
    delete m_foreignField;
}

void TdaTableJoin::AddChild(TppRelative* aChild) {
    auto* field = qobject_cast<TdaField*>(aChild);
    if (!field) return;
    TdaField*& slot = field->ChildType() == report::data::kJoinForeignField ? m_foreignField : m_localField;
    if (field->ChildType() != report::data::kJoinLocalField && field->ChildType() != report::data::kJoinForeignField)
        return;
    if (slot == field) return;
    TdaField* old = slot;
    slot = field;
    delete old;
}

int TdaTableJoin::IndexOfChild(const TppRelative* aChild) const {
    if (aChild && aChild == m_localField) return 0;
    if (aChild && aChild == m_foreignField) return 1;
    return -1;
}

int TdaTableJoin::RemoveChild(TppRelative* aChild) {
    const int i = IndexOfChild(aChild);
    if (i == 0) m_localField = nullptr;
    if (i == 1) m_foreignField = nullptr;
    return i;
}

void TdaTableJoin::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    if (m_localField) proc(*m_localField);
    if (m_foreignField) proc(*m_foreignField);
}

void TdaTableJoin::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TdaTableJoin*>(Source);
    if (!s) return TPersistent::Assign(Source);
    m_operator = s->m_operator;
    for (TdaField* f : {s->m_localField, s->m_foreignField}) {
        if (!f) continue;
        TdaField* copy = copyOf(f, ownerFor(this));
        copy->SetChildType(f->ChildType());
        copy->SetParent(this);
    }
}

const stream::PropertyList& TdaTableJoin::StreamProperties() const {
    using T = TdaTableJoin;
    static const auto table = stream::PropertyTable<T>(TdaChild::StreamProperties())
        .Enum("Operator", &T::Operator, &T::SetOperator, EnumTypeOf(TdaJoinOperatorType{}).values,
              TdaJoinOperatorType::dajoEqual);
    return table;
}

// TdaTable ---------------------------------------------------------------------------------------

TdaTable::TdaTable(TComponent* AOwner) : TdaChild(AOwner) { SetChildType(report::data::kSelectedTable); }

TdaTable::~TdaTable() {
    SetComponentState(csDestroying, true);
    if (auto* sql = qobject_cast<TdaSQL*>(Parent())) sql->TableFreeing(this);
    freeAll(m_joins);
}

QString TdaTable::FullName() const {
    return m_ownerName.isEmpty() ? m_tableName : m_ownerName + QLatin1Char('.') + m_tableName;
}

void TdaTable::SetFullName(const QString& aName) {
    QString table, owner;
    bool file = false;
    ppParseTableName(aName, table, owner, file);
    m_tableName = file ? aName : table;  // a table file has no owner and keeps its extension
    m_ownerName = file ? QString() : owner;
}

void TdaTable::AddChild(TppRelative* aChild) {
    auto* join = qobject_cast<TdaTableJoin*>(aChild);
    if (!join || aChild->ChildType() != report::data::kTableJoin) return TppRelative::AddChild(aChild);
    if (std::find(m_joins.begin(), m_joins.end(), join) == m_joins.end()) m_joins.push_back(join);
    if (TdaSQL* sql = SQL()) sql->DoChange();
}

void TdaTable::InsertChild(int aIndex, TppRelative* aChild) {
    auto* join = qobject_cast<TdaTableJoin*>(aChild);
    if (!join || aChild->ChildType() != report::data::kTableJoin) return TppRelative::InsertChild(aIndex, aChild);
    if (std::find(m_joins.begin(), m_joins.end(), join) != m_joins.end()) return;
    aIndex = std::clamp(aIndex, 0, int(m_joins.size()));
    m_joins.insert(m_joins.begin() + aIndex, join);
    if (TdaSQL* sql = SQL()) sql->DoChange();
}

int TdaTable::IndexOfChild(const TppRelative* aChild) const {
    const auto it = std::find(m_joins.begin(), m_joins.end(), aChild);
    if (it != m_joins.end()) return int(it - m_joins.begin());
    return TppRelative::IndexOfChild(aChild);
}

int TdaTable::RemoveChild(TppRelative* aChild) {
    const auto it = std::find(m_joins.begin(), m_joins.end(), aChild);
    if (it == m_joins.end()) return TppRelative::RemoveChild(aChild);
    const int index = int(it - m_joins.begin());
    m_joins.erase(it);
    if (TdaSQL* sql = SQL()) sql->DoChange();
    return index;
}

void TdaTable::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (TdaTableJoin* j : m_joins) proc(*j);
}

void TdaTable::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TdaTable*>(Source);
    if (!s) return TPersistent::Assign(Source);
    m_joinTable = s->m_joinTable;
    m_alias = s->m_alias;
    m_tableAlias = s->m_tableAlias;
    m_tableName = s->m_tableName;
    m_ownerName = s->m_ownerName;
    m_sqlAlias = s->m_sqlAlias;
    m_joinType = s->m_joinType;
    m_joinable = s->m_joinable;
    m_joinableTables = s->m_joinableTables;
    freeAll(m_joins);
    for (TdaTableJoin* j : s->m_joins) copyOf(j, ownerFor(this))->SetParent(this);
}

void TdaTable::Loaded() {
    if (m_alias.isEmpty()) m_alias = m_tableAlias;
    TdaChild::Loaded();
}

const stream::PropertyList& TdaTable::StreamProperties() const {
    using T = TdaTable;
    static const auto table = stream::PropertyTable<T>(TdaChild::StreamProperties())
        .String("Alias", &T::Alias, &T::SetAlias)
        .Boolean("Joinable", &T::Joinable, &T::SetJoinable, true)
        .Strings("JoinableTables", &T::JoinableTables, &T::SetJoinableTables)
        .String("JoinTable", &T::JoinTable, &T::SetJoinTable)
        .Enum("JoinType", &T::JoinType, &T::SetJoinType, EnumTypeOf(TdaJoinType{}).values, TdaJoinType::dajtInner)
        .String("OwnerName", &T::OwnerName, &T::SetOwnerName)
        .String("SQLAlias", &T::SQLAlias, &T::SetSQLAlias)
        .String("TableAlias", &T::TableAlias, &T::SetTableAlias)
        .String("TableName", &T::TableName, &T::SetTableName);
    return table;
}

// TdaNumericValue --------------------------------------------------------------------------------

TdaNumericValue::TdaNumericValue(TComponent* AOwner) : TppRelative(AOwner) {}

const stream::PropertyList& TdaNumericValue::StreamProperties() const {
    using T = TdaNumericValue;
    static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
        .Float("Value", &T::Value, &T::SetValue, 0.0);
    return table;
}

// TdaCriteria ------------------------------------------------------------------------------------

TdaCriteria::TdaCriteria(TComponent* AOwner) : TdaChild(AOwner) { SetChildType(report::data::kCriteria); }

TdaCriteria::~TdaCriteria() {
    SetComponentState(csDestroying, true);
    freeNumericValues();
    delete m_field;
}

bool TdaCriteria::KeepsNumbers() const {
    return m_field && (isDateType(m_field->DataType()) || isNumericType(m_field->DataType()));
}

QString TdaCriteria::Value() const { return m_value; }

void TdaCriteria::SetValue(const QString& v) {
    m_value = v;
    if (HasState(csLoading | csReading)) return;
    m_valuesChanged = true;
    updateNumericValues();
}

void TdaCriteria::freeNumericValues() const {
    freeAll(m_numericValues);
}

void TdaCriteria::updateNumericValues() const {
    if (!m_valuesChanged) return;
    m_valuesChanged = false;
    freeNumericValues();
    m_invalidValue.clear();
    if (!KeepsNumbers()) return;
    QStringList items;
    ppCommaTextToList(m_value, items);
    std::vector<double> numbers;
    const TppDataType type = m_field->DataType();
    for (const QString& item : items) {
        if (isDateType(type)) {
            const auto value = format::TryStrToDateTime(item.trimmed());
            if (!value) {
                m_invalidValue = item;
                return;
            }
            numbers.push_back(base::DateTimeToDays(*value));
        } else if (type == TppDataType::dtInteger) {
            const auto value = format::TryStrToInt(item.trimmed());
            if (!value) {
                m_invalidValue = item;
                return;
            }
            numbers.push_back(*value);
        } else {
            QString text = item.trimmed();
            const QChar thousands = format::Settings().thousandSeparator;
            if (!thousands.isNull()) text.remove(thousands);
            const auto value = format::TryStrToFloat(text);
            if (!value) {
                m_invalidValue = item;
                return;
            }
            numbers.push_back(*value);
        }
    }
    auto* self = const_cast<TdaCriteria*>(this);
    for (double n : numbers) {
        auto* value = new TdaNumericValue(ownerFor(self));
        value->SetValue(n);
        value->SetParent(self);
    }
}

int TdaCriteria::NumericValueCount() const {
    updateNumericValues();
    return int(m_numericValues.size());
}

double TdaCriteria::NumericValues(int aIndex) const {
    updateNumericValues();
    return m_numericValues.at(size_t(aIndex))->Value();
}

bool TdaCriteria::ValuesValid() const { return InvalidValue().isEmpty(); }

QString TdaCriteria::InvalidValue() const {
    updateNumericValues();
    return m_invalidValue;
}

QString daCriteriaOperatorName(TdaCriteriaOperatorType aOperator) {
    switch (aOperator) {
    case TdaCriteriaOperatorType::dacoEqual: return QStringLiteral("=");
    case TdaCriteriaOperatorType::dacoNotEqual: return QStringLiteral("<>");
    case TdaCriteriaOperatorType::dacoLessThan: return QStringLiteral("<");
    case TdaCriteriaOperatorType::dacoLessThanOrEqualTo: return QStringLiteral("<=");
    case TdaCriteriaOperatorType::dacoGreaterThan: return QStringLiteral(">");
    case TdaCriteriaOperatorType::dacoGreaterThanOrEqualTo: return QStringLiteral(">=");
    case TdaCriteriaOperatorType::dacoLike: return ppGetMessageText(785);
    case TdaCriteriaOperatorType::dacoNotLike: return ppGetMessageText(798);
    case TdaCriteriaOperatorType::dacoBetween: return ppGetMessageText(732);
    case TdaCriteriaOperatorType::dacoNotBetween: return ppGetMessageText(795);
    case TdaCriteriaOperatorType::dacoInList: return ppGetMessageText(772);
    case TdaCriteriaOperatorType::dacoNotInList: return ppGetMessageText(797);
    case TdaCriteriaOperatorType::dacoBlank: return ppGetMessageText(733);
    case TdaCriteriaOperatorType::dacoNotBlank: return ppGetMessageText(796);
    }
    return {};
}

QString daJoinTypeName(TdaJoinType aJoinType) {
    switch (aJoinType) {
    case TdaJoinType::dajtNone: return {};
    case TdaJoinType::dajtInner: return ppGetMessageText(773);
    case TdaJoinType::dajtOuter: return ppGetMessageText(765);
    case TdaJoinType::dajtLeftOuter: return ppGetMessageText(784);
    case TdaJoinType::dajtRightOuter: return ppGetMessageText(815);
    }
    return {};
}

QString daJoinOperatorName(TdaJoinOperatorType aOperator) {
    static const char* const names[] = {"=", "<>", ">", ">=", "<", "<="};
    return QString::fromLatin1(names[int(aOperator)]);
}

QString TdaCriteria::GetDescription() const {
    switch (m_criteriaType) {
    case TdaCriteriaType::dacrOR: return ppGetMessageText(803);
    case TdaCriteriaType::dacrNOT: return ppGetMessageText(794);
    case TdaCriteriaType::dacrBegin: return ppGetMessageText(731);
    case TdaCriteriaType::dacrEnd: return ppGetMessageText(758);
    case TdaCriteriaType::dacrField: break;
    }
    return (m_field ? m_field->GetDescription() : QString()) + QLatin1Char(' ') + daCriteriaOperatorName(m_operator) +
           QLatin1Char(' ') + m_value;
}

void TdaCriteria::AddChild(TppRelative* aChild) {
    if (auto* field = qobject_cast<TdaField*>(aChild)) {
        if (field == m_field) return;
        TdaField* old = m_field;
        m_field = field;
        delete old;
        if (!HasState(csLoading | csReading)) {
            m_valuesChanged = true;
            updateNumericValues();
        }
        return;
    }
    if (auto* value = qobject_cast<TdaNumericValue*>(aChild)) {
        if (std::find(m_numericValues.begin(), m_numericValues.end(), value) == m_numericValues.end())
            m_numericValues.push_back(value);
        return;
    }
    TppRelative::AddChild(aChild);
}

int TdaCriteria::IndexOfChild(const TppRelative* aChild) const {
    if (aChild && aChild == m_field) return 0;
    const auto it = std::find(m_numericValues.begin(), m_numericValues.end(), aChild);
    if (it != m_numericValues.end()) return int(it - m_numericValues.begin()) + 1;
    return TppRelative::IndexOfChild(aChild);
}

int TdaCriteria::RemoveChild(TppRelative* aChild) {
    if (aChild && aChild == m_field) {
        m_field = nullptr;
        return 0;
    }
    const auto it = std::find(m_numericValues.begin(), m_numericValues.end(), aChild);
    if (it != m_numericValues.end()) {
        const int index = int(it - m_numericValues.begin()) + 1;
        m_numericValues.erase(it);
        return index;
    }
    return TppRelative::RemoveChild(aChild);
}

void TdaCriteria::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    if (m_field) proc(*m_field);
    for (TdaNumericValue* v : m_numericValues) proc(*v);
}

void TdaCriteria::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TdaCriteria*>(Source);
    if (!s) return TPersistent::Assign(Source);
    m_caseSensitive = s->m_caseSensitive;
    m_criteriaType = s->m_criteriaType;
    m_level = s->m_level;
    m_operator = s->m_operator;
    m_showAllValues = s->m_showAllValues;
    if (s->m_field) {
        TdaField* copy = copyOf(s->m_field, ownerFor(this));
        copy->SetChildType(s->m_field->ChildType());
        copy->SetParent(this);
    } else {
        delete m_field;
        m_field = nullptr;
    }
    m_value = s->m_value;
    m_valuesChanged = true;
}

void TdaCriteria::Loaded() {
    TdaChild::Loaded();
    if (!KeepsNumbers()) return;
    if (!m_value.isEmpty() && m_numericValues.empty()) {
        m_valuesChanged = true;
        updateNumericValues();
        if (!m_invalidValue.isEmpty()) return;  // kept as typed
    }
    // The text again from the numbers, in the current locale.
    QStringList items;
    const TppDataType type = m_field->DataType();
    for (TdaNumericValue* v : m_numericValues) {
        if (isDateType(type)) {
            // A date without a time of day is written without one, whatever the locale does.
            const QDateTime value = base::DaysToDateTime(v->Value());
            items << (value.time() == QTime(0, 0) ? format::DateToStr(value.date()) : format::DateTimeToStr(value));
        }
        else if (type == TppDataType::dtInteger)
            items << QString::number(qint64(v->Value()));
        else
            items << format::FloatToStrF(v->Value(), format::FloatFormat::General, 15, 0);
    }
    m_value = items.join(QLatin1Char(','));
    m_valuesChanged = false;
    m_invalidValue.clear();
}

const stream::PropertyList& TdaCriteria::StreamProperties() const {
    using T = TdaCriteria;
    static const auto table = stream::PropertyTable<T>(TdaChild::StreamProperties())
        .Boolean("CaseSensitive", &T::CaseSensitive, &T::SetCaseSensitive, true)
        .Enum("CriteriaType", &T::CriteriaType, &T::SetCriteriaType, EnumTypeOf(TdaCriteriaType{}).values,
              TdaCriteriaType::dacrField)
        .Integer("Level", &T::Level, &T::SetLevel, 0)
        .Enum("Operator", &T::Operator, &T::SetOperator, EnumTypeOf(TdaCriteriaOperatorType{}).values,
              TdaCriteriaOperatorType::dacoEqual)
        .Boolean("ShowAllValues", &T::ShowAllValues, &T::SetShowAllValues, false)
        .String("Value", [](const T& t) { return t.m_value; }, &T::SetValue);
    return table;
}

// TdaSQL -----------------------------------------------------------------------------------------

TdaSQL::TdaSQL(TComponent* AOwner) : TppRelative(AOwner) {}

TdaSQL::~TdaSQL() {
    SetComponentState(csDestroying, true);
    if (m_session) m_session->RemoveNotify(this);
    if (m_dataDictionary) m_dataDictionary->RemoveNotify(this);
    for (auto* list : {&m_calcFields, &m_criteria, &m_selectFields, &m_groupByFields, &m_orderByFields,
                       &m_selectedTables})
        freeAll(*list);
}

std::vector<TppRelative*>* TdaSQL::listOf(int aChildType) {
    return const_cast<std::vector<TppRelative*>*>(std::as_const(*this).listOf(aChildType));
}

const std::vector<TppRelative*>* TdaSQL::listOf(int aChildType) const {
    using namespace report::data;
    switch (aChildType) {
    case kSelectField: return &m_selectFields;
    case kGroupByField: return &m_groupByFields;
    case kOrderByField: return &m_orderByFields;
    case kSelectedTable: return &m_selectedTables;
    case kCriteria: return &m_criteria;
    case kCalcField: return &m_calcFields;
    default: return nullptr;
    }
}

bool TdaSQL::quiet() const { return HasState(csLoading | csReading | csDestroying) || m_assigning; }

void TdaSQL::DoChange() {
    if (quiet()) return;
    m_modified = true;
    m_sqlTextCurrent = false;
}

void TdaSQL::InvalidateAll() {
    m_sqlTextCurrent = false;
    m_availableTablesCurrent = false;
    m_unselectedTablesCurrent = false;
    InvalidateFieldLists();
}

TdaField* TdaSQL::SelectFields(int i) const { return qobject_cast<TdaField*>(m_selectFields.at(size_t(i))); }
TdaField* TdaSQL::GroupByFields(int i) const { return qobject_cast<TdaField*>(m_groupByFields.at(size_t(i))); }
TdaField* TdaSQL::OrderByFields(int i) const { return qobject_cast<TdaField*>(m_orderByFields.at(size_t(i))); }
TdaTable* TdaSQL::SelectedTables(int i) const { return qobject_cast<TdaTable*>(m_selectedTables.at(size_t(i))); }
TdaCriteria* TdaSQL::Criteria(int i) const { return qobject_cast<TdaCriteria*>(m_criteria.at(size_t(i))); }
TdaCalculation* TdaSQL::CalcFields(int i) const { return qobject_cast<TdaCalculation*>(m_calcFields.at(size_t(i))); }

void TdaSQL::AddChild(TppRelative* aChild) {
    std::vector<TppRelative*>* list = aChild ? listOf(aChild->ChildType()) : nullptr;
    if (!list) return TppRelative::AddChild(aChild);
    if (std::find(list->begin(), list->end(), aChild) == list->end()) list->push_back(aChild);
    childListsChanged(aChild->ChildType());
    if (auto* calc = qobject_cast<TdaCalculation*>(aChild))
        calc->OnCalcTypeChange = [this](TdaCalculation*) { DoChange(); };
    DoChange();
}

void TdaSQL::InsertChild(int aIndex, TppRelative* aChild) {
    std::vector<TppRelative*>* list = aChild ? listOf(aChild->ChildType()) : nullptr;
    if (!list) return TppRelative::InsertChild(aIndex, aChild);
    if (std::find(list->begin(), list->end(), aChild) != list->end()) return;
    aIndex = std::clamp(aIndex, 0, int(list->size()));
    list->insert(list->begin() + aIndex, aChild);
    childListsChanged(aChild->ChildType());
    DoChange();
}

int TdaSQL::IndexOfChild(const TppRelative* aChild) const {
    const std::vector<TppRelative*>* list = aChild ? listOf(aChild->ChildType()) : nullptr;
    if (list) {
        const auto it = std::find(list->begin(), list->end(), aChild);
        if (it != list->end()) return int(it - list->begin());
    }
    return TppRelative::IndexOfChild(aChild);
}

int TdaSQL::RemoveChild(TppRelative* aChild) {
    std::vector<TppRelative*>* list = aChild ? listOf(aChild->ChildType()) : nullptr;
    const auto it = list ? std::find(list->begin(), list->end(), aChild) : std::vector<TppRelative*>::iterator{};
    if (!list || it == list->end()) return TppRelative::RemoveChild(aChild);
    const int index = int(it - list->begin());
    list->erase(it);
    childListsChanged(aChild->ChildType());
    DoChange();
    if (m_selectedTables.empty() && !quiet()) m_modified = false;
    return index;
}

void TdaSQL::TableFreeing(const TdaTable* aTable) {
    if (HasState(csDestroying)) return;
    const QString alias = aTable->SQLAlias();
    auto refersTo = [&alias](TppRelative* child) {
        if (auto* criteria = qobject_cast<TdaCriteria*>(child))
            return criteria->Field() && sameText(criteria->Field()->TableSQLAlias(), alias);
        auto* field = qobject_cast<TdaField*>(child);
        return field && sameText(field->TableSQLAlias(), alias);
    };
    for (auto* list : {&m_calcFields, &m_criteria, &m_selectFields, &m_groupByFields, &m_orderByFields})
        for (int i = int(list->size()) - 1; i >= 0; --i)
            if (i < int(list->size()) && refersTo((*list)[size_t(i)])) delete (*list)[size_t(i)];
}

TdaTable* TdaSQL::FindSelectedTable(const QString& aSQLAlias) const {
    for (TppRelative* child : m_selectedTables)
        if (auto* t = qobject_cast<TdaTable*>(child); t && sameText(t->SQLAlias(), aSQLAlias)) return t;
    return nullptr;
}

QString TdaSQL::MakeSQLAlias(const QString& aTableName) const {
    QString alias = aTableName;
    if (!(m_dataDictionary && m_dataDictionary->UseTableOwnerName())) {
        QString table, owner;
        bool file = false;
        ppParseTableName(aTableName, table, owner, file);  // a table file gives its base name
        alias = table;
    }
    for (qsizetype i = 0; i < alias.size(); ++i) {
        const QChar c = alias.at(i);
        const bool plain = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
        if (!plain || (i == 0 && c.isDigit())) alias[i] = u'_';
    }
    while (m_session && !alias.isEmpty() && m_session->IsReservedWord(alias, m_databaseType))
        alias += QStringLiteral("_TABLE");
    if (!FindSelectedTable(alias)) return alias;
    for (int n = 2;; ++n) {
        const QString candidate = alias + u'_' + QString::number(n);
        if (!FindSelectedTable(candidate)) return candidate;
    }
}

void TdaSQL::MoveChild(TppRelative* aChild, int aFromIndex, int aToIndex) {
    std::vector<TppRelative*>* list = aChild ? listOf(aChild->ChildType()) : nullptr;
    if (!list || aFromIndex < 0 || aFromIndex >= int(list->size()) || (*list)[size_t(aFromIndex)] != aChild) return;
    list->erase(list->begin() + aFromIndex);
    aToIndex = std::clamp(aToIndex, 0, int(list->size()));
    list->insert(list->begin() + aToIndex, aChild);
    DoChange();
}

void TdaSQL::ClearAll() {
    m_sqlText.clear();
    freeAvailableTables();
    freeAll(m_selectedTables);
    freeAll(m_selectFields);
    freeAll(m_groupByFields);
    m_groupByFieldsSynced = false;
    freeAll(m_orderByFields);
    freeAll(m_calcFields);
    freeAll(m_criteria);
}

void TdaSQL::SetDistinct(bool v) {
    m_distinct = v;
    DoChange();
}

void TdaSQL::SetSQLType(TppSQLType v) {
    m_sqlType = v;
    if (!HasState(csLoading | csReading)) DoChange();
}

void TdaSQL::SetEditSQLAsText(bool v) {
    const bool turningOn = v && !m_editSQLAsText;
    m_editSQLAsText = v;
    if (!turningOn || HasState(csLoading | csReading)) return;
    const QStringList text = SQLText();
    ClearAll();
    m_sqlText = text;
    m_sqlTextCurrent = true;
}

QStringList TdaSQL::SQLText() {
    if (HasState(csLoading | csReading) || m_sqlTextCurrent || m_editSQLAsText) return m_sqlText;
    GenerateSQLText();
    return m_sqlText;
}

void TdaSQL::SetSQLText(const QStringList& aLines) {
    if (HasState(csLoading | csReading)) {
        m_sqlText = aLines;
        return;
    }
    m_editSQLAsText = true;
    ClearAll();
    m_sqlText = aLines;
    m_sqlTextCurrent = true;
    DoChange();
    m_sqlTextCurrent = true;
}

void TdaSQL::SetSession(TdaSession* aValue) {
    if (m_session == aValue) return;
    if (m_session) m_session->RemoveNotify(this);
    m_session = aValue;
    m_dataSetClass = nullptr;
    if (m_session) {
        m_session->AddNotify(this);
        m_dataSetClass = m_session->DataSetClass();
    }
    DoChange();
}

void TdaSQL::SetDataDictionary(TppDataDictionary* aValue) {
    if (m_dataDictionary == aValue) return;
    if (m_dataDictionary) m_dataDictionary->RemoveNotify(this);
    m_dataDictionary = aValue;
    if (m_dataDictionary) m_dataDictionary->AddNotify(this);
    DoChange();
}

void TdaSQL::UpdateDatabaseType() {
    if (!m_session || m_databaseType != TppDatabaseType::dtOther) return;
    const TppDatabaseType type = m_session->GetDatabaseType(m_databaseName);
    if (type == m_databaseType) return;
    m_databaseType = type;
    m_modified = true;
}

void TdaSQL::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    if (aOperation == ppopRemove) {
        if (aCommunicator == m_session) {
            m_session = nullptr;
            m_dataSetClass = nullptr;
        }
        if (aCommunicator == m_dataDictionary) m_dataDictionary = nullptr;
    }
    TppRelative::Notify(aCommunicator, aOperation);
}

void TdaSQL::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (const auto* list : {&m_calcFields, &m_criteria, &m_selectFields, &m_groupByFields, &m_orderByFields,
                             &m_selectedTables})
        for (TppRelative* child : *list) proc(*child);
}

void TdaSQL::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TdaSQL*>(Source);
    if (!s) return TPersistent::Assign(Source);
    m_assigning = true;
    ClearAll();
    m_allowSelfJoins = s->m_allowSelfJoins;
    m_databaseName = s->m_databaseName;
    m_databaseType = s->m_databaseType;
    SetDataDictionary(s->m_dataDictionary);
    m_dataPipelineName = s->m_dataPipelineName;
    m_description = s->m_description;
    m_distinct = s->m_distinct;
    m_editSQLAsText = s->m_editSQLAsText;
    m_fieldOrder = s->m_fieldOrder;
    m_groupByFieldsSynced = s->m_groupByFieldsSynced;
    m_lineWidth = s->m_lineWidth;
    m_modified = s->m_modified;
    m_sqlText = s->m_sqlText;
    m_sqlType = s->m_sqlType;
    SetSession(s->m_session);
    m_dataSetClass = s->m_dataSetClass;
    m_sqlTextCurrent = false;
    for (const auto* list : {&s->m_calcFields, &s->m_criteria, &s->m_selectFields, &s->m_groupByFields,
                             &s->m_orderByFields, &s->m_selectedTables})
        for (TppRelative* child : *list) {
            auto* copy = copyOf(child, ownerFor(this));
            if (!copy) continue;
            copy->SetChildType(child->ChildType());
            copy->SetParent(this);
        }
    m_assigning = false;
}

void TdaSQL::Loaded() {
    TppRelative::Loaded();
    m_modified = false;
    m_sqlTextCurrent = true;
    m_availableTablesCurrent = m_unselectedTablesCurrent = m_availableFieldsCurrent = true;
    m_selectListCurrent = m_criteriaListCurrent = m_groupByListCurrent = m_orderByListCurrent = true;
}

const stream::PropertyList& TdaSQL::StreamProperties() const {
    using T = TdaSQL;
    static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
        .Integer("ChildType", &T::ChildType, &T::SetChildType, 0)
        .String("DatabaseName", &T::DatabaseName, &T::SetDatabaseName)
        .Enum("DatabaseType", &T::DatabaseType, &T::SetDatabaseType, EnumTypeOf(TppDatabaseType{}).values,
              TppDatabaseType::dtOther)
        .String("DataPipelineName", &T::DataPipelineName, &T::SetDataPipelineName)
        .String("Description", &T::Description, &T::SetDescription)
        .Boolean("Distinct", &T::Distinct, [](T& t, bool v) { t.m_distinct = v; }, false)
        .Boolean("EditSQLAsText", &T::EditSQLAsText, [](T& t, bool v) { t.m_editSQLAsText = v; }, false)
        .Boolean("GroupByFieldsSynced", &T::GroupByFieldsSynced, &T::SetGroupByFieldsSynced, false)
        .Strings("SQLText", [](const T& t) { return t.m_sqlText; }, [](T& t, const QStringList& v) { t.m_sqlText = v; })
        .Enum("SQLType", &T::SQLType, &T::SetSQLType, EnumTypeOf(TppSQLType{}).values, TppSQLType::sqBDELocal);
    return table;
}

namespace report::data {

namespace {
template <class T>
void registerClass(const char* name) {
    RegisterClass(&T::staticMetaObject);
    stream::ClassRegistry::Global().Register<T>(QString::fromLatin1(name));
}
template <class T>
void unregisterClass(const char* name) {
    UnRegisterClass(&T::staticMetaObject);
    stream::ClassRegistry::Global().Unregister(QString::fromLatin1(name));
}
}  // namespace

void RegisterSQLClasses() {
    DeclareDataTexts();
    registerClass<TdaTable>("TdaTable");
    registerClass<TdaField>("TdaField");
    registerClass<TdaCalculation>("TdaCalculation");
    registerClass<TdaTableJoin>("TdaTableJoin");
    registerClass<TdaCriteria>("TdaCriteria");
    registerClass<TdaNumericValue>("TdaNumericValue");
    registerClass<TdaSQL>("TdaSQL");
}

void UnRegisterSQLClasses() {
    unregisterClass<TdaTable>("TdaTable");
    unregisterClass<TdaField>("TdaField");
    unregisterClass<TdaCalculation>("TdaCalculation");
    unregisterClass<TdaTableJoin>("TdaTableJoin");
    unregisterClass<TdaCriteria>("TdaCriteria");
    unregisterClass<TdaNumericValue>("TdaNumericValue");
    unregisterClass<TdaSQL>("TdaSQL");
}

}  // namespace report::data
