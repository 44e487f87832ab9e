#include "BuiltPrograms.h"

#include "platform/Executables.h"

#include <QDir>

namespace mv::test {

QString builtProgram(const QString& name)
{
    const QString build = qEnvironmentVariable("MV_BUILD_DIR");
    if (build.isEmpty())
        qFatal("MV_BUILD_DIR is not set: run the test through CTest");
    return QDir(build).filePath(QStringLiteral("src/app/") + name);
}

void useBuiltAskpass()
{
    qputenv(askpassExecutableVariable, builtProgram(QString::fromLatin1(askpassExecutableName)).toUtf8());
}

} // namespace mv::test
