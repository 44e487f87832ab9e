#pragma once

#include <QString>

namespace mv::PathOrder {

// The order of relative paths in Drive backups: Unicode scalar values after canonical (NFC) normalisation,
// so canonically equivalent paths are equal.

// What to compare a path by: the path itself when it is certainly in NFC already, else its NFC form.
QString key(const QString& path);

// Whether `a` comes before `b`, comparing keys by scalar value (not by UTF-16 unit).
bool keyLess(QStringView a, QStringView b);

// keyLess of the two paths' keys.
bool less(const QString& a, const QString& b);

} // namespace mv::PathOrder
