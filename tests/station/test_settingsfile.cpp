#include "core/Globals.h"
#include "core/Prompts.h"
#include "measurement/ParameterAccess.h"
#include "station/Settingsfile.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {
// Parameters held in a map; every set is recorded in order.
class FakeParameters : public TparameterAccess {
public:
    double getParameter(int code) override { return values.count(code) ? values[code] : 0.0; }
    void setParameter(int code, double value) override {
        values[code] = value;
        applied.emplace_back(code, value);
    }
    void getCalibration(Tsensor_wc*) override {}
    void setCalibration(const Tsensor_wc*) override {}

    std::map<int, double> values;
    std::vector<std::pair<int, double>> applied;
};

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { theSystem.prompts = &prompts; }
    void TearDown() override {
        theSystem.prompts = nullptr;
        fs::permissions(dir, fs::perms::owner_all);
    }
    std::string file(const std::string& name, const std::string& content) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string contents(const std::string& path) { return readWhole(path); }
    std::vector<std::pair<int, double>> read(const std::string& content) {
        FakeParameters parameters;
        EXPECT_TRUE(readSettingsFile(file("in.ini", content), parameters));
        return parameters.applied;
    }

    TempDir temp;
    fs::path dir{temp.path};
    TscriptedPrompts prompts;
};

using Applied = std::vector<std::pair<int, double>>;
} // namespace

TEST(SettingsNumber, ReadsTheLongestNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(readSettingsNumber("1002.5"), 1002.5);
    EXPECT_DOUBLE_EQ(readSettingsNumber("  -0.23xyz"), -0.23);
    EXPECT_DOUBLE_EQ(readSettingsNumber("+5."), 5.0);
    EXPECT_DOUBLE_EQ(readSettingsNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(readSettingsNumber("1.5e2m"), 150.0);
    EXPECT_DOUBLE_EQ(readSettingsNumber("7e"), 7.0);
    EXPECT_DOUBLE_EQ(readSettingsNumber("3e+x"), 3.0);
    EXPECT_DOUBLE_EQ(readSettingsNumber("12,5"), 12.0);
    EXPECT_EQ(readSettingsNumber("word"), 0.0);
    EXPECT_EQ(readSettingsNumber("-"), 0.0);
    EXPECT_EQ(readSettingsNumber("."), 0.0);
    EXPECT_EQ(readSettingsNumber("inf"), 0.0);
    EXPECT_EQ(readSettingsNumber("0x10"), 0.0);
    EXPECT_EQ(readSettingsNumber("1e-999"), 0.0);
    EXPECT_GT(readSettingsNumber("1e999"), 1e308);
}

TEST(SettingsKeys, ExactCaseSensitiveNames) {
    EXPECT_EQ(settingsKeyCode("set_sampling_n"), 1);
    EXPECT_EQ(settingsKeyCode("set_meteo_hysteresis_limit"), 7);
    EXPECT_EQ(settingsKeyCode("set_small_y"), 16);
    EXPECT_EQ(settingsKeyCode("SET_SAMPLING_N"), 0);
    EXPECT_EQ(settingsKeyCode("set_sampling_n "), 0);
    EXPECT_EQ(settingsKeyCode("#warning,"), 0);
    EXPECT_EQ(settingsKeyCode(""), 0);
}

TEST_F(SettingsFile, AppliesKeysInFileOrderWhateverTheLineEnds) {
    const Applied expected = {{3, 500.0}, {13, 1.0}, {3, 20.0}};
    EXPECT_EQ(read("set_altitude\t500\nset_minimized\t1\nset_altitude\t20\n"), expected);
    EXPECT_EQ(read("set_altitude\t500\r\nset_minimized\t1\r\nset_altitude\t20\r\n"), expected);
    EXPECT_EQ(read("set_altitude\t500\rset_minimized 1\n\rset_altitude \"20\""), expected);
}

TEST_F(SettingsFile, WordsCommentsAndExtraTokens) {
    // A word for a number applies 0.0; comments, unknown keys and third tokens do nothing.
    EXPECT_EQ(read("set_altitude\tabc\n#warning, take care\nSet_altitude 4\nset_small_x 1 2 3\n"),
              (Applied{{3, 0.0}, {15, 1.0}}));
}

TEST_F(SettingsFile, AKeyWithoutValueOnItsLineHasNoEffect) {
    EXPECT_TRUE(read("set_altitude\nset_altitude   \r\nset_altitude\t\t").empty());
    // The value of the next line is not taken for the bare key.
    EXPECT_EQ(read("set_altitude \n7\nset_small_y 9"), (Applied{{16, 9.0}}));
}

TEST_F(SettingsFile, MissingFileShowsTheInputError) {
    FakeParameters parameters;
    EXPECT_FALSE(readSettingsFile("setup.ini-not-here", parameters));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error : Unable to open input file setup.ini-not-here");
    EXPECT_EQ(prompts.shown[0].buttons, TpromptButtons::Ok);
    EXPECT_TRUE(parameters.applied.empty());
}

// A file that is there but cannot be read says why, in other words than a missing one.
TEST_F(SettingsFile, AnUnreadableFileSaysWhy) {
    const std::string loop = (dir / "loop.ini").string();
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    std::vector<std::pair<std::string, std::string>> cases = {
        {dir.string(), "Is a directory"},
        {loop, "Too many levels of symbolic links"},
        {file("plain", "") + "/setup.ini", "Not a directory"}};
    // Root reads whatever the permissions say.
    const std::string locked = file("locked.ini", "set_altitude\t500\n");
    chmod(locked.c_str(), 0);
    if (geteuid() != 0) cases.emplace_back(locked, "Permission denied");
    for (const auto& [name, reason] : cases) {
        FakeParameters parameters;
        prompts.shown.clear();
        EXPECT_FALSE(readSettingsFile(name, parameters));
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text,
                  "Error : Unable to read input file " + name + " (" + reason + ")");
        EXPECT_TRUE(parameters.applied.empty());
    }
}

