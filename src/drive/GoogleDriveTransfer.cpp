#include "drive/GoogleDriveTransfer.h"

#include <memory>

namespace mv {

GoogleDriveTransfer::GoogleDriveTransfer(
    GoogleDrivePlan plan, bool allowDeletions, GoogleDriveEngine::RunServices services)
    : m_plan(std::move(plan))
    , m_allowDeletions(allowDeletions)
    , m_services(std::move(services))
{
}

QCoro::Task<GoogleDriveOutcome> GoogleDriveTransfer::run(TransferListener& listener)
{
    // The listener is only promised until this task returns; a report that comes later is dropped.
    const auto listening = std::make_shared<TransferListener*>(&listener);
    const GoogleDriveEngine::ProgressHandler onProgress
        = [listening](const GoogleProgressSnapshot& snapshot) {
              TransferListener* const receiver = *listening;
              if (!receiver)
                  return;
              if (snapshot.currentFile)
                  receiver->transferred(*snapshot.currentFile);
              receiver->sampled(sample(snapshot));
          };
    listener.started();
    auto running = GoogleDriveEngine::run(m_plan, m_allowDeletions, m_services, m_controller, onProgress);
    GoogleDriveOutcome outcome = co_await running;
    *listening = nullptr;
    co_return outcome;
}

RsyncSample GoogleDriveTransfer::sample(const GoogleProgressSnapshot& snapshot)
{
    RsyncSample reading;
    reading.bytesTransferred = snapshot.bytes;
    reading.percent = snapshot.fraction.value_or(0);
    reading.bytesPerSecond = snapshot.bytesPerSecond;
    reading.etaSeconds = snapshot.etaSeconds;
    reading.transferIndex = snapshot.filesDone;
    reading.total = snapshot.filesTotal;
    reading.remaining = snapshot.filesTotal - snapshot.filesDone;
    return reading;
}

} // namespace mv
