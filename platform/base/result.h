#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace base {

/// Why an expected local failure happened: a code the caller may test, the text for the
/// user and, for parsers, the 1-based line and column (0 when not applicable).
struct Error {
    int code = 0;
    QString text;
    int line = 0;
    int column = 0;
};

/// A value or the reason it could not be made. Used for parsing and other failures that
/// are part of normal operation; engine failures travel as exceptions instead.
template <typename T>
class Result {
public:
    Result(T value) : m_data(std::move(value)) {}  // NOLINT: implicit by design
    Result(Error error) : m_data(std::move(error)) {}  // NOLINT: implicit by design

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(m_data); }
    T& value() & { return std::get<T>(m_data); }
    T&& value() && { return std::get<T>(std::move(m_data)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    T value_or(T fallback) const { return ok() ? value() : std::move(fallback); }

    const Error& error() const { return std::get<Error>(m_data); }

private:
    std::variant<T, Error> m_data;
};

/// Result of an operation that yields nothing but may fail with a reason.
template <>
class Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}  // NOLINT: implicit by design

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

inline Error MakeError(int code, QString text, int line = 0, int column = 0) {
    return Error{code, std::move(text), line, column};
}

}  // namespace base
