#pragma once

#include "ui/settings/SettingsTabPage.h"

#include <QAction>
#include <QMenu>

#include <qcoro/qcorotask.h>

namespace mv {

struct ViewContext;
class IconButton;
class MVButton;
class TextField;
class Prompts;
class ProgressBarView;
class SettingsRow;
class TagChip;
class TextLabel;

// The Google OAuth client and account: import or remove the client, sign in and out, and the last sign-in
// error. The work is the account manager's; import results go to the banner, sign-in errors stay on the tab.
// A sign-in under way can be cancelled; when no browser could be opened for it, the tab shows the address
// of Google's page, selectable, for the person to open by hand.
class GoogleSettingsTab : public SettingsTabPage {
    Q_OBJECT
public:
    GoogleSettingsTab(ViewContext& context, Prompts& prompts, QWidget* parent = nullptr);

    void refresh();
    // Asks for a client file and imports it.
    void importGoogleClient();

    SettingsRow* clientRow() const { return m_clientRow; }
    SettingsRow* accountRow() const { return m_accountRow; }
    MVButton* importButton() const { return m_import; }
    IconButton* moreButton() const { return m_more; }
    QAction& removeClientAction() { return m_removeClient; }
    MVButton* signInButton() const { return m_signIn; }
    MVButton* signOutButton() const { return m_signOut; }
    MVButton* cancelSignInButton() const { return m_cancelSignIn; }
    TextLabel* errorLabel() const { return m_errorText; }
    TextField* signInAddressField() const { return m_address; }

private:
    QCoro::Task<> importFile(QString path);

    ViewContext& m_context;
    Prompts& m_prompts;
    QMenu m_menu;
    QAction m_removeClient;
    SettingsRow* m_clientRow;
    MVButton* m_import;
    IconButton* m_more;
    SettingsRow* m_accountRow;
    QWidget* m_waiting;
    MVButton* m_cancelSignIn;
    TagChip* m_connected;
    MVButton* m_signOut;
    MVButton* m_signIn;
    QWidget* m_explanation;
    QWidget* m_error;
    TextLabel* m_errorText;
    QWidget* m_addressLine;
    TextField* m_address;
};

} // namespace mv
