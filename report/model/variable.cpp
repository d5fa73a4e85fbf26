#include "report/model/variable.h"

#include "report/model/custom_engine.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/group.h"
#include "report/model/internal/component_properties.h"
#include "report/model/script_adapter.h"
#include "report/model/text_layout.h"
#include "report/page/draw_command.h"

#include "platform/base/day_time.h"

#include <QDateTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

double now() { return base::DateTimeToDays(QDateTime::currentDateTime()); }

/// Bytes of one set of values in a cache record.
constexpr int kValuesSize = 45;

}  // namespace

// TppCustomVariable ---------------------------------------------------------------------------

TppCustomVariable::TppCustomVariable(TComponent* AOwner) : TppCustomText(AOwner) {}

bool TppCustomVariable::designDisplay() const { return (State() & ppsDesignControl) && !IsPrinting(); }

QString TppCustomVariable::formatText(const QVariant& aValue) const {
    const QString format = OnFormat ? QString() : DisplayFormat();
    QString text = ppFormatValue(format, DataType(), aValue);
    if (OnFormat) OnFormat(const_cast<TppCustomVariable*>(this), DisplayFormat(), DataType(), aValue, text);
    return text;
}

QString TppCustomVariable::GetValueText() const {
    if (designDisplay()) return DesignText();
    return formatText(Value());
}

// TppVariable ---------------------------------------------------------------------------------

TppVariable::TppVariable(TComponent* AOwner) : TppCustomVariable(AOwner) {
    SetDrawCommandClass(&TppDrawVariable::staticMetaObject);
    clearValues();
}

TppVariable::~TppVariable() { unbindSenders(); }

void TppVariable::clearValues() {
    m_v = Values{};
    m_v.dateTime = now();
    m_pending = false;
}

QVariant TppVariable::valueOf(const Values& v) const {
    switch (m_dataType) {
    case TppDataType::dtBoolean: return v.boolean;
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime: return v.dateTime;
    case TppDataType::dtInteger: return v.integer;
    case TppDataType::dtSingle: return double(v.single);
    case TppDataType::dtDouble: return v.dbl;
    case TppDataType::dtExtended: return double(v.extended);
    case TppDataType::dtCurrency: return double(v.currency) / 10000.0;
    case TppDataType::dtChar: return v.character.isNull() ? QString() : QString(v.character);
    default: return v.string;
    }
}

QVariant TppVariable::Value() const { return valueOf(m_v); }

void TppVariable::storeValue(Values& v, const QVariant& aValue) const {
    switch (m_dataType) {
    case TppDataType::dtBoolean: v.boolean = aValue.toBool(); break;
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime:
        if (aValue.typeId() == QMetaType::QDateTime)
            v.dateTime = base::DateTimeToDays(aValue.toDateTime());
        else if (aValue.typeId() == QMetaType::QDate)
            v.dateTime = base::DateToDays(aValue.toDate());
        else
            v.dateTime = aValue.toDouble();
        break;
    case TppDataType::dtInteger: v.integer = aValue.toInt(); break;
    case TppDataType::dtSingle: v.single = aValue.toFloat(); break;
    case TppDataType::dtDouble: v.dbl = aValue.toDouble(); break;
    case TppDataType::dtExtended: v.extended = aValue.toDouble(); break;
    case TppDataType::dtCurrency: v.currency = qint64(std::llround(aValue.toDouble() * 10000.0)); break;
    case TppDataType::dtChar: {
        const QString s = aValue.toString();
        v.character = s.isEmpty() ? QChar() : s.at(0);
        break;
    }
    default: v.string = aValue.toString(); break;
    }
}

void TppVariable::SetValue(const QVariant& aValue) {
    if (aValue.isNull() || !aValue.isValid()) return;
    storeValue(m_v, aValue);
    InvalidateDesignControl();
}

void TppVariable::SetDataType(TppDataType v) {
    if (int(v) < int(TppDataType::dtBoolean) || int(v) > int(TppDataType::dtString)) return;
    if (v == m_dataType) return;
    m_dataType = v;
    PropertyChange();
    InvalidateDesignControl();
}

