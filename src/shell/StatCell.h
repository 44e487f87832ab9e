#pragma once

#include "ui/kit/Palette.h"

#include <QWidget>

namespace mv {

class ElidedLabel;
class TextLabel;

// One labelled figure: a small upper-case caption over a large value. The value shrinks to three quarters
// of its size before it is cut.
class StatCell : public QWidget {
    Q_OBJECT
public:
    StatCell(const QString& label, const QString& value, PaletteColor tint, Qt::Alignment alignment,
        QWidget* parent = nullptr);

    QString caption() const;
    QString value() const;
    void setValue(const QString& value);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitValue();

    TextLabel* m_caption;
    ElidedLabel* m_value;
};

} // namespace mv
