#pragma once

#include "logger/archive/ArchiveOptions.h"
#include "station/PressureUnits.h"

#include <cstdio>
#include <functional>
#include <string>

// Runs --import or --export on the archive of these options (beside `dataFile` unless
// --archive names it) instead of measuring, the export in `units`; the exit status: 0 done, 1 a
// file or the archive could not be read or written. Lines go to `say`, the export to `out`.
int runArchiveCommand(const TarchiveOptions& options, const TunitChoice& units,
                      const std::string& dataFile,
                      const std::function<void(const std::string&)>& say, std::FILE* out);
