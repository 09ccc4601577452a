// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <utility>

// The outcome of an operation that can fail: a value, or a message for the user.
template <typename T> class Result {
public:
    static Result success(T value) { return Result(std::move(value), QString()); }
    static Result failure(QString message) { return Result(std::nullopt, std::move(message)); }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const & { return *value_; }
    T &&value() && { return std::move(*value_); }
    const QString &error() const { return error_; }

private:
    Result(std::optional<T> value, QString error)
        : value_(std::move(value))
        , error_(std::move(error)) {}
    std::optional<T> value_;
    QString error_;
};

// A result that carries no value.
struct Done {};
using Status = Result<Done>;
inline Status succeeded() {
    return Status::success(Done{});
}
