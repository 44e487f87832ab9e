#include "ui/kit/Palette.h"

#include <QGuiApplication>
#include <QWidget>

namespace mv {

namespace {

struct Variants {
    QColor light;
    QColor dark;
};

QColor srgb(int red, int green, int blue, qreal opacity)
{
    return QColor::fromRgbF(red / 255.0f, green / 255.0f, blue / 255.0f, float(opacity));
}

// One adaptive colour: the light variant, then the dark one.
Variants dynamic(QColor light, QColor dark)
{
    return { light, dark };
}

std::optional<Variants> adaptive(PaletteRole role)
{
    switch (role) {
    case PaletteRole::card:
        return dynamic(srgb(255, 255, 255, 0.8), srgb(255, 255, 255, 0.06));
    case PaletteRole::cardRaised:
        return dynamic(srgb(255, 255, 255, 0.96), srgb(255, 255, 255, 0.1));
    case PaletteRole::well:
        return dynamic(srgb(11, 18, 32, 0.045), srgb(255, 255, 255, 0.055));
    case PaletteRole::hairline:
        return dynamic(srgb(11, 18, 32, 0.08), srgb(255, 255, 255, 0.09));
    case PaletteRole::hairlineStrong:
        return dynamic(srgb(11, 18, 32, 0.15), srgb(255, 255, 255, 0.16));
    case PaletteRole::panelTint:
        return dynamic(srgb(246, 247, 249, 0.55), srgb(20, 23, 28, 0.42));
    case PaletteRole::panelFooter:
        return dynamic(srgb(242, 244, 247, 1), srgb(16, 19, 24, 1));
    case PaletteRole::success:
        return dynamic(srgb(36, 138, 61, 1), srgb(48, 209, 88, 1));
    case PaletteRole::warning:
        return dynamic(srgb(178, 80, 0, 1), srgb(255, 159, 10, 1));
    case PaletteRole::danger:
        return dynamic(srgb(215, 0, 21, 1), srgb(255, 69, 58, 1));
    case PaletteRole::idle:
        return dynamic(srgb(138, 138, 142, 1), srgb(142, 142, 147, 1));
    case PaletteRole::offline:
        return dynamic(srgb(94, 92, 230, 1), srgb(125, 122, 255, 1));
    case PaletteRole::brandTop:
        return dynamic(srgb(52, 199, 180, 1), srgb(58, 214, 192, 1));
    case PaletteRole::brandBottom:
        return dynamic(srgb(47, 124, 246, 1), srgb(76, 147, 255, 1));
    case PaletteRole::labelSecondary:
        return dynamic(srgb(92, 92, 97, 1), srgb(161, 161, 166, 1));
    case PaletteRole::labelTertiary:
        return dynamic(srgb(110, 110, 115, 1), srgb(152, 152, 157, 1));
    case PaletteRole::accent:
    case PaletteRole::label:
    case PaletteRole::onAccent:
    case PaletteRole::panelShadow:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

namespace Palette {

QColor color(PaletteRole role, const QPalette& palette)
{
    if (const auto variants = adaptive(role))
        return appearanceOf(palette) == Appearance::dark ? variants->dark : variants->light;
    switch (role) {
    case PaletteRole::accent:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case PaletteRole::label:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case PaletteRole::onAccent:
        return QColor(255, 255, 255);
    case PaletteRole::panelShadow:
        return srgb(0, 0, 0, 0.28);
    default:
        return {};
    }
}

QColor color(PaletteRole role, Appearance appearance)
{
    return color(role, appearancePalette(appearance));
}

QColor mix(const QColor& from, const QColor& to, qreal progress)
{
    if (progress <= 0)
        return from;
    if (progress >= 1)
        return to;
    const auto blend = [progress](float a, float b) { return a + (b - a) * float(progress); };
    return QColor::fromRgbF(blend(from.redF(), to.redF()), blend(from.greenF(), to.greenF()),
        blend(from.blueF(), to.blueF()), blend(from.alphaF(), to.alphaF()));
}

} // namespace Palette

PaletteColor PaletteColor::opacity(qreal factor) const
{
    PaletteColor result = *this;
    result.m_opacity *= factor;
    return result;
}

QColor PaletteColor::resolve(const QPalette& palette) const
{
    QColor colour = m_role ? Palette::color(*m_role, palette) : m_fixed;
    colour.setAlphaF(float(colour.alphaF() * m_opacity));
    return colour;
}

QColor PaletteColor::resolve(const QWidget* widget) const
{
    return resolve(widget ? widget->palette() : QGuiApplication::palette());
}

QColor PaletteColor::resolve(Appearance appearance) const
{
    return resolve(appearancePalette(appearance));
}

} // namespace mv
