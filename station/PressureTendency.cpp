#include "station/PressureTendency.h"

#include <array>
#include <cmath>

namespace {

enum class Tdirection { Falling, Steady, Rising };

Tdirection direction(double change) {
    if (change >= TpressureTendency::steadyHalf) return Tdirection::Rising;
    if (change <= -TpressureTendency::steadyHalf) return Tdirection::Falling;
    return Tdirection::Steady;
}

// The shape of a curve that ended higher: 0 ... 3. `first` and `second` are the halves' changes.
int higher(double first, double second) {
    const Tdirection a = direction(first), b = direction(second);
    if (a == Tdirection::Rising && b == Tdirection::Falling) return 0;
    if (a != Tdirection::Rising && b == Tdirection::Rising) return 3;
    if (a == Tdirection::Rising && b == Tdirection::Rising) {
        if (second < first / 2) return 1;
        return second > first * 2 ? 3 : 2;
    }
    if (a == Tdirection::Rising) return 1; // then steady
    return 2;                              // a slow, even rise
}

// The mirror image for a curve that ended lower: 5 ... 8 for 0 ... 3.
int lower(double first, double second) {
    return 5 + higher(-first, -second);
}

// Ended the same: up and down (0), down and up (5), or steady (4).
int same(double first, double second) {
    const Tdirection a = direction(first), b = direction(second);
    if (a == Tdirection::Rising && b == Tdirection::Falling) return 0;
    if (a == Tdirection::Falling && b == Tdirection::Rising) return 5;
    return 4;
}

} // namespace

TpressureTendency TpressureTendency::of(double start, double middle, double end) {
    TpressureTendency t;
    t.amount = std::round((end - start) * 10) / 10;
    const double first = middle - start, second = end - middle;
    if (t.amount > 0)
        t.characteristic = higher(first, second);
    else if (t.amount < 0)
        t.characteristic = lower(first, second);
    else
        t.characteristic = same(first, second);
    return t;
}

std::string TpressureTendency::words(double amount) {
    const double size = std::fabs(std::round(amount * 10) / 10);
    if (size < 0.1) return "steady";
    const std::string way = amount > 0 ? "rising" : "falling";
    if (size <= 1.5) return way + " slowly";
    if (size <= 3.5) return way;
    return way + (size <= 6.0 ? " quickly" : " very rapidly");
}

const char* TpressureTendency::characteristicWords(int characteristic) {
    constexpr std::array words{
        "increasing, then decreasing",
        "increasing, then steady or increasing more slowly",
        "increasing steadily or unsteadily",
        "decreasing or steady, then increasing, or increasing more rapidly",
        "steady",
        "decreasing, then increasing",
        "decreasing, then steady or decreasing more slowly",
        "decreasing steadily or unsteadily",
        "steady or increasing, then decreasing, or decreasing more rapidly",
    };
    return characteristic >= 0 && characteristic < int(words.size()) ? words[characteristic] : "";
}
