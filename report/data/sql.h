#pragma once

// The query model: the tables of a query with their joins, the select list, calculated
// fields, search criteria, GROUP BY and ORDER BY, kept as children of a TdaSQL in the
// report tree and written as SQL text in the dialect of the database type.

#include "report/data/data_dictionary.h"
#include "report/data/session.h"
#include "report/model/relative.h"
#include "report/page/report_types.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TdaSQL;
class TppField;

DOSSARA_REPORT_ENUM(TdaJoinType, dajtNone, dajtInner, dajtOuter, dajtLeftOuter, dajtRightOuter)
DOSSARA_REPORT_ENUM(TdaJoinOperatorType, dajoEqual, dajoNotEqual, dajoGreaterThan, dajoGreaterThanOrEqualTo,
                    dajoLessThan, dajoLessThanOrEqualTo)
DOSSARA_REPORT_ENUM(TdaCalcType, dacaAvg, dacaCount, dacaMax, dacaMin, dacaSum, dacaExpression, dacaUnknown)
DOSSARA_REPORT_ENUM(TdaCriteriaType, dacrField, dacrOR, dacrNOT, dacrBegin, dacrEnd)
DOSSARA_REPORT_ENUM(TdaCriteriaOperatorType, dacoEqual, dacoNotEqual, dacoLessThan, dacoLessThanOrEqualTo,
                    dacoGreaterThan, dacoGreaterThanOrEqualTo, dacoLike, dacoNotLike, dacoBetween, dacoNotBetween,
                    dacoInList, dacoNotInList, dacoBlank, dacoNotBlank)

namespace report::data {
/// The kinds of the children of a query (their ChildType).
enum SQLChildType : int {
    kSelectField = 0,
    kGroupByField = 1,
    kOrderByField = 2,
    kJoinLocalField = 3,
    kJoinForeignField = 4,
    kSelectedTable = 5,
    kTableJoin = 6,
    kCriteria = 7,
    kCalcField = 8,
};
}  // namespace report::data

/// The base of the query's children: always streamed as a child; knows its query.
class TdaChild : public TppRelative {
    Q_OBJECT
public:
    explicit TdaChild(TComponent* AOwner = nullptr);
    bool HasParent() const override { return true; }
    /// The parent when it is a query, else the owner when it is one, else the parent's query.
    TdaSQL* SQL() const;
    const stream::PropertyList& StreamProperties() const override;
};

/// A field of the query: selected, grouped, sorted, tested by a criterion or joined. Its table
/// is named by the table's TableName, TableAlias and SQLAlias.
class TdaField : public TdaChild {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaField(TComponent* AOwner = nullptr);

    virtual void Initialize();
    /// "<TableAlias>.<FieldAlias>", then " (Descending)" for a descending ORDER BY entry.
    virtual QString GetDescription() const;
    /// The quoted table SQL alias, ".", the quoted field name; empty when either is empty.
    virtual QString GetSQLName() const;
    /// Copies every property but SelectAll.
    void Assign(TPersistent* Source) override;

    QString Alias() const { return m_alias; }
    void SetAlias(const QString& v) { m_alias = v; }
    bool Ascending() const { return m_ascending; }
    void SetAscending(bool v) { m_ascending = v; }
    bool AutoSearch() const { return m_autoSearch; }
    void SetAutoSearch(bool v) { m_autoSearch = v; }
    TppDataType DataType() const { return m_dataType; }
    void SetDataType(TppDataType v) { m_dataType = v; }
    QString DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString& v) { m_displayFormat = v; }
    QString FieldAlias() const { return m_fieldAlias; }
    void SetFieldAlias(const QString& v) { m_fieldAlias = v; }
    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& v) { m_fieldName = v; }
    bool Mandatory() const { return m_mandatory; }
    void SetMandatory(bool v) { m_mandatory = v; }
    bool Searchable() const { return m_searchable; }
    void SetSearchable(bool v) { m_searchable = v; }
    bool Selectable() const { return m_selectable; }
    void SetSelectable(bool v) { m_selectable = v; }
    bool Sortable() const { return m_sortable; }
    void SetSortable(bool v) { m_sortable = v; }
    bool SelectAll() const { return m_selectAll; }
    void SetSelectAll(bool v) { m_selectAll = v; }
    QString SQLFieldName() const { return m_sqlFieldName; }
    void SetSQLFieldName(const QString& v) { m_sqlFieldName = v; }
    QString TableAlias() const { return m_tableAlias; }
    void SetTableAlias(const QString& v) { m_tableAlias = v; }
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString& v) { m_tableName = v; }
    QString TableSQLAlias() const { return m_tableSQLAlias; }
    void SetTableSQLAlias(const QString& v) { m_tableSQLAlias = v; }

    const stream::PropertyList& StreamProperties() const override;

