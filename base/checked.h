// Checked 64-bit arithmetic in plain C++: each operation says whether the
// exact result fits, and the caller decides what an overflow means.
#pragma once

#include <cstdint>
#include <limits>

namespace kx {

// a + b into `out`; false (and `out` untouched) when it does not fit.
constexpr bool checkedAdd(std::int64_t a, std::int64_t b, std::int64_t& out) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();
    if ((b > 0 && a > most - b) || (b < 0 && a < least - b)) return false;
    out = a + b;
    return true;
}

// a * b into `out`; false (and `out` untouched) when it does not fit.
constexpr bool checkedMultiply(std::int64_t a, std::int64_t b, std::int64_t& out) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();
    if (a == 0 || b == 0) {
        out = 0;
        return true;
    }
    if ((a == -1 && b == least) || (b == -1 && a == least)) return false;
    if (a > 0 ? (b > 0 ? a > most / b : b < least / a) : (b > 0 ? a < least / b : a < most / b)) return false;
    out = a * b;
    return true;
}

}  // namespace kx
