#include "report/model/text_components.h"

#include "report/model/group.h"
#include "report/model/internal/component_properties.h"
#include "report/model/script_adapter.h"
#include "report/model/text_layout.h"

#include <algorithm>

// TppCustomText -------------------------------------------------------------------------------

TppCustomText::TppCustomText(TComponent* AOwner) : TppCustomComponent(AOwner) {
    SetDrawCommandClass(&TppDrawText::staticMetaObject);
    SetAutoSize(true);
}

TppCustomText::~TppCustomText() {
    const std::vector<TppGroup*> groups = m_groups;
    m_groups.clear();
    for (TppGroup* g : groups) g->SetBreakName(QString());
}

QString TppCustomText::GetText() const {
    QString text = GetValueText();
    if (HasState(csReading | csLoading)) return text;
    if (OnGetText) OnGetText(const_cast<TppCustomText*>(this), text);
    TraParamList params;
    params.AddParam(QStringLiteral("Text"), TraDataType::daString, nullptr, QString(), false, true);
    QVariant buffer(text);
    params.SetParamValuePtr(0, &buffer);
    ppSendEventNotify(const_cast<TppCustomText*>(this), const_cast<TppCustomText*>(this), report::ciTextGetText, &params);
    return buffer.toString();
}

void TppCustomText::SetDisplayFormat(const QString& aFormat) {
    if (aFormat == m_displayFormat) return;
    m_displayFormat = aFormat;
    PropertyChange();
}

void TppCustomText::SetCharWrap(bool v) {
    if (IsPrinting()) return;
    m_charWrap = v;
    InvalidateDesignControl();
    PropertyChange();
    Reset();
}

void TppCustomText::SetSave(bool v) {
    if (v == m_save) return;
    m_save = v;
    if (!HasState(csReading | csLoading) && Band()) {
        if (v)
            Band()->AddSave(this);
        else
            Band()->RemoveSave(this);
    }
    if (State() & ppsDesignControl) PropertyChange();
    Reset();
}

int TppCustomText::SaveOrder() const { return Band() ? Band()->IndexOfSave(this) : -1; }

void TppCustomText::SetSaveOrder(int v) {
    if (HasState(csReading | csLoading)) {
        m_storedSaveOrder = v;
        return;
    }
    if (m_save && Band()) {
        const int count = Band()->SaveCount();
        v = std::clamp(v, 0, std::max(count - 1, 0));
        if (v != Band()->IndexOfSave(this)) {
            Band()->RemoveSave(this);
            Band()->InsertSave(v, this);
        }
    }
    Reset();
}

void TppCustomText::SetSaveLength(int v) {
    if (v == m_saveLength) return;
    m_saveLength = v;
    Reset();
}

void TppCustomText::AddGroup(TppGroup* aGroup) {
    if (aGroup && std::find(m_groups.begin(), m_groups.end(), aGroup) == m_groups.end()) m_groups.push_back(aGroup);
}

void TppCustomText::RemoveGroup(TppGroup* aGroup) {
    m_groups.erase(std::remove(m_groups.begin(), m_groups.end(), aGroup), m_groups.end());
}

void TppCustomText::SetName(const QString& aName) {
    const QString oldName = Name();
    TppCustomComponent::SetName(aName);
    if (HasState(csReading | csLoading) || oldName == aName) return;
    const std::vector<TppGroup*> groups = m_groups;
    for (TppGroup* g : groups) g->BreakComponentRenamed(oldName, aName);
}

void TppCustomText::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppCustomComponent::PropertiesToDrawCommand(aDrawCommand);
    auto* t = qobject_cast<TppDrawText*>(aDrawCommand);
    if (!t) return;
    const QRect r = PrintRect();
    t->SetAlignment(Alignment());
    t->SetAutoSize(AutoSize());
    t->SetColor(Color());
    t->SetLeft(r.left());
    t->SetTop(r.top());
    t->SetWidth(r.right() - r.left());
    t->SetHeight(r.bottom() - r.top());
    t->SetText(GetText());
    t->SetTransparent(Transparent());
    t->SetWordWrap(WordWrap());
    t->SetFont(Font());
    if (Band()) t->SetBandSave(Band()->Save());
    t->SetComponent(this);
    t->SetComponentSave(m_save);
    t->SetComponentSaveNo(SaveOrder());
    t->SetSaveLength(m_saveLength);
}

