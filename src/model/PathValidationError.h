#pragma once

#include "platform/DescribedError.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace mv {

// Why a path or a destination cannot be used: a sentence saying what is wrong and, when there is one, a
// sentence saying what to do. Returned by the validators and thrown by the folder creation.
class PathValidationError : public DescribedError {
public:
    explicit PathValidationError(QString message, std::optional<QString> recovery = std::nullopt);

    QString message;
    std::optional<QString> recovery;

    QString description() const override { return message; }
    const char* what() const noexcept override;

    bool operator==(const PathValidationError& other) const
    {
        return message == other.message && recovery == other.recovery;
    }

private:
    QByteArray m_what;
};

} // namespace mv
