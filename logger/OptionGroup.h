#pragma once

#include <getopt.h>

#include <string>
#include <vector>

// A group of the logger's options beside its own (MQTT, the archive, ...), taken one by one
// from its getopt_long loop. Each group has its own range of option ids.
class TloggerOptionGroup {
public:
    virtual ~TloggerOptionGroup() = default;
    // The entries for getopt_long's table (without its terminating zero entry).
    virtual const std::vector<option>& longOptions() const = 0;
    // The lines of --help for these options.
    virtual const char* help() const = 0;
    virtual bool owns(int id) const = 0;
    // False, with a one-line error naming the option, for a value it cannot use.
    virtual bool take(int id, const char* value, std::string& error) = 0;
    // After the last option, when the logger is to run: checks that the options fit together
    // and fills the defaults.
    virtual bool finish(std::string& error) = 0;
};
