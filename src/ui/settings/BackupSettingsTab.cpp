#include "ui/settings/BackupSettingsTab.h"

#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/settings/SettingBinding.h"
#include "ui/models/settings/SettingsTexts.h"
#include "ui/models/shared/ViewContext.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

namespace mv {

namespace {

template <typename T>
QComboBox* picker(
    const QList<std::pair<QString, T>>& options, int width, const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    for (const auto& [title, value] : options)
        box->addItem(title, QVariant::fromValue(qint64(value)));
    box->setFixedWidth(width);
    box->setAccessibleName(name);
    return box;
}

// A stepper that only steps: its value cannot be typed, so it never holds a value off its steps.
QSpinBox* stepper(
    int minimum, int maximum, int step, const QString& suffix, const QString& name, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    box->setSuffix(suffix);
    box->setFont(monospacedFont(13));
    box->setAlignment(suffix.isEmpty() ? Qt::AlignHCenter : Qt::AlignRight);
    box->setAccessibleName(name);
    return box;
}

// Selects the option holding `value`, or none when no option holds it.
void select(QComboBox* box, qint64 value)
{
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(box->findData(QVariant::fromValue(value)));
}

void showValue(QSpinBox* box, qint64 value)
{
    const QSignalBlocker quiet(box);
    box->setValue(int(value));
}

} // namespace

BackupSettingsTab::BackupSettingsTab(ViewContext& context, QWidget* parent)
    : SettingsTabPage(SettingsTexts::tabs().at(1), parent)
    , m_context(context)
    , m_mode(picker(SettingsTexts::modeOptions(), 160, QStringLiteral("Default mode"), this))
    , m_concurrentRuns(stepper(1, 4, 1, {}, QStringLiteral("Concurrent runs"), this))
    , m_bandwidth(picker(SettingsTexts::bandwidthOptions(), 130, QStringLiteral("Bandwidth limit"), this))
    , m_retries(stepper(0, 5, 1, {}, QStringLiteral("Automatic retries"), this))
    , m_retryDelay(stepper(10, 300, 10, QStringLiteral("s"), QStringLiteral("Retry delay"), this))
    , m_retention(picker(SettingsTexts::retentionOptions(), 110, QStringLiteral("History retention"), this))
{
    addRow(QStringLiteral("Default mode"), std::nullopt, m_mode);
    addRow(QStringLiteral("Concurrent runs"),
        QStringLiteral("Each destination runs independently. 1 to 4 at once."), m_concurrentRuns);
    addRow(QStringLiteral("Bandwidth limit"),
        QStringLiteral("Applied to new runs. Off uses the full connection."), m_bandwidth);
    addRow(QStringLiteral("Automatic retries"),
        QStringLiteral("A failed transfer is retried this many times before the run is marked failed."),
        m_retries);
    addRow(QStringLiteral("Retry delay"), std::nullopt, m_retryDelay);
    addRow(QStringLiteral("History retention"),
        QStringLiteral("Older run records are removed. Backup files are never removed by this."),
        m_retention);

    ConfigurationStore& store = context.configuration;
    Clock& clock = context.clock;
    connect(m_mode, &QComboBox::activated, this, [this, &store, &clock](int index) {
        SettingBinding<BackupMode>(store, clock, &AppSettings::defaultMode)
            .set(BackupMode(m_mode->itemData(index).toLongLong()));
    });
    connect(m_bandwidth, &QComboBox::activated, this, [this, &store, &clock](int index) {
        BandwidthBinding(store, clock).set(m_bandwidth->itemData(index).toLongLong());
    });
    connect(m_retention, &QComboBox::activated, this, [this, &store, &clock](int index) {
        SettingBinding<qint64>(store, clock, &AppSettings::historyRetentionDays)
            .set(m_retention->itemData(index).toLongLong());
    });
    const std::pair<QSpinBox*, qint64 AppSettings::*> steppers[] { { m_concurrentRuns,
                                                                       &AppSettings::maxConcurrentJobs },
        { m_retries, &AppSettings::retryAttempts }, { m_retryDelay, &AppSettings::retryDelaySeconds } };
    for (const auto& [box, field] : steppers)
        connect(box, &QSpinBox::valueChanged, this,
            [&store, &clock, field](int value) { SettingBinding<qint64>(store, clock, field).set(value); });

    connect(&store, &ConfigurationStore::changed, this, &BackupSettingsTab::refresh);
    refresh();
}

void BackupSettingsTab::refresh()
{
    const AppSettings& settings = m_context.configuration.config().settings;
    select(m_mode, qint64(settings.defaultMode));
    select(m_bandwidth, settings.bandwidthLimitKBps.value_or(0));
    select(m_retention, settings.historyRetentionDays);
    showValue(m_concurrentRuns, settings.maxConcurrentJobs);
    showValue(m_retries, settings.retryAttempts);
    showValue(m_retryDelay, settings.retryDelaySeconds);
}

} // namespace mv
