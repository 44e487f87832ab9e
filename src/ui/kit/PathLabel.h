#pragma once

#include "ui/kit/ElidedLabel.h"

namespace mv {

// A file-system path on one line: cut in the middle so both its start and its end stay visible, the whole
// path as tooltip, and copyable whole (Ctrl+C, or "Copy" in the menu of a right-click on the text itself).
class PathLabel : public ElidedLabel {
    Q_OBJECT
public:
    PathLabel(const QString& path, const QFont& font, PaletteColor color, QWidget* parent = nullptr);

    QString path() const { return text(); }
    void setPath(const QString& path);
    // Puts the whole path on the clipboard.
    void copyPath() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace mv
