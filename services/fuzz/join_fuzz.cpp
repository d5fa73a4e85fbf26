// Cuts arbitrary bytes into a set of one to four numbered volumes and joins them: every
// input must end in a joined archive or a reported message, never a crash or a hang, and a
// failed join leaves no file behind.
#include "services/quorrel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static QTemporaryDir folder;
    const int volumes = 1 + data[0] % 4;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const qsizetype piece = bytes.size() / volumes + 1;
    QDir(folder.path()).removeRecursively();
    QDir().mkpath(folder.path());
    for (int v = 0; v < volumes; ++v) {
        QFile file(TQuorrel::VolumeFileName(folder.filePath(QStringLiteral("Set.zip")), v));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(bytes.mid(v * piece, piece));
    }
    TQuorrel q;
    q.SetUnattended(true);
    q.SetHowToDelete(DeleteOpts::htdFinal);
    QString target = folder.path();
    const int result = q.JoinVolumes(TQuorrel::VolumeFileName(folder.filePath(QStringLiteral("Set.zip")), volumes - 1),
                                      target);
    if (result != 0 && !target.isEmpty()) std::abort();
    return 0;
}
