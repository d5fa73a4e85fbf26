#pragma once

#include "report/model/cacheable.h"
#include "report/page/report_types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <functional>

class QIODevice;
class TppField;
class TppMasterFieldLink;

/// A position in a record source, 0 for none. Each pipeline family decides what it holds
/// (the dataset pipeline keeps a row's id) and releases it through FreeBookmark.
using TppBookmark = qint64;

/// The record cursor of the report library. Reports, bands, groups and data-aware
/// components never touch a dataset: they read records through a pipeline, which walks a
/// range of its record source, tells its subscribers when it moves (numbered events 36 to
/// 47), keeps its position per page in the page cache and can follow a master pipeline.
///
/// This base fixes the traversal and range rules; every operation that touches the record
/// source is virtual. Over no record source (this class itself) it behaves as an empty,
/// closed source: never active, at its beginning and end, no fields.
///
/// State byte after every move: exactly one of kStateBOF (1), kStateEOF (2) or
/// kStateNoRecords (4), or 0 in between or while closed; First and Last also force their own bit.
///
/// Range: RangeBegin says where First goes (first record, last record, or the start
/// bookmark saved by SaveStartBookmark), RangeEnd where the walk ends (first or last
/// record, after one record, or after RangeEndCount records). MoveBy is the signed step of
/// Next; the range setters keep it pointing from the beginning to the end.
class TppDataPipeline : public TppCacheable {
    Q_OBJECT
public:
    static constexpr quint8 kStateBOF = 1;
    static constexpr quint8 kStateEOF = 2;
    static constexpr quint8 kStateNoRecords = 4;

    /// The events of a pipeline, in the order of the numbered events they come with.
    enum class Event { OnClose, OnDataChange, OnFirst, OnGotoBookmark, OnLast, OnMasterRecordPositionChange,
                       OnNext, OnOpen, OnPrior, OnRecordPositionChange, OnTraversal };
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    Q_INVOKABLE explicit TppDataPipeline(TComponent* AOwner = nullptr);
    ~TppDataPipeline() override;

    bool IsTopLevel() const override { return true; }
    /// A pipeline is a top-level component of its form or data module.
    bool HasParent() const override { return false; }

    // ---- record source (over no source: closed and empty) ----
    virtual bool CheckBOF() const { return true; }
    virtual bool CheckEOF() const { return true; }
    virtual void CloseDataSet() {}
    /// The record source is open.
    virtual bool GetActive() const { return false; }
    virtual void GotoFirstRecord() {}
    virtual void GotoLastRecord() {}
    virtual void OpenDataSet() {}
    /// Moves by a signed distance; answers the distance moved.
    virtual int MoveRecordPointer(int aDistance) {
        Q_UNUSED(aDistance);
        return 0;
    }

    // ---- fields and master/detail (the field pipeline answers them) ----
    virtual bool GetAutoCreateFields() const { return false; }
    virtual void SetAutoCreateFields(bool aValue) { Q_UNUSED(aValue); }
    virtual TppField* GetCurrentField() const { return nullptr; }
    virtual bool IsCreatingFields() const { return false; }
    virtual int GetFieldCount() const { return 0; }
    virtual TppField* GetField(int aIndex) const {
        Q_UNUSED(aIndex);
        return nullptr;
    }
    virtual int GetMasterFieldLinkCount() const { return 0; }
    virtual TppMasterFieldLink* GetMasterFieldLink(int aIndex) const {
        Q_UNUSED(aIndex);
        return nullptr;
    }
    /// True when a master is set and at least one link joins the two.
    virtual bool IsLinkedToMaster() const { return false; }
    /// -1, 0 or 1: the current record before, at or after the master's current values.
    virtual int CompareMasterFields() const { return 0; }
    virtual void GotoFirstDetailRecord() {}
    virtual void GotoLastDetailRecord() {}
    virtual void MoveDetailRecords(int aDistance) { Q_UNUSED(aDistance); }

    /// Fires OnRecordPositionChange, then event 37 (which moves the details).
    virtual void RecordPositionChange();
    /// Fires OnMasterRecordPositionChange, then event 38.
    virtual void MasterRecordPositionChange();

