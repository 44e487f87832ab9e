#pragma once

#include "ui/kit/Palette.h"

#include <QWidget>

#include <optional>

namespace mv {

class StatusDot;

// A status at a glance: a capsule tinted with the status colour holding a 5 px dot (pulsing when asked), an
// optional symbol and the text. Accessibility reads the text alone.
class StatusChip : public QWidget {
    Q_OBJECT
public:
    StatusChip(const QString& text, PaletteColor color, std::optional<QString> symbol, bool pulsing,
        QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setStatus(const QString& text, PaletteColor color, std::optional<QString> symbol, bool pulsing);
    StatusDot* dot() const { return m_dot; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFont textFont() const;
    void placeDot();

    QString m_text;
    PaletteColor m_color;
    std::optional<QString> m_symbol;
    StatusDot* m_dot;
};

} // namespace mv
