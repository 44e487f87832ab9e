#include "ui/editors/SourceDropZone.h"

#include "ui/kit/MVButton.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QMouseEvent>
#include <QVBoxLayout>

namespace mv {

SourceDropZone::SourceDropZone(std::function<void()> choose, QWidget* parent)
    : DashedWell(parent)
    , m_choose(std::move(choose))
    , m_symbol(new SymbolImage(
          QStringLiteral("folder.badge.plus"), 24, SymbolWeight::light, Palette::labelTertiary, this))
    , m_title(new TextLabel(
          QStringLiteral("Drop a folder here"), kitFont(15, QFont::Medium), Palette::labelSecondary, this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 24, 0, 24);
    column->setSpacing(7);
    column->addWidget(m_symbol, 0, Qt::AlignHCenter);
    // Centred across the whole zone, so the longer drop-target title never needs a new layout pass.
    m_title->setAlignment(Qt::AlignCenter);
    column->addWidget(m_title);
    column->addWidget(new TextLabel(QStringLiteral("or choose a folder with the button below"), kitFont(12),
                          Palette::labelTertiary, this),
        0, Qt::AlignHCenter);
    column->addSpacing(2);
    column->addWidget(new MVButton(QStringLiteral("Choose Folder\u2026"), QStringLiteral("folder"),
                          MVButtonKind::secondary, true, false, m_choose, this),
        0, Qt::AlignHCenter);
    setCursor(Qt::PointingHandCursor);
}

void SourceDropZone::setDropTarget(bool targeted)
{
    setTargeted(targeted);
    m_symbol->setColor(targeted ? Palette::accent : Palette::labelTertiary);
    m_title->setText(
        targeted ? QStringLiteral("Drop to use this folder") : QStringLiteral("Drop a folder here"));
}

void SourceDropZone::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_choose();
}

} // namespace mv
