#pragma once

#include "report/data/data_settings.h"
#include "report/model/communicator.h"
#include "report/model/data_pipeline.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

class TppDataDictionary;
class TppField;

/// True when the value is text whose first character is "T" or "t". Null, empty text and
/// values of any other kind (a logical True included) are not.
bool ppValueIsTrue(const QVariant& aValue);

/// The data type a dictionary's type text names, compared without regard to case
/// ("dtLongInt" is dtLongint); aDefault for an empty text or a name that is none.
TppDataType daDataTypeOfName(const QString& aName, TppDataType aDefault);

/// The field names of the table pipeline: each property names the pipeline's field that
/// holds that column and defaults to its own name. Copies only from its own class.
class TppTableFieldNames : public TPersistent, public stream::Persistent {
    Q_OBJECT
public:
    explicit TppTableFieldNames(TppDataDictionary* aDataDictionary = nullptr);
    TppDataDictionary* DataDictionary() const { return m_dataDictionary; }
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString& v) { m_tableName = v; }
    QString TableAlias() const { return m_tableAlias; }
    void SetTableAlias(const QString& v) { m_tableAlias = v; }
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    QPointer<TppDataDictionary> m_dataDictionary;
    QString m_tableName = QStringLiteral("TableName");
    QString m_tableAlias = QStringLiteral("TableAlias");
};

/// The field names of the field pipeline (one record per field of a table).
class TppFieldFieldNames : public TPersistent, public stream::Persistent {
    Q_OBJECT
public:
    explicit TppFieldFieldNames(TppDataDictionary* aDataDictionary = nullptr);
    TppDataDictionary* DataDictionary() const { return m_dataDictionary; }
    QString AutoSearch() const { return m_autoSearch; }
    void SetAutoSearch(const QString& v) { m_autoSearch = v; }
    QString DataType() const { return m_dataType; }
    void SetDataType(const QString& v) { m_dataType = v; }
    QString FieldAlias() const { return m_fieldAlias; }
    void SetFieldAlias(const QString& v) { m_fieldAlias = v; }
    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& v) { m_fieldName = v; }
    QString Mandatory() const { return m_mandatory; }
    void SetMandatory(const QString& v) { m_mandatory = v; }
    QString Searchable() const { return m_searchable; }
    void SetSearchable(const QString& v) { m_searchable = v; }
    QString Selectable() const { return m_selectable; }
    void SetSelectable(const QString& v) { m_selectable = v; }
    QString Sortable() const { return m_sortable; }
    void SetSortable(const QString& v) { m_sortable = v; }
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString& v) { m_tableName = v; }
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    QPointer<TppDataDictionary> m_dataDictionary;
    QString m_autoSearch = QStringLiteral("AutoSearch");
    QString m_dataType = QStringLiteral("DataType");
    QString m_fieldAlias = QStringLiteral("FieldAlias");
    QString m_fieldName = QStringLiteral("FieldName");
    QString m_mandatory = QStringLiteral("Mandatory");
    QString m_searchable = QStringLiteral("Searchable");
    QString m_selectable = QStringLiteral("Selectable");
    QString m_sortable = QStringLiteral("Sortable");
    QString m_tableName = QStringLiteral("TableName");
};

/// The field names of the join pipeline (one record per join of two tables).
class TppJoinFieldNames : public TPersistent, public stream::Persistent {
    Q_OBJECT
public:
    explicit TppJoinFieldNames(TppDataDictionary* aDataDictionary = nullptr);
    TppDataDictionary* DataDictionary() const { return m_dataDictionary; }
    QString TableName1() const { return m_tableName1; }
    void SetTableName1(const QString& v) { m_tableName1 = v; }
    QString TableName2() const { return m_tableName2; }
    void SetTableName2(const QString& v) { m_tableName2 = v; }
    QString JoinType() const { return m_joinType; }
    void SetJoinType(const QString& v) { m_joinType = v; }
    QString FieldNames1() const { return m_fieldNames1; }
    void SetFieldNames1(const QString& v) { m_fieldNames1 = v; }
    QString FieldNames2() const { return m_fieldNames2; }
    void SetFieldNames2(const QString& v) { m_fieldNames2 = v; }
    QString Operators() const { return m_operators; }
    void SetOperators(const QString& v) { m_operators = v; }
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    QPointer<TppDataDictionary> m_dataDictionary;
    QString m_tableName1 = QStringLiteral("TableName1");
    QString m_tableName2 = QStringLiteral("TableName2");
    QString m_joinType = QStringLiteral("JoinType");
    QString m_fieldNames1 = QStringLiteral("FieldNames1");
    QString m_fieldNames2 = QStringLiteral("FieldNames2");
    QString m_operators = QStringLiteral("Operators");
};

/// The data dictionary: friendly names for end users, read through up to three report
/// pipelines. The table pipeline lists the tables users may see with their aliases; the
/// field pipeline the fields of each table (records of one table consecutive) with alias,
/// data type and the flags Selectable, Searchable, Sortable, AutoSearch and Mandatory; the
/// join pipeline which tables join on which fields. Each column is found by the name its
/// field-name object holds.
///
/// A pipeline is usable when it is assigned and open, or opens without raising (a failure to
/// open is swallowed: the pipeline then counts as not usable).
///
/// State: the current table and its alias, and the field cache of the current table, owned
/// by the dictionary and loaded on first use; selecting another table empties the cache.
class TppDataDictionary : public TppCommunicator {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDataDictionary(TComponent* AOwner = nullptr);
    ~TppDataDictionary() override;

