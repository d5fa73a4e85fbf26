#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace shell {

/// One mounted volume: what stands in here for a drive of the old platform.
struct Volume {
    QString rootPath;        ///< the mount point ("/", "/media/usb"), without a trailing "/" except the root
    QString label;           ///< the volume's name; empty when it has none
    QString source;          ///< what is mounted: a device ("/dev/sdb1") or a share ("server:/export")
    QString fileSystemType;  ///< "ext4", "vfat", "nfs", ...
    bool removable = false;  ///< a removable medium
    bool network = false;    ///< a network file system
    bool readOnly = false;
    QByteArray identity;     ///< stands in for the serial number: changes when another medium is mounted
};

/// The mounted volumes worth showing, sorted by mount point: "/" first, then every real file
/// system (pseudo file systems such as proc, sysfs, tmpfs under /run and cgroup are left out).
std::vector<Volume> MountedVolumes();

/// Replaces where MountedVolumes() takes its volumes from (tests fill it); an empty function
/// restores the system's list.
void SetVolumeSource(std::function<std::vector<Volume>()> source);

/// The volume that holds `path` (the one with the longest mount point that is a prefix of
/// it), or nullptr when none of `volumes` does.
const Volume* VolumeOf(const std::vector<Volume>& volumes, const QString& path);

}  // namespace shell
