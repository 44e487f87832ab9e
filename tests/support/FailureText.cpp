#include "FailureText.h"

#include <QStringList>

namespace mv::test {

QString describe(const PreflightFailure& failure)
{
    return QStringList { failure.title, failure.message,
        failure.recovery.value_or(QStringLiteral("(no recovery)")),
        failure.isTemporary ? QStringLiteral("temporary") : QStringLiteral("lasting"), failure.symbol }
        .join(QStringLiteral(" | "));
}

} // namespace mv::test
