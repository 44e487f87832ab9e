#include "drive/RemoteIndex.h"

#include <QtTest>

#include <algorithm>

using namespace mv;
using GoogleDriveEngine::RemoteIndex;

namespace {

const QString rootID = QStringLiteral("ROOT");

GoogleDriveItem item(const QString& id, const QString& name, const QStringList& parents, bool folder)
{
    GoogleDriveItem made;
    made.id = id;
    made.name = name;
    made.mimeType
        = folder ? QString::fromLatin1(GoogleDriveItem::folderMimeType) : QStringLiteral("text/plain");
    if (!parents.isEmpty())
        made.parents = parents;
    return made;
}

GoogleDriveItem file(const QString& id, const QString& name, const QStringList& parents = { rootID })
{
    return item(id, name, parents, false);
}

GoogleDriveItem folder(const QString& id, const QString& name, const QStringList& parents = { rootID })
{
    return item(id, name, parents, true);
}

// "path=id" for each entry, sorted, so a table row reads as the index it expects.
QStringList entries(const GoogleDriveEngine::RemoteTable& table)
{
    QStringList lines;
    for (auto entry = table.constBegin(); entry != table.constEnd(); ++entry)
        lines << entry.key() + "=" + entry->id;
    lines.sort();
    return lines;
}

// Folders c1 … c<count>, each inside the one before, c1 in the root.
QList<GoogleDriveItem> chain(int count)
{
    QList<GoogleDriveItem> items;
    for (int level = 1; level <= count; ++level)
        items << folder(QString("c%1").arg(level), QString("c%1").arg(level),
            { level == 1 ? rootID : QString("c%1").arg(level - 1) });
    return items;
}

} // namespace