// A FIFO without a writer would hold an ordinary open for good, a device would give bytes for
// ever: both get the input error at once. The child ends by an alarm if the read waits.
TEST_F(SettingsFile, FifoOrDeviceShowsTheInputErrorWithoutWaiting) {
    const std::string fifo = (dir / "setup.ini").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {fifo, std::string("/dev/zero")}) {
        const pid_t pid = fork();
        if (pid == 0) {
            alarm(5);
            FakeParameters parameters;
            const bool read = readSettingsFile(name, parameters);
            const bool shown = prompts.shown.size() == 1 &&
                               prompts.shown[0].text == "Error : Unable to read input file " +
                                                            name + " (not a regular file)";
            _exit(!read && shown && parameters.applied.empty() ? 0 : 1);
        }
        int status = -1;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << name << " held the read";
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << name;
    }
}

// An N of millions would hold the program in one sample for days, a TS of 1e12 s would freeze
// the display after its first sample, an altitude beyond the dialog's would put the altimeter's
// marker into the data file: each is kept within the dialog's range; other values pass as they are.
TEST_F(SettingsFile, ValuesFromAFileAreKeptWithinTheDialogsRange) {
    EXPECT_EQ(read("set_sampling_n 2000000000\nset_sampling_n 0\nset_sampling_n -7\n"
                   "set_sampling_n 1000\nset_sampling_n 12\nset_sampling_ts 1e12\n"
                   "set_sampling_ts -3\nset_sampling_ts 2147483\nset_sampling_ts 600\n"
                   "set_altitude 20000\nset_altitude -800\nset_altitude 9166\nset_altitude -703\n"
                   "set_small_x -30000\n"),
              (Applied{{1, 1000.0},
                       {1, 1.0},
                       {1, 1.0},
                       {1, 1000.0},
                       {1, 12.0},
                       {2, 2147483.0},
                       {2, 1.0},
                       {2, 2147483.0},
                       {2, 600.0},
                       {3, 9166.0},
                       {3, -703.0},
                       {3, 9166.0},
                       {3, -703.0},
                       {15, -30000.0}}));
}

