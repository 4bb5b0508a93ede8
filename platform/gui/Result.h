#pragma once

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace muralto::platform {

/// Why something did not work: one line that names what failed, for the user.
struct Failure {
    std::string reason;
};

/// What an operation hands back: its value when it worked, else the Failure. Result<> carries
/// no value and says only whether it worked; any Result converts to it, dropping the value.
template <typename T = std::monostate>
class [[nodiscard]] Result {
public:
    /// Whether this Result carries no value (Result<>).
    static constexpr bool kBare = std::is_same_v<T, std::monostate>;

    /// It worked (Result<> only).
    Result() requires kBare = default;
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}
    /// Whether other worked, without its value (Result<> only).
    template <typename U>
    Result(const Result<U>& other) requires(kBare && !Result<U>::kBare) {
        if (!other)
            state_ = Failure{other.error()};
    }

    explicit operator bool() const { return std::holds_alternative<T>(state_); }
    /// The value; only when it worked.
    const T& operator*() const { return std::get<T>(state_); }
    const T* operator->() const { return &std::get<T>(state_); }
    /// Why it did not work; empty when it did.
    const std::string& error() const {
        static const std::string none;
        const auto* failure = std::get_if<Failure>(&state_);
        return failure ? failure->reason : none;
    }

private:
    std::variant<T, Failure> state_;
};

}  // namespace muralto::platform
