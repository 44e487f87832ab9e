#include "ui/dashboard/ActivityDetailRow.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Palette.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/ActivityPresentation.h"
#include "ui/models/ActivityRowPresentation.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

ActivityDetailRow::ActivityDetailRow(
    const BackupRunRecord& record, bool isSelected, Prompts& prompts, Actions actions, QWidget* parent)
    : QWidget(parent)
    , m_record(record)
    , m_selected(isSelected)
    , m_prompts(prompts)
    , m_actions(std::move(actions))
    , m_details(QStringLiteral("View Details"))
    , m_log(QStringLiteral("View Log"))
    , m_reveal(QStringLiteral("Reveal Log"))
    , m_delete(QStringLiteral("Delete Entry\u2026"))
{
    m_details.setObjectName(QStringLiteral("viewRunDetails"));
    m_log.setObjectName(QStringLiteral("viewRunLog"));
    m_reveal.setObjectName(QStringLiteral("revealRunLog"));
    m_delete.setObjectName(QStringLiteral("deleteRunEntry"));
    connect(&m_details, &QAction::triggered, this, [this] { m_actions.select(); });
    connect(&m_log, &QAction::triggered, this, [this] { m_actions.showLog(m_record); });
    connect(&m_reveal, &QAction::triggered, this, [this] {
        if (m_record.logPath)
            m_prompts.reveal(*m_record.logPath);
    });
    connect(&m_delete, &QAction::triggered, this, [this] { m_actions.remove(); });

    const PaletteColor resultColor(ActivityRowPresentation::resultColor(record.result));
    auto* dot = new StatusDot(resultColor, false, 6, this);

    auto* title = new QHBoxLayout;
    title->setSpacing(6);
    title->addWidget(
        new ElidedLabel(record.jobName, kitFont(15, QFont::Medium), Palette::label, Qt::ElideRight, this));
    title->addWidget(new TextLabel(QStringLiteral("\u2192"), kitFont(12), Palette::labelTertiary, this));
    title->addWidget(
        new ElidedLabel(record.destinationName, kitFont(13), Palette::labelSecondary, Qt::ElideRight, this));
    title->addWidget(new StatusChip(
        ActivityPresentation::resultLabel(record.result), resultColor, std::nullopt, false, this));
    title->addStretch(1);
    title->addWidget(new TextLabel(
        ActivityPresentation::startTimeText(record), kitFont(12), Palette::labelTertiary, this));

    auto* facts = new QHBoxLayout;
    facts->setSpacing(8);
    for (const QString& fact : ActivityPresentation::factLine(record))
        facts->addWidget(new TextLabel(fact, kitFont(12), Palette::labelTertiary, this));
    facts->addStretch(1);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(3);
    lines->addLayout(title);
    lines->addLayout(facts);
    if (const std::optional<QString> error = ActivityPresentation::errorSummary(record)) {
        auto* line = new TextLabel(
            *error, kitFont(12), PaletteColor(ActivityPresentation::rowErrorColor(record.result)), this);
        line->setWordWrap(true);
        line->setMaximumHeight(line->fontMetrics().lineSpacing() * 2);
        lines->addWidget(line);
    }

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 9, 12, 9);
    row->setSpacing(10);
    auto* dotColumn = new QVBoxLayout;
    dotColumn->setContentsMargins(0, 5, 0, 0);
    dotColumn->addWidget(dot);
    dotColumn->addStretch(1);
    row->addLayout(dotColumn);
    row->addLayout(lines, 1);
    setAccessibleName(record.jobName + QStringLiteral(" \u2192 ") + record.destinationName
        + QStringLiteral(", ") + ActivityPresentation::resultLabel(record.result));
}

void ActivityDetailRow::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void ActivityDetailRow::fillContextMenu(QMenu& menu)
{
    menu.addAction(&m_details);
    menu.addAction(&m_log);
    if (m_record.logPath)
        menu.addAction(&m_reveal);
    menu.addSeparator();
    menu.addAction(&m_delete);
}

void ActivityDetailRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_actions.select();
}

void ActivityDetailRow::contextMenuEvent(QContextMenuEvent* event)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillContextMenu(*menu);
    menu->popup(event->globalPos());
    event->accept();
}

void ActivityDetailRow::paintEvent(QPaintEvent*)
{
    if (m_selected)
        QPainter(this).fillRect(rect(), Palette::accent.opacity(0.09).resolve(this));
}

} // namespace mv
