#include "ui/kit/ElidedLabel.h"

#include "ui/kit/KitAccessibility.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mv {

namespace {

// More characters than fit the widest label: even the narrowest glyphs are more than a pixel wide.
constexpr qsizetype shownCharacters = 4096;

// The first `count` characters of `text`, never ending inside a surrogate pair.
QString head(const QString& text, qsizetype count)
{
    return text.left(count > 0 && text.at(count - 1).isHighSurrogate() ? count - 1 : count);
}

// The last `count` characters of `text`, never starting inside a surrogate pair.
QString tail(const QString& text, qsizetype count)
{
    return text.right(count > 0 && text.at(text.size() - count).isLowSurrogate() ? count - 1 : count);
}

QString shownPart(const QString& text, Qt::TextElideMode mode)
{
    if (text.size() <= shownCharacters)
        return text;
    const QString ellipsis = QStringLiteral("…");
    switch (mode) {
    case Qt::ElideLeft:
        return ellipsis + tail(text, shownCharacters);
    case Qt::ElideMiddle:
        return head(text, shownCharacters / 2) + ellipsis + tail(text, shownCharacters / 2);
    case Qt::ElideRight:
    case Qt::ElideNone:
        break;
    }
    return head(text, shownCharacters) + ellipsis;
}

} // namespace

ElidedLabel::ElidedLabel(
    const QString& text, const QFont& font, PaletteColor color, Qt::TextElideMode mode, QWidget* parent)
    : QWidget(parent)
    , m_color(std::move(color))
    , m_mode(mode)
{
    installKitAccessibility();
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setText(text);
}

void ElidedLabel::setText(const QString& text)
{
    m_text = text;
    m_shown = shownPart(text, m_mode);
    setAccessibleName(text);
    updateGeometry();
    update();
}

void ElidedLabel::setColor(PaletteColor color)
{
    m_color = std::move(color);
    update();
}

QString ElidedLabel::elidedText() const
{
    return fontMetrics().elidedText(m_shown, m_mode, width());
}

QRect ElidedLabel::textRect() const
{
    return { 0, 0, std::min(fontMetrics().horizontalAdvance(elidedText()), width()), height() };
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(metrics.horizontalAdvance(m_shown))), int(std::ceil(metrics.height())) };
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(metrics.horizontalAdvance(QStringLiteral("…")))),
        int(std::ceil(metrics.height())) };
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_color.resolve(this));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, elidedText());
}

} // namespace mv
