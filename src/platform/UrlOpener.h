#pragma once

#include <QUrl>

namespace mv {

// Opens a web page in the user's browser: the seam through which the sign-in shows Google's page, so tests
// can play the browser.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // True when the page was handed to something that will show it.
    virtual bool open(const QUrl& url) = 0;
};

// Opens pages with xdg-open found on PATH, started without a shell and left to finish on the worker pool:
// what the program falls back on when Qt's desktop services (which need Qt Gui) open nothing.
class XdgOpenUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl& url) override;
};

} // namespace mv
