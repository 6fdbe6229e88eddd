#pragma once

// Where log lines go: the debug window implements it; tests may install their own.
class TdebugSink {
public:
    virtual ~TdebugSink() = default;
    virtual void appendLine(const char* line) = 0;
};

// The sink in use; null (lines are discarded) until the debug window exists.
TdebugSink* debugSink();
void setDebugSink(TdebugSink* sink);

// A small printf-like formatter: one call, one log line. Conversions: %% %c %s %d %i %u %x %X
// %e %E %f %g %G; integers are 32-bit, the width of %s is ignored. A null format logs nothing.
void debugPrint(const char* format, ...);
// An object's address as the decimal number the log lines print with "%d".
int logNumber(const void* object);
// The same formatting, returned as text (for the log and for tests).
void debugFormat(char* out, int size, const char* format, ...);
