#include "editor/main_data.h"

#include "core/settings_store.h"
#include "editor/log.h"
#include "platform/base/exception.h"
#include "platform/base/scope_exit.h"
#include "platform/base/text_cut.h"
#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/guards.h"
#include "platform/db/table.h"

#include <QFileInfo>

#include <atomic>

using editor::SettingsRow;

namespace {

QVariantList keyList(int level, const SettingsRow& keys) {
    QVariantList out{keys.Section};
    if (level >= 1) out << keys.Key1;
    if (level >= 2) out << keys.Key2;
    return out;
}

QString uniqueDatabaseName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("TarnwellRegistry%1").arg(++counter);
}

}  // namespace

TMainData::TMainData(QObject* owner) : QObject(owner) {
    setObjectName(QStringLiteral("MainData"));
    Registry = new db::Table(this);
    Registry->setObjectName(QStringLiteral("Registry"));
    Registry->SetIndexFieldNames(QStringLiteral("Section;Key1;Key2;Variable"));
}

TMainData::~TMainData() { CloseTable(); }

void TMainData::OpenTable(const QString& path) {
    CloseTable();
    const QFileInfo info(path);
    m_tableFolder = info.absolutePath();
    m_database = std::make_unique<db::Database>();
    m_database->SetDatabaseName(uniqueDatabaseName());
    m_database->SetDirectory(info.absolutePath());
    {
        base::ScopeFail close([&] { CloseTable(); });
        m_database->Open();
        Registry->SetDatabaseName(m_database->DatabaseName());
        Registry->SetTableName(info.fileName());
        Registry->Open();
        bindFields();
    }
    qCDebug(lcEditor) << "opened" << path;
}

void TMainData::bindFields() {
    static const char* const names[] = {"Section", "Key1", "Key2", "Variable", "Value", "CRC"};
    db::Field** targets[] = {&RegistrySection, &RegistryKey1, &RegistryKey2, &RegistryVariable, &RegistryValue, &RegistryCRC};
    for (int i = 0; i < 6; ++i) {
        db::Field* f = Registry->FindField(QLatin1String(names[i]));
        if (!f) throw base::Exception(QStringLiteral("The table has no field %1.").arg(QLatin1String(names[i])));
        *targets[i] = f;
    }
}

void TMainData::CloseTable() {
    RegistrySection = RegistryKey1 = RegistryKey2 = RegistryVariable = RegistryValue = RegistryCRC = nullptr;
    if (Registry->Active()) Registry->Close();
    if (m_database && m_database->Connected()) m_database->Close();
    m_database.reset();
}

bool TMainData::IsOpen() const { return Registry->Active() && RegistryValue != nullptr; }

QString TMainData::TableFolder() const { return m_tableFolder; }

SettingsRow TMainData::currentRow() const {
    return SettingsRow{RegistrySection->AsString(), RegistryKey1->AsString(), RegistryKey2->AsString(),
                       RegistryVariable->AsString(), RegistryValue->AsString()};
}

std::vector<SettingsRow> TMainData::AllRows() {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    std::vector<SettingsRow> rows;
    Registry->Refresh();
    for (Registry->First(); !Registry->Eof(); Registry->Next()) rows.push_back(currentRow());
    return rows;
}

std::vector<SettingsRow> TMainData::RowsOfKey(const QString& section, const QString& key1, const QString& key2) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    return rowsUnder({section, key1, key2});
}

std::vector<SettingsRow> TMainData::rowsUnder(const QVariantList& prefix) {
    std::vector<SettingsRow> rows;
    const db::ScopedRange range(*Registry, prefix, prefix);
    for (Registry->First(); !Registry->Eof(); Registry->Next()) rows.push_back(currentRow());
    return rows;
}

std::optional<SettingsRow> TMainData::FindRow(const QString& section, const QString& key1, const QString& key2,
                                              const QString& variable) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    if (!Registry->FindKey({section, key1, key2, variable})) return std::nullopt;
    return currentRow();
}

