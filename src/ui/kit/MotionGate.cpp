#include "ui/kit/MotionGate.h"

#include "ui/kit/MotionSettings.h"

#include <QWidget>

namespace mv {

MotionGate::MotionGate(QWidget* widget, std::function<bool()> wanted, std::function<void(bool run)> apply)
    : m_widget(widget)
    , m_wanted(std::move(wanted))
    , m_apply(std::move(apply))
{
    connect(&MotionSettings::instance(), &MotionSettings::reduceMotionChanged, this, &MotionGate::reconsider);
}

bool MotionGate::isOpen() const
{
    return m_widget->isVisible() && !MotionSettings::instance().reduceMotion() && m_wanted();
}

void MotionGate::reconsider()
{
    m_apply(isOpen());
}

} // namespace mv
