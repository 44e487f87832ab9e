#include "ui/models/support/SystemArchitecture.h"

#include <cstring>
#include <sys/utsname.h>

namespace mv::SystemArchitecture {

QString description()
{
    // A failing uname leaves the record zeroed, which reads as "Unknown".
    utsname names {};
    ::uname(&names);
    return describe(QByteArray(names.machine, qsizetype(::strnlen(names.machine, sizeof names.machine))));
}

QString describe(const QByteArray& machine)
{
    const QString text = QString::fromUtf8(machine);
    if (text == QLatin1String("x86_64"))
        return QStringLiteral("x86-64 (x86_64)");
    if (text == QLatin1String("aarch64"))
        return QStringLiteral("Arm (aarch64)");
    if (text.isEmpty())
        return QStringLiteral("Unknown");
    return text;
}

} // namespace mv::SystemArchitecture
