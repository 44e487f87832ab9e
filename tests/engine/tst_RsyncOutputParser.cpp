#include "engine/LineSplitter.h"
#include "engine/RsyncEscape.h"
#include "engine/RsyncOutputParser.h"

#include <QtTest>

using mv::RsyncEvent;
using mv::RsyncOutputParser;
using mv::RsyncSample;
using mv::RsyncStats;

Q_DECLARE_METATYPE(mv::RsyncSample)

namespace {

QByteArray fixture(const QString& name)
{
    QFile file(qEnvironmentVariable("MV_SOURCE_DIR") + "/tests/engine/fixtures/" + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

// What a run's output gave, in the order the events came.
struct Parsed {
    QStringList transferred;
    QStringList deletions;
    QList<RsyncSample> samples;
    QStringList messages;
};

// Reads recorded output as the controller does: through a splitter in pipe-sized pieces (small here, so
// that lines and carriage-return runs are cut across reads).
Parsed parse(RsyncOutputParser& parser, const QByteArray& output)
{
    Parsed parsed;
    mv::LineSplitter splitter;
    QStringList lines;
    for (qsizetype at = 0; at < output.size(); at += 7)
        lines << splitter.append(
            QByteArrayView(output).sliced(at, std::min<qsizetype>(7, output.size() - at)));
    if (const auto rest = splitter.flush())
        lines << *rest;
    for (const QString& line : lines) {
        const std::optional<RsyncEvent> event = parser.consume(line);
        if (!event)
            continue;
        if (event->transferredName)
            parsed.transferred << *event->transferredName;
        if (event->deletion)
            parsed.deletions << *event->deletion;
        if (event->sample)
            parsed.samples << *event->sample;
        if (event->message)
            parsed.messages << *event->message;
    }
    return parsed;
}

RsyncStats stats(qint64 transferred, qint64 created, qint64 updated, qint64 deleted, qint64 total,
    qint64 bytes, qint64 sent)
{
    return { transferred, created, updated, deleted, total, bytes, sent };
}

} // namespace

class tst_RsyncOutputParser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordedCopyGivesItemsProgressAndStatistics()
    {
        RsyncOutputParser parser;
        const Parsed parsed = parse(parser, fixture("rsync-copy.out"));
        QCOMPARE(parsed.transferred,
            (QStringList { "file1.bin", "file2.bin", "file3.bin", "sub/", "sub/gone.txt", "sub/note.txt" }));
        QCOMPARE(parsed.samples.size(), 8);
        QCOMPARE(parsed.samples.first(),
            (RsyncSample { 32'770, 0.01, 0, 0.0, std::nullopt, std::nullopt, std::nullopt }));
        QCOMPARE(parsed.samples.last(), (RsyncSample { 1'800'000, 1.0, 1'920'000, 0.0, 5, 0, 7 }));
        // More created than transferred (the folder counts as created): nothing was updated.
        QCOMPARE(parser.stats(), stats(5, 6, 0, 0, 7, 1'800'000, 1'800'000));
        QVERIFY(parser.sawStatistics());
        QVERIFY(parsed.messages.isEmpty());
    }

    void recordedMirrorCountsDeletionsThenTakesRsyncsCount()
    {
        RsyncOutputParser parser;
        const Parsed parsed = parse(parser, fixture("rsync-mirror.out"));
        QCOMPARE(parsed.transferred, (QStringList { "./", "sub/", "sub/note.txt" }));
        QCOMPARE(parsed.deletions, (QStringList { "file2.bin", "sub/gone.txt" }));
        QCOMPARE(parser.stats(), stats(1, 0, 1, 2, 5, 11, 204));
    }

    void recordedFailuresAreKeptAsErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("missing destination parent")
            << "rsync-mkdir-failed.err"
            << QStringList {
                   R"(rsync: [Receiver] mkdir "/tmp/fx/nothere/deeper/x" failed: No such file or directory (2))",
                   "rsync error: error in file IO (code 11) at main.c(808) [Receiver=3.5.0]"
               };
        QTest::newRow("ssh refused")
            << "rsync-ssh-refused.err"
            << QStringList { "ssh: connect to host 127.0.0.1 port 1: Connection refused",
                   "rsync: connection unexpectedly closed (0 bytes received so far) [sender]",
                   "rsync error: unexplained error (code 255) at io.c(285) [sender=3.5.0]" };
    }
    void recordedFailuresAreKeptAsErrors()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, errors);
        RsyncOutputParser parser;
        const Parsed parsed = parse(parser, fixture(name));
        QCOMPARE(parsed.messages, errors);
        QCOMPARE(parser.errors(), errors);
        QVERIFY(parser.warnings().isEmpty());
        QCOMPARE(parser.stats(), RsyncStats());
    }

    void progressLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<RsyncSample>("sample");
        QTest::newRow("all groups") << "   1.23M  45%  10.50MB/s  0:01:02 (xfr#3, to-chk=10/20)"
                                    << RsyncSample { 1'230'000, 0.45, 10'500'000, 62.0, 3, 10, 20 };
        QTest::newRow("grouped bytes, no counts")
            << "1,234,567  12%  1.00kB/s  0:00:05" << RsyncSample { 1'234'567, 0.12, 1'000, 5.0, {}, {}, {} };
        QTest::newRow("over 100 percent, minutes")
            << "10 250% 0.00kB/s 1:02" << RsyncSample { 10, 1.0, 0, 62.0, {}, {}, {} };
        QTest::newRow("zero percent, an hour")
            << "0 0% 0.00kB/s 1:00:00" << RsyncSample { 0, 0, 0, 3600.0, {}, {}, {} };
        QTest::newRow("negative to-check")
            << "5 1% 1B/s 0:00 (xfr#1, to-chk=-1/4)" << RsyncSample { 5, 0.01, 1, 0.0, 1, -1, 4 };
        QTest::newRow("beyond 64 bits holds the limit")
            << "99999999999P 1% 1B/s 0:00"
            << RsyncSample { std::numeric_limits<qint64>::max(), 0.01, 1, 0.0, {}, {}, {} };
    }
    void progressLines()
    {
        QFETCH(QString, line);
        QFETCH(RsyncSample, sample);
        RsyncOutputParser parser;
        const auto event = parser.consume(line);
        QVERIFY(event && event->sample);
        QCOMPARE(*event->sample, sample);
        QCOMPARE(parser.stats().transferredBytes, sample.bytesTransferred);
    }

    void linesOfEachKind()
    {
        RsyncOutputParser parser;
        QCOMPARE(parser.consume("XFER Documents/report.pdf")->transferredName,
            std::optional<QString>("Documents/report.pdf"));
        QVERIFY(!parser.consume("XFER   "));
        QVERIFY(!parser.consume("   "));

        QCOMPARE(parser.consume("deleting old/file.txt")->deletion, std::optional<QString>("old/file.txt"));
        const auto itemized = parser.consume("*deleting   old/deleting notes.txt");
        QCOMPARE(itemized->deletion, std::optional<QString>("old/deleting notes.txt"));
        QCOMPARE(itemized->stats->filesDeleted, 2);
        QVERIFY(!parser.consume("*deleting"));

        QCOMPARE(parser.consume("Number of created files: 4")->stats->filesCreated, 4);
        QCOMPARE(parser.consume("Number of regular files transferred: 10")->stats->filesUpdated, 6);
        QCOMPARE(parser.consume("Number of files: 1,234 (reg: 1,000, dir: 234)")->stats->totalFiles, 1234);
        QCOMPARE(parser.consume("Number of deleted files: 7 (reg: 7)")->stats->filesDeleted, 7);
        QCOMPARE(
            parser.consume("Total transferred file size: 1.23M bytes")->stats->transferredBytes, 1'230'000);
        QCOMPARE(parser.consume("Total transferred file size: 812 bytes")->stats->transferredBytes, 812);
        QCOMPARE(parser.consume("Total bytes sent: 2.50K")->stats->bytesSent, 2'500);
        QVERIFY(!parser.consume("Total bytes sent: lots"));
        QVERIFY(!parser.consume("Total bytes received: 119"));
        QVERIFY(!parser.consume("sent 1.80M bytes  received 119 bytes  3.60M bytes/sec"));
        QCOMPARE(parser.stats(), stats(10, 4, 6, 7, 1234, 812, 2'500));

        const auto warning = parser.consume("file.txt: warning: token=abc123 was seen");
        QCOMPARE(warning->message, std::optional<QString>("file.txt: warning: token=••• was seen"));
        QVERIFY(!warning->isError);
        QVERIFY(parser.consume("WARNING: something")->message);
        QCOMPARE(parser.warnings().size(), 2);
    }

    // Names come as they are on disk, whether transferred or deleted: rsync's escapes are undone once, and
    // what only looks like an escape stays.
    void namesAreDecoded_data()
    {
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "Documents/report.pdf"
                               << "Documents/report.pdf";
        QTest::newRow("bytes outside ASCII") << R"(caf\#303\#251.txt)"
                                             << "café.txt";
        QTest::newRow("control byte") << R"(nl\#012x)"
                                      << "nl\nx";
        QTest::newRow("escaped backslash before digits") << R"(d\#134#123)"
                                                         << R"(d\#123)";
        QTest::newRow("literal backslash-hash") << R"(a\#b)"
                                                << R"(a\#b)";
        QTest::newRow("too few digits") << R"(e\#12)"
                                        << R"(e\#12)";
        QTest::newRow("not octal") << R"(f\#189)"
                                   << R"(f\#189)";
        QTest::newRow("lone backslashes") << R"(x\y\)"
                                          << R"(x\y\)";
        QTest::newRow("blanks at either end") << " lead and trail  "
                                              << " lead and trail  ";
    }
    void namesAreDecoded()
    {
        QFETCH(QString, reported);
        QFETCH(QString, name);
        RsyncOutputParser parser;
        QCOMPARE(parser.consume("XFER " + reported)->transferredName, std::optional(name));
        QCOMPARE(parser.consume("deleting " + reported)->deletion, std::optional(name));
        QCOMPARE(mv::RsyncEscape::decoded(reported), name);
    }

    void onlyTheFirstTwentyErrorsAreKept()
    {
        RsyncOutputParser parser;
        for (int i = 1; i <= 21; ++i) {
            const auto event = parser.consume(QStringLiteral("rsync error: number %1").arg(i));
            QVERIFY(event && event->isError);
            QCOMPARE(event->message, QStringLiteral("rsync error: number %1").arg(i));
        }
        QCOMPARE(parser.errors().size(), 20);
        QCOMPARE(parser.errors().last(), QStringLiteral("rsync error: number 20"));
    }

    // Counts come from text; sums and differences of extreme ones are held at the limits of 64 bits.
    void countsSaturate_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<qint64>("filesUpdated");
        QTest::addColumn<qint64>("filesDeleted");
        constexpr qint64 most = std::numeric_limits<qint64>::max();
        QTest::newRow("created count at the negative limit")
            << QStringList { "Number of created files: -9223372036854775808",
                   "Number of regular files transferred: 9223372036854775807" }
            << most << qint64(0);
        QTest::newRow("negative created count") << QStringList { "Number of created files: -5",
            "Number of regular files transferred: 9,223,372,036,854,775,807" }
                                                << most << qint64(0);
        QTest::newRow("transferred count at the negative limit") << QStringList {
            "Number of regular files transferred: -9223372036854775808", "Number of created files: 1"
        } << qint64(0) << qint64(0);
        QTest::newRow("deletion after the largest deleted count") << QStringList {
            "Number of deleted files: 9223372036854775807", "deleting old.txt", "*deleting   older.txt"
        } << qint64(0) << most;
    }
    void countsSaturate()
    {
        QFETCH(QStringList, lines);
        QFETCH(qint64, filesUpdated);
        QFETCH(qint64, filesDeleted);
        RsyncOutputParser parser;
        for (const QString& line : lines)
            parser.consume(line);
        QCOMPARE(parser.stats().filesUpdated, filesUpdated);
        QCOMPARE(parser.stats().filesDeleted, filesDeleted);
    }

    // Lines read together give the events they give one by one, except that of the progress lines only the
    // last that reads as one counts.
    void linesReadTogetherKeepOnlyTheLastProgress()
    {
        const QStringList lines { "  10 1% 1.00kB/s 0:00:09", "XFER a.txt",
            "20 2% 2.00kB/s 0:00:08 (xfr#1, to-chk=8/10)", "deleting b.txt",
            "3 looks like 4% progress but is not", "rsync: [sender] send_files failed",
            "7 files: warning: 5% left", "Number of files: 10" };
        RsyncOutputParser single;
        QList<RsyncEvent> expected;
        for (const QString& line : lines) {
            if (auto event = single.consume(line); event && (!event->sample || line.startsWith("20 ")))
                expected << *event;
        }
        RsyncOutputParser together;
        const QList<RsyncEvent> events = together.consumeLines(lines);
        QCOMPARE(events.size(), expected.size());
        for (qsizetype i = 0; i < events.size(); ++i) {
            QCOMPARE(events[i].sample, expected[i].sample);
            QCOMPARE(events[i].transferredName, expected[i].transferredName);
            QCOMPARE(events[i].deletion, expected[i].deletion);
            QCOMPARE(events[i].stats, expected[i].stats);
            QCOMPARE(events[i].message, expected[i].message);
        }
        QCOMPARE(together.stats(), single.stats());
        QCOMPARE(together.errors(), single.errors());
        QCOMPARE(together.warnings(), single.warnings());
        QCOMPARE(together.stats().transferredBytes, 20);
    }

    void unitsAndTimes()
    {
        QCOMPARE(RsyncOutputParser::multiplier(u"k"), 1e3);
        QCOMPARE(RsyncOutputParser::multiplier(u"P"), 1e15);
        QCOMPARE(RsyncOutputParser::multiplier(u""), 1.0);
        QCOMPARE(RsyncOutputParser::multiplier(u"X"), 1.0);
        QCOMPARE(RsyncOutputParser::seconds(u"7"), std::optional(7.0));
        QCOMPARE(RsyncOutputParser::seconds(u"1:2:3:4"), std::optional(1.0));
        QCOMPARE(RsyncOutputParser::seconds(u"::"), std::nullopt);
        QCOMPARE(RsyncOutputParser::seconds(u"a:5"), std::optional(5.0));
    }
};

QTEST_GUILESS_MAIN(tst_RsyncOutputParser)
#include "tst_RsyncOutputParser.moc"
