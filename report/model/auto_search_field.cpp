#include "report/model/auto_search_field.h"

#include "report/model/text_layout.h"

#include "report/page/resource_manager.h"

#include "platform/format/number_parse.h"
#include "platform/stream/property_table.h"

namespace report {

void DeclarePipelineTexts() {
    static const bool declared = [] {
        DeclareTexts({
            {54, "Show all data where the"},
            {55, "and the"},
            {92, "is"},
            {93, "is equal to"},
            {94, "is not"},
            {95, "is not equal to"},
            {96, "is before"},
            {97, "is less than"},
            {98, "is on or before"},
            {99, "is less than or equal to"},
            {100, "is after"},
            {1000, "is greater than"},
            {1001, "is on or after"},
            {1002, "is greater than or equal to"},
            {1003, "begins with"},
            {1004, "does not begin with"},
            {1005, "is between"},
            {1006, "is not between"},
            {1007, "matches one of the values in this list"},
            {1008, "is blank"},
            {1009, "is not blank"},
            {1027, "does not match any of the values in this list"},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

}  // namespace report

namespace {

bool isDateType(TppDataType t) {
    return t == TppDataType::dtDate || t == TppDataType::dtTime || t == TppDataType::dtDateTime;
}

}  // namespace

TppAutoSearchField::TppAutoSearchField(TComponent* AOwner) : TppField(AOwner) { report::DeclarePipelineTexts(); }

void TppAutoSearchField::changed() {
    if (OnChange && !HasState(csReading | csLoading)) OnChange(this);
}

void TppAutoSearchField::SetFieldName(const QString& aValue) {
    TppField::SetFieldName(aValue);
    changed();
}

void TppAutoSearchField::SetSearchExpression(const QString& v) {
    TppField::SetSearchExpression(v);
    changed();
}

void TppAutoSearchField::SetDataPipelineName(const QString& v) {
    m_dataPipelineName = v;
    changed();
}

void TppAutoSearchField::SetSearchOperator(TppSearchOperatorType v) {
    m_searchOperator = v;
    changed();
}

void TppAutoSearchField::SetShowAllValues(bool v) {
    m_showAllValues = v;
    changed();
}

void TppAutoSearchField::GetOperatorText(QString& aText) const {
    const bool date = isDateType(DataType());
    using O = TppSearchOperatorType;
    int n = 93;
    switch (m_searchOperator) {
    case O::soEqual: n = date ? 92 : 93; break;
    case O::soNotEqual: n = date ? 94 : 95; break;
    case O::soLessThan: n = date ? 96 : 97; break;
    case O::soLessThanOrEqualTo: n = date ? 98 : 99; break;
    case O::soGreaterThan: n = date ? 100 : 1000; break;
    case O::soGreaterThanOrEqualTo: n = date ? 1001 : 1002; break;
    case O::soLike: n = 1003; break;
    case O::soNotLike: n = 1004; break;
    case O::soBetween: n = 1005; break;
    case O::soNotBetween: n = 1006; break;
    case O::soInList: n = 1007; break;
    case O::soNotInList: n = 1027; break;
    case O::soBlank: n = 1008; break;
    case O::soNotBlank: n = 1009; break;
    }
    aText = ppGetMessageText(n);
}

void TppAutoSearchField::GetDescription(QString& aText) const {
    aText = ppGetMessageText(FirstField() ? 54 : 55) + u' ' + FieldAlias();
    if (m_showAllValues) {
        aText += QStringLiteral(" has any value");
        return;
    }
    QString op;
    GetOperatorText(op);
    aText += u' ' + op + u' ' + SearchExpression();
}

int TppAutoSearchField::ValueCount() const {
    QStringList items;
    ppCommaTextToList(SearchExpression(), items);
    return int(items.size());
}

QVariant TppAutoSearchField::Values(int aIndex) const {
    QStringList items;
    ppCommaTextToList(SearchExpression(), items);
    if (aIndex < 0 || aIndex >= items.size()) return QString();
    const QString item = items.at(aIndex);
    switch (DataType()) {
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime:
        return ppStrToDateTime(item);
    case TppDataType::dtInteger:
    case TppDataType::dtLongint:
        return format::StrToInt(item);
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
        return format::StrToFloat(item);
    case TppDataType::dtChar:
    case TppDataType::dtString:
    case TppDataType::dtMemo:
        return !m_wildCard.isEmpty() && !item.contains(m_wildCard) ? item + m_wildCard : item;
    default:
        return QString();
    }
}

const stream::PropertyList& TppAutoSearchField::StreamProperties() const {
    using T = TppAutoSearchField;
    static const auto table = stream::PropertyTable<T>(TppField::StreamProperties())
        .String("DataPipelineName", &T::DataPipelineName, &T::SetDataPipelineName)
        .String("Delimiter", &T::Delimiter, &T::SetDelimiter)
        .Enum("SearchOperator", &T::SearchOperator, &T::SetSearchOperator, EnumTypeOf(TppSearchOperatorType{}).values,
              TppSearchOperatorType::soEqual)
        .Boolean("ShowAllValues", &T::ShowAllValues, &T::SetShowAllValues, false)
        .String("WildCard", &T::WildCard, &T::SetWildCard);
    return table;
}
