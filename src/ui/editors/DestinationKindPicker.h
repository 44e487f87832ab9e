#pragma once

#include <QWidget>

class QButtonGroup;
class QPushButton;

namespace mv {

class DestinationEditorModel;
class TextLabel;

// "Type", a segmented choice of the four kinds, and the chosen kind's help line (the sheet's kindPicker).
class DestinationKindPicker : public QWidget {
    Q_OBJECT
public:
    explicit DestinationKindPicker(DestinationEditorModel& model, QWidget* parent = nullptr);

    // The segment of each kind, in the kinds' order.
    QList<QPushButton*> segments() const;
    void refresh();

private:
    DestinationEditorModel& m_model;
    QButtonGroup* m_group;
    TextLabel* m_help;
};

} // namespace mv
