#pragma once

#include "ui/kit/IconLibrary.h"
#include "ui/kit/Palette.h"

#include <QWidget>

namespace mv {

// One symbol of the IconLibrary set at a text size, in a palette colour.
class SymbolImage : public QWidget {
    Q_OBJECT
public:
    SymbolImage(const QString& symbol, qreal pixelSize, SymbolWeight weight, PaletteColor color,
        QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    void setColor(PaletteColor color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    qreal m_pixelSize;
    SymbolWeight m_weight;
    PaletteColor m_color;
};

} // namespace mv
