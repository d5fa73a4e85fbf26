#include "report/crosstab/elements.h"

#include "report/crosstab/crosstab.h"

#include "report/model/data_pipeline.h"
#include "report/model/text_layout.h"
#include "report/page/resource_manager.h"

#include "platform/stream/property_table.h"

#include <QDateTime>
#include <QLocale>

namespace crosstab {

QString SampleText(TppDataType aDataType, const QString& aDisplayFormat) {
    using D = TppDataType;
    QVariant sample;
    QString plain;
    const QDate date(2000, 1, 1);
    switch (aDataType) {
    case D::dtDate:
        sample = QDateTime(date, QTime(0, 0));
        plain = QLocale::c().toString(date, QLocale::ShortFormat);
        break;
    case D::dtTime:
        sample = QDateTime(QDate(1899, 12, 30), QTime(3, 30));
        plain = QLocale::c().toString(QTime(3, 30), QLocale::ShortFormat);
        break;
    case D::dtDateTime:
        sample = QDateTime(date, QTime(3, 30));
        plain = QLocale::c().toString(date, QLocale::ShortFormat);
        break;
    case D::dtInteger:
    case D::dtCurrency:
    case D::dtLongint:
        sample = 1000;
        plain = QStringLiteral("1000");
        break;
    case D::dtSingle:
    case D::dtDouble:
    case D::dtExtended:
        sample = 1000.0;
        plain = QStringLiteral("1000.00");
        break;
    default:
        return {};
    }
    return aDisplayFormat.isEmpty() ? plain : ppFormatValue(aDisplayFormat, aDataType, sample);
}

}  // namespace crosstab

namespace {

bool isFieldCalcType(TppDataType t) {
    using D = TppDataType;
    return t == D::dtDate || t == D::dtTime || t == D::dtDateTime || t == D::dtInteger || t == D::dtSingle ||
           t == D::dtDouble || t == D::dtExtended || t == D::dtCurrency || t == D::dtLongint;
}

const QStringList kAlignments = {"taLeftJustify", "taRightJustify", "taCenter"};
const QStringList kNullOrders = {"ctnoFirst", "ctnoLast"};
const QStringList kSortOrders = {"soAscending", "soDescending"};
const QStringList kCalcTypes = {"dcCount", "dcSum", "dcMinimum", "dcMaximum", "dcAverage"};

}  // namespace

// TppElement --------------------------------------------------------------------------------------

TppElement::TppElement(TComponent* aOwner) : TppRelative(aOwner), m_font(std::make_unique<TppFont>()) {
    m_font->SetName(QStringLiteral("Arial"));
    m_font->SetSize(10);
}

TppElement::~TppElement() = default;

void TppElement::changed() {
    DoElementChange();
    Modified();
}

void TppElement::SetDisplayFormat(const QString& aValue) {
    m_displayFormat = aValue;
    if (Reading()) return;
    changed();
}

void TppElement::SetAlignment(TAlignment aValue) {
    m_alignment = aValue;
    if (!Reading()) changed();
}

void TppElement::SetColor(paint::TColor aValue) {
    m_color = aValue;
    if (!Reading()) changed();
}

void TppElement::SetFont(TppFont* aFont) {
    if (aFont) m_font->Assign(aFont);
    if (!Reading()) changed();
}

void TppElement::SetVisible(bool aValue) {
    m_visible = aValue;
    if (!Reading()) changed();
}

void TppElement::DoElementChange() {
    if (OnElementChange && !HasState(csReading | csLoading | csDestroying)) OnElementChange(this);
}

void TppElement::Modified() {
    if (TppCrossTab* x = GetCrossTab()) x->Changed(true);
}

TppCrossTab* TppElement::GetCrossTab() const {
    TppRelative* p = Parent();
    for (int i = 0; i < 3 && p; ++i, p = p->Parent())
        if (auto* x = qobject_cast<TppCrossTab*>(p)) return x;
    return nullptr;
}

bool TppElement::HasDisplayFormat() const {
    return StreamProperties().Find(QStringLiteral("DisplayFormat")) != nullptr;
}

void TppElement::Assign(TPersistent* aSource) {
    auto* e = qobject_cast<TppElement*>(aSource);
    if (!e) {
        TppRelative::Assign(aSource);
        return;
    }
    m_alignment = e->m_alignment;
    m_color = e->m_color;
    m_displayFormat = e->m_displayFormat;
    m_font->Assign(e->m_font.get());
    m_visible = e->m_visible;
}

