#pragma once

#include "fulltext/ts_base.h"
#include "fulltext/ts_bits.h"

#include <QString>
#include <QStringView>

#include <functional>

/// The word cache's operations as the engines use them: word -> record-set block (none for an
/// omitted word), with access stamps, memory accounting and iteration.
class TtsBaseCache : public TtsBase {
    Q_OBJECT
public:
    /// Visits one entry: the word, its block (which the visitor may free and set to null)
    /// and whether to remove the entry afterwards.
    using TVisitor = std::function<void(const QString& word, fulltext::Block& block, bool& remove)>;

    using TtsBase::TtsBase;

    virtual int EntryCount() const = 0;
    virtual int DirtyCount() const = 0;
    /// Looks `word` up for the record whose processing started at stamp `newestStamp`.
    /// Answers whether the word is present; `block` is the raw block to update (none for an
    /// omitted word or a word already handled for this record), `oldBlock` a compressed
    /// block the caller expands into `block` and frees.
    virtual bool Lookup(QStringView word, fulltext::Block& oldBlock, bool create, int newestStamp,
                        fulltext::Block& block) = 0;
    /// Adds `word` with `block` (none marks an omitted word); ECxContainerError 54 when present.
    virtual void AddEntry(const QString& word, fulltext::Block block) = 0;
    virtual void CheckMemory(TtsEngine* engine) = 0;
    virtual void RemoveWord(QStringView word) = 0;
    virtual void FreeBlock(fulltext::Block block) = 0;
    virtual fulltext::Block AllocBlock(int size) = 0;
    virtual void Iterate(bool freeBlocks, bool reset, const TVisitor& visitor) = 0;

    /// Access-counter value up to which FlushOld writes back and removes entries.
    virtual int FlushMark() const = 0;
    /// The current access-counter value.
    virtual int AccessCounter() const = 0;
};