    // ---- bookmarks ----
    virtual void FreeBookmark(TppBookmark aBookmark) { Q_UNUSED(aBookmark); }
    /// The current record's bookmark; 0 without one.
    virtual TppBookmark GetBookmark() const { return 0; }
    /// Fires OnGotoBookmark, event 40, then RecordPositionChange (the record source's move
    /// is the concrete pipeline's).
    virtual void GotoBookmark(TppBookmark aBookmark);
    virtual QString GetDataSetName() const { return {}; }

    // ---- field access (unknown fields never raise) ----
    /// The field names into aList; True when there is any.
    virtual bool GetFieldNames(QStringList& aList) const {
        aList.clear();
        return false;
    }
    virtual TAlignment GetFieldAlignment(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return TAlignment::taLeftJustify;
    }
    virtual double GetFieldAsDouble(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return 0.0;
    }
    /// The stored bytes of a picture field; a null array when the field holds no picture kind.
    virtual QByteArray GetFieldAsPicture(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return {};
    }
    virtual QString GetFieldAsString(const QString& aFieldName) const { return GetFieldValue(aFieldName).toString(); }
    /// The data type of a field; dtNotKnown for an unknown field.
    virtual TppDataType GetFieldDataType(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return TppDataType::dtNotKnown;
    }
    virtual int GetFieldDisplayWidth(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return 0;
    }
    /// The field is calculated (at design time such fields show no data).
    virtual bool GetFieldIsCalculated(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return false;
    }
    virtual int GetFieldSize(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return 0;
    }
    /// The field's value; Null when null or unknown.
    virtual QVariant GetFieldValue(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return {};
    }
    /// The display name of a field (GetFieldAliasForName).
    virtual QString GetFieldAlias(const QString& aFieldName) const { return GetFieldAliasForName(aFieldName); }
    virtual QString GetFieldAliasForName(const QString& aFieldName) const { return aFieldName; }
    virtual QString GetFieldNameForAlias(const QString& aFieldAlias) const {
        Q_UNUSED(aFieldAlias);
        return {};
    }

    // ---- editing (nothing here) ----
    virtual void Edit() {}
    /// Writes the field's contents into aStream.
    virtual void GetFieldAsStream(const QString& aFieldName, QIODevice& aStream) const {
        Q_UNUSED(aFieldName);
        Q_UNUSED(aStream);
    }
    virtual void Insert() {}
    virtual void Delete() {}
    /// Moves to the first record whose field holds the value; aOptions bit 0 ignores case,
    /// bit 1 matches a prefix.
    virtual bool Locate(const QString& aFieldName, const QVariant& aValue, int aOptions) {
        Q_UNUSED(aFieldName);
        Q_UNUSED(aValue);
        Q_UNUSED(aOptions);
        return false;
    }
    virtual void Post() {}
    virtual void SetFieldFromStream(const QString& aFieldName, QIODevice& aStream) {
        Q_UNUSED(aFieldName);
        Q_UNUSED(aStream);
    }
    virtual void SetFieldValue(const QString& aFieldName, const QVariant& aValue) {
        Q_UNUSED(aFieldName);
        Q_UNUSED(aValue);
    }

    // ---- traversal ----
    void Open();
    void Close();
    void First();
    void Last();
    void Next();
    void Prior();
    /// Next, not counting the record unless the range ended (the engine passes over a
    /// master record whose detail range is empty).
    void SkipNext();
    void SkipPrior();
    bool GetBOF() const;
    bool GetEOF() const;
    // (BOF and EOF for scripts: EOF is a macro of the C library, so C++ callers use these.)
    /// Keeps the current record's bookmark as the start of a rbCurrentRecord range.
    void SaveStartBookmark();
    void GotoStartBookmark();
    TppBookmark StartBookmark() const { return m_startBookmark; }
    /// Fires OnTraversal, then event 39.
    void Traversal();
    /// The data changed: state refreshed, partners told (ppopDataChange), event 41, OnDataChange.
    void DataChange();
    /// The source opened or closed: partners told (ppopDataSourceChange), event 36.
    void StateChange();
    using TppCommunicator::StateChange;
    void UpdateState();
    void UpdateMoveBy();
    /// The record source's beginning / end, where a linked detail's range also ends at the
    /// first record that does not belong to the master's current record.
    bool DetailBOF() const;
    bool DetailEOF() const;

