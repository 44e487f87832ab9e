#pragma once

#include <QByteArray>
#include <QString>

namespace mv::SystemArchitecture {

// The processor architecture as the support report names it: "x86-64 (x86_64)", "Arm (aarch64)", any other
// machine name as the kernel gives it, "Unknown" when it gives none.
QString description();

// The same for a machine name `uname` gave (its `machine` field, up to its first zero byte).
QString describe(const QByteArray& machine);

} // namespace mv::SystemArchitecture
