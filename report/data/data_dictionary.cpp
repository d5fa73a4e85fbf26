#include "report/data/data_dictionary.h"

#include "report/data/data_texts.h"
#include "report/data/session.h"
#include "report/model/data_pipeline.h"
#include "report/model/pipeline_field.h"
#include "report/model/report_utils.h"
#include "report/model/text_layout.h"
#include "report/page/resource_manager.h"

#include "platform/stream/property_table.h"

#include <exception>

namespace {

/// Assigned and open, or opened now without raising.
bool isUsable(TppDataPipeline* aPipeline) {
    if (!aPipeline) return false;
    if (aPipeline->Active()) return true;
    try {
        aPipeline->Open();
    } catch (const std::exception&) {
        return false;
    }
    return aPipeline->Active();
}

bool sameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

constexpr int kLocateIgnoreCase = 1;

}  // namespace

bool ppValueIsTrue(const QVariant& aValue) {
    if (aValue.typeId() != QMetaType::QString) return false;
    const QString text = aValue.toString();
    return !text.isEmpty() && (text.at(0) == u'T' || text.at(0) == u't');
}

TppDataType daDataTypeOfName(const QString& aName, TppDataType aDefault) {
    if (aName.isEmpty()) return aDefault;
    const int ordinal = ppEnumNameToOrdinal(EnumTypeOf(TppDataType{}), aName);
    return ordinal >= 0 ? TppDataType(ordinal) : aDefault;
}

// Field-name objects -----------------------------------------------------------------------------

TppTableFieldNames::TppTableFieldNames(TppDataDictionary* aDataDictionary) : m_dataDictionary(aDataDictionary) {}

void TppTableFieldNames::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppTableFieldNames*>(Source);
    if (!s) return TPersistent::Assign(Source);
    m_tableName = s->m_tableName;
    m_tableAlias = s->m_tableAlias;
}

const stream::PropertyList& TppTableFieldNames::StreamProperties() const {
    using T = TppTableFieldNames;
    static const auto table = stream::PropertyTable<T>()
        .String("TableAlias", &T::TableAlias, &T::SetTableAlias, "TableAlias")
        .String("TableName", &T::TableName, &T::SetTableName, "TableName");
    return table;
}

TppFieldFieldNames::TppFieldFieldNames(TppDataDictionary* aDataDictionary) : m_dataDictionary(aDataDictionary) {}

void TppFieldFieldNames::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppFieldFieldNames*>(Source);
    if (!s) return TPersistent::Assign(Source);
    m_autoSearch = s->m_autoSearch;
    m_dataType = s->m_dataType;
    m_fieldAlias = s->m_fieldAlias;
    m_fieldName = s->m_fieldName;
    m_mandatory = s->m_mandatory;
    m_searchable = s->m_searchable;
    m_selectable = s->m_selectable;
    m_sortable = s->m_sortable;
    m_tableName = s->m_tableName;
}

const stream::PropertyList& TppFieldFieldNames::StreamProperties() const {
    using T = TppFieldFieldNames;
    static const auto table = stream::PropertyTable<T>()
        .String("AutoSearch", &T::AutoSearch, &T::SetAutoSearch, "AutoSearch")
        .String("DataType", &T::DataType, &T::SetDataType, "DataType")
        .String("FieldAlias", &T::FieldAlias, &T::SetFieldAlias, "FieldAlias")
        .String("FieldName", &T::FieldName, &T::SetFieldName, "FieldName")
        .String("Mandatory", &T::Mandatory, &T::SetMandatory, "Mandatory")
        .String("Searchable", &T::Searchable, &T::SetSearchable, "Searchable")
        .String("Selectable", &T::Selectable, &T::SetSelectable, "Selectable")
        .String("Sortable", &T::Sortable, &T::SetSortable, "Sortable")
        .String("TableName", &T::TableName, &T::SetTableName, "TableName");
    return table;
}

TppJoinFieldNames::TppJoinFieldNames(TppDataDictionary* aDataDictionary) : m_dataDictionary(aDataDictionary) {}

