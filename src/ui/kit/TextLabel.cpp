#include "ui/kit/TextLabel.h"

#include <QEvent>

namespace mv {

TextLabel::TextLabel(const QString& text, const QFont& font, PaletteColor color, QWidget* parent)
    : QLabel(text, parent)
    , m_color(std::move(color))
{
    setFont(font);
    setTextFormat(Qt::PlainText);
    applyColor();
}

void TextLabel::setColor(PaletteColor color)
{
    m_color = std::move(color);
    applyColor();
}

void TextLabel::changeEvent(QEvent* event)
{
    // A new palette from a parent may mean a new appearance: the text colour follows it.
    if (event->type() == QEvent::PaletteChange && !m_applying)
        applyColor();
    QLabel::changeEvent(event);
}

void TextLabel::applyColor()
{
    const QColor colour = m_color.resolve(this);
    if (palette().color(QPalette::WindowText) == colour)
        return;
    m_applying = true;
    // Only the text colour is the label's own; every other role stays inherited from its parents.
    QPalette own;
    own.setColor(QPalette::WindowText, colour);
    setPalette(own);
    m_applying = false;
}

} // namespace mv
