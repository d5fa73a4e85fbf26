#include "report/data/query_data_view.h"

#include "report/model/auto_search_field.h"
#include "report/model/custom_data_pipeline.h"
#include "report/model/custom_engine.h"
#include "report/model/custom_report.h"
#include "report/model/report.h"
#include "report/model/script_adapter.h"
#include "report/model/text_layout.h"
#include "report/page/class_library.h"

#include "platform/stream/property_table.h"

namespace {
constexpr int kEventBeforePrint = 1;
constexpr int kEventGetAutoSearchValues = 12;
constexpr int kEventSQLTextStarting = 51;
constexpr int kEventSQLTextGenerated = 52;
constexpr int kEventAutoSearchFieldCreated = 66;
constexpr TdaDataView::Actions kTextActions = 384;  // {7, 8}: SQL text and preview
}  // namespace

TppSearchOperatorType daCriteriaToSearchOperator(TdaCriteriaOperatorType aOperator) {
    const int v = int(aOperator);
    return v >= int(TppSearchOperatorType::soEqual) && v <= int(TppSearchOperatorType::soNotBlank)
               ? TppSearchOperatorType(v)
               : TppSearchOperatorType::soEqual;
}

TdaCriteriaOperatorType daSearchToCriteriaOperator(TppSearchOperatorType aOperator) {
    const int v = int(aOperator);
    return v >= int(TdaCriteriaOperatorType::dacoEqual) && v <= int(TdaCriteriaOperatorType::dacoNotBlank)
               ? TdaCriteriaOperatorType(v)
               : TdaCriteriaOperatorType::dacoEqual;
}

TdaQueryDataView::TdaQueryDataView(TComponent* AOwner) : TdaCustomDataView(AOwner) {
    for (int id : {kEventGetAutoSearchValues, kEventSQLTextStarting, kEventSQLTextGenerated,
                   kEventAutoSearchFieldCreated})
        EventNotifies().set(size_t(id));
    ensureSQL();
}

TdaQueryDataView::~TdaQueryDataView() {
    SetComponentState(csDestroying, true);
    m_freeingFields = true;
    FreeAutoSearchFields();
    for (const QPointer<TppAutoSearchField>& f : m_adopted)
        if (f) f->RemoveNotify(this);
    m_adopted.clear();
    TdaSQL* sql = m_sql;
    m_sql = nullptr;
    delete sql;
    m_session.reset();
}

void TdaQueryDataView::ensureSQL() {
    if (m_sql) return;
    std::unique_ptr<QObject> o(SQLClass()->newInstance(Q_ARG(TComponent*, nullptr)));
    auto* sql = qobject_cast<TdaSQL*>(o.get());
    if (!sql) sql = new TdaSQL(nullptr);
    else o.release();
    sql->setParent(this);
    takeSQL(sql);
}

void TdaQueryDataView::takeSQL(TdaSQL* aSQL) {
    if (aSQL == m_sql) return;
    TdaSQL* old = m_sql;
    m_sql = aSQL;
    delete old;
    if (!m_sql) return;
    m_sql->AddEventNotify(this);
    if (m_session) m_sql->SetSession(m_session.get());
}

TdaSession* TdaQueryDataView::Session() {
    if (!m_session && SessionClass()) {
        m_session = daCreateSession(SessionClass());
        if (m_session) {
            m_session->SetDataOwner(Owner());
            if (m_sql) m_sql->SetSession(m_session.get());
        }
    }
    return m_session.get();
}

TppCustomReport* TdaQueryDataView::mainReport() const { return Report() ? Report()->MainReport() : nullptr; }

TClass TdaQueryDataView::DesignerClass() const { return report::GetClass(QStringLiteral("TdaQueryDesigner")); }

void TdaQueryDataView::CreateDataPipelines() { ensureSQL(); }

void TdaQueryDataView::AssignSQL(TdaSQL* aSQL) {
    ensureSQL();
    if (aSQL) m_sql->Assign(aSQL);
    if (HasState(csReading | csLoading)) return;
    SQLChanged();
    RebuildFromSQL();
}

