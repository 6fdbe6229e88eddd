#pragma once

#include "logger/web/WebState.h"

#include <cstdint>
#include <string>

// The station in the text exposition format that metrics scrapers read: each quantity a gauge
// labelled with the station's name, an absent value left out, the age of the last reading and
// whether the module is present.
std::string metricsText(const TwebSnapshot& snapshot, const std::string& station, std::int64_t now);

// A label value with its backslashes, double quotes and line feeds escaped.
std::string metricLabelValue(const std::string& text);