void TppJoinFieldNames::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppJoinFieldNames*>(Source);
    if (!s) return TPersistent::Assign(Source);
    m_tableName1 = s->m_tableName1;
    m_tableName2 = s->m_tableName2;
    m_joinType = s->m_joinType;
    m_fieldNames1 = s->m_fieldNames1;
    m_fieldNames2 = s->m_fieldNames2;
    m_operators = s->m_operators;
}

const stream::PropertyList& TppJoinFieldNames::StreamProperties() const {
    using T = TppJoinFieldNames;
    static const auto table = stream::PropertyTable<T>()
        .String("FieldNames1", &T::FieldNames1, &T::SetFieldNames1, "FieldNames1")
        .String("FieldNames2", &T::FieldNames2, &T::SetFieldNames2, "FieldNames2")
        .String("JoinType", &T::JoinType, &T::SetJoinType, "JoinType")
        .String("Operators", &T::Operators, &T::SetOperators, "Operators")
        .String("TableName1", &T::TableName1, &T::SetTableName1, "TableName1")
        .String("TableName2", &T::TableName2, &T::SetTableName2, "TableName2");
    return table;
}

// TppDataDictionary ------------------------------------------------------------------------------

TppDataDictionary::TppDataDictionary(TComponent* AOwner)
    : TppCommunicator(AOwner),
      m_builderSettings(std::make_unique<TppBasicDataSettings>(this)),
      m_fieldFieldNames(std::make_unique<TppFieldFieldNames>(this)),
      m_joinFieldNames(std::make_unique<TppJoinFieldNames>(this)),
      m_tableFieldNames(std::make_unique<TppTableFieldNames>(this)) {}

TppDataDictionary::~TppDataDictionary() {
    SetComponentState(csDestroying, true);
    freeFields();
}

void TppDataDictionary::SetBuilderSettings(TppBasicDataSettings* aValue) {
    if (aValue) m_builderSettings->Assign(aValue);
}
void TppDataDictionary::SetFieldFieldNames(TppFieldFieldNames* aValue) {
    if (aValue) m_fieldFieldNames->Assign(aValue);
}
void TppDataDictionary::SetJoinFieldNames(TppJoinFieldNames* aValue) {
    if (aValue) m_joinFieldNames->Assign(aValue);
}
void TppDataDictionary::SetTableFieldNames(TppTableFieldNames* aValue) {
    if (aValue) m_tableFieldNames->Assign(aValue);
}

void TppDataDictionary::setPipeline(QPointer<TppDataPipeline>& aLink, TppDataPipeline* aValue) {
    if (aLink == aValue) return;
    if (aLink) aLink->RemoveNotify(this);
    aLink = aValue;
    if (aLink) aLink->AddNotify(this);
}

void TppDataDictionary::SetFieldPipeline(TppDataPipeline* aValue) { setPipeline(m_fieldPipeline, aValue); }
void TppDataDictionary::SetTablePipeline(TppDataPipeline* aValue) { setPipeline(m_tablePipeline, aValue); }

void TppDataDictionary::SetJoinPipeline(TppDataPipeline* aValue) {
    setPipeline(m_joinPipeline, aValue);
    if (!HasState(csReading | csLoading)) m_autoJoin = m_joinPipeline != nullptr;
}

void TppDataDictionary::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    if (aOperation == ppopRemove) {
        for (QPointer<TppDataPipeline>* link : {&m_fieldPipeline, &m_joinPipeline, &m_tablePipeline})
            if (*link == aCommunicator) *link = nullptr;
    }
    TppCommunicator::Notify(aCommunicator, aOperation);
}

// Tables -----------------------------------------------------------------------------------------

void TppDataDictionary::GetTableNames(QStringList& aNames, QStringList& aAliases) {
    aNames.clear();
    TppDataPipeline* p = m_tablePipeline;
    if (!isUsable(p)) return;
    p->First();
    while (!p->GetEOF()) {
        aNames.append(p->GetFieldAsString(m_tableFieldNames->TableName()));
        aAliases.append(p->GetFieldAsString(m_tableFieldNames->TableAlias()));
        p->Next();
    }
}

