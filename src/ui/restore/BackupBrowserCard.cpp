#include "ui/restore/BackupBrowserCard.h"

#include "ui/kit/CardSurface.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/PlainButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SmallSpinner.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/restore/BackupBreadcrumb.h"
#include "ui/models/restore/RestoreEntryListModel.h"
#include "ui/models/restore/RestoreSectionModel.h"
#include "ui/models/restore/RestoreTexts.h"
#include "ui/restore/BackupEntryDelegate.h"
#include "ui/restore/RestoreLocationControls.h"

#include <QHBoxLayout>
#include <QListView>
#include <QVBoxLayout>

namespace mv {

namespace {

constexpr int listHeightLimit = 280;

QWidget* loadingRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 8, 0, 8);
    layout->setSpacing(8);
    layout->addWidget(new SmallSpinner(14, SmallSpinner::Look::ring, row));
    layout->addWidget(
        new TextLabel(QStringLiteral("Reading folder\u2026"), kitFont(13), Palette::labelSecondary, row));
    layout->addStretch();
    return row;
}

QWidget* emptyNote(QWidget* parent)
{
    auto* note = new QWidget(parent);
    auto* layout = new QVBoxLayout(note);
    layout->setContentsMargins(0, 16, 0, 16);
    layout->setSpacing(8);
    layout->addWidget(
        new SymbolImage(QStringLiteral("folder"), 24, SymbolWeight::light, Palette::labelTertiary, note), 0,
        Qt::AlignHCenter);
    layout->addWidget(new TextLabel(QStringLiteral("This folder is empty, or the backup is not available."),
                          kitFont(13), Palette::labelSecondary, note),
        0, Qt::AlignHCenter);
    return note;
}

QStyleOptionViewItem rowOption(const QListView* list, const QModelIndex& index)
{
    QStyleOptionViewItem option;
    option.rect = list->visualRect(index);
    option.widget = list;
    return option;
}

} // namespace

