#include "support/EnumCompare.h"
#include "support/TempDir.h"
#include "ui/models/restore/BackupBreadcrumb.h"
#include "ui/models/restore/BackupFolderListing.h"
#include "ui/models/restore/RestoreEntry.h"
#include "ui/models/restore/RestoreLocation.h"
#include "ui/models/restore/RestoreTexts.h"

#include <QFile>
#include <QtTest>

using namespace mv;
using mv::test::TempDir;

namespace {

QStringList names(const QList<RestoreEntry>& entries)
{
    QStringList result;
    for (const RestoreEntry& entry : entries)
        result << entry.name;
    return result;
}

const RestoreEntry* named(const QList<RestoreEntry>& entries, const QString& name)
{
    for (const RestoreEntry& entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

} // namespace

class tst_RestorePresentation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The cap counts visible items only, and says so only when something was left out.
    void listingCap_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("hidden");
        QTest::addColumn<int>("listed");
        QTest::addColumn<bool>("truncated");
        QTest::newRow("exactly the cap") << 2000 << 0 << 2000 << false;
        QTest::newRow("one more") << 2001 << 0 << 2000 << true;
        QTest::newRow("hidden items do not count") << 2000 << 5 << 2000 << false;
    }
    void listingCap()
    {
        QFETCH(int, files);
        QFETCH(int, hidden);
        QFETCH(int, listed);
        QFETCH(bool, truncated);
        TempDir dir;
        for (int i = 0; i < files; ++i)
            QVERIFY(QFile(dir.write(QStringLiteral("f%1").arg(i), {})).exists());
        for (int i = 0; i < hidden; ++i)
            dir.write(QStringLiteral(".hidden%1").arg(i), "x");
        const BackupFolderListing listing = BackupFolderListing::read(dir.path());
        QCOMPARE(listing.entries.size(), listed);
        QCOMPARE(listing.truncated, truncated);
        for (const RestoreEntry& entry : listing.entries)
            QVERIFY2(!entry.name.startsWith('.'), qPrintable(entry.name));
    }

    // Folders first; names by letter whatever their case, runs of digits by value; links are the link
    // itself; files carry a size (0 when empty), folders none.
    void listingOrderAndAttributes()
    {
        TempDir dir;
        dir.write("file10", "ten bytes!");
        dir.write("file2", "");
        dir.write("beta", "b");
        dir.write("Alpha", "a");
        dir.mkdir("zeta");
        dir.mkdir("Delta");
        dir.write(".secret", "s");
        QVERIFY(QFile::link(dir.filePath("zeta"), dir.filePath("linked")));
        const BackupFolderListing listing = BackupFolderListing::read(dir.path());
        QCOMPARE(names(listing.entries),
            (QStringList { "Delta", "zeta", "Alpha", "beta", "file2", "file10", "linked" }));
        QVERIFY(!listing.truncated);

        const RestoreEntry* folder = named(listing.entries, "zeta");
        QVERIFY(folder->isDirectory);
        QVERIFY(!folder->size);
        QCOMPARE(folder->path, dir.filePath("zeta"));
        const RestoreEntry* link = named(listing.entries, "linked");
        QVERIFY(!link->isDirectory);
        QVERIFY(link->size.has_value());
        QCOMPARE(named(listing.entries, "file2")->size, qint64(0));
        QCOMPARE(named(listing.entries, "file10")->size, qint64(10));
        QVERIFY(named(listing.entries, "file10")->modified.has_value());
    }

