#pragma once

#include "core/AppControl.h"
#include "core/Globals.h"
#include "core/VirtualLoop.h"
#include "measurement/IntroView.h"
#include "measurement/MainView.h"
#include "measurement/Seqmain.h"
#include "measurement/SettingsStore.h"
#include "measurement/Tsensor.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the main window was asked to do, with the virtual time of each sample.
class FakeMainView : public TmainView {
public:
    struct Sample {
        std::int64_t at;
        double pressure, temperature, humidity, humidityTemperature;
        int link;
    };
    explicit FakeMainView(std::function<std::int64_t()> clock = {}) : now(std::move(clock)) {}
    void setModuleText(const char* text) override { moduleTexts.emplace_back(text); }
    void resetReference() override { resetAt.push_back(samples.size()); }
    void showSample() override {
        const Tsensor* s = theSystem.sensor;
        if (!s) return;
        samples.push_back({now ? now() : 0, s->pressure, s->temperature, s->humidity,
                           s->humidityTemperature, s->link});
    }

    std::function<std::int64_t()> now;
    std::vector<std::string> moduleTexts;
    std::vector<std::size_t> resetAt; // number of samples shown before each reset
    std::vector<Sample> samples;
};

// The intro's calls as readable lines: "show", "LPT1", "NOT FOUND", "FOUND", "close found"...
class FakeIntro : public TintroView {
public:
    explicit FakeIntro(std::function<std::int64_t()> clock = {}) : now(std::move(clock)) {}
    void showIntro() override { record("show"); }
    void searching(const char* port) override { record(port); }
    void result(bool found) override { record(found ? "FOUND" : "NOT FOUND"); }
    void closeIntro(bool found) override { record(found ? "close found" : "close not found"); }
    std::int64_t timeOf(const std::string& call) const {
        for (std::size_t i = 0; i < calls.size(); ++i)
            if (calls[i] == call) return times[i];
        return -1;
    }

    std::function<std::int64_t()> now;
    std::vector<std::string> calls;
    std::vector<std::int64_t> times;

private:
    void record(const char* call) {
        calls.emplace_back(call);
        times.push_back(now ? now() : 0);
    }
};

class FakeSettings : public TsettingsStore {
public:
    void loadStartupSettings() override {
        ++loads;
        if (onLoad) onLoad();
    }
    int loads = 0;
    std::function<void()> onLoad;
};

class FakeApp : public TappControl {
public:
    void quit() override { ++quits; }
    int quits = 0;
};

// Installs the fakes in theSystem for the life of a test and takes them out again; the main
// sequence among them is given the others, the intro and the settings as its parts.
struct SystemScope {
    explicit SystemScope(Tsystem wanted, TintroView* intro = nullptr,
                         TsettingsStore* settings = nullptr) {
        theSystem = wanted;
        if (wanted.seqMain)
            wanted.seqMain->attach({wanted.sensor, intro, wanted.mainView, settings, wanted.app});
    }
    ~SystemScope() { theSystem = Tsystem{}; }
    SystemScope(const SystemScope&) = delete;
    SystemScope& operator=(const SystemScope&) = delete;
};

// Receives a sequence's end reports.
class ReportSink : public TeventResource {
public:
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        senders.push_back(sender);
        codes.push_back(code);
    }
    std::vector<TeventResource*> senders;
    std::vector<std::int32_t> codes;
};
