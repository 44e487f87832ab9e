#include "shell/SingleInstance.h"
#include "support/IntegrationTimeout.h"
#include "support/TempDir.h"

#include <QtTest>

#include <atomic>
#include <thread>

using namespace mv;

class tst_SingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The first start holds the folder; a second one cannot, and its request to show itself reaches the
    // first. Once the first is gone, a new start takes over.
    void secondStartAsksTheFirstToReopen()
    {
        test::TempDir support;
        std::optional<SingleInstance> first(std::in_place, support.path());
        QVERIFY(first->acquire());
        QSignalSpy reopened(&*first, &SingleInstance::reopenRequested);

        SingleInstance second(support.path());
        QVERIFY(!second.acquire());
        // The asker blocks on its answer, as a second process would; the first answers from this thread.
        std::atomic<int> answered = -1;
        std::thread asker(
            [&] { answered = second.askToReopen(int(test::integrationTimeout.count())) ? 1 : 0; });
        QVERIFY(reopened.wait(int(test::integrationTimeout.count())));
        MV_TRY_VERIFY(answered != -1);
        asker.join();
        QCOMPARE(int(answered), 1);

        first.reset();
        SingleInstance third(support.path());
        QVERIFY(third.acquire());
    }

    void nobodyToAsk()
    {
        test::TempDir support;
        const SingleInstance lonely(support.path());
        QVERIFY(!lonely.askToReopen(1000));
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
