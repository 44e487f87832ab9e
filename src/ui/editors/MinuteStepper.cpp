#include "ui/editors/MinuteStepper.h"

#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace mv {

namespace {

QToolButton* arrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setFixedSize(16, 11);
    button->setAccessibleName(name);
    return button;
}

} // namespace

MinuteStepper::MinuteStepper(qint64 value, qint64 minimum, qint64 maximum, qint64 step, QWidget* parent)
    : QWidget(parent)
    , m_value(value)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_step(step)
    , m_label(new TextLabel({}, kitFont(13), Palette::label, this))
    , m_up(arrowButton(Qt::UpArrow, QStringLiteral("More minutes"), this))
    , m_down(arrowButton(Qt::DownArrow, QStringLiteral("Fewer minutes"), this))
{
    m_label->setFixedWidth(60);
    m_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_label);
    row->addLayout(arrows);

    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(m_step); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-m_step); });
    setValue(value);
}

void MinuteStepper::setValue(qint64 value)
{
    m_value = value;
    m_label->setText(text());
}

QString MinuteStepper::text() const
{
    return QString::number(m_value) + QStringLiteral(" min");
}

void MinuteStepper::stepBy(qint64 delta)
{
    const qint64 next = std::clamp(m_value + delta, m_minimum, m_maximum);
    if (next == m_value)
        return;
    setValue(next);
    Q_EMIT valueChanged(next);
}

} // namespace mv
