#include "report/crosstab/crosstab.h"

#include "report/crosstab/crosstab_adapters.h"
#include "report/crosstab/crosstab_engine.h"
#include "report/crosstab/crosstab_renderer.h"

#include "report/model/band.h"
#include "report/model/communicator.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/pipeline_field.h"
#include "report/model/script_adapter.h"
#include "report/output/dialog_registry.h"
#include "report/page/printer_setup.h"
#include "report/page/resource_manager.h"

#include "platform/stream/property_table.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>

#include <algorithm>

// Renderer registry -----------------------------------------------------------------------------

namespace crosstab {

std::vector<RendererClass>& RendererClasses() {
    static std::vector<RendererClass> classes;
    return classes;
}

void RegisterRenderer(const RendererClass& aClass) {
    for (const auto& r : RendererClasses())
        if (r.ClassName.compare(aClass.ClassName, Qt::CaseInsensitive) == 0) return;
    RendererClasses().push_back(aClass);
}

void UnregisterRenderer(const QString& aClassName) {
    auto& list = RendererClasses();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const RendererClass& r) { return r.ClassName.compare(aClassName, Qt::CaseInsensitive) == 0; }),
               list.end());
}

}  // namespace crosstab

std::vector<crosstab::RendererClass>& ppCrossTabRendererList() { return crosstab::RendererClasses(); }

void ppRegisterCrossTabRenderer(const crosstab::RendererClass& aClass) { crosstab::RegisterRenderer(aClass); }

void ppUnRegisterCrossTabRenderer(const QString& aClassName) { crosstab::UnregisterRenderer(aClassName); }

int ppCrossTabRendererCount() { return int(crosstab::RendererClasses().size()); }

void ppGetCrossTabRendererNames(QStringList& aList) {
    for (const auto& r : crosstab::RendererClasses()) aList.append(r.Name);
}

const crosstab::RendererClass* ppGetCrossTabRendererByName(const QString& aName) {
    for (const auto& r : crosstab::RendererClasses())
        if (r.Name.compare(aName, Qt::CaseInsensitive) == 0) return &r;
    return nullptr;
}

const crosstab::RendererClass* ppGetCrossTabRendererClass(const QString& aClassName) {
    for (const auto& r : crosstab::RendererClasses())
        if (r.ClassName.compare(aClassName, Qt::CaseInsensitive) == 0) return &r;
    return nullptr;
}

// Status timer ------------------------------------------------------------------------------------

TppCrossTabStatusTimer::TppCrossTabStatusTimer(int aInterval, TppCrossTab* aCrossTab) : m_crossTab(aCrossTab) {
    setInterval(aInterval);
    connect(this, &QTimer::timeout, this, [this] { TimerHandler(); });
    start();
}

void TppCrossTabStatusTimer::TimerHandler() {
    if (m_crossTab) m_crossTab->SetStatusMessage(m_crossTab->GetStatusText());
}

// TppCrossTab -------------------------------------------------------------------------------------

TppCrossTab::TppCrossTab(TComponent* aOwner) : TppStretchable(aOwner), m_engine(std::make_unique<TppCrossTabEngine>(this)) {
    SetParentWidth(true);
    SetspHeight(19);
    SetStretch(true);
}

TppCrossTab::~TppCrossTab() {
    SetComponentState(csDestroying, true);
    freeStatusTimer();
    Clear();
}

TppColumnDef* TppCrossTab::ColumnDefs(int aIndex) const {
    return aIndex >= 0 && aIndex < ColumnDefCount() ? static_cast<TppColumnDef*>(m_columnDefs[size_t(aIndex)]) : nullptr;
}

TppRowDef* TppCrossTab::RowDefs(int aIndex) const {
    return aIndex >= 0 && aIndex < RowDefCount() ? static_cast<TppRowDef*>(m_rowDefs[size_t(aIndex)]) : nullptr;
}

TppValueDef* TppCrossTab::ValueDefs(int aIndex) const {
    return aIndex >= 0 && aIndex < ValueDefCount() ? static_cast<TppValueDef*>(m_valueDefs[size_t(aIndex)]) : nullptr;
}

TppGrandTotal* TppCrossTab::ColumnGrandTotals(int aIndex) const {
    return aIndex >= 0 && aIndex < ColumnGrandTotalCount() ? static_cast<TppGrandTotal*>(m_columnGrandTotals[size_t(aIndex)])
                                                           : nullptr;
}

TppGrandTotal* TppCrossTab::RowGrandTotals(int aIndex) const {
    return aIndex >= 0 && aIndex < RowGrandTotalCount() ? static_cast<TppGrandTotal*>(m_rowGrandTotals[size_t(aIndex)])
                                                        : nullptr;
}

bool TppCrossTab::SuppressesTotals() const {
    return HasState(csReading | csLoading) || m_assigning || m_clearing;
}

std::vector<TppRelative*>* TppCrossTab::listOf(int aChildType) {
    switch (TppCrossTabChildType(aChildType)) {
    case TppCrossTabChildType::ctctColumnDef: return &m_columnDefs;
    case TppCrossTabChildType::ctctRowDef: return &m_rowDefs;
    case TppCrossTabChildType::ctctValueDef: return &m_valueDefs;
    case TppCrossTabChildType::ctctColumnGrandTotal: return &m_columnGrandTotals;
    case TppCrossTabChildType::ctctRowGrandTotal: return &m_rowGrandTotals;
    default: return nullptr;
    }
}

