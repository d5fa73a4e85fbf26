#pragma once

#include "report/page/class_library.h"

#include <QList>
#include <QPointer>

/// A list of components that does not own them: removing one does not free it, and a
/// component that is freed elsewhere drops out of the list.
class TppComponentList {
public:
    /// Appends the component unless it is already there; answers its index.
    int Add(TComponent* aComponent) {
        prune();
        const int i = IndexOf(aComponent);
        if (i >= 0 || !aComponent) return i;
        m_items << aComponent;
        return int(m_items.size()) - 1;
    }
    void Insert(int aIndex, TComponent* aComponent) {
        prune();
        if (!aComponent || IndexOf(aComponent) >= 0) return;
        m_items.insert(qBound(0, aIndex, int(m_items.size())), aComponent);
    }
    /// Removes the component (not freed); answers its former index, -1 when absent.
    int Remove(TComponent* aComponent) {
        prune();
        const int i = IndexOf(aComponent);
        if (i >= 0) m_items.removeAt(i);
        return i;
    }
    int IndexOf(const TComponent* aComponent) const {
        int index = 0;
        for (const auto& p : m_items) {
            if (p.isNull()) continue;
            if (p.data() == aComponent) return index;
            ++index;
        }
        return -1;
    }
    int Count() const {
        int n = 0;
        for (const auto& p : m_items) n += p.isNull() ? 0 : 1;
        return n;
    }
    /// The component at the index among those still alive; null out of range.
    TComponent* Items(int aIndex) const {
        for (const auto& p : m_items) {
            if (p.isNull()) continue;
            if (aIndex-- == 0) return p.data();
        }
        return nullptr;
    }
    void Clear() { m_items.clear(); }

private:
    void prune() { m_items.removeIf([](const QPointer<TComponent>& p) { return p.isNull(); }); }
    QList<QPointer<TComponent>> m_items;
};
