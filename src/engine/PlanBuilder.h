#pragma once

#include "engine/RunPlan.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

struct AppSettings;
struct BackupDestination;
struct BackupJob;

// Turns a job, one of its local, network or SSH destinations, the settings and the time into a RunPlan. No
// state.
namespace PlanBuilder {

// The folder inside the target where rsync keeps partial files and writes its temporary ones; rsync
// leaves it out of transfers, deletions and previews.
inline constexpr char partialFolderName[] = ".rsync-partial";

// The environment every rsync child starts from (plans of backups, previews and restores).
QMap<QString, QString> childEnvironment();

// Whether `path` is a regular file (after following links) that the current user may execute.
bool isExecutableFile(const QString& path);

// The settings' rsyncPath when it names an executable file, else the first executable of the standard
// locations; none when there is no rsync.
std::optional<QString> resolveRsyncExecutable(const AppSettings& settings);

// The plan of one run at `now`. The overrides replace the job's source path and the destination's path.
// A versioned run on a local or network destination creates the destination folder, the marker and the
// snapshot folder. Throws PathValidationError for unusable input, FileSystemError when a folder cannot
// be made.
// `usesStoredPassphrase`: the keyring holds the SSH key's passphrase (looked up once by the caller).
RunPlan build(const BackupJob& job, const BackupDestination& destination, const AppSettings& settings,
    const QDateTime& now, const std::optional<QString>& sourcePathOverride = std::nullopt,
    const std::optional<QString>& destinationPathOverride = std::nullopt, bool usesStoredPassphrase = false);

// The remote-shell command for rsync's "-e": ssh with strict host keys, time-outs and keep-alives, each
// word quoted as rsync splits it. With a stored passphrase ssh may ask the askpass program once.
QString sshCommand(const BackupDestination& destination, bool usesStoredPassphrase = false);

} // namespace PlanBuilder

} // namespace mv
