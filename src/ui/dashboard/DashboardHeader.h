#pragma once

#include "ui/models/DashboardSection.h"

#include <QWidget>

#include <functional>

class QAction;

namespace mv {

class AppState;
class DashboardModel;
class ElidedLabel;
class IconButton;
class MVButton;
class TextLabel;

// The title row above a section: its title, a line about it, and the buttons that section offers ("Run
// All", "Export CSV", "Add Backup", and the Support button everywhere but on Support).
class DashboardHeader : public QWidget {
    Q_OBJECT
public:
    // `runAll` and `addBackup` are the window's actions (they carry the keyboard shortcuts); the header's
    // buttons trigger them and show only where they belong.
    DashboardHeader(
        AppState& app, DashboardModel& ui, QAction& runAll, QAction& addBackup, QWidget* parent = nullptr);
    void showSection(DashboardSection section);
    // Reads the subtitle's figures again.
    void refresh();

    QString title() const;
    QString subtitle() const;
    // The header's buttons that are shown, by title ("Run All", "Add Backup", …, "Support" for the help).
    QStringList shownButtons() const;

private:
    AppState& m_app;
    DashboardSection m_section = DashboardSection::overview;
    TextLabel* m_title;
    ElidedLabel* m_subtitle;
    MVButton* m_runAll;
    MVButton* m_exportCSV;
    MVButton* m_addBackup;
    IconButton* m_help;
};

} // namespace mv
