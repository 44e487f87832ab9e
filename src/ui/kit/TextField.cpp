#include "ui/kit/TextField.h"

#include "ui/kit/IconButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/WellSurface.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>

namespace mv {

TextField::TextField(
    const QString& placeholder, const QString& text, std::optional<QString> symbol, QWidget* parent)
    : TextField(Kind::form, placeholder, text, std::move(symbol), parent)
{
}

TextField::TextField(Kind kind, const QString& placeholder, const QString& text,
    std::optional<QString> symbol, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_edit(new QLineEdit(text, this))
{
    const bool search = kind == Kind::search;
    setFixedHeight(search ? 28 : 27);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    const int padding = search ? 9 : 8;
    row->setContentsMargins(padding, 0, padding, 0);
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
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_clear)
            m_clear->setVisible(!text.isEmpty());
        Q_EMIT textChanged(text);
    });
}

TextField* TextField::search(const QString& placeholder, int maxWidth, bool clearable, QWidget* parent)
{
    auto* field
        = new TextField(Kind::search, placeholder, QString(), QStringLiteral("magnifyingglass"), parent);
    // Without a label of its own, the field is named by its placeholder.
    field->m_edit->setAccessibleName(placeholder);
    field->setMinimumWidth(maxWidth / 2);
    field->setMaximumWidth(maxWidth);
    if (clearable) {
        field->m_clear = new IconButton(
            QStringLiteral("xmark.circle.fill"), QStringLiteral("Clear search"), false,
            Palette::labelTertiary, 18, [field] { field->m_edit->clear(); }, field);
        field->m_clear->hide();
        field->layout()->addWidget(field->m_clear);
    }
    return field;
}

QString TextField::text() const
{
    return m_edit->text();
}

void TextField::setText(const QString& text)
{
    m_edit->setText(text);
}

QString TextField::placeholder() const
{
    return m_edit->placeholderText();
}

qreal TextField::cornerRadius() const
{
    return m_kind == Kind::search ? 7 : 6;
}

void TextField::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintWell(painter, rect(), cornerRadius(), this, WellEdge::hairline);
}

} // namespace mv
