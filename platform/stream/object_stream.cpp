#include "platform/stream/object_stream.h"

#include "platform/stream/log.h"
#include "platform/stream/property_table.h"
#include "platform/stream/text_form.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include <QHash>

namespace stream {

namespace {

class WritingFiler : public Filer {
public:
    WritingFiler(const QString& prefix, std::vector<Property>& out) : m_prefix(prefix), m_out(out) {}
    bool IsWriting() const override { return true; }
    void DefineProperty(const QString& name, ReadProc, WriteProc write, bool hasData) override {
        if (hasData && write) m_out.push_back(Property{m_prefix + name, write(), {}});
    }

private:
    QString m_prefix;
    std::vector<Property>& m_out;
};

class ReadingFiler : public Filer {
public:
    bool IsWriting() const override { return false; }
    void DefineProperty(const QString& name, ReadProc read, WriteProc, bool) override {
        m_defs.push_back(Def{name, std::move(read)});
    }
    const ReadProc* Find(const QString& name) const {
        for (const Def& d : m_defs)
            if (d.name.compare(name, Qt::CaseInsensitive) == 0) return &d.read;
        return nullptr;
    }

private:
    struct Def {
        QString name;
        ReadProc read;
    };
    std::vector<Def> m_defs;
};

StreamError Unknown(const QString& name) {
    return StreamError(StreamErrorKind::UnknownProperty, QStringLiteral("Property %1 does not exist").arg(name));
}

/// Builds live objects from stored objects: one instance per read.
class ObjectReader {
public:
    ObjectReader(const ReadOptions& options, bool allowReferences)
        : m_options(options),
          m_registry(options.registry ? *options.registry : ClassRegistry::Global()),
          m_allowReferences(allowReferences) {}

    void ReadInto(Component& target, const ObjectData& data) {
        QString name = data.name;
        if (m_options.onSetName) m_options.onSetName(target, name);
        target.SetStreamName(name);
        const QString context = data.name.isEmpty() ? data.className : data.name;
        ApplyProperties(target, data.properties, context);
        for (const ObjectData& child : data.children) {
            std::unique_ptr<Component> created = m_registry.Create(child.className);
            if (!created) {
                Report(StreamError(StreamErrorKind::UnknownClass, QStringLiteral("Class %1 not found").arg(child.className),
                                   child.pos));
                continue;
            }
            Component* raw = created.get();
            raw->BeginLoading();
            if (!target.AdoptStreamChild(created)) {
                Report(StreamError(StreamErrorKind::NotAChild,
                                   QStringLiteral("%1 cannot hold a child of class %2").arg(context, child.className),
                                   child.pos));
                continue;
            }
            m_read.push_back(raw);
            ReadInto(*raw, child);
        }
        if (m_options.onComponentRead) m_options.onComponentRead(target);
    }

    void ApplyProperties(Persistent& target, const std::vector<Property>& props, const QString& context) {
        ReadingFiler filer;
        target.DefineProperties(filer);
        for (const Property& prop : props) {
            try {
                Apply(target, &filer, prop.name, prop.name, prop.value, context, prop.pos);
            } catch (const StreamError& e) {
                Report(e.InContext(context, prop.name, prop.pos));
            }
        }
    }

    void Finish() {
        QHash<QString, Component*> byName;  // upper-cased name; the first component of a name wins
        for (Component* c : m_read) {
            const QString key = c->StreamName().toUpper();
            if (!key.isEmpty() && !byName.contains(key)) byName.insert(key, c);
        }
        for (const Fixup& f : m_fixups) {
            Component* found = byName.value(f.name.toUpper(), nullptr);
            if (!found && m_options.findComponent) found = m_options.findComponent(f.name);
            if (!found) {
                Report(StreamError(StreamErrorKind::UnresolvedReference,
                                   QStringLiteral("Error reading %1.%2: component %3 not found").arg(f.context, f.property, f.name),
                                   f.pos));
                continue;
            }
            if (!f.info->setReference(*f.target, found))
                Report(StreamError(StreamErrorKind::WrongValueKind,
                                   QStringLiteral("Error reading %1.%2: %3 is a %4, which this property cannot hold")
                                       .arg(f.context, f.property, f.name, found->StreamClassName()),
                                   f.pos));
        }
        for (Component* c : m_read) c->Loaded();
    }

