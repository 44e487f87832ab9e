#include "support/IntegrationTimeout.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QVBoxLayout>

using namespace mv;

Q_DECLARE_METATYPE(mv::PaletteRole)

namespace {

struct Rgba {
    int red;
    int green;
    int blue;
    double opacity;
};

void compareColour(const QColor& actual, Rgba expected)
{
    QCOMPARE(actual.red(), expected.red);
    QCOMPARE(actual.green(), expected.green);
    QCOMPARE(actual.blue(), expected.blue);
    QVERIFY2(std::abs(actual.alphaF() - expected.opacity) < 1e-3,
        qPrintable(QStringLiteral("opacity %1, expected %2").arg(actual.alphaF()).arg(expected.opacity)));
}

} // namespace

class tst_Palette : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void adaptiveColoursInBothAppearances_data()
    {
        QTest::addColumn<PaletteRole>("role");
        QTest::addColumn<QList<double>>("light");
        QTest::addColumn<QList<double>>("dark");
        const auto row = [](const char* name, PaletteRole role, QList<double> light, QList<double> dark) {
            QTest::newRow(name) << role << light << dark;
        };
        row("card", PaletteRole::card, { 255, 255, 255, 0.8 }, { 255, 255, 255, 0.06 });
        row("cardRaised", PaletteRole::cardRaised, { 255, 255, 255, 0.96 }, { 255, 255, 255, 0.1 });
        row("well", PaletteRole::well, { 11, 18, 32, 0.045 }, { 255, 255, 255, 0.055 });
        row("hairline", PaletteRole::hairline, { 11, 18, 32, 0.08 }, { 255, 255, 255, 0.09 });
        row("hairlineStrong", PaletteRole::hairlineStrong, { 11, 18, 32, 0.15 }, { 255, 255, 255, 0.16 });
        row("panelTint", PaletteRole::panelTint, { 246, 247, 249, 0.55 }, { 20, 23, 28, 0.42 });
        row("panelFooter", PaletteRole::panelFooter, { 242, 244, 247, 1 }, { 16, 19, 24, 1 });
        row("success", PaletteRole::success, { 36, 138, 61, 1 }, { 48, 209, 88, 1 });
        row("warning", PaletteRole::warning, { 178, 80, 0, 1 }, { 255, 159, 10, 1 });
        row("danger", PaletteRole::danger, { 215, 0, 21, 1 }, { 255, 69, 58, 1 });
        row("idle", PaletteRole::idle, { 138, 138, 142, 1 }, { 142, 142, 147, 1 });
        row("offline", PaletteRole::offline, { 94, 92, 230, 1 }, { 125, 122, 255, 1 });
        row("brandTop", PaletteRole::brandTop, { 52, 199, 180, 1 }, { 58, 214, 192, 1 });
        row("brandBottom", PaletteRole::brandBottom, { 47, 124, 246, 1 }, { 76, 147, 255, 1 });
        row("labelSecondary", PaletteRole::labelSecondary, { 92, 92, 97, 1 }, { 161, 161, 166, 1 });
        row("labelTertiary", PaletteRole::labelTertiary, { 110, 110, 115, 1 }, { 152, 152, 157, 1 });
        row("onAccent", PaletteRole::onAccent, { 255, 255, 255, 1 }, { 255, 255, 255, 1 });
        row("panelShadow", PaletteRole::panelShadow, { 0, 0, 0, 0.28 }, { 0, 0, 0, 0.28 });
    }

    void adaptiveColoursInBothAppearances()
    {
        QFETCH(PaletteRole, role);
        QFETCH(QList<double>, light);
        QFETCH(QList<double>, dark);
        compareColour(Palette::color(role, Appearance::light),
            { int(light[0]), int(light[1]), int(light[2]), light[3] });
        compareColour(
            Palette::color(role, Appearance::dark), { int(dark[0]), int(dark[1]), int(dark[2]), dark[3] });
    }

    void accentAndLabelComeFromThePaletteBeingPainted()
    {
        QPalette custom = appearancePalette(Appearance::dark);
        custom.setColor(QPalette::Highlight, QColor(200, 30, 120));
        QCOMPARE(Palette::color(PaletteRole::accent, custom), QColor(200, 30, 120));
        QCOMPARE(Palette::color(PaletteRole::label, custom), custom.color(QPalette::WindowText));
        // The user's accent survives a forced appearance.
        QCOMPARE(Palette::color(PaletteRole::accent, Appearance::dark),
            Palette::color(PaletteRole::accent, Appearance::light));
        QVERIFY(std::abs(Palette::accent.opacity(0.12).resolve(Appearance::light).alphaF() - 0.12) < 1e-3);
    }

    void aForcedChildShowsTheOtherAppearanceFromTheSameColours_data()
    {
        QTest::addColumn<bool>("windowDark");
        QTest::newRow("dark card in a light window") << false;
        QTest::newRow("light card in a dark window") << true;
    }

    void aForcedChildShowsTheOtherAppearanceFromTheSameColours()
    {
        QFETCH(bool, windowDark);
        const Appearance outer = windowDark ? Appearance::dark : Appearance::light;
        const Appearance inner = windowDark ? Appearance::light : Appearance::dark;
        QWidget window;
        forceAppearance(&window, outer);
        auto* layout = new QVBoxLayout(&window);
        auto* plain = new CardSurface(10, false, std::nullopt, &window);
        auto* forced = new CardSurface(10, false, std::nullopt, &window);
        auto* forcedLabel
            = new TextLabel(QStringLiteral("Inside"), kitFont(13), Palette::labelSecondary, forced);
        forceAppearance(forced, inner);
        layout->addWidget(plain);
        layout->addWidget(forced);

        QCOMPARE(effectiveAppearance(plain), outer);
        QCOMPARE(effectiveAppearance(forcedLabel), inner);
        QCOMPARE(plain->fillColor(), Palette::color(PaletteRole::card, outer));
        QCOMPARE(forced->fillColor(), Palette::color(PaletteRole::card, inner));
        QCOMPARE(forcedLabel->palette().color(QPalette::WindowText),
            Palette::color(PaletteRole::labelSecondary, inner));

        // Switching the window repaints the rest in the new appearance; the forced child keeps its own.
        forceAppearance(&window, inner);
        QCOMPARE(plain->fillColor(), Palette::color(PaletteRole::card, inner));
        QCOMPARE(forced->fillColor(), Palette::color(PaletteRole::card, inner));
    }

    void aLabelFollowsItsWindowIntoTheOtherAppearance()
    {
        QWidget window;
        forceAppearance(&window, Appearance::light);
        auto* label = new TextLabel(QStringLiteral("Details"), kitFont(13), Palette::labelSecondary, &window);
        QCOMPARE(label->palette().color(QPalette::WindowText),
            Palette::color(PaletteRole::labelSecondary, Appearance::light));
        forceAppearance(&window, Appearance::dark);
        QCOMPARE(label->palette().color(QPalette::WindowText),
            Palette::color(PaletteRole::labelSecondary, Appearance::dark));
        // The label owns only its text colour: its window colour still comes from the window.
        QCOMPARE(label->palette().color(QPalette::Window), window.palette().color(QPalette::Window));
    }

    void theApplicationPreferenceForcesAndRestoresTheDesktopPalette()
    {
        const QPalette desktop = QGuiApplication::palette();
        QWidget window;
        // The application's palette reaches its widgets through posted events.
        applyAppearancePreference(AppearancePreference::dark);
        MV_TRY_COMPARE(effectiveAppearance(&window), Appearance::dark);
        applyAppearancePreference(AppearancePreference::light);
        MV_TRY_COMPARE(effectiveAppearance(&window), Appearance::light);
        applyAppearancePreference(AppearancePreference::system);
        QCOMPARE(QGuiApplication::palette().color(QPalette::Window), desktop.color(QPalette::Window));
        MV_TRY_COMPARE(window.palette().color(QPalette::Window), desktop.color(QPalette::Window));
        QCOMPARE(Palette::accent.resolve(&window), desktop.color(QPalette::Active, QPalette::Highlight));
    }

    void fontsArePixelSizedInter()
    {
        const QFont font = kitFont(15, QFont::DemiBold);
        QCOMPARE(font.pixelSize(), 15);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Inter"));
    }
};

MV_UI_TEST_MAIN(tst_Palette)
#include "tst_Palette.moc"
