#pragma once

#include <QWidget>

class QComboBox;
class QHBoxLayout;
class QLabel;

namespace mv {

class MVButton;
class Prompts;
class RestoreSectionModel;
class SymbolImage;
class TextLabel;

// The first card of the restore section: which job, which of its destinations and, for a versioned one,
// which snapshot to restore from, a note on what the mode keeps, and a button that shows the destination
// itself.
class BackupPickerCard : public QWidget {
    Q_OBJECT
public:
    BackupPickerCard(RestoreSectionModel& model, Prompts& prompts, QWidget* parent = nullptr);
    // Reads the model and the configuration again.
    void refresh();

    QComboBox* jobPicker() const { return m_jobs; }
    QComboBox* destinationPicker() const { return m_destinations; }
    QComboBox* snapshotPicker() const { return m_snapshots; }
    // "Reveal", "Open Drive" or hidden.
    MVButton* destinationButton() const { return m_destinationButton; }
    QString note() const;

private:
    void refreshJobs();
    void refreshDestinations();
    void refreshSnapshots();
    void refreshButton();
    void pressDestinationButton();

    RestoreSectionModel& m_model;
    Prompts& m_prompts;
    QComboBox* m_jobs;
    QComboBox* m_destinations;
    QComboBox* m_snapshots;
    QWidget* m_snapshotColumn;
    MVButton* m_destinationButton;
    SymbolImage* m_noteSymbol;
    TextLabel* m_note;
};

} // namespace mv
