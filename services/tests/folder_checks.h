#pragma once

// Checks of database folders shared by the database tools' tests: a table read through
// the sqlite3 program, a folder copied, and a fingerprint of every file in a folder.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace servicestest {

/// What the sqlite3 program prints for the statement on the file (its errors too).
inline QString sqlite(const QString& file, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

/// Copies the files of a folder, and with `subFolders` its sub-folders too.
inline void copyFolder(const QString& from, const QString& to, bool subFolders = false) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) QFile::copy(from + "/" + name, to + "/" + name);
    if (subFolders)
        for (const QString& sub : QDir(from).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            copyFolder(from + "/" + sub, to + "/" + sub, true);
}

/// Name and content hash of every file of the folder.
inline QStringList fingerprint(const QString& folder) {
    QStringList out;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile f(folder + "/" + name);
        f.open(QIODevice::ReadOnly);
        out << name + " " + QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex();
    }
    return out;
}

}  // namespace servicestest
