#pragma once

#include <QHash>
#include <QPainterPath>
#include <QString>

#include <functional>

namespace mv::detail {

// Builds one symbol's filled outline on the 24-unit grid from centre lines stroked at the symbol's line
// width, filled shapes, and cut-outs (the knocked-out glyph on a filled disc, the gap around a badge).
class SymbolCanvas {
public:
    explicit SymbolCanvas(qreal lineWidth)
        : m_lineWidth(lineWidth)
    {
    }

    qreal lineWidth() const { return m_lineWidth; }

    void stroke(const QPainterPath& centreLine);
    void stroke(const QPainterPath& centreLine, qreal width);
    void fill(const QPainterPath& shape);
    void cut(const QPainterPath& shape);
    // Removes the area a centre line would cover when stroked.
    void cutStroke(const QPainterPath& centreLine);

    QPainterPath result() const { return m_shape.simplified(); }

private:
    QPainterPath strokeOf(const QPainterPath& centreLine, qreal width) const;

    qreal m_lineWidth;
    QPainterPath m_shape;
};

using SymbolDrawing = std::function<void(SymbolCanvas&)>;

// Every drawing, by symbol name.
const QHash<QString, SymbolDrawing>& symbolDrawings();

} // namespace mv::detail
