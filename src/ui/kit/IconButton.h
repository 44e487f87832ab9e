#pragma once

#include "ui/kit/IconLibrary.h"
#include "ui/kit/KitButton.h"
#include "ui/kit/Palette.h"

#include <optional>

namespace mv {

// A square glyph-only button: `help` is its tooltip and its accessible name. The glyph is `tint` when given,
// else the accent while active, else the secondary label colour; the pointer over it shows a well.
class IconButton : public KitButton {
    Q_OBJECT
public:
    IconButton(const QString& symbol, const QString& help, bool isActive, std::optional<PaletteColor> tint,
        qreal size, std::function<void()> action, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    QString help() const { return toolTip(); }
    void setHelp(const QString& help);
    bool isActive() const { return m_active; }
    void setActive(bool active);
    void setTint(std::optional<PaletteColor> tint);

    // A glyph of its own text size and weight, for a button too small for the usual share.
    void setGlyph(qreal size, SymbolWeight weight);
    // The glyph's text size, 0.46 of the button's side unless set, and the square it is drawn in, centred.
    qreal glyphSize() const;
    QRectF glyphRect() const;
    QColor glyphColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    bool m_active;
    std::optional<PaletteColor> m_tint;
    qreal m_size;
    std::optional<qreal> m_glyphSize;
    SymbolWeight m_weight = SymbolWeight::medium;
};

} // namespace mv
