#pragma once

#include "core/Eventresource.h"
#include "core/Sequence.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The command run at each change of the storm alarm: started with posix_spawnp (no shell), with
// the logger's environment plus the alarm's variables; reaped by a timer on the loop, so the
// measuring never waits for it. Never two at once: a change while the command still runs waits,
// and only the newest waiting change is kept (the state it tells is the one in force). A command
// that cannot be started, ends with a failure or still runs after the time-out (then killed)
// gives one line.
class TalarmCommand : public TeventResource {
public:
    static constexpr std::int32_t DefaultTimeoutMs = 60'000;
    static constexpr std::int32_t PollMs = 100;

    TalarmCommand(std::vector<std::string> words, std::function<void(const std::string&)> say,
                  std::int32_t timeoutMs = DefaultTimeoutMs);
    ~TalarmCommand() override;

    // Runs the command with these "NAME=value" entries added to its environment, now or when
    // the one running has ended.
    void run(std::vector<std::string> environment);
    bool running() const { return child > 0; }

    void OnNotification(TeventResource* sender, std::int32_t code) override;

private:
    void start(const std::vector<std::string>& environment);
    void poll();
    void ended(int status);

    std::vector<std::string> words;
    std::function<void(const std::string&)> say;
    std::int32_t timeoutMs;
    std::unique_ptr<Tdelay_resource> timer;
    pid_t child = 0;
    std::int32_t waitedMs = 0;
    std::optional<std::vector<std::string>> waiting;
};
