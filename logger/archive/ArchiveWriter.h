#pragma once

#include "logger/archive/Archive.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The archive as the logger keeps it: the station hands each reading over under a short lock and
// goes on, and a thread of the archive commits them in their order, each synced to the disk, so
// that a sync that takes long on a busy disk never holds measuring up. A reading is committed as
// soon as the disk allows, well before the next one at any sampling time; readings that arrive
// while a commit waits are committed together after it.
// A write that fails stops the archive alone; its one line is said on the thread that hands the
// readings over (at the next reading, a flush or the end), never on the archive's own.
class TarchiveWriter : public TreadingSink {
public:
    // Opens the archive as Tarchive does (and throws as it does) and starts the thread.
    TarchiveWriter(const std::string& path, int keepRawDays,
                   std::function<void(const std::string&)> say);
    // Commits every reading handed over, then the summaries, and ends the thread.
    ~TarchiveWriter() override;
    TarchiveWriter(const TarchiveWriter&) = delete;
    TarchiveWriter& operator=(const TarchiveWriter&) = delete;

    void reading(const Treading& reading) override;
    // Waits until every reading handed over is committed (or the archive has stopped).
    void flush();
    bool stopped() const { return failed; }

private:
    void run();
    void sayLines();

    std::function<void(const std::string&)> say;
    std::mutex mutex;
    std::condition_variable wake, idle;
    std::vector<Treading> pending, batch;
    std::vector<std::string> lines; // the archive's, to be said by the thread handing over
    bool writing = false;
    bool ending = false;
    std::atomic<bool> failed = false;
    std::unique_ptr<Tarchive> archive;
    std::thread thread;
};
