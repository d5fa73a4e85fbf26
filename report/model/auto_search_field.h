#pragma once

#include "report/model/pipeline_field.h"

#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

/// A field that carries an end-user search criterion: the pipeline it filters, the
/// operator and the search expression (a comma list for the list and range operators), and
/// the plain-language phrase a report joins into its search description ("Show all data
/// where the OrderDate is on or before 1/1/2000").
class TppAutoSearchField : public TppField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppAutoSearchField(TComponent* AOwner = nullptr);

    QString DataPipelineName() const { return m_dataPipelineName; }
    void SetDataPipelineName(const QString& v);
    QString Delimiter() const { return m_delimiter; }
    void SetDelimiter(const QString& v) { m_delimiter = v; }
    TppSearchOperatorType SearchOperator() const { return m_searchOperator; }
    void SetSearchOperator(TppSearchOperatorType v);
    bool ShowAllValues() const { return m_showAllValues; }
    void SetShowAllValues(bool v);
    QString WildCard() const { return m_wildCard; }
    void SetWildCard(const QString& v) { m_wildCard = v; }
    /// The data view the criterion belongs to (set by the data workspace).
    QObject* DataView() const { return m_dataView; }
    void SetDataView(QObject* v) { m_dataView = v; }
    /// The query criterion of the data workspace the field stands for; cleared when freed.
    QObject* LinkedObject() const { return m_linkedObject; }
    void SetLinkedObject(QObject* v) { m_linkedObject = v; }

    void SetFieldName(const QString& aValue) override;
    void SetSearchExpression(const QString& v) override;

    /// "Show all data where the" (first field) or "and the", the alias, then " has any value"
    /// or the operator's text and the expression.
    void GetDescription(QString& aText) const;
    /// The operator's wording, with its own words for dates and times.
    void GetOperatorText(QString& aText) const;
    /// Items of the search expression as a comma list.
    int ValueCount() const;
    /// Item 0 converted by the field's type.
    QVariant Value() const { return Values(0); }
    /// Item aIndex converted by the field's type (dates to date-time day numbers, numbers,
    /// texts with the wildcard appended when missing); an empty text past the end. A number
    /// or date that does not convert raises format::EConvertError.
    QVariant Values(int aIndex) const;
    /// Whether a record's field value meets the criterion, compared as the database
    /// compares: texts case-sensitively (like with % and _ without regard to ASCII case),
    /// numbers and dates by value; a null value meets only "is blank". Always true with
    /// ShowAllValues. A search value that does not convert raises format::EConvertError.
    bool Accepts(const QVariant& aValue) const;

    /// Called after FieldName, SearchExpression, DataPipelineName, SearchOperator or
    /// ShowAllValues changed (not while reading or loading).
    std::function<void(TppAutoSearchField*)> OnChange;

    const stream::PropertyList& StreamProperties() const override;

private:
    void changed();

    QString m_dataPipelineName;
    QPointer<QObject> m_dataView;
    QPointer<QObject> m_linkedObject;
    QString m_delimiter;
    TppSearchOperatorType m_searchOperator = TppSearchOperatorType::soEqual;
    bool m_showAllValues = false;
    QString m_wildCard;
};

namespace report {

/// Declares the texts of the search descriptions (idempotent).
void DeclarePipelineTexts();

}  // namespace report
