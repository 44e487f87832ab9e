#pragma once

#include "ui/settings/SettingsTabPage.h"

#include <optional>

namespace mv {

struct ViewContext;
class MVButton;
class Prompts;
class SettingsRow;
class TagChip;

// Which rsync is used and its version, the data folder and the history file, the configuration export and
// the reset of every preference. The page owns the version and the reset confirmation; this tab shows the
// one and asks for the other.
class AdvancedSettingsTab : public SettingsTabPage {
    Q_OBJECT
public:
    AdvancedSettingsTab(ViewContext& context, Prompts& prompts, QWidget* parent = nullptr);

    void refresh();
    // The version chip: the version text, or "Not detected" for none.
    void showRsyncVersion(const std::optional<QString>& version);
    // Asks for an executable and stores it, unexamined; rsyncChosen() follows.
    void chooseRsync();

    SettingsRow* rsyncRow() const { return m_rsyncRow; }
    TagChip* versionChip() const { return m_versionChip; }
    MVButton* chooseButton() const { return m_choose; }
    MVButton* revealDataButton() const { return m_revealData; }
    MVButton* exportButton() const { return m_export; }
    MVButton* revealHistoryButton() const { return m_revealHistory; }
    MVButton* resetButton() const { return m_reset; }

Q_SIGNALS:
    void rsyncChosen();
    void resetRequested();

private:
    ViewContext& m_context;
    Prompts& m_prompts;
    TagChip* m_versionChip;
    MVButton* m_choose;
    MVButton* m_revealData;
    MVButton* m_export;
    MVButton* m_revealHistory;
    MVButton* m_reset;
    SettingsRow* m_rsyncRow;
};

} // namespace mv
