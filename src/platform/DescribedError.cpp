#include "platform/DescribedError.h"

namespace mv {

QString describeError(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const DescribedError& failure) {
        return failure.description();
    } catch (const std::exception& failure) {
        return QString::fromUtf8(failure.what());
    } catch (...) {
        return QStringLiteral("An unknown error occurred.");
    }
}

} // namespace mv
