#include "drive/SourceScan.h"
#include "model/PathValidationError.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <QtTest>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mv;
using GoogleDriveEngine::ScanResult;

namespace {

constexpr uid_t nobody = 65534;

// Runs `work` with the permissions of an ordinary user when the tests run as root (root reads every
// folder), as the user running the tests otherwise.
template <typename Result> Result asOrdinaryUser(const std::function<Result()>& work)
{
    const bool root = ::geteuid() == 0;
    if (root && ::setresuid(nobody, nobody, 0) != 0)
        qFatal("cannot become an ordinary user");
    struct Restore {
        bool root;
        ~Restore()
        {
            if (root && ::setresuid(0, 0, 0) != 0)
                qFatal("cannot become root again");
        }
    } restore { root };
    return work();
}

ScanResult scan(const QString& path, const TransferOptions& options = {})
{
    return asOrdinaryUser<ScanResult>([&] { return GoogleDriveEngine::scanSource(path, options); });
}

QByteArray realPath(const QString& path)
{
    return QFileInfo(path).canonicalFilePath().toUtf8();
}

void setMode(const QString& path, mode_t mode)
{
    if (::chmod(QFile::encodeName(path).constData(), mode) != 0)
        qFatal("cannot change the mode of %s", qPrintable(path));
}

// A folder an ordinary user can walk, with its files laid out by `write`.
struct Source {
    test::TempDir dir;
    Source() { setMode(dir.path(), 0755); }
    QString path() const { return dir.path(); }
    QString write(const QString& relative, const QByteArray& bytes = "x") const
    {
        return dir.write(relative, bytes);
    }
};

QStringList pathsOf(const ScanResult& result)
{
    QStringList paths;
    for (const GoogleLocalFile& file : result.files)
        paths << file.relativePath;
    return paths;
}

} // namespace

