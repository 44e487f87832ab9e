#include "coordination/JobActions.h"
#include "model/UuidText.h"
#include "shell/ActiveRunCard.h"
#include "shell/ActiveRunsSection.h"
#include "shell/JobCard.h"
#include "shell/JobsSection.h"
#include "shell/PanelHeader.h"
#include "support/IntegrationTimeout.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/PanelColumn.h"
#include "support/ui/UiTestMain.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/MetricView.h"
#include "ui/kit/Motion.h"
#include "ui/kit/MotionSettings.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/models/shared/StatusBoard.h"

#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>

using namespace mv;

namespace {

enum class Sample {
    runComes,
    jobGoes,
    phaseChanges,
    barMoves,
    cardHover,
    buttonHover,
    figureChanges,
    headlineChanges
};

// Reduce Motion on for as long as it lives.
class ReducedMotion {
public:
    ReducedMotion(bool on)
        : m_on(on)
    {
        if (m_on) {
            qputenv("MARROWVALE_REDUCE_MOTION", "1");
            MotionSettings::instance().refresh();
        }
    }
    ~ReducedMotion()
    {
        if (m_on) {
            qunsetenv("MARROWVALE_REDUCE_MOTION");
            MotionSettings::instance().refresh();
        }
    }

private:
    bool m_on;
};

ActiveRun runOf(const QString& name, RunPhase phase, std::optional<double> fraction)
{
    ActiveRun run;
    run.key = { QUuid::createUuid(), QUuid::createUuid() };
    run.jobName = name;
    run.destinationName = QStringLiteral("ssd");
    run.sourcePath = QStringLiteral("/home/ada/") + name;
    run.progress.phase = phase;
    run.progress.fraction = fraction;
    run.progress.startedAt = QDateTime::currentDateTimeUtc();
    return run;
}

using Column = test::PanelColumn;

// The animations running under the column now.
QList<QPropertyAnimation*> running(const Column& column)
{
    QList<QPropertyAnimation*> found;
    for (QPropertyAnimation* animation : column.window.findChildren<QPropertyAnimation*>()) {
        if (animation->state() == QAbstractAnimation::Running)
            found.append(animation);
    }
    return found;
}

void enter(QWidget& widget)
{
    QEnterEvent event(QPointF(4, 4), QPointF(4, 4), widget.mapToGlobal(QPointF(4, 4)));
    QApplication::sendEvent(&widget, &event);
}

} // namespace

