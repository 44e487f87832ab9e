#pragma once

#include "model/ActiveRun.h"
#include "ui/kit/CardSurface.h"
#include "ui/models/CoalescedCall.h"

namespace mv {

class AppState;
class ElidedLabel;
class MVButton;
class ProgressBarView;
class ProgressMetricsView;
class StatusChip;
class SymbolImage;
class TextLabel;

// The panel's card of one live run: the job, from which folder to which destination, how far it has got,
// what it is doing now, and Pause/Resume and Cancel. The run's phase colours the card, its frame, the bar
// and the chip.
//
// The card follows its run (by key) in the coordinator by itself, at most about ten times a second, and
// stays as it was last shown once the run has left the coordinator's table.
class ActiveRunCard : public CardSurface {
    Q_OBJECT
    // 0 in the colours of the phase before, 1 in those of the run's phase; springs on a change of phase.
    Q_PROPERTY(qreal phaseBlend READ phaseBlend WRITE setPhaseBlend)
public:
    static constexpr std::chrono::milliseconds refreshInterval { 100 };

    ActiveRunCard(AppState& app, const ActiveRun& run, QWidget* parent = nullptr);

    RunKey key() const { return m_run.key; }
    const ActiveRun& run() const { return m_run; }
    // Shows the run's entry as the coordinator now holds it.
    void refresh();
    // Shows `run`, an entry of the same key.
    void showRun(const ActiveRun& run);

    StatusChip* statusChip() const { return m_chip; }
    ProgressBarView* progressBar() const { return m_bar; }
    MVButton* pauseButton() const { return m_pause; }
    MVButton* cancelButton() const { return m_cancel; }
    qreal phaseBlend() const { return m_phaseBlend; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLayout* buildTitleRow();
    QLayout* buildRouteRow();
    QLayout* buildFiguresRow();
    QLayout* buildDetailRow();
    QLayout* buildControlRow();
    void setPhaseBlend(qreal blend);
    // The phase colour at `opacity`, on its way from the phase before while blending.
    QColor phaseColor(qreal opacity) const;

    AppState& m_app;
    ActiveRun m_run;
    PaletteRole m_colorBefore = PaletteRole::accent;
    qreal m_phaseBlend = 1;
    StatusChip* m_chip = nullptr;
    ElidedLabel* m_jobName = nullptr;
    ElidedLabel* m_source = nullptr;
    ElidedLabel* m_destination = nullptr;
    ProgressBarView* m_bar = nullptr;
    TextLabel* m_fraction = nullptr;
    ProgressMetricsView* m_metrics = nullptr;
    SymbolImage* m_fileSymbol = nullptr;
    ElidedLabel* m_file = nullptr;
    ElidedLabel* m_message = nullptr;
    MVButton* m_pause = nullptr;
    MVButton* m_cancel = nullptr;
    TextLabel* m_started = nullptr;
    CoalescedCall m_refresh;
};

} // namespace mv
