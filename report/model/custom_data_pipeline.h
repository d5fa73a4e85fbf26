#pragma once

#include "report/model/data_pipeline.h"
#include "report/model/pipeline_field.h"
#include "report/model/record_traversal.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <utility>
#include <vector>

namespace report {

/// The page engine's walk over a pipeline (RecordTraversal): the pipeline's First and Next
/// within its range, a position "past the end" once Next reached the end of the range, and
/// Prior from there back onto the range's last record. The bookmark is the record's number
/// in the walk (from 0); going back to one replays the walk from the first record unless
/// the pipeline can go there directly (restoreRecord).
class PipelineTraversal : public RecordTraversal {
public:
    explicit PipelineTraversal(TppDataPipeline& aPipeline) : m_pipeline(aPipeline) {}

    void OpenTraversal() override;
    void CloseTraversal() override;
    bool AtEnd() const override { return m_pastEnd; }
    void First() override;
    void Next() override;
    void Prior() override;
    int Bookmark() const override;
    void GotoBookmark(int aBookmark) override;

protected:
    /// Called when the engine keeps the position of record aRecordNo (the current one).
    virtual void rememberRecord(int aRecordNo) const { Q_UNUSED(aRecordNo); }
    /// Goes straight to record aRecordNo kept before; False when it cannot.
    virtual bool restoreRecord(int aRecordNo) {
        Q_UNUSED(aRecordNo);
        return false;
    }

private:
    TppDataPipeline& m_pipeline;
    int m_recordNo = 0;
    bool m_pastEnd = true;
    bool m_movedIntoEnd = false;  ///< the Next that reached the end moved the record source
};

}  // namespace report

/// A pipeline with field objects and master/detail links: the base of every concrete
/// pipeline.
///
/// Fields: with AutoCreateFields the field objects are built from the record source on the
/// first field question after anything that marked them for rebuilding (creation, the
/// source changing, FreeFields); streamed field objects stay. Field look-ups never raise:
/// they answer nil, -1, "", left, dtNotKnown or 0.
///
/// Master/detail: the detail's record source must be ordered on its link fields as
/// CompareMasterFields orders them (text ignoring case). When the master moves, the detail
/// goes to its first record that matches the master's current values, and a traversal of
/// the detail ends at the first record that does not. Where the concrete pipeline can seek
/// its source on the link fields (SeekDetailRecords), the first matching record is found by
/// that seek; otherwise by scanning from the current record, which costs one or two moves
/// when the masters are walked in the detail's order and the whole distance otherwise.
class TppCustomDataPipeline : public TppDataPipeline, public report::PipelineTraversal {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomDataPipeline(TComponent* AOwner = nullptr);
    ~TppCustomDataPipeline() override;

    // The pipeline's own moves; the engine's walk goes through report::PipelineTraversal.
    using TppDataPipeline::First;
    using TppDataPipeline::Next;
    using TppDataPipeline::Prior;
    using TppDataPipeline::GotoBookmark;

    bool GetAutoCreateFields() const override { return m_autoCreateFields; }
    void SetAutoCreateFields(bool aValue) override;
    TppField* GetCurrentField() const override { return m_currentField; }
    bool IsCreatingFields() const override { return m_creatingFields; }
    int GetFieldCount() const override;
    TppField* GetField(int aIndex) const override;
    int GetMasterFieldLinkCount() const override { return int(m_masterFieldLinks.size()); }
    TppMasterFieldLink* GetMasterFieldLink(int aIndex) const override;
    bool IsLinkedToMaster() const override;
    int CompareMasterFields() const override;
    void GotoFirstDetailRecord() override;
    void GotoLastDetailRecord() override;
    void MoveDetailRecords(int aDistance) override;
    void MasterRecordPositionChange() override;

    bool GetFieldNames(QStringList& aList) const override;
    TAlignment GetFieldAlignment(const QString& aFieldName) const override;
    TppDataType GetFieldDataType(const QString& aFieldName) const override;
    int GetFieldDisplayWidth(const QString& aFieldName) const override;
    int GetFieldSize(const QString& aFieldName) const override;
    QString GetFieldAliasForName(const QString& aFieldName) const override;
    QString GetFieldNameForAlias(const QString& aFieldAlias) const override;