const stream::PropertyList& TppElement::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppElement>(TppRelative::StreamProperties());
    return table;
}

// TppDimension ------------------------------------------------------------------------------------

TppDimension::TppDimension(TComponent* aOwner) : TppElement(aOwner) {}

TppDimension::~TppDimension() {
    FreeSubTotals();
}

void TppDimension::FreeSubTotals() {
    while (!m_subTotals.empty()) {
        TppSubTotal* s = m_subTotals.back();
        delete s;  // its destructor leaves the list
        if (!m_subTotals.empty() && m_subTotals.back() == s) m_subTotals.pop_back();
    }
}

void TppDimension::SetSkipNulls(bool aValue) {
    m_skipNulls = aValue;
    if (!Reading()) changed();
}

void TppDimension::SetNullOrder(TppNullOrderType aValue) {
    m_nullOrder = aValue;
    if (!Reading()) changed();
}

void TppDimension::SetSortType(TppSortOrderType aValue) {
    m_sortType = aValue;
    if (!Reading()) changed();
}

QVariant TppDimension::GetValue() {
    TppCrossTab* x = GetCrossTab();
    TppDataPipeline* p = x ? x->DataPipeline() : nullptr;
    QVariant value;
    if (p && p->GetActive()) value = p->GetFieldValue(m_fieldName);
    m_skip = m_skipNulls && crosstab::IsNull(value);
    if (x) x->DoGetDimensionValue(this, value, m_skip);
    return value;
}

bool TppDimension::Skip() {
    GetValue();
    return m_skip;
}

QString TppDimension::GetCaption() {
    TppCrossTab* x = GetCrossTab();
    TppDataPipeline* p = x ? x->DataPipeline() : nullptr;
    if (!p || !p->GetActive()) return {};
    QString caption;
    if (m_displayFormat.isEmpty() || qobject_cast<TppValueDef*>(this)) caption = p->GetFieldAsString(m_fieldName);
    else caption = ppFormatValue(m_displayFormat, GetDataType(), p->GetFieldValue(m_fieldName));
    x->DoGetDimensionCaption(this, caption);
    return caption;
}

QString TppDimension::GetName() {
    QString name = m_fieldAlias;
    if (TppCrossTab* x = GetCrossTab()) x->DoGetDimensionName(this, name);
    return name;
}

TppDataType TppDimension::GetFieldDataType() const {
    TppCrossTab* x = GetCrossTab();
    if (m_fieldName.isEmpty() || !x || !x->DataPipeline()) return TppDataType::dtNotKnown;
    return x->DataPipeline()->GetFieldDataType(m_fieldName);
}

int TppDimension::GetIndex() const {
    return Parent() ? Parent()->IndexOfChild(this) : -1;
}

void TppDimension::Clear() {
    m_fieldAlias.clear();
    m_fieldName.clear();
}

TppSubTotal* TppDimension::SubTotals(int aIndex) const {
    if (aIndex < 0 || aIndex >= SubTotalCount()) return nullptr;
    return m_subTotals[size_t(aIndex)];
}

void TppDimension::MoveSubTotal(TppSubTotal* aSubTotal, int aNewIndex) {
    auto it = std::find(m_subTotals.begin(), m_subTotals.end(), aSubTotal);
    if (it == m_subTotals.end()) return;
    m_subTotals.erase(it);
    aNewIndex = std::clamp(aNewIndex, 0, SubTotalCount());
    m_subTotals.insert(m_subTotals.begin() + aNewIndex, aSubTotal);
}

void TppDimension::ShowSubTotals(bool aValue) {
    for (TppSubTotal* s : m_subTotals) s->ShowTotal(aValue);
}

void TppDimension::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (const TppSubTotal* s : m_subTotals) proc(*s);
}

void TppDimension::AddChild(TppRelative* aChild) {
    if (aChild && aChild->ChildType() == int(TppCrossTabChildType::ctctSubTotal)) {
        if (auto* s = qobject_cast<TppSubTotal*>(aChild);
            s && std::find(m_subTotals.begin(), m_subTotals.end(), s) == m_subTotals.end())
            m_subTotals.push_back(s);
        return;
    }
    TppElement::AddChild(aChild);
}

int TppDimension::IndexOfChild(const TppRelative* aChild) const {
    auto it = std::find(m_subTotals.begin(), m_subTotals.end(), aChild);
    if (it != m_subTotals.end()) return int(it - m_subTotals.begin());
    return TppElement::IndexOfChild(aChild);
}

