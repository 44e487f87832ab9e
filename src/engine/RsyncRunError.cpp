#include "engine/RsyncRunError.h"

namespace mv {

RsyncRunError::RsyncRunError(Case kind, QString payload)
    : m_case(kind)
    , m_payload(std::move(payload))
    , m_what(description().toUtf8())
{
}

RsyncRunError RsyncRunError::launchFailed(const QString& reason)
{
    return RsyncRunError(Case::launchFailed, reason);
}

RsyncRunError RsyncRunError::notExecutable(const QString& path)
{
    return RsyncRunError(Case::notExecutable, path);
}

QString RsyncRunError::description() const
{
    switch (m_case) {
    case Case::launchFailed:
        return QStringLiteral("rsync could not start. ") + m_payload;
    case Case::notExecutable:
        break;
    }
    return m_payload + QStringLiteral(" is not executable.");
}

} // namespace mv
