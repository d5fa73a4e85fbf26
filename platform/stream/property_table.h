#pragma once

#include "platform/stream/persistent.h"
#include "platform/stream/stream_error.h"
#include "platform/stream/value.h"

#include <QByteArray>
#include <QFlags>
#include <QString>
#include <QStringList>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace stream {

/// How a published property is stored.
enum class PropertyKind {
    Integer,     ///< any integral type; the smallest integer value
    Int64,       ///< 64-bit integer; the smallest integer value that holds it
    Boolean,     ///< True / False
    Enum,        ///< an identifier from the property's names (ordinal = index)
    Set,         ///< a set of identifiers from the property's names (bit i = names[i])
    Float,       ///< double or long double; an extended float
    Single,      ///< float; a single float
    Currency,    ///< ten-thousandths (integral getter) or an amount (floating getter)
    Date,        ///< a day number
    String,      ///< QString; ANSI text when every character has an ANSI byte, else wide
    WideString,  ///< QString; always a wide string
    Event,       ///< the name of an event handler; an identifier
    Strings,     ///< QStringList, stored as "<name>.Strings" = list of texts
    Binary,      ///< QByteArray; binary data
    Reference,   ///< a link to another component, stored as its name
    Object,      ///< a persistent sub-object, its properties stored as "<name>.<property>"
    Collection,  ///< a collection of persistent items
};

/// One published property, with its access functions erased to `Persistent`.
struct PropertyInfo {
    QString name;
    PropertyKind kind = PropertyKind::Integer;
    QStringList names;  ///< Enum and Set: the value names in ordinal order

    /// Value kinds: the current value as a stream value / assign a stream value (raises
    /// StreamError WrongValueKind when the value does not fit).
    std::function<Value(const Persistent&)> get;
    std::function<void(Persistent&, const Value&)> set;
    /// Value kinds: not written while the value equals it; none = always written.
    std::optional<Value> defaultValue;
    /// Not written when this answers false; empty = always stored.
    std::function<bool(const Persistent&)> stored;

    std::function<Persistent*(Persistent&)> object;         ///< Object
    std::function<stream::Collection*(Persistent&)> collection;  ///< Collection
    std::function<const Component*(const Persistent&)> getReference;  ///< Reference
    /// Reference: answers false when the component is of the wrong class.
    std::function<bool(Persistent&, Component*)> setReference;
};

/// The published properties of a class, in the order they are written. Built once per
/// class as a `PropertyTable<T>`; this base is what the readers and writers see.
class PropertyList {
public:
    const std::vector<PropertyInfo>& Properties() const { return m_properties; }
    /// Case-insensitive, as the stream's names are.
    const PropertyInfo* Find(const QString& name) const;

protected:
    std::vector<PropertyInfo> m_properties;
};

/// Marks a property without default value: it is always written.
inline constexpr std::nullopt_t kNoDefault = std::nullopt;

/// The published properties of class `T` (derived from `Persistent`), declared one line
/// per property:
///
///     static const stream::PropertyTable<TppLabel> table = stream::PropertyTable<TppLabel>(Base::Table())
///         .Integer("mmLeft", &TppLabel::mmLeft, &TppLabel::SetmmLeft, 0)
///         .String("Caption", &TppLabel::Caption, &TppLabel::SetCaption)
///         .Enum("Alignment", &TppLabel::Alignment, &TppLabel::SetAlignment,
///               {"taLeftJustify", "taRightJustify", "taCenter"}, TppAlignment::taLeftJustify)
///         .Boolean("Visible", &TppLabel::Visible, &TppLabel::SetVisible, true, &TppLabel::IsVisibleStored);
///
/// Getters are anything callable with `const T&` (member functions, lambdas), setters
/// anything callable with `T&` and the value. The default (the value that is not written)
/// may be `kNoDefault` for a property that is always written; the last argument, a
/// predicate on `const T&`, says whether the property is stored at all. A table built
/// from a base class's table starts with the base's properties.
template <class T>
class PropertyTable : public PropertyList {
    static_assert(std::is_base_of_v<Persistent, T>, "streamed classes derive from stream::Persistent");

public:
    using StoredFn = std::function<bool(const T&)>;

