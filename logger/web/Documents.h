#pragma once

#include "logger/archive/HistorySource.h"
#include "logger/web/Query.h"
#include "logger/web/WebState.h"

#include <cstdint>
#include <string>
#include <vector>

// The JSON documents of the API. Values are in SI units (hPa, °C, m, % RH); times are calendar
// seconds; an absent value is null.

// The last reading with every value and product, its age, and the station's state.
std::string currentDocument(const TwebSnapshot& snapshot, const std::string& station,
                            std::int64_t now);
std::string stateDocument(const TwebSnapshot& snapshot, const std::string& station,
                          std::int64_t now);
// The buckets of a history request; a stretch without readings has no bucket.
std::string historyDocument(const ThistoryQuery& query, const std::vector<ThistoryBucket>& buckets);
// The records of today, this month, this year (local time) and all time.
std::string recordsDocument(const ThistorySource& source, std::int64_t now);
std::string errorDocument(int status, const std::string& message);

// The names the documents and the page use.
const char* quantityName(Tquantity quantity);
const char* weatherClassName(int weatherClass);
const char* trendName(int trend);
const char* tendencyWords(int characteristic);

// The local midnights that start today, this month and this year.
struct TrecordStarts {
    std::int64_t day, month, year;
};
TrecordStarts recordStarts(std::int64_t now);
