#pragma once

#include "platform/db/read_snapshot.h"

#include <QString>
#include <QStringView>

class TCxBits;
class TtsEngine;

namespace fulltext {

/// Key scans over a word table: what the wildcard and sounds-like searches need beyond the
/// row operations of TtsWordsLink. A words link that supports these scans implements this
/// interface as well; the searches find it on their words link.
class WordKeyAccess {
public:
    /// Keys a word table can be walked by.
    enum KeyKind { kkNone = 0, kkWord = 1, kkLike = 2, kkReverse = 3 };

    virtual ~WordKeyAccess() = default;

    /// True when the table keeps the reversed words (tsReverse) with their index.
    virtual bool HasReverse() const = 0;
    /// Selects the key the table is walked by. Raises ETessick 30483 "Like not available" for
    /// kkLike and 30502 "Reverse not available" for kkReverse when the table lacks them.
    virtual void SetKeyKind(int kind) = 0;
    /// Goes to the first word row whose key under the selected kind is at least `prefix`, cut
    /// at its first character that is chr(1) or `wildcard`; an empty prefix goes to the first
    /// row. The properties row is never landed on.
    virtual void PartialLookup(QStringView prefix, QChar wildcard) = 0;
    /// The current row's key under the selected kind (the word, its sounds-like key, or the
    /// reversed word).
    virtual QString CurrentKey() const = 0;
    /// Keeps the word table at one read snapshot while the answer lives, for a loop over
    /// many word rows (short loops only: see db::ReadSnapshot); holds nothing by default.
    virtual db::ReadSnapshot HoldReads() { return {}; }
};

/// Record access for the searches that read records (phrase, nearness and sub-field checks,
/// ranking, navigation). A text link that can go to records implements this as well.
class RecordAccess {
public:
    virtual ~RecordAccess() = default;

    /// Goes to the record whose key is `index`; answers whether it exists.
    virtual bool GotoRecord(int index) = 0;
    /// The key of the current record; INT_MIN when there is none.
    virtual int RecordIndex() = 0;
    /// Nested position keeping: the outermost save is restored by its matching restore.
    virtual void SavePosition() = 0;
    virtual void RestorePosition() = 0;
    /// Sets the bit (index - minIndex) of every existing record in `set` (whose bits cover
    /// minIndex..minIndex + MaxBits) and clears the others.
    virtual void MarkExistingRecords(TCxBits& set, int minIndex) = 0;
    /// True when searches are restricted to some of the indexed fields.
    virtual bool HasSubFields() const = 0;
    /// Feeds the current record's indexed fields to `engine`, field by field: for each field
    /// the engine's ClearPrevious() and then its ParseString() (while the engine searches,
    /// only the sub-fields when there are any).
    virtual void ProcessRecord(TtsEngine* engine) = 0;
    /// Goes to the record whose key is `index` and feeds it to `engine` as ProcessRecord does;
    /// answers whether it exists. For loops over many records (inside HoldReads), which end
    /// with EndRecordLoop; the current record is unspecified until then.
    virtual bool ProcessRecordAt(int index, TtsEngine* engine) {
        if (!GotoRecord(index)) return false;
        ProcessRecord(engine);
        return true;
    }
    /// For a loop that reads every record but feeds only some to an engine: reads the record
    /// whose key is `index` (answers whether it exists); ProcessReadRecord then feeds that
    /// record as ProcessRecord does. The loop ends with EndRecordLoop; by default the record
    /// table goes to the record.
    virtual bool ReadRecordAt(int index) { return GotoRecord(index); }
    virtual void ProcessReadRecord(TtsEngine* engine) { ProcessRecord(engine); }
    virtual void EndRecordLoop() {}
    /// Keeps the record table at one read snapshot while the answer lives, for a loop over
    /// many records (short loops only: see db::ReadSnapshot); holds nothing by default or
    /// while the table is closed.
    virtual db::ReadSnapshot HoldReads() { return {}; }
};

}  // namespace fulltext
