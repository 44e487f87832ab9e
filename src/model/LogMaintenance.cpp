#include "model/LogMaintenance.h"

#include "model/AppPaths.h"

#include <QFile>

#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace mv::LogMaintenance {

namespace {

// A moment as whole seconds since the epoch and the nanoseconds within that second.
using Moment = std::pair<qint64, qint64>;

Moment momentOf(qint64 msecsSinceEpoch)
{
    qint64 seconds = msecsSinceEpoch / 1000;
    qint64 millis = msecsSinceEpoch % 1000;
    if (millis < 0) {
        --seconds;
        millis += 1000;
    }
    return { seconds, millis * 1'000'000 };
}

// The entry's own modification time: a link's, never its target's.
std::optional<Moment> modified(const std::filesystem::path& entry)
{
    struct stat info { };
    if (::lstat(entry.c_str(), &info) != 0)
        return std::nullopt;
    return Moment { info.st_mtim.tv_sec, info.st_mtim.tv_nsec };
}

} // namespace

void prune(int days, const Clock& clock)
{
    if (days <= 0)
        return;
    const Moment cutOff = momentOf(clock.now().toMSecsSinceEpoch() - qint64(days) * 86'400 * 1000);

    std::error_code error;
    std::filesystem::directory_iterator entry(
        QFile::encodeName(AppPaths::logsDirectory()).toStdString(), error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const auto time = modified(entry->path());
        if (!time || *time >= cutOff)
            continue;
        // remove_all removes a symbolic link itself and never descends through one.
        std::error_code ignored;
        std::filesystem::remove_all(entry->path(), ignored);
    }
}

} // namespace mv::LogMaintenance
