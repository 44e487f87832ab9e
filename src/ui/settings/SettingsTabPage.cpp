#include "ui/settings/SettingsTabPage.h"

#include "ui/kit/SettingsRow.h"
#include "ui/kit/SettingsSection.h"
#include "ui/models/settings/SettingsTexts.h"

#include <QVBoxLayout>

namespace mv {

SettingsTabPage::SettingsTabPage(const SettingsTab& tab, QWidget* parent)
    : QWidget(parent)
    , m_section(new SettingsSection(tab.title, tab.subtitle, {}, this))
{
    setObjectName(tab.tag);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 4, 0, 0);
    stack->setSpacing(18);
    stack->addWidget(m_section);
    stack->addStretch(1);
}

SettingsRow* SettingsTabPage::addRow(const QString& title, std::optional<QString> detail, QWidget* accessory)
{
    auto* row = new SettingsRow(title, std::move(detail), accessory, m_section);
    m_section->addContent(row);
    return row;
}

void SettingsTabPage::addToGroup(QWidget* widget)
{
    m_section->addContent(widget);
}

void SettingsTabPage::addBelow(QWidget* widget)
{
    auto* stack = static_cast<QVBoxLayout*>(layout());
    stack->insertWidget(stack->count() - 1, widget);
}

} // namespace mv
