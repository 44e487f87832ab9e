#include "drive/ExclusionMatcher.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace mv;

namespace {

const QStringList builtIns { ".DS_Store", ".git/", "node_modules/", "*.tmp", ".Trash/", "Library/Caches/" };

// Characters that make names and patterns interesting: fnmatch's special ones, a blank, a two-byte one.
const QStringList alphabet { "a", "b", ".", "*", "?", "[", "]", "!", "\\", " ", "é" };

QString randomName(QRandomGenerator& random)
{
    QString name;
    const int length = random.bounded(1, 4);
    for (int i = 0; i < length; ++i)
        name += alphabet[random.bounded(int(alphabet.size()))];
    return name;
}

// A pattern made, more often than not, of a run of the path's own components, some characters turned into
// wildcards, so that many patterns hit the path, some letter for letter.
QString randomPattern(QRandomGenerator& random, const QStringList& components)
{
    QStringList parts;
    if (random.bounded(4) == 0) {
        const int count = random.bounded(1, 4);
        for (int i = 0; i < count; ++i)
            parts << randomName(random);
    } else {
        const int first = random.bounded(int(components.size()));
        const int count = random.bounded(1, int(components.size()) - first + 1);
        parts = components.mid(first, count);
    }
    QString pattern = parts.join(u'/');
    static const QStringList wildcards { "*", "?", "[ab]", "[!a]", "\\a", "*a" };
    for (int changes = random.bounded(3); changes > 0 && !pattern.isEmpty(); --changes) {
        const int at = random.bounded(int(pattern.size()));
        if (pattern[at] != u'/')
            pattern.replace(at, 1, wildcards[random.bounded(int(wildcards.size()))]);
    }
    switch (random.bounded(6)) {
    case 0:
        return pattern + u'/';
    case 1:
        return u'/' + pattern;
    case 2:
        return QStringLiteral(" ") + pattern + QStringLiteral("\n");
    default:
        return pattern;
    }
}

} // namespace

