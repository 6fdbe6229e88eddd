#include "emulator/EmulatorSession.h"

#include "core/Strutil.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"

#include <cmath>
#include <cstdio>
#include <iterator>

const char* const EmulatorUsage =
    "usage: corvasine-module-emulator [options]\n"
    "  --pressure MBAR        pressure to measure (default 1013.25)\n"
    "  --temperature DEGC     temperature (default 20)\n"
    "  --humidity PERCENT     relative humidity (default 50)\n"
    "  --no-humidity          module without humidity sensor\n"
    "  --weather              play a weather scenario around these values\n"
    "  --time-scale X         scenario runs X times faster than the clock (default 1)\n"
    "  --front-rate MBAR_H    pressure change while a front passes (default 1)\n"
    "  --front-hours H        hours of falling pressure, then as many rising (default 6)\n"
    "  --day-swing DEGC       temperature swing either side of the mean (default 4)\n"
    "  --start-hour H         time of day at the start (default: now)\n"
    "  --pace                 send and take bytes at the 38400-baud wire rate\n"
    "  --conversion-ms MS     working time of command C (default 0)\n"
    "  --humidity-ms MS       working time of command D (default 0)\n"
    "  --com N                emulated port number 241..255 (default: first free)\n"
    "  --fault NAME           none, silent, ack-second-try, bad-checksum, wrong-reply,\n"
    "                         escapes, garbage, every-second\n"
    "  --unplug-at S          unplug S seconds after the start ...\n"
    "  --unplug-for N         ... for N seconds (default 10)\n"
    "  --help                 show this help and end\n"
    "  --version              show the version and end\n"
    "Commands on standard input: status, fault NAME, unplug [N], plug, pressure MBAR,\n"
    "temperature DEGC, humidity PERCENT, quit.\n";

