#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/SettingsSection.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/VisualEffectView.h"

#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>

using namespace mv;

class tst_SettingsAndEmptyState : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void anEmptyStateOffersItsButtonOnlyWithATitleAndAnAction_data()
    {
        QTest::addColumn<std::optional<QString>>("actionTitle");
        QTest::addColumn<bool>("hasAction");
        QTest::addColumn<bool>("button");
        QTest::newRow("title and action") << std::optional<QString>("Add Backup") << true << true;
        QTest::newRow("action alone") << std::optional<QString>() << true << false;
        QTest::newRow("title alone") << std::optional<QString>("Add Backup") << false << false;
    }

    void anEmptyStateOffersItsButtonOnlyWithATitleAndAnAction()
    {
        QFETCH(std::optional<QString>, actionTitle);
        QFETCH(bool, hasAction);
        QFETCH(bool, button);
        int actions = 0;
        EmptyStateView view(QStringLiteral("tray"), QStringLiteral("No backup jobs yet"),
            QStringLiteral("Add a folder and choose where its copies should live."), actionTitle,
            hasAction ? std::function<void()>([&] { ++actions; }) : std::function<void()>());
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QStringList expected { QStringLiteral("No backup jobs yet"),
            QStringLiteral("Add a folder and choose where its copies should live.") };
        if (button)
            expected << QStringLiteral("Add Backup");
        QCOMPARE(test::visibleTexts(view), expected);
        QCOMPARE(view.actionButton() != nullptr, button);
        if (!button)
            return;
        QCOMPARE(view.actionButton()->kind(), MVButtonKind::primary);
        QCOMPARE(view.actionButton()->symbol(), std::optional(QStringLiteral("plus")));
        QTest::mouseClick(view.actionButton(), Qt::LeftButton);
        QCOMPARE(actions, 1);
    }

    void anEmptyStatesMessageWrapsWithin280AndStaysCentred()
    {
        EmptyStateView view(QStringLiteral("clock"), QStringLiteral("No activity yet"),
            QStringLiteral("Runs appear here after the first backup starts. Every run is kept with its log, "
                           "its size and "
                           "what went wrong, if anything did."),
            std::nullopt, {});
        view.resize(900, 500);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QList<TextLabel*> labels = view.findChildren<TextLabel*>();
        QCOMPARE(labels.size(), 2);
        const TextLabel* message = labels.last();
        QVERIFY(message->width() <= 280);
        QVERIFY(message->height() > 2 * message->fontMetrics().height());
        QVERIFY(std::abs(message->geometry().center().x() - view.width() / 2) <= 1);
        QVERIFY(std::abs(labels.first()->geometry().center().x() - view.width() / 2) <= 1);
    }

    void aPathLabelKeepsBothEndsAndCopiesTheWholePath()
    {
        const QString path
            = QStringLiteral("/home/alex/Documents/Projects/Marrowvale/Notes/2026/December/summary.md");
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* label = new PathLabel(path, kitFont(13), Palette::labelSecondary);
        label->setFixedWidth(200);
        layout->addWidget(label);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QString shown = label->elidedText();
        QVERIFY(shown.startsWith(QStringLiteral("/home/")));
        QVERIFY(shown.endsWith(QStringLiteral("summary.md")));
        QVERIFY(shown.contains(QStringLiteral("…")));
        QCOMPARE(label->toolTip(), path);
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), path);

        QGuiApplication::clipboard()->clear();
        label->setFocus();
        QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), path);

        QGuiApplication::clipboard()->clear();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(label, &menuEvent);
        auto* menu = label->findChild<QMenu*>();
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Copy"));
        menu->actions().first()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), path);
        menu->close();
    }

    // A path label stretched across its row offers "Copy" only on the path itself; a right-click on the blank
    // beside it goes on to the row.
    void aPathLabelsMenuBelongsToItsText_data()
    {
        QTest::addColumn<int>("x"); // from the end of the text; negative: on the text
        QTest::addColumn<bool>("menu");
        QTest::newRow("first letter") << -1000 << true;
        QTest::newRow("last letter") << -2 << true;
        QTest::newRow("just beside") << 3 << false;
        QTest::newRow("far end of the row") << 1000 << false;
    }

    void aPathLabelsMenuBelongsToItsText()
    {
        QFETCH(int, x);
        QFETCH(bool, menu);
        QWidget row;
        auto* layout = new QVBoxLayout(&row);
        auto* label = new PathLabel(QStringLiteral("/media/backup"), kitFont(13), Palette::labelSecondary);
        layout->addWidget(label);
        row.setFixedWidth(400);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        const int textEnd = label->fontMetrics().horizontalAdvance(label->elidedText());
        QVERIFY(label->width() > textEnd + 100);

        const QPoint at(std::clamp(textEnd + x, 1, label->width() - 1), label->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, label->mapToGlobal(at));
        QCoreApplication::sendEvent(label, &event);
        QCOMPARE(label->findChild<QMenu*>() != nullptr, menu);
        QCOMPARE(event.isAccepted(), menu);
    }

    void settingsRowsStackOnTheirSectionsCard()
    {
        auto* accessory = new MVButton(
            QStringLiteral("Reveal"), QStringLiteral("folder"), MVButtonKind::secondary, true, false, {});
        auto* plainRow = new SettingsRow(QStringLiteral("Open at login"), std::nullopt, new QWidget);
        auto* detailRow = new SettingsRow(QStringLiteral("History file"),
            QStringLiteral(
                "SQLite database with run records, kept for as long as the retention setting says."),
            accessory);
        SettingsSection section(QStringLiteral("General"),
            QStringLiteral("How Marrowvale starts and where it lives."), { plainRow, detailRow });
        section.setFixedWidth(360);
        section.show();
        QVERIFY(QTest::qWaitForWindowExposed(&section));

        QCOMPARE(test::visibleTexts(section),
            (QStringList { QStringLiteral("General"),
                QStringLiteral("How Marrowvale starts and where it lives."), QStringLiteral("Open at login"),
                QStringLiteral("History file"),
                QStringLiteral(
                    "SQLite database with run records, kept for as long as the retention setting says."),
                QStringLiteral("Reveal") }));
        // Rows touch each other on the card; the accessory is centred against a detail that wraps.
        QCOMPARE(detailRow->y(), plainRow->geometry().bottom() + 1);
        QCOMPARE(plainRow->parentWidget(), section.card());
        QVERIFY(detailRow->detailLabel()->height() > detailRow->detailLabel()->fontMetrics().height());
        QVERIFY(std::abs(accessory->geometry().center().y() - detailRow->height() / 2) <= 1);
        QVERIFY(accessory->x() - detailRow->detailLabel()->geometry().right() >= 12);
        const auto labels = section.findChildren<TextLabel*>();
        const auto subtitle = std::find_if(labels.begin(), labels.end(), [](const TextLabel* label) {
            return label->text() == QStringLiteral("How Marrowvale starts and where it lives.");
        });
        QVERIFY(subtitle != labels.end());
        QCOMPARE(section.card()->y() - (*subtitle)->geometry().bottom(), 11);
    }

    void aVisualEffectViewIsAnOpaqueMaterialUpdatedInPlace()
    {
        QWidget window;
        forceAppearance(&window, Appearance::light);
        auto* material = new VisualEffectView(VisualEffectMaterial::popover,
            VisualEffectBlendingMode::behindWindow, VisualEffectState::followsWindowActiveState, &window);
        const QColor popover = material->materialColor();
        QCOMPARE(popover.alpha(), 255);
        material->setMaterial(VisualEffectMaterial::sidebar);
        QVERIFY(material->materialColor() != popover);
        forceAppearance(&window, Appearance::dark);
        QVERIFY(material->materialColor().lightness() < 128);
        QCOMPARE(material->grab().toImage().pixelColor(2, 2), material->materialColor());
    }
};

MV_UI_TEST_MAIN(tst_SettingsAndEmptyState)
#include "tst_SettingsAndEmptyState.moc"
