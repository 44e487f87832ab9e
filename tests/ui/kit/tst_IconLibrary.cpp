#include "support/ui/UiTestMain.h"
#include "ui/kit/IconLibrary.h"

#include <QPainter>

using namespace mv;

namespace {

struct Ink {
    int pixels = 0;
    QRect bounds;
};

// Paints `name` into a box inside a larger transparent picture and measures where the ink went.
Ink paintAndMeasure(
    const QString& name, const QColor& colour, const QRect& box, SymbolWeight weight = SymbolWeight::regular)
{
    QImage picture(QSize(box.right() + 9, box.bottom() + 9), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        IconLibrary::paint(painter, box, name, colour, weight);
    }
    Ink ink;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(picture.pixel(x, y)) > 0) {
                ++ink.pixels;
                ink.bounds = ink.bounds.united(QRect(x, y, 1, 1));
            }
    return ink;
}

} // namespace

class tst_IconLibrary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everySymbolPaintsInsideItsBoxInBothInks_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : IconLibrary::names())
            QTest::newRow(qPrintable(name)) << name;
    }

    void everySymbolPaintsInsideItsBoxInBothInks()
    {
        QFETCH(QString, name);
        QVERIFY(IconLibrary::contains(name));
        for (const QColor& colour : { QColor(Qt::black), QColor(Qt::white) }) {
            for (const QRect& box : { QRect(8, 8, 24, 24), QRect(8, 8, 72, 72) }) {
                const Ink ink = paintAndMeasure(name, colour, box);
                QVERIFY2(ink.pixels > box.width(), qPrintable(QStringLiteral("%1 pixels").arg(ink.pixels)));
                QVERIFY2(box.contains(ink.bounds),
                    qPrintable(QStringLiteral("ink spills to %1,%2 %3x%4")
                                   .arg(ink.bounds.x())
                                   .arg(ink.bounds.y())
                                   .arg(ink.bounds.width())
                                   .arg(ink.bounds.height())));
            }
        }
    }

    void theListHoldsTheNamesTheStatusesAndSectionsUse()
    {
        // A sample from every family the views draw: statuses, preflight failures, sections and settings
        // tabs.
        for (const char* name :
            { "externaldrive.badge.xmark", "checkmark.circle.fill", "arrow.triangle.2.circlepath",
                "clock.badge.exclamationmark", "person.crop.circle.badge.questionmark", "network.slash",
                "folder.badge.gearshape", "externaldrive.connected.to.line.below", "wrench.and.screwdriver",
                "bell", "tray", "server.rack" })
            QVERIFY2(IconLibrary::contains(QString::fromLatin1(name)), name);
        QVERIFY(std::is_sorted(IconLibrary::names().begin(), IconLibrary::names().end()));
    }

    void anUnknownNameShowsAVisiblePlaceholder()
    {
        QVERIFY(!IconLibrary::contains(QStringLiteral("no.such.symbol")));
        QVERIFY(
            paintAndMeasure(QStringLiteral("no.such.symbol"), Qt::black, QRect(8, 8, 24, 24)).pixels > 24);
    }

    void weightsMakeLinesHeavier()
    {
        const auto area = [](SymbolWeight weight) {
            return paintAndMeasure(QStringLiteral("circle"), Qt::black, QRect(8, 8, 72, 72), weight).pixels;
        };
        QVERIFY(area(SymbolWeight::light) < area(SymbolWeight::regular));
        QVERIFY(area(SymbolWeight::regular) < area(SymbolWeight::semibold));
    }
};

MV_UI_TEST_MAIN(tst_IconLibrary)
#include "tst_IconLibrary.moc"
