#pragma once

#include <QWidget>

class QPushButton;

namespace mv {

class ElidedLabel;
class MVButton;
class Prompts;
class RestoreSectionModel;
class TextLabel;

// Where restored items go: a two-part switch between the original location and another folder, the folder
// picked for the latter with "Choose…", and a line saying what the choice means.
class RestoreLocationControls : public QWidget {
    Q_OBJECT
public:
    RestoreLocationControls(RestoreSectionModel& model, Prompts& prompts, QWidget* parent = nullptr);
    void refresh();

    QPushButton* segment(int index) const { return index == 0 ? m_original : m_custom; }
    // The picked folder or "No folder chosen"; hidden for the original location.
    ElidedLabel* chosenFolder() const { return m_folder; }
    MVButton* chooseButton() const { return m_choose; }
    // The explanation as written, before it is shortened to two lines.
    QString explanation() const { return m_explanationText; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void chooseTarget();
    void fitExplanation();

    RestoreSectionModel& m_model;
    Prompts& m_prompts;
    QPushButton* m_original;
    QPushButton* m_custom;
    ElidedLabel* m_folder;
    MVButton* m_choose;
    TextLabel* m_explanation;
    QString m_explanationText;
};

} // namespace mv
