#include "logger/archive/ArchiveCommand.h"

#include "logger/archive/ArchiveExport.h"
#include "logger/archive/ArchiveImport.h"

namespace {

const char* const LevelNames[] = {"raw", "minute", "hour", "day"};

int runImport(const TarchiveOptions& options, const std::string& path,
              const std::function<void(const std::string&)>& say) {
    Tarchive archive(path, options.keepRawDays(), say);
    std::vector<TimportResult> results;
    for (const std::string& file : options.importFiles())
        results.push_back(importDataFile(archive, file, say));
    say(importSummary(results));
    for (const TimportResult& r : results)
        if (!r.read) return 1;
    return 0;
}

int runExport(const TarchiveOptions& options, const TunitChoice& units, const std::string& path,
              const std::function<void(const std::string&)>& say, std::FILE* out) {
    const TexportRequest request{options.from(), options.to(), options.level(),
                                 options.format() == TarchiveOptions::Tformat::Jsonl, units};
    const std::int64_t rows = exportArchive(path, request, out);
    if (std::fflush(out) != 0 || std::ferror(out)) {
        say("export: cannot write the output");
        return 1;
    }
    say("exported " + std::to_string(rows) + " " + LevelNames[request.level] + " rows from " +
        path);
    return 0;
}

} // namespace

int runArchiveCommand(const TarchiveOptions& options, const TunitChoice& units,
                      const std::string& dataFile,
                      const std::function<void(const std::string&)>& say, std::FILE* out) {
    const std::string path = options.path(dataFile);
    if (path.empty()) {
        say("no archive beside " + dataFile + ", not a file: --archive FILE names one");
        return 1;
    }
    try {
        if (options.command() == TarchiveOptions::Tcommand::Import)
            return runImport(options, path, say);
        return runExport(options, units, path, say, out);
    } catch (const TarchiveRefused& e) {
        say(std::string("cannot open the archive ") + e.what());
    } catch (const TsqliteError& e) {
        say("archive " + path + ": " + e.what());
    }
    return 1;
}