protected:
    /// " (Descending)" for a descending ORDER BY entry, else empty.
    QString sortText() const;

private:
    QString m_alias;
    bool m_ascending = true;
    bool m_autoSearch = false;
    TppDataType m_dataType = TppDataType::dtString;
    QString m_displayFormat;
    QString m_fieldAlias;
    QString m_fieldName;
    bool m_mandatory = false;
    bool m_searchable = true;
    bool m_selectable = true;
    bool m_sortable = true;
    bool m_selectAll = false;
    QString m_sqlFieldName;
    QString m_tableAlias;
    QString m_tableName;
    QString m_tableSQLAlias;
};

/// A calculated field: an aggregate of a field, COUNT(*) or an expression.
class TdaCalculation : public TdaField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaCalculation(TComponent* AOwner = nullptr);

    void Initialize() override;
    QString GetDescription() const override;
    QString GetSQLName() const override;
    void Assign(TPersistent* Source) override;

    TdaCalcType CalcType() const { return m_calcType; }
    /// Outside loading, tells the query (OnCalcTypeChange).
    void SetCalcType(TdaCalcType v);
    QString Expression() const { return m_expression; }
    void SetExpression(const QString& v) { m_expression = v; }
    /// The alias a new calculation takes: "Count(*)", the expression, or
    /// "<function name>(<FieldAlias>)".
    QString DefaultAlias() const;

    std::function<void(TdaCalculation*)> OnCalcTypeChange;

    const stream::PropertyList& StreamProperties() const override;

private:
    TdaCalcType m_calcType = TdaCalcType::dacaSum;
    QString m_expression;
};

/// The name of a calculation's function (texts 729, 740, 787, 788, 832, 759; empty for
/// dacaUnknown).
QString daCalcTypeName(TdaCalcType aCalcType);

/// One join condition of a table: its local field, an operator and the foreign field.
class TdaTableJoin : public TdaChild {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaTableJoin(TComponent* AOwner = nullptr);
    ~TdaTableJoin() override;

    TdaJoinOperatorType Operator() const { return m_operator; }
    void SetOperator(TdaJoinOperatorType v) { m_operator = v; }
    TdaField* LocalField() const { return m_localField; }
    TdaField* ForeignField() const { return m_foreignField; }

    /// A field child of ChildType 3 or 4 replaces (and frees) the local or foreign field.
    void AddChild(TppRelative* aChild) override;
    int IndexOfChild(const TppRelative* aChild) const override;
    int RemoveChild(TppRelative* aChild) override;
    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    /// Copies the operator and fresh copies of both fields.
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TdaJoinOperatorType m_operator = TdaJoinOperatorType::dajoEqual;
    TdaField* m_localField = nullptr;    ///< a child; freed with the join
    TdaField* m_foreignField = nullptr;  ///< a child; freed with the join
};

/// A selected table: its name (and owner), aliases, how it joins the tables before it.
class TdaTable : public TdaChild {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaTable(TComponent* AOwner = nullptr);
    ~TdaTable() override;

