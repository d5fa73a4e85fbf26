#include "report/model/relative.h"

#include "platform/stream/property_table.h"

#include <algorithm>

TppRelative::TppRelative(TComponent* AOwner) : TppCommunicator(AOwner) {}

TppRelative::~TppRelative() {
    SetComponentState(csDestroying, true);
    SetParent(nullptr);
    FreeChildren();
}

TppRelative* TppRelative::Children(int aIndex) const {
    if (aIndex < 0 || aIndex >= ChildCount()) return nullptr;
    return m_children.at(size_t(aIndex));
}

void TppRelative::SetParent(TppRelative* aParent) {
    if (!HasParent()) return;
    JoinParent(aParent);
}

void TppRelative::JoinParent(TppRelative* aParent) {
    if (m_parent) m_parent->RemoveChild(this);
    m_parent = aParent;
    if (aParent) aParent->AddChild(this);
}

void TppRelative::AddChild(TppRelative* aChild) {
    if (aChild && IndexOfChild(aChild) < 0) m_children.push_back(aChild);
}

void TppRelative::InsertChild(int aIndex, TppRelative* aChild) {
    if (!aChild || IndexOfChild(aChild) >= 0) return;
    aIndex = std::clamp(aIndex, 0, ChildCount());
    m_children.insert(m_children.begin() + aIndex, aChild);
}

int TppRelative::IndexOfChild(const TppRelative* aChild) const {
    auto it = std::find(m_children.begin(), m_children.end(), aChild);
    return it == m_children.end() ? -1 : int(it - m_children.begin());
}

int TppRelative::RemoveChild(TppRelative* aChild) {
    const int index = IndexOfChild(aChild);
    if (index >= 0) m_children.erase(m_children.begin() + index);
    return index;
}

void TppRelative::SetPosition(int aPosition) {
    if (HasState(csReading | csLoading)) {
        m_streamedPosition = aPosition;
        return;
    }
    MoveToPosition(aPosition);
    PropertyChange();
}

void TppRelative::MoveToPosition(int aIndex) {
    if (!m_parent) return;
    const int count = m_parent->ChildCount();
    aIndex = std::clamp(aIndex, 0, std::max(count - 1, 0));
    if (aIndex == Index()) return;
    m_parent->RemoveChild(this);
    m_parent->InsertChild(aIndex, this);
}

void TppRelative::SetChildType(int aChildType) {
    if (!HasParent()) return;
    TppRelative* parent = m_parent;
    if (parent) parent->RemoveChild(this);
    m_childType = aChildType;
    if (parent) parent->AddChild(this);
}

void TppRelative::Transfer(TPersistent* aSource) {
    auto* source = qobject_cast<TppRelative*>(aSource);
    if (!source || source == this) return;
    m_orderedChildren = source->m_orderedChildren;
    SetParent(source->m_parent);
    FreeChildren();
    while (source->ChildCount() > 0) {
        TppRelative* child = source->Children(0);
        const bool sameOwner = child->Owner() == source->Owner();
        child->SetParent(this);
        if (child->m_parent != this) source->RemoveChild(child);  // a class without parent must not loop
        if (sameOwner) child->ChangeOwner(Owner() ? Owner() : this);
    }
}

void TppRelative::PropertyChange() {
    if (m_parent) m_parent->PropertyChange();
    PropertyChanged();
}

void TppRelative::ChangeOwner(TComponent* aNewOwner) {
    TComponent* oldOwner = Owner();
    if (aNewOwner == oldOwner) return;
    TppCommunicator::ChangeOwner(aNewOwner);
    const std::vector<TppRelative*> children = m_children;
    for (TppRelative* child : children)
        if (child->Owner() == oldOwner) child->ChangeOwner(aNewOwner);
}

void TppRelative::FreeChildren() {
    m_freeingChildren = true;
    struct Reset {
        TppRelative* self;
        ~Reset() {
            self->m_children.clear();
            self->m_freeingChildren = false;
        }
    } reset{this};
    while (!m_children.empty()) {
        TppRelative* child = m_children.back();
        delete child;  // its destructor leaves this list
        if (!m_children.empty() && m_children.back() == child) m_children.pop_back();
    }
}

void TppRelative::RestoreChildPositions() {
    if (!m_orderedChildren || m_children.empty()) return;
    const int count = ChildCount();
    std::vector<TppRelative*> places(size_t(count), nullptr);
    for (TppRelative* child : m_children) {
        const int p = child->m_streamedPosition;
        if (p >= 0 && p <= count - 1) places[size_t(p)] = child;
    }
    for (int i = 0; i < count; ++i)
        if (places[size_t(i)]) places[size_t(i)]->MoveToPosition(i);
}

const stream::PropertyList& TppRelative::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppRelative>(TppCommunicator::StreamProperties());
    return table;
}

void TppRelative::DefineProperties(stream::Filer& filer) {
    TppCommunicator::DefineProperties(filer);
    if (IsTopLevel()) {
        filer.DefineProperty(
            QStringLiteral("Left"), [this](const stream::Value& v) { if (v.IsInteger()) m_designInfo.setX(int(v.AsInteger())); },
            [this] { return stream::Value::Integer(m_designInfo.x()); }, true);
        filer.DefineProperty(
            QStringLiteral("Top"), [this](const stream::Value& v) { if (v.IsInteger()) m_designInfo.setY(int(v.AsInteger())); },
            [this] { return stream::Value::Integer(m_designInfo.y()); }, true);
    }
    if (!StreamProperties().Find(QStringLiteral("ChildType")) && !filer.IsWriting())
        filer.DefineProperty(
            QStringLiteral("ChildType"), [this](const stream::Value& v) { if (v.IsInteger()) m_childType = int(v.AsInteger()); },
            {}, false);
}

void TppRelative::GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (const TppRelative* child : m_children) proc(*child);
    GetExtraChildren(proc);
}

bool TppRelative::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    auto* relative = dynamic_cast<TppRelative*>(child.get());
    if (!relative) return false;
    child.release();
    relative->setParent(Owner() ? static_cast<QObject*>(Owner()) : this);
    relative->SetParent(this);
    if (relative->m_parent != this) {  // a class that does not live in the tree
        relative->m_parent = nullptr;
    }
    return true;
}

void TppRelative::Loaded() {
    RestoreChildPositions();
    TppCommunicator::Loaded();
}
