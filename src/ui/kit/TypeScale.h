#pragma once

#include <QFont>

namespace mv {

// The kit's one type scale: Inter (the system's sans-serif where it is missing) in pixel sizes, so a
// fixed-width panel lays out the same at any screen density. The sizes the views use are 11, 12, 13, 15
// and 16.
QFont kitFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// The system's fixed-width font at a pixel size, for logs and paths shown as they are.
QFont monospacedFont(int pixelSize);

// Menus and tooltips are built by Qt, outside every view: this gives them the kit's font, application-wide.
void applyKitFontToMenusAndTooltips();

// Letter spacing in pixels on top of a kit font (section captions).
QFont tracked(QFont font, qreal spacing);

} // namespace mv
