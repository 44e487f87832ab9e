#pragma once

#include <QWidget>

namespace mv {

class JobEditorModel;
class TextField;
class Prompts;
class SourceCard;
class SourceDropZone;

// "Name and source": the job's name, then the drop zone while there is no source, else the source's card.
class NameAndSourceSection : public QWidget {
    Q_OBJECT
public:
    NameAndSourceSection(JobEditorModel& model, Prompts& prompts, QWidget* parent = nullptr);

    // Shows the open panel; a chosen folder becomes the source.
    void chooseSource();
    // A drag hovers over the sheet, or no longer does.
    void setDropTarget(bool targeted);

    TextField* nameField() const { return m_name; }
    SourceDropZone* dropZone() const { return m_dropZone; }
    SourceCard* sourceCard() const { return m_card; }

private:
    void refresh();

    JobEditorModel& m_model;
    Prompts& m_prompts;
    TextField* m_name;
    SourceDropZone* m_dropZone;
    SourceCard* m_card;
};

} // namespace mv
