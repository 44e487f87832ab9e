#pragma once

#include <QWidget>

#include <functional>

namespace mv {

class DestinationEditorModel;
class DestinationPathBox;
class MVButton;
class TextLabel;

// Where a local or network destination's copies go: the chosen folder and "Choose…".
class DestinationFolderBlock : public QWidget {
    Q_OBJECT
public:
    DestinationFolderBlock(
        DestinationEditorModel& model, std::function<void()> chooseFolder, QWidget* parent = nullptr);

    DestinationPathBox* pathBox() const { return m_pathBox; }
    MVButton* chooseButton() const { return m_choose; }
    void refresh();

private:
    DestinationEditorModel& m_model;
    TextLabel* m_label;
    DestinationPathBox* m_pathBox;
    MVButton* m_choose;
};

} // namespace mv
