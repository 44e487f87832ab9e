#pragma once

#include <QWidget>

namespace mv {

class ElidedLabel;
class IconButton;
class SmallSpinner;
struct ViewContext;

// The panel's top row: the mark, the product name with a spinner while a mirror run is being checked, the
// overall status as a coloured headline whose tooltip says what to do, and the settings button. It follows
// the overall status and the check by itself.
class PanelHeader : public QWidget {
    Q_OBJECT
public:
    explicit PanelHeader(ViewContext& context, QWidget* parent = nullptr);

    // Reads the overall status and the checking flag again.
    void refresh();

    ElidedLabel* headline() const { return m_headline; }
    SmallSpinner* spinner() const { return m_spinner; }
    IconButton* settingsButton() const { return m_settings; }

private:
    ViewContext& m_context;
    SmallSpinner* m_spinner;
    ElidedLabel* m_headline;
    IconButton* m_settings;
};

} // namespace mv
