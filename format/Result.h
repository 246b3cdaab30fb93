#pragma once

#include <QString>

#include <utility>

// What an operation that can fail answers: its value, or the message that says why not.
// One type for every such operation of the core, so that callers test ok() and show
// error() alike everywhere.
template <typename T>
struct Result
{
    T value{};     // meaningful when ok()
    QString error; // empty on success

    bool ok() const { return error.isEmpty(); }

    static Result success(T value) { return Result{std::move(value), QString()}; }
    static Result failure(const QString& message)
    {
        return Result{T{}, message.isEmpty() ? QStringLiteral("failed") : message};
    }
};

template <>
struct Result<void>
{
    QString error; // empty on success

    bool ok() const { return error.isEmpty(); }

    static Result success() { return Result{}; }
    static Result failure(const QString& message)
    {
        return Result{message.isEmpty() ? QStringLiteral("failed") : message};
    }
};
