#pragma once

#include <QWidget>

namespace mv {

// The full-width hairline between the destination editor's header, scroll area and footer.
class DestinationHairline : public QWidget {
    Q_OBJECT
public:
    explicit DestinationHairline(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace mv
