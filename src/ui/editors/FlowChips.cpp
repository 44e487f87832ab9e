#include "ui/editors/FlowChips.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

namespace mv {

namespace {

// The small bold cross at a chip's end.
class ChipRemoveButton final : public QAbstractButton {
public:
    ChipRemoveButton(const QString& pattern, QWidget* parent)
        : QAbstractButton(parent)
    {
        setToolTip(QStringLiteral("Remove ") + pattern);
        setAccessibleName(QStringLiteral("Remove ") + pattern);
        setFixedSize(10, 10);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        IconLibrary::paint(painter, IconLibrary::textSizedBox(QRectF(rect()).center(), 7),
            QStringLiteral("xmark"), Palette::labelTertiary.resolve(this), SymbolWeight::semibold);
    }
};

// One pattern on a capsule of the well colour.
class Chip final : public QWidget {
public:
    Chip(const QString& pattern, const std::function<void(const QString&)>& remove, QWidget* parent)
        : QWidget(parent)
        , m_button(new ChipRemoveButton(pattern, this))
    {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(6, 3, 6, 3);
        row->setSpacing(4);
        row->addWidget(new TextLabel(pattern, monospacedFont(12), Palette::label, this));
        row->addWidget(m_button);
        connect(m_button, &QAbstractButton::clicked, this, [remove, pattern] { remove(pattern); });
    }

    QAbstractButton* button() const { return m_button; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::well.resolve(this));
        painter.drawPath(continuousRoundedRect(rect(), height() / 2.0));
    }

private:
    QAbstractButton* m_button;
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
