#pragma once

#include "drive/GoogleDriveConnection.h"
#include "drive/GoogleDrivePlan.h"
#include "drive/GoogleDrivePreview.h"
#include "drive/RemoteIndex.h"
#include "engine/PreflightFailure.h"

#include <expected>

#include <qcoro/qcorotask.h>

namespace mv::GoogleDriveEngine {

// The paths of the Drive files below the plan's folder that a mirror run moves to the trash, in path order:
// those that are not one of the plan's files. Folders never count, nor does anything at or below a source
// path the scan could not read. Compares with the plan as scanned; reads no file.
QStringList extraFiles(const GoogleDrivePlan& plan, const RemoteIndex& index);

// The Drive files below the plan's folder that a mirror run would move to the trash: those whose path is not
// one of the plan's files. Folders never count, nor does anything at or below a source path the scan could
// not read (the run leaves those in place). Compares with the plan as scanned; reads no file.
GoogleDrivePreview previewOf(const GoogleDrivePlan& plan, const RemoteIndex& index);

// Lists Drive with the plan's tokens and answers previewOf; a failed or over-long listing is the "Mirror
// preview failed" failure. Never throws.
QCoro::Task<std::expected<GoogleDrivePreview, PreflightFailure>> preview(
    GoogleDrivePlan plan, GoogleDriveConnection connection);

} // namespace mv::GoogleDriveEngine
