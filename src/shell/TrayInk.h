#pragma once

#include <QColor>

#include <optional>

namespace mv {

// The colours of the tray glyph. A tray icon is painted for the panel it sits in, whose colours are the
// desktop's, never the program's own appearance.
struct TrayInk {
    QColor glyph;
    std::optional<QColor> ring; // around every line, where the panel's colour is not known

    // The foreground the tray host asks its icons to use (the system tray protocol's
    // _NET_SYSTEM_TRAY_COLORS on an X11 desktop); where it says nothing, a white glyph ringed in black,
    // which reads on light, mid-grey and dark panels alike.
    static TrayInk forTray();
};

} // namespace mv
