#include "logger/archive/ArchiveWriter.h"

TarchiveWriter::TarchiveWriter(const std::string& path, int keepRawDays,
                               std::function<void(const std::string&)> sayLine)
    : say(std::move(sayLine)),
      archive(std::make_unique<Tarchive>(path, keepRawDays,
                                         [this](const std::string& line) {
                                             const std::lock_guard lock(mutex);
                                             lines.push_back(line);
                                         })),
      thread([this] { run(); }) {}

TarchiveWriter::~TarchiveWriter() {
    {
        const std::lock_guard lock(mutex);
        ending = true;
    }
    wake.notify_one();
    thread.join();
    archive.reset();
    sayLines();
}

void TarchiveWriter::reading(const Treading& reading) {
    if (reading.measured() && !failed) {
        const std::lock_guard lock(mutex);
        pending.push_back(reading);
    }
    wake.notify_one();
    sayLines();
}

void TarchiveWriter::flush() {
    {
        std::unique_lock lock(mutex);
        idle.wait(lock, [this] { return pending.empty() && !writing; });
    }
    sayLines();
}

void TarchiveWriter::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return ending || !pending.empty(); });
        if (pending.empty()) return;
        batch.swap(pending);
        writing = true;
        lock.unlock();
        archive->readings(batch);
        batch.clear();
        lock.lock();
        writing = false;
        if (archive->stopped()) {
            failed = true;
            pending.clear();
        }
        idle.notify_all();
    }
}

void TarchiveWriter::sayLines() {
    std::vector<std::string> said;
    {
        const std::lock_guard lock(mutex);
        if (lines.empty()) return;
        said.swap(lines);
    }
    for (const std::string& line : said)
        say(line);
}
