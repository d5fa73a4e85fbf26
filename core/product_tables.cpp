#include "core/product_tables.h"

#include "core/log.h"
#include "core/settings_store.h"
#include "core/view_def.h"

#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/db/db_error.h"
#include "platform/db/table_utils.h"
#include "platform/stream/value_reader.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace core {

namespace {

using db::FieldType;
using db::IndexOption;

db::IndexDef primaryOn(const QString& fields) { return {QString(), fields, IndexOption::ixPrimary | IndexOption::ixUnique}; }

}  // namespace

db::TableDef HierarchyTableDef() {
    return {{{"NodeID", FieldType::ftInteger, 0, true},
             {"ParentNodeID", FieldType::ftInteger, 0, false},
             {"NodeName", FieldType::ftString, 100, false},
             {"NodeType", FieldType::ftSmallint, 0, false},
             {"Properties", FieldType::ftMemo, 0, false},
             {"Timestamp", FieldType::ftDateTime, 0, false}},
            {primaryOn("NodeID"), {kHierarchyParentIndex, kHierarchyParentIndexFields, {}}}};
}

bool AddHierarchyParentIndex(const QString& folder) {
    try {
        const db::TableDef stored = db::ReadTableDef(folder, kHierarchyTable);
        const QStringList wanted = db::IndexDef{QString(), kHierarchyParentIndexFields, {}}.FieldList();
        for (const db::IndexDef& index : stored.Indexes) {
            const QStringList fields = index.FieldList();
            if (fields.size() == wanted.size() &&
                std::equal(fields.begin(), fields.end(), wanted.begin(),
                           [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }))
                return true;
        }
        db::AddIndexToFile(folder, kHierarchyTable, {kHierarchyParentIndex, kHierarchyParentIndexFields, {}});
        qCInfo(lcCore) << "Hierarchy table of" << folder << "given its index on" << kHierarchyParentIndexFields;
        return true;
    } catch (const std::exception& e) {
        // Read-only folder, table open in another program, ...: the order still works by scan.
        qCInfo(lcCore) << "Hierarchy table of" << folder << "left without its index on" << kHierarchyParentIndexFields
                       << ":" << e.what();
        return false;
    }
}

db::TableDef TsTableTableDef() {
    return {{{"TableName", FieldType::ftString, 60, false}, {"TableAlias", FieldType::ftString, 60, false}}, {}};
}

db::TableDef TsFieldTableDef() {
    return {{{"TableName", FieldType::ftString, 60, false},
             {"FieldName", FieldType::ftString, 60, false},
             {"FieldAlias", FieldType::ftString, 60, false},
             {"Selectable", FieldType::ftString, 1, false},
             {"Searchable", FieldType::ftString, 1, false},
             {"Sortable", FieldType::ftString, 1, false},
             {"DataType", FieldType::ftString, 60, false},
             {"AutoSearch", FieldType::ftString, 1, false},
             {"Mandatory", FieldType::ftString, 1, false}},
            {}};
}

db::TableDef TsFolderTableDef() {
    return {{{"FolderId", FieldType::ftAutoInc, 0, false},
             {"Name", FieldType::ftString, 60, false},
             {"ParentId", FieldType::ftInteger, 0, false}},
            {primaryOn("FolderId")}};
}

db::TableDef TsItemTableDef() {
    return {{{"ItemId", FieldType::ftAutoInc, 0, false},
             {"FolderId", FieldType::ftInteger, 0, false},
             {"Name", FieldType::ftString, 60, false},
             {"ItemType", FieldType::ftInteger, 0, false},
             {"Size", FieldType::ftInteger, 0, false},
             {"Modified", FieldType::ftDateTime, 0, false},
             {"Deleted", FieldType::ftDateTime, 0, false},
             {"Template", FieldType::ftBlob, 0, false}},
            {primaryOn("ItemId")}};
}

db::TableDef IconLibTableDef() {
    return {{{"ID", FieldType::ftInteger, 0, true},
             {"Name", FieldType::ftString, 20, false},
             {"SmallImage", FieldType::ftGraphic, 0, false},
             {"LargeImage", FieldType::ftGraphic, 0, false}},
            {primaryOn("ID")}};
}

db::TableDef MaskLibTableDef() {
    return {{{"ID", FieldType::ftInteger, 0, true},
             {"Name", FieldType::ftString, 30, false},
             {"Mask", FieldType::ftString, 30, false},
             {"Sample", FieldType::ftString, 50, false}},
            {primaryOn("ID")}};
}

