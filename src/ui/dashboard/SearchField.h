#pragma once

#include <QWidget>

class QLineEdit;

namespace mv {

class IconButton;

// A section's search field: a magnifying glass and a plain field on a rounded well, 28 px high and at most
// `maxWidth` wide. A clearable field shows a clear button while its text is not empty, blanks included.
class SearchField : public QWidget {
    Q_OBJECT
public:
    SearchField(const QString& placeholder, int maxWidth, bool clearable, QWidget* parent = nullptr);
    QString text() const;
    void setText(const QString& text);
    QLineEdit* lineEdit() const { return m_edit; }
    // The clear button; none for a field that cannot be cleared.
    IconButton* clearButton() const { return m_clear; }

Q_SIGNALS:
    void textChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLineEdit* m_edit;
    IconButton* m_clear = nullptr;
};

} // namespace mv
