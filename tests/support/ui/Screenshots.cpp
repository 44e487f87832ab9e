#include "support/ui/Screenshots.h"

#include "ui/kit/Appearance.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>

namespace mv::test {

QString screenshotFolder()
{
    const QString build = qEnvironmentVariable("MV_BUILD_DIR", QDir::currentPath());
    const QString folder = QDir(build).filePath(QStringLiteral("screens"));
    QDir().mkpath(folder);
    return folder;
}

bool saveLightAndDark(QWidget& widget, const QString& name)
{
    const QPalette own = widget.palette();
    const bool ownRoles = widget.testAttribute(Qt::WA_SetPalette);
    bool saved = true;
    for (const auto appearance : { Appearance::light, Appearance::dark }) {
        forceAppearance(&widget, appearance);
        const QString suffix
            = appearance == Appearance::light ? QStringLiteral("light") : QStringLiteral("dark");
        saved
            = widget.grab().save(QDir(screenshotFolder()).filePath(name + QLatin1Char('-') + suffix + ".png"))
            && saved;
    }
    if (ownRoles)
        widget.setPalette(own);
    else
        widget.setPalette(QPalette());
    return saved;
}

QColor composite(const QColor& over, const QColor& under)
{
    const float alpha = over.alphaF();
    const auto channel = [alpha](float top, float bottom) { return top * alpha + bottom * (1 - alpha); };
    return QColor::fromRgbF(channel(over.redF(), under.redF()), channel(over.greenF(), under.greenF()),
        channel(over.blueF(), under.blueF()));
}

bool closeColours(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

} // namespace mv::test
