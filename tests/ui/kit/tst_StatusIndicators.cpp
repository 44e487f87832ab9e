#include "support/IntegrationTimeout.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/TagChip.h"

#include <QAccessible>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

using namespace mv;

namespace {

struct Host {
    QWidget window;

    Host()
    {
        forceAppearance(&window, Appearance::light);
        window.setAutoFillBackground(true);
        new QVBoxLayout(&window);
    }

    template <typename Widget> Widget* add(Widget* widget)
    {
        window.layout()->addWidget(widget);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the test window did not come up");
        return widget;
    }
};

} // namespace

class tst_StatusIndicators : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aChipReadsAsItsTextAlone()
    {
        Host host;
        auto* chip = host.add(new StatusChip(
            QStringLiteral("Running"), Palette::accent, QStringLiteral("arrow.triangle.2.circlepath"), true));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(chip);
        QCOMPARE(accessible->role(), QAccessible::StaticText);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Running"));
        QCOMPARE(accessible->childCount(), 0);
        QVERIFY(QAccessible::queryAccessibleInterface(chip->dot())->state().invisible);

        chip->setStatus(QStringLiteral("Paused"), Palette::warning, QStringLiteral("pause.fill"), false);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Paused"));
    }

    void aChipIsTintedWithItsColour_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void aChipIsTintedWithItsColour()
    {
        QFETCH(bool, dark);
        Host host;
        forceAppearance(&host.window, dark ? Appearance::dark : Appearance::light);
        auto* chip = host.add(new StatusChip(QStringLiteral("Failed"), Palette::danger, std::nullopt, false));
        const QImage picture = chip->grab().toImage();
        const QColor window = host.window.palette().color(QPalette::Window);
        // Just inside the capsule's right end, past the text.
        const QColor capsule = picture.pixelColor(picture.width() - 5, picture.height() / 2);
        QVERIFY(test::closeColours(
            capsule, test::composite(Palette::danger.opacity(0.12).resolve(chip), window)));
        QVERIFY(chip->sizeHint().height() >= 20);
    }

    void noPulseUnderReduceMotion()
    {
        Host host;
        auto* chip = host.add(new StatusChip(QStringLiteral("Copying"), Palette::accent, std::nullopt, true));
        auto* dot = host.add(new StatusDot(Palette::accent, true, 8));
        QVERIFY(dot->isPulsing());
        QVERIFY(!dot->isPulseShown());
        QVERIFY(!chip->dot()->isPulseShown());
        QCOMPARE(dot->size(), QSize(8, 8));
    }

    void aTagCutsItsTextAtTheEndAndFollowsItsContent()
    {
        Host host;
        auto* longTag = host.add(new TagChip(QStringLiteral("Versioned, keeps 30 snapshots"),
            QStringLiteral("clock"), Palette::labelSecondary));
        auto* shortTag = new TagChip(QStringLiteral("Mirror"), std::nullopt, Palette::labelSecondary);
        QVERIFY(shortTag->sizeHint().width() < longTag->sizeHint().width());
        QCOMPARE(shortTag->sizeHint().height(), longTag->sizeHint().height());

        longTag->setFixedWidth(90);
        QVERIFY(longTag->visibleText().startsWith(QStringLiteral("Vers")));
        QVERIFY(longTag->visibleText().endsWith(QStringLiteral("…")));
        longTag->setMinimumWidth(0);
        longTag->setMaximumWidth(QWIDGETSIZE_MAX);
        longTag->resize(longTag->sizeHint());
        QCOMPARE(longTag->visibleText(), QStringLiteral("Versioned, keeps 30 snapshots"));
        QCOMPARE(QAccessible::queryAccessibleInterface(longTag)->text(QAccessible::Name),
            QStringLiteral("Versioned, keeps 30 snapshots"));
        delete shortTag;
    }

    void progressBarGeometry_data()
    {
        QTest::addColumn<std::optional<double>>("fraction");
        QTest::addColumn<int>("width");
        QTest::addColumn<QRectF>("indicator");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("half") << std::optional(0.5) << 200 << QRectF(0, 0, 100, 6) << "Progress 50%"
                              << QVariant(50);
        QTest::newRow("42 %") << std::optional(0.42) << 200 << QRectF(0, 0, 84, 6) << "Progress 42%"
                              << QVariant(42);
        QTest::newRow("below zero") << std::optional(-0.2) << 200 << QRectF(0, 0, 0, 6) << "Progress 0%"
                                    << QVariant(0);
        QTest::newRow("above one") << std::optional(1.7) << 200 << QRectF(0, 0, 200, 6) << "Progress 100%"
                                   << QVariant(100);
        // Without a fraction the slider rests against the trailing end under Reduce Motion.
        QTest::newRow("none") << std::optional<double>() << 300 << QRectF(216, 0, 84, 6)
                              << "Progress not measurable yet" << QVariant();
        QTest::newRow("none, narrow") << std::optional<double>() << 60 << QRectF(43.2, 0, 24, 6)
                                      << "Progress not measurable yet" << QVariant();
        QTest::newRow("not a number") << std::optional(std::numeric_limits<double>::quiet_NaN()) << 300
                                      << QRectF(216, 0, 84, 6) << "Progress not measurable yet" << QVariant();
        QTest::newRow("infinite") << std::optional(std::numeric_limits<double>::infinity()) << 300
                                  << QRectF(216, 0, 84, 6) << "Progress not measurable yet" << QVariant();
    }

    void progressBarGeometry()
    {
        QFETCH(std::optional<double>, fraction);
        QFETCH(int, width);
        QFETCH(QRectF, indicator);
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        Host host;
        auto* bar = host.add(new ProgressBarView(fraction, Palette::accent, 6));
        bar->setFixedWidth(width);
        MV_TRY_COMPARE(bar->width(), width);
        QCOMPARE(bar->height(), 6);
        const QRectF actual = bar->indicatorRect();
        QVERIFY2(std::abs(actual.x() - indicator.x()) < 1e-9
                && std::abs(actual.width() - indicator.width()) < 1e-9
                && actual.height() == indicator.height(),
            qPrintable(QStringLiteral("%1 %2 %3").arg(actual.x()).arg(actual.width()).arg(actual.height())));
        QVERIFY(!bar->isSliding());

        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(bar);
        QCOMPARE(accessible->role(), QAccessible::ProgressBar);
        QCOMPARE(accessible->text(QAccessible::Name), name);
        QAccessibleValueInterface* valueInterface = accessible->valueInterface();
        QVERIFY(valueInterface);
        QCOMPARE(valueInterface->currentValue(), value);
        QCOMPARE(valueInterface->maximumValue(), QVariant(100));
    }

    void theFillShadesFromTheTintAt85PercentToTheFullTint()
    {
        Host host;
        auto* bar = host.add(new ProgressBarView(1.0, Palette::success, 8));
        bar->setFixedWidth(200);
        MV_TRY_COMPARE(bar->width(), 200);
        const QImage picture = bar->grab().toImage();
        const QColor window = host.window.palette().color(QPalette::Window);
        const QColor tint = Palette::success.resolve(bar);
        // Near the ends, off the rounding: the left is the tint over the track at 0.85, the right nearly all
        // tint.
        const QColor left = picture.pixelColor(12, 4);
        const QColor right = picture.pixelColor(188, 4);
        const QColor track = test::composite(Palette::well.resolve(bar), window);
        QVERIFY(
            test::closeColours(left, test::composite(Palette::success.opacity(0.86).resolve(bar), track), 6));
        QVERIFY(test::closeColours(right, tint, 6));
    }
};

MV_UI_TEST_MAIN(tst_StatusIndicators)
#include "tst_StatusIndicators.moc"
