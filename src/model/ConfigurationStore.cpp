#include "model/ConfigurationStore.h"

#include "model/AppPaths.h"
#include "model/AtomicFile.h"
#include "model/ConfigurationCoding.h"
#include "model/ConfigurationFile.h"
#include "model/FileSystemError.h"
#include "model/IsoDate.h"

#include <QDir>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>

namespace mv {

namespace {

using namespace std::chrono_literals;

constexpr auto saveDelay = 250ms;

// A save killed before it finished leaves its temporary beside the document (where the file system offers
// no unnamed temporaries): the document's name, a point and six letters. Nothing else removes them, and
// each holds a whole document.
void removeStaleTemporaries(const QString& folder)
{
    static const QRegularExpression temporary(
        QStringLiteral(R"(^(config|Marrowvale-config-.+)\.json\.[A-Za-z]{6}$)"));
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (temporary.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

QString notSavedNotice(const QString& what)
{
    return what + QStringLiteral(" It was left as it is, and changes made now will not be saved.");
}

QString repairedNotice(const QStringList& repairs)
{
    constexpr qsizetype listed = 5;
    QString notice
        = QStringLiteral("Some values in the saved configuration could not be used as they were and "
                         "were repaired: ")
        + repairs.first(std::min(listed, repairs.size())).join(QStringLiteral("; "));
    if (repairs.size() > listed)
        notice += QStringLiteral("; and %1 more").arg(repairs.size() - listed);
    return notice + u'.';
}

} // namespace

ConfigurationStore::ConfigurationStore(const QString& supportFolder, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_supportFolder(supportFolder)
    , m_clock(clock)
{
    load();
}

QString ConfigurationStore::configurationPath() const
{
    return QDir(m_supportFolder).filePath(QStringLiteral("config.json"));
}

void ConfigurationStore::load()
{
    try {
        AppPaths::ensureDirectories(m_supportFolder);
    } catch (const FileSystemError&) {
        // Reading below then finds no file (defaults) or cannot read it (protected); both are handled there.
    }
    removeStaleTemporaries(m_supportFolder);
    m_config = AppConfiguration::create(m_clock.now());

    const QString path = configurationPath();
    const ConfigurationFile::Contents contents = ConfigurationFile::read(path);
    switch (contents.state) {
    case ConfigurationFile::Contents::State::missing:
        return;
    case ConfigurationFile::Contents::State::unreadable:
        m_fileProtected = true;
        setLoadError(notSavedNotice(QStringLiteral("The saved configuration “%1” could not be read: %2.")
                                        .arg(QDir::toNativeSeparators(path), contents.problem)));
        return;
    case ConfigurationFile::Contents::State::read:
        break;
    }

    auto decoded = ConfigurationCoding::read(contents.bytes, m_clock.now());
    if (decoded) {
        m_config = std::move(decoded->configuration);
        // Saved at once, so the next launch reads the same ids and has nothing to repair again.
        if (!decoded->repairs.isEmpty()) {
            setLoadError(repairedNotice(decoded->repairs));
            saveNow();
        }
        return;
    }
    const auto copy = ConfigurationFile::keepCorruptCopy(m_supportFolder, contents.bytes, m_clock.now());
    if (copy) {
        setLoadError(
            QStringLiteral("The saved configuration could not be read. A copy was kept at %1.").arg(*copy));
    } else {
        m_fileProtected = true;
        setLoadError(notSavedNotice(QStringLiteral(
            "The saved configuration “%1” could not be read, and no copy of it could be kept: %2.")
                                        .arg(QDir::toNativeSeparators(path), copy.error())));
    }
}

void ConfigurationStore::setConfig(const AppConfiguration& config)
{
    m_config = config;
    Q_EMIT changed();
}

void ConfigurationStore::setLoadError(const QString& message)
{
    m_loadError = message;
    Q_EMIT changed();
    Q_EMIT loadErrorChanged();
}

bool ConfigurationStore::saveNow()
{
    if (m_pendingSave) {
        m_pendingSave->cancel();
        m_pendingSave.reset();
    }
    // The error text set at load already tells the user that nothing is saved.
    if (m_fileProtected)
        return false;
    try {
        AppPaths::ensureDirectories(m_supportFolder);
        AtomicFile::write(configurationPath(), ConfigurationCoding::encode(m_config));
        return true;
    } catch (const FileSystemError& error) {
        setLoadError(QStringLiteral("The configuration could not be saved: ") + error.description());
        return false;
    }
}

void ConfigurationStore::scheduleSave()
{
    if (m_pendingSave)
        m_pendingSave->cancel();
    // The alarm dies with the store, so a save still pending then is dropped.
    m_pendingSave = m_clock.after(saveDelay, [self = QPointer<ConfigurationStore>(this)] {
        if (self)
            self->saveNow();
    });
}

std::optional<BackupJob> ConfigurationStore::job(const QUuid& id) const
{
    for (const BackupJob& candidate : m_config.jobs) {
        if (candidate.id == id)
            return candidate;
    }
    return std::nullopt;
}

void ConfigurationStore::finishEdit()
{
    m_config.updatedAt = m_clock.now().toUTC();
    Q_EMIT changed();
    scheduleSave();
}

void ConfigurationStore::addJob(const BackupJob& job)
{
    m_config.jobs.append(job);
    finishEdit();
}

void ConfigurationStore::replaceJob(const BackupJob& job)
{
    for (BackupJob& existing : m_config.jobs) {
        if (existing.id == job.id) {
            existing = job;
            finishEdit();
            return;
        }
    }
    addJob(job);
}

void ConfigurationStore::deleteJob(const QUuid& id)
{
    m_config.jobs.removeIf([&](const BackupJob& job) { return job.id == id; });
    finishEdit();
}

std::optional<BackupJob> ConfigurationStore::duplicateJob(const QUuid& id)
{
    std::optional<BackupJob> copy = job(id);
    if (!copy)
        return std::nullopt;
    const QDateTime now = m_clock.now().toUTC();
    copy->id = QUuid::createUuid();
    copy->name += QStringLiteral(" Copy");
    copy->createdAt = now;
    for (BackupDestination& destination : copy->destinations) {
        destination.id = QUuid::createUuid();
        destination.createdAt = now;
        destination.lastAttempt.reset();
        destination.lastSuccess.reset();
        destination.lastResult.reset();
        destination.lastError.reset();
        destination.nextRun.reset();
    }
    addJob(*copy);
    return copy;
}

void ConfigurationStore::updateDestination(
    const QUuid& jobID, const QUuid& destinationID, const std::function<void(BackupDestination&)>& change)
{
    const auto owner = std::find_if(m_config.jobs.begin(), m_config.jobs.end(),
        [&](const BackupJob& candidate) { return candidate.id == jobID; });
    if (owner == m_config.jobs.end())
        return;
    const auto destination = std::find_if(owner->destinations.begin(), owner->destinations.end(),
        [&](const BackupDestination& d) { return d.id == destinationID; });
    if (destination == owner->destinations.end())
        return;
    change(*destination);
    finishEdit();
}

QString ConfigurationStore::exportConfiguration() const
{
    AppPaths::ensureDirectories(m_supportFolder);
    const QString stamp = isoDateText(m_clock.now()).replace(QLatin1Char(':'), QLatin1Char('-'));
    const QString path
        = QDir(m_supportFolder).filePath(QStringLiteral("Marrowvale-config-%1.json").arg(stamp));
    AtomicFile::write(path, ConfigurationCoding::encode(m_config));
    return path;
}

} // namespace mv