void TppVariable::SetAsBoolean(bool v) { m_v.boolean = v; m_dataType = TppDataType::dtBoolean; InvalidateDesignControl(); }
void TppVariable::SetAsChar(QChar v) { m_v.character = v; m_dataType = TppDataType::dtChar; InvalidateDesignControl(); }
void TppVariable::SetAsCurrency(double v) {
    m_v.currency = qint64(std::llround(v * 10000.0));
    m_dataType = TppDataType::dtCurrency;
    InvalidateDesignControl();
}
void TppVariable::SetAsDateTime(double v) { m_v.dateTime = v; m_dataType = TppDataType::dtDateTime; InvalidateDesignControl(); }
void TppVariable::SetAsDouble(double v) { m_v.dbl = v; m_dataType = TppDataType::dtDouble; InvalidateDesignControl(); }
void TppVariable::SetAsExtended(long double v) { m_v.extended = v; m_dataType = TppDataType::dtExtended; InvalidateDesignControl(); }
void TppVariable::SetAsInteger(int v) {
    m_v.integer = v;
    m_dataType = TppDataType::dtInteger;
    if (!IsPrinting()) InvalidateDesignControl();
}
void TppVariable::SetAsSingle(float v) { m_v.single = v; m_dataType = TppDataType::dtSingle; InvalidateDesignControl(); }
void TppVariable::SetAsString(const QString& v) { m_v.string = v; m_dataType = TppDataType::dtString; InvalidateDesignControl(); }
void TppVariable::SetText(const QString& aText) { SetAsString(aText); }

void TppVariable::SetCalcType(TppVarEventType v) {
    if (v == m_calcType) return;
    unbindSenders();
    m_calcType = v;
    if (!HasState(csReading | csLoading)) PropertyChange();
}

void TppVariable::SetResetType(TppVarEventType v) {
    if (v == m_resetType) return;
    unbindSenders();
    m_resetType = v;
    if (!HasState(csReading | csLoading)) PropertyChange();
}

void TppVariable::SetCalcComponent(TppCommunicator* aComponent) {
    if (aComponent == m_calcComponent) return;
    unbindSenders();
    m_calcComponent = aComponent;
    if (!HasState(csReading | csLoading)) PropertyChange();
}

void TppVariable::SetResetComponent(TppCommunicator* aComponent) {
    if (aComponent == m_resetComponent) return;
    unbindSenders();
    m_resetComponent = aComponent;
    if (!HasState(csReading | csLoading)) PropertyChange();
}

void TppVariable::SetLookAhead(bool v) {
    if (IsPrinting()) return;
    m_lookAhead = v;
    if (HasState(csReading | csLoading)) return;
    if (v && GetOwnerReport()) GetOwnerReport()->SetPassSetting(TppPassSettingType::psTwoPass);
    PropertyChange();
    Reset();
}

bool TppVariable::LookAheadInForce() const {
    const TppCustomReport* r = GetOwnerReport();
    return m_lookAhead && r && r->GetMainReport()->PassSetting() == TppPassSettingType::psTwoPass;
}

std::vector<TppVariable*> TppVariable::bandVariables() const {
    std::vector<std::pair<std::pair<int, int>, TppVariable*>> keyed;
    if (!Band()) return {};
    for (int i = 0; i < Band()->ObjectCount(); ++i)
        if (auto* v = qobject_cast<TppVariable*>(Band()->Objects(i)))
            keyed.push_back({{v->m_calcSeq < 0 ? INT_MAX : v->m_calcSeq, i}, v});
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TppVariable*> out;
    for (const auto& k : keyed) out.push_back(k.second);
    return out;
}

int TppVariable::CalcOrder() const {
    if (!Band()) return -1;
    const std::vector<TppVariable*> list = bandVariables();
    return int(std::find(list.begin(), list.end(), this) - list.begin());
}

void TppVariable::SetCalcOrder(int v) {
    if (HasState(csReading) || !Band()) {
        m_calcSeq = v;
        return;
    }
    std::vector<TppVariable*> list = bandVariables();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    const int pos = std::clamp(v, 0, int(list.size()));
    list.insert(list.begin() + pos, this);
    for (int i = 0; i < int(list.size()); ++i) list[size_t(i)]->m_calcSeq = i;
    PropertyChange();
}

void TppVariable::GetNotifyOrder(QString& aKey) const {
    aKey = (Band() ? Band()->GetOrderKey() : QString()) + QString::asprintf("%8d", std::max(CalcOrder(), 0));
}