int TppDimension::RemoveChild(TppRelative* aChild) {
    auto it = std::find(m_subTotals.begin(), m_subTotals.end(), aChild);
    if (it != m_subTotals.end()) {
        const int index = int(it - m_subTotals.begin());
        m_subTotals.erase(it);
        return index;
    }
    return TppElement::RemoveChild(aChild);
}

void TppDimension::Assign(TPersistent* aSource) {
    TppElement::Assign(aSource);
    auto* d = qobject_cast<TppDimension*>(aSource);
    if (!d) return;
    m_fieldAlias = d->m_fieldAlias;
    m_fieldName = d->m_fieldName;
    m_nullOrder = d->m_nullOrder;
    m_skipNulls = d->m_skipNulls;
    m_sortType = d->m_sortType;
    FreeSubTotals();
    for (TppSubTotal* s : d->m_subTotals) {
        auto* copy = qobject_cast<TppSubTotal*>(s->metaObject()->newInstance(Q_ARG(TComponent*, this)));
        if (!copy) continue;
        copy->Assign(s);
        copy->SetChildType(s->ChildType());
        copy->SetParent(this);
    }
}

const stream::PropertyList& TppDimension::StreamProperties() const {
    using T = TppDimension;
    static const auto table = stream::PropertyTable<T>(TppElement::StreamProperties())
        .Integer("ChildType", [](const T& e) { return e.ChildType(); }, [](T& e, qint64 v) { e.SetChildType(int(v)); })
        .String("FieldAlias", &T::FieldAlias, &T::SetFieldAlias)
        .String("FieldName", &T::FieldName, &T::SetFieldName)
        .Enum("Alignment", &T::Alignment, &T::SetAlignment, kAlignments, TAlignment::taLeftJustify)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .String("DisplayFormat", &T::DisplayFormat, [](T& e, const QString& v) { e.SetDisplayFormat(v); })
        .Object("Font", [](const T& e) -> const TppFont& { return *e.Font(); })
        .Enum("NullOrder", &T::NullOrder, &T::SetNullOrder, kNullOrders, TppNullOrderType::ctnoLast)
        .Boolean("SkipNulls", &T::SkipNulls, [](T& e, bool v) { e.SetSkipNulls(v); }, true)
        .Enum("SortType", &T::SortType, &T::SetSortType, kSortOrders, TppSortOrderType::soAscending);
    return table;
}

TppColumnDef::TppColumnDef(TComponent* aOwner) : TppDimension(aOwner) {
    m_alignment = TAlignment::taLeftJustify;
}

TppRowDef::TppRowDef(TComponent* aOwner) : TppDimension(aOwner) {
    SetChildType(int(TppCrossTabChildType::ctctRowDef));
    m_alignment = TAlignment::taLeftJustify;
}

// TppValueDef -------------------------------------------------------------------------------------

TppValueDef::TppValueDef(TComponent* aOwner) : TppDimension(aOwner) {
    SetChildType(int(TppCrossTabChildType::ctctValueDef));
    m_alignment = TAlignment::taRightJustify;
    auto* caption = new TppValueCaptionDef(this);
    caption->SetParent(this);
}

TppValueDef::~TppValueDef() {
    delete m_captionDef;
    m_captionDef = nullptr;
}

TppDBCalcType TppValueDef::CalcType() const {
    return m_captionDef ? m_captionDef->CalcType() : TppDBCalcType::dcSum;
}

void TppValueDef::SetCalcType(TppDBCalcType aValue) {
    if (m_captionDef) m_captionDef->SetCalcType(aValue);
}

void TppValueDef::SetDisplayFormat(const QString& aValue) {
    if (Reading()) {
        m_displayFormat = aValue;
        return;
    }
    TppCrossTab* x = GetCrossTab();
    if (!x) return;
    const int i = x->IndexOfChild(this);
    if (i >= 0) {
        if (TppGrandTotal* t = x->ColumnGrandTotals(i)) t->TotalDef()->SetDisplayFormat(aValue);
        if (TppGrandTotal* t = x->RowGrandTotals(i)) t->TotalDef()->SetDisplayFormat(aValue);
        for (int k = 0; k < x->ColumnDefCount(); ++k)
            if (TppSubTotal* s = x->ColumnDefs(k)->SubTotals(i)) s->TotalDef()->SetDisplayFormat(aValue);
        for (int k = 0; k < x->RowDefCount(); ++k)
            if (TppSubTotal* s = x->RowDefs(k)->SubTotals(i)) s->TotalDef()->SetDisplayFormat(aValue);
    }
    m_displayFormat = aValue;
    changed();
}

