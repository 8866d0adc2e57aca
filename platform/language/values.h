// The value types the game logic is written in, with the old runtime's checks:
// 16-bit integers whose every sum and product is checked, and floating point
// conversions that raise a run-time error instead of wrapping or invoking
// undefined behaviour.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

namespace platform {

// Run-time error numbers the game can meet.
enum class ErrorNumber : int {
    OutOfMemory = 7,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    InternalError = 51,  // a fault of the runtime's own, not of the game
};

// A run-time error: no handler traps one; the dispatcher reports it and ends
// the program.
class RuntimeError {
public:
    explicit RuntimeError(ErrorNumber number);
    int Number() const { return static_cast<int>(number_); }
    std::string Description() const;

private:
    ErrorNumber number_;
};

[[noreturn]] void Raise(ErrorNumber number);

using Single = float;
using Double = double;

// A 16-bit signed integer. An overflowing result raises error 6 and so is
// never stored.
class Integer {
public:
    constexpr Integer() = default;
    // Implicit, so that literals read as they would in the handlers; a value
    // that does not fit raises error 6.
    constexpr Integer(int value) : value_(Checked(value)) {}

    constexpr std::int16_t Value() const { return value_; }
    constexpr explicit operator Single() const { return value_; }  // exact
    constexpr explicit operator Double() const { return value_; }  // exact

    friend constexpr Integer operator+(Integer a, Integer b) { return Integer(int{a.value_} + int{b.value_}); }
    friend constexpr Integer operator-(Integer a, Integer b) { return Integer(int{a.value_} - int{b.value_}); }
    friend constexpr Integer operator*(Integer a, Integer b) { return Integer(int{a.value_} * int{b.value_}); }
    constexpr Integer operator-() const { return Integer(-int{value_}); }
    // Bitwise complement, -v - 1: it cannot overflow.
    friend constexpr Integer Not(Integer a) { return Integer(~int{a.value_}); }

    friend constexpr bool operator==(Integer, Integer) = default;
    friend constexpr auto operator<=>(Integer, Integer) = default;

private:
    static constexpr std::int16_t Checked(int value)
    {
        if (value < INT16_MIN || value > INT16_MAX) {
            Raise(ErrorNumber::Overflow);
        }
        return static_cast<std::int16_t>(value);
    }

    std::int16_t value_ = 0;
};

// A fixed array indexed from 0 whose every access is bounds-checked: an index
// outside raises error 9.
template <class T, std::size_t N>
class Array {
public:
    T& operator()(Integer index) { return items_[Checked(index)]; }
    const T& operator()(Integer index) const { return items_[Checked(index)]; }
    static constexpr std::size_t Size() { return N; }

private:
    static std::size_t Checked(Integer index)
    {
        if (index.Value() < 0 || static_cast<std::size_t>(index.Value()) >= N) {
            Raise(ErrorNumber::SubscriptOutOfRange);
        }
        return static_cast<std::size_t>(index.Value());
    }

    std::array<T, N> items_{};
};

inline std::ostream& operator<<(std::ostream& out, Integer value) { return out << value.Value(); }

// Decimal text of an integer: digits, "-" first if negative, no blank.
std::string Str(Integer value);

// A formula's 64-bit result rounded to 32 bits, as it is stored into a
// property or compared; a value outside the 32-bit range, an infinity or a NaN
// raises error 6.
Single CSng(Double value);

// Conversion to a 32-bit integer, as for a BitBlt coordinate: round to
// nearest, ties to even. Out of range or NaN raises error 6.
std::int32_t CLng(Double value);

// Conversion to a 16-bit integer, round to nearest, ties to even.
Integer CInt(Double value);

// Whole part toward minus infinity, as the speeds are drawn.
Double Int(Double value);

}  // namespace platform
