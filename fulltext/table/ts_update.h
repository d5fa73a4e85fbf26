#pragma once

#include "fulltext/ts_cache.h"
#include "fulltext/ts_engine.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class TtsWordsDataSetLink;
class TtsTextDataSetLink;

/// The index updater: keeps a word table current record by record. The indexed table calls
/// it before a record is edited, inserted or deleted and after it is posted or deleted; it
/// works out which words the record gained and lost and adds or removes the record's bit in
/// those words' sets.
///
/// The dictionary of the current record's words carries a mark per word: 0 an omitted word
/// (the index's omit list), 1 a word of the record before the change, 2 a word already
/// handled in this change. Modes: 0 before edit, 1 after an edit is posted, 2 before delete,
/// 3 before insert.
///
/// Each hook runs with esUpdate set (which opens the tables and reads the index properties on
/// first use) and writes its word rows in one transaction of the word table: a hook either
/// changes the word table wholly or, failing, not at all (the cache is emptied then, so that
/// it holds nothing the table lacks). The words of a record to be deleted are gathered before
/// the delete and removed after it, so that a delete that is refused leaves the index alone.
/// An edit that changes the record's number counts as a delete of the old number and an
/// insert of the new one.
///
/// The word table never lags the records unnoticed: before a record is written (BeforePost,
/// BeforeDelete) the updater counts a pending change in the word table's pending row
/// (TtsWordsDataSetLink::PendingChanges), committed before the record's own write, and takes
/// it back in the same transaction that writes the record's words (AfterPost, AfterDelete).
/// When that transaction fails, or the process dies between the two writes, the count stays:
/// the index is known to be stale and the next search builds it again before it answers.
/// A post that fails in the record's own write keeps its count for the next attempt; a
/// cancel gives it back.
class TtsBaseUpdate : public TtsReadEngine {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;
    enum Mode { umBeforeEdit = 0, umAfterEdit = 1, umBeforeDelete = 2, umBeforeInsert = 3 };

    explicit TtsBaseUpdate(QObject* owner = nullptr);
    ~TtsBaseUpdate() override;

    TNotifyEvent AfterBatch;
    virtual void DoAfterBatch();

    /// Adds the current record to `word`'s set or removes it.
    virtual void UpdateWord(const QString& word, bool add) = 0;
    virtual void AfterDelete();
    virtual void AfterPost();
    virtual void BeforeDelete();
    virtual void BeforeEdit();
    virtual void BeforeInsert();
    /// Before a posted record is written: a record that enters below the indexed range
    /// raises ETessick 30476 "Dictionary invalidated" here, so that nothing is written;
    /// otherwise the change is counted as pending in the word table.
    virtual void BeforePost();
    /// After a cancelled edit or insert: gives back a pending count taken for a post that
    /// did not go through.
    virtual void AfterCancel();
    /// The indexed table's batch started: the pending count is kept until it ends.
    void BatchStarted();
    /// The batch ended: committed with every post's words written, the count is given back;
    /// otherwise it stays (the word table holds words of changes the records dropped). Never
    /// raises: a count that cannot be given back stays.
    void BatchEnded(bool committed) noexcept;

    void ProcessWord(QStringView word) override;
    /// Forgets that the properties were read and reads them again.
    virtual void Refresh();

    int ChangeMode() const { return m_mode; }

protected:
    TtsTextDataSetLink* textLink() const;
    TtsWordsDataSetLink* wordsLink() const;
    /// Runs a hook with esUpdate set, inside a word-table transaction when `writes`.
    template <typename F>
    void runHook(bool writes, F&& body);
    void clearMarkedWords();
    void growToRange(TtsTextDataSetLink* text);

    TwbDictionary m_words{701};
    int m_mode = umBeforeEdit;
    int m_deletedRecord = 0;
    int m_editedRecord = 0;  ///< the record's number when its edit began
    /// True while this updater holds a pending count in the word table for a change whose
    /// record write has not been followed by its words yet.
    bool m_pendingHeld = false;
    bool m_inBatch = false;    ///< the record table's batch runs: the count waits for its end
    bool m_batchLost = false;  ///< a change of the running batch missed the word table

private:
    void holdPending();
    /// Takes the held count for giving back with the words (not while a batch runs).
    bool takePending();
};

/// The updater with its word operation; a change of segment writes the cache back first.
///
/// A word whose set the cache does not hold (always, unless DelayedWrites) is changed
/// straight in the word table: its row is found by key and read, the bit switched and the
/// row written back by row id, beside the words link's cursor (which does not move), so each
/// row is read once and written once and the cache is not used. A word the cache holds, and
/// every word while DelayedWrites is on, goes through the cache and the cursor as before.
class TtsCustomUpdate : public TtsBaseUpdate {
    Q_OBJECT
public:
    using TtsBaseUpdate::TtsBaseUpdate;

    bool DelayedWrites() const { return m_delayedWrites; }
    /// Switching it off writes every changed set back.
    void SetDelayedWrites(bool on);

    void UpdateWord(const QString& word, bool add) override;
    void SetSegment(int n) override;

private:
    /// Changes the word's row straight from the word table and back (no cache entry): read
    /// the stored set, switch the bit, write it back; the last member gone deletes the row.
    void writeThrough(const QString& word, bool add);

    bool m_delayedWrites = false;
    std::vector<std::uint8_t> m_raw;  ///< the raw block the set is changed in
};

/// The published updater.
class TtsUpdate : public TtsCustomUpdate {
    Q_OBJECT
public:
    using TtsCustomUpdate::TtsCustomUpdate;
};
