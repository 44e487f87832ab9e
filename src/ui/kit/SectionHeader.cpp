#include "ui/kit/SectionHeader.h"

#include "ui/kit/CountCapsule.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>

namespace mv {

SectionHeader::SectionHeader(const QString& title, std::optional<qint64> count,
    std::optional<QString> actionSymbol, std::optional<QString> actionHelp, std::function<void()> action,
    QWidget* parent)
    : QWidget(parent)
    , m_caption(new TextLabel(
          title.toUpper(), tracked(kitFont(12, QFont::DemiBold), 0.6), Palette::labelTertiary, this))
    , m_count(new CountCapsule(count.value_or(0), this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_caption);
    row->addWidget(m_count);
    m_count->setVisible(count.has_value());
    row->addSpacerItem(new QSpacerItem(8, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    if (actionSymbol && action) {
        m_button = new IconButton(
            *actionSymbol, actionHelp.value_or(title), false, std::nullopt, 24, std::move(action), this);
        row->addWidget(m_button);
    }
}

QString SectionHeader::caption() const
{
    return m_caption->text();
}

void SectionHeader::setCount(std::optional<qint64> count)
{
    m_count->setCount(count.value_or(0));
    m_count->setVisible(count.has_value());
}

} // namespace mv
