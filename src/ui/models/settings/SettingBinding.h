#pragma once

#include "model/AppSettings.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"

#include <functional>
#include <optional>

namespace mv {

// Writes one setting the way every settings control does: the field, then the configuration's updatedAt,
// then a debounced save. Each of the two writes is announced to the store's observers. Nothing is compared
// or checked first: writing the stored value again still stamps and saves, and the controls bound the values.
void writeSetting(ConfigurationStore& store, Clock& clock, const std::function<void(AppSettings&)>& change);

// A two-way binding of one field of the settings: reads the stored value afresh each time, writes as
// writeSetting() does.
template <typename T> class SettingBinding {
public:
    SettingBinding(ConfigurationStore& store, Clock& clock, T AppSettings::*field)
        : m_store(store)
        , m_clock(clock)
        , m_field(field)
    {
    }

    T get() const { return m_store.config().settings.*m_field; }
    void set(T value) const
    {
        writeSetting(m_store, m_clock, [this, value](AppSettings& settings) { settings.*m_field = value; });
    }

private:
    ConfigurationStore& m_store;
    Clock& m_clock;
    T AppSettings::*m_field;
};

// The bandwidth limit as its picker offers it: 0 stands for no limit, which is stored as no value at all.
class BandwidthBinding {
public:
    BandwidthBinding(ConfigurationStore& store, Clock& clock)
        : m_store(store)
        , m_clock(clock)
    {
    }

    qint64 get() const;
    void set(qint64 kilobytesPerSecond) const;

private:
    ConfigurationStore& m_store;
    Clock& m_clock;
};

// Puts every preference back to its default, stamped and saved; jobs, secrets and history are not touched.
void resetSettings(ConfigurationStore& store, Clock& clock);

} // namespace mv
