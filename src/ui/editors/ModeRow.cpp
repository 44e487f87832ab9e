#include "ui/editors/ModeRow.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/editors/JobEditorPresentation.h"
#include "ui/models/shared/EnumerationPresentation.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {
constexpr qreal radius = 8;
constexpr int markSide = 16;
} // namespace

ModeRow::ModeRow(BackupMode mode, std::function<void()> choose, QWidget* parent)
    : KitButton(std::move(choose), false, parent)
    , m_mode(mode)
    , m_mark(new QWidget(this))
    , m_symbol(new SymbolImage(modeSymbol(mode), 12, SymbolWeight::medium, Palette::labelSecondary, this))
{
    setText(modeRowTitle(mode));
    setAccessibleName(modeRowTitle(mode));
    setAccessibleDescription(modeDescription(mode));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_mark->setFixedSize(markSide, markSide);
    m_mark->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(6);
    titleLine->addWidget(m_symbol, 0, Qt::AlignVCenter);
    titleLine->addWidget(new TextLabel(modeRowTitle(mode), kitFont(15, QFont::Medium), Palette::label, this));
    if (mode == BackupMode::incremental)
        titleLine->addWidget(new TagChip(QStringLiteral("Default"), std::nullopt, Palette::success, this));
    titleLine->addStretch(1);
    auto* description = new TextLabel(modeDescription(mode), kitFont(13), Palette::labelSecondary, this);
    description->setWordWrap(true);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addLayout(titleLine);
    texts->addWidget(description);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(10);
    row->addWidget(m_mark, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    for (QWidget* child : findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ModeRow::setSelected(bool selected)
{
    m_selected = selected;
    m_symbol->setColor(selected ? Palette::accent : Palette::labelSecondary);
    update();
}

QSize ModeRow::sizeHint() const
{
    return layout()->sizeHint();
}

void ModeRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    pressStyle().apply(painter);
    const QRectF shape = rect();
    painter.setPen(Qt::NoPen);
    painter.setBrush((m_selected ? Palette::accent.opacity(0.06) : Palette::card).resolve(this));
    painter.drawPath(continuousRoundedRect(shape, radius));
    if (m_selected)
        strokeInside(painter, shape, radius, Palette::accent.opacity(0.35).resolve(this), 1);
    else
        strokeInside(painter, shape, radius, Palette::hairline.resolve(this), 0.5);

    // The radio mark: a ring drawn inside the circle's edge, thick when chosen.
    const qreal width = m_selected ? 5 : 1;
    const QRectF circle = QRectF(m_mark->geometry()).adjusted(width / 2, width / 2, -width / 2, -width / 2);
    painter.setPen(QPen((m_selected ? Palette::accent : Palette::hairlineStrong).resolve(this), width));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle);
}

} // namespace mv
