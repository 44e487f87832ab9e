#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <set>

namespace mv {

// The closed enumerations every subsystem talks in. Their raw strings are stored in config.json and in the
// run history, so each case's name below is part of both formats.

enum class BackupMode { incremental, mirror, versioned };
enum class DestinationKind { local, network, ssh, googleDrive };
enum class ScheduleKind { manual, everyFifteenMinutes, hourly, daily, weekly, custom, onMount };
enum class RunTrigger { manual, schedule, onMount, retry, restore };
enum class RunPhase { queued, preparing, running, paused, cancelling, waiting, completed, failed, cancelled };
enum class RunResult { running, success, failed, cancelled, interrupted, missed, skipped };
enum class BuiltInExclusion { finderMetadata, git, nodeModules, temporaryFiles, trash, caches };
enum class AppearancePreference { system, light, dark };

template <typename E> struct EnumNames;

// The model's enumerations, and nothing else: keeps toString below out of overload sets for other types
// found by argument lookup (Qt Test's toString among them).
template <typename E>
concept ModelEnum = requires
{
    EnumNames<E>::names;
};

#define MV_ENUM_NAMES(Type, ...)                                                                             \
    template <> struct EnumNames<Type> {                                                                     \
        static constexpr std::array names { __VA_ARGS__ };                                                   \
    };

MV_ENUM_NAMES(BackupMode, "incremental", "mirror", "versioned")
MV_ENUM_NAMES(DestinationKind, "local", "network", "ssh", "googleDrive")
MV_ENUM_NAMES(ScheduleKind, "manual", "everyFifteenMinutes", "hourly", "daily", "weekly", "custom", "onMount")
MV_ENUM_NAMES(RunTrigger, "manual", "schedule", "onMount", "retry", "restore")
MV_ENUM_NAMES(RunPhase, "queued", "preparing", "running", "paused", "cancelling", "waiting", "completed",
    "failed", "cancelled")
MV_ENUM_NAMES(RunResult, "running", "success", "failed", "cancelled", "interrupted", "missed", "skipped")
MV_ENUM_NAMES(BuiltInExclusion, "finderMetadata", "git", "nodeModules", "temporaryFiles", "trash", "caches")
MV_ENUM_NAMES(AppearancePreference, "system", "light", "dark")

#undef MV_ENUM_NAMES

// The raw string of a case: its name.
template <ModelEnum E> QString toString(E value)
{
    return QString::fromLatin1(EnumNames<E>::names[static_cast<std::size_t>(value)]);
}

// The case whose raw string equals `text` exactly (case-sensitive), or none.
template <ModelEnum E> std::optional<E> enumFromString(QStringView text)
{
    const auto& names = EnumNames<E>::names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (text == QLatin1String(names[i]))
            return static_cast<E>(i);
    }
    return std::nullopt;
}

// Every case in declaration order.
template <ModelEnum E> constexpr auto allCases()
{
    std::array<E, EnumNames<E>::names.size()> cases {};
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i] = static_cast<E>(i);
    return cases;
}

// The rsync-style pattern a built-in exclusion stands for.
QString pattern(BuiltInExclusion exclusion);

// A set of built-in exclusions iterates in declaration order, so the patterns derived from it are stable.
using BuiltInExclusionSet = std::set<BuiltInExclusion>;

// The exclusions a new job starts with: the first four cases.
BuiltInExclusionSet defaultBuiltInExclusions();

} // namespace mv
