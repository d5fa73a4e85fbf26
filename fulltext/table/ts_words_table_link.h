#pragma once

#include "fulltext/ts_links.h"

#include "platform/db/field_def.h"
#include "platform/db/table.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>


/// The words link over a table of the table layer: the word table "<name>Dict" of an
/// index, one row per word (and segment) holding the word's stored record set, and one
/// properties row holding the index property stream.
///
/// Word table fields, in this order (a field in brackets exists only when its condition holds):
///
/// | field         | type                          | meaning                                          |
/// |---------------|-------------------------------|--------------------------------------------------|
/// | tsWord        | alpha WordFieldSize, required | the folded word, or a word-pair key              |
/// | [tsSegment]   | short, required               | segmented indexes only: the segment number       |
/// | [tsReverse]   | alpha WordFieldSize           | ReverseField: the word reversed                  |
/// | tsCount       | long integer                  | number of records in the set                     |
/// | [tsLike]      | alpha LikeFieldSize           | LikeFieldSize > 0: the sounds-like key           |
/// | tsSize        | long integer                  | bytes of the stored set (0 on the properties row)|
/// | [tsBytes]     | bytes BytesFieldSize          | inline part of the stored set                    |
/// | [tsChar]      | alpha CharFieldSize           | inline part, binary-to-text encoded (3/4 bytes)  |
/// | tsBlob        | binary BLOB                   | the rest of the stored set; the property stream  |
///
/// A stored set of L bytes: the first min(BytesFieldSize, L) bytes in tsBytes, or the first
/// min(CharFieldSize × 3 / 4, L) bytes encoded in tsChar; the remaining bytes are the whole
/// content of tsBlob (null when nothing remains). Reading requires the BLOB's size to equal
/// tsSize minus the inline part (ETessick 30465 otherwise).
///
/// Indexes: "tsWordIndex" over tsWord (segmented: tsWord;tsSegment), primary and unique;
/// "tsLike" over tsLike;tsWord; "tsReverse" over tsReverse.
///
/// The properties row: tsWord = chr(127) chr(127) "Properties" chr(127) chr(127) (cut to the
/// word field), tsSegment 0, tsSize 0, tsBlob the property stream. First, Next and Prior skip
/// rows whose tsSize is 0; Locate finds them.
///
/// States handled (the engine's): entering esMake (with Params "CreateDataSet", default true)
/// creates a fresh word table in a build folder ".<table>.build" beside the real one while the
/// real one is held exclusively; leaving esMake creates the indexes, commits and moves the new
/// table over the old one in one rename, so a build that is killed leaves the old word table
/// whole. Entering esWrite starts a transaction and leaving it commits; esUpdate and esSearch
/// open the table.
class TtsWordsDataSetLink : public TtsWordsLink {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    enum KeyKind { kkNone = 0, kkWord = 1, kkLike = 2, kkReverse = 3 };

    explicit TtsWordsDataSetLink(QObject* owner = nullptr);
    ~TtsWordsDataSetLink() override;

    /// chr(127) chr(127) "Properties" chr(127) chr(127).
    static QString PropertiesWord();
    static constexpr QChar kFieldSeparator = u';';

    // ---- layout (the make link may change it; the plain link raises 30496) ----
    int WordFieldSize() const override { return m_wordFieldSize; }
    /// 5 to 40; other values are ignored.
    void SetWordFieldSize(int n);
    int LikeFieldSize() const { return m_likeFieldSize; }
    /// 0 to 40.
    void SetLikeFieldSize(int n);
    int BlobFieldSize() const { return m_blobFieldSize; }
    /// 0 or 24 to 1024; a non-zero value clears the bytes and character sizes.
    void SetBlobFieldSize(int n);
    int BytesFieldSize() const { return m_bytesFieldSize; }
    /// 0 or 24 to 1024; a non-zero value clears the BLOB and character sizes.
    void SetBytesFieldSize(int n);
    int CharFieldSize() const { return m_charFieldSize; }
    /// 0 or 32 to 252, rounded down to a multiple of 4; a non-zero value clears the others.
    void SetCharFieldSize(int n);
    bool ReverseField() const { return m_reverseField; }
    void SetReverseField(bool on);

    /// Posts and deletes after which the open transaction is committed and a new one started
    /// (0: never in between). Values below 0 are ignored.
    int Transactions() const { return m_transactions; }
    void SetTransactions(int n);

    db::Table* Table() const { return m_table; }
    void SetTable(db::Table* table);

    /// Fired after every post of a word row.
    TNotifyEvent AfterPost;

