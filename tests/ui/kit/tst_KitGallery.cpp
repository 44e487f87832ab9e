#include "support/IntegrationTimeout.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "ui/kit/AppMark.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/SettingsSection.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/VisualEffectView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace mv;

namespace {

// A page of the gallery: the window colour behind, a margin around, a caption before each row.
class Page : public QWidget {
public:
    Page()
        : m_rows(new QVBoxLayout(this))
    {
        setAutoFillBackground(true);
        m_rows->setContentsMargins(20, 20, 20, 20);
        m_rows->setSpacing(14);
    }

    void addRow(const QString& caption, const QList<QWidget*>& widgets)
    {
        auto* row = new QHBoxLayout;
        row->setSpacing(16);
        auto* label = new TextLabel(caption, kitFont(12), Palette::labelTertiary, this);
        label->setFixedWidth(150);
        row->addWidget(label, 0, Qt::AlignTop);
        for (QWidget* widget : widgets) {
            widget->setParent(this);
            row->addWidget(widget, 0, Qt::AlignVCenter);
        }
        row->addStretch(1);
        m_rows->addLayout(row);
    }

private:
    QVBoxLayout* m_rows;
};

// Content for a card: a title and a line of detail, padded as the cards pad themselves.
QWidget* cardContent(const QString& title, const QString& detail)
{
    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(14, 12, 14, 12);
    stack->addWidget(new TextLabel(title, kitFont(15, QFont::DemiBold), Palette::label));
    stack->addWidget(new TextLabel(detail, kitFont(13), Palette::labelSecondary));
    return content;
}

QWidget* iconSheet(qreal size, bool withNames)
{
    auto* sheet = new QWidget;
    auto* grid = new QGridLayout(sheet);
    grid->setSpacing(withNames ? 10 : 8);
    const int columns = withNames ? 10 : 22;
    int index = 0;
    for (const QString& name : IconLibrary::names()) {
        auto* cell = new QWidget(sheet);
        auto* stack = new QVBoxLayout(cell);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(2);
        stack->addWidget(
            new SymbolImage(name, size, SymbolWeight::regular, Palette::label, cell), 0, Qt::AlignHCenter);
        if (withNames) {
            auto* caption = new ElidedLabel(name, kitFont(9), Palette::labelSecondary, Qt::ElideMiddle, cell);
            caption->setFixedWidth(100);
            stack->addWidget(caption, 0, Qt::AlignHCenter);
        }
        grid->addWidget(cell, index / columns, index % columns);
        ++index;
    }
    return sheet;
}

} // namespace

class tst_KitGallery : public QObject {
    Q_OBJECT

