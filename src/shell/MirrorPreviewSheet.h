#pragma once

#include "coordination/MirrorPrompt.h"

#include <QDialog>

namespace mv {

class JobActions;

// Stands between a person and a manual mirror run that would delete files: how many items would go, the
// first ten of their paths, and a warning that it cannot be undone. Only "Delete and Run" starts the run;
// "Cancel" and every other way of closing start nothing. A dialog of its own, 430 px wide, opened by the
// alert presenter over the window on screen.
class MirrorPreviewSheet : public QDialog {
    Q_OBJECT
public:
    // How many of the preview's paths the list shows.
    static constexpr int shownLimit = 10;

    MirrorPreviewSheet(MirrorPrompt prompt, JobActions& jobs, QWidget* parent = nullptr);

    const MirrorPrompt& prompt() const { return m_prompt; }
    // "<total> items exist at the destination but not in the source. …": the total grouped, the shown
    // count plain.
    static QString message(const MirrorPreview& preview);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeList();
    QLayout* makeButtons();

    MirrorPrompt m_prompt;
    JobActions& m_jobs;
};

} // namespace mv
