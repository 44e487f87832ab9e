#include "ui/models/settings/SettingBinding.h"

namespace mv {

void writeSetting(ConfigurationStore& store, Clock& clock, const std::function<void(AppSettings&)>& change)
{
    AppConfiguration config = store.config();
    change(config.settings);
    store.setConfig(config);
    config.updatedAt = clock.now();
    store.setConfig(config);
    store.scheduleSave();
}

qint64 BandwidthBinding::get() const
{
    return m_store.config().settings.bandwidthLimitKBps.value_or(0);
}

void BandwidthBinding::set(qint64 kilobytesPerSecond) const
{
    writeSetting(m_store, m_clock, [kilobytesPerSecond](AppSettings& settings) {
        settings.bandwidthLimitKBps
            = kilobytesPerSecond == 0 ? std::nullopt : std::optional<qint64>(kilobytesPerSecond);
    });
}

void resetSettings(ConfigurationStore& store, Clock& clock)
{
    AppConfiguration config = store.config();
    config.settings = AppSettings {};
    config.updatedAt = clock.now();
    store.setConfig(config);
    store.scheduleSave();
}

} // namespace mv
