#pragma once

#include "model/BackupDestination.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

#include <qcoro/qcorotask.h>

namespace mv::SSHCommand {

// Short ssh sessions against an SSH destination: testing that its folder is there and writable, and
// creating it. No local shell: ssh gets its arguments as a vector; the remote command is the one string the
// server's shell reads.

// The line the remote shell prints once the test or the mkdir succeeded.
inline constexpr char successMarker[] = "MV_OK";
// How long a test of the destination, from the pre-run checks or from the views, may take before ssh is
// stopped.
inline constexpr std::chrono::milliseconds probeTimeout { 20000 };
inline constexpr std::chrono::milliseconds folderCreationTimeout { 20000 };
// ssh's output kept in memory; more than any banner a server can send, the rest is read and dropped.
inline constexpr qsizetype outputLimit = 1024 * 1024;

// Only two combinations occur: all three true, or folderExists and writable false with connected either way.
struct ProbeResult {
    bool connected = false; // ssh reached the server and the remote shell ran the test
    bool folderExists = false; // the folder exists and is writable
    bool writable = false; // the same test passed
    QString message; // for the user; on failure followed by a line feed and ssh's trimmed output (no CR)

    bool operator==(const ProbeResult&) const = default;
};

struct FolderCreation {
    bool created = false; // the folder exists now
    QString output; // ssh's trimmed output, without carriage returns

    bool operator==(const FolderCreation&) const = default;
};

struct ProcessResult {
    qint32 exitStatus = 0; // 128 + the signal for a child killed at its deadline, -1 when it could not start
    QString output; // standard output and error together, as UTF-8 (invalid bytes replaced)

    bool operator==(const ProcessResult&) const = default;
};

// `usesStoredPassphrase` below: whether the keyring holds the key's passphrase, as the caller looked it up;
// none: looked up here, on the worker thread.

// Tests the destination's folder over ssh, giving up after `timeout`. Runs on a worker thread.
QCoro::Task<ProbeResult> probe(BackupDestination destination, std::chrono::milliseconds timeout,
    std::optional<bool> usesStoredPassphrase = std::nullopt);

// Creates the destination's folder (and the folders above it) over ssh. Runs on a worker thread.
QCoro::Task<FolderCreation> createFolder(
    BackupDestination destination, std::optional<bool> usesStoredPassphrase = std::nullopt);

// The ssh options shared by probe and createFolder, ending with user@host. With a stored passphrase ssh may
// ask the askpass program for it once; host keys are checked strictly either way.
QStringList baseArguments(const BackupDestination& destination, bool usesStoredPassphrase = false);

// How ssh authenticates and connects: never asking anyone, or (with a stored passphrase) asking the askpass
// program once for the key's passphrase and offering nothing but public keys; only known host keys; giving
// up on a connection after `connectTimeoutSeconds`.
QStringList connectionOptions(bool usesStoredPassphrase, int connectTimeoutSeconds);
// The destination's port and, when it names one, its identity file.
QStringList endpointOptions(const BackupDestination& destination);

// What the askpass program needs to answer for a destination with a stored passphrase: the destination,
// and the way to the session bus and its keyring (ssh hands its own environment on to the askpass program,
// and the child environments are otherwise kept minimal).
QMap<QString, QString> askpassEnvironment(const QUuid& destinationID);

// A remote path as the remote shell must read it: single-quoted, with a leading "~" or "~/" left outside
// the quotes so that it expands to the login's home folder.
QString quotedRemotePath(const QString& path);

// Runs `executable` with a fixed small environment (askpass set up) plus `extraEnvironment`, reading its
// output while it runs, for at most `timeout`; then it is terminated, and killed 300 ms later.
QCoro::Task<ProcessResult> runProcess(QString executable, QStringList arguments,
    std::chrono::milliseconds timeout, QMap<QString, QString> extraEnvironment = {});

} // namespace mv::SSHCommand
