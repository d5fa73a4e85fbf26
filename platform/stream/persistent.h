#pragma once

#include "platform/stream/value.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace stream {

class PropertyList;
class Filer;

/// An object whose properties can be written to and read from a component stream. Its
/// published properties are described by a `PropertyTable` (property_table.h) that the
/// class returns from `StreamProperties`; properties that are not published (data kept in
/// a form of its own) are declared in `DefineProperties`.
class Persistent {
public:
    virtual ~Persistent() = default;

    /// The table of published properties, usually a function-local static.
    virtual const PropertyList& StreamProperties() const = 0;

    /// Declares the properties that are not published, through `filer.DefineProperty` and
    /// `filer.DefineBinaryProperty`. Called once when the object is written and once before
    /// its properties are read. The default declares none.
    virtual void DefineProperties(Filer& filer) { Q_UNUSED(filer); }
};

/// A component: a persistent object with a class name, a component name and streamed
/// children. The object reader creates components by class name through a
/// `ClassRegistry`, sets their properties, hands each child to its parent and, when the
/// whole tree is read and its references resolved, calls `Loaded` on each in reading order.
///
/// States while reading: created → `BeginLoading` → name set, properties read, children
/// adopted → (all components read, references resolved) → `Loaded`.
class Component : public Persistent {
public:
    /// The class name written to the stream and looked up in the registry ("TppLabel").
    virtual QString StreamClassName() const = 0;
    virtual QString StreamName() const = 0;
    virtual void SetStreamName(const QString& name) = 0;

    /// Hands each child to be streamed inside this component to `proc`, in order.
    virtual void GetStreamChildren(const std::function<void(const Component&)>& proc) const { Q_UNUSED(proc); }
    /// Takes a child read from the stream. Answers false when this component does not hold
    /// children of that kind (the child is then freed and the reader reports the error).
    virtual bool AdoptStreamChild(std::unique_ptr<Component>& child) {
        Q_UNUSED(child);
        return false;
    }

    virtual void BeginLoading() {}  ///< created by the reader; nothing read yet
    virtual void Loaded() {}        ///< the whole stream is read and references are resolved
};

/// The items of a collection property. Items are persistent objects owned by the collection.
class Collection {
public:
    virtual ~Collection() = default;
    virtual int Count() const = 0;
    virtual Persistent& Item(int index) = 0;
    virtual Persistent& AddItem() = 0;  ///< appends a new item with default properties
    virtual void ClearItems() = 0;
};

/// Passed to `Persistent::DefineProperties` to declare properties that are not published.
/// Writing: `write` is called when `hasData` is true and its value is stored under `name`.
/// Reading: `read` is called with the stored value when the stream holds `name`.
class Filer {
public:
    using ReadProc = std::function<void(const Value&)>;
    using WriteProc = std::function<Value()>;

    virtual ~Filer() = default;
    virtual bool IsWriting() const = 0;
    virtual void DefineProperty(const QString& name, ReadProc read, WriteProc write, bool hasData) = 0;

    /// A property stored as binary data ("{ ... }" in the text form). `read` receives the
    /// bytes; a stored value that is not binary data raises a wrong-kind error.
    void DefineBinaryProperty(const QString& name, std::function<void(const QByteArray&)> read,
                              std::function<QByteArray()> write, bool hasData);
};

}  // namespace stream
