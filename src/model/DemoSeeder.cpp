#include "model/DemoSeeder.h"

#include "model/ConfigurationStore.h"
#include "model/DemoData.h"
#include "model/HistoryRepository.h"

namespace mv {

DemoSeeder::DemoSeeder(ConfigurationStore& store, Clock& clock)
    : m_store(store)
    , m_clock(clock)
{
}

void DemoSeeder::seedConfigurationIfNeeded()
{
    if (!DemoData::requested() || !m_store.config().jobs.isEmpty())
        return;
    AppConfiguration config = m_store.config();
    config.jobs = DemoData::makeJobs(m_store.supportFolder(), m_clock.now().toUTC());
    config.settings.notifySuccess = true;
    m_seeded = true;
    m_store.setConfig(config);
    m_store.saveNow();
}

void DemoSeeder::seedHistoryIfNeeded(HistoryRepository& history)
{
    const QList<BackupJob>& jobs = m_store.config().jobs;
    if (!m_seeded || !DemoData::requested() || jobs.isEmpty())
        return;
    m_seeded = false;
    history.seedIfEmpty(DemoData::historyRecords(jobs, m_clock.now()));
}

} // namespace mv
