#pragma once

#include "report/model/custom_data_pipeline.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"

#include <QByteArray>
#include <QHash>
#include <QMetaObject>
#include <QPointer>

#include <map>
#include <vector>


/// The pipeline over a table cursor of the table layer, reached through a data source: the
/// record moves are the cursor's moves, bookmarks are row ids, field values are the
/// cursor's fields. It follows the cursor's activity through the data source (a cursor
/// closed elsewhere closes the pipeline; opened again, its fields are rebuilt on the next
/// question) and offers editing (edit, insert, delete, post, locate, write a field), so a
/// table can serve as a store (report templates in a memo or BLOB field).
///
/// Master/detail: when the cursor's order is an ascending index whose leading fields are
/// the link's detail fields (case-insensitive for text links), the first detail record of a
/// master record is found by one seek on that index.
///
/// Page cache record (16 bytes): no-records, end and beginning flags (a byte each), a
/// bookmark-follows byte, the bookmark (8 bytes) and TraversalCount (4 bytes), little-endian.
class TppAutoSearchField;

/// The data source a data view makes for each of its datasets: it belongs to the view (its
/// owner), which streams it with its own contents, rather than to the form.
class TppChildDataSource : public db::DataSource {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppChildDataSource(QObject* aOwner = nullptr) : db::DataSource(aOwner) {}
    /// The owner that streams the source (the data view).
    QObject* GetParentComponent() const { return parent(); }
    bool HasParent() const { return true; }
};

class TppDBPipeline : public TppCustomDataPipeline {
    Q_OBJECT
public:
    static constexpr int kCacheRecordSize = 16;

    Q_INVOKABLE explicit TppDBPipeline(TComponent* AOwner = nullptr);
    ~TppDBPipeline() override;

    db::DataSource* DataSource() const { return m_dataSource; }
    void SetDataSource(db::DataSource* aValue);
    /// The cursor last opened through the pipeline (else the data source's).
    db::Table* DataSet() const;
    bool OpenDataSource() const { return m_openDataSource; }
    void SetOpenDataSource(bool v) { m_openDataSource = v; }
    bool CloseDataSource() const { return m_closeDataSource; }
    void SetCloseDataSource(bool v) { m_closeDataSource = v; }
    bool RefreshAfterPost() const { return m_refreshAfterPost; }
    void SetRefreshAfterPost(bool v) { m_refreshAfterPost = v; }
    /// The data source's name while it is not yet resolved (read from a stream).
    QString DataSourceName() const;

    // ---- record source ----
    bool CheckBOF() const override;
    bool CheckEOF() const override;
    void CloseDataSet() override;
    bool GetActive() const override;
    void GotoFirstRecord() override;
    void GotoLastRecord() override;
    /// Remembers the data source's cursor and opens it (OpenDataSource); a failure to open
    /// raises EDataError with the cursor's message.
    void OpenDataSet() override;
    int MoveRecordPointer(int aDistance) override;
    void FreeBookmark(TppBookmark aBookmark) override;
    TppBookmark GetBookmark() const override;
    /// Goes to the bookmark when the cursor still has its row, else counts TraversalCount
    /// records from the first one; then the base notices and Traversal.
    void GotoBookmark(TppBookmark aBookmark) override;
    using PipelineTraversal::GotoBookmark;  // the record-number form stays callable
    QString GetDataSetName() const override;
    bool SeekDetailRecords(const QVariantList& aValues) override;

    // ---- fields ----
    bool GetFieldNames(QStringList& aList) const override;
    TAlignment GetFieldAlignment(const QString& aFieldName) const override;
    double GetFieldAsDouble(const QString& aFieldName) const override;
    QByteArray GetFieldAsPicture(const QString& aFieldName) const override;
    QString GetFieldAsString(const QString& aFieldName) const override;
    TppDataType GetFieldDataType(const QString& aFieldName) const override;
    int GetFieldDisplayWidth(const QString& aFieldName) const override;
    bool GetFieldIsCalculated(const QString& aFieldName) const override;
    int GetFieldSize(const QString& aFieldName) const override;
    /// Null for a null or unknown field and for BLOB, memo and picture fields.
    QVariant GetFieldValue(const QString& aFieldName) const override;

