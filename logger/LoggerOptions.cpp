#include "logger/LoggerOptions.h"

#include "links/Serial_enum.h"

#include <getopt.h>

#include <iterator>
#include <vector>

namespace {

const char* const Usage =
    "Usage: corvasine-logger [OPTION]...\n"
    "Measures with the pressure-sensor module every TS seconds and appends every sample to the\n"
    "data file; finds the module again by itself when it is unplugged.\n"
    "\n"
    "      --settings FILE            settings file (default ./setup.ini)\n"
    "      --data FILE                data file, appended to (default ./samples.dat)\n"
    "      --port NAME                LPT1, COMn or a device (default: search them all)\n"
    "      --verbose                  the search and the debug log on standard error\n"
    "      --help                     this text\n"
    "      --version                  the version\n";
const char* const Signals =
    "\n"
    "SIGTERM and SIGINT end it; SIGHUP reopens the data file and rereads the settings.\n";

enum : int { OptSettings = 1, OptData, OptPort, OptVerbose, OptHelp, OptVersion };

const option LongOptions[] = {
    {"settings", required_argument, nullptr, OptSettings},
    {"data", required_argument, nullptr, OptData},
    {"port", required_argument, nullptr, OptPort},
    {"verbose", no_argument, nullptr, OptVerbose},
    {"help", no_argument, nullptr, OptHelp},
    {"version", no_argument, nullptr, OptVersion},
};

// The logger's own options, those of its groups and getopt_long's closing zero entry.
std::vector<option> longOptions(TloggerOptions& options) {
    std::vector<option> table(std::begin(LongOptions), std::end(LongOptions));
    for (const TloggerOptionGroup* group : options.groups()) {
        const std::vector<option>& own = group->longOptions();
        table.insert(table.end(), own.begin(), own.end());
    }
    table.push_back({nullptr, 0, nullptr, 0});
    return table;
}

// The group that owns an option id; null for none.
TloggerOptionGroup* groupOf(TloggerOptions& options, int id) {
    for (TloggerOptionGroup* group : options.groups())
        if (group->owns(id)) return group;
    return nullptr;
}

// The option as the user wrote it, for the error line.
std::string optionWord(char** argv, int index) {
    std::string word = argv[index] ? argv[index] : "";
    const std::size_t equals = word.find('=');
    return equals == std::string::npos ? word : word.substr(0, equals);
}

// COM numbers of the device families, as the serial enumeration maps them.
std::string comOfDevice(const std::string& path) {
    const TserialRoots& roots = serialRoots();
    for (int number = 1; number <= LastEmulatedCom; ++number) {
        const std::string name = "COM" + std::to_string(number);
        const std::string device = comDevicePath(name.c_str(), roots);
        if (!device.empty() && device == path) return name;
    }
    return {};
}

} // namespace

std::string loggerUsage() {
    TloggerOptions options;
    std::string usage = Usage;
    for (const TloggerOptionGroup* group : options.groups())
        usage += group->help();
    return usage + Signals;
}

std::string portFromOption(const std::string& value) {
    if (value == "LPT1") return value;
    if (comNumber(value.c_str()) != 0) return value;
    if (value == "/dev/parport0") return "LPT1";
    return comOfDevice(value);
}

TloggerCommand parseLoggerOptions(int argc, char** argv, TloggerOptions& options,
                                  std::string& error) {
    opterr = 0;
    optind = 0;
    const std::vector<option> table = longOptions(options);
    TloggerCommand command = TloggerCommand::Run;
    for (;;) {
        const int previous = optind == 0 ? 1 : optind;
        const int c = getopt_long(argc, argv, ":", table.data(), nullptr);
        if (c == -1) break;
        switch (c) {
        case OptSettings: options.settingsFile = optarg; break;
        case OptData: options.dataFile = optarg; break;
        case OptPort:
            options.port = portFromOption(optarg);
            if (options.port.empty()) {
                error = std::string("--port: no such port: ") + optarg;
                return TloggerCommand::Bad;
            }
            break;
        case OptVerbose: options.verbose = true; break;
        case OptHelp: command = TloggerCommand::Help; break;
        case OptVersion:
            if (command != TloggerCommand::Help) command = TloggerCommand::Version;
            break;
        case ':':
            error = optionWord(argv, previous) + ": needs a value";
            return TloggerCommand::Bad;
        default: {
            TloggerOptionGroup* group = groupOf(options, c);
            if (!group) {
                error = optionWord(argv, previous) + ": unknown option";
                return TloggerCommand::Bad;
            }
            if (!group->take(c, optarg, error)) return TloggerCommand::Bad;
        }
        }
    }
    if (optind < argc && !options.archive.takeFiles(argv + optind, argv + argc)) {
        error = std::string(argv[optind]) + ": unexpected argument";
        return TloggerCommand::Bad;
    }
    if (options.settingsFile.empty() || options.dataFile.empty()) {
        error =
            options.dataFile.empty() ? "--data: empty file name" : "--settings: empty file name";
        return TloggerCommand::Bad;
    }
    if (command != TloggerCommand::Run) return command;
    for (TloggerOptionGroup* group : options.groups())
        if (!group->finish(error)) return TloggerCommand::Bad;
    return command;
}
