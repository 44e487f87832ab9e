#pragma once

#include <QString>
#include <QUuid>

#include <optional>

namespace mv {

class PreflightFailure;

// The one problem the coordinator shows the user as an alert: title, message and, after a blank line, the
// recovery. Raising an issue replaces the one shown; each has a fresh identifier.
struct CoordinatorIssue {
    QUuid id;
    QString title;
    QString message;
    std::optional<QString> recovery;
    QString symbol;
    bool isTemporary = false;

    static CoordinatorIssue make(QString title, QString message, std::optional<QString> recovery,
        QString symbol, bool isTemporary = false);
    // The failure's own words, symbol and temporariness.
    static CoordinatorIssue from(const PreflightFailure& failure);

    // A job or destination that is switched off.
    static CoordinatorIssue turnedOff(const QString& jobName);
    // A second writer to a folder another run is writing to.
    static CoordinatorIssue busy(const QString& otherJobName, const QString& otherDestinationPath);
    // A restore asked for while another is in progress.
    static CoordinatorIssue restoreRunning();

    bool operator==(const CoordinatorIssue&) const = default;
};

} // namespace mv
