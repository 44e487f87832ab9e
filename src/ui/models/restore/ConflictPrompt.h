#pragma once

#include "engine/RestoreRequest.h"

#include <QStringList>
#include <QUuid>

namespace mv {

// One pending question about files a restore would write over: the restore that would start and the names
// the check found, in its order. Each prompt has a fresh id, so a new prompt is always a new sheet.
struct ConflictPrompt {
    QUuid id;
    RestoreRequest request;
    QStringList conflicts;
};

// What the person answers in the conflict sheet.
enum class ConflictAnswer { cancel, keepExisting, replace };

} // namespace mv