void TdaQueryDataView::RebuildFromSQL() {
    SetActive(false);
    if (DataPipelineCount() == 0 || !m_sql) return;
    SetDescription(m_sql->Description());
    SetUserName(QStringLiteral("Query_") + ppTextToIdentifier(m_sql->Description()));
    TppDataPipeline* pipeline = DataPipelines(0);
    pipeline->SetUserName(m_sql->DataPipelineName());
    pipeline->SetName(pipeline->UserName());
    if (m_sql->EditSQLAsText()) SetEnabledActions(kTextActions);
    if (auto* custom = qobject_cast<TppCustomDataPipeline*>(pipeline)) {
        custom->FreeFields();
        for (int i = 0; i < m_sql->SelectFieldCount(); ++i) AddFieldDefinition(m_sql->SelectFields(i));
        for (int i = 0; i < m_sql->CalcFieldCount(); ++i) AddFieldDefinition(m_sql->CalcFields(i));
    }
    RefreshAutoSearchFields();
    SetActive(true);
}

void TdaQueryDataView::AddFieldDefinition(TdaField* aField) {
    auto* pipeline = qobject_cast<TppCustomDataPipeline*>(DataPipelines(0));
    if (!pipeline || !aField) return;
    const QString name = aField->SQLFieldName();
    auto* field = new TppField(pipeline->Owner());
    field->SetDataType(pipeline->GetFieldDataType(name));
    field->SetFieldLength(pipeline->GetFieldSize(name));
    field->SetDisplayWidth(pipeline->GetFieldDisplayWidth(name));
    field->SetDisplayFormat(aField->DisplayFormat());
    field->SetFieldAlias(aField->Alias());
    field->SetFieldName(name);
    field->SetTableName(aField->TableName());
    field->SetSearchable(aField->Searchable());
    field->SetSelectable(aField->Selectable());
    field->SetSortable(aField->Sortable());
    pipeline->AddField(field);
}

// ---- auto-search fields ----

QList<TppAutoSearchField*> TdaQueryDataView::AutoSearchFieldsOfView() const {
    QList<TppAutoSearchField*> list;
    auto* main = qobject_cast<TppReport*>(mainReport());
    if (!main) return list;
    for (int i = 0; i < main->AutoSearchFieldCount(); ++i)
        if (TppAutoSearchField* f = main->AutoSearchFields(i); f && f->DataView() == this) list << f;
    return list;
}

void TdaQueryDataView::linkField(TppAutoSearchField* aField, TdaCriteria* aCriteria) {
    aField->SetDataView(this);
    aField->SetLinkedObject(aCriteria);
    aField->OnChange = [this](TppAutoSearchField* f) { AutoSearchFieldChanged(f); };
}

void TdaQueryDataView::CreateAutoSearchFields() {
    auto* main = qobject_cast<TppReport*>(mainReport());
    if (!main || !m_sql) return;
    for (int i = 0; i < m_sql->CriteriaCount(); ++i) {
        TdaCriteria* c = m_sql->Criteria(i);
        TdaField* cf = c->Field();
        if (!cf || !cf->AutoSearch()) continue;
        auto* f = new TppAutoSearchField(main);
        f->SetFieldAlias(cf->FieldAlias());
        f->SetFieldName(cf->FieldName());
        f->SetDataType(cf->DataType());
        f->SetSearchExpression(c->Value());
        f->SetSearchOperator(daCriteriaToSearchOperator(c->Operator()));
        f->SetShowAllValues(c->ShowAllValues());
        f->SetMandatory(cf->Mandatory());
        f->SetTableAlias(cf->TableAlias());
        f->SetTableName(cf->TableName());
        linkField(f, c);
    }
}

void TdaQueryDataView::FreeAutoSearchFields() {
    if (!Report() || Report()->HasState(csDestroying) || !mainReport()) return;
    const bool wasFreeing = m_freeingFields;
    m_freeingFields = true;
    // The fields the view made; those it adopted belong to whoever made them.
    for (TppAutoSearchField* f : AutoSearchFieldsOfView()) {
        bool adopted = false;
        for (const QPointer<TppAutoSearchField>& a : m_adopted) adopted = adopted || a == f;
        if (!adopted) delete f;
    }
    m_freeingFields = wasFreeing;
}

