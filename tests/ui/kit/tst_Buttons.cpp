#include "support/IntegrationTimeout.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"

#include <QAccessible>
#include <QHBoxLayout>

using namespace mv;

Q_DECLARE_METATYPE(mv::MVButtonKind)

namespace {

// A shown window holding one button, in the light appearance.
struct Host {
    QWidget window;
    QWidget* container = new QWidget(&window);

    Host()
    {
        forceAppearance(&window, Appearance::light);
        window.setAutoFillBackground(true);
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(container);
        new QHBoxLayout(container);
    }

    template <typename Button> Button* add(Button* button)
    {
        container->layout()->addWidget(button);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the test window did not come up");
        return button;
    }
};

// The colour painted at the left middle of a button, inside its border.
QColor fillPixel(QWidget* button)
{
    return button->grab().toImage().pixelColor(4, button->height() / 2);
}

} // namespace

class tst_Buttons : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clicksRunTheActionOnlyWhenTheButtonCanBeUsed_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("parentEnabled");
        QTest::addColumn<int>("runs");
        QTest::addColumn<qreal>("opacity");
        QTest::newRow("enabled") << true << false << true << 1 << 1.0;
        QTest::newRow("disabled") << false << false << true << 0 << 0.45;
        QTest::newRow("busy") << true << true << true << 0 << 1.0;
        QTest::newRow("disabled and busy") << false << true << true << 0 << 0.45;
        QTest::newRow("inside a disabled parent") << true << false << false << 0 << 0.45;
    }

    void clicksRunTheActionOnlyWhenTheButtonCanBeUsed()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, busy);
        QFETCH(bool, parentEnabled);
        QFETCH(int, runs);
        QFETCH(qreal, opacity);
        Host host;
        int actions = 0;
        auto* button = host.add(new MVButton(QStringLiteral("Run Now"), QStringLiteral("play.fill"),
            MVButtonKind::primary, enabled, busy, [&] { ++actions; }));
        host.container->setEnabled(parentEnabled);

        QTest::mouseClick(button, Qt::LeftButton);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(actions, 3 * runs);
        QCOMPARE(button->contentOpacity(), opacity);

        QCOMPARE(accessible->role(), QAccessible::Button);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Run Now"));
        QCOMPARE(accessible->state().disabled, !(enabled && parentEnabled));
        QCOMPARE(bool(accessible->state().busy), busy);
    }

    void aClickInACornerOutsideTheRoundingDoesNotCount()
    {
        Host host;
        int actions = 0;
        auto* button = host.add(new MVButton(
            QStringLiteral("Add"), std::nullopt, MVButtonKind::secondary, true, false, [&] { ++actions; }));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(actions, 0);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(2, button->height() / 2));
        QCOMPARE(actions, 1);
    }

    void aButtonIs27HighAndPaddedByKind()
    {
        MVButton quiet(QStringLiteral("Cancel"), std::nullopt, MVButtonKind::quiet, true, false, {});
        MVButton secondary(QStringLiteral("Cancel"), std::nullopt, MVButtonKind::secondary, true, false, {});
        QCOMPARE(quiet.sizeHint().height(), 27);
        QCOMPARE(secondary.sizeHint().width() - quiet.sizeHint().width(), 8);
        // A busy button's spinner takes the symbol's place and a little less room.
        MVButton symbol(
            QStringLiteral("Run"), QStringLiteral("play.fill"), MVButtonKind::primary, true, false, {});
        MVButton busy(
            QStringLiteral("Run"), QStringLiteral("play.fill"), MVButtonKind::primary, true, true, {});
        QCOMPARE(symbol.sizeHint().width() - busy.sizeHint().width(), 1);
    }

    void hoveringChangesTheFillByKind_data()
    {
        QTest::addColumn<MVButtonKind>("kind");
        QTest::addColumn<PaletteColor>("rest");
        QTest::addColumn<PaletteColor>("hover");
        QTest::newRow("primary") << MVButtonKind::primary << Palette::accent << Palette::accent.opacity(0.9);
        QTest::newRow("secondary") << MVButtonKind::secondary << Palette::card << Palette::cardRaised;
        QTest::newRow("quiet") << MVButtonKind::quiet << PaletteColor(QColor(Qt::transparent))
                               << Palette::well;
        QTest::newRow("destructive") << MVButtonKind::destructive << Palette::card
                                     << Palette::danger.opacity(0.1);
    }

    void hoveringChangesTheFillByKind()
    {
        QFETCH(MVButtonKind, kind);
        QFETCH(PaletteColor, rest);
        QFETCH(PaletteColor, hover);
        Host host;
        auto* other = host.add(new MVButton(QStringLiteral("Other"), std::nullopt, kind, true, false, {}));
        auto* button
            = host.add(new MVButton(QStringLiteral("Choose Folder…"), std::nullopt, kind, true, false, {}));
        const QColor window = host.window.palette().color(QPalette::Window);

        QVERIFY(test::closeColours(fillPixel(button), test::composite(rest.resolve(button), window)));
        QTest::mouseMove(button);
        MV_TRY_VERIFY(test::closeColours(fillPixel(button), test::composite(hover.resolve(button), window)));
        QTest::mouseMove(other);
        MV_TRY_VERIFY(test::closeColours(fillPixel(button), test::composite(rest.resolve(button), window)));
    }

    void anIconButtonsGlyphFollowsItsSizeAndColours()
    {
        Host host;
        int actions = 0;
        auto* plain = host.add(new IconButton(QStringLiteral("gearshape"), QStringLiteral("Settings"), false,
            std::nullopt, 24, [&] { ++actions; }));
        auto* active = host.add(new IconButton(
            QStringLiteral("sidebar.right"), QStringLiteral("Inspector"), true, std::nullopt, 24, {}));
        auto* tinted = host.add(new IconButton(QStringLiteral("power"), QStringLiteral("Quit Marrowvale"),
            true, Palette::labelSecondary, 24, {}));

        QCOMPARE(plain->size(), QSize(24, 24));
        QVERIFY(qFuzzyCompare(plain->glyphSize(), 11.04));
        QCOMPARE(plain->glyphColor(), Palette::labelSecondary.resolve(plain));
        QCOMPARE(active->glyphColor(), Palette::accent.resolve(active));
        QCOMPARE(tinted->glyphColor(), Palette::labelSecondary.resolve(tinted));

        // Every painted pixel of the glyph lies in its box; the hover well fills the corners of the square.
        const QImage picture = plain->grab().toImage();
        const QRect box = plain->glyphRect().toAlignedRect();
        int inked = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixelColor(x, y) != host.window.palette().color(QPalette::Window)) {
                    ++inked;
                    QVERIFY2(box.contains(x, y), qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
                }
        QVERIFY(inked > 10);

        QTest::mouseClick(plain, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(actions, 1);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(plain);
        QCOMPARE(accessible->role(), QAccessible::Button);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Settings"));
        QCOMPARE(accessible->text(QAccessible::Description), QStringLiteral("Settings"));
        QCOMPARE(plain->toolTip(), QStringLiteral("Settings"));
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(actions, 2);
    }

    void pressingShrinksTheButtonAndReleasingRestoresIt()
    {
        Host host;
        auto* button = host.add(new MVButton(
            QStringLiteral("Pause"), QStringLiteral("pause.fill"), MVButtonKind::secondary, true, false, {}));
        QTest::mousePress(button, Qt::LeftButton);
        MV_TRY_COMPARE(button->pressStyle().scale(), 0.975);
        QTest::mouseRelease(button, Qt::LeftButton);
        MV_TRY_COMPARE(button->pressStyle().scale(), 1.0);
    }
};

MV_UI_TEST_MAIN(tst_Buttons)
#include "tst_Buttons.moc"