void TppValueDef::SetSkipNulls(bool aValue) {
    if (m_captionDef) m_captionDef->SetSkipNulls(aValue);
}

QString TppValueDef::GetName() {
    QString name = TppDimension::GetName();
    if (name != FieldAlias()) return name;
    static const int kTexts[] = {1028, 1029, 1030, 1031, 1032};
    const TppDBCalcType calc = CalcType();
    QString out = ppGetMessageText(kTexts[int(calc)]);
    if (calc == TppDBCalcType::dcCount || calc == TppDBCalcType::dcSum)
        out += u' ' + ppGetMessageText(16) + u' ' + FieldAlias();
    else
        out += u' ' + FieldAlias();
    return out;
}

QString TppValueDef::GetDesignName() {
    return crosstab::SampleText(GetDataType(), DisplayFormat());
}

TppDataType TppValueDef::GetDataType() {
    const TppDBCalcType calc = CalcType();
    if (calc == TppDBCalcType::dcCount) return TppDataType::dtInteger;
    const TppDataType field = GetFieldDataType();
    // An average keeps its fraction, also over an integer field.
    if (calc == TppDBCalcType::dcAverage && (field == TppDataType::dtInteger || field == TppDataType::dtLongint))
        return TppDataType::dtExtended;
    return field;
}

void TppValueDef::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    TppDimension::GetExtraChildren(proc);
    if (m_captionDef) proc(*m_captionDef);
}

void TppValueDef::AddChild(TppRelative* aChild) {
    if (auto* caption = qobject_cast<TppValueCaptionDef*>(aChild)) {
        if (m_captionDef && m_captionDef != caption) {
            TppValueCaptionDef* old = m_captionDef;
            m_captionDef = nullptr;
            delete old;
        }
        m_captionDef = caption;
        return;
    }
    TppDimension::AddChild(aChild);
}

int TppValueDef::RemoveChild(TppRelative* aChild) {
    if (aChild && aChild == m_captionDef) {
        m_captionDef = nullptr;
        return 0;
    }
    return TppDimension::RemoveChild(aChild);
}

void TppValueDef::Assign(TPersistent* aSource) {
    TppDimension::Assign(aSource);
    auto* v = qobject_cast<TppValueDef*>(aSource);
    if (!v) return;
    m_displayFormat = v->DisplayFormat();
    if (m_captionDef && v->m_captionDef) m_captionDef->Assign(v->m_captionDef);
}

const stream::PropertyList& TppValueDef::StreamProperties() const {
    using T = TppValueDef;
    static const auto table = stream::PropertyTable<T>(TppElement::StreamProperties())
        .Integer("ChildType", [](const T& e) { return e.ChildType(); }, [](T& e, qint64 v) { e.SetChildType(int(v)); })
        .String("FieldAlias", &T::FieldAlias, &T::SetFieldAlias)
        .String("FieldName", &T::FieldName, &T::SetFieldName)
        .Enum("Alignment", &T::Alignment, &T::SetAlignment, kAlignments, TAlignment::taRightJustify)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .String("DisplayFormat", &T::DisplayFormat, [](T& e, const QString& v) { e.SetDisplayFormat(v); })
        .Object("Font", [](const T& e) -> const TppFont& { return *e.Font(); });
    return table;
}

// TppTotalDef, TppTotalCaptionDef, TppValueCaptionDef ---------------------------------------------

TppTotalDef::TppTotalDef(TComponent* aOwner) : TppElement(aOwner) {
    SetChildType(int(TppCrossTabChildType::ctctTotalDef));
    m_alignment = TAlignment::taRightJustify;
}

QString TppTotalDef::GetName() {
    auto* total = qobject_cast<TppTotal*>(Parent());
    if (!total) return {};
    TppValueDef* v = total->GetValueDef();
    return crosstab::SampleText(v ? v->GetDataType() : TppDataType::dtNotKnown, DisplayFormat());
}

QString TppTotalDef::GetDesignName() {
    const QString name = GetName();
    auto* total = qobject_cast<TppTotal*>(Parent());
    if (!total) return name;
    const bool columnSubTotal = qobject_cast<TppColumnDef*>(total->Parent()) != nullptr;
    TppCrossTab* x = total->CrossTab();
    const bool columnGrandTotal =
        x && qobject_cast<TppGrandTotal*>(total) && x->IndexOfColumnGrandTotal(qobject_cast<TppGrandTotal*>(total)) >= 0;
    return (columnSubTotal || columnGrandTotal) ? QStringLiteral("<newline>") + name : name;
}

