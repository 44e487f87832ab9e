#include "ui/kit/PlainButton.h"

#include "ui/kit/Palette.h"

#include <QHBoxLayout>
#include <QPainter>

namespace mv {

PlainButton::PlainButton(std::function<void()> action, QWidget* parent)
    : KitButton(std::move(action), false, parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCursor(Qt::PointingHandCursor);
}

void PlainButton::setContent(QWidget* content)
{
    content->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout()->addWidget(content);
}

QSize PlainButton::sizeHint() const
{
    return layout()->sizeHint();
}

QSize PlainButton::minimumSizeHint() const
{
    return layout()->minimumSize();
}

void PlainButton::setFocusRing(bool shown)
{
    m_focusRing = shown;
    update();
}

void PlainButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A press dims the face a little, as the kit's press style does for every button.
    if (isDown()) {
        QColor shade = palette().color(QPalette::WindowText);
        shade.setAlphaF(0.06);
        painter.fillRect(rect(), shade);
    }
    if (m_focusRing && hasFocus()) {
        painter.setPen(QPen(Palette::accent.resolve(this), 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace mv
