#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tarvik::board {

// A value or the reason there is none. Board files come from outside the program (a person may
// edit the profile, a crash may cut a file), so every reader returns one of these.
template <class T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    static Result failure(std::string message) { return Result(Error{std::move(message)}); }

    explicit operator bool() const { return v_.index() == 0; }
    T& operator*() { return std::get<0>(v_); }
    T* operator->() { return &std::get<0>(v_); }
    const std::string& error() const { return std::get<1>(v_).message; }

private:
    struct Error {
        std::string message;
    };
    explicit Result(Error e) : v_(std::move(e)) {}
    std::variant<T, Error> v_;
};

struct Done {};
using Status = Result<Done>;
inline Status ok() { return Done{}; }

} // namespace tarvik::board
