// The dashboard's Activity page on a history of 100,000 runs: opening it, searching it and scrolling its
// list, against the repository alone running the same fetches. Prints the times, their ratios and the
// longest turn of the event loop the page held, with whether it stayed under one frame (16 ms). The page is
// opened once before it is measured, as the dashboard's own first paint is not the page's. The most CPU time
// the main thread spent in one turn is printed too: on a busy machine the wall clock also counts the waits
// for a core.

#include "coordination/AppState.h"
#include "google/SecretBackend.h"
#include "model/ConfigurationStore.h"
#include "platform/FileManager.h"
#include "platform/SystemLog.h"
#include "platform/UrlOpener.h"
#include "support/SupportFixture.h"
#include "ui/dashboard/ActivitySection.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/ViewObjects.h"
#include "ui/models/dashboard/ActivitySectionLogic.h"
#include "ui/models/dashboard/DashboardModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace mv;

namespace {

constexpr int historyRows = 100'000;
constexpr double frameBudgetMs = 16.0;
constexpr int scrollSteps = 60;
const QString searchText = QStringLiteral("thesis");

class NoSecrets final : public SecretBackend {
public:
    Lookup lookup(const QString&) override { return {}; }
    bool store(const QString&, const QString&) override { return false; }
    bool remove(const QString&) override { return false; }
};

// Panels never open here; nothing is revealed.
class NoPrompts final : public Prompts {
public:
    void askSavePath(QWidget*, const SavePanelRequest&, std::function<void(const QString&)>) override { }
    void askOpenPath(QWidget*, const OpenPanelRequest&, std::function<void(const QString&)>) override { }
    void copyText(const QString&) override { }
    void reveal(const QString&) override { }
    bool openUrl(const QUrl&) override { return false; }
};

double elapsedMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// The main thread's CPU time so far: unlike the wall clock, other processes on a busy machine add nothing
// to it.
double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The most CPU time the main thread spent in one turn measured by turnMs.
double longestTurnCpuMs = 0;

// Runs one turn's work on the main thread; answers its wall time and keeps its CPU time.
double turnMs(const std::function<void()>& work)
{
    const double cpuBefore = threadCpuMs();
    const double wallMs = elapsedMs(work);
    longestTurnCpuMs = std::max(longestTurnCpuMs, threadCpuMs() - cpuBefore);
    return wallMs;
}

// Turns the event loop until `done`, one pass at a time; answers the whole time and keeps the longest pass.
double turnUntil(const std::function<bool()>& done, double& longestTurnMs)
{
    return elapsedMs([&] {
        while (!done())
            longestTurnMs = std::max(longestTurnMs, turnMs([] { QCoreApplication::processEvents(); }));
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir support;
    qputenv("MARROWVALE_SUPPORT_DIR", QFile::encodeName(support.path()));
    bench::prepareSupportFolder(support.path(), 12, 3, historyRows);

    // The baseline: the repository alone, the same two fetches the page makes.
    double baselineOpenMs = 0;
    double baselineSearchMs = 0;
    {
        HistoryRepository history(QDir(support.path()).filePath(QStringLiteral("history.sqlite")));
        history.stats();
        baselineOpenMs = elapsedMs([&] { history.fetch(ActivitySectionLogic::recordLimit, 0); });
        baselineSearchMs
            = elapsedMs([&] { history.fetch(ActivitySectionLogic::recordLimit, 0, searchText); });
    }

    NoSecrets secrets;
    XdgOpenUrlOpener opener;
    DesktopFileManager fileManager(QDBusConnection::sessionBus());
    ConfigurationStore store(support.path());
    AppState state(store,
        AppEnvironment { Clock::system(), QDBusConnection::sessionBus(), QDBusConnection::systemBus(),
            secrets, opener, fileManager, SystemLog::system(), GoogleEndpoints::google() });
    ViewObjects views(state.viewSources());
    DashboardModel ui;
    NoPrompts prompts;

    QWidget window;
    window.resize(800, 660);
    // Makes the page in the window and turns the loop until its list is shown.
    const auto openPage = [&](double& makeMs, double& turnsMs, double& longestTurnMs) {
        ActivitySection* page = nullptr;
        makeMs = turnMs([&] {
            page = new ActivitySection(
                views.context(), ui, Clock::system(), prompts, [](const BackupRunRecord&) {}, &window);
            page->resize(window.size());
            page->show();
            window.show();
        });
        turnsMs = turnUntil([&] { return page->hasLoaded(); }, longestTurnMs);
        return page;
    };

    // The first page of the process also pays for what every window pays once (the font database, the
    // style, the first line edit, the desktop's settings read over D-Bus); the dashboard has paid for them
    // before its Activity page is first opened. That opening is shown apart, and the page measured below is
    // the one opened next.
    double coldMakeMs = 0;
    double coldTurnsMs = 0;
    double coldLongestTurnMs = 0;
    delete openPage(coldMakeMs, coldTurnsMs, coldLongestTurnMs);
    longestTurnCpuMs = 0;

    double openMs = 0;
    double openTurnsMs = 0;
    double longestTurnMs = 0;
    ActivitySection* section = openPage(openMs, openTurnsMs, longestTurnMs);
    const double longestOpenMs = std::max(openMs, longestTurnMs);

    const auto before = section->records();
    // Typing the search is a turn of its own.
    double longestSearchTurnMs = turnMs([&] { section->searchField()->lineEdit()->setText(searchText); });
    const double searchMs
        = longestSearchTurnMs + turnUntil([&] { return section->records() != before; }, longestSearchTurnMs);

    QListView* scroll = section->listView();
    double longestScrollMs = 0;
    const double scrollMs = elapsedMs([&] {
        QScrollBar* bar = scroll->verticalScrollBar();
        for (int step = 1; step <= scrollSteps; ++step) {
            longestScrollMs = std::max(longestScrollMs, turnMs([&] {
                bar->setValue(bar->maximum() * step / scrollSteps);
                window.repaint();
                QCoreApplication::processEvents();
            }));
        }
    });

    const double longest = std::max({ longestOpenMs, longestSearchTurnMs, longestScrollMs });
    std::printf("Activity page over %d history rows (%zu runs listed after the search)\n", historyRows,
        section->records().size());
    std::printf("  first page of the process: made in %.2f ms, shown after %.2f ms, longest turn %.2f ms\n",
        coldMakeMs, coldMakeMs + coldTurnsMs, std::max(coldMakeMs, coldLongestTurnMs));
    std::printf("  open until the list is shown   %8.2f ms   repository alone %8.2f ms   ratio %.1f\n",
        openMs + openTurnsMs, baselineOpenMs, (openMs + openTurnsMs) / baselineOpenMs);
    std::printf("  search \"%s\" until listed    %8.2f ms   repository alone %8.2f ms   ratio %.1f\n",
        qPrintable(searchText), searchMs, baselineSearchMs, searchMs / baselineSearchMs);
    std::printf("  scroll top to bottom, %d steps %8.2f ms   slowest step %.2f ms\n", scrollSteps, scrollMs,
        longestScrollMs);
    std::printf(
        "  longest turn: making the page %.2f ms, opening %.2f ms, searching %.2f ms, scrolling %.2f ms\n",
        openMs, longestTurnMs, longestSearchTurnMs, longestScrollMs);
    std::printf("  longest main-thread turn       %8.2f ms   %s\n", longest,
        longest <= frameBudgetMs ? "under 16 ms" : "OVER 16 ms");
    std::printf("  most CPU time in one turn      %8.2f ms   (the main thread's own, whatever else runs)\n",
        longestTurnCpuMs);
    return 0;
}