    PropertyTable() = default;
    explicit PropertyTable(const PropertyList& inherited) { m_properties = inherited.Properties(); }

    template <class G, class S, class D = qint64>
    PropertyTable& Integer(const QString& name, G get, S set, D def = 0, StoredFn stored = {}) {
        return AddIntegral(name, PropertyKind::Integer, std::move(get), std::move(set), def, std::move(stored));
    }
    template <class G, class S, class D = qint64>
    PropertyTable& Int64(const QString& name, G get, S set, D def = 0, StoredFn stored = {}) {
        return AddIntegral(name, PropertyKind::Int64, std::move(get), std::move(set), def, std::move(stored));
    }

    template <class G, class S, class D = bool>
    PropertyTable& Boolean(const QString& name, G get, S set, D def = false, StoredFn stored = {}) {
        PropertyInfo p = Make(name, PropertyKind::Boolean, std::move(stored));
        p.get = [get](const Persistent& o) { return Value::Boolean(static_cast<bool>(std::invoke(get, Self(o)))); };
        p.set = [set, name](Persistent& o, const Value& v) {
            if (!v.IsBoolean()) throw WrongKind(QStringLiteral("Boolean"), v);
            std::invoke(set, Self(o), v.AsBoolean());
        };
        p.defaultValue = DefaultOf(def, [](auto d) { return Value::Boolean(static_cast<bool>(d)); });
        return Add(std::move(p));
    }

    template <class G, class S, class D = qint64>
    PropertyTable& Enum(const QString& name, G get, S set, QStringList names, D def = 0, StoredFn stored = {}) {
        using R = std::decay_t<std::invoke_result_t<G, const T&>>;
        PropertyInfo p = Make(name, PropertyKind::Enum, std::move(stored));
        p.names = names;
        p.get = [get, names](const Persistent& o) {
            const auto ordinal = static_cast<qint64>(std::invoke(get, Self(o)));
            return Value::Ident(ordinal >= 0 && ordinal < names.size() ? names.at(ordinal) : QString::number(ordinal));
        };
        p.set = [set, names](Persistent& o, const Value& v) {
            if (v.Type() != ValueType::Ident) throw WrongKind(QStringLiteral("Identifier"), v);
            const qsizetype ordinal = IndexOfName(names, v.AsText());
            if (ordinal < 0)
                throw StreamError(StreamErrorKind::WrongValueKind,
                                  QStringLiteral("Invalid property value %1").arg(v.AsText()));
            std::invoke(set, Self(o), static_cast<R>(ordinal));
        };
        p.defaultValue = DefaultOf(def, [names](auto d) {
            const auto ordinal = static_cast<qint64>(d);
            return Value::Ident(ordinal >= 0 && ordinal < names.size() ? names.at(ordinal) : QString());
        });
        return Add(std::move(p));
    }

    /// A set; the getter answers QFlags or an integral bit mask, bit i standing for names[i].
    template <class G, class S, class D = qint64>
    PropertyTable& Set(const QString& name, G get, S set, QStringList names, D def = 0, StoredFn stored = {}) {
        using R = std::decay_t<std::invoke_result_t<G, const T&>>;
        PropertyInfo p = Make(name, PropertyKind::Set, std::move(stored));
        p.names = names;
        p.get = [get, names](const Persistent& o) { return Value::Set(BitsToNames(ToBits(std::invoke(get, Self(o))), names)); };
        p.set = [set, names](Persistent& o, const Value& v) {
            if (v.Type() != ValueType::Set) throw WrongKind(QStringLiteral("Set"), v);
            quint64 bits = 0;
            for (const QString& n : v.AsSet()) {
                const qsizetype i = IndexOfName(names, n);
                if (i < 0 || i >= 64)
                    throw StreamError(StreamErrorKind::WrongValueKind, QStringLiteral("Invalid property value %1").arg(n));
                bits |= quint64(1) << i;
            }
            std::invoke(set, Self(o), FromBits<R>(bits));
        };
        p.defaultValue = DefaultOf(def, [names](auto d) { return Value::Set(BitsToNames(ToBits(d), names)); });
        return Add(std::move(p));
    }

