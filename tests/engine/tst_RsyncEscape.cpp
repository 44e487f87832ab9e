#include "engine/RsyncEscape.h"

#include <QtTest>

using namespace mv;

class tst_RsyncEscape : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Complete escapes become their bytes, read as UTF-8; each byte that is no UTF-8 shows as U+FFFD without
    // taking their neighbours along; anything that only starts like an escape is left as written.
    void decoded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("plain") << "photos/a.jpg"
                               << "photos/a.jpg";
        QTest::newRow("em dash") << R"(Notes \#342\#200\#224 2024.txt)"
                                 << "Notes \u2014 2024.txt";
        QTest::newRow("within a log line") << R"(XFER caf\#303\#251.txt)"
                                           << "XFER café.txt";
        QTest::newRow("control byte") << R"(nl\#012x)"
                                      << "nl\nx";
        QTest::newRow("escaped backslash") << R"(d\#134#123)"
                                           << R"(d\#123)";
        QTest::newRow("lone byte outside UTF-8") << R"(caf\#351 ok)"
                                                 << "caf\ufffd ok";
        QTest::newRow("sequence cut short") << R"(a\#342\#200b)"
                                            << "a\ufffd\ufffdb";
        QTest::newRow("backslash without hash") << R"(C:\dir\#)"
                                                << R"(C:\dir\#)";
        QTest::newRow("hash without digits") << R"(a\#b)"
                                             << R"(a\#b)";
        QTest::newRow("not octal") << R"(f\#189)"
                                   << R"(f\#189)";
        QTest::newRow("above a byte") << R"(g\#400)"
                                      << R"(g\#400)";
        QTest::newRow("truncated inside") << R"(e\#12 x)"
                                          << R"(e\#12 x)";
        QTest::newRow("truncated at the end") << R"(end\#30)"
                                              << R"(end\#30)";
        QTest::newRow("truncated after a good one") << R"(\#303\#251\#3)"
                                                    << R"(é\#3)";
    }

    void decoded()
    {
        QFETCH(QString, text);
        QFETCH(QString, decoded);
        QCOMPARE(RsyncEscape::decoded(text), decoded);
    }

    // What our own logs write reads back as the line it was.
    void encodedReadsBack_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("newline") << "UPLOAD new\nline.txt";
        QTest::newRow("separators") << "SKIP \t\x1b\u0085\u2028.txt";
        QTest::newRow("backslash starting an escape") << R"(a\#012b \n é)";
        QTest::newRow("trailing backslash") << "back\\";
    }

    void encodedReadsBack()
    {
        QFETCH(QString, line);
        const QByteArray bytes = RsyncEscape::encoded(line);
        QVERIFY(!bytes.contains('\n'));
        QCOMPARE(RsyncEscape::decoded(QString::fromUtf8(bytes)), line);
    }
};

QTEST_GUILESS_MAIN(tst_RsyncEscape)
#include "tst_RsyncEscape.moc"
