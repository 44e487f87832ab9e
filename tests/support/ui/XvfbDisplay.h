#pragma once

#include <sys/types.h>

namespace mv::test {

// A private X server (Xvfb) for tests that need a real display: started before the application object,
// it sets DISPLAY and selects Qt's xcb platform for this process and its children.
class XvfbDisplay {
public:
    XvfbDisplay() = default;
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // False when Xvfb could not be started or never said which display it took.
    bool start();

private:
    pid_t m_pid = 0;
};

} // namespace mv::test