    // ---- the word table ----
    /// The field and index definitions of a new word table (segmented: with tsSegment).
    db::TableDef FieldDefinitions(bool segmented) const;
    /// The index definitions by kind.
    db::IndexDef WordIndex() const;
    db::IndexDef LikeIndex() const;
    db::IndexDef ReverseIndex() const;
    /// Drops and creates the table from FieldDefinitions (the table closed).
    void CreateTable();

    bool IsActive() const;
    /// Opens the table (30473 without one), binds the fields and takes the layout from them
    /// (30482 "Invalid Words DataSet" when tsWord, tsCount, tsSize or tsBlob is missing).
    void Open();
    void Close();

    bool Segmented() const override { return m_segmented; }
    void SetSegmented(bool on) { m_segmented = on; }
    bool HasReverse() const { return m_reverseBound; }

    /// Selects the order: kkWord, kkLike (30483 without the like field and index) or
    /// kkReverse (30502 without the reverse field and index).
    void SetKeyKind(int kind);
    int CurrentKeyKind() const { return m_keyKind; }

    // ---- row navigation ----
    bool Locate(QStringView word, int segment) override;
    /// Goes to the first row whose key (of the current key kind) is at or after `prefix` cut
    /// at its first chr(1) or `wildcard`; an empty prefix goes to the first row. A properties
    /// row found there is skipped.
    void PartialLookup(const QString& prefix, QChar wildcard = QChar());
    void First();
    void Next() override;
    void Prior();
    bool EndOfTable() const override;
    bool BeginningOfTable() const;

    // ---- current row ----
    QString CurrentWord() const override;
    int Segment() const override;
    int Count() const;
    QString LikeKey() const;
    QString ReversedWord() const;
    /// tsSize of the current row.
    int Size() const;
    int ReadSet(std::uint8_t* buffer, int capacity) override;

    /// Up to `before` distinct words before `word` and up to `after` words from it on, in
    /// word order, each with the sum of tsCount over its rows.
    std::vector<std::pair<QString, int>> WordList(const QString& word, int before, int after);

    // ---- writing ----
    void Append() override;
    void Edit() override;
    void Post() override;
    void Delete();
    void Cancel();
    void SetWord(QStringView word) override;
    void SetSegment(int segment) override;
    void SetCount(int count) override;
    void SetLikeKey(QStringView key) override;
    void WriteSet(const std::uint8_t* data, int length) override;

    // ---- word rows by key, beside the cursor ----
    // The updater's way to the rows of the words it changes: each row is found and written
    // with statements made once, without moving the cursor, and every write counts as Post,
    // Append or Delete count it (the counters, AfterPost, Transactions). The cursor's own
    // events do not fire.

    /// Finds the row of `word` (and `segment`, which must be 0 or more, on a segmented
    /// table) and reads its stored set as ReadSet reads it: answers the row's id, or 0 when
    /// there is no such row; `length` gets the set's length (0 without a row).
    qint64 ReadWordRow(QStringView word, int segment, std::uint8_t* buffer, int capacity, int& length);
    /// Writes count and stored set into row `rowId`, as Edit, SetCount, WriteSet and Post do.
    void WriteWordRow(qint64 rowId, int count, const std::uint8_t* data, int length);
    /// Adds the row of `word`, as Append, SetLikeKey, SetSegment, SetWord, SetCount, WriteSet
    /// and Post do.
    void InsertWordRow(QStringView word, int segment, QStringView likeKey, int count, const std::uint8_t* data, int length);
    /// The same for texts held already (an index build's words), without copying them.
    void InsertWordRow(const QString& word, int segment, const QString& likeKey, int count, const std::uint8_t* data,
                       int length);
    /// Deletes row `rowId`, as Delete does.
    void DeleteWordRow(qint64 rowId);

    /// Starts a transaction of the word table unless one runs (answers whether it started).
    bool StartTransaction();
    /// Commits the running transaction (when this link started it).
    void Commit();
    /// Rolls the running transaction back (when this link started it).
    void Rollback();
    bool IsInTransaction() const { return m_inTransaction; }

    // ---- properties row ----
    /// ETessick 30495 when the row is missing or its BLOB is null.
    QByteArray ReadPropertiesStream() override;
    /// Only when Params "SaveProperties" (default true).
    void WritePropertiesStream(const QByteArray& data) override;

    // ---- record changes not yet in the word table ----
    /// chr(127) chr(127) "Pending" chr(127) chr(127): the word of the row that counts the
    /// record changes begun whose words are not written yet (in tsCount; tsSegment 0, tsSize
    /// 0, so that navigation skips it as it skips the properties row).
    static QString PendingWord();
    /// The record changes begun and not finished in the word table: 0 while the word table
    /// follows the records; more when an update failed or was killed between the record's
    /// write and its words' (the index is stale then until it is rebuilt, which drops the
    /// row). Without the row, 0.
    int PendingChanges();
    /// Adds `delta` to the count: inside the running transaction, else in one of its own.
    /// The row goes when the count falls to 0 or below.
    void AddPendingChanges(int delta);

