#include "ui/kit/MVTextField.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>

namespace mv {

namespace {
constexpr int fieldHeight = 27;
constexpr qreal cornerRadius = 6;
} // namespace

MVTextField::MVTextField(
    const QString& placeholder, const QString& text, std::optional<QString> symbol, QWidget* parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(text, this))
{
    setFixedHeight(fieldHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 0, 8, 0);
    row->setSpacing(6);
    if (symbol) {
        m_symbol = new SymbolImage(*symbol, 13, SymbolWeight::regular, Palette::labelTertiary, this);
        row->addWidget(m_symbol);
    }
    m_edit->setPlaceholderText(placeholder);
    m_edit->setFrame(false);
    m_edit->setFont(kitFont(15));
    // The well behind is the field's background: the edit itself stays see-through.
    QPalette clear;
    clear.setColor(QPalette::Base, Qt::transparent);
    m_edit->setPalette(clear);
    m_edit->setAutoFillBackground(false);
    setFocusProxy(m_edit);
    row->addWidget(m_edit, 1);
    connect(m_edit, &QLineEdit::textChanged, this, &MVTextField::textChanged);
}

QString MVTextField::text() const
{
    return m_edit->text();
}

void MVTextField::setText(const QString& text)
{
    m_edit->setText(text);
}

QString MVTextField::placeholder() const
{
    return m_edit->placeholderText();
}

void MVTextField::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::well.resolve(this));
    painter.drawPath(continuousRoundedRect(rect(), cornerRadius));
    strokeInside(painter, rect(), cornerRadius, Palette::hairline.resolve(this));
}

} // namespace mv
