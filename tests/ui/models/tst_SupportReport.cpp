#include "ui/models/support/HelpItem.h"
#include "ui/models/support/SupportReport.h"
#include "ui/models/support/SupportTexts.h"
#include "ui/models/support/SystemArchitecture.h"

#include <QtTest>

using namespace mv;

namespace {

const QDateTime generated(QDate(2026, 3, 3), QTime(9, 5), Qt::UTC);

SystemFacts linuxFacts()
{
    return { {}, {}, QStringLiteral("Debian GNU/Linux 12 (bookworm)"), QStringLiteral("x86-64 (x86_64)") };
}

SupportReportInputs emptyInputs()
{
    SupportReportInputs inputs;
    inputs.now = generated;
    inputs.system = linuxFacts();
    inputs.supportFolder = QStringLiteral("/home/ada/.local/share/Marrowvale/");
    return inputs;
}

BackupDestination destination(const QString& name, bool enabled = true)
{
    BackupDestination made = BackupDestination::create(generated);
    made.name = name;
    made.isEnabled = enabled;
    return made;
}

BackupRunRecord failure(
    const QString& job, const QString& destination, int minutesBefore, std::optional<QString> summary)
{
    BackupRunRecord run;
    run.id = QUuid::createUuid();
    run.jobName = job;
    run.destinationName = destination;
    run.startedAt = generated.addSecs(-60 * minutesBefore);
    run.result = RunResult::failed;
    run.errorSummary = std::move(summary);
    return run;
}

// Two jobs over five destinations: SSD offline, NAS disabled and offline for a reason that holds a password,
// Cloud unknown, USB online, Spare never judged. Six failed runs, newest first, as the history gives them.
SupportReportInputs busyInputs()
{
    SupportReportInputs inputs = emptyInputs();
    inputs.system.appVersion = QStringLiteral("1.4.0");
    inputs.system.appBuild = QStringLiteral("140");
    inputs.rsyncExecutable = QStringLiteral("/usr/bin/rsync");
    inputs.rsyncVersion = RsyncVersion { 3, 2, 7 };

    BackupJob docs = BackupJob::create(generated);
    docs.name = QStringLiteral("Docs");
    docs.destinations = { destination(QStringLiteral("SSD")), destination(QStringLiteral("NAS"), false),
        destination(QStringLiteral("Cloud")) };
    BackupJob photos = BackupJob::create(generated);
    photos.name = QStringLiteral("Photos");
    photos.isEnabled = false;
    photos.destinations = { destination(QStringLiteral("USB")), destination(QStringLiteral("Spare"), false) };
    inputs.jobs = { docs, photos };
    inputs.availability = {
        { { docs.id, docs.destinations[0].id },
            Availability::offline(QStringLiteral("SSD is not available.")) },
        { { docs.id, docs.destinations[1].id },
            Availability::offline(QStringLiteral("mount.cifs failed: password=hunter2 refused")) },
        { { docs.id, docs.destinations[2].id }, Availability::unknown() },
        { { photos.id, photos.destinations[0].id }, Availability::online() },
    };

    inputs.lastSuccess = generated.addDays(-1);
    inputs.totalRuns = 42;
    inputs.failedRuns = {
        failure(
            QStringLiteral("Docs"), QStringLiteral("SSD"), 5, QStringLiteral("rsync exited with code 23.")),
        failure(QStringLiteral("Docs"), QStringLiteral("NAS"), 10, std::nullopt),
        failure(QStringLiteral("Photos"), QStringLiteral("USB"), 15, QString()),
        failure(QStringLiteral("Docs"), QStringLiteral("Cloud"), 20,
            QStringLiteral("Upload refused: access_token=ya29.secretvalue")),
        failure(QStringLiteral("Docs"), QStringLiteral("SSD"), 25, QStringLiteral("Disk full")),
        failure(QStringLiteral("Docs"), QStringLiteral("SSD"), 30, QStringLiteral("Sixth")),
    };
    inputs.settings.defaultMode = BackupMode::mirror;
    inputs.settings.maxConcurrentJobs = 9;
    return inputs;
}

QString line(const SupportReport& report, int number)
{
    return report.text().split(QLatin1Char('\n')).value(number - 1);
}

} // namespace

