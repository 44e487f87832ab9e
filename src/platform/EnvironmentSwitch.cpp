#include "platform/EnvironmentSwitch.h"

#include <QByteArray>
#include <QtGlobal>

namespace mv {

bool environmentSwitch(const char* name)
{
    return qgetenv(name) == "1";
}

} // namespace mv
