#include "model/RunProgress.h"

#include "model/Format.h"

#include <cmath>

namespace mv {

QString RunProgress::fractionText() const
{
    if (!fraction || std::isnan(*fraction))
        return QStringLiteral("\u2014");
    return Format::percent(*fraction);
}

} // namespace mv
