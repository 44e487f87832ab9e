#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace mv {

// What the system says about the file system that holds a path.
struct VolumeFacts {
    // "uuid:<UUID>" when /dev/disk/by-uuid links to the mount's device, else "fsid:<a>:<b>" from a non-zero
    // file-system id, else "dev:<major>:<minor>".
    QString identity;
    // The file-system label, else the mount point's last component ("/" for the root).
    QString name;
    // The type as the mount table gives it: "ext4", "tmpfs", "nfs4", "fuse.sshfs".
    QString fileSystemType;
    QString mountPoint;
    bool isReadOnly = false;
    // Blocks available to unprivileged users times the block size; absent when zero.
    std::optional<qint64> availableBytes;
};

// The facts of the volume holding `path`; none when the path does not exist or cannot be inspected.
std::optional<VolumeFacts> volumeFacts(const QString& path);

namespace detail {
// What one line of /proc/self/mountinfo says about a mount.
struct MountInfoLine {
    QByteArray mountPoint; // decoded
    QString type;
    unsigned major = 0;
    unsigned minor = 0;
};
// None for a line that does not have the fields of a mount.
std::optional<MountInfoLine> parseMountInfoLine(const QByteArray& line);
// One path field of /proc/self/mountinfo with its "\040"-style octal escapes decoded.
QByteArray unescapeMountField(const QByteArray& field);
// A /dev/disk/by-label or by-uuid link name with udev's "\x20"-style escapes decoded.
QByteArray unescapeDiskLinkName(const QByteArray& name);
} // namespace detail

} // namespace mv
