#pragma once

#include "ui/kit/Palette.h"

#include <QWidget>

#include <optional>

namespace mv {

// The look of every card: a rounded fill (the tint when given, else raised when highlighted, else the card
// colour) with a hairline border inside its edge, stronger when highlighted. It adds no padding of its own.
class CardSurface : public QWidget {
    Q_OBJECT
public:
    CardSurface(qreal radius, bool highlighted, std::optional<PaletteColor> tint, QWidget* parent = nullptr);

    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return m_highlighted; }
    void setTint(std::optional<PaletteColor> tint);

    QColor fillColor() const;
    QColor borderColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_radius;
    bool m_highlighted;
    std::optional<PaletteColor> m_tint;
};

// Wraps `content` in a CardSurface that takes its place: content.cardSurface(radius:highlighted:tint:).
CardSurface* cardSurface(QWidget* content, qreal radius, bool highlighted = false,
    std::optional<PaletteColor> tint = std::nullopt);

} // namespace mv
