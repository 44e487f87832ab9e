#include "model/AppPaths.h"
#include "model/FileSystemError.h"
#include "support/FileMode.h"
#include "support/TempDir.h"

#include <QtTest>

using namespace mv;

class tst_AppPaths : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void supportDirectoryFollowsTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("supportDir");
        QTest::addColumn<QByteArray>("dataHome");
        QTest::addColumn<QString>("expected");

        const QString home = QDir::homePath();
        QTest::newRow("override taken as it stands")
            << QByteArray("~/elsewhere") << QByteArray("/data") << "~/elsewhere";
        QTest::newRow("empty override is unset")
            << QByteArray("") << QByteArray("/data") << "/data/Marrowvale";
        QTest::newRow("default data folder")
            << QByteArray() << QByteArray() << home + "/.local/share/Marrowvale";
        QTest::newRow("relative data folder is ignored")
            << QByteArray() << QByteArray("relative/data") << home + "/.local/share/Marrowvale";
    }

    void supportDirectoryFollowsTheEnvironment()
    {
        QFETCH(QByteArray, supportDir);
        QFETCH(QByteArray, dataHome);
        QFETCH(QString, expected);
        const auto set = [](const char* name, const QByteArray& value) {
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
        };
        set("MARROWVALE_SUPPORT_DIR", supportDir);
        set("XDG_DATA_HOME", dataHome);

        QCOMPARE(AppPaths::supportDirectory(), expected);
        QCOMPARE(AppPaths::logsDirectory(), expected + "/Logs");
    }

    void ensureDirectoriesMakesOwnerOnlyFoldersAndMayRepeat()
    {
        test::TempDir temp;
        const QString support = temp.filePath("a/b/support");
        qputenv("MARROWVALE_SUPPORT_DIR", support.toUtf8());

        AppPaths::ensureDirectories();
        AppPaths::ensureDirectories();

        QVERIFY(QFileInfo(support + "/Logs").isDir());
        QCOMPARE(test::permissionBits(support), 0700);
        QCOMPARE(test::permissionBits(support + "/Logs"), 0700);
    }

    void ensureDirectoriesThrowsTheFirstFailure()
    {
        test::TempDir temp;
        const QString support = temp.write("support", "a file where the folder belongs");
        qputenv("MARROWVALE_SUPPORT_DIR", support.toUtf8());

        try {
            AppPaths::ensureDirectories();
            QFAIL("no error thrown");
        } catch (const FileSystemError& error) {
            QCOMPARE(error.description(),
                QStringLiteral("The folder “%1” could not be created: File exists.").arg(support));
        }
        QVERIFY(QFileInfo(support).isFile());
    }
};

QTEST_GUILESS_MAIN(tst_AppPaths)
#include "tst_AppPaths.moc"