TEST_F(SettingsFile, TextHoldsTheSeventeenLines) {
    FakeParameters p;
    p.values = {{1, 1},     {2, 1},   {3, 500},  {4, 1016},   {5, 1009},
                {6, 1002},  {7, 0.5}, {9, -0.9}, {10, -0.23}, {11, 0.9},
                {12, 0.23}, {13, 0},  {14, 1},   {15, 709},   {16, 282}};
    EXPECT_EQ(settingsText(p),
              "set_sampling_n\t1\n"
              "set_sampling_ts\t1\n"
              "set_altitude\t500.000000\n"
              "#warning, take care of the meteo limit sequence since they must be always "
              "coherent\n"
              "set_meteo_overcast_limit\t1002.000000\n"
              "set_meteo_variable_limit\t1009.000000\n"
              "set_meteo_sunny_limit\t1016.000000\n"
              "set_meteo_hysteresis_limit\t0.500000\n"
              "#warning, take caer of the trend limit sequence since they must be always "
              "coherent\n"
              "set_quick_down_weather_rate\t-0.900000\n"
              "set_slow_down_weather_rate\t-0.230000\n"
              "set_quick_up_weather_rate\t0.900000\n"
              "set_slow_up_weather_rate\t0.230000\n"
              "set_minimized\t0.0\n"
              "set_save_on_exit\t1.0\n"
              "set_small_x\t709.000000\n"
              "set_small_y\t282.000000\n");
    p.values[1] = 2.9;
    p.values[13] = -3;
    const std::string text = settingsText(p);
    EXPECT_EQ(text.substr(0, 17), "set_sampling_n\t2\n");
    EXPECT_NE(text.find("set_minimized\t1.0\n"), std::string::npos);
}

TEST_F(SettingsFile, WriteReplacesTheFileAndKeepsItsPermissions) {
    const std::string path = file("setup.ini", "old");
    chmod(path.c_str(), 0640);
    EXPECT_TRUE(writeSettingsFile(path, "new text\n"));
    EXPECT_EQ(contents(path), "new text\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(SettingsFile, WriteThroughALinkReplacesItsTarget) {
    const std::string target = file("real.ini", "old");
    const fs::path link = dir / "setup.ini";
    fs::create_symlink(target, link);
    EXPECT_TRUE(writeSettingsFile(link.string(), "new\n"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(target), "new\n");
}

// Runs `body` in a child process (as an ordinary user when the test runs as root, who writes
// everywhere) and returns its exit status.
template <class Body> int inChild(const fs::path& dir, Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0) {
            constexpr uid_t nobody = 65534;
            if (chown(dir.c_str(), nobody, nobody) != 0) _exit(100);
            for (const auto& entry : fs::directory_iterator(dir))
                if (chown(entry.path().c_str(), nobody, nobody) != 0) _exit(101);
            if (setgid(nobody) != 0 || setuid(nobody) != 0) _exit(102);
        }
        _exit(body());
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SettingsFile, AnUnwritableDirectoryKeepsTheOldFile) {
    const std::string path = file("setup.ini", "old settings\n");
    const int status = inChild(dir, [&] {
        chmod(dir.c_str(), 0500);
        const bool written = writeSettingsFile(path, "new\n");
        const bool told = prompts.shown.size() == 1 &&
                          prompts.shown[0].text == "Error : Unable to open output file " + path;
        return (written ? 1 : 0) | (told ? 0 : 2) | (contents(path) == "old settings\n" ? 0 : 4);
    });
    EXPECT_EQ(status, 0);
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SettingsFile, AWriteThatFailsHalfwayKeepsTheOldFile) {
    const std::string path = file("setup.ini", "old settings\n");
    const int status = inChild(dir, [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8}; // the file system takes no more than 8 bytes per file
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = writeSettingsFile(path, std::string(100, 'x'));
        return (written ? 1 : 0) | (prompts.shown.size() == 1 ? 0 : 2) |
               (contents(path) == "old settings\n" ? 0 : 4);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SettingsFile, AMissingDirectoryFailsWithTheOutputError) {
    const std::string path = (dir / "none" / "setup.ini").string();
    EXPECT_FALSE(writeSettingsFile(path, "x"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error : Unable to open output file " + path);
}
