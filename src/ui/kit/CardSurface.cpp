#include "ui/kit/CardSurface.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/Motion.h"

#include <QPainter>
#include <QVBoxLayout>

namespace mv {

CardSurface::CardSurface(qreal radius, bool highlighted, std::optional<PaletteColor> tint, QWidget* parent)
    : QWidget(parent)
    , m_radius(radius)
    , m_highlighted(highlighted)
    , m_highlight(highlighted ? 1 : 0)
    , m_tint(std::move(tint))
{
    installKitAccessibility();
}

void CardSurface::setHighlighted(bool highlighted)
{
    if (highlighted == m_highlighted)
        return;
    m_highlighted = highlighted;
    Motion::animate(*this, "highlight", {}, highlighted ? 1.0 : 0.0, Motion::quick());
}

void CardSurface::setHighlight(qreal highlight)
{
    m_highlight = highlight;
    update();
}

void CardSurface::setTint(std::optional<PaletteColor> tint)
{
    m_tint = std::move(tint);
    update();
}

QColor CardSurface::fillColor() const
{
    if (m_tint)
        return m_tint->resolve(this);
    return Palette::mix(Palette::card.resolve(this), Palette::cardRaised.resolve(this), m_highlight);
}

QColor CardSurface::borderColor() const
{
    return Palette::mix(Palette::hairline.resolve(this), Palette::hairlineStrong.resolve(this), m_highlight);
}

void CardSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintSurface(painter, rect(), m_radius, fillColor(), borderColor());
}

CardSurface* cardSurface(QWidget* content, qreal radius, bool highlighted, std::optional<PaletteColor> tint)
{
    auto* card = new CardSurface(radius, highlighted, std::move(tint), content->parentWidget());
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(content);
    return card;
}

} // namespace mv
