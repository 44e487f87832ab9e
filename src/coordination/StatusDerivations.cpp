#include "coordination/StatusDerivations.h"

#include "model/Format.h"

#include <QSet>

#include <algorithm>

namespace mv {

namespace {

DestinationDisplayStatus status(const char* text, PaletteRole color, const char* symbol, bool pulsing = false,
    std::optional<QString> detail = std::nullopt)
{
    return { QString::fromLatin1(text), color, QString::fromLatin1(symbol), pulsing, std::move(detail) };
}

DestinationDisplayStatus livePhase(RunPhase phase)
{
    switch (phase) {
    case RunPhase::queued:
        return status("Queued", PaletteRole::idle, "clock", false, QStringLiteral("Waiting for a free slot"));
    case RunPhase::preparing:
        return status("Preparing", PaletteRole::accent, "magnifyingglass", true);
    case RunPhase::running:
        return status("Copying", PaletteRole::accent, "arrow.triangle.2.circlepath", true);
    case RunPhase::paused:
        return status("Paused", PaletteRole::warning, "pause.fill");
    case RunPhase::cancelling:
        return status("Stopping", PaletteRole::warning, "stop.circle", true);
    case RunPhase::waiting:
        return status("Waiting", PaletteRole::warning, "clock.badge.exclamationmark");
    case RunPhase::completed:
        return status("Copied", PaletteRole::success, "checkmark.circle.fill");
    case RunPhase::failed:
        return status("Failed", PaletteRole::danger, "exclamationmark.triangle.fill");
    case RunPhase::cancelled:
        return status("Cancelled", PaletteRole::idle, "xmark.circle");
    }
    Q_UNREACHABLE();
    return {};
}

DestinationDisplayStatus lastResult(const BackupDestination& destination, const QDateTime& now)
{
    if (!destination.lastResult)
        return status("Not run yet", PaletteRole::idle, "circle.dashed");
    const std::optional<QString>& error = destination.lastError;
    switch (*destination.lastResult) {
    case RunResult::failed:
        return status("Failed", PaletteRole::danger, "exclamationmark.triangle.fill", false, error);
    case RunResult::cancelled:
        return status("Cancelled", PaletteRole::idle, "xmark.circle", false, error);
    case RunResult::interrupted:
        return status("Interrupted", PaletteRole::warning, "bolt.circle", false, error);
    case RunResult::missed:
        return status("Missed", PaletteRole::warning, "clock.badge.xmark");
    case RunResult::skipped:
        return status("Needs review", PaletteRole::warning, "exclamationmark.shield", false, error);
    case RunResult::success:
    case RunResult::running:
        if (!destination.lastSuccess)
            return status("Ready", PaletteRole::idle, "circle");
        return status("Up to date", PaletteRole::success, "checkmark.circle.fill", false,
            QStringLiteral("Last copied ") + Format::relative(destination.lastSuccess, now));
    }
    Q_UNREACHABLE();
    return {};
}

bool hasEnabledDestination(const BackupJob& job)
{
    return job.isEnabled
        && std::any_of(job.destinations.cbegin(), job.destinations.cend(),
            [](const BackupDestination& destination) { return destination.isEnabled; });
}

bool isUnderWay(RunPhase phase)
{
    return phase == RunPhase::preparing || phase == RunPhase::running || phase == RunPhase::cancelling;
}

} // namespace

StatusDerivations::StatusDerivations(const Sources& sources)
    : m_sources(sources)
{
}

AggregateStatus StatusDerivations::aggregateStatus() const
{
    using Kind = AggregateStatus::Kind;
    if (m_sources.jobs.isEmpty())
        return AggregateStatus::of(Kind::empty);

    const QList<ActiveRun>& active = m_sources.activeRuns;
    if (!active.isEmpty()) {
        const auto phaseIs
            = [](auto test) { return [test](const ActiveRun& run) { return test(run.progress.phase); }; };
        if (const auto paused = std::find_if(active.cbegin(), active.cend(),
                phaseIs([](RunPhase phase) { return phase == RunPhase::paused; }));
            paused != active.cend())
            return AggregateStatus::paused(paused->jobName);
        const auto working = std::find_if(active.cbegin(), active.cend(), phaseIs(isUnderWay));
        if (working == active.cend())
            return AggregateStatus::running(std::nullopt, active.first().jobName);
        double sum = 0;
        int counted = 0;
        for (const ActiveRun& run : active) {
            if (run.progress.fraction) {
                sum += *run.progress.fraction;
                ++counted;
            }
        }
        return AggregateStatus::running(
            counted > 0 ? std::optional(sum / counted) : std::nullopt, working->jobName);
    }

    if (std::none_of(m_sources.jobs.cbegin(), m_sources.jobs.cend(), hasEnabledDestination))
        return AggregateStatus::of(Kind::disabled);

    bool failed = false;
    bool skipped = false;
    bool anyResult = false;
    bool anySuccess = false;
    for (const BackupJob& job : m_sources.jobs) {
        for (const BackupDestination& destination : job.destinations) {
            if (availabilityOf(job, destination).isOffline())
                return AggregateStatus::of(Kind::offline);
            failed |= destination.lastResult == RunResult::failed;
            skipped |= destination.lastResult == RunResult::skipped;
            anyResult |= destination.lastResult.has_value();
            anySuccess |= destination.lastSuccess.has_value();
        }
    }
    if (failed)
        return AggregateStatus::of(Kind::failed);
    if (skipped)
        return AggregateStatus::of(Kind::waiting);
    if (!anyResult)
        return AggregateStatus::of(Kind::ready);
    return AggregateStatus::of(anySuccess ? Kind::idle : Kind::waiting);
}

DestinationDisplayStatus StatusDerivations::destinationStatus(
    const BackupJob& job, const BackupDestination& destination) const
{
    if (const ActiveRun* run = runOf(job, destination))
        return livePhase(run->progress.phase);
    if (!job.isEnabled || !destination.isEnabled)
        return status("Off", PaletteRole::idle, "pause.circle");
    if (destination.kind == DestinationKind::googleDrive) {
        if (!m_sources.google.isConfigured)
            return status("Set up Google", PaletteRole::warning, "cloud", false,
                QStringLiteral("Import the OAuth client JSON in Settings."));
        if (!m_sources.google.isSignedIn)
            return status("Sign in needed", PaletteRole::warning, "person.crop.circle.badge.questionmark",
                false, QStringLiteral("Sign in with Google in Settings."));
    }
    if (const Availability availability = availabilityOf(job, destination); availability.isOffline())
        return status("Offline", PaletteRole::offline, "bolt.horizontal.circle", false, availability.reason);
    return lastResult(destination, m_sources.now);
}

DestinationDisplayStatus StatusDerivations::jobStatus(const BackupJob& job) const
{
    if (job.destinations.isEmpty())
        return status("No destination", PaletteRole::warning, "externaldrive.badge.questionmark");
    QList<DestinationDisplayStatus> statuses;
    statuses.reserve(job.destinations.size());
    for (const BackupDestination& destination : job.destinations)
        statuses.append(destinationStatus(job, destination));

    const auto firstWhere = [&statuses](auto test) -> std::optional<DestinationDisplayStatus> {
        const auto found = std::find_if(statuses.cbegin(), statuses.cend(), test);
        return found == statuses.cend() ? std::nullopt : std::optional(*found);
    };
    const auto textIs = [](std::initializer_list<const char*> texts) {
        return [texts](const DestinationDisplayStatus& status) {
            return std::any_of(texts.begin(), texts.end(),
                [&status](const char* text) { return status.text == QLatin1String(text); });
        };
    };
    const auto inProgress = [&textIs](const DestinationDisplayStatus& status) {
        return status.pulsing || textIs({ "Paused", "Queued" })(status);
    };
    if (auto found = firstWhere(inProgress))
        return *found;
    if (auto found = firstWhere(textIs({ "Failed", "Needs review" })))
        return *found;
    if (auto found = firstWhere(textIs({ "Offline" })))
        return *found;
    if (std::all_of(statuses.cbegin(), statuses.cend(), textIs({ "Up to date" })))
        return status("Up to date", PaletteRole::success, "checkmark.circle.fill");
    return statuses.first();
}

int StatusDerivations::activeJobCount() const
{
    QSet<QUuid> jobs;
    for (const ActiveRun& run : m_sources.activeRuns)
        jobs.insert(run.key.jobID);
    return int(jobs.size());
}

int StatusDerivations::enabledJobCount() const
{
    return int(std::count_if(m_sources.jobs.cbegin(), m_sources.jobs.cend(), hasEnabledDestination));
}

std::optional<QDateTime> StatusDerivations::lastSuccessfulBackup() const
{
    std::optional<QDateTime> latest = m_sources.historyStats.lastSuccess;
    for (const BackupJob& job : m_sources.jobs) {
        for (const BackupDestination& destination : job.destinations) {
            if (destination.lastSuccess && (!latest || *destination.lastSuccess > *latest))
                latest = destination.lastSuccess;
        }
    }
    return latest;
}

qint64 StatusDerivations::totalTransferred() const
{
    qint64 total = m_sources.historyStats.totalBytes;
    for (const ActiveRun& run : m_sources.activeRuns)
        total += run.progress.bytesTransferred;
    return total;
}

QList<JobDestination> StatusDerivations::allDestinations() const
{
    QList<JobDestination> pairs;
    for (const BackupJob& job : m_sources.jobs) {
        for (const BackupDestination& destination : job.destinations)
            pairs.append({ job, destination });
    }
    return pairs;
}

const ActiveRun* StatusDerivations::runOf(const BackupJob& job, const BackupDestination& destination) const
{
    const auto found
        = std::find_if(m_sources.runs.cbegin(), m_sources.runs.cend(), [&](const ActiveRun& run) {
              return run.key.jobID == job.id && run.key.destinationID == destination.id;
          });
    return found == m_sources.runs.cend() ? nullptr : &*found;
}

Availability StatusDerivations::availabilityOf(
    const BackupJob& job, const BackupDestination& destination) const
{
    return m_sources.availability.value({ job.id, destination.id }, Availability::unknown());
}

} // namespace mv
