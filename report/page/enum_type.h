#pragma once

#include <QString>
#include <QStringList>

#include <initializer_list>

namespace report {

/// The type information of an enumerated type of the report library: its name and its
/// value names in ordinal order. Templates store enumerated properties by value name, so
/// the names and their order are part of the template format.
struct EnumType {
    QString name;        ///< "TppUnitType"
    QStringList values;  ///< value i has ordinal i
};

/// Builds an EnumType from the text of an enumerator list ("utScreenPixels, utInches").
EnumType MakeEnumType(const char* name, const char* enumerators);

/// The enumerated type of that name (case-insensitive) among the registered ones; null when
/// none. The types of report_types.h are registered from the start; other areas add theirs
/// with RegisterEnumType when they start.
const EnumType* FindEnumType(const QString& name);
/// Registers (or replaces) a type under its name. The reference must stay valid.
void RegisterEnumType(const EnumType& type);

}  // namespace report

/// Declares `enum class Type { values }` together with `EnumTypeOf(Type)`, its type
/// information, so that the value names can never drift from the enumerators.
#define DOSSARA_REPORT_ENUM(Type, ...)                                                 \
    enum class Type { __VA_ARGS__ };                                                   \
    inline const report::EnumType& EnumTypeOf(Type) {                                  \
        static const report::EnumType type = report::MakeEnumType(#Type, #__VA_ARGS__); \
        return type;                                                                   \
    }
