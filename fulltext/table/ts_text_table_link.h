#pragma once

#include "fulltext/ts_links.h"

#include "platform/db/keyed_reader.h"
#include "platform/db/table.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <climits>
#include <functional>
#include <memory>

/// The text link over a table of the table layer: walks the record table in key order and
/// feeds the fields named in FieldNames of each record to an engine. Records are numbered by
/// the integer field IndexFieldName.
///
/// The minimum and maximum record number are cached (unknown = INT_MIN) until the table or
/// the key changes; they come from OnMinIndex/OnMaxIndex when assigned, else from a cursor of
/// its own on the same table file, so that the table's own cursor (which may be editing the
/// record an updater reads) never moves.
///
/// States handled: entering esMake opens the table and saves its position (restored when
/// esMake is left) and forgets the cached range; entering esUpdate opens the table; entering
/// esSearch computes the range once when it is unknown.
class TtsTextDataSetLink : public TtsTextLink {
    Q_OBJECT
public:
    using TProcessFieldEvent = std::function<void(QObject* sender, TtsEngine* engine, db::Field* field)>;
    using TIndexValueEvent = std::function<int(QObject* sender)>;
    using TNotifyEvent = std::function<void(QObject* sender)>;

    static constexpr int kUnknown = INT_MIN;

    explicit TtsTextDataSetLink(QObject* owner = nullptr);
    ~TtsTextDataSetLink() override;

    db::Table* Table() const { return m_table; }
    void SetTable(db::Table* table);

    const QStringList& FieldNames() const { return m_fieldNames; }
    void SetFieldNames(const QStringList& names);
    /// Only these of FieldNames are read by searches that verify records (empty: all).
    const QStringList& SubFieldNames() const { return m_subFieldNames; }
    void SetSubFieldNames(const QStringList& names) { m_subFieldNames = names; }
    const QString& IndexFieldName() const { return m_indexFieldName; }
    /// On a closed table the name is checked against its field definitions (30484).
    void SetIndexFieldName(const QString& name);

    TProcessFieldEvent OnProcessField;
    TIndexValueEvent OnMinIndex;
    TIndexValueEvent OnMaxIndex;
    TNotifyEvent AfterProcess;

    /// Records processed since the last reset.
    int RecordCounter() const { return m_counter; }

    void Open();
    void Close();
    /// The current record's number (30492 without IndexFieldName).
    int RecordIndex();
    int MinIndex() override;
    int MaxIndex() override;
    /// Forgets the cached range.
    void ForgetRange();
    bool HasSubFields() const { return !m_subFieldNames.isEmpty(); }
    bool AtEnd() const;
    void First();
    void Next();
    void Last();
    /// Goes to the record `n` or the nearest after it; answers whether a key field exists.
    bool GotoRecord(int n);
    /// A record `n` enters the range (adding) or leaves it: below the minimum, or the
    /// minimum leaving, raises 30476 "Dictionary invalidated"; above the maximum raises the
    /// maximum. The first record to enter an empty range becomes its minimum and maximum.
    void ExtendRange(int n, bool adding);
    /// Saves and restores the table's position; calls nest.
    void SavePosition();
    void RestorePosition();
    /// Tells the engine the record's number and feeds it every field of FieldNames.
    void ProcessRecord(TtsEngine* engine);
    /// For a loop reading many records by number (the candidates of a search): feeds record
    /// `n` to the engine as GotoRecord + ProcessRecord would, reading its fields straight from
    /// the table's file without moving the table; `exists` tells whether record `n` exists.
    /// Answers false, doing nothing, when that cannot give the same (a process-field or
    /// after-process handler, fields other than alpha and memo, the table not in browse
    /// state, ordered by another index or limited to a range): the caller goes the usual way.
    /// The loop ends with EndDirectReads (also when it fails).
    bool ProcessRecordDirect(int n, TtsEngine* engine, bool& exists);
    /// The two halves of ProcessRecordDirect, for a loop that wants the record's text of only
    /// some of the records it reads: ReadRecordDirect reads record `n` (answers false, reading
    /// nothing, when ProcessRecordDirect would); ProcessDirectRecord feeds the record last read
    /// to the engine.
    bool ReadRecordDirect(int n, bool& exists);
    /// Whether ReadRecordDirect can read records now (opens the table when it is closed).
    bool CanReadDirect();
    /// Calls `visit` with the number of every record, read straight from the table's file
    /// (its key field alone) as walking the table from first to last would find them; answers
    /// false, doing nothing, when the walk could find others (a range, another order).
    bool ForEachRecordDirect(const std::function<void(int)>& visit);
    void ProcessDirectRecord(TtsEngine* engine);
    void EndDirectReads();

    /// Table property by number: 0 database name, 1 table name, 2 index name, 3 index field
    /// names, 4 the first index field, 5 "D" when the index on IndexFieldName is descending,
    /// else "A"; other numbers raise 30480.
    QString TableProperty(int number) const;
    /// Field lists of the table's indexes; unless `all`, only single-field indexes over
    /// integer fields. A closed table's definitions are read from its file first; when they
    /// cannot be read, EIndexNames ("Could not update index names").
    QStringList IndexList(bool all) const;

    void ReadProperties(TtsEngine* engine, stream::ValueReader& reader) override;
    void WriteProperties(TtsEngine* engine, stream::ValueWriter& writer) override;
    void Reset() override;
    void StateEntered(TtsBase* sender, TEngineState state) override;
    void StateLeft(TtsBase* sender, TEngineState state) override;

private:
    void checkTable() const;
    void bind();
    void processField(TtsEngine* engine, db::Field* field);
    /// Whether the table (opened when closed) is in browse state, unlimited and ordered by
    /// the integer key field alone, so that its rows can be read by record number straight
    /// from its file and be the ones a walk of the table finds.
    bool keyedByRecord();
    void computeRange();
    bool descendingKey() const;

    QPointer<db::Table> m_table;
    std::unique_ptr<db::KeyedReader> m_reader;  ///< ProcessRecordDirect's, while its loop runs
    int m_readerRecord = 0;                     ///< the record m_reader read last
    QStringList m_fieldNames;
    QStringList m_subFieldNames;
    QString m_indexFieldName;
    db::Field* m_keyField = nullptr;
    std::vector<db::Field*> m_fields;
    int m_counter = 0;
    int m_min = kUnknown;
    int m_max = kUnknown;
    int m_saveDepth = 0;
    db::Bookmark m_saved;
};

class TtsTextBaseTableLink : public TtsTextDataSetLink {
    Q_OBJECT
public:
    using TtsTextDataSetLink::TtsTextDataSetLink;
};

class TtsCustomTextTableLink : public TtsTextBaseTableLink {
    Q_OBJECT
public:
    using TtsTextBaseTableLink::TtsTextBaseTableLink;
};

/// The text link of searches and updaters: FieldNames and IndexFieldName come from the
/// index properties.
class TtsTextTableLink : public TtsCustomTextTableLink {
    Q_OBJECT
public:
    using TtsCustomTextTableLink::TtsCustomTextTableLink;
};

/// The text link an index maker reads through: FieldNames and IndexFieldName are set on it.
class TtsMakeTextTableLink : public TtsCustomTextTableLink {
    Q_OBJECT
public:
    using TtsCustomTextTableLink::TtsCustomTextTableLink;
};