db::TableDef MacroLibTableDef() {
    return {{{"ID", FieldType::ftInteger, 0, true},
             {"Shortcut", FieldType::ftInteger, 0, false},
             {"Type", FieldType::ftSmallint, 0, false},
             {"Text", FieldType::ftMemo, 0, false}},
            {primaryOn("ID")}};
}

db::TableDef TemplateLibTableDef() {
    return {{{"ID", FieldType::ftInteger, 0, true},
             {"Name", FieldType::ftString, 30, false},
             {"Icon", FieldType::ftGraphic, 0, false},
             {"Description", FieldType::ftMemo, 0, false},
             {"Path", FieldType::ftString, 255, false}},
            {primaryOn("ID"), {"Name", "Name", IndexOption::ixCaseInsensitive}}};
}

db::FieldType FieldTypeOfLetter(QChar letter) {
    switch (letter.toUpper().unicode()) {
    case u'B': return FieldType::ftBoolean;
    case u'D': return FieldType::ftDate;
    case u'F': return FieldType::ftFloat;
    case u'N': return FieldType::ftInteger;
    case u'R': return FieldType::ftSmallint;
    default: return FieldType::ftString;
    }
}

db::TableDef ViewTableDef(const TViewDef& view) {
    db::TableDef def{{{"NodeID", FieldType::ftInteger, 0, true},
                      {"TimeSTamp", FieldType::ftDateTime, 0, false},
                      {"Note", FieldType::ftMemo, 0, false},
                      {"SearchTerms", FieldType::ftMemo, 0, false},
                      {"CrossReference", FieldType::ftMemo, 0, false}},
                     {primaryOn("NodeID")}};
    for (const TViewFieldDef& f : view.FieldDefs) {
        if (f.MarkedForDelete) continue;
        const FieldType type = FieldTypeOfLetter(f.FieldType);
        def.Fields.push_back({f.FieldName, type, type == FieldType::ftString ? int(f.FieldLength) : 0, false});
    }
    return def;
}

QString ViewTableFile(const QString& dataTableName) {
    return dataTableName.contains(u'.') ? dataTableName : dataTableName + QStringLiteral(".DB");
}

QString ViewDictTableFile(const QString& dataTableName) {
    const int dot = dataTableName.indexOf(u'.');
    return (dot < 0 ? dataTableName : dataTableName.left(dot)) + QStringLiteral("Dict.DB");
}

void CreateDatabaseTables(const QString& folder) {
    CreateSettingsTable(folder);
    db::CreateTableFile(folder, kHierarchyTable, HierarchyTableDef());
    db::CreateTableFile(folder, kTsTableTable, TsTableTableDef());
    db::CreateTableFile(folder, kTsFieldTable, TsFieldTableDef());
    db::CreateTableFile(folder, kTsFolderTable, TsFolderTableDef());
    db::CreateTableFile(folder, kTsItemTable, TsItemTableDef());
    BuildWordIndex(folder, kHierarchyTable, kHierarchyDictTable, {QStringLiteral("NodeName")});
}

void CreateLibraryTables(const QString& folder) {
    db::CreateTableFile(folder, kIconLibTable, IconLibTableDef());
    db::CreateTableFile(folder, kMaskLibTable, MaskLibTableDef());
    db::CreateTableFile(folder, kMacroLibTable, MacroLibTableDef());
    db::CreateTableFile(folder, kTemplateLibTable, TemplateLibTableDef());
}

void BuildWordIndex(const QString& folder, const QString& tableFile, const QString& dictFile,
                    const QStringList& fieldNames) {
    db::Table records;
    records.SetDatabaseName(folder);
    records.SetTableName(tableFile);
    db::Table words;
    words.SetDatabaseName(folder);
    words.SetTableName(dictFile);
    TtsMakeTextTableLink text;
    text.SetTable(&records);
    text.SetFieldNames(fieldNames);
    text.SetIndexFieldName(QStringLiteral("NodeID"));
    TtsMakeWordsTableLink wordsLink;
    wordsLink.SetTable(&words);
    text.OnMinIndex = [](QObject*) { return 0; };
    wordsLink.SetReverseField(false);
    wordsLink.SetBlobFieldSize(0);
    wordsLink.SetBytesFieldSize(0);
    wordsLink.SetCharFieldSize(0);
    wordsLink.SetTransactions(0);
    TtsCache cache;
    TtsMake maker;
    maker.SetTextLink(&text);
    maker.SetWordsLink(&wordsLink);
    maker.SetCache(&cache);
    maker.Execute();
}

