#include "ui/kit/DesktopUrlOpener.h"

#include <QDesktopServices>

namespace mv {

DesktopUrlOpener::DesktopUrlOpener(UrlOpener& fallback)
    : m_fallback(fallback)
{
}

bool DesktopUrlOpener::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url) || m_fallback.open(url);
}

} // namespace mv
