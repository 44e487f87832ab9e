#pragma once

#include "ui/kit/IconLibrary.h"
#include "ui/kit/Palette.h"

#include <QWidget>

namespace mv {

// A symbol on a soft patch of its colour: a circle or a rounded square of a fixed side, the patch at
// `patchOpacity`.
class SymbolTile : public QWidget {
    Q_OBJECT
public:
    enum class Shape { circle, roundedSquare };

    SymbolTile(Shape shape, const QString& symbol, PaletteColor color, qreal patchOpacity, qreal side,
        qreal symbolSize, SymbolWeight weight, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape m_shape;
    QString m_symbol;
    PaletteColor m_color;
    qreal m_patchOpacity;
    qreal m_symbolSize;
    SymbolWeight m_weight;
};

} // namespace mv