int TppVariable::eventIdOf(TppVarEventType aType) const {
    switch (aType) {
    case TppVarEventType::veTraversal: return report::ciEnginePipelinesTraversed;
    case TppVarEventType::veDataPipelineTraversal: return report::ciPipelineTraversal;
    case TppVarEventType::vePageStart: return report::ciReportStartPage;
    case TppVarEventType::vePageEnd: return report::ciReportEndPage;
    case TppVarEventType::veColumnStart: return report::ciReportStartColumn;
    case TppVarEventType::veColumnEnd: return report::ciReportEndColumn;
    case TppVarEventType::veReportStart: return report::ciEngineReportStart;
    case TppVarEventType::veReportEnd: return report::ciEngineReportEnd;
    case TppVarEventType::veGroupStart: return report::ciGroupBeforeGroupBreak;
    case TppVarEventType::veGroupEnd: return report::ciGroupAfterGroupBreak;
    case TppVarEventType::veGroupBeforeHeader: return report::ciGroupBeforeHeader;
    case TppVarEventType::veGroupBeforeFooter: return report::ciGroupBeforeFooter;
    }
    return -1;
}

TppCommunicator* TppVariable::senderFor(TppVarEventType aType, TppCommunicator* aChosen) const {
    TppCustomReport* r = GetOwnerReport();
    switch (aType) {
    case TppVarEventType::veTraversal:
    case TppVarEventType::veReportStart:
    case TppVarEventType::veReportEnd: return r ? r->Engine() : nullptr;
    case TppVarEventType::vePageStart:
    case TppVarEventType::vePageEnd:
    case TppVarEventType::veColumnStart:
    case TppVarEventType::veColumnEnd: return r;
    default: return aChosen;
    }
}

void TppVariable::unbindSenders() {
    TppCommunicator* calc = m_calcSender;
    TppCommunicator* reset = m_resetSender;
    TppCommunicator* detail = m_detailBand;
    m_calcSender = m_resetSender = m_detailBand = nullptr;
    if (calc) calc->RemoveEventNotify(this);
    if (reset && reset != calc) reset->RemoveEventNotify(this);
    if (detail && detail != calc && detail != reset) detail->RemoveEventNotify(this);
}

void TppVariable::bindSenders() {
    unbindSenders();
    EventNotifies().reset();
    const int calcId = eventIdOf(m_calcType), resetId = eventIdOf(m_resetType);
    if (calcId >= 0) EventNotifies().set(size_t(calcId));
    if (resetId >= 0) EventNotifies().set(size_t(resetId));
    m_calcSender = senderFor(m_calcType, m_calcComponent);
    m_resetSender = senderFor(m_resetType, m_resetComponent);
    if (m_calcSender) m_calcSender->AddEventNotify(this);
    if (m_resetSender) m_resetSender->AddEventNotify(this);
    // A record calculation is pending until the detail band that shows the record is placed.
    TppCustomReport* r = GetOwnerReport();
    TppBand* detail = r ? r->GetBand(TppBandType::btDetail) : nullptr;
    if (m_calcType == TppVarEventType::veTraversal && detail && detail->Visible()) {
        m_detailBand = detail;
        EventNotifies().set(size_t(report::ciBandAfterGenerate));
        detail->AddEventNotify(this);
    }
}

void TppVariable::PrepareRun() {
    TppCustomVariable::PrepareRun();
    m_finalTexts.clear();
}

void TppVariable::FinishRun() {
    TppCustomVariable::FinishRun();
    unbindSenders();
}

void TppVariable::InitGeneration() {
    TppCustomVariable::InitGeneration();
    bindSenders();
    clearValues();
    m_beforePending = m_v;
    if (m_resetType == TppVarEventType::veReportStart) reset();
    if (m_calcType == TppVarEventType::veReportStart) calculate();
}

void TppVariable::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    bool handled = false;
    if (aCommunicator && aCommunicator == m_resetSender && aEventID == eventIdOf(m_resetType)) {
        reset();
        handled = true;
    }
    if (aCommunicator && aCommunicator == m_calcSender && aEventID == eventIdOf(m_calcType)) {
        calculate();
        handled = true;
    }
    if (aCommunicator && aCommunicator == m_detailBand && aEventID == report::ciBandAfterGenerate) {
        if (m_pending) {
            m_pending = false;
            rememberLookAhead();
        }
        handled = true;
    }
    if (!handled) TppCustomVariable::EventNotify(aCommunicator, aEventID, aParams);
}

