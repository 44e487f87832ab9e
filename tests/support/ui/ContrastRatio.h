#pragma once

#include <QColor>
#include <QImage>

namespace mv::test {

// WCAG's contrast ratio of two opaque colours: 1 for equal colours, 21 for black on white.
double contrastRatio(const QColor& a, const QColor& b);

// The contrast against `background` that at least `count` of the opaque `image`'s pixels reach: a line
// of a glyph reads only when a good number of its pixels stand out, not a stray one.
double contrastOfStrongest(const QImage& image, const QColor& background, int count);

} // namespace mv::test
