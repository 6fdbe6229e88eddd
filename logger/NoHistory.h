#pragma once

#include "station/ReadingHistory.h"

// The past of a logger that keeps none: the station's pressure products then start from the
// readings it sees (the 3-hour tendency after 3 hours).
class TnoHistory : public TreadingHistory {
public:
    std::vector<TpastMinute> minutes(std::int64_t, std::int64_t) const override { return {}; }
};
