#include "ui/kit/SettingsRow.h"

#include "ui/kit/Palette.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {
constexpr qreal hairlineInset = 12;
constexpr qreal hairlineHeight = 0.5;
} // namespace

SettingsRow::SettingsRow(
    const QString& title, std::optional<QString> detail, QWidget* accessory, QWidget* parent)
    : QWidget(parent)
    , m_accessory(accessory)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 9, 12, 9);
    row->setSpacing(12);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(new TextLabel(title, kitFont(15), Palette::label, this));
    if (detail) {
        m_detail = new TextLabel(*detail, kitFont(13), Palette::labelSecondary, this);
        m_detail->setWordWrap(true);
        text->addWidget(m_detail);
    }
    row->addLayout(text, 1);
    row->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::MinimumExpanding, QSizePolicy::Minimum));
    if (accessory)
        row->addWidget(accessory, 0, Qt::AlignVCenter);
}

void SettingsRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(
        QRectF(hairlineInset, height() - hairlineHeight, width() - hairlineInset, hairlineHeight),
        Palette::hairline.resolve(this));
}

} // namespace mv
