#pragma once

#include <exception>
#include <optional>
#include <type_traits>
#include <variant>

#include <qcoro/qcorotask.h>

namespace mv::test {

// What a task ended with: its value, or the exception it threw.
template <typename T> struct TaskOutcome {
    std::optional<std::conditional_t<std::is_void_v<T>, std::monostate, T>> value; // set when it returned
    std::exception_ptr error; // set when it threw
};

namespace detail {

template <typename T> QCoro::Task<TaskOutcome<T>> capture(QCoro::Task<T> task)
{
    TaskOutcome<T> outcome;
    try {
        if constexpr (std::is_void_v<T>) {
            co_await task;
            outcome.value.emplace();
        } else
            outcome.value = co_await task;
    } catch (...) {
        outcome.error = std::current_exception();
    }
    co_return outcome;
}

} // namespace detail

// Runs the event loop until `task` ends. QCoro::waitFor never returns when the task throws; this catches the
// exception inside a coroutine of its own and hands it back.
template <typename T> TaskOutcome<T> waitForOutcome(QCoro::Task<T> task)
{
    return QCoro::waitFor(detail::capture(std::move(task)));
}

} // namespace mv::test
