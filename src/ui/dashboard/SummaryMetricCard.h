#pragma once

#include "ui/kit/CardSurface.h"

namespace mv {

class ElidedLabel;
class SymbolBadge;

// One summary figure of the overview: a tinted symbol badge, the figure (already formatted by its creator)
// and its label. A figure too wide for the card shrinks to 0.7 of its size before it is cut.
class SummaryMetricCard : public CardSurface {
    Q_OBJECT
public:
    SummaryMetricCard(const QString& label, const QString& value, const QString& symbol, PaletteColor tint,
        QWidget* parent = nullptr);
    void setValue(const QString& value, PaletteColor tint);
    QString label() const;
    QString value() const;
    PaletteColor tint() const;
    // The figure's text size now, between 0.7 × 22 and 22.
    int valuePixelSize() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitValue();

    SymbolBadge* m_badge;
    ElidedLabel* m_value;
    ElidedLabel* m_label;
};

} // namespace mv
