#include "platform/db/field_def.h"

#include "platform/db/db_error.h"

#include <QSet>

namespace db {

namespace {
struct TypeName {
    FieldType type;
    const char* name;
};
const TypeName kTypeNames[] = {
    {FieldType::ftString, "Alpha"},      {FieldType::ftSmallint, "Short"},
    {FieldType::ftInteger, "Long"},      {FieldType::ftAutoInc, "AutoInc"},
    {FieldType::ftFloat, "Number"},      {FieldType::ftCurrency, "Money"},
    {FieldType::ftBCD, "BCD"},           {FieldType::ftDate, "Date"},
    {FieldType::ftTime, "Time"},         {FieldType::ftDateTime, "Timestamp"},
    {FieldType::ftBoolean, "Logical"},   {FieldType::ftBytes, "Bytes"},
    {FieldType::ftMemo, "Memo"},         {FieldType::ftFmtMemo, "FmtMemo"},
    {FieldType::ftGraphic, "Graphic"},   {FieldType::ftBlob, "Binary"},
};
}  // namespace

QString FieldTypeName(FieldType type) {
    for (const auto& t : kTypeNames) {
        if (t.type == type) return QString::fromLatin1(t.name);
    }
    return QStringLiteral("Unknown");
}

FieldType FieldTypeFromName(const QString& name) {
    for (const auto& t : kTypeNames) {
        if (name == QLatin1String(t.name)) return t.type;
    }
    return FieldType::ftUnknown;
}

bool IsBlobType(FieldType type) {
    return type == FieldType::ftMemo || type == FieldType::ftFmtMemo || type == FieldType::ftGraphic ||
           type == FieldType::ftBlob;
}

bool IsTextType(FieldType type) {
    return type == FieldType::ftString || type == FieldType::ftMemo || type == FieldType::ftFmtMemo;
}

bool IsIntegerType(FieldType type) {
    return type == FieldType::ftSmallint || type == FieldType::ftInteger || type == FieldType::ftAutoInc ||
           type == FieldType::ftBoolean;
}

QStringList IndexDef::FieldList() const {
    QStringList list;
    for (const QString& f : Fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) list << f.trimmed();
    return list;
}

int TableDef::FieldIndex(const QString& name) const {
    for (size_t i = 0; i < Fields.size(); ++i) {
        if (Fields[i].Name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    }
    return -1;
}

const IndexDef* TableDef::PrimaryIndex() const {
    for (const auto& ix : Indexes) {
        if (ix.Options.testFlag(IndexOption::ixPrimary)) return &ix;
    }
    return nullptr;
}

const IndexDef* TableDef::FindIndex(const QString& name) const {
    for (const auto& ix : Indexes) {
        if (!ix.Options.testFlag(IndexOption::ixPrimary) && ix.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &ix;
    }
    return nullptr;
}

void TableDef::Validate() const {
    auto fail = [](const QString& why) { Raise(ErrorCode::kInvalidDefinition, why); };
    if (Fields.empty()) fail(QStringLiteral("A table needs at least one field."));
    QSet<QString> names;
    for (const auto& f : Fields) {
        const QString key = f.Name.toCaseFolded();
        if (f.Name.trimmed().isEmpty()) fail(QStringLiteral("A field name is blank."));
        if (f.Name.startsWith(QLatin1Char('_')) && f.Name.compare(QLatin1String("_rowid_"), Qt::CaseInsensitive) == 0)
            fail(QStringLiteral("Field name %1 is reserved.").arg(f.Name));
        if (f.Name.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0 ||
            f.Name.compare(QLatin1String("oid"), Qt::CaseInsensitive) == 0)
            fail(QStringLiteral("Field name %1 is reserved.").arg(f.Name));
        if (names.contains(key)) fail(QStringLiteral("Field name %1 is used twice.").arg(f.Name));
        names.insert(key);
        switch (f.DataType) {
        case FieldType::ftUnknown:
            fail(QStringLiteral("Field %1 has no type.").arg(f.Name));
            break;
        case FieldType::ftString:
            if (f.Size < 1 || f.Size > 255) fail(QStringLiteral("Field %1: size %2 is not 1 to 255.").arg(f.Name).arg(f.Size));
            break;
        case FieldType::ftBytes:
            if (f.Size < 1 || f.Size > 1024) fail(QStringLiteral("Field %1: size %2 is not 1 to 1024.").arg(f.Name).arg(f.Size));
            break;
        case FieldType::ftMemo:
        case FieldType::ftFmtMemo:
        case FieldType::ftGraphic:
        case FieldType::ftBlob:
            if (f.Size < 0 || f.Size > 1024) fail(QStringLiteral("Field %1: size %2 is not 0 to 1024.").arg(f.Name).arg(f.Size));
            break;
        case FieldType::ftBCD:
            if (f.Size < 0 || f.Size > 32) fail(QStringLiteral("Field %1: size %2 is not 0 to 32.").arg(f.Name).arg(f.Size));
            break;
        default:
            break;
        }
    }
    QSet<QString> indexNames;
    int primaries = 0;
    for (const auto& ix : Indexes) {
        const QStringList fields = ix.FieldList();
        if (fields.isEmpty()) fail(QStringLiteral("Index %1 has no fields.").arg(ix.Name));
        for (const QString& f : fields) {
            const int at = FieldIndex(f);
            if (at < 0) fail(QStringLiteral("Index %1: field %2 does not exist.").arg(ix.Name, f));
            if (IsBlobType(Fields[size_t(at)].DataType))
                fail(QStringLiteral("Index %1: field %2 cannot be indexed.").arg(ix.Name, f));
        }
        if (ix.Options.testFlag(IndexOption::ixPrimary)) {
            ++primaries;
            for (int i = 0; i < fields.size(); ++i) {
                if (FieldIndex(fields[i]) != i)
                    fail(QStringLiteral("The primary index must run over the leading fields."));
            }
        } else {
            if (ix.Name.trimmed().isEmpty()) fail(QStringLiteral("A secondary index needs a name."));
            const QString key = ix.Name.toCaseFolded();
            if (indexNames.contains(key)) fail(QStringLiteral("Index name %1 is used twice.").arg(ix.Name));
            indexNames.insert(key);
        }
    }
    if (primaries > 1) fail(QStringLiteral("A table has at most one primary index."));
}

}  // namespace db
