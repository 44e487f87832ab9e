#include "coordination/LoginItemService.h"
#include "platform/AutostartEntry.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QtTest>

#include <sys/stat.h>

using namespace mv;

namespace {

ino_t inode(const QString& path)
{
    struct stat status { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

} // namespace

class tst_LoginItemService : public QObject {
    Q_OBJECT

    std::optional<test::TempDir> m_config;
    QByteArray m_previous;

    QString entryPath() const { return m_config->filePath("autostart/marrowvale.desktop"); }

private Q_SLOTS:
    void initTestCase() { m_previous = qgetenv("XDG_CONFIG_HOME"); }
    void init()
    {
        m_config.emplace();
        qputenv("XDG_CONFIG_HOME", m_config->path().toUtf8());
    }
    void cleanup() { m_config.reset(); }
    void cleanupTestCase() { qputenv("XDG_CONFIG_HOME", m_previous); }

    // Turning on writes an entry naming this program by its absolute path, leaving no temporary file
    // beside it; turning on again writes nothing; turning off removes it; turning off again does nothing.
    void turnsOnAndOff()
    {
        QVERIFY(!LoginItemService::isEnabled());
        QCOMPARE(LoginItemService::setEnabled(false), std::nullopt);
        QVERIFY(!QFileInfo::exists(m_config->filePath("autostart")));

        QCOMPARE(LoginItemService::setEnabled(true), std::nullopt);
        QVERIFY(LoginItemService::isEnabled());
        QCOMPARE(test::TempDir::read(entryPath()),
            AutostartEntry::compose(QCoreApplication::applicationFilePath()));
        QCOMPARE(QDir(m_config->filePath("autostart"))
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList { "marrowvale.desktop" });

        const ino_t written = inode(entryPath());
        QCOMPARE(LoginItemService::setEnabled(true), std::nullopt);
        QCOMPARE(inode(entryPath()), written);

        QCOMPARE(LoginItemService::setEnabled(false), std::nullopt);
        QVERIFY(!QFileInfo::exists(entryPath()));
        QVERIFY(!LoginItemService::isEnabled());
    }

    // An entry edited by hand that does not start this program reads as not registered: turning off leaves
    // it alone, turning on replaces it with ours.
    void foreignEntriesAreNotOurs_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::newRow("another program") << QByteArray("[Desktop Entry]\nExec=/usr/bin/other\n");
        QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nName=Marrowvale\n");
        QTest::newRow("hidden") << "[Desktop Entry]\nExec=" + QCoreApplication::applicationFilePath().toUtf8()
                + "\nHidden=true\n";
    }
    void foreignEntriesAreNotOurs()
    {
        QFETCH(QByteArray, entry);
        m_config->write("autostart/marrowvale.desktop", entry);
        QVERIFY(!LoginItemService::isEnabled());
        QCOMPARE(LoginItemService::setEnabled(false), std::nullopt);
        QCOMPARE(test::TempDir::read(entryPath()), entry);
        QCOMPARE(LoginItemService::setEnabled(true), std::nullopt);
        QVERIFY(LoginItemService::isEnabled());
    }

    // A registration the file system refuses answers why and changes nothing.
    void refusedRegistrationAnswersWhy()
    {
        m_config->write("autostart", "a file where the folder should be");
        const auto refused = LoginItemService::setEnabled(true);
        QVERIFY(refused);
        QCOMPARE(*refused,
            "The folder “" + m_config->filePath("autostart") + "” could not be created: Not a directory.");
        QVERIFY(!LoginItemService::isEnabled());
        QCOMPARE(test::TempDir::read(m_config->filePath("autostart")), "a file where the folder should be");

        QFile::remove(m_config->filePath("autostart"));
        m_config->mkdir("autostart/marrowvale.desktop/");
        const auto answer = LoginItemService::setEnabled(true);
        QVERIFY(answer);
        QVERIFY2(answer->startsWith("“" + entryPath() + "” could not be written: "), qPrintable(*answer));
        QVERIFY(QFileInfo(entryPath()).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_LoginItemService)
#include "tst_LoginItemService.moc"
