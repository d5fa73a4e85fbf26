#include "report/model/data_pipeline.h"

#include "platform/stream/property_table.h"

TppDataPipeline::TppDataPipeline(TComponent* AOwner) : TppCacheable(AOwner) {
    // The only event a pipeline listens to: its master moved.
    EventNotifies().set(report::ciPipelineRecordPositionChange);
}

TppDataPipeline::~TppDataPipeline() = default;

bool TppDataPipeline::Quiet() const { return HasState(csReading | csLoading | csDestroying); }

void TppDataPipeline::releaseStartBookmark() {
    if (m_startBookmark == 0) return;
    const TppBookmark b = m_startBookmark;
    m_startBookmark = 0;
    FreeBookmark(b);
}

void TppDataPipeline::RecordPositionChange() {
    fire(OnRecordPositionChange);
    ppSendEventNotify(this, this, report::ciPipelineRecordPositionChange, nullptr);
}

void TppDataPipeline::MasterRecordPositionChange() {
    fire(OnMasterRecordPositionChange);
    ppSendEventNotify(this, this, report::ciPipelineMasterRecordPositionChange, nullptr);
}

void TppDataPipeline::GotoBookmark(TppBookmark aBookmark) {
    Q_UNUSED(aBookmark);
    fire(OnGotoBookmark);
    ppSendEventNotify(this, this, report::ciPipelineGotoBookmark, nullptr);
    RecordPositionChange();
}

void TppDataPipeline::Open() {
    OpenDataSet();
    UpdateState();
    releaseStartBookmark();
    fire(OnOpen);
    ppSendEventNotify(this, this, report::ciPipelineOpen, nullptr);
}

void TppDataPipeline::Close() {
    releaseStartBookmark();
    CloseDataSet();
    m_state = 0;
    DataChange();
    fire(OnClose);
    ppSendEventNotify(this, this, report::ciPipelineClose, nullptr);
}

void TppDataPipeline::First() {
    m_dataTraversed = false;
    m_traversalCount = 0;
    const bool linked = IsLinkedToMaster();
    switch (m_rangeBegin) {
    case TppRangeBeginType::rbFirstRecord:
        linked ? GotoFirstDetailRecord() : GotoFirstRecord();
        break;
    case TppRangeBeginType::rbLastRecord:
        linked ? GotoLastDetailRecord() : GotoLastRecord();
        break;
    case TppRangeBeginType::rbCurrentRecord:
        if (m_startBookmark != 0) GotoBookmark(m_startBookmark);
        break;
    }
    UpdateState();
    m_state |= kStateBOF;
    fire(OnFirst);
    ppSendEventNotify(this, this, report::ciPipelineFirst, nullptr);
    RecordPositionChange();
}

void TppDataPipeline::Last() {
    const bool linked = IsLinkedToMaster();
    switch (m_rangeEnd) {
    case TppRangeEndType::reFirstRecord:
        linked ? GotoFirstDetailRecord() : GotoFirstRecord();
        break;
    case TppRangeEndType::reLastRecord:
        linked ? GotoLastDetailRecord() : GotoLastRecord();
        break;
    case TppRangeEndType::reCurrentRecord:
        if (m_startBookmark != 0) GotoBookmark(m_startBookmark);
        break;
    case TppRangeEndType::reCount:
        First();
        // Next counts every call, moved or not, so this ends after RangeEndCount calls.
        while (m_traversalCount < m_rangeEndCount) Next();
        break;
    }
    UpdateState();
    m_state |= kStateEOF;
    fire(OnLast);
    ppSendEventNotify(this, this, report::ciPipelineLast, nullptr);
    RecordPositionChange();
}

void TppDataPipeline::Next() {
    const bool singleRecord =
        m_rangeBegin == TppRangeBeginType::rbCurrentRecord && m_rangeEnd == TppRangeEndType::reCurrentRecord;
    if (!singleRecord) IsLinkedToMaster() ? MoveDetailRecords(m_moveBy) : void(MoveRecordPointer(m_moveBy));
    m_dataTraversed = true;
    ++m_traversalCount;
    UpdateState();
    fire(OnNext);
    ppSendEventNotify(this, this, report::ciPipelineNext, nullptr);
    RecordPositionChange();
}

void TppDataPipeline::Prior() {
    const bool singleRecord =
        m_rangeBegin == TppRangeBeginType::rbCurrentRecord && m_rangeEnd == TppRangeEndType::reCurrentRecord;
    if (!singleRecord) IsLinkedToMaster() ? MoveDetailRecords(-m_moveBy) : void(MoveRecordPointer(-m_moveBy));
    --m_traversalCount;
    UpdateState();
    fire(OnPrior);
    ppSendEventNotify(this, this, report::ciPipelinePrior, nullptr);
    RecordPositionChange();
}

