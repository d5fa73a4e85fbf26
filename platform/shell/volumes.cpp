#include "platform/shell/volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace shell {

namespace {

std::function<std::vector<Volume>()>& Source() {
    static std::function<std::vector<Volume>()> source;
    return source;
}

bool IsPseudo(const QByteArray& type, const QString& root) {
    static const char* const pseudo[] = {"proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs",
                                         "pstore", "debugfs", "tracefs", "bpf", "mqueue", "hugetlbfs", "configfs",
                                         "fusectl", "binfmt_misc", "autofs", "rpc_pipefs", "nsfs", "overlay",
                                         "squashfs", "efivarfs", "selinuxfs", "ramfs"};
    for (const char* p : pseudo)
        if (type == p) return true;
    if (type == "tmpfs" && root != QStringLiteral("/tmp")) return true;
    return root.startsWith(QStringLiteral("/proc")) || root.startsWith(QStringLiteral("/sys"))
           || root.startsWith(QStringLiteral("/dev")) || root.startsWith(QStringLiteral("/run"));
}

bool IsRemovableDevice(const QString& device) {
    const QString name = QFileInfo(device).fileName();
    if (name.isEmpty()) return false;
    QString block = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    for (int i = 0; i < 2 && !block.isEmpty(); ++i) {
        QFile f(block + QStringLiteral("/removable"));
        if (f.open(QIODevice::ReadOnly)) return f.readAll().trimmed() == "1";
        block = QFileInfo(block).path();
    }
    return false;
}

std::vector<Volume> SystemVolumes() {
    std::vector<Volume> out;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid()) continue;
        const QString root = s.rootPath();
        if (root != QStringLiteral("/") && IsPseudo(s.fileSystemType(), root)) continue;
        Volume v;
        v.rootPath = root;
        v.label = s.name();
        v.source = QString::fromLocal8Bit(s.device());
        v.fileSystemType = QString::fromLatin1(s.fileSystemType());
        const QByteArray type = s.fileSystemType();
        v.network = type.startsWith("nfs") || type == "cifs" || type == "smb3" || type == "sshfs"
                    || type.startsWith("fuse.sshfs") || v.source.startsWith(QStringLiteral("//"));
        v.removable = !v.network && IsRemovableDevice(v.source);
        v.readOnly = s.isReadOnly();
        v.identity = s.device() + ':' + s.subvolume() + ':' + QByteArray::number(s.bytesTotal());
        out.push_back(std::move(v));
    }
    return out;
}

}  // namespace

std::vector<Volume> MountedVolumes() {
    std::vector<Volume> volumes = Source() ? Source()() : SystemVolumes();
    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        if (a.rootPath == QStringLiteral("/")) return b.rootPath != QStringLiteral("/");
        if (b.rootPath == QStringLiteral("/")) return false;
        return a.rootPath < b.rootPath;
    });
    volumes.erase(std::unique(volumes.begin(), volumes.end(),
                              [](const Volume& a, const Volume& b) { return a.rootPath == b.rootPath; }),
                  volumes.end());
    return volumes;
}

void SetVolumeSource(std::function<std::vector<Volume>()> source) { Source() = std::move(source); }

const Volume* VolumeOf(const std::vector<Volume>& volumes, const QString& path) {
    const Volume* best = nullptr;
    for (const Volume& v : volumes) {
        const bool inside = v.rootPath == QStringLiteral("/") || path == v.rootPath
                            || path.startsWith(v.rootPath + u'/');
        if (inside && (!best || v.rootPath.size() > best->rootPath.size())) best = &v;
    }
    return best;
}

}  // namespace shell
