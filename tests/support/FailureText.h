#pragma once

#include "engine/PreflightFailure.h"

#include <QString>

namespace mv::test {

// A failure as one line ("title | message | recovery | temporary | symbol"), so a mismatch in QCOMPARE
// shows which of its five parts differs.
QString describe(const PreflightFailure& failure);

} // namespace mv::test
