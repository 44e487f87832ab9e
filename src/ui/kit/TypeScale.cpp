#include "ui/kit/TypeScale.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>
#include <QToolTip>

namespace mv {

QFont kitFont(int pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setFamilies({ QStringLiteral("Inter"), QStringLiteral("sans-serif") });
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont monospacedFont(int pixelSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize);
    return font;
}

void applyKitFontToMenusAndTooltips()
{
    QApplication::setFont(kitFont(13), "QMenu");
    QApplication::setFont(kitFont(13), "QMenuBar");
    QToolTip::setFont(kitFont(12));
}

QFont tracked(QFont font, qreal spacing)
{
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

} // namespace mv
