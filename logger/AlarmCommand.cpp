#include "logger/AlarmCommand.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

// The command starts with the default signal mask and dispositions (the logger blocks the signals
// it waits for) and none of the logger's files beyond the standard three (its port, its sockets).
int spawn(pid_t& pid, char* const* argv, char* const* envp) {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

} // namespace

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
    const int error = spawn(pid, argv.data(), envp.data());
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
