#pragma once

#include "charts/DataLog.h"
#include "station/Reading.h"

#include <functional>

// The data file as an output of the station: one line per reading while the log is open. The
// desktop program writes every reading, the values the module did not give at their markers;
// the logger writes measured readings only.
class TdataFileSink : public TreadingSink {
public:
    enum class Lines { Every, Measured };

    // `wrote` hears of every line while logging: whether it was written; when not, logging
    // has ended.
    TdataFileSink(TdataLog& log, Lines which, std::function<void(bool written)> wrote = {})
        : log(log), which(which), wrote(std::move(wrote)) {}

    void reading(const Treading& reading) override;

    // The line's values, with the file's markers where the reading has none.
    static TlogSample logSampleOf(const Treading& reading);

private:
    TdataLog& log;
    Lines which;
    std::function<void(bool written)> wrote;
};
