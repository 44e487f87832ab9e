#include "support/IntegrationTimeout.h"
#include "support/TaskOutcome.h"

#include "google/GoogleAuthError.h"
#include "google/OAuthLoopbackServer.h"

#include <QDir>
#include <QtTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace std::chrono_literals;
using Callback = OAuthLoopbackServer::Callback;

namespace {

// A client socket connected to the listener, or -1.
int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void sendAll(int fd, const QByteArray& bytes)
{
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t wrote = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (wrote <= 0)
            return;
        sent += wrote;
    }
}

QByteArray readToEnd(int fd)
{
    QByteArray received;
    char buffer[4096];
    for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        received.append(buffer, got);
    return received;
}

struct Outcome {
    std::optional<Callback> callback;
    QString error; // the description, when the wait failed
};

Outcome await(QCoro::Task<Callback> waiting)
{
    const test::TaskOutcome<Callback> outcome = test::waitForOutcome(std::move(waiting));
    try {
        if (outcome.error)
            std::rethrow_exception(outcome.error);
    } catch (const GoogleAuthError& error) {
        return { std::nullopt, error.description() };
    }
    return { outcome.value, {} };
}

QString denied(const QString& text)
{
    return GoogleAuthError::browserDenied(text).description();
}

QByteArray bodyOf(const QByteArray& response)
{
    return response.mid(response.indexOf("\r\n\r\n") + 4);
}

QSet<int> openDescriptors()
{
    QSet<int> fds;
    for (const QString& name : QDir("/proc/self/fd").entryList(QDir::Files | QDir::System))
        fds.insert(name.toInt());
    return fds;
}

} // namespace