    template <class G, class S, class D = double>
    PropertyTable& Float(const QString& name, G get, S set, D def = 0.0, StoredFn stored = {}) {
        return AddFloat(name, PropertyKind::Float, std::move(get), std::move(set), def, std::move(stored),
                        [](long double d) { return Value::Extended(d); });
    }
    template <class G, class S, class D = double>
    PropertyTable& Single(const QString& name, G get, S set, D def = 0.0, StoredFn stored = {}) {
        return AddFloat(name, PropertyKind::Single, std::move(get), std::move(set), def, std::move(stored),
                        [](long double d) { return Value::Single(static_cast<float>(d)); });
    }
    template <class G, class S, class D = double>
    PropertyTable& Date(const QString& name, G get, S set, D def = 0.0, StoredFn stored = {}) {
        return AddFloat(name, PropertyKind::Date, std::move(get), std::move(set), def, std::move(stored),
                        [](long double d) { return Value::Date(static_cast<double>(d)); });
    }
    /// Currency: an integral getter answers ten-thousandths, a floating one the amount.
    template <class G, class S, class D = qint64>
    PropertyTable& Currency(const QString& name, G get, S set, D def = 0, StoredFn stored = {}) {
        using R = std::decay_t<std::invoke_result_t<G, const T&>>;
        auto toValue = [](auto x) {
            if constexpr (std::is_floating_point_v<decltype(x)>)
                return Value::Currency(std::llround(static_cast<long double>(x) * 10000.0L));
            else
                return Value::Currency(static_cast<qint64>(x));
        };
        PropertyInfo p = Make(name, PropertyKind::Currency, std::move(stored));
        p.get = [get, toValue](const Persistent& o) { return toValue(static_cast<R>(std::invoke(get, Self(o)))); };
        p.set = [set](Persistent& o, const Value& v) {
            if (!v.IsFloat() && !v.IsInteger()) throw WrongKind(QStringLiteral("Number"), v);
            const qint64 raw = v.Type() == ValueType::Currency ? v.AsCurrency()
                                                                : std::llround(v.AsExtended() * 10000.0L);
            if constexpr (std::is_floating_point_v<R>)
                std::invoke(set, Self(o), static_cast<R>(static_cast<long double>(raw) / 10000.0L));
            else
                std::invoke(set, Self(o), static_cast<R>(raw));
        };
        p.defaultValue = DefaultOf(def, [toValue](auto d) { return toValue(static_cast<R>(d)); });
        return Add(std::move(p));
    }

    template <class G, class S, class D = const char*>
    PropertyTable& String(const QString& name, G get, S set, D def = "", StoredFn stored = {}) {
        return AddText(name, PropertyKind::String, std::move(get), std::move(set), def, std::move(stored));
    }
    template <class G, class S, class D = const char*>
    PropertyTable& WideString(const QString& name, G get, S set, D def = "", StoredFn stored = {}) {
        return AddText(name, PropertyKind::WideString, std::move(get), std::move(set), def, std::move(stored));
    }

    /// The name of an event handler; written when not empty.
    template <class G, class S>
    PropertyTable& Event(const QString& name, G get, S set, StoredFn stored = {}) {
        PropertyInfo p = Make(name, PropertyKind::Event, std::move(stored));
        p.get = [get](const Persistent& o) {
            const QString handler = std::invoke(get, Self(o));
            return handler.isEmpty() ? Value::Nil() : Value::Ident(handler);
        };
        p.set = [set](Persistent& o, const Value& v) {
            if (v.Type() != ValueType::Ident && v.Type() != ValueType::Nil)
                throw WrongKind(QStringLiteral("Identifier"), v);
            std::invoke(set, Self(o), v.Type() == ValueType::Nil ? QString() : v.AsText());
        };
        p.defaultValue = Value::Nil();
        return Add(std::move(p));
    }

    /// A list of texts (the lines of a memo, the items of a list); written when not empty.
    template <class G, class S>
    PropertyTable& Strings(const QString& name, G get, S set, StoredFn stored = {}) {
        PropertyInfo p = Make(name, PropertyKind::Strings, std::move(stored));
        p.get = [get](const Persistent& o) {
            std::vector<Value> items;
            for (const QString& s : static_cast<QStringList>(std::invoke(get, Self(o)))) items.push_back(Value::Text(s));
            return Value::List(std::move(items));
        };
        p.set = [set](Persistent& o, const Value& v) {
            if (v.Type() != ValueType::List) throw WrongKind(QStringLiteral("List"), v);
            QStringList lines;
            for (const Value& item : v.AsList()) {
                if (!item.IsText()) throw WrongKind(QStringLiteral("String"), item);
                lines << item.AsText();
            }
            std::invoke(set, Self(o), lines);
        };
        p.defaultValue = Value::List({});
        return Add(std::move(p));
    }

