#pragma once

#include "platform/base/day_time.h"
#include "platform/db/field_def.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace db {

class Table;

/// One field of an open table, bound to the table's current record. Reading gives the
/// value of the current record (or of the edit buffer while editing or inserting); writing
/// needs the table in edit or insert state (kNotEditing otherwise) and changes the edit
/// buffer only, until Post.
///
/// Values: a null field reads as "" / 0 / 0.0 / false / 0 (day number). Text assigned to an
/// alpha field is cut to its Size and reads back cut; an empty text makes it null. Text
/// assigned to a number field must parse (kInvalidValue otherwise).
class Field {
public:
    Field(Table* table, int index, FieldDef def);

    Table* DataSet() const { return m_table; }
    QString FieldName() const { return m_def.Name; }
    int Index() const { return m_index; }  ///< position in the table, 0-based
    FieldType DataType() const { return m_def.DataType; }
    int Size() const { return m_def.Size; }
    bool Required() const { return m_def.Required; }
    bool IsBlob() const { return IsBlobType(m_def.DataType); }
    const FieldDef& Def() const { return m_def; }

    /// The label shown for the field; the field name until set.
    QString DisplayLabel() const { return m_displayLabel.isEmpty() ? m_def.Name : m_displayLabel; }
    void SetDisplayLabel(const QString& label) { m_displayLabel = label; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    /// False for a read-only field, an autoincrement field, or a table that cannot modify.
    bool CanModify() const;

    bool IsNull() const;
    void Clear();  ///< makes the field null

    QVariant Value() const;  ///< null QVariant for a null field
    void SetValue(const QVariant& value);

    QString AsString() const;
    void SetAsString(const QString& text);
    qint32 AsInteger() const;
    void SetAsInteger(qint32 value);
    double AsFloat() const;
    void SetAsFloat(double value);
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double value) { SetAsFloat(value); }
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    base::DayNumber AsDateTime() const;
    void SetAsDateTime(base::DayNumber days);

    /// BLOB and bytes fields read and written whole.
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray& bytes);
    qint64 BlobSize() const;  ///< bytes of a BLOB (UTF-8 bytes of a memo); 0 when null

    /// Memo as lines: split at "\r\n", "\n" or "\r"; written joined by "\r\n".
    QStringList Lines() const;
    void SetLines(const QStringList& lines);

    /// Copies another field's value (null stays null), converting between kinds.
    void Assign(const Field& source);

private:
    Table* m_table;
    int m_index;
    FieldDef m_def;
    QString m_displayLabel;
    bool m_readOnly = false;
};

}  // namespace db
