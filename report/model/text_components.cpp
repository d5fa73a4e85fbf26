#include "report/model/text_components.h"

#include "report/model/custom_report.h"
#include "report/model/group.h"
#include "report/page/resource_manager.h"
#include "report/model/internal/component_properties.h"
#include "report/model/script_adapter.h"
#include "report/model/text_layout.h"

#include "platform/base/day_time.h"

#include <algorithm>

namespace {

/// The number a calculation takes from a field value: a date, time or date-time counts as
/// its day number (days since 1899-12-30, the time as a fraction of a day).
double calcNumber(const QVariant& aValue) {
    if (aValue.isNull()) return 0;
    switch (aValue.typeId()) {
    case QMetaType::QDate: return base::DateToDays(aValue.toDate());
    case QMetaType::QDateTime: return base::DateTimeToDays(aValue.toDateTime());
    case QMetaType::QTime: return base::TimeToDays(aValue.toTime());
    default: break;
    }
    bool ok = false;
    const double x = aValue.toDouble(&ok);
    return ok ? x : 0;
}

bool isDateTimeValue(const QVariant& aValue) {
    const int t = aValue.typeId();
    return t == QMetaType::QDate || t == QMetaType::QDateTime || t == QMetaType::QTime;
}

}  // namespace

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
    if (Band()) {
        t->SetBandSave(Band()->Save());
        t->SetBandSaveNo(Band()->OutputNo());
    }
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
            // A date-time of 0 (1899-12-30 00:00) is zero too.
            if ((numeric || isDateTimeValue(value)) && calcNumber(value) == 0) return QString();
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

void TppDBText::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    TppCustomText::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID == report::ciGroupBreakReset && aCommunicator && aCommunicator == static_cast<TppCommunicator*>(ResetGroup()))
        SetResetOnCompute(true);
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

// TppDBCalc -----------------------------------------------------------------------------------

TppDBCalc::TppDBCalc(TComponent* AOwner) : TppDBText(AOwner) {}



bool TppDBCalc::lookAheadInForce() const {
    const TppCustomReport* r = GetOwnerReport();
    return m_lookAhead && r && r->GetMainReport()->PassSetting() == TppPassSettingType::psTwoPass;
}

QString TppDBCalc::LookAheadKey() const {
    int groupKey = 0;
    if (ResetGroup())
        groupKey = ResetGroup()->BreakNo();
    else if (Band() && (Band()->BandType() == TppBandType::btHeader || Band()->BandType() == TppBandType::btFooter ||
                        Band()->BandType() == TppBandType::btColumnHeader || Band()->BandType() == TppBandType::btColumnFooter))
        groupKey = GetReport() ? GetReport()->AbsolutePageNo() : 0;
    // Column bands keep one total per column of the page.
    int pageKey = 0;
    if (!ResetGroup() && Band() && GetReport() &&
        (Band()->BandType() == TppBandType::btColumnHeader || Band()->BandType() == TppBandType::btColumnFooter))
        pageKey = GetReport()->CurrentColumn();
    return QString::asprintf("%8d", groupKey) + QLatin1Char('|') + QString::asprintf("%8d", pageKey);
}

void TppDBCalc::SetDBCalcType(TppDBCalcType v) {
    m_calcType = v;
    if (!HasState(csReading | csLoading)) PropertyChange();
    Reset();
}

void TppDBCalc::SetLookAhead(bool v) {
    if (IsPrinting()) return;
    m_lookAhead = v;
    if (HasState(csReading | csLoading)) return;
    if (v && GetOwnerReport()) GetOwnerReport()->SetPassSetting(TppPassSettingType::psTwoPass);
    PropertyChange();
    Reset();
}

void TppDBCalc::PrepareRun() {
    TppDBText::PrepareRun();
    m_finalTexts.clear();
}

void TppDBCalc::InitGeneration() {
    TppDBText::InitGeneration();
    SetResetOnCompute(true);
    m_divisor = 0;
    m_value = 0;
}

void TppDBCalc::ResetValue() {
    TppDBText::ResetValue();
    m_value = 0;
    m_divisor = 0;
}