void TppVariable::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    if (aOperation == TppOperationType::ppopRemove) {
        if (aCommunicator == m_calcComponent) m_calcComponent = nullptr;
        if (aCommunicator == m_resetComponent) m_resetComponent = nullptr;
        if (aCommunicator == m_calcSender) m_calcSender = nullptr;
        if (aCommunicator == m_resetSender) m_resetSender = nullptr;
        if (aCommunicator == m_detailBand) m_detailBand = nullptr;
    }
    TppCustomVariable::Notify(aCommunicator, aOperation);
}

void TppVariable::runHandler(const TppVarCalcEvent& aHandler, int aScriptEvent, const QString& aScriptName, bool aOld) {
    if (aHandler) {
        QVariant value = Value();
        const QVariant before = value;
        aHandler(this, value);
        if (value.typeId() != before.typeId() || value != before) storeValue(m_v, value);
    } else if (aOld && OldOnCalc) {
        OldOnCalc(this);
    }
    TraParamList params;
    params.AddParam(QStringLiteral("Value"), TraDataType::daVariant, nullptr, QString(), false, true);
    QVariant buffer = Value();
    const QVariant before = buffer;
    params.SetParamValuePtr(0, &buffer);
    Q_UNUSED(aScriptName);
    ppSendEventNotify(this, this, aScriptEvent, &params);
    if (buffer.typeId() != before.typeId() || buffer != before) storeValue(m_v, buffer);
}

void TppVariable::calculate() {
    TppCustomReport* r = GetOwnerReport();
    if (!r || !r->Engine() || !r->Engine()->Busy()) return;
    const bool record = m_calcType == TppVarEventType::veTraversal && m_detailBand;
    if (record) {
        if (!m_pending) m_beforePending = m_v;
        m_pending = true;
    }
    runHandler(OnCalc, report::ciVariableCalc, QStringLiteral("OnCalc"), true);
    if (!record) rememberLookAhead();
}

void TppVariable::reset() {
    ResetValue();
    const bool pending = m_pending;
    clearValues();
    runHandler(OnReset, report::ciVariableReset, QStringLiteral("OnReset"), false);
    m_beforePending = m_v;
    // A record read but not yet printed (before a page break, or the first record of a new
    // group) belongs to the new period: take it in again.
    if (pending) calculate();
}

void TppVariable::rememberLookAhead() {
    TppCustomReport* r = GetOwnerReport();
    if (LookAheadInForce() && r && r->FirstPass()) m_finalTexts.insert(LookAheadKey(), GetText());
}

QString TppVariable::LookAheadKey() const {
    TppCustomReport* r = GetOwnerReport();
    int instance = 0;
    switch (m_resetType) {
    case TppVarEventType::veTraversal: {
        auto* pipeline = qobject_cast<TppDataPipeline*>(m_calcComponent.data());
        if (!pipeline && r) {
            TppBand* detail = r->GetBand(TppBandType::btDetail);
            pipeline = detail ? detail->GetDataPipeline() : nullptr;
        }
        if (!pipeline && r) pipeline = r->DataPipeline();
        instance = pipeline ? pipeline->TraversalCount() : 0;
        break;
    }
    case TppVarEventType::veDataPipelineTraversal:
        if (auto* pipeline = qobject_cast<TppDataPipeline*>(m_resetComponent.data())) instance = pipeline->TraversalCount();
        break;
    case TppVarEventType::vePageStart:
    case TppVarEventType::vePageEnd:
    case TppVarEventType::veColumnStart:
    case TppVarEventType::veColumnEnd: instance = r ? r->AbsolutePageNo() : 0; break;
    case TppVarEventType::veReportStart:
    case TppVarEventType::veReportEnd: instance = 0; break;
    default:
        if (auto* group = qobject_cast<TppGroup*>(m_resetComponent.data())) instance = group->BreakNo();
        break;
    }
    QString prefix;
    if (r && r != r->GetMainReport()) prefix = r->Name();
    const bool perColumn = m_resetType == TppVarEventType::veColumnStart || m_resetType == TppVarEventType::veColumnEnd;
    const int column = perColumn && r ? r->CurrentColumn() : 0;
    return prefix + QString::asprintf("%8d", instance) + QLatin1Char('|') + QString::asprintf("%8d", column);
}

