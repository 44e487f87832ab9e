#include "model/DirectoryTools.h"
#include "model/FileSystemError.h"
#include "model/PathValidationError.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace mv;

namespace {

// A clock that moves one second forward each time it is read, so a walk meets its deadline after a known
// number of entries.
class SteppingClock final : public Clock {
public:
    QDateTime now() const override { return m_now = m_now.addSecs(1); }
    std::shared_ptr<ClockAlarm> after(std::chrono::milliseconds, std::function<void()>) override
    {
        return {};
    }

private:
    mutable QDateTime m_now = QDateTime(QDate(2026, 12, 9), QTime(8, 0), Qt::UTC);
};

} // namespace

class tst_DirectoryTools : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void containsIncludedItem_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("patterns");
        QTest::addColumn<bool>("expected");
        const QStringList finderAndModules { ".DS_Store", "node_modules/" };
        QTest::newRow("only excluded names")
            << QStringList { ".DS_Store", "node_modules/" } << finderAndModules << false;
        QTest::newRow("one more file")
            << QStringList { ".DS_Store", "node_modules/", "notes.txt" } << finderAndModules << true;
        QTest::newRow("hidden names count") << QStringList { ".profile" } << finderAndModules << true;
        QTest::newRow("wildcards") << QStringList { "a.tmp", "b.tmp", "~lock" }
                                   << QStringList { "*.tmp", "~*" } << false;
        QTest::newRow("blanks and trailing slashes trimmed")
            << QStringList { "cache/" } << QStringList { "  cache// \n" } << false;
        QTest::newRow("a pattern with an inner slash excludes nothing")
            << QStringList { "a" } << QStringList { "x/a", "/a" } << true;
        QTest::newRow("no patterns") << QStringList { "a" } << QStringList {} << true;
        QTest::newRow("empty folder") << QStringList {} << QStringList {} << false;
    }

    void containsIncludedItem()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, patterns);
        QFETCH(bool, expected);
        test::TempDir dir;
        for (const QString& name : names)
            name.endsWith('/') ? void(dir.mkdir(name)) : void(dir.write(name, "x"));
        QCOMPARE(DirectoryTools::containsIncludedItem(dir.path(), patterns), expected);
    }

    void containsIncludedItemIsFalseForWhatCannotBeListed()
    {
        test::TempDir dir;
        QVERIFY(!DirectoryTools::containsIncludedItem(dir.filePath("missing"), {}));
        QVERIFY(!DirectoryTools::containsIncludedItem(dir.write("file", "x"), {}));
    }

    void quickSize_data()
    {
        QTest::addColumn<double>("budget");
        QTest::addColumn<qint64>("entryLimit");
        QTest::addColumn<int>("clockReadsAllowed"); // 0: the real clock
        QTest::addColumn<std::optional<qint64>>("expected");
        // The tree: a (3 bytes), sub/ with b (4 bytes) and a link to a, .hidden (5), .git/ with c (6): four
        // entries are visited (a, sub, sub/b, sub/link) and nothing hidden.
        QTest::newRow("whole tree") << 10.0 << DirectoryTools::quickSizeEntryLimit << 0
                                    << std::optional<qint64>(7);
        QTest::newRow("deadline already passed")
            << -1.0 << DirectoryTools::quickSizeEntryLimit << 0 << std::optional<qint64>();
        QTest::newRow("deadline passes during the walk")
            << 2.5 << DirectoryTools::quickSizeEntryLimit << 1 << std::optional<qint64>();
        QTest::newRow("deadline after the last entry")
            << 5.0 << DirectoryTools::quickSizeEntryLimit << 1 << std::optional<qint64>(7);
        QTest::newRow("entry limit reached exactly") << 10.0 << qint64(4) << 0 << std::optional<qint64>(7);
        QTest::newRow("entry limit exceeded") << 10.0 << qint64(3) << 0 << std::optional<qint64>();
    }

    void quickSize()
    {
        QFETCH(double, budget);
        QFETCH(qint64, entryLimit);
        QFETCH(int, clockReadsAllowed);
        QFETCH(std::optional<qint64>, expected);
        test::TempDir dir;
        dir.write("a", "aaa");
        dir.write("sub/b", "bbbb");
        QVERIFY(QFile::link(dir.filePath("a"), dir.filePath("sub/link")));
        dir.write(".hidden", "hhhhh");
        dir.write(".git/c", "cccccc");
        SteppingClock stepping;
        Clock& clock = clockReadsAllowed ? static_cast<Clock&>(stepping) : Clock::system();
        QCOMPARE(DirectoryTools::quickSize(dir.path(), budget, clock, entryLimit), expected);
    }

    void quickSizeOfEmptyAndMissingFolders()
    {
        test::TempDir dir;
        QCOMPARE(DirectoryTools::quickSize(dir.path(), 1.2), std::optional<qint64>(0));
        QCOMPARE(DirectoryTools::quickSize(dir.filePath("missing"), 1.2), std::optional<qint64>());
    }

    void createDirectoryIfNeeded()
    {
        test::TempDir dir;
        const QString nested = dir.filePath("a/b/c");
        DirectoryTools::createDirectoryIfNeeded(nested);
        QVERIFY(QFileInfo(nested).isDir());
        dir.write("a/b/c/kept", "x");
        DirectoryTools::createDirectoryIfNeeded(nested);
        QVERIFY(QFile::exists(nested + "/kept"));

        const QString file = dir.write("file", "x");
        QVERIFY_THROWS_EXCEPTION(PathValidationError, DirectoryTools::createDirectoryIfNeeded(file + "/"));
        try {
            DirectoryTools::createDirectoryIfNeeded(file + "/below");
            QFAIL("a folder below a file was created");
        } catch (const FileSystemError& error) {
            QVERIFY2(error.description().startsWith(
                         QString("The folder “%1/below” could not be created: ").arg(file)),
                qPrintable(error.description()));
        }
    }
};

QTEST_GUILESS_MAIN(tst_DirectoryTools)
#include "tst_DirectoryTools.moc"
