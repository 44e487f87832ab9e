#pragma once

#include "model/PaletteRole.h"

#include <QString>

#include <optional>

namespace mv {

// What a row shows of a destination or a job: a short word, its colour and symbol, whether work is under
// way (rows animate it) and an optional second line.
struct DestinationDisplayStatus {
    QString text;
    PaletteRole color = PaletteRole::idle;
    QString symbol;
    bool pulsing = false;
    std::optional<QString> detail;

    bool operator==(const DestinationDisplayStatus&) const = default;
};

} // namespace mv