QString TppVariable::GetValueText() const {
    if (designDisplay()) return DesignText();
    // A page footer printed before the pending record's band shows the value without it.
    return formatText(m_pending ? valueOf(m_beforePending) : Value());
}

void TppVariable::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppCustomVariable::PropertiesToDrawCommand(aDrawCommand);
    auto* t = qobject_cast<TppDrawVariable*>(aDrawCommand);
    if (!t || !LookAheadInForce()) return;
    const QString key = LookAheadKey();
    t->SetLookAheadKey(key);
    const auto it = m_finalTexts.constFind(key);
    if (it != m_finalTexts.constEnd()) t->SetText(it.value());
}

namespace {

void putValues(QByteArray& r, int at, const auto& v) {
    char* p = r.data() + at;
    p[0] = char(v.boolean ? 1 : 0);
    const quint16 ch = v.character.unicode();
    std::memcpy(p + 1, &ch, 2);
    std::memcpy(p + 3, &v.currency, 8);
    std::memcpy(p + 11, &v.integer, 4);
    std::memcpy(p + 15, &v.dateTime, 8);
    std::memcpy(p + 23, &v.dbl, 8);
    std::memcpy(p + 31, &v.extended, std::min<size_t>(10, sizeof v.extended));
    std::memcpy(p + 41, &v.single, 4);
}

void getValues(const QByteArray& r, int at, auto& v) {
    const char* p = r.constData() + at;
    v.boolean = p[0] != 0;
    quint16 ch = 0;
    std::memcpy(&ch, p + 1, 2);
    v.character = QChar(ch);
    std::memcpy(&v.currency, p + 3, 8);
    std::memcpy(&v.integer, p + 11, 4);
    std::memcpy(&v.dateTime, p + 15, 8);
    std::memcpy(&v.dbl, p + 23, 8);
    v.extended = 0;
    std::memcpy(&v.extended, p + 31, std::min<size_t>(10, sizeof v.extended));
    std::memcpy(&v.single, p + 41, 4);
}

}  // namespace

void TppVariable::SaveToCache(int aPageNo) {
    QByteArray r(kCacheRecordSize, '\0');
    r[0] = char(DrawComponent() ? 1 : 0);
    r[1] = char(ResetOnCompute() ? 1 : 0);
    putValues(r, 2, m_v);
    r[2 + kValuesSize] = char(m_pending ? 1 : 0);
    putValues(r, 3 + kValuesSize, m_beforePending);
    WriteCacheRecord(aPageNo, r);
}

void TppVariable::RestoreFromCache(int aPageNo) {
    QByteArray r;
    if (!ReadCacheRecord(aPageNo, r) || r.size() < kCacheRecordSize) return;
    SetDrawComponent(r.at(0) != 0);
    SetResetOnCompute(r.at(1) != 0);
    const QString text = m_v.string;
    getValues(r, 2, m_v);
    m_v.string = text;
    m_pending = r.at(2 + kValuesSize) != 0;
    getValues(r, 3 + kValuesSize, m_beforePending);
    m_beforePending.string = text;
}

const stream::PropertyList& TppVariable::StreamProperties() const {
    using T = TppVariable;
    static const QStringList eventTypes = EnumTypeOf(TppVarEventType{}).values;
    static const QStringList dataTypes = EnumTypeOf(TppDataType{}).values;
    static const auto storesComponent = [](TppVarEventType t) {
        return t == TppVarEventType::veDataPipelineTraversal || t == TppVarEventType::veGroupStart ||
               t == TppVarEventType::veGroupEnd || t == TppVarEventType::veGroupBeforeHeader ||
               t == TppVarEventType::veGroupBeforeFooter;
    };
    static const auto table =
        stream::PropertyTable<T>(TppCustomText::StreamProperties())
            .Enum("CalcType", &T::CalcType, &T::SetCalcType, eventTypes, TppVarEventType::veTraversal)
            .Reference("CalcComponent", &T::CalcComponent, &T::SetCalcComponent,
                       [](const T& v) { return storesComponent(v.CalcType()) && v.CalcComponent(); })
            .Integer("CalcOrder", &T::CalcOrder, &T::SetCalcOrder, -1)
            .Enum("DataType", &T::DataType, &T::SetDataType, dataTypes, TppDataType::dtString)
            .Boolean("LookAhead", &T::LookAhead, &T::SetLookAhead, false)
            .Enum("ResetType", &T::ResetType, &T::SetResetType, eventTypes, TppVarEventType::veReportEnd)
            .Reference("ResetComponent", &T::ResetComponent, &T::SetResetComponent,
                       [](const T& v) { return storesComponent(v.ResetType()) && v.ResetComponent(); })
            .Event("OnCalc", [](const T& v) { return v.OnCalcName; }, [](T& v, const QString& n) { v.OnCalcName = n; })
            .Event("OnFormat", [](const T& v) { return v.OnFormatName; }, [](T& v, const QString& n) { v.OnFormatName = n; })
            .Event("OnReset", [](const T& v) { return v.OnResetName; }, [](T& v, const QString& n) { v.OnResetName = n; });
    return table;
}