    // ---- editing ----
    void Edit() override;
    /// A BLOB field's bytes unchanged; any other field's text followed by one zero byte.
    void GetFieldAsStream(const QString& aFieldName, QIODevice& aStream) const override;
    void Insert() override;
    void Delete() override;
    /// Text longer than an alpha field's size is searched cut to the size.
    bool Locate(const QString& aFieldName, const QVariant& aValue, int aOptions) override;
    void Post() override;
    void SetFieldFromStream(const QString& aFieldName, QIODevice& aStream) override;
    void SetFieldValue(const QString& aFieldName, const QVariant& aValue) override;

    // ---- page cache ----
    int CacheRecordSize() const override { return kCacheRecordSize; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    void ResetCache(int aPageNo) override;
    /// The bookmarks written to the cache and not yet released.
    int CachedBookmarkCount() const { return int(m_bookmarkList.size()); }

    /// The data source's cursor opened, closed or was exchanged.
    void ActiveChanged();

    /// End-user search criteria the records must meet (all of them): the record moves skip
    /// the records a criterion refuses. None walks every record. The fields are not owned.
    void SetSearchCriteria(const QList<TppAutoSearchField*>& aCriteria);
    QList<TppAutoSearchField*> SearchCriteria() const;

    void DefineProperties(stream::Filer& filer) override;
    void Loaded() override;
    const stream::PropertyList& StreamProperties() const override;

    /// Maps a table field type to the report's data type.
    static TppDataType ppFieldTypeToDataType(int aFieldType);

protected:
    void rememberRecord(int aRecordNo) const override;
    bool restoreRecord(int aRecordNo) override;

private:
    db::Field* selectDataSetField(const QString& aName) const;
    bool recordMeetsCriteria() const;
    void skipRefusedRecords(int aStep);
    void linkDataSource();
    void unlinkDataSource();
    bool linkActive() const;
    QByteArray makeCacheRecord();
    bool readRecord(int aPageNo, QByteArray& aRecord) const;
    void writeRecord(int aPageNo, const QByteArray& aRecord);

    QPointer<db::DataSource> m_dataSource;
    QList<QPointer<TppAutoSearchField>> m_searchCriteria;
    QPointer<db::Table> m_dataSet;
    std::vector<QMetaObject::Connection> m_linkConnections;
    bool m_linkWasActive = false;
    mutable QHash<QString, int> m_fieldPositions;  ///< field positions by name asked for
    mutable QPointer<db::Table> m_fieldLinkTable;
    bool m_bookmarksCached = false;
    bool m_closingDataSet = false;  ///< CloseDataSet is closing the cursor
    bool m_openDataSource = true;
    bool m_closeDataSource = false;
    bool m_refreshAfterPost = false;
    std::vector<TppBookmark> m_bookmarkList;
    QString m_dataSourceName;                ///< read from a stream, resolved in Loaded
    std::map<int, QByteArray> m_localCache;
    mutable std::map<int, TppBookmark> m_walkRows;  ///< row of each record the engine kept  ///< records of a pipeline no cache stream is bound to
};

/// The same pipeline under the database engine's name.
class TppBDEPipeline : public TppDBPipeline {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppBDEPipeline(TComponent* AOwner = nullptr) : TppDBPipeline(AOwner) {}
};

/// A dataset pipeline that lives inside a parent object (a data view) and streams there.
class TppChildDBPipeline : public TppDBPipeline {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppChildDBPipeline(TComponent* AOwner = nullptr) : TppDBPipeline(AOwner) {}
    bool HasParent() const override { return true; }
};

class TppChildBDEPipeline : public TppChildDBPipeline {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppChildBDEPipeline(TComponent* AOwner = nullptr) : TppChildDBPipeline(AOwner) {}
};

namespace report {

/// Registers the pipeline, field and link classes for streaming (idempotent).
void RegisterPipelineClasses();

}  // namespace report