void TdaQueryDataView::RefreshAutoSearchFields() {
    FreeAutoSearchFields();
    CreateAutoSearchFields();
}

void TdaQueryDataView::ApplyAutoSearchValues() {
    if (!m_sql) return;
    for (TppAutoSearchField* f : AutoSearchFieldsOfView()) {
        auto* c = qobject_cast<TdaCriteria*>(f->LinkedObject());
        if (!c) continue;
        c->SetValue(f->SearchExpression());
        // "Show all" chosen in the search dialog skips the condition.
        c->SetShowAllValues(f->ShowAllValues());
    }
    m_sql->DoChange();
    SQLChanged();
}

void TdaQueryDataView::AutoSearchFieldChanged(TppAutoSearchField* aField) {
    auto* c = qobject_cast<TdaCriteria*>(aField ? aField->LinkedObject() : nullptr);
    if (!c || !m_sql) return;
    if (!c->Field() || aField->FieldName() != c->Field()->FieldName()) {
        LinkAutoSearchField(aField);
        m_sql->DoChange();
        return;
    }
    if (aField->SearchExpression() != c->Value()) {
        c->SetValue(aField->SearchExpression());
        m_sql->DoChange();
    }
    if (daSearchToCriteriaOperator(aField->SearchOperator()) != c->Operator()) {
        c->SetOperator(daSearchToCriteriaOperator(aField->SearchOperator()));
        m_sql->DoChange();
    }
    if (aField->ShowAllValues() != c->ShowAllValues()) {
        c->SetShowAllValues(aField->ShowAllValues());
        m_sql->DoChange();
    }
}

void TdaQueryDataView::AdoptAutoSearchField(TppAutoSearchField* aField) {
    if (!aField || DataPipelineCount() == 0) return;
    if (aField->DataPipelineName().compare(DataPipelines(0)->UserName(), Qt::CaseInsensitive) != 0) return;
    LinkAutoSearchField(aField);
    m_adopted << aField;
    aField->AddNotify(this);
}

void TdaQueryDataView::LinkAutoSearchField(TppAutoSearchField* aField) {
    if (!m_sql || !aField) return;
    if (m_sql->AvailableCriteriaFields().isEmpty()) {
        m_sql->InvalidateAll();
        m_sql->InvalidateFieldLists();
    }
    const QList<TdaField*>& fields = m_sql->AvailableCriteriaFields();
    int found = -1;
    for (int i = 0; i < fields.size() && found < 0; ++i)
        if (fields[i]->FieldName().compare(aField->FieldName(), Qt::CaseInsensitive) == 0) found = i;
    if (found < 0) return;
    TdaCriteria* c = m_sql->AddCriteria(found);
    if (!c) return;
    linkField(aField, c);
    TdaSQL::CopyToPipelineField(c->Field(), aField);
    c->SetValue(aField->SearchExpression());
    c->SetOperator(daSearchToCriteriaOperator(aField->SearchOperator()));
    c->SetShowAllValues(aField->ShowAllValues());
}

// ---- overrides ----

void TdaQueryDataView::EnsureActive() {
    if (m_sql && m_sql->Modified()) {
        SQLChanged();
        if (Report() && Report()->Engine() && !Report()->Engine()->Busy()) Report()->Engine()->Invalidate();
    }
    TdaCustomDataView::EnsureActive();
}

void TdaQueryDataView::SetAutoSearchTabOrder(int aValue) {
    TdaCustomDataView::SetAutoSearchTabOrder(aValue);
    if (!HasState(csReading | csLoading))
        if (TppCustomReport* main = mainReport()) main->SetModified(true);
}

void TdaQueryDataView::SetReport(TppCustomReport* aReport) {
    if (HasState(csReading | csLoading)) {
        TdaCustomDataView::SetReport(aReport);
        return;
    }
    FreeAutoSearchFields();
    TdaCustomDataView::SetReport(aReport);
    CreateAutoSearchFields();
}

