#include "engine/RunningTransfers.h"

#include "engine/EngineLog.h"
#include "model/AtomicFile.h"
#include "model/FileSystemError.h"
#include "platform/FileDescriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <csignal>
#include <optional>
#include <vector>

#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace mv::RunningTransfers {

namespace {

using SteadyClock = std::chrono::steady_clock;

// What /proc says about a live process, and what a record keeps of it.
struct ProcessFacts {
    pid_t pid = 0;
    pid_t group = 0;
    pid_t session = 0;
    qulonglong startTime = 0; // clock ticks after boot: with the boot, no other process shares it
    QString executable;
    QString boot;

    bool isSameProcess(const ProcessFacts& other) const
    {
        return pid == other.pid && startTime == other.startTime && executable == other.executable
            && boot == other.boot;
    }
};

QString currentBoot()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
}

// Facts of a running process; none once it is gone or a zombie.
std::optional<ProcessFacts> factsOf(pid_t pid, const QString& boot)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = stat.readAll();
    // The command name in parentheses may hold blanks and parentheses of its own.
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    if (fields.size() < 20 || fields[0] == "Z")
        return std::nullopt;
    ProcessFacts facts;
    facts.pid = pid;
    facts.group = fields[2].toInt();
    facts.session = fields[3].toInt();
    facts.startTime = fields[19].toULongLong();
    facts.executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    facts.boot = boot;
    if (facts.executable.isEmpty())
        return std::nullopt;
    return facts;
}

std::vector<ProcessFacts> allProcesses(const QString& boot)
{
    std::vector<ProcessFacts> processes;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const int pid = name.toInt(&isNumber);
        if (!isNumber)
            continue;
        if (std::optional<ProcessFacts> facts = factsOf(pid, boot))
            processes.push_back(std::move(*facts));
    }
    return processes;
}

QByteArray encode(const ProcessFacts& leader)
{
    return QJsonDocument(
        QJsonObject { { QStringLiteral("processGroup"), leader.group },
            { QStringLiteral("session"), leader.session },
            { QStringLiteral("startTime"), QString::number(leader.startTime) },
            { QStringLiteral("executable"), leader.executable }, { QStringLiteral("boot"), leader.boot } })
        .toJson(QJsonDocument::Compact);
}

std::optional<ProcessFacts> decode(const QByteArray& bytes)
{
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    ProcessFacts leader;
    bool isNumber = false;
    leader.group = object.value(QStringLiteral("processGroup")).toInt();
    leader.pid = leader.group;
    leader.session = object.value(QStringLiteral("session")).toInt();
    leader.startTime = object.value(QStringLiteral("startTime")).toString().toULongLong(&isNumber);
    leader.executable = object.value(QStringLiteral("executable")).toString();
    leader.boot = object.value(QStringLiteral("boot")).toString();
    if (leader.group <= 1 || !isNumber || leader.executable.isEmpty() || leader.boot.isEmpty())
        return std::nullopt;
    return leader;
}

// The processes of the recorded group that are still the recorded child or what it started. While the
// leader lives its group number cannot be given to anyone else, so every member is ours; another process
// with the leader's pid means the number was given again, and nothing there is ours. Once the leader has
// gone, a member must have started no earlier, in the same session, from the same executable.
std::vector<ProcessFacts> leftoversOf(const ProcessFacts& leader, const std::vector<ProcessFacts>& processes)
{
    const auto holder = std::find_if(processes.cbegin(), processes.cend(),
        [&](const ProcessFacts& process) { return process.pid == leader.pid; });
    const bool leaderLives = holder != processes.cend() && holder->isSameProcess(leader);
    std::vector<ProcessFacts> members;
    if (holder != processes.cend() && !leaderLives)
        return members;
    for (const ProcessFacts& process : processes) {
        if (process.group != leader.group)
            continue;
        if (leaderLives
            || (process.session == leader.session && process.startTime >= leader.startTime
                && process.executable == leader.executable && process.boot == leader.boot))
            members.push_back(process);
    }
    return members;
}

// A process held by its pidfd, so a signal can never reach a process that took its pid later.
struct HeldProcess {
    pid_t pid = 0;
    FileDescriptor pidFd;
    QString record;
    bool ended = false;
};

bool sendSignal(const HeldProcess& process, int signal)
{
    return ::syscall(SYS_pidfd_send_signal, process.pidFd.get(), signal, nullptr, 0) == 0;
}

