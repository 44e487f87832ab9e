#pragma once

#include <QWidget>

class QHBoxLayout;
class QListView;

namespace mv {

class BackupEntryDelegate;
class MVButton;
class Prompts;
class RestoreEntryListModel;
class RestoreLocationControls;
class RestoreSectionModel;
class SectionHeader;
class TextLabel;

// The card in which the person walks one backup: the selection's buttons, the path bar, the folder's items
// (or that it is being read, or that it is empty), where restored items go, and "Restore…".
class BackupBrowserCard : public QWidget {
    Q_OBJECT
public:
    BackupBrowserCard(RestoreSectionModel& model, Prompts& prompts, QWidget* parent = nullptr);
    // Reads the model again; a new listing resets the rows, a new selection only repaints the ticks.
    void refresh();
    void refreshEntries();
    void refreshSelection();

    SectionHeader* header() const { return m_header; }
    MVButton* clearButton() const { return m_clear; }
    MVButton* selectAllButton() const { return m_selectAll; }
    MVButton* restoreAllButton() const { return m_restoreAll; }
    MVButton* restoreButton() const { return m_restore; }
    QListView* list() const { return m_list; }
    RestoreEntryListModel* rows() const { return m_rows; }
    RestoreLocationControls* locationControls() const { return m_location; }
    // The path bar's names, and its buttons: the root, the parent, and name `index`.
    QStringList pathBarNames() const { return m_pathNames; }
    QWidget* pathBarButton(qsizetype index) const;
    QWidget* rootButton() const { return m_rootButton; }
    QWidget* parentButton() const { return m_parentButton; }
    // Where a click on row `row` lands: its chevron (a folder's open button) or its name.
    QPoint chevronCentre(int row) const;
    QPoint nameCentre(int row) const;
    // Which of "Reading folder…", the list and the empty note the body shows.
    QWidget* bodyShown() const;
    bool showsTruncationNote() const;
    QString selectionSummary() const;

private:
    void refreshPathBar();
    void refreshBody();
    void refreshBottomBar();

    RestoreSectionModel& m_model;
    SectionHeader* m_header;
    MVButton* m_clear;
    MVButton* m_selectAll;
    MVButton* m_restoreAll;
    QHBoxLayout* m_pathBar;
    QWidget* m_rootButton;
    QWidget* m_parentButton;
    QList<QWidget*> m_pathWidgets; // separators and names
    QList<QWidget*> m_pathButtons;
    QStringList m_pathNames;
    QWidget* m_loading;
    QListView* m_list;
    QWidget* m_empty;
    RestoreEntryListModel* m_rows;
    BackupEntryDelegate* m_delegate;
    TextLabel* m_truncated;
    RestoreLocationControls* m_location;
    QWidget* m_scanning;
    TextLabel* m_summary;
    MVButton* m_restore;
};

} // namespace mv
