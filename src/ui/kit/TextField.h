#pragma once

#include <QWidget>

#include <optional>

class QLineEdit;

namespace mv {

class IconButton;
class SymbolImage;

// The single-line field: a sunken well with an optional leading symbol. Every keystroke reaches the caller
// through textChanged. A form field (the editors') is 27 px high; a search field (the sections') is 28 px
// high behind a magnifying glass, and a clearable one shows a clear button while its text is not empty,
// blanks included.
class TextField : public QWidget {
    Q_OBJECT
public:
    enum class Kind { form, search };

    TextField(const QString& placeholder, const QString& text, std::optional<QString> symbol,
        QWidget* parent = nullptr);
    // A search field at most `maxWidth` wide: its full width while the page has room for it, narrower
    // (down to half) only in a window too small for the bar.
    static TextField* search(const QString& placeholder, int maxWidth, bool clearable, QWidget* parent);

    Kind kind() const { return m_kind; }
    QString text() const;
    void setText(const QString& text);
    QString placeholder() const;
    QLineEdit* lineEdit() const { return m_edit; }
    SymbolImage* symbolImage() const { return m_symbol; }
    // The clear button; none for a field that cannot be cleared.
    IconButton* clearButton() const { return m_clear; }

Q_SIGNALS:
    void textChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextField(Kind kind, const QString& placeholder, const QString& text, std::optional<QString> symbol,
        QWidget* parent);
    qreal cornerRadius() const;

    Kind m_kind;
    QLineEdit* m_edit;
    SymbolImage* m_symbol = nullptr;
    IconButton* m_clear = nullptr;
};

} // namespace mv
