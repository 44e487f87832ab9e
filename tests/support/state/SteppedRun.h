#pragma once

#include "model/BackupJob.h"
#include "support/ScriptedRsync.h"

namespace mv::test {

struct AppStateHarness;

// One job's run whose progress the test moves by hand, for checking a view between two samples: the
// stand-in rsync reports 25 % and waits, then at step() reports 50 % and waits until the run is cancelled
// or the test ends. Made before the hub is built, on the hub's configuration.
class SteppedRun {
public:
    explicit SteppedRun(AppStateHarness& hub);

    const BackupJob& job() const { return m_job; }
    // Hands the second sample over.
    void step() const;

private:
    static constexpr auto folder = "ssd";
    ScriptedRsync m_rsync;
    BackupJob m_job;
};

} // namespace mv::test