QString TppDataDictionary::GetTableAlias(const QString& aTableName) {
    TppDataPipeline* p = m_tablePipeline;
    if (!isUsable(p)) return {};
    p->First();
    if (!p->Locate(m_tableFieldNames->TableName(), aTableName, kLocateIgnoreCase)) return {};
    return p->GetFieldAsString(m_tableFieldNames->TableAlias());
}

void TppDataDictionary::SetTableName(const QString& aTableName) {
    if (aTableName == m_tableName) return;
    freeFields();
    QString name = aTableName;
    if (!m_useTableOwnerName) {
        QString table, owner;
        bool file = false;
        ppParseTableName(aTableName, table, owner, file);
        name = file ? aTableName : table;  // a table file keeps its extension
    }
    m_tableName = name;
    m_tableAlias = GetTableAlias(m_tableName);
}

// Fields -----------------------------------------------------------------------------------------

void TppDataDictionary::freeFields() {
    while (!m_fields.empty()) m_fields.pop_back();
    m_fieldsLoaded = false;
}

void TppDataDictionary::LoadFields() {
    m_fieldsLoaded = true;
    TppDataPipeline* tables = m_tablePipeline;
    if (!isUsable(tables)) return;
    tables->First();
    if (!tables->Locate(m_tableFieldNames->TableName(), m_tableName, kLocateIgnoreCase)) return;
    TppDataPipeline* p = m_fieldPipeline;
    if (!isUsable(p)) return;
    const TppFieldFieldNames& names = *m_fieldFieldNames;
    p->First();
    if (!p->Locate(names.TableName(), m_tableName, kLocateIgnoreCase)) return;
    while (!p->GetEOF() && sameText(p->GetFieldAsString(names.TableName()), m_tableName)) {
        auto field = std::make_unique<TppField>();
        field->SetTableAlias(m_tableAlias);
        field->SetTableName(m_tableName);
        field->SetFieldName(p->GetFieldAsString(names.FieldName()));
        field->SetFieldAlias(p->GetFieldAsString(names.FieldAlias()));
        field->SetSelectable(ppValueIsTrue(p->GetFieldValue(names.Selectable())));
        field->SetSearchable(ppValueIsTrue(p->GetFieldValue(names.Searchable())));
        field->SetSortable(ppValueIsTrue(p->GetFieldValue(names.Sortable())));
        field->SetMandatory(ppValueIsTrue(p->GetFieldValue(names.Mandatory())));
        field->SetAutoSearch(ppValueIsTrue(p->GetFieldValue(names.AutoSearch())));
        const QVariant type = p->GetFieldValue(names.DataType());
        if (!type.isNull()) field->SetDataType(daDataTypeOfName(type.toString(), field->DataType()));
        const QString key = m_tableName.toUpper() + field->FieldName().toUpper();
        m_fields.push_back({key, std::move(field)});
        p->Next();
    }
}

int TppDataDictionary::GetFieldCount() {
    if (!m_fieldsLoaded) LoadFields();
    return int(m_fields.size());
}

TppField* TppDataDictionary::GetField(int aIndex) {
    if (!m_fieldsLoaded) LoadFields();
    return aIndex >= 0 && aIndex < int(m_fields.size()) ? m_fields[size_t(aIndex)].field.get() : nullptr;
}

TppField* TppDataDictionary::GetFieldForName(const QString& aFieldName) {
    if (!m_fieldsLoaded) LoadFields();
    const QString key = m_tableName.toUpper() + aFieldName.toUpper();
    for (const CachedField& f : m_fields)
        if (f.key == key) return f.field.get();
    return nullptr;
}

// Joins ------------------------------------------------------------------------------------------

