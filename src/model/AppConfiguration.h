#pragma once

#include "model/AppSettings.h"
#include "model/BackupJob.h"

#include <QDateTime>
#include <QList>

namespace mv {

// The whole configuration document: every job and the settings.
struct AppConfiguration {
    qint64 schemaVersion = 1;
    QList<BackupJob> jobs;
    AppSettings settings;
    QDateTime updatedAt; // set by every edit, not by the save

    // A new document: no jobs, default settings, updated at `now`.
    static AppConfiguration create(const QDateTime& now);

    bool operator==(const AppConfiguration&) const = default;
};

} // namespace mv
