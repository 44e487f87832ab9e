#pragma once

#include "coordination/Availability.h"
#include "coordination/DestinationRef.h"
#include "engine/RsyncSupport.h"
#include "model/AppSettings.h"
#include "model/BackupJob.h"
#include "model/BackupRunRecord.h"
#include "ui/models/support/SystemFacts.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace mv {

// Everything a support report is made from, read beforehand from the state hub, the history, rsync and the
// system.
struct SupportReportInputs {
    QDateTime now;
    SystemFacts system;
    std::optional<QString> rsyncExecutable; // none: no rsync was found
    std::optional<RsyncVersion> rsyncVersion; // none: it named no version
    QList<BackupJob> jobs;
    AppSettings settings;
    QHash<DestinationRef, Availability> availability;
    std::optional<QDateTime> lastSuccess;
    qint64 totalRuns = 0;
    // The newest failed runs, newest first, as the history gave them (at most failureLimit are kept).
    std::vector<BackupRunRecord> failedRuns;
    QString supportFolder;
};

// A read-only snapshot of the program's state for whoever helps the user: versions, the rsync in use, counts,
// offline destinations, the last success, the recent failures, the main settings and the data paths. It
// never holds passwords, passphrases, tokens or keyring items: offline reasons and error summaries are
// masked before they are kept.
struct SupportReport {
    static constexpr int failureLimit = 5;
    static inline const QString notFound = QStringLiteral("Not found");

    QDateTime generatedAt;
    QString appVersion;
    QString appBuild;
    QString macOSVersion; // the running system's name and version
    QString architecture;
    QString rsyncPath;
    QString rsyncVersion;
    qint64 jobs = 0;
    qint64 destinations = 0;
    qint64 enabledDestinations = 0;
    QStringList offlineDestinations; // "Job → Destination: reason"
    std::optional<QDateTime> lastSuccess;
    qint64 totalRuns = 0;
    std::vector<BackupRunRecord> failedRuns;
    BackupMode defaultMode = BackupMode::incremental;
    qint64 maxConcurrency = 0;
    QString dataFolder;
    QString historyPath;
    QString logsPath;

    static SupportReport make(const SupportReportInputs& inputs);

    // The plain-text report: lines joined by line feeds, none after the last. Dates follow the user's
    // locale and time zone.
    QString text() const;
    // "v3.2.7 at /usr/bin/rsync", "Unknown at …", or "rsync was not found".
    QString rsyncSummary() const;

    bool operator==(const SupportReport&) const = default;
};

} // namespace mv