const stream::PropertyList& TppCustomText::StreamProperties() const {
    using T = TppCustomText;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        report::internal::AddTextAppearanceProperties(t);
        report::internal::AddPlacementProperties(t);
        t.Boolean("CharWrap", &T::CharWrap, &T::SetCharWrap, false)
            .String("DisplayFormat", &T::DisplayFormat, [](T& c, const QString& v) { c.SetDisplayFormat(v); })
            .Event("OnGetText", [](const T& c) { return c.OnGetTextName; }, [](T& c, const QString& v) { c.OnGetTextName = v; })
            .Boolean("Save", &T::Save, &T::SetSave, false)
            .Integer("SaveLength", &T::SaveLength, &T::SetSaveLength, 0)
            .Integer("SaveOrder", &T::SaveOrder, &T::SetSaveOrder, -1);
        return t;
    }(TppCustomComponent::StreamProperties());
    return table;
}

// TppLabel ------------------------------------------------------------------------------------

TppLabel::TppLabel(TComponent* AOwner) : TppCustomText(AOwner) { SetDefaultPropName(QStringLiteral("Caption")); }

void TppLabel::SetUserName(const QString& aName) {
    const QString old = UserName();
    TppCustomText::SetUserName(aName);
    if (UserName() == old || (HasState(csReading | csLoading) && !(State() & ppsPasting))) return;
    if (Text() == old) SetCaption(UserName());
}

const stream::PropertyList& TppLabel::StreamProperties() const {
    using T = TppLabel;
    static const auto table = stream::PropertyTable<T>(TppCustomText::StreamProperties())
        .Boolean("AutoSize", &T::AutoSize, &T::SetAutoSize, true)
        .String("Caption", &T::Caption, &T::SetCaption);
    return table;
}

// TppDBText -----------------------------------------------------------------------------------

TppDBText::TppDBText(TComponent* AOwner) : TppCustomText(AOwner) {
    SetAutoSize(false);
    EventNotifies().set(report::ciGroupBreakReset);
}

QString TppDBText::GetDescription() const {
    return DataField().isEmpty() ? UserName() : UserName() + QStringLiteral(": ") + DataField();
}

QString TppDBText::GetValueText() const {
    if (CanShowData()) {
        TppDataType type = TppDataType::dtString;
        QVariant value;
        try {
            type = DataPipeline()->GetFieldDataType(DataField());
        } catch (...) {
            type = TppDataType::dtString;
        }
        try {
            value = DataPipeline()->GetFieldValue(DataField());
        } catch (const base::Exception&) {
            return QString();
        }
        if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty())) return QString();
        if (m_blankWhenZero) {
            const bool numeric = value.typeId() == QMetaType::Int || value.typeId() == QMetaType::Double ||
                                 value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Float;
            if (numeric && value.toDouble() == 0) return QString();
        }
        QString text = ppFormatValue(OnFormat ? QString() : DisplayFormat(), type, value);
        if (OnFormat) OnFormat(const_cast<TppDBText*>(this), DisplayFormat(), type, value, text);
        return text;
    }
    if (IsPrinting()) return QString();
    if (!DataField().isEmpty()) return DataPipeline() ? DataPipeline()->GetFieldAlias(DataField()) : DataField();
    return UserName();
}

void TppDBText::SetBlankWhenZero(bool v) {
    if (v == m_blankWhenZero) return;
    m_blankWhenZero = v;
    PropertyChange();
}

void TppDBText::SetReprintOnSubsequent(bool v) {
    if (v == m_reprintOnSubsequent) return;
    m_reprintOnSubsequent = v;
    Reset();
    PropertyChange();
}

void TppDBText::SetSuppressRepeatedValues(bool v) {
    if (v == m_suppressRepeatedValues) return;
    m_suppressRepeatedValues = v;
    Reset();
    PropertyChange();
}

const stream::PropertyList& TppDBText::StreamProperties() const {
    using T = TppDBText;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        report::internal::AddDataProperties(t);
        t.Boolean("AutoSize", &T::AutoSize, &T::SetAutoSize, false)
            .Boolean("BlankWhenZero", &T::BlankWhenZero, &T::SetBlankWhenZero, false)
            .Event("OnFormat", [](const T& c) { return c.OnFormatName; }, [](T& c, const QString& v) { c.OnFormatName = v; })
            .Boolean("ReprintOnSubsequent", &T::ReprintOnSubsequent, &T::SetReprintOnSubsequent, false)
            .Reference("ResetGroup", &T::ResetGroup, [](T& c, TppGroup* g) { c.SetResetGroup(g); })
            .Boolean("SuppressRepeatedValues", &T::SuppressRepeatedValues, &T::SetSuppressRepeatedValues, false);
        return t;
    }(TppCustomText::StreamProperties());
    return table;
}
