#include "ui/dashboard/DividedEntry.h"

#include "ui/kit/Hairline.h"

#include <QVBoxLayout>

namespace mv {

DividedEntry::DividedEntry(QWidget* content, bool first, QWidget* parent)
    : QWidget(parent)
    , m_column(new QVBoxLayout(this))
{
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_column->addWidget(content);
    setFirst(first);
}

// The divider exists only where it shows, so the dividers of a list are exactly those between its entries.
void DividedEntry::setFirst(bool first)
{
    if (first) {
        delete m_divider;
        m_divider = nullptr;
    } else if (!m_divider) {
        m_divider = new Hairline(Qt::Horizontal, HairlineWeight::full, 44, this);
        m_column->insertWidget(0, m_divider);
    }
}

} // namespace mv