    /// Table property by number: 0 database name, 1 table name, 2 index name, 3 index field
    /// names; other numbers raise 30480.
    QString TableProperty(int number) const;
    void SetTableProperty(int number, const QString& value);

    // ---- counters ----
    int RowsRead() const { return m_rowsRead; }
    int RowsWritten() const { return m_rowsWritten; }
    int RowsInserted() const { return m_rowsInserted; }
    int RowsEdited() const { return m_rowsEdited; }
    int RowsDeleted() const { return m_rowsDeleted; }
    void ResetCounters();

    void Reset() override;
    void StateEntered(TtsBase* sender, TEngineState state) override;
    void StateLeft(TtsBase* sender, TEngineState state) override;

protected:
    /// False on the plain link: its layout comes from the table (setters raise 30496).
    bool m_layoutWritable = true;

private:
    void checkLayoutWritable() const;
    void checkTable() const;
    void bindFields();
    void resetBindings();
    void countWrite();
    void countPost(bool inserted);
    /// Reads a stored set of `length` bytes from the inline part and the BLOB (checks as ReadSet).
    int readStored(int length, const QVariant& inlined, const QByteArray& rest, std::uint8_t* buffer, int capacity);
    /// The values WriteSet gives tsSize, the inline field (when there is one) and tsBlob.
    void storedValues(const std::uint8_t* data, int length, QVariantList& values) const;
    db::DirectRows& directRows();
    db::DirectRows& pendingRows();
    void skipPropertiesForward();
    void skipPropertiesBackward();
    void addIndex(const db::IndexDef& index);
    bool hasIndexOver(const QString& fields) const;
    void beginBuild();
    void finishBuild(bool halted);
    void abandonBuild();

    QPointer<db::Table> m_table;
    int m_wordFieldSize = 20;
    int m_likeFieldSize = 5;
    int m_blobFieldSize = 0;
    int m_bytesFieldSize = 0;
    int m_charFieldSize = 0;
    bool m_reverseField = true;
    int m_transactions = 0;
    int m_transactionCounter = 0;
    bool m_inTransaction = false;
    bool m_segmented = false;
    int m_keyKind = kkNone;
    bool m_wordIndexAdded = false;
    QString m_likeIndexName;

    db::Field* m_fWord = nullptr;
    db::Field* m_fSegment = nullptr;
    db::Field* m_fReverse = nullptr;
    db::Field* m_fCount = nullptr;
    db::Field* m_fLike = nullptr;
    db::Field* m_fSize = nullptr;
    db::Field* m_fBytes = nullptr;
    db::Field* m_fChar = nullptr;
    db::Field* m_fBlob = nullptr;
    bool m_reverseBound = false;
    std::unique_ptr<db::DirectRows> m_rows;    ///< finds and rewrites word rows (made on first use)
    std::unique_ptr<db::DirectRows> m_insert;  ///< adds word rows (made on first use)
    std::unique_ptr<db::DirectRows> m_pending;  ///< reads and writes the pending row (made on first use)
    QVariantList m_insertKey;                  ///< InsertWordRow's values, kept for their capacity
    QVariantList m_insertValues;

    // an index build in progress
    bool m_building = false;
    QString m_finalDatabaseName;
    QString m_finalFolder;
    QString m_buildFolder;
    std::unique_ptr<db::Table> m_guard;  ///< holds the old word table exclusively during a build

    int m_rowsRead = 0;
    int m_rowsWritten = 0;
    int m_rowsInserted = 0;
    int m_rowsEdited = 0;
    int m_rowsDeleted = 0;
};

/// The words link components over a table (`Table` is the word table).
class TtsWordsBaseTableLink : public TtsWordsDataSetLink {
    Q_OBJECT
public:
    using TtsWordsDataSetLink::TtsWordsDataSetLink;
};

class TtsCustomWordsTableLink : public TtsWordsBaseTableLink {
    Q_OBJECT
public:
    using TtsWordsBaseTableLink::TtsWordsBaseTableLink;
};

/// The words link an index maker writes through: it may set the word table's layout.
class TtsMakeWordsTableLink : public TtsCustomWordsTableLink {
    Q_OBJECT
public:
    explicit TtsMakeWordsTableLink(QObject* owner = nullptr);
    ~TtsMakeWordsTableLink() override;
};

/// The words link of searches and updaters: the layout comes from the table itself and the
/// layout setters raise ETessick 30496 "ReadOnly property".
class TtsWordsTableLink : public TtsCustomWordsTableLink {
    Q_OBJECT
public:
    explicit TtsWordsTableLink(QObject* owner = nullptr);
    ~TtsWordsTableLink() override;
};
