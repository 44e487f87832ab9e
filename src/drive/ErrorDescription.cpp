#include "drive/ErrorDescription.h"

#include "google/GoogleAuthError.h"
#include "google/GoogleDriveError.h"
#include "model/FileSystemError.h"
#include "model/PathValidation.h"

namespace mv::GoogleDriveEngine {

QString errorDescription(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const GoogleDriveError& failure) {
        return failure.description();
    } catch (const GoogleListingTruncatedError& failure) {
        return failure.description();
    } catch (const GoogleAuthError& failure) {
        return failure.description();
    } catch (const GoogleTransportError& failure) {
        return failure.description();
    } catch (const GoogleDecodingError& failure) {
        return failure.description();
    } catch (const PathValidationError& failure) {
        return failure.message;
    } catch (const FileSystemError& failure) {
        return failure.description();
    } catch (const std::exception& failure) {
        return QString::fromUtf8(failure.what());
    } catch (...) {
        return QStringLiteral("An unknown error occurred.");
    }
}

} // namespace mv::GoogleDriveEngine
