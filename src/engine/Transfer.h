#pragma once

#include "engine/RsyncEvent.h"
#include "engine/RsyncOutcome.h"
#include "engine/RunControlling.h"

#include <QString>

#include <qcoro/qcorotask.h>

namespace mv {

// What a transfer tells while it runs. rsync calls it on its reading threads, Drive on the main thread; a
// listener takes either and never expects to be called on the thread that awaits the run.
class TransferListener {
public:
    virtual ~TransferListener() = default;

    // The transfer now exists (rsync's child is running): pause, resume and cancel reach it from here on.
    virtual void started() = 0;
    // A reading of the whole transfer's progress.
    virtual void sampled(const RsyncSample& sample) = 0;
    // An item was written (a folder's name ends with "/").
    virtual void transferred(const QString& name) = 0;
};

// One transfer of a planned run, rsync or Google Drive alike: the one road the coordinator drives, so
// retries, pauses, cancels, progress and endings are written once whatever moves the files. `Outcome` is
// how the road reports the end of one transfer.
template <class Outcome> class TransferOf : public RunControlling {
public:
    // Runs the transfer to its one outcome; it never throws. A pause or cancel that comes before the start
    // is applied as the transfer starts.
    virtual QCoro::Task<Outcome> run(TransferListener& listener) = 0;
};

// A transfer by rsync. One that could not start ends with exit code -1 and the reason as its only error.
class Transfer : public TransferOf<RsyncOutcome> { };

} // namespace mv
