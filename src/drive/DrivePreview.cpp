#include "drive/DrivePreview.h"

#include "drive/PathOrder.h"
#include "platform/DescribedError.h"

#include <QSet>

#include <algorithm>
#include <utility>
#include <vector>

namespace mv::GoogleDriveEngine {

namespace {

bool isAtOrBelow(const QString& path, const QStringList& folders)
{
    return std::any_of(folders.cbegin(), folders.cend(), [&path](const QString& folder) {
        return path == folder || (path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/'));
    });
}

} // namespace

QStringList extraFiles(const GoogleDrivePlan& plan, const RemoteIndex& index)
{
    QSet<QString> planned;
    planned.reserve(qsizetype(plan.files.size()));
    for (const GoogleLocalFile& file : plan.files)
        planned.insert(file.relativePath);

    // Each path's sort key is made once, not once per comparison.
    std::vector<std::pair<QString, QString>> candidates; // key, path
    for (auto entry = index.files.constBegin(); entry != index.files.constEnd(); ++entry) {
        if (!planned.contains(entry.key()) && !isAtOrBelow(entry.key(), plan.unreadable))
            candidates.emplace_back(PathOrder::key(entry.key()), entry.key());
    }
    std::sort(candidates.begin(), candidates.end(),
        [](const auto& a, const auto& b) { return PathOrder::keyLess(a.first, b.first); });

    QStringList extras;
    extras.reserve(qsizetype(candidates.size()));
    for (const auto& [key, path] : candidates)
        extras.append(path);
    return extras;
}

GoogleDrivePreview previewOf(const GoogleDrivePlan& plan, const RemoteIndex& index)
{
    const QStringList extras = extraFiles(plan, index);
    GoogleDrivePreview preview;
    preview.totalDeletions = extras.size();
    preview.deletions = extras.first(std::min(extras.size(), GoogleDrivePreview::shownDeletions));
    return preview;
}

QCoro::Task<std::expected<GoogleDrivePreview, PreflightFailure>> preview(
    GoogleDrivePlan plan, GoogleDriveConnection connection)
{
    GoogleDriveClient client = connection.client(plan.tokenProvider, plan.tokenRefresh);
    QList<GoogleDriveItem> items;
    try {
        auto listing = client.list(QStringLiteral("trashed = false"), GoogleDriveClient::maximumPageSize);
        items = co_await listing;
    } catch (...) {
        co_return std::unexpected(
            PreflightFailure(QStringLiteral("Mirror preview failed"), describeError(std::current_exception()),
                QStringLiteral("Nothing was deleted."), false, QStringLiteral("cloud")));
    }
    co_return previewOf(plan, makeIndex(items, plan.folderID));
}

} // namespace mv::GoogleDriveEngine
