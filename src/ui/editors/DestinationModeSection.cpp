#include "ui/editors/DestinationModeSection.h"

#include "ui/editors/DestinationFieldColumn.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/DestinationEditorModel.h"
#include "ui/models/editors/DestinationEditorTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace mv {

namespace {

// A picker entry's value as the combo box keeps it: -1 for none.
template <typename T> int entryData(const std::optional<T>& value)
{
    return value ? int(*value) : -1;
}

QComboBox* picker(int width)
{
    auto* box = new QComboBox;
    box->setFixedWidth(width);
    box->setFont(kitFont(13));
    return box;
}

QSpinBox* stepper(int minimum, int maximum, int step, const QString& suffix, int width)
{
    auto* box = new QSpinBox;
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    box->setSuffix(suffix);
    box->setFont(monospacedFont(12));
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(width);
    return box;
}

} // namespace

DestinationModeSection::DestinationModeSection(DestinationEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_mode(picker(200))
    , m_retention(stepper(2, 60, 1, QString(), 22 + 40))
    , m_retries(picker(160))
    , m_retryDelay(stepper(10, 300, 10, QStringLiteral("s"), 42 + 40))
    , m_understand(new QCheckBox(QStringLiteral("I understand")))
{
    const DestinationEditorState& state = model.state();
    for (const auto& entry : DestinationEditorTexts::modeEntries(model.defaultMode()))
        m_mode->addItem(entry.title, entryData(entry.value));
    fillRetries();
    m_retention->setValue(int(state.retention));
    m_retryDelay->setValue(int(state.retryDelay));
    m_understand->setFont(kitFont(13));

    auto* card = new CardSurface(10, false, std::nullopt, this);
    auto* rows = new QVBoxLayout(card);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(new SettingsRow(QStringLiteral("Mode"),
        QStringLiteral("Use the job mode unless this destination needs something different."), m_mode, card));
    m_retentionRow = new SettingsRow(QStringLiteral("Keep snapshots"),
        QStringLiteral("Older snapshots beyond this count are removed after a successful run."), m_retention,
        card);
    rows->addWidget(m_retentionRow);
    rows->addWidget(new SettingsRow(QStringLiteral("Retries"),
        QStringLiteral(
            "A failed transfer is retried this many times before this destination is marked failed."),
        m_retries, card));
    m_retryDelayRow = new SettingsRow(QStringLiteral("Retry delay"), std::nullopt, m_retryDelay, card);
    rows->addWidget(m_retryDelayRow);
    m_mirrorRow = new SettingsRow(QStringLiteral("Mirror warning"),
        QStringLiteral("Extra files at this destination are deleted. A dry-run preview is shown before every "
                       "deleting run."),
        m_understand, card);
    rows->addWidget(m_mirrorRow);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(7);
    column->addWidget(destinationSectionTitle(QStringLiteral("Mode and retention"), this));
    column->addWidget(card);

    connect(m_mode, &QComboBox::activated, this, [this](int index) {
        const int data = m_mode->itemData(index).toInt();
        m_model.edit([data](DestinationEditorState& state) {
            state.modeOverride = data < 0 ? std::nullopt : std::optional(BackupMode(data));
        });
    });
    connect(m_retries, &QComboBox::activated, this, [this](int index) {
        const int data = m_retries->itemData(index).toInt();
        m_model.edit([data](DestinationEditorState& state) {
            state.retryLimit = data < 0 ? std::nullopt : std::optional<qint64>(data);
        });
    });
    // The steppers write only when used: a stored value outside their range stays until then.
    connect(m_retention, &QSpinBox::valueChanged, this, [this](int value) {
        m_model.edit([value](DestinationEditorState& state) { state.retention = value; });
    });
    connect(m_retryDelay, &QSpinBox::valueChanged, this, [this](int value) {
        m_model.edit([value](DestinationEditorState& state) { state.retryDelay = value; });
    });
    connect(m_understand, &QCheckBox::toggled, this, [this](bool acknowledged) {
        m_model.edit(
            [acknowledged](DestinationEditorState& state) { state.mirrorAcknowledged = acknowledged; });
    });
    refresh();
}

void DestinationModeSection::fillRetries()
{
    const auto entries = DestinationEditorTexts::retryEntries(m_model.defaultRetryAttempts());
    const QSignalBlocker quiet(m_retries);
    if (m_retries->count() != entries.size()) {
        m_retries->clear();
        for (const auto& entry : entries)
            m_retries->addItem(entry.title, entryData(entry.value));
    }
    // The default entry names the setting as it is now.
    m_retries->setItemText(0, entries.first().title);
}

void DestinationModeSection::refresh()
{
    const DestinationEditorState& state = m_model.state();
    fillRetries();
    {
        const QSignalBlocker quietMode(m_mode);
        const QSignalBlocker quietRetries(m_retries);
        const QSignalBlocker quietCheck(m_understand);
        m_mode->setCurrentIndex(m_mode->findData(entryData(state.modeOverride)));
        m_retries->setCurrentIndex(m_retries->findData(entryData(state.retryLimit)));
        m_understand->setChecked(state.mirrorAcknowledged);
    }
    m_retentionRow->setVisible(m_model.effectiveMode() == BackupMode::versioned);
    m_retryDelayRow->setVisible(m_model.effectiveRetryCount() >= 1);
    m_mirrorRow->setVisible(state.modeOverride == BackupMode::mirror);
}

} // namespace mv
