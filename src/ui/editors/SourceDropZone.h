#pragma once

#include "ui/editors/DashedWell.h"

#include <functional>

namespace mv {

class SymbolImage;
class TextLabel;

// What the job editor shows while the job has no source: a dashed box asking for a folder to be dropped, with
// "Choose Folder…" below. A click anywhere on it chooses a folder too. It turns to the accent while a drag
// hovers over the sheet.
class SourceDropZone : public DashedWell {
    Q_OBJECT
public:
    SourceDropZone(std::function<void()> choose, QWidget* parent = nullptr);

    void setDropTarget(bool targeted);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> m_choose;
    SymbolImage* m_symbol;
    TextLabel* m_title;
};

} // namespace mv
