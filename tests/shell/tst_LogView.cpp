#include "coordination/ProgramRequests.h"
#include "model/Format.h"
#include "platform/UrlOpener.h"
#include "platform/WorkerPool.h"
#include "shell/LogView.h"
#include "support/IntegrationTimeout.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/RecordingPrompts.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/kit/MVButton.h"

#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

using namespace mv;

namespace {

const QString placeholder = QStringLiteral("No log was kept for this run.");

BackupRunRecord recordOf(std::optional<QString> logPath, bool truncated = false)
{
    BackupRunRecord record;
    record.id = QUuid::createUuid();
    record.jobName = "Photo Library";
    record.destinationName = "Archive";
    record.startedAt = QDateTime(QDate(2026, 12, 9), QTime(14, 5), QTimeZone::utc());
    record.logPath = std::move(logPath);
    record.logTruncated = truncated;
    return record;
}

MVButton* button(const QWidget& root, const QString& title)
{
    for (MVButton* candidate : root.findChildren<MVButton*>()) {
        if (candidate->title() == title && candidate->isVisibleTo(&root))
            return candidate;
    }
    return nullptr;
}

QString shownLog(const LogView& view)
{
    return view.findChild<QPlainTextEdit*>("logText")->toPlainText();
}

// A browser that only notes what it was given.
struct RecordingUrlOpener final : UrlOpener {
    QList<QUrl> opened;
    bool open(const QUrl& url) override
    {
        opened << url;
        return true;
    }
};

} // namespace

