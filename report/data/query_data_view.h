#pragma once

#include "report/data/data_view.h"
#include "report/data/sql.h"

#include <QList>
#include <QPointer>

#include <memory>

class TppAutoSearchField;

/// The data view built on a query model (TdaSQL): it keeps its pipeline's field definitions
/// in line with the query (fields, then calculations), the report's auto-search fields in
/// line with the query's auto-search criteria, and asks to have its SQL text applied again
/// whenever the query changed. Running the text is the database plug-in's part.
class TdaQueryDataView : public TdaCustomDataView {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaQueryDataView(TComponent* AOwner = nullptr);
    ~TdaQueryDataView() override;

    TdaSQL* SQL() const { return m_sql; }
    /// The session, made of SessionClass on first use with the view's owner as data owner.
    TdaSession* Session();
    /// Copies the edited query; outside reading and loading, SQLChanged then RebuildFromSQL.
    void AssignSQL(TdaSQL* aSQL);
    /// The view's pipeline follows the query again (after it was edited).
    void RebuildFromSQL();
    /// A field definition of the first pipeline for a selected field or calculation.
    void AddFieldDefinition(TdaField* aField);

    // Auto-search fields of the report.
    void CreateAutoSearchFields();
    void FreeAutoSearchFields();
    void RefreshAutoSearchFields();
    /// The end user's values go into the criteria (report event 12).
    void ApplyAutoSearchValues();
    void AutoSearchFieldChanged(TppAutoSearchField* aField);
    /// An auto-search field made on the report by other means (event 66).
    void AdoptAutoSearchField(TppAutoSearchField* aField);
    void LinkAutoSearchField(TppAutoSearchField* aField);
    /// The auto-search fields of the main report that this view made or adopted.
    QList<TppAutoSearchField*> AutoSearchFieldsOfView() const;

    // Virtual operations added here, in slot order.
    virtual void SQLChanged() {}
    virtual TClass SQLClass() const { return &TdaSQL::staticMetaObject; }
    virtual void SQLTextStarting() {}
    virtual void SQLTextGenerated() {}

    // Overrides.
    TClass DesignerClass() const override;
    void CreateDataPipelines() override;
    void EnsureActive() override;
    void SetAutoSearchTabOrder(int aValue) override;
    void SetReport(TppCustomReport* aReport) override;
    void SetUserName(const QString& aName) override;
    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void Loaded() override;

    // The SQL object is the view's extra child.
    void AddChild(TppRelative* aChild) override;
    void InsertChild(int aIndex, TppRelative* aChild) override;
    int RemoveChild(TppRelative* aChild) override;
    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    const stream::PropertyList& StreamProperties() const override;

protected:
    /// Makes the SQL object when there is none and ties it to the view.
    void ensureSQL();

private:
    void takeSQL(TdaSQL* aSQL);
    void linkField(TppAutoSearchField* aField, TdaCriteria* aCriteria);
    TppCustomReport* mainReport() const;

    QPointer<TdaSQL> m_sql;  ///< owned (freed with the view)
    std::unique_ptr<TdaSession> m_session;
    QList<QPointer<TppAutoSearchField>> m_adopted;
    bool m_freeingFields = false;
};

/// The operator of an auto-search field for a criterion operator (value by value).
TppSearchOperatorType daCriteriaToSearchOperator(TdaCriteriaOperatorType aOperator);
TdaCriteriaOperatorType daSearchToCriteriaOperator(TppSearchOperatorType aOperator);
