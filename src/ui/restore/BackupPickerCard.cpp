#include "ui/restore/BackupPickerCard.h"

#include "ui/kit/CardSurface.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/restore/RestoreSectionModel.h"
#include "ui/models/restore/RestoreTexts.h"
#include "ui/models/shared/ViewContext.h"
#include "ui/restore/GoogleDriveLink.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

namespace mv {

namespace {

// A caption over a pop-up of a fixed width.
QWidget* pickerColumn(const QString& caption, QComboBox* picker, int width, QWidget* parent)
{
    auto* column = new QWidget(parent);
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(4);
    stack->addWidget(new TextLabel(caption, kitFont(12, QFont::Medium), Palette::labelSecondary, column));
    picker->setParent(column);
    picker->setFixedWidth(width);
    picker->setFont(kitFont(13));
    picker->setAccessibleName(caption);
    stack->addWidget(picker);
    return column;
}

// Fills a pop-up with (title, id) items and selects `chosen`, or nothing when it is not among them. Items
// that have not changed are kept, so an open pop-up is not rebuilt under the pointer.
void fill(QComboBox* picker, const QList<std::pair<QString, QString>>& items, const QString& chosen)
{
    const QSignalBlocker quiet(picker);
    bool same = picker->count() == items.size();
    for (int i = 0; same && i < picker->count(); ++i)
        same = picker->itemText(i) == items[i].first && picker->itemData(i).toString() == items[i].second;
    if (!same) {
        picker->clear();
        for (const auto& [title, value] : items)
            picker->addItem(title, value);
    }
    picker->setCurrentIndex(picker->findData(chosen));
}

std::optional<QUuid> idAt(const QComboBox* picker, int index)
{
    const QUuid id(picker->itemData(index).toString());
    return id.isNull() ? std::nullopt : std::optional(id);
}

QString idText(const std::optional<QUuid>& id)
{
    return id ? id->toString() : QString();
}

} // namespace

BackupPickerCard::BackupPickerCard(RestoreSectionModel& model, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_prompts(prompts)
    , m_jobs(new QComboBox)
    , m_destinations(new QComboBox)
    , m_snapshots(new QComboBox)
{
    auto* card = new CardSurface(10, false, std::nullopt, this);
    auto* stack = new QVBoxLayout(card);
    stack->setContentsMargins(13, 13, 13, 13);
    stack->setSpacing(12);
    stack->addWidget(new SectionHeader(
        QStringLiteral("Choose a backup"), std::nullopt, std::nullopt, std::nullopt, {}, card));

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(pickerColumn(QStringLiteral("Job"), m_jobs, 190, card), 0, Qt::AlignVCenter);
    row->addWidget(
        pickerColumn(QStringLiteral("Destination"), m_destinations, 190, card), 0, Qt::AlignVCenter);
    m_snapshotColumn = pickerColumn(QStringLiteral("Snapshot"), m_snapshots, 220, card);
    row->addWidget(m_snapshotColumn, 0, Qt::AlignVCenter);
    row->addStretch(1);
    m_destinationButton = new MVButton(
        QStringLiteral("Reveal"), QStringLiteral("folder"), MVButtonKind::secondary, true, false,
        [this] { pressDestinationButton(); }, card);
    row->addWidget(m_destinationButton, 0, Qt::AlignBottom);
    stack->addLayout(row);

    auto* noteRow = new QHBoxLayout;
    noteRow->setSpacing(6);
    m_noteSymbol = new SymbolImage(
        QStringLiteral("info.circle"), 12, SymbolWeight::regular, Palette::labelTertiary, card);
    noteRow->addWidget(m_noteSymbol, 0, Qt::AlignTop);
    m_note = new TextLabel({}, kitFont(12), Palette::labelTertiary, card);
    m_note->setWordWrap(true);
    noteRow->addWidget(m_note, 1);
    stack->addLayout(noteRow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(card);

    connect(
        m_jobs, &QComboBox::activated, this, [this](int index) { m_model.chooseJob(idAt(m_jobs, index)); });
    connect(m_destinations, &QComboBox::activated, this,
        [this](int index) { m_model.chooseDestination(idAt(m_destinations, index)); });
    connect(m_snapshots, &QComboBox::activated, this,
        [this](int index) { m_model.chooseSnapshot(m_snapshots->itemData(index).toString()); });
    refresh();
}

void BackupPickerCard::refresh()
{
    refreshJobs();
    refreshDestinations();
    refreshSnapshots();
    refreshButton();
    const bool versioned = m_model.isVersioned();
    m_noteSymbol->setSymbol(RestoreTexts::modeNoteSymbol(versioned));
    m_note->setText(RestoreTexts::modeNote(versioned));
}

QString BackupPickerCard::note() const
{
    return m_note->text();
}

void BackupPickerCard::refreshJobs()
{
    // The placeholder's value is none; a job that was removed leaves the picker without a selection.
    QList<std::pair<QString, QString>> items { { QStringLiteral("Choose a job"), QString() } };
    for (const BackupJob& job : m_model.jobs())
        items.append({ job.name, job.id.toString() });
    fill(m_jobs, items, idText(m_model.jobID()));
}

void BackupPickerCard::refreshDestinations()
{
    QList<std::pair<QString, QString>> items { { QStringLiteral("Choose a destination"), QString() } };
    if (const std::optional<BackupJob> job = m_model.job()) {
        for (const BackupDestination& destination : job->destinations)
            items.append({ destination.name, destination.id.toString() });
    }
    fill(m_destinations, items, idText(m_model.destinationID()));
}

void BackupPickerCard::refreshSnapshots()
{
    const bool shown = m_model.isVersioned() && m_model.isBrowsable();
    m_snapshotColumn->setVisible(shown);
    if (!shown)
        return;
    QList<std::pair<QString, QString>> items;
    for (const QString& path : m_model.snapshots())
        items.append({ RestoreTexts::snapshotLabel(path), path });
    fill(m_snapshots, items, m_model.rootPath());
}

void BackupPickerCard::refreshButton()
{
    const std::optional<BackupDestination> destination = m_model.destination();
    // An SSH server's folder is not on this computer, so there is nothing here to reveal.
    const bool drive = destination && destination->kind == DestinationKind::googleDrive;
    m_destinationButton->setVisible(destination && (drive || m_model.isBrowsable()));
    m_destinationButton->setTitle(drive ? QStringLiteral("Open Drive") : QStringLiteral("Reveal"));
    m_destinationButton->setSymbol(
        drive ? QStringLiteral("arrow.up.right.square") : QStringLiteral("folder"));
}

void BackupPickerCard::pressDestinationButton()
{
    const std::optional<BackupDestination> destination = m_model.destination();
    if (!destination)
        return;
    if (destination->kind == DestinationKind::googleDrive)
        openGoogleDrive(m_prompts);
    else
        m_prompts.openUrl(QUrl::fromLocalFile(destination->path));
}

} // namespace mv
