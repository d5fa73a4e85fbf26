#pragma once

#include "platform/db/field.h"
#include "platform/db/field_def.h"

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <vector>

namespace db {

namespace internal {
class TableFile;
}  // namespace internal

enum class DataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

enum class LocateOption { loCaseInsensitive = 0x1, loPartialKey = 0x2 };
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

/// A saved cursor position. Null when default-constructed or freed. Valid until the row
/// is deleted or the table closed; bookmarks nest freely.
struct Bookmark {
    qint64 rowId = 0;
    bool IsNull() const { return rowId == 0; }
};

/// A table and its cursor: one table file of a database folder, walked in the order of an
/// index within an optional range, with field objects bound to the current record.
///
/// States and transitions:
/// - dsInactive: closed. Set DatabaseName, TableName, Exclusive, ReadOnly, IndexName or
///   IndexFieldNames; FieldDefs/IndexDefs describe a table for CreateTable. Open() -> dsBrowse.
/// - dsBrowse: positioned on a record (or on none when the table or range is empty, then
///   Bof() and Eof() are both true). Moves, seeks and ranges. Edit() -> dsEdit,
///   Insert()/Append() -> dsInsert, Delete() stays in dsBrowse, Close() -> dsInactive.
/// - dsEdit / dsInsert: fields write into an edit buffer. Post() writes it in one
///   transaction and goes back to dsBrowse positioned on the posted row; Cancel() drops it.
///   A move while editing posts a modified buffer (cancels an unmodified one) first.
///
/// Events fire in this order (each Before... may throw to stop the operation):
/// - Open: BeforeOpen, AfterOpen, AfterScroll.        Close: BeforeClose, AfterClose.
/// - Edit: BeforeEdit, AfterEdit.                      Cancel: BeforeCancel, AfterCancel.
/// - Insert/Append: BeforeInsert, BeforeScroll, OnNewRecord, AfterInsert, AfterScroll.
/// - Post: (signal UpdatingRecord), BeforePost, (write), AfterPost.
/// - Delete: BeforeDelete, BeforeScroll, (write), AfterDelete, AfterScroll.
/// - Moves and seeks: BeforeScroll, (move), AfterScroll.
/// A subclass hooks around the table's own handling by overriding DoBeforeEdit() and the
/// other Do... functions and calling the base class's version before or after its own work.
///
/// Several Table objects on one file, in this process or others, see each other's posted
/// changes on their next move or Refresh().
///
/// Example:
/// \code
///   db::Table t;
///   t.SetDatabaseName(folder);              // or a connected db::Database's name
///   t.SetTableName("Registry.DB");
///   t.Open();                                // primary-index order
///   if (!t.FindKey({"Forms", "Main", "", "Position"})) {
///       t.Insert();
///       t.FieldByName("Section")->SetAsString("Forms");   // ... the other keys
///   } else {
///       t.Edit();
///   }
///   t.FieldByName("Value")->SetAsString("10,10,400,300");
///   t.Post();                                // raises db::EDBEngineError, e.g. 9729
///   t.SetRange({"Forms", "Main"}, {"Forms", "Main"});   // rows under a key prefix
///   for (t.First(); !t.Eof(); t.Next()) qDebug() << t.FieldByName("Variable")->AsString();
/// \endcode
class Table : public QObject {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(Table&)>;

    explicit Table(QObject* parent = nullptr);
    ~Table() override;

