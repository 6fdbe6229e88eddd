#pragma once

#include <cstdio>
#include <string>

class TparameterAccess;

// The settings file: one "key<tab>value" per line, applied and collected through the parameter
// codes of the main window.

// The parameter code of a settings key (exact, case-sensitive); 0 for a word that is no key.
int settingsKeyCode(const char* key);

// The number at the start of `text`: leading blanks, a sign, digits with a decimal point and an
// exponent, read up to the first character that does not fit; 0.0 when there is no number.
double readSettingsNumber(const char* text);

// The most conversions per sample a settings file may ask for. The measurement is not cut short
// for a new setting or a new search, so an N of millions would hold the program in one sample
// for days; a thousand conversions take about a minute, or some seventeen minutes when the
// module has stopped answering and every conversion waits out its time-out.
constexpr double MaxFileSamples = 1000;

// A value read from a file, brought into the range the settings dialog accepts where the
// program would otherwise stop being usable: N (code 1) into 1 to MaxFileSamples.
double settingsFileValue(int code, double value);

// Applies every key of an open stream, in stream order, through `access`.
void readSettingsStream(std::FILE* stream, TparameterAccess& access);

// Applies every key of the file, in file order, through `access`. A key without a value on its
// line has no effect. Only a regular file is read, and it is opened without waiting, so a FIFO
// or a device never holds the program. When the file cannot be opened, or is no regular
// file, it shows "Error : Unable to open input file <name>" and returns false.
bool readSettingsFile(const std::string& fileName, TparameterAccess& access);

// The 17 lines of a settings file holding the current values.
std::string settingsText(TparameterAccess& access);

// Replaces the file with `text` through a temporary file in the same directory, so that a
// failed write leaves the old file as it was. On failure it shows "Error : Unable to open
// output file <name>" and returns false.
bool writeSettingsFile(const std::string& fileName, const std::string& text);

// The error box of a settings file that cannot be written.
void reportSettingsWriteError(const std::string& fileName);