void TppDataPipeline::SkipNext() {
    Next();
    if (!GetEOF()) --m_traversalCount;
}

void TppDataPipeline::SkipPrior() {
    Prior();
    if (!GetBOF()) ++m_traversalCount;
}

void TppDataPipeline::sourceFlags(bool& aBOF, bool& aEOF) const {
    if (IsLinkedToMaster()) {
        // DetailBOF and DetailEOF with one comparison.
        const bool outside = CompareMasterFields() != 0;
        aBOF = outside || CheckBOF();
        aEOF = outside || CheckEOF();
    } else {
        aBOF = CheckBOF();
        aEOF = CheckEOF();
    }
}

bool TppDataPipeline::GetBOF() const {
    bool b = false, e = false;
    sourceFlags(b, e);
    return bofOf(b, e);
}

bool TppDataPipeline::bofOf(bool b, bool e) const {
    switch (m_rangeBegin) {
    case TppRangeBeginType::rbFirstRecord: return b;
    case TppRangeBeginType::rbLastRecord: return e;
    case TppRangeBeginType::rbCurrentRecord: return !m_dataTraversed;
    }
    return b;
}

bool TppDataPipeline::GetEOF() const {
    bool b = false, e = false;
    sourceFlags(b, e);
    return eofOf(b, e);
}

bool TppDataPipeline::eofOf(bool b, bool e) const {
    if (b && e) return true;
    switch (m_rangeEnd) {
    case TppRangeEndType::reFirstRecord: return m_dataTraversed && b;
    case TppRangeEndType::reLastRecord: return m_dataTraversed && e;
    case TppRangeEndType::reCurrentRecord: return m_traversalCount == 1;
    case TppRangeEndType::reCount:
        if (m_traversalCount == m_rangeEndCount) return true;
        break;
    }
    if (!m_dataTraversed) return false;
    return (m_moveBy > 0 && e) || (m_moveBy < 0 && b);
}

bool TppDataPipeline::DetailBOF() const {
    if (!IsLinkedToMaster()) return CheckBOF();
    return CheckBOF() || CompareMasterFields() != 0;
}

bool TppDataPipeline::DetailEOF() const {
    if (!IsLinkedToMaster()) return CheckEOF();
    return CheckEOF() || CompareMasterFields() != 0;
}

void TppDataPipeline::UpdateState() {
    m_state = 0;
    if (HasState(csDestroying) || !GetActive()) return;
    bool sb = false, se = false;
    sourceFlags(sb, se);
    const bool b = bofOf(sb, se), e = eofOf(sb, se);
    if (b && e) m_state = kStateNoRecords;
    else if (b) m_state = kStateBOF;
    else if (e) m_state = kStateEOF;
}

void TppDataPipeline::SaveStartBookmark() {
    releaseStartBookmark();
    m_startBookmark = GetBookmark();
}

void TppDataPipeline::GotoStartBookmark() {
    if (m_startBookmark != 0) GotoBookmark(m_startBookmark);
    UpdateState();
    RecordPositionChange();
}

void TppDataPipeline::Traversal() {
    fire(OnTraversal);
    ppSendEventNotify(this, this, report::ciPipelineTraversal, nullptr);
}

void TppDataPipeline::DataChange() {
    if (Quiet() || FreeingChildren() || IsCreatingFields()) return;
    UpdateState();
    SendNotify(this, ppopDataChange);
    ppSendEventNotify(this, this, report::ciPipelineDataChange, nullptr);
    fire(OnDataChange);
}

void TppDataPipeline::StateChange() {
    if (Quiet() || FreeingChildren() || IsCreatingFields()) return;
    SendNotify(this, ppopDataSourceChange);
    ppSendEventNotify(this, this, report::ciDataSetExchanged, nullptr);
}

void TppDataPipeline::SetMasterDataPipeline(TppDataPipeline* aValue) {
    if (aValue == this || aValue == m_masterDataPipeline) return;
    if (aValue && aValue->HasMasterPipeline(this)) return;  // would close a cycle
    if (m_masterDataPipeline) m_masterDataPipeline->RemoveEventNotify(this);
    m_masterDataPipeline = aValue;
    if (aValue) aValue->AddEventNotify(this);
}

bool TppDataPipeline::HasMasterPipeline(const TppDataPipeline* aPipeline) const {
    int guard = 0;
    for (const TppDataPipeline* m = m_masterDataPipeline; m && guard < 10000; m = m->m_masterDataPipeline, ++guard)
        if (m == aPipeline) return true;
    return false;
}

