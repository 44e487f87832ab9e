#include "model/AtomicFile.h"

#include "model/FileSystemError.h"

#include <QDir>
#include <QSaveFile>

namespace mv::AtomicFile {

void write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Permissions are set on the temporary file before any byte is in it.
    const bool written = file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        throw FileSystemError(QStringLiteral("“%1” could not be written: %2.")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

} // namespace mv::AtomicFile
