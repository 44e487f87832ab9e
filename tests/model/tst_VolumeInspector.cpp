#include "model/VolumeInspector.h"
#include "support/Mount.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace mv;

class tst_VolumeInspector : public QObject {
    Q_OBJECT

    test::TempDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        if (!test::enterPrivateMountNamespace())
            QSKIP("mounting needs root");
    }

    // A tmpfs whose mount point holds a blank and a backslash, which the mount table writes as octal escapes.
    void describesAMountedVolume()
    {
        const QString point = m_dir.mkdir("Travel Disk\\2");
        auto volume = test::Mount::tmpfs(point, "size=1m");
        const QString inside = m_dir.mkdir("Travel Disk\\2/photos");

        const auto info = VolumeInspector::volume(inside + "/");
        QVERIFY(info);
        QCOMPARE(info->name, "Travel Disk\\2");
        QCOMPARE(info->fileSystem, "tmpfs");
        QVERIFY(!info->isReadOnly);
        QCOMPARE(info->availableBytes, std::optional<qint64>(1024 * 1024));
        QVERIFY2(info->identity.startsWith("fsid:") || info->identity.startsWith("dev:"),
            qPrintable(info->identity));

        const auto root = VolumeInspector::volume("/");
        QVERIFY(root);
        QVERIFY(root->identity != info->identity);
        QCOMPARE(VolumeInspector::volume(point), info);

        m_dir.write("Travel Disk\\2/photos/a.jpg", QByteArray(64 * 1024, 'x'));
        QCOMPARE(
            VolumeInspector::volume(inside)->availableBytes, std::optional<qint64>(1024 * 1024 - 64 * 1024));

        volume.remountReadOnly();
        const auto readOnly = VolumeInspector::volume(inside);
        QVERIFY(readOnly->isReadOnly);
        QCOMPARE(readOnly->identity, info->identity);
    }

    // Identity follows the file system, not the path: a bind mount shows the same volume elsewhere, and a
    // volume mounted inside another is a volume of its own.
    void identityBelongsToTheFileSystem()
    {
        auto outer = test::Mount::tmpfs(m_dir.mkdir("outer"));
        auto inner = test::Mount::tmpfs(m_dir.mkdir("outer/inner"));
        auto bound = test::Mount::bind(m_dir.filePath("outer/inner"), m_dir.mkdir("elsewhere"));

        const auto outerInfo = VolumeInspector::volume(m_dir.filePath("outer"));
        const auto innerInfo = VolumeInspector::volume(m_dir.mkdir("outer/inner/deep"));
        const auto boundInfo = VolumeInspector::volume(m_dir.filePath("elsewhere/deep"));
        QVERIFY(outerInfo && innerInfo && boundInfo);
        QCOMPARE(innerInfo->name, "inner");
        QVERIFY(outerInfo->identity != innerInfo->identity);
        QCOMPARE(boundInfo->identity, innerInfo->identity);
    }

    // A volume mounted over another's mount point hides it, though the mount table still lists the hidden one
    // with the longer mount point.
    void aHiddenMountIsNotTheVolume()
    {
        auto hidden = test::Mount::tmpfs(m_dir.mkdir("cover/hidden"));
        const auto hiddenInfo = VolumeInspector::volume(m_dir.filePath("cover/hidden"));
        auto cover = test::Mount::tmpfs(m_dir.filePath("cover"));
        const auto coverInfo = VolumeInspector::volume(m_dir.filePath("cover"));
        const auto shadowed = VolumeInspector::volume(m_dir.mkdir("cover/hidden"));
        QVERIFY(hiddenInfo && coverInfo && shadowed);
        QCOMPARE(shadowed->identity, coverInfo->identity);
        QVERIFY(shadowed->identity != hiddenInfo->identity);
        QCOMPARE(shadowed->name, "cover");
    }

    void aFullVolumeHasNoAvailableBytes()
    {
        const QString point = m_dir.mkdir("full");
        auto volume = test::Mount::tmpfs(point, "size=64k");
        QFile filler(point + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) { }
        filler.close();
        const auto info = VolumeInspector::volume(point);
        QVERIFY(info);
        QCOMPARE(info->availableBytes, std::optional<qint64>());
    }

    void noVolumeForAMissingOrBlankPath()
    {
        QCOMPARE(VolumeInspector::volume(m_dir.filePath("missing")), std::optional<VolumeInfo>());
        QCOMPARE(VolumeInspector::volume(" \n"), std::optional<VolumeInfo>());
    }

    // Drives plugged in or mounted by hand are external; the system's own volumes are not.
    void externalMountPoints_data()
    {
        QTest::addColumn<QString>("mountPoint");
        QTest::addColumn<bool>("external");
        QTest::newRow("media") << "/media/ann/Travel Disk" << true;
        QTest::newRow("run media") << "/run/media/ann/SSD" << true;
        QTest::newRow("mnt itself") << "/mnt" << true;
        QTest::newRow("under mnt") << "/mnt/backup" << true;
        QTest::newRow("root") << "/" << false;
        QTest::newRow("home") << "/home" << false;
        QTest::newRow("run") << "/run" << false;
        QTest::newRow("a name that starts alike") << "/mediathek" << false;
        QTest::newRow("tmp") << "/tmp" << false;
    }
    void externalMountPoints()
    {
        QFETCH(QString, mountPoint);
        QFETCH(bool, external);
        QCOMPARE(VolumeInspector::detail::isExternalMountPoint(mountPoint), external);
    }

    // A folder on a volume mounted under /mnt is external; one beside the system's files is not.
    void recognisesAnExternalVolume()
    {
        auto volume = test::Mount::tmpfs("/mnt", "size=1m");
        QVERIFY(QDir("/mnt").mkpath("photos"));
        QVERIFY(VolumeInspector::isExternal("/mnt/photos"));
        QVERIFY(!VolumeInspector::isExternal(m_dir.mkdir("photos")));
        QVERIFY(!VolumeInspector::isExternal("/no/such/folder"));
    }
};

QTEST_GUILESS_MAIN(tst_VolumeInspector)
#include "tst_VolumeInspector.moc"
