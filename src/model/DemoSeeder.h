#pragma once

#include "platform/Clock.h"

namespace mv {

class ConfigurationStore;
class HistoryRepository;

// Demo mode, when MARROWVALE_DEMO is exactly "1": the program calls this at launch so that an empty
// configuration gets the demo's folders, jobs and history.
class DemoSeeder {
public:
    explicit DemoSeeder(ConfigurationStore& store, Clock& clock = Clock::system());

    // An empty configuration gets three sample jobs with their folders under "<support>/Demo", notices of
    // successes on, and is saved at once. Not an edit: the document's updatedAt stays as it was.
    void seedConfigurationIfNeeded();
    // Writes the demo jobs' history rows into an empty history, only after seedConfigurationIfNeeded()
    // seeded the demo in this launch: a real user's history never receives made-up runs.
    void seedHistoryIfNeeded(HistoryRepository& history);

private:
    ConfigurationStore& m_store;
    Clock& m_clock;
    bool m_seeded = false;
};

} // namespace mv
