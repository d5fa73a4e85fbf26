#pragma once

// The class library's root classes as the report library's objects and its script adapters
// see them. A class is described by its QMetaObject (a "class reference"): its name, its
// ancestors, its published properties (Q_PROPERTY) and its constructors (Q_INVOKABLE).

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>

/// A class reference: the class's meta-object; null for none.
using TClass = const QMetaObject*;

/// A class reference held in a value (a script value, a parameter of `Create`).
struct TClassRef {
    TClass Class = nullptr;
    bool operator==(const TClassRef&) const = default;
};
Q_DECLARE_METATYPE(TClassRef)

/// A method pointer as an event property holds it: the object and the name of its
/// published method (a Q_INVOKABLE or slot). Null when no handler is assigned. Templates
/// store an event by this name.
struct TMethod {
    QPointer<QObject> Data;
    QByteArray Code;
    bool IsNull() const { return Data.isNull() || Code.isEmpty(); }
    bool operator==(const TMethod& o) const { return Data == o.Data && Code == o.Code; }
};
Q_DECLARE_METATYPE(TMethod)

/// A currency amount in ten-thousandths (the class library's 8-byte fixed-point form).
struct TCurrency {
    qint64 TenThousandths = 0;
    bool operator==(const TCurrency&) const = default;
};
Q_DECLARE_METATYPE(TCurrency)

/// The persistent base: an object that can take the content of another (Assign).
class TPersistent : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPersistent(QObject* parent = nullptr);

    /// Copies Source into this object. The base asks Source to assign itself (AssignTo),
    /// which fails with format::EConvertError "Cannot assign a <class> to a <class>" unless
    /// a descendant knows how.
    virtual void Assign(TPersistent* Source);

protected:
    virtual void AssignTo(TPersistent* Dest);
};

/// The component base: an owner (the QObject parent, which frees it), a Name (the object
/// name), a Tag and the component state: csLoading and csReading while a stream is read into
/// the component (until its Loaded), csDestroying while it is being freed.
class TComponent : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    enum ComponentStateFlag { csLoading = 0x1, csReading = 0x2, csDestroying = 0x4, csDesigning = 0x8 };

    Q_INVOKABLE explicit TComponent(TComponent* AOwner = nullptr);

    TComponent* Owner() const;
    QString Name() const { return objectName(); }
    virtual void SetName(const QString& name) { setObjectName(name); }
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    /// The components this one owns, in creation order.
    QList<TComponent*> Components() const;

    int ComponentState() const { return m_state; }
    bool HasState(int flags) const { return (m_state & flags) != 0; }
    void SetComponentState(int flags, bool on) { m_state = on ? (m_state | flags) : (m_state & ~flags); }

private:
    int m_tag = 0;
    int m_state = 0;
};

namespace report {

/// True when `aClass` is `ancestor` or descends from it.
bool InheritsFrom(TClass aClass, TClass ancestor);

/// The class library's class registry: classes found by name (case-insensitive).
void RegisterClass(TClass aClass);
void UnRegisterClass(TClass aClass);
TClass GetClass(const QString& aName);

}  // namespace report
