#pragma once

#include "platform/db/field_def.h"

#include <QString>
#include <QStringList>

struct TViewDef;

namespace core {

// Layouts of the product's own tables. Field types: alpha N = text of N characters;
// integer = 32-bit signed; small integer = 16-bit signed; memo and graphic are BLOBs.
//
// Database folder:
//   Registry.DB      settings table (core/settings_store.h)
//   Hierarchy.DB     NodeID integer (key), ParentNodeID integer (0 for a root), NodeName
//                    alpha 100, NodeType small integer (View index), Properties memo,
//                    Timestamp date-time; secondary index "ParentNodeName" on
//                    ParentNodeID;NodeName (case-sensitive, not unique), the explorer's order
//   HierarchyDict.db word table of the index over NodeName (no reverse field, no inline
//                    set fields)
//   tsTable.db       TableName alpha 60, TableAlias alpha 60 (report data dictionary)
//   tsField.db       TableName, FieldName, FieldAlias alpha 60, Selectable, Searchable,
//                    Sortable alpha 1, DataType alpha 60, AutoSearch, Mandatory alpha 1
//   tsFolder.db      FolderId autoincrement (key), Name alpha 60, ParentId integer (0 top
//                    level): the report explorer's folders
//   tsItem.DB        ItemId autoincrement (key), FolderId integer (-2 recycle bin), Name
//                    alpha 60, ItemType integer (1 report, 2 code module, 3 data module),
//                    Size integer, Modified and Deleted date-time, Template BLOB: the
//                    report explorer's items and their template streams
//   <View table>     NodeID integer (key), TimeSTamp date-time, Note, SearchTerms,
//                    CrossReference memo, then one column per View field; its word table
//                    is "<View table>Dict"
// Library folder:
//   IconLib.DB       ID integer (key), Name alpha 20, SmallImage graphic, LargeImage graphic
//   MaskLib.db       ID integer (key), Name alpha 30, Mask alpha 30, Sample alpha 50
//   MacroLib.db      ID integer (key), Shortcut integer, Type small integer, Text memo
//   TemplateLib.db   ID integer (key), Name alpha 30 (secondary index "Name", case-
//                    insensitive), Icon graphic, Description memo, Path alpha 255

inline const QString kHierarchyTable = QStringLiteral("Hierarchy.DB");
inline const QString kHierarchyDictTable = QStringLiteral("HierarchyDict.db");
inline const QString kTsTableTable = QStringLiteral("tsTable.db");
inline const QString kTsFieldTable = QStringLiteral("tsField.db");
inline const QString kTsFolderTable = QStringLiteral("tsFolder.db");
inline const QString kTsItemTable = QStringLiteral("tsItem.DB");
inline const QString kIconLibTable = QStringLiteral("IconLib.DB");
inline const QString kMaskLibTable = QStringLiteral("MaskLib.db");
inline const QString kMacroLibTable = QStringLiteral("MacroLib.db");
inline const QString kTemplateLibTable = QStringLiteral("TemplateLib.db");

/// Hierarchy.DB's secondary index: a branch's children in title order.
inline const QString kHierarchyParentIndex = QStringLiteral("ParentNodeName");
inline const QString kHierarchyParentIndexFields = QStringLiteral("ParentNodeID;NodeName");

/// Lowest NodeID ever handed out.
inline constexpr int kFirstNodeID = 1000;
/// Tag of the Hierarchy.DB table component (the View tables carry their View index).
inline constexpr int kHierarchyTag = 999;

db::TableDef HierarchyTableDef();
/// Gives a Hierarchy.DB made without it (older databases) its index on ParentNodeID;NodeName;
/// the table must not be open in this process. Answers whether the table has the index
/// afterwards. Never raises: a table that cannot be changed (read-only folder, open in
/// another program, missing) is left as it is, and ordering on those fields still works
/// without the index, by scanning.
bool AddHierarchyParentIndex(const QString& folder);
db::TableDef TsTableTableDef();
db::TableDef TsFieldTableDef();
db::TableDef TsFolderTableDef();
db::TableDef TsItemTableDef();
db::TableDef IconLibTableDef();
db::TableDef MaskLibTableDef();
db::TableDef MacroLibTableDef();
db::TableDef TemplateLibTableDef();

/// The engine field type of a View field's type letter: B logical, D date, F number,
/// N long integer, R short integer, anything else (S included) alpha.
db::FieldType FieldTypeOfLetter(QChar letter);
/// The table of a View: the fixed columns and one per field (fields marked for deletion
/// left out). A View table name without an extension is stored as "<name>.DB".
db::TableDef ViewTableDef(const TViewDef& view);
/// The table file name of a View (DataTableName, with ".DB" when it has no extension) and
/// of its word table.
QString ViewTableFile(const QString& dataTableName);
QString ViewDictTableFile(const QString& dataTableName);

/// Creates the tables every database folder holds (settings, hierarchy and its empty word
/// index, report dictionary, the report explorer's folders and items). Raises the table layer's error when one exists.
void CreateDatabaseTables(const QString& folder);
/// Creates the four library tables, empty.
void CreateLibraryTables(const QString& folder);

/// Builds (or rebuilds) the word index of a record table keyed by NodeID over the given
/// fields, with the layout of every word table of a database: records numbered from 0, no
/// reverse field, no inline set fields, no intermediate commits. The word table must not be
/// open elsewhere in this process.
void BuildWordIndex(const QString& folder, const QString& tableFile, const QString& dictFile,
                    const QStringList& fieldNames);
/// The names of a table definition's alpha, memo and formatted-memo fields.
QStringList TextFieldNames(const db::TableDef& def);

/// What makes table file `file` of `folder` unfit to stand for `def`: a sentence naming the
/// table and the field (a missing file, a field of the definition it lacks or holds with
/// another type, a field the definition does not have), or empty when its fields are the
/// definition's (in any order; alpha sizes are not compared), or when the file cannot be
/// read (opening it then gives the engine's reason). Fields named in `mayAlsoHave` may be there or not. Never raises.
QString TableFieldsProblem(const QString& folder, const QString& file, const db::TableDef& def,
                           const QStringList& mayAlsoHave = {});
/// The same for word table `dictFile` of record table `tableFile`: it must have a word
/// table's fields and index only text fields of the record table (as its stored index
/// settings name them), so a word table of another table is refused. Never raises.
QString WordTableProblem(const QString& folder, const QString& dictFile, const QString& tableFile);

}  // namespace core
