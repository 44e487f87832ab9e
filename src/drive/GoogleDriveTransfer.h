#pragma once

#include "drive/BackupRun.h"
#include "drive/GoogleDriveRunController.h"
#include "engine/Transfer.h"

namespace mv {

// A planned Drive backup as one transfer, driven by the coordinator like an rsync transfer: its controls
// reach the run's controller, and its progress snapshots reach the listener as samples, each with the file
// under way as the item last written. It, the listener and the services must outlive run().
class GoogleDriveTransfer final : public TransferOf<GoogleDriveOutcome> {
public:
    // `allowDeletions`: a mirror plan may move the files the source lacks to the Drive trash.
    GoogleDriveTransfer(GoogleDrivePlan plan, bool allowDeletions, GoogleDriveEngine::RunServices services);

    // Tells the listener it started at once: planning is over and the upload begins with reading Drive.
    QCoro::Task<GoogleDriveOutcome> run(TransferListener& listener) override;

    bool pause() override { return m_controller.pause(); }
    bool resume() override { return m_controller.resume(); }
    bool cancel() override { return m_controller.cancel(); }

    // The sample a progress snapshot gives: files done and in all as rsync's counters, the fraction (none
    // before anything can be measured) as 0.
    static RsyncSample sample(const GoogleProgressSnapshot& snapshot);

private:
    GoogleDrivePlan m_plan;
    bool m_allowDeletions = false;
    GoogleDriveEngine::RunServices m_services;
    GoogleDriveRunController m_controller;
};

} // namespace mv
