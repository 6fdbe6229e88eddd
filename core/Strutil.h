#pragma once

#include <cstdint>

// Lenient number readers for dialog fields and short-text copies. The readers store the value
// of what they have read in `out` (when given) also when they report failure.

// Returns true (failure) for a null text, a character it does not accept, or a value beyond the
// range of a double.
bool readDecimal(const char* text, double* out);
// count 0 reads the whole text; count n > 0 stops successfully after n characters.
bool readInteger(const char* text, std::int32_t* out, int count = 0);
// Copies source when it is shorter than size, else leaves destination empty; returns the length.
int copyBounded(char* destination, const char* source, int size);
