#include "ui/editors/DestinationRow.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/ToggleSwitch.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/editors/JobEditorPresentation.h"
#include "ui/models/shared/DestinationRowPresentation.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {

// The kind's symbol on a 30 px well.
class KindTile final : public QWidget {
public:
    KindTile(DestinationKind kind, QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(30, 30);
        auto* centre = new QVBoxLayout(this);
        centre->setContentsMargins(0, 0, 0, 0);
        centre->addWidget(new SymbolImage(DestinationRowPresentation::kindSymbol(kind), 15,
                              SymbolWeight::regular, Palette::labelSecondary, this),
            0, Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::well.resolve(this));
        painter.drawPath(continuousRoundedRect(rect(), 7));
    }
};

} // namespace

DestinationRow::DestinationRow(const BackupDestination& destination, BackupMode mode,
    const BackupSchedule& schedule, DestinationRowActions actions, QWidget* parent)
    : QWidget(parent)
    , m_actions(std::move(actions))
    , m_switch(new ToggleSwitch(ToggleSwitch::Kind::plain, destination.isEnabled, destination.name, this))
    , m_edit(new IconButton(QStringLiteral("pencil"), QStringLiteral("Edit destination"), false, std::nullopt,
          24, m_actions.edit, this))
    , m_remove(new IconButton(QStringLiteral("trash"), QStringLiteral("Remove destination"), false,
          std::nullopt, 24, m_actions.remove, this))
{
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(6);
    titleLine->addWidget(new TextLabel(destination.name, kitFont(15, QFont::Medium), Palette::label, this));
    titleLine->addWidget(new TagChip(modeLabel(mode), std::nullopt, Palette::labelSecondary, this));
    if (!destination.isEnabled)
        titleLine->addWidget(new TagChip(QStringLiteral("Off"), std::nullopt, Palette::warning, this));
    titleLine->addStretch(1);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addLayout(titleLine);
    texts->addWidget(new PathLabel(destination.displayPath(), kitFont(12), Palette::labelSecondary, this));
    texts->addWidget(new TextLabel(schedule.summary(), kitFont(12), Palette::labelTertiary, this));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 9, 12, 9);
    row->setSpacing(10);
    row->addWidget(new KindTile(destination.kind, this));
    row->addLayout(texts, 1);
    row->addWidget(m_switch);
    row->addWidget(m_edit);
    row->addWidget(m_remove);
    connect(m_switch, &ToggleSwitch::toggled, this, [this](bool on) { m_actions.setEnabled(on); });
    setCursor(Qt::PointingHandCursor);
}

void DestinationRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_actions.edit();
}

} // namespace mv