class tst_OAuthLoopbackServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void redirects_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("error");

        QTest::newRow("code and state") << QByteArray("/?state=abc&code=xyz") << "xyz"
                                        << "abc" << QString();
        QTest::newRow("any order") << QByteArray("/?code=xyz&scope=email&state=abc") << "xyz"
                                   << "abc" << QString();
        QTest::newRow("encoded plus and slash") << QByteArray("/?state=s&code=4%2F0A%2Bx%2Fy") << "4/0A+x/y"
                                                << "s" << QString();
        QTest::newRow("a plain plus stays") << QByteArray("/?code=a+b&state=s") << "a+b"
                                            << "s" << QString();
        QTest::newRow("first of each name") << QByteArray("/?code=one&code=two&state=s&state=t") << "one"
                                            << "s" << QString();
        QTest::newRow("no state") << QByteArray("/?code=xyz") << "xyz"
                                  << "" << QString();
        QTest::newRow("error without value beside a code")
            << QByteArray("/?error&code=xyz&state=abc") << "xyz"
            << "abc" << QString();
        QTest::newRow("error") << QByteArray("/?error=access_denied&state=abc") << QString() << QString()
                               << denied("access_denied");
        QTest::newRow("error beside a code") << QByteArray("/?error=access_denied&code=xyz&state=abc")
                                             << QString() << QString() << denied("access_denied");
        QTest::newRow("no code") << QByteArray("/?state=abc") << QString() << QString()
                                 << denied("Google did not return a code.");
        QTest::newRow("not the redirect") << QByteArray("/favicon.ico") << QString() << QString()
                                          << denied("Google did not return a code.");
        QTest::newRow("code names are exact") << QByteArray("/?Code=xyz&state=abc") << QString() << QString()
                                              << denied("Google did not return a code.");
        QTest::newRow("unreadable target") << QByteArray("/?code=%zz&state=abc") << QString() << QString()
                                           << denied("The sign-in response could not be read.");
    }

    void redirects()
    {
        QFETCH(QByteArray, target);
        QFETCH(QString, code);
        QFETCH(QString, state);
        QFETCH(QString, error);

        OAuthLoopbackServer server;
        const quint16 port = server.start();
        QVERIFY(port > 0);
        QByteArray response;
        std::thread browser([&] {
            const int fd = connectTo(port);
            sendAll(fd, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html\r\n\r\n");
            response = readToEnd(fd);
            ::close(fd);
        });
        const Outcome outcome = await(server.waitForCallback(30s));
        browser.join();

        if (error.isEmpty()) {
            QVERIFY2(outcome.callback, qPrintable(outcome.error));
            QCOMPARE(*outcome.callback, (Callback { code, state }));
            QCOMPARE(bodyOf(response), OAuthLoopbackServer::connectedPage());
        } else {
            QCOMPARE(outcome.error, error);
            // Only a redirect with a code is told that Marrowvale is connected.
            QCOMPARE(bodyOf(response), OAuthLoopbackServer::incompletePage());
        }
        QVERIFY(response.startsWith("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"));
        QVERIFY(response.contains("\r\nConnection: close\r\n\r\n"));
        // Served once: the port is closed after the answer.
        QCOMPARE(connectTo(port), -1);
    }

    void theConnectedAnswerIs269Bytes()
    {
        const QByteArray page = OAuthLoopbackServer::connectedPage();
        QCOMPARE(page.size(), 269);
        QVERIFY(page.startsWith(
            "<!doctype html><html><head><meta charset=\"utf-8\"><title>Marrowvale</title></head>\n"));
        QVERIFY(page.contains(
            "\n<h2>Marrowvale is connected</h2><p>You can close this tab and return to the app.</p>\n"));
        QVERIFY(page.endsWith("</body></html>"));
        QVERIFY(OAuthLoopbackServer::incompletePage().contains("did not complete"));

        OAuthLoopbackServer server;
        const quint16 port = server.start();
        QByteArray response;
        std::thread browser([&] {
            const int fd = connectTo(port);
            sendAll(fd, "GET /?code=c&state=s HTTP/1.1\r\n\r\n");
            response = readToEnd(fd);
            ::close(fd);
        });
        QVERIFY(await(server.waitForCallback(30s)).callback);
        browser.join();
        QVERIFY(response.contains("\r\nContent-Length: 269\r\n"));
        QCOMPARE(bodyOf(response).size(), 269);
    }

    void aHeaderBlockThatNeverEndsIsCutAndStillServed()
    {
        OAuthLoopbackServer server;
        const quint16 port = server.start();
        QByteArray response;
        std::thread browser([&] {
            const int fd = connectTo(port);
            sendAll(fd, "GET /?code=c&state=s HTTP/1.1\r\nX-Long: " + QByteArray(20 * 1024, 'a'));
            response = readToEnd(fd);
            ::close(fd);
        });
        const Outcome outcome = await(server.waitForCallback(30s));
        browser.join();
        QVERIFY2(outcome.callback, qPrintable(outcome.error));
        QCOMPARE(outcome.callback->code, QString("c"));
        QVERIFY(response.startsWith("HTTP/1.1 200 OK"));
    }

    void noRequestEndsTheWaitAtItsDeadline_data()
    {
        QTest::addColumn<QString>("client");
        QTest::newRow("nobody connects") << "none";
        QTest::newRow("a silent client") << "silent";
        // One deadline for the whole wait: a byte now and then must not extend it.
        QTest::newRow("a one-byte drip") << "drip";
    }

    void noRequestEndsTheWaitAtItsDeadline()
    {
        QFETCH(QString, client);
        OAuthLoopbackServer server;
        const quint16 port = server.start();
        std::atomic<bool> done = false;
        std::thread browser([&] {
            if (client == "none")
                return;
            const int fd = connectTo(port);
            for (int i = 0; client == "drip" && !done && i < 3000; ++i) {
                sendAll(fd, "G");
                std::this_thread::sleep_for(10ms);
            }
            done.wait(false);
            ::close(fd);
        });
        const Outcome outcome = await(server.waitForCallback(1s));
        done = true;
        done.notify_all();
        browser.join();
        QCOMPARE(outcome.error, denied("The sign-in window was closed before Google replied."));
        QCOMPARE(connectTo(port), -1);
    }

    // A browser may open connections it never uses (or closes at once) before it sends the redirect.
    void preconnectionsDoNotEndTheWait()
    {
        OAuthLoopbackServer server;
        const quint16 port = server.start();
        QByteArray response;
        int idle = -1;
        std::thread browser([&] {
            idle = connectTo(port);
            ::close(connectTo(port));
            const int fd = connectTo(port);
            sendAll(fd, "GET /?state=s&code=the-code HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            response = readToEnd(fd);
            ::close(fd);
        });
        const Outcome outcome = await(server.waitForCallback(30s));
        browser.join();
        QVERIFY2(outcome.callback, qPrintable(outcome.error));
        QCOMPARE(outcome.callback->code, QString("the-code"));
        QCOMPARE(bodyOf(response), OAuthLoopbackServer::connectedPage());
        // The idle connection was closed with the rest.
        QCOMPARE(readToEnd(idle), QByteArray());
        ::close(idle);
    }

    void stopFromAnotherThreadEndsTheWaitAtOnce()
    {
        OAuthLoopbackServer server;
        const quint16 port = server.start();
        QCoro::Task<Callback> waiting = server.waitForCallback(300s);
        std::thread owner([&] { server.stop(); });
        const Outcome outcome = await(std::move(waiting));
        owner.join();
        QCOMPARE(outcome.error, denied("The sign-in window was closed before Google replied."));
        QCOMPARE(connectTo(port), -1);
        server.stop();
    }

    void noSocketIsInheritedByAChild()
    {
        const QSet<int> before = openDescriptors();
        OAuthLoopbackServer server;
        const quint16 port = server.start();
        QCoro::Task<Callback> waiting = server.waitForCallback(60s);
        const int silent = connectTo(port);
        // The listening socket, its wake-up descriptor, our client and the accepted connection.
        MV_TRY_VERIFY((openDescriptors() - before).size() >= 4);
        for (const int fd : openDescriptors() - before) {
            const int flags = ::fcntl(fd, F_GETFD);
            QVERIFY2(flags < 0 || (flags & FD_CLOEXEC), qPrintable(QString("descriptor %1").arg(fd)));
        }
        server.stop();
        QVERIFY(!await(std::move(waiting)).error.isEmpty());
        ::close(silent);
    }
};

QTEST_GUILESS_MAIN(tst_OAuthLoopbackServer)
#include "tst_OAuthLoopbackServer.moc"
