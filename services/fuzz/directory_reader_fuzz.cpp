// Feeds arbitrary bytes to the zip component's directory reader as an archive file: every
// input must end in a directory or a reported message, never a crash or a hang.
#include "services/quorrel.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("input.zip"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    TQuorrel q;
    q.SetUnattended(true);
    q.SetZipFilename(path);
    for (const ZipDirEntry& e : q.Contents()) (void)e.FileName.size();
    return 0;
}
