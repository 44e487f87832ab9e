#pragma once

#include <QWidget>

#include <functional>

namespace mv {

class DestinationEditorModel;
class DestinationFolderBlock;
class DestinationGoogleBlock;
class DestinationSshBlock;
class TextField;

// The destination's name and the block of the chosen kind: folder, SSH server or Google Drive (the sheet's
// nameAndPath). The hidden blocks keep nothing of their own: the values live in the editing state.
class DestinationLocationSection : public QWidget {
    Q_OBJECT
public:
    DestinationLocationSection(DestinationEditorModel& model, std::function<void()> chooseFolder,
        std::function<void()> chooseIdentity, QWidget* parent = nullptr);

    TextField* nameField() const { return m_name; }
    DestinationFolderBlock* folderBlock() const { return m_folder; }
    DestinationSshBlock* sshBlock() const { return m_ssh; }
    DestinationGoogleBlock* googleBlock() const { return m_google; }
    void refresh();

private:
    DestinationEditorModel& m_model;
    TextField* m_name;
    DestinationFolderBlock* m_folder;
    DestinationSshBlock* m_ssh;
    DestinationGoogleBlock* m_google;
};

} // namespace mv
