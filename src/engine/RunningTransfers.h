#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <expected>

#include <sys/types.h>

namespace mv {

// The rsync children that are writing right now, each recorded in the support folder while it runs, so
// that a launch after a crash stops whatever an earlier process left writing before any run starts: one
// writer per folder holds across a crash and a relaunch. A record names the child's process group with
// what proves the process is still the one recorded (its start time, its executable and the boot), so a
// process that merely got a recorded pid again is never touched.
namespace RunningTransfers {

// The folder inside the support folder that holds the records.
QString recordFolder(const QString& supportFolder);

// Records the running child `pid`, the leader of its own process group. Answers the record's path, or
// why it could not be written.
std::expected<QString, QString> record(const QString& supportFolder, pid_t pid);

// The child has ended: its record goes.
void forget(const QString& recordPath);

// What a launch found left by an earlier process.
struct LeftoverStop {
    qsizetype stopped = 0; // processes that were still ours and were stopped
    QStringList problems; // what could not be read or stopped, one sentence each
};

// Stops the processes of every recorded group that are still ours: SIGCONT and SIGTERM, then SIGKILL for
// what is still there after `grace`, waiting until each is gone. Records are removed once nothing of
// theirs runs. Blocks for at most twice `grace`.
LeftoverStop stopLeftovers(
    const QString& supportFolder, std::chrono::milliseconds grace = std::chrono::seconds(4));

} // namespace RunningTransfers
} // namespace mv