// Turning a flat Drive listing into paths below the destination folder.
class tst_RemoteIndex : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void makeIndex_data()
    {
        QTest::addColumn<QList<GoogleDriveItem>>("items");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");

        GoogleDriveItem trashed = file("t", "gone.txt");
        trashed.trashed = true;
        QTest::newRow("root and sub-folders")
            << QList { folder(rootID, "Backup", { "driveRoot" }), file("f1", "a.txt"), folder("s", "sub"),
                   file("f2", "b.txt", { "s" }), trashed }
            << QStringList { "a.txt=f1", "sub/b.txt=f2" } << QStringList { "sub=s" };
        QTest::newRow("a foreign tree and a missing ancestor")
            << QList { folder("other", "Elsewhere", { "driveRoot" }), file("x", "x.txt", { "other" }),
                   file("orphan", "o.txt", { "ghost" }), file("bare", "bare.txt", {}), file("f", "kept.txt") }
            << QStringList { "kept.txt=f" } << QStringList {};
        QTest::newRow("a cycle") << QList { folder("A", "a", { "B" }), folder("B", "b", { "A" }),
            file("C", "c.txt", { "A" }), file("f", "kept.txt") }
                                 << QStringList { "kept.txt=f" } << QStringList {};
        QTest::newRow("several parents: the first counts")
            << QList { folder("s", "sub"), file("f", "a.txt", { "s", rootID }) }
            << QStringList { "sub/a.txt=f" } << QStringList { "sub=s" };
        QTest::newRow("the same name: the later wins") << QList { file("old", "a.txt"), file("new", "a.txt") }
                                                       << QStringList { "a.txt=new" } << QStringList {};
        QTest::newRow("a name holding a slash shares the key")
            << QList { folder("d", "a"), file("inner", "b", { "d" }), file("slashed", "a/b") }
            << QStringList { "a/b=slashed" } << QStringList { "a=d" };
        QTest::newRow("the same id: the later is kept")
            << QList { folder("s", "sub"), file("f", "first.txt"), file("f", "second.txt", { "s" }) }
            << QStringList { "sub/second.txt=f" } << QStringList { "sub=s" };
        GoogleDriveItem trashedLater = file("f", "second.txt", { "s" });
        trashedLater.trashed = true;
        QTest::newRow("the same id, the later trashed: the earlier takes its path")
            << QList { folder("s", "sub"), folder("f", "first"), trashedLater } << QStringList {}
            << QStringList { "sub/second.txt=f", "sub=s" };
        QTest::newRow("a folder listed twice: its items follow the later")
            << QList { folder("d", "old"), file("x", "x.txt", { "d" }), folder("d", "new") }
            << QStringList { "new/x.txt=x" } << QStringList { "new=d" };
    }

    void makeIndex()
    {
        QFETCH(QList<GoogleDriveItem>, items);
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        const RemoteIndex index = GoogleDriveEngine::makeIndex(items, rootID);
        QCOMPARE(entries(index.files), files);
        QCOMPARE(entries(index.folders), folders);
    }

    // An item 201 levels below the root still resolves; one level deeper is cut, and everything on the chain
    // below the cut stays unresolvable for items met later, as long as they are met bottom first.
    void parentChainsAreCutAfter200Levels_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<bool>("deepestFirst");
        QTest::addColumn<int>("indexed");

        QTest::newRow("201, deepest first") << 201 << true << 201;
        QTest::newRow("202, deepest first") << 202 << true << 1;
        QTest::newRow("202, top first") << 202 << false << 202;
    }

    void parentChainsAreCutAfter200Levels()
    {
        QFETCH(int, levels);
        QFETCH(bool, deepestFirst);
        QFETCH(int, indexed);
        QList<GoogleDriveItem> items = chain(levels);
        if (deepestFirst)
            std::reverse(items.begin(), items.end());
        const RemoteIndex index = GoogleDriveEngine::makeIndex(items, rootID);
        QCOMPARE(index.folders.size(), indexed);
        QVERIFY(index.folders.contains("c1"));
        QStringList names;
        for (int level = 1; level <= indexed; ++level)
            names << QString("c%1").arg(level);
        QCOMPARE(index.folders.value(names.join('/')).id, QString("c%1").arg(indexed));
    }

    // A long chain ending nowhere: none of it is indexed, and the items after it still are.
    void veryLongChainsDoNotOverflow()
    {
        QList<GoogleDriveItem> items = chain(20'000);
        items.first().parents = QStringList { "ghost" };
        std::reverse(items.begin(), items.end());
        items << file("f", "kept.txt");
        const RemoteIndex index = GoogleDriveEngine::makeIndex(items, rootID);
        QCOMPARE(entries(index.files), QStringList { "kept.txt=f" });
        QVERIFY(index.folders.isEmpty());
    }

    // The tables hold positions into the listing, or into copies of their own items: either way they must
    // keep what they point at alive, answer like a hash, and let a caller add to one table without touching
    // the other.
    void tablesOutliveTheListingAndGrowApart()
    {
        RemoteIndex index;
        {
            // Mostly items outside the root, so that both tables let go of the listing.
            const QList<GoogleDriveItem> listing { folder("o", "other", { "driveRoot" }), folder("s", "sub"),
                file("x", "x.txt", { "o" }), file("f", "a.txt", { "s" }), file("y", "y.txt", { "o" }) };
            index = GoogleDriveEngine::makeIndex(listing, rootID);
        }
        QCOMPARE(index.files.value("sub/a.txt").name, QString("a.txt"));
        QCOMPARE(index.files.value("missing"), GoogleDriveItem());
        QVERIFY(index.files.constFind("missing") == index.files.constEnd());
        QCOMPARE(index.files.constFind("sub/a.txt")->id, QString("f"));

        GoogleDriveItem created = folder("n", "new", { "s" });
        index.folders.insert("sub/new", created);
        index.folders.insert("sub", folder("s2", "sub"));
        const QHash<QString, GoogleDriveItem> folders(index.folders);
        QCOMPARE(folders.size(), 2);
        QCOMPARE(folders.value("sub/new"), created);
        QCOMPARE(folders.value("sub").id, QString("s2"));
        QStringList names;
        for (const GoogleDriveItem& item : index.files)
            names << item.name;
        QCOMPARE(names, QStringList { "a.txt" });
    }

    void lastComponent_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");

        QTest::newRow("one name") << "a.txt"
                                  << "a.txt";
        QTest::newRow("nested") << "a/b/c.txt"
                                << "c.txt";
        QTest::newRow("trailing slashes") << "a/b//"
                                          << "b";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("slashes only") << "//"
                                      << "//";
    }

    void lastComponent()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(GoogleDriveEngine::lastComponent(path), expected);
    }
};

QTEST_GUILESS_MAIN(tst_RemoteIndex)
#include "tst_RemoteIndex.moc"
