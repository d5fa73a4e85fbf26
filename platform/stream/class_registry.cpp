#include "platform/stream/class_registry.h"

namespace stream {

ClassRegistry& ClassRegistry::Global() {
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::Register(const QString& className, Factory factory) {
    m_entries.insert(className.toUpper(), Entry{className, std::move(factory)});
}

void ClassRegistry::Unregister(const QString& className) { m_entries.remove(className.toUpper()); }

bool ClassRegistry::Contains(const QString& className) const { return m_entries.contains(className.toUpper()); }

std::unique_ptr<Component> ClassRegistry::Create(const QString& className) const {
    const auto it = m_entries.constFind(className.toUpper());
    if (it == m_entries.constEnd() || !it->factory) return nullptr;
    return it->factory();
}

QStringList ClassRegistry::ClassNames() const {
    QStringList names;
    for (const Entry& e : m_entries) names << e.name;
    names.sort(Qt::CaseInsensitive);
    return names;
}

}  // namespace stream
