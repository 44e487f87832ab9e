#include "shell/ActivityRow.h"

#include "platform/Clock.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/shared/ActivityRowPresentation.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

namespace P = ActivityRowPresentation;

ActivityRow::ActivityRow(Clock& clock, const BackupRunRecord& record, bool showJob, QWidget* parent)
    : QWidget(parent)
    , m_clock(clock)
    , m_record(record)
    , m_dot(new StatusDot(Palette::accent, false, 6, this))
    , m_destination(showJob ? new ElidedLabel({}, kitFont(13), Palette::labelSecondary, Qt::ElideRight, this)
                            : new ElidedLabel({}, kitFont(12), Palette::labelTertiary, Qt::ElideRight, this))
    , m_error(new ElidedLabel({}, kitFont(12), Palette::labelTertiary, Qt::ElideRight, this))
    , m_time(new TextLabel({}, kitFont(12), Palette::labelTertiary, this))
{
    auto* names = new QHBoxLayout;
    names->setSpacing(4);
    if (showJob) {
        m_job = new ElidedLabel({}, kitFont(13, QFont::Medium), Palette::label, Qt::ElideRight, this);
        m_arrow = new TextLabel(QStringLiteral("\u2192"), kitFont(12), Palette::labelTertiary, this);
        names->addWidget(m_job);
        names->addWidget(m_arrow);
    }
    names->addWidget(m_destination);
    names->addStretch();

    auto* lines = new QVBoxLayout;
    lines->setSpacing(1);
    lines->addLayout(names);
    lines->addWidget(m_error);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_dot, 0, Qt::AlignVCenter);
    layout->addLayout(lines, 1);
    layout->addWidget(m_time, 0, Qt::AlignVCenter);
    m_time->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    refresh(record);
}

void ActivityRow::refresh(const BackupRunRecord& record)
{
    m_record = record;
    m_dot->setColor(P::resultColor(record.result));
    if (m_job)
        m_job->setText(record.jobName);
    m_destination->setText(record.destinationName);
    const std::optional<QString> error = P::errorLine(record);
    m_error->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
    m_time->setText(P::timeText(record, m_clock.now()));
}

QString ActivityRow::text() const
{
    QString names = m_destination->text();
    if (m_job)
        names = m_job->text() + QLatin1Char(' ') + m_arrow->text() + QLatin1Char(' ') + names;
    QStringList parts { names };
    if (!m_error->isHidden())
        parts.append(m_error->text());
    parts.append(m_time->text());
    return parts.join(QStringLiteral(", "));
}

} // namespace mv
