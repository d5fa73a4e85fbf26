#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TtsMake;
class TtsMakeWordsTableLink;

namespace fulltext::testing {

/// Creates the record table `tableName` in `folder` (NodeID integer key, Body memo) holding
/// `texts` as records 1, 2, ... in one batch.
void CreateNotesTable(const QString& folder, const QString& tableName, const QStringList& texts);

/// What a build may set on the maker and its words link before it runs.
using MakeSetup = std::function<void(TtsMake& maker, TtsMakeWordsTableLink& words)>;

/// Builds the word table `dictName` of the record table `tableName` (key NodeID, indexed
/// `fields`) in `folder` with a fresh cache, as the index build window wires the maker;
/// `setup` may change the maker, the words link and the cache limit (through the maker)
/// first. Answers the segment size the maker used.
int BuildIndex(const QString& folder, const QString& tableName, const QString& dictName, const QStringList& fields,
               const MakeSetup& setup = {});

}  // namespace fulltext::testing
