#include "shell/MenuBarIconController.h"
#include "shell/TrayInk.h"
#include "support/ManualClock.h"
#include "support/ui/ContrastRatio.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"

#include <QDir>
#include <QPainter>
#include <QtTest>

using namespace mv;
using Kind = MenuBarIconController::Kind;

Q_DECLARE_METATYPE(AggregateStatus)

namespace {

constexpr qreal scale = 4; // probes land on whole pixels of the glyph's own coordinates

// The opacity of the glyph at (x, y) in its own coordinates (origin at the bottom left).
int alphaAt(const QImage& image, double x, double y)
{
    return qAlpha(image.pixel(int(x * scale), int((MenuBarIconController::side - y) * scale)));
}

QImage glyph(Kind kind, double angle = 0)
{
    return MenuBarIconController::draw(kind, angle, Qt::black, scale);
}

} // namespace

class tst_MenuBarIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void kindOfEachStatus_data()
    {
        QTest::addColumn<AggregateStatus>("status");
        QTest::addColumn<Kind>("kind");
        using S = AggregateStatus::Kind;
        QTest::newRow("running") << AggregateStatus::running(0.4, "Docs") << Kind::running;
        QTest::newRow("running, no progress")
            << AggregateStatus::running(std::nullopt, "Docs") << Kind::running;
        QTest::newRow("paused") << AggregateStatus::paused("Docs") << Kind::paused;
        QTest::newRow("empty") << AggregateStatus::of(S::empty) << Kind::idle;
        QTest::newRow("ready") << AggregateStatus::of(S::ready) << Kind::idle;
        QTest::newRow("idle") << AggregateStatus::of(S::idle) << Kind::idle;
        QTest::newRow("waiting") << AggregateStatus::of(S::waiting) << Kind::waiting;
        QTest::newRow("failed") << AggregateStatus::of(S::failed) << Kind::error;
        QTest::newRow("offline") << AggregateStatus::of(S::offline) << Kind::offline;
        QTest::newRow("disabled") << AggregateStatus::of(S::disabled) << Kind::disabled;
    }
    void kindOfEachStatus()
    {
        QFETCH(AggregateStatus, status);
        QFETCH(Kind, kind);
        test::ManualClock clock;
        const MenuBarIconController controller(clock);
        QCOMPARE(controller.kindFor(status), kind);
    }

    // Every glyph and the twelve spin frames on one sheet for a reviewer, and probes where each glyph must
    // be drawn and must not.
    void glyphsAreDrawnFromTheirCoordinates()
    {
        const QList<Kind> kinds { Kind::idle, Kind::running, Kind::paused, Kind::error, Kind::offline,
            Kind::waiting, Kind::completed, Kind::disabled };
        const int cell = int(MenuBarIconController::side * scale) + 8;
        QImage sheet(cell * 12, cell * 2, QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        for (int i = 0; i < kinds.size(); ++i)
            painter.drawImage(QPointF(i * cell + 4, 4), glyph(kinds[i]));
        for (int frame = 0; frame < 12; ++frame)
            painter.drawImage(QPointF(frame * cell + 4, cell + 4), glyph(Kind::running, -32.0 * frame));
        painter.end();
        QVERIFY(sheet.save(QDir(test::screenshotFolder()).filePath("tray-glyphs.png")));

        QCOMPARE(alphaAt(glyph(Kind::idle), 9, 9), 0); // the arrow's centre is empty
        QCOMPARE(alphaAt(glyph(Kind::idle), 2.8, 9), 255); // its arc passes 180°
        QVERIFY(qAbs(alphaAt(glyph(Kind::disabled), 2.8, 9) - 115) <= 3); // the same arc at 45 %
        QCOMPARE(alphaAt(glyph(Kind::idle), 15.2, 9), 0); // the gap between 326° and 28°
        QCOMPARE(alphaAt(glyph(Kind::running), 9, 9), 255); // the dot
        QCOMPARE(alphaAt(glyph(Kind::paused), 7.1, 9), 255);
        QCOMPARE(alphaAt(glyph(Kind::paused), 9.1, 9), 0); // between the bars
        QCOMPARE(alphaAt(glyph(Kind::error), 9, 8.6), 255); // the stem
        QCOMPARE(alphaAt(glyph(Kind::error), 9, 5.4), 255); // the dot
        QCOMPARE(alphaAt(glyph(Kind::offline), 9, 9), 255); // the slash
        QCOMPARE(alphaAt(glyph(Kind::waiting), 9, 11), 255); // the long hand
        QCOMPARE(alphaAt(glyph(Kind::waiting), 7, 9), 0);
        QCOMPARE(alphaAt(glyph(Kind::completed), 7.2, 5.8), 255); // the check's corner
        // The arc covers 236° from its angle counter-clockwise: the top (90°) at angle 0, not at −192°.
        QCOMPARE(alphaAt(glyph(Kind::running, 0), 9, 15.4), 255);
        QCOMPARE(alphaAt(glyph(Kind::running, -192), 9, 15.4), 0);
    }

    // With the panel's colour unknown (no tray host says it), every glyph but the faded one reads on a light
    // and on a dark panel alike: a good part of it stands out by at least 4.5:1, at the size the tray shows.
    void glyphsReadOnAnyPanel_data()
    {
        QTest::addColumn<QColor>("panel");
        QTest::newRow("white") << QColor(Qt::white);
        QTest::newRow("light grey") << QColor(0xdc, 0xda, 0xd5);
        QTest::newRow("dark grey") << QColor(0x1f, 0x1f, 0x1f);
        QTest::newRow("black") << QColor(Qt::black);
    }

    void glyphsReadOnAnyPanel()
    {
        QFETCH(QColor, panel);
        const TrayInk ink = TrayInk::forTray();
        const QList<Kind> kinds { Kind::idle, Kind::running, Kind::paused, Kind::error, Kind::offline,
            Kind::waiting, Kind::completed, Kind::disabled };
        const int cell = int(MenuBarIconController::side * scale) + 8;
        QImage sheet(cell * int(kinds.size()), cell, QImage::Format_RGB32);
        sheet.fill(panel);
        QPainter sheetPainter(&sheet);
        for (int i = 0; i < kinds.size(); ++i)
            sheetPainter.drawImage(QPointF(i * cell + 4, 4),
                MenuBarIconController::draw(kinds[i], 0, ink.glyph, scale, ink.ring));
        sheetPainter.end();
        QVERIFY(sheet.save(
            QDir(test::screenshotFolder())
                .filePath("tray-glyphs-on-" + QString(QTest::currentDataTag()).replace(' ', '-') + ".png")));

        for (const Kind kind : kinds.first(7)) {
            QImage shown(MenuBarIconController::side, MenuBarIconController::side, QImage::Format_RGB32);
            shown.fill(panel);
            QPainter painter(&shown);
            painter.drawImage(0, 0, MenuBarIconController::draw(kind, 0, ink.glyph, 1, ink.ring));
            painter.end();
            const double contrast = test::contrastOfStrongest(shown, panel, 20);
            QVERIFY2(
                contrast >= 4.5, qPrintable(QStringLiteral("glyph %1: %2").arg(int(kind)).arg(contrast)));
        }
    }

    // The spin steps every 220 ms, twelve steps a turn, only while a run is shown; it goes on where it
    // stopped.
    void spinsWhileRunning()
    {
        test::ManualClock clock;
        MenuBarIconController controller(clock);
        int ticks = 0;
        controller.onTick = [&ticks] { ++ticks; };
        const AggregateStatus running = AggregateStatus::running(0.5, "Docs");
        controller.image(running, Qt::black);
        QVERIFY(controller.isSpinning());
        clock.advance(MenuBarIconController::spinInterval);
        QCOMPARE(ticks, 1);
        QCOMPARE(controller.angle(), -32.0);
        clock.advance(MenuBarIconController::spinInterval * 10);
        QCOMPARE(controller.angle(), -352.0);
        clock.advance(MenuBarIconController::spinInterval);
        QCOMPARE(controller.angle(), 0.0);
        QCOMPARE(ticks, 12);

        clock.advance(MenuBarIconController::spinInterval * 3);
        controller.image(AggregateStatus::of(AggregateStatus::Kind::idle), Qt::black);
        QVERIFY(!controller.isSpinning());
        clock.advance(std::chrono::seconds(5));
        QCOMPARE(ticks, 15);
        QCOMPARE(controller.angle(), -96.0);
        controller.image(running, Qt::black);
        clock.advance(MenuBarIconController::spinInterval);
        QCOMPARE(controller.angle(), -128.0);
    }

    // After a run the check mark shows 4 s, the triangle 8 s, each redrawn just after; a later ending
    // replaces an earlier one, and a run going on shows the spinner whatever the transient.
    void transientsAfterARun()
    {
        using namespace std::chrono_literals;
        test::ManualClock clock;
        MenuBarIconController controller(clock);
        int ticks = 0;
        controller.onTick = [&ticks] { ++ticks; };
        const AggregateStatus idle = AggregateStatus::of(AggregateStatus::Kind::idle);

        controller.noteRunFinished(true);
        QCOMPARE(controller.kindFor(idle), Kind::completed);
        QCOMPARE(controller.kindFor(AggregateStatus::running(0.1, "Docs")), Kind::running);
        clock.advance(4000ms);
        QCOMPARE(controller.kindFor(idle), Kind::idle);
        QCOMPARE(ticks, 0);
        clock.advance(100ms);
        QCOMPARE(ticks, 1);

        controller.noteRunFinished(false);
        clock.advance(3000ms);
        controller.noteRunFinished(true); // replaces the triangle and its redraw
        QCOMPARE(controller.kindFor(idle), Kind::completed);
        clock.advance(4100ms);
        QCOMPARE(ticks, 2);
        QCOMPARE(controller.kindFor(AggregateStatus::of(AggregateStatus::Kind::failed)), Kind::error);
        clock.advance(10s);
        QCOMPARE(ticks, 2);

        controller.noteRunFinished(false);
        clock.advance(7999ms);
        QCOMPARE(controller.kindFor(idle), Kind::error);
        clock.advance(101ms);
        QCOMPARE(controller.kindFor(idle), Kind::idle);
        QCOMPARE(ticks, 3);
    }
};

MV_UI_TEST_MAIN(tst_MenuBarIcon)
#include "tst_MenuBarIcon.moc"
