#include "platform/Bookmark.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace mv;

class tst_Bookmark : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void resolvesWhileThePathHoldsTheSameFolder()
    {
        test::TempDir dir;
        const QString folder = dir.mkdir("Photos 2026");
        const auto bookmark = Bookmark::create(folder);
        QVERIFY(bookmark);
        QCOMPARE(Bookmark::resolve(*bookmark), std::optional<QString>(folder));
    }

    // A folder moved away and another made at its path (as an empty mount point left behind by a drive)
    // is not the bookmarked folder.
    void failsWhenAnotherFolderTookThePath()
    {
        test::TempDir dir;
        const QString folder = dir.mkdir("Backups");
        const auto bookmark = Bookmark::create(folder);
        QVERIFY(bookmark);
        QVERIFY(QDir().rename(folder, dir.filePath("Moved")));
        QCOMPARE(Bookmark::resolve(*bookmark), std::nullopt);
        dir.mkdir("Backups");
        QCOMPARE(Bookmark::resolve(*bookmark), std::nullopt);
    }

    void noBookmarkOfAMissingPath()
    {
        test::TempDir dir;
        QCOMPARE(Bookmark::create(dir.filePath("missing")), std::nullopt);
        QCOMPARE(Bookmark::create(""), std::nullopt);
    }

    // Bookmarks come from a file a person can edit: anything but what this program wrote is refused.
    void refusesDataItDidNotWrite_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not JSON") << QByteArray("\x00\x01\xff garbage", 12);
        QTest::newRow("an array") << QByteArray("[1,2]");
        QTest::newRow("another version")
            << QByteArray(R"({"version":2,"path":"/","device":"0","inode":"0"})");
        QTest::newRow("numbers instead of text")
            << QByteArray(R"({"version":1,"path":"/","device":1,"inode":2})");
        QTest::newRow("negative inode")
            << QByteArray(R"({"version":1,"path":"/","device":"1","inode":"-2"})");
        QTest::newRow("relative path") << QByteArray(R"({"version":1,"path":".","device":"1","inode":"2"})");
        QTest::newRow("path missing") << QByteArray(R"({"version":1,"device":"1","inode":"2"})");
    }

    void refusesDataItDidNotWrite()
    {
        QFETCH(QByteArray, data);
        QCOMPARE(Bookmark::resolve(data), std::nullopt);
    }

    // Edited to name another folder, the bookmark no longer matches that folder's device and inode.
    void refusesAPathEditedToAnotherFolder()
    {
        test::TempDir dir;
        const QString first = dir.mkdir("first");
        const QString second = dir.mkdir("second");
        QByteArray edited = *Bookmark::create(first);
        edited.replace(QFile::encodeName(first), QFile::encodeName(second));
        QCOMPARE(Bookmark::resolve(edited), std::nullopt);
    }

    // A NUL character would cut the path short wherever it is used: the part before it names the
    // bookmarked folder, yet the whole text would come back as the folder's path.
    void refusesAPathHoldingANulCharacter()
    {
        test::TempDir dir;
        const QString folder = dir.mkdir("folder");
        QByteArray edited = *Bookmark::create(folder);
        edited.replace(QFile::encodeName(folder), QFile::encodeName(folder) + "\\u0000/elsewhere");
        QCOMPARE(Bookmark::resolve(edited), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(tst_Bookmark)
#include "tst_Bookmark.moc"