bool TppDataDictionary::GetJoinInfo(const QString& aTable1, const QString& aTable2, QString& aJoinType,
                                    QStringList& aFields1, QStringList& aFields2, QStringList& aOperators) {
    TppDataPipeline* p = m_joinPipeline;
    if (!isUsable(p)) return false;
    const TppJoinFieldNames& names = *m_joinFieldNames;
    auto find = [&](const QString& first, const QString& second) {
        for (p->First(); !p->GetEOF(); p->Next())
            if (sameText(p->GetFieldAsString(names.TableName1()), first) &&
                sameText(p->GetFieldAsString(names.TableName2()), second))
                return true;
        return false;
    };
    QString fields1, fields2;
    if (find(aTable1, aTable2)) {
        fields1 = p->GetFieldAsString(names.FieldNames1());
        fields2 = p->GetFieldAsString(names.FieldNames2());
    } else if (find(aTable2, aTable1)) {
        fields1 = p->GetFieldAsString(names.FieldNames2());
        fields2 = p->GetFieldAsString(names.FieldNames1());
    } else {
        return false;
    }
    aJoinType = p->GetFieldAsString(names.JoinType());
    ppCommaTextToList(fields1, aFields1);
    ppCommaTextToList(fields2, aFields2);
    ppCommaTextToList(p->GetFieldAsString(names.Operators()), aOperators);
    return true;
}

void TppDataDictionary::GetJoinableTables(const QString& aTable, QStringList& aList) {
    aList.clear();
    TppDataPipeline* p = m_joinPipeline;
    // A closed pipeline answers as an empty one, so it is opened before the emptiness test.
    if (!isUsable(p)) return;
    p->First();
    if (p->GetBOF() && p->GetEOF()) return;
    const TppJoinFieldNames& names = *m_joinFieldNames;
    auto collect = [&](const QString& keyField, const QString& otherField) {
        p->First();
        if (!p->Locate(keyField, aTable, kLocateIgnoreCase)) return;
        while (!p->GetEOF() && sameText(p->GetFieldAsString(keyField), aTable)) {
            aList.append(p->GetFieldAsString(otherField));
            p->Next();
        }
    };
    collect(names.TableName1(), names.TableName2());
    collect(names.TableName2(), names.TableName1());
}

// Validation -------------------------------------------------------------------------------------

bool TppDataDictionary::CheckPipeline(const QString& aPropertyName, TppDataPipeline* aPipeline) {
    if (!aPipeline) {
        m_errorMessage = report::MessageText(683, {aPropertyName});
        return false;
    }
    if (!aPipeline->Active()) {
        try {
            aPipeline->Open();
        } catch (const std::exception&) {
        }
    }
    if (!aPipeline->Active()) {
        m_errorMessage = report::MessageText(682, {aPropertyName, aPipeline->Name()});
        return false;
    }
    return true;
}

bool TppDataDictionary::CheckFieldNames(const QString& aPropertyName, TppDataPipeline* aPipeline,
                                        const std::vector<std::pair<QString, QString>>& aNames) {
    QStringList present;
    aPipeline->GetFieldNames(present);
    for (const auto& [property, configured] : aNames) {
        if (present.contains(configured, Qt::CaseInsensitive)) continue;
        m_errorMessage = report::MessageText(684, {aPropertyName, property, configured});
        return false;
    }
    return true;
}

bool TppDataDictionary::Validate() {
    report::data::DeclareDataTexts();
    const TppTableFieldNames& t = *m_tableFieldNames;
    if (!CheckPipeline(QStringLiteral("TablePipeline"), m_tablePipeline) ||
        !CheckFieldNames(QStringLiteral("TablePipeline"), m_tablePipeline,
                         {{QStringLiteral("TableName"), t.TableName()}, {QStringLiteral("TableAlias"), t.TableAlias()}}))
        return false;
    const TppFieldFieldNames& f = *m_fieldFieldNames;
    if (!CheckPipeline(QStringLiteral("FieldPipeline"), m_fieldPipeline) ||
        !CheckFieldNames(QStringLiteral("FieldPipeline"), m_fieldPipeline,
                         {{QStringLiteral("AutoSearch"), f.AutoSearch()},
                          {QStringLiteral("DataType"), f.DataType()},
                          {QStringLiteral("FieldAlias"), f.FieldAlias()},
                          {QStringLiteral("FieldName"), f.FieldName()},
                          {QStringLiteral("Mandatory"), f.Mandatory()},
                          {QStringLiteral("Searchable"), f.Searchable()},
                          {QStringLiteral("Selectable"), f.Selectable()},
                          {QStringLiteral("Sortable"), f.Sortable()},
                          {QStringLiteral("TableName"), f.TableName()}}))
        return false;
    if (!m_autoJoin) return true;
    const TppJoinFieldNames& j = *m_joinFieldNames;
    return CheckPipeline(QStringLiteral("JoinPipeline"), m_joinPipeline) &&
           CheckFieldNames(QStringLiteral("JoinPipeline"), m_joinPipeline,
                           {{QStringLiteral("FieldNames1"), j.FieldNames1()},
                            {QStringLiteral("FieldNames2"), j.FieldNames2()},
                            {QStringLiteral("JoinType"), j.JoinType()},
                            {QStringLiteral("Operators"), j.Operators()},
                            {QStringLiteral("TableName1"), j.TableName1()},
                            {QStringLiteral("TableName2"), j.TableName2()}});
}