class tst_PanelMotion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each change of the panel starts its animation with its preset's curve and duration; under Reduce
    // Motion none starts and the change is simply there.
    void changesAnimate_data()
    {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("durationMs");
        QTest::addColumn<bool>("reduce");
        const struct {
            const char* name;
            Sample sample;
            QByteArray property;
            MotionPreset preset;
        } samples[] = {
            { "a run comes", Sample::runComes, "maximumHeight", Motion::spring() },
            { "a job goes", Sample::jobGoes, "maximumHeight", Motion::spring() },
            { "a run's phase changes", Sample::phaseChanges, "phaseBlend", Motion::spring() },
            { "a run's bar moves", Sample::barMoves, "filled", Motion::progress() },
            { "the pointer enters a job card", Sample::cardHover, "highlight", Motion::quick() },
            { "the pointer enters a button", Sample::buttonHover, "hoverProgress", Motion::quick() },
            { "a summary figure changes", Sample::figureChanges, "opacity", Motion::quick() },
            { "the headline changes", Sample::headlineChanges, "opacity", Motion::quick() },
        };
        for (const auto& sample : samples) {
            QTest::addRow("%s", sample.name)
                << sample.sample << sample.property << sample.preset.durationMs << false;
            QTest::addRow("%s, Reduce Motion", sample.name) << sample.sample << sample.property << 0 << true;
        }
    }
    void changesAnimate()
    {
        QFETCH(Sample, sample);
        QFETCH(QByteArray, property);
        QFETCH(int, durationMs);
        QFETCH(bool, reduce);
        test::AppStateHarness hub;
        const BackupJob docs = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        const BackupJob photos = hub.addJob("Photos", { { "ssd", BackupMode::incremental } });
        hub.build();
        Column column;
        const ReducedMotion reducedMotion(reduce);
        // What the change has led to once it is over.
        std::function<bool()> settled;

        switch (sample) {
        case Sample::runComes: {
            auto* section = column.add(new ActiveRunsSection(hub.context()));
            const ActiveRun first = runOf("Docs", RunPhase::running, 0.2);
            section->setRuns({ first });
            QVERIFY(column.show());
            section->setRuns({ first, runOf("Photos", RunPhase::queued, std::nullopt) });
            QWidget* list = section->list().widget();
            settled = [list] { return list->maximumHeight() == QWIDGETSIZE_MAX && list->height() > 0; };
            break;
        }
        case Sample::jobGoes: {
            // The jobs the panel opens with are simply there; the one that goes springs.
            auto* section = column.add(new JobsSection(hub.context()));
            section->setJobs({ { docs, {} }, { photos, {} } });
            QVERIFY(column.show());
            QCOMPARE(section->list().count(), 2);
            QVERIFY(running(column).isEmpty());
            section->setJobs({ { docs, {} } });
            QWidget* list = section->list().widget();
            settled = [list] { return list->maximumHeight() == QWIDGETSIZE_MAX; };
            break;
        }
        case Sample::phaseChanges: {
            auto* card = column.add(new ActiveRunCard(
                hub.context().jobs, hub.context().clock, runOf("Docs", RunPhase::running, 0.2)));
            QVERIFY(column.show());
            ActiveRun paused = card->run();
            paused.progress.phase = RunPhase::paused;
            card->showRun(paused);
            settled = [card] {
                return card->phaseBlend() == 1
                    && card->fillColor() == Palette::warning.opacity(0.07).resolve(card);
            };
            break;
        }
        case Sample::barMoves: {
            auto* card = column.add(new ActiveRunCard(
                hub.context().jobs, hub.context().clock, runOf("Docs", RunPhase::running, 0.2)));
            QVERIFY(column.show());
            ActiveRun further = card->run();
            further.progress.fraction = 0.6;
            card->showRun(further);
            ProgressBarView* bar = card->progressBar();
            settled = [bar] { return qFuzzyCompare(bar->indicatorRect().width(), bar->width() * 0.6); };
            break;
        }
        case Sample::cardHover: {
            auto* card = column.add(new JobCard(hub.context(), docs.id));
            QVERIFY(column.show());
            enter(*card);
            settled = [card] { return card->highlight() == 1; };
            break;
        }
        case Sample::buttonHover: {
            auto* button = column.add(new MVButton(QStringLiteral("Run Now"), QStringLiteral("play.fill"),
                MVButtonKind::secondary, true, false, [] {}));
            QVERIFY(column.show());
            enter(*button);
            settled = [button] { return button->hoverProgress() == 1; };
            break;
        }
        case Sample::figureChanges: {
            auto* cell = column.add(new MetricView(
                MetricView::Style::strip, QStringLiteral("Jobs"), std::nullopt, Palette::label));
            cell->setValue(QStringLiteral("1"));
            QVERIFY(column.show());
            cell->setValue(QStringLiteral("2"));
            settled = [cell] { return cell->value() == "2"; };
            break;
        }
        case Sample::headlineChanges: {
            auto* header = column.add(new PanelHeader(hub.context()));
            QVERIFY(column.show());
            hub.context().jobs.toggleJob(docs);
            hub.context().jobs.toggleJob(photos);
            MV_TRY_VERIFY(hub.context().status.aggregate().kind == AggregateStatus::Kind::disabled);
            header->refresh();
            settled = [header] { return header->headline()->text() == "All backups are turned off"; };
            break;
        }
        }

        QList<QPropertyAnimation*> started;
        for (QPropertyAnimation* animation : running(column)) {
            if (animation->propertyName() == property)
                started.append(animation);
        }
        if (reduce) {
            QCOMPARE(running(column).size(), 0);
        } else {
            QCOMPARE(started.size(), 1);
            QCOMPARE(started.front()->duration(), durationMs);
        }
        MV_TRY_VERIFY(running(column).isEmpty());
        QVERIFY(settled());
    }
};

MV_UI_TEST_MAIN_ANIMATED(tst_PanelMotion)

#include "tst_PanelMotion.moc"
