#pragma once

#include "LoopbackHttp.h"

#include "platform/UrlOpener.h"

#include <QList>
#include <QMutex>
#include <QUrl>

#include <atomic>
#include <thread>
#include <vector>

namespace mv::test {

// A browser for sign-in tests, handed to the program as its URL opener: on its own thread it loads the page
// it was given, follows the one redirect there (to the program's loopback listener) and keeps what it was
// shown.
class FakeBrowser final : public UrlOpener {
public:
    ~FakeBrowser() override;

    bool open(const QUrl& url) override;

    int opened() const { return m_opened; }
    // Visits that reached their end (whatever they were shown).
    int finished() const { return m_finished; }
    QList<QUrl> openedUrls() const;
    // What the last finished visit was shown by the page it was redirected to.
    LoopbackAnswer lastPage() const;

private:
    void visit(QUrl url);

    mutable QMutex m_mutex;
    QList<QUrl> m_urls;
    LoopbackAnswer m_lastPage;
    std::atomic<int> m_opened = 0;
    std::atomic<int> m_finished = 0;
    std::vector<std::thread> m_threads;
};

} // namespace mv::test
