#pragma once

#include "platform/stream/persistent.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace stream {

/// Maps class names to factories, so that the object reader creates components by the
/// class name stored in a stream. Names are matched without regard to case. The program
/// fills `Global()` when its units start; tests may use a registry of their own.
class ClassRegistry {
public:
    using Factory = std::function<std::unique_ptr<Component>()>;

    static ClassRegistry& Global();

    /// Registers (or replaces) the factory of `className`.
    void Register(const QString& className, Factory factory);
    template <class T>
    void Register(const QString& className) {
        Register(className, [] { return std::unique_ptr<Component>(std::make_unique<T>()); });
    }
    void Unregister(const QString& className);

    bool Contains(const QString& className) const;
    /// A new component of that class; nullptr when the class is not registered.
    std::unique_ptr<Component> Create(const QString& className) const;
    QStringList ClassNames() const;

private:
    struct Entry {
        QString name;
        Factory factory;
    };
    QHash<QString, Entry> m_entries;  ///< keyed by the upper-cased name
};

}  // namespace stream
