#include "ui/editors/FlowChips.h"

#include "ui/kit/IconButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/WellSurface.h"

#include <QHBoxLayout>
#include <QPainter>

namespace mv {

namespace {

// One pattern on a capsule of the well colour.
class Chip final : public QWidget {
public:
    Chip(const QString& pattern, const std::function<void(const QString&)>& remove, QWidget* parent)
        : QWidget(parent)
        , m_button(new IconButton(
              QStringLiteral("xmark"), QStringLiteral("Remove ") + pattern, false, Palette::labelTertiary, 10,
              [remove, pattern] { remove(pattern); }, this))
    {
        // The small bold cross at the chip's end.
        m_button->setGlyph(7, SymbolWeight::semibold);
        m_button->setCursor(Qt::PointingHandCursor);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(6, 3, 6, 3);
        row->setSpacing(4);
        row->addWidget(new TextLabel(pattern, monospacedFont(12), Palette::label, this));
        row->addWidget(m_button);
    }

    IconButton* button() const { return m_button; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        paintWell(painter, rect(), height() / 2.0, this, WellEdge::none);
    }

private:
    IconButton* m_button;
};

} // namespace

FlowChips::FlowChips(const QStringList& patterns, std::function<void(const QString&)> remove, QWidget* parent)
    : QScrollArea(parent)
{
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    for (const QString& pattern : patterns) {
        auto* chip = new Chip(pattern, remove, strip);
        m_removeButtons.insert(pattern, chip->button());
        row->addWidget(chip, 0, Qt::AlignVCenter);
    }
    row->addStretch(1);
    setWidget(strip);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    strip->setAutoFillBackground(false);
    setFixedHeight(strip->sizeHint().height());
}

} // namespace mv
