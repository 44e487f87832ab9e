#include "ui/kit/SegmentButton.h"

#include <QKeyEvent>

namespace mv {

SegmentButton::SegmentButton(const QString& title, QWidget* parent)
    : QPushButton(title, parent)
{
    setCheckable(true);
    setAutoDefault(false);
}

void SegmentButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace mv
