#include "ui/dashboard/SectionPlaceholder.h"

#include "ui/kit/EmptyStateView.h"

#include <QVBoxLayout>

namespace mv {

SectionPlaceholder::SectionPlaceholder(DashboardSection section, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 40, 0, 0);
    column->addWidget(
        new EmptyStateView(sectionSymbol(section), sectionTitle(section), {}, std::nullopt, {}, this));
    column->addStretch(1);
}

} // namespace mv
