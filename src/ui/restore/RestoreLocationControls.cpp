#include "ui/restore/RestoreLocationControls.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/SegmentButton.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/restore/RestoreSectionModel.h"
#include "ui/models/restore/RestoreTexts.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace mv {

RestoreLocationControls::RestoreLocationControls(
    RestoreSectionModel& model, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_prompts(prompts)
    , m_original(new SegmentButton(restoreLocationTitle(RestoreLocation::original), this))
    , m_custom(new SegmentButton(restoreLocationTitle(RestoreLocation::custom), this))
    , m_folder(new ElidedLabel({}, kitFont(12), Palette::labelSecondary, Qt::ElideMiddle, this))
    , m_choose(new MVButton(
          QStringLiteral("Choose\u2026"), std::nullopt, MVButtonKind::secondary, true, false,
          [this] { chooseTarget(); }, this))
    , m_explanation(new TextLabel({}, kitFont(12), Palette::labelTertiary, this))
{
    // The two segments share a fixed 250 px, like one segmented control.
    auto* segments = new QWidget(this);
    segments->setFixedWidth(250);
    auto* segmentRow = new QHBoxLayout(segments);
    segmentRow->setContentsMargins(0, 0, 0, 0);
    segmentRow->setSpacing(0);
    auto* group = new QButtonGroup(this);
    for (QPushButton* segment : { m_original, m_custom }) {
        segment->setFont(kitFont(12, QFont::Medium));
        segment->setParent(segments);
        group->addButton(segment);
        segmentRow->addWidget(segment, 1);
    }
    // Toggled, not clicked: a screen reader's activate checks the segment without clicking it.
    const std::pair<QPushButton*, RestoreLocation> choices[]
        = { { m_original, RestoreLocation::original }, { m_custom, RestoreLocation::custom } };
    for (const auto& [segment, location] : choices) {
        connect(segment, &QPushButton::toggled, this, [this, location](bool checked) {
            if (checked)
                m_model.setLocation(location);
        });
    }

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(segments);
    row->addWidget(m_folder);
    row->addWidget(m_choose);
    row->addStretch(1);
    m_explanation->setWordWrap(true);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);
    stack->addLayout(row);
    stack->addWidget(m_explanation);
    refresh();
}

void RestoreLocationControls::refresh()
{
    const bool custom = m_model.location() == RestoreLocation::custom;
    m_original->setChecked(!custom);
    m_custom->setChecked(custom);
    m_folder->setVisible(custom);
    m_choose->setVisible(custom);
    const bool picked = !m_model.customTarget().isEmpty();
    m_folder->setText(picked ? m_model.customTarget() : QStringLiteral("No folder chosen"));
    m_folder->setColor(picked ? Palette::labelSecondary : Palette::labelTertiary);
    m_folder->setToolTip(m_model.customTarget());
    const std::optional<BackupJob> job = m_model.job();
    m_explanationText = RestoreTexts::locationExplanation(
        m_model.location(), job ? std::optional(job->source.path) : std::nullopt);
    fitExplanation();
}

void RestoreLocationControls::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitExplanation();
}

// At most two lines: a source path too long for them is shortened in its middle.
void RestoreLocationControls::fitExplanation()
{
    const QFontMetrics metrics(m_explanation->font());
    m_explanation->setMaximumHeight(metrics.lineSpacing() * 2 + 2);
    const std::optional<BackupJob> job = m_model.job();
    const int width = std::max(m_explanation->width(), 200);
    QString shown = m_explanationText;
    if (m_model.location() == RestoreLocation::original && job
        && metrics.horizontalAdvance(shown) > width * 2 - metrics.averageCharWidth() * 8) {
        const QString path = job->source.path;
        const int rest = metrics.horizontalAdvance(shown) - metrics.horizontalAdvance(path);
        const QString shortened = metrics.elidedText(
            path, Qt::ElideMiddle, std::max(width * 2 - rest - metrics.averageCharWidth() * 8, 40));
        shown = RestoreTexts::locationExplanation(RestoreLocation::original, shortened);
    }
    m_explanation->setText(shown);
    m_explanation->setToolTip(m_explanationText);
}

void RestoreLocationControls::chooseTarget()
{
    OpenPanelRequest request;
    request.choose = OpenPanelRequest::Choose::folder;
    request.title = QStringLiteral("Choose where the restored items should be written.");
    request.prompt = QStringLiteral("Choose");
    const QPointer<RestoreLocationControls> self(this);
    m_prompts.askOpenPath(window(), request, [self](const QString& path) {
        if (self && !path.isEmpty())
            self->m_model.setCustomTarget(path);
    });
}

} // namespace mv
