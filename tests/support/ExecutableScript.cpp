#include "ExecutableScript.h"

#include <QFile>

namespace mv::test {

QString executableScript(const TempDir& dir, const QString& name, const QByteArray& body)
{
    const QString path = dir.write(name, "#!/bin/sh\n" + body + '\n');
    if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        qFatal("cannot make %s executable", qPrintable(path));
    return path;
}

} // namespace mv::test
