#include "report/model/pipeline_field.h"

#include "report/model/custom_data_pipeline.h"
#include "report/model/errors.h"

#include "platform/stream/property_table.h"

TppField::TppField(TComponent* AOwner) : TppRelative(AOwner) {}

#define DOSSARA_FIELD_SETTER(Setter, Type, member) \
    void TppField::Setter(Type v) {                \
        member = v;                                \
        PropertyChange();                          \
    }
DOSSARA_FIELD_SETTER(SetAlignment, TAlignment, m_alignment)
DOSSARA_FIELD_SETTER(SetFieldAlias, const QString&, m_fieldAlias)
DOSSARA_FIELD_SETTER(SetFieldLength, int, m_fieldLength)
DOSSARA_FIELD_SETTER(SetGroupOrder, int, m_groupOrder)
DOSSARA_FIELD_SETTER(SetDisplayFormat, const QString&, m_displayFormat)
DOSSARA_FIELD_SETTER(SetDisplayWidth, int, m_displayWidth)
DOSSARA_FIELD_SETTER(SetSelectable, bool, m_selectable)
DOSSARA_FIELD_SETTER(SetSelectOrder, int, m_selectOrder)
DOSSARA_FIELD_SETTER(SetSearchable, bool, m_searchable)
DOSSARA_FIELD_SETTER(SetSearch, bool, m_search)
DOSSARA_FIELD_SETTER(SetSearchExpression, const QString&, m_searchExpression)
DOSSARA_FIELD_SETTER(SetSearchOrder, int, m_searchOrder)
DOSSARA_FIELD_SETTER(SetSortable, bool, m_sortable)
DOSSARA_FIELD_SETTER(SetSort, bool, m_sort)
DOSSARA_FIELD_SETTER(SetSortOrder, int, m_sortOrder)
DOSSARA_FIELD_SETTER(SetSortType, TppSortOrderType, m_sortType)
DOSSARA_FIELD_SETTER(SetSortExpression, const QString&, m_sortExpression)
DOSSARA_FIELD_SETTER(SetTableAlias, const QString&, m_tableAlias)
DOSSARA_FIELD_SETTER(SetTableName, const QString&, m_tableName)
#undef DOSSARA_FIELD_SETTER

void TppField::SetFieldName(const QString& aValue) {
    if (m_fieldAlias == m_fieldName) m_fieldAlias = aValue;
    m_fieldName = aValue;
    PropertyChange();
}

void TppField::SetDataType(TppDataType aValue) {
    if (auto* pipeline = qobject_cast<TppCustomDataPipeline*>(Parent()); pipeline && !pipeline->IsSupportedDataType(aValue))
        throw EInvalidPropertyError(QStringLiteral("DataType not supported by ") +
                                    QString::fromLatin1(pipeline->metaObject()->className()));
    m_dataType = aValue;
    PropertyChange();
}

TppDataPipeline* TppField::DataPipeline() const { return qobject_cast<TppDataPipeline*>(Parent()); }

void TppField::SetDataPipeline(TppDataPipeline* aPipeline) { SetParent(aPipeline); }

const stream::PropertyList& TppField::StreamProperties() const {
    using T = TppField;
    static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
        .Enum("Alignment", &T::Alignment, &T::SetAlignment, EnumTypeOf(TAlignment{}).values, TAlignment::taLeftJustify)
        .String("FieldAlias", &T::FieldAlias, &T::SetFieldAlias)
        .String("FieldName", &T::FieldName, [](T& t, const QString& v) { t.SetFieldName(v); })
        .Integer("FieldLength", &T::FieldLength, &T::SetFieldLength, 10)
        .Integer("GroupOrder", &T::GroupOrder, &T::SetGroupOrder, -1)
        .Enum("DataType", &T::DataType, &T::SetDataType, EnumTypeOf(TppDataType{}).values, TppDataType::dtString)
        .String("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat)
        .Integer("DisplayWidth", &T::DisplayWidth, &T::SetDisplayWidth, 10)
        .Integer("Position", &T::Position, &T::SetPosition, stream::kNoDefault)
        .Boolean("Selectable", &T::Selectable, &T::SetSelectable, true)
        .Integer("SelectOrder", &T::SelectOrder, &T::SetSelectOrder, -1)
        .Boolean("Searchable", &T::Searchable, &T::SetSearchable, true)
        .Boolean("Search", &T::Search, &T::SetSearch, false)
        .String("SearchExpression", &T::SearchExpression, [](T& t, const QString& v) { t.SetSearchExpression(v); })
        .Integer("SearchOrder", &T::SearchOrder, &T::SetSearchOrder, -1)
        .Boolean("Sortable", &T::Sortable, &T::SetSortable, true)
        .Boolean("Sort", &T::Sort, &T::SetSort, false)
        .Integer("SortOrder", &T::SortOrder, &T::SetSortOrder, -1)
        .Enum("SortType", &T::SortType, &T::SetSortType, EnumTypeOf(TppSortOrderType{}).values,
              TppSortOrderType::soAscending)
        .String("SortExpression", &T::SortExpression, &T::SetSortExpression)
        .String("TableAlias", &T::TableAlias, &T::SetTableAlias)
        .String("TableName", &T::TableName, &T::SetTableName);
    return table;
}

const stream::PropertyList& TppMasterFieldLink::StreamProperties() const {
    using T = TppMasterFieldLink;
    static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
        .String("MasterFieldName", &T::MasterFieldName, &T::SetMasterFieldName)
        .String("DetailFieldName", &T::DetailFieldName, &T::SetDetailFieldName);
    return table;
}
