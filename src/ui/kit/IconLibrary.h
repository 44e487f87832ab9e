#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QStringList>

class QColor;
class QPainter;

namespace mv {

// How heavy a symbol's lines are, as the weight of the text beside it.
enum class SymbolWeight { light, regular, medium, semibold };

// The program's own symbols, looked up by the names the views use ("externaldrive.badge.xmark", "clock", …)
// and drawn as line art on a 24-unit grid, tinted with any colour at any size. Nothing is read from an icon
// theme, so they look the same on every desktop and offscreen.
class IconLibrary {
public:
    // Every symbol name the program shows; each one has a drawing.
    static const QStringList& names();
    static bool contains(const QString& name);

    // The symbol's filled outline on the 24-unit grid. A name without a drawing gives a dashed box, so a
    // missing symbol is visible instead of blank.
    static QPainterPath outline(const QString& name, SymbolWeight weight = SymbolWeight::regular);

    // Symbols stand taller than letters: a symbol set beside text of `pixelSize` fills a square 1.2 times
    // that size, centred on `centre`.
    static QRectF textSizedBox(const QPointF& centre, qreal pixelSize);

    // Paints the symbol's 24-unit grid into the square `box`, centred, in `colour`.
    static void paint(QPainter& painter, const QRectF& box, const QString& name, const QColor& colour,
        SymbolWeight weight = SymbolWeight::regular);
};

} // namespace mv
