#pragma once

#include <Qt>

namespace mv::test {

// Presses `key` on the open modal window where its keyboard focus is, as a person at the keyboard would;
// false when no modal window is open.
bool pressOnModal(Qt::Key key);

} // namespace mv::test
