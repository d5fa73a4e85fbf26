#include "services/repair_log.h"

#include "services/repair_lib.h"

#include "platform/db/table.h"

#include <QDir>
#include <QFile>

namespace services {

TRepairLog::TRepairLog(const QString& programFolder, const QDate& day)
    : m_fileName(QDir(programFolder).filePath(QStringLiteral("RepairLog%1.txt").arg(day.toString(QStringLiteral("yyyyMMdd"))))) {}

void TRepairLog::Write(int counter, const QString& message) {
    if (message.trimmed().isEmpty()) return;
    QFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    const QString line = QStringLiteral("%1\tS3_Index\t1\tE\t%2\r\n").arg(counter).arg(message);
    if (file.write(line.toUtf8()) > 0) m_written = true;
}

std::vector<TTableCheck> CheckDatabaseTables(const QString& folder, TRepairLog& log, int& counter,
                                             const std::function<void(const TTableCheck&)>& onChecked) {
    std::vector<TTableCheck> results;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.db")},
                                                     QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : files) {
        db::Table table;
        table.SetDatabaseName(folder);
        table.SetTableName(name);
        TTableCheck check;
        check.FileName = name;
        QString reason, indexText;
        const bool verified = VerifyTable(table, reason);
        check.Sound = verified && CheckTableIndexes(table, reason, indexText);
        if (!check.Sound) {
            check.Reason = reason.trimmed().isEmpty() ? QStringLiteral("The check gave no reason.") : reason;
            const int c = counter++;
            log.Write(c, verified ? QStringLiteral("Index for table \"%1\" is damaged").arg(name)
                                  : QStringLiteral("Table \"%1\" is damaged").arg(name));
            log.Write(c, check.Reason);
        }
        if (onChecked) onChecked(check);
        results.push_back(check);
    }
    return results;
}

}  // namespace services