    QString JoinTable() const { return m_joinTable; }
    void SetJoinTable(const QString& v) { m_joinTable = v; }
    QString Alias() const { return m_alias; }
    void SetAlias(const QString& v) { m_alias = v; }
    QString TableAlias() const { return m_tableAlias; }
    void SetTableAlias(const QString& v) { m_tableAlias = v; }
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString& v) { m_tableName = v; }
    QString OwnerName() const { return m_ownerName; }
    void SetOwnerName(const QString& v) { m_ownerName = v; }
    QString SQLAlias() const { return m_sqlAlias; }
    void SetSQLAlias(const QString& v) { m_sqlAlias = v; }
    TdaJoinType JoinType() const { return m_joinType; }
    void SetJoinType(TdaJoinType v) { m_joinType = v; }
    bool Joinable() const { return m_joinable; }
    void SetJoinable(bool v) { m_joinable = v; }
    QStringList JoinableTables() const { return m_joinableTables; }
    void SetJoinableTables(const QStringList& v) { m_joinableTables = v; }

    /// "<OwnerName>.<TableName>", or TableName without an owner.
    QString FullName() const;
    /// Splits with ppParseTableName: a file table keeps its extension and has no owner.
    void SetFullName(const QString& aName);
    /// The quoted owner, ".", the quoted table name; or the quoted table name.
    QString GetSQLName() const;
    /// The table as the FROM clause names it, with its SQL alias.
    QString GetFromText() const;
    /// The join words of this table's join type in the query's dialect.
    QString GetJoinKeyword() const;

    int JoinCount() const { return int(m_joins.size()); }
    TdaTableJoin* Joins(int aIndex) const { return m_joins.at(size_t(aIndex)); }

    void AddChild(TppRelative* aChild) override;
    void InsertChild(int aIndex, TppRelative* aChild) override;
    int IndexOfChild(const TppRelative* aChild) const override;
    int RemoveChild(TppRelative* aChild) override;
    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    void Assign(TPersistent* Source) override;
    void Loaded() override;
    const stream::PropertyList& StreamProperties() const override;

private:
    QString m_joinTable;
    QString m_alias;
    QString m_tableAlias;
    QString m_tableName;
    QString m_ownerName;
    QString m_sqlAlias;
    TdaJoinType m_joinType = TdaJoinType::dajtInner;
    bool m_joinable = true;
    QStringList m_joinableTables;
    std::vector<TdaTableJoin*> m_joins;  ///< children of ChildType 6
};

/// One number of a criterion's values (a date as a day number).
class TdaNumericValue : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaNumericValue(TComponent* AOwner = nullptr);
    double Value() const { return m_value; }
    void SetValue(double v) { m_value = v; }
    const stream::PropertyList& StreamProperties() const override;

private:
    double m_value = 0;
};

/// One item of the WHERE conditions: a test of a field, or OR, NOT, "(" or ")".
///
/// The values of a criterion on a number or date field are also kept as numbers, so that a
/// stored report reads the same under another locale: after loading, the text is written
/// again from the numbers in the current locale. A value that does not read as its field's
/// type keeps its text and stores no number (ValuesValid answers false).
class TdaCriteria : public TdaChild {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaCriteria(TComponent* AOwner = nullptr);
    ~TdaCriteria() override;

    bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool v) { m_caseSensitive = v; }
    TdaCriteriaType CriteriaType() const { return m_criteriaType; }
    void SetCriteriaType(TdaCriteriaType v) { m_criteriaType = v; }
    int Level() const { return m_level; }
    void SetLevel(int v) { m_level = v; }
    TdaCriteriaOperatorType Operator() const { return m_operator; }
    void SetOperator(TdaCriteriaOperatorType v) { m_operator = v; }
    bool ShowAllValues() const { return m_showAllValues; }
    void SetShowAllValues(bool v) { m_showAllValues = v; }
    QString Value() const;
    void SetValue(const QString& v);
    TdaField* Field() const { return m_field; }

    int NumericValueCount() const;
    double NumericValues(int aIndex) const;
    /// True unless an item of the value does not read as the field's type.
    bool ValuesValid() const;
    /// The first item of the value that does not read as the field's type; empty when none.
    QString InvalidValue() const;
    /// True when the field's type keeps its values as numbers (numeric and date types).
    bool KeepsNumbers() const;

    /// "<field description> <operator name> <Value>", or the name of OR, NOT, begin, end.
    QString GetDescription() const;

    void AddChild(TppRelative* aChild) override;
    int IndexOfChild(const TppRelative* aChild) const override;
    int RemoveChild(TppRelative* aChild) override;
    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    void Assign(TPersistent* Source) override;
    void Loaded() override;
    const stream::PropertyList& StreamProperties() const override;

