#pragma once

namespace mv {

// The network transfer of a whole-file upload, as a run controller stops and continues it. Calls may come
// from any thread; an implementation hops to its own where it must.
class TransferTask {
public:
    virtual ~TransferTask() = default;

    virtual void suspend() = 0;
    virtual void resume() = 0;
    virtual void cancel() = 0;
};

} // namespace mv
