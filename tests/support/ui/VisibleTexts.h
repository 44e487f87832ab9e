#pragma once

#include <QStringList>

class QWidget;

namespace mv::test {

// The texts a person sees under `root`, in reading order: lines from top to bottom, left to right within a
// line. Labels, the kit's painted texts (elided labels, chips, tags) and button titles count.
QStringList visibleTexts(const QWidget& root);

} // namespace mv::test
