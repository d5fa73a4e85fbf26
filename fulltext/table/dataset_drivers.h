#pragma once

#include <QString>

#include <functional>

class QObject;
struct QMetaObject;
class TtsTextDataSetLink;
class TtsWordsDataSetLink;

namespace db {
class Table;
}

namespace fulltext {

/// An entry of the dataset driver registry: the datasets the engine can index (a class and
/// its descendants), the link classes that serve them, and how the engine drops, creates,
/// locks and transacts such a table.
struct DatasetDriver {
    /// Transaction operations.
    enum TransactionOp { trStart = 1, trCommit = 2, trRollback = 3 };

    QString Name;
    const QMetaObject* DataSetClass = nullptr;
    /// The text and words links of index builds (Make...) and of searches and updaters.
    std::function<TtsTextDataSetLink*(QObject* owner)> MakeTextLink;
    std::function<TtsTextDataSetLink*(QObject* owner)> TextLink;
    std::function<TtsWordsDataSetLink*(QObject* owner)> MakeWordsLink;
    std::function<TtsWordsDataSetLink*(QObject* owner)> WordsLink;
    /// Closes the table; with `drop`, deletes it when it exists; then clears its field and
    /// index definitions and index names.
    std::function<void(db::Table& table, bool drop)> ResetTable;
    /// Creates the table from its field and index definitions.
    std::function<void(db::Table& table)> CreateTable;
    std::function<void(db::Table& table, bool on)> SetExclusive;
    /// trStart, trCommit or trRollback on the table's transaction.
    std::function<void(db::Table& table, int op)> Transaction;
};

/// Adds an entry to the program-wide registry; an entry of the same name is replaced. Later
/// entries are asked first. The registry starts with the entry "TTable" for db::Table and
/// its descendants, served by TtsMakeTextTableLink, TtsTextTableLink, TtsMakeWordsTableLink
/// and TtsWordsTableLink.
void RegisterDatasetDriver(const DatasetDriver& driver);
/// Removes the entry of that name (the built-in one included).
void UnregisterDatasetDriver(const QString& name);
/// The entry serving `dataset`; ETessick 30474 "Dataset not supported" when none does (and
/// for no dataset).
DatasetDriver DatasetDriverFor(const QObject* dataset);

}  // namespace fulltext
