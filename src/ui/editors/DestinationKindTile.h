#pragma once

#include <QWidget>

namespace mv {

// The header's 28 px tile: the kind's symbol in the accent colour on the accent at 12 %.
class DestinationKindTile : public QWidget {
    Q_OBJECT
public:
    explicit DestinationKindTile(const QString& symbol, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);

    QSize sizeHint() const override { return { 28, 28 }; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
};

} // namespace mv
