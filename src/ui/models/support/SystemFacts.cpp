#include "ui/models/support/SystemFacts.h"

#include "ui/models/support/SystemArchitecture.h"

#include <QCoreApplication>
#include <QSysInfo>

namespace mv {

SystemFacts SystemFacts::current()
{
    // A Linux build carries a version only when the program sets one; there is no separate build number.
    return { QCoreApplication::applicationVersion(), {}, QSysInfo::prettyProductName(),
        SystemArchitecture::description() };
}

} // namespace mv
