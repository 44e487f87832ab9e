#include "engine/LogPath.h"

#include "model/AppPaths.h"
#include "model/FileSystemError.h"
#include "model/UuidText.h"

#include <QUuid>

namespace mv::LogPath {

QString prepare(const QString& prefix)
{
    try {
        AppPaths::ensureDirectories();
    } catch (const FileSystemError&) {
        // The log writer then finds no folder and writes nothing; the run itself does not need it.
    }
    return AppPaths::logsDirectory() + u'/' + prefix + uuidText(QUuid::createUuid()) + QStringLiteral(".log");
}

} // namespace mv::LogPath
