// corvasine-module-emulator: a serial pressure-sensor module on a pty, published in the emulated
// COM range so that the barometer finds it with no configuration.
#include "emulator/EmulatorSession.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "links/Serial_enum.h"

#include "Version.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

// The scenario's conditions are refreshed this often, so a fast time scale still moves smoothly.
constexpr int TickMs = 100;

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

double hourOfDayNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_hour + local.tm_min / 60.0 + local.tm_sec / 3600.0;
}

void print(const std::string& text) {
    if (text.empty()) return;
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

// Reads standard input a byte at a time and hands each complete line to the session.
class LineReader {
public:
    // False when the session asked to quit.
    bool pump(TemulatorSession& session, double now) {
        char c = 0;
        if (::read(STDIN_FILENO, &c, 1) != 1) {
            open = false;
            return true;
        }
        if (c != '\n') {
            line += c;
            return true;
        }
        std::string out;
        const bool goOn = session.command(line, now, out);
        print(out);
        line.clear();
        return goOn;
    }
    bool open = true;

private:
    std::string line;
};

int serve(TemulatorSession& session) {
    const sigset_t signals = stopSignals();
    const int sigFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    const auto start = std::chrono::steady_clock::now();
    LineReader input;
    for (;;) {
        pollfd fds[2] = {{sigFd, POLLIN, 0}, {input.open ? STDIN_FILENO : -1, POLLIN, 0}};
        ::poll(fds, 2, TickMs);
        if (fds[0].revents & POLLIN) break;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::string out;
        session.tick(elapsed.count(), out);
        print(out);
        if ((fds[1].revents & (POLLIN | POLLHUP)) && !input.pump(session, elapsed.count())) break;
    }
    ::close(sigFd);
    return 0;
}

// --help and --version answer on standard output and end the program, whatever else is given.
bool answeredInformation(const std::vector<std::string>& args) {
    const auto given = [&args](const char* option) {
        return std::find(args.begin(), args.end(), option) != args.end();
    };
    if (given("--help")) {
        std::fputs(EmulatorUsage, stdout);
        return true;
    }
    if (given("--version")) {
        std::printf("corvasine-module-emulator %s\n", CorvVersion);
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (answeredInformation(args)) return 0;
    TemulatorOptions options;
    if (!parseEmulatorOptions(args, options)) {
        std::fputs(EmulatorUsage, stderr);
        return 2;
    }
    if (!options.startHourGiven) options.scenario.startHour = hourOfDayNow();
    // The stop signals are taken through a signalfd, so every thread must block them.
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    TserialModule module;
    TportPublisher publisher(TserialRoots::defaultEmulatedDir());
    if (publisher.claim(options.com) == 0) {
        std::fprintf(stderr, "no free emulated COM number in %d..%d under %s\n", FirstEmulatedCom,
                     LastEmulatedCom, TserialRoots::defaultEmulatedDir().c_str());
        return 1;
    }
    TptyModule pty(module, &publisher);
    pty.setWirePacing(options.paceBaud);
    TemulatorSession session(options, module, pty, &publisher);
    if (!pty.plug()) {
        std::fprintf(stderr, "cannot open a pty\n");
        return 1;
    }
    std::printf("COM%d: %s (%s)\n", publisher.number(), pty.slavePath().c_str(),
                publisher.linkPath().c_str());
    std::fflush(stdout);
    return serve(session);
}
