#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace mv {

// The folder a job backs up.
struct BackupSource {
    QString path;
    QString displayName;
    std::optional<QByteArray> bookmark; // resolved by the pre-run checks, never here
    std::optional<QString> volumeIdentity; // as VolumeInspector reported it when the folder was chosen

    bool operator==(const BackupSource&) const = default;
};

} // namespace mv
