#include "logger/AlarmCommand.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

TalarmCommand::TalarmCommand(std::vector<std::string> commandWords,
                             std::function<void(const std::string&)> sayLine, std::int32_t timeout)
    : TeventResource("alarm command"), words(std::move(commandWords)), say(std::move(sayLine)),
      timeoutMs(timeout), timer(std::make_unique<Tdelay_resource>("alarm command poll")) {
    timer->reserve(this, false);
}

// A command still running when the logger ends is left to finish on its own.
TalarmCommand::~TalarmCommand() = default;

void TalarmCommand::run(std::vector<std::string> environment) {
    if (running())
        waiting = std::move(environment);
    else
        start(environment);
}

void TalarmCommand::start(const std::vector<std::string>& environment) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> entries(environment);
    std::vector<char*> envp;
    for (char** e = environ; e && *e; ++e)
        envp.push_back(*e);
    for (std::string& entry : entries)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data());
    if (error != 0) {
        say("alarm command " + words[0] + ": cannot be started: " + std::strerror(error));
        return;
    }
    child = pid;
    waitedMs = 0;
    timer->setDelay(PollMs);
}

void TalarmCommand::OnNotification(TeventResource* sender, std::int32_t) {
    if (sender == timer.get()) poll();
}

void TalarmCommand::poll() {
    int status = 0;
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) {
        ended(done == child ? status : 0);
        return;
    }
    waitedMs += PollMs;
    if (waitedMs < timeoutMs) {
        timer->setDelay(PollMs);
        return;
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", timeoutMs / 1000.0);
    say("alarm command " + words[0] + ": still running after " + seconds + " s, killed");
    ended(0);
}

void TalarmCommand::ended(int status) {
    child = 0;
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        say("alarm command " + words[0] + ": failed with exit status " +
            std::to_string(WEXITSTATUS(status)));
    else if (WIFSIGNALED(status))
        say("alarm command " + words[0] + ": ended by signal " + std::to_string(WTERMSIG(status)));
    if (!waiting) return;
    std::vector<std::string> next = std::move(*waiting);
    waiting.reset();
    start(next);
}
