#pragma once

#include "fulltext/cx_container.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

/// A named entry of a dictionary, linked to the next node of its hash chain.
class TCxDictNode : public TCxNode {
public:
    TCxDictNode(const QString& name, fulltext::CxData data) : TCxNode(data), Name(name) {}

    QString Name;
    std::unique_ptr<TCxDictNode> Next;  ///< the rest of the hash chain
};

/// A hashed dictionary of named entries. Each of `HashSize` slots heads a chain of nodes;
/// chains are self-organising (a node found by FindEntry moves to the head of its chain).
/// Names are unique under the equality routine (preset: case-insensitive, with the hash
/// taken over the upper-cased name so that equal names share a slot).
class TCxDictionary : public TCxContainer {
public:
    using THashProc = std::uint32_t (*)(QStringView name, std::uint32_t slotCount);
    using TEqualProc = int (*)(QStringView a, QStringView b);
    using TEqualEvent = std::function<int(QStringView a, QStringView b)>;
    using TForEachProc = std::function<bool(const TCxDictNode& node)>;

    /// `hashSize` below 1 is taken as 1.
    explicit TCxDictionary(int hashSize);
    ~TCxDictionary() override;

    QString ClassName() const override { return QStringLiteral("TCxDictionary"); }
    QString NodeClassName() const override { return QStringLiteral("TCxDictNode"); }

    int HashSize() const { return int(m_slots.size()); }

    /// Slot of a name (slot count given); preset to DictionaryHash.
    THashProc HashProc;
    /// Name equality (0 = equal); the event wins when set.
    TEqualProc EqualProc;
    TEqualEvent OnEqual;

    virtual int Equal(QStringView a, QStringView b) const;

    /// Raises ECxContainerError 54 when the name is present.
    void AddEntry(const QString& name, fulltext::CxData data);
    /// Disposes the entry's data and removes it; an absent name is ignored.
    void RemoveEntry(QStringView name);
    /// True and the data when present; moves the found node to the head of its chain.
    bool FindEntry(QStringView name, fulltext::CxData& data);
    /// Replaces the data of a present entry without disposing the old data.
    void SetEntryData(QStringView name, fulltext::CxData data);
    /// Visits slots in order and each chain from its head; answers the first node for which
    /// `routine` answers false, or null when every node was visited.
    const TCxDictNode* ForEach(const TForEachProc& routine) const;
    /// The name of the first entry (ForEach order) holding `data`.
    bool NameOfData(fulltext::CxData data, QString& name) const;
    /// Rehashes into `newHashSize` slots (ECxContainerError 53 when below 1); data is kept.
    void Resize(int newHashSize);
    void Clear() override;
    void Assign(const TCxDictionary& source);
    /// Every line becomes an entry, with the matching element of `objects` (or 0) as data.
    void Assign(const QStringList& lines, const std::vector<fulltext::CxData>& objects = {});

    /// Stored form (component-stream values): class name, node class name, HashSize, a list
    /// of (name, the entry's data through DoStoreData). Loading clears first and raises 57/61
    /// (class) or 58/62 (node class) when the stored names are unknown or not this
    /// dictionary's, then resizes to the stored HashSize and adds every entry.
    void StoreToStream(QIODevice& device) override;
    void LoadFromStream(QIODevice& device) override;

    /// The library's dictionary hash over the upper-cased name.
    static std::uint32_t DictionaryHash(QStringView name, std::uint32_t slotCount);

protected:
    virtual std::unique_ptr<TCxDictNode> MakeNode(const QString& name, fulltext::CxData data);

    std::uint32_t SlotOf(QStringView name) const { return HashProc(name, std::uint32_t(m_slots.size())); }
    /// The node of `name` in `slot`, with its predecessor in the chain (null at the head).
    TCxDictNode* FindInSlot(QStringView name, std::uint32_t slot, TCxDictNode*& previous) const;
    /// Moves the node behind `previous` in `slot` to the head of that chain.
    void MoveToHead(std::uint32_t slot, TCxDictNode* previous);
    /// Links a new node at the head of `slot`.
    TCxDictNode* LinkAtHead(std::uint32_t slot, std::unique_ptr<TCxDictNode> node);
    /// Unlinks the node behind `previous` (or the head) of `slot` and hands it back.
    std::unique_ptr<TCxDictNode> Unlink(std::uint32_t slot, TCxDictNode* previous);
    /// Frees every node without disposing its data.
    void FreeAllNodes();

    std::vector<std::unique_ptr<TCxDictNode>> m_slots;
};
