#include "ui/kit/SettingsSection.h"

#include "ui/kit/CardSurface.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QVBoxLayout>

namespace mv {

SettingsSection::SettingsSection(
    const QString& title, std::optional<QString> subtitle, const QList<QWidget*>& content, QWidget* parent)
    : QWidget(parent)
    , m_card(new CardSurface(10, false, std::nullopt, this))
    , m_body(new QVBoxLayout(m_card))
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(10);

    auto* heading = new QVBoxLayout;
    heading->setSpacing(2);
    heading->addWidget(new TextLabel(title, kitFont(16, QFont::DemiBold), Palette::label, this));
    if (subtitle) {
        auto* line = new TextLabel(*subtitle, kitFont(13), Palette::labelSecondary, this);
        line->setWordWrap(true);
        heading->addWidget(line);
    }
    stack->addLayout(heading);

    m_body->setContentsMargins(0, 0, 0, 0);
    m_body->setSpacing(0);
    for (QWidget* widget : content)
        addContent(widget);
    stack->addWidget(m_card);
    // Given more height than it needs, the section keeps its spacing and leaves the rest below it.
    stack->addStretch(1);
}

void SettingsSection::addContent(QWidget* widget)
{
    m_body->addWidget(widget);
}

} // namespace mv
