#pragma once

#include "platform/UrlOpener.h"

namespace mv {

// Opens pages the way the desktop does: through Qt's desktop services, which honour $BROWSER and the
// desktop's own handler, then through `fallback` (xdg-open in the program) when they found nothing to open
// the page with. The program's opener; the layers below the views, which have no Qt Gui, are handed it as a
// UrlOpener. `fallback` outlives it.
class DesktopUrlOpener final : public UrlOpener {
public:
    explicit DesktopUrlOpener(UrlOpener& fallback);

    bool open(const QUrl& url) override;

private:
    UrlOpener& m_fallback;
};

} // namespace mv