    // ---- setup (closed table) ----
    QString DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString& name);
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString& name);
    bool Exclusive() const { return m_exclusive; }
    void SetExclusive(bool exclusive);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    /// Folder of the table (DatabaseName resolved) and the full path of its file.
    QString Folder() const;
    QString FilePath() const;

    /// Definitions for CreateTable; filled from the file by Open() and UpdateDefs().
    std::vector<FieldDef>& FieldDefs() { return m_def.Fields; }
    std::vector<IndexDef>& IndexDefs() { return m_def.Indexes; }
    const TableDef& Definition() const { return m_def; }
    /// Reads the stored definition into FieldDefs/IndexDefs without opening.
    void UpdateDefs();

    // ---- whole-table operations (closed table unless said otherwise) ----
    /// Creates (or replaces) the file from FieldDefs and IndexDefs.
    void CreateTable();
    bool Exists() const;
    void DeleteTable();
    /// Removes every row (closed table, or open exclusively).
    void EmptyTable();
    void RenameTable(const QString& newTableName);
    /// Adds an index (closed table, or open exclusively: closed and reopened around it).
    void AddIndex(const QString& name, const QString& fields, IndexOptions options);
    void DeleteIndex(const QString& name);

    // ---- opening ----
    void Open();
    void Close();
    bool Active() const { return m_state != DataSetState::dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    DataSetState State() const { return m_state; }
    /// Reads the current record again and drops cached rows (sees other cursors' posts).
    void Refresh();

    // ---- index ----
    /// "" selects the primary index (file order for a table without key).
    QString IndexName() const { return m_indexName; }
    void SetIndexName(const QString& name);
    /// Order by a ";"-separated field list; uses the options of an index over those fields
    /// when one exists. Setting one clears the other.
    QString IndexFieldNames() const { return m_indexFieldNames; }
    void SetIndexFieldNames(const QString& fields);
    /// Field names of the current order.
    QStringList IndexFields() const;
    int IndexFieldCount() const;

    // ---- navigation ----
    void First();
    void Next();
    void Prior();
    void Last();
    int MoveBy(int distance);  ///< answers the distance moved
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    bool IsEmpty() const;
    int RecordCount() const;  ///< rows within the range
    int RecNo() const;        ///< 1-based position in the current order; -1 without a record

    // ---- fields ----
    int FieldCount() const { return int(m_fields.size()); }
    Field* Fields(int index) const;              ///< kFieldNotFound for a bad position
    Field* FieldByName(const QString& name) const;  ///< case-insensitive; kFieldNotFound
    Field* FindField(const QString& name) const;    ///< nullptr when missing
    QStringList GetFieldNames() const;

    // ---- seeks on the current index ----
    /// Exact match on the leading index fields given; moves there and answers true, or
    /// stays and answers false.
    bool FindKey(const QVariantList& keyValues);
    /// Moves to the first row whose leading index fields are >= the values (to the end
    /// position, Eof, when none is).
    void FindNearest(const QVariantList& keyValues);
    /// Restricts the cursor to rows whose leading index fields lie between start and end
    /// (both inclusive); fewer values than index fields compare that many leading fields, so
    /// SetRange({a, b}, {a, b}) is every row under the key prefix (a, b). Moves to the first.
    void SetRange(const QVariantList& startValues, const QVariantList& endValues);
    void CancelRange();
    bool HasRange() const;
    /// The values given to SetRange (empty without a range).
    QVariantList RangeStart() const;
    QVariantList RangeEnd() const;

    /// Opens this closed table as a second cursor of an open one: same file, order and
    /// range, positioned on the first row; it shares the source's open (so it works also
    /// when the source holds the table exclusively) and needs no lock of its own.
    void CloneCursor(Table& source);

    /// Opens this closed table over rows held in memory instead of a file (a query's
    /// answer): the definition gives fields and indexes, each row its values by field
    /// position (converted as field assignment converts them; kInvalidValue otherwise).
    /// The cursor works as on a file, writes included; the rows are gone on Close.
    void OpenInMemory(const TableDef& definition, const std::vector<std::vector<QVariant>>& rows);

    /// First row in the current order (within the range) whose fields (";"-separated) equal
    /// the values; case-insensitive and/or prefix match on text with the options.
    bool Locate(const QString& fieldNames, const QVariantList& values, LocateOptions options = {});
    /// Value of resultField on the first row matching like Locate (exact), without moving;
    /// null QVariant when none does.
    QVariant Lookup(const QString& keyFields, const QVariantList& values, const QString& resultField);

    // ---- bookmarks ----
    Bookmark GetBookmark() const;
    void GotoBookmark(const Bookmark& bookmark);  ///< kRecordDeleted when the row is gone
    void FreeBookmark(Bookmark& bookmark) { bookmark = {}; }
    bool BookmarkValid(const Bookmark& bookmark) const;

    /// Nesting counter for data-aware controls: while above 0 no DataChanged/Scrolled signals.
    void DisableControls() { ++m_disableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // ---- editing ----
    bool CanModify() const;
    bool Modified() const { return m_modified; }
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();

    // ---- events ----
    NotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    NotifyEvent BeforeEdit, AfterEdit, BeforeInsert, AfterInsert;
    NotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    NotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    NotifyEvent OnNewRecord;

    /// Groups this table's posts and deletes in one transaction of its file until EndBatch
    /// (commit true: keep them; false: roll them back). Not with a database transaction.
    /// When a failed write made SQLite roll the batch back already, ending it with false
    /// just ends it; with true it raises kNoTransaction, as nothing of it is kept.
    void StartBatch();
    void EndBatch(bool commit);
    /// Within a database transaction of this table's database: takes the file's write lock
    /// now (the transaction keeps it until it ends), so that what is read next to decide a
    /// write (the next free key, a counter row) cannot change in another program before the
    /// write. Nothing to do while the file's own transaction or batch runs; kNoTransaction
    /// otherwise.
    void TakeWriteLock();

signals:
    void UpdatingRecord();  ///< Post starts: controls write their pending text into fields now
    void StateChanged();   ///< state or open/close changed
    void DataChanged();    ///< record contents changed (post, cancel, refresh, field set)
    void Scrolled();       ///< the cursor moved to another record

protected:
    /// Opens the closed cursor: on the table file here; a query runs its statement instead
    /// and opens over its answer.
    virtual void OpenCursor();
    virtual void DoBeforeOpen();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoAfterClose();
    virtual void DoBeforeEdit();
    virtual void DoAfterEdit();
    virtual void DoBeforeInsert();
    virtual void DoAfterInsert();
    virtual void DoBeforePost();
    virtual void DoAfterPost();
    virtual void DoBeforeCancel();
    virtual void DoAfterCancel();
    virtual void DoBeforeDelete();
    virtual void DoAfterDelete();
    virtual void DoBeforeScroll();
    virtual void DoAfterScroll();
    virtual void DoOnNewRecord();

private:
    struct Impl;
    friend class ReadSnapshot;  // keeps a read transaction on the cursor's file
    friend class DirectRows;    // reads and writes rows by key beside the cursor
    friend class Field;         // reads the current record and writes the edit buffer

    // ---- for Field: unchecked, the field's own position ----
    /// The field's value in storage form: from the edit buffer while editing, else from
    /// the current row (null without one).
    const QVariant& currentValue(int field) const;
    /// Writes the edit buffer (kNotEditing outside dsEdit/dsInsert, kReadOnly for a
    /// read-only field); the value is already converted by the field.
    void setBufferValue(int field, const QVariant& value);
    QByteArray blobValue(int field) const;
    qint64 blobSize(int field) const;

    /// The open file (null when closed).
    std::shared_ptr<internal::TableFile> openFile() const;

    void checkActive() const;
    void checkInactive() const;
    void checkBrowseMode();
    void resolveOrder();
    /// Switches to an index (by name) or a field-list order; on failure the previous order stays.
    void switchOrder(const QString& indexName, const QString& fieldNames);
    void clearRange();
    void fire(const NotifyEvent& event);
    void notifyScrolled();
    void notifyData();
    void insertOrAppend(bool append);
    /// Next (forward) or Prior.
    void moveOne(bool forward);
    void openOnFile(const Table* rangeOf);
    bool positionOnFirstMatch(const QString& where, const QVariantList& binds, bool forward);

    QString m_databaseName;
    QString m_tableName;
    QString m_indexName;
    QString m_indexFieldNames;
    bool m_exclusive = false;
    bool m_readOnly = false;
    int m_tag = 0;
    TableDef m_def;

    DataSetState m_state = DataSetState::dsInactive;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    int m_disableCount = 0;
    std::vector<std::unique_ptr<Field>> m_fields;
    std::unique_ptr<Impl> d;
};

/// Reads and writes single rows of an open table by key and row id, beside its cursor: the
/// cursor does not move, no edit state begins, no event fires. For code that keeps rows of
/// its own current inside a batch (an index's word table), where Locate, Edit and Post would
/// read each row twice and build their statements every time.
///
/// Find answers the row whose key fields equal the key exactly (text compared
/// case-sensitively and cut to the field's size, as Locate compares it) and keeps its read
/// fields. Write is a post of the write fields of one row: the values are converted as field
/// assignment converts them and required fields are checked; it runs inside the file's
/// transaction (the running batch or database transaction, else one of its own); it holds
/// the row's record lock while it writes (kRecordLocked when another cursor edits the row);
/// every cursor on the file sees it on its next move, and the table's own cursor, when it
/// stands on the row, sees the new values at once. Insert adds a row the same way (fields
/// not given are null, an autoincrement field gets its next value as in Post) and Delete
/// removes one (a cursor standing on it keeps showing it until it moves). The fields of the
/// primary index cannot be written (kInvalidParameter): a write never moves a row within
/// its key order.
///
/// Made for the table's definition while it is open; make a new one after the table was
/// closed. Every call raises kTableClosed on a closed table.
class DirectRows {
public:
    /// `keyFields`, `readFields` and `writeFields` are ";"-separated field lists (kFieldNotFound
    /// for an unknown name; `readFields` may be empty). Raises kTableClosed, kReadOnly when
    /// fields are to be written into a table that cannot be modified.
    DirectRows(Table& table, const QString& keyFields, const QString& readFields, const QString& writeFields);
    ~DirectRows();
    DirectRows(const DirectRows&) = delete;
    DirectRows& operator=(const DirectRows&) = delete;

    /// Finds a row whose key fields equal `key` (one value per key field): answers its row id
    /// and keeps its read fields for Value(), or answers 0 (the values then null).
    qint64 Find(const QVariantList& key);
    /// Read field `i` of the row Find found last, in storage form (null, qlonglong, double,
    /// QString or QByteArray).
    const QVariant& Value(int i) const;

    /// Writes `values` (one per write field) into row `rowId`; kRecordDeleted when the row
    /// is gone, kRecordLocked when another cursor edits it.
    void Write(qint64 rowId, const QVariantList& values);
    /// Adds a row with the key fields and write fields given (key values first, then one
    /// value per write field); answers its row id. kKeyViolation as Post raises it.
    qint64 Insert(const QVariantList& keyValues, const QVariantList& values);
    /// Deletes row `rowId`; kRecordLocked when another cursor edits it. A missing row is
    /// left alone.
    void Delete(qint64 rowId);

private:
    std::shared_ptr<internal::TableFile> file() const;
    void afterWrite(qint64 rowId);

    QPointer<Table> m_table;
    std::vector<int> m_key;    ///< field positions
    std::vector<int> m_read;
    std::vector<int> m_write;
    QString m_findSql;
    QString m_writeSql;
    QString m_deleteSql;
    std::vector<QVariant> m_values;
};

}  // namespace db