    template <class G, class S>
    PropertyTable& Binary(const QString& name, G get, S set, StoredFn stored = {}) {
        PropertyInfo p = Make(name, PropertyKind::Binary, std::move(stored));
        p.get = [get](const Persistent& o) { return Value::Binary(std::invoke(get, Self(o))); };
        p.set = [set](Persistent& o, const Value& v) {
            if (v.Type() != ValueType::Binary) throw WrongKind(QStringLiteral("Binary data"), v);
            std::invoke(set, Self(o), v.AsBinary());
        };
        p.defaultValue = Value::Binary({});
        return Add(std::move(p));
    }

    /// A link to another component, written as its name when set. The getter answers a
    /// pointer (raw or QPointer) to a class derived from Component; the setter takes that
    /// pointer type. Reading resolves the name once the whole stream is read.
    template <class G, class S>
    PropertyTable& Reference(const QString& name, G get, S set, StoredFn stored = {}) {
        using R = std::decay_t<std::invoke_result_t<G, const T&>>;
        using Target = std::remove_pointer_t<decltype(ToRawPointer(std::declval<R>()))>;
        PropertyInfo p = Make(name, PropertyKind::Reference, std::move(stored));
        p.getReference = [get](const Persistent& o) -> const Component* {
            return ToRawPointer(std::invoke(get, Self(o)));
        };
        p.setReference = [set](Persistent& o, Component* c) {
            auto* target = dynamic_cast<std::remove_const_t<Target>*>(c);
            if (c && !target) return false;
            std::invoke(set, Self(o), target);
            return true;
        };
        return Add(std::move(p));
    }

    /// A persistent sub-object owned by `T`; the getter answers a pointer or reference to it.
    template <class G>
    PropertyTable& Object(const QString& name, G get, StoredFn stored = {}) {
        PropertyInfo p = Make(name, PropertyKind::Object, std::move(stored));
        p.object = [get](Persistent& o) -> Persistent* { return AsPointer(std::invoke(get, Self(o))); };
        return Add(std::move(p));
    }

    /// A collection owned by `T`; the getter answers a pointer or reference to it. Written
    /// also when empty.
    template <class G>
    PropertyTable& Collection(const QString& name, G get, StoredFn stored = {}) {
        PropertyInfo p = Make(name, PropertyKind::Collection, std::move(stored));
        p.collection = [get](Persistent& o) -> stream::Collection* { return AsPointer(std::invoke(get, Self(o))); };
        return Add(std::move(p));
    }

private:
    static const T& Self(const Persistent& o) { return static_cast<const T&>(o); }
    static T& Self(Persistent& o) { return static_cast<T&>(o); }

    // Sub-objects and collections may be answered through const accessors; the reader
    // fills them through the same pointer.
    template <class X>
    static X* AsPointer(const X* x) { return const_cast<X*>(x); }
    template <class X>
    static X* AsPointer(const X& x) { return const_cast<X*>(&x); }
    template <class X>
    static X* ToRawPointer(X* x) { return x; }
    template <class P>
    static auto ToRawPointer(const P& p) -> decltype(p.data()) { return p.data(); }  // QPointer

