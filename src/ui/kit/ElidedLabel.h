#pragma once

#include "ui/kit/Palette.h"

#include <QWidget>

namespace mv {

// One line of text that is cut where it does not fit, at its end or in its middle. It asks for the width of
// the whole text but accepts less, and tells accessibility the whole text. Only as much of a long text as
// any label could show is ever measured (a few thousand characters at the side that stays), so a name of
// millions of characters costs what a long line costs.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    ElidedLabel(const QString& text, const QFont& font, PaletteColor color,
        Qt::TextElideMode mode = Qt::ElideRight, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setColor(PaletteColor color);
    // The text as it is shown in the current width.
    QString elidedText() const;
    // The part of the label the shown text covers, from its left edge; the rest of its width is blank.
    QRect textRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    // m_text, or for a long one the part that can be shown, cut where the mode elides.
    QString m_shown;
    PaletteColor m_color;
    Qt::TextElideMode m_mode;
};

} // namespace mv
