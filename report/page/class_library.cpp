#include "report/page/class_library.h"

#include "platform/format/errors.h"

#include <QHash>

TPersistent::TPersistent(QObject* parent) : QObject(parent) {}

void TPersistent::Assign(TPersistent* Source) {
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    throw format::EConvertError(QStringLiteral("Cannot assign a nil to a %1").arg(QLatin1String(metaObject()->className())),
                                format::kInvalidValue);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    throw format::EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                                    .arg(QLatin1String(metaObject()->className()),
                                         QLatin1String(Dest ? Dest->metaObject()->className() : "nil")),
                                format::kInvalidValue);
}

TComponent::TComponent(TComponent* AOwner) : TPersistent(AOwner) {}

TComponent* TComponent::Owner() const { return qobject_cast<TComponent*>(parent()); }

QList<TComponent*> TComponent::Components() const {
    QList<TComponent*> out;
    for (QObject* child : children())
        if (auto* c = qobject_cast<TComponent*>(child)) out << c;
    return out;
}

namespace report {

bool InheritsFrom(TClass aClass, TClass ancestor) {
    for (TClass c = aClass; c && ancestor; c = c->superClass())
        if (c == ancestor) return true;
    return false;
}

namespace {
QHash<QString, TClass>& classes() {
    static QHash<QString, TClass> registry;
    return registry;
}
}  // namespace

void RegisterClass(TClass aClass) {
    if (aClass) classes().insert(QString::fromLatin1(aClass->className()).toCaseFolded(), aClass);
}

void UnRegisterClass(TClass aClass) {
    if (!aClass) return;
    const QString key = QString::fromLatin1(aClass->className()).toCaseFolded();
    if (classes().value(key) == aClass) classes().remove(key);
}

TClass GetClass(const QString& aName) { return classes().value(aName.toCaseFolded(), nullptr); }

}  // namespace report
