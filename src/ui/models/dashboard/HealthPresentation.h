#pragma once

#include "model/AggregateStatus.h"
#include "model/PaletteRole.h"

#include <QList>
#include <QString>

namespace mv {

// How the overview's health card shows the overall status: badge colour and symbol, title, hint, and whether
// the symbol pulses.
struct HealthAppearance {
    PaletteRole color = PaletteRole::idle;
    QString symbol;
    QString title;
    QString hint;
    bool pulsing = false;

    bool operator==(const HealthAppearance&) const = default;
};
HealthAppearance healthAppearance(const AggregateStatus& status);

// One short coloured line under the health card's hint.
struct HealthFact {
    QString text;
    PaletteRole color = PaletteRole::labelSecondary;

    bool operator==(const HealthFact&) const = default;
};
// "1 active job", "3 destinations" and, only with failed runs in the history, "2 failed runs".
QList<HealthFact> healthFacts(int enabledJobs, int destinations, qint64 failedRuns);

} // namespace mv
