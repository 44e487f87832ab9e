#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/Palette.h"

#include <QCheckBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace mv;

namespace {

// How far apart two colours are on their most different channel.
int distance(const QColor& a, const QColor& b)
{
    return std::max(
        { std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue()) });
}

} // namespace

class tst_KitStyle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // An unticked box on a card has an edge that stands apart from both the card around it and the box's own
    // inside, in either appearance; a ticked one is filled with the accent colour.
    void tickBoxesStandOutOnCards_data()
    {
        QTest::addColumn<Appearance>("appearance");
        QTest::newRow("light") << Appearance::light;
        QTest::newRow("dark") << Appearance::dark;
    }
    void tickBoxesStandOutOnCards()
    {
        QFETCH(Appearance, appearance);
        QWidget window;
        forceAppearance(&window, appearance);
        auto* card = new CardSurface(10, false, std::nullopt, &window);
        auto* column = new QVBoxLayout(card);
        column->setContentsMargins(16, 16, 16, 16);
        auto* unticked = new QCheckBox(QStringLiteral("Show disabled"), card);
        auto* ticked = new QCheckBox(QStringLiteral("I understand"), card);
        ticked->setChecked(true);
        column->addWidget(unticked);
        column->addWidget(ticked);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(20, 20, 20, 20);
        layout->addWidget(card);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // Where a box's tick box is drawn, in the card's coordinates.
        const auto indicator = [card](QCheckBox* box) {
            QStyleOptionButton option;
            option.initFrom(box);
            return box->style()
                ->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box)
                .translated(box->mapTo(card, QPoint(0, 0)));
        };
        const QImage picture = card->grab().toImage();
        const QRect box = indicator(unticked);
        const int y = box.center().y();
        const QColor outside = picture.pixelColor(box.left() - 3, y);
        const QColor inside = picture.pixelColor(box.center());
        int edge = 0;
        for (int x = box.left(); x <= box.left() + 2; ++x)
            edge = std::max(edge,
                std::min(
                    distance(picture.pixelColor(x, y), inside), distance(picture.pixelColor(x, y), outside)));
        QVERIFY2(edge >= 20, qPrintable(QStringLiteral("the edge stands %1 apart").arg(edge)));

        const QRect tickedBox = indicator(ticked);
        QVERIFY(test::closeColours(picture.pixelColor(tickedBox.center().x(), tickedBox.top() + 1),
            Palette::accent.resolve(ticked), 8));
        if (appearance == Appearance::light)
            QVERIFY(test::saveLightAndDark(window, QStringLiteral("kit-tick-boxes")));
    }
};

MV_UI_TEST_MAIN(tst_KitStyle)
#include "tst_KitStyle.moc"
