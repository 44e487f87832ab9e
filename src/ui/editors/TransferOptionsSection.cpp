#include "ui/editors/TransferOptionsSection.h"

#include "ui/kit/CardSurface.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/ToggleSwitch.h"
#include "ui/models/editors/JobEditorModel.h"
#include "ui/models/editors/JobEditorPresentation.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace mv {

namespace {

struct OptionRow {
    bool TransferOptions::*option;
    QString title;
    QString detail;
};

const QList<OptionRow>& optionRows()
{
    static const QList<OptionRow> rows {
        { &TransferOptions::preservePermissions, QStringLiteral("Preserve permissions"),
            QStringLiteral("Keeps the mode bits of every file.") },
        { &TransferOptions::preserveExtendedAttributes, QStringLiteral("Preserve extended attributes"),
            QStringLiteral("File manager tags, quarantine flags and similar metadata.") },
        { &TransferOptions::preserveOwnership, QStringLiteral("Preserve ownership"),
            QStringLiteral("May need administrator rights. Most personal backups do not need this.") },
        { &TransferOptions::copySymlinks, QStringLiteral("Copy symbolic links"),
            QStringLiteral("Links are copied as links. Following them can loop or duplicate huge folders.") },
    };
    return rows;
}

} // namespace

TransferOptionsSection::TransferOptionsSection(JobEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_bandwidth(new QComboBox(this))
{
    for (const BandwidthChoice& choice : bandwidthChoices())
        m_bandwidth->addItem(choice.label);
    m_bandwidth->setFixedWidth(120);
    m_bandwidth->setAccessibleName(QStringLiteral("Bandwidth limit"));

    auto* card = new CardSurface(10, false, std::nullopt, this);
    auto* rows = new QVBoxLayout(card);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(new SettingsRow(QStringLiteral("Bandwidth limit"),
        QStringLiteral("Off uses the full connection."), m_bandwidth, card));
    for (const OptionRow& row : optionRows()) {
        auto* toggle
            = new ToggleSwitch(ToggleSwitch::Kind::plain, model.draft().options.*row.option, row.title, card);
        connect(toggle, &ToggleSwitch::toggled, this,
            [this, option = row.option](bool on) { m_model.setOption(option, on); });
        m_switches.append({ row.option, toggle });
        rows->addWidget(new SettingsRow(row.title, row.detail, toggle, card));
    }

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new SectionHeader(
        QStringLiteral("Transfer options"), std::nullopt, std::nullopt, std::nullopt, {}, this));
    column->addWidget(card);

    connect(m_bandwidth, &QComboBox::activated, this,
        [this](int index) { m_model.setBandwidthLimit(bandwidthChoices().value(index).kiloBytesPerSecond); });
    connect(&m_model, &JobEditorModel::changed, this, &TransferOptionsSection::refresh);
    refresh();
}

ToggleSwitch* TransferOptionsSection::optionSwitch(bool TransferOptions::*option) const
{
    for (const auto& [field, toggle] : m_switches) {
        if (field == option)
            return toggle;
    }
    return nullptr;
}

void TransferOptionsSection::refresh()
{
    const TransferOptions& options = m_model.draft().options;
    // A stored limit that is none of the choices shows no choice, and stays until one is picked.
    m_bandwidth->setCurrentIndex(bandwidthChoiceIndex(options.bandwidthLimitKBps).value_or(-1));
    for (const auto& [field, toggle] : std::as_const(m_switches)) {
        if (toggle->isChecked() != options.*field)
            toggle->setChecked(options.*field);
    }
}

} // namespace mv
