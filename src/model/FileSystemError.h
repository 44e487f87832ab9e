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

    const QString& description() const { return m_description; }

private:
    QString m_description;
};

} // namespace mv
