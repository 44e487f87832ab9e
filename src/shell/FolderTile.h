#pragma once

#include "ui/kit/Palette.h"

#include <QWidget>

namespace mv {

// A job's emblem: a 30 px rounded square in its tint at 0.12, holding the source's symbol in the tint.
class FolderTile : public QWidget {
    Q_OBJECT
public:
    FolderTile(const QString& symbol, PaletteColor tint, QWidget* parent = nullptr);

    void setLook(const QString& symbol, PaletteColor tint);
    QString symbol() const { return m_symbol; }
    PaletteColor tint() const { return m_tint; }

    QSize sizeHint() const override { return { 30, 30 }; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    PaletteColor m_tint;
};

} // namespace mv