    /// Builds the field objects when they are marked for rebuilding (see the class comment).
    virtual void CreateFields();
    /// Adds a field of that name, type and length; answers its index. Raises
    /// EInvalidPropertyError "DataType not supported by <class>" for a refused type.
    virtual int DefineField(const QString& aFieldName, TppDataType aDataType, int aLength);
    virtual void FreeFields();
    virtual bool IsSupportedDataType(TppDataType aDataType) const {
        Q_UNUSED(aDataType);
        return true;
    }
    /// Positions the record source on its first record at or after the values in its own
    /// order (at its end when none is), when it can seek on the link fields. False when it
    /// cannot; the detail moves then scan.
    virtual bool SeekDetailRecords(const QVariantList& aValues) {
        Q_UNUSED(aValues);
        return false;
    }

    void AddField(TppField* aField) { AddChild(aField); }
    void InsertField(int aIndex, TppField* aField) { InsertChild(aIndex, aField); }
    void RemoveField(TppField* aField) { RemoveChild(aField); }
    bool GetFieldAliases(QStringList& aList) const;
    TppField* GetFieldForName(const QString& aFieldName) const;
    TppField* GetFieldForAlias(const QString& aFieldAlias) const;
    int IndexOfFieldName(const QString& aFieldName) const;
    int IndexOfField(const TppField* aField) const;
    /// CurrentField := the field of that name; True when found.
    bool SelectField(const QString& aFieldName) const;
    bool FieldsNeedRebuild() const { return m_fieldsNeedRebuild; }

    /// The links in their order (key: each link's master field name when it was added).
    const std::vector<std::pair<QString, TppMasterFieldLink*>>& GetMasterFieldLinks() const { return m_masterFieldLinks; }
    /// Replaces the links by copies of aLinks (ignored while reading or loading).
    void SetMasterFieldLinks(const std::vector<std::pair<QString, TppMasterFieldLink*>>& aLinks);
    void AddMasterFieldLink(TppMasterFieldLink* aLink) { AddChild(aLink); }
    void RemoveMasterFieldLink(TppMasterFieldLink* aLink) { RemoveChild(aLink); }
    /// Makes a link of the two field names, owned like the fields.
    TppMasterFieldLink* AddMasterFieldLink(const QString& aMasterFieldName, const QString& aDetailFieldName);
    /// Frees every link, last first.
    void FreeMasterFieldLinks();

    // ---- relative tree: links live apart from the fields ----
    void AddChild(TppRelative* aChild) override;
    void InsertChild(int aIndex, TppRelative* aChild) override;
    int IndexOfChild(const TppRelative* aChild) const override;
    int RemoveChild(TppRelative* aChild) override;
    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    /// A field's change is not passed on to the pipeline's parent.
    void PropertyChange() override { PropertyChanged(); }
    void Loaded() override;

    const stream::PropertyList& StreamProperties() const override;

protected:
    void markFieldsForRebuild();
    /// The master's current values of the link fields, in link order.
    QVariantList masterLinkValues() const;

private:
    void adoptOwner(TppRelative* aChild);
    int indexOfLink(const TppRelative* aLink) const;
    TppCustomDataPipeline* self() const { return const_cast<TppCustomDataPipeline*>(this); }

    bool m_autoCreateFields = true;
    bool m_creatingFields = false;
    bool m_fieldsNeedRebuild = true;
    mutable QPointer<TppField> m_currentField;
    std::vector<std::pair<QString, TppMasterFieldLink*>> m_masterFieldLinks;
};

/// The visible pipelines a report object may choose from, by user name: every pipeline
/// among the components of the object's owner.
class TppDataPipelineList {
public:
    explicit TppDataPipelineList(TComponent* aReportObject = nullptr);

    void SetCommunicator(TComponent* aReportObject);
    void Refresh();
    int Count() const { return int(m_items.size()); }
    QString Names(int aIndex) const;
    TppDataPipeline* Items(int aIndex) const;
    /// The pipeline listed under the name (case-insensitive); null when absent.
    TppDataPipeline* GetDataPipelineForName(const QString& aName) const;

private:
    QPointer<TComponent> m_reportObject;
    std::vector<std::pair<QString, QPointer<TppDataPipeline>>> m_items;
};

namespace report {

/// Compares two link values as master/detail links do: texts ignoring case (upper-cased,
/// by code unit), numbers by value, Null before numbers before texts. -1, 0 or 1.
int CompareLinkValues(const QVariant& aDetail, const QVariant& aMaster);

}  // namespace report
