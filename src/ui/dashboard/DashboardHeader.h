#pragma once

#include "ui/models/dashboard/DashboardSection.h"

#include <QWidget>

#include <functional>

class QAction;

namespace mv {

class DashboardModel;
class ElidedLabel;
class IconButton;
class MVButton;
class TextLabel;
struct ViewContext;

// The title row above a section: its title, a line about it, and the buttons that section offers ("Run
// All", "Export CSV", "Add Backup", and the Support button everywhere but on Support). The line about the
// section follows the figures it shows.
class DashboardHeader : public QWidget {
    Q_OBJECT
public:
    // "Run All" triggers the program's command; `addBackup` is the window's action (it carries the keyboard
    // shortcut). The buttons show only where they belong and are never disabled: a command with nothing to
    // run does nothing.
    DashboardHeader(ViewContext& context, DashboardModel& ui, QAction& addBackup, QWidget* parent = nullptr);
    void showSection(DashboardSection section);
    // Reads the subtitle's figures again.
    void refresh();

    QString title() const;
    QString subtitle() const;
    // The header's buttons that are shown, by title ("Run All", "Add Backup", …, "Support" for the help).
    QStringList shownButtons() const;

private:
    ViewContext& m_context;
    DashboardSection m_section = DashboardSection::overview;
    TextLabel* m_title;
    ElidedLabel* m_subtitle;
    MVButton* m_runAll;
    MVButton* m_exportCSV;
    MVButton* m_addBackup;
    IconButton* m_help;
};

} // namespace mv
