#pragma once

#include <QString>

#include <stdexcept>

namespace mv {

// A file or folder operation that failed, with a sentence a person can read ("… could not be created: …").
class FileSystemError : public std::runtime_error {
public:
    explicit FileSystemError(const QString& description)
        : std::runtime_error(description.toStdString())
        , m_description(description)
    {
    }

    // "The folder “<path>” could not be created: <reason>."
    static FileSystemError folderNotCreated(const QString& path, const QString& reason)
    {
        return FileSystemError(QStringLiteral("The folder “%1” could not be created: %2.").arg(path, reason));
    }

    const QString& description() const { return m_description; }

private:
    QString m_description;
};

} // namespace mv
