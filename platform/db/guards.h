#pragma once

#include <QVariantList>

namespace db {

class Database;
class Table;

/// A database transaction for the guard's lifetime: started by the constructor, kept by
/// Commit(), rolled back by the destructor when Commit() did not run (the scope was left by
/// an exception or an early return). Posts of the database's tables join it meanwhile.
///
/// \code
///   db::Transaction tx(database);     // kTransactionActive when one runs already
///   ... posts and deletes ...
///   tx.Commit();                      // nothing of it is kept when this line is not reached
/// \endcode
class Transaction {
public:
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Keeps the transaction's writes; raises what Database::Commit raises (then nothing of
    /// it is kept and the destructor has nothing left to do).
    void Commit();

private:
    Database& m_database;
    bool m_open = true;
};

/// A batch of one table's posts and deletes (Table::StartBatch) for the guard's lifetime:
/// Commit() keeps it; otherwise the destructor cancels a pending edit or insert of the
/// table and rolls the batch back.
class Batch {
public:
    explicit Batch(Table& table);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    /// Ends the batch keeping its writes (Table::EndBatch(true)).
    void Commit();

private:
    Table& m_table;
    bool m_open = true;
};

/// Restricts a table to a range (Table::SetRange) for the guard's lifetime; the destructor
/// cancels the range. Construction raises what SetRange raises.
class ScopedRange {
public:
    ScopedRange(Table& table, const QVariantList& startValues, const QVariantList& endValues);
    ~ScopedRange();
    ScopedRange(const ScopedRange&) = delete;
    ScopedRange& operator=(const ScopedRange&) = delete;

private:
    Table& m_table;
};

/// Keeps a table's data-aware controls from following it (Table::DisableControls) for the
/// guard's lifetime; the destructor enables them again.
class DisabledControls {
public:
    explicit DisabledControls(Table& table);
    ~DisabledControls();
    DisabledControls(const DisabledControls&) = delete;
    DisabledControls& operator=(const DisabledControls&) = delete;

private:
    Table& m_table;
};

}  // namespace db
