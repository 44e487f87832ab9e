#pragma once

#include "platform/DescribedError.h"

#include <QByteArray>
#include <QString>

namespace mv {

// A file or folder operation that failed, with a sentence a person can read ("… could not be created: …").
class FileSystemError : public DescribedError {
public:
    explicit FileSystemError(const QString& description)
        : m_description(description)
        , m_what(description.toUtf8())
    {
    }

    // "The folder “<path>” could not be created: <reason>."
    static FileSystemError folderNotCreated(const QString& path, const QString& reason)
    {
        return FileSystemError(QStringLiteral("The folder “%1” could not be created: %2.").arg(path, reason));
    }

    QString description() const override { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};

} // namespace mv
