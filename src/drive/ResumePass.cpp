#include "drive/ResumePass.h"

#include "drive/GoogleRunLog.h"
#include "drive/RunPaths.h"
#include "google/GoogleResumeStore.h"
#include "model/Format.h"

#include <algorithm>

namespace mv::GoogleDriveEngine {

ResumedFiles resumePass(const GoogleDrivePlan& plan, const QHash<QString, GoogleDriveItem>& remoteFiles,
    const GoogleResumeStore& store, GoogleRunLog& log)
{
    ResumedFiles resumed;
    for (const GoogleLocalFile& file : plan.files) {
        const QString key = fileKey(plan.folderID, file.relativePath);
        const std::optional<QString> recorded = store.md5(key, file.size, file.modified);
        if (!recorded)
            continue;
        const auto remote = remoteFiles.constFind(file.relativePath);
        if (remote == remoteFiles.constEnd() || remote->sizeBytes() != file.size
            || remote->md5Checksum != recorded)
            continue;
        resumed.keys.insert(key);
        ++resumed.count;
        resumed.bytes += file.size;
        log.append(QStringLiteral("SKIP ") + file.relativePath + QStringLiteral(" (uploaded earlier)"));
    }
    return resumed;
}

GoogleProgressSnapshot firstReport(const GoogleDrivePlan& plan, const ResumedFiles& resumed)
{
    const qsizetype fileCount = qsizetype(plan.files.size());
    GoogleProgressSnapshot report;
    if (plan.totalBytes >= 1)
        report.fraction = std::clamp(double(resumed.bytes) / double(plan.totalBytes), 0.0, 1.0);
    else
        report.fraction = double(resumed.count) / double(std::max<qsizetype>(fileCount, 1));
    report.bytes = resumed.bytes;
    report.filesDone = resumed.count;
    report.filesTotal = fileCount;
    return report;
}

std::optional<QString> resumeLine(const ResumedFiles& resumed)
{
    if (resumed.count < 1)
        return std::nullopt;
    return QStringLiteral("RESUME skipped %1 file(s) already in Drive (%2)")
        .arg(resumed.count)
        .arg(Format::bytes(resumed.bytes));
}

} // namespace mv::GoogleDriveEngine
