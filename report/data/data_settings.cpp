#include "report/data/data_settings.h"

#include "report/data/data_dictionary.h"
#include "report/model/communicator.h"

#include "platform/settings/ini_file.h"
#include "platform/stream/property_table.h"

namespace {

using report::data::kDataSettingsSection;

/// The value read, or aDefault when it is no ordinal of the type.
template <class E>
E enumOrDefault(int aValue, E aDefault) {
    return aValue >= 0 && aValue < EnumTypeOf(E{}).values.size() ? E(aValue) : aDefault;
}

}  // namespace

// TppBasicDataSettings ---------------------------------------------------------------------------

TppBasicDataSettings::TppBasicDataSettings(TppCommunicator* aParent)
    : m_sessionType(report::data::kDefaultSessionType), m_parent(aParent) {}

bool TppBasicDataSettings::CanNotify() const {
    return m_parent && m_notify &&
           !m_parent->HasState(TComponent::csReading | TComponent::csLoading | TComponent::csDestroying);
}

void TppBasicDataSettings::DoChange() {
    if (CanNotify() && OnChange) OnChange(this);
}

void TppBasicDataSettings::SetDatabaseName(const QString& aName) {
    m_databaseName = aName;
    DoChange();
}

void TppBasicDataSettings::SetSessionType(const QString& aType) {
    m_sessionType = aType;
    if (!CanNotify()) return;
    m_databaseName.clear();
    DoChange();
}

void TppBasicDataSettings::SaveToIniFile(settings::IniFile& aIniFile) const {
    aIniFile.WriteString(kDataSettingsSection, QStringLiteral("DatabaseName"), m_databaseName);
    aIniFile.WriteString(kDataSettingsSection, QStringLiteral("SessionType"), m_sessionType);
}

void TppBasicDataSettings::LoadFromIniFile(const settings::IniFile& aIniFile) {
    m_databaseName = aIniFile.ReadString(kDataSettingsSection, QStringLiteral("DatabaseName"),
                                         report::data::kDefaultDatabaseName);
    m_sessionType =
        aIniFile.ReadString(kDataSettingsSection, QStringLiteral("SessionType"), report::data::kDefaultSessionType);
}

void TppBasicDataSettings::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppBasicDataSettings*>(Source);
    if (!s) return TPersistent::Assign(Source);
    m_notify = false;
    m_databaseName = s->m_databaseName;
    m_sessionType = s->m_sessionType;
    m_notify = true;
}

const stream::PropertyList& TppBasicDataSettings::StreamProperties() const {
    using T = TppBasicDataSettings;
    static const auto table = stream::PropertyTable<T>()
        .String("DatabaseName", &T::DatabaseName, [](T& t, const QString& v) { t.SetDatabaseName(v); })
        .String("SessionType", &T::SessionType, [](T& t, const QString& v) { t.SetSessionType(v); });
    return table;
}

// TppDataSettings --------------------------------------------------------------------------------

TppDataSettings::TppDataSettings(TppCommunicator* aParent) : TppBasicDataSettings(aParent) {}

void TppDataSettings::SetAllowEditSQL(bool aValue) {
    m_allowEditSQL = aValue;
    DoChange();
}

void TppDataSettings::SetDatabaseType(TppDatabaseType aValue) {
    m_databaseType = aValue;
    DoChange();
}

void TppDataSettings::SetSQLType(TppSQLType aValue) {
    m_sqlType = aValue;
    DoChange();
}

void TppDataSettings::SetUseDataDictionary(bool aValue) {
    m_useDataDictionary = aValue;
    DoChange();
}

void TppDataSettings::SetDataDictionary(TppDataDictionary* aValue) {
    TppCommunicator* parent = Parent();
    if (m_dataDictionary && parent) m_dataDictionary->RemoveNotify(parent);
    m_dataDictionary = aValue;
    if (m_dataDictionary && parent) m_dataDictionary->AddNotify(parent);
}

