#include "report/page/enum_type.h"

#include "report/page/report_types.h"

#include <QHash>

namespace report {

EnumType MakeEnumType(const char* name, const char* enumerators) {
    EnumType type;
    type.name = QString::fromLatin1(name);
    for (const QString& v : QString::fromLatin1(enumerators).split(QLatin1Char(','), Qt::SkipEmptyParts))
        type.values << v.trimmed();
    return type;
}

namespace {

QHash<QString, const EnumType*>& registry() {
    static QHash<QString, const EnumType*> types = [] {
        QHash<QString, const EnumType*> t;
        for (const EnumType* e : ReportEnumTypes()) t.insert(e->name.toCaseFolded(), e);
        return t;
    }();
    return types;
}

}  // namespace

const EnumType* FindEnumType(const QString& name) { return registry().value(name.toCaseFolded(), nullptr); }

void RegisterEnumType(const EnumType& type) { registry().insert(type.name.toCaseFolded(), &type); }

}  // namespace report