namespace {

const struct {
    const char* name;
    TmoduleFault fault;
} Faults[] = {{"none", TmoduleFault::None},
              {"silent", TmoduleFault::Silent},
              {"ack-second-try", TmoduleFault::AckSecondTry},
              {"bad-checksum", TmoduleFault::BadChecksum},
              {"wrong-reply", TmoduleFault::WrongReply},
              {"escapes", TmoduleFault::EscapedData},
              {"garbage", TmoduleFault::Garbage},
              {"every-second", TmoduleFault::EverySecond}};

bool number(const std::string& text, double& value) {
    return !text.empty() && !readDecimal(text.c_str(), &value) && std::isfinite(value);
}

bool flag(const std::string& arg, TemulatorOptions& o) {
    if (arg == "--no-humidity")
        o.scenario.base.humiditySensor = false;
    else if (arg == "--weather")
        o.weather = true;
    else if (arg == "--pace")
        o.paceBaud = TemulatorOptions::WireBaud;
    else
        return false;
    return true;
}

std::uint32_t microseconds(double ms) {
    return static_cast<std::uint32_t>(ms * 1000.0);
}

bool valued(const std::string& arg, double v, TemulatorOptions& o) {
    TmoduleConditions& base = o.scenario.base;
    if (arg == "--pressure")
        base.pressure = v;
    else if (arg == "--temperature")
        base.temperature = base.humidityTemp = v;
    else if (arg == "--humidity")
        base.humidity = v;
    else if (arg == "--time-scale" && v > 0)
        o.timeScale = v;
    else if (arg == "--front-rate")
        o.scenario.frontRate = v;
    else if (arg == "--front-hours" && v >= 0)
        o.scenario.frontHours = v;
    else if (arg == "--day-swing")
        o.scenario.daySwing = v;
    else if (arg == "--start-hour") {
        o.scenario.startHour = v;
        o.startHourGiven = true;
    } else if (arg == "--conversion-ms" && v >= 0 && v <= 60'000)
        o.timing.commandC = microseconds(v);
    else if (arg == "--humidity-ms" && v >= 0 && v <= 60'000)
        o.timing.commandD = microseconds(v);
    else if (arg == "--com")
        o.com = static_cast<int>(v);
    else if (arg == "--unplug-at" && v >= 0)
        o.unplugAt = v;
    else if (arg == "--unplug-for" && v >= 0)
        o.unplugFor = v;
    else
        return false;
    return true;
}

std::string format(const char* pattern, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

} // namespace

bool faultNamed(const std::string& name, TmoduleFault& fault) {
    for (const auto& f : Faults)
        if (name == f.name) {
            fault = f.fault;
            return true;
        }
    return false;
}

const char* faultName(TmoduleFault fault) {
    for (const auto& f : Faults)
        if (f.fault == fault) return f.name;
    return "?";
}

bool parseEmulatorOptions(const std::vector<std::string>& args, TemulatorOptions& options) {
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (flag(*it, options)) continue;
        const auto next = std::next(it);
        if (next == args.end()) return false;
        double value = 0;
        if (*it == "--fault") {
            if (!faultNamed(*next, options.fault)) return false;
        } else if (!number(*next, value) || !valued(*it, value, options)) {
            return false;
        }
        it = next;
    }
    return true;
}

TemulatorSession::TemulatorSession(const TemulatorOptions& options, TserialModule& serialModule,
                                   TptyModule& ptyModule, TportPublisher* portPublisher)
    : opts(options), module(serialModule), pty(ptyModule), publisher(portPublisher) {
    module.setFault(opts.fault);
    module.setTiming(opts.timing);
    module.setConditions(conditionsAt(0));
}

TmoduleConditions TemulatorSession::conditionsAt(double now) const {
    return opts.weather ? opts.scenario.conditionsAt(now * opts.timeScale) : opts.scenario.base;
}

void TemulatorSession::tick(double now, std::string& out) {
    module.setConditions(conditionsAt(now));
    if (!scheduledUnplugDone && opts.unplugAt >= 0 && now >= opts.unplugAt) {
        scheduledUnplugDone = true;
        unplug(now, opts.unplugFor, out);
    }
    if (plugAt >= 0 && now >= plugAt) plug(out);
}

void TemulatorSession::unplug(double now, double seconds, std::string& out) {
    pty.unplug();
    plugAt = seconds >= 0 ? now + seconds : -1;
    out += seconds >= 0 ? format("unplugged for %g s\n", seconds) : "unplugged\n";
}

void TemulatorSession::plug(std::string& out) {
    plugAt = -1;
    if (!pty.plug()) {
        out += "plug failed\n";
        return;
    }
    const int com = publisher ? publisher->number() : 0;
    out += "COM" + std::to_string(com) + ": " + pty.slavePath() + "\n";
}

bool TemulatorSession::setValue(const std::string& name, double value) {
    TmoduleConditions& base = opts.scenario.base;
    if (name == "pressure")
        base.pressure = value;
    else if (name == "temperature")
        base.temperature = base.humidityTemp = value;
    else if (name == "humidity")
        base.humidity = value;
    else
        return false;
    return true;
}

std::string TemulatorSession::status(double now) const {
    const TmoduleConditions c = conditionsAt(now);
    std::string text = pty.isPlugged() ? "plugged" : "unplugged";
    text += std::string(", fault ") + faultName(module.currentFault());
    text += format(", %.2f mbar, %.2f C, %.1f %%RH", c.pressure, c.temperature, c.humidity);
    text += ", " + std::to_string(module.commandsReceived()) + " commands\n";
    return text;
}

bool TemulatorSession::command(const std::string& line, double now, std::string& out) {
    const auto blank = line.find(' ');
    const std::string word = line.substr(0, blank);
    const std::string arg = blank == std::string::npos ? "" : line.substr(blank + 1);
    TmoduleFault fault{};
    double value = 0;
    if (word == "quit") return false;
    if (word == "status" && arg.empty()) {
        out += status(now);
    } else if (word == "unplug" && (arg.empty() || (number(arg, value) && value >= 0))) {
        unplug(now, arg.empty() ? -1 : value, out);
    } else if (word == "plug" && arg.empty()) {
        plug(out);
    } else if (word == "fault" && faultNamed(arg, fault)) {
        module.setFault(fault);
        out += "fault " + arg + "\n";
    } else if (number(arg, value) && setValue(word, value)) {
        module.setConditions(conditionsAt(now));
        out += status(now);
    } else if (!line.empty()) {
        out += "unknown command: " + line + "\n";
    }
    return true;
}
