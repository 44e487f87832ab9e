#pragma once

#include "ui/kit/Palette.h"

#include <QWidget>

#include <optional>

namespace mv {

// A neutral tag on a well: an optional symbol and one line of text in `color`, cut at its end when the tag is
// given less than its width.
class TagChip : public QWidget {
    Q_OBJECT
public:
    TagChip(
        const QString& text, std::optional<QString> symbol, PaletteColor color, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // The text as shown in the current width.
    QString visibleText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont textFont() const;
    qreal leadWidth() const;

    QString m_text;
    std::optional<QString> m_symbol;
    PaletteColor m_color;
};

} // namespace mv
