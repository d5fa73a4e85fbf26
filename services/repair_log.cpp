#include "services/repair_log.h"

#include "services/repair_lib.h"

#include "platform/db/table.h"

#include <QDir>
#include <QFile>

namespace services {

TRepairLog::TRepairLog(const QString& programFolder, const QDate& day)
    : m_fileName(QDir(programFolder).filePath(QStringLiteral("RepairLog%1.txt").arg(day.toString(QStringLiteral("yyyyMMdd"))))) {}

TRepairLog TRepairLog::InFile(const QString& fileName) {
    TRepairLog log;
    log.m_fileName = fileName;
    return log;
}

void TRepairLog::Write(int counter, const QString& message) {
    if (message.trimmed().isEmpty()) return;
    QFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    // One line per message: a reason of several lines (each problem the verify found) is
    // joined with "; ", and tabs would split the fields.
    QString text = message.trimmed();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n').replace(u'\t', u' ');
    text.replace(u'\n', QStringLiteral("; "));
    const QString line = QStringLiteral("%1\tS3_Index\t1\tE\t%2\r\n").arg(counter).arg(text);
    if (file.write(line.toUtf8()) > 0) m_written = true;
}

std::vector<TTableCheck> CheckDatabaseTables(const QString& folder, TRepairLog& log, int& counter,
                                             const std::function<void(const TTableCheck&)>& onChecked,
                                             const std::function<void(const QString&)>& onStarting) {
    std::vector<TTableCheck> results;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.db")},
                                                     QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : files) {
        if (onStarting) onStarting(name);
        db::Table table;
        table.SetDatabaseName(folder);
        table.SetTableName(name);
        TTableCheck check;
        check.FileName = name;
        QString reason, indexText;
        const bool verified = VerifyTable(table, reason);
        check.Sound = verified && CheckTableIndexes(table, reason, indexText, true);
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
