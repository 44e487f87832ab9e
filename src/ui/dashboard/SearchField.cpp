#include "ui/dashboard/SearchField.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>

namespace mv {

SearchField::SearchField(const QString& placeholder, int maxWidth, bool clearable, QWidget* parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
{
    m_edit->setPlaceholderText(placeholder);
    m_edit->setFrame(false);
    m_edit->setFont(kitFont(15));
    m_edit->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette transparent = m_edit->palette();
    transparent.setColor(QPalette::Base, Qt::transparent);
    m_edit->setPalette(transparent);
    m_edit->setAccessibleName(placeholder);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(9, 0, 9, 0);
    row->setSpacing(6);
    row->addWidget(new SymbolImage(
        QStringLiteral("magnifyingglass"), 13, SymbolWeight::regular, Palette::labelTertiary, this));
    row->addWidget(m_edit, 1);
    if (clearable) {
        m_clear = new IconButton(
            QStringLiteral("xmark.circle.fill"), QStringLiteral("Clear search"), false,
            Palette::labelTertiary, 18, [this] { m_edit->clear(); }, this);
        m_clear->hide();
        row->addWidget(m_clear);
    }
    setFixedHeight(28);
    // Its full width while the page has room for it; narrower only in a window too small for the bar.
    setMinimumWidth(maxWidth / 2);
    setMaximumWidth(maxWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_clear)
            m_clear->setVisible(!text.isEmpty());
        Q_EMIT textChanged(text);
    });
}

QString SearchField::text() const
{
    return m_edit->text();
}

void SearchField::setText(const QString& text)
{
    m_edit->setText(text);
}

void SearchField::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(QRectF(rect()), 7), Palette::well.resolve(this));
    strokeInside(painter, QRectF(rect()), 7, Palette::hairline.resolve(this));
}

} // namespace mv