private:
    void updateNumericValues() const;
    void freeNumericValues() const;

    bool m_caseSensitive = true;
    TdaCriteriaType m_criteriaType = TdaCriteriaType::dacrField;
    int m_level = 0;
    TdaCriteriaOperatorType m_operator = TdaCriteriaOperatorType::dacoEqual;
    bool m_showAllValues = false;
    QString m_value;
    TdaField* m_field = nullptr;  ///< a child; freed with the criterion
    mutable std::vector<TdaNumericValue*> m_numericValues;  ///< children
    mutable bool m_valuesChanged = false;
    mutable QString m_invalidValue;
};

/// The name of a criteria operator ("=", ..., text 785 "Like", ...).
QString daCriteriaOperatorName(TdaCriteriaOperatorType aOperator);
/// The name of a join type (empty for dajtNone, then texts 773, 765, 784, 815).
QString daJoinTypeName(TdaJoinType aJoinType);
/// "=", "<>", ">", ">=", "<", "<=".
QString daJoinOperatorName(TdaJoinOperatorType aOperator);

/// The query behind a query data view. It owns its children in one list per kind (select
/// fields, GROUP BY, ORDER BY, selected tables, criteria, calculated fields), tracks changes
/// (Modified) and writes its SQL text on demand.
///
/// States of the SQL text: current (the stored lines are returned: after loading, after
/// generation, after typed text was applied) or out of date (any change through the child
/// operations, SQLType, SetSession or SetDataDictionary; the next read generates it, or with
/// EditSQLAsText keeps the typed text).
class TdaSQL : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaSQL(TComponent* AOwner = nullptr);
    ~TdaSQL() override;

    // ---- published ----
    QString DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString& v) { m_databaseName = v; }
    TppDatabaseType DatabaseType() const { return m_databaseType; }
    void SetDatabaseType(TppDatabaseType v) { m_databaseType = v; }
    QString DataPipelineName() const { return m_dataPipelineName; }
    void SetDataPipelineName(const QString& v) { m_dataPipelineName = v; }
    QString Description() const { return m_description; }
    void SetDescription(const QString& v) { m_description = v; }
    bool Distinct() const { return m_distinct; }
    void SetDistinct(bool v);
    bool EditSQLAsText() const { return m_editSQLAsText; }
    /// Turning it on outside loading keeps the current text and clears the visual model.
    void SetEditSQLAsText(bool v);
    bool GroupByFieldsSynced() const { return m_groupByFieldsSynced; }
    void SetGroupByFieldsSynced(bool v) { m_groupByFieldsSynced = v; }
    /// The SQL text: stored while loading or current; otherwise generated first.
    QStringList SQLText();
    /// While loading only stores the lines; otherwise makes the query typed text.
    void SetSQLText(const QStringList& aLines);
    TppSQLType SQLType() const { return m_sqlType; }
    void SetSQLType(TppSQLType v);

    // ---- state ----
    bool AllowSelfJoins() const { return m_allowSelfJoins; }
    void SetAllowSelfJoins(bool v) { m_allowSelfJoins = v; }
    TppDataDictionary* DataDictionary() const { return m_dataDictionary; }
    void SetDataDictionary(TppDataDictionary* aValue);
    TdaSession* Session() const { return m_session; }
    void SetSession(TdaSession* aValue);
    TClass DataSetClass() const { return m_dataSetClass; }
    int FieldOrder() const { return m_fieldOrder; }
    int LineWidth() const { return m_lineWidth; }
    void SetLineWidth(int v) { m_lineWidth = v; }
    bool Modified() const { return m_modified; }
    void SetModified(bool v) { m_modified = v; }
    /// Marks the SQL text out of date.
    void InvalidateAll();
    /// With a session and dtOther: the session's type of DatabaseName (Modified when it changes).
    void UpdateDatabaseType();
    /// Modified and the text out of date, unless loading, reading, destroying or assigning.
    void DoChange();
    /// Moves a child inside the list of its kind.
    void MoveChild(TppRelative* aChild, int aFromIndex, int aToIndex);
    /// Empties the text and frees every child.
    void ClearAll();

    // ---- child lists ----
    int SelectFieldCount() const { return int(m_selectFields.size()); }
    TdaField* SelectFields(int aIndex) const;
    int GroupByFieldCount() const { return int(m_groupByFields.size()); }
    TdaField* GroupByFields(int aIndex) const;
    int OrderByFieldCount() const { return int(m_orderByFields.size()); }
    TdaField* OrderByFields(int aIndex) const;
    int SelectedTableCount() const { return int(m_selectedTables.size()); }
    TdaTable* SelectedTables(int aIndex) const;
    int CriteriaCount() const { return int(m_criteria.size()); }
    TdaCriteria* Criteria(int aIndex) const;
    int CalcFieldCount() const { return int(m_calcFields.size()); }
    TdaCalculation* CalcFields(int aIndex) const;

    // ---- SQL text (written for DatabaseType and SQLType) ----
    /// Clears the text, fires event 51, writes the clauses, fires event 52.
    void GenerateSQLText();
    // Dialect tests: InterBase, Paradox, DBISAM and unknown types take the general rules.
    bool IsAdvantage() const { return m_databaseType == TppDatabaseType::dtAdvantage; }
    bool IsMSAccess() const { return m_databaseType == TppDatabaseType::dtMSAccess; }
    bool IsMSSQLServer() const { return m_databaseType == TppDatabaseType::dtMSSQLServer; }
    bool IsSybaseASE() const { return m_databaseType == TppDatabaseType::dtSybaseASE; }
    bool IsSybaseASA() const { return m_databaseType == TppDatabaseType::dtSybaseASA; }
    bool IsOracle() const { return m_databaseType == TppDatabaseType::dtOracle; }
    /// The name as SQL writes it: quoted when it is not a plain identifier or is reserved.
    QString QuoteIdentifier(const QString& aName) const;
    /// The criterion's condition piece; false (nothing written) for a skipped one.
    bool BuildCriteriaSQL(const TdaCriteria* aCriteria, TdaCriteriaType aPreviousType, QString& aText) const;
    /// One value of a criterion as an SQL literal; empty when it does not read as the
    /// field's type.
    void FormatCriteriaValue(const QString& aValue, const TdaCriteria* aCriteria, QString& aText) const;
    /// The first criterion whose value does not read as its field's type, with the field's
    /// description and the value; false when every value reads.
    bool FindInvalidCriteriaValue(QString& aField, QString& aValue) const;

    // ---- relative tree ----
    void AddChild(TppRelative* aChild) override;
    void InsertChild(int aIndex, TppRelative* aChild) override;
    int IndexOfChild(const TppRelative* aChild) const override;
    int RemoveChild(TppRelative* aChild) override;
    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void Assign(TPersistent* Source) override;
    void Loaded() override;
    const stream::PropertyList& StreamProperties() const override;

    // ---- editing ----
    /// The correlation name of a table about to be selected: its full name when the
    /// dictionary keeps owner names, else its base name (a file table without extension);
    /// every character but ASCII letters, digits and "_" and a leading digit become "_";
    /// "_TABLE" is appended while the session reports a reserved word; "_2", "_3", ... make it
    /// unique among the selected tables.
    QString MakeSQLAlias(const QString& aTableName) const;
    /// The selected table of that SQL alias (case-insensitive); null when none.
    TdaTable* FindSelectedTable(const QString& aSQLAlias) const;

    /// Frees the children that name the table's SQL alias (the table is leaving).
    void TableFreeing(const TdaTable* aTable);

    // ---- available lists (rebuilt on first read after they were marked out of date) ----
    /// The tables that can be selected, sorted by alias; owned by the model.
    const QList<TdaTable*>& AvailableTables();
    /// AvailableTables without the selected ones (without AllowSelfJoins).
    const QList<TdaTable*>& UnselectedTables();
    /// The fields of the selected tables, in FieldOrder; owned by the model.
    const QList<TdaField*>& AvailableFields();
    /// Selectable available fields that are not selected.
    const QList<TdaField*>& AvailableSelectFields();
    /// Searchable available fields.
    const QList<TdaField*>& AvailableCriteriaFields();
    /// Selectable available fields that are not in GROUP BY.
    const QList<TdaField*>& AvailableGroupByFields();
    /// Sortable available fields and (but for Advantage) the calculated fields, minus ORDER BY.
    const QList<TdaField*>& AvailableOrderByFields();
    /// Marks AvailableFields and the four field lists out of date.
    void InvalidateFieldLists();
    /// Whether a list above is current (false: the next read rebuilds it), so that a window
    /// showing it knows when to show it again.
    bool AvailableTablesCurrent() const { return m_availableTablesCurrent; }
    bool AvailableFieldsCurrent() const { return m_availableFieldsCurrent; }
    bool CriteriaListCurrent() const { return m_criteriaListCurrent && m_availableFieldsCurrent; }
    bool GroupByListCurrent() const { return m_groupByListCurrent && m_availableFieldsCurrent; }
    bool OrderByListCurrent() const { return m_orderByListCurrent && m_availableFieldsCurrent; }
    /// 1: table order; any other value: sorted by FieldAlias.
    void SetFieldOrder(int aFieldOrder);
    /// The descriptions of the available fields of a numeric type, with the fields.
    void GetSelectableFieldNames(TdaNameList& aList);
    /// The descriptions of the available criteria fields but BLOBs and graphics, with the fields.
    void GetCriteriaFieldNames(TdaNameList& aList);

    // ---- tables ----
    /// No dictionary, its AutoJoin off, or its AllowManualJoins on.
    bool IsManualJoinAllowed() const;
    /// A dictionary with AutoJoin on and AllowManualJoins off.
    bool IsAutoJoinOnly() const;
    void BuildAvailableTables();
    void GetDictionaryTables(std::vector<std::unique_ptr<TdaTable>>& aList);
    void GetDatabaseTables(std::vector<std::unique_ptr<TdaTable>>& aList);
    void LoadTableJoinInfo();
    void UpdateJoinableTables();
    /// The index in AvailableTables of the full name (any case); -1 when absent.
    int IndexOfAvailableTable(const QString& aFullName);
    /// The index of the selected table a newly chosen one joins to; -1 for none.
    int GetJoinTargetIndex(TdaTable* aAvailableTable);
    /// Selects entry aIndex of UnselectedTables, joined to selected table aJoinTo (or -1).
    /// Null when it ended without a join (nothing changes then).
    TdaTable* SelectTable(int aIndex, int aJoinTo);
    void JoinTables(TdaTable* aExisting, TdaTable* aNew);
    void AutoJoinFromDictionary(TdaTable* aExisting, TdaTable* aNew);
    void JoinOnCommonFieldNames(TdaTable* aExisting, TdaTable* aNew);
    /// A join of aTable to aOther: aOther's field, the operator, aTable's field.
    void AddJoin(TdaTable* aTable, TdaTable* aOther, const QString& aOtherField, TdaJoinOperatorType aOperator,
                 const QString& aTableField);
    /// Shows the join dialog for the joins of the table of aSQLAlias to that of aJoinToAlias;
    /// true when it was confirmed.
    bool EditTableJoin(const QString& aJoinToAlias, const QString& aSQLAlias);
    /// Deselects selected table aIndex with the tables joined to it; the available entry given
    /// back (null when none).
    TdaTable* DeselectTable(int aIndex);
    /// Frees the table and, first, every table whose first join refers to it; true when any
    /// such table went.
    bool RemoveTable(TdaTable* aTable);
    /// The alias of the available table of that full name (any case); empty when none.
    QString GetAvailableTableAlias(const QString& aTableName);
    /// The alias, made unique among the selected tables with " (2)", " (3)", ...
    QString MakeTableAlias(TdaTable* aAvailableTable);

    // ---- fields ----
    void BuildAvailableFields();
    /// Appends new fields (owned by the caller) of the table to aList.
    void BuildTableFields(TdaTable* aTable, std::vector<std::unique_ptr<TdaField>>& aList);
    /// A new field (owned by the caller) of the table by name; null when not found.
    std::unique_ptr<TdaField> CreateFieldForTable(TdaTable* aTable, const QString& aFieldName);
    /// The names (or aliases) of the table's fields with the new fields (owned by aFields).
    void GetTableFieldNames(TdaTable* aTable, QStringList& aNames, std::vector<std::unique_ptr<TdaField>>& aFields);
    void GetTableFieldAliases(TdaTable* aTable, QStringList& aAliases,
                              std::vector<std::unique_ptr<TdaField>>& aFields);
    std::unique_ptr<TdaField> CreateFieldFromDataSetField(TppField* aDataSetField);
    static void CopyFieldDefinition(TppField* aDataSetField, TdaField* aField);
    static void CopyToPipelineField(TdaField* aField, TppField* aPipelineField);
    /// Opens the dataset; on failure says so (texts 839, 840) and frees it.
    bool OpenDataSet(TdaDataSet* aDataSet);

    // ---- selections ----
    TdaField* SelectField(int aIndex);
    TdaField* DeselectField(int aIndex);
    TdaCalculation* AddCalcField(int aIndex);
    TdaField* RemoveCalcField(int aIndex);
    TdaField* AddGroupByField(int aIndex);
    /// Null (nothing changes) for a field that is also selected while aggregates exist.
    TdaField* RemoveGroupByField(int aIndex);
    TdaField* AddOrderByField(int aIndex);
    TdaField* RemoveOrderByField(int aIndex);
    bool HasAggregates() const;
    void CalcTypeChanged(TdaCalculation* aCalculation);
    void SyncGroupByFields();
    void FreeGroupByFields();
    void SyncOrderByCalcFields();
    /// Whether the field's alias was free among the select and calculated fields; with
    /// aRename a taken one becomes "<alias> (2)", ...
    bool MakeFieldAliasUnique(TdaField* aField, bool aRename);

    // ---- criteria ----
    TdaCriteria* AddCriteria(int aIndex);
    TdaCriteria* InsertCriteria(int aPosition, TdaCriteriaType aType);
    bool RemoveCriteria(int aIndex);
    /// aIndexes ascending: "(" before the first, ")" after the last.
    bool AddParentheses(const QList<int>& aIndexes);
    bool RemoveParentheses(const QList<int>& aIndexes);
    void UpdateCriteriaLevels();

    // ---- validation ----
    /// Description (805), pipeline name (712) and the database's reading of the SQL (777).
    bool ValidateSQL();
    bool GetFieldsOfSQLText(const QStringList& aSQLText, std::vector<std::unique_ptr<TppField>>& aFields);
    void BuildFieldsFromSQLText();
    void SetDataSetClass(TClass aClass) { m_dataSetClass = aClass; }