void TppDataSettings::SetSessionType(const QString& aType) {
    m_sessionType = aType;
    if (CanNotify()) {
        m_databaseName.clear();
        if (aType != report::data::kDefaultSessionType && m_sqlType == TppSQLType::sqBDELocal)
            m_sqlType = TppSQLType::sqSQL1;
    }
    DoChange();
}

void TppDataSettings::SaveToIniFile(settings::IniFile& aIniFile) const {
    TppBasicDataSettings::SaveToIniFile(aIniFile);
    aIniFile.WriteInteger(kDataSettingsSection, QStringLiteral("DatabaseType"), int(m_databaseType));
    aIniFile.WriteInteger(kDataSettingsSection, QStringLiteral("SQLType"), int(m_sqlType));
    aIniFile.WriteBool(kDataSettingsSection, QStringLiteral("AllowEditSQL"), m_allowEditSQL);
    aIniFile.WriteBool(kDataSettingsSection, QStringLiteral("UseDataDictionary"), m_useDataDictionary);
    if (m_dataDictionary)
        aIniFile.WriteString(kDataSettingsSection, QStringLiteral("DataDictionary"), m_dataDictionary->UserName());
}

void TppDataSettings::LoadFromIniFile(const settings::IniFile& aIniFile) { LoadFromIniFile(aIniFile, nullptr); }

void TppDataSettings::LoadFromIniFile(const settings::IniFile& aIniFile, const TppCommunicator* aCommunicator) {
    TppBasicDataSettings::LoadFromIniFile(aIniFile);
    m_databaseType = enumOrDefault(
        aIniFile.ReadInteger(kDataSettingsSection, QStringLiteral("DatabaseType"), int(TppDatabaseType::dtParadox)),
        TppDatabaseType::dtParadox);
    m_sqlType = enumOrDefault(
        aIniFile.ReadInteger(kDataSettingsSection, QStringLiteral("SQLType"), int(TppSQLType::sqBDELocal)),
        TppSQLType::sqBDELocal);
    m_allowEditSQL = aIniFile.ReadBool(kDataSettingsSection, QStringLiteral("AllowEditSQL"), true);
    m_useDataDictionary = aIniFile.ReadBool(kDataSettingsSection, QStringLiteral("UseDataDictionary"), false);
    const QString name = aIniFile.ReadString(kDataSettingsSection, QStringLiteral("DataDictionary"));
    TppDataDictionary* found = nullptr;
    if (!name.isEmpty()) {
        for (TppDataDictionary* d : report::data::DataDictionaryCandidates(aCommunicator))
            if (d->UserName().compare(name, Qt::CaseInsensitive) == 0) {
                found = d;
                break;
            }
    }
    SetDataDictionary(found);
}

void TppDataSettings::Assign(TPersistent* Source) {
    if (auto* s = qobject_cast<TppDataSettings*>(Source)) {
        setNotify(false);
        m_databaseName = s->m_databaseName;
        m_databaseType = s->m_databaseType;
        m_sessionType = s->m_sessionType;
        m_allowEditSQL = s->m_allowEditSQL;
        SetDataDictionary(s->m_dataDictionary);
        m_sqlType = s->m_sqlType;
        m_useDataDictionary = s->m_useDataDictionary;
        setNotify(true);
    } else {
        TppBasicDataSettings::Assign(Source);
    }
    DoChange();
}

const stream::PropertyList& TppDataSettings::StreamProperties() const {
    using T = TppDataSettings;
    static const auto table = stream::PropertyTable<T>(TppBasicDataSettings::StreamProperties())
        .Boolean("AllowEditSQL", &T::AllowEditSQL, &T::SetAllowEditSQL, false)
        .Enum("DatabaseType", &T::DatabaseType, &T::SetDatabaseType, EnumTypeOf(TppDatabaseType{}).values,
              TppDatabaseType::dtOther)
        .Reference("DataDictionary", &T::DataDictionary, &T::SetDataDictionary)
        .Enum("SQLType", &T::SQLType, &T::SetSQLType, EnumTypeOf(TppSQLType{}).values, TppSQLType::sqBDELocal)
        .Boolean("UseDataDictionary", &T::UseDataDictionary, &T::SetUseDataDictionary, false);
    return table;
}
