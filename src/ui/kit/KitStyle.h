#pragma once

#include <QProxyStyle>

namespace mv {

// The desktop's style with the kit's tick boxes: a rounded square edged in the strong hairline, so an
// unticked box stands out from the card it sits on in the light and the dark appearance alike; ticked, it
// fills with the accent colour. Check boxes and the tick boxes of lists both use it.
class KitStyle : public QProxyStyle {
    Q_OBJECT
public:
    KitStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget = nullptr) const override;
};

} // namespace mv
