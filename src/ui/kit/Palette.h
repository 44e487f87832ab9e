#pragma once

#include "model/PaletteRole.h"
#include "ui/kit/Appearance.h"

#include <QColor>

#include <optional>

class QWidget;

namespace mv {

// A colour as the views name it: a palette role, or a fixed colour (white at 0.16 on a primary button), with
// an opacity on top. It becomes a QColor only when painted, for the appearance of the widget being painted.
class PaletteColor {
public:
    PaletteColor(PaletteRole role)
        : m_role(role)
    {
    }
    PaletteColor(const QColor& fixed)
        : m_fixed(fixed)
    {
    }

    // The same colour with its opacity multiplied by `factor`: Palette::accent.opacity(0.12).
    PaletteColor opacity(qreal factor) const;

    QColor resolve(const QWidget* widget) const;
    QColor resolve(const QPalette& palette) const;
    QColor resolve(Appearance appearance) const;

    std::optional<PaletteRole> role() const { return m_role; }
    bool operator==(const PaletteColor&) const = default;

private:
    std::optional<PaletteRole> m_role;
    QColor m_fixed;
    qreal m_opacity = 1.0;
};

// The only source of the views' colours. Sixteen follow the appearance, four are the system's or fixed.
namespace Palette {

// The colour of `role` in the appearance `palette` stands for; accent and label are the palette's own.
QColor color(PaletteRole role, const QPalette& palette);
QColor color(PaletteRole role, Appearance appearance);

// The colour `progress` of the way from `from` to `to` (0 … 1), for cross-fades: exactly `from` at 0 and `to`
// at 1.
QColor mix(const QColor& from, const QColor& to, qreal progress);

inline const PaletteColor card { PaletteRole::card };
inline const PaletteColor cardRaised { PaletteRole::cardRaised };
inline const PaletteColor well { PaletteRole::well };
inline const PaletteColor hairline { PaletteRole::hairline };
inline const PaletteColor hairlineStrong { PaletteRole::hairlineStrong };
inline const PaletteColor panelTint { PaletteRole::panelTint };
inline const PaletteColor panelFooter { PaletteRole::panelFooter };
inline const PaletteColor success { PaletteRole::success };
inline const PaletteColor warning { PaletteRole::warning };
inline const PaletteColor danger { PaletteRole::danger };
inline const PaletteColor idle { PaletteRole::idle };
inline const PaletteColor offline { PaletteRole::offline };
inline const PaletteColor brandTop { PaletteRole::brandTop };
inline const PaletteColor brandBottom { PaletteRole::brandBottom };
inline const PaletteColor labelSecondary { PaletteRole::labelSecondary };
inline const PaletteColor labelTertiary { PaletteRole::labelTertiary };
inline const PaletteColor accent { PaletteRole::accent };
inline const PaletteColor label { PaletteRole::label };
inline const PaletteColor onAccent { PaletteRole::onAccent };
inline const PaletteColor panelShadow { PaletteRole::panelShadow };

} // namespace Palette

} // namespace mv
