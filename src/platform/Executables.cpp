#include "platform/Executables.h"

#include <QDir>
#include <QFileInfo>

namespace mv {

QString runningExecutableDirectory()
{
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString askpassExecutablePath()
{
    const QString configured = qEnvironmentVariable(askpassExecutableVariable);
    if (!configured.isEmpty())
        return QFileInfo(configured).absoluteFilePath();
    return QDir(runningExecutableDirectory()).filePath(QString::fromLatin1(askpassExecutableName));
}

} // namespace mv
