#include "coordination/JobActions.h"
#include "shell/AlertPresenter.h"
#include "shell/MirrorPreviewSheet.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <qcoro/qcorotask.h>

using namespace mv;

namespace {

QStringList paths(int count)
{
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list << QStringLiteral("Photos/2024/IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
    return list;
}

MirrorPrompt promptFor(const BackupJob& job, MirrorPreview preview)
{
    return MirrorPrompt { QUuid::createUuid(), job, job.destinations.first(), std::move(preview), {} };
}

QStringList rowTexts(const MirrorPreviewSheet& sheet)
{
    QStringList texts;
    if (const auto* rows = sheet.findChild<QWidget*>("mirrorPreviewRows")) {
        for (const ElidedLabel* row : rows->findChildren<ElidedLabel*>())
            texts << row->text();
    }
    return texts;
}

MVButton* button(const QWidget& root, const QString& title)
{
    for (MVButton* candidate : root.findChildren<MVButton*>()) {
        if (candidate->title() == title)
            return candidate;
    }
    return nullptr;
}

} // namespace

class tst_MirrorPreviewSheet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QStringList>("deletions");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rows");
        QTest::newRow("3 of 3") << paths(3) << qint64(3)
                                << "3 items exist at the destination but not in the source. Mirror removes "
                                   "them. Review the first 3 below."
                                << 3;
        QTest::newRow("200 of 250") << paths(200) << qint64(250)
                                    << "250 items exist at the destination but not in the source. Mirror "
                                       "removes them. Review the first 10 below."
                                    << 10;
        // The total is grouped, the shown count never is.
        QTest::newRow("200 of 12345") << paths(200) << qint64(12345)
                                      << "12,345 items exist at the destination but not in the source. "
                                         "Mirror removes them. Review the first 10 below."
                                      << 10;
        QTest::newRow("none") << QStringList() << qint64(0)
                              << "0 items exist at the destination but not in the source. Mirror removes "
                                 "them. Review the first 0 below."
                              << 0;
    }

    // The message, the first ten paths in their order in a box that never grows past 118 px, and no box
    // at all when no path was kept.
    void layout()
    {
        QFETCH(QStringList, deletions);
        QFETCH(qint64, total);
        QFETCH(QString, message);
        QFETCH(int, rows);
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Photo Library", { { "Archive", BackupMode::mirror } });
        hub.build();

        MirrorPreviewSheet sheet(promptFor(job, { deletions, total }), hub.context().jobs);
        sheet.show();
        QCOMPARE(sheet.width(), 430);
        QStringList texts = test::visibleTexts(sheet);
        texts.removeIf([&](const QString& text) { return deletions.contains(text); });
        QCOMPARE(texts,
            (QStringList { "Mirror will delete files", "Photo Library \u2192 Archive", message,
                "This cannot be undone. Incremental copy is the default for a reason.", "Cancel",
                "Delete and Run" }));
        QCOMPARE(rowTexts(sheet), deletions.first(rows));
        auto* list = sheet.findChild<QWidget*>("mirrorPreviewList");
        QCOMPARE(list != nullptr, rows > 0);
        if (list) {
            QCOMPARE(list->height(), 118);
            // Ten rows are more than the box holds: it scrolls instead of growing.
            auto* scrollBar = list->findChild<QScrollArea*>()->verticalScrollBar();
            MV_TRY_COMPARE(scrollBar->isVisible(), rows == 10);
        }
        QVERIFY(test::saveLightAndDark(
            sheet, "MirrorPreviewSheet-" + QString(QTest::currentDataTag()).replace(' ', '-')));
    }

    // A path too long for the row stays on one line, cut in its middle.
    void longPathIsCutInTheMiddle()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Photo Library", { { "Archive", BackupMode::mirror } });
        hub.build();
        const QString path = "Photos/" + QString("very-long-folder-name/").repeated(12) + "IMG_0001.jpg";
        MirrorPreviewSheet sheet(promptFor(job, { { path, "b.txt" }, 2 }), hub.context().jobs);
        sheet.show();
        const auto labels = sheet.findChild<QWidget*>("mirrorPreviewRows")->findChildren<ElidedLabel*>();
        QCOMPARE(labels.size(), 2);
        const QString shown = labels.first()->elidedText();
        QVERIFY2(shown.startsWith("Photos/") && shown.endsWith("IMG_0001.jpg") && shown.contains(u'\u2026'),
            qPrintable(shown));
        QCOMPARE(labels.first()->height(), labels.last()->height());
    }

    void dismissalRunsNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }

    // A real manual mirror run that would delete a stray file brings the sheet up over the window on
    // screen; closing it without confirming clears the prompt and runs nothing.
    void dismissalRunsNothing()
    {
        QFETCH(bool, escape);
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        hub.files.write("ssd/stray.txt", "old");
        hub.build();
        QWidget dashboard;
        dashboard.show();
        AlertPresenter presenter(hub.context());
        presenter.addHost(&dashboard);

        QCoro::waitFor(hub.context().jobs.requestRun(job, job.destinations[0]));
        QVERIFY(presenter.mirrorSheet());
        QCOMPARE(QApplication::activeModalWidget(), presenter.mirrorSheet());
        QCOMPARE(presenter.mirrorSheet()->parentWidget(), &dashboard);
        QCOMPARE(rowTexts(*presenter.mirrorSheet()), QStringList { "stray.txt" });
        if (escape)
            QTest::keyClick(presenter.mirrorSheet(), Qt::Key_Escape);
        else
            QTest::mouseClick(button(*presenter.mirrorSheet(), "Cancel"), Qt::LeftButton);

        QVERIFY(!hub.context().jobs.mirrorPrompt());
        QVERIFY(!presenter.mirrorSheet());
        QVERIFY(hub.state->coordinator().runs().isEmpty());
        QVERIFY(hub.rows().empty());
        QVERIFY(QFileInfo::exists(hub.files.filePath("ssd/stray.txt")));
    }

    // "Delete and Run" confirms on the state: the run starts with the deletions confirmed and removes the
    // stray file; the sheet goes.
    void deleteAndRunConfirms()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        hub.files.write("ssd/stray.txt", "old");
        hub.build();
        QWidget dashboard;
        dashboard.show();
        AlertPresenter presenter(hub.context());
        presenter.addHost(&dashboard);

        QCoro::waitFor(hub.context().jobs.requestRun(job, job.destinations[0]));
        QVERIFY(presenter.mirrorSheet());
        QTest::mouseClick(button(*presenter.mirrorSheet(), "Delete and Run"), Qt::LeftButton);

        QVERIFY(!hub.context().jobs.mirrorPrompt());
        QVERIFY(!presenter.mirrorSheet());
        MV_TRY_COMPARE(hub.rows().size(), size_t(1));
        MV_TRY_COMPARE(hub.rows().front().result, RunResult::success);
        QCOMPARE(hub.rows().front().trigger, RunTrigger::manual);
        QVERIFY(!QFileInfo::exists(hub.files.filePath("ssd/stray.txt")));
        QVERIFY(QFileInfo::exists(hub.files.filePath("ssd/a.txt")));
    }
};

MV_UI_TEST_MAIN(tst_MirrorPreviewSheet)
#include "tst_MirrorPreviewSheet.moc"
