#pragma once

#include <QWidget>

namespace mv {

class TextField;
class TextLabel;

// A field of the destination editor: its label in 12 px medium secondary text over the control, 3 px apart.
class DestinationFieldColumn : public QWidget {
    Q_OBJECT
public:
    DestinationFieldColumn(const QString& label, QWidget* control, QWidget* parent = nullptr);

    // A labelled text field without symbol: labeledField(_:text:placeholder:).
    static DestinationFieldColumn* labeledField(
        const QString& label, const QString& text, const QString& placeholder, QWidget* parent = nullptr);

    QWidget* control() const { return m_control; }
    // The control as a text field, for labelled fields.
    TextField* textField() const;

private:
    QWidget* m_control;
};

// The 12 px semibold secondary title above a section of the destination editor.
TextLabel* destinationSectionTitle(const QString& text, QWidget* parent = nullptr);

// Sets `field`'s text to `text` unless it shows it already, so that a refresh never moves the cursor of a
// field being typed in, and without announcing it as an edit.
void showFieldText(TextField& field, const QString& text);

} // namespace mv
