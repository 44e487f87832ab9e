#include "model/PathValidationError.h"

namespace mv {

PathValidationError::PathValidationError(QString message, std::optional<QString> recovery)
    : message(std::move(message))
    , recovery(std::move(recovery))
    , m_what(this->message.toUtf8())
{
}

const char* PathValidationError::what() const noexcept
{
    return m_what.constData();
}

} // namespace mv
