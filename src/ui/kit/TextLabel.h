#pragma once

#include "ui/kit/Palette.h"

#include <QLabel>

namespace mv {

// A label (wrapping where asked) in a kit font and a palette colour that follows the appearance it is shown
// in.
class TextLabel : public QLabel {
    Q_OBJECT
public:
    TextLabel(const QString& text, const QFont& font, PaletteColor color, QWidget* parent = nullptr);

    void setColor(PaletteColor color);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColor();

    PaletteColor m_color;
    bool m_applying = false;
};

} // namespace mv
