#include "engine/RsyncOutcome.h"

namespace mv {

QString RsyncOutcome::exitCodeText() const
{
    return QStringLiteral("rsync exited with code %1.").arg(exitCode);
}

QString RsyncOutcome::firstError() const
{
    return errors.value(0, exitCodeText());
}

} // namespace mv
