#include "engine/LineSplitter.h"

#include <QtTest>

using mv::LineSplitter;

namespace {

// Feeds `input` cut at the given positions and answers every line given out, the flushed rest last.
QStringList split(const QByteArray& input, const QList<qsizetype>& cuts)
{
    LineSplitter splitter;
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype cut : cuts) {
        lines << splitter.append(QByteArrayView(input).sliced(start, cut - start));
        start = cut;
    }
    lines << splitter.append(QByteArrayView(input).sliced(start));
    if (const auto rest = splitter.flush())
        lines << *rest;
    return lines;
}

} // namespace

class tst_LineSplitter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appendGivesOnlyFinishedLinesAndFlushTheRest()
    {
        LineSplitter splitter;
        QCOMPARE(splitter.append("ab"), QStringList());
        QCOMPARE(splitter.append("c\r"), QStringList { "abc" });
        QCOMPARE(splitter.append("\n"), QStringList()); // the empty line between CR and LF is dropped
        QCOMPARE(splitter.append("d"), QStringList());
        QCOMPARE(splitter.flush(), std::optional<QString>("d"));
        QCOMPARE(splitter.flush(), std::nullopt);
    }

    void everySplitOfTheInputGivesTheSameLines()
    {
        // Progress rewritten with CR, CRLF, blank lines, a two-byte and a three-byte character, an invalid
        // byte and an unfinished last line: 17 bytes, so all 65,536 ways of cutting them are tried.
        const QByteArray input("\r1%\r2\xc3\xa9\r\n\nx\xe2\x82\xac\xff\ny");
        const QStringList expected { "1%", QString::fromUtf8("2\xc3\xa9"),
            QString::fromUtf8("x\xe2\x82\xac\xef\xbf\xbd"), "y" };
        const qsizetype gaps = input.size() - 1;
        for (quint32 mask = 0; mask < (1u << gaps); ++mask) {
            QList<qsizetype> cuts;
            for (qsizetype gap = 0; gap < gaps; ++gap) {
                if (mask & (1u << gap))
                    cuts << gap + 1;
            }
            const QStringList lines = split(input, cuts);
            if (lines != expected)
                QFAIL(qPrintable(QStringLiteral("cut mask %1 gave %2").arg(mask).arg(lines.join(u'|'))));
        }
    }

    void overlongOutputIsCutAtTheBoundWhateverTheChunks_data()
    {
        QTest::addColumn<qsizetype>("chunkSize");
        QTest::newRow("one chunk") << qsizetype(0);
        QTest::newRow("pipe-sized chunks") << qsizetype(65536);
        QTest::newRow("odd chunks") << qsizetype(99991);
    }
    void overlongOutputIsCutAtTheBoundWhateverTheChunks()
    {
        QFETCH(qsizetype, chunkSize);
        constexpr qsizetype bound = LineSplitter::maxLineBytes;
        // A line of 2.5 MiB with a "é" straddling the first bound, then a short line; no line grows past the
        // bound and the character stays whole.
        QByteArray input(bound - 1, 'a');
        input += "\xc3\xa9";
        input += QByteArray(bound + bound / 2, 'b');
        input += "\nshort";
        QList<qsizetype> cuts;
        for (qsizetype at = chunkSize; chunkSize > 0 && at < input.size(); at += chunkSize)
            cuts << at;

        const QStringList lines = split(input, cuts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QString(bound - 1, u'a'));
        QCOMPARE(lines[1], QString::fromUtf8("\xc3\xa9") + QString(bound - 2, u'b'));
        QCOMPARE(lines[2], QString(bound / 2 + 2, u'b'));
        QCOMPARE(lines[3], QStringLiteral("short"));
    }
};

QTEST_GUILESS_MAIN(tst_LineSplitter)
#include "tst_LineSplitter.moc"
