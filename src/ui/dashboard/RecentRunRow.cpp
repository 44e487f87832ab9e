#include "ui/dashboard/RecentRunRow.h"

#include "model/Format.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVPressStyle.h"
#include "ui/kit/Palette.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {

PaletteColor resultColor(RunResult result)
{
    switch (result) {
    case RunResult::running:
        return Palette::accent;
    case RunResult::success:
        return Palette::success;
    case RunResult::failed:
        return Palette::danger;
    default:
        return Palette::warning;
    }
}

} // namespace

RecentRunRow::RecentRunRow(const BackupRunRecord& record, bool showJob, const QDateTime& now, QWidget* parent)
    : QAbstractButton(parent)
    , m_record(record)
    , m_press(new MVPressStyle(this))
{
    auto* names = new QHBoxLayout;
    names->setSpacing(4);
    if (showJob) {
        names->addWidget(new ElidedLabel(
            record.jobName, kitFont(13, QFont::Medium), Palette::label, Qt::ElideRight, this));
        names->addWidget(new TextLabel(QStringLiteral("\u2192"), kitFont(12), Palette::labelTertiary, this));
        names->addWidget(new ElidedLabel(
            record.destinationName, kitFont(13), Palette::labelSecondary, Qt::ElideRight, this));
    } else {
        names->addWidget(new ElidedLabel(
            record.destinationName, kitFont(12), Palette::labelTertiary, Qt::ElideRight, this));
    }
    names->addStretch(1);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(1);
    lines->addLayout(names);
    if (record.result != RunResult::success && record.errorSummary && !record.errorSummary->isEmpty())
        lines->addWidget(
            new ElidedLabel(*record.errorSummary, kitFont(12), Palette::labelTertiary, Qt::ElideRight, this));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 9, 12, 9);
    row->setSpacing(8);
    row->addWidget(new StatusDot(resultColor(record.result), false, 6, this), 0, Qt::AlignVCenter);
    row->addLayout(lines, 1);
    row->addSpacing(6);
    const QDateTime when = record.endedAt.value_or(record.startedAt);
    row->addWidget(new TextLabel(Format::relative(when, now), kitFont(12), Palette::labelTertiary, this), 0,
        Qt::AlignVCenter);

    setCursor(Qt::PointingHandCursor);
    setAccessibleName(record.jobName + QStringLiteral(" \u2192 ") + record.destinationName);
}

void RecentRunRow::paintEvent(QPaintEvent*)
{
    // The labels paint themselves; the row only shows that it is pressed.
    if (!isDown())
        return;
    QPainter painter(this);
    m_press->apply(painter);
    painter.fillRect(rect(), Palette::well.resolve(this));
}

} // namespace mv