    bool AllowManualJoins() const { return m_allowManualJoins; }
    void SetAllowManualJoins(bool v) { m_allowManualJoins = v; }
    bool AutoJoin() const { return m_autoJoin; }
    void SetAutoJoin(bool v) { m_autoJoin = v; }
    TppBasicDataSettings* BuilderSettings() const { return m_builderSettings.get(); }
    /// Copies the settings.
    void SetBuilderSettings(TppBasicDataSettings* aValue);
    TppFieldFieldNames* FieldFieldNames() const { return m_fieldFieldNames.get(); }
    void SetFieldFieldNames(TppFieldFieldNames* aValue);
    TppJoinFieldNames* JoinFieldNames() const { return m_joinFieldNames.get(); }
    void SetJoinFieldNames(TppJoinFieldNames* aValue);
    TppTableFieldNames* TableFieldNames() const { return m_tableFieldNames.get(); }
    void SetTableFieldNames(TppTableFieldNames* aValue);
    TppDataPipeline* FieldPipeline() const { return m_fieldPipeline; }
    void SetFieldPipeline(TppDataPipeline* aValue);
    TppDataPipeline* JoinPipeline() const { return m_joinPipeline; }
    /// Outside reading and loading, AutoJoin becomes whether a join pipeline is assigned.
    void SetJoinPipeline(TppDataPipeline* aValue);
    TppDataPipeline* TablePipeline() const { return m_tablePipeline; }
    void SetTablePipeline(TppDataPipeline* aValue);
    /// With it off, a table name "owner.table" stands for its table part.
    bool UseTableOwnerName() const { return m_useTableOwnerName; }
    void SetUseTableOwnerName(bool v) { m_useTableOwnerName = v; }
    bool ValidateFieldNames() const { return m_validateFieldNames; }
    void SetValidateFieldNames(bool v) { m_validateFieldNames = v; }
    bool ValidateTableNames() const { return m_validateTableNames; }
    void SetValidateTableNames(bool v) { m_validateTableNames = v; }
    /// The text of the last validation failure.
    QString ErrorMessage() const { return m_errorMessage; }
    QString TableName() const { return m_tableName; }
    QString TableAlias() const { return m_tableAlias; }

    /// Clears aNames, then appends the name and alias of every record of the table pipeline
    /// (callers pass an empty alias list).
    void GetTableNames(QStringList& aNames, QStringList& aAliases);
    /// The alias of the table (found without regard to case); empty when none.
    QString GetTableAlias(const QString& aTableName);
    /// Selects the current table. The same name again keeps the loaded fields; another
    /// frees them. Unless UseTableOwnerName, "owner.table" stands for "table" (a file name
    /// "x.db" stays whole).
    void SetTableName(const QString& aTableName);
    /// The fields of the current table (loaded on first use).
    int GetFieldCount();
    TppField* GetField(int aIndex);
    TppField* GetFieldForName(const QString& aFieldName);
    /// The join of the two tables, recorded in either order: aFields1 are the fields of
    /// aTable1, aFields2 those of aTable2; the operators as recorded. False (lists
    /// untouched) when no join is recorded.
    bool GetJoinInfo(const QString& aTable1, const QString& aTable2, QString& aJoinType, QStringList& aFields1,
                     QStringList& aFields2, QStringList& aOperators);
    /// Clears aList, then the tables recorded as joining aTable: first those where it is the
    /// first table, then those where it is the second.
    void GetJoinableTables(const QString& aTable, QStringList& aList);
    /// Checks that the table pipeline, the field pipeline and (with AutoJoin) the join
    /// pipeline are assigned, open and hold the configured fields; stops at the first
    /// failure, whose text ErrorMessage keeps (texts 682 to 684).
    bool Validate();

    /// From another dictionary only.
    void Assign(TPersistent* Source) override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    struct CachedField {
        QString key;  ///< upper-cased table name followed by the upper-cased field name
        std::unique_ptr<TppField> field;
    };
    void setPipeline(QPointer<TppDataPipeline>& aLink, TppDataPipeline* aValue);
    void freeFields();
    /// Marks the fields loaded, then reads the current table's records of the field pipeline
    /// (none when the table pipeline does not list the table).
    void LoadFields();
    /// Assigned (text 683) and open or opened now (text 682); sets ErrorMessage on failure.
    bool CheckPipeline(const QString& aPropertyName, TppDataPipeline* aPipeline);
    /// Each configured name (property name, field name) among the pipeline's field names,
    /// without regard to case (text 684 for the first missing one).
    bool CheckFieldNames(const QString& aPropertyName, TppDataPipeline* aPipeline,
                         const std::vector<std::pair<QString, QString>>& aNames);

    bool m_allowManualJoins = false;
    bool m_autoJoin = false;
    std::unique_ptr<TppBasicDataSettings> m_builderSettings;
    std::unique_ptr<TppFieldFieldNames> m_fieldFieldNames;
    std::unique_ptr<TppJoinFieldNames> m_joinFieldNames;
    std::unique_ptr<TppTableFieldNames> m_tableFieldNames;
    QPointer<TppDataPipeline> m_fieldPipeline;
    QPointer<TppDataPipeline> m_joinPipeline;
    QPointer<TppDataPipeline> m_tablePipeline;
    bool m_useTableOwnerName = false;
    bool m_validateFieldNames = true;
    bool m_validateTableNames = true;
    QString m_errorMessage;
    QString m_tableName;
    QString m_tableAlias;
    std::vector<CachedField> m_fields;
    bool m_fieldsLoaded = false;
};

namespace report::data {
/// The dictionaries a communicator can refer to: those owned by its owner (its form or
/// data module) and by the application's data modules, in that order.
QList<TppDataDictionary*> DataDictionaryCandidates(const TppCommunicator* aCommunicator);
}  // namespace report::data
