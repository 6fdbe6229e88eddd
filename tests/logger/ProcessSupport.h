#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

// A program started for a test: its own working directory, standard input from a pipe the test
// writes to, standard output into a pipe the test reads, standard error into a file.
class ChildProcess {
public:
    ChildProcess(const std::string& program, std::vector<std::string> args, const std::string& dir,
                 const std::string& stderrFile) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        args.insert(args.begin(), program);
        pid = ::fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            const int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (::chdir(dir.c_str()) != 0 || err < 0) ::_exit(127);
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err, 2);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        input = in[1];
        output = out[0];
    }
    ~ChildProcess() {
        if (pid > 0 && !exited) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (input >= 0) ::close(input);
        if (output >= 0) ::close(output);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void send(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(input, text.data(), text.size()) < 0) return;
    }
    // One line of standard output, waiting up to `ms`; empty on time-out or end.
    std::string readLine(int ms = 5000) {
        std::string line;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            pollfd p{output, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            char c;
            if (::read(output, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return {};
    }
    void signal(int number) { ::kill(pid, number); }
    // The exit status, or -1 when it has not ended within `ms` (or ended by a signal).
    int wait(int ms = 5000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t pid = -1;
    int input = -1;
    int output = -1;
    bool exited = false;
};
