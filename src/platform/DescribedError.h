#pragma once

#include <QString>

#include <exception>

namespace mv {

// The base of every error this program throws: each carries the sentence shown to people, so one function
// can say what any caught error was.
class DescribedError : public std::exception {
public:
    // The text shown to people.
    virtual QString description() const = 0;
};

// What a person reads about a caught error: our errors' description, else the exception's own text, else a
// sentence saying that it is unknown.
QString describeError(std::exception_ptr error);

} // namespace mv
