#pragma once

#include "report/model/relative.h"
#include "report/page/report_types.h"

#include <QString>

class TppCustomDataPipeline;
class TppDataPipeline;

/// The description of one field of a pipeline: its name and alias, type, size, alignment
/// and what the data workspace may do with it (select, search, sort). Fields are children of
/// their pipeline in Position order and stream inside it.
class TppField : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppField(TComponent* AOwner = nullptr);

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    QString FieldAlias() const { return m_fieldAlias; }
    void SetFieldAlias(const QString& v);
    QString FieldName() const { return m_fieldName; }
    /// The alias follows the name while it equals it (also while both are empty).
    virtual void SetFieldName(const QString& aValue);
    int FieldLength() const { return m_fieldLength; }
    void SetFieldLength(int v);
    int GroupOrder() const { return m_groupOrder; }
    void SetGroupOrder(int v);
    TppDataType DataType() const { return m_dataType; }
    /// Raises EInvalidPropertyError when the field's pipeline does not support the type.
    void SetDataType(TppDataType aValue);
    QString DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString& v);
    int DisplayWidth() const { return m_displayWidth; }
    void SetDisplayWidth(int v);
    bool Selectable() const { return m_selectable; }
    void SetSelectable(bool v);
    int SelectOrder() const { return m_selectOrder; }
    void SetSelectOrder(int v);
    bool Searchable() const { return m_searchable; }
    void SetSearchable(bool v);
    bool Search() const { return m_search; }
    void SetSearch(bool v);
    QString SearchExpression() const { return m_searchExpression; }
    virtual void SetSearchExpression(const QString& v);
    int SearchOrder() const { return m_searchOrder; }
    void SetSearchOrder(int v);
    bool Sortable() const { return m_sortable; }
    void SetSortable(bool v);
    bool Sort() const { return m_sort; }
    void SetSort(bool v);
    int SortOrder() const { return m_sortOrder; }
    void SetSortOrder(int v);
    TppSortOrderType SortType() const { return m_sortType; }
    void SetSortType(TppSortOrderType v);
    QString SortExpression() const { return m_sortExpression; }
    void SetSortExpression(const QString& v);
    QString TableAlias() const { return m_tableAlias; }
    void SetTableAlias(const QString& v);
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString& v);
    bool Mandatory() const { return m_mandatory; }
    void SetMandatory(bool v) { m_mandatory = v; }
    /// Whether the field is an end-user search criterion of its data view (not streamed).
    bool AutoSearch() const { return m_autoSearch; }
    void SetAutoSearch(bool v) { m_autoSearch = v; }
    bool FirstField() const { return m_firstField; }
    void SetFirstField(bool v) { m_firstField = v; }

    /// The parent when it is a pipeline.
    TppDataPipeline* DataPipeline() const;
    void SetDataPipeline(TppDataPipeline* aPipeline);

    const stream::PropertyList& StreamProperties() const override;

private:
    TAlignment m_alignment = TAlignment::taLeftJustify;
    QString m_fieldAlias;
    QString m_fieldName;
    bool m_autoSearch = false;
    int m_fieldLength = 10;
    int m_groupOrder = -1;
    TppDataType m_dataType = TppDataType::dtString;
    QString m_displayFormat;
    int m_displayWidth = 10;
    bool m_selectable = true;
    int m_selectOrder = -1;
    bool m_searchable = true;
    bool m_search = false;
    QString m_searchExpression;
    int m_searchOrder = -1;
    bool m_sortable = true;
    bool m_sort = false;
    int m_sortOrder = -1;
    TppSortOrderType m_sortType = TppSortOrderType::soAscending;
    QString m_sortExpression;
    QString m_tableAlias;
    QString m_tableName;
    bool m_mandatory = false;
    bool m_firstField = false;
};

/// One pair of fields joining a detail pipeline to its master: the detail's records that
/// belong to the master's current record hold the master's value of MasterFieldName in
/// their DetailFieldName. Kept by the detail pipeline apart from its fields.
class TppMasterFieldLink : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppMasterFieldLink(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}

    QString MasterFieldName() const { return m_masterFieldName; }
    void SetMasterFieldName(const QString& v) { m_masterFieldName = v; }
    QString DetailFieldName() const { return m_detailFieldName; }
    void SetDetailFieldName(const QString& v) { m_detailFieldName = v; }

    const stream::PropertyList& StreamProperties() const override;

private:
    QString m_masterFieldName;
    QString m_detailFieldName;
};
