#pragma once

#include <QDate>
#include <QString>

#include <functional>
#include <vector>

namespace services {

/// The repair log: "<program folder>RepairLog<yyyymmdd>.txt", lines of five tab-separated
/// fields (counter, "S3_Index", "1", "E", message) ending in CR LF, appended by every run of
/// the day. A message blank after trimming is not written; a message of several lines is
/// written on one, its lines joined by "; ". Write failures are ignored.
class TRepairLog {
public:
    TRepairLog(const QString& programFolder, const QDate& day = QDate::currentDate());
    /// A log written to `fileName` as it stands.
    static TRepairLog InFile(const QString& fileName);
    const QString& FileName() const { return m_fileName; }
    void Write(int counter, const QString& message);
    /// Whether this run wrote a line.
    bool Written() const { return m_written; }

private:
    TRepairLog() = default;
    QString m_fileName;
    bool m_written = false;
};

/// What the check of one table found.
struct TTableCheck {
    QString FileName;
    bool Sound = false;
    QString Reason;  ///< what the failing check found; empty for a sound table
};

/// Checks every table file ("*.db", any case) of `folder` in name order: verified, then
/// index-checked when the verify passed. Each damaged table takes the next `counter` value
/// and logs two lines: "Table "<file>" is damaged" when the verify failed, or "Index for
/// table "<file>" is damaged" when the index check did, then the reason that check gave.
/// `onStarting` (when set) is told the file name of each table before it is checked, and
/// `onChecked` of each table as it is done.
std::vector<TTableCheck> CheckDatabaseTables(const QString& folder, TRepairLog& log, int& counter,
                                             const std::function<void(const TTableCheck&)>& onChecked = {},
                                             const std::function<void(const QString&)>& onStarting = {});

}  // namespace services