// Waits until every held process has ended or `bound` has passed.
void waitForEnds(std::vector<HeldProcess>& processes, std::chrono::milliseconds bound)
{
    const auto deadline = SteadyClock::now() + bound;
    for (;;) {
        std::vector<pollfd> waiting;
        for (const HeldProcess& process : processes) {
            if (!process.ended)
                waiting.push_back({ process.pidFd.get(), POLLIN, 0 });
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (waiting.empty() || left.count() <= 0)
            return;
        if (::poll(waiting.data(), waiting.size(), int(left.count())) < 0 && errno != EINTR)
            return;
        for (const pollfd& entry : waiting) {
            if (entry.revents == 0)
                continue;
            for (HeldProcess& process : processes) {
                if (process.pidFd.get() == entry.fd)
                    process.ended = true;
            }
        }
    }
}

} // namespace

QString recordFolder(const QString& supportFolder)
{
    return supportFolder + QStringLiteral("/Transfers");
}

std::expected<QString, QString> record(const QString& supportFolder, pid_t pid)
{
    const std::optional<ProcessFacts> leader = factsOf(pid, currentBoot());
    if (!leader || leader->group != pid)
        return std::unexpected(QStringLiteral("The process %1 could not be read.").arg(pid));
    const QString folder = recordFolder(supportFolder);
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return std::unexpected(QStringLiteral("The folder %1 could not be created: %2")
                                   .arg(folder, QString::fromLocal8Bit(::strerror(errno))));
    const QString path = folder + QStringLiteral("/%1.json").arg(pid);
    try {
        AtomicFile::write(path, encode(*leader));
    } catch (const FileSystemError& error) {
        return std::unexpected(error.description());
    }
    return path;
}

void forget(const QString& recordPath)
{
    QFile::remove(recordPath);
}

LeftoverStop stopLeftovers(const QString& supportFolder, std::chrono::milliseconds grace)
{
    LeftoverStop result;
    const QDir folder(recordFolder(supportFolder));
    const QStringList names = folder.entryList({ QStringLiteral("*.json") }, QDir::Files);
    if (names.isEmpty())
        return result;

    const QString boot = currentBoot();
    const std::vector<ProcessFacts> processes = allProcesses(boot);
    std::vector<HeldProcess> held;
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        QFile file(path);
        const std::optional<ProcessFacts> leader
            = file.open(QIODevice::ReadOnly) ? decode(file.readAll()) : std::nullopt;
        if (!leader) {
            result.problems.append(
                QStringLiteral("The record %1 of an earlier transfer could not be read; it was removed.")
                    .arg(path));
        } else {
            for (const ProcessFacts& member : leftoversOf(*leader, processes)) {
                HeldProcess process { member.pid,
                    FileDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, member.pid, 0))), path, false };
                // Held first, then asked again: the pid is still the process that was judged ours.
                const std::optional<ProcessFacts> now = factsOf(member.pid, boot);
                if (process.pidFd.get() >= 0 && now && now->isSameProcess(member))
                    held.push_back(std::move(process));
            }
        }
    }

    // A stopped process acts on SIGTERM only once continued.
    for (const HeldProcess& process : held) {
        sendSignal(process, SIGCONT);
        sendSignal(process, SIGTERM);
    }
    waitForEnds(held, grace);
    for (const HeldProcess& process : held) {
        if (!process.ended)
            sendSignal(process, SIGKILL);
    }
    waitForEnds(held, grace);
    QStringList survivorRecords;
    for (const HeldProcess& process : held) {
        if (process.ended) {
            ++result.stopped;
            continue;
        }
        result.problems.append(
            QStringLiteral("The process %1, left writing by an earlier run, could not be stopped.")
                .arg(process.pid));
        survivorRecords.append(process.record);
    }
    // A record goes once nothing of its group runs; one whose process survived is tried again next launch.
    for (const QString& name : names) {
        if (!survivorRecords.contains(folder.filePath(name)))
            QFile::remove(folder.filePath(name));
    }
    if (result.stopped > 0)
        qCInfo(engineLog) << "Stopped" << result.stopped << "processes left running by an earlier transfer.";
    for (const QString& problem : result.problems)
        qCWarning(engineLog).noquote() << problem;
    return result;
}

} // namespace mv::RunningTransfers
