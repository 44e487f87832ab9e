#pragma once

#include <QString>

#include <exception>

namespace mv::GoogleDriveEngine {

// What a user reads about an error thrown while planning or previewing: the description of the Drive,
// sign-in, transport, decoding and file errors, else the exception's own text.
QString errorDescription(std::exception_ptr error);

} // namespace mv::GoogleDriveEngine
