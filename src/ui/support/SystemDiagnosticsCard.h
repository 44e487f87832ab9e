#pragma once

#include "ui/kit/CardSurface.h"
#include "ui/models/support/SupportReport.h"

#include <QDateTime>
#include <QList>

#include <functional>
#include <optional>

class QVBoxLayout;

namespace mv {

class DiagnosticsInfoLine;
class MVButton;
class PathLabel;

// The support page's "This computer" card: "Reading diagnostics…" until the first report is gathered, then
// seven facts of the report, its data folder, and shortcuts to the Settings and Activity sections.
class SystemDiagnosticsCard : public CardSurface {
    Q_OBJECT
public:
    SystemDiagnosticsCard(
        std::function<void()> openSettings, std::function<void()> openActivity, QWidget* parent = nullptr);

    // Shows `report`, its last backup told relative to `now`.
    void showReport(const SupportReport& report, const QDateTime& now);

    bool isReading() const;
    QList<DiagnosticsInfoLine*> infoLines() const;
    PathLabel* dataFolderLabel() const { return m_dataFolder; }
    MVButton* openSettingsButton() const { return m_openSettings; }
    MVButton* openActivityButton() const { return m_openActivity; }

private:
    QWidget* m_reading;
    QWidget* m_facts;
    QVBoxLayout* m_lines;
    PathLabel* m_dataFolder;
    MVButton* m_openSettings;
    MVButton* m_openActivity;
};

} // namespace mv
