#include "ui/editors/DestinationFieldColumn.h"

#include "ui/kit/Palette.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QSignalBlocker>
#include <QVBoxLayout>

namespace mv {

DestinationFieldColumn::DestinationFieldColumn(const QString& label, QWidget* control, QWidget* parent)
    : QWidget(parent)
    , m_control(control)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    column->addWidget(new TextLabel(label, kitFont(12, QFont::Medium), Palette::labelSecondary, this));
    column->addWidget(control);
}

DestinationFieldColumn* DestinationFieldColumn::labeledField(
    const QString& label, const QString& text, const QString& placeholder, QWidget* parent)
{
    return new DestinationFieldColumn(label, new TextField(placeholder, text, std::nullopt), parent);
}

TextField* DestinationFieldColumn::textField() const
{
    return qobject_cast<TextField*>(m_control);
}

TextLabel* destinationSectionTitle(const QString& text, QWidget* parent)
{
    return new TextLabel(text, kitFont(12, QFont::DemiBold), Palette::labelSecondary, parent);
}

void showFieldText(TextField& field, const QString& text)
{
    if (field.text() == text)
        return;
    const QSignalBlocker quiet(&field);
    field.setText(text);
}

} // namespace mv