std::vector<TppRelative*>* TppCrossTab::listHolding(const TppRelative* aChild) {
    for (auto* list : {&m_columnDefs, &m_rowDefs, &m_valueDefs, &m_columnGrandTotals, &m_rowGrandTotals})
        if (std::find(list->begin(), list->end(), aChild) != list->end()) return list;
    return nullptr;
}

const std::vector<TppRelative*>* TppCrossTab::listHolding(const TppRelative* aChild) const {
    return const_cast<TppCrossTab*>(this)->listHolding(aChild);
}

namespace {

/// Whether a child of that kind may live in the list of its ChildType (a grand total read
/// from a stream arrives with ChildType 0 and is filed again once its kind is read).
bool fits(const TppRelative* aChild, int aChildType) {
    switch (TppCrossTabChildType(aChildType)) {
    case TppCrossTabChildType::ctctColumnDef: return qobject_cast<const TppColumnDef*>(aChild);
    case TppCrossTabChildType::ctctRowDef: return qobject_cast<const TppRowDef*>(aChild);
    case TppCrossTabChildType::ctctValueDef: return qobject_cast<const TppValueDef*>(aChild);
    case TppCrossTabChildType::ctctColumnGrandTotal:
    case TppCrossTabChildType::ctctRowGrandTotal: return qobject_cast<const TppGrandTotal*>(aChild);
    default: return false;
    }
}

bool isDefinition(int aChildType) {
    return aChildType >= 0 && aChildType <= 2;
}

}  // namespace

void TppCrossTab::AddChild(TppRelative* aChild) {
    if (!aChild) return;
    std::vector<TppRelative*>* list = fits(aChild, aChild->ChildType()) ? listOf(aChild->ChildType()) : nullptr;
    if (!list) {
        TppStretchable::AddChild(aChild);
        Changed(true);
        return;
    }
    if (std::find(list->begin(), list->end(), aChild) == list->end()) list->push_back(aChild);
    if (list == &m_columnDefs || list == &m_rowDefs) CreateSubTotals(static_cast<TppDimension*>(aChild));
    else if (list == &m_valueDefs) CreateTotals();
    if (isDefinition(aChild->ChildType())) NotifyDefinitionsChanged();
    Changed(true);
}

void TppCrossTab::InsertChild(int aIndex, TppRelative* aChild) {
    if (!aChild) return;
    std::vector<TppRelative*>* list = fits(aChild, aChild->ChildType()) ? listOf(aChild->ChildType()) : nullptr;
    if (!list || !isDefinition(aChild->ChildType())) {
        TppStretchable::InsertChild(aIndex, aChild);
        Changed(true);
        return;
    }
    if (std::find(list->begin(), list->end(), aChild) != list->end()) return;
    if (aChild->Parent() != this) {
        // A definition joins as the last of its list (with its totals) and moves to its place.
        aChild->SetParent(this);
        MoveDefinition(aChild, aIndex);
        return;
    }
    aIndex = std::clamp(aIndex, 0, int(list->size()));
    list->insert(list->begin() + aIndex, aChild);
    if (list == &m_valueDefs) {
        CreateTotals();
        if (!SuppressesTotals() && aIndex != ValueDefCount() - 1) MoveTotals(ValueDefCount() - 1, aIndex);
    } else {
        CreateSubTotals(static_cast<TppDimension*>(aChild));
    }
    NotifyDefinitionsChanged();
    Changed(true);
}

int TppCrossTab::IndexOfChild(const TppRelative* aChild) const {
    if (!aChild) return -1;
    if (const auto* list = listHolding(aChild)) return int(std::find(list->begin(), list->end(), aChild) - list->begin());
    return TppStretchable::IndexOfChild(aChild);
}

int TppCrossTab::RemoveChild(TppRelative* aChild) {
    std::vector<TppRelative*>* list = listHolding(aChild);
    if (!list) {
        const int index = TppStretchable::RemoveChild(aChild);
        if (index >= 0) Changed(true);
        return index;
    }
    const int index = int(std::find(list->begin(), list->end(), aChild) - list->begin());
    const bool freeing = !SuppressesTotals() && !HasState(csDestroying);
    if (freeing && (list == &m_columnDefs || list == &m_rowDefs)) {
        // The element may be half destroyed; its subtotals are freed through the list type.
        if (auto* d = qobject_cast<TppDimension*>(aChild)) d->FreeSubTotals();
    } else if (freeing && list == &m_valueDefs) {
        FreeTotals(index);
    }
    list->erase(std::find(list->begin(), list->end(), aChild));
    Changed(true);
    return index;
}

void TppCrossTab::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (auto* list : {&m_columnGrandTotals, &m_rowGrandTotals, &m_columnDefs, &m_rowDefs, &m_valueDefs})
        for (const TppRelative* child : *list) proc(*child);
}

void TppCrossTab::MoveDefinition(TppRelative* aDefinition, int aNewIndex) {
    std::vector<TppRelative*>* list = listHolding(aDefinition);
    if (!list) return;
    const int old = int(std::find(list->begin(), list->end(), aDefinition) - list->begin());
    aNewIndex = std::clamp(aNewIndex, 0, int(list->size()) - 1);
    if (old == aNewIndex) return;
    list->erase(list->begin() + old);
    list->insert(list->begin() + aNewIndex, aDefinition);
    if (list == &m_valueDefs) MoveTotals(old, aNewIndex);
    if (isDefinition(aDefinition->ChildType())) NotifyDefinitionsChanged();
    Changed(true);
}

// Automatic totals ----------------------------------------------------------------------------

