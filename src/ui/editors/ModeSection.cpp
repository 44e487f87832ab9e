#include "ui/editors/ModeSection.h"

#include "ui/editors/ModeRow.h"
#include "ui/kit/ContinuousShape.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/JobEditorModel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {

// The danger-tinted box behind the mirror warning.
class WarningBox final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::danger.opacity(0.06).resolve(this));
        painter.drawPath(continuousRoundedRect(rect(), 8));
        strokeInside(painter, rect(), 8, Palette::danger.opacity(0.18).resolve(this));
    }
};

} // namespace

ModeSection::ModeSection(JobEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{
    auto* rows = new QVBoxLayout;
    rows->setSpacing(6);
    for (const BackupMode mode : allCases<BackupMode>()) {
        auto* row = new ModeRow(
            mode, [this, mode] { m_model.chooseMode(mode); }, this);
        m_rows.append(row);
        rows->addWidget(row);
    }
    m_warning = makeWarning();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(
        new SectionHeader(QStringLiteral("Backup mode"), std::nullopt, std::nullopt, std::nullopt, {}, this));
    column->addLayout(rows);
    column->addWidget(m_warning);

    connect(&m_model, &JobEditorModel::changed, this, &ModeSection::refresh);
    refresh();
}

QWidget* ModeSection::makeWarning()
{
    auto* box = new WarningBox(this);
    auto* line = new QHBoxLayout;
    line->setSpacing(7);
    line->addWidget(new SymbolImage(QStringLiteral("exclamationmark.triangle.fill"), 13,
                        SymbolWeight::regular, Palette::danger, box),
        0, Qt::AlignTop);
    auto* text
        = new TextLabel(QStringLiteral("Mirror deletes files at the destination that are not in the "
                                       "source. Marrowvale shows a dry-run preview and asks before every "
                                       "deleting run."),
            kitFont(13), Palette::labelSecondary, box);
    text->setWordWrap(true);
    line->addWidget(text, 1);

    m_acknowledge
        = new QCheckBox(QStringLiteral("I understand that mirror can delete files at the destination"), box);
    m_acknowledge->setFont(kitFont(13));
    connect(m_acknowledge, &QCheckBox::toggled, &m_model, &JobEditorModel::setMirrorAcknowledged);

    auto* stack = new QVBoxLayout(box);
    stack->setContentsMargins(10, 10, 10, 10);
    stack->setSpacing(8);
    stack->addLayout(line);
    stack->addWidget(m_acknowledge);
    return box;
}

void ModeSection::refresh()
{
    const BackupMode mode = m_model.draft().mode;
    for (ModeRow* row : std::as_const(m_rows))
        row->setSelected(row->mode() == mode);
    m_warning->setVisible(mode == BackupMode::mirror);
    if (m_acknowledge->isChecked() != m_model.mirrorAcknowledged())
        m_acknowledge->setChecked(m_model.mirrorAcknowledged());
}

} // namespace mv
