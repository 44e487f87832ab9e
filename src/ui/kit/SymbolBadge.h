#pragma once

#include "ui/kit/IconLibrary.h"
#include "ui/kit/Palette.h"

#include <QVariantAnimation>
#include <QWidget>

namespace mv {

// A symbol on a soft patch of its own colour (the colour at 0.12): a circle on the health card, a rounded
// square on the metric cards. A pulsing symbol fades in and out, unless Reduce Motion is on.
class SymbolBadge : public QWidget {
    Q_OBJECT
public:
    enum class Shape { circle, roundedSquare };

    SymbolBadge(Shape shape, qreal side, qreal symbolSize, SymbolWeight weight, QWidget* parent = nullptr);
    void setSymbol(const QString& symbol, PaletteColor color, bool pulsing);
    QString symbol() const { return m_symbol; }
    PaletteColor color() const { return m_color; }
    bool isPulsing() const { return m_pulsing; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updatePulse();

    Shape m_shape;
    qreal m_symbolSize;
    SymbolWeight m_weight;
    QString m_symbol;
    PaletteColor m_color = Palette::idle;
    bool m_pulsing = false;
    QVariantAnimation m_pulse;
};

} // namespace mv
