#pragma once

#include <QString>

namespace mv {

// Whether a destination can be written to right now, as the destination monitor judges it.
struct Availability {
    enum class State {
        offline, // cannot be written to; `reason` says why and is shown to the user
        unknown, // no judgement possible (an SSH destination whose last run failed with an error)
        online,
    };

    State state = State::unknown;
    QString reason; // empty unless offline

    static Availability offline(const QString& reason) { return { State::offline, reason }; }
    static Availability unknown() { return { State::unknown, {} }; }
    static Availability online() { return { State::online, {} }; }

    bool isOffline() const { return state == State::offline; }

    bool operator==(const Availability&) const = default;
};

} // namespace mv
