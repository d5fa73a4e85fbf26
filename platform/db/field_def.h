#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

#include <vector>

namespace db {

/// The kinds of table fields. Stored in the table file by name (FieldTypeName), so the
/// numbering may grow but names never change.
enum class FieldType {
    ftUnknown,
    ftString,    ///< alpha, Size 1..255 characters; "" is stored as null
    ftSmallint,  ///< 16-bit signed
    ftInteger,   ///< 32-bit signed (long integer)
    ftAutoInc,   ///< 32-bit, assigned on insert: highest value so far + 1
    ftFloat,     ///< number (double)
    ftCurrency,  ///< money (double)
    ftBCD,       ///< BCD, kept as a double; Size = digits after the point
    ftDate,      ///< whole day number
    ftTime,      ///< fraction of a day
    ftDateTime,  ///< timestamp: day number with fraction
    ftBoolean,   ///< logical
    ftBytes,     ///< fixed-size bytes, Size 1..1024
    ftMemo,      ///< text BLOB
    ftFmtMemo,   ///< formatted memo (text BLOB)
    ftGraphic,   ///< picture BLOB
    ftBlob,      ///< binary BLOB; Size = inline size declared (0..1024), kept for the definition only
};

QString FieldTypeName(FieldType type);
FieldType FieldTypeFromName(const QString& name);  ///< ftUnknown for an unknown name
bool IsBlobType(FieldType type);   ///< memo, formatted memo, graphic, binary
bool IsTextType(FieldType type);   ///< alpha, memo, formatted memo
bool IsIntegerType(FieldType type);  ///< short, long, autoincrement, logical

/// One field of a table definition.
struct FieldDef {
    QString Name;
    FieldType DataType = FieldType::ftString;
    int Size = 0;  ///< alpha: characters (1..255); bytes: 1..1024; BLOBs: inline size (0..1024); BCD: decimals; others 0
    bool Required = false;

    bool operator==(const FieldDef&) const = default;
};

enum class IndexOption {
    ixPrimary = 0x1,
    ixUnique = 0x2,
    ixDescending = 0x4,
    ixCaseInsensitive = 0x8,
};
Q_DECLARE_FLAGS(IndexOptions, IndexOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(IndexOptions)

/// One index of a table definition. The primary index (at most one) is unique, runs over
/// the leading fields of the table and has an empty name. Fields is ";"-separated.
struct IndexDef {
    QString Name;
    QString Fields;
    IndexOptions Options;

    QStringList FieldList() const;
    bool operator==(const IndexDef&) const = default;
};

/// What is stored inside a table file beside its rows.
struct TableDef {
    std::vector<FieldDef> Fields;
    std::vector<IndexDef> Indexes;

    int FieldIndex(const QString& name) const;  ///< case-insensitive; -1 when missing
    const IndexDef* PrimaryIndex() const;       ///< nullptr for a table without key
    const IndexDef* FindIndex(const QString& name) const;  ///< by name, case-insensitive

    /// Throws EDBEngineError(kInvalidDefinition) naming the first fault: no fields, a blank
    /// or repeated field name, a size out of range, an index over a missing field, a primary
    /// index not over the leading fields, two indexes of one name.
    void Validate() const;

    bool operator==(const TableDef&) const = default;
};

}  // namespace db
