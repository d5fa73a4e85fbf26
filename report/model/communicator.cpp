#include "report/model/communicator.h"

#include "platform/stream/property_table.h"

#include <algorithm>

namespace report {

bool IsValidIdent(const QString& aName) {
    if (aName.isEmpty()) return false;
    auto letter = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; };
    if (!letter(aName.front())) return false;
    return std::all_of(aName.begin(), aName.end(), [&](QChar c) { return letter(c) || (c >= u'0' && c <= u'9'); });
}

}  // namespace report

namespace {

bool contains(const std::unique_ptr<std::vector<TppCommunicator*>>& list, const TppCommunicator* c) {
    return list && std::find(list->begin(), list->end(), c) != list->end();
}

/// Removes c; answers whether it was there. An emptied list is freed.
bool erase(std::unique_ptr<std::vector<TppCommunicator*>>& list, const TppCommunicator* c) {
    if (!list) return false;
    auto it = std::find(list->begin(), list->end(), c);
    if (it == list->end()) return false;
    list->erase(it);
    if (list->empty()) list.reset();
    return true;
}

}  // namespace

TppCommunicator::TppCommunicator(TComponent* AOwner) : TComponent(AOwner) {}

TppCommunicator::~TppCommunicator() {
    SetComponentState(csDestroying, true);
    SendNotify(this, ppopRemove);
    // Partners drop this object from their lists; drop them from ours the same way.
    while (m_notifyList) {
        TppCommunicator* partner = m_notifyList->back();
        erase(m_notifyList, partner);
        erase(partner->m_notifyList, this);
        erase(partner->m_subscribers, this);
    }
    m_subscribers.reset();
}

void TppCommunicator::SetUserName(const QString& aName) {
    if (!report::IsValidIdent(aName)) return;
    if (IsValidUserName(aName)) {
        m_userName = aName;
        SendNotify(this, ppopUserNameChange);
        return;
    }
    const QChar last = aName.back();
    if (last >= u'1' && last <= u'9') return;
    for (int n = 1;; ++n) {
        const QString candidate = aName + QString::number(n);
        TppCommunicator* found = FindUserName(candidate);
        if (!found || found == this) {
            m_userName = candidate;
            SendNotify(this, ppopUserNameChange);
            return;
        }
    }
}

void TppCommunicator::ChangeOwner(TComponent* aNewOwner) {
    if (aNewOwner == Owner()) return;
    bool clash = false;
    if (aNewOwner)
        for (TComponent* c : aNewOwner->Components()) {
            auto* other = qobject_cast<TppCommunicator*>(c);
            if (other && other != this && !m_userName.isEmpty() &&
                other->UserName().compare(m_userName, Qt::CaseInsensitive) == 0)
                clash = true;
        }
    setParent(aNewOwner);
    if (clash) {
        // Chosen once the object is among the new owner's components, so it is free there.
        QString name;
        GetDefaultUserName(this, name);
        m_userName = name;
    }
}

void TppCommunicator::GetDefaultName(const QObject* aComponent, QString& aName) const {
    const QObject* scope = Owner() ? static_cast<const QObject*>(Owner()) : this;
    const QString base = QString::fromLatin1(aComponent->metaObject()->className()).mid(1);
    QStringList used;
    for (const QObject* c : scope->children())
        if (c != aComponent) used << c->objectName();
    for (int n = 1;; ++n) {
        const QString candidate = base + QString::number(n);
        if (!used.contains(candidate, Qt::CaseInsensitive)) {
            aName = candidate;
            return;
        }
    }
}

void TppCommunicator::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    if (OnNotify) OnNotify(this, aCommunicator, aOperation);
    if (aOperation == ppopRemove) {
        erase(m_notifyList, aCommunicator);
        erase(m_subscribers, aCommunicator);
    }
}

void TppCommunicator::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    if (OnEventNotify) OnEventNotify(this, aCommunicator, aEventID, aParams);
}

void TppCommunicator::RemoveState(TppCommunicatorStates aStates) {
    const bool anySet = (m_state & aStates) != 0;
    m_state &= TppCommunicatorStates(~aStates);
    if (anySet) StateChange(aStates);
}

void TppCommunicator::AddState(TppCommunicatorStates aStates) {
    const bool anyNew = (m_state & aStates) != aStates;
    m_state |= aStates;
    if (anyNew) StateChange(aStates);
}

bool TppCommunicator::IsValidUserName(const QString& aName) const {
    if (!report::IsValidIdent(aName)) return false;
    TppCommunicator* found = FindUserName(aName);
    return !found || found == this;
}

TppCommunicator* TppCommunicator::findUserNameAmong(const TComponent* scope, const QString& aName) const {
    for (QObject* child : scope->children()) {
        auto* c = qobject_cast<TppCommunicator*>(child);
        if (c && !c->HasState(csDestroying) && c->m_userName.compare(aName, Qt::CaseInsensitive) == 0) return c;
    }
    return nullptr;
}

TppCommunicator* TppCommunicator::FindUserName(const QString& aName) const {
    if (TppCommunicator* parent = ParentCommunicator()) return parent->FindUserName(aName);
    if (Owner()) return findUserNameAmong(Owner(), aName);
    // Without an owner the tree's objects are owned by this root.
    if (m_userName.compare(aName, Qt::CaseInsensitive) == 0) return const_cast<TppCommunicator*>(this);
    return findUserNameAmong(this, aName);
}

