#include "logger/archive/ArchiveImport.h"

#include "logger/archive/DataFileText.h"
#include "logger/archive/Progress.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

constexpr std::size_t Batch = 20'000; // readings a transaction

bool readWholeFile(const std::string& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return !in.bad();
}

// The readings in transactions of a batch each; how many were new.
std::size_t addAll(Tarchive& archive, std::span<const Treading> all, const std::string& file) {
    Tprogress progress(file, std::int64_t(all.size()));
    std::size_t added = 0;
    for (std::size_t at = 0; at < all.size(); at += Batch) {
        const std::span<const Treading> part = all.subspan(at, std::min(Batch, all.size() - at));
        added += archive.add(part);
        progress.advance(std::int64_t(at + part.size()));
    }
    return added;
}

} // namespace

TimportResult importDataFile(Tarchive& archive, const std::string& file,
                             const std::function<void(const std::string&)>& say) {
    TimportResult result;
    std::string text;
    if (!readWholeFile(file, text)) {
        say(file + ": cannot read: " + std::strerror(errno));
        return result;
    }
    const TdataFileContents contents = readDataFileText(text);
    result.unreadable = contents.unreadable;
    result.withoutMeasurement = contents.withoutMeasurement;
    for (int line : contents.unreadable)
        say(file + ":" + std::to_string(line) + ": not a sample line");
    try {
        result.added = addAll(archive, contents.readings, file);
    } catch (const TsqliteError& e) {
        say(file + ": cannot write the archive " + archive.path() + ": " + e.what());
        return result;
    }
    result.already = contents.readings.size() - result.added;
    result.read = true;
    return result;
}

std::string importSummary(const std::vector<TimportResult>& results) {
    std::size_t read = 0, added = 0, already = 0, without = 0, unreadable = 0;
    for (const TimportResult& r : results) {
        read += r.read ? 1 : 0;
        added += r.added;
        already += r.already;
        without += r.withoutMeasurement;
        unreadable += r.unreadable.size();
    }
    return "imported " + std::to_string(read) + " of " + std::to_string(results.size()) +
           " files: " + std::to_string(added) + " readings added, " + std::to_string(already) +
           " in the archive already, " + std::to_string(without) + " without a measurement, " +
           std::to_string(unreadable) + " lines unreadable";
}