    void NoteRead(Component& c) { m_read.push_back(&c); }

private:
    struct Fixup {
        Persistent* target;
        const PropertyInfo* info;
        QString name, context, property;
        SourcePos pos;
    };

    void Report(const StreamError& e) {
        if (m_options.onError && m_options.onError(e)) {
            qCInfo(lcStream) << "ignored:" << e.Message();
            return;
        }
        throw e;
    }

    void Apply(Persistent& target, const ReadingFiler* filer, const QString& path, const QString& fullName,
               const Value& value, const QString& context, const SourcePos& pos) {
        const qsizetype dot = path.indexOf(QLatin1Char('.'));
        const QString head = dot < 0 ? path : path.left(dot);
        if (dot < 0 && filer) {
            if (const Filer::ReadProc* read = filer->Find(head)) {
                if (*read) (*read)(value);
                return;
            }
        }
        const PropertyInfo* info = target.StreamProperties().Find(head);
        if (!info) throw Unknown(fullName);
        if (dot >= 0) {
            const QString rest = path.mid(dot + 1);
            if (info->kind == PropertyKind::Object) {
                Persistent* sub = info->object(target);
                if (!sub) throw Unknown(fullName);
                ReadingFiler subFiler;
                sub->DefineProperties(subFiler);
                Apply(*sub, &subFiler, rest, fullName, value, context, pos);
                return;
            }
            if (info->kind == PropertyKind::Strings && rest.compare(QLatin1String("Strings"), Qt::CaseInsensitive) == 0) {
                info->set(target, value);
                return;
            }
            throw Unknown(fullName);
        }
        switch (info->kind) {
        case PropertyKind::Object:
            throw StreamError(StreamErrorKind::WrongValueKind,
                              QStringLiteral("Invalid property value: %1 is an object, found %2")
                                  .arg(fullName, ValueTypeName(value.Type())));
        case PropertyKind::Strings:
            throw Unknown(fullName);  // stored only as "<name>.Strings"
        case PropertyKind::Collection: {
            if (value.Type() != ValueType::Collection)
                throw StreamError(StreamErrorKind::WrongValueKind,
                                  QStringLiteral("Invalid property value: collection expected, found %1")
                                      .arg(ValueTypeName(value.Type())));
            stream::Collection* c = info->collection(target);
            if (!c) throw Unknown(fullName);
            c->ClearItems();
            int index = 0;
            for (const CollectionItem& item : value.AsCollection()) {
                Persistent& it = c->AddItem();
                ApplyProperties(it, item.properties, QStringLiteral("%1.%2[%3]").arg(context, fullName).arg(index++));
            }
            return;
        }
        case PropertyKind::Reference:
            if (value.Type() == ValueType::Nil) {
                info->setReference(target, nullptr);
                return;
            }
            if (value.Type() != ValueType::Ident)
                throw StreamError(StreamErrorKind::WrongValueKind,
                                  QStringLiteral("Invalid property value: component name expected, found %1")
                                      .arg(ValueTypeName(value.Type())));
            if (!m_allowReferences)
                throw StreamError(StreamErrorKind::UnresolvedReference,
                                  QStringLiteral("Component reference %1 cannot be resolved here").arg(value.AsText()));
            m_fixups.push_back(Fixup{&target, info, value.AsText(), context, fullName, pos});
            return;
        default: info->set(target, value); return;
        }
    }

