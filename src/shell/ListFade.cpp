#include "shell/ListFade.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>

namespace mv {

ListFade::ListFade(QWidget* list, qreal share, std::function<QColor()> backdrop)
    : QWidget(list)
    , m_list(list)
    , m_share(share)
    , m_backdrop(std::move(backdrop))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    list->installEventFilter(this);
    follow();
}

bool ListFade::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::Resize)
        follow();
    return QWidget::eventFilter(watched, event);
}

void ListFade::follow()
{
    const int height = qRound(m_list->height() * m_share);
    setGeometry(0, m_list->height() - height, m_list->width(), height);
    raise();
}

void ListFade::paintEvent(QPaintEvent*)
{
    QColor solid = m_backdrop();
    QColor clear = solid;
    clear.setAlpha(0);
    QLinearGradient fade(0, 0, 0, height());
    fade.setColorAt(0, clear);
    fade.setColorAt(1, solid);
    QPainter(this).fillRect(rect(), fade);
}

} // namespace mv