class tst_LogView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shownCopiedExported_data()
    {
        QTest::addColumn<QString>("logFile"); // empty: the record names no log
        QTest::addColumn<std::optional<QByteArray>>("bytes"); // none: no such file
        QTest::addColumn<QString>("text"); // shown, copied and exported
        QTest::newRow("plain") << "run.log"
                               << std::optional<QByteArray>("sending incremental file list\nphotos/a.jpg\n")
                               << "sending incremental file list\nphotos/a.jpg\n";
        QTest::newRow("secret") << "run.log"
                                << std::optional<QByteArray>(
                                       "rsync: password=hunter2 rejected\ntoken: abc\nok\n")
                                << "rsync: password=••• rejected\ntoken=•••\nok\n";
        // Bytes that are not UTF-8 do not hide the rest of the log.
        QTest::newRow("not UTF-8") << "run.log" << std::optional<QByteArray>("caf\xe9 ok\nnext line\n")
                                   << "caf\ufffd ok\nnext line\n";
        // Names as rsync escapes them read as they are on disk; a control character in a name breaks no line.
        QTest::newRow("escaped names")
            << "run.log"
            << std::optional<QByteArray>("XFER Notes \\#342\\#200\\#224 2024.txt\nXFER a\\#012ERROR b\n")
            << "XFER Notes \u2014 2024.txt\nXFER a\u240aERROR b\n";
        QTest::newRow("missing file") << "gone.log" << std::optional<QByteArray>() << "";
        QTest::newRow("no log kept") << "" << std::optional<QByteArray>() << "";
    }

    // The log is shown masked; "Copy Log" and "Export…" hand on exactly that text; the file on disk keeps
    // what its writer stored; "Reveal" shows the file whenever the record names one.
    void shownCopiedExported()
    {
        QFETCH(QString, logFile);
        QFETCH(std::optional<QByteArray>, bytes);
        QFETCH(QString, text);
        test::AppStateHarness hub;
        hub.build();
        std::optional<QString> logPath;
        if (!logFile.isEmpty())
            logPath = hub.files.filePath("Logs/" + logFile);
        if (bytes)
            hub.files.write("Logs/" + logFile, *bytes);
        test::RecordingPrompts prompts;
        prompts.savePath = hub.files.filePath("export.log");

        LogView view(recordOf(logPath), hub.context().requests, prompts);
        view.show();
        MV_TRY_COMPARE(shownLog(view), text.isEmpty() ? placeholder : text);
        QCOMPARE(view.text(), text);
        const QStringList texts = test::visibleTexts(view);
        for (const QString& shown : { QString("Photo Library"),
                 "Archive \u00b7 " + Format::mediumDateTime(recordOf(std::nullopt).startedAt),
                 QString("Copy Log"), QString("Export\u2026") })
            QVERIFY2(texts.contains(shown), qPrintable(shown));
        QVERIFY(!texts.contains("The log was truncated at 2 MB. The full output is on disk."));

        QTest::mouseClick(button(view, "Copy Log"), Qt::LeftButton);
        QCOMPARE(prompts.copied, QStringList { text });
        QTest::mouseClick(button(view, "Export\u2026"), Qt::LeftButton);
        QCOMPARE(prompts.saveRequests.size(), 1);
        QCOMPARE(prompts.saveRequests.first().suggestedName, "Marrowvale-Photo-Library.log");
        QCOMPARE(test::TempDir::read(prompts.savePath), text.toUtf8());
        QVERIFY(!hub.context().requests.banner());
        if (bytes)
            QCOMPARE(test::TempDir::read(*logPath), *bytes);

        QCOMPARE(button(view, "Reveal") != nullptr, logPath.has_value());
        if (logPath) {
            QTest::mouseClick(button(view, "Reveal"), Qt::LeftButton);
            QCOMPARE(prompts.revealed, QStringList { *logPath });
        }
    }

    void exportName_data()
    {
        QTest::addColumn<QString>("jobName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("blank") << "Photo Library"
                               << "Marrowvale-Photo-Library.log";
        // Only blanks change: nothing is trimmed, and other characters stay as they are.
        QTest::newRow("edges") << " Photo  Library "
                               << "Marrowvale--Photo--Library-.log";
        QTest::newRow("others") << "Ärger_(2)\tB"
                                << "Marrowvale-Ärger_(2)\tB.log";
    }

    void exportName()
    {
        QFETCH(QString, jobName);
        QFETCH(QString, fileName);
        QCOMPARE(LogView::exportName(jobName), fileName);
    }

    // A log cut at 2,000,000 bytes warns between the header and the box, and shows the whole file.
    void truncatedLog()
    {
        test::AppStateHarness hub;
        hub.build();
        QByteArray bytes;
        for (int line = 0; bytes.size() < 2'000'000; ++line)
            bytes += QByteArray("photos/2024/IMG_") + QByteArray::number(line) + " 4,096 bytes copied\n";
        bytes.truncate(2'000'000);
        const QString path = hub.files.write("Logs/big.log", bytes);
        test::RecordingPrompts prompts;

        LogView view(recordOf(path, true), hub.context().requests, prompts);
        view.show();
        MV_TRY_COMPARE(view.text().size(), 2'000'000);
        QCOMPARE(shownLog(view), QString::fromUtf8(bytes));
        const QString warning = "The log was truncated at 2 MB. The full output is on disk.";
        QCOMPARE(test::visibleTexts(view).last(), warning);
        QLabel* line = nullptr;
        for (QLabel* label : view.findChildren<QLabel*>())
            line = label->text() == warning ? label : line;
        auto* box = view.findChild<QPlainTextEdit*>("logText");
        QVERIFY(line->mapTo(&view, QPoint(0, line->height())).y() <= box->mapTo(&view, QPoint()).y());
        MV_TRY_VERIFY(box->verticalScrollBar()->isVisible());
        QVERIFY(test::saveLightAndDark(view, "LogView-truncated"));
    }

    // The plain log and the placeholder, for a reviewer.
    void screenshots()
    {
        test::AppStateHarness hub;
        hub.build();
        const QString path = hub.files.write("Logs/run.log",
            "sending incremental file list\nphotos/2024/IMG_0001.jpg\nphotos/2024/IMG_0002.jpg\n\n"
            "Number of files: 3 (reg: 2, dir: 1)\nsent 8,192 bytes  received 64 bytes\n");
        test::RecordingPrompts prompts;
        LogView plain(recordOf(path), hub.context().requests, prompts);
        plain.show();
        MV_TRY_VERIFY(!plain.text().isEmpty());
        QVERIFY(test::saveLightAndDark(plain, "LogView-plain"));
        LogView empty(recordOf(std::nullopt), hub.context().requests, prompts);
        empty.show();
        QVERIFY(test::saveLightAndDark(empty, "LogView-no-log"));
    }

    // A write that fails says so through the banner; a cancelled panel writes nothing and says nothing.
    void failedExportRaisesTheBanner()
    {
        test::AppStateHarness hub;
        hub.build();
        const QString path = hub.files.write("Logs/run.log", "ok\n");
        test::RecordingPrompts prompts;
        LogView view(recordOf(path), hub.context().requests, prompts);
        view.show();
        MV_TRY_COMPARE(view.text(), "ok\n");

        view.exportLog();
        QVERIFY(!hub.context().requests.banner());
        prompts.savePath = hub.files.filePath("no-such-folder/export.log");
        view.exportLog();
        QVERIFY(hub.context().requests.banner());
        QVERIFY2(hub.context().requests.banner()->startsWith(
                     "The log could not be exported: “" + prompts.savePath + "” could not be written: "),
            qPrintable(*hub.context().requests.banner()));
        QVERIFY(!QFileInfo::exists(prompts.savePath));
    }

    // Each opening reads the file again: after it was deleted the placeholder shows.
    void reopeningReadsAgain()
    {
        test::AppStateHarness hub;
        hub.build();
        const QString path = hub.files.write("Logs/run.log", "first\n");
        test::RecordingPrompts prompts;
        {
            LogView view(recordOf(path), hub.context().requests, prompts);
            view.show();
            MV_TRY_COMPARE(shownLog(view), "first\n");
        }
        QVERIFY(QFile::remove(path));
        LogView view(recordOf(path), hub.context().requests, prompts);
        view.show();
        MV_TRY_COMPARE(shownLog(view), placeholder);
        QCOMPARE(view.text(), "");
    }

    // The file is read off the main thread, again at each showing: until its text arrives the box stays
    // as it was, empty at first rather than claiming there is no log. A view closed before its read
    // answers is left alone.
    void readsOffTheMainThread()
    {
        test::AppStateHarness hub;
        hub.build();
        const QString path = hub.files.write("Logs/run.log", "first\n");
        test::RecordingPrompts prompts;
        auto* closed = new LogView(recordOf(path), hub.context().requests, prompts);
        closed->show();
        delete closed;

        LogView view(recordOf(path), hub.context().requests, prompts);
        view.show();
        QCOMPARE(shownLog(view), "");
        QCOMPARE(view.text(), "");
        MV_TRY_COMPARE(shownLog(view), "first\n");

        view.hide();
        hub.files.write("Logs/run.log", "second\n");
        view.show();
        QCOMPARE(shownLog(view), "first\n");
        MV_TRY_COMPARE(shownLog(view), "second\n");
        QCOMPARE(view.text(), "second\n");

        // The closed view's answer, too, has come back by now, to nobody.
        WorkerPool::instance().waitForDone();
        QCoreApplication::sendPostedEvents();
    }

    // The save panel opens in the desktop's documents folder where that folder exists, else at home.
    void exportStartsInAFolderThatExists_data()
    {
        QTest::addColumn<bool>("documentsExist");
        QTest::newRow("documents folder") << true;
        QTest::newRow("no documents folder") << false;
    }

    void exportStartsInAFolderThatExists()
    {
        QFETCH(bool, documentsExist);
        test::AppStateHarness hub;
        hub.build();
        const test::TempDir home;
        home.write(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
        if (documentsExist)
            home.mkdir("Papers");
        const QByteArray previousHome = qgetenv("HOME");
        const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath(".config").toUtf8());
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", previousHome);
            qputenv("XDG_CONFIG_HOME", previousConfig);
        });
        RecordingUrlOpener urls;
        DesktopPrompts prompts(hub.fileManager, urls, QFileDialog::DontUseNativeDialog);
        LogView view(recordOf(hub.files.write("Logs/run.log", "ok\n")), hub.context().requests, prompts);
        view.show();

        QTest::mouseClick(button(view, "Export\u2026"), Qt::LeftButton);
        auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(panel);
        QCOMPARE(panel->directory().absolutePath(), documentsExist ? home.filePath("Papers") : home.path());
        panel->reject();
    }

    // Through the desktop seam: the save panel (answered as a person would), the clipboard, the file
    // manager on the bus and the URL opener.
    void throughTheDesktop()
    {
        test::AppStateHarness hub;
        hub.build();
        const QString path = hub.files.write("Logs/run.log", "password=hunter2\n");
        RecordingUrlOpener urls;
        DesktopPrompts prompts(hub.fileManager, urls, QFileDialog::DontUseNativeDialog);
        LogView view(recordOf(path), hub.context().requests, prompts);
        view.show();
        MV_TRY_COMPARE(view.text(), "password=•••\n");

        QTest::mouseClick(button(view, "Export\u2026"), Qt::LeftButton);
        auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(panel);
        QCOMPARE(QFileInfo(panel->selectedFiles().value(0)).fileName(), "Marrowvale-Photo-Library.log");
        const QString target = hub.files.filePath("chosen.log");
        panel->selectFile(target);
        static_cast<QDialog*>(panel)->accept();
        QCOMPARE(test::TempDir::read(target), QByteArray("password=•••\n"));

        QTest::mouseClick(button(view, "Copy Log"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), "password=•••\n");

        QTest::mouseClick(button(view, "Reveal"), Qt::LeftButton);
        MV_TRY_COMPARE(hub.fileManagerServer.shown(), QStringList { QUrl::fromLocalFile(path).toString() });

        QVERIFY(prompts.openUrl(QUrl("https://example.org/help")));
        QCOMPARE(urls.opened, QList<QUrl> { QUrl("https://example.org/help") });
    }
};

MV_UI_TEST_MAIN(tst_LogView)
#include "tst_LogView.moc"
