#include "fulltext/cx_dictionary.h"

#include "fulltext/char_rules.h"
#include "fulltext/cx_strings.h"

#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include <QIODevice>

#include <bit>

namespace {

int equalIgnoringCase(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = fulltext::UpperChar(a[i].unicode());
        const char16_t y = fulltext::UpperChar(b[i].unicode());
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

TCxDictionary::TCxDictionary(int hashSize)
    : HashProc(&TCxDictionary::DictionaryHash), EqualProc(&equalIgnoringCase) {
    m_slots.resize(std::size_t(std::max(hashSize, 1)));
}

TCxDictionary::~TCxDictionary() {
    TCxDictionary::Clear();
}

std::uint32_t TCxDictionary::DictionaryHash(QStringView name, std::uint32_t slotCount) {
    std::uint32_t h = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const std::uint32_t b = fulltext::UpperChar(name[i].unicode());
        h ^= std::rotl(b, int(i % 32));
    }
    return slotCount == 0 ? 0 : h % slotCount;
}

int TCxDictionary::Equal(QStringView a, QStringView b) const {
    return OnEqual ? OnEqual(a, b) : EqualProc(a, b);
}

std::unique_ptr<TCxDictNode> TCxDictionary::MakeNode(const QString& name, fulltext::CxData data) {
    return std::make_unique<TCxDictNode>(name, data);
}

TCxDictNode* TCxDictionary::FindInSlot(QStringView name, std::uint32_t slot, TCxDictNode*& previous) const {
    previous = nullptr;
    for (TCxDictNode* n = m_slots[slot].get(); n; n = n->Next.get()) {
        if (Equal(n->Name, name) == 0) return n;
        previous = n;
    }
    return nullptr;
}

void TCxDictionary::MoveToHead(std::uint32_t slot, TCxDictNode* previous) {
    if (!previous) return;
    std::unique_ptr<TCxDictNode> node = std::move(previous->Next);
    previous->Next = std::move(node->Next);
    node->Next = std::move(m_slots[slot]);
    m_slots[slot] = std::move(node);
}

TCxDictNode* TCxDictionary::LinkAtHead(std::uint32_t slot, std::unique_ptr<TCxDictNode> node) {
    node->Next = std::move(m_slots[slot]);
    m_slots[slot] = std::move(node);
    return m_slots[slot].get();
}

std::unique_ptr<TCxDictNode> TCxDictionary::Unlink(std::uint32_t slot, TCxDictNode* previous) {
    std::unique_ptr<TCxDictNode>& link = previous ? previous->Next : m_slots[slot];
    std::unique_ptr<TCxDictNode> node = std::move(link);
    link = std::move(node->Next);
    return node;
}

void TCxDictionary::AddEntry(const QString& name, fulltext::CxData data) {
    const std::uint32_t slot = SlotOf(name);
    TCxDictNode* previous = nullptr;
    if (FindInSlot(name, slot, previous)) throw ECxContainerError(54);
    LinkAtHead(slot, MakeNode(name, data));
    ++m_count;
}

void TCxDictionary::RemoveEntry(QStringView name) {
    const std::uint32_t slot = SlotOf(name);
    TCxDictNode* previous = nullptr;
    if (!FindInSlot(name, slot, previous)) return;
    std::unique_ptr<TCxDictNode> node = Unlink(slot, previous);
    --m_count;
    DoDisposeData(node->Data);
}

bool TCxDictionary::FindEntry(QStringView name, fulltext::CxData& data) {
    const std::uint32_t slot = SlotOf(name);
    TCxDictNode* previous = nullptr;
    TCxDictNode* node = FindInSlot(name, slot, previous);
    if (!node) return false;
    data = node->Data;
    MoveToHead(slot, previous);
    return true;
}

void TCxDictionary::SetEntryData(QStringView name, fulltext::CxData data) {
    TCxDictNode* previous = nullptr;
    if (TCxDictNode* node = FindInSlot(name, SlotOf(name), previous)) node->Data = data;
}

const TCxDictNode* TCxDictionary::ForEach(const TForEachProc& routine) const {
    for (const auto& head : m_slots)
        for (const TCxDictNode* n = head.get(); n; n = n->Next.get())
            if (!routine(*n)) return n;
    return nullptr;
}

bool TCxDictionary::NameOfData(fulltext::CxData data, QString& name) const {
    const TCxDictNode* n = ForEach([data](const TCxDictNode& node) { return node.Data != data; });
    if (!n) return false;
    name = n->Name;
    return true;
}

void TCxDictionary::Resize(int newHashSize) {
    if (newHashSize <= 0) throw ECxContainerError(53);
    if (std::size_t(newHashSize) == m_slots.size()) return;
    std::vector<std::unique_ptr<TCxDictNode>> old = std::move(m_slots);
    m_slots = std::vector<std::unique_ptr<TCxDictNode>>(std::size_t(newHashSize));
    // Old entries are taken slot by slot, chain by chain, each heading its new chain: the
    // order re-adding them would give, without copying a node.
    for (auto& head : old) {
        std::unique_ptr<TCxDictNode> n = std::move(head);
        while (n) {
            std::unique_ptr<TCxDictNode> rest = std::move(n->Next);
            const std::uint32_t slot = SlotOf(n->Name);
            LinkAtHead(slot, std::move(n));
            n = std::move(rest);
        }
    }
}

void TCxDictionary::FreeAllNodes() {
    for (auto& head : m_slots) {
        std::unique_ptr<TCxDictNode> n = std::move(head);
        while (n) n = std::move(n->Next);  // iterative: long chains never recurse
    }
    m_count = 0;
}

void TCxDictionary::Clear() {
    for (auto& head : m_slots)
        for (TCxDictNode* n = head.get(); n; n = n->Next.get()) DoDisposeData(n->Data);
    FreeAllNodes();
}

void TCxDictionary::Assign(const TCxDictionary& source) {
    if (&source == this) return;
    Clear();
    source.ForEach([this](const TCxDictNode& n) {
        AddEntry(n.Name, n.Data);
        return true;
    });
}

void TCxDictionary::Assign(const QStringList& lines, const std::vector<fulltext::CxData>& objects) {
    Clear();
    for (qsizetype i = 0; i < lines.size(); ++i)
        AddEntry(lines[i], std::size_t(i) < objects.size() ? objects[std::size_t(i)] : 0);
}

void TCxDictionary::StoreToStream(QIODevice& device) {
    stream::ValueWriter writer;
    writer.WriteString(ClassName());
    writer.WriteString(NodeClassName());
    writer.WriteInteger(HashSize());
    writer.WriteListBegin();
    ForEach([&](const TCxDictNode& n) {
        writer.WriteString(n.Name);
        DoStoreData(writer, n.Data);
        return true;
    });
    writer.WriteListEnd();
    device.write(writer.Data());
}

void TCxDictionary::LoadFromStream(QIODevice& device) {
    Clear();
    stream::ValueReader reader(device.readAll());
    const QString className = reader.ReadString();
    if (!fulltext::IsCxClassRegistered(className)) throw ECxContainerError(57, {className});
    if (className != ClassName()) throw ECxContainerError(61);
    const QString nodeClassName = reader.ReadString();
    if (!fulltext::IsCxClassRegistered(nodeClassName)) throw ECxContainerError(58, {nodeClassName});
    if (nodeClassName != NodeClassName()) throw ECxContainerError(62);
    const qint64 hashSize = reader.ReadInteger();
    if (hashSize <= 0 || hashSize > (1 << 24)) throw ECxContainerError(53);
    Resize(int(hashSize));
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const QString name = reader.ReadString();
        AddEntry(name, DoLoadData(reader));
    }
    reader.ReadListEnd();
}
