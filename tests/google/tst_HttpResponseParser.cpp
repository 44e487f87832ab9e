#include "google/HttpResponseParser.h"

#include <QtTest>

using namespace mv;

using State = HttpResponseParser::State;
Q_DECLARE_METATYPE(HttpResponseParser::State)

class tst_HttpResponseParser : public QObject {
    Q_OBJECT

private:
    static constexpr qint64 limit = 64;

private Q_SLOTS:
    // Every answer is read twice, whole and one byte at a time: a connection delivers either.
    void readsAnAnswer_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<State>("state");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("keepAlive");

        QTest::newRow("length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello") << false
                                << State::done << 200 << QByteArray("hello") << true;
        QTest::newRow("resume incomplete, no body") << QByteArray(
            "HTTP/1.1 308 Resume Incomplete\r\nRange: bytes=0-1048575\r\nContent-Length: 0\r\n\r\n")
                                                    << false << State::done << 308 << QByteArray() << true;
        QTest::newRow("chunked with extension and trailer")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                          "3;x=y\r\nabc\r\nA\r\n0123456789\r\n0\r\nX-Trailer: 1\r\n\r\n")
            << false << State::done << 200 << QByteArray("abc0123456789") << true;
        QTest::newRow("interim answer passed over")
            << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 201 Created\r\nContent-Length: 2\r\n\r\n{}")
            << false << State::done << 201 << QByteArray("{}") << true;
        QTest::newRow("bare line feeds") << QByteArray("HTTP/1.1 200 OK\nContent-Length: 2\n\nok") << false
                                         << State::done << 200 << QByteArray("ok") << true;
        QTest::newRow("no content") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << false << State::done
                                    << 204 << QByteArray() << true;
        QTest::newRow("server closes after")
            << QByteArray("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok") << false
            << State::done << 200 << QByteArray("ok") << false;
        QTest::newRow("HTTP/1.0 without keep-alive")
            << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok") << false << State::done << 200
            << QByteArray("ok") << false;
        QTest::newRow("body runs to the close") << QByteArray("HTTP/1.1 200 OK\r\n\r\nuntil close") << true
                                                << State::done << 200 << QByteArray("until close") << false;
        QTest::newRow("bytes after the answer")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nokHTTP") << false << State::done << 200
            << QByteArray("ok") << false;
        QTest::newRow("cut body") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello") << true
                                  << State::failed << 200 << QByteArray("hello") << false;
        QTest::newRow("cut head") << QByteArray("HTTP/1.1 200 OK\r\nContent-Le") << true << State::failed << 0
                                  << QByteArray() << false;
        QTest::newRow("cut chunk") << QByteArray(
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab")
                                   << true << State::failed << 200 << QByteArray("ab") << false;
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH\r\n\r\n") << false << State::failed << 0
                                  << QByteArray() << false;
        QTest::newRow("negative length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n")
                                         << false << State::failed << 200 << QByteArray() << false;
        QTest::newRow("two lengths") << QByteArray(
            "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab")
                                     << false << State::failed << 200 << QByteArray() << false;
        QTest::newRow("bad chunk size")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n") << false
            << State::failed << 200 << QByteArray() << false;
        QTest::newRow("announced body over the limit")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 65\r\n\r\n") << false << State::tooLarge << 200
            << QByteArray() << false;
        QTest::newRow("chunked body over the limit")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n41\r\n") + QByteArray(65, 'x')
            << false << State::tooLarge << 200 << QByteArray() << false;
    }
    void readsAnAnswer()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closed);
        QFETCH(State, state);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, keepAlive);
        for (const bool piecewise : { false, true }) {
            HttpResponseParser parser(limit);
            if (piecewise) {
                for (const char byte : bytes)
                    parser.feed(QByteArrayView(&byte, 1));
            } else {
                parser.feed(bytes);
            }
            if (closed)
                parser.connectionClosed();
            QCOMPARE(parser.state(), state);
            if (state == State::tooLarge)
                continue;
            QCOMPARE(parser.status(), status);
            QCOMPARE(parser.body(), body);
            QCOMPARE(parser.keepAlive(), keepAlive);
        }
    }

    void headersAreFoundWhateverTheirCase()
    {
        HttpResponseParser parser(limit);
        parser.feed("HTTP/1.1 308 Resume Incomplete\r\nlocation: http://x/1\r\nRANGE:  bytes=0-9 \r\n"
                    "Content-Length: 0\r\n\r\n");
        QCOMPARE(parser.header("Location"), QByteArray("http://x/1"));
        QCOMPARE(parser.header("Range"), QByteArray("bytes=0-9"));
        QCOMPARE(parser.header("X-Absent"), std::nullopt);
    }

    // Whether a request may be sent again rests on this: nothing arrived before the close.
    void aCloseBeforeAnyByteIsNoAnswer()
    {
        HttpResponseParser parser(limit);
        parser.connectionClosed();
        QCOMPARE(parser.state(), State::failed);
        QVERIFY(!parser.receivedAny());
        HttpResponseParser started(limit);
        started.feed("H");
        started.connectionClosed();
        QVERIFY(started.receivedAny());
    }
};

QTEST_GUILESS_MAIN(tst_HttpResponseParser)
#include "tst_HttpResponseParser.moc"
