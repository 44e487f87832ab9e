#pragma once

#include "model/TransferOptions.h"

#include <QList>
#include <QWidget>

#include <utility>

class QComboBox;

namespace mv {

class JobEditorModel;
class ToggleSwitch;

// "Transfer options": the bandwidth limit and four switches, one settings row each.
class TransferOptionsSection : public QWidget {
    Q_OBJECT
public:
    explicit TransferOptionsSection(JobEditorModel& model, QWidget* parent = nullptr);

    QComboBox* bandwidthPicker() const { return m_bandwidth; }
    // The switch of `option` (a bool member of TransferOptions).
    ToggleSwitch* optionSwitch(bool TransferOptions::*option) const;

private:
    void refresh();

    JobEditorModel& m_model;
    QComboBox* m_bandwidth;
    QList<std::pair<bool TransferOptions::*, ToggleSwitch*>> m_switches;
};

} // namespace mv