void TdaQueryDataView::SetUserName(const QString& aName) {
    if (HasState(csReading | csLoading) || !m_sql) {
        TdaCustomDataView::SetUserName(aName);
        return;
    }
    FreeAutoSearchFields();
    TdaCustomDataView::SetUserName(aName);
    CreateAutoSearchFields();
}

void TdaQueryDataView::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    TdaCustomDataView::EventNotify(aCommunicator, aEventID, aParams);
    const QObject* sender = aCommunicator;
    if (m_sql && sender == m_sql.data()) {
        if (aEventID == kEventSQLTextStarting) SQLTextStarting();
        else if (aEventID == kEventSQLTextGenerated) SQLTextGenerated();
        return;
    }
    if (!Report() || sender != static_cast<QObject*>(Report())) return;
    if (aEventID == kEventGetAutoSearchValues) {
        ApplyAutoSearchValues();
    } else if (aEventID == kEventAutoSearchFieldCreated && aParams && aParams->Count() > 0) {
        QVariant value;
        aParams->GetParamValue(0, value);
        AdoptAutoSearchField(qobject_cast<TppAutoSearchField*>(value.value<QObject*>()));
    }
    (void)kEventBeforePrint;
}

void TdaQueryDataView::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TdaCustomDataView::Notify(aCommunicator, aOperation);
    if (aOperation != ppopRemove) return;
    for (int i = 0; i < m_adopted.size(); ++i) {
        if (static_cast<QObject*>(m_adopted[i].data()) != static_cast<QObject*>(aCommunicator)) continue;
        auto* f = static_cast<TppAutoSearchField*>(aCommunicator);
        m_adopted.removeAt(i);
        // The query loses the condition of an adopted field that goes.
        if (!m_freeingFields && !HasState(csDestroying) && m_sql)
            if (auto* c = qobject_cast<TdaCriteria*>(f->LinkedObject())) {
                for (int k = 0; k < m_sql->CriteriaCount(); ++k)
                    if (m_sql->Criteria(k) == c) {
                        m_sql->RemoveCriteria(k);
                        break;
                    }
            }
        return;
    }
}

void TdaQueryDataView::Loaded() {
    TdaCustomDataView::Loaded();
    ensureSQL();
    SetDescription(m_sql->Description());
    if (m_sql->EditSQLAsText()) SetEnabledActions(kTextActions);
    m_sql->AddEventNotify(this);
    if (TdaSession* session = Session()) {
        m_sql->SetSession(session);
        session->SetDataOwner(Owner());
    }
    m_sql->SetModified(false);
    if (Report() && Report()->ConvertedFromPre50()) m_sql->UpdateDatabaseType();
    RefreshAutoSearchFields();
    if (Report()) Report()->SetModified(false);
}

void TdaQueryDataView::AddChild(TppRelative* aChild) {
    if (auto* sql = qobject_cast<TdaSQL*>(aChild)) {
        takeSQL(sql);
        return;
    }
    TdaCustomDataView::AddChild(aChild);
}

void TdaQueryDataView::InsertChild(int aIndex, TppRelative* aChild) {
    if (auto* sql = qobject_cast<TdaSQL*>(aChild)) {
        takeSQL(sql);
        return;
    }
    TdaCustomDataView::InsertChild(aIndex, aChild);
}

int TdaQueryDataView::RemoveChild(TppRelative* aChild) {
    if (aChild && static_cast<QObject*>(aChild) == m_sql.data()) {
        m_sql = nullptr;
        return -1;
    }
    return TdaCustomDataView::RemoveChild(aChild);
}

void TdaQueryDataView::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    TdaCustomDataView::GetExtraChildren(proc);
    if (m_sql) proc(*m_sql);
}

const stream::PropertyList& TdaQueryDataView::StreamProperties() const {
    using T = TdaQueryDataView;
    static const auto table = stream::PropertyTable<T>(TdaCustomDataView::StreamProperties())
                                  .Integer("AutoSearchTabOrder", &T::AutoSearchTabOrder, &T::SetAutoSearchTabOrder, 0);
    return table;
}
