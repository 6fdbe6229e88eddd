#pragma once

#include "logger/OptionGroup.h"

#include <string>
#include <vector>

// The logger's archive options: --archive FILE, --no-archive, --keep-raw DAYS.
class TarchiveOptions : public TloggerOptionGroup {
public:
    enum : int { optArchive = 0x2000, optNoArchive, optKeepRaw };

    const std::vector<option>& longOptions() const override;
    const char* help() const override;
    bool owns(int id) const override { return id >= optArchive && id <= optKeepRaw; }
    bool take(int id, const char* value, std::string& error) override;
    bool finish(std::string& error) override;

    bool enabled() const { return on; }
    // The archive's file: the one given, or the data file's name with ".sqlite" for its
    // extension (samples.dat: samples.sqlite), in its directory.
    std::string path(const std::string& dataFile) const;
    int keepRawDays() const { return keepDays; }

private:
    bool on = true;
    std::string file;
    int keepDays = 31;
};
