#include "shell/PlaceholderRow.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/TypeScale.h"

#include <QBoxLayout>

namespace mv {

PlaceholderRow::PlaceholderRow(const QString& title, const QString& detail, bool onCard, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_onCard(onCard)
    , m_title(new ElidedLabel(title, kitFont(onCard ? 15 : 12, QFont::DemiBold), Palette::label))
    , m_detail(new ElidedLabel(detail, kitFont(12), Palette::labelSecondary))
{
    QBoxLayout* layout = onCard ? static_cast<QBoxLayout*>(new QVBoxLayout(this)) : new QHBoxLayout(this);
    layout->setContentsMargins(onCard ? QMargins(12, 10, 12, 10) : QMargins());
    layout->setSpacing(onCard ? 4 : 6);
    layout->addWidget(m_title);
    layout->addWidget(m_detail, 1);
}

void PlaceholderRow::setTexts(const QString& title, const QString& detail)
{
    m_title->setText(title);
    m_detail->setText(detail);
}

void PlaceholderRow::paintEvent(QPaintEvent* event)
{
    if (m_onCard)
        CardSurface::paintEvent(event);
}

} // namespace mv
