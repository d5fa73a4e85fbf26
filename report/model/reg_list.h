#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TppRegListSubscriber;

/// A registration list: names with an object (a class's factory or description) each, in
/// the order added, that tells its subscribers about every change. The library's class
/// registries (devices, dialog forms, design modules, palette components, wizards, data
/// views, renderers) are lists of this kind.
class TppRegList {
public:
    struct Item {
        QString Name;
        const void* Object = nullptr;  ///< not owned
    };

    int Count() const { return int(m_items.size()); }
    const Item& Items(int aIndex) const { return m_items.at(size_t(aIndex)); }
    int IndexOf(const QString& aName) const;  ///< case-insensitive; -1 when absent

    /// Appends an item, then runs Changed and tells every subscriber, in subscription order.
    int AddObject(const QString& aName, const void* aObject);
    /// Removes an item (out of range: nothing), then as AddObject.
    void Delete(int aIndex);

    void AddSubscriber(TppRegListSubscriber* aSubscriber);
    void RemoveSubscriber(TppRegListSubscriber* aSubscriber);
    int SubscriberCount() const { return m_subscribers ? int(m_subscribers->size()) : 0; }

    /// Runs after every change (before the subscribers are told).
    std::function<void(TppRegList&)> OnChange;

private:
    void changed();

    std::vector<Item> m_items;
    /// Created on the first subscription, freed when the last subscriber leaves.
    std::unique_ptr<std::vector<QPointer<TppRegListSubscriber>>> m_subscribers;
};

/// Told about every change of the lists it subscribed to.
class TppRegListSubscriber : public QObject {
    Q_OBJECT
public:
    explicit TppRegListSubscriber(QObject* parent = nullptr) : QObject(parent) {}
    /// Runs OnChange.
    virtual void Changed();
    /// Sender = the subscriber.
    std::function<void(QObject* Sender)> OnChange;
};