QStringList TextFieldNames(const db::TableDef& def) {
    QStringList names;
    for (const db::FieldDef& f : def.Fields)
        if (f.DataType == FieldType::ftString || f.DataType == FieldType::ftMemo || f.DataType == FieldType::ftFmtMemo)
            names << f.Name;
    return names;
}

namespace {

/// The file's stored definition; nullopt with `problem` saying so when the file is missing,
/// nullopt with an empty `problem` when it cannot be read (opening it then tells why).
std::optional<db::TableDef> readDefinition(const QString& folder, const QString& file, QString& problem) {
    if (!QFileInfo::exists(QDir(folder).filePath(file))) {
        problem = QStringLiteral("The table \"%1\" is missing.").arg(file);
        return std::nullopt;
    }
    try {
        return db::ReadTableDef(folder, file);
    } catch (const std::exception&) {
        problem.clear();  // the open that follows reports the engine's error
        return std::nullopt;
    }
}

/// The field names a word table's stored index settings name (the start of the stream its
/// properties row holds: version, a second integer, then the list of field names); nullopt
/// when the row is missing or does not read as such a stream.
std::optional<QStringList> indexedFieldNames(const QString& folder, const QString& dictFile) {
    try {
        db::Table words;
        words.SetDatabaseName(folder);
        words.SetTableName(dictFile);
        words.SetReadOnly(true);
        words.Open();
        db::Field* word = words.FindField(QStringLiteral("tsWord"));
        db::Field* blob = words.FindField(QStringLiteral("tsBlob"));
        if (!word || !blob) return std::nullopt;
        const QString key = TtsWordsTableLink::PropertiesWord().left(word->Size());
        if (!words.Locate(QStringLiteral("tsWord"), {key})) return std::nullopt;
        stream::ValueReader reader(blob->AsBytes());
        reader.ReadInteger();
        reader.ReadInteger();
        QStringList names;
        reader.ReadListBegin();
        while (!reader.EndOfList()) names << reader.ReadString();
        reader.ReadListEnd();
        return names;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

QString TableFieldsProblem(const QString& folder, const QString& file, const db::TableDef& def,
                           const QStringList& mayAlsoHave) {
    QString problem;
    const std::optional<db::TableDef> stored = readDefinition(folder, file, problem);
    if (!stored) return problem;
    for (const db::FieldDef& f : def.Fields) {
        const int at = stored->FieldIndex(f.Name);
        if (at < 0) return QStringLiteral("The table \"%1\" has no field \"%2\".").arg(file, f.Name);
        const db::FieldType type = stored->Fields[size_t(at)].DataType;
        if (type != f.DataType)
            return QStringLiteral("The field \"%1\" of the table \"%2\" is of type %3, not %4.")
                .arg(f.Name, file, db::FieldTypeName(type), db::FieldTypeName(f.DataType));
    }
    for (const db::FieldDef& f : stored->Fields)
        if (def.FieldIndex(f.Name) < 0 && !mayAlsoHave.contains(f.Name, Qt::CaseInsensitive))
            return QStringLiteral("The table \"%1\" has a field \"%2\" that does not belong to it.").arg(file, f.Name);
    return {};
}

QString WordTableProblem(const QString& folder, const QString& dictFile, const QString& tableFile) {
    QString problem;
    const std::optional<db::TableDef> stored = readDefinition(folder, dictFile, problem);
    if (!stored) return problem;
    for (const char* name : {"tsWord", "tsCount", "tsSize", "tsBlob"})
        if (stored->FieldIndex(QString::fromLatin1(name)) < 0)
            return QStringLiteral("The table \"%1\" is not a word table: it has no field \"%2\".")
                .arg(dictFile, QString::fromLatin1(name));
    const std::optional<db::TableDef> records = readDefinition(folder, tableFile, problem);
    if (!records) return problem;
    const std::optional<QStringList> names = indexedFieldNames(folder, dictFile);
    if (!names || names->isEmpty())
        return QStringLiteral("The word table \"%1\" does not say which fields it indexes.").arg(dictFile);
    const QStringList text = TextFieldNames(*records);
    for (const QString& name : *names)
        if (!text.contains(name, Qt::CaseInsensitive))
            return QStringLiteral("The word table \"%1\" indexes a field \"%2\" that the table \"%3\" does not have: "
                                  "it belongs to another table.")
                .arg(dictFile, name, tableFile);
    return {};
}

}  // namespace core
