#include "model/AtomicFile.h"

#include "model/FileSystemError.h"

#include <QDir>
#include <QSaveFile>

namespace mv::AtomicFile {

void write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Permissions are set on the temporary file before any byte is in it. The bytes are flushed before the
    // commit: a commit does not look at a failed last flush (a full disk) and would put an empty or
    // shortened file in place of the old one.
    const bool written = file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(bytes) == bytes.size() && file.flush() && file.commit();
    if (!written) {
        throw FileSystemError(QStringLiteral("“%1” could not be written: %2.")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

} // namespace mv::AtomicFile
