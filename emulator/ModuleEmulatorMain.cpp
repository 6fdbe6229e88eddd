// corvasine-module-emulator: a serial pressure-sensor module on a pty, published in the emulated
// COM range so that the barometer finds it with no configuration.
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "links/Serial_enum.h"
#include "links/Strutil.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr double Pi = 3.14159265358979323846;

const char* const Usage =
    "usage: corvasine-module-emulator [options]\n"
    "  --pressure MBAR      pressure to measure (default 1013.25)\n"
    "  --temperature DEGC   temperature (default 20)\n"
    "  --humidity PERCENT   relative humidity (default 50)\n"
    "  --no-humidity        module without humidity sensor\n"
    "  --weather            play a weather scenario around these values\n"
    "  --com N              emulated port number 241..255 (default: first free)\n"
    "  --fault NAME         none, silent, ack-second-try, bad-checksum, wrong-reply, escapes\n"
    "Commands on standard input: unplug, plug, fault NAME, quit.\n";

struct Options {
    TmoduleConditions conditions;
    TmoduleFault fault = TmoduleFault::None;
    bool weather = false;
    int com = 0;
};

bool faultNamed(const char* name, TmoduleFault& fault) {
    static const struct {
        const char* name;
        TmoduleFault fault;
    } faults[] = {{"none", TmoduleFault::None},
                  {"silent", TmoduleFault::Silent},
                  {"ack-second-try", TmoduleFault::AckSecondTry},
                  {"bad-checksum", TmoduleFault::BadChecksum},
                  {"wrong-reply", TmoduleFault::WrongReply},
                  {"escapes", TmoduleFault::EscapedData}};
    for (const auto& f : faults)
        if (std::strcmp(f.name, name) == 0) {
            fault = f.fault;
            return true;
        }
    return false;
}

bool number(const char* text, double& value) {
    return text && !readDecimal(text, &value);
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        double value = 0;
        if (arg == "--no-humidity") {
            options.conditions.humiditySensor = false;
            continue;
        }
        if (arg == "--weather") {
            options.weather = true;
            continue;
        }
        if (!next) return false;
        ++i;
        if (arg == "--fault") {
            if (!faultNamed(next, options.fault)) return false;
        } else if (!number(next, value)) {
            return false;
        } else if (arg == "--pressure") {
            options.conditions.pressure = value;
        } else if (arg == "--temperature") {
            options.conditions.temperature = options.conditions.humidityTemp = value;
        } else if (arg == "--humidity") {
            options.conditions.humidity = value;
        } else if (arg == "--com") {
            options.com = static_cast<int>(value);
        } else {
            return false;
        }
    }
    return true;
}

// Pressure falls and rises over twelve hours; temperature and humidity follow the day.
TmoduleConditions weatherAt(const TmoduleConditions& base, double hours) {
    TmoduleConditions now = base;
    now.pressure = base.pressure + 12.0 * std::sin(2 * Pi * hours / 12.0);
    now.temperature = base.temperature + 4.0 * std::sin(2 * Pi * hours / 24.0);
    now.humidityTemp = now.temperature;
    now.humidity = std::clamp(base.humidity - 15.0 * std::sin(2 * Pi * hours / 24.0), 1.0, 99.0);
    return now;
}

// One command line from standard input; false ends the program.
bool command(const std::string& line, TptyModule& pty, TserialModule& module,
             TportPublisher& publisher) {
    TmoduleFault fault{};
    if (line == "quit") return false;
    if (line == "unplug") {
        pty.unplug();
        std::printf("unplugged\n");
    } else if (line == "plug") {
        if (pty.plug())
            std::printf("COM%d: %s\n", publisher.number(), pty.slavePath().c_str());
        else
            std::printf("plug failed\n");
    } else if (line.rfind("fault ", 0) == 0 && faultNamed(line.c_str() + 6, fault)) {
        module.setFault(fault);
        std::printf("fault %s\n", line.c_str() + 6);
    } else if (!line.empty()) {
        std::printf("unknown command: %s\n", line.c_str());
    }
    std::fflush(stdout);
    return true;
}

int serve(const Options& options, TptyModule& pty, TserialModule& module,
          TportPublisher& publisher) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    const int sigFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);
    const auto start = std::chrono::steady_clock::now();
    std::string line;
    bool stdinOpen = true;
    for (;;) {
        pollfd fds[2] = {{sigFd, POLLIN, 0}, {stdinOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        ::poll(fds, 2, 1000);
        if (fds[0].revents & POLLIN) break;
        if (options.weather) {
            const std::chrono::duration<double, std::ratio<3600>> hours =
                std::chrono::steady_clock::now() - start;
            module.setConditions(weatherAt(options.conditions, hours.count()));
        }
        if (!(fds[1].revents & (POLLIN | POLLHUP))) continue;
        char c = 0;
        if (::read(STDIN_FILENO, &c, 1) != 1) {
            stdinOpen = false;
        } else if (c != '\n') {
            line += c;
        } else {
            if (!command(line, pty, module, publisher)) break;
            line.clear();
        }
    }
    ::close(sigFd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    // The stop signals are taken through a signalfd, so every thread must block them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    TserialModule module;
    module.setConditions(options.conditions);
    module.setFault(options.fault);
    TportPublisher publisher(TserialRoots::defaultEmulatedDir());
    if (publisher.claim(options.com) == 0) {
        std::fprintf(stderr, "no free emulated COM number in %d..%d under %s\n", FirstEmulatedCom,
                     LastEmulatedCom, TserialRoots::defaultEmulatedDir().c_str());
        return 1;
    }
    TptyModule pty(module, &publisher);
    if (!pty.plug()) {
        std::fprintf(stderr, "cannot open a pty\n");
        return 1;
    }
    std::printf("COM%d: %s (%s)\n", publisher.number(), pty.slavePath().c_str(),
                publisher.linkPath().c_str());
    std::fflush(stdout);
    return serve(options, pty, module, publisher);
}