void TppDBCalc::Compute() {
    const bool reset = ResetOnCompute();
    if (reset) {
        ResetValue();
        if (OnGroupBreak) OnGroupBreak(this);
    }
    double x = 0;
    // A count takes no value from the field.
    if (m_calcType != TppDBCalcType::dcCount && DataPipeline() && !DataField().isEmpty()) {
        try {
            x = calcNumber(DataPipeline()->GetFieldValue(DataField()));
        } catch (const base::Exception&) {
            x = 0;
        }
    }
    m_divisor += 1;
    switch (m_calcType) {
    case TppDBCalcType::dcCount: m_value = m_divisor; break;
    case TppDBCalcType::dcSum:
    case TppDBCalcType::dcAverage: m_value += x; break;
    case TppDBCalcType::dcMinimum: m_value = reset || x < m_value ? x : m_value; break;
    case TppDBCalcType::dcMaximum: m_value = reset || x > m_value ? x : m_value; break;
    }
    SetResetOnCompute(false);
    if (OnCalc) OnCalc(this);
    if (lookAheadInForce() && GetReport() && GetReport()->FirstPass()) m_finalTexts.insert(LookAheadKey(), GetText());
}

double TppDBCalc::currentValue() const {
    if (m_calcType == TppDBCalcType::dcAverage) return m_divisor != 0 ? m_value / m_divisor : 0;
    return m_value;
}

QString TppDBCalc::GetValueText() const {
    static const int names[] = {1028, 1029, 1030, 1031, 1032};
    if ((State() & ppsDesignControl) && !IsPrinting()) {
        const QString field = DataField().isEmpty()
                                  ? QString()
                                  : (DataPipeline() ? DataPipeline()->GetFieldAlias(DataField()) : DataField());
        return report::MessageText(names[int(m_calcType)]) + QLatin1Char('(') +
               (field.isEmpty() ? (m_calcType == TppDBCalcType::dcCount ? QStringLiteral("*") : QStringLiteral("?")) : field) +
               QLatin1Char(')');
    }
    const double v = currentValue();
    if (BlankWhenZero() && v == 0) return QString();
    TppDataType type = TppDataType::dtDouble;
    if (DataPipeline() && !DataField().isEmpty()) {
        const TppDataType t = DataPipeline()->GetFieldDataType(DataField());
        if (t == TppDataType::dtDate || t == TppDataType::dtTime || t == TppDataType::dtDateTime) type = TppDataType::dtDateTime;
    }
    QString text = ppFormatValue(DisplayFormat(), type, QVariant(v));
    if (OnFormat) OnFormat(const_cast<TppDBCalc*>(this), DisplayFormat(), type, QVariant(v), text);
    return text;
}

QString TppDBCalc::GetDescription() const {
    static const int names[] = {1028, 1029, 1030, 1031, 1032};
    const QString field = DataField().isEmpty() ? (m_calcType == TppDBCalcType::dcCount ? QStringLiteral("*") : QStringLiteral("?"))
                                                : DataField();
    return UserName() + QStringLiteral(": ") + report::MessageText(names[int(m_calcType)]) + QLatin1Char('(') + field +
           QLatin1Char(')');
}

void TppDBCalc::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppDBText::PropertiesToDrawCommand(aDrawCommand);
    auto* t = qobject_cast<TppDrawText*>(aDrawCommand);
    if (t && lookAheadInForce()) t->SetText(m_finalTexts.value(LookAheadKey(), t->Text()));
}

void TppDBCalc::SaveToCache(int aPageNo) {
    QByteArray r(40, '\0');
    r[0] = char(DrawComponent() ? 1 : 0);
    r[9] = char(ResetOnCompute() ? 1 : 0);
    memcpy(r.data() + 16, &m_divisor, sizeof m_divisor);
    memcpy(r.data() + 24, &m_value, sizeof m_value);
    WriteCacheRecord(aPageNo, r);
}

void TppDBCalc::RestoreFromCache(int aPageNo) {
    QByteArray r;
    if (!ReadCacheRecord(aPageNo, r)) return;
    SetDrawComponent(r.at(0) != 0);
    SetResetOnCompute(r.at(9) != 0);
    memcpy(&m_divisor, r.constData() + 16, sizeof m_divisor);
    memcpy(&m_value, r.constData() + 24, sizeof m_value);
}

const stream::PropertyList& TppDBCalc::StreamProperties() const {
    using T = TppDBCalc;
    static const QStringList types = EnumTypeOf(TppDBCalcType{}).values;
    static const auto table = stream::PropertyTable<T>(TppDBText::StreamProperties())
        .Enum("DBCalcType", &T::DBCalcType, &T::SetDBCalcType, types, TppDBCalcType::dcSum)
        .Boolean("LookAhead", &T::LookAhead, &T::SetLookAhead, false);
    return table;
}
