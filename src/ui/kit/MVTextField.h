#pragma once

#include <QWidget>

#include <optional>

class QLineEdit;

namespace mv {

class SymbolImage;

// The single-line field of the editors: a 27 px sunken well with an optional leading symbol. Every keystroke
// reaches the caller through textChanged.
class MVTextField : public QWidget {
    Q_OBJECT
public:
    MVTextField(const QString& placeholder, const QString& text, std::optional<QString> symbol,
        QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    QString placeholder() const;
    QLineEdit* lineEdit() const { return m_edit; }
    SymbolImage* symbolImage() const { return m_symbol; }

Q_SIGNALS:
    void textChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLineEdit* m_edit;
    SymbolImage* m_symbol = nullptr;
};

} // namespace mv
