#include "platform/AutostartEntry.h"
#include "support/TempDir.h"

#include <QFile>
#include <QtTest>

using namespace mv;

class tst_AutostartEntry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Paths with blanks, quotes, dollars, backslashes and percent signs survive both layers of escaping.
    void composedEntryStartsItsProgram_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << "/usr/bin/marrowvale";
        QTest::newRow("blanks") << "/opt/My Apps/marrowvale";
        QTest::newRow("percent") << "/opt/100%/marrowvale";
        QTest::newRow("shell characters") << "/opt/a\"b$c`d\\e'f/marrowvale";
        QTest::newRow("line break") << "/opt/two\nlines/marrowvale";
    }
    void composedEntryStartsItsProgram()
    {
        QFETCH(QString, program);
        const QByteArray entry = AutostartEntry::compose(program);
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QCOMPARE(entry.count('\n'), 5);
        QVERIFY(AutostartEntry::startsProgram(entry, program));
        QVERIFY(!AutostartEntry::startsProgram(entry, program + "2"));
        QVERIFY(!AutostartEntry::startsProgram(entry, "/usr/bin/other"));
    }

    void composedEntryReadsAsTheDesktopExpects()
    {
        QCOMPARE(AutostartEntry::compose("/opt/My Apps/100%/mv"),
            "[Desktop Entry]\nType=Application\nName=Marrowvale\nExec=\"/opt/My "
            "Apps/100%%/mv\"\nTerminal=false\n");
    }

    // Entries edited by hand: whatever they hold, reading them never fails.
    void handEditedEntries_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("starts");
        QTest::newRow("arguments after the program")
            << QByteArray("[Desktop Entry]\nExec=/usr/bin/marrowvale --hidden\n") << true;
        QTest::newRow("blanks around =, CRLF")
            << QByteArray("# mine\r\n[Desktop Entry]\r\nName=M\r\nExec = /usr/bin/marrowvale\r\n") << true;
        QTest::newRow("Hidden=false")
            << QByteArray("[Desktop Entry]\nExec=/usr/bin/marrowvale\nHidden=false\n") << true;
        QTest::newRow("quoted") << QByteArray("[Desktop Entry]\nExec=\"/usr/bin/marrowvale\"\n") << true;
        QTest::newRow("Hidden=true") << QByteArray("[Desktop Entry]\nExec=/usr/bin/marrowvale\nHidden=true\n")
                                     << false;
        QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nType=Application\nName=Marrowvale\n")
                                 << false;
        QTest::newRow("empty Exec") << QByteArray("[Desktop Entry]\nExec=\n") << false;
        QTest::newRow("another program") << QByteArray("[Desktop Entry]\nExec=/usr/bin/other\n") << false;
        QTest::newRow("only by name") << QByteArray("[Desktop Entry]\nExec=marrowvale\n") << false;
        QTest::newRow("only a localised Exec")
            << QByteArray("[Desktop Entry]\nExec[de]=/usr/bin/marrowvale\n") << false;
        QTest::newRow("Exec in another group")
            << QByteArray("[Desktop Entry]\nName=M\n[Desktop Action Run]\nExec=/usr/bin/marrowvale\n")
            << false;
        QTest::newRow("no group") << QByteArray("Exec=/usr/bin/marrowvale\n") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("binary") << QByteArray("\xff\xfe\0[Desktop Entry]\0Exec=\xc3", 25) << false;
        QTest::newRow("unterminated quote")
            << QByteArray("[Desktop Entry]\nExec=\"/usr/bin/marrowvale\n") << true;
    }
    void handEditedEntries()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, starts);
        QCOMPARE(AutostartEntry::startsProgram(entry, "/usr/bin/marrowvale"), starts);
    }

    // The program reached through a link is the same program.
    void linkToTheProgramNamesIt()
    {
        test::TempDir dir;
        const QString program = dir.write("bin/marrowvale", "#!/bin/sh\n");
        QVERIFY(QFile::link(program, dir.filePath("link")));
        QVERIFY(
            AutostartEntry::startsProgram("[Desktop Entry]\nExec=" + dir.filePath("link").toUtf8(), program));
    }

    void pathFollowsXdgConfigHome()
    {
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/tmp/config-here");
        QCOMPARE(AutostartEntry::path(), "/tmp/config-here/autostart/marrowvale.desktop");
        qputenv("XDG_CONFIG_HOME", "relative/ignored");
        QCOMPARE(AutostartEntry::path(), QDir::homePath() + "/.config/autostart/marrowvale.desktop");
        qputenv("XDG_CONFIG_HOME", previous);
    }
};

QTEST_GUILESS_MAIN(tst_AutostartEntry)
#include "tst_AutostartEntry.moc"
