#include "ContrastRatio.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <functional>

namespace mv::test {

namespace {

double luminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
        + 0.0722 * linear(colour.blueF());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

double contrastOfStrongest(const QImage& image, const QColor& background, int count)
{
    QList<double> ratios;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ratios.append(contrastRatio(image.pixelColor(x, y), background));
    if (count < 1 || ratios.size() < count)
        return 1;
    std::nth_element(ratios.begin(), ratios.begin() + (count - 1), ratios.end(), std::greater<>());
    return ratios.at(count - 1);
}

} // namespace mv::test
