#pragma once

#include "TempDir.h"

#include <QByteArray>
#include <QString>

namespace mv::test {

// Writes an executable shell script `name` into `dir` ("#!/bin/sh", then `body`); answers its path. Stands
// in for a program (rsync printing a chosen version, one that never ends) in tests.
QString executableScript(const TempDir& dir, const QString& name, const QByteArray& body);

} // namespace mv::test
