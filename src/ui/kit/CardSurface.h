#pragma once

#include "ui/kit/Palette.h"

#include <QWidget>

#include <optional>

namespace mv {

// The look of every card: a rounded fill (the tint when given, else raised when highlighted, else the card
// colour) with a hairline border inside its edge, stronger when highlighted. It adds no padding of its own.
// A change of the highlight (the pointer coming or going) cross-fades with Motion::quick.
class CardSurface : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal highlight READ highlight WRITE setHighlight)
public:
    CardSurface(qreal radius, bool highlighted, std::optional<PaletteColor> tint, QWidget* parent = nullptr);

    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return m_highlighted; }
    // 0 plain, 1 highlighted, in between while cross-fading.
    qreal highlight() const { return m_highlight; }
    void setTint(std::optional<PaletteColor> tint);

    QColor fillColor() const;
    QColor borderColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setHighlight(qreal highlight);

    qreal m_radius;
    bool m_highlighted;
    qreal m_highlight;
    std::optional<PaletteColor> m_tint;
};

// Wraps `content` in a CardSurface that takes its place: content.cardSurface(radius:highlighted:tint:).
CardSurface* cardSurface(QWidget* content, qreal radius, bool highlighted = false,
    std::optional<PaletteColor> tint = std::nullopt);

} // namespace mv