// Copying and streaming --------------------------------------------------------------------------

void TppDataDictionary::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppDataDictionary*>(Source);
    if (!s) return TPersistent::Assign(Source);
    freeFields();
    m_allowManualJoins = s->m_allowManualJoins;
    m_autoJoin = s->m_autoJoin;
    m_builderSettings->Assign(s->m_builderSettings.get());
    m_fieldFieldNames->Assign(s->m_fieldFieldNames.get());
    m_joinFieldNames->Assign(s->m_joinFieldNames.get());
    m_tableFieldNames->Assign(s->m_tableFieldNames.get());
    SetFieldPipeline(s->m_fieldPipeline);
    SetJoinPipeline(s->m_joinPipeline);
    SetTablePipeline(s->m_tablePipeline);
    m_errorMessage.clear();
    m_tableName.clear();
    m_tableAlias.clear();
    m_useTableOwnerName = s->m_useTableOwnerName;
    m_validateFieldNames = s->m_validateFieldNames;
    m_validateTableNames = s->m_validateTableNames;
}

const stream::PropertyList& TppDataDictionary::StreamProperties() const {
    using T = TppDataDictionary;
    static const auto table = stream::PropertyTable<T>(TppCommunicator::StreamProperties())
        .Boolean("AllowManualJoins", &T::AllowManualJoins, &T::SetAllowManualJoins, false)
        .Boolean("AutoJoin", &T::AutoJoin, &T::SetAutoJoin, false)
        .Object("BuilderSettings", [](const T& t) -> const TppBasicDataSettings& { return *t.m_builderSettings; })
        .Object("FieldFieldNames", [](const T& t) -> const TppFieldFieldNames& { return *t.m_fieldFieldNames; })
        .Reference("FieldPipeline", &T::FieldPipeline, &T::SetFieldPipeline)
        .Object("JoinFieldNames", [](const T& t) -> const TppJoinFieldNames& { return *t.m_joinFieldNames; })
        .Reference("JoinPipeline", &T::JoinPipeline, &T::SetJoinPipeline)
        .Object("TableFieldNames", [](const T& t) -> const TppTableFieldNames& { return *t.m_tableFieldNames; })
        .Reference("TablePipeline", &T::TablePipeline, &T::SetTablePipeline)
        .String("UserName", &T::UserName, [](T& t, const QString& v) { t.SetUserName(v); })
        .Boolean("UseTableOwnerName", &T::UseTableOwnerName, &T::SetUseTableOwnerName, false)
        .Boolean("ValidateFieldNames", &T::ValidateFieldNames, &T::SetValidateFieldNames, true)
        .Boolean("ValidateTableNames", &T::ValidateTableNames, &T::SetValidateTableNames, true);
    return table;
}

namespace report::data {

QList<TppDataDictionary*> DataDictionaryCandidates(const TppCommunicator* aCommunicator) {
    QList<TppDataDictionary*> out;
    auto collect = [&out](const QObject* module) {
        if (!module) return;
        for (QObject* child : module->children())
            if (auto* d = qobject_cast<TppDataDictionary*>(child); d && !out.contains(d)) out.append(d);
    };
    if (aCommunicator) collect(aCommunicator->Owner());
    for (QObject* module : DataModules()) collect(module);
    return out;
}

}  // namespace report::data
