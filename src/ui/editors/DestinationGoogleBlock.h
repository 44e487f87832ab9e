#pragma once

#include <QWidget>

namespace mv {

class DestinationEditorModel;
class MVButton;
class TextField;
class SymbolImage;
class TagChip;
class TextLabel;

// The Google Drive destination's fields: the account row (or a warning while no OAuth client is
// configured), the folder name under Marrowvale, and a footnote on the app's limited access.
class DestinationGoogleBlock : public QWidget {
    Q_OBJECT
public:
    explicit DestinationGoogleBlock(DestinationEditorModel& model, QWidget* parent = nullptr);

    TextLabel* notConfiguredLabel() const { return m_notConfigured; }
    QWidget* accountRow() const { return m_accountRow; }
    SymbolImage* accountSymbol() const { return m_symbol; }
    TextLabel* accountLabel() const { return m_account; }
    TagChip* signedInChip() const { return m_chip; }
    MVButton* signInButton() const { return m_signIn; }
    TextField* folderField() const { return m_folder; }
    void refresh();

private:
    DestinationEditorModel& m_model;
    TextLabel* m_notConfigured;
    QWidget* m_accountRow;
    SymbolImage* m_symbol;
    TextLabel* m_account;
    TagChip* m_chip;
    MVButton* m_signIn;
    TextField* m_folder;
};

} // namespace mv
