#pragma once

#include "ui/kit/Palette.h"

#include <QWidget>

#include <optional>

namespace mv {

class ElidedLabel;
class SymbolBadge;

// One labelled figure, already formatted by its creator. A figure too wide for its room shrinks, down to a
// share of its size that depends on the style, before it is cut; its row keeps the full-size height.
// - strip: a cell of the panel's summary: a small upper-case caption over an 18 px figure in `tint`; cells
//   take equal shares of their row, whatever the figures' lengths.
// - card: a card of the overview: the `symbol` on a badge of `tint`, a 22 px figure and the label under it.
class MetricView : public QWidget {
    Q_OBJECT
public:
    enum class Style { strip, card };

    MetricView(Style style, const QString& label, std::optional<QString> symbol, PaletteColor tint,
        QWidget* parent = nullptr);

    // The label as shown (the strip's is upper case).
    QString label() const;
    QString value() const;
    PaletteColor tint() const { return m_tint; }
    void setValue(const QString& value);
    void setTint(PaletteColor tint);
    void setValue(const QString& value, PaletteColor tint);
    // The figure's text size now.
    int valuePixelSize() const;
    // The card's fill; the strip has none.
    QColor fillColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitValue();

    Style m_style;
    PaletteColor m_tint;
    QString m_label;
    SymbolBadge* m_badge = nullptr;
    ElidedLabel* m_value;
};

} // namespace mv