private:
    std::vector<TppRelative*>* listOf(int aChildType);
    const std::vector<TppRelative*>* listOf(int aChildType) const;
    bool quiet() const;
    void writeSQLText();

    QString m_databaseName;
    TppDatabaseType m_databaseType = TppDatabaseType::dtOther;
    QString m_dataPipelineName;
    QString m_description;
    bool m_distinct = false;
    bool m_editSQLAsText = false;
    bool m_groupByFieldsSynced = false;
    QStringList m_sqlText;
    TppSQLType m_sqlType = TppSQLType::sqBDELocal;

    bool m_allowSelfJoins = false;
    QPointer<TppDataDictionary> m_dataDictionary;
    QPointer<TdaSession> m_session;
    TClass m_dataSetClass = nullptr;
    int m_fieldOrder = 1;
    int m_lineWidth = 50;
    bool m_modified = false;
    bool m_assigning = false;
    bool m_sqlTextCurrent = false;

    // One list per child kind; the entries are children (freed with the query).
    std::vector<TppRelative*> m_selectFields, m_groupByFields, m_orderByFields, m_selectedTables, m_criteria,
        m_calcFields;

    // The available entries (owned) and the lists derived from them (references).
    std::vector<std::unique_ptr<TdaTable>> m_availableTableObjects;
    std::vector<std::unique_ptr<TdaField>> m_availableFieldObjects;  ///< table order
    QList<TdaTable*> m_availableTables, m_unselectedTables;
    QList<TdaField*> m_availableFields, m_availableSelectFields, m_availableCriteriaFields,
        m_availableGroupByFields, m_availableOrderByFields;
    bool m_availableTablesCurrent = false, m_unselectedTablesCurrent = false, m_availableFieldsCurrent = false,
         m_selectListCurrent = false, m_criteriaListCurrent = false, m_groupByListCurrent = false,
         m_orderByListCurrent = false;
    bool m_syncingGroupBy = false;
    void orderAvailableFields();
    /// A child of that kind came or went: the lists derived from its kind are out of date.
    void childListsChanged(int aChildType);
    void freeAvailableTables();
};

namespace report::data {
/// Registers the query model's classes for streaming (and its enumerated types). Idempotent.
void RegisterSQLClasses();
void UnRegisterSQLClasses();
}  // namespace report::data