void TppCommunicator::GetDefaultUserName(const QObject* aComponent, QString& aName) const {
    if (TppCommunicator* parent = ParentCommunicator()) {
        parent->GetDefaultUserName(aComponent, aName);
        return;
    }
    const QString base = QString::fromLatin1(aComponent->metaObject()->className()).mid(3);
    for (int n = 1;; ++n) {
        const QString candidate = base + QString::number(n);
        TppCommunicator* found = FindUserName(candidate);
        if (!found || found == aComponent) {
            aName = candidate;
            return;
        }
    }
}

QString TppCommunicator::UserNameFromName(const QString& aName) const {
    const QString cls = QString::fromLatin1(metaObject()->className());
    if (aName.size() >= 2 && cls.size() >= 3 && aName.left(2) == cls.mid(1, 2)) return aName.mid(2);
    return aName;
}

void TppCommunicator::SetName(const QString& aName) {
    const QString oldName = Name();
    const bool follows = m_userName.isEmpty() || m_userName == oldName || m_userName == oldName.mid(2);
    TComponent::SetName(aName);
    if ((!HasState(csReading | csLoading) || (m_state & ppsPasting)) && follows) SetUserName(UserNameFromName(aName));
}

TppCommunicator* TppCommunicator::NotifyItems(int aIndex) const {
    if (!m_notifyList || aIndex < 0 || aIndex >= int(m_notifyList->size())) return nullptr;
    return m_notifyList->at(size_t(aIndex));
}

TppCommunicator* TppCommunicator::EventNotifyItems(int aIndex) const {
    if (!m_subscribers || aIndex < 0 || aIndex >= int(m_subscribers->size())) return nullptr;
    return m_subscribers->at(size_t(aIndex));
}

int TppCommunicator::AddNotify(TppCommunicator* aCommunicator) {
    if (!aCommunicator || aCommunicator == this) return -1;
    if (!contains(m_notifyList, aCommunicator)) {
        if (!m_notifyList) m_notifyList = std::make_unique<std::vector<TppCommunicator*>>();
        m_notifyList->push_back(aCommunicator);
    }
    if (!contains(aCommunicator->m_notifyList, this)) {
        if (!aCommunicator->m_notifyList) aCommunicator->m_notifyList = std::make_unique<std::vector<TppCommunicator*>>();
        aCommunicator->m_notifyList->push_back(this);
    }
    const auto& list = *m_notifyList;
    return int(std::find(list.begin(), list.end(), aCommunicator) - list.begin());
}

void TppCommunicator::RemoveNotify(TppCommunicator* aCommunicator) {
    if (!aCommunicator) return;
    if (erase(m_notifyList, aCommunicator)) {
        erase(aCommunicator->m_notifyList, this);
        // A subscriber is always a partner; the link is gone, so is the subscription.
        erase(m_subscribers, aCommunicator);
        erase(aCommunicator->m_subscribers, this);
    }
}

void TppCommunicator::SendNotify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    if (!m_notifyList) return;
    for (int i = int(m_notifyList->size()) - 1; m_notifyList && i >= 0; --i) {
        if (i >= int(m_notifyList->size())) continue;
        m_notifyList->at(size_t(i))->Notify(aCommunicator, aOperation);
    }
}

void TppCommunicator::AddEventNotify(TppCommunicator* aSubscriber) {
    if (!aSubscriber || aSubscriber == this) return;
    if (!contains(m_subscribers, aSubscriber)) {
        if (!m_subscribers) m_subscribers = std::make_unique<std::vector<TppCommunicator*>>();
        QString key;
        aSubscriber->GetNotifyOrder(key);
        m_subscribers->push_back(aSubscriber);
        if (!key.isEmpty()) {
            std::stable_sort(m_subscribers->begin(), m_subscribers->end(),
                             [](const TppCommunicator* a, const TppCommunicator* b) {
                                 QString ka, kb;
                                 a->GetNotifyOrder(ka);
                                 b->GetNotifyOrder(kb);
                                 return ka.compare(kb, Qt::CaseInsensitive) < 0;
                             });
        }
    }
    AddNotify(aSubscriber);
}

void TppCommunicator::RemoveEventNotify(TppCommunicator* aSubscriber) {
    erase(m_subscribers, aSubscriber);
    RemoveNotify(aSubscriber);
}

bool TppCommunicator::PublishesUserName() const { return StreamProperties().Find(QStringLiteral("UserName")) != nullptr; }

void TppCommunicator::Loaded() {
    SetComponentState(csLoading | csReading, false);
    if (PublishesUserName() && m_userName.isEmpty()) SetUserName(UserNameFromName(Name()));
}

const stream::PropertyList& TppCommunicator::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppCommunicator>().Integer(
        "Tag", [](const TppCommunicator& c) { return c.Tag(); }, [](TppCommunicator& c, int v) { c.SetTag(v); }, 0);
    return table;
}

void ppSendEventNotify(TppCommunicator* aCommunicator, TppCommunicator* aSender, int aEventID, TraParamList* aParams) {
    if (!aCommunicator || aEventID < 0 || aEventID > 255) return;
    std::vector<TppCommunicator*> subscribers;
    for (int i = 0; i < aCommunicator->EventNotifyCount(); ++i) subscribers.push_back(aCommunicator->EventNotifyItems(i));
    for (TppCommunicator* s : subscribers) {
        bool stillSubscribed = false;
        for (int i = 0; i < aCommunicator->EventNotifyCount(); ++i)
            if (aCommunicator->EventNotifyItems(i) == s) stillSubscribed = true;
        if (stillSubscribed && s->EventNotifies().test(size_t(aEventID))) s->EventNotify(aSender, aEventID, aParams);
    }
}
