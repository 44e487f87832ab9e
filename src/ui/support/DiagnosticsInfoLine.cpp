#include "ui/support/DiagnosticsInfoLine.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>

namespace mv {

DiagnosticsInfoLine::DiagnosticsInfoLine(const DiagnosticsLine& line, QWidget* parent)
    : QWidget(parent)
    , m_line(line)
    , m_label(new TextLabel(line.label, kitFont(12), Palette::labelTertiary, this))
    , m_value(new ElidedLabel(
          line.value, kitFont(13), line.warning ? Palette::danger : Palette::label, Qt::ElideMiddle, this))
{
    m_label->setFixedWidth(labelWidth);
    m_value->setToolTip(line.value);
    // The value may be cut to any width; the row spans the card.
    m_value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(m_label, 0, Qt::AlignBaseline);
    row->addWidget(m_value, 1, Qt::AlignBaseline);
}

} // namespace mv
