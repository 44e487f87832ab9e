#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

// How one Drive backup run ended.
struct GoogleDriveOutcome {
    qsizetype uploaded = 0; // files created or replaced in Drive
    qsizetype skipped = 0; // files Drive already held with the same content
    qsizetype deleted = 0; // Drive files moved to the trash by a mirror run
    qint64 bytes = 0; // sum of the uploaded files' sizes
    bool cancelled = false;
    // Completed runs only: files that changed while they were sent, the removal sentence, the plan's
    // warnings.
    QStringList warnings;
    std::optional<QString> logPath; // set at every ending
    double duration = 0; // seconds
    // Present when the run stopped on an error; this is what makes the run count as failed and be retried.
    std::optional<QString> errorMessage;

    bool operator==(const GoogleDriveOutcome&) const = default;
};

} // namespace mv
