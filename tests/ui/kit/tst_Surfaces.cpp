#include "support/ui/UiTestMain.h"
#include "ui/kit/AppMark.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/ContinuousShape.h"
#include "ui/kit/CountCapsule.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextField.h"

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>

using namespace mv;

class tst_Surfaces : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aTextFieldReportsEveryKeystroke()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* named = new TextField(QStringLiteral("Backup name"), QString(), QStringLiteral("tag"));
        auto* plain = new TextField(QStringLiteral("Search"), QStringLiteral("photos"), std::nullopt);
        layout->addWidget(named);
        layout->addWidget(plain);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(named->height(), 27);
        QCOMPARE(named->placeholder(), QStringLiteral("Backup name"));
        QVERIFY(named->symbolImage());
        QVERIFY(!plain->symbolImage());
        // Without a glyph the text starts right after the 8 px padding.
        QCOMPARE(plain->lineEdit()->x(), 8);
        QVERIFY(named->lineEdit()->x() > named->symbolImage()->geometry().right());

        QSignalSpy edits(named, &TextField::textChanged);
        named->setFocus();
        QTest::keyClicks(named->lineEdit(), QStringLiteral("Docs"));
        QCOMPARE(edits.count(), 4);
        QCOMPARE(edits.last().first().toString(), QStringLiteral("Docs"));
        QCOMPARE(named->text(), QStringLiteral("Docs"));
    }

    void aSectionHeaderShowsItsCaptionCountAndAction_data()
    {
        QTest::addColumn<std::optional<qint64>>("count");
        QTest::addColumn<bool>("hasSymbol");
        QTest::addColumn<bool>("hasAction");
        QTest::addColumn<std::optional<QString>>("help");
        QTest::addColumn<bool>("button");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("count, symbol and action")
            << std::optional<qint64>(12) << true << true << std::optional<QString>() << true << "Backups";
        QTest::newRow("count zero, with help")
            << std::optional<qint64>(0) << true << true << std::optional<QString>("Add Backup") << true
            << "Add Backup";
        QTest::newRow("symbol without action")
            << std::optional<qint64>() << true << false << std::optional<QString>() << false << "";
        QTest::newRow("action without symbol")
            << std::optional<qint64>() << false << true << std::optional<QString>() << false << "";
    }

    void aSectionHeaderShowsItsCaptionCountAndAction()
    {
        QFETCH(std::optional<qint64>, count);
        QFETCH(bool, hasSymbol);
        QFETCH(bool, hasAction);
        QFETCH(std::optional<QString>, help);
        QFETCH(bool, button);
        QFETCH(QString, tooltip);
        int actions = 0;
        SectionHeader header(QStringLiteral("Backups"), count,
            hasSymbol ? std::optional(QStringLiteral("plus")) : std::nullopt, help,
            hasAction ? std::function<void()>([&] { ++actions; }) : std::function<void()>());
        header.show();
        QVERIFY(QTest::qWaitForWindowExposed(&header));

        QCOMPARE(header.caption(), QStringLiteral("BACKUPS"));
        QCOMPARE(header.countCapsule()->isVisible(), count.has_value());
        if (count)
            QCOMPARE(QAccessible::queryAccessibleInterface(header.countCapsule())->text(QAccessible::Name),
                QString::number(*count));
        QCOMPARE(header.actionButton() != nullptr, button);
        if (!button)
            return;
        QCOMPARE(header.actionButton()->toolTip(), tooltip);
        QCOMPARE(header.actionButton()->size(), QSize(24, 24));
        QTest::mouseClick(header.actionButton(), Qt::LeftButton);
        QCOMPARE(actions, 1);
    }

    void theAppMarkScalesWithItsSize_data()
    {
        QTest::addColumn<qreal>("size");
        QTest::addColumn<qreal>("radius");
        QTest::addColumn<qreal>("glyph");
        QTest::newRow("20") << 20.0 << 5.0 << 9.2;
        QTest::newRow("40") << 40.0 << 10.0 << 18.4;
    }

    void theAppMarkScalesWithItsSize()
    {
        QFETCH(qreal, size);
        QFETCH(qreal, radius);
        QFETCH(qreal, glyph);
        AppMark mark(size);
        QCOMPARE(mark.size(), QSize(int(size), int(size)));
        QVERIFY(qFuzzyCompare(mark.cornerRadius(), radius));
        QVERIFY(qFuzzyCompare(mark.glyphSize(), glyph));
        QVERIFY(QAccessible::queryAccessibleInterface(&mark)->state().invisible);
        // The gradient runs from the brand's top colour at the upper left to its bottom colour at the lower
        // right.
        forceAppearance(&mark, Appearance::light);
        const QImage picture = mark.grab().toImage();
        const int inset = int(size * 0.3);
        const QColor upper = picture.pixelColor(inset, inset / 3);
        const QColor lower = picture.pixelColor(int(size) - inset, int(size) - 1 - inset / 3);
        QVERIFY(upper.green() > lower.green());
        QVERIFY(upper.blue() < lower.blue());
    }

    void aCardFillsAndBordersByItsState_data()
    {
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<std::optional<PaletteColor>>("tint");
        QTest::addColumn<PaletteColor>("fill");
        QTest::addColumn<PaletteColor>("border");
        QTest::newRow("plain") << false << std::optional<PaletteColor>() << Palette::card
                               << Palette::hairline;
        QTest::newRow("highlighted") << true << std::optional<PaletteColor>() << Palette::cardRaised
                                     << Palette::hairlineStrong;
        QTest::newRow("tinted") << false << std::optional(Palette::accent.opacity(0.08))
                                << Palette::accent.opacity(0.08) << Palette::hairline;
        QTest::newRow("tinted and highlighted") << true << std::optional(Palette::danger.opacity(0.08))
                                                << Palette::danger.opacity(0.08) << Palette::hairlineStrong;
    }

    void aCardFillsAndBordersByItsState()
    {
        QFETCH(bool, highlighted);
        QFETCH(std::optional<PaletteColor>, tint);
        QFETCH(PaletteColor, fill);
        QFETCH(PaletteColor, border);
        for (const auto appearance : { Appearance::light, Appearance::dark }) {
            QWidget window;
            forceAppearance(&window, appearance);
            auto* content = new QWidget(&window);
            content->setFixedSize(120, 60);
            CardSurface* card = cardSurface(content, 12, highlighted, tint);
            QCOMPARE(card->parentWidget(), &window);
            QCOMPARE(content->parentWidget(), card);
            QCOMPARE(card->fillColor(), fill.resolve(appearance));
            QCOMPARE(card->borderColor(), border.resolve(appearance));
            card->adjustSize();
            QCOMPARE(card->size(), QSize(120, 60));
        }
    }

    void continuousCornersReachFurtherThanCircularOnes()
    {
        const QRectF rect(0, 0, 100, 60);
        const QPainterPath continuous = continuousRoundedRect(rect, 10);
        QPainterPath circular;
        circular.addRoundedRect(rect, 10, 10);
        // 8 px along the edge from the corner a circular arc has nearly reached the edge, while a continuous
        // corner is still curving in; at the corner's middle both keep the same distance from the corner.
        QVERIFY(circular.contains(QPointF(8, 0.3)));
        QVERIFY(!continuous.contains(QPointF(8, 0.3)));
        QVERIFY(continuous.contains(QPointF(3.2, 3.2)));
        QVERIFY(!continuous.contains(QPointF(2.6, 2.6)));
        // A radius of half the height makes a capsule; a larger one is clamped to it.
        QCOMPARE(continuousRoundedRect(rect, 500).boundingRect(), rect);
        QVERIFY(continuousRoundedRect(rect, 0).contains(QPointF(0.1, 0.1)));
    }
};

MV_UI_TEST_MAIN(tst_Surfaces)
#include "tst_Surfaces.moc"
