#include "ui/editors/EditorHairline.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

EditorHairline::EditorHairline(int indent, QWidget* parent)
    : QWidget(parent)
    , m_indent(indent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void EditorHairline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(m_indent, 0, width() - m_indent, 1), Palette::hairline.resolve(this));
}

} // namespace mv
