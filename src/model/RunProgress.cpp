#include "model/RunProgress.h"

#include <algorithm>
#include <cmath>

namespace mv {

QString RunProgress::fractionText() const
{
    if (!fraction || std::isnan(*fraction))
        return QStringLiteral("\u2014");
    const double percent = *fraction <= 0 ? 0.0 : std::round(std::min(*fraction, 1.0) * 100);
    return QString::number(percent, 'f', 0) + QLatin1Char('%');
}

} // namespace mv
