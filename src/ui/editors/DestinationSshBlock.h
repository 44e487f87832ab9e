#pragma once

#include <QWidget>

#include <functional>

namespace mv {

class DestinationEditorModel;
class MVButton;
class TextField;
class TextLabel;

// The SSH server's fields (server, user, port, remote folder, key, passphrase with "Save Key") and the
// connection test row: "Test Connection", "Create Folder" after a failed test, and the outcome.
class DestinationSshBlock : public QWidget {
    Q_OBJECT
public:
    DestinationSshBlock(
        DestinationEditorModel& model, std::function<void()> chooseIdentity, QWidget* parent = nullptr);

    TextField* hostField() const { return m_host; }
    TextField* userField() const { return m_user; }
    TextField* portField() const { return m_port; }
    TextField* remoteFolderField() const { return m_path; }
    TextField* identityField() const { return m_identity; }
    TextField* passphraseField() const { return m_passphrase; }
    MVButton* chooseIdentityButton() const { return m_chooseIdentity; }
    MVButton* saveKeyButton() const { return m_saveKey; }
    MVButton* testButton() const { return m_test; }
    MVButton* createFolderButton() const { return m_createFolder; }
    TextLabel* testMessageLabel() const { return m_message; }
    void refresh();

private:
    QWidget* makeTestArea();
    void portEdited(const QString& text);

    DestinationEditorModel& m_model;
    TextField* m_host;
    TextField* m_user;
    TextField* m_port;
    TextField* m_path;
    TextField* m_identity;
    TextField* m_passphrase;
    MVButton* m_chooseIdentity;
    MVButton* m_saveKey;
    MVButton* m_test = nullptr;
    MVButton* m_createFolder = nullptr;
    TextLabel* m_message = nullptr;
};

} // namespace mv
