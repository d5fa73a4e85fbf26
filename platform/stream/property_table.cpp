#include "platform/stream/property_table.h"

namespace stream {

const PropertyInfo* PropertyList::Find(const QString& name) const {
    for (const PropertyInfo& p : m_properties)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

void Filer::DefineBinaryProperty(const QString& name, std::function<void(const QByteArray&)> read,
                                 std::function<QByteArray()> write, bool hasData) {
    DefineProperty(
        name,
        [read = std::move(read)](const Value& v) {
            if (v.Type() != ValueType::Binary)
                throw StreamError(StreamErrorKind::WrongValueKind,
                                  QStringLiteral("Invalid property value: binary data expected, found %1")
                                      .arg(ValueTypeName(v.Type())));
            if (read) read(v.AsBinary());
        },
        [write = std::move(write)]() { return Value::Binary(write ? write() : QByteArray()); }, hasData);
}

}  // namespace stream
