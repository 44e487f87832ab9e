#pragma once

#include "shell/ShellPresenters.h"

#include <QObject>

#include <functional>
#include <memory>

namespace mv {

// The panel made when it is first needed, or soon after the launch, whichever comes first: a panel holds a
// card a job, and making a hundred of them before the tray icon would keep the icon waiting.
class LazyPanel final : public QObject, public PanelPresenter {
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<PanelPresenter>()>;

    // How long after its creation the panel is made unasked, once the icon has had time to show.
    static constexpr int idleMakeDelayMs = 400;

    explicit LazyPanel(Factory make, QObject* parent = nullptr);
    ~LazyPanel() override;

    bool isPanelVisible() const override { return m_panel && m_panel->isPanelVisible(); }
    void showPanel(std::optional<QPoint> anchor) override { panel().showPanel(anchor); }
    void hidePanel() override
    {
        if (m_panel)
            m_panel->hidePanel();
    }
    void dismissPanel() override
    {
        if (m_panel)
            m_panel->dismissPanel();
    }

    bool isMade() const { return m_panel != nullptr; }
    PanelPresenter& panel();

private:
    Factory m_make;
    std::unique_ptr<PanelPresenter> m_panel;
};

} // namespace mv