TppDataType TppTotalDef::GetDataType() {
    auto* total = qobject_cast<TppTotal*>(Parent());
    TppValueDef* v = total ? total->GetValueDef() : nullptr;
    return v ? v->GetDataType() : TppDataType::dtNotKnown;
}

const stream::PropertyList& TppTotalDef::StreamProperties() const {
    using T = TppTotalDef;
    static const auto table = stream::PropertyTable<T>(TppElement::StreamProperties())
        .Integer("ChildType", [](const T& e) { return e.ChildType(); }, [](T& e, qint64 v) { e.SetChildType(int(v)); })
        .Enum("Alignment", &T::Alignment, &T::SetAlignment, kAlignments, TAlignment::taRightJustify)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .String("DisplayFormat", &T::DisplayFormat, [](T& e, const QString& v) { e.SetDisplayFormat(v); })
        .Object("Font", [](const T& e) -> const TppFont& { return *e.Font(); })
        .Boolean("Visible", &T::Visible, &T::SetVisible, true);
    return table;
}

TppTotalCaptionDef::TppTotalCaptionDef(TComponent* aOwner) : TppElement(aOwner) {
    SetChildType(int(TppCrossTabChildType::ctctTotalCaptionDef));
    m_alignment = TAlignment::taLeftJustify;
}

QString TppTotalCaptionDef::GetName() {
    auto* total = qobject_cast<TppTotal*>(Parent());
    if (!total) return {};
    TppCrossTab* x = total->CrossTab();
    const bool several = x && x->ValueDefCount() > 1;
    if (qobject_cast<TppSubTotal*>(total)) {
        auto* dimension = qobject_cast<TppDimension*>(total->Parent());
        if (!dimension) return {};
        QString name = dimension->GetName() + u' ' + ppGetMessageText(75);
        if (several && qobject_cast<TppRowDef*>(dimension)) {
            if (TppValueDef* v = total->GetValueDef()) name += QStringLiteral(" (") + v->GetName() + u')';
            SetAlignmentQuietly(TAlignment::taLeftJustify);
        }
        return name;
    }
    if (auto* grand = qobject_cast<TppGrandTotal*>(total)) {
        QString name = ppGetMessageText(72);
        if (several && x->IndexOfRowGrandTotal(grand) >= 0) {
            if (TppValueDef* v = total->GetValueDef()) name += QStringLiteral(" (") + v->GetName() + u')';
            SetAlignmentQuietly(TAlignment::taLeftJustify);
        }
        return name;
    }
    return {};
}

const stream::PropertyList& TppTotalCaptionDef::StreamProperties() const {
    using T = TppTotalCaptionDef;
    static const auto table = stream::PropertyTable<T>(TppElement::StreamProperties())
        .Integer("ChildType", [](const T& e) { return e.ChildType(); }, [](T& e, qint64 v) { e.SetChildType(int(v)); })
        .Enum("Alignment", &T::Alignment, &T::SetAlignment, kAlignments, TAlignment::taLeftJustify)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .Object("Font", [](const T& e) -> const TppFont& { return *e.Font(); })
        .Boolean("Visible", &T::Visible, &T::SetVisible, true);
    return table;
}

TppValueCaptionDef::TppValueCaptionDef(TComponent* aOwner) : TppElement(aOwner) {
    SetChildType(int(TppCrossTabChildType::ctctValueCaptionDef));
    m_alignment = TAlignment::taLeftJustify;
}

void TppValueCaptionDef::SetCalcType(TppDBCalcType aValue) {
    m_calcType = aValue;
    if (Reading()) return;
    auto* v = qobject_cast<TppValueDef*>(Parent());
    if (m_calcType != TppDBCalcType::dcCount && v && !isFieldCalcType(v->GetFieldDataType()))
        m_calcType = TppDBCalcType::dcCount;
    changed();
}

void TppValueCaptionDef::SetSkipNulls(bool aValue) {
    m_skipNulls = aValue;
    if (!Reading()) changed();
}

QString TppValueCaptionDef::GetName() {
    auto* v = qobject_cast<TppValueDef*>(Parent());
    return v ? v->GetName() : QString();
}

void TppValueCaptionDef::Assign(TPersistent* aSource) {
    TppElement::Assign(aSource);
    if (auto* c = qobject_cast<TppValueCaptionDef*>(aSource)) {
        m_calcType = c->m_calcType;
        m_skipNulls = c->m_skipNulls;
    }
}