class tst_SupportReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Nothing configured, no rsync, no program version: the nineteen fixed lines with zero counts, then only
    // the closing lines. The data folder loses its trailing slash.
    void emptyConfiguration()
    {
        const SupportReport report = SupportReport::make(emptyInputs());
        QCOMPARE(report.text(),
            QStringLiteral("Marrowvale support report\n"
                           "Generated: 3 Mar 2026 09:05:00\n"
                           "\n"
                           "App: Development build (build \u2014)\n"
                           "System: Debian GNU/Linux 12 (bookworm)\n"
                           "Architecture: x86-64 (x86_64)\n"
                           "rsync: rsync was not found\n"
                           "\n"
                           "Jobs: 0\n"
                           "Destinations: 0 total, 0 enabled\n"
                           "Offline destinations: 0\n"
                           "Last successful backup: Never\n"
                           "Recorded runs: 0\n"
                           "Default mode: Incremental copy\n"
                           "Concurrent runs: 2\n"
                           "\n"
                           "Data folder: /home/ada/.local/share/Marrowvale\n"
                           "History file: /home/ada/.local/share/Marrowvale/history.sqlite\n"
                           "Logs: /home/ada/.local/share/Marrowvale/Logs\n"
                           "\n"
                           "No passwords or keyring items are included.\n"
                           "Review paths before sharing this report."));
    }

    // Offline destinations in configuration order, disabled ones included, unknown and unjudged ones left
    // out; at most five failures in the order given; secrets masked; counts as stored (9 runs at once).
    void busyConfiguration()
    {
        const SupportReport report = SupportReport::make(busyInputs());
        QCOMPARE(report.text(),
            QStringLiteral("Marrowvale support report\n"
                           "Generated: 3 Mar 2026 09:05:00\n"
                           "\n"
                           "App: 1.4.0 (build 140)\n"
                           "System: Debian GNU/Linux 12 (bookworm)\n"
                           "Architecture: x86-64 (x86_64)\n"
                           "rsync: v3.2.7 at /usr/bin/rsync\n"
                           "\n"
                           "Jobs: 2\n"
                           "Destinations: 5 total, 3 enabled\n"
                           "Offline destinations: 2\n"
                           "Last successful backup: 2 Mar 2026 09:05:00\n"
                           "Recorded runs: 42\n"
                           "Default mode: Mirror\n"
                           "Concurrent runs: 9\n"
                           "\n"
                           "Data folder: /home/ada/.local/share/Marrowvale\n"
                           "History file: /home/ada/.local/share/Marrowvale/history.sqlite\n"
                           "Logs: /home/ada/.local/share/Marrowvale/Logs\n"
                           "\n"
                           "Offline destinations\n"
                           "- Docs \u2192 SSD: SSD is not available.\n"
                           "- Docs \u2192 NAS: mount.cifs failed: password=\u2022\u2022\u2022 refused\n"
                           "\n"
                           "Recent failures\n"
                           "- 3 Mar 2026 09:00:00 \u00B7 Docs \u2192 SSD: rsync exited with code 23.\n"
                           "- 3 Mar 2026 08:55:00 \u00B7 Docs \u2192 NAS: Failed\n"
                           "- 3 Mar 2026 08:50:00 \u00B7 Photos \u2192 USB: \n"
                           "- 3 Mar 2026 08:45:00 \u00B7 Docs \u2192 Cloud: Upload refused: "
                           "access_token=\u2022\u2022\u2022\n"
                           "- 3 Mar 2026 08:40:00 \u00B7 Docs \u2192 SSD: Disk full\n"
                           "\n"
                           "No passwords or keyring items are included.\n"
                           "Review paths before sharing this report."));
        QVERIFY(!report.text().contains(QStringLiteral("hunter2")));
        QVERIFY(!report.text().contains(QStringLiteral("ya29")));
        QVERIFY(!report.text().endsWith(QLatin1Char('\n')));
    }

    void rsync_data()
    {
        QTest::addColumn<std::optional<QString>>("executable");
        QTest::addColumn<std::optional<RsyncVersion>>("version");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("check");
        QTest::addColumn<bool>("warning");
        QTest::newRow("none found")
            << std::optional<QString>() << std::optional<RsyncVersion>() << "rsync was not found"
            << "rsync was not found. Install it with your package manager, then choose it "
               "in Settings \u2192 Advanced."
            << true;
        QTest::newRow("silent about its version")
            << std::optional<QString>("/opt/rsync/bin/rsync") << std::optional<RsyncVersion>()
            << "Unknown at /opt/rsync/bin/rsync"
            << "rsync check: Unknown at /opt/rsync/bin/rsync." << false;
        QTest::newRow("with a version")
            << std::optional<QString>("/usr/bin/rsync")
            << std::optional<RsyncVersion>(RsyncVersion { 3, 2, 7 }) << "v3.2.7 at /usr/bin/rsync"
            << "rsync check: v3.2.7 at /usr/bin/rsync." << false;
    }

    // The summary on line 7 and on the card, the sentence of "Check rsync", and the card's warning.
    void rsync()
    {
        QFETCH(std::optional<QString>, executable);
        QFETCH(std::optional<RsyncVersion>, version);
        SupportReportInputs inputs = emptyInputs();
        inputs.rsyncExecutable = executable;
        inputs.rsyncVersion = version;
        const SupportReport report = SupportReport::make(inputs);
        QFETCH(QString, summary);
        QCOMPARE(line(report, 7), "rsync: " + summary);
        QCOMPARE(report.rsyncSummary(), summary);
        QTEST(rsyncCheckMessage(report), "check");
        const DiagnosticsLine card = diagnosticsLines(report, generated).at(2);
        QCOMPARE(card.label, "rsync");
        QCOMPARE(card.value, summary);
        QTEST(card.warning, "warning");
    }

    void diagnostics_data()
    {
        QTest::addColumn<int>("offline");
        QTest::addColumn<QString>("offlineText");
        QTest::addColumn<bool>("offlineWarning");
        QTest::newRow("none") << 0 << "None" << false;
        QTest::newRow("one") << 1 << "1 destination" << true;
        QTest::newRow("three") << 3 << "3 destinations" << true;
    }

    // The card's seven facts: counts of one keep the plural words, the offline count is singular for one.
    void diagnostics()
    {
        QFETCH(int, offline);
        SupportReportInputs inputs = emptyInputs();
        inputs.system.appVersion = QStringLiteral("1.4.0");
        inputs.totalRuns = 1;
        BackupJob job = BackupJob::create(generated);
        job.name = QStringLiteral("Docs");
        for (int i = 0; i < 3; ++i)
            job.destinations << destination(QStringLiteral("D%1").arg(i));
        for (int i = 0; i < offline; ++i)
            inputs.availability.insert(
                { job.id, job.destinations[i].id }, Availability::offline(QStringLiteral("gone")));
        job.destinations.resize(std::max(offline, 1));
        inputs.jobs = { job };

        QList<DiagnosticsLine> expected {
            { "Marrowvale", "1.4.0 (\u2014)", false },
            { "System", "Debian GNU/Linux 12 (bookworm) \u00B7 x86-64 (x86_64)", false },
            { "rsync", "rsync was not found", true },
            { "Backups", QStringLiteral("1 jobs \u00B7 %1 destinations").arg(std::max(offline, 1)), false },
            { "Last backup", "Never", false },
            { "Offline", "", false },
            { "History", "1 recorded runs", false },
        };
        QFETCH(QString, offlineText);
        QFETCH(bool, offlineWarning);
        expected[5].value = offlineText;
        expected[5].warning = offlineWarning;
        QCOMPARE(diagnosticsLines(SupportReport::make(inputs), generated), expected);
    }

    // The last backup is told relative to the moment the card is built.
    void lastBackupIsRelative()
    {
        SupportReportInputs inputs = emptyInputs();
        inputs.lastSuccess = generated.addSecs(-2 * 3600);
        const SupportReport report = SupportReport::make(inputs);
        QCOMPARE(diagnosticsLines(report, generated).at(4).value, "2 hr. ago");
        QCOMPARE(diagnosticsLines(report, generated.addDays(1)).at(4).value, "yesterday");
    }

    void architecture_data()
    {
        QTest::addColumn<QByteArray>("machine");
        QTest::addColumn<QString>("description");
        QTest::newRow("x86_64") << QByteArray("x86_64") << "x86-64 (x86_64)";
        QTest::newRow("aarch64") << QByteArray("aarch64") << "Arm (aarch64)";
        QTest::newRow("arm64 as it stands") << QByteArray("arm64") << "arm64";
        QTest::newRow("arm64e as it stands") << QByteArray("arm64e") << "arm64e";
        QTest::newRow("riscv64") << QByteArray("riscv64") << "riscv64";
        QTest::newRow("invalid UTF-8 replaced")
            << QByteArray("x86\xff") << QString::fromUtf8("x86\xEF\xBF\xBD");
        QTest::newRow("empty") << QByteArray() << "Unknown";
    }

    void architecture()
    {
        QFETCH(QByteArray, machine);
        QTEST(SystemArchitecture::describe(machine), "description");
    }

    // This machine's own name gives a description, never an empty one.
    void architectureOfThisMachine() { QVERIFY(!SystemArchitecture::description().isEmpty()); }

    void fileName_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("name");
        QTest::newRow("09:05 on 3 March 2026") << generated << "Marrowvale-support-2026-03-03-0905.txt";
        QTest::newRow("last minute of the year") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59), Qt::UTC)
                                                 << "Marrowvale-support-2026-12-31-2359.txt";
    }

    void fileName()
    {
        QFETCH(QDateTime, now);
        QTEST(supportReportFileName(now), "name");
    }

    // Nine topics with distinct keys, in the page's order, written for this system: none names the other
    // platform's programs or places.
    void helpTopics()
    {
        QStringList ids;
        for (const HelpItem& item : HelpItem::all()) {
            ids << item.id;
            for (const char* foreign : { "Finder", "Homebrew", "brew ", "macOS", "Keychain", "Dock",
                     "Spotlight", "Applications", "/opt/homebrew", "Mac" })
                QVERIFY2(!item.question.contains(QLatin1String(foreign))
                        && !item.answer.contains(QLatin1String(foreign)),
                    qPrintable(item.id + ": " + foreign));
        }
        QCOMPARE(ids,
            (QStringList { "menu-bar", "offline", "different-volume", "rsync", "ssh", "mirror", "paused",
                "restore", "logs" }));
    }
};

int main(int argc, char** argv)
{
    // Dates as a person with the C locale in UTC reads them.
    qputenv("LC_ALL", "C");
    qputenv("LANG", "C");
    qputenv("TZ", "UTC");
    QCoreApplication app(argc, argv);
    tst_SupportReport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SupportReport.moc"
