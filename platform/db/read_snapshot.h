#pragma once

#include <memory>

namespace db {

class Table;

namespace internal {
class TableFile;
}

/// Keeps one read transaction open on a table file while it lives, so that a loop of reads
/// (seeks, moves, field and BLOB reads) through any cursor of this process on that file
/// takes the file's shared lock, and checks for a journal left by a crash, once instead of
/// on every read:
/// \code
///   db::ReadSnapshot snapshot(table);
///   for (int key : candidates) if (table.FindKey({key})) check(table);
/// \endcode
///
/// States of the file's connection:
/// - no snapshot: every read is a transaction of its own (SQLite's autocommit).
/// - snapshot: the outermost guard of the file began a read transaction and took the
///   shared lock; reads see the file as it was then. Nested guards (on any cursor of the
///   same file) only count; the outermost one ends the transaction when it goes.
/// - write: a post, delete, batch or database transaction of this process first ends the
///   snapshot, so the write commits when it would without a guard and is never hidden from
///   later reads; after the write commits or rolls back a new snapshot starts at the next
///   read. A guard made while a write transaction runs holds nothing (the write
///   transaction already keeps the file's lock).
///
/// While a snapshot is open, writers of other processes wait for it (up to the busy
/// timeout, 5 seconds, then their write fails with the table-locked engine error; readers
/// arriving after such a waiting writer wait behind it), and this
/// process cannot open the file exclusively or run whole-table operations on it (the guard
/// keeps the file open, kTableBusy). Guards are for short loops only; a loop that may run
/// long calls Renew() now and then to let waiting writers in. Writing the file through a
/// SQLite connection of another part of the system (SQL over attached files) while a guard
/// lives waits for the guard like another process does.
///
/// A guard on a closed table, or a default-constructed one, holds nothing.
class ReadSnapshot {
public:
    ReadSnapshot() = default;
    /// Starts (or joins) the snapshot of the table's file. Raises the engine error of the
    /// first read (kTableLocked when another process is writing the file for longer than
    /// the busy timeout).
    explicit ReadSnapshot(const Table& table);
    ~ReadSnapshot();
    ReadSnapshot(ReadSnapshot&& other) noexcept;
    ReadSnapshot& operator=(ReadSnapshot&& other) noexcept;
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

    /// True while this guard keeps a file's snapshot (also when a write of this process has
    /// ended it for the moment).
    bool Holding() const { return m_file != nullptr; }

    /// When the file's read transaction has been open longer than kRenewAfterMs, ends it and
    /// starts a new one at the next read, so that writers of other processes waiting for the
    /// lock get their turn; otherwise does nothing. Cheap enough to call on every pass of a loop.
    void Renew();
    static constexpr int kRenewAfterMs = 100;

    /// Ends this guard's part early (as the destructor does).
    void Release() noexcept;

private:
    /// The file of an open table (null when it is closed), for the readers of this layer
    /// that work on the file beside the table's cursor.
    static std::shared_ptr<internal::TableFile> FileOf(const Table& table);
    friend class KeyedReader;

    std::shared_ptr<internal::TableFile> m_file;
};

}  // namespace db
