#include "ui/kit/ProgressMetricsView.h"

#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/shared/ProgressMetrics.h"

#include <QHBoxLayout>

namespace mv {

ProgressMetricsView::ProgressMetricsView(const RunProgress& progress, bool compact, QWidget* parent)
    : QWidget(parent)
{
    const QFont font = kitFont(compact ? 10 : 11, QFont::Medium);
    const auto item = [&] { return new TextLabel({}, font, Palette::labelSecondary, this); };
    const auto dot
        = [&] { return new TextLabel(QStringLiteral("\u00b7"), font, Palette::labelTertiary, this); };
    m_speed = item();
    m_amount = item();
    m_timeLeft = item();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(7);
    layout->addWidget(m_speed);
    layout->addWidget(m_speedDot = dot());
    layout->addWidget(m_amount);
    layout->addWidget(m_timeDot = dot());
    layout->addWidget(m_timeLeft);
    setProgress(progress);
}

void ProgressMetricsView::setProgress(const RunProgress& progress)
{
    const std::optional<ProgressMetrics> metrics = ProgressMetrics::of(progress);
    setVisible(metrics.has_value());
    if (!metrics) {
        setAccessibleName({});
        return;
    }
    m_speed->setText(metrics->speed.value_or(QString()));
    m_speed->setVisible(metrics->speed.has_value());
    m_speedDot->setVisible(metrics->speed.has_value());
    m_amount->setText(metrics->amount);
    m_timeLeft->setText(metrics->timeLeft.value_or(QString()));
    m_timeDot->setVisible(metrics->timeLeft.has_value());
    m_timeLeft->setVisible(metrics->timeLeft.has_value());
    setAccessibleName(metrics->parts().join(QStringLiteral(", ")));
}

QStringList ProgressMetricsView::parts() const
{
    QStringList shown;
    if (isHidden())
        return shown;
    if (!m_speed->isHidden())
        shown.append(m_speed->text());
    shown.append(m_amount->text());
    if (!m_timeLeft->isHidden())
        shown.append(m_timeLeft->text());
    return shown;
}

} // namespace mv
