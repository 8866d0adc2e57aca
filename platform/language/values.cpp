#include "platform/language/values.h"

#include <cmath>
#include <limits>

namespace platform {

RuntimeError::RuntimeError(ErrorNumber number) : number_(number) {}

std::string RuntimeError::Description() const
{
    switch (number_) {
    case ErrorNumber::Overflow:
        return "Overflow";
    case ErrorNumber::OutOfMemory:
        return "Out of memory";
    case ErrorNumber::SubscriptOutOfRange:
        return "Subscript out of range";
    case ErrorNumber::InternalError:
        return "Internal error";
    }
    return "Application-defined or object-defined error";
}

void Raise(ErrorNumber number) { throw RuntimeError(number); }

std::string Str(Integer value) { return std::to_string(value.Value()); }

Single CSng(Double value)
{
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<Single>::max()) {
        // Converting an out-of-range double to float is undefined behaviour:
        // check first, as the old runtime did.
        Raise(ErrorNumber::Overflow);
    }
    return static_cast<Single>(value);
}

namespace {

// Round half to even without depending on the current rounding mode.
Double RoundHalfEven(Double value)
{
    const Double floor = std::floor(value);
    const Double diff = value - floor;
    if (diff > 0.5) {
        return floor + 1;
    }
    if (diff < 0.5) {
        return floor;
    }
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
}

}  // namespace

std::int32_t CLng(Double value)
{
    if (!std::isfinite(value)) {
        Raise(ErrorNumber::Overflow);
    }
    const Double rounded = RoundHalfEven(value);
    if (rounded < static_cast<Double>(INT32_MIN) || rounded > static_cast<Double>(INT32_MAX)) {
        Raise(ErrorNumber::Overflow);
    }
    return static_cast<std::int32_t>(rounded);
}

Integer CInt(Double value)
{
    if (!std::isfinite(value)) {
        Raise(ErrorNumber::Overflow);
    }
    const Double rounded = RoundHalfEven(value);
    if (rounded < INT16_MIN || rounded > INT16_MAX) {
        Raise(ErrorNumber::Overflow);
    }
    return Integer(static_cast<int>(rounded));
}

Double Int(Double value)
{
    if (!std::isfinite(value)) {
        Raise(ErrorNumber::Overflow);
    }
    return std::floor(value);
}

}  // namespace platform
