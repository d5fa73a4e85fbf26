#include "services/repair_lib.h"

#include "platform/db/db_error.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/ui/dialog_service.h"

namespace services {

void PackTable(db::Table& table) {
    try {
        db::PackTableFile(table.Folder(), table.TableName());
    } catch (const db::EDBEngineError& e) {
        ui::Message(QStringLiteral("Error while trying to pack table.\nBDE error [%1].").arg(db::EngineErrorText(e.Code())),
                    ui::MessageKind::Error, ui::Button::Ok);
    }
}

bool CheckTableIndexes(db::Table& table, QString& errorText, QString& indexText) {
    return CheckTableIndexes(table, errorText, indexText, false);
}

bool CheckTableIndexes(db::Table& table, QString& errorText, QString& indexText, bool verified) {
    bool sound = true;
    try {
        table.Close();
        table.UpdateDefs();
        const std::vector<db::IndexDef> indexes = table.IndexDefs();
        for (const db::IndexDef& index : indexes) {
            table.SetIndexFieldNames(index.Fields);
            indexText = index.Name + QStringLiteral(" [") + table.IndexFieldNames() + u']';
            table.Open();
            table.Close();
        }
        if (!indexes.empty() && !verified) {
            try {
                db::CheckTableIndexes(table.Folder(), table.TableName());
            } catch (const db::EDBEngineError& e) {
                // The check names the first index that is missing or disagrees with the rows.
                for (const db::IndexDef& index : indexes)
                    if (!index.Name.isEmpty() && e.Message().contains(index.Name)) {
                        table.SetIndexFieldNames(index.Fields);
                        indexText = index.Name + QStringLiteral(" [") + table.IndexFieldNames() + u']';
                        break;
                    }
                throw;
            }
        }
    } catch (const db::EDBEngineError& e) {
        const db::DBError& first = e.Errors(0);
        errorText = QStringLiteral("Error code is [%1: %2].").arg(first.ErrorCode).arg(first.Message);
        sound = false;
    }
    table.Close();
    table.SetIndexFieldNames(QString());
    return sound;
}

int VerifyTableLevel(db::Table& table) { return db::VerifyTableFile(table.Folder(), table.TableName()).Level; }

bool VerifyTable(db::Table& table, QString& errorText) {
    db::VerifyResult result;
    try {
        result = db::VerifyTableFile(table.Folder(), table.TableName());
    } catch (const db::EDBEngineError& e) {
        errorText = QStringLiteral("Error verifying file [%1].").arg(e.Code());
        return false;
    }
    switch (result.Level) {
    case 0:
        return true;
    case 3:
        errorText = QStringLiteral("Severe corruption detected: Table structure (header) is damaged.");
        return false;
    default:
        errorText = result.Problems.isEmpty() ? QStringLiteral("The table is damaged.") : result.Problems.join(u'\n');
        return false;
    }
}

}  // namespace services