void TppDataPipeline::SetMoveBy(int aValue) {
    m_moveBy = aValue;
    DataChange();
}

void TppDataPipeline::SetRangeEndCount(int aValue) {
    m_rangeEndCount = aValue;
    DataChange();
}

void TppDataPipeline::SetSkipWhenNoRecords(bool aValue) {
    m_skipWhenNoRecords = aValue;
    DataChange();
}

void TppDataPipeline::SetRangeBegin(TppRangeBeginType aValue) {
    m_rangeBegin = aValue;
    if (!HasState(csReading | csLoading)) UpdateMoveBy();
}

void TppDataPipeline::SetRangeEnd(TppRangeEndType aValue) {
    m_rangeEnd = aValue;
    if (!HasState(csReading | csLoading)) UpdateMoveBy();
}

void TppDataPipeline::UpdateMoveBy() {
    const bool backwards =
        (m_rangeBegin == TppRangeBeginType::rbCurrentRecord && m_rangeEnd == TppRangeEndType::reFirstRecord) ||
        (m_rangeBegin == TppRangeBeginType::rbLastRecord && m_rangeEnd != TppRangeEndType::reLastRecord);
    m_moveBy = backwards ? -1 : 1;
    DataChange();
}

int TppDataPipeline::GetFieldIndex(const QString& aFieldName) const {
    QStringList names;
    if (!GetFieldNames(names)) return -1;
    return int(names.indexOf(aFieldName));
}

QVariant TppDataPipeline::FieldValues(const QString& aFieldAlias) const {
    return GetFieldValue(GetFieldNameForAlias(aFieldAlias));
}

TppRelative* TppDataPipeline::DataView() const {
    TppRelative* parent = Parent();
    return parent && parent->inherits("TdaDataView") ? parent : nullptr;
}

void TppDataPipeline::SetDataView(TppRelative* aView) {
    if (!aView || aView->inherits("TdaDataView")) JoinParent(aView);
}

void TppDataPipeline::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCacheable::Notify(aCommunicator, aOperation);
    if (aOperation == ppopRemove && aCommunicator && aCommunicator == m_masterDataPipeline)
        m_masterDataPipeline = nullptr;
}

void TppDataPipeline::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    TppCacheable::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID == report::ciPipelineRecordPositionChange && aCommunicator && aCommunicator == m_masterDataPipeline)
        MasterRecordPositionChange();
}

const stream::PropertyList& TppDataPipeline::StreamProperties() const {
    using T = TppDataPipeline;
    using E = TppDataPipeline::Event;
    auto event = [](E e) {
        return std::make_pair([e](const T& t) { return t.EventHandler(e); },
                              [e](T& t, const QString& v) { t.SetEventHandler(e, v); });
    };
    static const auto table = [&] {
        auto t = stream::PropertyTable<T>(TppCacheable::StreamProperties());
        t.Reference("MasterDataPipeline", &T::MasterDataPipeline,
                    [](T& p, TppDataPipeline* m) { p.SetMasterDataPipeline(m); })
            .Integer("MoveBy", &T::MoveBy, &T::SetMoveBy, 1)
            .Enum("RangeEnd", &T::RangeEnd, &T::SetRangeEnd, EnumTypeOf(TppRangeEndType{}).values,
                  TppRangeEndType::reLastRecord)
            .Integer("RangeEndCount", &T::RangeEndCount, &T::SetRangeEndCount, 0)
            .Enum("RangeBegin", &T::RangeBegin, &T::SetRangeBegin, EnumTypeOf(TppRangeBeginType{}).values,
                  TppRangeBeginType::rbFirstRecord)
            .Boolean("SkipWhenNoRecords", &T::SkipWhenNoRecords, &T::SetSkipWhenNoRecords, true)
            .String("UserName", &T::UserName, [](T& p, const QString& v) { p.SetUserName(v); })
            .Boolean("Visible", &T::Visible, &T::SetVisible, true);
        const std::pair<const char*, E> events[] = {
            {"OnClose", E::OnClose}, {"OnDataChange", E::OnDataChange}, {"OnFirst", E::OnFirst},
            {"OnGotoBookmark", E::OnGotoBookmark}, {"OnLast", E::OnLast},
            {"OnMasterRecordPositionChange", E::OnMasterRecordPositionChange}, {"OnNext", E::OnNext},
            {"OnOpen", E::OnOpen}, {"OnPrior", E::OnPrior}, {"OnRecordPositionChange", E::OnRecordPositionChange},
            {"OnTraversal", E::OnTraversal}};
        for (const auto& [name, e] : events) {
            auto [get, set] = event(e);
            t.Event(QString::fromLatin1(name), get, set);
        }
        return t;
    }();
    return table;
}