void TppCrossTab::CreateSubTotals(TppDimension* aDimension) {
    if (SuppressesTotals()) return;
    for (int i = 0; i < ValueDefCount(); ++i) {
        auto* sub = new TppSubTotal(aDimension);
        sub->SetParent(aDimension);
        sub->TotalDef()->SetDisplayFormat(ValueDefs(i)->DisplayFormat());
    }
}

void TppCrossTab::CreateTotals() {
    if (SuppressesTotals()) return;
    bool visible = true;
    if (ColumnGrandTotalCount() > 0) visible = ColumnGrandTotals(0)->GetVisible();
    auto* column = new TppGrandTotal(this);
    column->SetChildType(int(TppCrossTabChildType::ctctColumnGrandTotal));
    column->CaptionDef()->SetAlignment(TAlignment::taRightJustify);
    column->ShowTotal(visible);
    column->SetParent(this);
    auto* row = new TppGrandTotal(this);
    row->SetChildType(int(TppCrossTabChildType::ctctRowGrandTotal));
    row->SetParent(this);
    for (int k = 0; k < ColumnDefCount(); ++k) {
        TppColumnDef* d = ColumnDefs(k);
        const bool shown = d->SubTotalCount() == 0 || d->SubTotals(0)->GetVisible();
        auto* sub = new TppSubTotal(d);
        sub->ShowTotal(shown);
        sub->SetParent(d);
    }
    for (int k = 0; k < RowDefCount(); ++k) {
        auto* sub = new TppSubTotal(RowDefs(k));
        sub->SetParent(RowDefs(k));
    }
}

void TppCrossTab::FreeTotals(int aIndex) {
    if (SuppressesTotals() || HasState(csDestroying) || aIndex < 0) return;
    delete ColumnGrandTotals(aIndex);
    delete RowGrandTotals(aIndex);
    for (int k = 0; k < ColumnDefCount(); ++k) delete ColumnDefs(k)->SubTotals(aIndex);
    for (int k = 0; k < RowDefCount(); ++k) delete RowDefs(k)->SubTotals(aIndex);
}

void TppCrossTab::MoveTotals(int aOldIndex, int aNewIndex) {
    if (TppGrandTotal* t = ColumnGrandTotals(aOldIndex)) MoveDefinition(t, aNewIndex);
    if (TppGrandTotal* t = RowGrandTotals(aOldIndex)) MoveDefinition(t, aNewIndex);
    for (int k = 0; k < ColumnDefCount(); ++k)
        if (TppSubTotal* s = ColumnDefs(k)->SubTotals(aOldIndex)) ColumnDefs(k)->MoveSubTotal(s, aNewIndex);
    for (int k = 0; k < RowDefCount(); ++k)
        if (TppSubTotal* s = RowDefs(k)->SubTotals(aOldIndex)) RowDefs(k)->MoveSubTotal(s, aNewIndex);
}

bool TppCrossTab::HasColumnGrandTotal() const {
    return ColumnDefCount() > 0 && ColumnGrandTotalCount() > 0 && ColumnGrandTotals(0)->GetVisible();
}

int TppCrossTab::VisibleRowGrandTotalCount() const {
    if (RowDefCount() == 0) return 0;
    int n = 0;
    for (int i = 0; i < RowGrandTotalCount(); ++i)
        if (RowGrandTotals(i)->GetVisible()) ++n;
    return n;
}

int TppCrossTab::IndexOfColumnGrandTotal(const TppGrandTotal* aTotal) const {
    auto it = std::find(m_columnGrandTotals.begin(), m_columnGrandTotals.end(), aTotal);
    return it == m_columnGrandTotals.end() ? -1 : int(it - m_columnGrandTotals.begin());
}

int TppCrossTab::IndexOfRowGrandTotal(const TppGrandTotal* aTotal) const {
    auto it = std::find(m_rowGrandTotals.begin(), m_rowGrandTotals.end(), aTotal);
    return it == m_rowGrandTotals.end() ? -1 : int(it - m_rowGrandTotals.begin());
}

void TppCrossTab::ShowGrandTotals(TppTotalType aTotalType, bool aVisible) {
    if (aTotalType == TppTotalType::ctttAll || aTotalType == TppTotalType::ctttColumn) ShowColumnGrandTotals(aVisible);
    if (aTotalType == TppTotalType::ctttAll || aTotalType == TppTotalType::ctttRow) ShowRowGrandTotals(aVisible);
}

void TppCrossTab::ShowColumnGrandTotals(bool aVisible) {
    if (ValueDefCount() == 0) return;
    for (int i = 0; i < ColumnGrandTotalCount(); ++i) ColumnGrandTotals(i)->ShowTotal(aVisible);
}

void TppCrossTab::ShowRowGrandTotals(bool aVisible) {
    if (ValueDefCount() == 0) return;
    for (int i = 0; i < RowGrandTotalCount(); ++i) RowGrandTotals(i)->ShowTotal(aVisible);
}

// Design-time field helpers ---------------------------------------------------------------------

void TppCrossTab::RefreshAvailableFields() {
    m_availableFields.clear();
    m_availableFieldObjects.clear();
    TppDataPipeline* p = DataPipeline();
    if (!p) return;
    for (int i = 0; i < p->GetFieldCount(); ++i)
        if (TppField* f = p->GetField(i)) {
            m_availableFields << f->FieldAlias();
            m_availableFieldObjects << f;
        }
    const auto take = [&](TppDimension* d) {
        const int at = IndexOfAvailableField(d->FieldAlias());
        if (at < 0) return;
        TppField* f = m_availableFieldObjects.at(at);
        m_availableFields.removeAt(at);
        m_availableFieldObjects.removeAt(at);
        for (int i = 0; i < p->GetFieldCount(); ++i)
            if (p->GetField(i) == f) d->SetTag(i);
    };
    for (int i = 0; i < ColumnDefCount(); ++i) take(ColumnDefs(i));
    for (int i = 0; i < RowDefCount(); ++i) take(RowDefs(i));
}