    // A folder that is gone, a file and an empty path all list as empty, without a note.
    void unreadableFolders_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing") << "gone";
        QTest::newRow("a file") << "plain.txt";
        QTest::newRow("empty path") << "";
    }
    void unreadableFolders()
    {
        QFETCH(QString, relative);
        TempDir dir;
        dir.write("plain.txt", "x");
        const BackupFolderListing listing
            = BackupFolderListing::read(relative.isEmpty() ? QString() : dir.filePath(relative));
        QVERIFY(listing.entries.isEmpty());
        QVERIFY(!listing.truncated);
    }

    // Same path, other size: a different entry with the same identity.
    void entryIdentity()
    {
        const RestoreEntry small { "/b/x", "x", false, 1, std::nullopt };
        RestoreEntry large = small;
        large.size = 2;
        QVERIFY(!(small == large));
        QCOMPARE(small.id(), large.id());
        QCOMPARE(qHash(small), qHash(RestoreEntry(small)));
    }

    void locationRawValues()
    {
        QVERIFY(allRestoreLocations() == (QList { RestoreLocation::original, RestoreLocation::custom }));
        for (RestoreLocation location : allRestoreLocations())
            QVERIFY(restoreLocationFromString(toString(location)) == location);
        QCOMPARE(toString(RestoreLocation::custom), "custom");
        QVERIFY(!restoreLocationFromString("Original"));
        QCOMPARE(restoreLocationTitle(RestoreLocation::original), "Original location");
        QCOMPARE(restoreLocationTitle(RestoreLocation::custom), "Another folder");
    }

    void breadcrumb_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("components");
        QTest::addColumn<QString>("parent"); // empty: none
        QTest::newRow("two below") << "/Volumes/Backup/Job"
                                   << "/Volumes/Backup/Job/Documents/Reports"
                                   << QStringList { "Documents", "Reports" }
                                   << "/Volumes/Backup/Job/Documents";
        QTest::newRow("at the root") << "/Volumes/Backup/Job"
                                     << "/Volumes/Backup/Job" << QStringList {} << "";
        QTest::newRow("one below") << "/Volumes/Backup/Job"
                                   << "/Volumes/Backup/Job/Documents" << QStringList { "Documents" }
                                   << "/Volumes/Backup/Job";
        QTest::newRow("no root") << ""
                                 << "/Volumes/Backup/Job" << QStringList {} << "";
        QTest::newRow("outside") << "/Volumes/Backup/Job"
                                 << "/Volumes/Backup/Jobs/x" << QStringList {} << "";
    }
    void breadcrumb()
    {
        QFETCH(QString, root);
        QFETCH(QString, current);
        QFETCH(QStringList, components);
        QFETCH(QString, parent);
        QCOMPARE(BackupBreadcrumb::relativeComponents(root, current), components);
        QCOMPARE(BackupBreadcrumb::parentWithin(root, current).value_or(QString()), parent);
        if (!components.isEmpty())
            QCOMPARE(BackupBreadcrumb::componentPath(root, components, 0), root + '/' + components.first());
    }

    void selectionSummary_data()
    {
        QTest::addColumn<qsizetype>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << qsizetype(0) << "Nothing selected";
        QTest::newRow("one") << qsizetype(1) << "1 item selected";
        QTest::newRow("two") << qsizetype(2) << "2 items selected";
        QTest::newRow("no grouping") << qsizetype(1234) << "1234 items selected";
    }
    void selectionSummary()
    {
        QFETCH(qsizetype, count);
        QFETCH(QString, text);
        QCOMPARE(RestoreTexts::selectionSummary(count), text);
    }

    void snapshotLabels_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("label");
        QTest::newRow("seconds") << "/b/2024-06-01_120000"
                                 << "Jun 1, 2024 12:00 PM";
        QTest::newRow("minutes") << "/b/2024-05-01_0930"
                                 << "May 1, 2024 9:30 AM";
        QTest::newRow("no date") << "/b/2024-13-45_999999"
                                 << "2024-13-45_999999";
        QTest::newRow("plain folder") << "/Volumes/Backup/Docs/"
                                      << "Docs";
    }
    void snapshotLabels()
    {
        QFETCH(QString, path);
        QFETCH(QString, label);
        QCOMPARE(RestoreTexts::snapshotLabel(path), label);
    }

    void locationExplanation()
    {
        QCOMPARE(RestoreTexts::locationExplanation(RestoreLocation::original, std::nullopt),
            "Files return to the original source folder. Existing files are listed before anything is "
            "replaced.");
        QCOMPARE(RestoreTexts::locationExplanation(RestoreLocation::original, QString("/home/a/Docs")),
            "Files return to /home/a/Docs. Existing files are listed before anything is replaced.");
        QCOMPARE(RestoreTexts::locationExplanation(RestoreLocation::custom, QString("/home/a/Docs")),
            "Files are written under the chosen folder, keeping the folder structure from the backup.");
    }

    // Every phase has its word, colour and button; only a live copy can be cancelled from the card.
    void phaseStyles_data()
    {
        QTest::addColumn<RunPhase>("phase");
        QTest::addColumn<QString>("word");
        QTest::addColumn<PaletteRole>("color");
        QTest::addColumn<bool>("pulsing");
        QTest::addColumn<bool>("offersCancel");
        QTest::newRow("queued") << RunPhase::queued << "Queued" << PaletteRole::accent << false << false;
        QTest::newRow("preparing") << RunPhase::preparing << "Preparing" << PaletteRole::accent << false
                                   << true;
        QTest::newRow("running") << RunPhase::running << "Running" << PaletteRole::accent << true << true;
        QTest::newRow("paused") << RunPhase::paused << "Paused" << PaletteRole::accent << false << false;
        QTest::newRow("cancelling") << RunPhase::cancelling << "Stopping" << PaletteRole::accent << false
                                    << false;
        QTest::newRow("waiting") << RunPhase::waiting << "Waiting" << PaletteRole::accent << false << false;
        QTest::newRow("completed") << RunPhase::completed << "Copied" << PaletteRole::success << false
                                   << false;
        QTest::newRow("failed") << RunPhase::failed << "Failed" << PaletteRole::danger << false << false;
        QTest::newRow("cancelled") << RunPhase::cancelled << "Cancelled" << PaletteRole::idle << false
                                   << false;
    }
    void phaseStyles()
    {
        QFETCH(RunPhase, phase);
        QFETCH(QString, word);
        QFETCH(PaletteRole, color);
        QFETCH(bool, pulsing);
        QFETCH(bool, offersCancel);
        QCOMPARE(restorePhaseStyle(phase), (RestorePhaseStyle { word, color, pulsing, offersCancel }));
    }

    void itemCounter_data()
    {
        QTest::addColumn<qint64>("index");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << qint64(0) << qint64(3) << "Item 1 of 3";
        QTest::newRow("last") << qint64(2) << qint64(3) << "Item 3 of 3";
        QTest::newRow("past the end") << qint64(3) << qint64(3) << "Item 3 of 3";
        QTest::newRow("no items") << qint64(0) << qint64(0) << "Item 0 of 0";
    }
    void itemCounter()
    {
        QFETCH(qint64, index);
        QFETCH(qint64, count);
        QFETCH(QString, text);
        QCOMPARE(restoreItemCounter(index, count), text);
    }

    void headlineAndCount()
    {
        QCOMPARE(restoreHeadline(std::nullopt), "Restoring");
        QCOMPARE(restoreHeadline(QString("Restoring a.txt")), "Restoring a.txt");
        QCOMPARE(RestoreTexts::conflictCount(1), "1 changes found at the restore location");
    }
};

QTEST_GUILESS_MAIN(tst_RestorePresentation)
#include "tst_RestorePresentation.moc"
