#include "ui/kit/Appearance.h"

#include <QApplication>
#include <QWidget>

#include <optional>

namespace mv {

namespace {

// The desktop's own palette, kept before the first forced appearance replaces it.
std::optional<QPalette>& systemPalette()
{
    static std::optional<QPalette> palette;
    return palette;
}

QPalette makePalette(QColor window, QColor base, QColor alternateBase, QColor text, QColor button,
    QColor disabledText, QColor highlight)
{
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, alternateBase);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, highlight);
    for (const auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}

// The user's accent colour is the desktop's highlight; a forced appearance keeps it.
QColor accentColour()
{
    const QPalette& base = systemPalette() ? *systemPalette() : QGuiApplication::palette();
    return base.color(QPalette::Active, QPalette::Highlight);
}

} // namespace

Appearance appearanceOf(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128 ? Appearance::dark : Appearance::light;
}

Appearance effectiveAppearance(const QWidget* widget)
{
    return appearanceOf(widget ? widget->palette() : QGuiApplication::palette());
}

QPalette appearancePalette(Appearance appearance)
{
    if (appearance == Appearance::dark)
        return makePalette(QColor(36, 38, 42), QColor(28, 30, 34), QColor(44, 46, 51), QColor(236, 236, 238),
            QColor(52, 55, 60), QColor(128, 128, 134), accentColour());
    return makePalette(QColor(239, 240, 242), Qt::white, QColor(246, 247, 249), QColor(29, 29, 31),
        QColor(246, 247, 249), QColor(160, 160, 165), accentColour());
}

void forceAppearance(QWidget* widget, Appearance appearance)
{
    widget->setPalette(appearancePalette(appearance));
}

void applyAppearancePreference(AppearancePreference preference)
{
    if (!systemPalette())
        systemPalette() = QGuiApplication::palette();
    switch (preference) {
    case AppearancePreference::system:
        QApplication::setPalette(*systemPalette());
        return;
    case AppearancePreference::light:
        QApplication::setPalette(appearancePalette(Appearance::light));
        return;
    case AppearancePreference::dark:
        QApplication::setPalette(appearancePalette(Appearance::dark));
        return;
    }
}

} // namespace mv
