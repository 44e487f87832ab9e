#include "support/ui/UiTestMain.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TypeScale.h"

using namespace mv;

namespace {

// A name too long for any screen, distinct at both ends so each kind of elision shows its own side.
QString longName(qsizetype middle)
{
    return QStringLiteral("Start-") + QString(middle, QLatin1Char('m')) + QStringLiteral("-End");
}

} // namespace

class tst_ElidedLabel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void longTextIsShownAsTheWholeTextWouldBe_data()
    {
        QTest::addColumn<Qt::TextElideMode>("mode");
        QTest::newRow("end") << Qt::ElideRight;
        QTest::newRow("start") << Qt::ElideLeft;
        QTest::newRow("middle") << Qt::ElideMiddle;
    }

    // A name of millions of characters once held the main thread in sizeHint for minutes: the label measures
    // only what it can show, so its size stops growing with the text, and what it shows is unchanged.
    void longTextIsShownAsTheWholeTextWouldBe()
    {
        QFETCH(Qt::TextElideMode, mode);
        const QString huge = longName(200'000);
        ElidedLabel label(huge, kitFont(13), Palette::label, mode);
        ElidedLabel longer(longName(400'000), kitFont(13), Palette::label, mode);
        QCOMPARE(label.sizeHint(), longer.sizeHint());
        QCOMPARE(label.text(), huge);
        QCOMPARE(label.accessibleName(), huge);

        for (const int width : { 120, 900 }) {
            label.resize(width, label.sizeHint().height());
            QCOMPARE(label.elidedText(), label.fontMetrics().elidedText(huge, mode, width));
        }
    }
};

MV_UI_TEST_MAIN(tst_ElidedLabel)
#include "tst_ElidedLabel.moc"
