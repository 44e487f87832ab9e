#pragma once

#include <QThreadPool>

namespace mv {

// The one pool for blocking work that must not run on the main thread: child processes waited on (ssh
// probes, version checks), keyring calls, hashing, scanning and listing folders, pruning. Qt's global pool
// has as many threads as cores (two on a small machine), so one hung SSH probe there would hold up every
// view's background work; this pool is wide enough that slow waits do not queue behind each other.
class WorkerPool {
public:
    static QThreadPool& instance();

    WorkerPool() = delete;
};

} // namespace mv