    const ReadOptions& m_options;
    const ClassRegistry& m_registry;
    bool m_allowReferences;
    std::vector<Component*> m_read;  ///< in reading order; all owned by the tree being built
    std::vector<Fixup> m_fixups;
};

}  // namespace

void PersistentToProperties(const Persistent& object, const QString& prefix, std::vector<Property>& out) {
    // Sub-objects and collections are reached through non-const accessors; writing never
    // changes them.
    auto& mutableObject = const_cast<Persistent&>(object);
    for (const PropertyInfo& p : object.StreamProperties().Properties()) {
        if (p.stored && !p.stored(object)) continue;
        const QString name = prefix + p.name;
        switch (p.kind) {
        case PropertyKind::Object:
            if (Persistent* sub = p.object(mutableObject)) PersistentToProperties(*sub, name + QLatin1Char('.'), out);
            break;
        case PropertyKind::Collection:
            if (stream::Collection* c = p.collection(mutableObject)) {
                std::vector<CollectionItem> items;
                for (int i = 0; i < c->Count(); ++i) {
                    CollectionItem item;
                    PersistentToProperties(c->Item(i), QString(), item.properties);
                    items.push_back(std::move(item));
                }
                out.push_back(Property{name, Value::Collection(std::move(items)), {}});
            }
            break;
        case PropertyKind::Reference:
            if (const Component* c = p.getReference(object); c && !c->StreamName().isEmpty())
                out.push_back(Property{name, Value::Ident(c->StreamName()), {}});
            break;
        case PropertyKind::Strings: {
            Value v = p.get(object);
            if (!v.AsList().empty()) out.push_back(Property{name + QLatin1String(".Strings"), std::move(v), {}});
            break;
        }
        default: {
            Value v = p.get(object);
            if (p.defaultValue && v == *p.defaultValue) break;
            out.push_back(Property{name, std::move(v), {}});
        }
        }
    }
    WritingFiler filer(prefix, out);
    mutableObject.DefineProperties(filer);
}

ObjectData ComponentToObjectData(const Component& root) {
    ObjectData data;
    data.className = root.StreamClassName();
    data.name = root.StreamName();
    PersistentToProperties(root, QString(), data.properties);
    root.GetStreamChildren([&](const Component& child) { data.children.push_back(ComponentToObjectData(child)); });
    return data;
}

QByteArray WriteComponent(const Component& root) { return WriteObjectBinary(ComponentToObjectData(root)); }

std::unique_ptr<Component> ReadComponent(const ObjectData& data, const ReadOptions& options) {
    const ClassRegistry& registry = options.registry ? *options.registry : ClassRegistry::Global();
    std::unique_ptr<Component> root = registry.Create(data.className);
    if (!root)
        throw StreamError(StreamErrorKind::UnknownClass, QStringLiteral("Class %1 not found").arg(data.className), data.pos);
    root->BeginLoading();
    ObjectReader reader(options, true);
    reader.NoteRead(*root);
    reader.ReadInto(*root, data);
    reader.Finish();
    return root;
}

void ReadComponentInto(Component& root, const ObjectData& data, const ReadOptions& options) {
    root.BeginLoading();
    ObjectReader reader(options, true);
    reader.NoteRead(root);
    reader.ReadInto(root, data);
    reader.Finish();
}

std::unique_ptr<Component> ReadComponent(const QByteArray& bytes, const ReadOptions& options) {
    switch (DetectFormat(bytes)) {
    case StreamFormat::Binary: return ReadComponent(ReadObjectBinary(bytes), options);
    case StreamFormat::Text: return ReadComponent(ParseObjectText(bytes), options);
    case StreamFormat::Unknown: break;
    }
    throw StreamError(StreamErrorKind::BadSignature, QStringLiteral("Invalid stream format"), SourcePos::AtOffset(0));
}

void ReadProperties(Persistent& object, const std::vector<Property>& properties, const ReadOptions& options) {
    ObjectReader reader(options, false);
    reader.ApplyProperties(object, properties, QString());
}

}  // namespace stream