const stream::PropertyList& TppValueCaptionDef::StreamProperties() const {
    using T = TppValueCaptionDef;
    static const auto table = stream::PropertyTable<T>(TppElement::StreamProperties())
        .Integer("ChildType", [](const T& e) { return e.ChildType(); }, [](T& e, qint64 v) { e.SetChildType(int(v)); })
        .Enum("Alignment", &T::Alignment, &T::SetAlignment, kAlignments, TAlignment::taLeftJustify)
        .Enum("CalcType", &T::CalcType, &T::SetCalcType, kCalcTypes, stream::kNoDefault)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .Object("Font", [](const T& e) -> const TppFont& { return *e.Font(); })
        .Boolean("SkipNulls", &T::SkipNulls, &T::SetSkipNulls, true);
    return table;
}

// Totals ----------------------------------------------------------------------------------------

TppTotal::TppTotal(TComponent* aOwner) : TppRelative(aOwner) {
    auto* caption = new TppTotalCaptionDef(this);
    caption->SetParent(this);
    auto* total = new TppTotalDef(this);
    total->SetParent(this);
}

TppTotal::~TppTotal() {
    delete m_captionDef;
    m_captionDef = nullptr;
    delete m_totalDef;
    m_totalDef = nullptr;
}

int TppTotal::ValueDefIndex() const {
    return Parent() ? Parent()->IndexOfChild(this) : -1;
}

TppValueDef* TppTotal::GetValueDef() const {
    TppCrossTab* x = CrossTab();
    const int i = ValueDefIndex();
    return x && i >= 0 ? x->ValueDefs(i) : nullptr;
}

TppCrossTab* TppTotal::CrossTab() const {
    TppRelative* p = Parent();
    if (auto* x = qobject_cast<TppCrossTab*>(p)) return x;
    return p ? qobject_cast<TppCrossTab*>(p->Parent()) : nullptr;
}

void TppTotal::ShowTotal(bool aVisible) {
    if (m_captionDef) m_captionDef->SetVisible(aVisible);
    if (m_totalDef) m_totalDef->SetVisible(aVisible);
}

bool TppTotal::GetVisible() const {
    return m_captionDef && m_captionDef->Visible();
}

void TppTotal::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    if (m_captionDef) proc(*m_captionDef);
    if (m_totalDef) proc(*m_totalDef);
}

void TppTotal::AddChild(TppRelative* aChild) {
    if (auto* caption = qobject_cast<TppTotalCaptionDef*>(aChild)) {
        if (m_captionDef && m_captionDef != caption) {
            TppTotalCaptionDef* old = m_captionDef;
            m_captionDef = nullptr;
            delete old;
        }
        m_captionDef = caption;
        return;
    }
    if (auto* total = qobject_cast<TppTotalDef*>(aChild)) {
        if (m_totalDef && m_totalDef != total) {
            TppTotalDef* old = m_totalDef;
            m_totalDef = nullptr;
            delete old;
        }
        m_totalDef = total;
        return;
    }
    TppRelative::AddChild(aChild);
}

int TppTotal::RemoveChild(TppRelative* aChild) {
    if (aChild && aChild == m_captionDef) {
        m_captionDef = nullptr;
        return 0;
    }
    if (aChild && aChild == m_totalDef) {
        m_totalDef = nullptr;
        return 0;
    }
    return TppRelative::RemoveChild(aChild);
}

void TppTotal::Assign(TPersistent* aSource) {
    auto* t = qobject_cast<TppTotal*>(aSource);
    if (!t) {
        TppRelative::Assign(aSource);
        return;
    }
    if (m_captionDef && t->m_captionDef) m_captionDef->Assign(t->m_captionDef);
    if (m_totalDef && t->m_totalDef) m_totalDef->Assign(t->m_totalDef);
}

const stream::PropertyList& TppTotal::StreamProperties() const {
    using T = TppTotal;
    static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
        .Integer("ChildType", [](const T& e) { return e.ChildType(); }, [](T& e, qint64 v) { e.SetChildType(int(v)); });
    return table;
}

TppSubTotal::TppSubTotal(TComponent* aOwner) : TppTotal(aOwner) {
    SetChildType(int(TppCrossTabChildType::ctctSubTotal));
}

TppGrandTotal::TppGrandTotal(TComponent* aOwner) : TppTotal(aOwner) {}
