#pragma once

#include "platform/stream/class_registry.h"
#include "platform/stream/persistent.h"
#include "platform/stream/stream_error.h"
#include "platform/stream/value.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace stream {

/// The stored form of a live component tree: its class and name, the published properties
/// that differ from their defaults (in table order, sub-objects as dotted names), then
/// the properties of `DefineProperties`, then the children.
ObjectData ComponentToObjectData(const Component& root);
/// The published and defined properties of a persistent object, names prefixed by `prefix`.
void PersistentToProperties(const Persistent& object, const QString& prefix, std::vector<Property>& out);
/// The binary stream of `root`: signature "TPF0" and the object tree.
QByteArray WriteComponent(const Component& root);

/// What the reader does besides building objects. Every hook is optional.
struct ReadOptions {
    const ClassRegistry* registry = nullptr;  ///< nullptr: ClassRegistry::Global()
    /// Called with each error met while reading properties and objects (unknown property,
    /// wrong value kind, unknown class, unresolved reference). Answer true to skip what
    /// failed and go on; false (or no hook) raises it.
    std::function<bool(const StreamError&)> onError;
    /// Called before a component's name is set; may change the name.
    std::function<void(Component&, QString& name)> onSetName;
    /// Called for every component when it has been read (before `Loaded`).
    std::function<void(Component&)> onComponentRead;
    /// Resolves references to components outside the stream; nullptr when unknown.
    std::function<Component*(const QString& name)> findComponent;
};

/// Builds the component tree of `data`, creating each object by its class name.
/// Raises StreamError (what, which object and property, and where) unless `onError` skips.
std::unique_ptr<Component> ReadComponent(const ObjectData& data, const ReadOptions& options = {});
/// Reads the stored root into the existing `root` (its class name is not checked), and
/// its children by class name.
void ReadComponentInto(Component& root, const ObjectData& data, const ReadOptions& options = {});
/// Binary or text form (told apart by the first bytes).
std::unique_ptr<Component> ReadComponent(const QByteArray& stream, const ReadOptions& options = {});

/// Sets the properties of `object` from stored properties (used for persistent objects
/// that are not components, and by the component reader). References are not allowed
/// here (no components to resolve them against); they raise.
void ReadProperties(Persistent& object, const std::vector<Property>& properties, const ReadOptions& options = {});

}  // namespace stream
