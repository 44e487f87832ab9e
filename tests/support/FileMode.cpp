#include "FileMode.h"

#include <QFile>

#include <sys/stat.h>

namespace mv::test {

int permissionBits(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

} // namespace mv::test
