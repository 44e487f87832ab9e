#include "engine/PreflightFailure.h"

namespace mv {

PreflightFailure::PreflightFailure(
    QString title, QString message, std::optional<QString> recovery, bool isTemporary, QString symbol)
    : title(std::move(title))
    , message(std::move(message))
    , recovery(std::move(recovery))
    , isTemporary(isTemporary)
    , symbol(std::move(symbol))
    , m_what(combined().toUtf8())
{
}

QString PreflightFailure::combined() const
{
    return recovery ? message + u' ' + *recovery : message;
}

const char* PreflightFailure::what() const noexcept
{
    return m_what.constData();
}

} // namespace mv
