#include "shell/PanelPlacement.h"

#include <algorithm>

namespace mv::PanelPlacement {

namespace {

constexpr int edgeInset = 8;
constexpr int gap = 6;
constexpr int fallbackFromRight = 60;

} // namespace

QRect frame(const QRect& geometry, const QRect& available, std::optional<int> anchorX, bool upward)
{
    const int anchor = anchorX.value_or(geometry.x() + geometry.width() - fallbackFromRight);
    const int spanLeft = available.x() + edgeInset;
    const int spanRight = available.x() + available.width() - edgeInset;
    const int x
        = std::min(std::max(anchor - windowSize.width() / 2, spanLeft), spanRight - windowSize.width());
    const int y = upward ? available.y() + available.height() - gap + margin - windowSize.height()
                         : available.y() + gap - margin;
    return { QPoint(x, y), windowSize };
}

bool opensUpward(const QRect& available, QPoint anchor)
{
    return anchor.y() > available.y() + available.height() / 2;
}

} // namespace mv::PanelPlacement
