#pragma once

#include "logger/archive/HistorySource.h"
#include "station/PressureUnits.h"
#include "station/Reading.h"

#include <array>
#include <optional>
#include <string>

// Each quantity of a reading in the archive's order, absent where the reading has none.
using Tvalues = std::array<std::optional<double>, QuantityCount>;
Tvalues valuesOf(const Treading& reading);

// The quantities' names, as the archive's columns and the export's fields begin.
const std::array<const char*, QuantityCount>& quantityNames();
// The unit of a quantity in the units chosen, as the export writes it in a column name: "hPa",
// "inHg", "m", "ft", "degC", "degF", "%RH"; and a value (in hPa, m, °C, % RH) in that unit.
std::string quantityUnit(int quantity, const TunitChoice& units = {});
double inUnit(int quantity, double value, const TunitChoice& units);

// One value at its time joins a summary; an absent summary begins with it.
void addValue(std::optional<Tsummary>& summary, double value, std::int64_t time);
// A summary of another stretch joins one: counts add, means weigh by them, the extremes keep
// the earlier time on a tie.
void mergeSummary(std::optional<Tsummary>& summary, const Tsummary& part);
void mergeSummaries(Tsummaries& into, const Tsummaries& part);