    void save(QWidget& page, const QString& name)
    {
        page.adjustSize();
        QVERIFY(test::saveLightAndDark(page, name));
    }

private Q_SLOTS:
    void buttons()
    {
        Page page;
        QList<MVButton*> hovered;
        QList<MVButton*> pressed;
        for (const auto& [kind, name] :
            { std::pair { MVButtonKind::primary, "primary" }, { MVButtonKind::secondary, "secondary" },
                { MVButtonKind::quiet, "quiet" }, { MVButtonKind::destructive, "destructive" } }) {
            const QString title = QString::fromLatin1(name);
            const auto make = [&](bool enabled, bool busy) {
                return new MVButton(title.left(1).toUpper() + title.mid(1), QStringLiteral("arrow.clockwise"),
                    kind, enabled, busy, [] {});
            };
            auto* hover = make(true, false);
            auto* press = make(true, false);
            hovered << hover;
            pressed << press;
            page.addRow(title, { make(true, false), hover, press, make(false, false), make(true, true) });
        }
        page.addRow(QStringLiteral("states"),
            { new TextLabel(QStringLiteral("rest · hover · pressed · disabled · busy"), kitFont(12),
                Palette::labelTertiary) });
        auto* active = new IconButton(
            QStringLiteral("sidebar.right"), QStringLiteral("Inspector"), true, std::nullopt, 24, [] {});
        auto* hoveredIcon = new IconButton(
            QStringLiteral("gearshape"), QStringLiteral("Settings"), false, std::nullopt, 24, [] {});
        page.addRow(QStringLiteral("icon buttons"),
            { new IconButton(QStringLiteral("power"), QStringLiteral("Quit"), false, std::nullopt, 24, [] {}),
                active, hoveredIcon,
                new IconButton(
                    QStringLiteral("trash"), QStringLiteral("Remove"), false, Palette::danger, 24, [] {}),
                new IconButton(QStringLiteral("xmark"), QStringLiteral("Cancel backup"), false, std::nullopt,
                    22, [] {}) });
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));

        QEvent enter(QEvent::Enter);
        for (MVButton* button : hovered)
            QCoreApplication::sendEvent(button, &enter);
        QCoreApplication::sendEvent(hoveredIcon, &enter);
        for (MVButton* button : pressed)
            QTest::mousePress(button, Qt::LeftButton);
        for (MVButton* button : hovered)
            MV_TRY_COMPARE(button->hoverProgress(), 1.0);
        for (MVButton* button : pressed)
            MV_TRY_COMPARE(button->pressStyle().scale(), 0.975);
        save(page, QStringLiteral("kit-buttons"));
        for (MVButton* button : pressed)
            QTest::mouseRelease(button, Qt::LeftButton);
    }

    void fieldsHeadersAndMarks()
    {
        Page page;
        auto* empty = new TextField(QStringLiteral("Backup name"), QString(), QStringLiteral("tag"));
        auto* filled = new TextField(
            QStringLiteral("Backup name"), QStringLiteral("Documents"), QStringLiteral("tag"));
        auto* plain = new TextField(QStringLiteral("Search"), QString(), std::nullopt);
        for (auto* field : { empty, filled, plain })
            field->setFixedWidth(220);
        page.addRow(QStringLiteral("fields"), { empty, filled, plain });

        auto* headers = new QWidget;
        auto* stack = new QVBoxLayout(headers);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->addWidget(
            new SectionHeader(QStringLiteral("Backups"), 12, QStringLiteral("plus"), std::nullopt, [] {}));
        stack->addWidget(new SectionHeader(QStringLiteral("Running"), 0, std::nullopt, std::nullopt, {}));
        stack->addWidget(
            new SectionHeader(QStringLiteral("Last run"), std::nullopt, std::nullopt, std::nullopt, {}));
        headers->setFixedWidth(380);
        page.addRow(QStringLiteral("section headers"), { headers });

        page.addRow(QStringLiteral("app mark"), { new AppMark(20), new AppMark(30), new AppMark(40) });
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        save(page, QStringLiteral("kit-fields-headers-marks"));
    }

    void cardsChipsAndBars()
    {
        Page page;
        QList<QWidget*> cards {
            cardSurface(cardContent(QStringLiteral("Plain"), QStringLiteral("Palette.card")), 12),
            cardSurface(cardContent(QStringLiteral("Highlighted"), QStringLiteral("raised, strong border")),
                12, true),
            cardSurface(cardContent(QStringLiteral("Tinted"), QStringLiteral("accent at 0.08")), 12, false,
                Palette::accent.opacity(0.08)),
            cardSurface(cardContent(QStringLiteral("Tinted, highlighted"), QStringLiteral("danger at 0.08")),
                12, true, Palette::danger.opacity(0.08)),
        };
        page.addRow(QStringLiteral("cards"), cards);

        page.addRow(QStringLiteral("status chips"),
            { new StatusChip(QStringLiteral("Copying"), Palette::accent,
                  QStringLiteral("arrow.triangle.2.circlepath"), true),
                new StatusChip(QStringLiteral("Up to date"), Palette::success,
                    QStringLiteral("checkmark.circle.fill"), false),
                new StatusChip(
                    QStringLiteral("Paused"), Palette::warning, QStringLiteral("pause.fill"), false),
                new StatusChip(QStringLiteral("Failed"), Palette::danger,
                    QStringLiteral("exclamationmark.triangle.fill"), false),
                new StatusChip(QStringLiteral("Offline"), Palette::offline, std::nullopt, false),
                new StatusChip(QStringLiteral("Off"), Palette::idle, std::nullopt, false) });
        auto* truncated = new TagChip(QStringLiteral("A tag whose text is far too long"),
            QStringLiteral("folder"), Palette::labelSecondary);
        truncated->setFixedWidth(120);
        page.addRow(QStringLiteral("tags and dots"),
            { new TagChip(QStringLiteral("Google Drive"), QStringLiteral("cloud"), Palette::success),
                new TagChip(QStringLiteral("Incremental"), std::nullopt, Palette::labelSecondary),
                new TagChip(
                    QStringLiteral("rsync 3.2.7"), QStringLiteral("terminal"), Palette::labelSecondary),
                truncated, new StatusDot(Palette::success, false, 8),
                new StatusDot(Palette::danger, false, 10) });

        QList<QWidget*> bars;
        for (const std::optional<double> fraction :
            { std::optional(0.0), std::optional(0.42), std::optional(1.0), std::optional<double>() }) {
            auto* bar = new ProgressBarView(fraction, Palette::accent, 6);
            bar->setFixedWidth(160);
            bars << bar;
        }
        auto* thin = new ProgressBarView(0.7, Palette::success, 4);
        thin->setFixedWidth(160);
        bars << thin;
        page.addRow(QStringLiteral("bars: 0, 42 %, 100 %, none, 4 px"), bars);

        auto* material = new VisualEffectView(VisualEffectMaterial::popover,
            VisualEffectBlendingMode::behindWindow, VisualEffectState::followsWindowActiveState);
        material->setFixedSize(160, 60);
        auto* materialText = new QVBoxLayout(material);
        materialText->addWidget(
            new TextLabel(QStringLiteral("popover material"), kitFont(12), Palette::labelSecondary));
        page.addRow(QStringLiteral("visual effect"), { material });
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        save(page, QStringLiteral("kit-cards-chips-bars"));
    }

    void emptyStatesPathsAndSettings()
    {
        Page page;
        auto* withButton = new EmptyStateView(QStringLiteral("tray"), QStringLiteral("No backup jobs yet"),
            QStringLiteral("Add a folder and choose where its copies should live."),
            QStringLiteral("Add Backup"), [] {});
        auto* without = new EmptyStateView(QStringLiteral("clock"), QStringLiteral("No activity yet"),
            QStringLiteral("Runs appear here after the first backup starts. A long message wraps within its "
                           "width and stays centred."),
            std::nullopt, {});
        withButton->setFixedWidth(380);
        without->setFixedWidth(380);
        page.addRow(QStringLiteral("empty states"), { withButton, without });

        auto* path = new PathLabel(
            QStringLiteral("/home/alex/Documents/Projects/Marrowvale/Notes/2026/December/summary.md"),
            kitFont(13), Palette::labelSecondary);
        path->setFixedWidth(240);
        page.addRow(QStringLiteral("path label"),
            { path, new PathLabel(QStringLiteral("/media/backup"), kitFont(13), Palette::labelSecondary) });

        auto* toggle = new QCheckBox;
        toggle->setChecked(true);
        auto* picker = new QComboBox;
        picker->addItems(
            { QStringLiteral("Incremental"), QStringLiteral("Mirror"), QStringLiteral("Versioned") });
        auto* section = new SettingsSection(QStringLiteral("General"),
            QStringLiteral("How Marrowvale starts and where it lives."),
            { new SettingsRow(QStringLiteral("Open at login"), std::nullopt, toggle),
                new SettingsRow(QStringLiteral("Default mode"),
                    QStringLiteral("Defaults apply to new jobs. Each destination can override the mode."),
                    picker),
                new SettingsRow(QStringLiteral("History file"),
                    QStringLiteral("SQLite database with run records."),
                    new MVButton(QStringLiteral("Reveal"), QStringLiteral("folder"), MVButtonKind::secondary,
                        true, false, [] {})),
                new SettingsRow(QStringLiteral("Google Drive"), std::nullopt,
                    new TagChip(QStringLiteral("Signed in"), QStringLiteral("cloud"), Palette::success)) });
        section->setFixedWidth(520);
        page.addRow(QStringLiteral("settings section"), { section });
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        save(page, QStringLiteral("kit-empty-path-settings"));
    }

    void iconSheets_data()
    {
        QTest::addColumn<qreal>("size");
        QTest::newRow("16") << 16.0;
        QTest::newRow("24") << 24.0;
        QTest::newRow("72") << 72.0;
    }

    void iconSheets()
    {
        QFETCH(qreal, size);
        Page page;
        page.addRow(QStringLiteral("%1 px").arg(size), { iconSheet(size, size >= 72) });
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        save(page, QStringLiteral("kit-icons-%1").arg(size));
    }
};

MV_UI_TEST_MAIN(tst_KitGallery)
#include "tst_KitGallery.moc"