    // ---- properties ----
    bool DataTraversed() const { return m_dataTraversed; }
    TppDataPipeline* MasterDataPipeline() const { return m_masterDataPipeline; }
    /// Ignored for the pipeline itself and for a pipeline that already follows this one.
    void SetMasterDataPipeline(TppDataPipeline* aValue);
    /// True when aPipeline is among this pipeline's masters, its master's masters and so on.
    bool HasMasterPipeline(const TppDataPipeline* aPipeline) const;
    int MoveBy() const { return m_moveBy; }
    void SetMoveBy(int aValue);
    TppRangeEndType RangeEnd() const { return m_rangeEnd; }
    void SetRangeEnd(TppRangeEndType aValue);
    int RangeEndCount() const { return m_rangeEndCount; }
    void SetRangeEndCount(int aValue);
    TppRangeBeginType RangeBegin() const { return m_rangeBegin; }
    void SetRangeBegin(TppRangeBeginType aValue);
    bool SkipWhenNoRecords() const { return m_skipWhenNoRecords; }
    void SetSkipWhenNoRecords(bool aValue);
    quint8 PipelineState() const { return m_state; }
    /// Puts back state flags saved earlier (a traversal of its own, such as a cross-tab's,
    /// restores the pipeline as it found it).
    void SetPipelineState(quint8 aState) { m_state = aState; }
    int TraversalCount() const { return m_traversalCount; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool aValue) { m_visible = aValue; }
    bool Active() const { return GetActive(); }
    int FieldCount() const { return GetFieldCount(); }
    TppField* CurrentField() const { return GetCurrentField(); }
    int MasterFieldLinkCount() const { return GetMasterFieldLinkCount(); }

    /// Index of the name among GetFieldNames (exact match); -1 when absent.
    int GetFieldIndex(const QString& aFieldName) const;
    /// The value of the field with that alias.
    QVariant FieldValues(const QString& aFieldAlias) const;
    /// The parent when it is a data view; null otherwise.
    TppRelative* DataView() const;
    void SetDataView(TppRelative* aView);

    TNotifyEvent OnClose, OnDataChange, OnFirst, OnGotoBookmark, OnLast, OnMasterRecordPositionChange, OnNext,
        OnOpen, OnPrior, OnRecordPositionChange, OnTraversal;
    /// The stored handler name of an event.
    QString EventHandler(Event aEvent) const { return m_handlers.at(size_t(aEvent)); }
    void SetEventHandler(Event aEvent, const QString& aName) { m_handlers.at(size_t(aEvent)) = aName; }

    // ---- communicator ----
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override;

    const stream::PropertyList& StreamProperties() const override;

protected:
    /// Reading, loading or being freed: no notices go out.
    bool Quiet() const;
    void setState(quint8 aState) { m_state = aState; }
    void setTraversalCount(int aCount) { m_traversalCount = aCount; }
    void fire(const TNotifyEvent& aEvent) {
        if (aEvent) aEvent(this);
    }
    /// The record source's flags as the range sees them (detail flags when linked).
    void sourceFlags(bool& aBOF, bool& aEOF) const;

private:
    void releaseStartBookmark();
    /// GetBOF and GetEOF from the source's flags.
    bool bofOf(bool aSourceBOF, bool aSourceEOF) const;
    bool eofOf(bool aSourceBOF, bool aSourceEOF) const;

    TppBookmark m_startBookmark = 0;
    bool m_dataTraversed = false;
    TppDataPipeline* m_masterDataPipeline = nullptr;  ///< linked both ways; cleared when freed
    int m_moveBy = 1;
    TppRangeEndType m_rangeEnd = TppRangeEndType::reLastRecord;
    int m_rangeEndCount = 0;
    TppRangeBeginType m_rangeBegin = TppRangeBeginType::rbFirstRecord;
    bool m_skipWhenNoRecords = true;
    quint8 m_state = 0;
    int m_traversalCount = 0;
    bool m_visible = true;
    std::array<QString, 11> m_handlers;
};
