#pragma once

// The enumerated types scripts know by name, and the system constants (colours, device
// types, Null, nil) that scripts use without declaring them.

#include "report/page/enum_type.h"

#include <QString>

#include <memory>
#include <vector>

class TraValue;

/// One entry of the enumerated-type registry.
struct TraEnumTypeEntry {
    QString Name;
    const report::EnumType* TypeInfo = nullptr;
};

/// The registry, in registration order; created on first use with the language's own types
/// (Boolean first, then the report library's).
std::vector<TraEnumTypeEntry>& GetEnumTypeList();
/// Appends an entry (no duplicate check). The type information must stay valid.
void RegisterEnumType(const QString& aName, const report::EnumType& aTypeInfo);
/// Removes the entry of that name (case-insensitive); nothing when there is none.
void UnregisterEnumType(const QString& aName);
/// The registered type of that name (case-insensitive), or null.
const report::EnumType* FindEnumType(const QString& aName);
/// The value name of an ordinal of a registered type; empty when the type is not registered
/// or the ordinal is out of range.
QString GetEnumValueName(const QString& aTypeName, int aOrdinal);
/// One entry of the value-name index: a value name and the index of its type in the registry.
struct TraEnumValueName {
    QString Name;
    int TypeIndex = 0;
};
/// Every value name of every registered type, in registry order and within a type in ordinal
/// order; rebuilt when the registry changes.
const std::vector<TraEnumValueName>& GetEnumValueNameList();
/// Finds a value name among all registered types, the first registered type winning.
/// Types registered after a lookup are found too (the index is rebuilt when the registry
/// changes). False, an empty type name and -1 when not found.
bool FindEnumValue(const QString& aName, QString& aTypeName, int& aOrdinal);

/// A colour name ("clRed") as its value; false when the name is not a colour.
bool FindColorConstant(const QString& aName, int& aValue);
/// A device type name ("dtPrinter") as its device class name; false when none.
bool FindDeviceTypeConstant(const QString& aName, QString& aValue);
/// A system constant as a new value node: colours give Integer values, device types String
/// values, "Null" a Variant holding Null, "nil" an object value holding no object. Null when
/// the name is none of these.
std::unique_ptr<TraValue> FindSystemConstant(const QString& aName);
/// Whether a name is a system constant.
bool IsSystemConstant(const QString& aName);
