// Feeds arbitrary bytes as a table file: verifying, opening and walking it must end in an
// engine error or a result, never in a crash.

#include "platform/db/db_error.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("Fuzz.db"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        db::VerifyTableFile(dir.path(), QStringLiteral("Fuzz.db"));
    } catch (const db::EDBEngineError&) {
    }
    try {
        db::Table t;
        t.SetDatabaseName(dir.path());
        t.SetTableName(QStringLiteral("Fuzz.db"));
        t.Open();
        int rows = 0;
        for (t.First(); !t.Eof() && rows < 1000; t.Next(), ++rows) {
            for (int i = 0; i < t.FieldCount(); ++i) t.Fields(i)->AsString();
        }
        t.Close();
    } catch (const db::EDBEngineError&) {
    }
    QFile::remove(path + QStringLiteral("-journal"));
    return 0;
}
