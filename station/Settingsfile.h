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

// The longest TS a settings file may give, in seconds: the longest wait the measurement timer
// holds (its milliseconds are a 32-bit count), about 24.8 days. A longer TS would not be kept,
// and one of 1e12 s would leave the display on its first sample for good.
constexpr double MaxFileInterval = 2147483;

// A value read from a file, brought into the range the settings dialog accepts where the
// program would otherwise stop being usable: N (code 1) into 1 to MaxFileSamples, TS (code 2)
// into 1 to MaxFileInterval, the local altitude (code 3) into the dialog's metres.
double settingsFileValue(int code, double value);

// Applies every key of an open stream, in stream order, through `access`.
void readSettingsStream(std::FILE* stream, TparameterAccess& access);

// Applies every key of the file, in file order, through `access`. A key without a value on its
// line has no effect. Only a regular file is read, and it is opened without waiting, so a FIFO
// or a device never holds the program. A missing file shows "Error : Unable to open input file
// <name>"; a file that is there but cannot be read (no permission, a directory, no regular file)
// shows "Error : Unable to read input file <name> (<reason>)". Both return false.
bool readSettingsFile(const std::string& fileName, TparameterAccess& access);

// The 17 lines of a settings file holding the current values.
std::string settingsText(TparameterAccess& access);

// Replaces the file with `text` through a temporary file in the same directory, so that a
// failed write leaves the old file as it was. On failure it shows "Error : Unable to open
// output file <name>" and returns false.
bool writeSettingsFile(const std::string& fileName, const std::string& text);

// The error box of a settings file that cannot be written.
void reportSettingsWriteError(const std::string& fileName);
