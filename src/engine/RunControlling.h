#pragma once

namespace mv {

// What the coordinator may do to a live transfer, rsync or Google Drive alike. Callable from any thread.
class RunControlling {
public:
    virtual ~RunControlling() = default;

    // Stops the transfer where it stands; true when that took effect.
    virtual bool pause() = 0;
    // Continues a paused transfer; true when that took effect.
    virtual bool resume() = 0;
    // Ends the transfer; true when a running transfer was told to stop.
    virtual bool cancel() = 0;
};

} // namespace mv