    static StreamError WrongKind(const QString& expected, const Value& v) {
        return StreamError(StreamErrorKind::WrongValueKind,
                           QStringLiteral("Invalid property value: %1 expected, found %2").arg(expected, ValueTypeName(v.Type())));
    }
    static qsizetype IndexOfName(const QStringList& names, const QString& n) {
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names.at(i).compare(n, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
    template <class X>
    static quint64 ToBits(const X& x) {
        if constexpr (requires { x.toInt(); }) return static_cast<quint64>(static_cast<unsigned>(x.toInt()));
        else return static_cast<quint64>(x);
    }
    template <class R>
    static R FromBits(quint64 bits) {
        if constexpr (requires { R::fromInt(0); }) return R::fromInt(static_cast<typename R::Int>(bits));
        else return static_cast<R>(bits);
    }
    static QStringList BitsToNames(quint64 bits, const QStringList& names) {
        QStringList out;
        for (qsizetype i = 0; i < names.size() && i < 64; ++i)
            if (bits & (quint64(1) << i)) out << names.at(i);
        return out;
    }
    template <class D, class F>
    static std::optional<Value> DefaultOf(const D& def, F make) {
        if constexpr (std::is_same_v<D, std::nullopt_t>) return std::nullopt;
        else return make(def);
    }

    PropertyInfo Make(const QString& name, PropertyKind kind, StoredFn stored) {
        PropertyInfo p;
        p.name = name;
        p.kind = kind;
        if (stored) p.stored = [stored = std::move(stored)](const Persistent& o) { return stored(Self(o)); };
        return p;
    }
    PropertyTable& Add(PropertyInfo p) {
        for (PropertyInfo& existing : m_properties)
            if (existing.name.compare(p.name, Qt::CaseInsensitive) == 0) {  // redeclared by a subclass
                existing = std::move(p);
                return *this;
            }
        m_properties.push_back(std::move(p));
        return *this;
    }

    template <class G, class S, class D>
    PropertyTable& AddIntegral(const QString& name, PropertyKind kind, G get, S set, const D& def, StoredFn stored) {
        using R = std::decay_t<std::invoke_result_t<G, const T&>>;
        PropertyInfo p = Make(name, kind, std::move(stored));
        p.get = [get](const Persistent& o) { return Value::Integer(static_cast<qint64>(std::invoke(get, Self(o)))); };
        p.set = [set](Persistent& o, const Value& v) {
            if (!v.IsInteger()) throw WrongKind(QStringLiteral("Integer"), v);
            const qint64 x = v.AsInteger();
            if constexpr (std::is_integral_v<R> && sizeof(R) < sizeof(qint64)) {
                if (x < static_cast<qint64>(std::numeric_limits<R>::min()) ||
                    x > static_cast<qint64>(std::numeric_limits<R>::max()))
                    throw StreamError(StreamErrorKind::WrongValueKind,
                                      QStringLiteral("Invalid property value: %1 is out of range").arg(x));
            }
            std::invoke(set, Self(o), static_cast<R>(x));
        };
        p.defaultValue = DefaultOf(def, [](auto d) { return Value::Integer(static_cast<qint64>(d)); });
        return Add(std::move(p));
    }

    template <class G, class S, class D, class M>
    PropertyTable& AddFloat(const QString& name, PropertyKind kind, G get, S set, const D& def, StoredFn stored, M make) {
        using R = std::decay_t<std::invoke_result_t<G, const T&>>;
        PropertyInfo p = Make(name, kind, std::move(stored));
        p.get = [get, make](const Persistent& o) { return make(static_cast<long double>(std::invoke(get, Self(o)))); };
        p.set = [set](Persistent& o, const Value& v) {
            if (!v.IsFloat() && !v.IsInteger()) throw WrongKind(QStringLiteral("Number"), v);
            std::invoke(set, Self(o), static_cast<R>(v.AsExtended()));
        };
        p.defaultValue = DefaultOf(def, [make](auto d) { return make(static_cast<long double>(d)); });
        return Add(std::move(p));
    }

    template <class G, class S, class D>
    PropertyTable& AddText(const QString& name, PropertyKind kind, G get, S set, const D& def, StoredFn stored) {
        const bool wide = kind == PropertyKind::WideString;
        auto make = [wide](const QString& s) { return wide ? Value::TextOf(ValueType::WString, s) : Value::Text(s); };
        PropertyInfo p = Make(name, kind, std::move(stored));
        p.get = [get, make](const Persistent& o) { return make(QString(std::invoke(get, Self(o)))); };
        p.set = [set](Persistent& o, const Value& v) {
            if (!v.IsText()) throw WrongKind(QStringLiteral("String"), v);
            std::invoke(set, Self(o), v.AsText());
        };
        p.defaultValue = DefaultOf(def, [make](const auto& d) { return make(QString(d)); });
        return Add(std::move(p));
    }
};

}  // namespace stream
