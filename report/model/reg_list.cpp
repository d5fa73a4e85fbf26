#include "report/model/reg_list.h"

#include <algorithm>

int TppRegList::IndexOf(const QString& aName) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].Name.compare(aName, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

int TppRegList::AddObject(const QString& aName, const void* aObject) {
    m_items.push_back({aName, aObject});
    changed();
    return int(m_items.size()) - 1;
}

void TppRegList::Delete(int aIndex) {
    if (aIndex < 0 || aIndex >= Count()) return;
    m_items.erase(m_items.begin() + aIndex);
    changed();
}

void TppRegList::AddSubscriber(TppRegListSubscriber* aSubscriber) {
    if (!aSubscriber) return;
    if (!m_subscribers) m_subscribers = std::make_unique<std::vector<QPointer<TppRegListSubscriber>>>();
    m_subscribers->push_back(aSubscriber);
}

void TppRegList::RemoveSubscriber(TppRegListSubscriber* aSubscriber) {
    if (!m_subscribers) return;
    auto& subs = *m_subscribers;
    const auto it = std::find(subs.begin(), subs.end(), aSubscriber);
    if (it != subs.end()) subs.erase(it);
    // Subscribers freed without leaving count as gone.
    subs.erase(std::remove_if(subs.begin(), subs.end(), [](const auto& s) { return s.isNull(); }), subs.end());
    if (subs.empty()) m_subscribers.reset();
}

void TppRegList::changed() {
    if (OnChange) OnChange(*this);
    if (!m_subscribers) return;
    // A subscriber may leave while being told; walk a copy.
    const auto subscribers = *m_subscribers;
    for (const auto& s : subscribers)
        if (s) s->Changed();
}

void TppRegListSubscriber::Changed() {
    if (OnChange) OnChange(this);
}