BackupBrowserCard::BackupBrowserCard(RestoreSectionModel& model, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{
    auto* card = new CardSurface(10, false, std::nullopt, this);
    auto* stack = new QVBoxLayout(card);
    stack->setContentsMargins(13, 13, 13, 13);
    stack->setSpacing(10);

    auto* headerRow = new QHBoxLayout;
    headerRow->setSpacing(8);
    m_header = new SectionHeader(
        QStringLiteral("Browse the backup"), std::nullopt, std::nullopt, std::nullopt, {}, card);
    m_clear = new MVButton(
        QStringLiteral("Clear"), std::nullopt, MVButtonKind::quiet, true, false,
        [this] { m_model.clearSelection(); }, card);
    m_selectAll = new MVButton(
        QStringLiteral("Select all here"), std::nullopt, MVButtonKind::secondary, true, false,
        [this] { m_model.selectAllHere(); }, card);
    m_restoreAll = new MVButton(
        QStringLiteral("Restore all"), std::nullopt, MVButtonKind::secondary, true, false,
        [this] { m_model.restoreAll(); }, card);
    headerRow->addWidget(m_header);
    headerRow->addStretch(1);
    headerRow->addWidget(m_clear);
    headerRow->addWidget(m_selectAll);
    headerRow->addWidget(m_restoreAll);
    stack->addLayout(headerRow);

    m_pathBar = new QHBoxLayout;
    m_pathBar->setSpacing(4);
    m_rootButton = new IconButton(
        QStringLiteral("externaldrive"), QStringLiteral("Backup root"), false, std::nullopt, 22,
        [this] { m_model.openRoot(); }, card);
    m_parentButton = new IconButton(
        QStringLiteral("arrow.up"), QStringLiteral("Parent folder"), false, std::nullopt, 22,
        [this] { m_model.openParent(); }, card);
    m_pathBar->addWidget(m_rootButton);
    m_pathBar->addStretch(1);
    m_pathBar->addWidget(m_parentButton);
    stack->addLayout(m_pathBar);

    m_loading = loadingRow(card);
    m_rows = new RestoreEntryListModel(this);
    m_list = new QListView(card);
    m_list->setModel(m_rows);
    m_delegate = new BackupEntryDelegate([this](const QString& path) { m_model.toggle(path); },
        [this](const QString& path) { m_model.open(path); }, this);
    m_list->setItemDelegate(m_delegate);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAccessibleName(QStringLiteral("Backup items"));
    m_empty = emptyNote(card);
    stack->addWidget(m_loading);
    stack->addWidget(m_list);
    stack->addWidget(m_empty);

    m_truncated
        = new TextLabel(QStringLiteral("Showing the first 2,000 items. Open a subfolder to see the rest."),
            kitFont(12), Palette::warning, card);
    stack->addWidget(m_truncated);
    m_location = new RestoreLocationControls(model, prompts, card);
    stack->addWidget(m_location);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    m_scanning = new QWidget(card);
    auto* scanningRow = new QHBoxLayout(m_scanning);
    scanningRow->setContentsMargins(0, 0, 0, 0);
    scanningRow->setSpacing(6);
    scanningRow->addWidget(new SmallSpinner(14, SmallSpinner::Look::ring, m_scanning));
    scanningRow->addWidget(new TextLabel(
        QStringLiteral("Checking for conflicts\u2026"), kitFont(12), Palette::labelSecondary, m_scanning));
    m_summary = new TextLabel({}, kitFont(12), Palette::labelTertiary, card);
    m_restore = new MVButton(
        QStringLiteral("Restore\u2026"), QStringLiteral("arrow.uturn.backward"), MVButtonKind::primary, false,
        false, [this] { m_model.beginRestore(); }, card);
    bottom->addWidget(m_scanning);
    bottom->addWidget(m_summary);
    bottom->addStretch(1);
    bottom->addWidget(m_restore);
    stack->addLayout(bottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(card);
    refresh();
    refreshEntries();
    refreshSelection();
}

void BackupBrowserCard::refresh()
{
    refreshPathBar();
    refreshBody();
    m_location->refresh();
    refreshBottomBar();
}

void BackupBrowserCard::refreshEntries()
{
    m_rows->setEntries(m_model.entries());
    m_list->setFixedHeight(
        std::min(int(m_rows->rowCount()) * BackupEntryDelegate::rowHeight, listHeightLimit));
    refreshBody();
}

void BackupBrowserCard::refreshSelection()
{
    const qsizetype count = m_model.selected().size();
    m_rows->setSelected(m_model.selected());
    m_header->setCount(count > 0 ? std::optional<qint64>(count) : std::nullopt);
    m_clear->setVisible(count > 0);
    refreshBottomBar();
}

void BackupBrowserCard::refreshPathBar()
{
    const QStringList names = BackupBreadcrumb::relativeComponents(m_model.rootPath(), m_model.currentPath());
    if (names == m_pathNames && m_pathButtons.size() == names.size())
        return;
    qDeleteAll(m_pathWidgets);
    m_pathWidgets.clear();
    m_pathButtons.clear();
    m_pathNames = names;
    for (qsizetype i = 0; i < names.size(); ++i) {
        auto* separator = new TextLabel(QStringLiteral("/"), kitFont(13), Palette::labelTertiary, this);
        auto* button = new PlainButton([this, i] { m_model.openComponent(i); }, this);
        button->setContent(new TextLabel(names.at(i), kitFont(13, QFont::Medium),
            i + 1 == names.size() ? Palette::label : Palette::labelSecondary));
        button->setAccessibleName(names.at(i));
        m_pathBar->insertWidget(int(1 + 2 * i), separator);
        m_pathBar->insertWidget(int(2 + 2 * i), button);
        m_pathWidgets << separator << button;
        m_pathButtons << button;
    }
}

void BackupBrowserCard::refreshBody()
{
    const bool loading = m_model.isLoading();
    const bool listed = !loading && !m_model.entries().isEmpty();
    m_loading->setVisible(loading);
    m_list->setVisible(listed);
    m_empty->setVisible(!loading && !listed);
    m_truncated->setVisible(m_model.truncated());
}

void BackupBrowserCard::refreshBottomBar()
{
    m_scanning->setVisible(m_model.scanning());
    m_summary->setText(RestoreTexts::selectionSummary(m_model.selected().size()));
    m_restore->setEnabled(m_model.canRestore());
}

QWidget* BackupBrowserCard::pathBarButton(qsizetype index) const
{
    return m_pathButtons.value(index);
}

QPoint BackupBrowserCard::chevronCentre(int row) const
{
    const QModelIndex index = m_rows->index(row);
    return m_delegate->chevronRect(rowOption(m_list, index), index).center();
}

QPoint BackupBrowserCard::nameCentre(int row) const
{
    const QRect rect = m_list->visualRect(m_rows->index(row));
    return { rect.left() + 60, rect.center().y() };
}

QWidget* BackupBrowserCard::bodyShown() const
{
    if (!m_loading->isHidden())
        return m_loading;
    return m_list->isHidden() ? m_empty : m_list;
}

bool BackupBrowserCard::showsTruncationNote() const
{
    return !m_truncated->isHidden();
}

QString BackupBrowserCard::selectionSummary() const
{
    return m_summary->text();
}

} // namespace mv
