#pragma once

#include "station/Reading.h"

#include <string>
#include <vector>

// A data file of this project read back: the desktop program's and the logger's, with their
// 31-line headers, their date and time in the writer's locale (month/day/year as in C and
// en_US, with or without AM/PM; day.month.year as in de_DE; day/month/year as in fr_FR;
// year/month/day as in ja_JP, with or without its kanji), read as local time.
struct TdataFileContents {
    std::vector<Treading> readings;     // measured samples, in the file's order
    std::vector<int> unreadable;        // line numbers (from 1) of lines that are no sample
    std::size_t withoutMeasurement = 0; // samples at the invalid markers
};

// The file's date order is taken from all its lines together: a day above 12 tells it, else
// the form its locale writes.
TdataFileContents readDataFileText(const std::string& text);
