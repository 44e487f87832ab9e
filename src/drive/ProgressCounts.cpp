#include "drive/ProgressCounts.h"

#include <algorithm>

namespace mv {

GoogleProgressSnapshot ProgressCounts::snapshot(double rate) const
{
    GoogleProgressSnapshot report;
    if (totalBytes >= 1)
        report.fraction = std::clamp(double(doneBytes) / double(totalBytes), 0.0, 1.0);
    else if (fileCount > 0)
        report.fraction = std::clamp(double(filesDone) / double(fileCount), 0.0, 1.0);
    report.bytes = doneBytes;
    report.bytesPerSecond = rate;
    report.filesDone = filesDone;
    report.filesTotal = fileCount;
    report.currentFile = currentFile;
    if (rate > 0 && doneBytes < totalBytes) {
        const double left = double(totalBytes - doneBytes) / rate;
        if (left <= longestEta)
            report.etaSeconds = left;
    }
    return report;
}

} // namespace mv