class tst_SourceScan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scansARealTree()
    {
        Source source;
        const QString top = source.write("top.txt", "abc");
        source.write(".hidden", "h");
        source.write("a/one.txt", "12");
        source.write("a/b/deep.txt", "1234");
        source.write("c/.profile", "12345");
        source.write("x.tmp");
        source.write("node_modules/x.js");
        source.write("node_modules/locked/inside.js");
        setMode(source.dir.filePath("node_modules/locked"), 0);
        source.write(".Trash/old.txt");
        setMode(source.dir.filePath(".Trash"), 0);
        source.write("locked/secret.txt");
        setMode(source.dir.filePath("locked"), 0);
        source.write("listed-only/one.txt");
        source.write("listed-only/two.txt");
        setMode(source.dir.filePath("listed-only"), 0444); // its names can be read, its entries not
        QVERIFY(QFile::link(top, source.dir.filePath("link-to-file")));
        QVERIFY(QFile::link(source.dir.filePath("a"), source.dir.filePath("link-to-folder")));
        QCOMPARE(::mkfifo(QFile::encodeName(source.dir.filePath("pipe")).constData(), 0644), 0);
        const QByteArray badName = QFile::encodeName(source.path()) + "/bad\xff.txt";
        QVERIFY(::close(::open(badName.constData(), O_CREAT | O_WRONLY, 0644)) == 0);

        TransferOptions options;
        options.builtInExclusions.insert(BuiltInExclusion::trash);
        const ScanResult result = scan(source.path(), options);
        QCOMPARE(pathsOf(result),
            (QStringList { ".hidden", "a/b/deep.txt", "a/one.txt", "c/.profile", "top.txt" }));
        QCOMPARE(result.directories, (QStringList { "a", "c", "a/b" }));
        QCOMPARE(result.totalBytes, 15);
        QCOMPARE(result.warnings,
            (QStringList {
                QString::fromUtf8("Skipped bad\xef\xbf\xbd.txt, whose name is not valid UTF-8. Google Drive "
                                  "cannot store it."),
                "Skipped symbolic link link-to-file. Google Drive cannot store it.",
                "Skipped symbolic link link-to-folder. Google Drive cannot store it.",
                "Could not read listed-only; it was not backed up and its Drive copy was left in place.",
                "Could not read locked; it was not backed up and its Drive copy was left in place.",
            }));
        QCOMPARE(result.unreadable, (QStringList { "listed-only", "locked" }));

        const GoogleLocalFile expected { "top.txt", realPath(top), 3, QFileInfo(top).lastModified().toUTC() };
        QCOMPARE(result.files.back(), expected);
    }

    void aSourceGivenThroughALinkIsFollowed()
    {
        Source source;
        const QString file = source.write("docs/a.txt", "12");
        test::TempDir elsewhere;
        const QString link = elsewhere.filePath("source-link");
        QVERIFY(QFile::link(source.path(), link));

        const ScanResult result = GoogleDriveEngine::scanSource(link + "/", {});
        QCOMPARE(pathsOf(result), QStringList { "docs/a.txt" });
        QCOMPARE(result.files.front().url, realPath(file));
        QCOMPARE(result.directories, QStringList { "docs" });
    }

    void anEmptySourceGivesAnEmptyResult()
    {
        Source source;
        source.write(".DS_Store");
        const ScanResult result = scan(source.path());
        QVERIFY(result.files.empty());
        QCOMPARE(result.totalBytes, 0);
        QVERIFY(result.directories.isEmpty() && result.warnings.isEmpty() && result.unreadable.isEmpty());
    }

    void filesComeInScalarOrderOfTheirNfcForm()
    {
        Source source;
        const QString decomposed = QString::fromUtf8("e\xcc\x81.txt"); // e and a combining acute accent
        const QString composed = QString::fromUtf8("\xc3\xa9.txt");
        const QString fullwidthA = QString::fromUtf8("\xef\xbc\xa1.txt"); // U+FF21, one UTF-16 unit
        const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80.txt"); // U+1F600, a surrogate pair
        for (const QString& name :
            { emoji, fullwidthA, composed, decomposed, QString("z.txt"), QString("f.txt"), QString("e.txt") })
            source.write(name);

        const ScanResult result = scan(source.path());
        // The two spellings of "é.txt" are equal in this order and keep the walk's order (by bytes); each
        // keeps its own spelling, which is the name on disk.
        QCOMPARE(pathsOf(result),
            (QStringList { "e.txt", "f.txt", "z.txt", decomposed, composed, fullwidthA, emoji }));
        QCOMPARE(result.files[3].url, realPath(source.path()) + "/e\xcc\x81.txt");
    }

    void excludedFoldersAreNeverOpened_data()
    {
        QTest::addColumn<QStringList>("custom");
        QTest::addColumn<QString>("lockedFolder");
        QTest::addColumn<QStringList>("expectedFiles");
        QTest::addColumn<QStringList>("expectedFolders");
        QTest::newRow("name pattern") << QStringList { "build" } << "src/build/locked"
                                      << QStringList { "src/main.c" } << QStringList { "src" };
        QTest::newRow("path pattern") << QStringList { "src/build/" } << "src/build/locked"
                                      << QStringList { "src/main.c" } << QStringList { "src" };
        // A tail equal to a path pattern letter for letter excludes what lies below it; fnmatch reads the
        // backslash as an escape, so the folder itself stays.
        QTest::newRow("literal prefix of a path pattern")
            << QStringList { "src/b\\uild" } << "src/b\\uild/locked" << QStringList { "src/main.c" }
            << QStringList { "src", "src/b\\uild" };
    }

    void excludedFoldersAreNeverOpened()
    {
        QFETCH(QStringList, custom);
        QFETCH(QString, lockedFolder);
        QFETCH(QStringList, expectedFiles);
        QFETCH(QStringList, expectedFolders);
        Source source;
        source.write("src/main.c");
        source.write(lockedFolder + "/secret.c");
        setMode(source.dir.filePath(lockedFolder), 0);
        TransferOptions options;
        options.customExclusions = custom;

        const ScanResult result = scan(source.path(), options);
        QCOMPARE(pathsOf(result), expectedFiles);
        QCOMPARE(result.directories, expectedFolders);
        QCOMPARE(result.warnings, QStringList());
        QCOMPARE(result.unreadable, QStringList());
    }

    void aSourceThatCannotBeReadThrows_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("a file") << "file";
        QTest::newRow("unreadable") << "unreadable";
        QTest::newRow("listed but not searchable") << "listed only";
    }

    void aSourceThatCannotBeReadThrows()
    {
        QFETCH(QString, kind);
        Source source;
        QString path = source.dir.filePath("source");
        if (kind == "file")
            source.write("source");
        else if (kind == "unreadable")
            setMode(source.dir.mkdir("source"), 0);
        else if (kind == "listed only")
            setMode(QFileInfo(source.write("source/a.txt")).absolutePath(), 0444);
        try {
            scan(path);
            QFAIL("the scan did not fail");
        } catch (const PathValidationError& error) {
            QCOMPARE(error, PathValidationError("The source folder could not be read."));
        }
    }

    void localFilesAreEqualOnlyInAllFourFields()
    {
        const GoogleLocalFile file { "a.txt", "/src/a.txt", 3, QDateTime::fromSecsSinceEpoch(100, Qt::UTC) };
        GoogleLocalFile later = file;
        later.modified = file.modified->addSecs(1);
        GoogleLocalFile undated = file;
        undated.modified.reset();
        QCOMPARE(GoogleLocalFile(file), file);
        QCOMPARE(qHash(GoogleLocalFile(file)), qHash(file));
        QVERIFY(later != file && undated != file);
        QVERIFY(qHash(later) != qHash(file) && qHash(undated) != qHash(file));
    }
};

QTEST_GUILESS_MAIN(tst_SourceScan)
#include "tst_SourceScan.moc"