class tst_ExclusionMatcher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void isExcluded_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("patterns");
        QTest::addColumn<bool>("excluded");
        const QStringList tmp { "*.tmp" };
        const QStringList caches { "Library/Caches/" };
        const QStringList objects { "build/*.o" };
        QTest::newRow(".DS_Store at the top") << ".DS_Store" << builtIns << true;
        QTest::newRow(".DS_Store deep down") << "a/b/.DS_Store" << builtIns << true;
        QTest::newRow("a longer name") << "a/.DS_Store2" << builtIns << false;
        QTest::newRow("case counts") << "a/.ds_store" << builtIns << false;
        QTest::newRow("no pattern at all") << "a/.DS_Store" << QStringList() << false;
        QTest::newRow("*.tmp file") << "a.tmp" << tmp << true;
        QTest::newRow("*.tmp file in a folder") << "x/b.tmp" << tmp << true;
        QTest::newRow("*.tmp folder") << "cache.tmp" << tmp << true;
        QTest::newRow("*.tmp folder's contents") << "cache.tmp/inner.txt" << tmp << true;
        QTest::newRow("*.tmp needs the suffix at the end") << "a.tmpx" << tmp << false;
        QTest::newRow(".git/ excludes a file named .git") << ".git" << builtIns << true;
        QTest::newRow(".git/ contents") << "src/.git/config" << builtIns << true;
        QTest::newRow("node_modules deep") << "web/node_modules/x/index.js" << builtIns << true;
        QTest::newRow("Library/Caches itself") << "Library/Caches" << caches << true;
        QTest::newRow("below Library/Caches") << "Library/Caches/x" << caches << true;
        QTest::newRow("Library/Caches deeper") << "Users/me/Library/Caches/x" << caches << true;
        QTest::newRow("MyLibrary/Caches") << "MyLibrary/Caches/x" << caches << false;
        QTest::newRow("Library/CachesOld") << "Library/CachesOld" << caches << false;
        QTest::newRow("Library alone") << "Library" << caches << false;
        QTest::newRow("build/*.o") << "build/a.o" << objects << true;
        QTest::newRow("build/*.o deeper") << "src/build/a.o" << objects << true;
        QTest::newRow("* never crosses /") << "build/sub/a.o" << objects << false;
        QTest::newRow("leading / never matches") << "a" << QStringList { "/a" } << false;
        QTest::newRow("leading / never matches below") << "x/a/b" << QStringList { "/a" } << false;
        QTest::newRow("blank and / patterns ignored")
            << "a" << QStringList { "   ", "/", "//", "\t\n", "" } << false;
        QTest::newRow("blanks around a pattern") << "x/b.tmp" << QStringList { "  *.tmp \n" } << true;
        QTest::newRow("blanks around a path pattern")
            << "Library/Caches/x" << QStringList { " Library/Caches// " } << true;
        QTest::newRow("wildcards match a leading dot") << ".bashrc" << QStringList { "*rc" } << true;
        QTest::newRow("? matches a leading dot") << ".git" << QStringList { "?git" } << true;
        QTest::newRow("escaped wildcard is literal") << "a*" << QStringList { "a\\*" } << true;
        QTest::newRow("escaped wildcard only literal") << "ab" << QStringList { "a\\*" } << false;
        QTest::newRow("brackets") << "x/b1" << QStringList { "b[0-9]" } << true;
        // A path pattern holding a backslash matches by fnmatch, and its literal text only as a prefix.
        QTest::newRow("literal prefix below, not the folder")
            << "x\\y/z" << QStringList { "x\\y/z" } << false;
        QTest::newRow("literal prefix excludes below") << "x\\y/z/w" << QStringList { "x\\y/z" } << true;
        QTest::newRow("escape read by fnmatch") << "xy/z" << QStringList { "x\\y/z" } << true;
        QTest::newRow("later pattern matches") << "a/b" << QStringList { "zzz", "b" } << true;
        QTest::newRow("non-ASCII name") << "Fotos/Überblick.tmp" << builtIns << true;
    }

    void isExcluded()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, patterns);
        QFETCH(bool, excluded);
        QCOMPARE(GoogleDriveEngine::isExcluded(path, patterns), excluded);
    }

    // The scan's matcher against the plain one, on random paths and patterns: walking down a path, each
    // entry is listed by the one exactly when it is by the other, and the walk goes on below it alike.
    void walkMatcherDecidesLikeIsExcluded()
    {
        const quint32 seed = 20261211;
        QRandomGenerator random(seed);
        int excludedCount = 0;
        int includedCount = 0;
        int contentsOnly = 0;
        for (int round = 0; round < 40'000; ++round) {
            QStringList components;
            for (int depth = random.bounded(1, 6); depth > 0; --depth)
                components << randomName(random);
            QStringList patterns;
            for (int count = random.bounded(1, 4); count > 0; --count)
                patterns << randomPattern(random, components);
            const ExclusionMatcher matcher(patterns);

            bool reachedPlain = true;
            bool reachedWalk = true;
            for (qsizetype depth = 1; depth <= components.size() && (reachedPlain || reachedWalk); ++depth) {
                const QString path = components.first(depth).join(u'/');
                const bool plain = GoogleDriveEngine::isExcluded(path, patterns);
                const ExclusionMatcher::Verdict walk = matcher.check(path.toUtf8());
                const bool listedPlain = reachedPlain && !plain;
                const bool listedWalk = reachedWalk && !walk.excluded;
                if (listedPlain != listedWalk) {
                    const QString problem = QStringLiteral("seed %1 round %2: \"%3\" with [%4] listed: %5")
                                                .arg(seed)
                                                .arg(round)
                                                .arg(path, patterns.join(QStringLiteral("] [")))
                                                .arg(listedPlain);
                    QFAIL(qPrintable(problem));
                }
                (listedPlain ? includedCount : excludedCount) += reachedPlain ? 1 : 0;
                contentsOnly += walk.contentsExcluded && !walk.excluded ? 1 : 0;
                reachedPlain = listedPlain;
                reachedWalk = listedWalk && !walk.contentsExcluded;
            }
        }
        // The cases must be mixed for the comparison to mean anything.
        QVERIFY2(excludedCount > 10'000 && includedCount > 10'000,
            qPrintable(QStringLiteral("%1 excluded, %2 included").arg(excludedCount).arg(includedCount)));
        QVERIFY2(contentsOnly > 10, qPrintable(QString::number(contentsOnly)));
    }
};

QTEST_GUILESS_MAIN(tst_ExclusionMatcher)
#include "tst_ExclusionMatcher.moc"