// TppSystemVariable ---------------------------------------------------------------------------

TppSystemVariable::TppSystemVariable(TComponent* AOwner) : TppCustomVariable(AOwner) {
    SetDrawCommandClass(&TppDrawVar::staticMetaObject);
}

void TppSystemVariable::SetVarType(TppVarType v) {
    m_varType = v;
    if (HasState(csReading | csLoading)) return;
    if ((v == TppVarType::vtPageSet || v == TppVarType::vtPageSetDesc) && GetOwnerReport())
        GetOwnerReport()->SetPassSetting(TppPassSettingType::psTwoPass);
    PropertyChange();
    InvalidateDesignControl();
}

TppDataType TppSystemVariable::DataType() const {
    switch (m_varType) {
    case TppVarType::vtDate: return TppDataType::dtDate;
    case TppVarType::vtDateTime:
    case TppVarType::vtPrintDateTime: return TppDataType::dtDateTime;
    case TppVarType::vtPageCount:
    case TppVarType::vtPageNo: return TppDataType::dtInteger;
    case TppVarType::vtTime: return TppDataType::dtTime;
    default: return TppDataType::dtString;
    }
}

bool TppSystemVariable::generating() const {
    const TppCustomReport* r = GetOwnerReport();
    return r && r->Engine() && r->Engine()->Busy();
}

QVariant TppSystemVariable::Value() const {
    const TppCustomReport* r = GetOwnerReport();
    const bool live = generating();
    const QDateTime current = QDateTime::currentDateTime();
    switch (m_varType) {
    case TppVarType::vtDate: return base::DateToDays(current.date());
    case TppVarType::vtDateTime: return base::DateTimeToDays(current);
    case TppVarType::vtPrintDateTime:
        return live && r->Engine()->PrintDateTime() != 0 ? r->Engine()->PrintDateTime() : base::DateTimeToDays(current);
    case TppVarType::vtPageCount: return live ? r->PageCount() : 1;
    case TppVarType::vtPageNo: return live ? r->PageNo() : 1;
    case TppVarType::vtTime: return base::TimeToDays(current.time());
    default: {
        QString text;
        ppGetSystemVariableText(m_varType, live ? r->PageNo() : 1, live ? r->PageCount() : 1, text, live,
                                live ? r->Engine()->PrintDateTime() : 0);
        return text;
    }
    }
}

QString TppSystemVariable::DesignText() const {
    return UserName() + QStringLiteral(": ") + EnumTypeOf(TppVarType{}).values.value(int(m_varType)).mid(2);
}

QString TppSystemVariable::GetValueText() const {
    if (designDisplay()) return DesignText();
    if (DataType() != TppDataType::dtString) return formatText(Value());
    QString text = Value().toString();
    if (OnFormat) OnFormat(const_cast<TppSystemVariable*>(this), DisplayFormat(), DataType(), text, text);
    return text;
}

void TppSystemVariable::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppCustomVariable::PropertiesToDrawCommand(aDrawCommand);
    if (auto* v = qobject_cast<TppDrawVar*>(aDrawCommand)) v->SetVarType(m_varType);
}

const stream::PropertyList& TppSystemVariable::StreamProperties() const {
    using T = TppSystemVariable;
    static const QStringList types = EnumTypeOf(TppVarType{}).values;
    static const auto table =
        stream::PropertyTable<T>(TppCustomText::StreamProperties())
            .Enum("VarType", &T::VarType, &T::SetVarType, types, TppVarType::vtDate)
            .Event("OnFormat", [](const T& v) { return v.OnFormatName; }, [](T& v, const QString& n) { v.OnFormatName = n; });
    return table;
}
