#pragma once

#include <string>

// `value` with `decimals` digits after a point, as "%.<decimals>f" writes it in the C locale,
// whatever the user's locale.
std::string formatFixed(double value, int decimals);

// `value` truncated toward zero to an integer; values beyond the integer range stop at its ends
// and NaN gives 0.
int truncateToInt(double value);