bool TMainData::HasRowsUnder(int level, const SettingsRow& keys) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    return Registry->FindKey(keyList(level, keys));
}

template <typename F>
void TMainData::runInTransaction(F&& body) {
    // on failure: the pending edit goes, the transaction rolls back, the cursor reads again
    base::ScopeFail reread([&] { Registry->Refresh(); });
    db::Transaction transaction(*m_database);
    base::ScopeFail cancel([&] {
        if (Registry->State() == db::DataSetState::dsEdit || Registry->State() == db::DataSetState::dsInsert)
            Registry->Cancel();
    });
    body();
    transaction.Commit();
}

void TMainData::WriteRegistryValue(const QString& section, const QString& key1, const QString& key2,
                                   const QString& variable, const QString& value) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    core::WriteSettingsRow(*Registry, section, key1, key2, variable, value);
    m_lastWritten = currentRow();
}

std::vector<SettingsRow> TMainData::RenameKey(int level, const SettingsRow& keys, const QString& text) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    const QString newText = base::CutToLength(text, core::kSettingsKeySize);
    std::vector<SettingsRow> collisions;
    const std::vector<SettingsRow> rows = rowsUnder(keyList(level, keys));
    if (rows.empty()) return collisions;
    const QString oldText = level == 0 ? keys.Section : level == 1 ? keys.Key1 : keys.Key2;
    if (oldText == newText) return collisions;

    // Every row is checked before the first change: a key is renamed whole or not at all.
    for (const SettingsRow& row : rows) {
        SettingsRow renamed = row;
        (level == 0 ? renamed.Section : level == 1 ? renamed.Key1 : renamed.Key2) = newText;
        if (Registry->FindKey({renamed.Section, renamed.Key1, renamed.Key2, renamed.Variable})) collisions.push_back(row);
    }
    if (!collisions.empty()) return collisions;
    runInTransaction([&] {
        db::Field* field = level == 0 ? RegistrySection : level == 1 ? RegistryKey1 : RegistryKey2;
        for (const SettingsRow& row : rows) {
            if (!Registry->FindKey({row.Section, row.Key1, row.Key2, row.Variable}))
                db::Raise(db::ErrorCode::kRecordDeleted, editor::RowKeyText(row));
            Registry->Edit();
            field->SetAsString(newText);
            Registry->Post();
        }
    });
    return collisions;
}

int TMainData::DeleteKey(int level, const SettingsRow& keys) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    int count = 0;
    const QVariantList prefix = keyList(level, keys);
    runInTransaction([&] {
        while (Registry->FindKey(prefix)) {
            Registry->Delete();
            ++count;
        }
    });
    return count;
}

TMainData::RowChange TMainData::RenameVariable(const QString& section, const QString& key1, const QString& key2,
                                               const QString& oldVariable, const QString& newVariable) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    if (!Registry->FindKey({section, key1, key2, oldVariable})) return RowChange::NotFound;
    if (oldVariable == newVariable) return RowChange::Done;
    Registry->Edit();
    RegistryVariable->SetAsString(newVariable);
    try {
        Registry->Post();
    } catch (const db::EDBEngineError& e) {
        Registry->Cancel();
        if (e.Code() == db::ErrorCode::kKeyViolation) return RowChange::KeyTaken;
        throw;
    }
    return RowChange::Done;
}

TMainData::RowChange TMainData::DeleteRow(const QString& section, const QString& key1, const QString& key2,
                                          const QString& variable) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    if (!Registry->FindKey({section, key1, key2, variable})) return RowChange::NotFound;
    Registry->Delete();
    return RowChange::Done;
}

void TMainData::ImportRows(const std::vector<SettingsRow>& rows) {
    if (!IsOpen()) db::Raise(db::ErrorCode::kTableClosed);
    runInTransaction([&] {
        for (const SettingsRow& r : rows) WriteRegistryValue(r.Section, r.Key1, r.Key2, r.Variable, r.Value);
    });
}