void TppCrossTab::GetAvailableFields(QStringList& aList, QList<TppField*>* aFields) const {
    aList = m_availableFields;
    if (aFields) {
        aFields->clear();
        for (const auto& f : m_availableFieldObjects) aFields->append(f.data());
    }
}

TppField* TppCrossTab::AvailableFieldObject(int aIndex) const {
    return aIndex >= 0 && aIndex < m_availableFieldObjects.size() ? m_availableFieldObjects.at(aIndex).data() : nullptr;
}

int TppCrossTab::IndexOfAvailableField(const QString& aAlias) const {
    for (int i = 0; i < m_availableFields.size(); ++i)
        if (m_availableFields.at(i).compare(aAlias, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

namespace {
int fieldIndexIn(TppDataPipeline* p, const TppField* f) {
    for (int i = 0; p && i < p->GetFieldCount(); ++i)
        if (p->GetField(i) == f) return i;
    return -1;
}
}  // namespace

TppColumnDef* TppCrossTab::AddColumnDef(int aIndex) {
    TppField* f = AvailableFieldObject(aIndex);
    if (!f) return nullptr;
    auto* d = new TppColumnDef(this);
    d->SetFieldAlias(f->FieldAlias());
    d->SetFieldName(f->FieldName());
    d->SetTag(fieldIndexIn(DataPipeline(), f));
    if (f->DataType() == TppDataType::dtBoolean) d->SetSortType(TppSortOrderType::soDescending);
    d->SetParent(this);
    m_availableFields.removeAt(aIndex);
    m_availableFieldObjects.removeAt(aIndex);
    NotifyDefinitionsChanged();
    return d;
}

TppRowDef* TppCrossTab::AddRowDef(int aIndex) {
    TppField* f = AvailableFieldObject(aIndex);
    if (!f) return nullptr;
    auto* d = new TppRowDef(this);
    d->SetFieldAlias(f->FieldAlias());
    d->SetFieldName(f->FieldName());
    d->SetTag(fieldIndexIn(DataPipeline(), f));
    if (f->DataType() == TppDataType::dtBoolean) d->SetSortType(TppSortOrderType::soDescending);
    d->SetParent(this);
    m_availableFields.removeAt(aIndex);
    m_availableFieldObjects.removeAt(aIndex);
    NotifyDefinitionsChanged();
    return d;
}

TppValueDef* TppCrossTab::AddValueDef(int aIndex) {
    if (aIndex < 0 || aIndex >= m_availableFields.size()) return nullptr;
    auto* v = new TppValueDef(this);
    const QString alias = m_availableFields.at(aIndex);
    v->SetFieldAlias(alias);
    v->SetFieldName(DataPipeline() ? DataPipeline()->GetFieldNameForAlias(alias) : alias);
    if (v->FieldName().isEmpty()) v->SetFieldName(AvailableFieldObject(aIndex) ? AvailableFieldObject(aIndex)->FieldName() : alias);
    v->SetParent(this);
    const TppDataType t = v->GetFieldDataType();
    const bool numeric = (int(t) >= int(TppDataType::dtDate) && int(t) <= int(TppDataType::dtCurrency)) ||
                         t == TppDataType::dtLongint;
    if (!numeric) v->SetCalcType(TppDBCalcType::dcCount);
    NotifyDefinitionsChanged();
    return v;
}

int TppCrossTab::RemoveColumnDef(int aIndex) {
    TppColumnDef* d = ColumnDefs(aIndex);
    if (!d) return -1;
    const int at = ReturnAvailableField(d);
    delete d;
    NotifyDefinitionsChanged();
    return at;
}

int TppCrossTab::RemoveRowDef(int aIndex) {
    TppRowDef* d = RowDefs(aIndex);
    if (!d) return -1;
    const int at = ReturnAvailableField(d);
    delete d;
    NotifyDefinitionsChanged();
    return at;
}

int TppCrossTab::RemoveValueDef(int aIndex) {
    TppValueDef* v = ValueDefs(aIndex);
    if (!v) return -1;
    const int at = IndexOfAvailableField(v->FieldAlias());
    delete v;
    NotifyDefinitionsChanged();
    return at;
}

int TppCrossTab::ReturnAvailableField(TppDimension* aDimension) {
    TppDataPipeline* p = DataPipeline();
    if (!p || !aDimension) return -1;
    TppField* field = nullptr;
    for (int i = 0; i < p->GetFieldCount(); ++i)
        if (TppField* f = p->GetField(i); f && f->FieldAlias().compare(aDimension->FieldAlias(), Qt::CaseInsensitive) == 0)
            field = f;
    if (!field) return -1;
    const int order = fieldIndexIn(p, field);
    int at = int(m_availableFields.size());
    for (int i = 0; i < m_availableFieldObjects.size(); ++i)
        if (fieldIndexIn(p, m_availableFieldObjects.at(i).data()) > order) {
            at = i;
            break;
        }
    m_availableFields.insert(at, field->FieldAlias());
    m_availableFieldObjects.insert(at, field);
    return at;
}

void TppCrossTab::NotifyDefinitionsChanged() {
    if (OnDefinitionsChanged) OnDefinitionsChanged(this);
    if (OnDesignerDefinitionsChanged) OnDesignerDefinitionsChanged(this);
}

// Properties ----------------------------------------------------------------------------------

void TppCrossTab::SetStyle(const QString& aValue) {
    if (aValue == m_style) return;
    const crosstab::RendererClass* r = ppGetCrossTabRendererByName(aValue);
    if (!r) r = ppGetCrossTabRendererClass(aValue);
    if (!r) return;
    m_style = r->Name;
    m_renderer.reset();
    Changed(true);
}

void TppCrossTab::SetPagination(TppCrossTabPaginationType aValue) {
    m_pagination = aValue;
    Changed(true);
}

void TppCrossTab::SetGridLines(bool aValue) {
    m_gridLines = aValue;
    Changed(true);
}

void TppCrossTab::SetDraw(bool aValue) {
    m_draw = aValue;
    Changed(true);
}

TppMatrix* TppCrossTab::Matrix() const {
    return m_engine ? m_engine->Matrix() : nullptr;
}

void TppCrossTab::Changed(bool aModified) {
    if (HasState(csReading | csLoading)) return;
    m_modified = aModified;
    if (HasState(csDestroying)) return;
    PropertyChange();
}

TppElement* TppCrossTab::GetElement(int aIndex) const {
    return m_engine ? m_engine->Elements(aIndex) : nullptr;
}

QString TppCrossTab::GetStatusText() const {
    if (m_calculating && m_engine) return m_engine->ProgressText();
    if (m_renderer) return m_renderer->StatusText;
    return {};
}

void TppCrossTab::Configure() {
    TppCustomCrossTabDesignerForm* form = report::CreateForm<TppCustomCrossTabDesignerForm>(QCoreApplication::instance());
    if (!form) return;
    std::unique_ptr<TppCustomCrossTabDesignerForm> owned(form);
    form->SetCrossTab(this);
    TppCustomReport* report = Band() ? Band()->Report() : nullptr;
    report::ppSetFormReport(form, report);
    report::ppSetFormLanguageIndex(form, GetLanguageIndex());
    form->ShowModal();
}

void TppCrossTab::Clear() {
    m_clearing = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_clearing};
    m_availableFields.clear();
    m_availableFieldObjects.clear();
    for (auto* list : {&m_columnDefs, &m_rowDefs, &m_valueDefs, &m_columnGrandTotals, &m_rowGrandTotals}) {
        while (!list->empty()) {
            TppRelative* child = list->back();
            delete child;  // its destructor leaves the list
            if (!list->empty() && list->back() == child) list->pop_back();
        }
    }
    if (m_engine) m_engine->Clear();
}

void TppCrossTab::Assign(TPersistent* aSource) {
    auto* source = qobject_cast<TppCrossTab*>(aSource);
    if (!source) return;
    m_assigning = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_assigning};
    Clear();
    SetDataPipeline(source->DataPipeline());
    for (auto* list : {&source->m_columnGrandTotals, &source->m_rowGrandTotals, &source->m_columnDefs,
                       &source->m_rowDefs, &source->m_valueDefs})
        for (TppRelative* child : *list) {
            auto* copy = qobject_cast<TppRelative*>(child->metaObject()->newInstance(Q_ARG(TComponent*, this)));
            if (!copy) continue;
            copy->Assign(child);
            copy->SetChildType(child->ChildType());
            copy->SetParent(this);
        }
    AfterCalc = source->AfterCalc;
    BeforeCalc = source->BeforeCalc;
    m_gridLines = source->m_gridLines;
    OnCalcDimensionValue = source->OnCalcDimensionValue;
    OnGetDimensionName = source->OnGetDimensionName;
    OnGetDimensionCaption = source->OnGetDimensionCaption;
    OnGetDimensionValue = source->OnGetDimensionValue;
    OnTraverseRecord = source->OnTraverseRecord;
    m_modified = false;
}

// Pop-up menu ---------------------------------------------------------------------------------

void TppCrossTab::CreatePopupMenu(std::vector<crosstab::PopupItem>& aItems) const {
    using crosstab::PopupItem;
    const auto item = [](int order, const char* name, int id) {
        PopupItem i;
        i.Order = order;
        i.Name = QString::fromLatin1(name);
        i.LanguageId = id;
        i.Caption = id ? ppGetMessageText(id) : QStringLiteral("-");
        return i;
    };
    aItems.push_back(item(25, "Configure", 443));
    aItems.push_back(item(26, "ConfigureLine", 0));
    aItems.push_back(item(27, "Draw", 487));
    PopupItem pagination = item(28, "Pagination", 675);
    for (int id : {676, 677}) {
        PopupItem sub = item(0, id == 676 ? "AcrossThenDown" : "DownThenAcross", id);
        sub.RadioItem = true;
        sub.Tag = id == 676 ? QStringLiteral("ctptAcrossThenDown") : QStringLiteral("ctptDownThenAcross");
        pagination.Items.push_back(sub);
    }
    aItems.push_back(pagination);
    aItems.push_back(item(30, "ParentWidth", 371));
    if (crosstab::RendererClasses().size() > 1) {
        PopupItem style = item(30, "Style", 634);
        for (const auto& r : crosstab::RendererClasses()) {
            PopupItem sub;
            sub.Name = r.ClassName;
            sub.Caption = r.Description;
            sub.RadioItem = true;
            sub.Tag = r.ClassName;
            style.Items.push_back(sub);
        }
        aItems.push_back(style);
    }
}

void TppCrossTab::PopupMenuPopup(std::vector<crosstab::PopupItem>& aItems) const {
    for (auto& i : aItems) {
        if (i.Name == QLatin1String("Configure"))
            i.Visible = report::ppGetFormClass(QString::fromLatin1(TppCustomCrossTabDesignerForm::kClassName)) != nullptr;
        else if (i.Name == QLatin1String("Draw"))
            i.Checked = m_draw;
        else if (i.Name == QLatin1String("ParentWidth"))
            i.Checked = ParentWidth();
        else if (i.Name == QLatin1String("Pagination"))
            for (auto& sub : i.Items)
                sub.Checked = sub.Tag == (m_pagination == TppCrossTabPaginationType::ctptAcrossThenDown
                                              ? QLatin1String("ctptAcrossThenDown")
                                              : QLatin1String("ctptDownThenAcross"));
        else if (i.Name == QLatin1String("Style"))
            for (auto& sub : i.Items) {
                const crosstab::RendererClass* r = ppGetCrossTabRendererClass(sub.Tag);
                sub.Checked = r && r->Name == m_style;
            }
    }
}

void TppCrossTab::PopupItemClick(const crosstab::PopupItem& aItem) {
    if (aItem.Name == QLatin1String("Configure")) Configure();
    else if (aItem.Name == QLatin1String("Draw")) SetDraw(!m_draw);
    else if (aItem.Name == QLatin1String("ParentWidth")) SetParentWidth(!ParentWidth());
    else if (aItem.Tag == QLatin1String("ctptAcrossThenDown")) SetPagination(TppCrossTabPaginationType::ctptAcrossThenDown);
    else if (aItem.Tag == QLatin1String("ctptDownThenAcross")) SetPagination(TppCrossTabPaginationType::ctptDownThenAcross);
    else if (const crosstab::RendererClass* r = ppGetCrossTabRendererClass(aItem.Tag)) SetStyle(r->Name);
}

// Events --------------------------------------------------------------------------------------

void TppCrossTab::sendEvent(int aEventId, const char* aName, std::initializer_list<QVariant*> aArgs) {
    if (EventNotifyCount() == 0) return;
    const size_t slot = size_t(aEventId - report::ciCrossTabFirst);
    if (m_eventParams.size() <= slot) m_eventParams.resize(slot + 1);
    std::unique_ptr<TraParamList>& params = m_eventParams[slot];
    if (!params) params = RTTIInstance<TraTppCrossTabRTTI>().GetParams(QString::fromLatin1(aName));
    if (params) {
        int i = 0;
        for (QVariant* arg : aArgs)
            if (i < params->Count()) params->SetParamValuePtr(i++, arg);
    }
    ppSendEventNotify(this, this, aEventId, params.get());
}

namespace {
QVariant objectArg(QObject* o) {
    return QVariant::fromValue<QObject*>(o);
}
}  // namespace

void TppCrossTab::DoCalcDimensionValue(TppDimension* aDimension, QVariant& aValue) {
    if (OnCalcDimensionValue) OnCalcDimensionValue(this, aDimension, aValue);
    if (EventNotifyCount() == 0) return;
    QVariant d = objectArg(aDimension);
    sendEvent(54, "OnCalcDimensionValue", {&d, &aValue});
}

void TppCrossTab::DoFormatCell(TppElement* aElement, int aColumn, int aRow) {
    if (OnFormatCell) OnFormatCell(this, aElement, aColumn, aRow);
    if (EventNotifyCount() == 0) return;
    QVariant e = objectArg(aElement), c(aColumn), r(aRow);
    sendEvent(55, "OnFormatCell", {&e, &c, &r});
}

void TppCrossTab::DoGetCaptionText(TppElement* aElement, int aColumn, int aRow, const QString& aDisplayFormat,
                                   const QVariant& aValue, QString& aText) {
    if (OnGetCaptionText) OnGetCaptionText(this, aElement, aColumn, aRow, aDisplayFormat, aValue, aText);
    if (EventNotifyCount() == 0) return;
    QVariant e = objectArg(aElement), c(aColumn), r(aRow), f(aDisplayFormat), v(aValue), t(aText);
    sendEvent(56, "OnGetCaptionText", {&e, &c, &r, &f, &v, &t});
    aText = t.toString();
}

void TppCrossTab::DoGetDimensionName(TppDimension* aDimension, QString& aName) {
    if (OnGetDimensionName) OnGetDimensionName(this, aDimension, aName);
    if (EventNotifyCount() == 0) return;
    QVariant d = objectArg(aDimension), n(aName);
    sendEvent(57, "OnGetDimensionName", {&d, &n});
    aName = n.toString();
}

void TppCrossTab::DoGetDimensionCaption(TppDimension* aDimension, QString& aCaption) {
    if (OnGetDimensionCaption) OnGetDimensionCaption(this, aDimension, aCaption);
    if (EventNotifyCount() == 0) return;
    QVariant d = objectArg(aDimension), n(aCaption);
    sendEvent(58, "OnGetDimensionCaption", {&d, &n});
    aCaption = n.toString();
}

void TppCrossTab::DoGetDimensionValue(TppDimension* aDimension, QVariant& aValue, bool& aSkip) {
    if (OnGetDimensionValue) OnGetDimensionValue(this, aDimension, aValue, aSkip);
    if (EventNotifyCount() == 0) return;
    QVariant d = objectArg(aDimension), s(aSkip);
    sendEvent(59, "OnGetDimensionValue", {&d, &aValue, &s});
    aSkip = s.toBool();
}

void TppCrossTab::DoGetTotalCaptionText(TppElement* aElement, int aColumn, int aRow, QString& aText) {
    if (OnGetTotalCaptionText) OnGetTotalCaptionText(this, aElement, aColumn, aRow, aText);
    if (EventNotifyCount() == 0) return;
    QVariant e = objectArg(aElement), c(aColumn), r(aRow), t(aText);
    sendEvent(60, "OnGetTotalCaptionText", {&e, &c, &r, &t});
    aText = t.toString();
}

void TppCrossTab::DoGetTotalValueText(TppElement* aElement, int aColumn, int aRow, const QString& aDisplayFormat,
                                      const QVariant& aValue, QString& aText) {
    if (OnGetTotalValueText) OnGetTotalValueText(this, aElement, aColumn, aRow, aDisplayFormat, aValue, aText);
    if (EventNotifyCount() == 0) return;
    QVariant e = objectArg(aElement), c(aColumn), r(aRow), f(aDisplayFormat), v(aValue), t(aText);
    sendEvent(61, "OnGetTotalValueText", {&e, &c, &r, &f, &v, &t});
    aText = t.toString();
}

void TppCrossTab::DoGetValueText(TppElement* aElement, int aColumn, int aRow, const QString& aDisplayFormat,
                                 const QVariant& aValue, QString& aText) {
    if (OnGetValueText) OnGetValueText(this, aElement, aColumn, aRow, aDisplayFormat, aValue, aText);
    if (EventNotifyCount() == 0) return;
    QVariant e = objectArg(aElement), c(aColumn), r(aRow), f(aDisplayFormat), v(aValue), t(aText);
    sendEvent(62, "OnGetValueText", {&e, &c, &r, &f, &v, &t});
    aText = t.toString();
}

void TppCrossTab::DoTraverseRecord(TppDataPipeline* aDataPipeline, bool& aSkipRecord) {
    if (OnTraverseRecord) OnTraverseRecord(this, aDataPipeline, aSkipRecord);
    if (EventNotifyCount() == 0) return;
    QVariant p = objectArg(aDataPipeline), s(aSkipRecord);
    sendEvent(63, "OnTraverseRecord", {&p, &s});
    aSkipRecord = s.toBool();
}

void TppCrossTab::DoBeforeCalc() {
    if (BeforeCalc) BeforeCalc(this);
    sendEvent(64, "BeforeCalc", {});
}

void TppCrossTab::DoAfterCalc() {
    if (AfterCalc) AfterCalc(this);
    sendEvent(65, "AfterCalc", {});
}

QString TppCrossTab::EventHandlerName(const QString& aEvent) const {
    return m_handlerNames.value(aEvent.toLower());
}

void TppCrossTab::SetEventHandlerName(const QString& aEvent, const QString& aName) {
    if (aName.isEmpty()) m_handlerNames.remove(aEvent.toLower());
    else m_handlerNames.insert(aEvent.toLower(), aName);
}

// Generation ----------------------------------------------------------------------------------

void TppCrossTab::freeStatusTimer() {
    if (!m_statusTimer) return;
    m_statusTimer.reset();
    SetStatusMessage(m_savedStatusMessage);
}

void TppCrossTab::Generate() {
    m_continuing = OverFlow();
    TppStretchable::Generate();
}

void TppCrossTab::CalcSpaceUsed() {
    if (ValueDefCount() == 0) {
        SetOverFlow(false);
        SetSpaceUsed(0);
        return;
    }
    // The space the page leaves: down to the page's limit when stretching, else the height.
    const int top = PrintRect().top();
    const int availableHeight = CanStretch() ? std::max(PageBottom() - top, 0) : mmHeight();
    const int availableWidth = mmWidth();
    const bool newGeneration = !m_continuing;
    if (newGeneration) {
        ++m_generationCount;
        m_nextColumn = 0;
        m_nextRow = 0;
    }
    if (m_generationCount != m_calculatedGeneration) {
        m_calculatedGeneration = m_generationCount;
        m_calculating = true;
        m_savedStatusMessage = GetStatusMessage();
        m_statusTimer = std::make_unique<TppCrossTabStatusTimer>(250, this);
        struct Finish {
            TppCrossTab* x;
            bool failed = true;
            ~Finish() {
                x->m_calculating = false;
                if (failed || !x->m_draw) x->freeStatusTimer();
            }
        } finish{this};
        m_engine->Calculate();
        finish.failed = false;
        if (!m_renderer) {
            const crosstab::RendererClass* r = ppGetCrossTabRendererByName(m_style);
            if (r && r->Create)
                m_renderer = r->Create(this);
            else
                m_renderer = std::make_unique<TppCrossTabRenderer>(this);
        }
        m_renderer->FormatNeeded = m_draw;
        m_lastBlockEmpty = false;
    }
    struct FreeTimer {
        TppCrossTab* x;
        ~FreeTimer() { x->freeStatusTimer(); }
    } freeTimer{this};
    TppMatrix* m = Matrix();
    if (!m) {
        SetOverFlow(false);
        SetSpaceUsed(0);
        return;
    }
    int columnEnd = m->ColumnCount() - 1;
    int rowEnd = m->RowCount() - 1;
    if (m_draw) {
        if (!m_renderer) m_renderer = std::make_unique<TppCrossTabRenderer>(this);
        m_renderer->ColumnStart = m_nextColumn;
        m_renderer->RowStart = m_nextRow;
        // A continuation starts at the top of a fresh page, and a retry follows an empty try:
        // there the block takes at least one row and column, cut at the page's edge.
        m_renderer->ForceFit = !newGeneration || m_lastBlockEmpty;
        const report::PrinterResolution* printer = report::GlobalPrinterResolution();
        const int used = m_renderer->CalcBlock(m, availableHeight, availableWidth, printer);
        columnEnd = m_renderer->ColumnEnd;
        rowEnd = m_renderer->RowEnd;
        if (columnEnd < m_nextColumn || rowEnd < m_nextRow) {
            // Not one row or column fits below what the page holds already: the band moves
            // to the next page (or is given the room it needs there), and that try keeps this
            // calculation and takes at least one row, so a row larger than the page cannot
            // repeat until the page limit.
            m_lastBlockEmpty = true;
            --m_generationCount;
            SetSpaceUsed(0);
            SetOverFlow(false);
            SetOutOfSpace(true);
            return;
        }
        m_lastBlockEmpty = false;
        SetSpaceUsed(std::min(used, availableHeight));
    }
    if (columnEnd + 1 >= m->ColumnCount() && rowEnd + 1 >= m->RowCount()) {
        SetOverFlow(false);
        return;
    }
    SetOverFlow(true);
    if (m_pagination == TppCrossTabPaginationType::ctptAcrossThenDown) {
        if (columnEnd + 1 >= m->ColumnCount()) {
            m_nextColumn = 0;
            m_nextRow = rowEnd + 1;
        } else {
            m_nextColumn = columnEnd + 1;
        }
    } else if (rowEnd + 1 >= m->RowCount()) {
        m_nextRow = 0;
        m_nextColumn = columnEnd + 1;
    } else {
        m_nextRow = rowEnd + 1;
    }
}

TppDrawCommand* TppCrossTab::CreateDrawCommand(TppPage* aPage) {
    TppMatrix* m = Matrix();
    if (SpaceUsed() == 0 || !m_draw || !m || !m_renderer) return nullptr;
    m_renderer->CreateDrawCommands(aPage, m, PrintRect().left(), PrintRect().top());
    return nullptr;
}

void TppCrossTab::SaveToCache(int aPageNo) {
    QByteArray record = StretchableCacheRecord();
    QDataStream out(&record, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << qint32(m_generationCount) << qint32(m_nextColumn) << qint32(m_nextRow);
    WriteCacheRecord(aPageNo, record);
}

void TppCrossTab::RestoreFromCache(int aPageNo) {
    QByteArray record(kCacheRecordSize, 0);
    if (!ReadCacheRecord(aPageNo, record) || record.size() < kCacheRecordSize) return;
    TakeStretchableCacheRecord(record.left(kStretchableRecordSize));
    QDataStream in(record.mid(kStretchableRecordSize));
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 generation = 0, column = 0, row = 0;
    in >> generation >> column >> row;
    m_generationCount = generation;
    m_nextColumn = column;
    m_nextRow = row;
}

// Streaming -------------------------------------------------------------------------------------

namespace {

/// The cross-tab's stream table: the stretchable's with Stretch stored only when cleared
/// (a new cross-tab stretches).
class CrossTabTable : public stream::PropertyTable<TppCrossTab> {
public:
    explicit CrossTabTable(const stream::PropertyList& base) : stream::PropertyTable<TppCrossTab>(base) {
        m_properties.erase(std::remove_if(m_properties.begin(), m_properties.end(),
                                          [](const stream::PropertyInfo& p) {
                                              return p.name == QLatin1String("Stretch") ||
                                                     p.name == QLatin1String("DataPipeline");
                                          }),
                           m_properties.end());
    }
};

const char* const kEventNames[] = {"AfterCalc", "BeforeCalc", "OnCalcDimensionValue", "OnFormatCell",
                                   "OnGetCaptionText", "OnGetDimensionCaption", "OnGetDimensionName",
                                   "OnGetDimensionValue", "OnGetTotalCaptionText", "OnGetTotalValueText",
                                   "OnGetValueText", "OnTraverseRecord"};

}  // namespace

const stream::PropertyList& TppCrossTab::StreamProperties() const {
    using T = TppCrossTab;
    static const auto table = [](const stream::PropertyList& base) {
        CrossTabTable t(base);
        t.String("Caption", [](const T& c) { return const_cast<T&>(c).GetCaption(); }, [](T& c, const QString& v) { c.SetCaption(v); })
            .Reference("DataPipeline", &T::DataPipeline, [](T& c, TppDataPipeline* p) { c.SetDataPipeline(p); })
            .Boolean("Draw", &T::Draw, &T::SetDraw, true)
            .Boolean("GridLines", &T::GridLines, &T::SetGridLines, true)
            .Enum("Pagination", &T::Pagination, &T::SetPagination, EnumTypeOf(TppCrossTabPaginationType{}).values,
                  TppCrossTabPaginationType::ctptDownThenAcross)
            .Boolean("ParentWidth", &T::ParentWidth, [](T& c, bool v) { c.SetParentWidth(v); c.RecalcParentSize(); }, true)
            .Boolean("Stretch", &T::Stretch, &T::SetStretch, true)
            .String("Style", &T::Style, [](T& c, const QString& v) { c.m_style = v; }, stream::kNoDefault)
            .Boolean("Visible", &T::Visible, &T::SetVisible, true);
        for (const char* e : kEventNames) {
            const QString name = QString::fromLatin1(e);
            t.Event(name, [name](const T& c) { return c.EventHandlerName(name); },
                    [name](T& c, const QString& v) { c.SetEventHandlerName(name, v); });
        }
        return t;
    }(TppStretchable::StreamProperties());
    return table;
}

void TppCrossTab::DefineProperties(stream::Filer& filer) {
    TppStretchable::DefineProperties(filer);
}

bool TppCrossTab::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    return TppStretchable::AdoptStreamChild(child);
}

void TppCrossTab::Loaded() {
    TppStretchable::Loaded();
    m_modified = false;
}
