#include "FakeBrowser.h"

namespace mv::test {

FakeBrowser::~FakeBrowser()
{
    for (std::thread& thread : m_threads)
        thread.join();
}

bool FakeBrowser::open(const QUrl& url)
{
    {
        const QMutexLocker lock(&m_mutex);
        m_urls.append(url);
    }
    ++m_opened;
    m_threads.emplace_back(&FakeBrowser::visit, this, url);
    return true;
}

void FakeBrowser::visit(QUrl url)
{
    const LoopbackAnswer first = loopbackRequest(url);
    LoopbackAnswer page = first;
    if (first.status == 302)
        page = loopbackRequest(QUrl(QString::fromUtf8(first.header("Location")), QUrl::StrictMode));
    {
        const QMutexLocker lock(&m_mutex);
        m_lastPage = page;
    }
    ++m_finished;
}

QList<QUrl> FakeBrowser::openedUrls() const
{
    const QMutexLocker lock(&m_mutex);
    return m_urls;
}

LoopbackAnswer FakeBrowser::lastPage() const
{
    const QMutexLocker lock(&m_mutex);
    return m_lastPage;
}

} // namespace mv::test
